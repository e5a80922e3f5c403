// The one reading of statement text: what lies in literals, quoted names and
// comments never counts as the statement's own words, and is never rewritten.
#include "data/Escaner.h"
#include "data/Sinonimos.h"

#include <gtest/gtest.h>

namespace {

namespace esc = datos::escaner;

TEST(Escaner, ClausulasDelPropioTexto)
{
    struct Caso {
        const char* sql;
        std::initializer_list<const char*> clausula;
        int posicion;   // -1: not a clause of the statement
    };
    const Caso casos[] = {
        {"SELECT A FROM T ORDER BY A", {"ORDER", "BY"}, 16},
        {"select a from t order  by a", {"order", "by"}, 16},
        {"SELECT A FROM T ORDER/* c */BY A", {"ORDER", "BY"}, 16},
        {"SELECT A FROM T\r\nORDER\r\nBY A", {"ORDER", "BY"}, 17},
        // A search's text is a literal.
        {"SELECT A FROM T where A like 'x order by%'", {"ORDER", "BY"}, -1},
        {"SELECT A FROM T where A like 'x  and B like '' order by%'", {"ORDER", "BY"}, -1},
        {"SELECT A FROM T where A like 'x order by%' ORDER BY A", {"ORDER", "BY"}, 43},
        // Quoted names and comments.
        {"SELECT [order by] FROM T", {"ORDER", "BY"}, -1},
        {"SELECT \"group by\" FROM T", {"GROUP", "BY"}, -1},
        {"SELECT A FROM T -- ORDER BY A", {"ORDER", "BY"}, -1},
        {"SELECT A FROM T /* WHERE 1=1 */", {"WHERE"}, -1},
        // A -- comment ends at CR as well as at LF.
        {"SELECT A FROM T -- x\rWHERE A = 1", {"WHERE"}, 21},
        // A subquery's clause is not the statement's.
        {"SELECT (SELECT MAX(B) FROM U WHERE U.A = T.A) FROM T", {"WHERE"}, -1},
        {"SELECT A FROM T WHERE A IN (SELECT B FROM U ORDER BY B)", {"ORDER", "BY"}, -1},
        // Longer words are not the clause.
        {"SELECT BORDER BY FROM T", {"ORDER", "BY"}, -1},
        {"SELECT A FROM T WHEREVER", {"WHERE"}, -1},
        {"", {"WHERE"}, -1},
        // An unterminated literal runs to the end of the text.
        {"SELECT A FROM T WHERE A = 'x ORDER BY A", {"ORDER", "BY"}, -1},
    };
    for (const Caso& c : casos)
        EXPECT_EQ(esc::clausula(QString::fromUtf8(c.sql), c.clausula), c.posicion) << c.sql;
}

TEST(Escaner, BuscarYReemplazarFueraDeLiterales)
{
    struct Caso {
        const char* sql;
        const char* que;
        const char* por;
        const char* resultado;
        bool hallado;   // in code (Alcance::Codigo)
    };
    const Caso casos[] = {
        {"BEGIN TRANSACTION", "TRANS", "X", "BEGIN XACTION", true},
        {"UPDATE T SET A='BEGIN TRANSACTION'", "TRANS", "X", "UPDATE T SET A='BEGIN TRANSACTION'", false},
        {"UPDATE T SET A='it''s DROP' WHERE B=1", "DROP", "X", "UPDATE T SET A='it''s DROP' WHERE B=1", false},
        {"DELETE FROM @Admin_MA_CUENTAS WHERE C='@Admin_'", "@Admin_", "", "DELETE FROM MA_CUENTAS WHERE C='@Admin_'", true},
        {"SELECT * FROM [@Admin_MA_CUENTAS]", "@admin_", "", "SELECT * FROM [MA_CUENTAS]", false},
        {"SELECT N'ORACLE' FROM T -- ORACLE\r\n", "oracle", "x", "SELECT N'ORACLE' FROM T -- ORACLE\r\n", false},
        {"SELECT #31/12/2024# AS DROP", "DROP", "X", "SELECT #31/12/2024# AS X", true},
        {"x", "", "y", "x", false},
    };
    for (const Caso& c : casos) {
        const QString sql = QString::fromUtf8(c.sql), que = QString::fromUtf8(c.que);
        EXPECT_EQ(esc::reemplaza(sql, que, QString::fromUtf8(c.por)), QString::fromUtf8(c.resultado)) << c.sql;
        EXPECT_EQ(esc::contiene(sql, que), c.hallado) << c.sql;
    }
}

TEST(Escaner, EsqueletoSoloCambiaConLaForma)
{
    const QString a = esc::esqueleto(QStringLiteral("SELECT * FROM T WHERE A like 'x%' AND B='it''s' ORDER BY A"));
    EXPECT_EQ(a, QStringLiteral("SELECT * FROM T WHERE A like ? AND B=? ORDER BY A"));
    EXPECT_EQ(esc::esqueleto(QStringLiteral("SELECT * FROM T WHERE A like '; DELETE FROM T; --%' AND B='' ORDER BY A")), a);
    EXPECT_NE(esc::esqueleto(QStringLiteral("SELECT * FROM T WHERE A like 'x' ; DELETE FROM T; --%' AND B='' ORDER BY A")), a);
}

// Markers and confidential names are table names: a value that holds one keeps it.
TEST(Escaner, MarcasYSinonimosSoloEnNombres)
{
    struct Caso {
        const char* sql;
        const char* usuario;        // a user who is not an administrator
        const char* administrador;
    };
    const Caso casos[] = {
        {"SELECT * FROM VT_PROVEEDORES WHERE CODIGO='P00001@Admin_'", "SELECT * FROM VT_PROVEEDORES WHERE CODIGO='P00001@Admin_'",
         "SELECT * FROM VT_PROVEEDORES WHERE CODIGO='P00001@Admin_'"},
        {"UPDATE T SET A=' MA_CUENTAS ' WHERE B=1", "UPDATE T SET A=' MA_CUENTAS ' WHERE B=1", "UPDATE T SET A=' MA_CUENTAS ' WHERE B=1"},
        {"SELECT * FROM MA_CUENTAS WHERE A=' MA_CUENTAS '", "SELECT * FROM SS_MA_CUENTAS WHERE A=' MA_CUENTAS '",
         "SELECT * FROM MA_CUENTAS WHERE A=' MA_CUENTAS '"},
        {"SELECT * FROM @Admin_MA_CUENTAS WHERE A='@Admin_MA_CUENTAS '", "SELECT * FROM MA_CUENTAS WHERE A='@Admin_MA_CUENTAS '",
         "SELECT * FROM MA_CUENTAS WHERE A='@Admin_MA_CUENTAS '"},
        // Confidentiality off: MV_ASIENTOS in a value does not decide it.
        {"SELECT * FROM MA_CUENTAS WHERE A='MV_ASIENTOS'", "SELECT * FROM SS_MA_CUENTAS WHERE A='MV_ASIENTOS'",
         "SELECT * FROM MA_CUENTAS WHERE A='MV_ASIENTOS'"},
    };
    for (const Caso& c : casos) {
        const QString sql = QString::fromUtf8(c.sql);
        EXPECT_EQ(datos::SS_TSinonimos(sql, false, false, QStringLiteral("Permutal")), QString::fromUtf8(c.usuario)) << c.sql;
        EXPECT_EQ(datos::SS_TSinonimos(sql, true, true, QStringLiteral("Permutal")), QString::fromUtf8(c.administrador)) << c.sql;
    }
    EXPECT_EQ(datos::QuitaMarcaAdmin(QStringLiteral("SELECT @Adm@Admin_in_X FROM T")), QStringLiteral("SELECT X FROM T"));
}

}  // namespace
