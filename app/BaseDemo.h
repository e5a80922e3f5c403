#pragma once
// The demo: an embedded company database with believable sample data, and the
// statistics database beside it, built from the scripts compiled into the
// program (:/permutal/demo/esquema.sql, datos.sql, estadisticas.sql).
#include <QString>

namespace app {

// Creates the demo database at ruta: schema and rows in one transaction, so a
// failure (or a killed process) leaves no half-filled database. An existing
// database is never replaced; only a file without any table (empty, or left by
// an interrupted creation) is filled. On failure *error (when given) receives a
// Spanish message and false is returned.
bool crearBaseDemo(const QString& ruta, QString* error);

// The same for the statistics database (its configuration table, without the
// "TimeOut" key, which the first start writes).
bool crearBaseEstadisticas(const QString& ruta, QString* error);

// Application folder + "PERMUTAL_DEMO.db".
QString rutaBaseDemo();
// Application folder + "KX_ESTADISTICAS.db", where the embedded provider looks
// for the statistics database.
QString rutaBaseEstadisticas();

}  // namespace app
