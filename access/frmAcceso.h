#pragma once
// "Control de Acceso": the modal dialog that asks for a session's connection
// parameters, offers the registered connections and registers new ones.
#include "BasesTxt.h"

#include <QColor>
#include <QDialog>
#include <QString>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace acceso {

class frmAcceso : public QDialog {
    Q_OBJECT
public:
    // The load step (centring, list, prompts) runs here.
    explicit frmAcceso(QWidget* parent = nullptr);
    ~frmAcceso() override;

    // Prompt colour: the classic colour value 2 (an OLE colour, RGB(2, 0, 0)).
    // It stays on the box while the operator types, so it has to read as text.
    static QColor colorIndicacion() { return QColor(2, 0, 0); }
    // Prompt of a box, by its name.
    static QString indicacion(const QString& nombreCaja);

    bool Aceptar = false;

    QListWidget* lstBases = nullptr;
    QLabel* lblBases = nullptr;
    QGroupBox* framAcceso = nullptr;
    QLineEdit* TxtServidor = nullptr;
    QLineEdit* TxtDbName = nullptr;
    QLineEdit* TxtUserId = nullptr;
    QLineEdit* TxtUserPassword = nullptr;
    QLineEdit* TxtPuerto = nullptr;
    QComboBox* CboPlataformaDB = nullptr;
    QPushButton* bcAceptar = nullptr;
    QPushButton* bcCancelar = nullptr;
    QPushButton* CmdRegistrar = nullptr;
    QPushButton* CmdLineaComando = nullptr;

    // --- Operations ----------------------------------------------------------
    void llenarlist();
    void DatosBase(const QString& Nombre);
    void AsignarDatosBase();
    bool ExisteBaseDeDatos(const QString& Servidor, const QString& Dbname, const QString& Usuario, const QString& Password,
                           const QString& Proveedor);
    void MensajeInicial(QLineEdit* ObjTxt);
    bool EjecutarCmdRegDB(const QString& Archivo, QString& ErrDevuelto);

    // --- Event handlers ---------------------------------------------------------
    void bcAceptar_Click();
    void bcCancelar_Click();
    void CmdRegistrar_Click();
    void CmdLineaComando_Click();

    // Values of the selected registered connection.
    QString servidorElegido() const { return servidor_; }
    QString baseElegida() const { return base_; }
    QString usuarioElegido() const { return usuario_; }
    QString claveElegida() const { return clave_; }
    QString puerto() const { return puerto_; }
    QString rutaArchivo() const { return rutaArchivo_; }

    // The user's desktop folder (XDG_DESKTOP_DIR of user-dirs.dirs, else ~/Desktop).
    static QString CarpetaEscritorio();
    // Text of the desktop launcher for a program and icon.
    static QString TextoAccesoDirecto(const QString& programa, const QString& icono);

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;
    void showEvent(QShowEvent* evento) override;

private:
    // The box shows its prompt (not a text the operator typed).
    static bool muestraIndicacion(const QLineEdit* caja);
    void construir();
    void Form_Load();
    QString iconoAccesoDirecto();

    QString rutaArchivo_;
    QString servidor_, base_, usuario_, clave_;
    QString puerto_;   // empty until a server with port or a registration sets it
    bool enIndicacion_ = false;
};

}  // namespace acceso
