#pragma once
// Pieces of the Oracle script runner: a SQL Server script is normalised, cut
// into statements at their leading keywords, and each statement is either a
// transaction call or translated, filtered and executed by DB_Dll.
#include <QString>

namespace datos {

// Position (1-based) the runner uses for "no position": keywords at or after it are not seen.
constexpr int kSinPosicionScript = 1999999;

// Removes SET NOCOUNT ON/OFF and GO separators, turns every CR into a blank and
// maps BEGIN/COMMIT/ROLLBACK TRANS[ACTION] onto SET TRANSACTION, COMMIT, ROLLBACK.
// Line feeds stay.
void normalizarScriptOracle(QString& texto);

// Cuts the next statement: from the first keyword up to the next one (trimmed).
// texto becomes the text from the next keyword on (empty after the last
// statement). False, with texto untouched, when no keyword occurs.
// Keywords inside quoted literals or inside longer words do not cut.
bool siguienteSentenciaOracle(QString& texto, QString& sentencia);

enum class SentenciaOracle { Comenzar, Confirmar, Deshacer, Ejecutar };
// What the runner does with a cut statement.
SentenciaOracle clasificaSentenciaOracle(const QString& sentencia);

// Empty (and the caller's text emptied) for statements Oracle cannot run:
// SET NOCOUNT and IF NOT EXIST tests. Otherwise the text unchanged.
QString FiltraSentencia(QString& sentencia);

// TOP n * queries for Oracle: "Select TOP 1 * from T" gives
// "Select  *  from T WHERE ROWNUM <=  1 ". Unchanged on other connections; a
// lone "LEN" becomes "LENGTH". Throws Fallo(5) when there is "top " but no "*".
QString AjustaTopOracle(const QString& texto, const QString& cadenaConexion);

}  // namespace datos
