#include "Traza.h"

#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace ado {

bool trazaActiva()
{
    return !qEnvironmentVariable("PERMUTAL_TRAZA_SQL").isEmpty();
}

void trazar(const QString& proveedor, const char* op, const QString& sql, double ms, const QString& primerError)
{
    const QString ruta = qEnvironmentVariable("PERMUTAL_TRAZA_SQL");
    if (ruta.isEmpty()) return;
    QJsonObject o;
    o.insert(QStringLiteral("ts"), QDateTime::currentDateTime().toString(Qt::ISODateWithMs));
    o.insert(QStringLiteral("provider"), proveedor);
    o.insert(QStringLiteral("op"), QString::fromLatin1(op));
    o.insert(QStringLiteral("sql"), sql);
    o.insert(QStringLiteral("ms"), ms);
    o.insert(QStringLiteral("error"), primerError.isNull() ? QJsonValue(QJsonValue::Null) : QJsonValue(primerError));
    // One open, write and close per line, so several processes can share the file.
    QFile f(ruta);
    if (!f.open(QIODevice::Append | QIODevice::WriteOnly)) return;
    QByteArray linea = QJsonDocument(o).toJson(QJsonDocument::Compact);
    linea.append('\n');
    f.write(linea);
}

}  // namespace ado
