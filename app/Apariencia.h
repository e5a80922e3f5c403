#pragma once
// The main window's appearance: the skin chosen per user and database, and the icon.
#include <QString>

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
// Loads the chosen skin into the window's skin control (SkinFramework1, created
// on first use) and applies it.
void AplicaSkin(QWidget* ventana);
// Gives an icon to a window that has none; failures are skipped.
void AplicaIcono(QWidget* ventana);
// The window's skin control, or nullptr.
SkinFramework* SkinDe(QWidget* ventana);

}  // namespace app
