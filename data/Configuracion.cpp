#include "Configuracion.h"

#include "Literales.h"
#include "Pasos.h"
#include "ReportaError.h"
#include "Sesion.h"

#include "companion/Velmora2.h"

#include <functional>

namespace datos {

QString gTablaConfiguracion;

DB_Dll& gDBEstadisticas()
{
    static DB_Dll db;
    return db;
}

namespace {

QString tablaConfiguracion()
{
    if (gTablaConfiguracion.trimmed().isEmpty()) gTablaConfiguracion = QStringLiteral("TA_CONFIGURACION");
    return gTablaConfiguracion;
}

// Shared by both readers; rutina names the reader in the error report.
QString leer(DB_Dll& db, const QString& clave, QString* valorAux, const QString& rutina)
{
    QString valor;
    QString aux;
    RecordsetRef rs;
    QString sql;
    const QString claveRecortada = clave.trimmed();
    const std::function<void()> pasos[] = {
        [&] {
            sql = QStringLiteral("SELECT VALOR, valoraux FROM ") + tablaConfiguracion() + QStringLiteral(" with(nolock)  WHERE CLAVE = '")
                  + comillas(claveRecortada) + QStringLiteral("'");
        },
        [&] {
            if (claveRecortada.compare(QLatin1String("[FECHA DESDE]"), Qt::CaseInsensitive) == 0
                || claveRecortada.compare(QLatin1String("[FECHA HASTA]"), Qt::CaseInsensitive) == 0)
                sql = sql.toUpper();
        },
        [&] { db.AbrirRecordset(sql, rs, nullptr, ado::adOpenForwardOnly, ado::adLockReadOnly); },
        [&] {
            if (!rs) throw ado::Fallo(ado::num::ObjetoCerrado, QStringLiteral("El conjunto de registros no está abierto."));
            if (rs->EOF_()) {
                valor = QStringLiteral(" ");
                aux.clear();
            } else {
                valor = velmora::CampoATexto(rs->Fields(QStringLiteral("VALOR")).Value());
                aux = velmora::CampoATexto(rs->Fields(QStringLiteral("valoraux")).Value());
            }
        },
        [&] { db.CierraRecordset(rs); },
        [&] {
            if (claveRecortada.compare(QLatin1String("THEME"), Qt::CaseInsensitive) == 0 && valor.trimmed().isEmpty())
                valor = QStringLiteral("1");
        },
    };
    int vueltas = 0;
    for (const auto& p : pasos) {
        const Siguiente s = paso(p, [&](const ado::Fallo& f) { return db.recuperaConexion(f, vueltas) ? 4 : ReportaError(f, std::nullopt, rutina); });
        if (s == Siguiente::Salir) {
            pasoSilencioso([&] { db.CierraRecordset(rs); });
            if (valorAux) *valorAux = QString();
            return QString();
        }
    }
    if (valorAux) *valorAux = aux;
    return valor;
}

}  // namespace

QString Cfg(const QString& clave, QString* valorAux)
{
    DB_Dll& db = gDB();
    // Before the connection exists the database is not asked at all.
    if (db.gCnn().State() != ado::adStateOpen) return QString();
    return leer(db, clave, valorAux, QStringLiteral("Cfg"));
}

QString CfgKX(const QString& clave, QString* valorAux)
{
    return leer(gDBEstadisticas(), clave, valorAux, QStringLiteral("CfgKX"));
}

void GrabaCfgKX(const QString& clave, const ado::Variant& valor, const QString& valorAux, bool politicaNegocio, const QString& grupo,
                bool recortar)
{
    DB_Dll& db = gDBEstadisticas();
    RecordsetRef rs;
    QString sql;
    auto campo = [&](const char* nombre, const ado::Variant& v) { rs->Fields(QString::fromLatin1(nombre)).setValue(v); };
    const std::function<void()> pasos[] = {
        [&] {
            sql = QStringLiteral("SELECT * FROM ") + tablaConfiguracion() + QStringLiteral(" with(nolock)  WHERE CLAVE = '") + comillas(clave)
                  + QStringLiteral("'");
            db.AbrirRecordset(sql, rs, nullptr, ado::adOpenDynamic, ado::adLockOptimistic);
        },
        [&] {
            if (rs->EOF_()) rs->AddNew();
            else rs->MoveFirst();
        },
        [&] { campo("Grupo", velmora::CampoATexto(grupo)); },
        [&] { campo("Clave", velmora::CampoATexto(clave).trimmed().toUpper()); },
        [&] {
            const QString v = velmora::CampoATexto(valor);
            campo("Valor", recortar ? v.trimmed() : v);
        },
        // The flag goes in as a boolean: its text form would not fit a bit column.
        [&] { campo("PoliticaNegocio", ado::Variant(politicaNegocio)); },
        [&] {
            if (!valorAux.isEmpty()) campo("ValorAux", velmora::CampoATexto(valorAux).trimmed());
        },
        [&] { rs->Update(); },
        [&] { db.CierraRecordset(rs); },
    };
    // Failures are passed over silently, except a lost link: once it is back the step runs again.
    int vueltas = 0;
    for (const auto& p : pasos) paso(p, [&](const ado::Fallo& f) { return db.recuperaConexion(f, vueltas) ? 4 : 5; });
    // A row left half edited by a failed step must not stay pending.
    pasoSilencioso([&] {
        if (rs && rs->State() == ado::adStateOpen && rs->enEdicion()) rs->CancelUpdate();
        db.CierraRecordset(rs);
    });
}

}  // namespace datos
