// The default lookup definitions file "consultas.kxd", written at start-up when
// the application folder has none. Fixed 1202-byte records shared with the
// suite's Windows programs: title 100, table 100, columns 500, filter 500, CR LF.
#include "Lib_ClsCons3.h"

#include "companion/Cp1252.h"

#include <QFile>

namespace consulta {

namespace {

constexpr int kLargoTitulo = 100, kLargoTabla = 100, kLargoCampos = 500, kLargoFiltro = 500;
constexpr int kLargoRegistro = kLargoTitulo + kLargoTabla + kLargoCampos + kLargoFiltro + 2;
static_assert(kLargoRegistro == 1202);

struct Mascara {
    const char* titulo;
    const char* tabla;
    const char* campos;
};

const Mascara kMascaras[] = {
    {"ARTICULOS", "V_MA_ARTICULOS", "|DESCRIPCION|IDARTICULO|"},
    {"CLIENTES", "VT_CLIENTES", "|RAZON_SOCIAL|CODIGO|CONTACTO|"},
    {"PROVEEDORES", "VT_PROVEEDORES", "|RAZON_SOCIAL|CODIGO|"},
    {"CONTACTOS", "MA_CONTACTOS", "|Nombre_y_Apellido|Domicilio|Localidad|Telefono|"},
    {"VENDEDORES", "V_TA_VENDEDORES", "|NOMBRE|IDVENDEDOR|"},
    {"TECNICOS", "V_TA_TECNICOS", "|NOMBRE|IDTECNICO|"},
    {"MANTENIMIENTOS", "V_MA_MANTENIMIENTOS", "|DESCRIPCION|CODIGO|"},
    {"CUENTAS", "MA_CUENTAS", "|DESCRIPCION|CODIGO|"},
    {"TAREAS", "V_TA_Tareas", "|Descripcion|IdTarea|"},
    {"UnidadNegocio", "V_TA_UnidadNegocio", "|Descripcion|Codigo|"},
    {"DEPOSITO", "V_TA_DEPOSITO", "|Descripcion|IdDeposito|"},
};

// A fixed-length text field: cut to its length, padded with blanks.
QByteArray campoFijo(const QString& texto, int largo)
{
    QByteArray b = velmora::aCp1252(texto).left(largo);
    b.append(QByteArray(largo - b.size(), ' '));
    return b;
}

}  // namespace

void GrabaMascarasConsultas(const QString& ruta)
{
    QFile f(ruta);
    if (!f.open(QIODevice::ReadWrite)) return;
    for (const Mascara& m : kMascaras) {
        QByteArray registro;
        registro.reserve(kLargoRegistro);
        registro += campoFijo(QString::fromLatin1(m.titulo).trimmed(), kLargoTitulo);
        registro += campoFijo(QString::fromLatin1(m.tabla), kLargoTabla);
        registro += campoFijo(QString::fromLatin1(m.campos).trimmed(), kLargoCampos);
        registro += campoFijo(QString(), kLargoFiltro);
        registro += "\r\n";
        // Appended as the next whole record: record number (length / 1202) + 1.
        if (!f.seek((f.size() / kLargoRegistro) * kLargoRegistro)) return;
        if (f.write(registro) != registro.size()) return;
    }
}

}  // namespace consulta
