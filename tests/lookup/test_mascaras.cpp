// The default lookup definitions file consultas.kxd.
#include "lookup/Lib_ClsCons3.h"
#include "soporte/Soporte.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

// One record as the suite's Windows programs lay it out.
QByteArray registro(const char* titulo, const char* tabla, const char* campos)
{
    return QByteArray(titulo).leftJustified(100, ' ') + QByteArray(tabla).leftJustified(100, ' ') + QByteArray(campos).leftJustified(500, ' ')
           + QByteArray(500, ' ') + QByteArray("\r\n");
}

QByteArray esperado()
{
    return registro("ARTICULOS", "V_MA_ARTICULOS", "|DESCRIPCION|IDARTICULO|")
           + registro("CLIENTES", "VT_CLIENTES", "|RAZON_SOCIAL|CODIGO|CONTACTO|")
           + registro("PROVEEDORES", "VT_PROVEEDORES", "|RAZON_SOCIAL|CODIGO|")
           + registro("CONTACTOS", "MA_CONTACTOS", "|Nombre_y_Apellido|Domicilio|Localidad|Telefono|")
           + registro("VENDEDORES", "V_TA_VENDEDORES", "|NOMBRE|IDVENDEDOR|")
           + registro("TECNICOS", "V_TA_TECNICOS", "|NOMBRE|IDTECNICO|")
           + registro("MANTENIMIENTOS", "V_MA_MANTENIMIENTOS", "|DESCRIPCION|CODIGO|")
           + registro("CUENTAS", "MA_CUENTAS", "|DESCRIPCION|CODIGO|")
           + registro("TAREAS", "V_TA_Tareas", "|Descripcion|IdTarea|")
           + registro("UnidadNegocio", "V_TA_UnidadNegocio", "|Descripcion|Codigo|")
           + registro("DEPOSITO", "V_TA_DEPOSITO", "|Descripcion|IdDeposito|");
}

QByteArray leer(const QString& ruta)
{
    QFile f(ruta);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << ruta.toStdString();
    return f.readAll();
}

}  // namespace

TEST(MascarasConsultas, OnceRegistrosDe1202BytesExactos)
{
    prueba::CarpetaTemporal carpeta;
    const QString ruta = carpeta.archivo(QStringLiteral("consultas.kxd"));
    consulta::GrabaMascarasConsultas(ruta);
    const QByteArray b = leer(ruta);
    ASSERT_EQ(b.size(), 11 * 1202);
    EXPECT_EQ(b, esperado());
}

TEST(MascarasConsultas, SeAgreganDetrasDeLosRegistrosCompletos)
{
    prueba::CarpetaTemporal carpeta;
    const QString ruta = carpeta.archivo(QStringLiteral("consultas.kxd"));
    // One whole record of someone else's plus a cut one: the cut one is written over.
    const QByteArray propio = registro("PROPIA", "MI_TABLA", "|A|B|");
    {
        QFile f(ruta);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(propio + QByteArray("CORTADO"));
    }
    consulta::GrabaMascarasConsultas(ruta);
    EXPECT_EQ(leer(ruta), propio + esperado());
}
