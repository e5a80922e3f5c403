#include "Sesion.h"

namespace datos {

bool gConfidencialidad = false;

DB_Dll& gDB()
{
    static DB_Dll db;
    return db;
}

}  // namespace datos
