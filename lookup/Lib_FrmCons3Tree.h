#pragma once
// The tree lookup window: the rows of a lookup query shown as a tree whose
// hierarchy comes from the codes (or, for product families, from the database).
#include "ado/Errores.h"
#include "ado/Variant.h"
#include "lookup/Lib_ClsCons3.h"

#include <QDialog>
#include <QHash>
#include <QString>
#include <functional>
#include <vector>

class QComboBox;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace consulta {

class Lib_FrmCons3Tree : public QDialog {
    Q_OBJECT
public:
    explicit Lib_FrmCons3Tree(QWidget* parent = nullptr);
    ~Lib_FrmCons3Tree() override;

    // Set and read by the lookup request.
    QString SQL;
    QString CampoDevuelto;
    bool CheckBoxes = false;
    ado::Variant ValorDevuelto;
    ColeccionRef Valores;

    // The product-family tree (parents from the database) and the automatic
    // tree (parents from the codes themselves).
    void ArmarTreeVFamilias();
    void ArmarTreeVAutomatico();

    // Load: runs when the window is first shown, and again on F5.
    void Form_Load();
    void CmbSearch_Change();
    void CmbSearch_KeyDown(int tecla);
    void CmdAceptar_Click();
    void CmdCancelar_Click();
    void CmdNueva_Click();
    // A node's tick changed: its descendants follow it down six levels.
    void TreeV_NodeCheck(QTreeWidgetItem* nodo);

    QTreeWidget* TreeV() const { return treeV_; }
    QComboBox* CmbSearch() const { return cmbSearch_; }
    QPushButton* CmdAceptar() const { return cmdAceptar_; }
    QPushButton* CmdCancelar() const { return cmdCancelar_; }
    QPushButton* CmdNueva() const { return cmdNueva_; }

    // The node with that key (exact), or null.
    QTreeWidgetItem* Nodo(const QString& clave) const;
    static QString Clave(const QTreeWidgetItem* nodo);
    // The statement of the family tree, as sent before the marker is removed.
    static QString ConsultaFamilias();

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* objeto, QEvent* e) override;
    void reject() override;

private:
    struct Fila {
        QString codigo, descripcion;
        ado::Variant relativo;
    };
    bool esFamilias() const;
    void construir();
    // Clears the tree, adds the root and reads the rows of SQL; false when the
    // builder must stop (query failed or returned no rows).
    bool leerFilas(std::vector<Fila>& filas, bool conRelativo, const std::function<int(const ado::Fallo&)>& reporte);
    void limpiarArbol();
    QTreeWidgetItem* agregarNodo(QTreeWidgetItem* padre, const QString& clave, const QString& texto);
    QTreeWidgetItem* padreAutomatico(const QString& clave) const;
    void fijarTildeDescendientes(QTreeWidgetItem* nodo, Qt::CheckState estado, int niveles);
    void filtrarYRecargar();

    QTreeWidget* treeV_ = nullptr;
    QComboBox* cmbSearch_ = nullptr;
    QPushButton* cmdAceptar_ = nullptr;
    QPushButton* cmdCancelar_ = nullptr;
    QPushButton* cmdNueva_ = nullptr;
    QHash<QString, QTreeWidgetItem*> claves_;
    bool cargado_ = false;
    bool sinEventos_ = false; // building or propagating ticks: no NodeCheck
};

// The lookup request's tree view: shows the window modally on sql and hands back
// the picked value and the collection of values (null after Cancelar).
void mostrarArbol(const QString& sql, const QString& campoDevuelto, bool checks, ado::Variant& valorDevuelto, ColeccionRef& valores);

}  // namespace consulta
