// Statement builders, the transactional batch and the Oracle script runner,
// on real embedded databases, checked through the statement trace.
#include "ado/TextoConexion.h"
#include "soporte/Sesion_prueba.h"
#include "Traza_prueba.h"

#include "companion/Velmora2.h"
#include "data/Guiones.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

using datos::gDB;

namespace {

// --- Field list and statement builder ----------------------------------------

struct Campo {
    const char* columna;
    const char* valor;
    const char* delimitador;
};

// Collects the fields (the first one restarting the list) and builds one statement.
QString construir(std::initializer_list<Campo> campos, bool actualiza, QString& condicion, bool conserva = false,
                  bool primeroReinicia = true)
{
    bool primero = primeroReinicia;
    for (const Campo& c : campos) {
        QString columna = QString::fromUtf8(c.columna), valor = QString::fromUtf8(c.valor);
        datos::AgregaCampo(columna, valor, QString::fromUtf8(c.delimitador), primero);
        primero = false;
    }
    std::vector<QString> sentencias;
    QString tabla = QStringLiteral("T");
    datos::GeneraSentencia(datos::gCampos, sentencias, tabla, actualiza, condicion, conserva);
    EXPECT_EQ(sentencias.size(), 1u);
    return sentencias.empty() ? QString() : sentencias.back();
}

TEST(Guiones, AgregaCampoQuitaComillasYEscribeNull)
{
    struct Caso {
        const char* valor;
        const char* delimitador;
        const char* literal;
        const char* valorDespues;   // the caller's variable after the call
    };
    const Caso casos[] = {
        {"O'Brien", "'", "'OBrien'", "OBrien"},
        {"'; DROP TABLE T --", "'", "'; DROP TABLE T --'", "; DROP TABLE T --"},
        {"null", "'", "Null", "null"},
        {"NuLL", "@", "Null", "NuLL"},
        {"'NULL'", "'", "Null", "NULL"},
        {"12,50", "@", "12.5", "12,50"},
        {"abc", "", "abc", "abc"},
    };
    for (const Caso& c : casos) {
        QString columna = QStringLiteral("A"), valor = QString::fromUtf8(c.valor);
        bool primero = true;
        datos::AgregaCampo(columna, valor, QString::fromUtf8(c.delimitador), primero);
        ASSERT_EQ(datos::gCampos.size(), 1u) << c.valor;
        EXPECT_EQ(datos::gCampos[0].columna, QStringLiteral("A"));
        EXPECT_EQ(datos::gCampos[0].valor, QString::fromUtf8(c.literal)) << c.valor;
        EXPECT_EQ(valor, QString::fromUtf8(c.valorDespues)) << c.valor;
    }
}

TEST(Guiones, GeneraSentenciaInsertYUpdate)
{
    struct Caso {
        bool actualiza;
        const char* condicion;
        const char* sentencia;
        const char* condicionDespues;
    };
    const Caso casos[] = {
        {false, "", "INSERT INTO T (A,B) VALUES ('x',Null)", ""},
        {true, "ID = 5", "UPDATE T SET A = 'x',B = Null  WHERE ID = 5", " WHERE ID = 5"},
        {true, "where ID = 5", "UPDATE T SET A = 'x',B = Null where ID = 5", "where ID = 5"},
        {true, "", "UPDATE T SET A = 'x',B = Null  WHERE ", " WHERE "},
    };
    for (const Caso& c : casos) {
        QString condicion = QString::fromUtf8(c.condicion);
        EXPECT_EQ(construir({{"A", "x", "'"}, {"B", "NULL", "'"}}, c.actualiza, condicion), QString::fromUtf8(c.sentencia));
        EXPECT_EQ(condicion, QString::fromUtf8(c.condicionDespues)) << c.sentencia;
        // Without keep the list is one empty entry again.
        ASSERT_EQ(datos::gCampos.size(), 1u);
        EXPECT_TRUE(datos::gCampos[0].columna.isEmpty() && datos::gCampos[0].valor.isEmpty());
    }
}

TEST(Guiones, ListaDeCamposEntreSentencias)
{
    QString c;
    // Keep: the fields serve a second statement.
    construir({{"A", "1", "@"}}, false, c, true);
    ASSERT_EQ(datos::gCampos.size(), 1u);
    EXPECT_EQ(datos::gCampos[0].valor, QStringLiteral("1"));
    // Without keep, a statement begun with first false gets an empty first column.
    construir({{"A", "1", "@"}}, false, c, false);
    EXPECT_EQ(construir({{"A", "x", "'"}}, false, c, false, false), QStringLiteral("INSERT INTO T (,A) VALUES (,'x')"));
    // Each statement starting with first true is whole.
    EXPECT_EQ(construir({{"A", "x", "'"}}, false, c), QStringLiteral("INSERT INTO T (A) VALUES ('x')"));
}

TEST(Guiones, PatronesDeFechaYHora)
{
    EXPECT_EQ(datos::FormatoHora(), QStringLiteral("HH:mm"));
    EXPECT_EQ(datos::FormatoFechaHora(), datos::FormatoFecha() + QStringLiteral(" ") + datos::FormatoHora());
    const QDateTime d(QDate(2024, 12, 31), QTime(9, 5, 40));
    if (QLocale::system().dateFormat(QLocale::ShortFormat).contains(QLatin1Char('/'))) {
        EXPECT_EQ(datos::FormatoFechaHora(), QStringLiteral("dd/MM/yy HH:mm"));
        EXPECT_EQ(d.toString(datos::FormatoFechaHora()), QStringLiteral("31/12/24 09:05"));
    }
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^31\\W12\\W24$")).match(d.toString(datos::FormatoFecha())).hasMatch());
}

// --- Transactional batch --------------------------------------------------------

const char* kEsquemaLote =
    "CREATE TABLE AUX_ERR (ID INTEGER PRIMARY KEY, Proceso VARCHAR(50) COLLATE NOCASE, Fecha VARCHAR(20) COLLATE NOCASE,"
    " Error INT, Descripcion VARCHAR(250) COLLATE NOCASE, SQL TEXT COLLATE NOCASE, PC VARCHAR(50) COLLATE NOCASE,"
    " Usuario VARCHAR(50) COLLATE NOCASE);"
    "CREATE TABLE CLIENTES (CODIGO VARCHAR(10) COLLATE NOCASE UNIQUE, NOMBRE VARCHAR(40) COLLATE NOCASE,"
    " SALDO INT CONSTRAINT CK_SALDO CHECK (SALDO >= 0));"
    "INSERT INTO CLIENTES (CODIGO, NOMBRE, SALDO) VALUES ('A', 'Primero', 0);";

class Lote : public ::testing::Test {
protected:
    void SetUp() override
    {
        prueba::reiniciarSesion();
        prueba::ejecutarSqlite(base(), QString::fromUtf8(kEsquemaLote));
        prueba::conectarSesion(QStringLiteral("lote"));
        traza.vaciar();
    }
    void TearDown() override { prueba::reiniciarSesion(); }
    QString base() const { return carpeta.archivo("lote.db"); }
    QString consultar(const char* sql) const { return prueba::consultarSqlite(base(), QString::fromUtf8(sql)); }

    prueba::CarpetaTemporal carpeta;
    prueba::OperadorDePrueba op;
    prueba::TrazaTemporal traza;
};

struct Salida {
    bool fallo = true;
    int32_t numero = -1;
    QString guion = QStringLiteral("sin tocar");
    QString mensaje = QStringLiteral("sin tocar");
};

Salida correr(std::vector<QString> sentencias, bool silencioClave = false, bool silencioRestriccion = false, bool mostrar = true)
{
    Salida s;
    datos::GActualizarDatoScript(sentencias, s.fallo, s.numero, silencioClave, silencioRestriccion, s.guion, s.mensaje, mostrar);
    return s;
}

TEST_F(Lote, SinFallosConfirma)
{
    const QString insert = QStringLiteral("INSERT INTO CLIENTES (CODIGO, NOMBRE, SALDO) VALUES ('B', 'Segundo', 5)");
    const QString update = QStringLiteral("  UPDATE CLIENTES SET SALDO = 7 WHERE CODIGO = 'A'");
    const Salida s = correr({QString(), insert, QStringLiteral("   "), update});
    EXPECT_FALSE(s.fallo);
    EXPECT_EQ(s.numero, 0);
    const QString guion = QStringLiteral("BEGIN TRANSACTION \r\r\r") + insert + QStringLiteral("\r") + update + QStringLiteral("\r");
    EXPECT_EQ(s.guion, guion);
    EXPECT_EQ(s.mensaje, QStringLiteral("sin tocar"));
    EXPECT_EQ(traza.textos("execute"), (std::vector<QString>{guion, QStringLiteral("COMMIT TRANSACTION")}));
    EXPECT_EQ(consultar("SELECT NOMBRE || SALDO FROM CLIENTES WHERE CODIGO = 'B'"), QStringLiteral("Segundo5"));
    EXPECT_EQ(consultar("SELECT SALDO FROM CLIENTES WHERE CODIGO = 'A'"), QStringLiteral("7"));
    EXPECT_EQ(consultar("SELECT COUNT(*) FROM AUX_ERR"), QStringLiteral("0"));
    EXPECT_TRUE(op->llamadas.empty());
}

TEST_F(Lote, SoloEntradasEnBlancoNoEjecutaNada)
{
    Salida s;
    s.fallo = true;
    std::vector<QString> sentencias{QString(), QStringLiteral("  "), QStringLiteral("\t")};
    datos::GActualizarDatoScript(sentencias, s.fallo, s.numero, false, false, s.guion, s.mensaje, true);
    EXPECT_FALSE(s.fallo);
    EXPECT_EQ(s.numero, -1);
    EXPECT_EQ(s.guion, QStringLiteral("sin tocar"));
    EXPECT_EQ(s.mensaje, QStringLiteral("sin tocar"));
    EXPECT_TRUE(traza.leer().empty());
    EXPECT_TRUE(op->llamadas.empty());
}

TEST_F(Lote, ConFalloDeshaceRegistraYAvisa)
{
    const QString nueva = QStringLiteral("INSERT INTO CLIENTES (CODIGO, NOMBRE, SALDO) VALUES ('C', 'Tercero', 1)");
    const QString duplicada = QStringLiteral("INSERT INTO CLIENTES (CODIGO, NOMBRE, SALDO) VALUES ('a', 'Repetido', 1)");
    const QString negativa = QStringLiteral("UPDATE CLIENTES SET SALDO = -1 WHERE CODIGO = 'A'");
    struct Caso {
        const char* nombre;
        std::vector<QString> sentencias;
        bool silencioClave, silencioRestriccion, mostrar;
        int32_t numero;
        int lineasMensaje;      // CR LF ended lines in the message; 0: the database's text alone
        bool aviso;
    };
    const Caso casos[] = {
        // The constraint failure brings the provider's "statement terminated" entry: only the first is listed.
        {"clave duplicada", {nueva, duplicada}, false, false, true, 2627, 1, true},
        {"clave duplicada sin mostrar", {nueva, duplicada}, false, false, false, 2627, 1, false},
        {"clave duplicada en silencio", {nueva, duplicada}, true, false, true, 2627, 0, false},
        {"silencio de restriccion no calla la clave", {nueva, duplicada}, false, true, true, 2627, 1, true},
        {"restriccion en silencio", {nueva, negativa}, false, true, true, 547, 0, false},
        // Two failures give four entries: all but the last are listed.
        {"dos fallos", {duplicada, nueva, negativa}, false, false, true, 2627, 3, true},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        traza.vaciar();
        op->llamadas.clear();
        prueba::ejecutarSqlite(base(), "DELETE FROM AUX_ERR;");
        const Salida s = correr(c.sentencias, c.silencioClave, c.silencioRestriccion, c.mostrar);
        EXPECT_TRUE(s.fallo);
        EXPECT_EQ(s.numero, c.numero);
        EXPECT_EQ(gDB().gCnn().errors().Count(), 0);

        // Rolled back: nothing of the batch stays.
        EXPECT_EQ(consultar("SELECT COUNT(*) FROM CLIENTES"), QStringLiteral("1"));
        EXPECT_EQ(consultar("SELECT SALDO FROM CLIENTES"), QStringLiteral("0"));
        const auto ejecutadas = traza.textos("execute");
        ASSERT_GE(ejecutadas.size(), 2u);
        EXPECT_EQ(ejecutadas[0], s.guion);
        EXPECT_EQ(ejecutadas[1], QStringLiteral("ROLLBACK TRANSACTION"));
        for (const QString& t : ejecutadas) EXPECT_NE(t, QStringLiteral("COMMIT TRANSACTION"));

        // The message: "native : description" lines, or the database's text alone when quiet.
        const QString prefijo = QString::number(c.numero) + QStringLiteral(" : ");
        QString descripcionAux;
        if (c.lineasMensaje == 0) {
            EXPECT_FALSE(s.mensaje.contains(QLatin1Char('\r')));
            EXPECT_FALSE(s.mensaje.startsWith(prefijo));
            EXPECT_FALSE(s.mensaje.trimmed().isEmpty());
        } else {
            EXPECT_TRUE(s.mensaje.startsWith(prefijo)) << s.mensaje.toStdString();
            EXPECT_TRUE(s.mensaje.endsWith(QStringLiteral("\r\n")));
            EXPECT_EQ(s.mensaje.count(QStringLiteral("\r\n")), c.lineasMensaje) << s.mensaje.toStdString();
            if (c.lineasMensaje == 1) {
                EXPECT_FALSE(s.mensaje.contains(QStringLiteral("3621 : ")));
            }
            descripcionAux = s.mensaje.left(250);   // the column keeps 250 characters
        }

        // One AUX_ERR row: the batch text, the number, the message (empty when quiet).
        EXPECT_EQ(consultar("SELECT COUNT(*) FROM AUX_ERR"), QStringLiteral("1"));
        EXPECT_EQ(consultar("SELECT Error FROM AUX_ERR"), QString::number(c.numero));
        EXPECT_EQ(consultar("SELECT ifnull(Descripcion, '') FROM AUX_ERR"), descripcionAux);
        EXPECT_EQ(consultar("SELECT SQL FROM AUX_ERR"), s.guion);
        EXPECT_EQ(consultar("SELECT Proceso FROM AUX_ERR"), velmora::NombreEjecutable());
        EXPECT_EQ(consultar("SELECT Usuario FROM AUX_ERR"), QStringLiteral("OPERADOR"));
        EXPECT_EQ(consultar("SELECT Fecha FROM AUX_ERR"), QDateTime::fromString(consultar("SELECT Fecha FROM AUX_ERR"),
                                                                                   datos::FormatoFechaHora()).toString(datos::FormatoFechaHora()));

        if (c.aviso) {
            ASSERT_EQ(op->llamadas.size(), 1u);
            EXPECT_EQ(op->llamadas[0].texto, s.mensaje);
            EXPECT_EQ(op->llamadas[0].botones, 16);
            EXPECT_EQ(op->llamadas[0].titulo, QStringLiteral("Aviso al Operador!"));
        } else {
            EXPECT_TRUE(op->llamadas.empty());
        }
    }
}

TEST_F(Lote, RegistroIngresoConLasPiezas)
{
    // The usage log's way: fields, one INSERT, the batch.
    prueba::ejecutarSqlite(base(), "CREATE TABLE Control_Acceso (Maquina VARCHAR(50) COLLATE NOCASE, Usuario VARCHAR(50) COLLATE NOCASE,"
                                   " Ingreso VARCHAR(20) COLLATE NOCASE);");
    const QString ahora = QDateTime::currentDateTime().toString(datos::FormatoFecha() + QStringLiteral(" ") + datos::FormatoHora());
    QString c1 = QStringLiteral("Maquina"), v1 = QStringLiteral("PC-1"), c2 = QStringLiteral("Usuario"), v2 = QStringLiteral("D'ARTAGNAN"),
            c3 = QStringLiteral("Ingreso"), v3 = ahora;
    const QString q = QStringLiteral("'");
    bool primero = true, no = false;
    datos::AgregaCampo(c1, v1, q, primero);
    datos::AgregaCampo(c2, v2, q, no);
    datos::AgregaCampo(c3, v3, q, no);
    datos::gSentencias.assign(1, QString());
    QString tabla = QStringLiteral("Control_Acceso"), condicion;
    datos::GeneraSentencia(datos::gCampos, datos::gSentencias, tabla, no, condicion, no);
    bool fallo = true;
    int32_t numero = -1;
    QString guion, mensaje;
    datos::GActualizarDatoScript(datos::gSentencias, fallo, numero, false, false, guion, mensaje, true);
    EXPECT_FALSE(fallo);
    EXPECT_EQ(numero, 0);
    EXPECT_EQ(consultar("SELECT Maquina || '|' || Usuario || '|' || Ingreso FROM Control_Acceso"),
              QStringLiteral("PC-1|DARTAGNAN|") + ahora);
    EXPECT_TRUE(op->llamadas.empty());
}

// --- Oracle script runner ---------------------------------------------------------

const char* kEsquemaOracle = "CREATE TABLE T (CODIGO VARCHAR(10) COLLATE NOCASE UNIQUE, N INT);";

// An embedded database reached with a connection text whose provider is
// Oracle's: the data class takes its Oracle path and the trace shows what the
// runner sends.
class GuionOracle : public ::testing::Test {
protected:
    void SetUp() override
    {
        prueba::reiniciarSesion();
        prueba::ejecutarSqlite(base(), QString::fromUtf8(kEsquemaOracle));
        gDB().gExtended = QStringLiteral("Provider=OraOLEDB.Oracle.1;");
        prueba::conectarSesion(QStringLiteral("ora"));
        ASSERT_TRUE(ado::dialectoOracle(gDB().gCnn().ConnectionString()));
        ASSERT_EQ(gDB().gCnn().proveedor(), QStringLiteral("sqlite"));
        traza.vaciar();
    }
    void TearDown() override { prueba::reiniciarSesion(); }
    QString base() const { return carpeta.archivo("ora.db"); }
    QString consultar(const char* sql) const { return prueba::consultarSqlite(base(), QString::fromUtf8(sql)); }

    // What reached the connection, one "op: text" entry per call.
    std::vector<QString> recibido() const
    {
        std::vector<QString> r;
        for (const auto& o : traza.leer()) r.push_back(o.sql.isEmpty() ? o.op : o.op + QStringLiteral(": ") + o.sql);
        return r;
    }

    prueba::CarpetaTemporal carpeta;
    prueba::OperadorDePrueba op;
    prueba::TrazaTemporal traza;
};

TEST_F(GuionOracle, CadaSentenciaPorSeparado)
{
    struct Caso {
        const char* nombre;
        const char* guion;
        std::vector<QString> recibido;
        long filas;          // added to the caller's 10
        const char* resto;   // the caller's text afterwards
    };
    const Caso casos[] = {
        {"transaccion",
         "BEGIN TRANSACTION\r\nINSERT INTO T (CODIGO, N) VALUES ('A', 1)\r\nCOMMIT TRANSACTION",
         {QStringLiteral("begin"), QStringLiteral("execute: INSERT INTO T (CODIGO, N) VALUES ('A', 1)"), QStringLiteral("commit")},
         1, ""},
        {"sin NOCOUNT ni GO",
         "SET NOCOUNT ON\r\nINSERT INTO T (CODIGO, N) VALUES ('B', 2)\r\nGO\r\nUPDATE T SET N = 3 WHERE N < 3\r\nGO\r\n",
         {QStringLiteral("execute: INSERT INTO T (CODIGO, N) VALUES ('B', 2)"), QStringLiteral("execute: UPDATE T SET N = 3 WHERE N < 3")},
         3, ""},
        {"IF NOT EXISTS descartado",
         "IF NOT EXISTS (SELECT * FROM T2 WHERE 1 = 0)\r\nCREATE TABLE T2 (A INT)",
         {QStringLiteral("execute: CREATE TABLE T2 (A INT)")}, 0, ""},
        {"comentario inicial sin ejecutar",
         "-- limpieza\r\nDELETE FROM T WHERE N = 3",
         {QStringLiteral("execute: DELETE FROM T WHERE N = 3")}, 2, ""},
        {"SELECT solo", "SELECT *\r\nFROM T\r\nWHERE N = 1", {}, 0, "SELECT * \nFROM T \nWHERE N = 1"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        traza.vaciar();
        QString guion = QString::fromUtf8(c.guion);
        long filas = 10;
        gDB().EjecutaConsultaSQL(guion, filas);
        EXPECT_EQ(recibido(), c.recibido);
        EXPECT_EQ(filas, 10 + c.filas);
        EXPECT_EQ(guion, QString::fromUtf8(c.resto));
    }
    EXPECT_EQ(consultar("SELECT COUNT(*) FROM T"), QStringLiteral("0"));
    EXPECT_EQ(consultar("SELECT COUNT(*) FROM sqlite_master WHERE name = 'T2'"), QStringLiteral("1"));
    EXPECT_TRUE(op->llamadas.empty());
}

TEST_F(GuionOracle, FalloEnMedioDejaElRestoDesdeEsaSentencia)
{
    QString guion = QStringLiteral("INSERT INTO T (CODIGO, N) VALUES ('A', 1)\r\nINSERT INTO NO_EXISTE (X) VALUES (1)\r\n"
                                   "INSERT INTO T (CODIGO, N) VALUES ('B', 2)");
    long filas = 0;
    gDB().EjecutaConsultaSQL(guion, filas);
    const auto r = traza.leer();
    ASSERT_EQ(r.size(), 2u);
    EXPECT_FALSE(r[0].error);
    EXPECT_EQ(r[1].sql, QStringLiteral("INSERT INTO NO_EXISTE (X) VALUES (1)"));
    EXPECT_TRUE(r[1].error);
    EXPECT_EQ(filas, 1);
    EXPECT_EQ(guion, QStringLiteral("INSERT INTO NO_EXISTE (X) VALUES (1) \nINSERT INTO T (CODIGO, N) VALUES ('B', 2)"));
    EXPECT_EQ(consultar("SELECT group_concat(CODIGO) FROM T"), QStringLiteral("A"));
    // The failure stays in the collection for the caller's check.
    EXPECT_GT(gDB().gCnn().errors().Count(), 0);
}

TEST_F(GuionOracle, LoteTransaccionalEnOracle)
{
    // BEGIN / COMMIT / ROLLBACK TRANSACTION become the connection's own calls.
    prueba::ejecutarSqlite(base(), QString::fromUtf8(
        "CREATE TABLE AUX_ERR (ID INTEGER PRIMARY KEY, Proceso VARCHAR(50), Fecha VARCHAR(20), Error INT, Descripcion VARCHAR(250),"
        " SQL TEXT, PC VARCHAR(50), Usuario VARCHAR(50));"));
    Salida s = correr({QStringLiteral("INSERT INTO T (CODIGO, N) VALUES ('A', 1)")});
    EXPECT_FALSE(s.fallo);
    EXPECT_EQ(s.numero, 0);
    EXPECT_EQ(recibido(), (std::vector<QString>{QStringLiteral("begin"), QStringLiteral("execute: INSERT INTO T (CODIGO, N) VALUES ('A', 1)"),
                                                QStringLiteral("commit")}));
    traza.vaciar();
    s = correr({QStringLiteral("INSERT INTO T (CODIGO, N) VALUES ('B', 1)"), QStringLiteral("INSERT INTO T (CODIGO, N) VALUES ('a', 2)")}, true);
    EXPECT_TRUE(s.fallo);
    EXPECT_EQ(s.numero, 2627);
    const auto r = recibido();
    ASSERT_GE(r.size(), 4u);
    EXPECT_EQ(r[0], QStringLiteral("begin"));
    EXPECT_EQ(r[3], QStringLiteral("rollback"));
    EXPECT_EQ(consultar("SELECT group_concat(CODIGO) FROM T"), QStringLiteral("A"));
    // (The AUX_ERR row is not checked here: its query goes out in the Oracle
    // dialect, which the embedded engine does not read.)
    EXPECT_TRUE(op->llamadas.empty());
}

}  // namespace
