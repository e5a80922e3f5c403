#pragma once
// The progress banner window: a translucent box with a title, three progress
// lines, a looping animation and an optional Cancelar button.
#include <QPixmap>
#include <QWidget>
#include <array>
#include <vector>

class QLabel;
class QPushButton;
class QTimer;

namespace cartel {

class Lbf_CtrlDisplay : public QWidget {
    Q_OBJECT
public:
    explicit Lbf_CtrlDisplay(QWidget* parent = nullptr);
    ~Lbf_CtrlDisplay() override;

    static constexpr int CantidadCuadros = 12;

    QLabel* LblCtrol(int indice) const { return lblCtrol_.at(static_cast<size_t>(indice)); }
    QPushButton* CmdDisplayCancelar() const { return cmdDisplayCancelar_; }
    QLabel* Image1() const { return image1_; }
    QTimer* Timer1() const { return timer1_; }
    // The animation frames, numbered from 1 (ImageList1(1) is the first).
    const QPixmap& ImageList1(int numero) const { return cuadros_.at(static_cast<size_t>(numero - 1)); }

    // Number of the frame Image1 is showing.
    int CuadroActual() const { return cuadroActual_; }

    // Sizes the box to its title and lines, up to the screen's width.
    void ajustarAlTexto();

    void Form_Load();
    void Timer1_Timer();
    void CmdDisplayCancelar_Click();

protected:
    void changeEvent(QEvent* e) override;

private:
    void mostrarCuadro(int numero);
    static std::vector<QPixmap> dibujarCuadros();

    std::array<QLabel*, 3> lblCtrol_{};
    QPushButton* cmdDisplayCancelar_ = nullptr;
    QLabel* image1_ = nullptr;
    QTimer* timer1_ = nullptr;
    std::vector<QPixmap> cuadros_;
    int contador_ = 0;
    int cuadroActual_ = 0;
};

}  // namespace cartel
