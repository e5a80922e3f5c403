#pragma once
// Readers and writer of the suite's configuration table (key, value, auxiliary
// value, group, business-policy flag), on the main and the statistics connection.
// They live with the data routines because the lookup engine reads them too.
#include "DB_Dll.h"

#include <QString>

namespace datos {

// Name of the configuration table; blank means "TA_CONFIGURACION".
extern QString gTablaConfiguracion;

// The statistics connection's data access object, created on first use.
DB_Dll& gDBEstadisticas();

// Value of a key on the main connection; its auxiliary value goes to valorAux.
// "" before the connection opens, " " for a missing key, "1" for a blank THEME.
QString Cfg(const QString& clave, QString* valorAux = nullptr);
// The same on the statistics connection.
QString CfgKX(const QString& clave, QString* valorAux = nullptr);
// Creates or updates a key on the statistics connection through an updatable recordset.
void GrabaCfgKX(const QString& clave, const ado::Variant& valor, const QString& valorAux, bool politicaNegocio,
                const QString& grupo, bool recortar);

}  // namespace datos
