#pragma once
// The classic variant: one value of the suite's basic types, or Empty, or Null.
#include <QDateTime>
#include <QString>
#include <cstdint>

namespace ado {

class Variant {
public:
    enum class Tipo { Empty, Null, Text, Long, Integer, Double, Currency, Boolean, Date };

    Variant() = default;                       // Empty
    Variant(const QString& s) : tipo_(Tipo::Text), texto_(s) {}
    Variant(const char* s) : tipo_(Tipo::Text), texto_(QString::fromUtf8(s)) {}
    Variant(int32_t v) : tipo_(Tipo::Long), entero_(v) {}
    Variant(double v) : tipo_(Tipo::Double), real_(v) {}
    Variant(bool v) : tipo_(Tipo::Boolean), entero_(v ? 1 : 0) {}
    Variant(const QDateTime& d) : tipo_(Tipo::Date), fecha_(d) {}

    static Variant nulo() { Variant v; v.tipo_ = Tipo::Null; return v; }
    static Variant entero16(int16_t v) { Variant r; r.tipo_ = Tipo::Integer; r.entero_ = v; return r; }
    static Variant largo(int64_t v);          // Long when it fits, Double otherwise
    // Currency as a count of ten-thousandths.
    static Variant moneda(int64_t diezmilesimos) { Variant r; r.tipo_ = Tipo::Currency; r.entero_ = diezmilesimos; return r; }

    Tipo tipo() const { return tipo_; }
    bool isEmpty() const { return tipo_ == Tipo::Empty; }
    bool isNull() const { return tipo_ == Tipo::Null; }
    bool esNumerico() const;

    // Classic text form: Empty and Null give "", numbers with "." as decimal point,
    // Boolean "Verdadero"/"Falso" is not used: the suite writes "True"/"False".
    QString toText() const;
    // Numeric value; a text gives the value of its leading number (0 when none).
    double toDouble() const;
    int64_t toCurrency() const;                // ten-thousandths
    int32_t toLong() const;                    // rounded like the classic CLng
    bool toBool() const;
    QDateTime toDate() const;

    bool operator==(const Variant& o) const;
    bool operator!=(const Variant& o) const { return !(*this == o); }

private:
    Tipo tipo_ = Tipo::Empty;
    QString texto_;
    int64_t entero_ = 0;
    double real_ = 0;
    QDateTime fecha_;
};

// Value of the leading number of a text, as the classic Val(): blanks skipped,
// "." as the decimal point, an optional sign and exponent; 0 when there is no number.
// Also understands the "&H" hexadecimal prefix.
double valorNumerico(const QString& texto);

// Text form of a number as the classic Str/CStr would write it (no exponent for
// ordinary magnitudes, no trailing zeros, "." as decimal point).
QString textoDeNumero(double v);

}  // namespace ado
