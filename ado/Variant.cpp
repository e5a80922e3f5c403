#include "Variant.h"

#include <cmath>
#include <limits>

namespace ado {

Variant Variant::largo(int64_t v)
{
    if (v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max())
        return Variant(static_cast<int32_t>(v));
    return Variant(static_cast<double>(v));
}

bool Variant::esNumerico() const
{
    switch (tipo_) {
    case Tipo::Long: case Tipo::Integer: case Tipo::Double: case Tipo::Currency: case Tipo::Boolean:
        return true;
    default:
        return false;
    }
}

QString textoDeNumero(double v)
{
    if (std::isnan(v)) return QStringLiteral("0");
    if (v == std::floor(v) && std::fabs(v) < 1e15)
        return QString::number(static_cast<qint64>(v));
    QString s = QString::number(v, 'g', 15);
    return s;
}

QString Variant::toText() const
{
    switch (tipo_) {
    case Tipo::Empty: case Tipo::Null: return QString();
    case Tipo::Text: return texto_;
    case Tipo::Long: case Tipo::Integer: return QString::number(entero_);
    case Tipo::Double: return textoDeNumero(real_);
    case Tipo::Currency: {
        const int64_t a = entero_ < 0 ? -entero_ : entero_;
        QString s = QString::number(a / 10000);
        int64_t frac = a % 10000;
        if (frac) {
            QString f = QString::number(frac).rightJustified(4, QLatin1Char('0'));
            while (f.endsWith(QLatin1Char('0'))) f.chop(1);
            s += QLatin1Char('.') + f;
        }
        return entero_ < 0 ? QLatin1Char('-') + s : s;
    }
    case Tipo::Boolean: return entero_ ? QStringLiteral("True") : QStringLiteral("False");
    case Tipo::Date: {
        if (!fecha_.isValid()) return QString();
        if (fecha_.time() == QTime(0, 0)) return fecha_.toString(QStringLiteral("dd/MM/yyyy"));
        return fecha_.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    }
    }
    return QString();
}

double valorNumerico(const QString& texto)
{
    const int n = texto.size();
    int i = 0;
    auto blanco = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'); };
    while (i < n && blanco(texto[i])) ++i;
    if (i + 1 < n && texto[i] == QLatin1Char('&') && (texto[i + 1] == QLatin1Char('H') || texto[i + 1] == QLatin1Char('h'))) {
        i += 2;
        // Unsigned and capped: a long run of digits must not overflow.
        quint64 v = 0;
        bool alguno = false, desborde = false;
        while (i < n) {
            const int d = QStringLiteral("0123456789ABCDEF").indexOf(texto[i].toUpper());
            if (d < 0) break;
            if (v > (~quint64(0) >> 4)) desborde = true;
            else v = v * 16 + static_cast<quint64>(d);
            alguno = true;
            ++i;
        }
        if (!alguno) return 0;
        if (desborde) return static_cast<double>(~quint64(0));
        // Eight hex digits are a signed 32-bit value, as the classic &H literal.
        if (v <= 0xFFFFFFFFULL && v > 0x7FFFFFFFULL) return static_cast<double>(static_cast<qint64>(v) - 0x100000000LL);
        return static_cast<double>(v);
    }
    QString num;
    if (i < n && (texto[i] == QLatin1Char('-') || texto[i] == QLatin1Char('+'))) num += texto[i++];
    bool digitos = false, punto = false;
    while (i < n) {
        const QChar c = texto[i];
        if (c.isDigit() && c.unicode() < 128) { num += c; digitos = true; }
        else if (c == QLatin1Char('.') && !punto) { num += c; punto = true; }
        else if (blanco(c)) { /* the classic Val skips blanks inside the number */ }
        else break;
        ++i;
    }
    if (!digitos) return 0;
    if (i < n && (texto[i] == QLatin1Char('e') || texto[i] == QLatin1Char('E'))) {
        QString exp = QStringLiteral("e");
        int j = i + 1;
        if (j < n && (texto[j] == QLatin1Char('-') || texto[j] == QLatin1Char('+'))) exp += texto[j++];
        bool ed = false;
        while (j < n && texto[j].isDigit() && texto[j].unicode() < 128) { exp += texto[j++]; ed = true; }
        if (ed) num += exp;
    }
    bool ok = false;
    const double v = num.toDouble(&ok);
    return ok ? v : 0;
}

double Variant::toDouble() const
{
    switch (tipo_) {
    case Tipo::Empty: case Tipo::Null: return 0;
    case Tipo::Text: return valorNumerico(texto_);
    case Tipo::Long: case Tipo::Integer: return static_cast<double>(entero_);
    case Tipo::Double: return real_;
    case Tipo::Currency: return static_cast<double>(entero_) / 10000.0;
    case Tipo::Boolean: return entero_ ? -1 : 0;
    case Tipo::Date: {
        // Days since 30/12/1899, as the classic date serial.
        const QDateTime base(QDate(1899, 12, 30), QTime(0, 0));
        return static_cast<double>(base.msecsTo(fecha_)) / 86400000.0;
    }
    }
    return 0;
}

int64_t Variant::toCurrency() const
{
    if (tipo_ == Tipo::Currency) return entero_;
    return static_cast<int64_t>(std::llround(toDouble() * 10000.0));
}

int32_t Variant::toLong() const
{
    // Classic CLng rounds half to even.
    const double d = toDouble();
    const double r = std::nearbyint(d);
    if (r > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (r < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(r);
}

bool Variant::toBool() const
{
    if (tipo_ == Tipo::Text) {
        const QString t = texto_.trimmed();
        if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || t.compare(QLatin1String("verdadero"), Qt::CaseInsensitive) == 0) return true;
        if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0 || t.compare(QLatin1String("falso"), Qt::CaseInsensitive) == 0) return false;
    }
    return toDouble() != 0;
}

QDateTime Variant::toDate() const
{
    if (tipo_ == Tipo::Date) return fecha_;
    if (tipo_ == Tipo::Text) {
        const QString t = texto_.trimmed();
        static const char* formatos[] = {"dd/MM/yyyy HH:mm:ss", "dd/MM/yyyy HH:mm", "dd/MM/yyyy", "yyyy-MM-dd HH:mm:ss", "yyyy-MM-ddTHH:mm:ss",
                                         "yyyy-MM-dd HH:mm:ss.zzz", "yyyy-MM-dd", "dd/MM/yy HH:mm", "dd/MM/yy"};
        for (const char* f : formatos) {
            QDateTime d = QDateTime::fromString(t, QString::fromLatin1(f));
            if (d.isValid()) return d;
        }
        return QDateTime();
    }
    if (esNumerico()) {
        const QDateTime base(QDate(1899, 12, 30), QTime(0, 0));
        return base.addMSecs(static_cast<qint64>(std::llround(toDouble() * 86400000.0)));
    }
    return QDateTime();
}

bool Variant::operator==(const Variant& o) const
{
    if (tipo_ == Tipo::Empty || o.tipo_ == Tipo::Empty || tipo_ == Tipo::Null || o.tipo_ == Tipo::Null)
        return tipo_ == o.tipo_;
    if (tipo_ == Tipo::Text && o.tipo_ == Tipo::Text) return texto_ == o.texto_;
    if (tipo_ == Tipo::Date && o.tipo_ == Tipo::Date) return fecha_ == o.fecha_;
    if (esNumerico() && o.esNumerico()) return toDouble() == o.toDouble();
    return toText() == o.toText();
}

}  // namespace ado
