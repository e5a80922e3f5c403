#pragma once
// The suite's confidentiality rule: statements of users who are not
// administrators read certain accounting and stock tables through their
// restricted "SS_" counterparts.
#include <QString>

namespace datos {

// The statement with the confidential table names substituted and every
// "@Admin_" marker removed. An administrator only loses the markers; so does
// a statement on MV_ASIENTOS when confidentiality is off. ejecutable is the
// program's name without extension (some programs keep two of the tables).
QString SS_TSinonimos(const QString& sql, bool esAdmin, bool confidencialidad, const QString& ejecutable);

// The text without any "@Admin_" marker (any case).
QString QuitaMarcaAdmin(const QString& sql);

}  // namespace datos
