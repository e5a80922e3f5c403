// SQL Server's text comparison as the embedded engine gives it: the order and
// equality of Modern_Spanish_CI_AS and its relatives, LIKE, and the
// NOCASE-served conditions the rewriting puts in front of a comparison.
#include "ado/Cotejo.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QStringList>

#include <cstring>
#include <random>
#include <set>

using namespace ado::cotejo;

namespace {

int signo(int x)
{
    return x < 0 ? -1 : (x > 0 ? 1 : 0);
}

const Reglas kEspanol{};
const Reglas kLatin{false, false, true};
const Reglas kSensibleCaso{true, true, true};
const Reglas kSinAcentos{true, false, false};

}  // namespace

TEST(Cotejo, OrdenEIgualdadComoSqlServer)
{
    struct Caso {
        const char* a;
        const char* b;
        int esperado;   // sign of a compared with b
        Reglas reglas;
    };
    const Caso casos[] = {
        // Case does not count, for Spanish letters too; accents do.
        {"ÑANDÚ", "ñandú", 0, kEspanol},
        {"Álvarez", "ÁLVAREZ", 0, kEspanol},
        {"Müller", "MÜLLER", 0, kEspanol},
        {"á", "a", 1, kEspanol},
        {"Alvarez", "Álvarez", -1, kEspanol},
        {"ü", "u", 1, kEspanol},
        // Trailing blanks do not count; the shorter text is read as padded.
        {"abc", "ABC   ", 0, kEspanol},
        {"", "   ", 0, kEspanol},
        {"a\t", "a", -1, kEspanol},
        {"a ", "a\t", 1, kEspanol},
        {" a", "a", -1, kEspanol},
        // Accents decide only between texts equal in everything else.
        {"Álvarez", "Alvaro", -1, kEspanol},
        {"cañon", "canon", 1, kEspanol},
        // Modern Spanish: Ñ is a letter after N; Latin1_General: an N with a tilde.
        {"ñu", "nz", 1, kEspanol},
        {"ñu", "oa", -1, kEspanol},
        {"ñu", "nz", -1, kLatin},
        {"ñ", "n", 1, kLatin},
        // Symbols, then digits, then letters.
        {"_1", "01", -1, kEspanol},
        {"9", "a", -1, kEspanol},
        {"Z", "ª", -1, kEspanol},
        // Case and accent sensitivity of other collations.
        {"abc", "ABC", -1, kSensibleCaso},
        {"á", "a", 0, kSinAcentos},
        {"ÑANDU", "ñandú", 0, kSinAcentos},
        // Characters that only look alike stay apart.
        {"\u212A", "k", 1, kEspanol},
        {"A\xCC\x81", "\xC3\x81", 1, kEspanol},   // a loose accent is a character of its own
        {"\xED\x86\xB0", "\xED\x86\xB5", -1, kEspanol},   // Hangul syllables that share their first parts (found by fuzzing)
    };
    for (const Caso& c : casos) {
        const QString a = QString::fromUtf8(c.a), b = QString::fromUtf8(c.b);
        EXPECT_EQ(signo(comparar(a, b, c.reglas)), c.esperado) << c.a << " / " << c.b;
        EXPECT_EQ(signo(comparar(b, a, c.reglas)), -c.esperado) << c.b << " / " << c.a;
    }
}

TEST(Cotejo, NombresDeCotejo)
{
    ASSERT_TRUE(reglasDe(u"Modern_Spanish_CI_AS"));
    EXPECT_TRUE(reglasDe(u"modern_spanish_ci_as")->espanol);
    EXPECT_FALSE(reglasDe(u"Modern_Spanish_CI_AS")->distingueCaso);
    EXPECT_TRUE(reglasDe(u"Modern_Spanish_CI_AS")->distingueAcento);
    EXPECT_FALSE(reglasDe(u"SQL_Latin1_General_CP1_CI_AS")->espanol);
    EXPECT_TRUE(reglasDe(u"Latin1_General_CS_AS")->distingueCaso);
    EXPECT_FALSE(reglasDe(u"Latin1_General_CI_AI")->distingueAcento);
    EXPECT_FALSE(reglasDe(u"NOCASE"));
    EXPECT_FALSE(reglasDe(u"Latin1_General_BIN2"));
}

TEST(Cotejo, LikeComoSqlServer)
{
    struct Caso {
        const char* patron;
        const char* valor;
        bool coincide;
        char32_t escape;
    };
    const Caso casos[] = {
        {"ál%", "Álvarez", true, 0},
        {"ál%", "Alvaro", false, 0},
        {"%ÑAN%", "el ñandú", true, 0},
        {"%nan%", "el ñandú", false, 0},
        {"abc", "ABC", true, 0},
        {"abc", "abc   ", true, 0},      // the value's trailing blanks do not count
        {"abc ", "abc", false, 0},       // the pattern's do
        {"abc ", "abc   ", true, 0},
        {"a_c", "aÑc", true, 0},
        {"a_c", "ac", false, 0},
        {"[a-c]%", "Bravo", true, 0},
        {"[a-c]%", "ámbar", true, 0},    // á sorts between a and b
        {"[^a-c]%", "Delta", true, 0},
        {"[n-o]%", "ñu", true, 0},
        {"[xyz]", "Y", true, 0},
        {"[", "[", true, 0},
        {"100!%", "100%", true, U'!'},
        {"100!%", "1000", false, U'!'},
        {"100%", "1000", true, 0},
        {"%", "", true, 0},
        {"%a%b%", "xxaxxbxx", true, 0},
        {"%a%b", "xxaxxbxxb ", true, 0},
        {"%a%b", "xxaxxbxx", false, 0},
        {"a\tb", "a\tb", true, 0},
        {"a%", "a\t", true, 0},
        {"a", "a\t", false, 0},
    };
    for (const Caso& c : casos)
        EXPECT_EQ(Patron(QString::fromUtf8(c.patron), c.escape).coincide(QString::fromUtf8(c.valor)), c.coincide) << c.patron << " / " << c.valor;
}

TEST(Cotejo, VariantesYPrefijos)
{
    auto lista = [](const std::optional<std::vector<QString>>& v) {
        std::set<QString> s;
        if (v) s.insert(v->begin(), v->end());
        return s;
    };
    EXPECT_EQ(lista(variantes(u"OC ", 4, 64)), (std::set<QString>{"oc", "oc ", "oc  "}));
    EXPECT_EQ(lista(variantes(u"000100001204A", 13, 64)), (std::set<QString>{"000100001204a"}));
    EXPECT_EQ(lista(variantes(u"Ñu", 2, 64)), (std::set<QString>{QString::fromUtf8("ñu"), QString::fromUtf8("Ñu")}));
    EXPECT_EQ(lista(variantes(u"", 2, 64)), (std::set<QString>{"", " ", "  "}));
    EXPECT_EQ(lista(variantes(u"toolong", 3, 64)), (std::set<QString>{"toolong"}));
    EXPECT_FALSE(variantes(u"ñáéíóú", 10, 64));
    EXPECT_EQ(cuentaVariantes(u"ñáéíóú", 10), 64u * 5u);
    // Each one alone, in the same order.
    for (const auto& [lit, largo] : {std::pair<const char*, int>{"Ñu", 4}, {"p1", 5}, {"", 3}, {"Áb Ü", 6}}) {
        const QString l = QString::fromUtf8(lit);
        const auto todas = variantes(l, largo, 1000);
        ASSERT_TRUE(todas);
        for (size_t i = 0; i < todas->size(); ++i) EXPECT_EQ(variante(l, i, largo), (*todas)[i]) << lit << " " << i;
        EXPECT_FALSE(variante(l, todas->size(), largo));
    }

    EXPECT_EQ(prefijoIgual(u"P00003  "), QStringLiteral("p00003"));
    EXPECT_EQ(prefijoIgual(u"Ca\u00F1a"), QStringLiteral("ca"));
    EXPECT_EQ(prefijoIgual(u"\u00D1u"), QString());
    EXPECT_EQ(prefijoPatron(u"Tor_o%"), QStringLiteral("tor"));
    EXPECT_EQ(prefijoPatron(u"100!%", U'!'), QStringLiteral("100"));
    EXPECT_EQ(prefijoPatron(u"%x"), QString());
    EXPECT_EQ(sucesor(u"p00003"), QStringLiteral("p00004"));
    EXPECT_EQ(sucesor(u"az"), QStringLiteral("a{"));
    EXPECT_EQ(sucesor(u""), QString());
}

namespace {

// What SQLite's stock NOCASE does: ASCII letters folded, bytes compared.
int nocase(const QString& a, const QString& b)
{
    QByteArray x = a.toUtf8(), y = b.toUtf8();
    for (auto* s : {&x, &y})
        for (char& c : *s)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    const int n = std::min(x.size(), y.size());
    const int c = std::memcmp(x.constData(), y.constData(), static_cast<size_t>(n));
    if (c != 0) return c;
    return static_cast<int>(x.size() - y.size());
}

QString azar(std::mt19937& g, int largoMaximo)
{
    static const QStringList letras = {"a", "A", "b", "n", "N", "ñ", "Ñ", "á", "Á", "ü", "Ü", " ", " ", "\t", "z", "{", "@", "0", "_",
                                       "\u212A", "k", "ß", "ø", "Ø"};
    QString s;
    const int n = static_cast<int>(g() % static_cast<unsigned>(largoMaximo + 1));
    for (int i = 0; i < n; ++i) s += letras[static_cast<int>(g() % static_cast<unsigned>(letras.size()))];
    return s;
}

}  // namespace

// The index-served conditions never leave out a value the comparison accepts:
// every value equal to a literal (no longer than the declared length) is one
// of its variants, NOCASE-wise, and lies in its prefix range; every value a
// pattern accepts lies in the pattern's prefix range. The order is a total
// order whose equality is the variants'.
TEST(Cotejo, CondicionesDelIndiceNoPierdenFilas)
{
    std::mt19937 g(20261211);
    constexpr int kLargo = 5;
    int iguales = 0;
    for (int vuelta = 0; vuelta < 20000; ++vuelta) {
        const QString lit = azar(g, 4);
        QString valor = g() % 3 == 0 ? lit : azar(g, kLargo);
        if (g() % 2 && valor.size() < kLargo) valor += QStringLiteral(" ");
        if (valor.size() > kLargo) continue;
        const bool igual = comparar(valor, lit) == 0;
        // A trimmed column (LTRIM) equal to the literal: it starts with a blank,
        // or it is one of the variants.
        for (const bool izquierda : {false, true}) {
            const QString comparado = izquierda ? QString(valor).remove(QRegularExpression(QStringLiteral("^ +"))) : valor;
            if (comparar(comparado, lit) != 0) continue;
            if (izquierda && valor.startsWith(QLatin1Char(' '))) continue;
            const auto v = variantes(lit, kLargo, 100000);
            ASSERT_TRUE(v);
            bool esta = false;
            for (const QString& x : *v) esta = esta || nocase(x, valor) == 0;
            EXPECT_TRUE(esta) << valor.toStdString() << " = " << lit.toStdString() << (izquierda ? " (LTRIM)" : "");
        }
        if (igual) {
            ++iguales;
            const QString desde = prefijoIgual(lit), hasta = sucesor(desde);
            EXPECT_GE(nocase(valor, desde), 0) << valor.toStdString() << " / " << lit.toStdString();
            if (!hasta.isEmpty()) {
                EXPECT_LT(nocase(valor, hasta), 0) << valor.toStdString() << " / " << lit.toStdString();
            }
        }
        // Patterns: lit followed by % or _.
        const QString patron = lit + (g() % 2 ? QStringLiteral("%") : QStringLiteral("_"));
        if (Patron(patron).coincide(valor)) {
            const QString desde = prefijoPatron(patron), hasta = sucesor(desde);
            EXPECT_GE(nocase(valor, desde), 0) << valor.toStdString() << " LIKE " << patron.toStdString();
            if (!hasta.isEmpty()) {
                EXPECT_LT(nocase(valor, hasta), 0) << valor.toStdString() << " LIKE " << patron.toStdString();
            }
        }
        // A total order: antisymmetric and transitive.
        const QString otro = azar(g, kLargo);
        const int ab = signo(comparar(valor, lit)), bc = signo(comparar(lit, otro)), ac = signo(comparar(valor, otro));
        EXPECT_EQ(ab, -signo(comparar(lit, valor)));
        if (ab == bc && ab != 0) {
            EXPECT_EQ(ac, ab) << valor.toStdString() << " " << lit.toStdString() << " " << otro.toStdString();
        }
        if (ab == 0) {
            EXPECT_EQ(ac, bc);
        }
    }
    EXPECT_GT(iguales, 1000);
}
