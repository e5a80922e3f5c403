#include "companion/Operador.h"
#include "companion/Velmora2.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMutex>

namespace velmora {
namespace {

QMutex& cerrojo()
{
    static QMutex m;
    return m;
}

QString& rutaFijada()
{
    static QString r;
    return r;
}

}  // namespace

void FijaRutaAplicacion(const QString& carpeta)
{
    QMutexLocker l(&cerrojo());
    rutaFijada() = carpeta;
}

QString RutaAplicacion()
{
    {
        QMutexLocker l(&cerrojo());
        if (!rutaFijada().isEmpty()) return rutaFijada();
    }
    return CompletaRuta(QCoreApplication::applicationDirPath());
}

QString NombreEjecutable()
{
    const QString nombre = QCoreApplication::applicationName();
    if (!nombre.isEmpty()) return nombre;
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

int InformaError(int32_t numero, const QString& descripcion, const QString& origen)
{
    const QString titulo = origen.trimmed().isEmpty() ? QStringLiteral("Aviso al Operador") : origen;
    return MsgBox(QStringLiteral("Ha ocurrido el Siguiente Error (") + QString::number(numero) + QStringLiteral(") ") + descripcion,
                  botones::AnularReintentarOmitir + botones::Critico, titulo);
}

}  // namespace velmora
