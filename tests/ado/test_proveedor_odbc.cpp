// ODBC provider: connection texts, and the real driver manager with the SQLite
// ODBC driver and FreeTDS.
#include "ado/Connection.h"
#include "ado/OdbcTexto.h"
#include "ado/ProveedorOdbc.h"
#include "ado/Recordset.h"
#include "soporte/Soporte.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <iostream>
#include <optional>

using namespace ado;

namespace {

std::string s(const QString& q) { return q.toStdString(); }

// Sets an environment variable for the scope.
class Entorno {
public:
    Entorno(const char* nombre, const char* valor) : nombre_(nombre)
    {
        if (qEnvironmentVariableIsSet(nombre)) anterior_ = qgetenv(nombre);
        if (valor) qputenv(nombre, valor);
        else qunsetenv(nombre);
    }
    ~Entorno()
    {
        if (anterior_) qputenv(nombre_, *anterior_);
        else qunsetenv(nombre_);
    }

private:
    const char* nombre_;
    std::optional<QByteArray> anterior_;
};

// ---- connection texts --------------------------------------------------------------

struct CasoTexto {
    const char* oleDb;
    Destino destino;
    const char* odbc;
};

TEST(TextoOdbc, TextosOleDbSeVuelvenTextosOdbc)
{
    Entorno a("PERMUTAL_ODBC_SQLSERVER", nullptr), b("PERMUTAL_ODBC_ORACLE", nullptr), c("PERMUTAL_ODBC_ACCESS", nullptr);
    const CasoTexto casos[] = {
        {"PROVIDER=SQLOLEDB;Server=srv;Database =db;UId=u;Pwd=p;", Destino::SqlServer,
         "Driver={FreeTDS};Server=srv;Port=1433;Database=db;UID=u;PWD=p;TDS_Version=7.4;"},
        {"provider = sqloledb ; SERVER = srv ; database= db; uid =u; PWD= p", Destino::SqlServer,
         "Driver={FreeTDS};Server=srv;Port=1433;Database=db;UID=u;PWD=p;TDS_Version=7.4;"},
        {"PROVIDER=SQLOLEDB;Server=10.0.0.5,1500;Database =db;UId=u;Pwd=p;", Destino::SqlServer,
         "Driver={FreeTDS};Server=10.0.0.5;Port=1500;Database=db;UID=u;PWD=p;TDS_Version=7.4;"},
        {"PROVIDER=SQLOLEDB;Server=srv:1600;Database =db;UId=u;Pwd=p;", Destino::SqlServer,
         "Driver={FreeTDS};Server=srv;Port=1600;Database=db;UID=u;PWD=p;TDS_Version=7.4;"},
        {"PROVIDER=SQLOLEDB;Server=srv\\VELMORA;Database =db;UId=u;Pwd=p;", Destino::SqlServer,
         "Driver={FreeTDS};Server=srv\\VELMORA;Database=db;UID=u;PWD=p;TDS_Version=7.4;"},
        {"PROVIDER=SQLOLEDB;Server=(local);Database =db;UId=u;Pwd=;", Destino::SqlServer,
         "Driver={FreeTDS};Server=127.0.0.1;Port=1433;Database=db;UID=u;PWD=;TDS_Version=7.4;"},
        // The extra text of the data routines follows the built keys.
        {"PROVIDER=SQLOLEDB;Server=srv;Database =db;UId=u;Pwd=p;Application Name=Permutal;Persist Security Info=False;", Destino::SqlServer,
         "Driver={FreeTDS};Server=srv;Port=1433;Database=db;UID=u;PWD=p;TDS_Version=7.4;APP=Permutal;"},
        // Passwords that could end the item or open a brace value.
        {"PROVIDER=SQLOLEDB;Server=srv;Database =db;UId=u;Pwd=ab}c;", Destino::SqlServer,
         "Driver={FreeTDS};Server=srv;Port=1433;Database=db;UID=u;PWD={ab}}c};TDS_Version=7.4;"},
        {"PROVIDER=SQLOLEDB;Server=srv;Database =db;UId=u;Pwd=\"x;UID=sa\";", Destino::SqlServer,
         "Driver={FreeTDS};Server=srv;Port=1433;Database=db;UID=u;PWD={x;UID=sa};TDS_Version=7.4;"},
        {"PROVIDER=SQLOLEDB;Server=srv;Database =db;UId=u;Pwd={a;b}}c};", Destino::SqlServer,
         "Driver={FreeTDS};Server=srv;Port=1433;Database=db;UID=u;PWD={a;b}}c};TDS_Version=7.4;"},
        {"Provider=OraOLEDB.Oracle.1;Data Source=svc;User Id=u;Password=p;", Destino::Oracle,
         "Driver={Oracle};DBQ=svc;UID=u;PWD=p;"},
        {"PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source =c:\\datos\\x.mdb;User Id=admin;Password=;", Destino::Access,
         "Driver={MDBTools};DBQ=c:/datos/x.mdb;UID=admin;PWD=;"},
        {"PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source =x.mdb;User Id=admin;Password=; Jet OLEDB:Database Password=secreta;", Destino::Access,
         "Driver={MDBTools};DBQ=x.mdb;UID=admin;PWD=secreta;"},
        {"Provider=MSDASQL;Driver={SQLite3};Database=/tmp/x.db;", Destino::OdbcDirecto, "Driver={SQLite3};Database=/tmp/x.db;"},
        {"DSN=ventas;UID=u;PWD={p;q}", Destino::OdbcDirecto, "DSN=ventas;UID=u;PWD={p;q};"},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(s(textoOdbc(QString::fromUtf8(c.oleDb), c.destino)), c.odbc) << c.oleDb;
        EXPECT_EQ(destinoDe(QString::fromUtf8(c.oleDb)), c.destino) << c.oleDb;
    }
}

TEST(TextoOdbc, UnaClaveNoPuedeAgregarClaves)
{
    // Whatever the password holds, reading the ODBC text back gives the same keys
    // and the same password.
    const char* claves[] = {"a;b", "a}b", "{ab", "}", ";UID=sa;", "x}};DATABASE=master", "{a;b}"};
    for (const char* c : claves) {
        const QString texto = QStringLiteral("PROVIDER=SQLOLEDB;Server=srv;Database =db;UId=u;Pwd=\"%1\";").arg(QString::fromUtf8(c));
        const auto pares = odbc::separar(textoOdbc(texto, Destino::SqlServer));
        QStringList nombres;
        QString pwd;
        for (const auto& p : pares) {
            nombres << p.clave;
            if (p.clave == QLatin1String("PWD")) pwd = p.valor;
        }
        EXPECT_EQ(s(nombres.join(QLatin1Char(','))), "Driver,Server,Port,Database,UID,PWD,TDS_Version") << c;
        EXPECT_EQ(s(pwd), c);
    }
}

TEST(TextoOdbc, ElControladorEsUnAjuste)
{
    {
        Entorno e("PERMUTAL_ODBC_SQLSERVER", "ODBC Driver 18 for SQL Server");
        EXPECT_EQ(s(textoOdbc(QStringLiteral("PROVIDER=SQLOLEDB;Server=srv,1500;Database =db;UId=u;Pwd=p;"), Destino::SqlServer)),
                  "Driver={ODBC Driver 18 for SQL Server};Server=srv,1500;Database=db;UID=u;PWD=p;");
    }
    Entorno o("PERMUTAL_ODBC_ORACLE", "Oracle 19 ODBC driver"), a("PERMUTAL_ODBC_ACCESS", "{MDB}");
    EXPECT_EQ(s(textoOdbc(QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=svc;User Id=u;Password=p;"), Destino::Oracle)),
              "Driver={Oracle 19 ODBC driver};DBQ=svc;UID=u;PWD=p;");
    EXPECT_EQ(s(textoOdbc(QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.3.51;Data Source =x.mdb;User Id=a;Password=b;"), Destino::Access)),
              "Driver={MDB};DBQ=x.mdb;UID=a;PWD=b;");
}

TEST(TextoOdbc, NumeroClasicoDelSqlState)
{
    const std::pair<const char*, int32_t> casos[] = {
        {"23000", num::Integridad}, {"23505", num::Integridad}, {"42S02", num::TablaNoExiste},
        {"42S22", num::ErrorEnComando}, {"42000", num::ErrorEnComando}, {"37000", num::ErrorEnComando},
        // Only the link itself is the unspecified failure that reconnects; data errors and time-outs are the command's.
        {"08001", num::FalloNoEspecificado}, {"08S01", num::FalloNoEspecificado}, {"HY000", num::ErrorEnComando},
        {"HYT00", num::TiempoAgotado}, {"22018", num::ErrorEnComando}, {"22012", num::ErrorEnComando}, {"22003", num::ErrorEnComando},
        {"22007", num::ErrorEnComando}, {"22008", num::ErrorEnComando}, {"22001", num::ErrorEnComando},
    };
    for (const auto& [estado, numero] : casos) EXPECT_EQ(odbc::numeroDeEstado(QString::fromLatin1(estado)), numero) << estado;
}

// ---- SQLite ODBC driver ------------------------------------------------------------

class OdbcSqlite : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        archivo_ = dir_.filePath(QStringLiteral("prueba.db"));
        prueba::ejecutarSqlite(archivo_, QStringLiteral(
            "CREATE TABLE CLIENTES (ID INTEGER PRIMARY KEY, NOMBRE VARCHAR(30) NOT NULL UNIQUE, SALDO DOUBLE, ALTA TIMESTAMP, NOTA TEXT);"
            "INSERT INTO CLIENTES VALUES (1, 'Peña Hnos.', 10.5, '2024-03-01 10:20:30', NULL);"
            "INSERT INTO CLIENTES VALUES (2, 'Ñandú S.A.', NULL, NULL, 'x');"
            "CREATE TABLE TAXCLIENTES (A INTEGER);"
            "CREATE VIEW V_CLIENTES AS SELECT ID, NOMBRE FROM CLIENTES;"));
        texto_ = QStringLiteral("Driver={SQLite3};Database=%1;").arg(archivo_);
    }
    void abrir() { ASSERT_NO_THROW(cnn_.Open(texto_)) << (cnn_.errors().empty() ? std::string() : s(cnn_.errors().Item(0).Description)); }
    QString contar(const QString& donde = QString())
    {
        return prueba::consultarSqlite(archivo_, QStringLiteral("SELECT COUNT(*) FROM CLIENTES ") + donde);
    }

    QTemporaryDir dir_;
    QString archivo_, texto_;
    Connection cnn_;
};

TEST_F(OdbcSqlite, AbreYLeeTiposYNulos)
{
    abrir();
    EXPECT_EQ(s(cnn_.proveedor()), "odbc");
    const QString largo(5000, QLatin1Char('z'));   // more than one chunk of the driver
    cnn_.Execute(QStringLiteral("UPDATE CLIENTES SET NOTA = '%1ñ' WHERE ID = 2").arg(largo));
    auto rs = cnn_.Execute(QStringLiteral("SELECT ID, NOMBRE, SALDO, ALTA, NOTA FROM CLIENTES ORDER BY ID"));
    ASSERT_EQ(rs->State(), 1);
    ASSERT_EQ(rs->RecordCount(), 2);
    EXPECT_EQ(rs->Fields(QStringLiteral("ID")).Type(), tipo::Integer);
    EXPECT_TRUE(rs->Fields(QStringLiteral("NOMBRE")).Type() == tipo::VarChar || rs->Fields(QStringLiteral("NOMBRE")).Type() == tipo::VarWChar);
    EXPECT_EQ(rs->Fields(QStringLiteral("NOMBRE")).DefinedSize(), 30);
    EXPECT_EQ(rs->Fields(QStringLiteral("SALDO")).Type(), tipo::Double);
    EXPECT_EQ(rs->Fields(QStringLiteral("ALTA")).Type(), tipo::DBTimeStamp);

    EXPECT_EQ(rs->Fields(QStringLiteral("ID")).Value(), Variant(int32_t(1)));
    EXPECT_EQ(s(rs->Fields(QStringLiteral("NOMBRE")).Value().toText()), "Peña Hnos.");
    EXPECT_EQ(rs->Fields(QStringLiteral("SALDO")).Value(), Variant(10.5));
    EXPECT_EQ(rs->Fields(QStringLiteral("ALTA")).Value().toDate(), QDateTime(QDate(2024, 3, 1), QTime(10, 20, 30)));
    EXPECT_TRUE(rs->Fields(QStringLiteral("NOTA")).Value().isNull());
    rs->MoveNext();
    EXPECT_EQ(s(rs->Fields(QStringLiteral("NOMBRE")).Value().toText()), "Ñandú S.A.");
    EXPECT_TRUE(rs->Fields(QStringLiteral("SALDO")).Value().isNull());
    EXPECT_TRUE(rs->Fields(QStringLiteral("ALTA")).Value().isNull());
    EXPECT_EQ(rs->Fields(QStringLiteral("NOTA")).Value().toText(), largo + QStringLiteral("ñ"));
}

TEST_F(OdbcSqlite, SelectSinFilasDaColumnasYCambiosCuentanFilas)
{
    abrir();
    auto rs = cnn_.Execute(QStringLiteral("SELECT ID, NOMBRE FROM CLIENTES WHERE ID = 99"));
    ASSERT_EQ(rs->State(), 1);
    EXPECT_TRUE(rs->eof());
    EXPECT_EQ(rs->FieldCount(), 2);
    long n = -1;
    cnn_.Execute(QStringLiteral("UPDATE CLIENTES SET SALDO = 1"), &n);
    EXPECT_EQ(n, 2);
    cnn_.Execute(QStringLiteral("DELETE FROM CLIENTES WHERE ID = 99"), &n);
    EXPECT_EQ(n, 0);
    // No row set: a closed recordset.
    EXPECT_EQ(cnn_.Execute(QStringLiteral("INSERT INTO CLIENTES (ID, NOMBRE) VALUES (3, 'c')"), &n)->State(), 0);
    EXPECT_EQ(n, 1);
}

TEST_F(OdbcSqlite, ColumnasConTablaBaseYClave)
{
    // What an updatable recordset needs to write back.
    auto p = crearProveedorOdbc(Destino::OdbcDirecto);
    Errors e;
    ParametrosConexion pc;
    pc.texto = texto_;
    ASSERT_TRUE(p->abrir(pc, e));
    long n = 0;
    const Resultado r = p->ejecutar(QStringLiteral("SELECT ID, NOMBRE, SALDO + 1 AS MAS FROM CLIENTES"), n, e, true);
    ASSERT_TRUE(e.empty()) << s(e.Item(0).Description);
    ASSERT_EQ(r.columnas.size(), 3u);
    EXPECT_EQ(s(r.columnas[0].tablaBase), "CLIENTES");
    EXPECT_EQ(s(r.columnas[0].columnaBase), "ID");
    EXPECT_TRUE(r.columnas[0].clave);
    EXPECT_FALSE(r.columnas[1].clave);
    EXPECT_TRUE(r.columnas[2].tablaBase.isEmpty());
    EXPECT_TRUE(r.columnas[2].columnaBase.isEmpty());
    EXPECT_EQ(r.filas.size(), 2u);
}

TEST_F(OdbcSqlite, LosFallosLlenanErrors)
{
    abrir();
    struct Caso {
        const char* sql;
        const char* texto;      // part of the description
        int32_t nativo;         // SQLite's own code, which the driver reports
    } casos[] = {
        {"SELEC * FROM CLIENTES", "syntax error", 1},
        {"SELECT * FROM NO_EXISTE", "no such table", 1},
        {"INSERT INTO CLIENTES (ID, NOMBRE) VALUES (3, 'Peña Hnos.')", "UNIQUE", 19},
    };
    for (const auto& c : casos) {
        try {
            cnn_.Execute(QString::fromUtf8(c.sql));
            ADD_FAILURE() << "sin fallo: " << c.sql;
        } catch (const Fallo& f) {
            ASSERT_GE(cnn_.errors().Count(), 1) << c.sql;
            const Error& e = cnn_.errors().Item(0);
            EXPECT_EQ(f.Number(), e.Number);
            EXPECT_TRUE(e.Description.contains(QLatin1String(c.texto))) << s(e.Description);
            EXPECT_EQ(s(e.Source), "Proveedor ODBC");
            // The SQLite driver says HY000 for all of them; the number follows the state.
            EXPECT_EQ(e.SQLState.size(), 5);
            EXPECT_EQ(e.Number, odbc::numeroDeEstado(e.SQLState)) << s(e.SQLState);
            EXPECT_EQ(e.NativeError, c.nativo) << c.sql;
            std::cout << "[ SQLite ODBC ] " << c.sql << " -> " << s(e.SQLState) << " " << e.NativeError << " " << s(e.Description) << "\n";
        }
    }
    EXPECT_EQ(contar(), "2");
    // The connection still works after the failures.
    EXPECT_EQ(cnn_.Execute(QStringLiteral("SELECT COUNT(*) AS N FROM CLIENTES"))->Fields(QStringLiteral("N")).Value().toLong(), 2);
}

TEST_F(OdbcSqlite, TransaccionesDeshacenYConfirman)
{
    abrir();
    cnn_.BeginTrans();
    cnn_.Execute(QStringLiteral("INSERT INTO CLIENTES (ID, NOMBRE) VALUES (10, 'diez')"));
    cnn_.RollbackTrans();
    EXPECT_EQ(contar(), "2");

    cnn_.BeginTrans();
    cnn_.Execute(QStringLiteral("INSERT INTO CLIENTES (ID, NOMBRE) VALUES (11, 'once')"));
    cnn_.CommitTrans();
    EXPECT_EQ(contar("WHERE ID = 11"), "1");

    // After the transaction each statement commits on its own again.
    cnn_.Execute(QStringLiteral("INSERT INTO CLIENTES (ID, NOMBRE) VALUES (12, 'doce')"));
    EXPECT_EQ(contar("WHERE ID = 12"), "1");

    // Closing with a pending transaction undoes it.
    cnn_.BeginTrans();
    cnn_.Execute(QStringLiteral("INSERT INTO CLIENTES (ID, NOMBRE) VALUES (13, 'trece')"));
    cnn_.Close();
    EXPECT_EQ(contar("WHERE ID = 13"), "0");
    EXPECT_THROW(cnn_.CommitTrans(), Fallo);
}

TEST_F(OdbcSqlite, SinTransaccionNoSeConfirmaNada)
{
    abrir();
    EXPECT_THROW(cnn_.CommitTrans(), Fallo);
    EXPECT_GE(cnn_.errors().Count(), 1);
    EXPECT_THROW(cnn_.RollbackTrans(), Fallo);
}

TEST_F(OdbcSqlite, ListasDeTablasYColumnasConRestricciones)
{
    abrir();
    auto nombres = [](const std::shared_ptr<Recordset>& rs, const char* campo) {
        QStringList r;
        for (rs->MoveFirst(); !rs->eof(); rs->MoveNext()) r << rs->Fields(QString::fromLatin1(campo)).Value().toText();
        return r;
    };
    auto todas = cnn_.OpenSchema(adSchemaTables);
    const QStringList t = nombres(todas, "TABLE_NAME");
    EXPECT_TRUE(t.contains(QStringLiteral("CLIENTES")) && t.contains(QStringLiteral("V_CLIENTES")) && t.contains(QStringLiteral("TAXCLIENTES")))
        << s(t.join(QLatin1Char(',')));

    // "_" is no wildcard: TA_CLIENTES would otherwise find TAXCLIENTES.
    EXPECT_EQ(cnn_.OpenSchema(adSchemaTables, {Variant(), Variant(), Variant("TA_CLIENTES")})->RecordCount(), 0);
    auto una = cnn_.OpenSchema(adSchemaTables, {Variant(), Variant(), Variant("clientes")});
    EXPECT_EQ(s(nombres(una, "TABLE_NAME").join(QLatin1Char(','))), "CLIENTES");
    una->MoveFirst();
    EXPECT_EQ(s(una->Fields(QStringLiteral("TABLE_TYPE")).Value().toText()), "TABLE");
    EXPECT_EQ(s(nombres(cnn_.OpenSchema(adSchemaTables, {Variant(), Variant(), Variant(), Variant("VIEW")}), "TABLE_NAME").join(QLatin1Char(','))),
              "V_CLIENTES");

    auto cols = cnn_.OpenSchema(adSchemaColumns, {Variant(), Variant(), Variant("CLIENTES")});
    EXPECT_EQ(s(nombres(cols, "COLUMN_NAME").join(QLatin1Char(','))), "ID,NOMBRE,SALDO,ALTA,NOTA");
    cols->MoveFirst();
    cols->MoveNext();   // NOMBRE
    EXPECT_EQ(cols->Fields(QStringLiteral("ORDINAL_POSITION")).Value().toLong(), 2);
    EXPECT_FALSE(cols->Fields(QStringLiteral("IS_NULLABLE")).Value().toBool());
    EXPECT_EQ(cols->Fields(QStringLiteral("CHARACTER_MAXIMUM_LENGTH")).Value().toLong(), 30);
    const long tipoNombre = cols->Fields(QStringLiteral("DATA_TYPE")).Value().toLong();
    EXPECT_TRUE(tipoNombre == tipo::VarChar || tipoNombre == tipo::VarWChar) << tipoNombre;
    cols->MoveNext();   // SALDO
    EXPECT_TRUE(cols->Fields(QStringLiteral("IS_NULLABLE")).Value().toBool());
    EXPECT_TRUE(cols->Fields(QStringLiteral("CHARACTER_MAXIMUM_LENGTH")).Value().isNull());

    auto unaCol = cnn_.OpenSchema(adSchemaColumns, {Variant(), Variant(), Variant("CLIENTES"), Variant("saldo")});
    EXPECT_EQ(s(nombres(unaCol, "COLUMN_NAME").join(QLatin1Char(','))), "SALDO");
    EXPECT_EQ(cnn_.OpenSchema(adSchemaColumns, {Variant(), Variant(), Variant("NO_EXISTE")})->RecordCount(), 0);
}

TEST_F(OdbcSqlite, BaseDefectoYAjustesDeConexion)
{
    cnn_.setCommandTimeout(7);
    cnn_.setIsolationLevel(adXactReadUncommitted);
    abrir();
    // The SQLite driver has no catalogs: the name is kept, nothing fails.
    EXPECT_NO_THROW(cnn_.setDefaultDatabase(QStringLiteral("KX_ESTADISTICAS")));
    EXPECT_EQ(s(cnn_.DefaultDatabase()), "KX_ESTADISTICAS");
    EXPECT_EQ(cnn_.Execute(QStringLiteral("SELECT COUNT(*) AS N FROM CLIENTES"))->Fields(QStringLiteral("N")).Value().toLong(), 2);
}

TEST_F(OdbcSqlite, UnControladorInexistenteFallaConSuDiagnostico)
{
    try {
        cnn_.Open(QStringLiteral("Driver={No Existe};Database=x;"));
        ADD_FAILURE() << "abrió";
    } catch (const Fallo&) {
        // unixODBC reports only a warning record ("Can't open lib"); it is still the error.
        ASSERT_GE(cnn_.errors().Count(), 1);
        EXPECT_EQ(cnn_.errors().Item(0).SQLState.size(), 5);
        EXPECT_TRUE(cnn_.errors().Item(0).Description.contains(QLatin1String("No Existe"))) << s(cnn_.errors().Item(0).Description);
        EXPECT_EQ(cnn_.errors().Item(0).Number, num::FalloNoEspecificado);
    }
    EXPECT_EQ(cnn_.State(), adStateClosed);
}

TEST(OdbcProveedor, DirectoSinConexionNoEjecuta)
{
    auto p = crearProveedorOdbc(Destino::OdbcDirecto);
    Errors e;
    long n = 0;
    p->ejecutar(QStringLiteral("SELECT 1"), n, e, false);
    ASSERT_EQ(e.Count(), 1);
    EXPECT_EQ(e.Item(0).Number, num::ConexionInvalida);
    p->cerrar();   // closing twice is harmless
    p->cerrar();
}

TEST(OdbcProveedor, AccessSinArchivoDaElEstadoDeJet)
{
    QTemporaryDir d;
    auto p = crearProveedorOdbc(Destino::Access);
    Errors e;
    ParametrosConexion pc;
    pc.texto = QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source =%1;User Id=admin;Password=;").arg(d.filePath(QStringLiteral("no.mdb")));
    EXPECT_FALSE(p->abrir(pc, e));
    ASSERT_EQ(e.Count(), 1);
    EXPECT_EQ(s(e.Item(0).SQLState), "3024");
}

// ---- FreeTDS -------------------------------------------------------------------------------

int puertoLibre()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return -1;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    socklen_t l = sizeof a;
    int puerto = -1;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &l) == 0)
        puerto = ntohs(a.sin_port);
    ::close(fd);
    return puerto;
}

TEST(OdbcFreeTds, PuertoCerradoFallaConElDiagnosticoDelControlador)
{
    Entorno e("PERMUTAL_ODBC_SQLSERVER", nullptr);
    const int puerto = puertoLibre();
    ASSERT_GT(puerto, 0);
    Connection cnn;
    cnn.setCommandTimeout(5);
    try {
        cnn.Open(QStringLiteral("PROVIDER=SQLOLEDB;Server=127.0.0.1,%1;Database =x;UId=sa;Pwd=p;").arg(puerto));
        ADD_FAILURE() << "abrió";
    } catch (const Fallo& f) {
        ASSERT_GE(cnn.errors().Count(), 1);
        for (const Error& x : cnn.errors().lista())
            std::cout << "[ FreeTDS ] " << s(x.SQLState) << " " << x.Number << " " << x.NativeError << " " << s(x.Description) << "\n";
        const Error& x = cnn.errors().Item(0);
        EXPECT_TRUE(x.SQLState.startsWith(QLatin1String("08"))) << s(x.SQLState);
        EXPECT_EQ(x.Number, num::FalloNoEspecificado);
        EXPECT_FALSE(x.Description.isEmpty());
        EXPECT_EQ(s(x.Source), "Proveedor ODBC");
        EXPECT_EQ(f.Number(), x.Number);
        EXPECT_EQ(s(f.Description()), s(x.Description));
    }
    EXPECT_EQ(cnn.State(), adStateClosed);
}

}  // namespace
