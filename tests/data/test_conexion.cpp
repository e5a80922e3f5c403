// Opening the session's connection: connection texts, the access dialog hook,
// the administrator check and the connection-error box.
#include "soporte/Sesion_prueba.h"

#include "ado/ProveedorOdbc.h"
#include "companion/Velmora2.h"


using datos::gDB;

namespace {

class Conexion : public ::testing::Test {
protected:
    void SetUp() override { prueba::reiniciarSesion(); }
    void TearDown() override { prueba::reiniciarSesion(); }
    prueba::CarpetaTemporal carpeta;
    prueba::OperadorDePrueba op;
};

struct CasoTexto {
    const char* servidor;
    const char* extendido;
    const char* esperado;
};

TEST_F(Conexion, TextosDeConexionServidor)
{
    const CasoTexto casos[] = {
        {"srv\\INST", "", "PROVIDER=SQLOLEDB;Server=srv\\INST;Database =Stock;UId=u;Pwd=p;"},
        {"srv", "Network Library=DBMSSOCN;", "PROVIDER=SQLOLEDB;Server=srv;Database =Stock;UId=u;Pwd=p;Network Library=DBMSSOCN;"},
        // Oracle: only the data source, user and password; neither the server nor the tail.
        {"ORCL#", "Network Library=DBMSSOCN;", "Provider=OraOLEDB.Oracle.1;Data Source=Stock;User Id=u;Password=p;"},
        {"#", "", "Provider=OraOLEDB.Oracle.1;Data Source=Stock;User Id=u;Password=p;"},
    };
    for (const auto& c : casos) {
        datos::DB_Dll db;
        db.gServidor = QString::fromUtf8(c.servidor);
        db.gDBName = QStringLiteral("Stock");
        db.gUsuario = QStringLiteral("u");
        db.gUserPassWord = QStringLiteral("p");
        db.gExtended = QString::fromUtf8(c.extendido);
        db.gProveedor = QStringLiteral("OtroProveedor");   // never enters the SQL Server text
        EXPECT_EQ(db.CadenaConexionServidor(), QString::fromUtf8(c.esperado)) << c.servidor;
    }
}

TEST_F(Conexion, CadaTextoSeVuelveUnaConexionOdbc)
{
    const QString sql = ado::textoOdbc(QStringLiteral("PROVIDER=SQLOLEDB;Server=srv\\INST;Database =Stock;UId=u;Pwd=p;"), ado::Destino::SqlServer);
    EXPECT_TRUE(sql.contains(QLatin1String("Driver={FreeTDS}"))) << sql.toStdString();
    EXPECT_TRUE(sql.contains(QLatin1String("Server=srv\\INST"))) << sql.toStdString();
    EXPECT_TRUE(sql.contains(QLatin1String("Database=Stock"))) << sql.toStdString();
    EXPECT_TRUE(sql.contains(QLatin1String("UID=u"))) << sql.toStdString();
    EXPECT_TRUE(sql.contains(QLatin1String("PWD=p"))) << sql.toStdString();
    const QString ora = ado::textoOdbc(QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=Stock;User Id=u;Password=p;"), ado::Destino::Oracle);
    EXPECT_TRUE(ora.contains(QLatin1String("DBQ=Stock"))) << ora.toStdString();
    EXPECT_TRUE(ora.contains(QLatin1String("UID=u"))) << ora.toStdString();
}

TEST_F(Conexion, UnTextoDadoSeUsaTalCual)
{
    prueba::ejecutarSqlite(carpeta.archivo("otra.db"), "CREATE TABLE A (X INT);");
    auto& db = gDB();
    db.gServidor = QStringLiteral("srv");   // would give a SQL Server text
    const QString dado = QStringLiteral("PROVIDER=SQLOLEDB;Server=SQLITE;Database =otra;UId=a;Pwd=b;");
    db.OpenServerADODB(false, 3, dado, false, true);
    EXPECT_TRUE(db.gOpenFlag);
    EXPECT_EQ(db.gConnString, dado);
    EXPECT_EQ(db.gCnn().CursorLocation(), 3);
    EXPECT_TRUE(db.gEsAdmin);   // no administrator check asked
    EXPECT_EQ(db.gProveedor, QStringLiteral("SQLOLEDB"));
}

TEST_F(Conexion, ElDialogoDeAccesoDecideLosParametros)
{
    prueba::ejecutarSqlite(carpeta.archivo("elegida.db"), "CREATE TABLE A (X INT);");
    auto& db = gDB();
    db.gServidor = QStringLiteral("srv");
    db.gDBName = QStringLiteral("nada");
    int vistas = 0;
    datos::PedidoConexion visto;
    datos::DB_Dll::fijarDialogoAcceso([&](datos::PedidoConexion& p) {
        ++vistas;
        visto = p;
        p.servidor = QStringLiteral("SQLITE");
        p.base = QStringLiteral("elegida");
        p.usuario = QStringLiteral("ana");
        p.clave = QStringLiteral("c");
        return true;
    });
    // A text given by the caller is rebuilt from the dialog's values.
    db.OpenServerADODB(true, 3, QStringLiteral("PROVIDER=SQLOLEDB;Server=x;"), false, true);
    EXPECT_EQ(vistas, 1);
    EXPECT_EQ(visto.servidor, QStringLiteral("srv"));
    EXPECT_EQ(visto.base, QStringLiteral("nada"));
    EXPECT_EQ(visto.plataforma, 0);
    EXPECT_TRUE(db.gOpenFlag);
    EXPECT_EQ(db.gConnString, QStringLiteral("PROVIDER=SQLOLEDB;Server=SQLITE;Database =elegida;UId=ana;Pwd=c;"));
    EXPECT_EQ(db.gUsuario, QStringLiteral("ana"));
}

TEST_F(Conexion, OracleElegidoEnElDialogoMarcaElServidor)
{
    auto& db = gDB();
    datos::DB_Dll::fijarDialogoAcceso([&](datos::PedidoConexion& p) {
        p.servidor = QStringLiteral("ORA1");
        p.base = QStringLiteral("svc");
        p.plataforma = 1;
        return true;
    });
    db.OpenServerADODB(true, 3, QString(), false, false);   // no Oracle driver here: the open fails quietly
    EXPECT_EQ(db.gServidor, QStringLiteral("ORA1#"));
    EXPECT_EQ(db.gProveedor, QStringLiteral("OraOLEDB.Oracle.1"));
    EXPECT_TRUE(db.gConnString.startsWith(QLatin1String("Provider=OraOLEDB.Oracle.1;Data Source=svc;")));
    EXPECT_TRUE(op->llamadas.empty());
}

TEST_F(Conexion, CancelarElDialogoNoTocaLaConexion)
{
    auto& db = gDB();
    datos::DB_Dll::fijarDialogoAcceso([](datos::PedidoConexion&) { return false; });
    db.OpenServerADODB(true, 3, QString(), true, true);
    EXPECT_FALSE(db.gOpenFlag);
    EXPECT_EQ(db.gCnn().State(), ado::adStateClosed);
    EXPECT_TRUE(op->llamadas.empty());
}

struct CasoAdmin {
    const char* valor;     // nullptr: no row for the user
    bool validaAdmin;
    bool muestraError;
    bool esperado;
};

TEST_F(Conexion, ComprobacionDeAdministrador)
{
    const CasoAdmin casos[] = {
        {"1", true, true, true},   {"1.0", true, true, true}, {"0", true, true, false}, {"", true, true, false},
        {nullptr, true, true, false}, {"0", false, true, true}, {"0", true, false, true},
    };
    for (const auto& c : casos) {
        prueba::reiniciarSesion();
        const QString archivo = carpeta.archivo("admin.db");
        QFile::remove(archivo);
        prueba::ejecutarSqlite(archivo, "CREATE TABLE TA_USUARIOS (nombre VARCHAR(30) COLLATE NOCASE, Administrador VARCHAR(5) COLLATE NOCASE);");
        if (c.valor) prueba::ejecutarSqlite(archivo, QStringLiteral("INSERT INTO TA_USUARIOS VALUES ('OPERADOR', '%1');").arg(QString::fromUtf8(c.valor)));
        auto& db = gDB();
        db.gServidor = QStringLiteral("SQLITE");
        db.gDBName = QStringLiteral("admin");
        db.gUsuario = QStringLiteral("OPERADOR");
        db.OpenServerADODB(false, 3, QString(), c.validaAdmin, c.muestraError);
        EXPECT_TRUE(db.gOpenFlag);
        EXPECT_EQ(db.gEsAdmin, c.esperado) << (c.valor ? c.valor : "(sin fila)") << " " << c.validaAdmin << c.muestraError;
        db.gCnn().Close();
    }
}

TEST_F(Conexion, AbrirUnaConexionAbiertaLaVuelveAAbrir)
{
    prueba::ejecutarSqlite(carpeta.archivo("doble.db"), "CREATE TABLE A (X INT);");
    prueba::conectarSesion(QStringLiteral("doble"));
    auto& db = gDB();
    db.OpenServerADODB(false, 3, QString(), false, true);
    EXPECT_TRUE(db.gOpenFlag);
    EXPECT_EQ(db.gCnn().State(), ado::adStateOpen);
    EXPECT_TRUE(op->llamadas.empty());
}


TEST_F(Conexion, ServidorInalcanzableMuestraLaCajaDeErrorDeConexion)
{
    auto& db = gDB();
    db.gServidor = QStringLiteral("127.0.0.1,%1").arg(prueba::puertoCerrado());
    db.gDBName = QStringLiteral("Stock");
    db.gUsuario = QStringLiteral("sa");
    db.gUserPassWord = QStringLiteral("x");
    op->respuestas = {velmora::respuesta::No};
    db.OpenServerADODB(false, 3, QString(), true, true);
    EXPECT_FALSE(db.gOpenFlag);
    ASSERT_EQ(op->llamadas.size(), 1u);
    ASSERT_GT(db.gCnn().errors().Count(), 0);
    const ado::Error& e = db.gCnn().errors().Item(0);
    EXPECT_FALSE(e.SQLState.isEmpty());
    EXPECT_FALSE(e.Description.isEmpty());
    const QString esperado =
        QStringLiteral(" Estado de Sql: ") + e.SQLState + QStringLiteral("\rNumero de Error: ") + QString::number(e.Number)
        + QStringLiteral("\rDescripcion: ") + e.Description + QStringLiteral("\rCodigo Nativo: ") + QString::number(e.NativeError)
        + QStringLiteral("\r\r\nNombre de Proceso: ") + velmora::NombreEjecutable() + QStringLiteral("\r\r\n\r\n")
        + QStringLiteral("1. Verifique el Usuario, contraseña y base de datos\r\n")
        + QStringLiteral("2. Verifique el nombre del servidor, quizas necesite agregarle el nombre de la instancia, por ejemplo : ") + db.gServidor
        + QStringLiteral("\\VELMORA\r\n3. Verifique si el inicio de sesion para el usuario sa existe\r\n\r\n\r\n - Desea Intentarlo Nuevamente??? ");
    EXPECT_EQ(op->llamadas[0].texto, esperado);
    EXPECT_EQ(op->llamadas[0].titulo, QStringLiteral(" Error de Conexion a Base de Datos"));
    EXPECT_EQ(op->llamadas[0].botones, 4 + 16);
}

TEST_F(Conexion, ServidorInalcanzableSinMostrarErroresNoDiceNada)
{
    auto& db = gDB();
    db.gServidor = QStringLiteral("127.0.0.1,%1").arg(prueba::puertoCerrado());
    db.gDBName = QStringLiteral("Stock");
    db.gUsuario = QStringLiteral("sa");
    db.OpenServerADODB(false, 3, QString(), true, false);
    EXPECT_FALSE(db.gOpenFlag);
    EXPECT_TRUE(op->llamadas.empty());
}

TEST_F(Conexion, SiEnLaCajaVuelveAPedirLosParametros)
{
    prueba::ejecutarSqlite(carpeta.archivo("buena.db"), "CREATE TABLE A (X INT);");
    auto& db = gDB();
    db.gServidor = QStringLiteral("127.0.0.1,%1").arg(prueba::puertoCerrado());
    db.gDBName = QStringLiteral("Stock");
    db.gUsuario = QStringLiteral("sa");
    int pedidos = 0;
    datos::DB_Dll::fijarDialogoAcceso([&](datos::PedidoConexion& p) {
        ++pedidos;
        p.servidor = QStringLiteral("SQLITE");
        p.base = QStringLiteral("buena");
        return true;
    });
    op->respuestas = {velmora::respuesta::Si};
    db.OpenServerADODB(false, 3, QString(), false, true);
    EXPECT_EQ(pedidos, 1);
    EXPECT_TRUE(db.gOpenFlag);
    EXPECT_EQ(db.gCnn().State(), ado::adStateOpen);
    EXPECT_EQ(db.gCnn().errors().Count(), 0);
}

TEST_F(Conexion, ReintentaConectarReabreYConservaElTiempoDeEspera)
{
    prueba::ejecutarSqlite(carpeta.archivo("re.db"), "CREATE TABLE A (X INT);");
    prueba::conectarSesion(QStringLiteral("re"));
    auto& db = gDB();
    db.gCnn().setCommandTimeout(120);
    db.ReintentaConectar();
    EXPECT_TRUE(db.gOpenFlag);
    EXPECT_EQ(db.gCnn().State(), ado::adStateOpen);
    EXPECT_EQ(db.gCnn().CommandTimeout(), 120);
    // Closed beforehand: the close's 3704 is passed over.
    db.gCnn().Close();
    db.ReintentaConectar();
    EXPECT_TRUE(db.gOpenFlag);
    EXPECT_TRUE(op->llamadas.empty());
}

}  // namespace
