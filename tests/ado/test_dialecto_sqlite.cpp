// Rewriting of the suite's SQL Server dialect for SQLite, and batch splitting.
#include "ado/DialectoSqlite.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <random>

using namespace ado::dialecto;

namespace {

// Blank runs do not matter to SQLite; compare with them collapsed.
QString compacto(const QString& s)
{
    return s.simplified();
}

struct Caso {
    const char* entrada;
    const char* esperado;
};

void comprobar(const std::vector<Caso>& casos)
{
    for (const Caso& c : casos) {
        const QString r = traducirSentencia(QString::fromUtf8(c.entrada));
        EXPECT_EQ(compacto(r).toStdString(), compacto(QString::fromUtf8(c.esperado)).toStdString()) << "entrada: " << c.entrada;
    }
}

}  // namespace

TEST(DialectoSqlite, TopPasaALimitAlFinalDeSuSelect)
{
    comprobar({
        {"SELECT TOP 1 * FROM AUX_ERR", "SELECT * FROM AUX_ERR LIMIT 1"},
        {"select  top 1 * from AUX_ERR  with(nolock) ", "select * from AUX_ERR LIMIT 1"},
        {"SELECT TOP 1000 RAZON_SOCIAL,CODIGO FROM VT_PROVEEDORES  with(nolock)  WHERE Dada_De_Baja = 0 ORDER BY RAZON_SOCIAL",
         "SELECT RAZON_SOCIAL,CODIGO FROM VT_PROVEEDORES WHERE Dada_De_Baja = 0 ORDER BY RAZON_SOCIAL COLLATE Modern_Spanish_CI_AS LIMIT 1000"},
        {"SELECT DISTINCT TOP 5 a FROM t", "SELECT DISTINCT a FROM t LIMIT 5"},
        {"SELECT TOP (3) a FROM t", "SELECT a FROM t LIMIT (3)"},
        // In a subquery the limit goes before the ")" that closes it.
        {"SELECT a, (SELECT TOP 1 b FROM u WHERE u.k = t.k ORDER BY b DESC) AS m FROM t",
         "SELECT a, (SELECT b FROM u WHERE u.k = t.k ORDER BY b COLLATE Modern_Spanish_CI_AS DESC LIMIT 1) AS m FROM t"},
        {"SELECT TOP 2 a FROM t WHERE a IN (SELECT TOP 10 a FROM u ORDER BY a) ORDER BY a",
         "SELECT a FROM t WHERE a IN (SELECT a FROM u ORDER BY a COLLATE Modern_Spanish_CI_AS LIMIT 10) ORDER BY a COLLATE Modern_Spanish_CI_AS LIMIT 2"},
        // A trailing comment must not swallow the limit.
        {"SELECT TOP 1 a FROM t -- el primero", "SELECT a FROM t LIMIT 1"},
        {"SELECT TOP 1 a FROM t -- c\r\n", "SELECT a FROM t LIMIT 1"},
        {"SELECT TOP 100 PERCENT a FROM t ORDER BY a", "SELECT a FROM t ORDER BY a COLLATE Modern_Spanish_CI_AS"},
        {"SELECT     TOP 100 PERCENT IdFamilia, Descripcion, (SELECT     TOP 1 idfamilia FROM v_ta_familias a   Where a.IdFamilia < "
         "b.IdFamilia And (Len(LTrim(RTrim(a.IdFamilia))) < Len(LTrim(RTrim(b.IdFamilia))))  ORDER BY idfamilia DESC) AS [relative] "
         "FROM dbo.V_TA_FAMILIAS b Where IdFamilia<>'' ORDER BY IdFamilia",
         "SELECT IdFamilia, Descripcion, (SELECT idfamilia FROM v_ta_familias a Where a.IdFamilia < b.IdFamilia And "
         "(Len(LTrim(RTrim(a.IdFamilia))) < Len(LTrim(RTrim(b.IdFamilia)))) ORDER BY idfamilia COLLATE Modern_Spanish_CI_AS DESC LIMIT 1) AS \"relative\" "
         "FROM V_TA_FAMILIAS b Where IdFamilia<>'' COLLATE Modern_Spanish_CI_AS ORDER BY IdFamilia COLLATE Modern_Spanish_CI_AS"},
        {"INSERT INTO h (a) SELECT TOP 5 a FROM t ORDER BY a", "INSERT INTO h (a) SELECT a FROM t ORDER BY a COLLATE Modern_Spanish_CI_AS LIMIT 5"},
        // A column called TOP_X and the word inside literals stay.
        {"SELECT TOP_X FROM t WHERE n = 'SELECT TOP 1'", "SELECT TOP_X FROM t WHERE n = 'SELECT TOP 1' COLLATE Modern_Spanish_CI_AS"},
    });
}

TEST(DialectoSqlite, SugerenciasYPropietarioDesaparecen)
{
    comprobar({
        {"SELECT * FROM T with(nolock) WHERE A=1", "SELECT * FROM T WHERE A=1"},
        {"SELECT * FROM T WITH (NOLOCK) WHERE A=1", "SELECT * FROM T WHERE A=1"},
        {"SELECT * FROM T WITH(NOLOCK)WHERE A=1", "SELECT * FROM T WHERE A=1"},
        {"SELECT * FROM T x WITH (NOLOCK, INDEX(ix_a)) WHERE A=1", "SELECT * FROM T x WHERE A=1"},
        {"SELECT * FROM T (NOLOCK) INNER JOIN U WITH (ROWLOCK) ON T.a=U.a", "SELECT * FROM T INNER JOIN U ON T.a=U.a"},
        {"SELECT TA_TAREAS.USUARIO FROM TA_TAREAS  with(nolock) INNER JOIN TA_MENU ON TA_TAREAS.TAREA = TA_MENU.Clave",
         "SELECT TA_TAREAS.USUARIO FROM TA_TAREAS INNER JOIN TA_MENU ON TA_TAREAS.TAREA = TA_MENU.Clave"},
        {"SELECT * FROM dbo.T", "SELECT * FROM T"},
        {"SELECT * FROM [dbo].[Mi Tabla]", "SELECT * FROM \"Mi Tabla\""},
        {"SELECT DBO.T.A FROM DBO.T", "SELECT T.A FROM T"},
        // Not a hint, not an owner.
        {"SELECT dbo FROM t WHERE x = 'with(nolock) dbo.x'", "SELECT dbo FROM t WHERE x = 'with(nolock) dbo.x' COLLATE Modern_Spanish_CI_AS"},
        {"WITH c AS (SELECT 1 AS n) SELECT n FROM c", "WITH c AS (SELECT 1 AS n) SELECT n FROM c"},
    });
}

TEST(DialectoSqlite, SumaDeTextosPasaAConcatenacion)
{
    comprobar({
        {"SELECT Razon_Social, (CALLE + ' ' + NUMERO + ' ' + PISO  + ' ' + DEPARTAMENTO ) AS Domicilio FROM VT_PROVEEDORES",
         "SELECT Razon_Social, (CALLE || ' ' || NUMERO || ' ' || PISO || ' ' || DEPARTAMENTO ) AS Domicilio FROM VT_PROVEEDORES"},
        {"SELECT a + b FROM t", "SELECT a + b FROM t"},
        {"SELECT a + 1, b + 'x' FROM t", "SELECT a + 1, b || 'x' FROM t"},
        {"SELECT * FROM t WHERE a + 1 = b AND c = d + '%'", "SELECT * FROM t WHERE a + 1 = b AND c = d || '%'"},
        // Text functions and text parentheses are text operands too.
        {"SELECT RTRIM(a) + b FROM t", "SELECT RTRIM(a) || b FROM t"},
        {"SELECT (a + '-') + b FROM t", "SELECT (a || '-') || b FROM t"},
        {"SELECT ISNULL(a, '') + b FROM t", "SELECT IFNULL(a, '') || b FROM t"},
        {"SELECT LEN(a + 'x') + 1 FROM t", "SELECT LEN(a || 'x') + 1 FROM t"},
        {"SELECT N'ñandú' + a FROM t", "SELECT 'ñandú' || a FROM t"},
        {"SELECT a FROM t WHERE x = -1 + 2", "SELECT a FROM t WHERE x = -1 + 2"},
        // A "+" inside a literal is text, not an operator.
        {"SELECT 'a + b' FROM t WHERE c = '1+1'", "SELECT 'a + b' FROM t WHERE c = '1+1' COLLATE Modern_Spanish_CI_AS"},
    });
}

TEST(DialectoSqlite, PalabrasDeTransaccion)
{
    struct C {
        const char* entrada;
        const char* esperado;
        ClaseSentencia clase;
    };
    const C casos[] = {
        {"BEGIN TRANSACTION", "BEGIN", ClaseSentencia::Comenzar},
        {"BEGIN TRAN", "BEGIN", ClaseSentencia::Comenzar},
        {"begin tran cambio", "BEGIN", ClaseSentencia::Comenzar},
        {"BEGIN", "BEGIN", ClaseSentencia::Comenzar},
        {"COMMIT TRANSACTION", "COMMIT", ClaseSentencia::Confirmar},
        {"COMMIT TRAN", "COMMIT", ClaseSentencia::Confirmar},
        {"COMMIT", "COMMIT", ClaseSentencia::Confirmar},
        {"ROLLBACK TRANSACTION", "ROLLBACK", ClaseSentencia::Deshacer},
        {"Rollback Tran", "ROLLBACK", ClaseSentencia::Deshacer},
        {"ROLLBACK TRANSACTION TO SAVEPOINT p", "ROLLBACK TO SAVEPOINT p", ClaseSentencia::Otra},
        {"SAVE TRAN p", "SAVEPOINT p", ClaseSentencia::Otra},
        {"UPDATE t SET a = 'BEGIN TRAN'", "UPDATE t SET a = 'BEGIN TRAN'", ClaseSentencia::Otra},
    };
    for (const C& c : casos) {
        ClaseSentencia clase = ClaseSentencia::Otra;
        const QString r = traducirSentencia(QString::fromUtf8(c.entrada), &clase);
        EXPECT_EQ(compacto(r).toStdString(), std::string(c.esperado)) << c.entrada;
        EXPECT_EQ(clase, c.clase) << c.entrada;
    }
}

TEST(DialectoSqlite, FechasEntreAlmohadillas)
{
    comprobar({
        {"SELECT * FROM t WHERE f = #31/12/2024#", "SELECT * FROM t WHERE f = '2024-12-31'"},
        {"SELECT * FROM t WHERE f = #2024-12-31#", "SELECT * FROM t WHERE f = '2024-12-31'"},
        {"SELECT * FROM t WHERE f >= #12/31/2024 10:00#", "SELECT * FROM t WHERE f >= '2024-12-31 10:00:00'"},
        {"SELECT * FROM t WHERE f < #01/02/2024#", "SELECT * FROM t WHERE f < '2024-02-01'"},
        {"SELECT * FROM t WHERE f = #5/3/24 3:04:05 PM#", "SELECT * FROM t WHERE f = '2024-03-05 15:04:05'"},
        // Not dates: left for SQLite to judge.
        {"SELECT '#31/12/2024#' FROM t", "SELECT '#31/12/2024#' FROM t"},
        {"SELECT * FROM t WHERE f = #32/13/2024#", "SELECT * FROM t WHERE f = #32/13/2024#"},
    });
    EXPECT_EQ(fechaIso(u"29/02/2023"), QString());
    EXPECT_EQ(fechaIso(u"29/02/2024"), QStringLiteral("2024-02-29"));
    EXPECT_EQ(fechaIso(u"2024-12-31 23:59:59"), QStringLiteral("2024-12-31 23:59:59"));
}

TEST(DialectoSqlite, NombresFuncionesYConvert)
{
    comprobar({
        {"SELECT [Nombre Largo], [a]]b] FROM [T]", "SELECT \"Nombre Largo\", \"a]b\" FROM \"T\""},
        {"SELECT ISNULL(a, 0), LEFT(b, 2), RIGHT(b, 3) FROM t LEFT JOIN u ON t.k = u.k",
         "SELECT IFNULL(a, 0), IZQUIERDA(b, 2), DERECHA(b, 3) FROM t LEFT JOIN u ON t.k = u.k"},
        {"SELECT CONVERT(NVARCHAR(10), f, 103) FROM t", "SELECT CONVERT('NVARCHAR(10)', f, 103) FROM t"},
        {"SELECT CONVERT(INT, a) + 1 FROM t", "SELECT CONVERT('INT', a) + 1 FROM t"},
        {"SELECT a FROM t WHERE a ISNULL", "SELECT a FROM t WHERE a ISNULL"},
    });
}

TEST(DialectoSqlite, DivisionDeLotes)
{
    struct C {
        const char* lote;
        std::vector<const char*> partes;
    };
    const C casos[] = {
        {"BEGIN TRANSACTION\r\nUPDATE C_MV_CPTETAREAS SET CUENTA='P1' WHERE TC='OC' AND IDCOMPROBANTE='0001000000011A'\r\n"
         "UPDATE C_MV_CPTE_OBSERV SET CUENTA='P1' WHERE TC='OC'\r\n",
         {"BEGIN TRANSACTION", "UPDATE C_MV_CPTETAREAS SET CUENTA='P1' WHERE TC='OC' AND IDCOMPROBANTE='0001000000011A'",
          "UPDATE C_MV_CPTE_OBSERV SET CUENTA='P1' WHERE TC='OC'"}},
        {"INSERT INTO H (A, B)\r\nSELECT A, B FROM T\r\nWHERE A > 1\r\nDELETE FROM T", {"INSERT INTO H (A, B)\r\nSELECT A, B FROM T\r\nWHERE A > 1", "DELETE FROM T"}},
        {"INSERT INTO H SELECT * FROM T UNION ALL SELECT * FROM U\r\nSELECT 1", {"INSERT INTO H SELECT * FROM T UNION ALL SELECT * FROM U", "SELECT 1"}},
        {"INSERT INTO H VALUES (1)\r\nSELECT * FROM H", {"INSERT INTO H VALUES (1)", "SELECT * FROM H"}},
        {"CREATE VIEW V AS\r\nSELECT A FROM T\r\nSELECT * FROM V", {"CREATE VIEW V AS\r\nSELECT A FROM T", "SELECT * FROM V"}},
        {"UPDATE T SET A = (SELECT MAX(B) FROM U)\r\nCOMMIT TRANSACTION", {"UPDATE T SET A = (SELECT MAX(B) FROM U)", "COMMIT TRANSACTION"}},
        {"SELECT 1; SELECT 2;;", {"SELECT 1", "SELECT 2"}},
        {"CREATE TABLE X (A INT REFERENCES Y(B) ON DELETE CASCADE ON UPDATE CASCADE)\r\nINSERT INTO X VALUES (1)",
         {"CREATE TABLE X (A INT REFERENCES Y(B) ON DELETE CASCADE ON UPDATE CASCADE)", "INSERT INTO X VALUES (1)"}},
        {"CREATE TRIGGER TR INSTEAD OF UPDATE ON V BEGIN UPDATE T SET A = NEW.A; DELETE FROM U; END\r\nUPDATE V SET A = 1",
         {"CREATE TRIGGER TR INSTEAD OF UPDATE ON V BEGIN UPDATE T SET A = NEW.A; DELETE FROM U; END", "UPDATE V SET A = 1"}},
        {"WITH C AS (SELECT 1 AS N) INSERT INTO H SELECT N FROM C\r\nSELECT 2", {"WITH C AS (SELECT 1 AS N) INSERT INTO H SELECT N FROM C", "SELECT 2"}},
        // Keywords inside literals, quoted names and comments do not split.
        {"UPDATE T SET A = '\r\nSELECT ''x''\r\n' -- UPDATE\r\nWHERE [SELECT] = 1 /* DELETE */", {"UPDATE T SET A = '\r\nSELECT ''x''\r\n' -- UPDATE\r\nWHERE [SELECT] = 1"}},
        {"  \r\n-- solo un comentario\r\n", {}},
    };
    for (const C& c : casos) {
        const std::vector<QString> r = dividirLote(QString::fromUtf8(c.lote));
        std::vector<std::string> obtenidas, esperadas;
        for (const QString& s : r) obtenidas.push_back(s.toStdString());
        for (const char* p : c.partes) esperadas.push_back(p);
        EXPECT_EQ(obtenidas, esperadas) << c.lote;
    }
}

TEST(DialectoSqlite, LoteCompletoSeTraduceSentenciaPorSentencia)
{
    const auto r = traducirLote(u"BEGIN TRAN\r\nUPDATE dbo.T with(nolock) SET A = B + 'x'\r\nSELECT TOP 1 * FROM T\r\nCOMMIT TRAN");
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0].clase, ClaseSentencia::Comenzar);
    EXPECT_EQ(compacto(r[1].texto), QStringLiteral("UPDATE T SET A = B || 'x'"));
    EXPECT_EQ(r[1].original, QStringLiteral("UPDATE dbo.T with(nolock) SET A = B + 'x'"));
    EXPECT_EQ(compacto(r[2].texto), QStringLiteral("SELECT * FROM T LIMIT 1"));
    EXPECT_EQ(r[3].clase, ClaseSentencia::Confirmar);
}

// Random and truncated inputs must neither crash nor hang (the fuzz target
// goes further; this keeps the basic guarantee in the ordinary run).
TEST(DialectoSqlite, EntradasRotasNoRompenNada)
{
    const QStringList trozos = {"SELECT", "TOP", "100", "PERCENT", "(", ")", "'", "''", "\"", "[", "]", "#", "31/12/2024", "+", "with",
                                "(nolock)", "dbo", ".", "--", "/*", "*/", "\r\n", ";", "BEGIN", "TRAN", "CONVERT", "INT", ",", "N",
                                "ISNULL", "LEFT", "CREATE", "TRIGGER", "END", "CASE", "INSERT", "VALUES", "UNION", "x", " "};
    std::mt19937 azar(12345);
    for (int i = 0; i < 2000; ++i) {
        QString s;
        const int n = static_cast<int>(azar() % 30);
        for (int j = 0; j < n; ++j) {
            s += trozos[static_cast<int>(azar() % static_cast<unsigned>(trozos.size()))];
            if (azar() % 2) s += QLatin1Char(' ');
        }
        const auto r = traducirLote(s);
        for (const auto& x : r) EXPECT_FALSE(x.original.isEmpty());
    }
    const QByteArray basura("\xff\xfe\x00SELECT TOP \xc3", 16);
    traducirLoteUtf8(reinterpret_cast<const uint8_t*>(basura.constData()), static_cast<size_t>(basura.size()));
}

namespace {
// Literals compared with something that is not a column get the database's text
// collation, as on SQL Server; assignments keep their value, a LIMIT stays last.
TEST(DialectoSqlite, LiteralesComparadosTomanElCotejoDeLaBase)
{
    struct C {
        const char* entrada;
        const char* esperado;
    } casos[] = {
        {"SELECT TOP 1  * FROM T WHERE LTRIM(RTRIM(Codigo)) ='p1 '", "SELECT * FROM T WHERE LTRIM(RTRIM(Codigo)) ='p1 ' COLLATE Modern_Spanish_CI_AS LIMIT 1"},
        {"SELECT * FROM T WHERE 'a' <> X", "SELECT * FROM T WHERE 'a' COLLATE Modern_Spanish_CI_AS <> X"},
        {"SELECT * FROM T WHERE X >= 'b' AND Y <= 'c'", "SELECT * FROM T WHERE X >= 'b' COLLATE Modern_Spanish_CI_AS AND Y <= 'c' COLLATE Modern_Spanish_CI_AS"},
        {"SELECT * FROM T WHERE X LIKE 'a%' AND Y IN ('a','b')", "SELECT * FROM T WHERE X LIKE 'a%' AND Y COLLATE Modern_Spanish_CI_AS IN ('a','b')"},
        {"SELECT * FROM T WHERE Y NOT IN (1, 2)", "SELECT * FROM T WHERE Y NOT IN (1, 2)"},
        {"SELECT * FROM T WHERE X = 'a' COLLATE BINARY", "SELECT * FROM T WHERE X = 'a' COLLATE BINARY"},
        {"PRAGMA journal_mode = 'wal'", "PRAGMA journal_mode = 'wal'"},
    };
    for (const auto& c : casos)
        EXPECT_EQ(compacto(ado::dialecto::traducirSentencia(QString::fromUtf8(c.entrada))).toStdString(), std::string(c.esperado)) << c.entrada;
}
}  // namespace

// Where the database's collation goes, and the NOCASE-served condition put in
// front of a comparison of a text column (known here by its declared length).
TEST(DialectoSqlite, CotejoYCondicionDelIndice)
{
    const TiposDeColumna tipos = [](QStringView n) -> InfoColumna {
        if (n.compare(u"TC", Qt::CaseInsensitive) == 0) return {TipoColumna::Texto, 4};
        if (n.compare(u"IDCOMPROBANTE", Qt::CaseInsensitive) == 0) return {TipoColumna::Texto, 13};
        if (n.compare(u"CODIGO", Qt::CaseInsensitive) == 0) return {TipoColumna::Texto, 6};
        if (n.compare(u"NOTA", Qt::CaseInsensitive) == 0 || n.compare(u"CLAVE", Qt::CaseInsensitive) == 0) return {TipoColumna::Texto, 0};
        if (n.compare(u"CANTIDAD", Qt::CaseInsensitive) == 0) return {TipoColumna::Numero, 0};
        return {};
    };
    const char* es = " COLLATE Modern_Spanish_CI_AS";
    struct C {
        const char* entrada;
        std::string esperado;
    };
    // The values a literal can equal, one by one: permutal_variante(literal, i, length, trims left).
    auto lista = [](std::vector<std::pair<std::string, int>> literales, int largo) {
        std::string r;
        for (const auto& [l, n] : literales)
            for (int i = 0; i < n; ++i)
                r += (r.empty() ? "" : ", ") + std::string("permutal_variante(") + l + ", " + std::to_string(i) + ", " + std::to_string(largo) + ")";
        return r;
    };
    const std::string vtc = "TC COLLATE NOCASE IN (" + lista({{"'OC'", 3}}, 4) + ")";
    const std::string vid = "IDCOMPROBANTE COLLATE NOCASE IN (" + lista({{"'000100001204A'", 1}}, 13) + ")";
    const C casos[] = {
        // Equality seeks on both columns of a composite index.
        {"UPDATE C_MV_CPTE SET CUENTA='P1' WHERE TC='OC' AND IDCOMPROBANTE='000100001204A'",
         "UPDATE C_MV_CPTE SET CUENTA='P1' WHERE (" + vtc + " AND TC='OC'" + es + ") AND (" + vid + " AND IDCOMPROBANTE='000100001204A'" + es + ")"},
        // A column trimmed on the left: or the rows that start with a blank.
        {"SELECT * FROM T WHERE LTRIM(RTRIM(CODIGO)) ='P1'",
         "SELECT * FROM T WHERE (((CODIGO COLLATE NOCASE IN (" + lista({{"'P1'", 5}}, 6)
             + ")) OR (CODIGO COLLATE NOCASE >= ' ' AND CODIGO COLLATE NOCASE < '!')) AND LTRIM(RTRIM(CODIGO)) ='P1'" + es + ")"},
        // No declared length: the range of the literal's NOCASE prefix.
        {"SELECT * FROM T WHERE NOTA = 'ab'",
         std::string("SELECT * FROM T WHERE (NOTA COLLATE NOCASE >= permutal_prefijo('ab') AND NOTA COLLATE NOCASE < permutal_sucesor(permutal_prefijo('ab')) AND NOTA = 'ab'") + es + ")"},
        {"SELECT * FROM T WHERE CLAVE LIKE 'ab%' ORDER BY CANTIDAD",
         "SELECT * FROM T WHERE (CLAVE COLLATE NOCASE >= permutal_prefijo_patron('ab%') AND CLAVE COLLATE NOCASE < permutal_sucesor(permutal_prefijo_patron('ab%')) AND CLAVE LIKE 'ab%') ORDER BY CANTIDAD"},
        {"SELECT * FROM T WHERE CODIGO IN ('A', 'B')",
         "SELECT * FROM T WHERE (CODIGO COLLATE NOCASE IN (" + lista({{"'A'", 6}, {"'B'", 6}}, 6) + ") AND CODIGO" + es + " IN ('A', 'B'))"},
        // Only the collation: not a column, not a condition of its own, NOT, a numeric column.
        {"SELECT * FROM T WHERE UPPER(CODIGO) = 'A'", std::string("SELECT * FROM T WHERE UPPER(CODIGO) = 'A'") + es},
        {"SELECT * FROM T WHERE CODIGO = 'A' || 'B'", std::string("SELECT * FROM T WHERE CODIGO = 'A'") + es + " || 'B'"},
        {"SELECT * FROM T WHERE CODIGO NOT IN ('A')", std::string("SELECT * FROM T WHERE CODIGO") + es + " NOT IN ('A')"},
        {"SELECT * FROM T WHERE CLAVE LIKE '%a'", "SELECT * FROM T WHERE CLAVE LIKE '%a'"},
        {"SELECT * FROM T WHERE X BETWEEN 1 AND CODIGO = 'A'", std::string("SELECT * FROM T WHERE X BETWEEN 1 AND CODIGO = 'A'") + es},
        {"SELECT * FROM T WHERE CANTIDAD = '1'", std::string("SELECT * FROM T WHERE CANTIDAD = '1'") + es},
        // Assignments are no comparisons.
        {"UPDATE T SET CODIGO = 'A', NOTA = 'B'", "UPDATE T SET CODIGO = 'A', NOTA = 'B'"},
        {"SELECT Total = COUNT(*), Nota = 'x' FROM T", std::string("SELECT COUNT(*) AS Total, 'x' AS Nota FROM T")},
        // Joins, ORDER BY, GROUP BY, MIN and MAX.
        {"SELECT * FROM T INNER JOIN U ON T.CODIGO = U.CLAVE", std::string("SELECT * FROM T INNER JOIN U ON T.CODIGO = U.CLAVE") + es},
        {"SELECT CODIGO, MAX(NOTA), MIN(CANTIDAD) FROM T GROUP BY CODIGO ORDER BY 2 DESC, CODIGO ASC, CANTIDAD",
         std::string("SELECT CODIGO, MAX(NOTA") + es + "), MIN(CANTIDAD) FROM T GROUP BY CODIGO" + es + " ORDER BY 2 DESC, CODIGO" + es + " ASC, CANTIDAD"},
        // The schema is never touched: the stock tool must read it.
        {"CREATE TABLE X (A VARCHAR(2) DEFAULT 'a' CHECK (A <> 'b'))", "CREATE TABLE X (A VARCHAR(2) DEFAULT 'a' CHECK (A <> 'b'))"},
        {"CREATE VIEW V AS SELECT * FROM T WHERE CODIGO = 'A' ORDER BY CODIGO", "CREATE VIEW V AS SELECT * FROM T WHERE CODIGO = 'A' ORDER BY CODIGO"},
        // A named collation stays.
        {"SELECT * FROM T WHERE CODIGO = 'A' COLLATE Latin1_General_CS_AS", "SELECT * FROM T WHERE CODIGO = 'A' COLLATE Latin1_General_CS_AS"},
    };
    for (const C& c : casos)
        EXPECT_EQ(compacto(traducirSentencia(QString::fromUtf8(c.entrada), nullptr, tipos)).toStdString(), c.esperado) << c.entrada;
}

TEST(DialectoSqlite, CotejoDeTerminosConFunciones)
{
    comprobar({
        {"SELECT a FROM t ORDER BY UPPER(a), b", "SELECT a FROM t ORDER BY UPPER(a) COLLATE Modern_Spanish_CI_AS, b COLLATE Modern_Spanish_CI_AS"},
        {"SELECT (SELECT TOP 1 b FROM u ORDER BY LTRIM(b)) FROM t", "SELECT (SELECT b FROM u ORDER BY LTRIM(b) COLLATE Modern_Spanish_CI_AS LIMIT 1) FROM t"},
    });
}
