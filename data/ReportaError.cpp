#include "ReportaError.h"

#include "Guiones.h"
#include "Pasos.h"
#include "Sesion.h"

#include "companion/Cp1252.h"
#include "companion/Operador.h"
#include "companion/Velmora2.h"

#include <QDateTime>
#include <QFile>

#include <functional>

namespace datos {

namespace {
QString nombreRespuesta(int r)
{
    switch (r) {
    case 4: return QStringLiteral("Reintentar");
    case 5: return QStringLiteral("Ignorar");
    case 3: return QStringLiteral("Abortar");
    case 2: return QStringLiteral("Cancelar");
    case 6: return QStringLiteral("Sí");
    case 7: return QStringLiteral("No");
    default: return QString();
    }
}

QString variable(const char* minuscula, const char* mayuscula)
{
    QString v = qEnvironmentVariable(minuscula);
    if (v.isEmpty()) v = qEnvironmentVariable(mayuscula);
    return v;
}
}  // namespace

QString lineaLog(const QString& rutina, const QString& mensaje, int respuesta, const QDateTime& cuando)
{
    const QString pieza = rutina.isEmpty() ? QString() : QStringLiteral(" - ") + rutina;
    return cuando.toString(QStringLiteral("MM-dd-yyyy")) + QLatin1Char(' ') + cuando.toString(QStringLiteral("HH:mm:ss"))
           + QStringLiteral(" Rutina: ") + pieza.trimmed() + QStringLiteral(" Mensaje ") + mensaje.trimmed() + QStringLiteral(" Respondió : ")
           + nombreRespuesta(respuesta);
}

int reportar(const ado::Fallo& error, std::optional<int> botones, const QString& rutina, const QString& sufijoTitulo, const QString& archivoLog)
{
    if (error.Number() == 0) return 0;
    const QString mensaje = QStringLiteral("Ha ocurrido el Siguiente Error (") + QString::number(error.Number()).trimmed() + QStringLiteral(") ")
                            + error.Description().trimmed();
    const QString titulo = error.Source() + (rutina.isEmpty() ? QString() : QStringLiteral(" - ") + rutina) + sufijoTitulo;
    int respuesta = 0;
    try {
        respuesta = velmora::MsgBox(mensaje, botones.value_or(velmora::botones::AnularReintentarOmitir + velmora::botones::Critico), titulo);
    } catch (const std::exception&) {
    }
    // One open, write and close per line: several instances share the log.
    QFile f(archivoLog);
    if (f.open(QIODevice::Append | QIODevice::WriteOnly)) {
        f.write(velmora::aCp1252(lineaLog(rutina, mensaje, respuesta, QDateTime::currentDateTime())));
        f.write("\r\n");
    }
    return respuesta;
}

QString carpetaLogGlobal()
{
    QString carpeta;
    if (!variable("temp", "TEMP").isEmpty()) carpeta = variable("tmp", "TMP").trimmed();
    if (carpeta.trimmed().isEmpty()) carpeta = velmora::CarpetaTemporal();
    carpeta = velmora::CompletaRuta(carpeta);
    if (!carpeta.endsWith(QLatin1Char('/'))) carpeta += QLatin1Char('/');
    return carpeta;
}

int ReportaError(const ado::Fallo& CodErr, std::optional<int> Botones, const QString& Rutina)
{
    return reportar(CodErr, Botones, Rutina, QStringLiteral(" Aviso al operador!!! - 2 "), carpetaLogGlobal() + QStringLiteral("KXERR.LOG"));
}

void GrabaErrorAux(const QString& sentencia, QString& proceso, int32_t numero, const QString& descripcion)
{
    pasoSilencioso([&] {
        if (proceso.trimmed().isEmpty()) proceso = velmora::NombreEjecutable();
    });
    DB_Dll& db = gDB();
    auto rs = std::make_shared<ado::Recordset>();
    // Opened directly, not through AbrirRecordset: a missing AUX_ERR table must
    // not bring up the error reporter while another failure is being recorded.
    bool abierto = false;
    // Silent, except a lost link: once it is back the step runs again.
    int vueltas = 0;
    auto silencioso = [&](const std::function<void()>& p) { paso(p, [&](const ado::Fallo& f) { return db.recuperaConexion(f, vueltas) ? 4 : 5; }); };
    silencioso([&] {
        const QString texto = db.SS_TSinonimos(QStringLiteral("select  top 1 * from AUX_ERR  with(nolock) "));
        rs->Open(db.ORACLE_Dicc(texto), &db.gCnn(), ado::adOpenDynamic, ado::adLockOptimistic, -1);
        abierto = rs->State() == ado::adStateOpen;
    });
    if (!abierto) return;
    pasoSilencioso([&] { rs->AddNew(); });
    pasoSilencioso([&] { rs->Fields(QStringLiteral("Proceso")) = ado::Variant(proceso); });
    pasoSilencioso([&] {
        // A date column gets the date itself, never its regional text, which a
        // server whose language reads the month first would turn around; a
        // text column keeps the text as the operator reads it.
        const QDateTime ahora = QDateTime::currentDateTime();
        ado::Field f = rs->Fields(QStringLiteral("Fecha"));
        if (DB_Dll::adodate(ado::Variant(static_cast<int32_t>(f.Type()))))
            f = ado::Variant(QDateTime(ahora.date(), QTime(ahora.time().hour(), ahora.time().minute())));
        else
            f = ado::Variant(ahora.toString(FormatoFechaHora()));
    });
    pasoSilencioso([&] { rs->Fields(QStringLiteral("Error")) = ado::Variant(numero); });
    pasoSilencioso([&] { rs->Fields(QStringLiteral("Descripcion")) = ado::Variant(velmora::RecortaTexto(descripcion, 250)); });
    pasoSilencioso([&] { rs->Fields(QStringLiteral("SQL")) = ado::Variant(sentencia); });
    pasoSilencioso([&] { rs->Fields(QStringLiteral("PC")) = ado::Variant(velmora::NombreEquipo()); });
    pasoSilencioso([&] { rs->Fields(QStringLiteral("Usuario")) = ado::Variant(db.gUsuario); });
    silencioso([&] { rs->Update(); });
    pasoSilencioso([&] {
        if (rs->enEdicion()) rs->CancelUpdate();
        if (rs->State() == ado::adStateOpen) rs->Close();
    });
}

}  // namespace datos
