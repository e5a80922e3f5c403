#pragma once
// ODBC provider (unixODBC): SQL Server through FreeTDS (or Microsoft's driver),
// Oracle through an Oracle ODBC driver, Access files through MDBTools, and
// "Driver=" / "DSN=" texts passed as they are.
#include "Proveedor.h"
#include "TextoConexion.h"

namespace ado {
std::unique_ptr<Proveedor> crearProveedorOdbc(Destino destino);
// The ODBC connection text an OLE DB style text becomes (for tests and the trace).
QString textoOdbc(const QString& textoOleDb, Destino destino);
}
