#include "Cotejo.h"

#include <QChar>
#include <QStringList>

#include <array>
#include <limits>

namespace ado::cotejo {

namespace {

// Primary weights: blanks and symbols by code point, then digits, then the
// letters a..z (Ñ between N and O), then other letters, then symbols beyond
// the basic plane. The secondary weight is the accent, the tertiary the case.
constexpr uint32_t kDigito = 0x10000;
constexpr uint32_t kLetra = 0x20000;
constexpr uint32_t kOtraLetra = 0x30000;
constexpr uint32_t kAstral = 0x200000;
constexpr uint32_t kPrimariaN = kLetra + ('n' - 'a') * 4;
constexpr uint32_t kPrimariaEnie = kPrimariaN + 2;
constexpr char32_t kBlanco = 0x20;

struct Peso {
    uint32_t p = 0;     // primary
    uint32_t s = 0;     // accents
    uint8_t t = 0;      // 1: capital
    bool enie = false;  // Ñ/ñ: a letter of its own only in the Spanish rules
};

Peso calcular(char32_t c)
{
    Peso w;
    if (c < 0x80) {
        if (c >= 'a' && c <= 'z') w.p = kLetra + (c - 'a') * 4;
        else if (c >= 'A' && c <= 'Z') { w.p = kLetra + (c - 'A') * 4; w.t = 1; }
        else if (c >= '0' && c <= '9') w.p = kDigito + (c - '0');
        else w.p = c;
        return w;
    }
    if (c == 0xF1 || c == 0xD1) {
        w.p = kPrimariaEnie;
        w.t = c == 0xD1;
        w.enie = true;
        return w;
    }
    // Base letter and accents: canonical decompositions into a character and
    // its marks. A decomposition into one character alone (the Kelvin sign,
    // the Ångström sign) is not followed: those stay characters of their own.
    char32_t base = c;
    std::array<char32_t, 4> marcas{};
    int nm = 0;
    for (int vuelta = 0; vuelta < 4; ++vuelta) {
        if (QChar::decompositionTag(base) != QChar::Canonical) break;
        const QList<uint> u = QChar::decomposition(base).toUcs4();
        if (u.size() < 2) break;
        base = u[0];
        for (qsizetype i = 1; i < u.size() && nm < 4; ++i) marcas[static_cast<size_t>(nm++)] = u[i];
    }
    // Only a base with one or two of the common accents (U+0300..U+036F) is
    // that base accented; anything else (Hangul syllables, three marks ...)
    // stays a character of its own, so that different characters never
    // weigh the same.
    bool acentos = nm >= 1 && nm <= 2;
    for (int i = 0; i < nm; ++i) acentos = acentos && marcas[static_cast<size_t>(i)] >= 0x300 && marcas[static_cast<size_t>(i)] <= 0x36F;
    if (!acentos) {
        base = c;
        nm = 0;
    } else if (nm == 1) {
        w.s = marcas[0];
    } else {
        w.s = 0x100000u | ((marcas[0] - 0x300) << 7) | (marcas[1] - 0x300);
    }
    w.t = QChar::toLower(c) != c ? 1 : 0;
    if (QChar::isLetter(base)) {
        char32_t minuscula = QChar::toLower(base);
        if (base >= 0x80 && minuscula < 0x80) minuscula = base;  // never folded into a basic letter
        if (minuscula >= 'a' && minuscula <= 'z') w.p = kLetra + (minuscula - 'a') * 4;
        else w.p = kOtraLetra + minuscula;
        return w;
    }
    if (QChar::category(base) == QChar::Number_DecimalDigit && QChar::digitValue(base) >= 0) {
        w.p = kDigito + static_cast<uint32_t>(QChar::digitValue(base));
        if (nm == 0) w.s = base;  // same place as 0-9, yet not equal to them
        return w;
    }
    w.p = base < 0x10000 ? base : kAstral + base;
    return w;
}

constexpr char32_t kTabla = 0x800;

const std::array<Peso, kTabla>& tabla()
{
    static const std::array<Peso, kTabla> t = [] {
        std::array<Peso, kTabla> r{};
        for (char32_t c = 0; c < kTabla; ++c) r[c] = calcular(c);
        return r;
    }();
    return t;
}

inline Peso peso(char32_t c)
{
    if (c < kTabla) return tabla()[c];
    return calcular(c);
}

inline uint32_t primaria(const Peso& w, const Reglas& r)
{
    return w.enie && !r.espanol ? kPrimariaN : w.p;
}

inline uint32_t secundaria(const Peso& w, const Reglas& r)
{
    return w.enie && !r.espanol ? 0x303 : w.s;
}

// UTF-8, with a byte that starts no valid sequence read as a character of its
// own (0xDC80..0xDCFF), so that different bytes never compare equal.
inline char32_t leer(const unsigned char*& p, const unsigned char* fin)
{
    const unsigned c = *p++;
    if (c < 0x80) return c;
    int n;
    char32_t v;
    if ((c & 0xE0) == 0xC0) { n = 1; v = c & 0x1F; }
    else if ((c & 0xF0) == 0xE0) { n = 2; v = c & 0x0F; }
    else if ((c & 0xF8) == 0xF0) { n = 3; v = c & 0x07; }
    else return 0xDC00 + c;
    if (fin - p < n) return 0xDC00 + c;
    for (int i = 0; i < n; ++i)
        if ((p[i] & 0xC0) != 0x80) return 0xDC00 + c;
    for (int i = 0; i < n; ++i) v = (v << 6) | (p[i] & 0x3F);
    p += n;
    return v;
}

int sinBlancosFinales(const char* s, int n)
{
    while (n > 0 && s[n - 1] == ' ') --n;
    return n;
}

template <typename F>
int compararNivel(const unsigned char* a, const unsigned char* fa, const unsigned char* b, const unsigned char* fb, F valor, bool* noAscii)
{
    const uint32_t blanco = valor(peso(kBlanco));
    while (a < fa || b < fb) {
        uint32_t x = blanco, y = blanco;
        if (a < fa) {
            if (*a >= 0x80 && noAscii) *noAscii = true;
            x = valor(peso(leer(a, fa)));
        }
        if (b < fb) {
            if (*b >= 0x80 && noAscii) *noAscii = true;
            y = valor(peso(leer(b, fb)));
        }
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
}

std::vector<char32_t> caracteres(QStringView s)
{
    std::vector<char32_t> r;
    r.reserve(static_cast<size_t>(s.size()));
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c.isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            r.push_back(QChar::surrogateToUcs4(c, s[i + 1]));
            ++i;
        } else {
            r.push_back(c.unicode());
        }
    }
    return r;
}

QString deCaracteres(const std::vector<char32_t>& c)
{
    return QString::fromUcs4(c.data(), static_cast<qsizetype>(c.size()));
}

std::vector<char32_t> sinBlancos(QStringView s)
{
    std::vector<char32_t> c = caracteres(s);
    while (!c.empty() && c.back() == kBlanco) c.pop_back();
    return c;
}

// The characters the default rules make equal to c that NOCASE does not
// already fold into it (NOCASE folds A-Z only).
std::vector<char32_t> formas(char32_t c)
{
    if (c < 0x80) return {c >= 'A' && c <= 'Z' ? c + 32 : c};
    std::vector<char32_t> r{c};
    const uint64_t k = clave(c);
    for (char32_t x : {static_cast<char32_t>(QChar::toLower(c)), static_cast<char32_t>(QChar::toUpper(c)),
                       static_cast<char32_t>(QChar::toTitleCase(c))}) {
        if (x < 0x80 || clave(x) != k) continue;
        bool visto = false;
        for (char32_t y : r) visto = visto || y == x;
        if (!visto) r.push_back(x);
    }
    return r;
}

QString prefijoDe(const std::vector<char32_t>& c, size_t hasta)
{
    std::vector<char32_t> r;
    for (size_t i = 0; i < hasta; ++i) {
        const std::vector<char32_t> f = formas(c[i]);
        if (f.size() != 1) break;
        r.push_back(f[0]);
    }
    return deCaracteres(r);
}

}  // namespace

uint64_t clave(char32_t c, const Reglas& r)
{
    const Peso w = peso(c);
    uint64_t k = static_cast<uint64_t>(primaria(w, r)) << 22;
    if (r.distingueAcento) k |= static_cast<uint64_t>(secundaria(w, r) & 0x1FFFFF) << 1;
    if (r.distingueCaso) k |= w.t;
    return k;
}

std::optional<Reglas> reglasDe(QStringView nombre)
{
    const QStringList partes = nombre.toString().split(QLatin1Char('_'), Qt::SkipEmptyParts);
    Reglas r;
    int caso = -1;
    for (int i = 0; i < partes.size(); ++i) {
        const QString& p = partes[i];
        if (p.compare(QLatin1String("CI"), Qt::CaseInsensitive) == 0) { r.distingueCaso = false; caso = i; }
        else if (p.compare(QLatin1String("CS"), Qt::CaseInsensitive) == 0) { r.distingueCaso = true; caso = i; }
        else if (p.compare(QLatin1String("AI"), Qt::CaseInsensitive) == 0) r.distingueAcento = false;
        else if (p.compare(QLatin1String("AS"), Qt::CaseInsensitive) == 0) r.distingueAcento = true;
    }
    if (caso <= 0) return std::nullopt;
    const QString base = partes.mid(0, caso).join(QLatin1Char('_'));
    r.espanol = base.startsWith(QLatin1String("Modern_Spanish"), Qt::CaseInsensitive)
                || base.startsWith(QLatin1String("Traditional_Spanish"), Qt::CaseInsensitive);
    return r;
}

int comparar(const char* a, int na, const char* b, int nb, const Reglas& r)
{
    na = sinBlancosFinales(a, na);
    nb = sinBlancosFinales(b, nb);
    const auto* ua = reinterpret_cast<const unsigned char*>(a);
    const auto* ub = reinterpret_cast<const unsigned char*>(b);
    bool noAscii = false;
    int c = compararNivel(ua, ua + na, ub, ub + nb, [&](const Peso& w) { return primaria(w, r); }, &noAscii);
    if (c != 0) return c;
    // Below 0x80 no character carries an accent.
    if (r.distingueAcento && noAscii) {
        c = compararNivel(ua, ua + na, ub, ub + nb, [&](const Peso& w) { return secundaria(w, r); }, nullptr);
        if (c != 0) return c;
    }
    if (r.distingueCaso) return compararNivel(ua, ua + na, ub, ub + nb, [](const Peso& w) { return static_cast<uint32_t>(w.t); }, nullptr);
    return 0;
}

int comparar(QStringView a, QStringView b, const Reglas& r)
{
    const QByteArray x = a.toUtf8(), y = b.toUtf8();
    return comparar(x.constData(), static_cast<int>(x.size()), y.constData(), static_cast<int>(y.size()), r);
}

// ---------------------------------------------------------------- LIKE

Patron::Patron(QStringView patron, char32_t escape, const Reglas& r) : reglas_(r)
{
    const std::vector<char32_t> c = caracteres(patron);
    const size_t n = c.size();
    for (size_t i = 0; i < n; ++i) {
        const char32_t x = c[i];
        Elemento e{};
        if (escape != 0 && x == escape && i + 1 < n) {
            e.tipo = Elemento::Literal;
            e.clave = clave(c[++i], r);
        } else if (x == '%') {
            if (!elementos_.empty() && elementos_.back().tipo == Elemento::Varios) continue;
            e.tipo = Elemento::Varios;
        } else if (x == '_') {
            e.tipo = Elemento::Uno;
        } else if (x == '[') {
            size_t cierre = i + 1;
            if (cierre < n && c[cierre] == '^') ++cierre;
            while (cierre < n && c[cierre] != ']') ++cierre;
            size_t desde = i + 1;
            const bool negado = desde < n && c[desde] == '^';
            if (negado) ++desde;
            if (cierre >= n || cierre == desde) {  // no set: a plain "["
                e.tipo = Elemento::Literal;
                e.clave = clave(x, r);
            } else {
                e.tipo = Elemento::Conjunto;
                e.negado = negado;
                for (size_t j = desde; j < cierre; ++j) {
                    if (j + 2 < cierre && c[j + 1] == '-') {
                        e.rangos.emplace_back(clave(c[j], r), clave(c[j + 2], r));
                        j += 2;
                    } else {
                        const uint64_t k = clave(c[j], r);
                        e.rangos.emplace_back(k, k);
                    }
                }
                i = cierre;
            }
        } else {
            e.tipo = Elemento::Literal;
            e.clave = clave(x, r);
        }
        elementos_.push_back(std::move(e));
    }
}

bool Patron::coincideClaves(const std::vector<uint64_t>& v) const
{
    const uint64_t blanco = clave(kBlanco, reglas_);
    size_t sinBlancos = v.size();
    while (sinBlancos > 0 && v[sinBlancos - 1] == blanco) --sinBlancos;
    const size_t n = v.size(), m = elementos_.size();
    auto encaja = [&](const Elemento& e, uint64_t k) {
        switch (e.tipo) {
        case Elemento::Literal: return e.clave == k;
        case Elemento::Uno: return true;
        case Elemento::Conjunto: {
            bool dentro = false;
            for (const auto& [a, b] : e.rangos) dentro = dentro || (a <= k && k <= b);
            return dentro != e.negado;
        }
        case Elemento::Varios: return false;
        }
        return false;
    };
    auto soloVarios = [&](size_t j) {
        while (j < m && elementos_[j].tipo == Elemento::Varios) ++j;
        return j == m;
    };
    constexpr size_t kNinguna = std::numeric_limits<size_t>::max();
    size_t i = 0, j = 0, estrella = kNinguna, desdeEstrella = 0;
    for (;;) {
        // The value's trailing blanks need not be matched.
        if (i >= sinBlancos && soloVarios(j)) return true;
        if (i < n && j < m && elementos_[j].tipo != Elemento::Varios && encaja(elementos_[j], v[i])) {
            ++i;
            ++j;
        } else if (j < m && elementos_[j].tipo == Elemento::Varios) {
            estrella = j++;
            desdeEstrella = i;
        } else if (estrella != kNinguna && desdeEstrella < n) {
            j = estrella + 1;
            i = ++desdeEstrella;
        } else {
            return false;
        }
    }
}

bool Patron::coincide(const char* utf8, int n) const
{
    thread_local std::vector<uint64_t> v;
    v.clear();
    const auto* p = reinterpret_cast<const unsigned char*>(utf8);
    const auto* fin = p + n;
    while (p < fin) v.push_back(clave(leer(p, fin), reglas_));
    return coincideClaves(v);
}

bool Patron::coincide(QStringView valor) const
{
    const QByteArray u = valor.toUtf8();
    return coincide(u.constData(), static_cast<int>(u.size()));
}

// ---------------------------------------------------------------- index help

size_t cuentaVariantes(QStringView literal, int largo)
{
    const std::vector<char32_t> c = sinBlancos(literal);
    constexpr size_t kMucho = std::numeric_limits<size_t>::max() / 4;
    size_t total = static_cast<size_t>(std::max(0, largo - static_cast<int>(c.size()))) + 1;
    for (char32_t x : c) {
        total *= formas(x).size();
        if (total > kMucho) return kMucho;
    }
    return total;
}

std::optional<std::vector<QString>> variantes(QStringView literal, int largo, size_t tope)
{
    const size_t n = cuentaVariantes(literal, largo);
    if (n > tope) return std::nullopt;
    std::vector<QString> r;
    r.reserve(n);
    for (size_t i = 0; i < n; ++i) r.push_back(*variante(literal, i, largo));
    return r;
}

std::optional<QString> variante(QStringView literal, size_t i, int largo)
{
    // The case forms (the first letter's varying slowest), each followed by
    // none, one ... blanks up to the length.
    const std::vector<char32_t> c = sinBlancos(literal);
    const size_t blancos = static_cast<size_t>(std::max(0, largo - static_cast<int>(c.size()))) + 1;
    std::vector<char32_t> nucleo(c.size());
    size_t n = i / blancos;
    for (size_t j = c.size(); j-- > 0;) {
        if (c[j] < 0x80) {   // NOCASE folds these by itself
            nucleo[j] = c[j] >= 'A' && c[j] <= 'Z' ? c[j] + 32 : c[j];
            continue;
        }
        const std::vector<char32_t> f = formas(c[j]);
        nucleo[j] = f[n % f.size()];
        n /= f.size();
    }
    if (n != 0) return std::nullopt;   // past the last
    return deCaracteres(nucleo) + QString(static_cast<qsizetype>(i % blancos), QLatin1Char(' '));
}

QString prefijoIgual(QStringView literal)
{
    const std::vector<char32_t> c = sinBlancos(literal);
    return prefijoDe(c, c.size());
}

QString prefijoPatron(QStringView patron, char32_t escape)
{
    const std::vector<char32_t> c = caracteres(patron);
    size_t hasta = 0;
    while (hasta < c.size() && c[hasta] != '%' && c[hasta] != '_' && c[hasta] != '[' && (escape == 0 || c[hasta] != escape)) ++hasta;
    return prefijoDe(c, hasta);
}

QString sucesor(QStringView prefijo)
{
    std::vector<char32_t> c = caracteres(prefijo);
    while (!c.empty()) {
        char32_t ultimo = c.back() + 1;
        if (ultimo >= 0xD800 && ultimo <= 0xDFFF) ultimo = 0xE000;
        if (ultimo <= 0x10FFFF) {
            c.back() = ultimo;
            return deCaracteres(c);
        }
        c.pop_back();
    }
    return QString();
}

}  // namespace ado::cotejo
