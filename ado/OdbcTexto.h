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

// Classic error number of an ODBC SQLState: the link itself (08, and the
// driver manager's own IM / 01 at connection) is the unspecified failure that
// the callers treat as a lost connection; integrity, missing object and
// time-out have their own numbers; every other statement error is an error
// in the command.
int32_t numeroDeEstado(const QString& estado);

// FreeTDS's configuration files in the order FreeTDS reads them: FREETDSCONF,
// then ~/.freetds.conf, then the system's freetds.conf. True when one of them
// has a section named servidor (case ignored): FreeTDS then takes the port and
// the protocol version from it.
bool entradaFreeTds(const QString& servidor);

}  // namespace ado::odbc
