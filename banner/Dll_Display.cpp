#include "Dll_Display.h"

#include "Lbf_CtrlDisplay.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>

namespace cartel {

Dll_Display::Dll_Display() = default;

Dll_Display::~Dll_Display()
{
    delete frm_.data();
}

Lbf_CtrlDisplay* Dll_Display::ventanaActual() const
{
    return frm_.data();
}

Lbf_CtrlDisplay& Dll_Display::ventana()
{
    if (!frm_) frm_ = new Lbf_CtrlDisplay;
    return *frm_;
}

void Dll_Display::CartelInicio(const QString& Titulo, bool PermiteCancelar)
{
    Lbf_CtrlDisplay& f = ventana();
    f.setWindowTitle(Titulo);
    f.CmdDisplayCancelar()->setVisible(PermiteCancelar);
    f.ajustarAlTexto();
    f.show();
}

bool Dll_Display::CartelMostrar(bool& Cancelado, const std::optional<ado::Variant>& L1, const std::optional<ado::Variant>& l2,
                                const std::optional<ado::Variant>& l3)
{
    Lbf_CtrlDisplay& f = ventana();
    const std::optional<ado::Variant>* lineas[] = {&L1, &l2, &l3};
    for (int i = 0; i < 3; ++i)
        if (lineas[i]->has_value()) f.LblCtrol(i)->setText((*lineas[i])->toText());
    f.ajustarAlTexto();   // a longer line widens the box instead of being cut
    f.repaint();
    Cancelado = f.CmdDisplayCancelar()->text() == QLatin1String("Abortado");
    QCoreApplication::processEvents();
    return Cancelado;
}

void Dll_Display::CartelCerrar()
{
    if (frm_) {
        frm_->hide();
        delete frm_.data();
    }
    frm_ = nullptr;
}

void Dll_Display::setSiempre_Visible(bool vNewValue)
{
    Lbf_CtrlDisplay& f = ventana();
    const bool visible = f.isVisible();
    const QRect lugar = f.geometry();
    // Changing the flags re-creates the native window, which hides it.
    f.setWindowFlag(Qt::WindowStaysOnTopHint, vNewValue);
    if (visible) {
        f.setGeometry(lugar);
        f.show();
    }
}

}  // namespace cartel
