#include "Inicio.h"

#include "Sesion.h"

#include "ado/TextoConexion.h"
#include "companion/Velmora2.h"
#include "data/Configuracion.h"
#include "data/Pasos.h"
#include "data/Sesion.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <cmath>
#include <functional>

namespace app {

using datos::DB_Dll;

namespace {

const QString kClaveEstadisticas = QStringLiteral("QM_VARDESTOLINA");
const QString kBaseEstadisticas = QStringLiteral("KX_ESTADISTICAS");
constexpr int16_t kTiempoPorDefecto = 360;

// The process's own argument text: the arguments after the program name, joined by blanks.
QString argumentosDelProceso()
{
    if (!QCoreApplication::instance()) return QString();
    return QCoreApplication::arguments().mid(1).join(QLatin1Char(' '));
}

// Runs the steps of a procedure with the start-up convention: an invalid
// argument (error 5) skips the step, anything else ends the procedure.
void pasosDeInicio(std::initializer_list<std::function<bool()>> pasos)
{
    for (const auto& p : pasos) {
        try {
            if (!p()) return;
        } catch (const std::exception& e) {
            if (datos::comoFallo(e).Number() != ado::num::InvalidoArgumento) return;
        }
    }
}

// The classic integer conversion: rounded half to even, overflow raises error 6.
int16_t aEntero16(double v)
{
    const double r = std::nearbyint(v);
    if (!(r >= -32768.0 && r <= 32767.0)) throw ado::Fallo(6, QStringLiteral("Desbordamiento"));
    return static_cast<int16_t>(r);
}

}  // namespace

void ConectaEstadisticas()
{
    DB_Dll& kx = datos::gDBEstadisticas();
    DB_Dll& db = datos::gDB();
    const std::function<void()> pasos[] = {
        [&] { gTimeOut = kTiempoPorDefecto; },
        [&] {
            if (kx.gCnn().State() != ado::adStateClosed) kx.gCnn().Close();
        },
        [&] {
            kx.gProveedor = DB_Dll::pSQLOLEDB();
            kx.gServidor = db.gServidor;
            kx.gDBName = kBaseEstadisticas;
            kx.gUsuario = kBaseEstadisticas;
            kx.gUserPassWord = kClaveEstadisticas;
        },
        [&] { kx.OpenServerADODB(false, ado::adUseClient, QString(), true, false); },
        [&] {
            if (!kx.gOpenFlag || kx.gCnn().State() != ado::adStateOpen) return;
            kx.gCnn().setDefaultDatabase(kBaseEstadisticas);
        },
        [&] {
            if (!kx.gOpenFlag || kx.gCnn().State() != ado::adStateOpen) return;
            gTimeOut = aEntero16(ado::valorNumerico(datos::CfgKX(QStringLiteral("TimeOut"))));
            if (gTimeOut == 0)
                datos::GrabaCfgKX(QStringLiteral("TimeOut"), ado::Variant(0), QString(), false, QStringLiteral("BaseDeDatos"), true);
        },
        // A negative time-out makes no sense either: the default applies.
        [&] {
            if (gTimeOut <= 0) gTimeOut = kTiempoPorDefecto;
        },
    };
    for (const auto& p : pasos) datos::pasoSilencioso(p);
}

void InicializaSistema(QString& lineaComandos, QString& cadenaConexion, long& cursor)
{
    DB_Dll& db = datos::gDB();
    QString linea, servidor, base, usuario, clave;
    pasosDeInicio({
        [&] {
            gCarpetaAplicacion = velmora::CompletaRuta(ado::carpetaAplicacion());
            // The help file (htmlhelp/velmoraplus.chm) has no use on this platform.
            return true;
        },
        [&] {
            linea = lineaComandos.isEmpty() ? argumentosDelProceso() : lineaComandos;
            return true;
        },
        [&] {
            // The order of the keys is the suite's own; only the first occurrence of each counts.
            ValorParametro(linea, QStringLiteral("@ParametroAdicional"), QString());
            ValorParametro(linea, QStringLiteral("@Menu"), QString());
            servidor = ValorParametro(linea, QStringLiteral("@Server"), QString());
            base = ValorParametro(linea, QStringLiteral("@DbName"), QString());
            usuario = ValorParametro(linea, QStringLiteral("@Usuario"), QString());
            clave = ValorParametro(linea, QStringLiteral("@Password"), QString());
            gUsuarioLogeado = ValorParametro(linea, QStringLiteral("@UsuarioLogeado"), QString());
            gCaja = ValorParametro(linea, QStringLiteral("@Caja"), QStringLiteral("1"));
            return true;
        },
        [&] {
            if (!servidor.trimmed().isEmpty() && servidor.startsWith(QLatin1Char('#'))) {
                servidor.remove(0, 1);
                if (cadenaConexion.trimmed().isEmpty())
                    cadenaConexion = QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=") + base + QStringLiteral(";User Id=") + usuario
                                     + QStringLiteral(";Password=") + clave + QStringLiteral(";");
            }
            return true;
        },
        [&] {
            db.gUsuario = usuario;
            db.gDBName = base;
            db.gUserPassWord = clave;
            db.gServidor = NormalizaServidor(servidor);
            return true;
        },
        [&] {
            const bool pide = db.gServidor.trimmed().isEmpty() || db.gUsuario.trimmed().isEmpty();
            db.OpenServerADODB(pide, cursor, cadenaConexion, true, true);
            return true;
        },
        // Without a connection the program ends; the connection already told the operator why.
        [&] { return db.gOpenFlag; },
        [&] {
            ConectaEstadisticas();
            return true;
        },
        [&] {
            gUsuarioLogeado = db.gUsuario;
            return true;
        },
        [&] {
            db.gCnn().setCommandTimeout(gTimeOut);
            return true;
        },
        [&] {
            db.gCnn().setIsolationLevel(ado::adXactReadUncommitted);
            return true;
        },
        [&] {
            if (db.gDBName.trimmed().isEmpty()) return true;
            velmora::FijaRutaAplicacion(gCarpetaAplicacion);
            return true;
        },
        [&] {
            if (db.gDBName.trimmed().isEmpty()) return true;
            db.gCnn().setDefaultDatabase(db.gDBName);
            return true;
        },
        [&] {
            if (db.gDBName.trimmed().isEmpty()) return true;
            consulta::Lib_ClsCons3& c = gConsulta();
            c.gConnString = db.gConnString;
            c.gUsarMascarasConsultas = true;
            c.gRutaMascaraConsultas = gCarpetaAplicacion + QStringLiteral("consultas.kxd");
            return true;
        },
        [&] {
            if (db.gDBName.trimmed().isEmpty()) return true;
            const QString ruta = gConsulta().gRutaMascaraConsultas;
            if (!QFileInfo::exists(ruta)) consulta::GrabaMascarasConsultas(ruta);
            return true;
        },
        [&] {
            if (db.gDBName.trimmed().isEmpty()) return true;
            db.gCnn().setDefaultDatabase(db.gDBName);
            CargaConfiguracion();
            return true;
        },
        [&] {
            QString tarea;
            RegistraIngreso(tarea);
            return true;
        },
    });
}

}  // namespace app
