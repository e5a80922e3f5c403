#pragma once
// The main window's appearance: the skin chosen per user and database, and the icon.
#include <QString>
#include <QStringList>

class QWidget;

namespace app {

class SkinFramework;

struct EleccionSkin {
    QString archivo;   // relative to the application folder
    QString ajustes;   // settings file name, empty for none
};

// The skin number of TQ000pr.INI for the session's user and database ("4" when absent).
int NumeroSkin();
// The skin of a number.
EleccionSkin ArchivoSkin(int numero);
// Folders that may hold the skins' Styles folder, in the order they are tried:
// the application folder, the program's own folder, the shared data folder.
QStringList CarpetasSkins();
// The first of those folders that has a Styles folder (the first one when none has).
QString CarpetaConSkins(const QStringList& carpetas);
// Loads the chosen skin into the window's skin control (SkinFramework1, created
// on first use) and applies it to the window and to every other window of the
// program (the application's style sheet).
void AplicaSkin(QWidget* ventana);
// Gives an icon to a window that has none; failures are skipped.
void AplicaIcono(QWidget* ventana);
// The window's skin control, or nullptr.
SkinFramework* SkinDe(QWidget* ventana);

}  // namespace app
