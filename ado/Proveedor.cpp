#include "Proveedor.h"

#include "ProveedorOdbc.h"
#include "ProveedorSqlite.h"
#include "TextoConexion.h"

namespace ado {

std::unique_ptr<Proveedor> crearProveedor(const QString& textoConexion)
{
    const Destino d = destinoDe(textoConexion);
    switch (d) {
    case Destino::Sqlite: return crearProveedorSqlite();
    case Destino::SqlServer: case Destino::Oracle: case Destino::Access: case Destino::OdbcDirecto:
        return crearProveedorOdbc(d);
    case Destino::Ninguno: break;
    }
    return nullptr;
}

}  // namespace ado
