#pragma once
// Embedded provider: SQLite through libsqlite3, accepting the suite's SQL Server
// dialect as the data routines write it.
#include "Proveedor.h"

#include <vector>

struct sqlite3;

namespace ado {
std::unique_ptr<Proveedor> crearProveedorSqlite();

// What the provider sets on each connection it opens: SQL Server's
// collations and functions, foreign keys, write-ahead log. For measurements
// and tools that open the file themselves and run the provider's texts.
void prepararConexionSqlite(sqlite3* db);
// The statements SQLite runs for a batch on that database, literals in place.
std::vector<QString> sentenciasSqlite(sqlite3* db, const QString& lote);

// How many batches found the rewriting and prepared statements of an earlier
// batch of their shape, and how many were rewritten anew (every embedded
// connection of the process; for measurements).
struct UsoDePlanes {
    long long hallados = 0;
    long long nuevos = 0;
};
UsoDePlanes usoDePlanesSqlite();
}
