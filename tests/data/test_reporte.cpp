// The error reporters, their log file, and the AUX_ERR record.
#include "soporte/Sesion_prueba.h"

#include "companion/Cp1252.h"
#include "companion/Velmora2.h"
#include "data/ReportaError.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

using datos::gDB;

namespace {

class Reporte : public ::testing::Test {
protected:
    void SetUp() override { prueba::reiniciarSesion(); }
    void TearDown() override { prueba::reiniciarSesion(); }
    static QByteArray leer(const QString& ruta)
    {
        QFile f(ruta);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    prueba::CarpetaTemporal carpeta;
    prueba::OperadorDePrueba op;
};

struct CasoReporte {
    const char* rutina;
    int botones;            // -1: the default
    int respuesta;
    const char* titulo;
    const char* piezaLog;   // what stands between " Rutina: " and " Mensaje "
    const char* nombreRespuesta;
};

TEST_F(Reporte, TituloMensajeYLineaDelLog)
{
    const CasoReporte casos[] = {
        {"AbrirRecordset", -1, 4, "ADODB.Connection - AbrirRecordset Aviso al operador!!! - 5 ", "- AbrirRecordset", "Reintentar"},
        {"", -1, 5, "ADODB.Connection Aviso al operador!!! - 5 ", "", "Ignorar"},
        {"X", -1, 3, "ADODB.Connection - X Aviso al operador!!! - 5 ", "- X", "Abortar"},
        {"Y", 4 + 32, 7, "ADODB.Connection - Y Aviso al operador!!! - 5 ", "- Y", "No"},
        {"Y", 4 + 32, 6, "ADODB.Connection - Y Aviso al operador!!! - 5 ", "- Y", "Sí"},
        {"Z", 1, 1, "ADODB.Connection - Z Aviso al operador!!! - 5 ", "- Z", ""},
    };
    const QString log = carpeta.archivo("KXERR.LOG");
    int n = 0;
    for (const auto& c : casos) {
        op->respuestas = {c.respuesta};
        const ado::Fallo f(3709, QStringLiteral("  La conexión está cerrada.  "), QStringLiteral("ADODB.Connection"));
        const int r = c.botones < 0 ? gDB().TratamientoErrores(f, std::nullopt, QString::fromUtf8(c.rutina))
                                    : gDB().TratamientoErrores(f, c.botones, QString::fromUtf8(c.rutina));
        EXPECT_EQ(r, c.respuesta);
        const auto& l = op->llamadas.back();
        EXPECT_EQ(l.texto, QStringLiteral("Ha ocurrido el Siguiente Error (3709) La conexión está cerrada."));
        EXPECT_EQ(l.titulo, QString::fromUtf8(c.titulo));
        EXPECT_EQ(l.botones, c.botones < 0 ? 18 : c.botones);
        ++n;
        // Appended, Windows-1252, CR LF.
        const QByteArray contenido = leer(log);
        const QList<QByteArray> lineas = contenido.split('\n');
        ASSERT_EQ(lineas.size(), n + 1);   // the last piece after the final LF is empty
        EXPECT_TRUE(contenido.endsWith("\r\n"));
        const QString linea = velmora::desdeCp1252(lineas[n - 1].chopped(1));
        const QRegularExpression forma(QStringLiteral("^\\d\\d-\\d\\d-\\d{4} \\d\\d:\\d\\d:\\d\\d Rutina: ")
                                       + QRegularExpression::escape(QString::fromUtf8(c.piezaLog))
                                       + QStringLiteral(" Mensaje Ha ocurrido el Siguiente Error \\(3709\\) La conexión está cerrada\\. Respondió : ")
                                       + QRegularExpression::escape(QString::fromUtf8(c.nombreRespuesta)) + QStringLiteral("$"));
        EXPECT_TRUE(forma.match(linea).hasMatch()) << linea.toStdString();
    }
    EXPECT_TRUE(leer(log).contains("Respondi\xf3 : "));   // single-byte code page
}

TEST_F(Reporte, ErrorCeroNoMuestraNiEscribe)
{
    EXPECT_EQ(gDB().TratamientoErrores(ado::Fallo(0, QStringLiteral("nada"))), 0);
    EXPECT_EQ(datos::ReportaError(ado::Fallo(0, QStringLiteral("nada"))), 0);
    EXPECT_TRUE(op->llamadas.empty());
    EXPECT_FALSE(QFile::exists(carpeta.archivo("KXERR.LOG")));
}

TEST_F(Reporte, ArchivoDeErroresPropioYLogGlobal)
{
    QTemporaryDir otro, temporal;
    const QString propio = otro.path() + QStringLiteral("/errores.txt");
    gDB().setArchivoErrores(ado::Variant(propio));
    EXPECT_EQ(gDB().ArchivoErrores().toText(), propio);
    gDB().TratamientoErrores(ado::Fallo(5, QStringLiteral("a"), QStringLiteral("S")));
    EXPECT_TRUE(QFile::exists(propio));
    EXPECT_FALSE(QFile::exists(carpeta.archivo("KXERR.LOG")));

    // The global reporter ignores ArchivoErrores: temp set, tmp names its folder.
    const QByteArray temp0 = qgetenv("temp"), tmp0 = qgetenv("tmp"), tmpdir0 = qgetenv("TMPDIR");
    qputenv("temp", "si");
    qputenv("tmp", temporal.path().toUtf8());
    op->respuestas = {5};
    EXPECT_EQ(datos::ReportaError(ado::Fallo(13, QStringLiteral("b"), QStringLiteral("S")), std::nullopt, QStringLiteral("Cfg")), 5);
    EXPECT_EQ(op->llamadas.back().titulo, QStringLiteral("S - Cfg Aviso al operador!!! - 2 "));
    const QByteArray linea = leer(temporal.path() + QStringLiteral("/KXERR.LOG"));
    EXPECT_TRUE(linea.contains(" Rutina: - Cfg Mensaje Ha ocurrido el Siguiente Error (13) b Respondi\xf3 : Ignorar\r\n")) << linea.toStdString();

    // temp set and tmp missing: the companion's temporary folder.
    QTemporaryDir sistema;
    qunsetenv("tmp");
    qunsetenv("TMP");
    qputenv("TMPDIR", sistema.path().toUtf8());
    EXPECT_EQ(datos::carpetaLogGlobal(), velmora::CompletaRuta(velmora::CarpetaTemporal()));
    datos::ReportaError(ado::Fallo(13, QStringLiteral("c"), QStringLiteral("S")));
    EXPECT_TRUE(QFile::exists(velmora::CompletaRuta(velmora::CarpetaTemporal()) + QStringLiteral("KXERR.LOG")));
    qputenv("temp", temp0);
    qputenv("tmp", tmp0);
    qputenv("TMPDIR", tmpdir0);
    if (temp0.isEmpty()) qunsetenv("temp");
    if (tmp0.isEmpty()) qunsetenv("tmp");
    if (tmpdir0.isEmpty()) qunsetenv("TMPDIR");
}

TEST_F(Reporte, GrabaErrorAuxGuardaLaSentenciaTalCual)
{
    const QString base = carpeta.archivo("aux.db");
    prueba::ejecutarSqlite(base, "CREATE TABLE AUX_ERR (ID INTEGER PRIMARY KEY, Proceso VARCHAR(50) COLLATE NOCASE, Fecha VARCHAR(20) COLLATE NOCASE,"
                                 " Error INT, Descripcion VARCHAR(250) COLLATE NOCASE, SQL TEXT COLLATE NOCASE, PC VARCHAR(50) COLLATE NOCASE,"
                                 " Usuario VARCHAR(50) COLLATE NOCASE);");
    prueba::conectarSesion(QStringLiteral("aux"));
    const QString sentencia = QStringLiteral("UPDATE C_MV_CPTE SET NOMBRE='O''Brien' WHERE ID=1; DROP TABLE X --");
    QString proceso;
    datos::GrabaErrorAux(sentencia, proceso, 2627, QString(300, QLatin1Char('d')));
    EXPECT_EQ(proceso, velmora::NombreEjecutable());
    EXPECT_EQ(prueba::consultarSqlite(base, "SELECT COUNT(*) FROM AUX_ERR"), QStringLiteral("1"));
    EXPECT_EQ(prueba::consultarSqlite(base, "SELECT SQL FROM AUX_ERR"), sentencia);
    EXPECT_EQ(prueba::consultarSqlite(base, "SELECT Error FROM AUX_ERR"), QStringLiteral("2627"));
    EXPECT_EQ(prueba::consultarSqlite(base, "SELECT length(Descripcion) FROM AUX_ERR"), QStringLiteral("250"));
    EXPECT_EQ(prueba::consultarSqlite(base, "SELECT Usuario FROM AUX_ERR"), QStringLiteral("OPERADOR"));
    EXPECT_EQ(prueba::consultarSqlite(base, "SELECT Proceso FROM AUX_ERR"), velmora::NombreEjecutable());
    const QString fecha = prueba::consultarSqlite(base, "SELECT Fecha FROM AUX_ERR");
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d/\\d\\d/\\d\\d \\d\\d:\\d\\d$")).match(fecha).hasMatch()) << fecha.toStdString();
    EXPECT_TRUE(op->llamadas.empty());
}

TEST_F(Reporte, SinTablaAuxErrNoHayFilaNiAviso)
{
    prueba::ejecutarSqlite(carpeta.archivo("vacia.db"), "CREATE TABLE A (X INT);");
    prueba::conectarSesion(QStringLiteral("vacia"));
    QString proceso = QStringLiteral("OTRO");
    datos::GrabaErrorAux(QStringLiteral("SELECT 1"), proceso, 1, QStringLiteral("x"));
    EXPECT_EQ(proceso, QStringLiteral("OTRO"));
    EXPECT_TRUE(op->llamadas.empty());
}

}  // namespace
