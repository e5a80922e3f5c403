#include "Guiones.h"
#include "Escaner.h"

#include "Literales.h"
#include "Pasos.h"
#include "ReportaError.h"
#include "Sesion.h"

#include "companion/Operador.h"
#include "companion/Velmora2.h"

#include <QLocale>
#include <QStringList>

namespace datos {

std::vector<CampoSentencia> gCampos(1);
std::vector<QString> gSentencias;

namespace {
const QString CR = QStringLiteral("\r");
const QString CRLF = QStringLiteral("\r\n");

// The date separator of the regional settings: the first character of the
// short date format that is not part of a field.
QString separadorFecha()
{
    const QString f = QLocale::system().dateFormat(QLocale::ShortFormat);
    for (const QChar c : f)
        if (!c.isLetter() && !c.isSpace() && c != QLatin1Char('\'')) return QString(c);
    return QStringLiteral("/");
}

int reportaGuion(const ado::Fallo& f)
{
    return ReportaError(f, std::nullopt, QStringLiteral("GActualizarDatoScript"));
}
}  // namespace

void AgregaCampo(QString& columna, QString& valor, const QString& delimitador, bool& primero)
{
    if (primero) gCampos.assign(1, CampoSentencia{});
    else gCampos.emplace_back();
    // The suite's own rule for these values: quotes are dropped, not doubled.
    valor.remove(QLatin1Char('\''));
    CampoSentencia& c = gCampos.back();
    c.columna = columna;
    c.valor = valor.compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0 ? QStringLiteral("Null")
                                                                            : SQLValue(ado::Variant(valor), delimitador).toText();
}

void GeneraSentencia(std::vector<CampoSentencia>& campos, std::vector<QString>& sentencias, QString& tabla, bool& actualiza,
                     QString& condicion, bool& conserva)
{
    QString sentencia;
    if (!actualiza) {
        QStringList columnas, valores;
        for (const CampoSentencia& c : campos) {
            columnas << c.columna;
            valores << c.valor;
        }
        sentencia = QStringLiteral("INSERT INTO ") + tabla + QStringLiteral(" ") + QStringLiteral("(") + columnas.join(QLatin1Char(','))
                    + QStringLiteral(")") + QStringLiteral(" VALUES (") + valores.join(QLatin1Char(',')) + QStringLiteral(")");
    } else {
        QStringList asignaciones;
        for (const CampoSentencia& c : campos) asignaciones << c.columna + QStringLiteral(" = ") + c.valor;
        if (!escaner::contiene(condicion, QStringLiteral("WHERE"))) condicion = QStringLiteral(" WHERE ") + condicion;
        sentencia = QStringLiteral("UPDATE ") + tabla + QStringLiteral(" SET ") + asignaciones.join(QLatin1Char(',')) + QStringLiteral(" ")
                    + condicion;
    }
    sentencias.push_back(sentencia);
    if (!conserva) campos.assign(1, CampoSentencia{});
}

void GActualizarDatoScript(std::vector<QString>& sentencias, bool& fallo, int32_t& numeroError, bool silencioClave,
                           bool silencioRestriccion, QString& guion, QString& mensaje, bool mostrar)
{
    QString script;
    QString ejecutado;   // the text as the statement runner left it, for AUX_ERR
    QString texto;       // what the operator reads
    int32_t numero = 0;

    const std::function<void()> pasos[] = {
        [&] { fallo = false; },
        [&] {
            script.clear();
            for (const QString& s : sentencias)
                if (!s.trimmed().isEmpty()) script += CR + s;
        },
        [&] {
            if (script.isEmpty()) return;
            script = QStringLiteral("BEGIN TRANSACTION ") + CR + CR + script + CR;
            guion = script;
        },
        [&] {
            ejecutado = script;
            // The batch's own failures are read from the error collection below.
            pasoSilencioso([&] {
                long n = 0;
                gDB().EjecutaConsultaSQL(ejecutado, n);
            });
        },
        [&] {
            ado::Errors& errores = gDB().gCnn().errors();
            if (errores.empty()) return;
            numero = errores.Item(0).NativeError;
            fallo = true;
            texto.clear();
            auto linea = [&](long i) {
                const ado::Error& e = errores.Item(i);
                return QString::number(e.NativeError) + QStringLiteral(" : ") + e.Description + CRLF;
            };
            // With several entries the last one (the provider's closing notice) is left out.
            if (errores.Count() == 1) texto = linea(0);
            else
                for (long i = 0; i <= errores.Count() - 2; ++i) texto += linea(i);
            mensaje = texto;
            if (silencioClave && numero == ado::nativo::ClaveDuplicada) {
                mensaje = errores.Item(0).Description;
                texto.clear();
            }
            if (silencioRestriccion && numero == ado::nativo::Restriccion) {
                mensaje = errores.Item(0).Description;
                texto.clear();
            }
            errores.Clear();
        },
        [&] {
            if (!fallo) return;
            pasoSilencioso([&] {
                QString deshacer = QStringLiteral("ROLLBACK TRANSACTION");
                long n = 0;
                gDB().EjecutaConsultaSQL(deshacer, n);
            });
        },
        [&] {
            if (!fallo) return;
            QString proceso = velmora::NombreEjecutable();
            GrabaErrorAux(ejecutado, proceso, numero, texto);
        },
        [&] {
            if (fallo && !texto.trimmed().isEmpty() && mostrar)
                velmora::MsgBox(texto, velmora::botones::OK + velmora::botones::Critico, QStringLiteral("Aviso al Operador!"));
        },
        [&] {
            if (fallo) return;
            QString confirmar = QStringLiteral("COMMIT TRANSACTION");
            long n = 0;
            gDB().EjecutaConsultaSQL(confirmar, n);
        },
        [&] { numeroError = numero; },
    };
    int vueltas = 0;
    auto manejador = [&](const ado::Fallo& f) { return gDB().recuperaConexion(f, vueltas) ? 4 : reportaGuion(f); };
    for (size_t i = 0; i < std::size(pasos); ++i) {
        if (paso(pasos[i], manejador) == Siguiente::Salir) return;
        // Nothing to run: the other out parameters stay as they were.
        if (i == 2 && script.isEmpty()) return;
    }
}

QString FormatoFechaHora()
{
    return FormatoFecha() + QStringLiteral(" ") + FormatoHora();
}

QString FormatoFecha()
{
    const QString s = separadorFecha();
    return QStringLiteral("dd") + s + QStringLiteral("MM") + s + QStringLiteral("yy");
}

QString FormatoHora()
{
    return QStringLiteral("HH:mm");
}

}  // namespace datos
