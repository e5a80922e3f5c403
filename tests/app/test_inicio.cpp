// The start-up: the suite's command line, the connections it opens on real
// embedded databases, the statistics time-out, the lookup definitions file and
// the program's own start (normal and --demo).
#include "Inicio_prueba.h"

#include "app/Arranque.h"
#include "app/BaseDemo.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>
#include <QWidget>

using datos::gDB;

namespace {

struct CasoParametro {
    const char* linea;
    const char* clave;
    const char* siFalta;
    const char* esperado;
};

TEST(LineaComandos, ValorDeCadaClave)
{
    const CasoParametro casos[] = {
        // Keys in any case, blanks around "=" and around the value.
        {"@SERVER = srv01 ; @dbname=  Base ;", "@Server", "", "srv01"},
        {"@SERVER = srv01 ; @dbname=  Base ;", "@DbName", "", "Base"},
        {"@Server=a;   @Usuario=pepe;", "@Usuario", "", "pepe"},
        // The last item without ";" is blank, "@Caja" too; "@Caja" absent is "1".
        {"@Server=a;@DbName=b", "@DbName", "", ""},
        {"@Server=a;@Caja=3", "@Caja", "1", ""},
        {"@Server=a;@Caja=3;", "@Caja", "1", "3"},
        {"@Server=a;", "@Caja", "1", "1"},
        {"", "@Server", "", ""},
        // First occurrence: "@Usuario" before "@UsuarioLogeado" works...
        {"@Usuario=u1;@UsuarioLogeado=otro;", "@Usuario", "", "u1"},
        {"@Usuario=u1;@UsuarioLogeado=otro;", "@UsuarioLogeado", "", "otro"},
        // ...after it, "@Usuario" matches the start of "@UsuarioLogeado".
        {"@UsuarioLogeado=otro;@Usuario=u1;", "@Usuario", "", "Logeado=otro"},
        // Only the separating "=" goes; a password keeps its own.
        {"@Password = ab=c=;", "@Password", "", "ab=c="},
        {"@Password=;", "@Password", "x", ""},
        // The Oracle marker stays in the value; the start-up handles it.
        {"@Server=#ORCL;", "@Server", "", "#ORCL"},
    };
    for (const auto& c : casos)
        EXPECT_EQ(app::ValorParametro(QString::fromUtf8(c.linea), QString::fromUtf8(c.clave), QString::fromUtf8(c.siFalta)),
                  QString::fromUtf8(c.esperado))
            << c.linea << " / " << c.clave;
}

TEST(LineaComandos, NormalizaServidor)
{
    const std::pair<const char*, const char*> casos[] = {
        {"tcp/servidor:1433", "servidor"},
        {"servidor\\VELMORA", "servidor\\VELMORA"},
        {"np/srv\\INST:1", "srv\\INST"},
        {"srv:1433", "srv"},
        {"a/b/c:1:2", "b/c"},
        {"SQLITE", "SQLITE"},
        {"", ""},
    };
    for (const auto& [entrada, salida] : casos)
        EXPECT_EQ(app::NormalizaServidor(QString::fromUtf8(entrada)), QString::fromUtf8(salida)) << entrada;
}

// Real embedded databases in the test's application folder.
class Inicio : public ::testing::Test {
protected:
    void SetUp() override
    {
        prueba::reiniciarInicio();
        prueba::ejecutarSqlite(empresa(), QString::fromUtf8(prueba::kEsquemaEmpresa));
    }
    void TearDown() override { prueba::reiniciarInicio(); }

    QString empresa() const { return carpeta.archivo(QStringLiteral("empresa.db")); }
    QString estadisticas() const { return carpeta.archivo(QStringLiteral("KX_ESTADISTICAS.db")); }
    void crearEstadisticas(const char* filas = "")
    {
        prueba::ejecutarSqlite(estadisticas(), QString::fromUtf8(prueba::kEsquemaEstadisticas) + QString::fromUtf8(filas));
    }
    void iniciar(const QString& linea, QString cadena = QString())
    {
        QString l = linea;
        long cursor = 3;
        app::InicializaSistema(l, cadena, cursor);
        cadenaFinal = cadena;
    }
    QString filasUso() const { return prueba::consultarSqlite(empresa(), QStringLiteral("SELECT COUNT(*) FROM Control_Acceso")); }

    prueba::CarpetaTemporal carpeta;
    prueba::OperadorDePrueba op;
    prueba::NombrePrograma programa;
    QString cadenaFinal;
};

const QString kLinea = QStringLiteral("@Server=SQLITE;@DbName=empresa;@Usuario=ANA;@Password=x;@Caja=7;");

TEST_F(Inicio, ConexionPrincipalYValoresDeSesion)
{
    crearEstadisticas("INSERT INTO TA_CONFIGURACION (Clave, Valor, Grupo) VALUES ('TimeOut', '120', 'BaseDeDatos');");
    // A protocol prefix and a port are dropped; a different @UsuarioLogeado is replaced.
    iniciar(QStringLiteral("@Server=tcp/SQLITE:1433;@DbName=empresa;@Usuario=ANA;@Password=x;@UsuarioLogeado=OTRO;@Caja=7;"));
    ASSERT_TRUE(gDB().gOpenFlag);
    EXPECT_EQ(gDB().gServidor, QStringLiteral("SQLITE"));
    EXPECT_EQ(gDB().gDBName, QStringLiteral("empresa"));
    EXPECT_EQ(app::gUsuarioLogeado, QStringLiteral("ANA"));
    EXPECT_EQ(app::gCaja, QStringLiteral("7"));
    EXPECT_EQ(app::gCarpetaAplicacion, carpeta.ruta());
    EXPECT_EQ(velmora::RutaAplicacion(), carpeta.ruta());

    EXPECT_EQ(app::gTimeOut, 120);
    EXPECT_EQ(gDB().gCnn().CommandTimeout(), 120);
    EXPECT_EQ(gDB().gCnn().IsolationLevel(), 256);
    EXPECT_EQ(gDB().gCnn().DefaultDatabase(), QStringLiteral("empresa"));

    // The statistics connection: the main server, its own fixed user and password.
    datos::DB_Dll& kx = datos::gDBEstadisticas();
    EXPECT_TRUE(kx.gOpenFlag);
    EXPECT_EQ(kx.gServidor, QStringLiteral("SQLITE"));
    EXPECT_EQ(kx.gDBName, QStringLiteral("KX_ESTADISTICAS"));
    EXPECT_EQ(kx.gUsuario, QStringLiteral("KX_ESTADISTICAS"));
    EXPECT_EQ(kx.gUserPassWord, QStringLiteral("QM_VARDESTOLINA"));
    EXPECT_EQ(kx.gProveedor, QStringLiteral("SQLOLEDB"));

    const consulta::Lib_ClsCons3& c = app::gConsulta();
    EXPECT_TRUE(c.gUsarMascarasConsultas);
    EXPECT_EQ(c.gRutaMascaraConsultas, carpeta.archivo(QStringLiteral("consultas.kxd")));
    EXPECT_EQ(c.gConnString, gDB().gConnString);
    EXPECT_EQ(datos::gTablaConfiguracion, QStringLiteral("ta_configuracion"));

    EXPECT_EQ(filasUso(), QStringLiteral("1"));
    EXPECT_TRUE(op->llamadas.empty());
}

struct CasoEstadisticas {
    const char* nombre;
    bool crearBase;
    const char* filas;
    int tiempo;
    const char* valorGuardado;   // Valor of the TIMEOUT row afterwards ("" = no row)
};

TEST_F(Inicio, TiempoDeEsperaDesdeEstadisticas)
{
    const CasoEstadisticas casos[] = {
        {"120", true, "INSERT INTO TA_CONFIGURACION (Clave, Valor, Grupo) VALUES ('TimeOut', '120', 'BaseDeDatos');", 120, "120"},
        {"sin clave", true, "", 360, "0"},
        {"no numerico", true, "INSERT INTO TA_CONFIGURACION (Clave, Valor, Grupo) VALUES ('TIMEOUT', 'mucho', 'BaseDeDatos');", 360, "0"},
        {"desborda", true, "INSERT INTO TA_CONFIGURACION (Clave, Valor, Grupo) VALUES ('TIMEOUT', '99999', 'BaseDeDatos');", 360, "99999"},
        {"sin base", false, "", 360, ""},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nombre);
        QFile::remove(estadisticas());
        prueba::reiniciarInicio();
        op->llamadas.clear();
        if (c.crearBase) crearEstadisticas(c.filas);
        iniciar(kLinea);
        ASSERT_TRUE(gDB().gOpenFlag);
        EXPECT_EQ(app::gTimeOut, c.tiempo);
        EXPECT_EQ(gDB().gCnn().CommandTimeout(), c.tiempo);
        // Nothing is shown, not even when the statistics database is missing.
        EXPECT_TRUE(op->llamadas.empty()) << op->mensajes().join(QLatin1Char('|')).toStdString();
        if (!c.crearBase) {
            EXPECT_FALSE(datos::gDBEstadisticas().gOpenFlag);
            EXPECT_FALSE(QFileInfo::exists(estadisticas()));
            continue;
        }
        EXPECT_EQ(prueba::consultarSqlite(estadisticas(), QStringLiteral("SELECT COUNT(*) FROM TA_CONFIGURACION")), QStringLiteral("1"));
        EXPECT_EQ(prueba::consultarSqlite(estadisticas(), QStringLiteral("SELECT Valor FROM TA_CONFIGURACION WHERE Clave = 'TIMEOUT'")),
                  QString::fromUtf8(c.valorGuardado));
    }
}

TEST_F(Inicio, ClaveTimeOutSeEscribeUnaSolaVez)
{
    crearEstadisticas();
    for (int i = 0; i < 2; ++i) {
        prueba::reiniciarInicio();
        iniciar(kLinea);
        EXPECT_EQ(app::gTimeOut, 360);
    }
    const QString fila = prueba::consultarSqlite(
        estadisticas(), QStringLiteral("SELECT Clave || '|' || Valor || '|' || Grupo || '|' || PoliticaNegocio || '|' || COUNT(*) FROM TA_CONFIGURACION"));
    // Stored as the suite's Windows programs write it: key upper-cased, case kept in the comparison.
    EXPECT_EQ(prueba::consultarSqlite(estadisticas(), QStringLiteral("SELECT Clave FROM TA_CONFIGURACION WHERE Clave = 'TIMEOUT' COLLATE BINARY")),
              QStringLiteral("TIMEOUT"));
    EXPECT_EQ(fila, QStringLiteral("TIMEOUT|0|BaseDeDatos|0|1"));
}

TEST_F(Inicio, ArchivoDeConsultasSoloCuandoFalta)
{
    const QString ruta = carpeta.archivo(QStringLiteral("consultas.kxd"));
    iniciar(kLinea);
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray b = f.readAll();
    f.close();
    EXPECT_EQ(b.size(), 11 * 1202);
    EXPECT_TRUE(b.startsWith("ARTICULOS "));

    // An existing file is the site's own: left as it is.
    const QByteArray propio = QByteArray("PROPIA").leftJustified(1200, ' ') + "\r\n";
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(propio);
    f.close();
    prueba::reiniciarInicio();
    iniciar(kLinea);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), propio);
}

TEST_F(Inicio, SinServidorOUsuarioSePideLaConexion)
{
    struct Caso {
        const char* linea;
        bool acepta;
    };
    const Caso casos[] = {
        // The user is the last item without ";": blank, so the dialog comes up.
        {"@Server=SQLITE;@DbName=empresa;@Usuario=ANA", false},
        {"@DbName=empresa;@Usuario=ANA;", false},
        {"@DbName=empresa;@Usuario=ANA;", true},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.linea);
        prueba::reiniciarInicio();
        std::vector<datos::PedidoConexion> pedidos;
        datos::DB_Dll::fijarDialogoAcceso([&](datos::PedidoConexion& p) {
            pedidos.push_back(p);
            if (!c.acepta) return false;
            p.servidor = QStringLiteral("SQLITE");
            p.usuario = QStringLiteral("ANA");
            return true;
        });
        const QString antes = filasUso();
        iniciar(QString::fromUtf8(c.linea));
        ASSERT_EQ(pedidos.size(), 1u);
        EXPECT_EQ(pedidos[0].base, QStringLiteral("empresa"));
        EXPECT_EQ(gDB().gOpenFlag, c.acepta);
        // Cancelled: nothing else of the start-up runs.
        EXPECT_EQ(filasUso().toInt(), antes.toInt() + (c.acepta ? 1 : 0));
        EXPECT_TRUE(op->llamadas.empty());
    }
}

TEST_F(Inicio, MarcaOracle)
{
    // No connection string of the caller: the Oracle one is built from the parameters.
    op->respuestas = {velmora::respuesta::No};
    iniciar(QStringLiteral("@Server=#ORCL;@DbName=SERVICIO;@Usuario=u1;@Password=p1;"));
    EXPECT_EQ(cadenaFinal, QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=SERVICIO;User Id=u1;Password=p1;"));
    EXPECT_EQ(gDB().gServidor, QStringLiteral("ORCL"));
    EXPECT_EQ(gDB().gConnString, cadenaFinal);
    EXPECT_FALSE(gDB().gOpenFlag);

    // The caller's connection string is kept (and used).
    prueba::reiniciarInicio();
    op->llamadas.clear();
    const QString propia = QStringLiteral("PROVIDER=SQLOLEDB;Server=SQLITE;Database =empresa;UId=ANA;Pwd=x;");
    iniciar(QStringLiteral("@Server=#ORCL;@DbName=empresa;@Usuario=ANA;@Password=x;"), propia);
    EXPECT_EQ(cadenaFinal, propia);
    EXPECT_EQ(gDB().gServidor, QStringLiteral("ORCL"));
    EXPECT_TRUE(gDB().gOpenFlag);
    EXPECT_EQ(gDB().gConnString, propia);
}

// The program's own start, as main() runs it.
class Arranque : public ::testing::Test {
protected:
    void SetUp() override { prueba::reiniciarInicio(); }
    void TearDown() override { prueba::reiniciarInicio(); }
    QString demo() const { return carpeta.archivo(QStringLiteral("PERMUTAL_DEMO.db")); }

    prueba::CarpetaTemporal carpeta;
    prueba::OperadorDePrueba op;
    prueba::NombrePrograma programa;
};

// The main window opens once the session is ready; the event loop ends as soon
// as it runs, after checking that the window is there.
void cerrarVentanaAlMostrarse()
{
    QTimer::singleShot(0, qApp, [] {
        bool visible = false;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->windowTitle() == QStringLiteral("Cambia Proveedor de una Orden de Compra")) visible = true;
        EXPECT_TRUE(visible);
        QCoreApplication::quit();
    });
}

TEST_F(Arranque, DemoCreaLasBasesYArranca)
{
    ASSERT_EQ(app::rutaBaseDemo(), demo());
    for (int vez = 1; vez <= 2; ++vez) {
        prueba::reiniciarInicio();
        cerrarVentanaAlMostrarse();
        EXPECT_EQ(app::arrancar({QStringLiteral("--demo")}), 0);
        EXPECT_TRUE(gDB().gOpenFlag);
        EXPECT_EQ(app::gUsuarioLogeado, QStringLiteral("ADMIN"));
        // The databases are made once; each start adds its usage-log row.
        EXPECT_EQ(prueba::consultarSqlite(demo(), QStringLiteral("SELECT COUNT(*) FROM Control_Acceso")), QString::number(vez));
    }
    EXPECT_EQ(prueba::consultarSqlite(demo(), QStringLiteral("SELECT Usuario || '|' || Formulario || '|' || Tarea FROM Control_Acceso")),
              QStringLiteral("ADMIN|PERMUTAL|CAMBIO DE PROVEEDOR DE OC"));
    EXPECT_EQ(prueba::consultarSqlite(carpeta.archivo(QStringLiteral("KX_ESTADISTICAS.db")),
                                      QStringLiteral("SELECT Valor FROM TA_CONFIGURACION WHERE Clave = 'TIMEOUT'")),
              QStringLiteral("0"));
    EXPECT_TRUE(QFileInfo::exists(carpeta.archivo(QStringLiteral("consultas.kxd"))));
    EXPECT_TRUE(op->llamadas.empty());
}

TEST_F(Arranque, LineaDeComandosCompleta)
{
    QString error;
    ASSERT_TRUE(app::crearBaseDemo(demo(), &error)) << error.toStdString();
    // A shell splits the text at its blanks; the pieces are joined again.
    cerrarVentanaAlMostrarse();
    EXPECT_EQ(app::arrancar({QStringLiteral("@Server=SQLITE;"), QStringLiteral("@DbName=PERMUTAL_DEMO;"), QStringLiteral("@Usuario=JPEREZ;"),
                             QStringLiteral("@Password=x;"), QStringLiteral("@Caja=4;")}),
              0);
    EXPECT_EQ(app::gCaja, QStringLiteral("4"));
    EXPECT_EQ(app::gTimeOut, 360);   // no statistics database here
    EXPECT_EQ(prueba::consultarSqlite(demo(), QStringLiteral("SELECT Usuario || '|' || Tarea FROM Control_Acceso")),
              QStringLiteral("JPEREZ|CAMBIO DE PROVEEDOR DE OC"));
    EXPECT_TRUE(op->llamadas.empty());
}

TEST_F(Arranque, SinConexionTerminaConCodigo1)
{
    // The database is not there: the connection asks whether to retry, the
    // operator says no, and the program ends without a word of its own.
    op->respuestas = {velmora::respuesta::No};
    EXPECT_EQ(app::arrancar({QStringLiteral("@Server=SQLITE;@DbName=NO_EXISTE;@Usuario=ANA;@Password=x;")}), 1);
    EXPECT_FALSE(gDB().gOpenFlag);
    ASSERT_EQ(op->llamadas.size(), 1u);
    EXPECT_EQ(op->llamadas[0].titulo, QStringLiteral(" Error de Conexion a Base de Datos"));
    EXPECT_FALSE(QFileInfo::exists(carpeta.archivo(QStringLiteral("NO_EXISTE.db"))));
    EXPECT_FALSE(QFileInfo::exists(carpeta.archivo(QStringLiteral("consultas.kxd"))));
}

}  // namespace
