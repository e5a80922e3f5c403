#pragma once
// Puts the session's data access object back to a fresh state and connects it
// to an embedded database file of the test's temporary folder.
#include "data/Configuracion.h"
#include "data/Sesion.h"
#include "soporte/Soporte.h"

#include <gtest/gtest.h>

namespace prueba {

// A data access object as a new process finds it, with a new closed connection.
inline void reiniciarBase(datos::DB_Dll& db)
{
    db.fijarConexion(std::make_shared<ado::Connection>());
    db.gOpenFlag = false;
    db.gIgnoraPassWord = ado::Variant();
    db.gProveedor.clear();
    db.gServidor.clear();
    db.gDBName.clear();
    db.gUsuario.clear();
    db.gUserPassWord.clear();
    db.gConnString.clear();
    db.gExtended.clear();
    db.gLogErr.clear();
    db.gEsAdmin = false;
}

inline void reiniciarSesion()
{
    reiniciarBase(datos::gDB());
    datos::gConfidencialidad = false;
    datos::gTablaConfiguracion.clear();
    datos::gUsuarioLogeado.clear();
    datos::gCaja.clear();
    datos::DB_Dll::fijarDialogoAcceso({});
}

// Connects the session to <carpeta>/<nombre>.db without the administrator check.
inline void conectarSesion(const QString& nombre, bool validaAdmin = false)
{
    datos::DB_Dll& db = datos::gDB();
    db.gServidor = QStringLiteral("SQLITE");
    db.gDBName = nombre;
    db.gUsuario = QStringLiteral("OPERADOR");
    db.gUserPassWord = QStringLiteral("x");
    db.OpenServerADODB(false, 3, QString(), validaAdmin, true);
    ASSERT_TRUE(db.gOpenFlag);
}

}  // namespace prueba
