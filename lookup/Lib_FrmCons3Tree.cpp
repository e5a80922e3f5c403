#include "Lib_FrmCons3Tree.h"

#include "data/Escaner.h"
#include "companion/Operador.h"
#include "companion/Velmora2.h"
#include "data/Literales.h"
#include "data/Pasos.h"
#include "data/ReportaError.h"
#include "data/Sesion.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

namespace consulta {

namespace {
constexpr int RolClave = Qt::UserRole + 1;

// Classic numbers of the tree control's failures.
constexpr int32_t ElementoNoEncontrado = 35601;
constexpr int32_t ClaveNoUnica = 35602;
constexpr int32_t ObjetoNoEstablecido = 91;

std::function<int(const ado::Fallo&)> reportePara(const QString& rutina)
{
    return [rutina](const ado::Fallo& f) { return datos::ReportaError(f, std::nullopt, rutina); };
}

// Runs the steps in order under the reporter; false when the operator left.
bool correrPasos(std::initializer_list<std::function<void()>> pasos, const std::function<int(const ado::Fallo&)>& reporte)
{
    for (const auto& p : pasos)
        if (datos::paso(p, reporte) == datos::Siguiente::Salir) return false;
    return true;
}

bool igual(const QString& a, const char* b)
{
    return a.trimmed().compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
}
}  // namespace

QString Lib_FrmCons3Tree::ConsultaFamilias()
{
    return QStringLiteral("SELECT     TOP 100 PERCENT IdFamilia, Descripcion, ")
           + QStringLiteral("(SELECT     TOP 1 idfamilia FROM @Admin_v_ta_familias a  ")
           + QStringLiteral(" Where a.IdFamilia < b.IdFamilia And (Len(LTrim(RTrim(a.IdFamilia))) < Len(LTrim(RTrim(b.IdFamilia)))) ")
           + QStringLiteral(" ORDER BY idfamilia DESC) AS [relative] FROM dbo.V_TA_FAMILIAS b Where IdFamilia<>'' ORDER BY IdFamilia");
}

Lib_FrmCons3Tree::Lib_FrmCons3Tree(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Consulta..."));
    resize(520, 460);

    cmbSearch_ = new QComboBox(this);
    cmbSearch_->setObjectName(QStringLiteral("CmbSearch"));
    cmbSearch_->setEditable(true);
    cmbSearch_->setInsertPolicy(QComboBox::NoInsert);
    cmbSearch_->setToolTip(QStringLiteral("F5 realiza nueva busqueda"));

    treeV_ = new QTreeWidget(this);
    treeV_->setObjectName(QStringLiteral("TreeV"));
    treeV_->setHeaderHidden(true);
    treeV_->setRootIsDecorated(true);
    treeV_->setColumnCount(1);
    treeV_->setSelectionMode(QAbstractItemView::SingleSelection);

    cmdAceptar_ = new QPushButton(QStringLiteral("&Aceptar"), this);
    cmdAceptar_->setObjectName(QStringLiteral("CmdAceptar"));
    cmdCancelar_ = new QPushButton(QStringLiteral("&Cancelar"), this);
    cmdCancelar_->setObjectName(QStringLiteral("CmdCancelar"));
    cmdNueva_ = new QPushButton(QStringLiteral("&Nueva Busqueda"), this);
    cmdNueva_->setObjectName(QStringLiteral("CmdNueva"));
    // Enter on a focused button presses that button; anywhere else it accepts.
    for (QPushButton* b : {cmdAceptar_, cmdCancelar_, cmdNueva_}) b->setAutoDefault(true);
    cmdAceptar_->setDefault(true);

    auto* botones = new QHBoxLayout;
    botones->addWidget(cmdAceptar_);
    botones->addStretch();
    botones->addWidget(cmdCancelar_);
    botones->addStretch();
    botones->addWidget(cmdNueva_);
    auto* capas = new QVBoxLayout(this);
    capas->addWidget(cmbSearch_);
    capas->addWidget(treeV_, 1);
    capas->addLayout(botones);

    cmbSearch_->installEventFilter(this);
    if (cmbSearch_->lineEdit()) cmbSearch_->lineEdit()->installEventFilter(this);

    connect(cmbSearch_, &QComboBox::editTextChanged, this, [this] { CmbSearch_Change(); });
    connect(cmbSearch_, &QComboBox::textActivated, this, [this] { CmbSearch_Change(); });
    connect(cmdAceptar_, &QPushButton::clicked, this, [this] { CmdAceptar_Click(); });
    connect(cmdCancelar_, &QPushButton::clicked, this, [this] { CmdCancelar_Click(); });
    connect(cmdNueva_, &QPushButton::clicked, this, [this] { CmdNueva_Click(); });
    connect(treeV_, &QTreeWidget::itemDoubleClicked, this, [this] { CmdAceptar_Click(); });
    connect(treeV_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* n, int) {
        if (!sinEventos_ && CheckBoxes) TreeV_NodeCheck(n);
    });
}

Lib_FrmCons3Tree::~Lib_FrmCons3Tree()
{
    try {
        limpiarArbol();
    } catch (const std::exception& e) {
        velmora::MsgBox(datos::comoFallo(e).Description(), velmora::botones::Critico, QStringLiteral("Aviso al Operador"));
    }
}

QString Lib_FrmCons3Tree::Clave(const QTreeWidgetItem* nodo)
{
    return nodo ? nodo->data(0, RolClave).toString() : QString();
}

QTreeWidgetItem* Lib_FrmCons3Tree::Nodo(const QString& clave) const
{
    return claves_.value(clave, nullptr);
}

bool Lib_FrmCons3Tree::esFamilias() const
{
    return datos::escaner::contiene(SQL, QStringLiteral("v_ta_familias"), datos::escaner::Alcance::CodigoYNombres);
}

void Lib_FrmCons3Tree::showEvent(QShowEvent* e)
{
    if (!cargado_) Form_Load();
    QDialog::showEvent(e);
    // Typing finds a node: the keyboard starts in the search box.
    if (!e->spontaneous()) cmbSearch_->setFocus(Qt::OtherFocusReason);
}

void Lib_FrmCons3Tree::Form_Load()
{
    cargado_ = true;
    correrPasos({[&] { Valores = std::make_shared<Coleccion>(); },
                 [&] { limpiarArbol(); },
                 [&] { construir(); }},
                reportePara(QStringLiteral("FORM_LOAD")));
}

void Lib_FrmCons3Tree::construir()
{
    if (esFamilias())
        ArmarTreeVFamilias();
    else
        ArmarTreeVAutomatico();
}

void Lib_FrmCons3Tree::limpiarArbol()
{
    sinEventos_ = true;
    claves_.clear();
    treeV_->clear();
    sinEventos_ = false;
}

QTreeWidgetItem* Lib_FrmCons3Tree::agregarNodo(QTreeWidgetItem* padre, const QString& clave, const QString& texto)
{
    if (claves_.contains(clave))
        throw ado::Fallo(ClaveNoUnica, QStringLiteral("La clave no es única en la colección"), velmora::NombreEjecutable());
    auto* n = new QTreeWidgetItem;
    n->setText(0, texto);
    n->setData(0, RolClave, clave);
    Qt::ItemFlags banderas = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (CheckBoxes) banderas |= Qt::ItemIsUserCheckable;
    n->setFlags(banderas);
    if (CheckBoxes) n->setCheckState(0, Qt::Unchecked);
    sinEventos_ = true;
    if (padre)
        padre->addChild(n);
    else
        treeV_->addTopLevelItem(n);
    sinEventos_ = false;
    claves_.insert(clave, n);
    return n;
}

bool Lib_FrmCons3Tree::leerFilas(std::vector<Fila>& filas, bool conRelativo, const std::function<int(const ado::Fallo&)>& reporte)
{
    datos::DB_Dll& db = datos::gDB();
    datos::RecordsetRef rs;
    bool vacio = true;
    const bool seguir = correrPasos(
        {[&] { limpiarArbol(); },
         [&] { agregarNodo(nullptr, QStringLiteral("A"), QStringLiteral("Consulta..."))->setExpanded(true); },
         [&] { db.AbrirRecordset(SQL, rs, nullptr, ado::adOpenForwardOnly, ado::adLockReadOnly, -1, true); },
         [&] { vacio = !rs || rs->State() == ado::adStateClosed || rs->eof(); },
         [&] {
             if (vacio) return;
             // Read whole first: the nodes are added from memory.
             while (!rs->eof()) {
                 Fila f;
                 f.codigo = velmora::CampoATexto(rs->Fields(0L).Value());
                 f.descripcion = velmora::CampoATexto(rs->Fields(1L).Value());
                 if (conRelativo) f.relativo = rs->Fields(2L).Value();
                 filas.push_back(f);
                 rs->MoveNext();
             }
         }},
        reporte);
    datos::pasoSilencioso([&] { db.CierraRecordset(rs); });
    return seguir && !vacio;
}

void Lib_FrmCons3Tree::ArmarTreeVFamilias()
{
    const auto reporte = reportePara(QStringLiteral("ArmarTreeVAutomatico"));
    if (!correrPasos({[&] { SQL = ConsultaFamilias(); }}, reporte)) return;
    std::vector<Fila> filas;
    if (!leerFilas(filas, true, reporte)) return;
    for (const Fila& f : filas) {
        const bool seguir = correrPasos(
            {[&] {
                const QString relativo = velmora::CampoATexto(f.relativo);
                const QString clavePadre = f.relativo.isNull() || f.relativo.isEmpty() ? QStringLiteral("A") : QStringLiteral("A") + relativo;
                QTreeWidgetItem* padre = Nodo(clavePadre);
                if (!padre) throw ado::Fallo(ElementoNoEncontrado, QStringLiteral("No se encontró el elemento"), velmora::NombreEjecutable());
                agregarNodo(padre, QStringLiteral("A") + f.codigo, f.codigo + QStringLiteral(" - ") + f.descripcion);
            }},
            reporte);
        if (!seguir) return;
    }
}

QTreeWidgetItem* Lib_FrmCons3Tree::padreAutomatico(const QString& clave) const
{
    // Longest key that begins the new one; the first in tree order among equals.
    QTreeWidgetItem* mejor = nullptr;
    qsizetype largo = -1;
    for (QTreeWidgetItemIterator it(treeV_); *it; ++it) {
        const QString k = Clave(*it);
        if (k.size() > largo && clave.startsWith(k, Qt::CaseInsensitive)) {
            mejor = *it;
            largo = k.size();
        }
    }
    return mejor;
}

void Lib_FrmCons3Tree::ArmarTreeVAutomatico()
{
    const auto reporte = reportePara(QStringLiteral("ArmarTreeVAutomatico"));
    std::vector<Fila> filas;
    if (!leerFilas(filas, false, reporte)) return;
    for (const Fila& f : filas) {
        const bool seguir = correrPasos(
            {[&] {
                const QString clave = QStringLiteral("A") + f.codigo;
                agregarNodo(padreAutomatico(clave), clave, f.codigo + QStringLiteral(" - ") + f.descripcion);
            }},
            reporte);
        if (!seguir) return;
    }
}

void Lib_FrmCons3Tree::CmbSearch_Change()
{
    datos::pasoSilencioso([&] {
        const QString buscado = cmbSearch_->currentText();
        for (QTreeWidgetItemIterator it(treeV_); *it; ++it) {
            const QString texto = (*it)->text(0);
            const qsizetype guion = texto.indexOf(QLatin1Char('-'));
            const QString codigo = guion < 0 ? QString() : texto.left(guion).trimmed();
            const QString descripcion = guion < 0 ? texto.trimmed() : texto.mid(guion + 1).trimmed();
            if ((guion >= 0 && codigo.startsWith(buscado, Qt::CaseInsensitive)) || descripcion.startsWith(buscado, Qt::CaseInsensitive)) {
                treeV_->setCurrentItem(*it);
                treeV_->scrollToItem(*it);
                return;
            }
        }
    });
}

bool Lib_FrmCons3Tree::eventFilter(QObject* objeto, QEvent* e)
{
    if ((objeto == cmbSearch_ || objeto == cmbSearch_->lineEdit()) && e->type() == QEvent::KeyPress) {
        const int tecla = static_cast<QKeyEvent*>(e)->key();
        switch (tecla) {
        case Qt::Key_Down:
        case Qt::Key_Up:
        case Qt::Key_PageDown:
        case Qt::Key_PageUp:
        case Qt::Key_F5:
            CmbSearch_KeyDown(tecla);
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(objeto, e);
}

void Lib_FrmCons3Tree::CmbSearch_KeyDown(int tecla)
{
    switch (tecla) {
    case Qt::Key_Down:
    case Qt::Key_Up:
    case Qt::Key_PageDown:
    case Qt::Key_PageUp:
        datos::pasoSilencioso([&] { treeV_->setFocus(); });
        break;
    case Qt::Key_F5:
        filtrarYRecargar();
        break;
    default:
        break;
    }
}

void Lib_FrmCons3Tree::filtrarYRecargar()
{
    QString cabeza, cola;
    const QString buscado = cmbSearch_->currentText();
    datos::pasoSilencioso([&] {
        // The statement's own clauses only: an earlier search's text is a literal.
        const qsizetype orden = datos::escaner::clausula(SQL, {"order", "by"});
        if (orden >= 0) {
            cola = SQL.mid(orden);
            cabeza = SQL.left(orden);
        } else {
            // Without ORDER BY the whole statement is the head.
            cabeza = SQL;
        }
    });
    QString union_;
    datos::pasoSilencioso([&] {
        union_ = datos::escaner::clausula(SQL, {"where"}) >= 0 ? QStringLiteral(" and ") : QStringLiteral(" where ");
    });
    datos::pasoSilencioso([&] {
        SQL = cabeza + union_ + QStringLiteral("Descripcion") + QStringLiteral(" like '%") + datos::patronLike(buscado) + QStringLiteral("%' ") + cola;
    });
    datos::pasoSilencioso([&] { cmbSearch_->setEditText(QString()); });
    datos::pasoSilencioso([&] { Form_Load(); });
}

void Lib_FrmCons3Tree::fijarTildeDescendientes(QTreeWidgetItem* nodo, Qt::CheckState estado, int niveles)
{
    if (niveles <= 0) return;
    for (int i = 0; i < nodo->childCount(); ++i) {
        QTreeWidgetItem* hijo = nodo->child(i);
        hijo->setCheckState(0, estado);
        fijarTildeDescendientes(hijo, estado, niveles - 1);
    }
}

void Lib_FrmCons3Tree::TreeV_NodeCheck(QTreeWidgetItem* nodo)
{
    if (!nodo) return;
    datos::pasoSilencioso([&] {
        sinEventos_ = true;
        fijarTildeDescendientes(nodo, nodo->checkState(0), 6);
        sinEventos_ = false;
    });
    sinEventos_ = false;
}

void Lib_FrmCons3Tree::CmdNueva_Click()
{
    datos::pasoSilencioso([&] { construir(); });
}

void Lib_FrmCons3Tree::CmdAceptar_Click()
{
    const auto reporte = reportePara(QStringLiteral("HScroll1_Change"));
    datos::DB_Dll& db = datos::gDB();
    // Looks the code up; when found, the value is the row's field named by CampoDevuelto.
    const auto buscar = [&](const QString& tabla, const QString& campo, const QString& codigo, QString& valor) {
        datos::RecordsetRef rs;
        const bool hay = db.ExisteEnTabla(tabla, codigo, campo, &rs, 8, QString(), true);
        if (hay) valor = velmora::CampoATexto(rs->Fields(CampoDevuelto.trimmed()).Value());
        datos::pasoSilencioso([&] { db.CierraRecordset(rs); });
        return hay;
    };

    if (!CheckBoxes) {
        QString codigo;
        const bool seguir = correrPasos(
            {[&] {
                 QTreeWidgetItem* n = treeV_->currentItem();
                 if (!n) throw ado::Fallo(ObjetoNoEstablecido, QStringLiteral("Variable de objeto o bloque With no establecido"), velmora::NombreEjecutable());
                 codigo = Clave(n).mid(1);
             },
             [&] {
                 QString valor;
                 if (igual(CampoDevuelto, "IDFAMILIA")) {
                     ValorDevuelto = ado::Variant(buscar(QStringLiteral("@admin_V_TA_FAMILIAS"), QStringLiteral("IDFAMILIA"), codigo, valor) ? valor : QString());
                 } else if (igual(CampoDevuelto, "IDPOSICION")) {
                     ValorDevuelto = ado::Variant(buscar(QStringLiteral("MA_POSICIONES"), QStringLiteral("IDPOSICION"), codigo, valor) ? valor : QString());
                 } else if (igual(CampoDevuelto, "CODIGO")) {
                     const bool hay = buscar(QStringLiteral("TA_CCOSTO"), QStringLiteral("CODIGO"), codigo, valor)
                                      || buscar(QStringLiteral("MA_CUENTAS"), QStringLiteral("CODIGO"), codigo, valor);
                     ValorDevuelto = ado::Variant(hay ? valor : QString());
                 }
             }},
            reporte);
        if (!seguir) return;
    } else {
        if (!Valores) Valores = std::make_shared<Coleccion>();
        for (QTreeWidgetItemIterator it(treeV_); *it; ++it) {
            QTreeWidgetItem* n = *it;
            if (n->checkState(0) != Qt::Checked) continue;
            const bool seguir = correrPasos(
                {[&] {
                    const QString codigo = Clave(n).mid(1);
                    if (igual(CampoDevuelto, "IDFAMILIA") || igual(CampoDevuelto, "CODIGO")) {
                        Valores->Add(ado::Variant(codigo.trimmed()));
                    } else if (igual(CampoDevuelto, "IDPOSICION")) {
                        QString valor;
                        if (buscar(QStringLiteral("MA_POSICIONES"), QStringLiteral("IDPOSICION"), codigo, valor)) Valores->Add(ado::Variant(valor));
                    }
                }},
                reporte);
            if (!seguir) return;
        }
    }
    correrPasos({[&] { QDialog::accept(); }}, reporte);
}

void Lib_FrmCons3Tree::CmdCancelar_Click()
{
    datos::pasoSilencioso([&] { ValorDevuelto = ado::Variant(QString()); });
    datos::pasoSilencioso([&] { Valores.reset(); });
    datos::pasoSilencioso([&] { QDialog::reject(); });
}

void Lib_FrmCons3Tree::reject()
{
    CmdCancelar_Click();
}

void mostrarArbol(const QString& sql, const QString& campoDevuelto, bool checks, ado::Variant& valorDevuelto, ColeccionRef& valores)
{
    auto* ventana = new Lib_FrmCons3Tree(QApplication::activeWindow());
    ventana->SQL = sql;
    ventana->CampoDevuelto = campoDevuelto;
    ventana->CheckBoxes = checks;
    ventana->exec();
    valorDevuelto = ventana->ValorDevuelto;
    valores = ventana->Valores;
    delete ventana;
}

}  // namespace consulta
