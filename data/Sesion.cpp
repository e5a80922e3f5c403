#include "Sesion.h"

namespace datos {

bool gConfidencialidad = false;
QString gUsuarioLogeado;
QString gCaja;

DB_Dll& gDB()
{
    static DB_Dll db;
    return db;
}

}  // namespace datos
