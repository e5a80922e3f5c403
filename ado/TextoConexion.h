#pragma once
// Reading connection texts such as "PROVIDER=SQLOLEDB;Server=x;Database =y;UId=u;Pwd=p;".
#include <QString>
#include <utility>
#include <vector>

namespace ado {

class TextoConexion {
public:
    explicit TextoConexion(const QString& texto);
    // Value of a key, matched without regard to case and blanks around "=";
    // the last occurrence wins, as in OLE DB. Empty when absent.
    QString valor(const QString& clave) const;
    bool tiene(const QString& clave) const;
    // First key of the list that is present.
    QString valorDe(std::initializer_list<const char*> claves) const;
    const std::vector<std::pair<QString, QString>>& pares() const { return pares_; }

private:
    std::vector<std::pair<QString, QString>> pares_;
};

// Reads a quoted value starting at t[j] (the opening mark), the closing mark
// written twice inside it. On success sets valor and fin (first position after
// the closing mark).
bool leerEntre(const QString& t, int j, QChar apertura, QChar cierre, QString& valor, int& fin);

// Which engine a connection text asks for.
enum class Destino { Ninguno, Sqlite, SqlServer, Oracle, Access, OdbcDirecto };
Destino destinoDe(const QString& texto);

// True when statements of this connection must be written in Oracle's dialect:
// decided by the provider (or ODBC driver) the text names, never by a value
// such as a user, password or database that happens to hold the word.
bool dialectoOracle(const QString& texto);

// The application folder, ending with "/": PERMUTAL_CARPETA when set, else the
// executable's folder.
QString carpetaAplicacion();

// Path of an embedded database named in a connection: relative names are taken
// from the application folder, a name without extension gets ".db".
QString rutaBaseEmbebida(const QString& nombre);

}  // namespace ado
