// The embedded provider on real SQLite files, through ado::Connection.
#include "ado/Connection.h"
#include "ado/Cotejo.h"
#include "ado/ProveedorSqlite.h"
#include "ado/Recordset.h"
#include "soporte/Soporte.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace ado;

namespace {

const char* kEsquema = R"(
CREATE TABLE CLIENTES (
  CODIGO VARCHAR(6) NOT NULL COLLATE NOCASE PRIMARY KEY,
  NOMBRE VARCHAR(10) COLLATE NOCASE CONSTRAINT TRUNC_CLIENTES_NOMBRE CHECK (length(NOMBRE) <= 10),
  SALDO MONEY, ALTA DATETIME, ACTIVO BIT, VISITAS INT, PESO FLOAT, NOTAS TEXT, NIVEL SMALLINT,
  CONSTRAINT CK_VISITAS CHECK (VISITAS >= 0));
CREATE UNIQUE INDEX IX_CLIENTES_NOMBRE ON CLIENTES(NOMBRE);
CREATE TABLE PEDIDOS (ID INTEGER PRIMARY KEY, CLIENTE VARCHAR(6) COLLATE NOCASE NOT NULL REFERENCES CLIENTES(CODIGO));
CREATE VIEW V_CLIENTES AS SELECT CODIGO, NOMBRE FROM CLIENTES;
INSERT INTO CLIENTES VALUES ('A1', 'Ana', 12.5, '2024-12-31 10:20:30', 1, 3, 1.25, 'nota', 2);
INSERT INTO CLIENTES VALUES ('B2', 'bruno', 0, '2024-01-02', 0, 0, 0, NULL, 1);
INSERT INTO CLIENTES VALUES ('C3', 'Carla', NULL, NULL, NULL, NULL, NULL, NULL, NULL);
INSERT INTO PEDIDOS VALUES (1, 'A1');
)";

const QString kConexion = QStringLiteral("PROVIDER=SQLOLEDB;Server=SQLITE;Database =demo;UId=u;Pwd=p;");

class ProveedorSqlite : public ::testing::Test {
protected:
    void SetUp() override
    {
        archivo_ = carpeta_.archivo(QStringLiteral("demo.db"));
        prueba::ejecutarSqlite(archivo_, QString::fromUtf8(kEsquema));
        cnn_.Open(kConexion);
    }

    // Runs a batch; returns the errors it left (none when it went through).
    std::vector<Error> lote(const QString& sql, long* afectadas = nullptr)
    {
        try {
            cnn_.Execute(sql, afectadas);
        } catch (const Fallo&) {
        }
        return cnn_.errors().lista();
    }

    QString valor(const QString& sql)
    {
        auto rs = cnn_.Execute(sql);
        if (rs->State() == adStateClosed || rs->eof()) return QStringLiteral("<sin filas>");
        return rs->Fields(0L).Value().toText();
    }

    prueba::CarpetaTemporal carpeta_;
    QString archivo_;
    Connection cnn_;
};

std::vector<int32_t> nativos(const std::vector<Error>& e)
{
    std::vector<int32_t> r;
    for (const Error& x : e) r.push_back(x.NativeError);
    return r;
}

}  // namespace

TEST(ProveedorSqliteApertura, ArchivoInexistenteFallaComoSqlServerSinCrearlo)
{
    prueba::CarpetaTemporal carpeta;
    Connection cnn;
    try {
        cnn.Open(QStringLiteral("PROVIDER=SQLOLEDB;Server=SQLITE;Database =NOEXISTE;UId=u;Pwd=p;"));
        FAIL() << "abrió una base que no existe";
    } catch (const Fallo& f) {
        EXPECT_EQ(f.Number(), num::FalloNoEspecificado);
        EXPECT_EQ(f.Description(),
                  QStringLiteral("No se puede abrir la base de datos \"NOEXISTE\" solicitada por el inicio de sesión. Error de inicio de sesión."));
    }
    ASSERT_GE(cnn.errors().Count(), 1);
    EXPECT_EQ(cnn.errors().Item(0).NativeError, 4060);
    EXPECT_EQ(cnn.errors().Item(0).SQLState, QStringLiteral("42000"));
    EXPECT_EQ(cnn.State(), adStateClosed);
    EXPECT_FALSE(QFile::exists(carpeta.archivo(QStringLiteral("NOEXISTE.db"))));
}

TEST(ProveedorSqliteApertura, ClavesDelTextoYRutas)
{
    prueba::CarpetaTemporal carpeta;
    prueba::ejecutarSqlite(carpeta.archivo(QStringLiteral("KX_ESTADISTICAS.db")), QStringLiteral("CREATE TABLE T (A INT);"));
    prueba::ejecutarSqlite(carpeta.archivo(QStringLiteral("otra.sqlite")), QStringLiteral("CREATE TABLE U (A INT);"));
    const QString textos[] = {
        QStringLiteral("PROVIDER=SQLOLEDB;Server=SQLITE;Database =KX_ESTADISTICAS;UId=u;Pwd=p;"),
        QStringLiteral("provider = sqloledb ; server = sqlite ; database = kx_estadisticas.db ; uid = u"),
        QStringLiteral("Provider=SQLOLEDB;Server=Sqlite;Initial Catalog=KX_ESTADISTICAS"),
        QStringLiteral("Server=SQLITE;Database=") + carpeta.archivo(QStringLiteral("otra.sqlite")),
        QStringLiteral("Server=SQLITE;Database=otra.sqlite"),
    };
    for (const QString& t : textos) {
        Connection cnn;
        EXPECT_NO_THROW(cnn.Open(t)) << t.toStdString();
        EXPECT_EQ(cnn.State(), adStateOpen) << t.toStdString();
    }
}

TEST_F(ProveedorSqlite, TextosComparanSinCasoNiBlancosFinales)
{
    struct C {
        const char* sql;
        const char* esperado;
    };
    const C casos[] = {
        {"SELECT COUNT(*) FROM CLIENTES WHERE NOMBRE = 'ANA  '", "1"},
        {"SELECT COUNT(*) FROM CLIENTES WHERE NOMBRE = 'an'", "0"},
        {"SELECT CODIGO FROM CLIENTES WHERE CODIGO = 'a1 '", "A1"},
        {"SELECT COUNT(*) FROM CLIENTES WHERE NOMBRE IN ('BRUNO ', 'carla')", "2"},
        {"SELECT COUNT(*) FROM V_CLIENTES WHERE NOMBRE = 'CARLA '", "1"},
        {"SELECT group_concat(NOMBRE, ',') FROM (SELECT NOMBRE FROM CLIENTES ORDER BY NOMBRE)", "Ana,bruno,Carla"},
        // The index built by the stock tool answers the same.
        {"SELECT NOMBRE FROM CLIENTES INDEXED BY IX_CLIENTES_NOMBRE WHERE NOMBRE = 'BRUNO   '", "bruno"},
    };
    for (const C& c : casos) EXPECT_EQ(valor(QString::fromUtf8(c.sql)).toStdString(), std::string(c.esperado)) << c.sql;

    // A key that differs only by case is a duplicate, as on SQL Server.
    EXPECT_EQ(nativos(lote(QStringLiteral("INSERT INTO CLIENTES (CODIGO, NOMBRE) VALUES ('x9', 'ANA')"))),
              (std::vector<int32_t>{nativo::ClaveDuplicada, nativo::SentenciaTerminada}));
    EXPECT_EQ(nativos(lote(QStringLiteral("INSERT INTO CLIENTES (CODIGO, NOMBRE) VALUES ('a1', 'Otro')"))),
              (std::vector<int32_t>{nativo::ClaveDuplicada, nativo::SentenciaTerminada}));
    EXPECT_TRUE(lote(QStringLiteral("INSERT INTO CLIENTES (CODIGO, NOMBRE) VALUES ('D4', 'Dario')")).empty());
    // Keys are kept by the schema's own NOCASE, which the stock tool shares: one
    // that differs only by trailing blanks is a key of its own (SQL Server would
    // refuse it), and comparisons still find both, with or without the index.
    EXPECT_TRUE(lote(QStringLiteral("INSERT INTO CLIENTES (CODIGO, NOMBRE) VALUES ('a1 ', 'Otro')")).empty());
    EXPECT_EQ(valor(QStringLiteral("SELECT COUNT(*) FROM CLIENTES WHERE CODIGO = 'A1'")), QStringLiteral("2"));
    EXPECT_EQ(valor(QStringLiteral("SELECT COUNT(*) FROM CLIENTES NOT INDEXED WHERE CODIGO = 'A1'")), QStringLiteral("2"));
    cnn_.Close();
    // The file stays sound for the stock sqlite3 tool.
    EXPECT_EQ(prueba::consultarSqlite(archivo_, QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
}

TEST_F(ProveedorSqlite, LoteSigueTrasUnaSentenciaFallida)
{
    long afectadas = -1;
    const auto e = lote(QStringLiteral("INSERT INTO CLIENTES (CODIGO, NOMBRE) VALUES ('E5', 'Eva')\r\n"
                                       "INSERT INTO CLIENTES (CODIGO, NOMBRE) VALUES ('A1', 'Repetido')\r\n"
                                       "UPDATE CLIENTES SET VISITAS = 9 WHERE CODIGO IN ('E5', 'B2')\r\n"),
                        &afectadas);
    ASSERT_EQ(nativos(e), (std::vector<int32_t>{nativo::ClaveDuplicada, nativo::SentenciaTerminada}));
    EXPECT_EQ(e[0].Number, num::Integridad);
    EXPECT_EQ(e[0].SQLState, QStringLiteral("23000"));
    EXPECT_EQ(e[0].Source, QStringLiteral("Proveedor SQLite"));
    EXPECT_TRUE(e[0].Description.contains(QLatin1String("CLIENTES"))) << e[0].Description.toStdString();
    EXPECT_EQ(e[1].Number, num::Integridad);
    EXPECT_EQ(afectadas, 3);
    EXPECT_EQ(valor(QStringLiteral("SELECT COUNT(*) FROM CLIENTES WHERE VISITAS = 9")), QStringLiteral("2"));
}

TEST_F(ProveedorSqlite, FallosConNumerosDeSqlServer)
{
    struct C {
        const char* sql;
        int32_t numero;
        const char* estado;
        std::vector<int32_t> nativos;
        const char* texto;
    };
    // Error, number and the text a server with Spanish as its login language gives.
    const C casos[] = {
        {"UPDATE CLIENTES SET NOMBRE = 'Nombre demasiado largo' WHERE CODIGO = 'A1'", num::Integridad, "22001",
         {nativo::Truncado, nativo::SentenciaTerminada}, "Los datos de cadena o binarios se truncarían."},
        {"UPDATE CLIENTES SET VISITAS = -1 WHERE CODIGO = 'A1'", num::Integridad, "23000", {nativo::Restriccion, nativo::SentenciaTerminada},
         "Instrucción UPDATE en conflicto con la restricción CHECK \"CK_VISITAS\"."},
        {"INSERT INTO PEDIDOS VALUES (2, 'ZZ')", num::Integridad, "23000", {nativo::Restriccion, nativo::SentenciaTerminada},
         "Instrucción INSERT en conflicto con la restricción FOREIGN KEY."},
        {"INSERT INTO PEDIDOS (ID) VALUES (3)", num::Integridad, "23000", {515, nativo::SentenciaTerminada},
         "No se puede insertar el valor NULL en la columna 'CLIENTE', tabla 'PEDIDOS'. La columna no admite valores NULL. Error de INSERT."},
        {"INSERT INTO CLIENTES (CODIGO, NOMBRE) VALUES ('A1', 'Otra')", num::Integridad, "23000", {nativo::ClaveDuplicada, nativo::SentenciaTerminada},
         "Infracción de la restricción PRIMARY KEY. No se puede insertar una clave duplicada en el objeto 'dbo.CLIENTES'. (CLIENTES.CODIGO)"},
        {"SELECT * FROM NO_HAY", num::TablaNoExiste, "42S02", {nativo::ObjetoInvalido}, "El nombre de objeto 'NO_HAY' no es válido."},
        {"SELECT FALTA FROM CLIENTES", num::ErrorEnComando, "42S22", {nativo::ColumnaInvalida}, "El nombre de columna 'FALTA' no es válido."},
        {"UPDATE CLIENTES SET = 1", num::ErrorEnComando, "42000", {nativo::Sintaxis}, "Sintaxis incorrecta cerca de '='."},
        {"COMMIT TRANSACTION", num::ErrorEnComando, "25000", {3902}, "La solicitud COMMIT TRANSACTION no tiene la correspondiente BEGIN TRANSACTION."},
        {"ROLLBACK TRANSACTION", num::ErrorEnComando, "25000", {3903}, "La solicitud ROLLBACK TRANSACTION no tiene la correspondiente BEGIN TRANSACTION."},
        {"CREATE TABLE CLIENTES (X INT)", num::ErrorEnComando, "42S01", {2714}, "Ya hay un objeto con el nombre 'CLIENTES' en la base de datos."},
    };
    for (const C& c : casos) {
        const auto e = lote(QString::fromUtf8(c.sql));
        ASSERT_FALSE(e.empty()) << c.sql;
        EXPECT_EQ(nativos(e), c.nativos) << c.sql;
        EXPECT_EQ(e[0].Number, c.numero) << c.sql;
        EXPECT_EQ(e[0].SQLState.toStdString(), std::string(c.estado)) << c.sql;
        EXPECT_EQ(e[0].Description, QString::fromUtf8(c.texto)) << c.sql;
        if (e.size() > 1) {
            EXPECT_EQ(e[1].Description, QStringLiteral("Se terminó la instrucción.")) << c.sql;
        }
    }
    // Nothing of the failed statements stayed.
    EXPECT_EQ(valor(QStringLiteral("SELECT NOMBRE || '/' || VISITAS FROM CLIENTES WHERE CODIGO = 'A1'")), QStringLiteral("Ana/3"));
    EXPECT_EQ(valor(QStringLiteral("SELECT COUNT(*) FROM PEDIDOS")), QStringLiteral("1"));
}

TEST_F(ProveedorSqlite, TransaccionesDelLoteYAnidadas)
{
    // The save's shape: the batch opens the transaction, a later text ends it.
    EXPECT_TRUE(lote(QStringLiteral("BEGIN TRANSACTION\r\nUPDATE CLIENTES SET VISITAS = 7 WHERE CODIGO = 'A1'\r\n"
                                    "UPDATE CLIENTES SET VISITAS = 7 WHERE CODIGO = 'B2'\r\n"))
                    .empty());
    EXPECT_TRUE(lote(QStringLiteral("ROLLBACK TRANSACTION")).empty());
    EXPECT_EQ(valor(QStringLiteral("SELECT SUM(VISITAS) FROM CLIENTES")), QStringLiteral("3"));

    // BeginTrans plus a batch's own BEGIN nest; only the outer COMMIT commits.
    cnn_.BeginTrans();
    EXPECT_TRUE(lote(QStringLiteral("BEGIN TRAN\r\nUPDATE CLIENTES SET VISITAS = 5 WHERE CODIGO = 'A1'\r\nCOMMIT TRAN")).empty());
    cnn_.RollbackTrans();
    EXPECT_EQ(valor(QStringLiteral("SELECT VISITAS FROM CLIENTES WHERE CODIGO = 'A1'")), QStringLiteral("3"));

    cnn_.BeginTrans();
    lote(QStringLiteral("UPDATE CLIENTES SET VISITAS = 4 WHERE CODIGO = 'A1'"));
    cnn_.CommitTrans();
    EXPECT_EQ(valor(QStringLiteral("SELECT VISITAS FROM CLIENTES WHERE CODIGO = 'A1'")), QStringLiteral("4"));
    EXPECT_THROW(cnn_.CommitTrans(), Fallo);
}

TEST_F(ProveedorSqlite, ProcesoMatadoDejaLaBaseComoEstaba)
{
    // Enough rows that the open transaction spills pages into the file.
    lote(QStringLiteral("CREATE TABLE RELLENO (N INTEGER PRIMARY KEY, T VARCHAR(200))"));
    lote(QStringLiteral("WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < 3000) "
                        "INSERT INTO RELLENO SELECT n, 'original' FROM c"));
    ASSERT_TRUE(cnn_.errors().empty());
    cnn_.Close();

    for (const bool conSenal : {false, true}) {
        int tubo[2];
        ASSERT_EQ(pipe(tubo), 0);
        const pid_t hijo = fork();
        ASSERT_GE(hijo, 0);
        if (hijo == 0) {
            close(tubo[0]);
            Connection c;
            try {
                c.Open(kConexion);
                c.Execute(QStringLiteral("PRAGMA cache_size=2"));
                c.Execute(QStringLiteral("BEGIN TRANSACTION\r\nUPDATE RELLENO SET T = 'cambiado por el hijo que muere antes de confirmar'\r\n"
                                         "UPDATE CLIENTES SET NOMBRE = 'Perdido' WHERE CODIGO = 'A1'"));
            } catch (...) {
                _exit(3);
            }
            const char listo = 'x';
            if (write(tubo[1], &listo, 1) != 1) _exit(4);
            if (!conSenal) _exit(0);
            for (;;) pause();
        }
        close(tubo[1]);
        char leido = 0;
        ASSERT_EQ(read(tubo[0], &leido, 1), 1);
        close(tubo[0]);
        if (conSenal) kill(hijo, SIGKILL);
        int estado = 0;
        waitpid(hijo, &estado, 0);
        if (!conSenal) {
            ASSERT_TRUE(WIFEXITED(estado) && WEXITSTATUS(estado) == 0);
        }
        // The child left its uncommitted pages in the write-ahead log.
        EXPECT_GT(QFileInfo(archivo_ + QStringLiteral("-wal")).size(), 0);

        Connection c;
        c.Open(kConexion);
        auto rs = c.Execute(QStringLiteral("SELECT COUNT(*) FROM RELLENO WHERE T = 'original'"));
        EXPECT_EQ(rs->Fields(0L).Value().toLong(), 3000) << (conSenal ? "kill -9" : "_exit");
        rs = c.Execute(QStringLiteral("SELECT NOMBRE FROM CLIENTES WHERE CODIGO = 'A1'"));
        EXPECT_EQ(rs->Fields(0L).Value().toText(), QStringLiteral("Ana"));
        c.Close();
        EXPECT_EQ(prueba::consultarSqlite(archivo_, QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    }
}

TEST_F(ProveedorSqlite, ListasDeEsquemaConRestricciones)
{
    auto filas = [&](long esquema, const std::vector<Variant>& r, int columna) {
        std::vector<std::string> v;
        auto rs = cnn_.OpenSchema(esquema, r);
        for (; !rs->eof(); rs->MoveNext()) v.push_back(rs->Fields(static_cast<long>(columna)).Value().toText().toStdString());
        return v;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(filas(adSchemaTables, {}, 2), (V{"CLIENTES", "PEDIDOS", "V_CLIENTES"}));
    EXPECT_EQ(filas(adSchemaTables, {}, 3), (V{"TABLE", "TABLE", "VIEW"}));
    EXPECT_EQ(filas(adSchemaTables, {}, 0), (V{"demo", "demo", "demo"}));
    EXPECT_EQ(filas(adSchemaTables, {Variant(), Variant(), Variant("clientes")}, 2), (V{"CLIENTES"}));
    EXPECT_EQ(filas(adSchemaTables, {Variant(), Variant(), Variant(), Variant("VIEW")}, 2), (V{"V_CLIENTES"}));
    EXPECT_EQ(filas(adSchemaTables, {Variant("otra"), Variant(), Variant(), Variant()}, 2), V{});
    EXPECT_EQ(filas(adSchemaTables, {Variant(), Variant("sys"), Variant(), Variant()}, 2), V{});

    EXPECT_EQ(filas(adSchemaColumns, {Variant("demo"), Variant(), Variant("PEDIDOS"), Variant()}, 3), (V{"ID", "CLIENTE"}));
    EXPECT_EQ(filas(adSchemaColumns, {Variant("DEMO"), Variant(), Variant("v_clientes"), Variant()}, 3), (V{"CODIGO", "NOMBRE"}));
    EXPECT_EQ(filas(adSchemaColumns, {Variant(), Variant(), Variant("CLIENTES"), Variant("nombre")}, 3), (V{"NOMBRE"}));
    EXPECT_EQ(filas(adSchemaColumns, {Variant(), Variant(), Variant("CLIENTES"), Variant("nombre")}, 7), (V{"10"}));
    EXPECT_EQ(filas(adSchemaColumns, {Variant(), Variant(), Variant("CLIENTES"), Variant("NIVEL")}, 4), (V{"9"}));
    EXPECT_EQ(filas(adSchemaColumns, {Variant(), Variant(), Variant("CLIENTES"), Variant()}, 6),
              (V{"129", "129", "6", "135", "11", "3", "5", "129", "2"}));
    EXPECT_EQ(filas(adSchemaColumns, {Variant(), Variant(), Variant("CLIENTES"), Variant("CODIGO")}, 5), (V{"False"}));
    EXPECT_EQ(filas(adSchemaColumns, {Variant("otra"), Variant(), Variant("CLIENTES"), Variant()}, 3), V{});
}

TEST_F(ProveedorSqlite, TiposYValoresDeLasColumnas)
{
    auto rs = cnn_.Execute(QStringLiteral("SELECT CODIGO, NOMBRE, SALDO, ALTA, ACTIVO, VISITAS, PESO, NOTAS, NIVEL, LEN(NOMBRE) AS L, "
                                          "NOMBRE + '!' AS X, ISNULL(NOTAS, 'sin') AS N FROM CLIENTES WHERE CODIGO = 'A1'"));
    struct C {
        const char* nombre;
        long tipo;
        long tamano;
        Variant::Tipo valor;
        const char* texto;
    };
    const C casos[] = {
        {"CODIGO", tipo::VarChar, 6, Variant::Tipo::Text, "A1"},
        {"NOMBRE", tipo::VarChar, 10, Variant::Tipo::Text, "Ana"},
        {"SALDO", tipo::Currency, 8, Variant::Tipo::Currency, "12.5"},
        {"ALTA", tipo::DBTimeStamp, 16, Variant::Tipo::Date, "31/12/2024 10:20:30"},
        {"ACTIVO", tipo::Boolean, 2, Variant::Tipo::Boolean, "True"},
        {"VISITAS", tipo::Integer, 4, Variant::Tipo::Long, "3"},
        {"PESO", tipo::Double, 8, Variant::Tipo::Double, "1.25"},
        {"NOTAS", tipo::LongVarChar, 2147483647L, Variant::Tipo::Text, "nota"},
        {"NIVEL", tipo::SmallInt, 2, Variant::Tipo::Integer, "2"},
        {"L", tipo::Integer, 4, Variant::Tipo::Long, "3"},
        {"X", tipo::VarChar, 255, Variant::Tipo::Text, "Ana!"},
        {"N", tipo::VarChar, 255, Variant::Tipo::Text, "nota"},
    };
    ASSERT_EQ(rs->FieldCount(), static_cast<long>(std::size(casos)));
    for (const C& c : casos) {
        Field f = rs->Fields(QString::fromLatin1(c.nombre).toLower());
        EXPECT_EQ(f.Name(), QString::fromLatin1(c.nombre));
        EXPECT_EQ(f.Type(), c.tipo) << c.nombre;
        EXPECT_EQ(f.DefinedSize(), c.tamano) << c.nombre;
        EXPECT_EQ(f.Value().tipo(), c.valor) << c.nombre;
        EXPECT_EQ(f.Value().toText().toStdString(), std::string(c.texto)) << c.nombre;
    }
    rs = cnn_.Execute(QStringLiteral("SELECT SALDO, ALTA, ACTIVO, NOTAS FROM CLIENTES WHERE CODIGO = 'C3'"));
    for (long i = 0; i < 4; ++i) EXPECT_TRUE(rs->Fields(i).Value().isNull());
    rs = cnn_.Execute(QStringLiteral("SELECT ALTA FROM CLIENTES WHERE CODIGO = 'B2'"));
    EXPECT_EQ(rs->Fields(0L).Value().toDate(), QDateTime(QDate(2024, 1, 2), QTime(0, 0)));

    // An empty row set is still a row set.
    rs = cnn_.Execute(QStringLiteral("SELECT CODIGO FROM CLIENTES WHERE 1 = 0"));
    EXPECT_EQ(rs->State(), adStateOpen);
    EXPECT_TRUE(rs->eof());
}

TEST(ProveedorSqliteDirecto, OrigenYClaveDeCadaColumna)
{
    prueba::CarpetaTemporal carpeta;
    prueba::ejecutarSqlite(carpeta.archivo(QStringLiteral("demo.db")), QString::fromUtf8(kEsquema));
    auto p = crearProveedorSqlite();
    Errors e;
    ParametrosConexion pc;
    pc.texto = kConexion;
    ASSERT_TRUE(p->abrir(pc, e));
    long n = 0;
    // The first statement with columns gives the rows; the later SELECT runs too.
    Resultado r = p->ejecutar(QStringLiteral("UPDATE CLIENTES SET VISITAS = 1 WHERE CODIGO = 'B2'\r\n"
                                             "SELECT P.ID, C.NOMBRE AS N, V.CODIGO, 1 + 1 AS D FROM PEDIDOS P "
                                             "INNER JOIN CLIENTES C ON C.CODIGO = P.CLIENTE INNER JOIN V_CLIENTES V ON V.CODIGO = C.CODIGO\r\n"
                                             "SELECT * FROM CLIENTES"),
                              n, e, true);
    EXPECT_TRUE(e.empty());
    EXPECT_EQ(n, 1);
    ASSERT_TRUE(r.conFilas);
    ASSERT_EQ(r.columnas.size(), 4u);
    EXPECT_EQ(r.columnas[0].tablaBase, QStringLiteral("PEDIDOS"));
    EXPECT_TRUE(r.columnas[0].clave);
    EXPECT_EQ(r.columnas[1].nombre, QStringLiteral("N"));
    EXPECT_EQ(r.columnas[1].columnaBase, QStringLiteral("NOMBRE"));
    EXPECT_FALSE(r.columnas[1].clave);
    EXPECT_EQ(r.columnas[2].tablaBase, QStringLiteral("CLIENTES"));
    EXPECT_TRUE(r.columnas[2].clave);
    EXPECT_TRUE(r.columnas[3].tablaBase.isEmpty());
    EXPECT_EQ(r.columnas[3].tipo, tipo::Integer);
    ASSERT_EQ(r.filas.size(), 1u);

    EXPECT_TRUE(p->fijarBaseDefecto(QStringLiteral("DEMO"), e));
    EXPECT_TRUE(p->fijarBaseDefecto(carpeta.archivo(QStringLiteral("demo.db")), e));
    EXPECT_TRUE(e.empty());
    EXPECT_FALSE(p->fijarBaseDefecto(QStringLiteral("OTRA"), e));
    ASSERT_EQ(e.Count(), 1);
    EXPECT_EQ(e.Item(0).NativeError, 911);
}

TEST_F(ProveedorSqlite, FuncionesDeSqlServer)
{
    struct C {
        const char* expr;
        const char* esperado;
    };
    const C casos[] = {
        {"LEN('abc  ')", "3"},
        {"LEN('  a')", "3"},
        {"LEN('ñandú')", "5"},
        {"IFNULL(LEN(NULL), -1)", "-1"},
        {"ISNULL(NULL, 'x')", "x"},
        {"SUBSTRING('abcdef', 2, 3)", "bcd"},
        {"SUBSTRING('abcdef', 0, 2)", "a"},
        {"SUBSTRING('abcdef', 5, 10)", "ef"},
        {"CHARINDEX('c', 'abcabc')", "3"},
        {"CHARINDEX('C', 'abcabc', 4)", "6"},
        {"CHARINDEX('z', 'abc')", "0"},
        {"LEFT('abcdef', 2) + RIGHT('abcdef', 2)", "abef"},
        {"LTRIM(RTRIM('  x  ')) + '|'", "x|"},
        {"CONVERT(NVARCHAR(10), '2024-12-31 10:00:00', 103)", "31/12/2024"},
        {"CONVERT(INT, '42') + 1", "43"},
        {"LEN(CONVERT(VARCHAR(19), GETDATE(), 120))", "19"},
    };
    for (const C& c : casos)
        EXPECT_EQ(valor(QStringLiteral("SELECT ") + QString::fromUtf8(c.expr)).toStdString(), std::string(c.esperado)) << c.expr;
    const QString hoy = valor(QStringLiteral("SELECT GETDATE()"));
    EXPECT_TRUE(hoy.startsWith(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")))) << hoy.toStdString();
}

TEST_F(ProveedorSqlite, DialectoDeLaSuiteDeExtremoAExtremo)
{
    // Statements as the data routines write them.
    EXPECT_EQ(valor(QStringLiteral("SELECT TOP 1 * FROM CLIENTES  with(nolock)  WHERE NOMBRE LIKE 'b%' ORDER BY CODIGO")), QStringLiteral("B2"));
    EXPECT_EQ(valor(QStringLiteral("SELECT (CODIGO + ' ' + NOMBRE ) AS D FROM dbo.CLIENTES WHERE CODIGO='A1'")), QStringLiteral("A1 Ana"));
    EXPECT_EQ(valor(QStringLiteral("SELECT COUNT(*) FROM [CLIENTES] WHERE ALTA >= #31/12/2024# AND ALTA < #01/01/2025#")), QStringLiteral("1"));
    EXPECT_EQ(valor(QStringLiteral("SELECT MAX(CODIGO) AS MAYOR FROM CLIENTES  with(nolock)  WHERE CODIGO IN (SELECT TOP 2 CODIGO FROM CLIENTES ORDER BY CODIGO)")),
              QStringLiteral("B2"));
    long n = 0;
    EXPECT_TRUE(lote(QStringLiteral("INSERT INTO PEDIDOS (ID, CLIENTE)\r\nSELECT ID + 10, CLIENTE FROM PEDIDOS\r\n"
                                    "UPDATE PEDIDOS SET CLIENTE = 'B2' WHERE ID = 11"),
                     &n)
                    .empty());
    EXPECT_EQ(n, 2);
    EXPECT_EQ(valor(QStringLiteral("SELECT CLIENTE FROM PEDIDOS WHERE ID = 11")), QStringLiteral("B2"));

    // A view updated through its INSTEAD OF trigger counts the rows it changed.
    EXPECT_TRUE(lote(QStringLiteral("CREATE TRIGGER TR_V_CLIENTES INSTEAD OF UPDATE ON V_CLIENTES\r\nBEGIN\r\n"
                                    "  UPDATE CLIENTES SET NOMBRE = NEW.NOMBRE WHERE CODIGO = OLD.CODIGO;\r\nEND\r\n"
                                    "UPDATE V_CLIENTES SET NOMBRE = 'Anita' WHERE CODIGO = 'A1'"),
                     &n)
                    .empty());
    EXPECT_EQ(n, 1);
    EXPECT_EQ(valor(QStringLiteral("SELECT NOMBRE FROM CLIENTES WHERE CODIGO = 'A1'")), QStringLiteral("Anita"));

    // The splitter keeps EXPLAIN's statement together with what follows; SQLite's
    // parser reports where the UPDATE begins and the two run apart.
    EXPECT_TRUE(lote(QStringLiteral("EXPLAIN UPDATE CLIENTES SET VISITAS = 1\r\nUPDATE CLIENTES SET VISITAS = 8 WHERE CODIGO = 'A1'")).empty());
    EXPECT_EQ(valor(QStringLiteral("SELECT SUM(VISITAS) FROM CLIENTES")), QStringLiteral("8"));
}

// A write that never ends: a trigger counting without a limit until the
// command time-out interrupts it.
const char* kDisparadorLento = R"(
CREATE TRIGGER LENTO AFTER UPDATE OF PESO ON CLIENTES BEGIN
  SELECT max(x) FROM (WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT x FROM c);
END;
)";

// A time-out stops the batch where it happens: the statements after it never
// run in autocommit, the transaction waits for the caller's ROLLBACK, and a
// COMMIT cannot land what is left of it.
TEST_F(ProveedorSqlite, TiempoAgotadoDetieneElLoteYLaTransaccionEsperaElRollback)
{
    prueba::ejecutarSqlite(archivo_, QString::fromUtf8(kDisparadorLento));
    cnn_.setCommandTimeout(1);
    const QString antes = valor(QStringLiteral("SELECT group_concat(CODIGO || NOMBRE || VISITAS || PESO, '|') FROM CLIENTES"));
    for (const char* cierre : {"COMMIT TRANSACTION", "ROLLBACK TRANSACTION"}) {
        SCOPED_TRACE(cierre);
        const auto e = lote(QStringLiteral("BEGIN TRANSACTION\r\nUPDATE CLIENTES SET VISITAS = 9 WHERE CODIGO = 'A1'\r\n"
                                           "UPDATE CLIENTES SET PESO = 2 WHERE CODIGO = 'B2'\r\nUPDATE CLIENTES SET NOMBRE = 'zz' WHERE CODIGO = 'C3'\r\n"));
        ASSERT_GE(e.size(), 1u);
        EXPECT_EQ(e[0].Number, static_cast<int32_t>(0x80040E31u));
        EXPECT_EQ(e[0].Description, QStringLiteral("Se agotó el tiempo de espera de la consulta."));
        // The statement after the time-out did not run, not even in autocommit.
        EXPECT_EQ(valor(QStringLiteral("SELECT NOMBRE FROM CLIENTES WHERE CODIGO = 'C3'")), QStringLiteral("Carla"));
        const auto fin = lote(QString::fromLatin1(cierre));
        if (QByteArray(cierre).startsWith("COMMIT")) {
            ASSERT_EQ(fin.size(), 1u);
            EXPECT_EQ(fin[0].NativeError, 3930);
            EXPECT_TRUE(lote(QStringLiteral("ROLLBACK TRANSACTION")).empty());
        } else {
            EXPECT_TRUE(fin.empty()) << fin[0].Description.toStdString();
        }
        EXPECT_EQ(valor(QStringLiteral("SELECT group_concat(CODIGO || NOMBRE || VISITAS || PESO, '|') FROM CLIENTES")), antes);
        // The connection works on afterwards, with transactions of its own.
        EXPECT_TRUE(lote(QStringLiteral("BEGIN TRANSACTION\r\nUPDATE CLIENTES SET VISITAS = 4 WHERE CODIGO = 'A1'\r\nROLLBACK TRANSACTION")).empty());
    }
}

// Faults of the database file reach the operator in Spanish, naming the file.
TEST_F(ProveedorSqlite, ArchivoDeSoloLecturaOBorradoSeNombra)
{
    struct Caso {
        const char* nombre;
        const char* danar;      // what happens to the file (or connection) while it is open
        const char* texto;
    };
    // Root writes any file whatever its mode: read-only is the connection's own.
    const Caso casos[] = {
        {"solo lectura", "PRAGMA query_only = 1", "es de solo lectura"},
        {"borrado", nullptr, "fue movido, reemplazado o borrado"},
        {"reemplazado", "", "fue movido, reemplazado o borrado"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        if (cnn_.State() == adStateOpen) cnn_.Close();
        QFile::remove(archivo_);
        prueba::ejecutarSqlite(archivo_, QString::fromUtf8(kEsquema));
        cnn_.Open(kConexion);
        if (!c.danar) {
            QFile::remove(archivo_);
        } else if (!*c.danar) {
            QFile::rename(archivo_, archivo_ + QStringLiteral(".viejo"));
            QFile::copy(archivo_ + QStringLiteral(".viejo"), archivo_);
        } else {
            lote(QString::fromUtf8(c.danar));
        }
        const auto e = lote(QStringLiteral("UPDATE CLIENTES SET VISITAS = 5 WHERE CODIGO = 'A1'"));
        ASSERT_FALSE(e.empty());
        EXPECT_TRUE(e[0].Description.contains(QString::fromUtf8(c.texto))) << e[0].Description.toStdString();
        EXPECT_TRUE(e[0].Description.contains(QFileInfo(archivo_).fileName())) << e[0].Description.toStdString();
    }
}

// A full disk reaches the operator in Spanish, naming the file, and the
// statement leaves nothing behind.
TEST_F(ProveedorSqlite, DiscoLlenoSeNombra)
{
    lote(QStringLiteral("PRAGMA max_page_count = 1"));   // no page more than the file has
    const auto e = lote(QStringLiteral("UPDATE CLIENTES SET NOTAS = REPLICATE('x', 8000) WHERE CODIGO IN ('A1', 'B2', 'C3')"));
    ASSERT_FALSE(e.empty());
    EXPECT_EQ(e[0].NativeError, 1105);
    EXPECT_EQ(e[0].Description, QStringLiteral("No queda espacio en el disco para el archivo de la base de datos \"%1\".").arg(archivo_));
    EXPECT_EQ(valor(QStringLiteral("SELECT COUNT(*) FROM CLIENTES WHERE NOTAS LIKE 'xx%'")), QStringLiteral("0"));
}

// A NUL inside a literal stays in the value, as on SQL Server (SQLite's parser
// would otherwise stop there and refuse the statement).
TEST_F(ProveedorSqlite, NulDentroDeUnLiteral)
{
    const QString dato = QStringLiteral("a") + QChar(0) + QStringLiteral("'b");
    EXPECT_TRUE(lote(QStringLiteral("UPDATE CLIENTES SET NOTAS = '") + QString(dato).replace(QLatin1Char('\''), QStringLiteral("''"))
                     + QStringLiteral("' WHERE CODIGO = 'A1'"))
                    .empty());
    EXPECT_EQ(valor(QStringLiteral("SELECT hex(NOTAS) FROM CLIENTES WHERE CODIGO = 'A1'")), QStringLiteral("61002762"));
    EXPECT_EQ(valor(QStringLiteral("SELECT COUNT(*) FROM CLIENTES WHERE NOTAS LIKE 'a") + QChar(0) + QStringLiteral("%'")), QStringLiteral("1"));
}

// Statements whose rewriting once changed the answer, each with what SQL
// Server gives (rows as "a|b", joined by ";").
TEST_F(ProveedorSqlite, RespuestasComoSqlServer)
{
    auto filas = [&](const QString& sql) {
        QStringList r;
        auto rs = cnn_.Execute(sql);
        if (rs->State() == adStateClosed) return QStringLiteral("<sin filas>");
        while (!rs->eof()) {
            QStringList c;
            for (long i = 0; i < rs->FieldCount(); ++i) c << rs->Fields(i).Value().toText();
            r << c.join(QLatin1Char('|'));
            rs->MoveNext();
        }
        return r.join(QLatin1Char(';'));
    };
    struct Caso {
        const char* sql;
        const char* filas;
    };
    const Caso casos[] = {
        // Two text columns concatenate; a number makes the sum numeric.
        {"SELECT CODIGO + NOMBRE FROM CLIENTES WHERE CODIGO = 'A1'", "A1Ana"},
        {"SELECT NOMBRE + ' (' + CODIGO + ')' FROM CLIENTES WHERE CODIGO = 'B2'", "bruno (B2)"},
        {"SELECT '1' + 1", "2"},
        {"SELECT VISITAS + NIVEL FROM CLIENTES WHERE CODIGO = 'A1'", "5"},
        // TOP in a branch of a UNION limits that branch only.
        {"SELECT COUNT(*) FROM (SELECT TOP 1 CODIGO FROM CLIENTES ORDER BY CODIGO UNION ALL SELECT CODIGO FROM CLIENTES) X", "4"},
        {"SELECT CODIGO FROM CLIENTES WHERE CODIGO = 'C3' UNION ALL SELECT TOP 1 CODIGO FROM CLIENTES ORDER BY CODIGO", "C3;A1"},
        // IN compares as "=" does: case and trailing blanks do not count.
        {"SELECT COUNT(*) FROM CLIENTES WHERE LTRIM(RTRIM(NOMBRE)) IN ('ANA', 'CARLA ')", "2"},
        {"SELECT COUNT(*) FROM CLIENTES WHERE UPPER(NOMBRE) NOT IN ('ana')", "2"},
        // name = expression names a column.
        {"SELECT Total = COUNT(*), Minimo = MIN(CODIGO) FROM CLIENTES", "3|A1"},
        // A percentage of the rows, rounded up.
        {"SELECT TOP 34 PERCENT CODIGO FROM CLIENTES ORDER BY CODIGO", "A1;B2"},
        {"SELECT TOP 100 PERCENT CODIGO FROM CLIENTES ORDER BY CODIGO", "A1;B2;C3"},
        {"SELECT TOP 1 PERCENT CODIGO FROM CLIENTES ORDER BY CODIGO", "A1"},
    };
    for (const Caso& c : casos) EXPECT_EQ(filas(QString::fromUtf8(c.sql)), QString::fromUtf8(c.filas)) << c.sql;

    // The alias is the column's name.
    auto rs = cnn_.Execute(QStringLiteral("SELECT Total = COUNT(*) FROM CLIENTES"));
    EXPECT_EQ(rs->Fields(0L).Name(), QStringLiteral("Total"));

    // UPDATE TOP (n) and DELETE TOP (n) change n rows.
    long n = 0;
    cnn_.Execute(QStringLiteral("UPDATE TOP (1) CLIENTES SET VISITAS = 9 WHERE VISITAS IS NOT NULL"), &n);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(filas(QStringLiteral("SELECT COUNT(*) FROM CLIENTES WHERE VISITAS = 9")), QStringLiteral("1"));
    cnn_.Execute(QStringLiteral("DELETE TOP (2) FROM PEDIDOS"), &n);
    EXPECT_EQ(n, 1);

    // A -- comment ends at CR: the statement after it runs.
    EXPECT_TRUE(lote(QStringLiteral("UPDATE CLIENTES SET VISITAS = 5 WHERE CODIGO = 'B2' -- primero\rUPDATE CLIENTES SET VISITAS = 6 WHERE CODIGO = 'C3'")).empty());
    EXPECT_EQ(filas(QStringLiteral("SELECT VISITAS FROM CLIENTES WHERE CODIGO IN ('B2', 'C3') ORDER BY CODIGO")), QStringLiteral("5;6"));
}

// Batches of one shape share their rewriting and prepared statements, the
// literals bound: each still gets its own answer, whatever its literals.
TEST_F(ProveedorSqlite, LotesDeUnaFormaCompartenSuPreparacion)
{
    auto filas = [&](const QString& sql) {
        QStringList r;
        auto rs = cnn_.Execute(sql);
        if (rs->State() == adStateClosed) return QStringLiteral("<sin filas>");
        for (; !rs->eof(); rs->MoveNext()) r << rs->Fields(0L).Value().toText();
        return r.join(QLatin1Char(';'));
    };
    const UsoDePlanes antes = usoDePlanesSqlite();
    struct C {
        const char* sql;
        const char* filas;
    };
    const C casos[] = {
        // Literals of one length: one plan.
        {"SELECT CODIGO FROM CLIENTES WHERE NOMBRE = 'ana' ORDER BY CODIGO", "A1"},
        {"SELECT CODIGO FROM CLIENTES WHERE NOMBRE = 'ANA  ' ORDER BY CODIGO", "A1"},
        {"SELECT CODIGO FROM CLIENTES WHERE NOMBRE = 'xyz' ORDER BY CODIGO", ""},
        // Other lengths, other choices of the index condition (too many values
        // for the length): plans of their own, the same shape.
        {"SELECT CODIGO FROM CLIENTES WHERE NOMBRE = 'ñáéíóú' ORDER BY CODIGO", ""},
        {"SELECT CODIGO FROM CLIENTES WHERE NOMBRE = 'BRUNO  ' ORDER BY CODIGO", "B2"},
        {"SELECT CODIGO FROM CLIENTES WHERE NOMBRE = 'Carla' ORDER BY CODIGO", "C3"},
        // Quotes and a NUL inside the value.
        {"SELECT CODIGO FROM CLIENTES WHERE NOMBRE = 'O''Brien' ORDER BY CODIGO", ""},
        {"SELECT 'O''Brien' + NOMBRE FROM CLIENTES WHERE CODIGO = 'A1'", "O'BrienAna"},
        {"SELECT 'x' + NOMBRE FROM CLIENTES WHERE CODIGO = 'B2'", "xbruno"},
    };
    for (const C& c : casos) EXPECT_EQ(filas(QString::fromUtf8(c.sql)).toStdString(), std::string(c.filas)) << c.sql;
    const UsoDePlanes despues = usoDePlanesSqlite();
    EXPECT_GE(despues.hallados - antes.hallados, 4);

    // The same shape writing: every row gets its own value.
    for (const char* c : {"A1", "B2", "C3"})
        lote(QStringLiteral("UPDATE CLIENTES SET NOTAS = 'nota de %1' WHERE CODIGO = '%1'").arg(QString::fromLatin1(c)));
    EXPECT_EQ(filas(QStringLiteral("SELECT NOTAS FROM CLIENTES ORDER BY CODIGO")), QStringLiteral("nota de A1;nota de B2;nota de C3"));

    // A column named by its literal keeps that name.
    EXPECT_EQ(cnn_.Execute(QStringLiteral("SELECT 'hola'"))->Fields(0L).Name(), QStringLiteral("'hola'"));
    EXPECT_EQ(cnn_.Execute(QStringLiteral("SELECT 'chau'"))->Fields(0L).Name(), QStringLiteral("'chau'"));

    // An unclosed literal is still the error it is.
    EXPECT_FALSE(lote(QStringLiteral("SELECT CODIGO FROM CLIENTES WHERE NOMBRE = 'ana")).empty());

    // A change of schema: the shapes read before are prepared again.
    EXPECT_EQ(filas(QStringLiteral("SELECT COUNT(*) FROM CLIENTES WHERE CODIGO = 'A1'")), QStringLiteral("1"));
    EXPECT_TRUE(lote(QStringLiteral("CREATE TABLE OTRA (CODIGO INT)")).empty());
    EXPECT_TRUE(lote(QStringLiteral("DROP TABLE OTRA")).empty());
    EXPECT_EQ(filas(QStringLiteral("SELECT COUNT(*) FROM CLIENTES WHERE CODIGO = 'B2'")), QStringLiteral("1"));
    // DDL keeps its literals in its own text.
    EXPECT_TRUE(lote(QStringLiteral("CREATE TABLE CONDEFECTO (A VARCHAR(5) DEFAULT 'x')\r\nINSERT INTO CONDEFECTO DEFAULT VALUES")).empty());
    EXPECT_EQ(filas(QStringLiteral("SELECT A FROM CONDEFECTO")), QStringLiteral("x"));
}

// The values a literal can equal, as the rewritten statements ask for them,
// are the collation's own list, in order (ASCII literals take a short cut).
TEST_F(ProveedorSqlite, VariantesComoLasDelCotejo)
{
    for (const char* lit : {"P00003", "p00003  ", "Ñandú", "", "  ", "a'b", "ABCDEFGHIJ"}) {
        const QString l = QString::fromUtf8(lit);
        for (int largo : {0, 3, 8}) {
            for (int i = 0; i < 12; ++i) {
                QString sql = QStringLiteral("SELECT COALESCE(permutal_variante('%1', %2, %3), '<nulo>')").arg(QString(l).replace(QLatin1Char('\''), QStringLiteral("''"))).arg(i).arg(largo);
                const auto esperado = cotejo::variante(l, static_cast<size_t>(i), largo);
                EXPECT_EQ(valor(sql).toStdString(), esperado ? esperado->toStdString() : std::string("<nulo>")) << lit << " " << i << " " << largo;
            }
        }
    }
}
