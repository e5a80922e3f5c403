#include "Skin.h"

#include "companion/Cp1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QWidget>
#include <algorithm>

namespace app {

SkinFramework::SkinFramework(QObject* parent) : QObject(parent)
{
}

bool SkinFramework::LoadSkin(const QString& ruta, const QString& ajustes)
{
    QFile f(ruta);
    if (!QFileInfo(ruta).isFile() || !f.open(QIODevice::ReadOnly)) return false;
    QString hoja = QString::fromUtf8(f.readAll());
    f.close();
    if (hoja.trimmed().isEmpty()) return false;
    QString archivoAjustes;
    if (!ajustes.trimmed().isEmpty()) {
        archivoAjustes = QDir::fromNativeSeparators(ajustes.trimmed());
        if (QDir::isRelativePath(archivoAjustes)) archivoAjustes = QFileInfo(ruta).absoluteDir().filePath(archivoAjustes);
        hoja = SustituyeColores(hoja, LeeColores(archivoAjustes));
    }
    hoja_ = hoja;
    ruta_ = ruta;
    ajustes_ = archivoAjustes;
    return true;
}

void SkinFramework::ApplyWindow(QWidget* ventana)
{
    if (!ventana || hoja_.isEmpty()) return;
    ventana->setStyleSheet(hoja_);
}

QMap<QString, QString> SkinFramework::LeeColores(const QString& archivo)
{
    QMap<QString, QString> todos, colores;
    QFile f(archivo);
    if (!f.open(QIODevice::ReadOnly)) return colores;
    const QString texto = velmora::desdeCp1252(f.readAll());
    bool enColores = false, hayColores = false;
    for (QString linea : texto.split(QLatin1Char('\n'))) {
        linea = linea.trimmed();
        if (linea.isEmpty() || linea.startsWith(QLatin1Char(';')) || linea.startsWith(QLatin1Char('#'))) continue;
        if (linea.startsWith(QLatin1Char('['))) {
            const QString seccion = linea.mid(1, linea.indexOf(QLatin1Char(']')) - 1).trimmed();
            enColores = seccion.compare(QLatin1String("Colores"), Qt::CaseInsensitive) == 0
                        || seccion.compare(QLatin1String("Colors"), Qt::CaseInsensitive) == 0;
            hayColores = hayColores || enColores;
            continue;
        }
        const qsizetype igual = linea.indexOf(QLatin1Char('='));
        if (igual <= 0) continue;
        const QString nombre = linea.left(igual).trimmed();
        const QString valor = linea.mid(igual + 1).trimmed();
        todos.insert(nombre, valor);
        if (enColores) colores.insert(nombre, valor);
    }
    return hayColores ? colores : todos;
}

QString SkinFramework::SustituyeColores(const QString& hoja, const QMap<QString, QString>& colores)
{
    QStringList nombres = colores.keys();
    // "@fondoClaro" must not be taken for "@fondo" followed by "Claro".
    std::sort(nombres.begin(), nombres.end(), [](const QString& a, const QString& b) { return a.size() > b.size(); });
    QString r = hoja;
    for (const QString& n : nombres) r.replace(QLatin1Char('@') + n, colores.value(n), Qt::CaseInsensitive);
    return r;
}

}  // namespace app
