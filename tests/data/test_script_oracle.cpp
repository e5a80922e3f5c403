// Pieces of the Oracle script runner: normalising, cutting, filtering, TOP n *.
#include "ado/Errores.h"
#include "data/DialectoOracle.h"
#include "data/ScriptOracle.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace {

const QString kOracle = QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=ORCL;User Id=u;Password=p;");
const QString kSqlServer = QStringLiteral("PROVIDER=SQLOLEDB;Server=S;Database =D;UId=u;Pwd=p;");

struct Corte {
    QStringList sentencias;
    QString resto;   // the script text after the loop
};

// What the runner's loop sees: normalise, then cut until no keyword is left.
Corte cortar(QString script)
{
    Corte c;
    datos::normalizarScriptOracle(script);
    QString s;
    while (datos::siguienteSentenciaOracle(script, s)) c.sentencias << s;
    c.resto = script;
    return c;
}

TEST(ScriptOracle, Normalizacion)
{
    struct Caso {
        const char* entrada;
        const char* esperado;
    };
    const Caso casos[] = {
        {"SET NOCOUNT ON\r\nINSERT INTO T VALUES (1)\r\nGO\r\nINSERT INTO T VALUES (2)\r\nGO\r\n",
         " \nINSERT INTO T VALUES (1) INSERT INTO T VALUES (2) "},
        {"set nocount off INSERT INTO T VALUES (1)", " INSERT INTO T VALUES (1)"},
        {"BEGIN TRANSACTION\r\nINSERT INTO T VALUES (1)\r\nCOMMIT TRANSACTION",
         "SET TRANSACTION \nINSERT INTO T VALUES (1) \nCOMMIT"},
        {"begin trans DELETE FROM T rollback trans", "SET TRANSACTION DELETE FROM T ROLLBACK"},
        {"ROLLBACK TRANSACTION", "ROLLBACK"},
        {"COMMIT TRANS", "COMMIT"},
        {"A GO B", "A B"},
        {"A\r\nGO B", "A B"},
        {"A\rB\nC", "A B\nC"},
        // A closing GO, or GO lines in a row, are separators too.
        {"INSERT INTO T VALUES (1)\r\nGO", "INSERT INTO T VALUES (1) \n"},
        {"A\r\nGO\r\nGO\r\nB", "A \nB"},
        {"GO\r\nINSERT INTO T VALUES (1)", "\nINSERT INTO T VALUES (1)"},
        // Not a separator: GO inside words.
        {"SELECT ALGO, GOMA FROM T", "SELECT ALGO, GOMA FROM T"},
    };
    for (const Caso& c : casos) {
        QString t = QString::fromUtf8(c.entrada);
        datos::normalizarScriptOracle(t);
        EXPECT_EQ(t, QString::fromUtf8(c.esperado)) << c.entrada;
    }
}

TEST(ScriptOracle, CorteEnPalabrasClave)
{
    struct Caso {
        const char* script;
        QStringList sentencias;
    };
    const Caso casos[] = {
        {"BEGIN TRANSACTION\r\nINSERT INTO T VALUES (1)\r\nCOMMIT TRANSACTION",
         {"SET TRANSACTION", "INSERT INTO T VALUES (1)", "COMMIT"}},
        {"SET NOCOUNT ON\r\nINSERT INTO T VALUES (1)\r\nGO\r\nUPDATE T SET A = 2\r\nGO\r\n",
         {"INSERT INTO T VALUES (1)", "UPDATE T SET A = 2"}},
        {"-- carga inicial\r\nINSERT INTO T VALUES (1)", {"INSERT INTO T VALUES (1)"}},
        {"IF NOT EXISTS (SELECT * FROM SYSOBJECTS WHERE NAME = 'T')\r\nCREATE TABLE T (A INT)",
         {"IF NOT EXISTS (SELECT * FROM SYSOBJECTS WHERE NAME = 'T')", "CREATE TABLE T (A INT)"}},
        {"IF EXISTS (SELECT * FROM SYSOBJECTS WHERE NAME = 'T') DROP TABLE T",
         {"IF EXISTS (SELECT * FROM SYSOBJECTS WHERE NAME = 'T')", "DROP TABLE T"}},
        {"delete from T\nalter table T add B int\ngrant select on T to PUBLIC\nrollback",
         {"delete from T", "alter table T add B int", "grant select on T to PUBLIC", "rollback"}},
        // Keywords inside quoted values or longer words do not cut.
        {"INSERT INTO T VALUES ('DELETE ME', 'UPDATE ')", {"INSERT INTO T VALUES ('DELETE ME', 'UPDATE ')"}},
        {"INSERT INTO T VALUES ('O''Brien INSERT ') INSERT INTO T VALUES (2)",
         {"INSERT INTO T VALUES ('O''Brien INSERT ')", "INSERT INTO T VALUES (2)"}},
        {"UPDATE T SET A = 1\nINSERT INTO LOG_UPDATE VALUES (1)", {"UPDATE T SET A = 1", "INSERT INTO LOG_UPDATE VALUES (1)"}},
        {"SET TRANSACTION ISOLATION LEVEL READ COMMITTED", {"SET TRANSACTION ISOLATION LEVEL READ COMMITTED"}},
        {"BEGIN TRANSACTION;COMMIT TRANSACTION", {"SET TRANSACTION;", "COMMIT"}},
    };
    for (const Caso& c : casos) {
        const Corte r = cortar(QString::fromUtf8(c.script));
        EXPECT_EQ(r.sentencias, c.sentencias) << c.script;
        EXPECT_TRUE(r.resto.isEmpty()) << c.script;
    }
}

TEST(ScriptOracle, CadaCorteDejaElRestoDesdeLaClaveSiguiente)
{
    QString t = QStringLiteral("basura SET TRANSACTION \nINSERT INTO T VALUES (1) \nCOMMIT");
    QString s = QStringLiteral("previa");
    ASSERT_TRUE(datos::siguienteSentenciaOracle(t, s));
    EXPECT_EQ(s, QStringLiteral("SET TRANSACTION"));
    EXPECT_EQ(t, QStringLiteral("INSERT INTO T VALUES (1) \nCOMMIT"));
    ASSERT_TRUE(datos::siguienteSentenciaOracle(t, s));
    EXPECT_EQ(s, QStringLiteral("INSERT INTO T VALUES (1)"));
    EXPECT_EQ(t, QStringLiteral("COMMIT"));
    ASSERT_TRUE(datos::siguienteSentenciaOracle(t, s));
    EXPECT_EQ(s, QStringLiteral("COMMIT"));
    EXPECT_TRUE(t.isEmpty());
    EXPECT_FALSE(datos::siguienteSentenciaOracle(t, s));
}

TEST(ScriptOracle, SinPalabraClaveNoSeEjecutaNada)
{
    const Corte r = cortar(QStringLiteral("SELECT * FROM T\r\nWHERE A = 1"));
    EXPECT_TRUE(r.sentencias.isEmpty());
    EXPECT_EQ(r.resto, QStringLiteral("SELECT * FROM T \nWHERE A = 1"));
}

TEST(ScriptOracle, LiteralSinCerrarQuedaEnUnaSentenciaYLaTraduccionFalla)
{
    const Corte r = cortar(QStringLiteral("INSERT INTO T VALUES ('A) DELETE FROM T"));
    ASSERT_EQ(r.sentencias.size(), 1);
    try {
        datos::ORACLE_Dicc(r.sentencias.at(0), kOracle);
        FAIL() << "sin error";
    } catch (const ado::Fallo& f) {
        EXPECT_EQ(f.Number(), ado::num::InvalidoArgumento);
    }
}

TEST(ScriptOracle, Clasificacion)
{
    using datos::SentenciaOracle;
    EXPECT_EQ(datos::clasificaSentenciaOracle(QStringLiteral("SET TRANSACTION")), SentenciaOracle::Comenzar);
    EXPECT_EQ(datos::clasificaSentenciaOracle(QStringLiteral("set transaction")), SentenciaOracle::Comenzar);
    EXPECT_EQ(datos::clasificaSentenciaOracle(QStringLiteral("Commit")), SentenciaOracle::Confirmar);
    EXPECT_EQ(datos::clasificaSentenciaOracle(QStringLiteral("ROLLBACK")), SentenciaOracle::Deshacer);
    EXPECT_EQ(datos::clasificaSentenciaOracle(QStringLiteral("SET TRANSACTION;")), SentenciaOracle::Ejecutar);
    EXPECT_EQ(datos::clasificaSentenciaOracle(QStringLiteral("INSERT INTO T VALUES (1)")), SentenciaOracle::Ejecutar);
}

TEST(ScriptOracle, FiltraSentencia)
{
    struct Caso {
        const char* sentencia;
        bool queda;
    };
    const Caso casos[] = {
        {"SET NOCOUNT ON", false},
        {"set nocount off", false},
        {"IF NOT EXISTS (SELECT * FROM T)", false},
        {"if not exist (SELECT * FROM T)", false},
        {"IF EXISTS (SELECT * FROM T)", true},
        {"INSERT INTO T VALUES (1)", true},
        {"", true},
    };
    for (const Caso& c : casos) {
        QString s = QString::fromUtf8(c.sentencia);
        const QString r = datos::FiltraSentencia(s);
        const QString esperado = c.queda ? QString::fromUtf8(c.sentencia) : QString();
        EXPECT_EQ(r, esperado) << c.sentencia;
        EXPECT_EQ(s, esperado) << c.sentencia;
    }
}

TEST(ScriptOracle, AjustaTopOracle)
{
    EXPECT_EQ(datos::AjustaTopOracle(QStringLiteral("Select TOP 1 * from Control_Acceso  with(nolock) "), kOracle),
              QStringLiteral("Select  *  from Control_Acceso  with(nolock)  WHERE ROWNUM <=  1 "));
    EXPECT_EQ(datos::AjustaTopOracle(QStringLiteral("select top 5 * from T"), QStringLiteral("provider=oraoledb.oracle")),
              QStringLiteral("select  *  from T WHERE ROWNUM <=  5 "));
    EXPECT_EQ(datos::AjustaTopOracle(QStringLiteral("len"), kOracle), QStringLiteral("LENGTH"));
    EXPECT_EQ(datos::AjustaTopOracle(QStringLiteral("LTRIM"), kOracle), QStringLiteral("LTRIM"));
    EXPECT_EQ(datos::AjustaTopOracle(QStringLiteral("SELECT A FROM T"), kOracle), QStringLiteral("SELECT A FROM T"));
    EXPECT_EQ(datos::AjustaTopOracle(QStringLiteral("SELECT * FROM LAPTOP WHERE A = 1"), kOracle),
              QStringLiteral("SELECT * FROM LAPTOP WHERE A = 1"));
    // On SQL Server nothing changes, not even a TOP without "*".
    for (const char* t : {"Select TOP 1 * from T", "Select TOP 1 A from T", "len"})
        EXPECT_EQ(datos::AjustaTopOracle(QString::fromUtf8(t), kSqlServer), QString::fromUtf8(t));

    for (const char* t : {"Select TOP 1 A from T", "SELECT TOP 3"}) {
        try {
            datos::AjustaTopOracle(QString::fromUtf8(t), kOracle);
            ADD_FAILURE() << "sin error: " << t;
        } catch (const ado::Fallo& f) {
            EXPECT_EQ(f.Number(), ado::num::InvalidoArgumento) << t;
        }
    }
}

TEST(ScriptOracle, SentenciaDelGuionTraducidaYFiltrada)
{
    const Corte r = cortar(QStringLiteral(
        "SET NOCOUNT ON\r\nIF NOT EXISTS (SELECT * FROM TA_X WHERE A = '')\r\nCREATE TABLE TA_X (A INT)\r\nGO\r\n"
        "UPDATE TA_X SET F = '31/12/2024' WHERE ISNULL(B,'') = ''\r\nGO"));
    ASSERT_EQ(r.sentencias.size(), 3);
    QStringList ejecutadas;
    for (const QString& s : r.sentencias) {
        QString t = datos::ORACLE_Dicc(s, kOracle);
        if (!datos::FiltraSentencia(t).trimmed().isEmpty()) ejecutadas << t;
    }
    EXPECT_EQ(ejecutadas, QStringList({QStringLiteral("CREATE TABLE TA_X (A INT)"),
                                       QStringLiteral("UPDATE TA_X SET F = TO_DATE('31/12/2024','DD/MM/YYYY') WHERE "
                                                      "NVL(B,'')  IS NULL ")}));
}

}  // namespace
