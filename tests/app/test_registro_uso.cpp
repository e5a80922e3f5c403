// The usage log: the menu entry found through the user's rights, and the one
// Control_Acceso row written per start.
#include "Inicio_prueba.h"

#include "data/Guiones.h"

#include <QDateTime>
#include <QRegularExpression>

using datos::gDB;

namespace {

class RegistroUso : public ::testing::Test {
protected:
    void SetUp() override
    {
        prueba::reiniciarInicio();
        prueba::ejecutarSqlite(empresa(), QString::fromUtf8(prueba::kEsquemaEmpresa));
    }
    void TearDown() override { prueba::reiniciarInicio(); }
    QString empresa() const { return carpeta.archivo(QStringLiteral("empresa.db")); }
    void conectarComo(const QString& usuario)
    {
        prueba::reiniciarInicio();
        gDB().gServidor = QStringLiteral("SQLITE");
        gDB().gDBName = QStringLiteral("empresa");
        gDB().gUsuario = usuario;
        gDB().OpenServerADODB(false, 3, QString(), false, true);
        ASSERT_TRUE(gDB().gOpenFlag);
    }
    QString ultimaFila() const
    {
        return prueba::consultarSqlite(empresa(), QStringLiteral("SELECT Maquina || '|' || Usuario || '|' || Formulario || '|' || Tarea || '|' "
                                                                 "|| NombreUsuario FROM Control_Acceso ORDER BY ID DESC LIMIT 1"));
    }
    int filas() const { return prueba::consultarSqlite(empresa(), QStringLiteral("SELECT COUNT(*) FROM Control_Acceso")).toInt(); }
    static QString ahora() { return QDateTime::currentDateTime().toString(datos::FormatoFecha() + QLatin1Char(' ') + datos::FormatoHora()); }

    prueba::CarpetaTemporal carpeta;
    prueba::OperadorDePrueba op;
    prueba::NombrePrograma programa;
    prueba::Traza traza{carpeta.archivo(QStringLiteral("traza.jsonl"))};
};

struct CasoUso {
    const char* usuario;
    const char* tarea;       // the parameter
    const char* fila;        // Usuario|Formulario|Tarea|NombreUsuario
};

TEST_F(RegistroUso, UnaFilaPorIngreso)
{
    const QString maquina = velmora::NombreEquipo().trimmed().toUpper();
    const CasoUso casos[] = {
        // The rights are stored as 'ana': the server's comparison ignores case and the trailing blank.
        {"Ana", "", "ANA|PERMUTAL|CAMBIO DE PROVEEDOR DE OC|Ana"},
        // A right on another program only: logged, without a menu entry.
        {"beto", "", "BETO|PERMUTAL||beto"},
        {"beto", "Tablas", "BETO|TABLAS|TABLAS|beto"},
        // Without rights, the supervisor and a user named like the database get the program's name.
        {"Supervisor Quenlor MC", "", "SUPERVISOR QUENLOR MC|PERMUTAL|PERMUTAL|Supervisor Quenlor MC"},
        {"EMPRESA", "", "EMPRESA|PERMUTAL|PERMUTAL|EMPRESA"},
        {"carla", "", "CARLA|PERMUTAL||carla"},
        // A quote in the name stays inside the literal of the rights query.
        {"o'hara", "", "OHARA|PERMUTAL||ohara"},
    };
    int antes = filas();
    for (const auto& c : casos) {
        SCOPED_TRACE(c.usuario);
        conectarComo(QString::fromUtf8(c.usuario));
        traza.vaciar();
        QString tarea = QString::fromUtf8(c.tarea);
        app::RegistraIngreso(tarea);
        EXPECT_EQ(app::gUsuarioLogeado, QString::fromUtf8(c.usuario));
        EXPECT_EQ(filas(), antes + 1);
        antes = filas();
        EXPECT_EQ(ultimaFila(), maquina + QLatin1Char('|') + QString::fromUtf8(c.fila));
        EXPECT_TRUE(op->llamadas.empty()) << op->mensajes().join(QLatin1Char('|')).toStdString();
    }
}

TEST_F(RegistroUso, SentenciaDeDerechos)
{
    conectarComo(QStringLiteral("ANA"));
    QString tarea;
    app::RegistraIngreso(tarea);
    EXPECT_EQ(tarea, QStringLiteral("Permutal"));
    const QStringList s = traza.sentencias();
    ASSERT_FALSE(s.isEmpty());
    EXPECT_EQ(s.first(), QStringLiteral("SELECT TA_TAREAS.USUARIO, TA_MENU.Proceso, TA_MENU.Clave , TA_MENU.Nombre  FROM TA_TAREAS  with(nolock) "
                                        "INNER JOIN TA_MENU ON TA_TAREAS.TAREA = TA_MENU.Clave  WHERE (TA_TAREAS.USUARIO = 'ANA ') AND "
                                        "(TA_MENU.Proceso LIKE '%Permutal%')"));
    // The row goes in through the transactional batch.
    bool insercion = false;
    for (const QString& t : s)
        insercion = insercion || (t.startsWith(QLatin1String("BEGIN TRANSACTION")) && t.contains(QLatin1String("INSERT INTO Control_Acceso")));
    EXPECT_TRUE(insercion);
}

TEST_F(RegistroUso, DosIngresosEnElMismoMinuto)
{
    // Repeated only when the clock turns a minute between the two starts.
    for (int intento = 0; intento < 3; ++intento) {
        prueba::ejecutarSqlite(empresa(), QStringLiteral("DELETE FROM Control_Acceso;"));
        const QString desde = ahora();
        for (int i = 0; i < 2; ++i) {
            prueba::reiniciarInicio();
            QString linea = QStringLiteral("@Server=SQLITE;@DbName=empresa;@Usuario=ANA;@Password=x;");
            QString cadena;
            long cursor = 3;
            app::InicializaSistema(linea, cadena, cursor);
        }
        if (ahora() != desde) continue;
        EXPECT_EQ(filas(), 2);
        const QString ingresos = prueba::consultarSqlite(empresa(), QStringLiteral("SELECT group_concat(Ingreso, ',') FROM Control_Acceso"));
        EXPECT_EQ(ingresos, desde + QLatin1Char(',') + desde);
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d\\D\\d\\d\\D\\d\\d \\d\\d:\\d\\d$")).match(desde).hasMatch());
        EXPECT_TRUE(op->llamadas.empty());
        return;
    }
    FAIL() << "el reloj cambió de minuto en cada intento";
}

}  // namespace
