#include "companion/Cp1252.h"
#include "companion/Velmora2.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace velmora {
namespace {

// The suite's files come from Windows, where names ignore case ("tq000pr.ini"
// is "TQ000pr.INI"): when the exact name is missing, take the one in the same
// folder whose name differs only in case.
QString buscaArchivo(const QString& archivo)
{
    const QFileInfo fi(archivo);
    if (fi.exists()) return archivo;
    const QDir carpeta = fi.absoluteDir();
    const QStringList nombres = carpeta.entryList(QDir::Files | QDir::Hidden);
    for (const QString& n : nombres)
        if (n.compare(fi.fileName(), Qt::CaseInsensitive) == 0) return carpeta.filePath(n);
    return QString();
}

}  // namespace

QString LeeIni(const QString& archivo, const QString& seccion, const QString& clave, const QString& porDefecto)
{
    if (archivo.isEmpty()) return porDefecto;
    const QString ruta = buscaArchivo(archivo);
    if (ruta.isEmpty()) return porDefecto;
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly)) return porDefecto;
    const QString texto = desdeCp1252(f.readAll());

    const QString buscada = seccion.trimmed();
    const QString clav = clave.trimmed();
    bool enSeccion = false;
    for (QStringView linea : QStringView(texto).split(QLatin1Char('\n'))) {
        linea = linea.trimmed();   // also drops the CR of CR LF
        if (linea.isEmpty() || linea.startsWith(QLatin1Char(';'))) continue;
        if (linea.startsWith(QLatin1Char('['))) {
            const qsizetype fin = linea.indexOf(QLatin1Char(']'));
            if (fin < 0) continue;
            enSeccion = linea.mid(1, fin - 1).trimmed().compare(buscada, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!enSeccion) continue;
        const qsizetype igual = linea.indexOf(QLatin1Char('='));
        if (igual < 0) continue;
        if (linea.left(igual).trimmed().compare(clav, Qt::CaseInsensitive) != 0) continue;
        QStringView valor = linea.mid(igual + 1).trimmed();
        // A value written between double quotes is taken without them, as Windows does.
        if (valor.size() >= 2 && valor.startsWith(QLatin1Char('"')) && valor.endsWith(QLatin1Char('"')))
            valor = valor.mid(1, valor.size() - 2);
        return valor.toString();
    }
    return porDefecto;
}

}  // namespace velmora
