#pragma once
// Literals for SQL text and the small name helpers of the data access class.
#include "ado/Variant.h"

#include <QString>

namespace datos {

// --- Quotes ------------------------------------------------------------------
// The text with every single quote doubled: the one way a value goes inside a
// '...' literal, so that it stays a literal.
QString comillas(const QString& texto);
// LIKE patterns need nothing else than the literal rule (the wildcards the
// operator types are meant as wildcards).
inline QString patronLike(const QString& texto) { return comillas(texto); }

// --- ADO field type classifiers (type number, or the number written as text) --
bool adodate(const ado::Variant& Qtype);
bool ADOText(const ado::Variant& Qtype);
bool ADONumeric(const ado::Variant& Qtype);
bool ADOCurrency(const ado::Variant& Qtype);
bool ADOBoolean(const ado::Variant& Qtype);
// "'" for dates and texts, an empty text for every other type.
QString ADOComilla(const ado::Variant& Qtype);

// A literal ready to be placed in a statement. Tipo "'" encloses the value in
// quotes (its own quotes doubled); "@" writes it as a number with "." as the
// decimal point. A Null gives NULL, except with "@" where it throws Fallo(94).
ado::Variant SQLValue(const ado::Variant& Valor, const QString& Tipo = QStringLiteral("'"));

// --- Object names ------------------------------------------------------------
// One part of owner.table: rnPart non-zero the table, zero the owner. With two
// dots rsName itself becomes its StripOwner form. Throws Fallo(5) for part 0
// of a name without ".".
QString stSTF(QString& rsName, int rnPart);
// [name] when it holds a blank and is not bracketed yet.
QString AddBrackets(const QString& rObjName);
// The name without its " ->connection" suffix. Throws Fallo(5) when it starts with "->".
QString StripConnect(const QString& rsTblName);
// The name without its enclosing square brackets.
QString StripBrackets(const QString& rsObjName);
// The text after the first "." (the caller's variable is cut too).
QString StripOwner(QString& rsTblName);
// The folder of a path ("\" or "/" separated), empty when it has none. Never fails.
QString StripFileName(const QString& rsFileName);

}  // namespace datos
