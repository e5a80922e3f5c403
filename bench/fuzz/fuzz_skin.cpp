// libFuzzer target: the skin's settings file (Normalitunes.ini: colour names
// that the style sheet uses as @name) and the sheet it is applied to. The input
// is "settings" NUL "sheet"; without a NUL it is the settings alone and a small
// sheet is used.
#include "ArchivoFuzz.h"

#include "app/Skin.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t n)
{
    const char* d = reinterpret_cast<const char*>(datos);
    const void* nul = std::memchr(d, 0, n);
    const size_t largoAjustes = nul ? static_cast<size_t>(static_cast<const char*>(nul) - d) : n;
    QByteArray hoja = nul ? QByteArray(d + largoAjustes + 1, static_cast<qsizetype>(n - largoAjustes - 1))
                          : QByteArrayLiteral("QWidget { background: @fondo; color: @texto; }\nQPushButton { border: 1px solid @borde; }\n");

    const QString ajustes = fuzz::escribir(QStringLiteral("Normalitunes.ini"), d, static_cast<qsizetype>(largoAjustes));
    const QString skin = fuzz::escribir(QStringLiteral("iTunes"), hoja.constData(), hoja.size());

    const QMap<QString, QString> colores = app::SkinFramework::LeeColores(ajustes);
    for (auto i = colores.cbegin(); i != colores.cend(); ++i) {
        fuzz::exige(!i.key().isEmpty());
        fuzz::exige(!i.key().contains(QLatin1Char('\n')) && !i.value().contains(QLatin1Char('\n')));
    }

    app::SkinFramework sf;
    const bool cargado = sf.LoadSkin(skin, QStringLiteral("Normalitunes.ini"));
    // Loaded when the sheet, colours replaced, still holds something.
    if (QString::fromUtf8(hoja).trimmed().isEmpty()) fuzz::exige(!cargado);
    fuzz::exige(sf.cargado() == cargado);
    if (cargado) fuzz::exige(!sf.hojaEstilo().trimmed().isEmpty());
    return 0;
}
