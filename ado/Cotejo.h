#pragma once
// SQL Server's text comparison for the embedded engine.
//
// The database file keeps SQLite's stock NOCASE collation in its schema, so
// every index stays valid for the stock sqlite3 tool whatever the program
// writes. SQL Server's rules (Modern_Spanish_CI_AS: case does not count, for
// Ñ/ñ, Á/á ... too, accents do, trailing blanks do not) live in a collation of
// this name that the provider registers on its own connections and that only
// rewritten statement text names, never the schema. To keep indexes useful,
// the rewriting puts a NOCASE-served condition in front of such a comparison
// (the values that can be equal, or a prefix range): see DialectoSqlite.
#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <vector>

namespace ado::cotejo {

// The collation the embedded engine gives a database: what a Spanish SQL
// Server installation uses by default.
inline constexpr const char* kNombre = "Modern_Spanish_CI_AS";

struct Reglas {
    bool espanol = true;           // Ñ is a letter of its own, after N (Modern_Spanish)
    bool distingueCaso = false;    // _CS
    bool distingueAcento = true;   // _AS
};

// The rules of a collation name SQL Server knows (Modern_Spanish_CI_AS,
// Latin1_General_CS_AI, SQL_Latin1_General_CP1_CI_AS ...); nothing for others.
std::optional<Reglas> reglasDe(QStringView nombre);

// Three-way comparison of two UTF-8 texts; the shorter one counts as padded
// with blanks, so trailing blanks never count.
int comparar(const char* a, int na, const char* b, int nb, const Reglas& r = {});
int comparar(QStringView a, QStringView b, const Reglas& r = {});

// A LIKE pattern as SQL Server reads it: %, _, [abc], [a-z], [^a], an optional
// escape character; letters compare by the collation; the value's trailing
// blanks do not count.
class Patron {
public:
    explicit Patron(QStringView patron, char32_t escape = 0, const Reglas& r = {});
    bool coincide(const char* utf8, int n) const;
    bool coincide(QStringView valor) const;

private:
    struct Elemento {
        enum Tipo { Literal, Uno, Varios, Conjunto } tipo;
        uint64_t clave = 0;                                   // Literal
        std::vector<std::pair<uint64_t, uint64_t>> rangos;    // Conjunto: [desde, hasta]
        bool negado = false;
    };
    bool coincideClaves(const std::vector<uint64_t>& v) const;
    std::vector<Elemento> elementos_;
    Reglas reglas_;
};

// Stored values that the default rules make equal to a literal, as NOCASE
// sees them: the literal without its trailing blanks, with the case variants of
// the letters NOCASE does not fold, followed by as many blanks as a column of
// the declared length can hold. Nothing when there would be more than tope.
std::optional<std::vector<QString>> variantes(QStringView literal, int largo, size_t tope);
size_t cuentaVariantes(QStringView literal, int largo);
// The i-th of them (0-based, in the same order), without the others.
std::optional<QString> variante(QStringView literal, size_t i, int largo);

// The start of a literal that NOCASE alone decides (up to the first letter
// whose case NOCASE does not fold), folded; every value the default rules make
// equal to the literal starts with it. Trailing blanks are left out.
QString prefijoIgual(QStringView literal);
// The same for a LIKE pattern: its characters before the first wildcard.
QString prefijoPatron(QStringView patron, char32_t escape = 0);
// The smallest text above every text that starts with prefijo (NOCASE order);
// empty when the prefix is empty.
QString sucesor(QStringView prefijo);

// One character's sort key under the rules: comparing keys is comparing
// characters.
uint64_t clave(char32_t c, const Reglas& r = {});

}  // namespace ado::cotejo
