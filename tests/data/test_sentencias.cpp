// Statements and recordsets through the session's data access object.
#include "soporte/Sesion_prueba.h"

#include "companion/Terminacion.h"

#include <QFile>

using datos::gDB;
using datos::RecordsetRef;

namespace {

const char* kEsquema =
    "CREATE TABLE MA_CUENTAS (ID INTEGER PRIMARY KEY, CODIGO VARCHAR(10) COLLATE NOCASE UNIQUE, DESCRIPCION VARCHAR(40) COLLATE NOCASE);"
    "CREATE TABLE SS_MA_CUENTAS (ID INTEGER PRIMARY KEY, CODIGO VARCHAR(10) COLLATE NOCASE UNIQUE, DESCRIPCION VARCHAR(40) COLLATE NOCASE);"
    "CREATE TABLE T (ID INTEGER PRIMARY KEY, CODIGO VARCHAR(10) COLLATE NOCASE UNIQUE,"
    "  NOMBRE VARCHAR(10) COLLATE NOCASE CONSTRAINT TRUNC_T_NOMBRE CHECK (length(NOMBRE) <= 10));"
    "INSERT INTO MA_CUENTAS (CODIGO, DESCRIPCION) VALUES ('1', 'Caja'), ('2', 'Banco');"
    "INSERT INTO SS_MA_CUENTAS (CODIGO, DESCRIPCION) VALUES ('1', 'Reservada');"
    "INSERT INTO T (CODIGO, NOMBRE) VALUES ('A', 'uno'), ('B', 'dos');";

class Sentencias : public ::testing::Test {
protected:
    void SetUp() override
    {
        prueba::reiniciarSesion();
        prueba::ejecutarSqlite(carpeta.archivo("base.db"), QString::fromUtf8(kEsquema));
        prueba::conectarSesion(QStringLiteral("base"));
        gDB().gEsAdmin = false;   // the confidential substitution applies
    }
    void TearDown() override
    {
        velmora::fijarTerminacion({});
        prueba::reiniciarSesion();
    }
    QString base() const { return carpeta.archivo("base.db"); }
    prueba::CarpetaTemporal carpeta;
    prueba::OperadorDePrueba op;
};

struct CasoPreparacion {
    const char* sentencia;
    const char* preparada;   // the caller's variable after the call
};

TEST_F(Sentencias, MarcasYSustitucionAntesDeEjecutar)
{
    // A non-administrator session: the confidential substitution may apply.
    const CasoPreparacion casos[] = {
        // Neither DROP nor CREATE: only the markers go, MA_CUENTAS is never substituted.
        {"DELETE FROM @Admin_MA_CUENTAS WHERE CODIGO='9'", "DELETE FROM MA_CUENTAS WHERE CODIGO='9'"},
        {"UPDATE MA_CUENTAS SET DESCRIPCION='x' WHERE CODIGO='9'", "UPDATE MA_CUENTAS SET DESCRIPCION='x' WHERE CODIGO='9'"},
        // DROP and CREATE without DELETE or marker: through the substitution.
        {"DROP TABLE IF EXISTS TMP CREATE TABLE TMP AS SELECT * FROM MA_CUENTAS WHERE 1=0",
         "DROP TABLE IF EXISTS TMP CREATE TABLE TMP AS SELECT * FROM SS_MA_CUENTAS WHERE 1=0"},
        // DROP and CREATE with the marker: markers removed, nothing substituted.
        {"DROP TABLE IF EXISTS TMP CREATE TABLE TMP AS SELECT * FROM @Admin_MA_CUENTAS WHERE 1=0",
         "DROP TABLE IF EXISTS TMP CREATE TABLE TMP AS SELECT * FROM MA_CUENTAS WHERE 1=0"},
        // DROP, CREATE and DELETE but no marker: sent unchanged.
        {"DROP TABLE IF EXISTS TMP CREATE TABLE TMP (A INT) DELETE FROM MA_CUENTAS WHERE 1=0",
         "DROP TABLE IF EXISTS TMP CREATE TABLE TMP (A INT) DELETE FROM MA_CUENTAS WHERE 1=0"},
    };
    for (const auto& c : casos) {
        QString s = QString::fromUtf8(c.sentencia);
        long n = -1;
        gDB().EjecutaConsultaSQL(s, n);
        EXPECT_EQ(s, QString::fromUtf8(c.preparada)) << c.sentencia;
    }
    EXPECT_TRUE(op->llamadas.empty());
    // The marker-protected delete really reached MA_CUENTAS (nothing matched '9', the rows stay).
    EXPECT_EQ(prueba::consultarSqlite(base(), "SELECT COUNT(*) FROM MA_CUENTAS"), QStringLiteral("2"));
}

TEST_F(Sentencias, FilasAfectadasYRecordsetDevuelto)
{
    QString s = QStringLiteral("UPDATE T SET NOMBRE='x'");
    long n = 0;
    gDB().EjecutaConsultaSQL(s, n);
    EXPECT_EQ(n, 2);
    QString q = QStringLiteral("SELECT CODIGO FROM T ORDER BY CODIGO");
    RecordsetRef rs;
    gDB().EjecutaConsultaSQL(q, n, &rs);
    ASSERT_TRUE(rs);
    ASSERT_EQ(rs->State(), ado::adStateOpen);
    EXPECT_EQ(rs->Fields(0).Value().toText(), QStringLiteral("A"));
}

struct CasoErrores {
    const char* nombre;
    const char* sentencia;
    long errores;           // entries left in the session's error collection
};

TEST_F(Sentencias, ReglaDelTruncado8152)
{
    const QString largo = QStringLiteral("NOMBRE='") + QString(20, QLatin1Char('z')) + QStringLiteral("'");
    const std::vector<std::pair<QString, long>> casos = {
        // One failing statement gives 8152 and the "statement terminated" notice: cleared.
        {QStringLiteral("UPDATE T SET ") + largo + QStringLiteral(" WHERE CODIGO='A'"), 0},
        // A batch holding TRANS keeps its errors for the caller's check.
        {QStringLiteral("BEGIN TRANSACTION\r\nUPDATE T SET ") + largo + QStringLiteral(" WHERE CODIGO='A'\r\nROLLBACK TRANSACTION"), 2},
        // TRANS inside a literal or a comment is no transaction word: cleared.
        {QStringLiteral("UPDATE T SET ") + largo + QStringLiteral(" WHERE CODIGO='A' /* TRANS */"), 0},
        {QStringLiteral("UPDATE T SET ") + largo + QStringLiteral(" WHERE CODIGO='TRANS'"), 0},
        // Two failures: four entries, nothing cleared.
        {QStringLiteral("UPDATE T SET ") + largo + QStringLiteral(" WHERE CODIGO='A'\r\nUPDATE T SET ") + largo + QStringLiteral(" WHERE CODIGO='B'"), 4},
    };
    for (const auto& [sql, quedan] : casos) {
        QString s = sql;
        long n = 0;
        gDB().EjecutaConsultaSQL(s, n);
        EXPECT_EQ(gDB().gCnn().errors().Count(), quedan) << sql.toStdString();
        if (quedan) {
            EXPECT_EQ(gDB().gCnn().errors().Item(0).NativeError, 8152);
        }
    }
    EXPECT_EQ(prueba::consultarSqlite(base(), "SELECT NOMBRE FROM T WHERE CODIGO='A'"), QStringLiteral("uno"));
    EXPECT_TRUE(op->llamadas.empty());
}

TEST_F(Sentencias, EjecutaConsultaRSQLMuestraSoloLoQueCorresponde)
{
    const CasoErrores casos[] = {
        {"sintaxis", "UPDATE T SETT NOMBRE='x'", 0},
        {"tabla inexistente", "UPDATE NO_EXISTE SET A=1", 0},
        {"clave duplicada", "INSERT INTO T (CODIGO) VALUES ('A')", 0},
        {"transaccion", "UPDATE NO_EXISTE SET A=1 -- TRANS", 0},
    };
    for (const auto& c : casos) {
        QString s = QString::fromUtf8(c.sentencia);
        long n = 0;
        gDB().EjecutaConsultaRSQL(s, n);
        EXPECT_TRUE(op->llamadas.empty()) << c.nombre;
        EXPECT_GT(gDB().gCnn().errors().Count(), 0) << c.nombre;
    }
    // Any other failure is shown, critical, with OK.
    gDB().gCnn().Close();
    QString s = QStringLiteral("UPDATE T SET NOMBRE='x'");
    long n = 0;
    gDB().EjecutaConsultaRSQL(s, n);
    ASSERT_EQ(op->llamadas.size(), 1u);
    EXPECT_EQ(op->llamadas[0].titulo, QStringLiteral("Aviso al operador!!!"));
    EXPECT_EQ(op->llamadas[0].botones, 16);
    EXPECT_EQ(op->llamadas[0].texto, ado::descripcionClasica(ado::num::ConexionInvalida));
    // EjecutaConsultaSQL stays silent on the same failure.
    gDB().EjecutaConsultaSQL(s, n);
    EXPECT_EQ(op->llamadas.size(), 1u);
}

TEST_F(Sentencias, AbrirRecordsetSustituyeYDejaElTextoPreparado)
{
    QString s = QStringLiteral("SELECT DESCRIPCION FROM MA_CUENTAS WHERE CODIGO='1'");
    RecordsetRef rs;
    gDB().AbrirRecordset(s, rs);
    ASSERT_EQ(rs->State(), ado::adStateOpen);
    EXPECT_EQ(s, QStringLiteral("SELECT DESCRIPCION FROM SS_MA_CUENTAS WHERE CODIGO='1'"));
    EXPECT_EQ(rs->Fields(QStringLiteral("descripcion")).Value().toText(), QStringLiteral("Reservada"));

    QString m = QStringLiteral("SELECT DESCRIPCION FROM @Admin_MA_CUENTAS WHERE CODIGO='1'");
    gDB().AbrirRecordset(m, rs);   // an open recordset is closed first
    EXPECT_EQ(m, QStringLiteral("SELECT DESCRIPCION FROM MA_CUENTAS WHERE CODIGO='1'"));
    EXPECT_EQ(rs->Fields(0).Value().toText(), QStringLiteral("Caja"));

    gDB().gEsAdmin = true;
    QString a = QStringLiteral("SELECT DESCRIPCION FROM MA_CUENTAS WHERE CODIGO='1'");
    gDB().AbrirRecordset(a, rs);
    EXPECT_EQ(rs->Fields(0).Value().toText(), QStringLiteral("Caja"));
    gDB().CierraRecordset(rs);
    EXPECT_EQ(rs->State(), ado::adStateClosed);
    EXPECT_TRUE(op->llamadas.empty());
}

TEST_F(Sentencias, LaConexionActivaQuedaComoConexionDeLaClase)
{
    prueba::ejecutarSqlite(carpeta.archivo("otra.db"), "CREATE TABLE X (V VARCHAR(5) COLLATE NOCASE); INSERT INTO X VALUES ('otra');");
    auto otra = std::make_shared<ado::Connection>();
    otra->Open(QStringLiteral("PROVIDER=SQLOLEDB;Server=SQLITE;Database =otra;UId=a;Pwd=b;"));
    QString s = QStringLiteral("SELECT V FROM X");
    RecordsetRef rs;
    gDB().AbrirRecordset(s, rs, otra);
    EXPECT_EQ(rs->Fields(0).Value().toText(), QStringLiteral("otra"));
    EXPECT_EQ(&gDB().gCnn(), otra.get());
    QString t = QStringLiteral("SELECT V FROM X");
    gDB().AbrirRecordset(t, rs);   // no connection given: the one kept
    EXPECT_EQ(rs->Fields(0).Value().toText(), QStringLiteral("otra"));
}

TEST_F(Sentencias, RespuestasDelReporteAlAbrir)
{
    struct Caso {
        std::deque<int> respuestas;
        size_t cajas;
    } casos[] = {
        {{3}, 1},      // abort: the call ends
        {{4, 5}, 2},   // retry fails again, then ignore goes on (the open was the last step)
        {{4, 4, 3}, 3},
    };
    for (auto& c : casos) {
        op->llamadas.clear();
        op->respuestas = c.respuestas;
        QString s = QStringLiteral("SELECT * FROM NO_EXISTE");
        RecordsetRef rs;
        gDB().AbrirRecordset(s, rs);
        EXPECT_EQ(rs->State(), ado::adStateClosed);
        ASSERT_EQ(op->llamadas.size(), c.cajas);
        for (const auto& l : op->llamadas) {
            EXPECT_TRUE(l.titulo.endsWith(QLatin1String(" - AbrirRecordset Aviso al operador!!! - 5 "))) << l.titulo.toStdString();
            EXPECT_EQ(l.botones, 18);
            EXPECT_TRUE(l.texto.startsWith(QLatin1String("Ha ocurrido el Siguiente Error ("))) << l.texto.toStdString();
        }
    }
}

struct ProgramaTerminado {
    int codigo;
};

// Answers the lost-connection question from its own queue (and may run an action
// when it is asked); every other box gets its first button.
struct OperadorConexionPerdida : velmora::OperadorGuionado {
    std::deque<int> respuestasPerdida;
    std::function<void()> alPreguntar;
    int MsgBox(const QString& t, int b, const QString& ti) override
    {
        if (ti == QLatin1String("AVISO AL OPERADOR")) {
            if (alPreguntar) alPreguntar();
            if (!respuestasPerdida.empty()) {
                respuestas.push_front(respuestasPerdida.front());
                respuestasPerdida.pop_front();
            }
        }
        return velmora::OperadorGuionado::MsgBox(t, b, ti);
    }
    std::vector<Llamada> preguntasPerdida() const
    {
        std::vector<Llamada> r;
        for (const auto& l : llamadas)
            if (l.titulo == QLatin1String("AVISO AL OPERADOR")) r.push_back(l);
        return r;
    }
};

TEST_F(Sentencias, ConexionPerdidaPreguntaHastaQueVuelveOSeCierra)
{
    velmora::fijarTerminacion([](int c) { throw ProgramaTerminado{c}; });
    auto guion = std::make_shared<OperadorConexionPerdida>();
    auto anterior = velmora::instalarOperador(guion);
    // The database file disappears under the open connection: reconnecting fails.
    const QString copia = carpeta.archivo("copia.db");
    ASSERT_TRUE(QFile::copy(base(), copia));
    ASSERT_TRUE(QFile::remove(base()));
    // A statement that fails with an unspecified failure and error entries.
    const QString falla = QStringLiteral("SELECT zeroblob(9999999999999) FROM T");
    guion->respuestasPerdida = {velmora::respuesta::Si, velmora::respuesta::No};
    QString s = falla;
    RecordsetRef rs;
    bool terminado = false;
    try {
        gDB().AbrirRecordset(s, rs);
    } catch (const ProgramaTerminado&) {
        terminado = true;
    }
    EXPECT_TRUE(terminado);
    const QString texto = QStringLiteral("\r\n\r\n\r\nSe perdio la conexion con la base de datos base\r\n Servidor SQLITE\r\n\r\n"
                                         "Elija SI para reintentar conectarse\r\nElija NO para cerrar la aplicacion\r\n\r\n\r\n");
    const auto preguntas = guion->preguntasPerdida();
    ASSERT_EQ(preguntas.size(), 2u);
    for (const auto& l : preguntas) {
        EXPECT_EQ(l.texto, texto);
        EXPECT_EQ(l.botones, 4 + 16);
    }

    // The file comes back while the question is shown: Yes reconnects and the
    // failure itself goes to the reporter.
    guion->llamadas.clear();
    guion->respuestasPerdida = {velmora::respuesta::Si};
    guion->alPreguntar = [&] { QFile::copy(copia, base()); };
    s = falla;
    gDB().AbrirRecordset(s, rs);
    velmora::instalarOperador(anterior);
    EXPECT_TRUE(gDB().gOpenFlag);
    EXPECT_EQ(guion->preguntasPerdida().size(), 1u);
    ASSERT_FALSE(guion->llamadas.empty());
    EXPECT_EQ(guion->llamadas.back().botones, 18);
    EXPECT_TRUE(guion->llamadas.back().titulo.endsWith(QLatin1String(" - AbrirRecordset Aviso al operador!!! - 5 ")));
    EXPECT_EQ(rs->State(), ado::adStateClosed);
}

TEST_F(Sentencias, CerrarRecordsets)
{
    RecordsetRef nada;
    gDB().CierraRecordset(nada);   // nothing at all
    auto rs = std::make_shared<ado::Recordset>();
    gDB().CierraRecordset(rs);     // closed already
    // A pending edit is cancelled and the recordset closed, silently.
    QString s = QStringLiteral("SELECT * FROM T");
    gDB().AbrirRecordset(s, rs, nullptr, ado::adOpenDynamic, ado::adLockOptimistic);
    rs->AddNew();
    rs->Fields(QStringLiteral("CODIGO")) = ado::Variant(QStringLiteral("Z"));
    gDB().CierraRecordset(rs);
    EXPECT_EQ(rs->State(), ado::adStateClosed);
    EXPECT_TRUE(op->llamadas.empty());
    EXPECT_EQ(prueba::consultarSqlite(base(), "SELECT COUNT(*) FROM T WHERE CODIGO='Z'"), QStringLiteral("0"));
}

TEST_F(Sentencias, LoteEnTransaccionSeDeshaceOSeConfirmaEntero)
{
    const QString inicio = QStringLiteral("BEGIN TRANSACTION\r\n");
    const QString uno = QStringLiteral("UPDATE T SET NOMBRE='nuevo' WHERE CODIGO='A'\r\n");
    const QString falla = QStringLiteral("UPDATE T SET NOMBRE='") + QString(30, QLatin1Char('x')) + QStringLiteral("' WHERE CODIGO='B'\r\n");
    const QString dos = QStringLiteral("INSERT INTO MA_CUENTAS (CODIGO, DESCRIPCION) VALUES ('3', 'O''Brien')\r\n");
    long n = 0;
    QString lote = inicio + uno + falla + dos;
    gDB().EjecutaConsultaSQL(lote, n);
    ASSERT_GT(gDB().gCnn().errors().Count(), 0);
    EXPECT_EQ(gDB().gCnn().errors().Item(0).NativeError, 8152);
    QString deshacer = QStringLiteral("ROLLBACK TRANSACTION");
    gDB().EjecutaConsultaSQL(deshacer, n);
    EXPECT_EQ(prueba::consultarSqlite(base(), "SELECT NOMBRE FROM T WHERE CODIGO='A'"), QStringLiteral("uno"));
    EXPECT_EQ(prueba::consultarSqlite(base(), "SELECT COUNT(*) FROM MA_CUENTAS"), QStringLiteral("2"));

    lote = inicio + uno + dos;
    gDB().EjecutaConsultaSQL(lote, n);
    EXPECT_EQ(gDB().gCnn().errors().Count(), 0);
    QString confirmar = QStringLiteral("COMMIT TRANSACTION");
    gDB().EjecutaConsultaSQL(confirmar, n);
    EXPECT_EQ(prueba::consultarSqlite(base(), "SELECT NOMBRE FROM T WHERE CODIGO='A'"), QStringLiteral("nuevo"));
    EXPECT_EQ(prueba::consultarSqlite(base(), "SELECT NOMBRE FROM T WHERE CODIGO='B'"), QStringLiteral("dos"));
    EXPECT_EQ(prueba::consultarSqlite(base(), "SELECT DESCRIPCION FROM MA_CUENTAS WHERE CODIGO='3'"), QStringLiteral("O'Brien"));
}

}  // namespace
