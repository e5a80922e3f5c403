#pragma once
// Session start-up: the suite's command line becomes the session.
#include <QString>

namespace app {

// Runs the whole start-up. An empty lineaComandos uses the process's own arguments.
void InicializaSistema(QString& lineaComandos, QString& cadenaConexion, long& cursor);
// Drops a protocol prefix up to the first "/" and a port from the first ":".
QString NormalizaServidor(const QString& servidor);
// Opens the statistics connection and sets gTimeOut.
void ConectaEstadisticas();

// The value of one key of the suite's command line (see the start-up rules).
QString ValorParametro(const QString& lineaComandos, const QString& clave, const QString& siFalta);

// Reads the configuration values the session uses (Top_Default, SS_CONFIDENCIALIDAD).
void CargaConfiguracion();
// Records the user's entry in Control_Acceso.
void RegistraIngreso(QString& tarea);

}  // namespace app
