#pragma once
// What a long operation uses to show the progress banner: open it, update it
// from inside the work loop (each update is also the cancellation check), close it.
#include "ado/Variant.h"

#include <QPointer>
#include <QString>
#include <optional>

namespace cartel {

class Lbf_CtrlDisplay;

class Dll_Display {
public:
    Dll_Display();
    ~Dll_Display();
    Dll_Display(const Dll_Display&) = delete;
    Dll_Display& operator=(const Dll_Display&) = delete;

    // Opens the banner without blocking; the button shows only when cancelling is allowed.
    void CartelInicio(const QString& Titulo, bool PermiteCancelar);
    // Sets the lines given (a Null shows empty), repaints, lets pending events
    // run; Cancelado tells whether the operator pressed Cancelar. Returns it too.
    bool CartelMostrar(bool& Cancelado, const std::optional<ado::Variant>& L1 = std::nullopt,
                       const std::optional<ado::Variant>& l2 = std::nullopt, const std::optional<ado::Variant>& l3 = std::nullopt);
    // Hides and unloads the window; the next call starts a fresh one.
    void CartelCerrar();
    // True keeps the banner above the other windows.
    void setSiempre_Visible(bool vNewValue);

    // The current window, or null when there is none (no window is created).
    Lbf_CtrlDisplay* ventanaActual() const;

private:
    Lbf_CtrlDisplay& ventana();

    QPointer<Lbf_CtrlDisplay> frm_;
};

}  // namespace cartel
