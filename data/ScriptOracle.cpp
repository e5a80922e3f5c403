#include "data/ScriptOracle.h"

#include "ado/Errores.h"
#include "ado/TextoConexion.h"
#include "companion/Velmora2.h"
#include "data/DialectoOracle.h"
#include "data/Escaner.h"

#include <QRegularExpression>

namespace datos {

using texto::contiene;
using texto::reemplazaTodo;

namespace {

struct Clave {
    QString texto;
    bool palabraEntera;   // must not run on into a longer word (COMMIT vs COMMITTED)
};

const Clave kClaves[] = {
    {QStringLiteral("INSERT "), false},       {QStringLiteral("DELETE "), false},
    {QStringLiteral("UPDATE "), false},       {QStringLiteral("CREATE "), false},
    {QStringLiteral("DROP "), false},         {QStringLiteral("ALTER "), false},
    {QStringLiteral("SET TRANSACTION"), true}, {QStringLiteral("COMMIT"), true},
    {QStringLiteral("ROLLBACK"), true},       {QStringLiteral("IF NOT EXIST"), false},
    {QStringLiteral("IF EXIST"), false},      {QStringLiteral("GRANT "), false},
};

// Length of the keyword that starts at i; 0 when none does.
int claveEn(const QString& t, int i)
{
    if (i > 0 && texto::esDeIdentificador(t.at(i - 1))) return 0;
    for (const Clave& c : kClaves) {
        if (QStringView(t).mid(i).startsWith(c.texto, Qt::CaseInsensitive)) {
            const int fin = i + c.texto.size();
            if (c.palabraEntera && fin < t.size() && texto::esDeIdentificador(t.at(fin))) continue;
            return c.texto.size();
        }
    }
    return 0;
}

// First keyword at or after desde in the script's own words (never inside a
// literal, a quoted name or a comment); -1 when none.
int buscaClave(const QString& t, int desde)
{
    const int limite = qMin<qsizetype>(t.size(), kSinPosicionScript - 1);
    const escaner::Lectura l(t);
    for (int i = qMax(0, desde); i < limite; ++i) {
        if (l.zona(i) != escaner::Zona::Codigo) continue;
        const int largo = claveEn(t, i);
        if (largo == 0) continue;
        bool enCodigo = true;
        for (int k = i; k < i + largo; ++k) enCodigo = enCodigo && l.zona(k) == escaner::Zona::Codigo;
        if (enCodigo) return i;
    }
    return -1;
}

}  // namespace

void normalizarScriptOracle(QString& t)
{
    // Only the script's own words are rewritten: a value that reads
    // "BEGIN TRANSACTION" or "GO" stays as it was written.
    auto reemplazaTodo = [](const QString& texto, const QString& buscar, const QString& reemplazo) {
        return escaner::reemplaza(texto, buscar, reemplazo, escaner::Alcance::Codigo);
    };
    static const QString crlf = QStringLiteral("\r\n");
    t = reemplazaTodo(t, QStringLiteral("SET NOCOUNT ON"), QString());
    t = reemplazaTodo(t, QStringLiteral("SET NOCOUNT OFF"), QString());
    t = reemplazaTodo(t, QStringLiteral(" GO "), QStringLiteral(" "));
    t = reemplazaTodo(t, crlf + QStringLiteral("GO "), QStringLiteral(" "));
    t = reemplazaTodo(t, crlf + QStringLiteral("GO") + crlf, QStringLiteral(" "));
    {
        const escaner::Lectura l(t);
        QString r = t;
        for (qsizetype i = 0; i < r.size(); ++i)
            if (r[i] == QLatin1Char('\r') && l.zona(i) == escaner::Zona::Codigo) r[i] = QLatin1Char(' ');
        t = r;
    }
    t = reemplazaTodo(t, QStringLiteral("BEGIN TRANSACTION"), QStringLiteral("SET TRANSACTION"));
    t = reemplazaTodo(t, QStringLiteral("BEGIN TRANS"), QStringLiteral("SET TRANSACTION"));
    t = reemplazaTodo(t, QStringLiteral("COMMIT TRANSACTION"), QStringLiteral("COMMIT"));
    t = reemplazaTodo(t, QStringLiteral("COMMIT TRANS"), QStringLiteral("COMMIT"));
    t = reemplazaTodo(t, QStringLiteral("ROLLBACK TRANSACTION"), QStringLiteral("ROLLBACK"));
    t = reemplazaTodo(t, QStringLiteral("ROLLBACK TRANS"), QStringLiteral("ROLLBACK"));
    // A GO that ends the script, or GO lines in a row, escape the separators
    // above and would reach Oracle as part of a statement.
    static const QRegularExpression goSuelto(QStringLiteral("(^|[ \\n])GO *(?=\\n|$)"),
                                             QRegularExpression::CaseInsensitiveOption);
    const escaner::Lectura l(t);
    QString r;
    qsizetype desde = 0;
    for (auto it = goSuelto.globalMatch(t); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const qsizetype go = m.capturedEnd(1);
        if (l.zona(go) != escaner::Zona::Codigo) continue;
        r += t.mid(desde, m.capturedStart(0) - desde);
        r += m.captured(1);
        desde = m.capturedEnd(0);
    }
    if (desde > 0) t = r + t.mid(desde);
}

bool siguienteSentenciaOracle(QString& t, QString& sentencia)
{
    const int inicio = buscaClave(t, 0);
    if (inicio < 0) {
        sentencia.clear();
        return false;
    }
    const int siguiente = buscaClave(t, inicio + 1);
    if (siguiente < 0) {
        sentencia = t.mid(inicio).trimmed();
        t.clear();
    } else {
        sentencia = t.mid(inicio, siguiente - inicio).trimmed();
        t = t.mid(siguiente);
    }
    return true;
}

SentenciaOracle clasificaSentenciaOracle(const QString& s)
{
    if (s.compare(QLatin1String("SET TRANSACTION"), Qt::CaseInsensitive) == 0) return SentenciaOracle::Comenzar;
    if (s.compare(QLatin1String("COMMIT"), Qt::CaseInsensitive) == 0) return SentenciaOracle::Confirmar;
    if (s.compare(QLatin1String("ROLLBACK"), Qt::CaseInsensitive) == 0) return SentenciaOracle::Deshacer;
    return SentenciaOracle::Ejecutar;
}

QString FiltraSentencia(QString& sentencia)
{
    if (contiene(sentencia, QStringLiteral("SET NOCOUNT")) || contiene(sentencia, QStringLiteral("IF NOT EXIST")))
        sentencia.clear();
    return sentencia;
}

QString AjustaTopOracle(const QString& t, const QString& cadenaConexion)
{
    if (!ado::dialectoOracle(cadenaConexion)) return t;
    if (velmora::CuentaPalabras(t) <= 1)
        return t.compare(QLatin1String("LEN"), Qt::CaseInsensitive) == 0 ? QStringLiteral("LENGTH") : t;
    const int p = texto::posicionTop(t);
    if (p < 0) return t;
    const QString resto = t.mid(p + 3);
    const int asterisco = resto.indexOf(QLatin1Char('*'));
    if (asterisco < 0)
        throw ado::Fallo(ado::num::InvalidoArgumento,
                         ado::descripcionClasica(ado::num::InvalidoArgumento) +
                             QStringLiteral(": consulta con TOP sin \"*\""),
                         QStringLiteral("AjustaTopOracle"));
    return t.left(p) + QStringLiteral(" * ") + resto.mid(asterisco + 1) + QStringLiteral(" WHERE ROWNUM <= ") +
           resto.left(asterisco);
}

}  // namespace datos
