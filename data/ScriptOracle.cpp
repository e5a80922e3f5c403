#include "data/ScriptOracle.h"

#include "ado/Errores.h"
#include "companion/Velmora2.h"
#include "data/DialectoOracle.h"

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

bool claveEn(const QString& t, int i)
{
    if (i > 0 && texto::esDeIdentificador(t.at(i - 1))) return false;
    for (const Clave& c : kClaves) {
        if (QStringView(t).mid(i).startsWith(c.texto, Qt::CaseInsensitive)) {
            const int fin = i + c.texto.size();
            if (c.palabraEntera && fin < t.size() && texto::esDeIdentificador(t.at(fin))) continue;
            return true;
        }
    }
    return false;
}

// First keyword at or after desde, outside quoted literals; -1 when none.
// Quotes are counted from the start of the text, which always begins outside a literal.
int buscaClave(const QString& t, int desde)
{
    const int limite = qMin<qsizetype>(t.size(), kSinPosicionScript - 1);
    bool enLiteral = false;
    for (int i = 0; i < limite; ++i) {
        const QChar c = t.at(i);
        if (c == QLatin1Char('\'')) {
            enLiteral = !enLiteral;
            continue;
        }
        if (!enLiteral && i >= desde && claveEn(t, i)) return i;
    }
    return -1;
}

}  // namespace

void normalizarScriptOracle(QString& t)
{
    static const QString crlf = QStringLiteral("\r\n");
    t = reemplazaTodo(t, QStringLiteral("SET NOCOUNT ON"), QString());
    t = reemplazaTodo(t, QStringLiteral("SET NOCOUNT OFF"), QString());
    t = reemplazaTodo(t, QStringLiteral(" GO "), QStringLiteral(" "));
    t = reemplazaTodo(t, crlf + QStringLiteral("GO "), QStringLiteral(" "));
    t = reemplazaTodo(t, crlf + QStringLiteral("GO") + crlf, QStringLiteral(" "));
    t.replace(QLatin1Char('\r'), QLatin1Char(' '));
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
    t.replace(goSuelto, QStringLiteral("\\1"));
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
    if (!contiene(cadenaConexion, QStringLiteral("oracle"))) return t;
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
