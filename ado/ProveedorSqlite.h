#pragma once
// Embedded provider: SQLite through libsqlite3, accepting the suite's SQL Server
// dialect as the data routines write it.
#include "Proveedor.h"

namespace ado {
std::unique_ptr<Proveedor> crearProveedorSqlite();
}
