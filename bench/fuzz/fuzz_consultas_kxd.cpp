// libFuzzer target: the lookup definitions file consultas.kxd (fixed 1202-byte
// records) as the lookup class reads it to build a statement. The input is the
// file. Three tables are looked up: the one of the first record (so a record
// matches), the suppliers' view and the articles' view. A table without a
// definition takes the caller's ready statement, so no database is needed.
#include "ArchivoFuzz.h"

#include "companion/Operador.h"
#include "lookup/Lib_ClsCons3.h"

#include <QCoreApplication>

#include <cstdint>
#include <memory>

namespace {

struct Entorno {
    std::shared_ptr<velmora::OperadorGuionado> op = std::make_shared<velmora::OperadorGuionado>();
    std::unique_ptr<consulta::Lib_ClsCons3> cons;
    Entorno()
    {
        velmora::instalarOperador(op);
        cons = std::make_unique<consulta::Lib_ClsCons3>();
        cons->gUsarMascarasConsultas = true;
        cons->gRutaMascaraConsultas = fuzz::escribir(QStringLiteral("consultas.kxd"), "", 0);
    }
};

Entorno& entorno()
{
    static Entorno e;
    return e;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t n)
{
    Entorno& e = entorno();
    fuzz::escribir(QStringLiteral("consultas.kxd"), reinterpret_cast<const char*>(datos), static_cast<qsizetype>(n));

    // The first record's table, cleaned as the reader cleans it.
    QString primera = QString::fromLatin1(reinterpret_cast<const char*>(datos) + std::min<size_t>(n, 100),
                                          static_cast<qsizetype>(std::min<size_t>(n > 100 ? n - 100 : 0, 100)));
    primera.remove(QChar(0));
    primera.remove(QChar(0xFF));
    primera = primera.trimmed();

    const QString preparada = QStringLiteral("SELECT X FROM T");
    for (const QString& tabla : {primera, QStringLiteral("VT_PROVEEDORES"), QStringLiteral("V_MA_ARTICULOS")}) {
        if (tabla.isEmpty() || tabla.contains(QLatin1String("SELECT"), Qt::CaseInsensitive)) continue;
        for (const QString& campo : {QString(), QStringLiteral("CODIGO")}) {
            QString campoBusqueda = campo, where, sentencia = preparada;
            const QString sql = e.cons->ArmaConsulta(tabla, campoBusqueda, where, sentencia);
            // Either a statement or nothing (the operator was told the definition is incomplete).
            if (sql.isEmpty()) fuzz::exige(campo.isEmpty() && !e.op->llamadas.empty());
            else fuzz::exige(sql == preparada || sql.startsWith(QLatin1String("SELECT TOP 1000 ")));
        }
    }
    e.op->llamadas.clear();
    return 0;
}
