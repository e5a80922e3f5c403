// The data routines against SQL Server as FreeTDS reaches it (the TDS test
// server): error numbers, batches and their rollback, time-outs, dates that no
// server language can turn around, updatable recordsets, isolation, schema reads.
#include "SqlServer_prueba.h"

#include "data/Configuracion.h"
#include "data/Guiones.h"
#include "data/ReportaError.h"

#include <QDate>
#include <QDateTime>

using datos::gDB;
using datos::RecordsetRef;
using namespace prueba;

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
namespace num = ado::num;

namespace {

const char* kEsquema = R"(
CREATE TABLE prov(codigo int PRIMARY KEY, nombre varchar(10) NOT NULL COLLATE NOCASE CONSTRAINT TRUNC_prov_nombre CHECK (length(nombre) <= 10));
CREATE TABLE oc(numero int PRIMARY KEY, prov int REFERENCES prov(codigo), importe money CHECK (importe >= 0));
CREATE TABLE marca(n int);
CREATE TABLE tipos(id int PRIMARY KEY, v varchar(20), nv nvarchar(20), i int, s smallint, b bit, m money,
                   d decimal(12,3), f float, fh datetime);
CREATE TABLE MA_CUENTAS(ID INTEGER PRIMARY KEY, CODIGO varchar(10) COLLATE NOCASE, DESCRIPCION varchar(40) COLLATE NOCASE);
CREATE TABLE SS_MA_CUENTAS(ID INTEGER PRIMARY KEY, CODIGO varchar(10) COLLATE NOCASE, DESCRIPCION varchar(40) COLLATE NOCASE);
CREATE TABLE AUX_ERR(ID INTEGER PRIMARY KEY, Proceso varchar(50), Fecha datetime, Error int, Descripcion varchar(250), SQL text, PC varchar(64),
                     Usuario varchar(50));
CREATE TABLE AUX_ERR_TEXTO(ID INTEGER PRIMARY KEY, Fecha varchar(20));
CREATE TABLE TA_CONFIGURACION(ID INTEGER PRIMARY KEY, Clave varchar(50) COLLATE NOCASE NOT NULL, Valor varchar(255) COLLATE NOCASE,
                              ValorAux varchar(255) COLLATE NOCASE, Grupo varchar(50) COLLATE NOCASE, PoliticaNegocio bit NOT NULL DEFAULT 0);
CREATE TABLE sinclave(nombre varchar(20), real float, cuando datetime, nota text);
INSERT INTO prov VALUES(1, 'Uno');
INSERT INTO tipos VALUES(1, 'Ñandú 10€', 'Año € ÑÇ', -2147483648, -32768, 1, 123456789.1234, -12345.678, 0.1, '2024-03-05 10:20:30.125');
INSERT INTO tipos VALUES(2, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL);
INSERT INTO MA_CUENTAS(CODIGO, DESCRIPCION) VALUES ('1', 'Caja'), ('7', 'Banco');
INSERT INTO SS_MA_CUENTAS(CODIGO, DESCRIPCION) VALUES ('1', 'Reservada');
INSERT INTO sinclave VALUES('a', 0.1, '2024-03-05 10:20:30.127', 'larga');
)";

class DatosSqlServer : public ::testing::Test {
protected:
    explicit DatosSqlServer(ServidorTds::Opciones o = {}) : s(QString::fromUtf8(kEsquema), o) {}
    void SetUp() override
    {
        ASSERT_TRUE(s.servidor.enMarcha()) << s.servidor.fallo().toStdString();
        ASSERT_TRUE(s.conectar());
        s.op->llamadas.clear();
    }
    static ado::Connection& cnn() { return gDB().gCnn(); }
    // Native numbers of the collection, without the "statement has been terminated" notices.
    static std::vector<int32_t> nativos()
    {
        std::vector<int32_t> r;
        for (const ado::Error& e : cnn().errors().lista())
            if (e.NativeError != ado::nativo::SentenciaTerminada) r.push_back(e.NativeError);
        return r;
    }
    QString sqlite(const QString& sql) const { return consultarSqlite(s.servidor.archivo(), sql); }
    SesionTds s;
};

// --- Error numbers: the link, the command, integrity, missing objects, time-out ---------

TEST_F(DatosSqlServer, NumerosClasicosDeCadaError)
{
    struct Caso {
        const char* que;
        const char* sql;
        int32_t numero;
        int32_t nativo;
    };
    const Caso casos[] = {
        {"clave duplicada", "INSERT INTO prov VALUES(1, 'Otro')", num::Integridad, 2627},
        {"clave ajena", "INSERT INTO oc VALUES(1, 99, 10)", num::Integridad, 547},
        {"nulo", "INSERT INTO prov VALUES(2, NULL)", num::Integridad, 515},
        {"truncado", "INSERT INTO prov VALUES(3, 'Demasiado largo')", num::ErrorEnComando, 8152},
        {"tabla", "SELECT * FROM no_existe", num::TablaNoExiste, 208},
        {"conversión", "SELECT CONVERT(int, 'abc')", num::ErrorEnComando, 245},
        {"división por cero", "SELECT 10 / (codigo - 1) FROM prov", num::ErrorEnComando, 8134},
        {"sintaxis", "SELECT FROM WHERE", num::ErrorEnComando, 102},
    };
    for (const Caso& k : casos) {
        SCOPED_TRACE(k.que);
        try {
            cnn().Execute(QString::fromUtf8(k.sql));
            ADD_FAILURE() << "no falló";
        } catch (const ado::Fallo& f) {
            EXPECT_EQ(f.Number(), k.numero);
            ASSERT_FALSE(cnn().errors().empty());
            EXPECT_EQ(cnn().errors().Item(0).NativeError, k.nativo);
            EXPECT_FALSE(gDB().conexionPerdida(f));
        }
        // A data error never takes the lost-connection path: the statement reporter
        // speaks and no reconnection happens.
        QString sql = QString::fromUtf8(k.sql);
        RecordsetRef rs;
        s.op->respuestas = {velmora::respuesta::Anular};
        s.op->llamadas.clear();
        gDB().AbrirRecordset(sql, rs);
        EXPECT_TRUE(s.op->conTitulo(kPerdida).empty());
        ASSERT_EQ(s.op->llamadas.size(), 1u);
        EXPECT_TRUE(s.op->llamadas[0].titulo.endsWith(QLatin1String(" - AbrirRecordset Aviso al operador!!! - 5 ")));
    }
}

TEST_F(DatosSqlServer, TiempoDeEsperaNoEsUnaConexionPerdida)
{
    const long spid = cnn().Execute(QStringLiteral("SELECT @@SPID"))->Fields(0L).Value().toLong();
    cnn().setCommandTimeout(1);
    try {
        cnn().Execute(QStringLiteral("WAITFOR DELAY '00:00:05'"));
        ADD_FAILURE() << "no venció";
    } catch (const ado::Fallo& f) {
        EXPECT_EQ(f.Number(), num::TiempoAgotado);
        EXPECT_EQ(cnn().errors().Item(0).SQLState, QStringLiteral("HYT00"));
    }
    // Through the statement runner that shows failures: the operator reads it, the link stays.
    QString espera = QStringLiteral("WAITFOR DELAY '00:00:05'");
    long n = 0;
    gDB().EjecutaConsultaRSQL(espera, n);
    EXPECT_TRUE(s.op->conTitulo(kPerdida).empty());
    ASSERT_EQ(s.op->conTitulo(QStringLiteral("Aviso al operador!!!")).size(), 1u);
    cnn().setCommandTimeout(30);
    EXPECT_EQ(cnn().Execute(QStringLiteral("SELECT @@SPID"))->Fields(0L).Value().toLong(), spid);
}

// --- Batches: each failing middle statement, its rollback, the connection afterwards -------

TEST_F(DatosSqlServer, LoteConUnaSentenciaQueFallaSeDeshace)
{
    struct Caso {
        const char* que;
        const char* sentencia;
        int32_t nativo;
    };
    const Caso casos[] = {
        {"clave duplicada", "INSERT INTO prov VALUES(1, 'Otro')", 2627},
        {"clave ajena", "INSERT INTO oc VALUES(1, 99, 10)", 547},
        {"truncado", "INSERT INTO prov VALUES(3, 'Demasiado largo')", 8152},
        {"nulo", "INSERT INTO prov VALUES(2, NULL)", 515},
        {"tabla", "INSERT INTO no_existe VALUES(1)", 208},
        {"conversión", "INSERT INTO marca SELECT CONVERT(int, 'abc')", 245},
        {"división por cero", "INSERT INTO marca SELECT 10 / (codigo - 1) FROM prov", 8134},
    };
    for (const Caso& k : casos) {
        SCOPED_TRACE(k.que);
        std::vector<QString> sentencias = {QStringLiteral("INSERT INTO marca VALUES(1)"), QString::fromUtf8(k.sentencia),
                                           QStringLiteral("INSERT INTO marca VALUES(2)")};
        bool fallo = false;
        int32_t numero = 0;
        QString guion, mensaje;
        s.op->llamadas.clear();
        datos::GActualizarDatoScript(sentencias, fallo, numero, false, false, guion, mensaje, true);
        EXPECT_TRUE(fallo);
        EXPECT_EQ(numero, k.nativo);
        EXPECT_TRUE(mensaje.startsWith(QString::number(k.nativo) + QStringLiteral(" : "))) << mensaje.toStdString();
        // Rolled back: neither the statement before nor the one after stayed.
        EXPECT_EQ(sqlite(QStringLiteral("SELECT count(*) FROM marca")), QStringLiteral("0"));
        EXPECT_EQ(cnn().Execute(QStringLiteral("SELECT @@TRANCOUNT"))->Fields(0L).Value().toLong(), 0);
        // The failure is recorded in AUX_ERR, and the same connection goes on.
        EXPECT_EQ(cnn().Execute(QStringLiteral("SELECT TOP 1 Error FROM AUX_ERR ORDER BY ID DESC"))->Fields(0L).Value().toLong(), k.nativo);
        std::vector<QString> bien = {QStringLiteral("INSERT INTO marca VALUES(3)")};
        datos::GActualizarDatoScript(bien, fallo, numero, false, false, guion, mensaje, true);
        EXPECT_FALSE(fallo);
        EXPECT_EQ(sqlite(QStringLiteral("SELECT count(*) FROM marca")), QStringLiteral("1"));
        cnn().Execute(QStringLiteral("DELETE FROM marca"));
    }
    EXPECT_TRUE(s.op->conTitulo(kPerdida).empty());
}

TEST_F(DatosSqlServer, ErroresDeUnLoteEnSuOrden)
{
    // The first statement fails: FreeTDS still hands over what followed.
    const QString lotes[] = {
        QStringLiteral("INSERT INTO prov VALUES(1, 'x'); SELECT 1/0; INSERT INTO prov VALUES(4, NULL); SELECT 2"),
        QStringLiteral("SELECT 1; INSERT INTO prov VALUES(1, 'x'); SELECT 1/0; INSERT INTO prov VALUES(4, NULL)"),
    };
    for (const QString& lote : lotes) {
        SCOPED_TRACE(lote.toStdString());
        EXPECT_THROW(cnn().Execute(lote), ado::Fallo);
        EXPECT_EQ(nativos(), (std::vector<int32_t>{2627, 8134, 515}));
    }
}

// --- Truncation: 8152 before SQL Server 2019, 2628 since --------------------------------

class Truncado2628 : public DatosSqlServer {
protected:
    static ServidorTds::Opciones opciones()
    {
        ServidorTds::Opciones o;
        o.truncado2628 = true;
        return o;
    }
    Truncado2628() : DatosSqlServer(opciones()) {}
};

TEST_F(Truncado2628, ElAvisoDeTruncadoSoloSeBorraSolo)
{
    EXPECT_THROW(cnn().Execute(QStringLiteral("INSERT INTO prov VALUES(3, 'Demasiado largo')")), ado::Fallo);
    ASSERT_FALSE(cnn().errors().empty());
    EXPECT_EQ(cnn().errors().Item(0).NativeError, 2628);
    EXPECT_TRUE(cnn().errors().Item(0).Description.contains(QLatin1String("Truncated value"))) << cnn().errors().Item(0).Description.toStdString();
    // EjecutaConsultaSQL clears a lone truncation, as for 8152; inside a transaction text it stays.
    struct Caso {
        const char* sql;
        bool queda;
    };
    const Caso casos[] = {{"INSERT INTO prov VALUES(3, 'Demasiado largo')", false},
                          {"BEGIN TRANSACTION INSERT INTO prov VALUES(3, 'Demasiado largo')", true}};
    for (const Caso& k : casos) {
        SCOPED_TRACE(k.sql);
        QString sql = QString::fromUtf8(k.sql);
        long n = 0;
        gDB().EjecutaConsultaSQL(sql, n);
        EXPECT_EQ(!cnn().errors().empty(), k.queda);
        if (k.queda) {
            EXPECT_EQ(cnn().errors().Item(0).NativeError, 2628);
        }
        QString fin = QStringLiteral("IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION");
        gDB().EjecutaConsultaSQL(fin, n);
    }
}

TEST_F(DatosSqlServer, ElAvisoDeTruncado8152SeBorra)
{
    QString sql = QStringLiteral("INSERT INTO prov VALUES(3, 'Demasiado largo')");
    long n = 0;
    gDB().EjecutaConsultaSQL(sql, n);
    EXPECT_TRUE(cnn().errors().empty());
}

// --- Result sets of every type ---------------------------------------------------------

TEST_F(DatosSqlServer, RecordsetsConValoresExactos)
{
    QString sql = QStringLiteral("SELECT v, nv, i, s, b, m, d, f, fh FROM tipos WHERE id = 1");
    RecordsetRef rs;
    gDB().AbrirRecordset(sql, rs);
    ASSERT_TRUE(rs && rs->State() == ado::adStateOpen && !rs->eof());
    EXPECT_EQ(rs->Fields(QStringLiteral("v")).Value().toText(), QStringLiteral("Ñandú 10€"));
    EXPECT_EQ(rs->Fields(QStringLiteral("nv")).Value().toText(), QStringLiteral("Año € ÑÇ"));
    EXPECT_EQ(rs->Fields(QStringLiteral("m")).Value().toCurrency(), 1234567891234);
    EXPECT_EQ(rs->Fields(QStringLiteral("fh")).Value().toDate(), QDateTime(QDate(2024, 3, 5), QTime(10, 20, 30, 127)));
    EXPECT_DOUBLE_EQ(rs->Fields(QStringLiteral("d")).Value().toDouble(), -12345.678);
    gDB().CierraRecordset(rs);
    // The same values through the table queries.
    EXPECT_EQ(gDB().DatosTabla(QStringLiteral("tipos"), QStringLiteral("1"), QStringLiteral("nv"), QStringLiteral("id"), 3).toText(),
              QStringLiteral("Año € ÑÇ"));
    RecordsetRef fila;
    EXPECT_TRUE(gDB().ExisteEnTabla(QStringLiteral("tipos"), QStringLiteral("Ñandú 10€"), QStringLiteral("v"), &fila));
    EXPECT_EQ(fila->Fields(QStringLiteral("m")).Value().toCurrency(), 1234567891234);
    gDB().CierraRecordset(fila);
}

// --- Dates: a server whose language reads the month first --------------------------------

class FechasMesPrimero : public DatosSqlServer {};   // the default login language: us_english

TEST_F(FechasMesPrimero, ElServidorLeeLosTextosDeFechaComoSuIdioma)
{
    // The stand-in is faithful: a regional text is read month first, a day above 12 fails.
    cnn().Execute(QStringLiteral("UPDATE tipos SET fh = '10/12/26 14:26' WHERE id = 2"));
    EXPECT_EQ(sqlite(QStringLiteral("SELECT fh FROM tipos WHERE id = 2")), QStringLiteral("2026-10-12 14:26:00.000"));
    try {
        cnn().Execute(QStringLiteral("UPDATE tipos SET fh = '25/12/26 14:26' WHERE id = 2"));
        ADD_FAILURE() << "aceptó el 25.º mes";
    } catch (const ado::Fallo&) {
        EXPECT_EQ(cnn().errors().Item(0).NativeError, 242);
    }
}

TEST_F(FechasMesPrimero, ElRegistroDeAuxErrGuardaElDiaCorrecto)
{
    QString proceso = QStringLiteral("PRUEBA");
    const QDate hoy = QDate::currentDate();
    datos::GrabaErrorAux(QStringLiteral("SELECT 1"), proceso, 2627, QStringLiteral("descripción"));
    const QString fecha = sqlite(QStringLiteral("SELECT Fecha FROM AUX_ERR ORDER BY ID DESC LIMIT 1"));
    // A datetime column: the date itself, to the minute the operator's text shows.
    EXPECT_TRUE(fecha.startsWith(hoy.toString(QStringLiteral("yyyy-MM-dd")))) << fecha.toStdString();
    EXPECT_TRUE(fecha.endsWith(QLatin1String(":00.000"))) << fecha.toStdString();
    EXPECT_EQ(sqlite(QStringLiteral("SELECT Proceso || '|' || Error || '|' || Descripcion FROM AUX_ERR ORDER BY ID DESC LIMIT 1")),
              QStringLiteral("PRUEBA|2627|descripción"));
}

TEST_F(FechasMesPrimero, LasFechasDeUnRecordsetLlegan)
{
    struct Caso {
        const char* que;
        ado::Variant valor;
        const char* guardado;   // what the datetime column holds
    };
    const Caso casos[] = {
        {"fecha", ado::Variant(QDateTime(QDate(2026, 12, 25), QTime(10, 30, 15, 250))), "2026-12-25 10:30:15.250"},
        {"texto regional", ado::Variant(QStringLiteral("25/12/2026 10:30")), "2026-12-25 10:30:00.000"},
        {"texto regional de año corto", ado::Variant(QStringLiteral("03/02/26 08:05")), "2026-02-03 08:05:00.000"},
    };
    for (const Caso& k : casos) {
        SCOPED_TRACE(k.que);
        QString sql = QStringLiteral("SELECT * FROM tipos WHERE id = 2");
        RecordsetRef rs;
        gDB().AbrirRecordset(sql, rs, nullptr, ado::adOpenDynamic, ado::adLockOptimistic);
        ASSERT_FALSE(rs->eof());
        rs->Fields(QStringLiteral("fh")) = k.valor;
        rs->Update();
        gDB().CierraRecordset(rs);
        EXPECT_EQ(sqlite(QStringLiteral("SELECT fh FROM tipos WHERE id = 2")), QString::fromLatin1(k.guardado));
    }
    // A text column keeps the text as the operator reads it.
    QString sql = QStringLiteral("SELECT * FROM AUX_ERR_TEXTO");
    RecordsetRef rs;
    gDB().AbrirRecordset(sql, rs, nullptr, ado::adOpenDynamic, ado::adLockOptimistic);
    rs->AddNew();
    rs->Fields(QStringLiteral("Fecha")) = ado::Variant(QStringLiteral("25/12/26 10:30"));
    rs->Update();
    gDB().CierraRecordset(rs);
    EXPECT_EQ(sqlite(QStringLiteral("SELECT Fecha FROM AUX_ERR_TEXTO")), QStringLiteral("25/12/26 10:30"));
}

class FechasDiaPrimero : public DatosSqlServer {
protected:
    static ServidorTds::Opciones opciones()
    {
        ServidorTds::Opciones o;
        o.idioma = QStringLiteral("Español");
        return o;
    }
    FechasDiaPrimero() : DatosSqlServer(opciones()) {}
};

TEST_F(FechasDiaPrimero, ElMismoRegistroConUnIdiomaDeDiaPrimero)
{
    QString proceso = QStringLiteral("PRUEBA");
    datos::GrabaErrorAux(QStringLiteral("SELECT 1"), proceso, 547, QStringLiteral("x"));
    EXPECT_TRUE(sqlite(QStringLiteral("SELECT Fecha FROM AUX_ERR")).startsWith(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))));
    // Year first with dashes reads year-day-month here: the write-back never sends that form.
    cnn().Execute(QStringLiteral("UPDATE tipos SET fh = '2026-03-04 10:00' WHERE id = 2"));
    EXPECT_EQ(sqlite(QStringLiteral("SELECT fh FROM tipos WHERE id = 2")), QStringLiteral("2026-04-03 10:00:00.000"));
    QString sql = QStringLiteral("SELECT * FROM tipos WHERE id = 2");
    RecordsetRef rs;
    gDB().AbrirRecordset(sql, rs, nullptr, ado::adOpenDynamic, ado::adLockOptimistic);
    rs->Fields(QStringLiteral("fh")) = ado::Variant(QDateTime(QDate(2026, 3, 4), QTime(10, 0)));
    rs->Update();
    gDB().CierraRecordset(rs);
    EXPECT_EQ(sqlite(QStringLiteral("SELECT fh FROM tipos WHERE id = 2")), QStringLiteral("2026-03-04 10:00:00.000"));
}

// --- Updatable recordsets: the row found again, or the caller told ----------------------

TEST_F(DatosSqlServer, LaEscrituraEncuentraLaFilaONoPasaEnSilencio)
{
    // By its key.
    QString sql = QStringLiteral("SELECT * FROM tipos WHERE id = 1");
    RecordsetRef rs;
    gDB().AbrirRecordset(sql, rs, nullptr, ado::adOpenDynamic, ado::adLockOptimistic);
    rs->Fields(QStringLiteral("v")) = ado::Variant(QStringLiteral("cambiado"));
    rs->Update();
    EXPECT_EQ(sqlite(QStringLiteral("SELECT v FROM tipos WHERE id = 1")), QStringLiteral("cambiado"));
    // Someone else deletes the row: the next write-back says so with ADO's number.
    cnn().Execute(QStringLiteral("DELETE FROM tipos WHERE id = 1"));
    rs->Fields(QStringLiteral("v")) = ado::Variant(QStringLiteral("otra vez"));
    try {
        rs->Update();
        ADD_FAILURE() << "escribió una fila que no existe";
    } catch (const ado::Fallo& f) {
        EXPECT_EQ(f.Number(), num::FilaNoEncontrada);
        EXPECT_EQ(f.Description(), QStringLiteral("Row cannot be located for updating. Some values may have been changed since it was last read."));
    }
    rs->CancelUpdate();
    gDB().CierraRecordset(rs);

    // By its key even when another column changed meanwhile (a select list of its own).
    sql = QStringLiteral("SELECT id, v, f FROM tipos WHERE id = 2");
    gDB().AbrirRecordset(sql, rs, nullptr, ado::adOpenDynamic, ado::adLockOptimistic);
    cnn().Execute(QStringLiteral("UPDATE tipos SET f = 2.5 WHERE id = 2"));
    rs->Fields(QStringLiteral("v")) = ado::Variant(QStringLiteral("por clave"));
    EXPECT_NO_THROW(rs->Update());
    gDB().CierraRecordset(rs);
    EXPECT_EQ(sqlite(QStringLiteral("SELECT v || '|' || f FROM tipos WHERE id = 2")), QStringLiteral("por clave|2.5"));

    // Without a key, by every value as it was read: a double's every digit, a date's milliseconds.
    sql = QStringLiteral("SELECT nombre, real, cuando, nota FROM sinclave");
    gDB().AbrirRecordset(sql, rs, nullptr, ado::adOpenDynamic, ado::adLockOptimistic);
    ASSERT_FALSE(rs->eof());
    EXPECT_EQ(rs->Fields(QStringLiteral("cuando")).Value().toDate().time().msec(), 127);
    rs->Fields(QStringLiteral("nombre")) = ado::Variant(QStringLiteral("b"));
    EXPECT_NO_THROW(rs->Update());
    gDB().CierraRecordset(rs);
    EXPECT_EQ(sqlite(QStringLiteral("SELECT nombre FROM sinclave")), QStringLiteral("b"));
}

TEST_F(DatosSqlServer, ConfiguracionYRegistroPorRecordsetsActualizables)
{
    // GrabaCfgKX writes through the statistics connection: here the same server.
    datos::DB_Dll& kx = datos::gDBEstadisticas();
    reiniciarBase(kx);
    kx.gServidor = s.servidorTexto();
    kx.gDBName = s.servidor.base();
    kx.gUsuario = s.servidor.usuario();
    kx.gUserPassWord = s.servidor.clave();
    kx.OpenServerADODB(false, 3, QString(), false, true);
    ASSERT_TRUE(kx.gOpenFlag);
    datos::GrabaCfgKX(QStringLiteral("ultima_oc"), ado::Variant(QStringLiteral("000100001206A")), QStringLiteral("Ñ"), true, QStringLiteral("Permutal"), true);
    EXPECT_EQ(sqlite(QStringLiteral("SELECT Clave || '|' || Valor || '|' || ValorAux || '|' || Grupo || '|' || PoliticaNegocio FROM TA_CONFIGURACION")),
              QStringLiteral("ULTIMA_OC|000100001206A|Ñ|Permutal|1"));
    // Again: the row is found by its key and changed, not added.
    datos::GrabaCfgKX(QStringLiteral("ULTIMA_OC"), ado::Variant(QStringLiteral("000100001204A")), QString(), false, QStringLiteral("Permutal"), true);
    EXPECT_EQ(sqlite(QStringLiteral("SELECT count(*) || '|' || Valor || '|' || PoliticaNegocio FROM TA_CONFIGURACION")),
              QStringLiteral("1|000100001204A|0"));
    EXPECT_EQ(datos::CfgKX(QStringLiteral("ultima_oc")), QStringLiteral("000100001204A"));
    reiniciarBase(kx);
}

// --- Ready-made queries: the caller gets the failure, the text goes as written -----------

TEST_F(DatosSqlServer, MaximosYMinimosVanAlLlamador)
{
    gDB().gEsAdmin = false;
    datos::gConfidencialidad = true;
    QFile::remove(s.carpeta.archivo(QStringLiteral("traza.jsonl")));
    EXPECT_EQ(gDB().BuscaMaximo(QStringLiteral("MA_CUENTAS"), QStringLiteral("CODIGO")).toDouble(), 7.0);
    EXPECT_EQ(gDB().BuscaMinimo(QStringLiteral("MA_CUENTAS"), QStringLiteral("CODIGO")).toDouble(), 1.0);
    EXPECT_EQ(gDB().BuscaUltimoCodigo(QStringLiteral("MA_CUENTAS"), QStringLiteral("ID")).toDouble(), 2.0);
    struct Caso {
        const char* que;
        std::function<void()> llamar;
    };
    const Caso casos[] = {
        {"BuscaMaximo", [] { gDB().BuscaMaximo(QStringLiteral("NO_EXISTE"), QStringLiteral("X")); }},
        {"BuscaMinimo", [] { gDB().BuscaMinimo(QStringLiteral("NO_EXISTE"), QStringLiteral("X")); }},
        {"BuscaUltimoCodigo", [] { gDB().BuscaUltimoCodigo(QStringLiteral("NO_EXISTE"), QStringLiteral("X")); }},
    };
    for (const Caso& k : casos) {
        SCOPED_TRACE(k.que);
        s.op->llamadas.clear();
        try {
            k.llamar();
            ADD_FAILURE() << "no llegó el fallo";
        } catch (const ado::Fallo& f) {
            EXPECT_EQ(f.Number(), num::TablaNoExiste);
        }
        EXPECT_TRUE(s.op->llamadas.empty());
    }
}

// --- Schema reads: Omitir after a failure answers false, never crashes -------------------

TEST_F(DatosSqlServer, EsquemaConOmitirTrasUnFallo)
{
    EXPECT_TRUE(gDB().ExisteTablaDB(QStringLiteral("TA_CONFIGURACION")));
    EXPECT_TRUE(gDB().ExisteCampoDB(QStringLiteral("TA_CONFIGURACION"), QStringLiteral("valoraux")));
    cnn().Close();
    for (int respuesta : {velmora::respuesta::Omitir, velmora::respuesta::Anular}) {
        SCOPED_TRACE(respuesta);
        s.op->respuestas = {respuesta, respuesta};
        s.op->llamadas.clear();
        EXPECT_FALSE(gDB().ExisteTablaDB(QStringLiteral("TA_USUARIOS")));
        EXPECT_FALSE(gDB().ExisteCampoDB(QStringLiteral("TA_CONFIGURACION"), QStringLiteral("Valor")));
        EXPECT_EQ(s.op->llamadas.size(), 2u);
    }
}

// --- Isolation: kept until BeginTrans, as the classic connection does --------------------

class Aislamiento : public DatosSqlServer {
protected:
    static ServidorTds::Opciones opciones()
    {
        ServidorTds::Opciones o;
        o.traza = true;
        o.capturarTraza = true;
        return o;
    }
    Aislamiento() : DatosSqlServer(opciones()) {}
    int veces(const char* que)
    {
        int n = 0;
        for (const QString& l : s.servidor.trazaRecibida())
            if (l.contains(QLatin1String(que), Qt::CaseInsensitive)) ++n;
        return n;
    }
};

TEST_F(Aislamiento, ElNivelEsperaAlComienzoDeUnaTransaccion)
{
    cnn().setIsolationLevel(ado::adXactReadUncommitted);
    cnn().Execute(QStringLiteral("SELECT 1"));
    EXPECT_EQ(veces("ISOLATION LEVEL"), 0);
    cnn().BeginTrans();
    EXPECT_EQ(veces("SET TRANSACTION ISOLATION LEVEL READ UNCOMMITTED"), 1);
    cnn().RollbackTrans();
    cnn().BeginTrans();
    cnn().CommitTrans();
    EXPECT_EQ(veces("ISOLATION LEVEL"), 1);
}

}  // namespace
