#include "data/Sinonimos.h"

#include "data/Escaner.h"

#include <QStringList>

namespace datos {

namespace {

const QString kMarca = QStringLiteral("@Admin_");

struct Sustitucion {
    QString buscar;
    QString reemplazo;
};

// The five places a table name is recognised in: after a blank, "(" or ","
// and before a blank or ".".
void agregaGrupo(QList<Sustitucion>& tabla, const QString& nombre, const QString& restringido)
{
    const QString formas[][2] = {{QStringLiteral(" "), QStringLiteral(" ")},
                                 {QStringLiteral("("), QStringLiteral(" ")},
                                 {QStringLiteral(" "), QStringLiteral(".")},
                                 {QStringLiteral("("), QStringLiteral(".")},
                                 {QStringLiteral(","), QStringLiteral(".")}};
    for (const auto& f : formas) tabla.append({f[0] + nombre + f[1], f[0] + restringido + f[1]});
}

bool esUno(const QString& ejecutable, const char* a, const char* b)
{
    const QString e = ejecutable.trimmed();
    return e.compare(QLatin1String(a), Qt::CaseInsensitive) == 0 || e.compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
}

QList<Sustitucion> tablaSustituciones(const QString& ejecutable)
{
    QList<Sustitucion> t;
    agregaGrupo(t, QStringLiteral("MA_CUENTAS"), QStringLiteral("SS_MA_CUENTAS"));
    t.append({QStringLiteral("{MA_CUENTAS."), QStringLiteral("{SS_MA_CUENTAS.")});
    t.append({QStringLiteral("@Admin_MA_CUENTAS"), QStringLiteral("MA_CUENTAS")});
    if (!esUno(ejecutable, "BORNEVAL", "TRESCULA"))
        agregaGrupo(t, QStringLiteral("V_TA_DEPOSITO"), QStringLiteral("SS_V_TA_DEPOSITO"));
    agregaGrupo(t, QStringLiteral("MV_ASIENTOS"), QStringLiteral("SS_MV_ASIENTOS"));
    if (!esUno(ejecutable, "ZIRUVEV", "PILMARO"))
        agregaGrupo(t, QStringLiteral("V_TA_FAMILIAS"), QStringLiteral("SS_V_TA_FAMILIAS"));
    agregaGrupo(t, QStringLiteral("V_TA_CAJAS"), QStringLiteral("SS_V_TA_CAJAS"));
    // A blank or "." must follow the name, so these never touch AC_CUENTASDIARIO_CCOSTO.
    agregaGrupo(t, QStringLiteral("AC_CUENTASDIARIO"), QStringLiteral("SS_AC_CUENTASDIARIO"));
    agregaGrupo(t, QStringLiteral("AC_CUENTASDIARIO_CCOSTO"), QStringLiteral("SS_AC_CUENTAS_DIARIO_CCOSTO"));
    return t;
}

}  // namespace

// Markers and table names are names of the statement: literals and comments
// keep whatever they hold.
QString QuitaMarcaAdmin(const QString& sql)
{
    // Repeated: removing one marker can join the pieces of another ("@Adm@Admin_in_").
    QString r = sql;
    while (escaner::contiene(r, kMarca, escaner::Alcance::CodigoYNombres)) r = escaner::reemplaza(r, kMarca, QString());
    return r;
}

QString SS_TSinonimos(const QString& sql, bool esAdmin, bool confidencialidad, const QString& ejecutable)
{
    if (esAdmin) return QuitaMarcaAdmin(sql);
    if (escaner::contiene(sql, QStringLiteral("MV_ASIENTOS"), escaner::Alcance::CodigoYNombres) && !confidencialidad) return QuitaMarcaAdmin(sql);
    QString r = sql;
    for (const Sustitucion& s : tablaSustituciones(ejecutable)) r = escaner::reemplaza(r, s.buscar, s.reemplazo);
    return QuitaMarcaAdmin(r);
}

}  // namespace datos
