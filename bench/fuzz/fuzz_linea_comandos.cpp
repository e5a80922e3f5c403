// libFuzzer target: the suite's command-line parser (ValorParametro) and the
// server normalisation. The input is the command line itself; it is also
// wrapped as the value of one item to check that a value comes back whole.
// Build by hand (clang):
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I. $(pkg-config --cflags Qt6Core) -fPIC \
//     bench/fuzz/fuzz_linea_comandos.cpp app/LineaComandos.cpp -lQt6Core -o fuzz_linea_comandos
#include "app/Inicio.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdlib>

namespace {

void exige(bool condicion)
{
    if (!condicion) std::abort();
}

const QStringList& claves()
{
    static const QStringList c = {QStringLiteral("@ParametroAdicional"), QStringLiteral("@Menu"), QStringLiteral("@Server"),
                                  QStringLiteral("@DbName"), QStringLiteral("@Usuario"), QStringLiteral("@Password"),
                                  QStringLiteral("@UsuarioLogeado"), QStringLiteral("@Caja")};
    return c;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t n)
{
    const QString linea = QString::fromUtf8(reinterpret_cast<const char*>(datos), static_cast<qsizetype>(n));
    const QString falta = QStringLiteral("<falta>");

    for (const QString& clave : claves()) {
        const QString v = app::ValorParametro(linea, clave, falta);
        if (!linea.contains(clave, Qt::CaseInsensitive)) {
            exige(v == falta);
            continue;
        }
        // A value is a piece of the line, never crosses its ";" and carries no outer blanks.
        exige(v != falta || linea.contains(falta));
        exige(!v.contains(QLatin1Char(';')));
        exige(v == v.trimmed());
        exige(linea.contains(v));
    }

    const QString servidor = app::NormalizaServidor(linea);
    exige(!servidor.contains(QLatin1Char(':')));
    exige(linea.contains(servidor));
    if (!linea.contains(QLatin1Char('/')) && !linea.contains(QLatin1Char(':'))) exige(servidor == linea);

    // The line as the value of one item: it comes back trimmed, whole, when it
    // cannot be mistaken for the item's end or for another key.
    if (!linea.contains(QLatin1Char(';')) && !linea.contains(QLatin1Char('@'))) {
        const QString item = QStringLiteral("@Menu=x; @Server = ") + linea + QStringLiteral(" ;@Caja=2;");
        // Only the separating "=" goes: one the value starts with stays.
        exige(app::ValorParametro(item, QStringLiteral("@server"), falta) == linea.trimmed());
        exige(app::ValorParametro(item, QStringLiteral("@CAJA"), falta) == QStringLiteral("2"));
    }
    return 0;
}
