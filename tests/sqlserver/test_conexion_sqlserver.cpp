// Connecting to SQL Server through FreeTDS: what the driver receives (the
// workstation's freetds.conf respected), the login-failure box built from the
// driver's own diagnostic, and the lost link seen in the driver's words.
#include "SqlServer_prueba.h"

#include "ado/OdbcTexto.h"
#include "ado/ProveedorOdbc.h"
#include "companion/Velmora2.h"

#include <QFile>
#include <QTemporaryDir>

using datos::gDB;
using namespace prueba;

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

// FREETDSCONF pointing at a file of the test while the object lives.
class ConfFreeTds {
public:
    explicit ConfFreeTds(const QString& contenido)
    {
        QFile f(dir_.filePath(QStringLiteral("freetds.conf")));
        f.open(QIODevice::WriteOnly);
        f.write(contenido.toUtf8());
        f.close();
        habia_ = qEnvironmentVariableIsSet("FREETDSCONF");
        anterior_ = qgetenv("FREETDSCONF");
        qputenv("FREETDSCONF", f.fileName().toUtf8());
    }
    ~ConfFreeTds()
    {
        if (habia_) qputenv("FREETDSCONF", anterior_);
        else qunsetenv("FREETDSCONF");
    }

private:
    QTemporaryDir dir_;
    QByteArray anterior_;
    bool habia_ = false;
};

class ConexionSqlServer : public ::testing::Test {
protected:
    ConexionSqlServer() : s(QStringLiteral("CREATE TABLE TA_USUARIOS(ID INTEGER PRIMARY KEY, nombre varchar(30), Administrador int);"
                                           "INSERT INTO TA_USUARIOS(nombre, Administrador) VALUES ('permutal', 1);"))
    {
    }
    void SetUp() override { ASSERT_TRUE(s.servidor.enMarcha()) << s.servidor.fallo().toStdString(); }
    SesionTds s;
};

TEST_F(ConexionSqlServer, ElTextoRespetaFreetdsConf)
{
    ConfFreeTds conf(QStringLiteral("[global]\n\ttds version = auto\n[VENTAS]\n\thost = 127.0.0.1\n\tport = %1\n\ttds version = 7.4\n")
                         .arg(s.servidor.puerto()));
    struct Caso {
        const char* servidor;
        const char* odbc;   // what follows Driver={FreeTDS};
    };
    const Caso casos[] = {
        // Named by freetds.conf: the driver reads the entry, its port and version stand.
        {"VENTAS", "Servername=VENTAS;Database=PRUEBAS;UID=u;PWD=p;"},
        {"ventas", "Servername=ventas;Database=PRUEBAS;UID=u;PWD=p;"},
        // A port in the connection wins; the version stays the entry's.
        {"VENTAS,1500", "Servername=VENTAS;Port=1500;Database=PRUEBAS;UID=u;PWD=p;"},
        // Unknown to freetds.conf: the port and version SQL Server needs.
        {"otro", "Server=otro;Port=1433;Database=PRUEBAS;UID=u;PWD=p;TDS_Version=7.4;"},
        {"otro:1600", "Server=otro;Port=1600;Database=PRUEBAS;UID=u;PWD=p;TDS_Version=7.4;"},
        {"otro\\VELMORA", "Server=otro\\VELMORA;Database=PRUEBAS;UID=u;PWD=p;TDS_Version=7.4;"},
    };
    for (const Caso& k : casos) {
        SCOPED_TRACE(k.servidor);
        const QString texto = QStringLiteral("PROVIDER=SQLOLEDB;Server=%1;Database =PRUEBAS;UId=u;Pwd=p;").arg(QString::fromUtf8(k.servidor));
        EXPECT_EQ(ado::textoOdbc(texto, ado::Destino::SqlServer), QStringLiteral("Driver={FreeTDS};") + QString::fromUtf8(k.odbc));
    }
    // And the driver gets there through the entry alone.
    datos::DB_Dll& db = gDB();
    db.gServidor = QStringLiteral("VENTAS");
    db.gDBName = s.servidor.base();
    db.gUsuario = s.servidor.usuario();
    db.gUserPassWord = s.servidor.clave();
    db.OpenServerADODB(false, 3, QString(), true, true);
    ASSERT_TRUE(db.gOpenFlag) << s.op->mensajes().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(db.gEsAdmin);
    EXPECT_EQ(db.gCnn().Execute(QStringLiteral("SELECT DB_NAME()"))->Fields(0L).Value().toText(), s.servidor.base());
}

TEST_F(ConexionSqlServer, LaCajaDeErrorDeConexionConElDiagnosticoDelControlador)
{
    struct Caso {
        const char* que;
        std::function<void(datos::DB_Dll&)> preparar;
        const char* estado;     // SQLState of the first entry
        int32_t nativo;         // its native number
        const char* contiene;   // in its description
    };
    const Caso casos[] = {
        {"clave errónea", [](datos::DB_Dll& db) { db.gUserPassWord = QStringLiteral("otra"); }, "42000", 18456, "Login failed for user 'permutal'"},
        {"servidor detenido", [&](datos::DB_Dll&) { EXPECT_TRUE(s.servidor.rechazar()); }, "08S01", 20009, "Unable to connect"},
    };
    for (const Caso& k : casos) {
        SCOPED_TRACE(k.que);
        reiniciarBase(gDB());
        datos::DB_Dll& db = gDB();
        db.gServidor = s.servidorTexto();
        db.gDBName = s.servidor.base();
        db.gUsuario = s.servidor.usuario();
        db.gUserPassWord = s.servidor.clave();
        k.preparar(db);
        s.op->llamadas.clear();
        s.op->respuestas = {velmora::respuesta::No};
        db.OpenServerADODB(false, 3, QString(), true, true);
        EXPECT_FALSE(db.gOpenFlag);
        ASSERT_GE(db.gCnn().errors().Count(), 1);
        const ado::Error& e = db.gCnn().errors().Item(0);
        EXPECT_EQ(e.SQLState, QString::fromLatin1(k.estado));
        EXPECT_EQ(e.NativeError, k.nativo);
        EXPECT_TRUE(e.Description.contains(QLatin1String(k.contiene))) << e.Description.toStdString();
        EXPECT_EQ(e.Number, ado::odbc::numeroDeEstado(e.SQLState));
        ASSERT_EQ(s.op->llamadas.size(), 1u);
        const auto& caja = s.op->llamadas[0];
        EXPECT_EQ(caja.titulo, QStringLiteral(" Error de Conexion a Base de Datos"));
        EXPECT_EQ(caja.botones, velmora::botones::SiNo + velmora::botones::Critico);
        const QString CR = QStringLiteral("\r"), CRLF = QStringLiteral("\r\n");
        EXPECT_TRUE(caja.texto.startsWith(QStringLiteral(" Estado de Sql: ") + e.SQLState + CR + QStringLiteral("Numero de Error: ")
                                          + QString::number(e.Number) + CR + QStringLiteral("Descripcion: ") + e.Description + CR
                                          + QStringLiteral("Codigo Nativo: ") + QString::number(e.NativeError) + CR + CRLF
                                          + QStringLiteral("Nombre de Proceso: ")))
            << caja.texto.toStdString();
        EXPECT_TRUE(caja.texto.contains(s.servidorTexto() + QStringLiteral("\\VELMORA")));
        EXPECT_TRUE(s.servidor.aceptar());
    }
}

TEST_F(ConexionSqlServer, UnEnlaceCaidoSeNombraComoTal)
{
    ASSERT_TRUE(s.conectar());
    ado::Connection& cnn = gDB().gCnn();
    ASSERT_TRUE(s.servidor.cortar());
    // FreeTDS's first word after the drop is "Unknown error": the provider gives the link's own.
    try {
        cnn.Execute(QStringLiteral("SELECT 1"));
        ADD_FAILURE() << "el enlace seguía";
    } catch (const ado::Fallo& f) {
        ASSERT_FALSE(cnn.errors().empty());
        for (const ado::Error& e : cnn.errors().lista()) EXPECT_FALSE(e.Description.contains(QLatin1String("Unknown error")));
        EXPECT_EQ(cnn.errors().Item(0).SQLState, QStringLiteral("08S01"));
        EXPECT_EQ(f.Number(), ado::num::FalloNoEspecificado);
        EXPECT_TRUE(gDB().conexionPerdida(f));
    }
    // A reading check meets it, reconnects without asking (the server is there) and answers.
    s.op->llamadas.clear();
    ASSERT_TRUE(s.servidor.cortar());
    EXPECT_TRUE(gDB().ExisteEnTabla(QStringLiteral("TA_USUARIOS"), QStringLiteral("permutal"), QStringLiteral("nombre")));
    EXPECT_TRUE(s.op->llamadas.empty()) << s.op->mensajes().join(QLatin1Char('\n')).toStdString();

    // Refused until the operator is asked; No ends the program, nothing else is shown.
    ASSERT_TRUE(s.servidor.cortar());
    ASSERT_TRUE(s.servidor.rechazar());
    s.op->respuestas = {velmora::respuesta::No};
    bool terminado = false;
    try {
        QString sql = QStringLiteral("UPDATE TA_USUARIOS SET Administrador = 0");
        long n = 0;
        gDB().EjecutaConsultaSQL(sql, n);
    } catch (const ProgramaTerminado& t) {
        terminado = true;
        EXPECT_EQ(t.codigo, 0);
    }
    EXPECT_TRUE(terminado);
    ASSERT_EQ(s.op->llamadas.size(), 1u) << s.op->mensajes().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(s.op->llamadas[0].texto, textoPerdida(s.servidor.base(), s.servidorTexto()));
    EXPECT_TRUE(s.servidor.aceptar());
    EXPECT_EQ(consultarSqlite(s.servidor.archivo(), QStringLiteral("SELECT Administrador FROM TA_USUARIOS")), QStringLiteral("1"));
}

TEST_F(ConexionSqlServer, UnaTransaccionPerdidaNoSigueSinElla)
{
    ASSERT_TRUE(s.conectar());
    long n = 0;
    QString comienzo = QStringLiteral("BEGIN TRANSACTION\r\nUPDATE TA_USUARIOS SET Administrador = 0\r\n");
    gDB().EjecutaConsultaSQL(comienzo, n);
    ASSERT_TRUE(gDB().gCnn().errors().empty());
    // The link drops before the commit: the server undid the transaction, the
    // commit is not sent again on the new link, and the caller sees the failure.
    ASSERT_TRUE(s.servidor.cortar());
    QString fin = QStringLiteral("COMMIT TRANSACTION");
    gDB().EjecutaConsultaSQL(fin, n);
    ASSERT_FALSE(gDB().gCnn().errors().empty());
    EXPECT_TRUE(gDB().gCnn().errors().Item(0).SQLState.startsWith(QLatin1String("08")));
    EXPECT_EQ(consultarSqlite(s.servidor.archivo(), QStringLiteral("SELECT Administrador FROM TA_USUARIOS")), QStringLiteral("1"));
    EXPECT_EQ(gDB().gCnn().Execute(QStringLiteral("SELECT @@TRANCOUNT"))->Fields(0L).Value().toLong(), 0);
}

}  // namespace
