#pragma once
// Starts the TDS test server (servidor_tds, a stand-in for SQL Server) on a
// temporary SQLite file and controls it while the object lives.
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace prueba {

class ServidorTds {
public:
    struct Opciones {
        QString base = QStringLiteral("PRUEBAS");         // database name of the logins
        QString usuario = QStringLiteral("permutal");
        QString clave = QStringLiteral("Clave.2024");
        QStringList otrosUsuarios;                          // "nombre:clave[:base]"
        QString intercalacion;                              // empty: the server's default
        bool traza = false;                                 // requests to the server's stderr
        bool capturarTraza = false;                         // with traza: kept for trazaRecibida() instead
        QString idioma;                                     // logins' language; empty: us_english (month first)
        bool truncado2628 = false;                          // truncation as 2628 (SQL Server 2019 and later)
    };

    // guion: plain SQLite statements that create the database (may be empty).
    explicit ServidorTds(const QString& guion = QString());
    ServidorTds(const QString& guion, const Opciones& opciones);
    ~ServidorTds();
    ServidorTds(const ServidorTds&) = delete;
    ServidorTds& operator=(const ServidorTds&) = delete;

    bool enMarcha() const { return puerto_ > 0; }
    QString fallo() const { return fallo_; }               // why it did not start
    int puerto() const { return puerto_; }
    QString archivo() const { return archivo_; }            // the SQLite file behind it
    const QString& base() const { return op_.base; }
    const QString& usuario() const { return op_.usuario; }
    const QString& clave() const { return op_.clave; }

    // "PROVIDER=SQLOLEDB;Server=127.0.0.1,N;Database =BASE;UId=u;Pwd=p;", as the data routines write it.
    QString textoConexion() const;
    // The same for the ODBC driver manager, without freetds.conf.
    QString textoOdbc() const;

    bool cortar();     // drops every open connection
    bool rechazar();   // stops listening: connections are refused
    bool aceptar();    // listens again on the same port
    // The requests the server traced so far (Opciones::capturarTraza), one a line.
    QStringList trazaRecibida();
    void parar();      // shuts the server down (the destructor does it too)

private:
    void arrancar(const QString& guion);
    bool orden(const char* texto);

    Opciones op_;
    QTemporaryDir carpeta_;
    QString archivo_;
    QProcess proceso_;
    int puerto_ = 0;
    QString fallo_;
    QString traza_;
};

}  // namespace prueba
