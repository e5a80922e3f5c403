#include "Skin.h"

#include "companion/Cp1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QWidget>
#include <algorithm>
#include <functional>
#include <vector>

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
        // Colours that leave nothing of the sheet leave no skin either.
        if (hoja.trimmed().isEmpty()) return false;
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
    // One pass over the sheet: a settings file of many entries must not cost a
    // pass each. At every "@" the longest name that follows wins ("@fondoClaro"
    // is not "@fondo" followed by "Claro"); names ignore case.
    QHash<QString, QString> porNombre;
    std::vector<qsizetype> largos;
    for (auto i = colores.cbegin(); i != colores.cend(); ++i) {
        if (i.key().isEmpty()) continue;
        const QString clave = i.key().toCaseFolded();
        if (porNombre.contains(clave)) continue;   // the first in the table's order, as before
        porNombre.insert(clave, i.value());
        largos.push_back(i.key().size());
    }
    std::sort(largos.begin(), largos.end(), std::greater<>());
    largos.erase(std::unique(largos.begin(), largos.end()), largos.end());

    QString r;
    r.reserve(hoja.size());
    qsizetype i = 0;
    while (i < hoja.size()) {
        const qsizetype arroba = hoja.indexOf(QLatin1Char('@'), i);
        if (arroba < 0) {
            r += QStringView(hoja).mid(i);
            break;
        }
        r += QStringView(hoja).mid(i, arroba - i);
        i = arroba + 1;
        bool hallado = false;
        for (qsizetype largo : largos) {
            if (i + largo > hoja.size()) continue;
            const auto valor = porNombre.constFind(hoja.mid(i, largo).toCaseFolded());
            if (valor == porNombre.cend()) continue;
            r += *valor;
            i += largo;
            hallado = true;
            break;
        }
        if (!hallado) r += QLatin1Char('@');
    }
    return r;
}

}  // namespace app
