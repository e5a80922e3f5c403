#pragma once
// How SQL Server reads a character literal that meets a datetime column, for
// the TDS test server: the session's DATEFORMAT (from the login language or
// SET DATEFORMAT / SET LANGUAGE) orders the parts of separated forms, the
// unseparated form (yyyymmdd) and ISO 8601 with a "T" read the same in every
// language. A literal SQL Server would refuse gives its error (241, 242).
//
// The rewriting finds the literals that reach a datetime column: the values of
// INSERT ... VALUES, the assignments of UPDATE ... SET, and comparisons of a
// column with a literal. Those become 'yyyy-MM-dd HH:mm:ss.zzz', and the
// column side of a comparison is read through tds_fecha() so stored texts of
// any ISO shape compare as dates.
#include "ado/DialectoSqlite.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace tds::fechas {

struct Resultado {
    QString texto;         // the statement with its date literals rewritten
    int32_t error = 0;     // SQL Server's number when a literal cannot be a datetime
    QString mensaje;
};

// datetime keeps 1/300 s: milliseconds come back as the tick they fall on.
inline QDateTime enTics(const QDateTime& d)
{
    const qint64 ms = d.time().msecsSinceStartOfDay();
    const qint64 tics = (ms * 3 + 5) / 10;
    return QDateTime(d.date(), QTime(0, 0)).addMSecs((tics * 10 + 1) / 3);
}

// Orders of the date parts a DATEFORMAT names ("mdy", "dmy", ...); mdy otherwise.
inline QString formatoDeIdioma(const QString& idioma)
{
    const QString i = idioma.trimmed().toLower();
    if (i == QLatin1String("us_english") || i == QLatin1String("english")) return QStringLiteral("mdy");
    static const QStringList diaPrimero = {QStringLiteral("british"), QStringLiteral("español"), QStringLiteral("spanish"),
                                           QStringLiteral("français"), QStringLiteral("deutsch"), QStringLiteral("italiano")};
    if (diaPrimero.contains(i)) return QStringLiteral("dmy");
    return QStringLiteral("mdy");
}

enum class Lectura { Fecha, Invalida, FueraDeRango };

// A character literal read as SQL Server reads it into datetime.
inline Lectura leer(const QString& literal, const QString& formato, QDateTime& salida)
{
    const QString t = literal.trimmed();
    static const QRegularExpression sinSeparar(QStringLiteral("^(\\d{8}|\\d{6})(?:\\s+(.*))?$"));
    static const QRegularExpression isoT(QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})T(\\d{1,2}:\\d{2}(?::\\d{2}(?:\\.\\d{1,3})?)?)$"));
    static const QRegularExpression separada(QStringLiteral("^(\\d{1,4})([/.-])(\\d{1,4})\\2(\\d{1,4})(?:\\s+(.*))?$"));
    static const QRegularExpression hora(QStringLiteral("^(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2})(?:[.:](\\d{1,3}))?)?\\s*([AaPp][Mm])?$"));
    int a = 0, m = 0, d = 0;
    QString resto;
    bool anioCorto = false;
    QRegularExpressionMatch x;
    if ((x = sinSeparar.match(t)).hasMatch()) {
        const QString n = x.captured(1);
        if (n.size() == 8) {
            a = n.left(4).toInt();
            m = n.mid(4, 2).toInt();
            d = n.mid(6, 2).toInt();
        } else {
            a = n.left(2).toInt();
            m = n.mid(2, 2).toInt();
            d = n.mid(4, 2).toInt();
            anioCorto = true;
        }
        resto = x.captured(2);
    } else if ((x = isoT.match(t)).hasMatch()) {
        a = x.captured(1).toInt();
        m = x.captured(2).toInt();
        d = x.captured(3).toInt();
        resto = x.captured(4);
    } else if ((x = separada.match(t)).hasMatch()) {
        const QString p[3] = {x.captured(1), x.captured(3), x.captured(4)};
        resto = x.captured(5);
        QString orden = formato;
        // A four-digit first part is the year; the rest keeps the format's order of day and month.
        if (p[0].size() == 4) orden = formato.indexOf(QLatin1Char('d')) < formato.indexOf(QLatin1Char('m')) ? QStringLiteral("ydm") : QStringLiteral("ymd");
        for (int i = 0; i < 3; ++i) {
            const int v = p[i].toInt();
            switch (orden[i].unicode()) {
            case 'y': a = v; anioCorto = p[i].size() <= 2; break;
            case 'm': m = v; break;
            default: d = v; break;
            }
        }
    } else {
        return Lectura::Invalida;
    }
    if (anioCorto) a += a < 50 ? 2000 : 1900;   // the two-digit year cutoff, 2049
    QTime h(0, 0);
    if (!resto.trimmed().isEmpty()) {
        const auto y = hora.match(resto.trimmed());
        if (!y.hasMatch()) return Lectura::Invalida;
        int hh = y.captured(1).toInt();
        const QString ampm = y.captured(5).toUpper();
        if (ampm == QLatin1String("PM") && hh < 12) hh += 12;
        if (ampm == QLatin1String("AM") && hh == 12) hh = 0;
        h = QTime(hh, y.captured(2).toInt(), y.captured(3).toInt(), y.captured(4).leftJustified(3, QLatin1Char('0')).toInt());
        if (!h.isValid()) return Lectura::FueraDeRango;
    }
    const QDate f(a, m, d);
    if (!f.isValid() || a < 1753) return Lectura::FueraDeRango;
    salida = QDateTime(f, h);
    return Lectura::Fecha;
}

// The datetime columns of a table, by lower-case name; empty when none or
// unknown. Asked for "*" + table it gives every column of the table, in order.
using ColumnasFecha = std::function<QStringList(const QString& tabla)>;

inline QString sinCitas(QString n)
{
    if (n.startsWith(QLatin1Char('[')) && n.endsWith(QLatin1Char(']'))) n = n.mid(1, n.size() - 2);
    if (n.startsWith(QLatin1Char('"')) && n.endsWith(QLatin1Char('"'))) n = n.mid(1, n.size() - 2);
    return n;
}

inline Resultado reescribir(const QString& s, const QString& formato, const ColumnasFecha& columnasFecha)
{
    namespace dl = ado::dialecto;
    Resultado r{s};
    const std::vector<dl::Token> todos = dl::tokenizar(s);
    std::vector<dl::Token> t;   // without blanks and comments
    for (const dl::Token& k : todos)
        if (k.tipo != dl::TipoToken::Blanco && k.tipo != dl::TipoToken::Comentario) t.push_back(k);
    auto txt = [&](size_t i) { return i < t.size() ? s.mid(t[i].inicio, t[i].largo) : QString(); };
    auto palabra = [&](size_t i) { return i < t.size() && t[i].tipo == dl::TipoToken::Palabra ? txt(i).toUpper() : QString(); };
    auto simbolo = [&](size_t i, const char* x) { return i < t.size() && t[i].tipo == dl::TipoToken::Simbolo && txt(i) == QLatin1String(x); };
    auto esNombre = [&](size_t i) { return i < t.size() && (t[i].tipo == dl::TipoToken::Palabra || t[i].tipo == dl::TipoToken::Citado); };
    // A name that may carry owner and database ("dbo.T"): its index past the last part.
    auto nombreCompuesto = [&](size_t i, QString& nombre) {
        nombre.clear();
        if (!esNombre(i)) return i;
        nombre = sinCitas(txt(i));
        size_t k = i + 1;
        while (simbolo(k, ".") && esNombre(k + 1)) {
            nombre = sinCitas(txt(k + 1));
            k += 2;
        }
        return k;
    };
    if (t.empty()) return r;

    // The table the statement writes or reads first.
    QString tabla;
    size_t tras = 0;
    const QString primera = palabra(0);
    for (size_t i = 0; i < t.size(); ++i) {
        const QString p = palabra(i);
        if ((primera == QLatin1String("INSERT") && p == QLatin1String("INTO")) || (primera == QLatin1String("UPDATE") && i == 0)
            || ((primera == QLatin1String("SELECT") || primera == QLatin1String("DELETE")) && p == QLatin1String("FROM"))) {
            tras = nombreCompuesto(i + 1, tabla);
            break;
        }
    }
    if (primera == QLatin1String("INSERT") && tabla.isEmpty()) return r;
    if (tabla.isEmpty()) return r;
    const QStringList fechas = columnasFecha(tabla);
    if (fechas.isEmpty()) return r;

    struct Cambio { qsizetype inicio, largo; QString por; };
    std::vector<Cambio> cambios;
    auto convertir = [&](size_t i) -> bool {   // the literal at i, which meets a datetime column
        QString lit = txt(i);
        if (lit.startsWith(QLatin1Char('N')) || lit.startsWith(QLatin1Char('n'))) lit = lit.mid(1);
        if (!lit.startsWith(QLatin1Char('\'')) || lit.size() < 2) return true;
        const QString cuerpo = lit.mid(1, lit.size() - 2).replace(QLatin1String("''"), QLatin1String("'"));
        QDateTime d;
        switch (leer(cuerpo, formato, d)) {
        case Lectura::Fecha:
            cambios.push_back({t[i].inicio, t[i].largo, QLatin1Char('\'') + enTics(d).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")) + QLatin1Char('\'')});
            return true;
        case Lectura::FueraDeRango:
            r.error = 242;
            r.mensaje = QStringLiteral("The conversion of a varchar data type to a datetime data type resulted in an out-of-range value.");
            return false;
        case Lectura::Invalida:
            r.error = 241;
            r.mensaje = QStringLiteral("Conversion failed when converting date and/or time from character string.");
            return false;
        }
        return true;
    };
    auto esFecha = [&](const QString& columna) { return fechas.contains(columna.toLower()); };

    // INSERT INTO t [(c1, c2, ...)] VALUES (v1, v2, ...)[, (...)]
    if (primera == QLatin1String("INSERT")) {
        QStringList columnas;
        size_t i = tras;
        if (simbolo(i, "(")) {
            for (++i; i < t.size() && !simbolo(i, ")"); ++i)
                if (esNombre(i)) columnas << sinCitas(txt(i)).toLower();
            ++i;
        }
        if (palabra(i) != QLatin1String("VALUES")) return r;
        if (columnas.isEmpty()) columnas = columnasFecha(QLatin1Char('*') + tabla);   // every column, in order
        ++i;
        while (simbolo(i, "(")) {
            int prof = 0, posicion = 0;
            size_t inicioValor = i + 1;
            for (++i; i < t.size(); ++i) {
                if (simbolo(i, "(")) ++prof;
                else if (simbolo(i, ")") && prof > 0) --prof;
                else if (prof == 0 && (simbolo(i, ",") || simbolo(i, ")"))) {
                    if (i == inicioValor + 1 && t[inicioValor].tipo == dl::TipoToken::Cadena && posicion < columnas.size()
                        && esFecha(columnas[posicion]) && !convertir(inicioValor))
                        return r;
                    ++posicion;
                    inicioValor = i + 1;
                    if (simbolo(i, ")")) break;
                }
            }
            ++i;
            if (!simbolo(i, ",")) break;
            ++i;
        }
    }

    // column <op> 'literal' and 'literal' <op> column anywhere else (SET, WHERE, ON).
    static const QStringList operadores = {QStringLiteral("="), QStringLiteral("<>"), QStringLiteral("!="), QStringLiteral("<"),
                                           QStringLiteral(">"), QStringLiteral("<="), QStringLiteral(">=")};
    auto operador = [&](size_t i) { return i < t.size() && t[i].tipo == dl::TipoToken::Simbolo && operadores.contains(txt(i)); };
    bool enSet = false;
    for (size_t i = 0; i < t.size(); ++i) {
        const QString p = palabra(i);
        if (p == QLatin1String("SET")) enSet = primera == QLatin1String("UPDATE");
        if (p == QLatin1String("WHERE") || p == QLatin1String("FROM")) enSet = false;
        if (!esNombre(i) || t[i].tipo == dl::TipoToken::Cadena) continue;
        // The column, possibly qualified: its last part.
        size_t fin = i;
        while (simbolo(fin + 1, ".") && esNombre(fin + 2)) fin += 2;
        const QString columna = sinCitas(txt(fin));
        if (!esFecha(columna)) {
            i = fin;
            continue;
        }
        const size_t op = fin + 1;
        if (operador(op) && op + 1 < t.size() && t[op + 1].tipo == dl::TipoToken::Cadena) {
            if (!convertir(op + 1)) return r;
            if (!enSet || !simbolo(op, "=")) {   // a comparison: the stored text read as a date
                cambios.push_back({t[i].inicio, 0, QStringLiteral("tds_fecha(")});
                cambios.push_back({t[fin].inicio + t[fin].largo, 0, QStringLiteral(")")});
            }
        } else if (i >= 2 && operador(i - 1) && t[i - 2].tipo == dl::TipoToken::Cadena) {
            if (!convertir(i - 2)) return r;
            cambios.push_back({t[i].inicio, 0, QStringLiteral("tds_fecha(")});
            cambios.push_back({t[fin].inicio + t[fin].largo, 0, QStringLiteral(")")});
        }
        i = fin;
    }

    std::stable_sort(cambios.begin(), cambios.end(), [](const Cambio& a, const Cambio& b) { return a.inicio > b.inicio; });
    for (const Cambio& c : cambios) r.texto.replace(c.inicio, c.largo, c.por);
    return r;
}

// Stored text of a datetime column in the one shape the rewritten literals take.
inline QString normal(const QString& guardado)
{
    static const QRegularExpression iso(
        QStringLiteral("^\\s*(\\d{4})-(\\d{1,2})-(\\d{1,2})(?:[ T](\\d{1,2}):(\\d{2})(?::(\\d{2})(?:\\.(\\d{1,3})\\d*)?)?)?\\s*$"));
    const auto m = iso.match(guardado);
    if (!m.hasMatch()) return guardado;
    const QDate d(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const QTime h(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt(), m.captured(7).leftJustified(3, QLatin1Char('0')).toInt());
    if (!d.isValid() || !h.isValid()) return guardado;
    return enTics(QDateTime(d, h)).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

}  // namespace tds::fechas
