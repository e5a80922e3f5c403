#include "lookup/Lib_FrmCons3.h"
#include "data/Escaner.h"
#include "lookup/MenuExes.h"

#include "companion/Operador.h"
#include "companion/Velmora2.h"
#include "data/Configuracion.h"
#include "data/Literales.h"
#include "data/Pasos.h"
#include "data/ReportaError.h"
#include "data/Sesion.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionViewItem>
#include <QTreeView>
#include <QVBoxLayout>

namespace consulta {

namespace escaner = datos::escaner;

namespace {

constexpr Qt::CaseSensitivity CI = Qt::CaseInsensitive;
const char* const kCampo = "campo";   // the field name a search box carries (its tag)

// An OLE colour number is 0xBBGGRR.
QColor colorOle(double valor)
{
    const auto v = static_cast<uint32_t>(static_cast<int64_t>(valor) & 0xFFFFFF);
    return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF), static_cast<int>((v >> 16) & 0xFF));
}

int manejadorCarga(const ado::Fallo& f)
{
    return datos::ReportaError(f, std::nullopt, QStringLiteral("FORM_LOAD"));
}

// The classic key code of a key press; 0 for keys the window has no rule for.
int codigoClasico(const QKeyEvent* e)
{
    const int k = e->key();
    switch (k) {
        case Qt::Key_Return: case Qt::Key_Enter: return 13;
        case Qt::Key_Escape: return 27;
        case Qt::Key_Backspace: return 8;
        case Qt::Key_Space: return 32;
        case Qt::Key_PageUp: return 33;
        case Qt::Key_PageDown: return 34;
        case Qt::Key_Up: return 38;
        case Qt::Key_Down: return 40;
        case Qt::Key_Insert: return 45;
        case Qt::Key_Delete: return 46;
        default: break;
    }
    if (k >= Qt::Key_F1 && k <= Qt::Key_F14) return 112 + (k - Qt::Key_F1);
    if (k >= 47 && k <= 93) return k;   // digits, letters and the signs in between: their own code
    return 0;
}

}  // namespace

Lib_FrmCons3::Lib_FrmCons3(QWidget* parent) : QDialog(parent), modelo_(std::make_unique<ModeloLista>())
{
    setWindowTitle(QStringLiteral("Consulta..."));
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    // Resized by its frame: a size grip would sit on "&Nueva Busqueda".
    setSizeGripEnabled(false);
    resize(640, 420);

    auto* raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(4, 4, 4, 4);

    auto* arriba = new QHBoxLayout;
    label1_ = new QLabel(QStringLiteral("CONSULTA"), this);
    cmdTodos_ = new QPushButton(QStringLiteral("&Marcar"), this);
    cmdNuevo_ = new QPushButton(QStringLiteral("N&uevo"), this);
    arriba->addWidget(label1_, 1);
    arriba->addWidget(cmdTodos_);
    arriba->addWidget(cmdNuevo_);
    raiz->addLayout(arriba);

    picFields_ = new QWidget(this);
    picFields_->setObjectName(QStringLiteral("picFields"));
    auto* panel = new QVBoxLayout(picFields_);
    panel->setContentsMargins(0, 0, 0, 0);
    panel->setSpacing(1);
    auto* filaCajas = new QWidget(picFields_);
    filaCajas->setObjectName(QStringLiteral("filaCajas"));
    panel->addWidget(filaCajas);
    lista_ = new QTreeView(picFields_);
    lista_->setObjectName(QStringLiteral("ListView1"));
    lista_->setRootIsDecorated(false);
    lista_->setUniformRowHeights(true);
    lista_->setItemsExpandable(false);
    lista_->setAllColumnsShowFocus(true);
    lista_->setSelectionMode(QAbstractItemView::SingleSelection);
    lista_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lista_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lista_->setModel(modelo_.get());
    lista_->header()->setStretchLastSection(false);
    lista_->header()->setSectionsClickable(true);
    // Titles are measured with room for the sort arrow a header click shows.
    lista_->header()->setSortIndicator(-1, Qt::AscendingOrder);
    lista_->header()->setSortIndicatorShown(true);
    lista_->header()->setSectionsMovable(false);
    panel->addWidget(lista_, 1);
    raiz->addWidget(picFields_, 1);

    auto* frame1 = new QWidget(this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    barra_ = new QHBoxLayout(frame1);
    barra_->setContentsMargins(0, 0, 0, 0);
    cmdAceptar_ = new QPushButton(QStringLiteral("&Aceptar"), frame1);
    cmdCancelar_ = new QPushButton(QStringLiteral("&Cancelar"), frame1);
    cmdNueva_ = new QPushButton(QStringLiteral("&Nueva Busqueda"), frame1);
    barra_->addWidget(cmdAceptar_);
    barra_->addStretch(1);
    barra_->addWidget(cmdCancelar_);
    barra_->addStretch(1);
    barra_->addWidget(cmdNueva_);
    raiz->addWidget(frame1);

    // Enter on a focused button presses that button; anywhere else it accepts.
    for (QPushButton* b : {cmdTodos_, cmdNuevo_, cmdAceptar_, cmdCancelar_, cmdNueva_}) b->setAutoDefault(true);
    cmdAceptar_->setDefault(true);

    crearCaja(0)->setToolTip(QStringLiteral("F5 realiza nueva busqueda"));
    filaCajas->setFixedHeight(cajas_[0]->sizeHint().height());
    ordenTabulacion();

    connect(cmdAceptar_, &QPushButton::clicked, this, &Lib_FrmCons3::aceptar);
    connect(cmdCancelar_, &QPushButton::clicked, this, &Lib_FrmCons3::cancelar);
    connect(cmdNueva_, &QPushButton::clicked, this, &Lib_FrmCons3::busquedaOriginal);
    connect(cmdTodos_, &QPushButton::clicked, this, &Lib_FrmCons3::marcarTodos);
    connect(cmdNuevo_, &QPushButton::clicked, this, &Lib_FrmCons3::nuevo);
    connect(lista_, &QTreeView::doubleClicked, this, [this](const QModelIndex& i) {
        if (i.isValid()) aceptar();
    });
    connect(lista_->header(), &QHeaderView::sectionClicked, this, &Lib_FrmCons3::clicEncabezado);
    connect(lista_->header(), &QHeaderView::sectionResized, this, [this] { colocarCajas(); });
    connect(lista_->header(), &QHeaderView::geometriesChanged, this, [this] { colocarCajas(); });
    connect(lista_->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { colocarCajas(); });

    // Key preview: the window sees the keys before its controls.
    lista_->installEventFilter(this);
    for (QPushButton* b : {cmdTodos_, cmdNuevo_, cmdAceptar_, cmdCancelar_, cmdNueva_}) b->installEventFilter(this);
}

Lib_FrmCons3::~Lib_FrmCons3()
{
    // The model outlives the view's last look at it.
    delete lista_;
    lista_ = nullptr;
}

QComboBox* Lib_FrmCons3::caja(int i) const
{
    if (i < 0 || i >= cajas()) return nullptr;
    return cajas_[static_cast<size_t>(i)];
}

QComboBox* Lib_FrmCons3::crearCaja(int i)
{
    if (i < cajas()) return cajas_[static_cast<size_t>(i)];
    QWidget* fila = picFields_->findChild<QWidget*>(QStringLiteral("filaCajas"));
    while (cajas() <= i) {
        const int n = cajas();
        auto* c = new QComboBox(fila);
        c->setObjectName(QStringLiteral("CmbSearch%1").arg(n));
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert);
        c->setCompleter(nullptr);
        c->installEventFilter(this);
        if (c->lineEdit()) c->lineEdit()->installEventFilter(this);
        connect(c, &QComboBox::editTextChanged, this, [this, n] { cambioCaja(n); });
        connect(c, &QComboBox::activated, this, [this, n] { cambioCaja(n); });
        cajas_.push_back(c);
        cajaDesenfocada(n);
    }
    ordenTabulacion();
    return cajas_[static_cast<size_t>(i)];
}

void Lib_FrmCons3::ordenTabulacion()
{
    // Search boxes, the list, then the buttons from the bottom bar up.
    if (!cmdAceptar_) return;   // still building
    std::vector<QWidget*> orden(cajas_.begin(), cajas_.end());
    for (QWidget* w : std::initializer_list<QWidget*>{lista_, cmdAceptar_, cmdCancelar_, cmdNueva_, cmdTodos_, cmdNuevo_}) orden.push_back(w);
    for (size_t i = 1; i < orden.size(); ++i) QWidget::setTabOrder(orden[i - 1], orden[i]);
}

void Lib_FrmCons3::showEvent(QShowEvent* ev)
{
    QDialog::showEvent(ev);
    if (ev->spontaneous()) return;
    // The keyboard starts where the operator types: the list (its letters go
    // to the search box), or the first search box when it holds a filter.
    if (!FiltroInicial.trimmed().isEmpty() && caja(0) && caja(0)->isVisible()) caja(0)->setFocus(Qt::OtherFocusReason);
    else lista_->setFocus(Qt::OtherFocusReason);
}

int Lib_FrmCons3::anchoMinimoColumna(int columna, int letras) const
{
    const QString muestra(letras, QLatin1Char('X'));
    // The cell as the list draws it: its font, its margins, its check box.
    lista_->ensurePolished();
    QStyleOptionViewItem celda;
    celda.initFrom(lista_->viewport());
    celda.font = lista_->font();
    celda.fontMetrics = QFontMetrics(celda.font);
    celda.text = muestra;
    celda.features = QStyleOptionViewItem::HasDisplay;
    if (columna == 0 && modelo_->casillas()) celda.features |= QStyleOptionViewItem::HasCheckIndicator;
    celda.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    celda.textElideMode = lista_->textElideMode();
    celda.decorationSize = lista_->iconSize();
    int ancho = lista_->style()->sizeFromContents(QStyle::CT_ItemViewItem, &celda, QSize(), lista_).width();
    // The title, with room for the sort arrow.
    ancho = std::max(ancho, lista_->header()->sectionSizeHint(columna));
    // The search box above shows as many characters as the column, beside its arrow.
    if (QComboBox* c = caja(columna)) {
        c->ensurePolished();
        QStyleOptionComboBox caja;
        caja.initFrom(c);
        caja.editable = true;
        caja.frame = c->hasFrame();
        const QSize texto(c->fontMetrics().horizontalAdvance(muestra), c->fontMetrics().height());
        const int anchoCaja = c->style()->sizeFromContents(QStyle::CT_ComboBox, &caja, texto, c).width();
        ancho = std::max(ancho, anchoCaja + twipsAPixeles(50));
    }
    return ancho;
}

datos::DB_Dll& Lib_FrmCons3::base()
{
    if (!UsarUDBC) return datos::gDB();
    if (!udbc_) {
        // A second connection with the session's parameters.
        udbc_ = std::make_unique<datos::DB_Dll>();
        const datos::DB_Dll& s = datos::gDB();
        udbc_->gProveedor = s.gProveedor;
        udbc_->gServidor = s.gServidor;
        udbc_->gDBName = s.gDBName;
        udbc_->gUsuario = s.gUsuario;
        udbc_->gUserPassWord = s.gUserPassWord;
        udbc_->OpenServerADODB(false, 3, QString(), false, true);
    }
    return *udbc_;
}

int Lib_FrmCons3::twipsAPixeles(double twips) const
{
    return qRound(twips * logicalDpiX() / 1440.0);
}

double Lib_FrmCons3::pixelesATwips(int pixeles) const
{
    return std::round(pixeles * 1440.0 / logicalDpiX());
}

int Lib_FrmCons3::anchoColumnaTwips(int columna) const
{
    return static_cast<int>(pixelesATwips(lista_->header()->sectionSize(columna)));
}

int Lib_FrmCons3::filaSeleccionada() const
{
    const QModelIndexList s = lista_->selectionModel()->selectedRows();
    if (s.isEmpty()) return -1;
    return s.first().row();
}

void Lib_FrmCons3::seleccionarFila(int fila)
{
    if (fila < 0 || fila >= modelo_->filas()) {
        lista_->selectionModel()->clearSelection();
        return;
    }
    const QModelIndex i = modelo_->index(fila, 0);
    lista_->selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    lista_->scrollTo(i);
}

QString Lib_FrmCons3::valorColumna(int fila, int k) const
{
    // Column 1 is the row's own text, column k > 1 its sub-item k - 1: both are cell k - 1.
    return modelo_->celda(fila, k - 1);
}

int Lib_FrmCons3::IndiceColumna(const QString& Columna) const
{
    const QString buscada = Columna.trimmed();
    for (int i = 0; i < modelo_->columnas(); ++i)
        if (modelo_->titulo(i).trimmed().compare(buscada, CI) == 0) return i + 1;
    return 0;
}

long Lib_FrmCons3::Busqueda(int Clave, const QString& QueValor)
{
    return modelo_->buscar(Clave, QueValor) + 1;
}

// ---------------------------------------------------------------------------
// Load

void Lib_FrmCons3::cargar()
{
    using datos::paso;
    using datos::Siguiente;
    descargada_ = false;

    // 1-2
    if (paso([&] {
            esArticulos_ = escaner::contiene(SQL, QStringLiteral("articulos"), escaner::Alcance::CodigoYNombres);
            Valores = std::make_shared<Coleccion>();
            Cantidades = std::make_shared<Coleccion>();
            ValorDevuelto = ado::Variant();
            modelo_->limpiarFilas();
            QFont f = lista_->font();
            f.setBold(true);
            f.setPointSize(10);
            lista_->setFont(f);
        }, manejadorCarga) == Siguiente::Salir)
        return;
    // 3: the plain lists of the lookup class carry no statement.
    if (SQL.trimmed().isEmpty()) return;

    // 4-5
    if (paso([&] {
            SQL += QLatin1Char(' ');
            const qsizetype p = escaner::Lectura(SQL).busca(QStringLiteral("from")) + 1;   // 1-based, 0 when absent
            const qsizetype q = SQL.indexOf(QLatin1Char(' '), p + 4) + 1;         // blank from position p + 5
            const qsizetype largo = q - (p + 4);
            tablaConsulta_ = largo > 0 ? SQL.mid(p + 3, largo).trimmed() : QString();
        }, manejadorCarga) == Siguiente::Salir)
        return;
    if (paso([&] {
            if (sqlOriginal_.isEmpty()) sqlOriginal_ = SQL;
            sqlBase_ = SQL;
        }, manejadorCarga) == Siguiente::Salir)
        return;

    // 6
    datos::DB_Dll* db = nullptr;
    if (paso([&] {
            db = &base();
            QString sentencia = SQL;   // the data routines may rewrite their copy
            rs_.reset();
            db->AbrirRecordset(sentencia, rs_, nullptr, ado::adOpenForwardOnly, ado::adLockReadOnly, -1, true);
        }, manejadorCarga) == Siguiente::Salir)
        return;
    const bool abierto = rs_ && rs_->State() == 1;

    // 7-8: a statement the database rejected has been reported already.
    if (paso([&] { modelo_->fijarCasillas(CheckBoxes); }, manejadorCarga) == Siguiente::Salir) return;
    if (abierto) {
        if (paso([&] { Encolumnar(); }, manejadorCarga) == Siguiente::Salir) return;
        if (paso([&] { Leer(); }, manejadorCarga) == Siguiente::Salir) return;
    } else {
        modelo_->limpiarColumnas();
    }
    // 9
    if (paso([&] {
            descendente_ = false;
            if (OrdenarPorLwv) modelo_->ordenar(0, Qt::AscendingOrder);
            // As the classic list, the first row starts selected.
            seleccionarFila(0);
        }, manejadorCarga) == Siguiente::Salir)
        return;
    // 10
    if (paso([&] {
            if (!FiltroInicial.trimmed().isEmpty()) caja(0)->setEditText(FiltroInicial);
        }, manejadorCarga) == Siguiente::Salir)
        return;
    // 11
    if (paso([&] {
            if (db && rs_) db->CierraRecordset(rs_);
            rs_.reset();
        }, manejadorCarga) == Siguiente::Salir)
        return;
    // 12
    if (paso([&] { LeeAnchosColumnas(); }, manejadorCarga) == Siguiente::Salir) return;
    paso([&] { CalcularAncho(); }, manejadorCarga);
}

void Lib_FrmCons3::Encolumnar()
{
    modelo_->limpiarColumnas();
    try {
        const bool articulosSentencia =
            escaner::contiene(SQL, QStringLiteral("V_MA_ARTICULOS"), escaner::Alcance::CodigoYNombres)
            || escaner::contiene(SQL, QStringLiteral("STK_MA_ARTICULOS"), escaner::Alcance::CodigoYNombres);
        const long n = rs_->FieldCount();
        std::vector<int> anchos;
        for (long g = 0; g < n; ++g) {
            ado::Field campo = rs_->Fields(g);
            long x = campo.DefinedSize();
            const long tipoCampo = campo.Type();
            if (tipoCampo == ado::tipo::Currency || tipoCampo == ado::tipo::Numeric) x = 12;
            x = std::clamp(x, 0L, 60L);

            QComboBox* c = crearCaja(static_cast<int>(g));   // an existing box is reused
            c->setProperty(kCampo, campo.Name());
            c->setVisible(true);

            QString titulo = campo.Name();
            if (articulosSentencia) {
                for (int p = 1; p <= 8; ++p)
                    if (titulo.compare(QStringLiteral("PRECIO%1").arg(p), CI) == 0)
                        titulo = datos::Cfg(QStringLiteral("NOM_PCLASE%1").arg(p));
            } else if (ValoresDefault == QLatin1String("@10")) {
                x += 10;
            }
            modelo_->agregarColumna(titulo);
            // x letters "X" in the font the cells are drawn with, so x characters show.
            anchos.push_back(anchoMinimoColumna(static_cast<int>(g), static_cast<int>(x)));
        }
        for (size_t i = 0; i < anchos.size(); ++i) lista_->header()->resizeSection(static_cast<int>(i), anchos[i]);
        for (int i = static_cast<int>(n); i < cajas(); ++i) if (i > 0) cajas_[static_cast<size_t>(i)]->setVisible(false);
    } catch (const std::exception& e) {
        velmora::MsgBox(datos::comoFallo(e).Description());
    }
}

void Lib_FrmCons3::Leer(long, long)
{
    if (!rs_ || rs_->State() != 1 || rs_->eof()) return;
    const long n = rs_->FieldCount();

    // Fields found by name once: a field the statement lacks (3265) is passed over.
    auto indiceDe = [&](const QString& nombre) -> long {
        for (long i = 0; i < n; ++i)
            if (rs_->Fields(i).Name().compare(nombre, CI) == 0) return i;
        return -1;
    };
    const long iDevuelto = CheckBoxes ? indiceDe(CampoDevuelto.trimmed()) : -1;
    const long iPunto = esArticulos_ ? indiceDe(QStringLiteral("PUNTOPEDIDO")) : -1;
    const long iStock = esArticulos_ ? indiceDe(QStringLiteral("Stock")) : -1;
    const bool conColores = esArticulos_ && MuestraStock.trimmed().compare(QLatin1String("SI"), CI) == 0;
    const ado::Variant* niveles[] = {&StkNivel1, &StkNivel2, &StkNivel3, &StkNivel4};

    std::vector<ModeloLista::Fila> filas;
    while (!rs_->eof()) {
        int r = 0;
        try {
            ModeloLista::Fila f;
            f.celdas.reserve(static_cast<size_t>(n));
            QString color;
            if (esArticulos_ && iPunto >= 0 && iStock >= 0) {
                const int64_t pp = rs_->Fields(iPunto).Value().toCurrency();
                const int64_t s = rs_->Fields(iStock).Value().toCurrency();
                int nivel = 3;
                if (pp == 0 && s > 0) nivel = 0;
                else if (pp > 0 && s > pp) nivel = 1;
                else if (pp > 0 && s < pp) nivel = 2;
                color = niveles[nivel]->toText();
            }
            f.celdas.push_back(velmora::CampoATexto(rs_->Fields(0L).Value()).trimmed());
            if (iDevuelto >= 0 && !ValoresDefault.isEmpty()) {
                const QString clave = velmora::CampoATexto(rs_->Fields(iDevuelto).Value()).trimmed();
                f.marcada = !clave.isEmpty() && ValoresDefault.contains(clave, CI);
            }
            for (long i = 1; i < n; ++i) f.celdas.push_back(velmora::AjustaTexto(velmora::CampoATexto(rs_->Fields(i).Value())));
            if (conColores && !color.trimmed().isEmpty()) {
                f.coloreada = true;
                f.color = colorOle(velmora::TextoANumero(color));
            }
            filas.push_back(std::move(f));
            rs_->MoveNext();
            continue;
        } catch (const std::exception& e) {
            r = datos::ReportaError(datos::comoFallo(e), std::nullopt, QStringLiteral("FORM_LOAD"));
        }
        if (r == 4) continue;
        if (r != 5) break;
        datos::pasoSilencioso([&] { rs_->MoveNext(); });
    }
    modelo_->agregarFilas(std::move(filas));
}

void Lib_FrmCons3::CalcularAncho()
{
    int total = 0;
    for (int i = 0; i < modelo_->columnas(); ++i) total += lista_->header()->sectionSize(i);
    colocarCajas();
    const int anchoLista = total + twipsAPixeles(360);
    const int pantalla = screen() ? screen()->availableGeometry().width() : 1024;
    const int ancho = anchoLista + twipsAPixeles(360) >= pantalla ? pantalla - twipsAPixeles(480) : anchoLista + twipsAPixeles(280);
    resize(ancho, height());
}

void Lib_FrmCons3::colocarCajas()
{
    if (!lista_) return;
    const int x0 = lista_->viewport()->geometry().x();
    const int menos = twipsAPixeles(50);
    for (int i = 0; i < modelo_->columnas() && i < cajas(); ++i) {
        QComboBox* c = cajas_[static_cast<size_t>(i)];
        const int ancho = std::max(8, lista_->header()->sectionSize(i) - menos);
        c->setGeometry(x0 + lista_->header()->sectionViewportPosition(i), 0, ancho, c->sizeHint().height());
    }
}

void Lib_FrmCons3::resizeEvent(QResizeEvent* ev)
{
    QDialog::resizeEvent(ev);
    colocarCajas();
}

// ---------------------------------------------------------------------------
// Buttons

void Lib_FrmCons3::aceptar()
{
    auto manejador = [](const ado::Fallo& f) { return datos::ReportaError(f, std::nullopt, QStringLiteral("CmdAceptar_Click")); };
    if (datos::paso([&] {
            if (!Valores) Valores = std::make_shared<Coleccion>();
            if (CheckBoxes) {
                if (CampoDevuelto.isEmpty()) CampoDevuelto = modelo_->titulo(0);
                const int k = IndiceColumna(CampoDevuelto);
                if (k <= 0) return;
                for (int f = 0; f < modelo_->filas(); ++f)
                    if (modelo_->marcada(f)) Valores->Add(ado::Variant(valorColumna(f, k)));
                return;
            }
            const int f = filaSeleccionada();
            if (f < 0) return;
            if (CmpsDevueltos) {
                for (const ado::Variant& nombre : CmpsDevueltos->valores()) {
                    const int k = IndiceColumna(nombre.toText());
                    if (k > 0) Valores->Add(ado::Variant(valorColumna(f, k)));
                }
            }
            QString valor;
            if (!CampoDevuelto.trimmed().isEmpty()) {
                const int k = IndiceColumna(CampoDevuelto);
                if (k > 0) valor = valorColumna(f, k);
            }
            ValorDevuelto = ado::Variant(valor);
        }, manejador) == datos::Siguiente::Salir)
        return;
    done(QDialog::Accepted);
}

void Lib_FrmCons3::cancelar()
{
    ValorDevuelto = ado::Variant(QString());
    CmpsDevueltos.reset();
    Valores.reset();
    QDialog::reject();
}

void Lib_FrmCons3::reject()
{
    cancelar();
}

void Lib_FrmCons3::busquedaOriginal()
{
    datos::pasoSilencioso([&] { SQL = sqlOriginal_; });
    datos::pasoSilencioso([&] { cargar(); });
    datos::pasoSilencioso([&] { caja(0)->setFocus(); });
}

void Lib_FrmCons3::marcarTodos()
{
    modelo_->invertirMarcas();
}

void Lib_FrmCons3::nuevo()
{
    // The maintenance program of the listed table; the window neither waits nor reloads.
    nuevoDesdeTabla(tablaConsulta_);
}

void Lib_FrmCons3::clicEncabezado(int columna)
{
    descendente_ = !descendente_;
    modelo_->ordenar(columna, descendente_ ? Qt::DescendingOrder : Qt::AscendingOrder);
    lista_->header()->setSortIndicatorShown(true);
    lista_->header()->setSortIndicator(columna, descendente_ ? Qt::DescendingOrder : Qt::AscendingOrder);
}

// ---------------------------------------------------------------------------
// Search boxes

void Lib_FrmCons3::cambioCaja(int i)
{
    datos::pasoSilencioso([&] {
        QComboBox* c = caja(i);
        if (!c) return;
        const int k = velmora::TextoAEntero(QString::number(i));
        const long r = Busqueda(k, c->currentText().trimmed());
        if (r != 0) seleccionarFila(static_cast<int>(r - 1));
    });
}

void Lib_FrmCons3::cajaEnfocada(int i)
{
    indiceBusqueda_ = i;
    if (QComboBox* c = caja(i)) {
        QPalette p = c->palette();
        p.setColor(QPalette::Base, colorOle(0xFFFF00));
        c->setPalette(p);
        if (c->lineEdit()) c->lineEdit()->setPalette(p);
    }
}

void Lib_FrmCons3::cajaDesenfocada(int i)
{
    if (QComboBox* c = caja(i)) {
        QPalette p = c->palette();
        p.setColor(QPalette::Base, colorOle(0xFFFFFF));
        c->setPalette(p);
        if (c->lineEdit()) c->lineEdit()->setPalette(p);
    }
}

void Lib_FrmCons3::nuevaBusqueda(int i)
{
    using datos::pasoSilencioso;
    QComboBox* c = caja(i);
    // The plain lists have no statement to narrow.
    if (!c || SQL.trimmed().isEmpty()) return;

    pasoSilencioso([&] { sufijoOrden_.clear(); });
    // Clauses and table names are read from the statement's own words: the
    // text of an earlier search is a literal and decides nothing.
    const escaner::Lectura lectura(SQL);
    pasoSilencioso([&] {
        const qsizetype p = lectura.buscaClausula({"order", "by"});
        if (p >= 0) {
            sufijoOrden_ = SQL.mid(p);
            sqlBase_ = SQL.left(p);
        }
    });
    pasoSilencioso([&] {
        const qsizetype g = lectura.buscaClausula({"group", "by"});
        if (g >= 0) {
            const QString resto = SQL.mid(g);
            if (!resto.trimmed().isEmpty()) sufijoOrden_ = resto;
            sqlBase_ = SQL.left(g);
        }
    });
    QString prefijo;
    pasoSilencioso([&] {
        const escaner::Lectura base(sqlBase_);
        if (base.contiene(QStringLiteral("stk_ma_articulos"), escaner::Alcance::CodigoYNombres)) prefijo = QStringLiteral("stk_ma_articulos.");
        if (base.contiene(QStringLiteral("v_ma_articulos"), escaner::Alcance::CodigoYNombres)) prefijo = QStringLiteral("v_ma_articulos.");
    });
    const QString conector = lectura.buscaClausula({"where"}) >= 0 ? QStringLiteral(" and ") : QStringLiteral(" where ");
    pasoSilencioso([&] {
        const QString f = c->property(kCampo).toString();
        QString t = c->currentText();
        // The typed text goes inside the pattern's quotes with its own quotes
        // doubled: the pattern stays one literal whatever the operator types.
        if (CfgUsaConsultaLIKE) {
            SQL = sqlBase_ + conector + prefijo + f + QStringLiteral(" like '%") + datos::patronLike(velmora::Reemplaza(t, QStringLiteral(" "), QStringLiteral("%")))
                  + QStringLiteral("%' ") + sufijoOrden_;
        } else {
            t = velmora::Reemplaza(t, QStringLiteral("*"), QStringLiteral("%"));
            c->setEditText(t);
            SQL = sqlBase_ + conector + prefijo + f + QStringLiteral(" like '") + datos::patronLike(t) + QStringLiteral("%' ") + sufijoOrden_;
        }
    });
    pasoSilencioso([&] { c->setEditText(QString()); });
    pasoSilencioso([&] { sqlBase_ = SQL; });
    pasoSilencioso([&] { cargar(); });
}

// ---------------------------------------------------------------------------
// Keys

void Lib_FrmCons3::teclaLista(int codigo, bool shift)
{
    auto manejador = [](const ado::Fallo& f) { return datos::ReportaError(f, std::nullopt, QStringLiteral("ListView1_KeyDown")); };
    using datos::paso;
    using datos::Siguiente;

    if (codigo == 32 && CheckBoxes) {
        const int f = filaSeleccionada();
        if (f >= 0) modelo_->marcar(f, !modelo_->marcada(f));
        return;
    }
    if (codigo == 13) {
        aceptar();
        return;
    }
    if (UsaCantidades && (codigo == 45 || codigo == 46)) {
        const int k = IndiceColumna(QStringLiteral("**") + QStringLiteral("Cantidad") + QStringLiteral("**"));
        const int f = filaSeleccionada();
        if (k <= 0 || f < 0) return;
        const int col = k - 1;
        paso([&] {
            const QString texto = modelo_->celda(f, col);
            if (codigo == 45 && shift) {
                const std::optional<QString> r = velmora::operador().InputBox(QStringLiteral("Ingrese la Cantidad del Articulo..."),
                                                                              QStringLiteral("Carga de Datos"), texto);
                const double v = r ? ado::valorNumerico(*r) : 0.0;
                modelo_->fijarCelda(f, col, v == 0 ? QStringLiteral("0.00") : QString::number(v, 'f', 2));
                modelo_->marcar(f, true);
            } else if (codigo == 45) {
                modelo_->fijarCelda(f, col, QString::number(ado::valorNumerico(texto) + 1, 'f', 1));
                modelo_->marcar(f, true);
            } else if (!shift) {
                const double v = ado::valorNumerico(texto) - 1;
                modelo_->fijarCelda(f, col, QString::number(v, 'f', 1));
                if (!(v > 0)) {
                    modelo_->marcar(f, false);
                    modelo_->fijarCelda(f, col, QStringLiteral("0.00"));
                }
            }
        }, manejador);
        return;
    }
    QComboBox* c = caja(indiceBusqueda_);
    if (!c) return;
    if (codigo >= 47 && codigo <= 93) {
        paso([&] {
            c->setFocus();
            cajaEnfocada(indiceBusqueda_);
            c->setEditText(c->currentText() + QChar(codigo));
        }, manejador);
        return;
    }
    if ((codigo >= 97 && codigo <= 125) || codigo == 8 || (codigo == 32 && !CheckBoxes)) {
        paso([&] {
            c->setFocus();
            cajaEnfocada(indiceBusqueda_);
            if (codigo == 32) c->setEditText(c->currentText() + QLatin1Char(' '));
            else if (codigo == 8) c->setEditText(c->currentText().chopped(c->currentText().isEmpty() ? 0 : 1));
        }, manejador);
    }
}

void Lib_FrmCons3::informarFaltante()
{
    if (!esArticulos_ && !SQL.contains(QLatin1String("articulos"), CI)) return;
    const int f = filaSeleccionada();
    if (f < 0) return;
    const int kId = IndiceColumna(QStringLiteral("idarticulo"));
    const int kDesc = IndiceColumna(QStringLiteral("Descripcion"));
    const QString id = kId > 0 ? valorColumna(f, kId) : QString();
    const QString descripcion = kDesc > 0 ? valorColumna(f, kDesc) : QString();
    const int r = velmora::MsgBox(QStringLiteral("Desea informar el articulo ") + id.trimmed() + QStringLiteral(" ") + descripcion.trimmed()
                                      + QStringLiteral("\r\n") + QStringLiteral("como un faltante de stock?"),
                                  velmora::botones::SiNo + velmora::botones::Pregunta, QStringLiteral("Atención!"));
    if (r != velmora::respuesta::Si) return;
    datos::pasoSilencioso([&] {
        datos::DB_Dll& db = datos::gDB();
        QString s = QStringLiteral("INSERT INTO V_MV_FALTANTES (FechaHora,IdArticulo,Descripcion,Usuario) values('")
                    + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) + QStringLiteral("','")   // ISO 8601: no server language turns it around
                    + datos::comillas(velmora::AjustaTexto(id, 25)) + QStringLiteral("','") + datos::comillas(descripcion.trimmed())
                    + QStringLiteral("','") + datos::comillas(db.gUsuario) + QStringLiteral("')");
        long n = 0;
        db.EjecutaConsultaSQL(s, n);
    });
}

bool Lib_FrmCons3::eventFilter(QObject* obj, QEvent* ev)
{
    if (ev->type() == QEvent::FocusIn || ev->type() == QEvent::FocusOut) {
        for (int i = 0; i < cajas(); ++i) {
            QComboBox* c = cajas_[static_cast<size_t>(i)];
            if (obj == c || obj == c->lineEdit()) {
                if (ev->type() == QEvent::FocusIn) cajaEnfocada(i);
                else cajaDesenfocada(i);
                break;
            }
        }
        return QDialog::eventFilter(obj, ev);
    }
    if (ev->type() != QEvent::KeyPress) return QDialog::eventFilter(obj, ev);
    auto* k = static_cast<QKeyEvent*>(ev);
    const int codigo = codigoClasico(k);
    const bool shift = k->modifiers().testFlag(Qt::ShiftModifier);

    // F12 belongs to the window, whatever control has the focus.
    if (codigo == 123) {
        if (SQL.contains(QLatin1String("articulos"), CI)) {
            informarFaltante();
            return true;
        }
        return false;
    }
    if (codigo == 13) {
        if (qobject_cast<QPushButton*>(obj) && obj != cmdAceptar_) return false;   // a focused button answers its own Enter
        aceptar();
        return true;
    }
    if (codigo == 27) {
        cancelar();
        return true;
    }

    int caja_ = -1;
    for (int i = 0; i < cajas(); ++i) {
        QComboBox* c = cajas_[static_cast<size_t>(i)];
        if (obj == c || obj == c->lineEdit()) caja_ = i;
    }
    if (caja_ >= 0) {
        // The combo box passes its keys on to its line edit: act once.
        if (obj != cajas_[static_cast<size_t>(caja_)]) return false;
        if (codigo == 116) {
            nuevaBusqueda(caja_);
            return true;
        }
        if (codigo == 40 || codigo == 38 || codigo == 34 || codigo == 33) {
            teclaLista(codigo, false);
            lista_->setFocus();
            return true;
        }
        return false;
    }
    if (obj == lista_) {
        const bool propia = (codigo == 32) || (UsaCantidades && (codigo == 45 || codigo == 46)) || (codigo >= 47 && codigo <= 93)
                            || (codigo >= 97 && codigo <= 125) || codigo == 8;
        if (!propia) return false;
        teclaLista(codigo, shift);
        return true;
    }
    return QDialog::eventFilter(obj, ev);
}

// ---------------------------------------------------------------------------
// Plain lists of the lookup class

void Lib_FrmCons3::prepararListaSimple(const QString& titulo)
{
    modelo_->limpiarColumnas();
    modelo_->fijarCasillas(CheckBoxes);
    modelo_->agregarColumna(titulo);
    QComboBox* c = crearCaja(0);
    c->setProperty(kCampo, titulo);
    c->setVisible(true);
    for (int i = 1; i < cajas(); ++i) cajas_[static_cast<size_t>(i)]->setVisible(false);
    lista_->header()->resizeSection(0, std::max(60, lista_->viewport()->width()));
}

void Lib_FrmCons3::agregarOpcion(const QString& texto, bool marcada)
{
    ModeloLista::Fila f;
    f.celdas.push_back(texto);
    f.marcada = marcada;
    modelo_->agregarFila(std::move(f));
}

void Lib_FrmCons3::ocultarNuevaBusqueda()
{
    cmdNueva_->setVisible(false);
    // "&Cancelar" takes the place on the right.
    barra_->setStretch(3, 0);
}

void Lib_FrmCons3::anchoPorCaracteres(int caracteres)
{
    const int pantalla = screen() ? screen()->availableGeometry().width() : 1024;
    int ancho = twipsAPixeles(120.0 * caracteres);
    if (ancho >= pantalla) ancho = pantalla;
    resize(std::max(ancho, minimumSizeHint().width()), height());
    // The single column is as wide as the list.
    if (modelo_->columnas() == 1) lista_->header()->resizeSection(0, std::max(60, width() - 40));
    colocarCajas();
}

// ---------------------------------------------------------------------------
// Unload

void Lib_FrmCons3::descargar()
{
    if (descargada_) return;
    descargada_ = true;
    try {
        UsarUDBC = false;
        GrabaAnchosColumnas();
        modelo_->limpiarFilas();
    } catch (const std::exception& e) {
        velmora::MsgBox(datos::comoFallo(e).Description(), velmora::botones::Critico, QStringLiteral("Aviso al Operador"));
    }
}

}  // namespace consulta
