// The TDS test server as the program meets it: FreeTDS's ODBC driver behind
// ado::Connection, talking to servidor_tds on a temporary SQLite file.
#include "ServidorTds.h"

#include "ado/Connection.h"
#include "ado/Recordset.h"

#include <QDateTime>
#include <gtest/gtest.h>

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <memory>

using ado::Variant;

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace {

const char* kEsquema = R"(
CREATE TABLE prov(codigo int PRIMARY KEY, nombre varchar(10) NOT NULL CONSTRAINT TRUNC_nombre CHECK (length(nombre) <= 10));
CREATE TABLE oc(numero int PRIMARY KEY, prov int REFERENCES prov(codigo), importe money CHECK (importe >= 0));
CREATE TABLE marca(n int);
CREATE TABLE tipos(id int PRIMARY KEY, v varchar(20), nv nvarchar(20), i int, s smallint, b bit, m money,
                   d decimal(12,3), f float, fh datetime);
INSERT INTO prov VALUES(1, 'Uno');
INSERT INTO tipos VALUES(1, 'Ñandú 10€', 'Año € ÑÇ', -2147483648, -32768, 1, 123456789.1234, -12345.678, 0.1,
                         '2024-03-05 10:20:30.125');
INSERT INTO tipos VALUES(2, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL);
INSERT INTO tipos VALUES(3, '', '', 0, 0, 0, -0.0001, 0, -1e300, '2024-02-29 23:59:59.998');
)";

// Raw unixODBC, where the provider's own handling would hide what the server sent.
class Odbc {
public:
    explicit Odbc(const QString& texto)
    {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_);
        SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_);
        const QByteArray t = texto.toUtf8();
        abierta_ = SQL_SUCCEEDED(SQLDriverConnect(dbc_, nullptr, (SQLCHAR*)t.constData(), SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT));
    }
    ~Odbc()
    {
        if (abierta_) SQLDisconnect(dbc_);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
        SQLFreeHandle(SQL_HANDLE_ENV, env_);
    }
    bool abierta() const { return abierta_; }

    // Runs a batch through every result and returns each diagnostic as "SQLSTATE native".
    std::vector<QString> lote(const QString& sql)
    {
        std::vector<QString> r;
        SQLHSTMT st = nullptr;
        SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &st);
        const QByteArray t = sql.toUtf8();
        SQLRETURN rc = SQLExecDirect(st, (SQLCHAR*)t.constData(), SQL_NTS);
        for (int vuelta = 0; vuelta < 100; ++vuelta) {
            diagnosticos(st, r);
            if (rc == SQL_NO_DATA || rc == SQL_INVALID_HANDLE) break;
            SQLSMALLINT n = 0;
            if (SQL_SUCCEEDED(rc) && SQL_SUCCEEDED(SQLNumResultCols(st, &n)) && n > 0)
                while (SQL_SUCCEEDED(SQLFetch(st))) {}
            rc = SQLMoreResults(st);
        }
        SQLFreeHandle(SQL_HANDLE_STMT, st);
        return r;
    }

private:
    static void diagnosticos(SQLHSTMT st, std::vector<QString>& r)
    {
        for (SQLSMALLINT i = 1;; ++i) {
            SQLCHAR estado[6] = {};
            SQLINTEGER nativo = 0;
            SQLCHAR msg[512];
            SQLSMALLINT largo = 0;
            if (!SQL_SUCCEEDED(SQLGetDiagRec(SQL_HANDLE_STMT, st, i, estado, &nativo, msg, sizeof msg, &largo))) break;
            r.push_back(QStringLiteral("%1 %2").arg(QString::fromLatin1(reinterpret_cast<char*>(estado))).arg(nativo));
        }
    }

    SQLHENV env_ = nullptr;
    SQLHDBC dbc_ = nullptr;
    bool abierta_ = false;
};

class ServidorTdsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { servidor_ = std::make_unique<prueba::ServidorTds>(QString::fromUtf8(kEsquema)); }
    static void TearDownTestSuite() { servidor_.reset(); }
    void SetUp() override { ASSERT_TRUE(servidor_->enMarcha()) << servidor_->fallo().toStdString(); }

    static std::unique_ptr<ado::Connection> conectar()
    {
        auto c = std::make_unique<ado::Connection>();
        c->Open(servidor_->textoConexion());
        return c;
    }

    // First column of the first row, as the provider reads it.
    static Variant valor(ado::Connection& c, const QString& sql)
    {
        auto rs = c.Execute(sql);
        EXPECT_TRUE(rs && !rs->eof()) << sql.toStdString();
        if (!rs || rs->eof()) return Variant();
        return rs->Fields(0L).Value();
    }

    // Runs a text that must fail and returns the native numbers that reached Errors, in order.
    static std::vector<int32_t> fallos(ado::Connection& c, const QString& sql, std::vector<QString>* estados = nullptr)
    {
        EXPECT_THROW(c.Execute(sql), ado::Fallo) << sql.toStdString();
        std::vector<int32_t> r;
        for (const ado::Error& e : c.errors().lista()) {
            if (e.SQLState.startsWith(QLatin1String("01"))) continue;   // "The statement has been terminated."
            r.push_back(e.NativeError);
            if (estados) estados->push_back(e.SQLState);
        }
        return r;
    }

    static std::unique_ptr<prueba::ServidorTds> servidor_;
};

std::unique_ptr<prueba::ServidorTds> ServidorTdsTest::servidor_;

TEST_F(ServidorTdsTest, InicioDeSesion)
{
    auto c = conectar();
    EXPECT_EQ(c->State(), ado::adStateOpen);
    EXPECT_EQ(c->DefaultDatabase(), servidor_->base());
    EXPECT_EQ(valor(*c, QStringLiteral("SELECT DB_NAME()")).toText(), servidor_->base());
    EXPECT_TRUE(valor(*c, QStringLiteral("SELECT @@VERSION")).toText().startsWith(QLatin1String("Microsoft SQL Server")));
    EXPECT_GE(valor(*c, QStringLiteral("SELECT @@SPID")).toLong(), 51);
    EXPECT_NO_THROW(c->Execute(QStringLiteral("SET NOCOUNT OFF SET ANSI_WARNINGS ON")));

    struct Caso {
        const char* nombre;
        QString texto;
        std::vector<int32_t> nativos;
    };
    const QString base = QStringLiteral("PROVIDER=SQLOLEDB;Server=127.0.0.1,%1;Database =%2;UId=%3;Pwd=%4;");
    const int p = servidor_->puerto();
    const Caso casos[] = {
        {"clave errónea", base.arg(p).arg(servidor_->base(), servidor_->usuario(), QStringLiteral("otra")), {18456}},
        {"usuario desconocido", base.arg(p).arg(servidor_->base(), QStringLiteral("nadie"), servidor_->clave()), {18456}},
        {"base inexistente", base.arg(p).arg(QStringLiteral("OTRA"), servidor_->usuario(), servidor_->clave()), {4060, 18456}},
    };
    for (const Caso& k : casos) {
        SCOPED_TRACE(k.nombre);
        ado::Connection mala;
        EXPECT_THROW(mala.Open(k.texto), ado::Fallo);
        std::vector<int32_t> nativos;
        QString estado;
        for (const ado::Error& e : mala.errors().lista()) {
            if (e.NativeError != 0) nativos.push_back(e.NativeError);
            if (e.NativeError == 18456) estado = e.SQLState;
        }
        std::sort(nativos.begin(), nativos.end());
        EXPECT_EQ(nativos, k.nativos);
        // Without a LOGINACK FreeTDS cannot tell SQL Server's numbers apart: 42000, not 28000.
        EXPECT_EQ(estado, QStringLiteral("42000"));
        EXPECT_EQ(mala.State(), ado::adStateClosed);
    }
}

TEST_F(ServidorTdsTest, TiposConValoresExactos)
{
    auto c = conectar();
    auto rs = c->Execute(QStringLiteral("SELECT v, nv, i, s, b, m, d, f, fh FROM tipos ORDER BY id"));
    ASSERT_TRUE(rs);
    struct Columna {
        const char* nombre;
        long tipo;
        Variant filas[3];
    };
    const Columna columnas[] = {
        {"v", ado::tipo::VarChar, {Variant(QStringLiteral("Ñandú 10€")), Variant::nulo(), Variant(QString())}},
        {"nv", ado::tipo::VarWChar, {Variant(QStringLiteral("Año € ÑÇ")), Variant::nulo(), Variant(QString())}},
        {"i", ado::tipo::Integer, {Variant(int32_t(-2147483647 - 1)), Variant::nulo(), Variant(int32_t(0))}},
        {"s", ado::tipo::SmallInt, {Variant::entero16(-32768), Variant::nulo(), Variant::entero16(0)}},
        {"b", ado::tipo::Boolean, {Variant(true), Variant::nulo(), Variant(false)}},
        {"m", ado::tipo::Currency, {Variant::moneda(1234567891234), Variant::nulo(), Variant::moneda(-1)}},
        {"d", ado::tipo::Numeric, {Variant(-12345.678), Variant::nulo(), Variant(0.0)}},
        {"f", ado::tipo::Double, {Variant(0.1), Variant::nulo(), Variant(-1e300)}},
        // Milliseconds as SQL Server's 1/300 s ticks keep them.
        {"fh", ado::tipo::DBTimeStamp,
         {Variant(QDateTime(QDate(2024, 3, 5), QTime(10, 20, 30, 127))), Variant::nulo(), Variant(QDateTime(QDate(2024, 2, 29), QTime(23, 59, 59, 997)))}},
    };
    ASSERT_EQ(rs->FieldCount(), long(std::size(columnas)));
    for (int fila = 0; fila < 3; ++fila) {
        ASSERT_FALSE(rs->eof());
        for (long i = 0; i < long(std::size(columnas)); ++i) {
            const Columna& k = columnas[i];
            SCOPED_TRACE(std::string(k.nombre) + " fila " + std::to_string(fila));
            EXPECT_EQ(rs->Fields(i).Name(), QString::fromLatin1(k.nombre));
            EXPECT_EQ(rs->Fields(i).Type(), k.tipo);
            const Variant v = rs->Fields(i).Value();
            const Variant& esperado = k.filas[fila];
            EXPECT_EQ(v.isNull(), esperado.isNull());
            if (esperado.isNull()) continue;
            if (k.tipo == ado::tipo::Currency) EXPECT_EQ(v.toCurrency(), esperado.toCurrency());
            else if (k.tipo == ado::tipo::DBTimeStamp) EXPECT_EQ(v.toDate(), esperado.toDate());
            else if (k.tipo == ado::tipo::Numeric || k.tipo == ado::tipo::Double) EXPECT_DOUBLE_EQ(v.toDouble(), esperado.toDouble());
            else EXPECT_EQ(v.toText(), esperado.toText());
        }
        rs->MoveNext();
    }
    EXPECT_TRUE(rs->eof());
}

TEST_F(ServidorTdsTest, ErrorEnMedioDelLote)
{
    struct Caso {
        const char* que;
        const char* sentencia;
        int32_t nativo;
        const char* estado;
    };
    const Caso casos[] = {
        {"clave duplicada", "INSERT INTO prov VALUES(1, 'Otro')", 2627, "23000"},
        {"clave ajena", "INSERT INTO oc VALUES(1, 99, 10)", 547, "23000"},
        {"comprobación", "INSERT INTO oc VALUES(2, 1, -5)", 547, "23000"},
        {"nulo", "INSERT INTO prov VALUES(2, NULL)", 515, "23000"},
        {"truncado", "INSERT INTO prov VALUES(3, 'Demasiado largo')", 8152, "22001"},
        {"tabla", "SELECT * FROM no_existe", 208, "42S02"},
        {"columna", "SELECT no_existe FROM prov", 207, "42S22"},
        {"sintaxis", "SELECT FROM WHERE", 102, "42000"},
        {"conversión", "SELECT CONVERT(int, 'abc')", 245, "22018"},
        {"división por cero", "SELECT 10 / (codigo - 1) FROM prov", 8134, "22012"},
    };
    auto c = conectar();
    for (const Caso& k : casos) {
        SCOPED_TRACE(k.que);
        c->Execute(QStringLiteral("DELETE FROM marca"));
        std::vector<QString> estados;
        const auto nativos = fallos(*c, QStringLiteral("INSERT INTO marca VALUES(1)\n%1\nINSERT INTO marca VALUES(2)").arg(QString::fromUtf8(k.sentencia)), &estados);
        EXPECT_EQ(nativos, std::vector<int32_t>{k.nativo});
        EXPECT_EQ(estados, std::vector<QString>{QString::fromLatin1(k.estado)});
        // The statements around the failing one ran, as on SQL Server.
        EXPECT_EQ(valor(*c, QStringLiteral("SELECT count(*) FROM marca")).toLong(), 2);
    }
    // Several failures of one batch reach Errors in their order.
    const QString varios = QStringLiteral("SELECT 1; INSERT INTO prov VALUES(1, 'x'); SELECT 1/0; INSERT INTO prov VALUES(4, NULL); SELECT 2");
    EXPECT_EQ(fallos(*c, varios), (std::vector<int32_t>{2627, 8134, 515}));
    Odbc odbc(servidor_->textoOdbc());
    ASSERT_TRUE(odbc.abierta());
    EXPECT_EQ(odbc.lote(varios), (std::vector<QString>{"23000 2627", "01000 3621", "22012 8134", "23000 515", "01000 3621"}));
    // When the first statement fails FreeTDS drops the rest of the results (the server ran them).
    EXPECT_EQ(odbc.lote(QStringLiteral("INSERT INTO prov VALUES(1, 'x'); SELECT 1/0")), (std::vector<QString>{"23000 2627", "01000 3621"}));
}

TEST_F(ServidorTdsTest, TransaccionEntreLotes)
{
    auto c = conectar();
    auto otra = conectar();
    c->Execute(QStringLiteral("DELETE FROM marca"));
    struct Paso {
        const char* sql;
        int trancount;
        int filas;   // rows of marca that the same connection sees afterwards
    };
    const Paso pasos[] = {
        {"BEGIN TRANSACTION", 1, 0},
        {"INSERT INTO marca VALUES(10)", 1, 1},
        {"BEGIN TRAN", 2, 1},
        {"INSERT INTO marca VALUES(11)", 2, 2},
        {"COMMIT TRANSACTION", 1, 2},
        {"ROLLBACK TRANSACTION", 0, 0},
        {"BEGIN TRANSACTION INSERT INTO marca VALUES(12)", 1, 1},
        {"COMMIT", 0, 1},
    };
    for (const Paso& p : pasos) {
        SCOPED_TRACE(p.sql);
        c->Execute(QString::fromLatin1(p.sql));
        EXPECT_EQ(valor(*c, QStringLiteral("SELECT @@TRANCOUNT")).toLong(), p.trancount);
        EXPECT_EQ(valor(*c, QStringLiteral("SELECT count(*) FROM marca")).toLong(), p.filas);
    }
    EXPECT_EQ(valor(*otra, QStringLiteral("SELECT count(*) FROM marca")).toLong(), 1);

    // The connection's own transactions: ODBC's autocommit off and SQLEndTran.
    for (const bool confirmar : {false, true}) {
        SCOPED_TRACE(confirmar ? "CommitTrans" : "RollbackTrans");
        c->BeginTrans();
        c->Execute(QStringLiteral("INSERT INTO marca VALUES(20)"));
        EXPECT_EQ(valor(*c, QStringLiteral("SELECT @@TRANCOUNT")).toLong(), 1);
        if (confirmar) c->CommitTrans();
        else c->RollbackTrans();
        EXPECT_EQ(valor(*otra, QStringLiteral("SELECT count(*) FROM marca WHERE n = 20")).toLong(), confirmar ? 1 : 0);
    }
    EXPECT_EQ(valor(*c, QStringLiteral("SELECT @@TRANCOUNT")).toLong(), 0);
}

TEST_F(ServidorTdsTest, TiempoDeEsperaConAtencion)
{
    auto c = conectar();
    c->setCommandTimeout(1);
    std::vector<QString> estados;
    fallos(*c, QStringLiteral("WAITFOR DELAY '00:00:05'"), &estados);
    ASSERT_FALSE(estados.empty());
    EXPECT_EQ(estados.front(), QStringLiteral("HYT00"));
    // The server stopped the batch and the connection goes on.
    EXPECT_EQ(valor(*c, QStringLiteral("SELECT 7")).toLong(), 7);
    c->setCommandTimeout(30);
    EXPECT_NO_THROW(c->Execute(QStringLiteral("WAITFOR DELAY '00:00:00.050'")));
}

TEST_F(ServidorTdsTest, EsquemaDesdeLasTablasDelCatalogo)
{
    auto c = conectar();
    auto t = c->OpenSchema(ado::adSchemaTables, {Variant(), Variant(), Variant("prov")});
    ASSERT_FALSE(t->eof());
    EXPECT_EQ(t->Fields(QStringLiteral("TABLE_NAME")).Value().toText(), QStringLiteral("prov"));
    EXPECT_EQ(t->Fields(QStringLiteral("TABLE_TYPE")).Value().toText(), QStringLiteral("TABLE"));
    auto cols = c->OpenSchema(ado::adSchemaColumns, {Variant(), Variant(), Variant("tipos")});
    std::vector<std::pair<QString, long>> vistas;
    for (; !cols->eof(); cols->MoveNext())
        vistas.emplace_back(cols->Fields(QStringLiteral("COLUMN_NAME")).Value().toText(), cols->Fields(QStringLiteral("DATA_TYPE")).Value().toLong());
    const std::vector<std::pair<QString, long>> esperadas = {
        {"id", ado::tipo::Integer}, {"v", ado::tipo::VarChar}, {"nv", ado::tipo::VarWChar}, {"i", ado::tipo::Integer},
        {"s", ado::tipo::SmallInt}, {"b", ado::tipo::Boolean}, {"m", ado::tipo::Currency}, {"d", ado::tipo::Numeric},
        {"f", ado::tipo::Double}, {"fh", ado::tipo::DBTimeStamp}};
    EXPECT_EQ(vistas, esperadas);
}

// Last: it drops every connection of the shared server.
TEST_F(ServidorTdsTest, ConexionCortadaYVueltaDelServidor)
{
    auto c = conectar();
    ASSERT_EQ(valor(*c, QStringLiteral("SELECT 1")).toLong(), 1);
    ASSERT_TRUE(servidor_->cortar());
    // FreeTDS finds the link gone on the first statement ("HY000") and says so on the next.
    fallos(*c, QStringLiteral("SELECT 1"));
    std::vector<QString> estados;
    fallos(*c, QStringLiteral("SELECT 1"), &estados);
    EXPECT_EQ(estados, std::vector<QString>{QStringLiteral("08S01")});

    ASSERT_TRUE(servidor_->rechazar());
    ado::Connection rechazada;
    EXPECT_THROW(rechazada.Open(servidor_->textoConexion()), ado::Fallo);
    ASSERT_FALSE(rechazada.errors().empty());
    EXPECT_EQ(rechazada.errors().Item(0).SQLState, QStringLiteral("08S01"));

    ASSERT_TRUE(servidor_->aceptar());
    auto otra = conectar();
    EXPECT_EQ(valor(*otra, QStringLiteral("SELECT count(*) FROM prov")).toLong(), 1);
}

}  // namespace
