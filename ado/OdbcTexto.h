#pragma once
// Turning the OLE DB style connection texts of the data routines into ODBC ones.
#include "TextoConexion.h"

#include <QString>
#include <cstdint>
#include <vector>

namespace ado::odbc {

// One "key=value" item of a connection text, with the value unquoted.
struct Par {
    QString clave;      // trimmed
    QString valor;      // trimmed, quotes / braces removed
    QString crudo;      // the item as written (without the ";")
};

// Splits a connection text. Values may be quoted with "..." or '...' (a doubled
// quote stands for itself) or with ODBC braces {...} ("}}" stands for "}").
std::vector<Par> separar(const QString& texto);

// Value as it may go into an ODBC text: wrapped in braces when it could end
// the item or be read as a brace value, so a password cannot add keys.
QString valorOdbc(const QString& v);

// Driver names: settings with defaults.
QString controladorSqlServer();
QString controladorOracle();
QString controladorAccess();

struct TextoOdbc {
    QString texto;           // full ODBC text (holds the password)
    long tiempoConexion = 0; // "Connect Timeout" given in the text, 0 when none
    QString archivo;         // Access: the database file
};

// usuario / clave, when not empty, replace the ones in the text (as ADO's Open does).
TextoOdbc construir(const QString& textoOleDb, Destino destino, const QString& usuario = QString(),
                    const QString& clave = QString());

// Classic error number of an ODBC SQLState (integrity, missing table, command text, other).
int32_t numeroDeEstado(const QString& estado);

}  // namespace ado::odbc
