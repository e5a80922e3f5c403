#pragma once
// One reading of statement text for every decision the data routines and the
// lookups take about a statement (a keyword, a clause, a table name, a marker).
// Quoted literals ('...' with doubled quotes, N'...', #dates#), quoted names
// ([...], "...") and comments (-- to the end of the line, /* ... */) are told
// apart from the statement's own words, so nothing typed inside a value can
// change what the program decides about the statement or what it rewrites.
#include <QString>
#include <QStringView>
#include <initializer_list>
#include <vector>

namespace datos::escaner {

enum class Zona : unsigned char { Codigo, Literal, Nombre, Comentario };

// Which parts of the text a search may match in.
enum class Alcance {
    Codigo,           // the statement's own words and symbols only
    CodigoYNombres    // also inside [names] and "names" (table names written quoted)
};

class Lectura {
public:
    explicit Lectura(QStringView sql);

    QStringView texto() const { return sql_; }
    Zona zona(qsizetype i) const { return zonas_[static_cast<size_t>(i)]; }
    // Parenthesis depth of the code at position i (literals do not count).
    int nivel(qsizetype i) const { return niveles_[static_cast<size_t>(i)]; }

    // First occurrence of que (ignoring case) at or after desde whose every
    // character lies in the given scope; -1 when none.
    qsizetype busca(const QString& que, qsizetype desde = 0, Alcance a = Alcance::Codigo) const;
    bool contiene(const QString& que, Alcance a = Alcance::Codigo) const { return busca(que, 0, a) >= 0; }

    // Start of the first clause made of these words (e.g. ORDER BY) at
    // parenthesis depth 0, the words whole and apart only by blanks or
    // comments; -1 when none.
    qsizetype buscaClausula(std::initializer_list<const char*> palabras, qsizetype desde = 0) const;

    // Start of the first whole word equal to palabra (ignoring case) in code; -1 when none.
    qsizetype buscaPalabra(const QString& palabra, qsizetype desde = 0, bool soloNivelCero = false) const;

private:
    bool enAlcance(qsizetype desde, qsizetype largo, Alcance a) const;
    struct Tramo {
        qsizetype inicio, largo;
        bool palabra;   // a word token of code
    };
    QStringView sql_;
    std::vector<Zona> zonas_;
    std::vector<int> niveles_;
    std::vector<Tramo> tramos_;   // code tokens other than blanks, in order
};

// Shorthands over one reading.
bool contiene(QStringView sql, const QString& que, Alcance a = Alcance::Codigo);
qsizetype clausula(QStringView sql, std::initializer_list<const char*> palabras);

// Every occurrence of que (ignoring case) within the scope replaced by por;
// text inside literals and comments is left as it is. An empty que changes nothing.
QString reemplaza(QStringView sql, const QString& que, const QString& por, Alcance a = Alcance::CodigoYNombres);

// The statement's shape: every literal replaced by one placeholder, blanks
// and comments kept. Two statements with equal skeletons differ only in
// their values.
QString esqueleto(QStringView sql);

}  // namespace datos::escaner
