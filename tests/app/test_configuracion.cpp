// The configuration store: Cfg / CfgKX on real embedded databases (their
// statements read back from the statement trace), GrabaCfgKX through an
// updatable recordset, and the start-up load.
#include "Inicio_prueba.h"

using datos::gDB;

namespace {

const char* kFilas =
    "INSERT INTO TA_CONFIGURACION (Clave, Valor, ValorAux) VALUES"
    " ('CLAVE_X', 'v1', 'aux1'), ('NULOS', NULL, NULL), ('O''Brien', 'irlandes', ''),"
    " ('[FECHA DESDE]', '01/01/2024', ''), ('Top_Default', '   ', ''), ('SS_CONFIDENCIALIDAD', 'si', '');";

class Configuracion : public ::testing::Test {
protected:
    void SetUp() override
    {
        prueba::reiniciarInicio();
        prueba::ejecutarSqlite(empresa(), QString::fromUtf8(prueba::kEsquemaEmpresa) + QString::fromUtf8(kFilas));
    }
    void TearDown() override { prueba::reiniciarInicio(); }
    void conectar()
    {
        gDB().gServidor = QStringLiteral("SQLITE");
        gDB().gDBName = QStringLiteral("empresa");
        gDB().gUsuario = QStringLiteral("ANA");
        gDB().OpenServerADODB(false, 3, QString(), false, true);
        ASSERT_TRUE(gDB().gOpenFlag);
    }
    void conectarEstadisticas()
    {
        prueba::ejecutarSqlite(estadisticas(), QString::fromUtf8(prueba::kEsquemaEstadisticas));
        datos::DB_Dll& kx = datos::gDBEstadisticas();
        kx.gServidor = QStringLiteral("SQLITE");
        kx.gDBName = kx.gUsuario = QStringLiteral("KX_ESTADISTICAS");
        kx.gUserPassWord = QStringLiteral("QM_VARDESTOLINA");
        kx.OpenServerADODB(false, 3, QString(), true, false);
        ASSERT_TRUE(kx.gOpenFlag);
    }
    QString empresa() const { return carpeta.archivo(QStringLiteral("empresa.db")); }
    QString estadisticas() const { return carpeta.archivo(QStringLiteral("KX_ESTADISTICAS.db")); }
    QString kx(const QString& sql) const { return prueba::consultarSqlite(estadisticas(), sql); }

    prueba::CarpetaTemporal carpeta;
    prueba::OperadorDePrueba op;
    prueba::Traza traza{carpeta.archivo(QStringLiteral("traza.jsonl"))};
};

struct CasoCfg {
    const char* clave;
    const char* valor;
    const char* aux;
    const char* sentencia;   // the text sent to the connection
};

TEST_F(Configuracion, CfgLeeValorYAuxiliar)
{
    conectar();
    const CasoCfg casos[] = {
        {"CLAVE_X", "v1", "aux1", "SELECT VALOR, valoraux FROM TA_CONFIGURACION with(nolock)  WHERE CLAVE = 'CLAVE_X'"},
        // The key goes trimmed; the database compares it without regard to case.
        {"  clave_x ", "v1", "aux1", "SELECT VALOR, valoraux FROM TA_CONFIGURACION with(nolock)  WHERE CLAVE = 'clave_x'"},
        // A missing key reads one blank; its auxiliary value is emptied.
        {"NO_EXISTE", " ", "", "SELECT VALOR, valoraux FROM TA_CONFIGURACION with(nolock)  WHERE CLAVE = 'NO_EXISTE'"},
        {"theme", "1", "", "SELECT VALOR, valoraux FROM TA_CONFIGURACION with(nolock)  WHERE CLAVE = 'theme'"},
        {"NULOS", "", "", "SELECT VALOR, valoraux FROM TA_CONFIGURACION with(nolock)  WHERE CLAVE = 'NULOS'"},
        // A quote in the key stays inside its literal.
        {"O'Brien", "irlandes", "", "SELECT VALOR, valoraux FROM TA_CONFIGURACION with(nolock)  WHERE CLAVE = 'O''Brien'"},
        // The date range keys send the whole statement upper-cased.
        {"[fecha desde]", "01/01/2024", "", "SELECT VALOR, VALORAUX FROM TA_CONFIGURACION WITH(NOLOCK)  WHERE CLAVE = '[FECHA DESDE]'"},
    };
    for (const auto& c : casos) {
        traza.vaciar();
        QString aux = QStringLiteral("basura");
        EXPECT_EQ(datos::Cfg(QString::fromUtf8(c.clave), &aux), QString::fromUtf8(c.valor)) << c.clave;
        EXPECT_EQ(aux, QString::fromUtf8(c.aux)) << c.clave;
        EXPECT_EQ(traza.sentencias(), QStringList{QString::fromUtf8(c.sentencia)}) << c.clave;
    }
    EXPECT_EQ(datos::gTablaConfiguracion, QStringLiteral("TA_CONFIGURACION"));
    EXPECT_TRUE(op->llamadas.empty());

    // A THEME stored blank reads "1" too.
    prueba::ejecutarSqlite(empresa(), QStringLiteral("INSERT INTO TA_CONFIGURACION (Clave, Valor) VALUES ('THEME', '  ');"));
    EXPECT_EQ(datos::Cfg(QStringLiteral("THEME")), QStringLiteral("1"));
}

TEST_F(Configuracion, CfgAntesDeConectarNoTocaLaBase)
{
    QString aux = QStringLiteral("x");
    EXPECT_EQ(datos::Cfg(QStringLiteral("THEME"), &aux), QString());
    EXPECT_TRUE(traza.sentencias().isEmpty());
    EXPECT_TRUE(op->llamadas.empty());
}

TEST_F(Configuracion, CargaConfiguracion)
{
    conectar();
    app::CargaConfiguracion();
    EXPECT_EQ(datos::gTablaConfiguracion, QStringLiteral("ta_configuracion"));
    EXPECT_TRUE(datos::gConfidencialidad);                  // stored as "si"
    EXPECT_EQ(app::gTopDefault, QStringLiteral("1000"));    // stored blank
    EXPECT_TRUE(traza.sentencias().contains(
        QStringLiteral("SELECT VALOR, valoraux FROM ta_configuracion with(nolock)  WHERE CLAVE = 'Top_Default'")));

    prueba::ejecutarSqlite(empresa(), QStringLiteral("UPDATE TA_CONFIGURACION SET Valor = 'NO' WHERE Clave = 'SS_CONFIDENCIALIDAD';"
                                                     "UPDATE TA_CONFIGURACION SET Valor = '250' WHERE Clave = 'Top_Default';"));
    app::CargaConfiguracion();
    EXPECT_FALSE(datos::gConfidencialidad);
    EXPECT_EQ(app::gTopDefault, QStringLiteral("250"));

    // Missing keys: " " is blank too.
    prueba::ejecutarSqlite(empresa(), QStringLiteral("DELETE FROM TA_CONFIGURACION;"));
    datos::gConfidencialidad = true;
    app::CargaConfiguracion();
    EXPECT_FALSE(datos::gConfidencialidad);
    EXPECT_EQ(app::gTopDefault, QStringLiteral("1000"));
    EXPECT_TRUE(op->llamadas.empty());
}

TEST_F(Configuracion, ErroresDeLaLecturaVanAlInformador)
{
    // The log of the global reporter goes to the temporary folder: this test's.
    const QByteArray tmpAnterior = qgetenv("TMPDIR");
    qputenv("TMPDIR", carpeta.ruta().toUtf8());
    prueba::ejecutarSqlite(empresa(), QStringLiteral("DROP TABLE TA_CONFIGURACION;"));
    conectar();
    struct Caso {
        const char* nombre;
        std::deque<int> respuestas;   // AbrirRecordset's dialog first, then Cfg's
        const char* valor;
        size_t dialogosCfg;
    };
    const Caso casos[] = {
        // Ignore goes on with the next step: THEME falls back to "1".
        {"omitir", {3, 5}, "1", 1},
        // Abort closes and returns an empty text.
        {"anular", {3, 3}, "", 1},
        // Retry repeats the failed step.
        {"reintentar", {3, 4, 3}, "", 2},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nombre);
        op->llamadas.clear();
        op->respuestas = c.respuestas;
        EXPECT_EQ(datos::Cfg(QStringLiteral("THEME")), QString::fromUtf8(c.valor));
        size_t deCfg = 0;
        for (const auto& l : op->llamadas)
            if (l.titulo.contains(QLatin1String(" - Cfg "))) ++deCfg;
        EXPECT_EQ(deCfg, c.dialogosCfg);
        EXPECT_TRUE(op->respuestas.empty());
    }
    QFile log(carpeta.archivo(QStringLiteral("KXERR.LOG")));
    EXPECT_TRUE(log.exists());
    if (tmpAnterior.isEmpty()) qunsetenv("TMPDIR");
    else qputenv("TMPDIR", tmpAnterior);
}

TEST_F(Configuracion, GrabaCfgKXCreaYLuegoActualiza)
{
    conectarEstadisticas();
    const QString fila = QStringLiteral("SELECT ID || '|' || Clave || '|' || Valor || '|' || ifnull(ValorAux, '<nulo>') || '|' || Grupo || '|' "
                                        "|| PoliticaNegocio FROM TA_CONFIGURACION WHERE Clave = 'TIMEOUT'");
    struct Paso {
        const char* nombre;
        ado::Variant valor;
        const char* aux;
        bool politica;
        const char* grupo;
        bool recortar;
        const char* esperado;
    };
    const Paso pasos[] = {
        {"crea", ado::Variant(0), "", false, "BaseDeDatos", true, "1|TIMEOUT|0|<nulo>|BaseDeDatos|0"},
        {"actualiza y recorta", ado::Variant(QStringLiteral("  45 ")), " nota ", true, "BaseDeDatos", true, "1|TIMEOUT|45|nota|BaseDeDatos|1"},
        // An empty auxiliary value leaves the stored one alone.
        {"sin recortar", ado::Variant(QStringLiteral(" 46 ")), "", false, "Otro", false, "1|TIMEOUT| 46 |nota|Otro|0"},
    };
    for (const auto& p : pasos) {
        datos::GrabaCfgKX(QStringLiteral("TimeOut"), p.valor, QString::fromUtf8(p.aux), p.politica, QString::fromUtf8(p.grupo), p.recortar);
        EXPECT_EQ(kx(fila), QString::fromUtf8(p.esperado)) << p.nombre;
        EXPECT_EQ(kx(QStringLiteral("SELECT COUNT(*) FROM TA_CONFIGURACION")), QStringLiteral("1")) << p.nombre;
    }
    EXPECT_TRUE(traza.sentencias().contains(QStringLiteral("SELECT * FROM TA_CONFIGURACION with(nolock)  WHERE CLAVE = 'TimeOut'")));
    EXPECT_EQ(datos::CfgKX(QStringLiteral("timeout")), QStringLiteral(" 46 "));

    // A quote in the key: found again the second time, one row.
    datos::GrabaCfgKX(QStringLiteral("O'Brien"), ado::Variant(QStringLiteral("1")), QString(), false, QStringLiteral("G"), true);
    datos::GrabaCfgKX(QStringLiteral("O'Brien"), ado::Variant(QStringLiteral("2")), QString(), false, QStringLiteral("G"), true);
    EXPECT_EQ(kx(QStringLiteral("SELECT Clave || '|' || Valor || '|' || COUNT(*) FROM TA_CONFIGURACION WHERE Clave LIKE 'O%'")),
              QStringLiteral("O'BRIEN|2|1"));
    EXPECT_TRUE(op->llamadas.empty());
}

}  // namespace
