// libFuzzer target: the connection-text parser (keys and values of
// "PROVIDER=SQLOLEDB;Server=x;Database =y;UId=u;Pwd=p;"), the engine it asks
// for and the embedded database path. The input is the connection text.
#include "ado/TextoConexion.h"

#include <QString>

#include <cstdint>
#include <cstdlib>

namespace {
void exige(bool condicion)
{
    if (!condicion) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t n)
{
    const QString texto = QString::fromUtf8(reinterpret_cast<const char*>(datos), static_cast<qsizetype>(n));
    const ado::TextoConexion t(texto);
    for (const auto& [clave, valor] : t.pares()) {
        exige(!clave.isEmpty());
        exige(clave == clave.trimmed());
        exige(texto.contains(clave) && valor.size() <= texto.size());
        exige(t.tiene(clave));
        // Keys ignore case (checked on ASCII keys: other scripts have case
        // mappings that change the length).
        bool ascii = true;
        for (QChar c : clave) ascii = ascii && c.unicode() < 0x80;
        if (ascii) exige(t.tiene(clave.toUpper()) && t.tiene(clave.toLower()));
    }
    const ado::Destino destino = ado::destinoDe(texto);
    if (destino == ado::Destino::Sqlite) {
        const QString ruta = ado::rutaBaseEmbebida(t.valorDe({"Database", "Initial Catalog", "DbName"}));
        exige(ruta.isEmpty() || ruta == QLatin1String(":memory:") || !ruta.startsWith(QLatin1Char(' ')));
    }
    return 0;
}
