#pragma once
// Fixtures of the start-up tests: small company and statistics databases in the
// test's application folder, and a session put back to its initial state.
#include "app/Inicio.h"
#include "app/Sesion.h"
#include "data/Configuracion.h"
#include "soporte/Sesion_prueba.h"

#include "companion/Velmora2.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <gtest/gtest.h>

// Readable failures.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace prueba {

// The tables the start-up reads and writes, as the suite names them.
inline const char* kEsquemaEmpresa =
    "CREATE TABLE TA_CONFIGURACION (ID INTEGER PRIMARY KEY, Clave VARCHAR(50) COLLATE NOCASE NOT NULL,"
    "  Valor VARCHAR(255) COLLATE NOCASE, ValorAux VARCHAR(255) COLLATE NOCASE, Grupo VARCHAR(50) COLLATE NOCASE,"
    "  PoliticaNegocio BIT NOT NULL DEFAULT 0);"
    "CREATE UNIQUE INDEX IX_CFG ON TA_CONFIGURACION (Clave);"
    "CREATE TABLE TA_USUARIOS (ID INTEGER PRIMARY KEY, nombre VARCHAR(30) COLLATE NOCASE, Administrador BIT NOT NULL DEFAULT 0);"
    "CREATE TABLE TA_MENU (ID INTEGER PRIMARY KEY, Clave VARCHAR(20) COLLATE NOCASE, Proceso VARCHAR(100) COLLATE NOCASE,"
    "  Nombre VARCHAR(60) COLLATE NOCASE);"
    "CREATE TABLE TA_TAREAS (ID INTEGER PRIMARY KEY, USUARIO VARCHAR(30) COLLATE NOCASE, TAREA VARCHAR(20) COLLATE NOCASE);"
    "CREATE TABLE Control_Acceso (ID INTEGER PRIMARY KEY, Maquina VARCHAR(64) COLLATE NOCASE, Usuario VARCHAR(50) COLLATE NOCASE,"
    "  Formulario VARCHAR(50) COLLATE NOCASE, Tarea VARCHAR(60) COLLATE NOCASE, Ingreso VARCHAR(20) COLLATE NOCASE,"
    "  NombreUsuario VARCHAR(50) COLLATE NOCASE);"
    "CREATE TABLE AUX_ERR (ID INTEGER PRIMARY KEY, Proceso VARCHAR(50), Fecha DATETIME, Error INT, Descripcion VARCHAR(250),"
    "  SQL TEXT, PC VARCHAR(64), Usuario VARCHAR(50));"
    "INSERT INTO TA_USUARIOS (nombre, Administrador) VALUES ('ANA', 0), ('ADMIN', 1);"
    "INSERT INTO TA_MENU (Clave, Proceso, Nombre) VALUES ('07', 'Tablas.exe', 'Tablas'), ('0705', 'Permutal.exe', 'Cambio de proveedor de OC');"
    "INSERT INTO TA_TAREAS (USUARIO, TAREA) VALUES ('ana', '0705'), ('ana', '07'), ('beto', '07');";

inline const char* kEsquemaEstadisticas =
    "CREATE TABLE TA_CONFIGURACION (ID INTEGER PRIMARY KEY, Clave VARCHAR(50) COLLATE NOCASE NOT NULL,"
    "  Valor VARCHAR(255) COLLATE NOCASE, ValorAux VARCHAR(255) COLLATE NOCASE, Grupo VARCHAR(50) COLLATE NOCASE,"
    "  PoliticaNegocio BIT NOT NULL DEFAULT 0);"
    "CREATE UNIQUE INDEX IX_CFG ON TA_CONFIGURACION (Clave);";

// Everything the start-up sets, back to how a new process finds it.
inline void reiniciarInicio()
{
    reiniciarSesion();
    reiniciarBase(datos::gDBEstadisticas());
    datos::gTablaConfiguracion.clear();
    app::gCarpetaAplicacion.clear();
    app::gUsuarioLogeado.clear();
    app::gCaja.clear();
    app::gTimeOut = 360;
    app::gTopDefault.clear();
    consulta::Lib_ClsCons3& c = app::gConsulta();
    c.gConnString.clear();
    c.gRutaMascaraConsultas.clear();
    c.gUsarMascarasConsultas = false;
    velmora::FijaRutaAplicacion(QString());
}

// The program's own name while the object lives (the usage log writes it).
class NombrePrograma {
public:
    NombrePrograma() : anterior_(QCoreApplication::applicationName()) { QCoreApplication::setApplicationName(QStringLiteral("Permutal")); }
    ~NombrePrograma() { QCoreApplication::setApplicationName(anterior_); }

private:
    QString anterior_;
};

// The statement trace into a file of the folder while the object lives.
class Traza {
public:
    explicit Traza(const QString& archivo) : archivo_(archivo)
    {
        habia_ = qEnvironmentVariableIsSet("PERMUTAL_TRAZA_SQL");
        anterior_ = qgetenv("PERMUTAL_TRAZA_SQL");
        qputenv("PERMUTAL_TRAZA_SQL", archivo.toUtf8());
    }
    ~Traza()
    {
        if (habia_) qputenv("PERMUTAL_TRAZA_SQL", anterior_);
        else qunsetenv("PERMUTAL_TRAZA_SQL");
    }
    // The "sql" of every line written so far.
    QStringList sentencias() const
    {
        QStringList r;
        QFile f(archivo_);
        if (!f.open(QIODevice::ReadOnly)) return r;
        for (const QByteArray& linea : f.readAll().split('\n'))
            if (!linea.trimmed().isEmpty()) r << QJsonDocument::fromJson(linea).object().value(QStringLiteral("sql")).toString();
        return r;
    }
    void vaciar() const { QFile::remove(archivo_); }

private:
    QString archivo_;
    QByteArray anterior_;
    bool habia_ = false;
};

}  // namespace prueba
