#include "data/DialectoOracle.h"

#include "ado/Errores.h"
#include "ado/TextoConexion.h"
#include "data/Escaner.h"
#include "companion/Velmora2.h"

#include <QRegularExpression>

namespace datos {

namespace texto {

QString reemplazaTodo(const QString& texto, const QString& buscar, const QString& reemplazo)
{
    // Qt inserts the replacement between every character for an empty search;
    // the classic Replace leaves the text alone.
    if (buscar.isEmpty()) return texto;
    QString r = texto;
    r.replace(buscar, reemplazo, Qt::CaseInsensitive);
    return r;
}

bool contiene(const QString& texto, const QString& buscar)
{
    return texto.contains(buscar, Qt::CaseInsensitive);
}

bool esDeIdentificador(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

int posicionTop(const QString& texto)
{
    static const QString clave = QStringLiteral("top ");
    const escaner::Lectura l(texto);
    qsizetype p = l.busca(clave);
    while (p >= 0) {
        if (p == 0 || !esDeIdentificador(texto.at(p - 1))) return static_cast<int>(p);
        p = l.busca(clave, p + 1);
    }
    return -1;
}

}  // namespace texto

using texto::contiene;
using texto::reemplazaTodo;

namespace {

const QString kFormatoFecha = QStringLiteral("'DD/MM/YYYY'");
const QString kFormatoFechaHora = QStringLiteral("'DD/MM/YYYY HH24:MI:SS'");

ado::Fallo falloArgumento(const QString& detalle)
{
    return ado::Fallo(ado::num::InvalidoArgumento,
                      ado::descripcionClasica(ado::num::InvalidoArgumento) + QStringLiteral(": ") + detalle,
                      QStringLiteral("ORACLE_Dicc"));
}

// Index of the first blank, tab or line break; -1 when none.
int primerEspacio(const QString& s)
{
    for (int i = 0; i < s.size(); ++i)
        if (s.at(i).isSpace()) return i;
    return -1;
}

// Rule 1: TOP n becomes a ROWNUM condition after the existing ones and before
// GROUP BY / ORDER BY.
QString reglaTop(const QString& valor)
{
    const int p = texto::posicionTop(valor);
    if (p < 0) return valor;
    const QString antes = valor.left(p);
    const QString resto = valor.mid(p + 3).trimmed();
    const int blanco = primerEspacio(resto);
    if (blanco < 0)
        throw falloArgumento(QStringLiteral("TOP sin la cantidad de filas o sin la consulta que la sigue"));
    const QString n = resto.left(blanco);
    QString cuerpo = resto.mid(blanco + 1);

    QString grupo, orden;
    const escaner::Lectura l(valor);
    const qsizetype g = l.busca(QStringLiteral(" GROUP BY "));
    if (g >= 0) {
        grupo = valor.mid(g);
    } else {
        const qsizetype o = l.busca(QStringLiteral("ORDER BY "));
        if (o >= 0) orden = valor.mid(o);
    }
    const QString limite = (l.contiene(QStringLiteral(" WHERE ")) ? QStringLiteral(" AND ROWNUM <= ")
                                                                   : QStringLiteral(" WHERE ROWNUM <= ")) + n;
    cuerpo = reemplazaTodo(cuerpo, grupo.trimmed(), QStringLiteral(" "));
    cuerpo = reemplazaTodo(cuerpo, orden.trimmed(), QStringLiteral(" "));
    return antes + QLatin1Char(' ') + cuerpo + QLatin1Char(' ') + limite + QLatin1Char(' ') + grupo +
           QLatin1Char(' ') + orden;
}

QString aToDate(const QDateTime& f)
{
    // A time of day is kept: dropping it would store a different value.
    if (f.time() != QTime(0, 0))
        return QStringLiteral("TO_DATE('") + f.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")) +
               QStringLiteral("',") + kFormatoFechaHora + QLatin1Char(')');
    return QStringLiteral("TO_DATE('") + f.date().toString(QStringLiteral("dd/MM/yyyy")) + QStringLiteral("',") +
           kFormatoFecha + QLatin1Char(')');
}

// Rule 4: quoted dates become TO_DATE(...); one already written that way stays wrapped once.
QString reglaFechas(const QString& w)
{
    QString copia = w;
    int pos = 0;
    for (;;) {
        const int a = w.indexOf(QLatin1Char('\''), pos);
        if (a < 0) break;
        const int b = w.indexOf(QLatin1Char('\''), a + 1);
        if (b < 0)
            throw falloArgumento(QStringLiteral("comilla simple sin cerrar en la posición %1 de la sentencia").arg(a + 1));
        const QString literal = w.mid(a + 1, b - a - 1);
        if (const auto f = fechaRegional(literal))
            copia = reemplazaTodo(copia, QLatin1Char('\'') + literal + QLatin1Char('\''), aToDate(*f));
        pos = b + 1;
    }
    static const QString doble = QStringLiteral("TO_DATE(TO_DATE(");
    while (contiene(copia, doble)) {
        copia = reemplazaTodo(copia, doble, QStringLiteral("TO_DATE("));
        copia = reemplazaTodo(copia, kFormatoFecha + QStringLiteral("),") + kFormatoFecha + QLatin1Char(')'),
                              kFormatoFecha + QLatin1Char(')'));
        copia = reemplazaTodo(copia, kFormatoFechaHora + QStringLiteral("),") + kFormatoFechaHora + QLatin1Char(')'),
                              kFormatoFechaHora + QLatin1Char(')'));
    }
    return copia;
}

// Rule 7: comparisons with '' become IS NULL from the first WHERE on.
QString reglaVacios(QString w)
{
    static const QString where = QStringLiteral("WHERE ");
    int k = w.indexOf(where, 0, Qt::CaseInsensitive);
    if (k < 0) return w;
    w = w.left(k) + reemplazaTodo(w.mid(k), QStringLiteral("= ''"), QStringLiteral(" IS NULL "));
    k = w.indexOf(where, 0, Qt::CaseInsensitive);
    w = w.left(k) + reemplazaTodo(w.mid(k), QStringLiteral("=''"), QStringLiteral(" IS NULL "));
    return w;
}

// Rule 8: style 103 of a TO_CHAR( becomes the Oracle date mask.
QString reglaEstilo103(QString w)
{
    static const QString to_char = QStringLiteral("TO_CHAR(");
    int i = w.indexOf(QStringLiteral("103"));
    while (i >= 0) {
        int siguiente = i + 3;
        const int p = w.lastIndexOf(QLatin1Char('('), i);
        if (p >= 7 && QStringView(w).mid(p - 7, 8).compare(to_char, Qt::CaseInsensitive) == 0) {
            w.replace(i, 3, kFormatoFecha);
            siguiente = i + kFormatoFecha.size();
        }
        i = w.indexOf(QStringLiteral("103"), siguiente);
    }
    return w;
}

}  // namespace

std::optional<QDateTime> fechaRegional(const QString& literal)
{
    static const QRegularExpression diaPrimero(QStringLiteral(
        "^([0-9]{1,2})([/-])([0-9]{1,2})\\2([0-9]{4}|[0-9]{2})(?: +([0-9]{1,2}):([0-9]{2})(?::([0-9]{2}))?)?$"));
    static const QRegularExpression anioPrimero(QStringLiteral(
        "^([0-9]{4})([/-])([0-9]{1,2})\\2([0-9]{1,2})(?:[ T]+([0-9]{1,2}):([0-9]{2})(?::([0-9]{2}))?)?$"));
    const QString s = literal.trimmed();
    if (s.isEmpty() || s.size() > 30) return std::nullopt;

    int dia = 0, mes = 0, anio = 0;
    QRegularExpressionMatch m = diaPrimero.match(s);
    if (m.hasMatch()) {
        dia = m.captured(1).toInt();
        mes = m.captured(3).toInt();
        const QString a = m.captured(4);
        anio = a.toInt();
        if (a.size() == 2) anio += anio < 30 ? 2000 : 1900;   // the classic two-digit year window
    } else {
        m = anioPrimero.match(s);
        if (!m.hasMatch()) return std::nullopt;
        anio = m.captured(1).toInt();
        mes = m.captured(3).toInt();
        dia = m.captured(4).toInt();
    }
    if (anio < 100) return std::nullopt;
    const QDate fecha(anio, mes, dia);
    if (!fecha.isValid()) return std::nullopt;
    QTime hora(0, 0);
    if (m.capturedLength(5) > 0) {
        hora = QTime(m.captured(5).toInt(), m.captured(6).toInt(),
                     m.capturedLength(7) > 0 ? m.captured(7).toInt() : 0);
        if (!hora.isValid()) return std::nullopt;
    }
    return QDateTime(fecha, hora);
}

QString ORACLE_Dicc(const QString& valor, const QString& cadenaConexion)
{
    if (!ado::dialectoOracle(cadenaConexion)) return valor;
    if (velmora::CuentaPalabras(valor) <= 1)
        return valor.compare(QStringLiteral("LEN"), Qt::CaseInsensitive) == 0 ? QStringLiteral("LENGTH") : valor;

    QString w = reglaTop(valor);

    // Function names and brackets are rewritten in the statement's own words
    // only; a value that reads "LEN(" or "[a-z]" reaches Oracle as written.
    auto palabras = [](const QString& t, const QString& buscar, const QString& poner) {
        return escaner::reemplaza(t, buscar, poner, escaner::Alcance::Codigo);
    };
    static const char* const len[] = {" LEN(", " LEN (", " LEN  (", " LEN   (", " LEN    ("};
    for (const char* l : len) w = palabras(w, QString::fromLatin1(l), QStringLiteral(" LENGTH("));

    {
        const QString leido = w;   // the reading views this copy while w changes
        const escaner::Lectura l(leido);
        for (qsizetype i = 0; i < leido.size(); ++i) {
            if (l.zona(i) != escaner::Zona::Nombre) continue;
            if (leido[i] == QLatin1Char('[') || leido[i] == QLatin1Char(']')) w[i] = QLatin1Char('"');
        }
    }

    w = reglaFechas(w);

    w = palabras(w, QStringLiteral("Charindex"), QStringLiteral("InStr"));

    w = palabras(w, QStringLiteral("CONVERT(NVARCHAR,"), QStringLiteral("TO_CHAR("));
    w = palabras(w, QStringLiteral("CONVERT(INT,"), QStringLiteral("TO_NUMBER("));

    w = reglaVacios(w);
    w = reglaEstilo103(w);

    w = palabras(w, QStringLiteral("SUBSTRING("), QStringLiteral("SUBSTR("));
    w = palabras(w, QStringLiteral("ISNULL("), QStringLiteral("NVL("));
    return w;
}

}  // namespace datos
