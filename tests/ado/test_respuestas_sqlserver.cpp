// The embedded engine answers as SQL Server does (a database whose collation
// is Modern_Spanish_CI_AS): each statement with the rows SQL Server gives,
// written here as "a|b" per row, rows joined by ";".
#include "ado/Connection.h"
#include "ado/Recordset.h"
#include "soporte/Soporte.h"

#include <gtest/gtest.h>

#include <QStringList>

using namespace ado;

namespace {

const char* kEsquema = R"(
CREATE TABLE PERSONAS (
  CODIGO VARCHAR(6) COLLATE NOCASE NOT NULL PRIMARY KEY,
  NOMBRE VARCHAR(30) COLLATE NOCASE NOT NULL,
  CIUDAD VARCHAR(20) COLLATE NOCASE,
  SALDO MONEY, ALTA DATETIME, VISITAS INT);
CREATE INDEX IX_PERSONAS_NOMBRE ON PERSONAS (NOMBRE);
CREATE INDEX IX_PERSONAS_CIUDAD ON PERSONAS (CIUDAD);
CREATE TABLE CIUDADES (NOMBRE VARCHAR(20) COLLATE NOCASE PRIMARY KEY, PROVINCIA VARCHAR(20) COLLATE NOCASE);
INSERT INTO PERSONAS VALUES ('P1', 'Álvarez', 'Córdoba', 10.5, '2024-12-31 10:20:30', 3);
INSERT INTO PERSONAS VALUES ('P2', 'Alvaro', 'córdoba ', 0, '2024-01-02', 0);
INSERT INTO PERSONAS VALUES ('P3', 'ñandú', 'Ushuaia', NULL, NULL, NULL);
INSERT INTO PERSONAS VALUES ('P4', 'ÑANDÚ', 'Rosario', 5, '2023-05-06', 1);
INSERT INTO PERSONAS VALUES ('P5', 'Nube', 'Rosario', 2, '2022-02-02', 2);
INSERT INTO PERSONAS VALUES ('P6', 'Oso', 'Mendoza', 1, '2021-01-01', 4);
INSERT INTO PERSONAS VALUES ('P7', 'Úbeda', 'Mendoza', 7, '2020-07-07', 5);
INSERT INTO PERSONAS VALUES ('P8', 'Ubeda', 'MENDOZA', 8, '2019-08-08', 6);
INSERT INTO CIUDADES VALUES ('Córdoba', 'Córdoba');
INSERT INTO CIUDADES VALUES ('Rosario', 'Santa Fe');
INSERT INTO CIUDADES VALUES ('Mendoza', 'Mendoza');
INSERT INTO CIUDADES VALUES ('Ushuaia', 'Tierra del Fuego');
)";

struct Caso {
    const char* sql;
    const char* filas;
};

class RespuestasSqlServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        prueba::ejecutarSqlite(carpeta_.archivo(QStringLiteral("respuestas.db")), QString::fromUtf8(kEsquema));
        cnn_.Open(QStringLiteral("PROVIDER=SQLOLEDB;Server=SQLITE;Database =respuestas;UId=u;Pwd=p;"));
    }

    QString filas(const QString& sql)
    {
        QStringList r;
        std::shared_ptr<Recordset> rs;
        try {
            rs = cnn_.Execute(sql);
        } catch (const Fallo& f) {
            return QStringLiteral("<error> ") + f.Description();
        }
        if (rs->State() == adStateClosed) return QStringLiteral("<sin filas>");
        while (!rs->eof()) {
            QStringList c;
            for (long i = 0; i < rs->FieldCount(); ++i) c << rs->Fields(i).Value().toText();
            r << c.join(QLatin1Char('|'));
            rs->MoveNext();
        }
        return r.join(QLatin1Char(';'));
    }

    void comprobar(const std::vector<Caso>& casos)
    {
        for (const Caso& c : casos) EXPECT_EQ(filas(QString::fromUtf8(c.sql)).toStdString(), std::string(c.filas)) << c.sql;
    }

    prueba::CarpetaTemporal carpeta_;
    Connection cnn_;
};

}  // namespace

// Spanish letters: case does not count for Ñ, Á, Ú either; accents do (á is
// not a); Ñ is a letter after N; trailing blanks never count.
TEST_F(RespuestasSqlServer, LetrasEspanolas)
{
    comprobar({
        {"SELECT CODIGO FROM PERSONAS WHERE NOMBRE = 'ÑANDÚ' ORDER BY CODIGO", "P3;P4"},
        {"SELECT CODIGO FROM PERSONAS WHERE NOMBRE = 'ñandú   ' ORDER BY CODIGO", "P3;P4"},
        {"SELECT COUNT(*) FROM PERSONAS WHERE NOMBRE <> 'ñandú'", "6"},
        {"SELECT COUNT(*) FROM PERSONAS WHERE NOMBRE = 'alvarez'", "0"},
        {"SELECT CODIGO FROM PERSONAS WHERE NOMBRE = 'ubeda'", "P8"},
        {"SELECT CODIGO FROM PERSONAS WHERE NOMBRE < 'O' ORDER BY CODIGO", "P1;P2;P3;P4;P5"},
        {"SELECT CODIGO FROM PERSONAS WHERE NOMBRE > 'NZ' ORDER BY CODIGO", "P3;P4;P6;P7;P8"},
        {"SELECT CODIGO FROM PERSONAS WHERE NOMBRE IN ('ÁLVAREZ', 'oso ') ORDER BY CODIGO", "P1;P6"},
        {"SELECT CODIGO FROM PERSONAS WHERE NOMBRE NOT IN ('ÁLVAREZ', 'oso', 'ñandú') ORDER BY CODIGO", "P2;P5;P7;P8"},
        {"SELECT CODIGO FROM PERSONAS WHERE NOMBRE LIKE 'ál%'", "P1"},
        {"SELECT CODIGO FROM PERSONAS WHERE NOMBRE LIKE 'ub%' ORDER BY CODIGO", "P8"},
        {"SELECT CODIGO FROM PERSONAS WHERE NOMBRE LIKE '%ANDÚ' ORDER BY CODIGO", "P3;P4"},
        {"SELECT CODIGO FROM PERSONAS WHERE NOMBRE NOT LIKE '%a%' ORDER BY CODIGO", "P5;P6"},
        {"SELECT CODIGO FROM PERSONAS WHERE CIUDAD LIKE 'CÓRDOBA' ORDER BY CODIGO", "P1;P2"},
        {"SELECT NOMBRE FROM PERSONAS ORDER BY NOMBRE, CODIGO", "Álvarez;Alvaro;Nube;ñandú;ÑANDÚ;Oso;Ubeda;Úbeda"},
        {"SELECT NOMBRE FROM PERSONAS WHERE VISITAS IS NOT NULL ORDER BY NOMBRE DESC", "Úbeda;Ubeda;Oso;ÑANDÚ;Nube;Alvaro;Álvarez"},
        {"SELECT UPPER(RTRIM(CIUDAD)), COUNT(*) FROM PERSONAS GROUP BY CIUDAD ORDER BY 1", "CÓRDOBA|2;MENDOZA|3;ROSARIO|2;USHUAIA|1"},
        {"SELECT COUNT(*) FROM PERSONAS GROUP BY NOMBRE HAVING COUNT(*) > 1", "2"},
        {"SELECT CODIGO FROM PERSONAS WHERE LTRIM(RTRIM(CIUDAD)) = 'CÓRDOBA' ORDER BY CODIGO", "P1;P2"},
        {"SELECT COUNT(*) FROM PERSONAS WHERE LTRIM(RTRIM(CIUDAD)) = 'CORDOBA'", "0"},
        {"SELECT MAX(NOMBRE), MIN(NOMBRE) FROM PERSONAS", "Úbeda|Álvarez"},
        {"SELECT LOWER(NOMBRE) FROM PERSONAS WHERE CODIGO = 'P4'", "ñandú"},
        // A join of text columns: case and trailing blanks do not count there either.
        {"SELECT P.CODIGO, C.PROVINCIA FROM PERSONAS P INNER JOIN CIUDADES C ON P.CIUDAD = C.NOMBRE WHERE P.CODIGO IN ('P2', 'P8') ORDER BY P.CODIGO",
         "P2|Córdoba;P8|Mendoza"},
        // Explicit collations of SQL Server's.
        {"SELECT COUNT(*) FROM PERSONAS WHERE NOMBRE = 'ubeda' COLLATE Latin1_General_CI_AI", "2"},
        {"SELECT COUNT(*) FROM PERSONAS WHERE NOMBRE = 'ÑANDÚ' COLLATE Modern_Spanish_CS_AS", "1"},
    });
}

// Rewritings that once changed the answer.
TEST_F(RespuestasSqlServer, ReescriturasQueCambiabanLaRespuesta)
{
    comprobar({
        {"SELECT CODIGO + NOMBRE FROM PERSONAS WHERE CODIGO = 'P5'", "P5Nube"},
        {"SELECT NOMBRE + ' (' + CODIGO + ')' FROM PERSONAS WHERE CODIGO = 'P6'", "Oso (P6)"},
        {"SELECT '1' + 1", "2"},
        {"SELECT VISITAS + VISITAS FROM PERSONAS WHERE CODIGO = 'P1'", "6"},
        {"SELECT COUNT(*) FROM (SELECT TOP 1 CODIGO FROM PERSONAS ORDER BY CODIGO UNION ALL SELECT CODIGO FROM PERSONAS) X", "9"},
        {"SELECT CODIGO FROM PERSONAS WHERE CODIGO = 'P8' UNION ALL SELECT TOP 1 CODIGO FROM PERSONAS ORDER BY CODIGO", "P8;P1"},
        {"SELECT COUNT(*) FROM PERSONAS WHERE LTRIM(RTRIM(CIUDAD)) IN ('ROSARIO')", "2"},
        {"SELECT Total = COUNT(*), Primero = MIN(CODIGO) FROM PERSONAS", "8|P1"},
        {"SELECT TOP 34 PERCENT CODIGO FROM PERSONAS ORDER BY CODIGO", "P1;P2;P3"},
        {"SELECT TOP 100 PERCENT CODIGO FROM PERSONAS WHERE VISITAS > 3 ORDER BY CODIGO", "P6;P7;P8"},
    });
    EXPECT_EQ(cnn_.Execute(QStringLiteral("SELECT Total = COUNT(*) FROM PERSONAS"))->Fields(0L).Name(), QStringLiteral("Total"));

    long n = 0;
    cnn_.Execute(QStringLiteral("UPDATE TOP (1) PERSONAS SET VISITAS = 9 WHERE CIUDAD = 'mendoza'"), &n);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(filas(QStringLiteral("SELECT COUNT(*) FROM PERSONAS WHERE VISITAS = 9")), QStringLiteral("1"));
    // A -- comment ends at CR: the statement after it runs.
    cnn_.Execute(QStringLiteral("UPDATE PERSONAS SET VISITAS = 20 WHERE CODIGO = 'P2' -- primero\rUPDATE PERSONAS SET VISITAS = 21 WHERE CODIGO = 'P3'"), &n);
    EXPECT_TRUE(cnn_.errors().empty());
    EXPECT_EQ(filas(QStringLiteral("SELECT VISITAS FROM PERSONAS WHERE CODIGO IN ('P2', 'P3') ORDER BY CODIGO")), QStringLiteral("20;21"));
}

// What already agreed, so that none of it goes back.
TEST_F(RespuestasSqlServer, LoQueYaCoincidia)
{
    comprobar({
        {"SELECT CODIGO FROM PERSONAS WHERE NOMBRE = 'Oso; DROP TABLE PERSONAS --'", ""},
        {"SELECT 'SELECT TOP 1 * FROM X; UPDATE X SET A = 1'", "SELECT TOP 1 * FROM X; UPDATE X SET A = 1"},
        {"SELECT 'O''Brien'", "O'Brien"},
        {"SELECT COUNT(*) FROM [dbo].[PERSONAS]", "8"},
        {"SELECT COUNT(*) FROM dbo.PERSONAS with(nolock)", "8"},
        {"SELECT COUNT(*) FROM PERSONAS WITH (NOLOCK) WHERE VISITAS > 2", "4"},
        {"SELECT N'ñandú'", "ñandú"},
        {"SELECT CODIGO FROM PERSONAS WHERE NOMBRE = N'Oso'", "P6"},
        {"SELECT ISNULL(SALDO, -1) FROM PERSONAS WHERE CODIGO = 'P3'", "-1"},
        {"SELECT LEN(CIUDAD) FROM PERSONAS WHERE CODIGO = 'P2'", "7"},
        {"SELECT CONVERT(VARCHAR(10), ALTA, 103) FROM PERSONAS WHERE CODIGO = 'P1'", "31/12/2024"},
        {"SELECT CONVERT(INT, '12') + 1", "13"},
        {"SELECT TOP 2 CODIGO FROM PERSONAS WHERE CODIGO IN (SELECT TOP 3 CODIGO FROM PERSONAS ORDER BY CODIGO DESC) ORDER BY CODIGO", "P6;P7"},
        {"SELECT CODIGO FROM PERSONAS WHERE ALTA >= #01/01/2024# ORDER BY CODIGO", "P1;P2"},
        {"SELECT COUNT(*) FROM PERSONAS WHERE ALTA BETWEEN '2020-01-01' AND '2022-12-31'", "3"},
        {"SELECT TOP 1 NOMBRE FROM PERSONAS ORDER BY VISITAS DESC", "Ubeda"},
        {"SELECT SUBSTRING(NOMBRE, 2, 3) FROM PERSONAS WHERE CODIGO = 'P1'", "lva"},
        {"SELECT LEFT(CODIGO, 1) + RIGHT(CODIGO, 1) FROM PERSONAS WHERE CODIGO = 'P7'", "P7"},
        {"SELECT CHARINDEX('da', NOMBRE) FROM PERSONAS WHERE CODIGO = 'P7'", "4"},
        {"SELECT CASE WHEN VISITAS > 3 THEN 'muchas' ELSE 'pocas' END FROM PERSONAS WHERE CODIGO = 'P6'", "muchas"},
        {"SELECT RTRIM(CIUDAD) + '|' FROM PERSONAS WHERE CODIGO = 'P2'", "córdoba|"},
        {"SELECT REPLICATE('ab', 3) + SPACE(1) + 'x'", "ababab x"},
        {"SELECT CODIGO FROM PERSONAS WHERE CODIGO = 'p1  '", "P1"},
        {"SELECT COUNT(*) FROM PERSONAS WHERE NOMBRE LIKE '%' + 'nd' + '%'", "2"},
        {"SELECT CODIGO FROM PERSONAS WHERE VISITAS IN (1, 2) ORDER BY CODIGO", "P4;P5"},
        {"SELECT COUNT(*) FROM PERSONAS WHERE SALDO IS NULL", "1"},
    });
}
