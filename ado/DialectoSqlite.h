#pragma once
// The suite writes SQL Server's dialect; SQLite gets it after these rewrites.
// Everything here is pure text work (no database), so it can be tested and
// fuzzed on its own.
#include <QString>
#include <QStringView>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ado::dialecto {

enum class TipoToken {
    Blanco,        // spaces, tabs, line ends
    Comentario,    // -- ... and /* ... */
    Palabra,       // keywords, names, @variables
    Cadena,        // '...' with '' inside (an N'...' literal keeps its N here)
    Citado,        // "...", [...] or `...`
    Numero,
    Fecha,         // #31/12/2024# that reads as a date
    Simbolo        // operators, parentheses, comma, dot, semicolon
};

struct Token {
    TipoToken tipo;
    int inicio;    // position in the text (0-based)
    int largo;
};

std::vector<Token> tokenizar(QStringView sql);

// What a statement means for the transaction state.
enum class ClaseSentencia { Otra, Comenzar, Confirmar, Deshacer };

// A choice the rewriting made from a literal's value (which condition goes in
// front of a comparison). A rewriting with the literals as parameters holds
// for other values only when each of its choices comes out the same.
struct Eleccion {
    enum class Tipo { Igualdad, Patron } tipo = Tipo::Igualdad;
    std::vector<int> literales;   // ordinals of the literals it read (1-based, in the statement)
    int largo = 0;                // Igualdad: the column's declared length
    bool izquierda = false;       // Igualdad: the column's left blanks are trimmed
    int resultado = 0;
    std::vector<int> cuentas;     // Igualdad: how many values each literal can equal
};

struct Sentencia {
    QString texto;      // rewritten, ready for SQLite
    QString original;   // the statement as it came in the batch
    ClaseSentencia clase = ClaseSentencia::Otra;
    // With parametros: the statement's '...' literals are ?1, ?2 ... in texto,
    // in their order; primerLiteral is the ordinal in the batch of the first one
    // (0-based) and literales how many it has. DDL and PRAGMA keep theirs.
    bool conParametros = false;
    int primerLiteral = 0;
    int literales = 0;
    std::vector<Eleccion> elecciones;
};

// The value of a '...' or N'...' literal token.
QString valorDeLiteral(QStringView token);

// Whether other literal values (the batch's, the statement's first one at
// primerLiteral) make the same choice an Eleccion records.
bool mismaEleccion(const Eleccion& e, const std::vector<QString>& valores, int primerLiteral);

// Splits a batch into statements: at ";" and where a statement keyword at
// parenthesis depth 0 cannot continue the current statement (batches separated
// only by line ends). INSERT ... SELECT, UNION SELECT, CREATE VIEW ... AS SELECT
// and trigger bodies stay whole. Returns the original texts.
std::vector<QString> dividirLote(QStringView sql);

// What the database declares for a column name: text or number decides
// between concatenation and addition for "+", and which comparisons take the
// database's text collation. Desconocido when the name is not a column, or
// columns of that name disagree. largo is the longest declared length of a
// text column of that name (0 when some have none, as TEXT).
enum class TipoColumna { Desconocido, Texto, Numero };
struct InfoColumna {
    TipoColumna tipo = TipoColumna::Desconocido;
    int largo = 0;
};
using TiposDeColumna = std::function<InfoColumna(QStringView nombre)>;

// Rewrites one statement: TOP n / TOP 100 PERCENT to LIMIT, table hints and the
// dbo. owner dropped, string "+" to "||", transaction words, #date# literals,
// [names], N'...', ISNULL( / LEFT( / RIGHT( / CONVERT(type, ...), and text
// comparisons, IN, ORDER BY and GROUP BY under the database's collation (see
// Cotejo.h), with an index-served condition in front where one is possible.
QString traducirSentencia(QStringView sql, ClaseSentencia* clase = nullptr, const TiposDeColumna& tipos = {});

// Split and rewrite. This is the pure entry point (fuzzing included): it never
// touches a database. With parametros the literals become parameters (see
// Sentencia), so that the rewriting serves every batch of the same shape.
std::vector<Sentencia> traducirLote(QStringView sql, const TiposDeColumna& tipos = {}, bool parametros = false);

// The same for raw bytes (UTF-8, invalid sequences replaced), for libFuzzer's
// LLVMFuzzerTestOneInput: returns the rewritten statements as UTF-8.
std::vector<std::string> traducirLoteUtf8(const uint8_t* datos, size_t largo);

// True for the words that begin a statement (SELECT, UPDATE, BEGIN ...).
bool esPalabraDeSentencia(QStringView palabra);

// A #date# body ("31/12/2024", "2024-12-31", "12/31/2024 10:00") as ISO text
// ('yyyy-MM-dd' or 'yyyy-MM-dd HH:mm:ss'); empty when it is not a date.
// Day first unless only the month-first reading is a valid date.
QString fechaIso(QStringView cuerpo);

}  // namespace ado::dialecto
