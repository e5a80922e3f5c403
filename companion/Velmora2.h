#pragma once
// The suite's companion library of general services: INI files, text services,
// system names, encryption, control-array helpers, application folder.
#include "ado/Errores.h"
#include "ado/Variant.h"

#include <QList>
#include <QObject>
#include <QString>

namespace velmora {

// --- INI component ---------------------------------------------------------
// Value of key in section of an INI-style file (Windows-1252, CR LF or LF),
// section and key compared ignoring case; the default when absent.
QString LeeIni(const QString& archivo, const QString& seccion, const QString& clave, const QString& porDefecto);

// --- System component ------------------------------------------------------
QString NombreEquipo();      // host name
QString UsuarioEquipo();     // operating-system user name
QString CarpetaTemporal();   // a folder for temporary files, ending with "/"

// --- Text component --------------------------------------------------------
// The folder ending with a path separator ("/"); "\" separators become "/".
QString CompletaRuta(const QString& carpeta);
// The value as text; empty for Null and Empty.
QString CampoATexto(const ado::Variant& valor);
// The text without any occurrence of the given characters.
QString QuitaCaracteres(const QString& texto, QChar c1, QChar c2 = QChar());
// Every occurrence of buscar replaced (case-sensitive, as the classic Replace).
QString Reemplaza(const QString& texto, const QString& buscar, const QString& reemplazo);
// Every occurrence replaced, ignoring case.
QString ReemplazaTexto(const QString& texto, const QString& buscar, const QString& reemplazo);
// Numeric value of a text: its leading number, "," or "." as decimal point; 0 when none.
double TextoANumero(const QString& texto);
// Integer value of a text (TextoANumero rounded).
int TextoAEntero(const QString& texto);
// The text cut to at most maximo characters.
QString RecortaTexto(const QString& texto, int maximo);
// Number of blank-separated words.
int CuentaPalabras(const QString& texto);
// Display form of a text: control characters become blanks, trailing blanks
// dropped; cut to longitud characters when longitud > 0.
QString AjustaTexto(const QString& texto, int longitud = 0);

// --- Encryption ------------------------------------------------------------
// Reversible encryption of a stored password. The result holds only the
// characters A-Z a-z 0-9 - _ (it fits one field of a comma-separated line).
// The key lives in a per-user file created with mode 0600 on first use
// ($PERMUTAL_CLAVE when set, else ~/.config/permutal/clave).
QString Encripta(const QString& texto);
// What Encripta received; an empty text for anything that does not decrypt.
QString Desencripta(const QString& texto);

// --- Control-array component -------------------------------------------------
// Index in the array of the member whose "DataField" property equals nombre,
// ignoring case; -1 when none.
int IndiceControl(const QString& nombre, const QList<QObject*>& controles);
// Moves the focus to the next control in tab order (for Enter, code 13).
void EnterComoTab(int codigoTecla);

// --- Application component ---------------------------------------------------
void FijaRutaAplicacion(const QString& carpeta);
QString RutaAplicacion();          // what FijaRutaAplicacion received, or the application folder
// The program's executable name without extension ("Permutal").
QString NombreEjecutable();

// --- Error dialog ------------------------------------------------------------
// Shows the error (Abort/Retry/Ignore through the operator) and returns the answer:
// 4 retry, 5 ignore, anything else abandon.
int InformaError(int32_t numero, const QString& descripcion, const QString& origen = QString());
inline int InformaError(const ado::Fallo& f) { return InformaError(f.Number(), f.Description(), f.Source()); }

}  // namespace velmora
