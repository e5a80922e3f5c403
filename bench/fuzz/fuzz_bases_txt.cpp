// libFuzzer target: the registered connections file BASES.TXT (five fields per
// record, commas, optional quotes). The input is the file, read through the
// path as the access dialog reads it.
#include "ArchivoFuzz.h"

#include "access/BasesTxt.h"
#include "ado/Errores.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t n)
{
    const QString ruta = fuzz::escribir(QStringLiteral("BASES.TXT"), reinterpret_cast<const char*>(datos), static_cast<qsizetype>(n));
    fuzz::exige(acceso::ExisteArchivo(ruta));
    std::vector<acceso::RegistroBase> registros;
    try {
        registros = acceso::LeeBasesTxt(ruta);
    } catch (const ado::Fallo&) {
        std::abort();   // the file is there and readable
    }
    // A record takes at least one byte of the file (its comma or line end), except the last.
    fuzz::exige(registros.size() <= n + 1);
    for (const acceso::RegistroBase& r : registros) {
        // Each field is a piece of one record: an unquoted one never holds a separator.
        for (const QString* c : {&r.Nombre, &r.Dbname, &r.Usuario, &r.Password, &r.Servidor})
            fuzz::exige(c->size() <= static_cast<qsizetype>(n));
    }
    return 0;
}
