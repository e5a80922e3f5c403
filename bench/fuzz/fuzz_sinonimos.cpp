// libFuzzer target: the confidential-table substitution and the literal and
// name helpers. The first byte chooses the flags and the program name.
// ado::Fallo is an accepted answer to bad input; anything else is a finding.
// Build by hand (clang):
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I. $(pkg-config --cflags Qt6Core) \
//     bench/fuzz/fuzz_sinonimos.cpp data/DialectoOracle.cpp data/Literales.cpp data/ScriptOracle.cpp \
//     data/Sinonimos.cpp companion/Texto.cpp ado/Variant.cpp ado/Errores.cpp -lQt6Core
#include "ado/Errores.h"
#include "data/Escaner.h"
#include "data/Literales.h"
#include "data/Sinonimos.h"

#include <QString>

#include <cstdint>
#include <cstdlib>

namespace {

template <typename F>
void tolerandoFallo(F&& f)
{
    try {
        f();
    } catch (const ado::Fallo&) {
    } catch (...) {
        std::abort();
    }
}

void exige(bool condicion)
{
    if (!condicion) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos_, size_t n)
{
    if (n == 0) return 0;
    const uint8_t banderas = datos_[0];
    const QString sql = QString::fromUtf8(reinterpret_cast<const char*>(datos_ + 1), static_cast<qsizetype>(n - 1));
    static const QString programas[] = {QStringLiteral("Permutal"), QStringLiteral("BORNEVAL"),
                                        QStringLiteral("pilmaro"), QString()};
    const bool esAdmin = banderas & 1;
    const bool confidencialidad = banderas & 2;
    const QString& programa = programas[(banderas >> 2) & 3];

    tolerandoFallo([&] {
        const QString r = datos::SS_TSinonimos(sql, esAdmin, confidencialidad, programa);
        // No marker is left among the statement's names (a literal keeps what it holds).
        exige(!datos::escaner::contiene(r, QStringLiteral("@Admin_"), datos::escaner::Alcance::CodigoYNombres));
        if (esAdmin) exige(r == datos::QuitaMarcaAdmin(sql));
    });

    tolerandoFallo([&] {
        const QString lit = datos::SQLValue(ado::Variant(sql)).toText();
        // A quoted value stays one literal: inside the delimiters quotes only come in pairs.
        exige(lit.size() >= 2 && lit.startsWith(QLatin1Char('\'')) && lit.endsWith(QLatin1Char('\'')));
        exige(lit.mid(1, lit.size() - 2).count(QLatin1Char('\'')) % 2 == 0);
        exige(!lit.mid(1, lit.size() - 2).remove(QStringLiteral("''")).contains(QLatin1Char('\'')));
    });
    tolerandoFallo([&] { datos::SQLValue(ado::Variant(sql), QStringLiteral("@")); });

    tolerandoFallo([&] {
        QString nombre = sql;
        datos::stSTF(nombre, banderas & 16 ? 1 : 0);
    });
    tolerandoFallo([&] { datos::AddBrackets(sql); });
    tolerandoFallo([&] { datos::StripConnect(sql); });
    tolerandoFallo([&] { datos::StripBrackets(sql); });
    tolerandoFallo([&] {
        QString nombre = sql;
        datos::StripOwner(nombre);
    });
    try {
        datos::StripFileName(sql);
    } catch (...) {
        std::abort();   // never fails
    }
    for (const QString& t : {sql, QString::number(banderas)}) {
        datos::adodate(ado::Variant(t));
        datos::ADOComilla(ado::Variant(t));
    }
    return 0;
}
