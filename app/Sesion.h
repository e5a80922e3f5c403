#pragma once
// The session values of the program, set by the start-up.
#include "data/Sesion.h"
#include "lookup/Lib_ClsCons3.h"

#include <QString>
#include <cstdint>

namespace app {

extern QString gCarpetaAplicacion;    // ends with "/"
using datos::gUsuarioLogeado;
using datos::gCaja;
extern int16_t gTimeOut;
extern QString gTopDefault;

// The session's lookup object, created on first use.
consulta::Lib_ClsCons3& gConsulta();

}  // namespace app
