#pragma once
// Session objects the data routines share with the rest of the program.
#include "DB_Dll.h"

namespace datos {

// The session's main data access object, created on first use.
DB_Dll& gDB();
// Configuration flag SS_CONFIDENCIALIDAD (set by the configuration load).
extern bool gConfidencialidad;

}  // namespace datos
