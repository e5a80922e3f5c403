#include "Apariencia.h"

#include "Skin.h"

#include "ado/TextoConexion.h"
#include "companion/Velmora2.h"
#include "data/Sesion.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QWidget>
#include <cmath>
#include <cstdint>
#include <limits>

namespace app {

int NumeroSkin()
{
    const QString ini = ado::carpetaAplicacion() + QStringLiteral("TQ000pr.INI");
    const QString seccion =
        velmora::UsuarioEquipo().toUpper() + QStringLiteral("_") + datos::gDB().gDBName.toUpper() + QStringLiteral("Styles");
    const QString valor = velmora::LeeIni(ini, seccion, QStringLiteral("Styles"), QStringLiteral("4"));
    // A value that is not a number, or does not fit the classic Integer, counts as 0.
    const double n = std::round(velmora::TextoANumero(valor));
    if (n < std::numeric_limits<int16_t>::min() || n > std::numeric_limits<int16_t>::max()) return 0;
    return static_cast<int>(n);
}

EleccionSkin ArchivoSkin(int numero)
{
    switch (numero) {
    case 1: return {QStringLiteral("Styles/Vista.cjstyles"), QString()};
    case 2: return {QStringLiteral("Styles/WinXP.Luna.cjstyles"), QString()};
    case 3: return {QStringLiteral("Styles/WinXP.Royale.cjstyles"), QString()};
    case 4: return {QStringLiteral("Styles/iTunes"), QStringLiteral("Normalitunes.ini")};
    default: return {QStringLiteral("Styles/Office2007.cjstyles"), QString()};
    }
}

SkinFramework* SkinDe(QWidget* ventana)
{
    return ventana ? ventana->findChild<SkinFramework*>(QStringLiteral("SkinFramework1"), Qt::FindDirectChildrenOnly) : nullptr;
}

QStringList CarpetasSkins()
{
    QStringList carpetas{velmora::CompletaRuta(ado::carpetaAplicacion())};
    // A folder named by PERMUTAL_CARPETA may hold no skins: the built program
    // keeps a copy beside it, an installed one in the shared data folder.
    if (QCoreApplication::instance()) {
        const QString programa = QCoreApplication::applicationDirPath();
        carpetas << velmora::CompletaRuta(programa);
#ifdef PERMUTAL_DATOS_RELATIVOS
        carpetas << velmora::CompletaRuta(QDir::cleanPath(programa + QStringLiteral("/" PERMUTAL_DATOS_RELATIVOS)));
#endif
    }
    carpetas.removeDuplicates();
    return carpetas;
}

QString CarpetaConSkins(const QStringList& carpetas)
{
    for (const QString& c : carpetas)
        if (QFileInfo(c + QStringLiteral("Styles")).isDir()) return c;
    return carpetas.value(0);
}

void AplicaSkin(QWidget* ventana)
{
    if (!ventana) return;
    SkinFramework* skin = SkinDe(ventana);
    if (!skin) {
        skin = new SkinFramework(ventana);
        skin->setObjectName(QStringLiteral("SkinFramework1"));
    }
    const EleccionSkin e = ArchivoSkin(NumeroSkin());
    skin->LoadSkin(CarpetaConSkins(CarpetasSkins()) + e.archivo, e.ajustes);
    skin->ApplyWindow(ventana);
    skin->setApplyOptions(skin->ApplyOptions() | SkinFramework::xtpSkinApplyFrame);
    // One look: the lists, the tree, the dialogs, the banner and the message
    // boxes the session opens take the same skin.
    if (skin->cargado()) {
        if (auto* aplicacion = qobject_cast<QApplication*>(QCoreApplication::instance())) aplicacion->setStyleSheet(skin->hojaEstilo());
    }
}

void AplicaIcono(QWidget* ventana)
{
    if (!ventana) return;
    // A window designed with its own icon keeps it.
    if (!ventana->windowIcon().isNull()) return;
    for (const QString& recurso : {QStringLiteral(":/permutal/ICONQUENLOR"), QStringLiteral(":/ICONQUENLOR"),
                                   QStringLiteral(":/permutal/iconos/permutal.png")}) {
        const QIcon icono(recurso);
        if (!icono.isNull() && !icono.availableSizes().isEmpty()) {
            ventana->setWindowIcon(icono);
            return;
        }
    }
    const QString archivo = QDir::current().filePath(QStringLiteral("quenlor.ico"));
    if (!QFileInfo::exists(archivo)) return;
    const QIcon icono(archivo);
    if (!icono.isNull()) ventana->setWindowIcon(icono);
}

}  // namespace app
