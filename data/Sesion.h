#pragma once
// Session objects the data routines share with the rest of the program.
#include "DB_Dll.h"

namespace datos {

// The session's main data access object, created on first use.
DB_Dll& gDB();
// Configuration flag SS_CONFIDENCIALIDAD (set by the configuration load).
extern bool gConfidencialidad;
// The logged-in user and the box number, set by the start-up; the programs
// started from a lookup receive them on their command line.
extern QString gUsuarioLogeado;
extern QString gCaja;

}  // namespace datos
