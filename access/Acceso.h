#pragma once
// The access dialog as the data access class's way of asking for parameters.
#include "data/DB_Dll.h"

namespace acceso {

// Shows "Control de Acceso" with the request's values; true when accepted (the
// request then holds the boxes' texts and the platform index).
bool MuestraDialogoAcceso(datos::PedidoConexion& pedido);
// Makes DB_Dll use the dialog whenever it needs connection parameters.
void instalarDialogoAcceso();

}  // namespace acceso
