#pragma once
// Statement batches: the process-wide field and statement lists, the builders
// that turn collected columns into INSERT / UPDATE statements, the
// transactional batch that runs a statement list as one unit, and the suite's
// date and time format patterns.
#include <QString>
#include <cstdint>
#include <vector>

namespace datos {

// One column of the statement being built: its name and its value literal,
// ready to be placed in the statement.
struct CampoSentencia {
    QString columna;
    QString valor;
};

// The field list: AgregaCampo collects into it, GeneraSentencia consumes it.
extern std::vector<CampoSentencia> gCampos;
// The statement list: GeneraSentencia appends to it, GActualizarDatoScript runs
// it. Blank entries are allowed and skipped. Never emptied here: its owner
// starts it afresh before each batch.
extern std::vector<QString> gSentencias;

// Adds a column to gCampos (primero true restarts the list). The value loses
// its single quotes (the caller's variable too); "NULL" in any case becomes
// Null, anything else goes through SQLValue with delimitador as its Tipo.
void AgregaCampo(QString& columna, QString& valor, const QString& delimitador, bool& primero);

// Turns the field list into one INSERT (actualiza false) or UPDATE statement
// appended to sentencias. An UPDATE's condicion without "WHERE" becomes
// " WHERE " + condicion (the caller's variable too). Without conserva the field
// list is left as one empty entry.
void GeneraSentencia(std::vector<CampoSentencia>& campos, std::vector<QString>& sentencias, QString& tabla, bool& actualiza,
                     QString& condicion, bool& conserva);

// Runs the non-blank entries of sentencias as one transaction on the session's
// connection: committed when the connection's error collection stays empty,
// otherwise rolled back and recorded in AUX_ERR, with the errors shown when
// mostrar is set. guion receives the batch text, mensaje the error text and
// numeroError the native number of the first error (0 when none).
void GActualizarDatoScript(std::vector<QString>& sentencias, bool& fallo, int32_t& numeroError, bool silencioClave,
                           bool silencioRestriccion, QString& guion, QString& mensaje, bool mostrar);

// The suite's patterns "dd/mm/yy hh:mm", "dd/mm/yy" and "hh:mm" as Qt date and
// time formats; "/" is the regional date separator.
QString FormatoFechaHora();
QString FormatoFecha();
QString FormatoHora();

}  // namespace datos
