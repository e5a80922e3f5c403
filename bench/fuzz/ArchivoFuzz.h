#pragma once
// For the targets whose reader only takes a path: one folder per process on a
// memory file system, the input written there before each run.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdlib>
#include <unistd.h>

namespace fuzz {

// The process's folder, ending with "/"; made on first use under /dev/shm (or /tmp).
inline const QString& carpeta()
{
    static const QString c = [] {
        const char* base = QDir(QStringLiteral("/dev/shm")).exists() ? "/dev/shm" : "/tmp";
        QByteArray plantilla = QByteArray(base) + "/permutal-fuzz-XXXXXX";
        if (!mkdtemp(plantilla.data())) std::abort();
        return QString::fromLocal8Bit(plantilla) + QLatin1Char('/');
    }();
    return c;
}

// Replaces the file's content with the bytes given; returns its path.
inline QString escribir(const QString& nombre, const char* datos, qsizetype n)
{
    const QString ruta = carpeta() + nombre;
    QFile f(ruta);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
    if (f.write(datos, n) != n) std::abort();
    return ruta;
}

inline void exige(bool condicion)
{
    if (!condicion) std::abort();
}

}  // namespace fuzz
