#include "BaseDemo.h"

#include "ado/TextoConexion.h"

#include <QFile>
#include <QFileInfo>
#include <mutex>
#include <sqlite3.h>

// The scripts live in the app library's resources; a static library only links
// the resource object when something names it.
static void registrarRecursosDemo()
{
    static std::once_flag una;
    std::call_once(una, [] { Q_INIT_RESOURCE(app); });
}

namespace app {
namespace {

bool fallar(QString* error, const QString& mensaje)
{
    if (error) *error = mensaje;
    return false;
}

bool leerRecurso(const QString& nombre, QByteArray& texto, QString* error)
{
    registrarRecursosDemo();
    QFile f(QStringLiteral(":/permutal/demo/") + nombre);
    if (!f.open(QIODevice::ReadOnly))
        return fallar(error, QStringLiteral("No se encontró el guion %1 de la base de demostración.").arg(nombre));
    texto = f.readAll();
    return true;
}

QString mensajeSqlite(sqlite3* db)
{
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("sin memoria");
}

// Number of schema objects of an open database; -1 when it cannot be read (not a
// database, locked...).
int objetosEsquema(sqlite3* db)
{
    sqlite3_stmt* st = nullptr;
    int n = -1;
    if (sqlite3_prepare_v2(db, "SELECT count(*) FROM sqlite_master", -1, &st, nullptr) == SQLITE_OK
        && sqlite3_step(st) == SQLITE_ROW)
        n = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    return n;
}

bool ejecutar(sqlite3* db, const char* sql, QString* detalle)
{
    char* err = nullptr;
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &err);
    if (rc != SQLITE_OK && detalle) *detalle = err ? QString::fromUtf8(err) : QString::fromUtf8(sqlite3_errstr(rc));
    sqlite3_free(err);
    return rc == SQLITE_OK;
}

// Builds a database file from scripts run in order, all in one transaction.
bool crearBase(const QString& ruta, const QStringList& guiones, const QString& queBase, QString* error)
{
    if (error) error->clear();
    if (ruta.trimmed().isEmpty())
        return fallar(error, QStringLiteral("No se indicó el archivo de la %1.").arg(queBase));

    // Read everything first: a missing script must not leave an empty file behind.
    std::vector<QByteArray> textos;
    for (const QString& g : guiones) {
        QByteArray t;
        if (!leerRecurso(g, t, error)) return false;
        textos.push_back(std::move(t));
    }

    // NewOnly makes "does it exist" and "create it" one step, so a database that
    // appears meanwhile is never taken over.
    bool propio = false;
    {
        QFile nuevo(ruta);
        if (nuevo.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            propio = true;
        } else if (!QFileInfo::exists(ruta)) {
            return fallar(error, QStringLiteral("No se pudo crear el archivo %1: %2").arg(ruta, nuevo.errorString()));
        }
    }

    sqlite3* db = nullptr;
    const QByteArray nombre = QFile::encodeName(ruta);
    if (sqlite3_open_v2(nombre.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        const QString m = mensajeSqlite(db);
        sqlite3_close(db);
        if (propio) QFile::remove(ruta);
        return fallar(error, QStringLiteral("No se pudo abrir %1: %2").arg(ruta, m));
    }

    QString detalle;
    // An existing file is filled only when it holds no table at all; the check is
    // repeated inside the write transaction so nobody else fills it meanwhile.
    if (!propio && objetosEsquema(db) != 0) {
        sqlite3_close(db);
        return fallar(error, QStringLiteral("Ya existe el archivo %1; no se reemplaza la %2.").arg(ruta, queBase));
    }
    if (!ejecutar(db, "BEGIN IMMEDIATE", &detalle)) {
        sqlite3_close(db);
        return fallar(error, QStringLiteral("No se pudo crear la %1 en %2: %3").arg(queBase, ruta, detalle));
    }
    bool ok = propio || objetosEsquema(db) == 0;
    if (!ok) detalle = QStringLiteral("el archivo ya tiene tablas");
    for (const QByteArray& t : textos) {
        if (!ok) break;
        ok = ejecutar(db, t.constData(), &detalle);
    }
    if (ok) ok = ejecutar(db, "COMMIT", &detalle);
    if (!ok) ejecutar(db, "ROLLBACK", nullptr);
    const bool cerrada = sqlite3_close(db) == SQLITE_OK;
    if (!ok) {
        if (propio) {
            QFile::remove(ruta);
            QFile::remove(ruta + QStringLiteral("-journal"));
        }
        return fallar(error, QStringLiteral("No se pudo crear la %1 en %2: %3").arg(queBase, ruta, detalle));
    }
    if (!cerrada)
        return fallar(error, QStringLiteral("No se pudo cerrar la %1 en %2.").arg(queBase, ruta));
    return true;
}

}  // namespace

bool crearBaseDemo(const QString& ruta, QString* error)
{
    return crearBase(ruta, {QStringLiteral("esquema.sql"), QStringLiteral("datos.sql")},
                     QStringLiteral("base de demostración"), error);
}

bool crearBaseEstadisticas(const QString& ruta, QString* error)
{
    return crearBase(ruta, {QStringLiteral("estadisticas.sql")}, QStringLiteral("base de estadísticas"), error);
}

QString rutaBaseDemo()
{
    return ado::carpetaAplicacion() + QStringLiteral("PERMUTAL_DEMO.db");
}

QString rutaBaseEstadisticas()
{
    return ado::carpetaAplicacion() + QStringLiteral("KX_ESTADISTICAS.db");
}

}  // namespace app
