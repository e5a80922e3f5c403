// libFuzzer target: the INI reader (LeeIni) on TQ000pr.INI, and the skin number
// that the main window takes from it (NumeroSkin, for the session's user and
// database). The input is the file. The first line, when it reads
// "section|key", names one more lookup.
#include "ArchivoFuzz.h"

#include "app/Apariencia.h"
#include "companion/Velmora2.h"
#include "data/Sesion.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t n)
{
    static const bool preparado = [] {
        qputenv("PERMUTAL_CARPETA", fuzz::carpeta().toLocal8Bit());
        datos::gDB().gDBName = QStringLiteral("Base");
        return true;
    }();
    (void)preparado;

    const QString ruta = fuzz::escribir(QStringLiteral("TQ000pr.INI"), reinterpret_cast<const char*>(datos), static_cast<qsizetype>(n));
    const QString texto = QString::fromLatin1(reinterpret_cast<const char*>(datos), static_cast<qsizetype>(n));
    const QString defecto = QStringLiteral("<defecto>");

    const QString seccion = velmora::UsuarioEquipo().toUpper() + QStringLiteral("_BASEStyles");
    const QString v = velmora::LeeIni(ruta, seccion, QStringLiteral("Styles"), defecto);
    fuzz::exige(v == defecto || v.size() <= static_cast<qsizetype>(n));

    const int numero = app::NumeroSkin();
    fuzz::exige(numero >= -32768 && numero <= 32767);
    fuzz::exige(!app::ArchivoSkin(numero).archivo.isEmpty());

    const QString primera = texto.section(QLatin1Char('\n'), 0, 0);
    const qsizetype barra = primera.indexOf(QLatin1Char('|'));
    if (barra >= 0) {
        const QString w = velmora::LeeIni(ruta, primera.left(barra), primera.mid(barra + 1), defecto);
        fuzz::exige(w == defecto || w.size() <= static_cast<qsizetype>(n));
    }
    return 0;
}
