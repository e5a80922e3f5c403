#pragma once
// Statement trace: when PERMUTAL_TRAZA_SQL names a file, every text handed to a
// connection is appended to it as one JSON object per line.
#include <QString>

namespace ado {
void trazar(const QString& proveedor, const char* op, const QString& sql, double ms, const QString& primerError);
bool trazaActiva();
}
