#include "Sesion.h"

namespace app {

QString gCarpetaAplicacion;
int16_t gTimeOut = 360;
QString gTopDefault;

consulta::Lib_ClsCons3& gConsulta()
{
    static consulta::Lib_ClsCons3 c;
    return c;
}

}  // namespace app
