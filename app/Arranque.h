#pragma once
// How the program starts: the suite's command line, --demo, --help.
#include <QString>
#include <QStringList>

namespace app {

QString textoAyuda();
// The suite's command line of a demo start on the embedded demo database.
QString lineaComandosDemo();
// Runs the program with its arguments (without the program name); returns the exit code.
int arrancar(const QStringList& argumentos);

}  // namespace app
