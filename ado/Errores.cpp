#include "Errores.h"

namespace ado {

const Error& Errors::Item(long i) const
{
    if (i < 0 || i >= Count()) throw falloClasico(num::ItemNoEncontrado);
    return lista_[static_cast<size_t>(i)];
}

Fallo::Fallo(int32_t numero, const QString& descripcion, const QString& origen)
    : std::runtime_error(descripcion.toStdString()), numero_(numero), descripcion_(descripcion), origen_(origen)
{
}

QString descripcionClasica(int32_t numero)
{
    switch (numero) {
    case num::InvalidoArgumento: return QStringLiteral("Llamada a procedimiento o argumento no válido");
    case num::UsoInvalidoNulo: return QStringLiteral("Uso no válido de Null");
    case num::ObjetoCerrado: return QStringLiteral("No se permite la operación si el objeto está cerrado.");
    case num::ObjetoAbierto: return QStringLiteral("No se permite la operación si el objeto está abierto.");
    case num::ConexionInvalida: return QStringLiteral("No se puede usar la conexión para realizar esta operación. Está cerrada o no es válida en este contexto.");
    case num::NoPermitidoContexto: return QStringLiteral("No se permite la operación en este contexto.");
    case num::ItemNoEncontrado: return QStringLiteral("No se encontró el elemento en la colección correspondiente al nombre o al ordinal solicitado.");
    case num::BofEof: return QStringLiteral("BOF o EOF es True, o el actual registro se eliminó; la operación solicitada requiere un registro actual.");
    case num::FalloNoEspecificado: return QStringLiteral("Error no especificado");
    case num::TiempoAgotado: return QStringLiteral("Tiempo de espera agotado");
    case num::FilaNoEncontrada:
        return QStringLiteral("Row cannot be located for updating. Some values may have been changed since it was last read.");
    default: return QStringLiteral("Error de aplicación");
    }
}

Fallo falloClasico(int32_t numero, const QString& origen)
{
    return Fallo(numero, descripcionClasica(numero), origen);
}

}  // namespace ado
