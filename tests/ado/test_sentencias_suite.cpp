// Every statement text the program sends, exactly as the data routines build
// them, run by the embedded provider on the demo database.
#include "ado/Connection.h"
#include "ado/Recordset.h"
#include "soporte/Soporte.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct Caso {
    const char* nombre;
    const char* sql;
    enum Operacion { Abrir, Ejecutar } op;
    // Checks the recordset (Abrir) or the database file afterwards (Ejecutar).
    std::function<void(ado::Recordset&, const QString& base)> verificar;
};

QString q(const QString& base, const char* sql)
{
    return prueba::consultarSqlite(base, QString::fromUtf8(sql));
}

long filas(ado::Recordset& rs)
{
    long n = 0;
    for (rs.MoveFirst(); !rs.eof(); rs.MoveNext()) ++n;
    rs.MoveFirst();
    return n;
}

const char* kLote =
    "BEGIN TRANSACTION\r\n"
    "UPDATE C_MV_CPTETAREAS SET CUENTA='P00007' WHERE TC='OC' AND IDCOMPROBANTE='000100001204A'\r\n"
    "UPDATE C_MV_CPTE_OBSERV SET CUENTA='P00007' WHERE TC='OC' AND IDCOMPROBANTE='000100001204A'\r\n"
    "UPDATE C_MV_CPTEINSUMOS SET CUENTA='P00007' WHERE TC='OC' AND IDCOMPROBANTE='000100001204A'\r\n"
    "UPDATE C_MV_CPTE SET CUENTA='P00007', NOMBRE='O''Brien Hnos. S.R.L.',DOMICILIO='Av. O''Higgins 1450 2 A',TELEFONO='(011) 4714-2477',"
    "LOCALIDAD='Ciudad Autónoma de Buenos Aires',IDPROVINCIA='CABA',CODIGOPOSTAL='1043',DOCUMENTOTIPO='CUIT',DOCUMENTONUMERO='30-54788091-5',"
    "CONDICIONIVA='RI' WHERE TC='OC' AND IDCOMPROBANTE='000100001204A'\r\n"
    "UPDATE V_MV_STOCK SET CUENTAPROVEEDOR='P00007' WHERE  TC='IR' AND IDCOMPROBANTE='000100000304X' AND TC_ORIGEN='OC' AND "
    "IDCOMPROBANTE_ORIGEN='000100001204A'\r\n";

TEST(SentenciasDeLaSuite, CadaTextoCorreEnElMotorEmbebido)
{
    prueba::CarpetaTemporal carpeta;
    const QString base = carpeta.archivo("PERMUTAL_DEMO.db");
    prueba::crearBaseDemoEn(base);
    prueba::ejecutarSqlite(carpeta.archivo("KX_ESTADISTICAS.db"), prueba::leerFuente(QStringLiteral("app/demo/estadisticas.sql")));

    const std::vector<Caso> casos = {
        // Save: its reads, the batch, the closing statement.
        {"datos del proveedor",
         "SELECT Razon_Social, (CALLE + ' ' + NUMERO + ' ' + PISO  + ' ' + DEPARTAMENTO ) AS Domicilio, Telefono, Localidad, Provincia, CPostal, "
         "Documento_Tipo, Numero_Documento,IVA FROM VT_PROVEEDORES WHERE CODIGO='P00007'",
         Caso::Abrir,
         [](ado::Recordset& rs, const QString&) {
             ASSERT_EQ(filas(rs), 1);
             EXPECT_EQ(rs.Fields(QStringLiteral("Razon_Social")).Value().toText(), QStringLiteral("O'Brien Hnos. S.R.L."));
             EXPECT_EQ(rs.Fields(QStringLiteral("Domicilio")).Value().toText(), QStringLiteral("Av. O'Higgins 1450 2 A"));
             EXPECT_EQ(rs.Fields(QStringLiteral("IVA")).Value().toText(), QStringLiteral("RI"));
         }},
        {"informe de recepcion de la OC",
         "SELECT TOP 1 * FROM V_MV_STOCK with(nolock)  WHERE LTRIM(RTRIM(TC_ORIGEN)) ='OC'  AND TC_ORIGEN='OC' AND IDCOMPROBANTE_ORIGEN='000100001204A' "
         "AND TC='IR'",
         Caso::Abrir,
         [](ado::Recordset& rs, const QString&) {
             ASSERT_EQ(filas(rs), 1);
             EXPECT_EQ(rs.Fields(QStringLiteral("IDCOMPROBANTE")).Value().toText(), QStringLiteral("000100000304X"));
         }},
        {"origenes del informe compartido",
         "SELECT TC_ORIGEN,IDCOMPROBANTE_ORIGEN FROM V_MV_STOCK WHERE TC='IR' AND IDCOMPROBANTE='000100000314X' GROUP BY TC_ORIGEN,IDCOMPROBANTE_ORIGEN",
         Caso::Abrir,
         [](ado::Recordset& rs, const QString&) {
             ASSERT_EQ(filas(rs), 2);
             EXPECT_EQ(rs.Fields(QStringLiteral("IdComprobante_origen")).Value().toText(), QStringLiteral("000100001215A"));
         }},
        {"lote del cambio de proveedor", kLote, Caso::Ejecutar,
         [](ado::Recordset&, const QString& b) {
             // Inside the open transaction another connection still sees the old rows.
             EXPECT_NE(q(b, "SELECT CUENTA FROM C_MV_CPTE WHERE IDCOMPROBANTE='000100001204A'"), QStringLiteral("P00007"));
         }},
        {"confirmacion", "COMMIT TRANSACTION", Caso::Ejecutar,
         [](ado::Recordset&, const QString& b) {
             EXPECT_EQ(q(b, "SELECT NOMBRE FROM C_MV_CPTE WHERE TC='OC' AND IDCOMPROBANTE='000100001204A'"), QStringLiteral("O'Brien Hnos. S.R.L."));
             EXPECT_EQ(q(b, "SELECT DOMICILIO FROM C_MV_CPTE WHERE TC='OC' AND IDCOMPROBANTE='000100001204A'"), QStringLiteral("Av. O'Higgins 1450 2 A"));
             for (const char* t : {"C_MV_CPTETAREAS", "C_MV_CPTE_OBSERV", "C_MV_CPTEINSUMOS"})
                 EXPECT_EQ(q(b, QStringLiteral("SELECT COUNT(*) FROM %1 WHERE TC='OC' AND IDCOMPROBANTE='000100001204A' AND CUENTA<>'P00007'")
                                    .arg(QLatin1String(t))
                                    .toUtf8()
                                    .constData()),
                           QStringLiteral("0"))
                     << t;
             EXPECT_EQ(q(b, "SELECT COUNT(*) FROM MV_STOCK WHERE TC='IR' AND IDCOMPROBANTE='000100000304X' AND CUENTAPROVEEDOR<>'P00007'"),
                       QStringLiteral("0"));
             EXPECT_NE(q(b, "SELECT COUNT(*) FROM MV_STOCK WHERE TC='IR' AND IDCOMPROBANTE='000100000304X'"), QStringLiteral("0"));
         }},
        // Validation reads.
        {"OC pendiente", "SELECT TOP 1 * FROM CO_OCompraPendientes with(nolock)  WHERE TC='OC' AND IDCOMPROBANTE='000100001206A'", Caso::Abrir,
         [](ado::Recordset& rs, const QString&) { EXPECT_EQ(filas(rs), 1); }},
        {"OC cerrada", "SELECT TOP 1 * FROM CO_OCompraPendientes with(nolock)  WHERE TC='OC' AND IDCOMPROBANTE='000100001201A'", Caso::Abrir,
         [](ado::Recordset& rs, const QString&) { EXPECT_EQ(filas(rs), 0); }},
        {"razon social del proveedor actual", "SELECT TOP 1 * FROM vt_proveedores with(nolock)  WHERE LTRIM(RTRIM(codigo)) ='P00003' ", Caso::Abrir,
         [](ado::Recordset& rs, const QString&) {
             ASSERT_EQ(filas(rs), 1);
             EXPECT_EQ(rs.Fields(QStringLiteral("Razon_Social")).Value().toText(), QStringLiteral("Metalúrgica San Martín S.A."));
         }},
        {"proveedor existente", "SELECT TOP 1  * FROM VT_PROVEEDORES with(nolock)  WHERE LTRIM(RTRIM(Codigo)) ='p00003 '", Caso::Abrir,
         [](ado::Recordset& rs, const QString&) { EXPECT_EQ(filas(rs), 1); }},
        // Lookups.
        {"lista de OC pendientes", "SELECT TOP 1000 TC, IDCOMPROBANTE, CUENTA FROM CO_OCompraPendientes ", Caso::Abrir,
         [](ado::Recordset& rs, const QString& b) {
             EXPECT_EQ(QString::number(filas(rs)), q(b, "SELECT COUNT(*) FROM C_MV_CPTE WHERE TC='OC' AND ESTADO='P'"));
             EXPECT_EQ(rs.FieldCount(), 3);
         }},
        {"lista de proveedores", "SELECT TOP 1000 RAZON_SOCIAL,CODIGO FROM VT_PROVEEDORES  with(nolock)  WHERE Dada_De_Baja = 0 ORDER BY RAZON_SOCIAL",
         Caso::Abrir,
         [](ado::Recordset& rs, const QString& b) {
             EXPECT_EQ(QString::number(filas(rs)), q(b, "SELECT COUNT(*) FROM VT_PROVEEDORES WHERE Dada_De_Baja = 0"));
             EXPECT_EQ(rs.Fields(0).Name().compare(QLatin1String("RAZON_SOCIAL"), Qt::CaseInsensitive), 0);
         }},
        {"campos de una tabla sin definicion", "select top 1 * from VT_PROVEEDORES", Caso::Abrir,
         [](ado::Recordset& rs, const QString&) {
             EXPECT_EQ(filas(rs), 1);
             EXPECT_GT(rs.FieldCount(), 10);
         }},
        {"articulos", "SELECT TOP 5 DESCRIPCION,IDARTICULO FROM VT_MA_ARTICULOS  with(nolock)  WHERE SUSPENDIDO = 0 ORDER BY DESCRIPCION", Caso::Abrir,
         [](ado::Recordset& rs, const QString&) { EXPECT_EQ(filas(rs), 5); }},
        // Family tree (the marker already removed by the substitution).
        {"arbol de familias",
         "SELECT     TOP 100 PERCENT IdFamilia, Descripcion, (SELECT     TOP 1 idfamilia FROM v_ta_familias a   Where a.IdFamilia < b.IdFamilia "
         "And (Len(LTrim(RTrim(a.IdFamilia))) < Len(LTrim(RTrim(b.IdFamilia))))  ORDER BY idfamilia DESC) AS [relative] FROM dbo.V_TA_FAMILIAS b "
         "Where IdFamilia<>'' ORDER BY IdFamilia",
         Caso::Abrir,
         [](ado::Recordset& rs, const QString&) {
             std::vector<std::pair<QString, QString>> vistos;
             for (; !rs.eof(); rs.MoveNext())
                 vistos.emplace_back(rs.Fields(0).Value().toText(), rs.Fields(QStringLiteral("relative")).Value().toText());
             const std::vector<std::pair<QString, QString>> esperados = {
                 {"01", ""}, {"0101", "01"}, {"0102", "01"}, {"02", ""}, {"0201", "02"}};
             for (const auto& e : esperados)
                 EXPECT_NE(std::find(vistos.begin(), vistos.end(), e), vistos.end()) << e.first.toStdString();
         }},
        // Configuration.
        {"lectura de configuracion", "SELECT VALOR, valoraux FROM ta_configuracion with(nolock)  WHERE CLAVE = 'top_default'", Caso::Abrir,
         [](ado::Recordset& rs, const QString&) {
             ASSERT_EQ(filas(rs), 1);
             EXPECT_EQ(rs.Fields(QStringLiteral("VALOR")).Value().toText(), QStringLiteral("1000"));
         }},
        {"clave inexistente", "SELECT VALOR, valoraux FROM TA_CONFIGURACION with(nolock)  WHERE CLAVE = 'NO_EXISTE'", Caso::Abrir,
         [](ado::Recordset& rs, const QString&) { EXPECT_EQ(filas(rs), 0); }},
        // Rights and usage log.
        {"derechos del menu",
         "SELECT TA_TAREAS.USUARIO, TA_MENU.Proceso, TA_MENU.Clave , TA_MENU.Nombre  FROM TA_TAREAS  with(nolock) INNER JOIN TA_MENU ON "
         "TA_TAREAS.TAREA = TA_MENU.Clave  WHERE (TA_TAREAS.USUARIO = 'jperez ') AND (TA_MENU.Proceso LIKE '%Permutal%')",
         Caso::Abrir,
         [](ado::Recordset& rs, const QString&) {
             ASSERT_EQ(filas(rs), 1);
             EXPECT_EQ(rs.Fields(QStringLiteral("Nombre")).Value().toText(), QStringLiteral("Cambio de proveedor de OC"));
         }},
        {"registro de uso",
         "BEGIN TRANSACTION \r\r\rINSERT INTO Control_Acceso (Maquina,Usuario,Formulario,Tarea,Ingreso,NombreUsuario) VALUES "
         "('PUESTO1','JPEREZ','PERMUTAL','CAMBIO DE PROVEEDOR DE OC','10/12/26 10:30','jperez')\r",
         Caso::Ejecutar, [](ado::Recordset&, const QString&) {}},
        {"confirmacion del registro", "COMMIT TRANSACTION", Caso::Ejecutar,
         [](ado::Recordset&, const QString& b) {
             EXPECT_EQ(q(b, "SELECT Tarea || '|' || Ingreso || '|' || NombreUsuario FROM Control_Acceso"),
                       QStringLiteral("CAMBIO DE PROVEEDOR DE OC|10/12/26 10:30|jperez"));
         }},
        // Shortage.
        {"faltante de stock",
         "INSERT INTO V_MV_FALTANTES (FechaHora,IdArticulo,Descripcion,Usuario) values('10/12/2026 10:30:00','A0001                    ',"
         "'Tornillo 1/4''','ADMIN')",
         Caso::Ejecutar,
         [](ado::Recordset&, const QString& b) { EXPECT_EQ(q(b, "SELECT Descripcion FROM V_MV_FALTANTES"), QStringLiteral("Tornillo 1/4'")); }},
    };

    ado::Connection cn;
    cn.Open(QStringLiteral("PROVIDER=SQLOLEDB;Server=SQLITE;Database =PERMUTAL_DEMO;UId=ADMIN;Pwd=;"));
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        ado::Recordset rs;
        try {
            if (c.op == Caso::Abrir) {
                rs.Open(QString::fromUtf8(c.sql), &cn, ado::adOpenForwardOnly, ado::adLockReadOnly);
                ASSERT_EQ(rs.State(), ado::adStateOpen);
            } else {
                long n = 0;
                cn.Execute(QString::fromUtf8(c.sql), &n);
            }
        } catch (const ado::Fallo& f) {
            ADD_FAILURE() << f.Description().toStdString();
            continue;
        }
        c.verificar(rs, base);
    }
}

// The two updatable recordsets: the statistics configuration row and AUX_ERR.
TEST(SentenciasDeLaSuite, RecordsetsActualizables)
{
    prueba::CarpetaTemporal carpeta;
    prueba::crearBaseDemoEn(carpeta.archivo("PERMUTAL_DEMO.db"));
    const QString kx = carpeta.archivo("KX_ESTADISTICAS.db");
    prueba::ejecutarSqlite(kx, prueba::leerFuente(QStringLiteral("app/demo/estadisticas.sql")));

    ado::Connection est;
    est.Open(QStringLiteral("PROVIDER=SQLOLEDB;Server=SQLITE;Database =KX_ESTADISTICAS;UId=KX_ESTADISTICAS;Pwd=QM_VARDESTOLINA;"));
    for (const char* valor : {"0", "120"}) {
        ado::Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM TA_CONFIGURACION with(nolock)  WHERE CLAVE = 'TimeOut'"), &est, ado::adOpenDynamic, ado::adLockOptimistic);
        if (rs.eof()) rs.AddNew();
        rs.Fields(QStringLiteral("Grupo")) = ado::Variant(QStringLiteral("BaseDeDatos"));
        rs.Fields(QStringLiteral("Clave")) = ado::Variant(QStringLiteral("TIMEOUT"));
        rs.Fields(QStringLiteral("Valor")) = ado::Variant(QString::fromUtf8(valor));
        rs.Fields(QStringLiteral("PoliticaNegocio")) = ado::Variant(false);
        rs.Update();
        rs.Close();
    }
    EXPECT_EQ(prueba::consultarSqlite(kx, "SELECT COUNT(*) FROM TA_CONFIGURACION WHERE Clave='TIMEOUT'"), QStringLiteral("1"));
    EXPECT_EQ(prueba::consultarSqlite(kx, "SELECT Valor || '|' || Grupo FROM TA_CONFIGURACION WHERE Clave='TIMEOUT'"), QStringLiteral("120|BaseDeDatos"));

    ado::Connection cn;
    cn.Open(QStringLiteral("PROVIDER=SQLOLEDB;Server=SQLITE;Database =PERMUTAL_DEMO;UId=ADMIN;Pwd=;"));
    ado::Recordset aux;
    aux.Open(QStringLiteral("select  top 1 * from AUX_ERR  with(nolock) "), &cn, ado::adOpenDynamic, ado::adLockOptimistic);
    aux.AddNew();
    aux.Fields(QStringLiteral("Proceso")) = ado::Variant(QStringLiteral("Permutal"));
    aux.Fields(QStringLiteral("Error")) = ado::Variant(2627);
    aux.Fields(QStringLiteral("SQL")) = ado::Variant(QStringLiteral("UPDATE X SET A='O''Brien'"));
    aux.Update();
    aux.Close();
    EXPECT_EQ(prueba::consultarSqlite(carpeta.archivo("PERMUTAL_DEMO.db"), "SELECT SQL FROM AUX_ERR"), QStringLiteral("UPDATE X SET A='O''Brien'"));
}

}  // namespace
