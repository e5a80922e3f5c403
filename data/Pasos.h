#pragma once
// The classic failure convention of a procedure's steps: a failing step goes to
// a handler whose answer decides: 4 repeats the step, 5 goes on with the next
// one, anything else leaves the procedure.
#include "ado/Errores.h"

#include <cstddef>
#include <exception>
#include <functional>

namespace datos {

enum class Siguiente { Seguir, Salir };

// Any exception becomes the classic error object.
inline ado::Fallo comoFallo(const std::exception& e)
{
    if (auto f = dynamic_cast<const ado::Fallo*>(&e)) return *f;
    return ado::Fallo(ado::num::FalloNoEspecificado, QString::fromLocal8Bit(e.what()));
}

template <class Paso, class Manejador>
Siguiente paso(Paso&& p, Manejador&& manejador)
{
    for (;;) {
        int r = 0;
        try {
            p();
            return Siguiente::Seguir;
        } catch (const std::exception& e) {
            r = manejador(comoFallo(e));
        }
        if (r == 4) continue;
        return r == 5 ? Siguiente::Seguir : Siguiente::Salir;
    }
}

// Runs the steps in order under one handler: a failing step is repeated on 4,
// passed over on 5; any other answer ends the run.
template <size_t N, class Manejador>
void correrPasos(const std::function<void()> (&pasos)[N], Manejador&& manejador)
{
    size_t i = 0;
    while (i < N) {
        int r = 0;
        try {
            pasos[i]();
            ++i;
            continue;
        } catch (const std::exception& e) {
            r = manejador(comoFallo(e));
        }
        if (r == 4) continue;
        if (r != 5) return;
        ++i;
    }
}

// A step whose failure is skipped silently.
template <class Paso>
void pasoSilencioso(Paso&& p)
{
    try {
        p();
    } catch (const std::exception&) {
    }
}

}  // namespace datos
