#pragma once
// Rewriting of the suite's SQL Server statements into the Oracle dialect.
// A text rewriter, not a parser: each rule is a search and replace (ignoring
// case) or a small cut-and-join applied to the result of the previous rule.
#include <QDateTime>
#include <QString>

#include <optional>

namespace datos {

// Statement text translated to Oracle when cadenaConexion names an Oracle
// provider; unchanged otherwise. A lone "LEN" becomes "LENGTH".
// Throws ado::Fallo(5) on a text with an unmatched single quote.
QString ORACLE_Dicc(const QString& valor, const QString& cadenaConexion);

// Text helpers shared by the data routines. Searches ignore case.
namespace texto {

// Every occurrence of buscar replaced, ignoring case; an empty buscar changes nothing.
QString reemplazaTodo(const QString& texto, const QString& buscar, const QString& reemplazo);
bool contiene(const QString& texto, const QString& buscar);
// Position (0-based) of the first "top " that starts a word (not the tail of
// LAPTOP or STOP), -1 when none.
int posicionTop(const QString& texto);
// Letters, digits and "_": characters that continue an identifier.
bool esDeIdentificador(QChar c);

}  // namespace texto

// A literal's text read as a date under Spanish regional settings
// (day/month/year): d/m/yyyy, dd/mm/yy, dd-mm-yyyy, yyyy-mm-dd, each with an
// optional time hh:mm[:ss]. Empty when it is not a date.
std::optional<QDateTime> fechaRegional(const QString& literal);

}  // namespace datos
