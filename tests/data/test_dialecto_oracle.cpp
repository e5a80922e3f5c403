// Translation of SQL Server statements into the Oracle dialect.
#include "ado/Errores.h"
#include "data/DialectoOracle.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <vector>

namespace {

const QString kOracle = QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=ORCL;User Id=u;Password=p;");
const QString kSqlServer = QStringLiteral("PROVIDER=SQLOLEDB;Server=S;Database =D;UId=u;Pwd=p;");

struct Caso {
    const char* entrada;
    const char* esperado;
};

std::ostream& operator<<(std::ostream& os, const Caso& c) { return os << c.entrada; }

QString deOracle(const char* s) { return datos::ORACLE_Dicc(QString::fromUtf8(s), kOracle); }

// Compared "apart from the number of blanks".
QString sinBlancosDobles(const QString& s) { return s.simplified(); }

TEST(DialectoOracle, EnSqlServerTodoQuedaIgual)
{
    const char* textos[] = {"SELECT TOP 10 * FROM T WHERE A = '31/12/2024'", "LEN", "SELECT ISNULL(A,0) FROM [T]",
                            "UPDATE T SET A = 'sin cerrar", ""};
    for (const char* t : textos) EXPECT_EQ(datos::ORACLE_Dicc(QString::fromUtf8(t), kSqlServer), QString::fromUtf8(t));
    // The word in a user, password, database or server name is only a value.
    const char* conexiones[] = {
        "PROVIDER=SQLOLEDB;Server=srv;Database =ORACLE;UId=u;Pwd=p;",
        "PROVIDER=SQLOLEDB;Server=srv;Database =Stock;UId=oracle;Pwd=MiOracle2024;",
        "PROVIDER=SQLOLEDB;Server=ORACLE01;Database =Stock;UId=u;Pwd=\"x;Provider=OraOLEDB.Oracle.1\";",
        "PROVIDER=SQLOLEDB;Server=SQLITE;Database =ORACLE;UId=u;Pwd=p;",
    };
    for (const char* c : conexiones)
        EXPECT_EQ(datos::ORACLE_Dicc(QStringLiteral("SELECT TOP 1 LEN(A) FROM T"), QString::fromUtf8(c)), QStringLiteral("SELECT TOP 1 LEN(A) FROM T")) << c;
}

TEST(DialectoOracle, PalabraSola)
{
    const Caso casos[] = {{"LEN", "LENGTH"}, {"len", "LENGTH"}, {"Len", "LENGTH"}, {"LTRIM", "LTRIM"},
                          {"ISNULL(", "ISNULL("}, {"", ""}, {"LENGTH", "LENGTH"}};
    for (const Caso& c : casos) EXPECT_EQ(deOracle(c.entrada), QString::fromUtf8(c.esperado)) << c;
    // The gate reads the provider in any case.
    EXPECT_EQ(datos::ORACLE_Dicc(QStringLiteral("len"), QStringLiteral("provider=oraoledb.oracle.1")),
              QStringLiteral("LENGTH"));
}

TEST(DialectoOracle, TopConWhereYOrderBy)
{
    const QString r = deOracle("SELECT TOP 10 A, B FROM T WHERE X = 1 ORDER BY A");
    EXPECT_EQ(r, QStringLiteral("SELECT  A, B FROM T WHERE X = 1    AND ROWNUM <= 10  ORDER BY A"));
}

TEST(DialectoOracle, TopCasos)
{
    const Caso casos[] = {
        {"SELECT TOP 10 A, B FROM T ORDER BY A", "SELECT A, B FROM T WHERE ROWNUM <= 10 ORDER BY A"},
        {"SELECT TOP 10 A, B FROM T WHERE X = 1", "SELECT A, B FROM T WHERE X = 1 AND ROWNUM <= 10"},
        {"select top 3 * from t", "select * from t WHERE ROWNUM <= 3"},
        {"SELECT TOP 5 A, COUNT(*) FROM T WHERE X = 1 GROUP BY A",
         "SELECT A, COUNT(*) FROM T WHERE X = 1 AND ROWNUM <= 5 GROUP BY A"},
        // With GROUP BY and ORDER BY, ORDER BY travels inside the GROUP BY tail.
        {"SELECT TOP 5 A, COUNT(*) FROM T WHERE X = 1 GROUP BY A ORDER BY A",
         "SELECT A, COUNT(*) FROM T WHERE X = 1 AND ROWNUM <= 5 GROUP BY A ORDER BY A"},
        // "top " at the end of a longer word is not a row limit.
        {"SELECT LAPTOP FROM T WHERE A = 1", "SELECT LAPTOP FROM T WHERE A = 1"},
        {"SELECT * FROM T WHERE ESTADO = 'STOP ' AND A = 1", "SELECT * FROM T WHERE ESTADO = 'STOP ' AND A = 1"},
    };
    for (const Caso& c : casos) EXPECT_EQ(sinBlancosDobles(deOracle(c.entrada)), QString::fromUtf8(c.esperado)) << c;
}

TEST(DialectoOracle, TopSinCantidadEsErrorDeArgumento)
{
    for (const char* t : {"SELECT TOP ", "SELECT TOP 5"}) {
        try {
            deOracle(t);
            ADD_FAILURE() << "sin error: " << t;
        } catch (const ado::Fallo& f) {
            EXPECT_EQ(f.Number(), ado::num::InvalidoArgumento) << t;
        }
    }
}

TEST(DialectoOracle, ReglasDeTexto)
{
    const Caso casos[] = {
        // length function, one to four blanks before "(", always a blank before LEN
        {"SELECT LEN(A), LEN (B), LEN  (C), LEN   (D), LEN    (E) FROM T",
         "SELECT LENGTH(A), LENGTH(B), LENGTH(C), LENGTH(D), LENGTH(E) FROM T"},
        {"SELECT len(A) FROM T", "SELECT LENGTH(A) FROM T"},
        {"LEN(A) FROM T", "LEN(A) FROM T"},
        {"SELECT (LEN(A)) FROM T", "SELECT (LEN(A)) FROM T"},
        {"SELECT X,LEN(A) FROM T", "SELECT X,LEN(A) FROM T"},
        {"SELECT LEN     (A) FROM T", "SELECT LEN     (A) FROM T"},
        // quoted identifiers
        {"SELECT [MIS DATOS] FROM [T]", "SELECT \"MIS DATOS\" FROM \"T\""},
        // Charindex, CONVERT
        {"SELECT CHARINDEX('A', X) FROM T", "SELECT InStr('A', X) FROM T"},
        {"SELECT CONVERT(INT, X) FROM T", "SELECT TO_NUMBER( X) FROM T"},
        {"SELECT CONVERT(NVARCHAR, F, 103) FROM T", "SELECT TO_CHAR( F, 'DD/MM/YYYY') FROM T"},
        {"SELECT convert(nvarchar, F, 103) FROM T", "SELECT TO_CHAR( F, 'DD/MM/YYYY') FROM T"},
        // comparisons with ''
        {"SELECT * FROM T WHERE A = ''", "SELECT * FROM T WHERE A  IS NULL "},
        {"SELECT * FROM T WHERE A=''", "SELECT * FROM T WHERE A IS NULL "},
        {"SELECT * FROM T where A = '' AND B=''", "SELECT * FROM T where A  IS NULL  AND B IS NULL "},
        {"SELECT CASE WHEN A = '' THEN 1 END FROM T WHERE B = ''",
         "SELECT CASE WHEN A = '' THEN 1 END FROM T WHERE B  IS NULL "},
        {"UPDATE T SET A = ''", "UPDATE T SET A = ''"},
        // 103 only after TO_CHAR(
        {"SELECT * FROM T WHERE X = 103", "SELECT * FROM T WHERE X = 103"},
        {"SELECT * FROM T WHERE X IN (103)", "SELECT * FROM T WHERE X IN (103)"},
        {"SELECT TO_CHAR(F, 103) FROM T", "SELECT TO_CHAR(F, 'DD/MM/YYYY') FROM T"},
        // SUBSTRING, ISNULL
        {"SELECT SUBSTRING(A,1,2) FROM T", "SELECT SUBSTR(A,1,2) FROM T"},
        {"select isnull(a,0), substring(b,1,2) from t", "select NVL(a,0), SUBSTR(b,1,2) from t"},
    };
    for (const Caso& c : casos) EXPECT_EQ(deOracle(c.entrada), QString::fromUtf8(c.esperado)) << c;
}

TEST(DialectoOracle, LiteralesDeFecha)
{
    const Caso casos[] = {
        {"SELECT * FROM T WHERE F = '31/12/2024'", "SELECT * FROM T WHERE F = TO_DATE('31/12/2024','DD/MM/YYYY')"},
        {"SELECT * FROM T WHERE F = '1/2/2024'", "SELECT * FROM T WHERE F = TO_DATE('01/02/2024','DD/MM/YYYY')"},
        {"SELECT * FROM T WHERE F = '2024-12-31'", "SELECT * FROM T WHERE F = TO_DATE('31/12/2024','DD/MM/YYYY')"},
        {"SELECT * FROM T WHERE F = '31-12-24'", "SELECT * FROM T WHERE F = TO_DATE('31/12/2024','DD/MM/YYYY')"},
        {"SELECT * FROM T WHERE F = '31/12/99'", "SELECT * FROM T WHERE F = TO_DATE('31/12/1999','DD/MM/YYYY')"},
        {"SELECT * FROM T WHERE F = '31/12/2024 00:00'",
         "SELECT * FROM T WHERE F = TO_DATE('31/12/2024','DD/MM/YYYY')"},
        // A time of day is kept.
        {"INSERT INTO T (F) VALUES ('31/12/2024 10:30')",
         "INSERT INTO T (F) VALUES (TO_DATE('31/12/2024 10:30:00','DD/MM/YYYY HH24:MI:SS'))"},
        // Not dates.
        {"SELECT * FROM T WHERE A = 'ABC'", "SELECT * FROM T WHERE A = 'ABC'"},
        {"SELECT * FROM T WHERE A = '123'", "SELECT * FROM T WHERE A = '123'"},
        {"SELECT '' FROM T", "SELECT '' FROM T"},
        {"SELECT * FROM T WHERE A = '31/02/2024'", "SELECT * FROM T WHERE A = '31/02/2024'"},
        {"SELECT * FROM T WHERE A = '12/31/2024'", "SELECT * FROM T WHERE A = '12/31/2024'"},
        {"SELECT * FROM T WHERE A = '1.2.3'", "SELECT * FROM T WHERE A = '1.2.3'"},
        {"SELECT * FROM T WHERE A = '10:30'", "SELECT * FROM T WHERE A = '10:30'"},
        {"SELECT * FROM T WHERE N = 'O''Brien'", "SELECT * FROM T WHERE N = 'O''Brien'"},
        // Already inside TO_DATE: wrapped only once.
        {"SELECT * FROM T WHERE F = TO_DATE('31/12/2024','DD/MM/YYYY')",
         "SELECT * FROM T WHERE F = TO_DATE('31/12/2024','DD/MM/YYYY')"},
        {"SELECT * FROM T WHERE F = to_date('31/12/2024','DD/MM/YYYY')",
         "SELECT * FROM T WHERE F = TO_DATE('31/12/2024','DD/MM/YYYY')"},
        // The same literal twice: every occurrence, each wrapped once.
        {"SELECT * FROM T WHERE F BETWEEN '01/01/2024' AND '01/01/2024'",
         "SELECT * FROM T WHERE F BETWEEN TO_DATE('01/01/2024','DD/MM/YYYY') AND TO_DATE('01/01/2024','DD/MM/YYYY')"},
    };
    for (const Caso& c : casos) EXPECT_EQ(deOracle(c.entrada), QString::fromUtf8(c.esperado)) << c;
}

TEST(DialectoOracle, ComillasImparesDanErrorDeArgumento)
{
    const char* textos[] = {
        "SELECT * FROM T WHERE A = 'ABC",             // one quote
        "SELECT * FROM T WHERE A = 'X' OR B = 'Y",    // three
        "SELECT * FROM T WHERE A = '",                // quote at the end
        "SELECT ' FROM T",                            // quote in the middle
        "'SELECT A FROM T",                           // at the start
        "SELECT TOP 5 * FROM T WHERE A = 'O'Brien'",  // after the TOP rewrite too
    };
    for (const char* t : textos) {
        try {
            deOracle(t);
            ADD_FAILURE() << "sin error: " << t;
        } catch (const ado::Fallo& f) {
            EXPECT_EQ(f.Number(), ado::num::InvalidoArgumento) << t;
            EXPECT_FALSE(f.Description().isEmpty());
        }
    }
}

TEST(DialectoOracle, NoModificaElOriginalYEncadenaReglas)
{
    const QString original = QStringLiteral(
        "SELECT TOP 1 ISNULL(A,''), CONVERT(NVARCHAR, F, 103) FROM [MIS DATOS] WHERE F >= '01/06/2024' AND B = ''");
    const QString copia = original;
    const QString r = datos::ORACLE_Dicc(original, kOracle);
    EXPECT_EQ(original, copia);
    EXPECT_EQ(sinBlancosDobles(r),
              QStringLiteral("SELECT NVL(A,''), TO_CHAR( F, 'DD/MM/YYYY') FROM \"MIS DATOS\" WHERE F >= "
                             "TO_DATE('01/06/2024','DD/MM/YYYY') AND B IS NULL AND ROWNUM <= 1"));
}

TEST(DialectoOracle, FechaRegional)
{
    struct F {
        const char* texto;
        bool esFecha;
        int d = 0, m = 0, a = 0, h = 0, mi = 0;
    };
    const F casos[] = {
        {"31/12/2024", true, 31, 12, 2024, 0, 0}, {"1/2/2024", true, 1, 2, 2024, 0, 0},
        {"05/06/07", true, 5, 6, 2007, 0, 0},      {"29/02/2024", true, 29, 2, 2024, 0, 0},
        {"31-12-2024", true, 31, 12, 2024, 0, 0},  {"2024-12-31", true, 31, 12, 2024, 0, 0},
        {"2024/12/31", true, 31, 12, 2024, 0, 0},  {"2024-12-31T08:15:00", true, 31, 12, 2024, 8, 15},
        {" 31/12/2024 23:59:59 ", true, 31, 12, 2024, 23, 59},
        {"29/02/2023", false}, {"31/12-2024", false}, {"ABC", false},   {"123", false},
        {"", false},           {"1/2", false},        {"10:30", false}, {"31/12/2024 25:00", false},
        {"0/1/2024", false},   {"1/0/2024", false},   {"31/12/024", false},
    };
    for (const F& c : casos) {
        const auto f = datos::fechaRegional(QString::fromUtf8(c.texto));
        ASSERT_EQ(f.has_value(), c.esFecha) << c.texto;
        if (!f) continue;
        EXPECT_EQ(f->date(), QDate(c.a, c.m, c.d)) << c.texto;
        EXPECT_EQ(f->time().hour(), c.h) << c.texto;
        EXPECT_EQ(f->time().minute(), c.mi) << c.texto;
    }
}

}  // namespace
