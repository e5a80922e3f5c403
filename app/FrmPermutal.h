#pragma once
// The program's main window: the purchase order to change, its current
// supplier, the new supplier, and the commands F5 (lookup), F2 (save), Esc (exit).
#include <QList>
#include <QString>
#include <QWidget>
#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QToolBar;

namespace app {

class CuadroProgreso;

class FrmPermutal : public QWidget {
    Q_OBJECT
public:
    explicit FrmPermutal(QWidget* parent = nullptr);
    ~FrmPermutal() override;

    // The window's load: the session start-up with lineaComandos (empty: the
    // process's own arguments), then skin and icon. False when no connection
    // resulted: the window must not be shown and the program ends.
    bool Form_Load(const QString& lineaComandos = QString());
    // The second half of the load, for a start-up that already ran: skin, then icon.
    void AplicaApariencia();
    // Creates the window and runs its load; null when the program must end.
    static std::unique_ptr<FrmPermutal> iniciar(const QString& lineaComandos = QString());

    // --- Controls (found by the tests through these) ----------------------------
    // TxtFields(0) supplier, (1) branch, (2) number, (3) letter.
    QLineEdit* TxtFields(int indice) const;
    int cantidadCampos() const { return static_cast<int>(campos_.size()); }
    // The fields as the control-array helpers take them.
    QList<QObject*> controles() const;
    QLabel* lblDatos() const { return lblDatos_; }
    QLabel* lblProv() const { return lblProv_; }
    QToolBar* Toolbar1() const { return toolbar_; }
    QAction* boton(int indice) const;       // 1-based, as the toolbar's buttons
    CuadroProgreso* Picture1() const { return picture1_; }

    // --- Window state -------------------------------------------------------------
    int campoActual() const { return campoActual_; }
    bool hayError() const { return error_; }

    // --- Commands and handlers ------------------------------------------------------
    void Grabar();
    void Consultar();
    void Salir();
    void ValidaCampo(QLineEdit* campo);
    bool ValidaCampos();
    void Toolbar1_ButtonClick(int indice);
    void TxtFields_GotFocus(int indice);
    void TxtFields_KeyPress(int indice, int codigoTecla);
    // Handles the window's keys (F2, F5, Esc); true when the key was taken.
    bool Form_KeyDown(int tecla);

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;

private:
    void crearControles();
    QLineEdit* campoPorNombre(const QString& dataField) const;
    void validarCampo(QLineEdit* campo);
    void avisar(const QString& texto);
    int indiceDe(const QObject* objeto) const;

    QList<QLineEdit*> campos_;
    QLabel* lblDatos_ = nullptr;
    QLabel* lblProv_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    QList<QAction*> botones_;
    CuadroProgreso* picture1_ = nullptr;
    int campoActual_ = 0;
    bool error_ = false;
};

// The classic Format(texto, "000…") of the branch and number: a number is
// zero-padded to ancho digits, any other text is left as it is.
QString FormatoCeros(const QString& texto, int ancho);

}  // namespace app
