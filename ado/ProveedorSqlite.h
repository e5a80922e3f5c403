#pragma once
// Embedded provider: SQLite through libsqlite3, accepting the suite's SQL Server
// dialect as the data routines write it.
#include "Proveedor.h"

namespace ado {
std::unique_ptr<Proveedor> crearProveedorSqlite();

// How many batches found the rewriting and prepared statements of an earlier
// batch of their shape, and how many were rewritten anew (every embedded
// connection of the process; for measurements).
struct UsoDePlanes {
    long long hallados = 0;
    long long nuevos = 0;
};
UsoDePlanes usoDePlanesSqlite();
}
