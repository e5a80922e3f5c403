#pragma once
// The list lookup window: the rows of a SELECT statement as a sortable pick
// list, one search box above each column, check boxes for multiple selection,
// stock colours in article lists. The lookup class sets the public properties,
// calls cargar() and shows it with exec(); it hides itself on accept or cancel.
#include "data/DB_Dll.h"
#include "lookup/Lib_ClsCons3.h"
#include "lookup/ModeloLista.h"

#include <QDialog>
#include <QString>
#include <memory>
#include <vector>

class QComboBox;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QTreeView;
class QWidget;

namespace consulta {

class Lib_FrmCons3 : public QDialog {
    Q_OBJECT
public:
    explicit Lib_FrmCons3(QWidget* parent = nullptr);
    ~Lib_FrmCons3() override;

    // --- Public properties -----------------------------------------------------
    ado::Variant StkNivel1, StkNivel2, StkNivel3, StkNivel4;   // OLE colours (0xBBGGRR)
    QString MuestraStock;
    QString SQL;
    QString CampoDevuelto;
    ColeccionRef CmpsDevueltos;
    bool CheckBoxes = false;
    QString gConnString;
    ado::Variant ValorDevuelto;
    QString FiltroInicial;
    QString CampoBusqueda;
    bool OrdenarPorLwv = false;
    ColeccionRef Valores;
    ColeccionRef Cantidades;
    bool UsaCantidades = false;
    QString ValoresDefault;
    bool CfgUsaConsultaLIKE = false;
    bool GrabarCfg = false;
    bool UsarUDBC = false;

    // --- Public methods -----------------------------------------------------------
    void CalcularAncho();
    void Leer(long Cdesde = 0, long Cuantas = 0);
    void Encolumnar();
    // 1-based list index of the first row whose cell of column Clave (0 the row's
    // text, k the k-th sub-item), trimmed, begins with QueValor trimmed; 0 when none.
    long Busqueda(int Clave, const QString& QueValor);
    // 1-based position of the first column whose trimmed title equals Columna; 0 when none.
    int IndiceColumna(const QString& Columna) const;
    // Column widths file (CONSULTASLEN.KXD in the application folder).
    void LeeAnchosColumnas();
    void GrabaAnchosColumnas();

    // --- The window's operations (event handlers as plain methods) ------------------
    void cargar();                          // load: statement, columns, rows, widths
    void aceptar();                         // CmdAceptar, Enter, double click
    void cancelar();                        // CmdCancelar, Esc
    void nuevaBusqueda(int caja);           // F5 in search box `caja`
    void busquedaOriginal();                // "&Nueva Busqueda"
    void marcarTodos();                     // "&Marcar": inverts every check mark
    void nuevo();                           // "N&uevo"
    void clicEncabezado(int columna);       // header click: sort, toggling asc/desc
    void cambioCaja(int caja);              // find as you type
    void cajaEnfocada(int caja);            // focus entered a search box
    void cajaDesenfocada(int caja);
    // Key of the list (classic key code: 13 Enter, 45 Insert, 46 Delete, 65 "A"...).
    void teclaLista(int codigo, bool shift = false);
    void informarFaltante();                // F12 in article lookups
    void descargar();                       // unload: saves widths when GrabarCfg

    // --- For the lookup class's plain lists -------------------------------------------
    // One column titled `titulo` and search box 0, no statement.
    void prepararListaSimple(const QString& titulo);
    void agregarOpcion(const QString& texto, bool marcada);
    void ocultarNuevaBusqueda();
    // Window width for the plain lists: 120 twips per character, at most the screen.
    void anchoPorCaracteres(int caracteres);

    // --- State, for callers and tests -------------------------------------------------
    ModeloLista& modelo() { return *modelo_; }
    QTreeView* lista() const { return lista_; }
    int cajas() const { return static_cast<int>(cajas_.size()); }
    QComboBox* caja(int i) const;
    QPushButton* botonAceptar() const { return cmdAceptar_; }
    QPushButton* botonCancelar() const { return cmdCancelar_; }
    QPushButton* botonNueva() const { return cmdNueva_; }
    QPushButton* botonTodos() const { return cmdTodos_; }
    QPushButton* botonNuevo() const { return cmdNuevo_; }
    int IndiceBusqueda() const { return indiceBusqueda_; }
    bool EsArticulos() const { return esArticulos_; }
    const QString& TablaConsulta() const { return tablaConsulta_; }
    const QString& SQLOriginal() const { return sqlOriginal_; }
    const QString& SQLBase() const { return sqlBase_; }
    const QString& SufijoOrden() const { return sufijoOrden_; }
    // 0-based selected row, -1 when none.
    int filaSeleccionada() const;
    void seleccionarFila(int fila);
    // Column width in twips (what the widths file holds).
    int anchoColumnaTwips(int columna) const;
    int twipsAPixeles(double twips) const;
    double pixelesATwips(int pixeles) const;
    // Path of the widths file.
    static QString archivoAnchos();

protected:
    bool eventFilter(QObject* obj, QEvent* ev) override;
    void reject() override;                 // Esc and the title bar's close: cancel
    void resizeEvent(QResizeEvent* ev) override;
    void showEvent(QShowEvent* ev) override;

private:
    QComboBox* crearCaja(int i);
    void ordenTabulacion();
    // Pixels a column needs so that `letras` characters show in its cells, in its
    // search box, and its title shows whole.
    int anchoMinimoColumna(int columna, int letras) const;
    void colocarCajas();
    QString valorColumna(int fila, int k) const;   // k 1-based column position
    datos::DB_Dll& base();

    std::unique_ptr<ModeloLista> modelo_;
    QTreeView* lista_ = nullptr;
    QWidget* picFields_ = nullptr;
    QLabel* label1_ = nullptr;
    QPushButton* cmdTodos_ = nullptr;
    QPushButton* cmdNuevo_ = nullptr;
    QPushButton* cmdAceptar_ = nullptr;
    QPushButton* cmdCancelar_ = nullptr;
    QPushButton* cmdNueva_ = nullptr;
    QHBoxLayout* barra_ = nullptr;
    std::vector<QComboBox*> cajas_;

    bool esArticulos_ = false;
    QString sqlOriginal_, sqlBase_, sufijoOrden_, tablaConsulta_;
    int indiceBusqueda_ = 0;
    bool descendente_ = false;              // next header click toggles this
    datos::RecordsetRef rs_;
    std::unique_ptr<datos::DB_Dll> udbc_;   // the second data access object (UsarUDBC)
    bool descargada_ = false;
};

}  // namespace consulta
