#include "Arranque.h"

#include "BaseDemo.h"
#include "FrmPermutal.h"
#include "Inicio.h"
#include "Sesion.h"

#include "access/Acceso.h"
#include "data/Sesion.h"

#include <QApplication>
#include <QFileInfo>
#include <QTextStream>

namespace app {

QString textoAyuda()
{
    return QStringLiteral(
        "Uso: permutal \"@Server=servidor;@DbName=base;@Usuario=usuario;@Password=clave;@Caja=n;\"\n"
        "     permutal --demo\n"
        "     permutal --help\n"
        "\n"
        "Permutal cambia el proveedor de una Orden de Compra (OC) pendiente: el encabezado,\n"
        "sus tareas, observaciones e insumos y el stock de su Informe de Recepción (IR),\n"
        "en una sola transacción.\n"
        "\n"
        "El menú del sistema lo inicia con los datos de la sesión en la línea de comandos,\n"
        "cada uno como clave=valor seguido de \";\" (las claves sin distinguir mayúsculas):\n"
        "  @Server=servidor;       servidor de SQL Server (se quitan un prefijo \"protocolo/\" y\n"
        "                          un puerto \":n\"); \"#\" delante indica Oracle; SQLITE usa la\n"
        "                          base embebida de la carpeta de la aplicación\n"
        "  @DbName=base;           base de datos (en Oracle, el nombre del servicio)\n"
        "  @Usuario=usuario;       usuario de la base de datos\n"
        "  @Password=clave;        contraseña\n"
        "  @Caja=n;                número de caja (1 si no se indica)\n"
        "  @UsuarioLogeado=..., @Menu=..., @ParametroAdicional=...  se aceptan\n"
        "Si faltan el servidor o el usuario se pide la conexión en \"Control de Acceso\".\n"
        "\n"
        "Opciones:\n"
        "  --demo   crea la base de demostración PERMUTAL_DEMO.db (y KX_ESTADISTICAS.db) en la\n"
        "           carpeta de la aplicación si no existen, y arranca sobre ellas.\n"
        "  --help   muestra esta ayuda.\n"
        "\n"
        "Variables de entorno:\n"
        "  PERMUTAL_CARPETA         carpeta de la aplicación (en lugar de la del programa):\n"
        "                           consultas.kxd, CONSULTASLEN.KXD, BASES.TXT, TQ000pr.INI,\n"
        "                           Styles/, KXERR.LOG y las bases embebidas.\n"
        "  PERMUTAL_TRAZA_SQL       archivo al que se agrega cada sentencia enviada a la base,\n"
        "                           una línea JSON por sentencia.\n"
        "  PERMUTAL_ODBC_SQLSERVER  controlador ODBC de SQL Server (por omisión FreeTDS).\n"
        "  PERMUTAL_ODBC_ORACLE     controlador ODBC de Oracle (por omisión Oracle).\n"
        "  PERMUTAL_ODBC_ACCESS     controlador ODBC de Access (por omisión MDBTools).\n"
        "  PERMUTAL_CLAVE           archivo de la clave con que se cifran las contraseñas\n"
        "                           guardadas (por omisión ~/.config/permutal/clave).\n");
}

QString lineaComandosDemo()
{
    return QStringLiteral("@Server=SQLITE;@DbName=PERMUTAL_DEMO;@Usuario=ADMIN;@Password=;@Caja=1;");
}

namespace {
bool prepararDemo(QTextStream& err)
{
    QString error;
    const QString ruta = rutaBaseDemo();
    if (!QFileInfo::exists(ruta) && !crearBaseDemo(ruta, &error)) {
        err << "No se pudo crear la base de demostración: " << error << "\n";
        return false;
    }
    const QString estadisticas = rutaBaseEstadisticas();
    if (!QFileInfo::exists(estadisticas) && !crearBaseEstadisticas(estadisticas, &error)) {
        err << "No se pudo crear la base de estadísticas: " << error << "\n";
        return false;
    }
    return true;
}
}  // namespace

int arrancar(const QStringList& argumentos)
{
    acceso::instalarDialogoAcceso();   // the start-up may ask for the connection
    QTextStream err(stderr);
    const bool demo = argumentos.contains(QStringLiteral("--demo"));
    if (demo && !prepararDemo(err)) return 1;
    // The suite's menu passes the session as one text; a shell may split it at blanks.
    QString linea = demo ? lineaComandosDemo() : argumentos.join(QLatin1Char(' '));
    QString cadenaConexion;
    long cursor = ado::adUseClient;
    InicializaSistema(linea, cadenaConexion, cursor);
    const datos::DB_Dll& db = datos::gDB();
    if (!db.gOpenFlag) return 1;
    // The start-up above is the first half of the main window's load; the
    // window is shown only once the session has its connection.
    FrmPermutal ventana;
    ventana.AplicaApariencia();
    ventana.show();
    return QApplication::exec();
}

}  // namespace app
