#include "companion/Velmora2.h"

#include <QDir>
#include <QSysInfo>

#include <pwd.h>
#include <unistd.h>

namespace velmora {

QString NombreEquipo()
{
    return QSysInfo::machineHostName();
}

QString UsuarioEquipo()
{
    for (const char* var : {"USER", "LOGNAME"}) {
        const QString v = qEnvironmentVariable(var).trimmed();
        if (!v.isEmpty()) return v;
    }
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_name) return QString::fromLocal8Bit(pw->pw_name);
    return QString();
}

QString CarpetaTemporal()
{
    return CompletaRuta(QDir::tempPath());
}

}  // namespace velmora
