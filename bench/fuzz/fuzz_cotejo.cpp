// libFuzzer target: the embedded engine's text collation and LIKE
// (ado/Cotejo.h). Besides crashes and sanitizer reports, these are findings:
//  - an order that is not antisymmetric, or transitive on the three texts;
//  - a value equal to the literal (within the declared length) that none of
//    the literal's variants matches as NOCASE does;
//  - a value equal to the literal, or accepted by a pattern, outside the
//    NOCASE range of its prefix.
// The input is three texts separated by NUL bytes: literal, value, third text.
#include "ado/Cotejo.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

using namespace ado::cotejo;

void exige(bool c)
{
    if (!c) std::abort();
}

int signo(int x)
{
    return x < 0 ? -1 : (x > 0 ? 1 : 0);
}

int nocase(const QString& a, const QString& b)
{
    QByteArray x = a.toUtf8(), y = b.toUtf8();
    for (auto* s : {&x, &y})
        for (char& c : *s)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    const int n = static_cast<int>(std::min(x.size(), y.size()));
    const int c = std::memcmp(x.constData(), y.constData(), static_cast<size_t>(n));
    return c != 0 ? c : static_cast<int>(x.size() - y.size());
}

void dentroDelRango(const QString& valor, const QString& prefijo)
{
    exige(nocase(valor, prefijo) >= 0);
    const QString hasta = sucesor(prefijo);
    if (!hasta.isEmpty()) exige(nocase(valor, hasta) < 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t n)
{
    const QByteArray entrada(reinterpret_cast<const char*>(datos), static_cast<qsizetype>(n));
    const QList<QByteArray> partes = entrada.split('\0');
    if (partes.size() < 2) return 0;
    const QString lit = QString::fromUtf8(partes[0]).left(12);
    const QString valor = QString::fromUtf8(partes[1]).left(24);
    const QString otro = partes.size() > 2 ? QString::fromUtf8(partes[2]).left(24) : QString();

    for (const Reglas& r : {Reglas{}, Reglas{false, false, true}, Reglas{true, true, true}, Reglas{true, false, false}}) {
        const int ab = signo(comparar(valor, lit, r)), ba = signo(comparar(lit, valor, r));
        exige(ab == -ba);
        const int bc = signo(comparar(lit, otro, r)), ac = signo(comparar(valor, otro, r));
        if (ab == bc && ab != 0) exige(ac == ab);
        if (ab == 0) exige(ac == bc);
    }

    if (comparar(valor, lit) == 0 && !lit.contains(QChar(0))) {
        const int largo = static_cast<int>(valor.toUcs4().size());
        const auto v = variantes(lit, largo, 1u << 16);
        if (v) {
            bool esta = false;
            for (const QString& x : *v) esta = esta || nocase(x, valor) == 0;
            exige(esta);
        }
        dentroDelRango(valor, prefijoIgual(lit));
    }
    const Patron patron(lit, partes.size() > 3 && !partes[3].isEmpty() ? static_cast<char32_t>(static_cast<unsigned char>(partes[3][0])) : 0);
    if (patron.coincide(valor)) {
        const char32_t escape = partes.size() > 3 && !partes[3].isEmpty() ? static_cast<char32_t>(static_cast<unsigned char>(partes[3][0])) : 0;
        dentroDelRango(valor, prefijoPatron(lit, escape));
    }
    return 0;
}
