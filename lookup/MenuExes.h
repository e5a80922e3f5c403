#pragma once
// Starting the suite's companion programs with the current session on their
// command line (the list window's "N&uevo" and any caller that needs it).
#include <QString>

namespace consulta {

// The session command line for a started program, beginning with a blank.
QString LineaComandosSesion(const QString& ParametroAdicional);

// The program path MenuExes would start for an option code ("SHELL:name", a
// path, or a bare name). On this platform "/" marks a path just as "\" does,
// and "\" separators become "/".
QString ProgramaDeOpcion(const QString& Opcion);

// Starts the program named by Opcion, detached, in the application folder;
// IdTarea receives its process id (0 when nothing was started). A blank in
// ParametroAdicional keeps only the text after it (the caller's variable too).
void MenuExes(QString& Opcion, QString& ParametroAdicional, long& IdTarea);

// Option code and additional parameter for a listed table.
struct ProgramaDeTabla {
    QString Opcion;
    QString Parametro;
    bool ParametroEsTabla = false;   // the table name itself is the parameter
};
ProgramaDeTabla programaDeTabla(const QString& tablaConsulta);

// "N&uevo" of the list window: starts the maintenance program of the listed
// table. The table name travels by reference as the additional parameter, so a
// name with a blank is shortened in the caller as well. Returns IdTarea.
long nuevoDesdeTabla(QString& tablaConsulta);

}  // namespace consulta
