#pragma once
// The workstation's registered connections: BASES.TXT in the application folder,
// one record of five comma-separated fields per line (Windows-1252, CR LF).
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace acceso {

struct RegistroBase {
    QString Nombre;     // key shown in the access dialog's list
    QString Dbname;
    QString Usuario;
    QString Password;   // encrypted
    QString Servidor;   // may carry ":" and a port
};

// True when the file (double quotes removed from the path) opens for reading.
bool ExisteArchivo(const QString& ruta);
// CompletaRuta(application folder) + "BASES.TXT".
QString RutaBasesTxt();
// Connection key: upper-cased, trimmed database + " / " + upper-cased, trimmed server up to the first ":".
QString NombreConexion(const QString& servidor, const QString& dbname);
// Appends one record; the password is encrypted here. Raises ado::Fallo when the
// file cannot be written or a value cannot be held by the format.
void RegistraConexion(const QString& Nombre, const QString& Dbname, const QString& Usuario, const QString& Password,
                      const QString& Servidor);

// A value the format can hold once trimmed: no comma, no line break, not
// beginning with a double quote (the reader would take it as a quoted field).
bool CampoAdmitido(const QString& valor);
// The server as the file holds it: a SQL Server "name,port" takes the file's own
// port form "name:port"; empty when the server cannot be held at all.
QString ServidorParaRegistro(const QString& servidor);

// The fields of the file's text, in order: a field ends at a comma or at the end
// of a line, blanks in front are skipped, a field that begins with a double
// quote runs to the closing quote.
QStringList LeeCampos(const QString& texto);
// The records of the file's bytes, five fields each, even across lines; a short
// last record gets empty fields.
std::vector<RegistroBase> LeeRegistros(const QByteArray& bytes);
// The records of BASES.TXT; raises ado::Fallo when it exists but cannot be read.
std::vector<RegistroBase> LeeBasesTxt(const QString& ruta);

}  // namespace acceso
