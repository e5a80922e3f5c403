#include "FrmPermutal.h"

#include "Apariencia.h"
#include "Inicio.h"
#include "Progreso.h"
#include "Sesion.h"

#include "companion/Operador.h"
#include "companion/Velmora2.h"
#include "data/DB_Dll.h"
#include "data/Literales.h"
#include "data/Pasos.h"
#include "data/Sesion.h"


#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>
#include <functional>

namespace app {

namespace {

const QString CRLF = QStringLiteral("\r\n");
const QString kAtencion = QStringLiteral("Atención");
constexpr long kAzul = 0xFF0000;   // classic colour value: blue in the high byte

// Classic key codes the window reacts to.
constexpr int kF2 = 113, kF5 = 116, kEsc = 27, kEnter = 13;

int codigoClasico(const QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_F2: return kF2;
    case Qt::Key_F5: return kF5;
    case Qt::Key_Escape: return kEsc;
    case Qt::Key_Return:
    case Qt::Key_Enter: return kEnter;
    default: return 0;
    }
}

QString texto(const ado::Variant& v) { return velmora::CampoATexto(v); }

// Unexpected failures of a handler: the description, and the window stays usable.
void informarFallo(const std::exception& e)
{
    const ado::Fallo f = datos::comoFallo(e);
    velmora::MsgBox(f.Description(), velmora::botones::Critico + velmora::botones::OK, kAtencion);
}

}  // namespace

QString FormatoCeros(const QString& texto, int ancho)
{
    // Plain decimal numbers only: anything else (exponents, words, infinity)
    // stays as typed.
    static const QRegularExpression numero(QStringLiteral("^\\s*([+-]?)([0-9]+)(?:[.,]([0-9]*))?\\s*$"));
    const QRegularExpressionMatch m = numero.match(texto);
    if (!m.hasMatch()) return texto;
    QString entero = m.captured(2);
    while (entero.size() > 1 && entero.startsWith(QLatin1Char('0'))) entero.remove(0, 1);
    // Format rounds the fraction half away from zero.
    const QString fraccion = m.captured(3);
    if (!fraccion.isEmpty() && fraccion.at(0) >= QLatin1Char('5')) {
        int i = static_cast<int>(entero.size()) - 1;
        for (; i >= 0; --i) {
            if (entero[i] == QLatin1Char('9')) {
                entero[i] = QLatin1Char('0');
            } else {
                entero[i] = QChar(entero[i].unicode() + 1);
                break;
            }
        }
        if (i < 0) entero.prepend(QLatin1Char('1'));
    }
    const bool negativo = m.captured(1) == QLatin1String("-") && entero != QLatin1String("0");
    return (negativo ? QStringLiteral("-") : QString()) + entero.rightJustified(ancho, QLatin1Char('0'));
}

// ---------------------------------------------------------------------------------

FrmPermutal::FrmPermutal(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FrmPermutal"));
    setWindowTitle(QStringLiteral("Cambia Proveedor de una Orden de Compra"));
    setWindowIcon(QIcon(QStringLiteral(":/permutal/iconos/permutal.png")));
    crearControles();
}

FrmPermutal::~FrmPermutal() = default;

void FrmPermutal::crearControles()
{
    auto* raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(6, 6, 6, 6);
    raiz->setSpacing(4);

    auto* label1 = new QLabel(QStringLiteral("Está utilidad sirve para cambiar el proveedor a una Orden de Compra específica."), this);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setWordWrap(true);
    raiz->addWidget(label1);

    auto* frame1 = new QFrame(this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setFrameShape(QFrame::StyledPanel);
    raiz->addWidget(frame1);
    auto* marco = new QVBoxLayout(frame1);
    marco->setContentsMargins(6, 2, 6, 6);

    toolbar_ = new QToolBar(frame1);
    toolbar_->setObjectName(QStringLiteral("Toolbar1"));
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    toolbar_->setIconSize(QSize(16, 16));
    toolbar_->setMovable(false);
    const struct {
        const char* texto;
        QStyle::StandardPixmap imagen;
    } definicion[] = {
        {"[F5] Consutlar", QStyle::SP_FileDialogContentsView},
        {"[F2] Grabar", QStyle::SP_DialogSaveButton},
        {"[Esc] Salir", QStyle::SP_DialogCloseButton},
    };
    for (int i = 0; i < 3; ++i) {
        QAction* a = toolbar_->addAction(style()->standardIcon(definicion[i].imagen), QString::fromUtf8(definicion[i].texto));
        const int indice = i + 1;
        connect(a, &QAction::triggered, this, [this, indice] { Toolbar1_ButtonClick(indice); });
        // The buttons never take the focus: the lookup works on the field that had it.
        if (QWidget* w = toolbar_->widgetForAction(a)) w->setFocusPolicy(Qt::NoFocus);
        botones_.append(a);
    }
    marco->addWidget(toolbar_);

    auto* filas = new QGridLayout;
    filas->setHorizontalSpacing(6);
    marco->addLayout(filas);

    auto nuevoCampo = [&](const char* dataField, const char* tag, int maximo, int ancho) {
        auto* c = new QLineEdit(frame1);
        c->setObjectName(QStringLiteral("TxtFields_%1").arg(campos_.size()));
        c->setProperty("DataField", QString::fromLatin1(dataField));
        c->setProperty("Tag", QString::fromLatin1(tag));
        if (maximo > 0) c->setMaxLength(maximo);
        if (ancho > 0) c->setFixedWidth(ancho);
        c->installEventFilter(this);
        campos_.append(c);
        return c;
    };
    // The control array's order: supplier first, then branch, number, letter.
    QLineEdit* proveedor = nuevoCampo("PROVEEDOR", "PROVEEDORES", 0, 0);
    QLineEdit* sucursal = nuevoCampo("SUCURSAL", "OC", 4, 48);
    QLineEdit* numero = nuevoCampo("NUMERO", "OC", 8, 84);
    QLineEdit* letra = nuevoCampo("LETRA", "OC", 1, 26);

    auto* lblTitulo = new QLabel(QStringLiteral("Orden de Compra (OC):"), frame1);
    lblTitulo->setObjectName(QStringLiteral("lblTitulo_0"));
    auto* filaOC = new QHBoxLayout;
    filaOC->addWidget(sucursal);
    filaOC->addWidget(numero);
    filaOC->addWidget(letra);
    filaOC->addStretch(1);
    filas->addWidget(lblTitulo, 0, 0);
    filas->addLayout(filaOC, 0, 1);

    QFont negrita = font();
    negrita.setBold(true);
    lblDatos_ = new QLabel(QStringLiteral("..."), frame1);
    lblDatos_->setObjectName(QStringLiteral("lblDatos"));
    lblDatos_->setFont(negrita);
    filas->addWidget(lblDatos_, 1, 0, 1, 2);

    auto* lblTitulo2 = new QLabel(QStringLiteral("Cambiar Proveedor por:"), frame1);
    lblTitulo2->setObjectName(QStringLiteral("lblTitulo_1"));
    filas->addWidget(lblTitulo2, 2, 0);
    filas->addWidget(proveedor, 2, 1);

    lblProv_ = new QLabel(QStringLiteral("..."), frame1);
    lblProv_->setObjectName(QStringLiteral("lblProv"));
    lblProv_->setFont(negrita);
    filas->addWidget(lblProv_, 3, 0, 1, 2);
    filas->setColumnStretch(1, 1);

    picture1_ = new CuadroProgreso(this);
    raiz->addWidget(picture1_);

    setTabOrder(sucursal, numero);
    setTabOrder(numero, letra);
    setTabOrder(letra, proveedor);
    sucursal->setFocus();
    // 5595 x 2565 twips at 15 twips a pixel, with room for the toolbar's texts.
    resize(QSize(420, 200).expandedTo(sizeHint()));
}

bool FrmPermutal::Form_Load(const QString& lineaComandos)
{
    QString linea = lineaComandos;
    QString conexion;
    long cursor = 3;
    InicializaSistema(linea, conexion, cursor);
    if (!datos::gDB().gOpenFlag) return false;
    AplicaApariencia();
    return true;
}

void FrmPermutal::AplicaApariencia()
{
    AplicaSkin(this);
    AplicaIcono(this);
}

std::unique_ptr<FrmPermutal> FrmPermutal::iniciar(const QString& lineaComandos)
{
    auto ventana = std::make_unique<FrmPermutal>();
    if (!ventana->Form_Load(lineaComandos)) return nullptr;
    return ventana;
}

QLineEdit* FrmPermutal::TxtFields(int indice) const
{
    return indice >= 0 && indice < campos_.size() ? campos_[indice] : nullptr;
}

QList<QObject*> FrmPermutal::controles() const
{
    QList<QObject*> l;
    for (QLineEdit* c : campos_) l.append(c);
    return l;
}

QAction* FrmPermutal::boton(int indice) const
{
    return indice >= 1 && indice <= botones_.size() ? botones_[indice - 1] : nullptr;
}

QLineEdit* FrmPermutal::campoPorNombre(const QString& dataField) const
{
    return TxtFields(velmora::IndiceControl(dataField, controles()));
}

int FrmPermutal::indiceDe(const QObject* objeto) const
{
    for (int i = 0; i < campos_.size(); ++i)
        if (campos_[i] == objeto) return i;
    return -1;
}

void FrmPermutal::avisar(const QString& t)
{
    velmora::MsgBox(t, velmora::botones::Critico + velmora::botones::OK, kAtencion);
}

// --- Keys and focus ------------------------------------------------------------------

bool FrmPermutal::eventFilter(QObject* objeto, QEvent* evento)
{
    const int indice = indiceDe(objeto);
    if (indice >= 0) {
        if (evento->type() == QEvent::FocusIn) {
            TxtFields_GotFocus(indice);
        } else if (evento->type() == QEvent::KeyPress) {
            auto* k = static_cast<QKeyEvent*>(evento);
            // The window sees its keys before the field.
            if (Form_KeyDown(codigoClasico(k))) return true;
            if (codigoClasico(k) == kEnter) {
                TxtFields_KeyPress(indice, kEnter);
                return true;
            }
        }
    }
    return QWidget::eventFilter(objeto, evento);
}

void FrmPermutal::keyPressEvent(QKeyEvent* evento)
{
    if (Form_KeyDown(codigoClasico(evento))) return;
    QWidget::keyPressEvent(evento);
}

bool FrmPermutal::Form_KeyDown(int tecla)
{
    switch (tecla) {
    case kF2: Grabar(); return true;
    case kF5: Consultar(); return true;
    case kEsc: Salir(); return true;
    default: return false;
    }
}

void FrmPermutal::Toolbar1_ButtonClick(int indice)
{
    switch (indice) {
    case 1: Consultar(); break;
    case 2: Grabar(); break;
    case 3: Salir(); break;
    default: break;
    }
}

void FrmPermutal::Salir()
{
    // Nothing is saved at exit; closing the only window ends the program.
    close();
}

void FrmPermutal::TxtFields_GotFocus(int indice)
{
    campoActual_ = indice;
    if (QAction* b = boton(1)) b->setEnabled(!TxtFields(indice)->property("Tag").toString().isEmpty());
}

void FrmPermutal::TxtFields_KeyPress(int indice, int codigoTecla)
{
    if (codigoTecla != kEnter) return;
    QLineEdit* c = TxtFields(indice);
    if (!c) return;
    ValidaCampo(c);
    if (error_) return;
    if (QApplication::focusWidget() == c) {
        velmora::EnterComoTab(codigoTecla);
        return;
    }
    // Right after a modal list the window may not have the focus back yet, and
    // a Tab would go nowhere: move on directly.
    const int orden[] = {1, 2, 3, 0};
    for (int i = 0; i < 4; ++i)
        if (orden[i] == indice) {
            const int siguiente = orden[(i + 1) % 4];
            TxtFields(siguiente)->setFocus(Qt::TabFocusReason);
            if (!TxtFields(siguiente)->hasFocus()) TxtFields_GotFocus(siguiente);
            break;
        }
}

// --- Validation ----------------------------------------------------------------------

void FrmPermutal::ValidaCampo(QLineEdit* campo)
{
    error_ = false;
    try {
        validarCampo(campo);
    } catch (const std::exception& e) {
        informarFallo(e);
        error_ = true;
    }
}

void FrmPermutal::validarCampo(QLineEdit* campo)
{
    if (!campo) return;
    datos::DB_Dll& db = datos::gDB();
    const QString dataField = campo->property("DataField").toString();
    const QString valor = campo->text();

    if (dataField == QLatin1String("SUCURSAL")) {
        campo->setText(FormatoCeros(valor, 4));
    } else if (dataField == QLatin1String("NUMERO")) {
        campo->setText(FormatoCeros(valor, 8));
    } else if (dataField == QLatin1String("LETRA")) {
        const QString id = campoPorNombre(QStringLiteral("SUCURSAL"))->text() + campoPorNombre(QStringLiteral("NUMERO"))->text()
                           + campoPorNombre(QStringLiteral("LETRA"))->text();
        datos::RecordsetRef rs;
        const bool existe = db.ExisteEnTabla(QStringLiteral("CO_OCompraPendientes"), QStringLiteral("OC"), QStringLiteral("TC"), &rs, 8,
                                             QStringLiteral("TC='OC' AND IDCOMPROBANTE='") + datos::comillas(id) + QStringLiteral("'"), true);
        if (existe) {
            const QString cuenta = texto(rs->Fields(QStringLiteral("Cuenta")).Value());
            db.CierraRecordset(rs);
            const QString nombre = texto(db.DatosTabla(QStringLiteral("vt_proveedores"), cuenta, QStringLiteral("Razon_Social"),
                                                      QStringLiteral("codigo"), 8, QString(), true, false));
            lblDatos_->setText(QStringLiteral("Proveedor Actual: (") + cuenta + QStringLiteral(") ") + nombre);
        } else {
            if (rs) db.CierraRecordset(rs);
            lblDatos_->setText(QStringLiteral("..."));
            avisar(QStringLiteral("La OC ingresada no es válida o es inexistente"));
            error_ = true;
        }
    } else if (dataField == QLatin1String("PROVEEDOR")) {
        lblProv_->setText(QStringLiteral("..."));
        if (valor.trimmed().isEmpty()) {
            avisar(QStringLiteral("Debe informar un proveedor"));
            error_ = true;
            return;
        }
        datos::RecordsetRef rs;
        if (!db.ExisteEnTabla(QStringLiteral("VT_PROVEEDORES"), valor, QStringLiteral("CODIGO"), &rs, 8, QString(), true)) {
            if (rs) db.CierraRecordset(rs);
            avisar(QStringLiteral("El proveedor informado es inexistente"));
            error_ = true;
            return;
        }
        lblProv_->setText(texto(rs->Fields(QStringLiteral("razon_social")).Value()));
        db.CierraRecordset(rs);
    }
}

bool FrmPermutal::ValidaCampos()
{
    for (QLineEdit* c : campos_) {
        ValidaCampo(c);
        if (error_) return false;
    }
    return true;
}

// --- Lookups -------------------------------------------------------------------------

void FrmPermutal::Consultar()
{
    try {
        QLineEdit* actual = TxtFields(campoActual_);
        if (!actual) return;
        const QString tag = actual->property("Tag").toString();
        consulta::Lib_ClsCons3& c = gConsulta();
        consulta::ColeccionRef ninguna;
        QString clave, campoBusqueda, where, sentenciaOpcional, valoresDefault;
        bool arbol = false;

        if (tag == QLatin1String("OC")) {
            // The row limit is a number wherever the configuration value came from.
            int tope = velmora::TextoAEntero(gTopDefault);
            if (tope <= 0) tope = 1000;
            c.CampoDevuelto = QStringLiteral("IDCOMPROBANTE");
            c.ConsultaSearch(QStringLiteral("SELECT TOP ") + QString::number(tope) + QStringLiteral(" TC, IDCOMPROBANTE, CUENTA FROM CO_OCompraPendientes "),
                             ninguna, clave, campoBusqueda, where, sentenciaOpcional, arbol, valoresDefault);
            activateWindow();
            const QString v = texto(c.ValorDevuelto).trimmed();
            campoPorNombre(QStringLiteral("SUCURSAL"))->setText(v.mid(0, 4));
            campoPorNombre(QStringLiteral("NUMERO"))->setText(v.mid(4, 8));
            QLineEdit* letra = campoPorNombre(QStringLiteral("letra"));
            letra->setText(v.mid(12, 1));
            ValidaCampo(letra);
            letra->setFocus();
            // An inactive window gets no focus event until it is activated.
            if (!letra->hasFocus()) TxtFields_GotFocus(indiceDe(letra));
            TxtFields_KeyPress(campoActual_, kEnter);
        } else if (tag == QLatin1String("PROVEEDORES")) {
            c.CampoDevuelto = QStringLiteral("CODIGO");
            c.ConsultaSearch(QStringLiteral("VT_PROVEEDORES"), ninguna, clave, campoBusqueda, where, sentenciaOpcional, arbol, valoresDefault);
            activateWindow();
            campoPorNombre(QStringLiteral("PROVEEDOR"))->setText(texto(c.ValorDevuelto).trimmed());
            TxtFields_KeyPress(campoActual_, kEnter);
        }
    } catch (const std::exception& e) {
        informarFallo(e);
    }
}

// --- Save ----------------------------------------------------------------------------

void FrmPermutal::Grabar()
{
    if (!ValidaCampos()) return;

    datos::DB_Dll& db = datos::gDB();
    QString id, codigo, lote, idIR, lista;
    long cantidad = 0;
    bool enviado = false, cerrado = false;
    datos::RecordsetRef rs;

    // Any unexpected failure goes to the operator: retry, go on, or leave the save.
    auto manejador = [](const ado::Fallo& f) { return velmora::InformaError(f); };
    auto hacer = [&](const std::function<void()>& p) { return datos::paso(p, manejador) == datos::Siguiente::Seguir; };
    auto progreso = [&](int pct) { DibujaProgreso(picture1_, pct, kAzul, QString()); };
    auto actualizacion = [&](const char* tabla) {
        return QStringLiteral("UPDATE ") + QLatin1String(tabla) + QStringLiteral(" SET CUENTA='") + datos::comillas(codigo)
               + QStringLiteral("' WHERE TC='OC' AND IDCOMPROBANTE='") + datos::comillas(id) + QStringLiteral("'") + CRLF;
    };
    // Whatever way the save is left: a batch sent without its closing statement
    // is rolled back, and the strip is cleared.
    struct AlSalir {
        std::function<void()> f;
        ~AlSalir() { f(); }
    } alSalir{[&] {
        if (enviado && !cerrado) {
            QString fin = QStringLiteral("ROLLBACK TRANSACTION");
            long n = 0;
            datos::pasoSilencioso([&] { db.EjecutaConsultaSQL(fin, n); });
        }
        if (rs) datos::pasoSilencioso([&] { db.CierraRecordset(rs); });
        picture1_->Cls();
    }};

    if (!hacer([&] {
            id = campoPorNombre(QStringLiteral("SUCURSAL"))->text() + campoPorNombre(QStringLiteral("NUMERO"))->text()
                 + campoPorNombre(QStringLiteral("LETRA"))->text();
            codigo = campoPorNombre(QStringLiteral("proveedor"))->text().trimmed();
        }))
        return;

    const QString pregunta = QStringLiteral("Este proceso cambiará el proveedor actual de la OC ") + id + QStringLiteral(" por el seleccionado (")
                             + codigo + QStringLiteral(") ") + lblProv_->text() + CRLF + QStringLiteral("¿Confirma?");
    if (velmora::MsgBox(pregunta, velmora::botones::Pregunta + velmora::botones::SiNo, kAtencion) != velmora::respuesta::Si) return;

    lote = QStringLiteral("BEGIN TRANSACTION") + CRLF;
    if (!hacer([&] { lote += actualizacion("C_MV_CPTETAREAS"); progreso(25); })) return;
    if (!hacer([&] { lote += actualizacion("C_MV_CPTE_OBSERV"); progreso(50); })) return;
    if (!hacer([&] { lote += actualizacion("C_MV_CPTEINSUMOS"); progreso(75); })) return;

    // Order header, with the supplier's data as the suppliers table holds it.
    {
        QString sql = QStringLiteral("SELECT Razon_Social, (CALLE + ' ' + NUMERO + ' ' + PISO  + ' ' + DEPARTAMENTO ) AS Domicilio, Telefono, "
                                     "Localidad, Provincia, CPostal, Documento_Tipo, Numero_Documento,IVA FROM VT_PROVEEDORES WHERE CODIGO='")
                      + datos::comillas(codigo) + QStringLiteral("'");
        bool cabecera = false;
        if (!hacer([&] { db.AbrirRecordset(sql, rs, nullptr, 0, 1); })) return;
        if (!hacer([&] {
                if (!rs || rs->State() == 0 || rs->eof()) return;
                cabecera = true;
                auto campo = [&](const char* nombre) { return texto(rs->Fields(QString::fromLatin1(nombre)).Value()); };
                auto literal = [](const QString& v) { return datos::comillas(v); };
                lote += QStringLiteral("UPDATE C_MV_CPTE SET CUENTA='") + literal(codigo) + QStringLiteral("', ")
                        + QStringLiteral("NOMBRE='") + literal(campo("Razon_Social").trimmed()) + QStringLiteral("',")
                        + QStringLiteral("DOMICILIO='") + literal(campo("Domicilio").trimmed()) + QStringLiteral("',")
                        + QStringLiteral("TELEFONO='") + literal(campo("Telefono").trimmed()) + QStringLiteral("',")
                        + QStringLiteral("LOCALIDAD='") + literal(campo("Localidad").trimmed()) + QStringLiteral("',")
                        + QStringLiteral("IDPROVINCIA='") + literal(campo("Provincia")) + QStringLiteral("',")
                        + QStringLiteral("CODIGOPOSTAL='") + literal(campo("CPostal").trimmed()) + QStringLiteral("',")
                        + QStringLiteral("DOCUMENTOTIPO='") + literal(campo("Documento_Tipo")) + QStringLiteral("',")
                        + QStringLiteral("DOCUMENTONUMERO='") + literal(campo("Numero_Documento").trimmed()) + QStringLiteral("',")
                        + QStringLiteral("CONDICIONIVA='") + literal(campo("IVA")) + QStringLiteral("' ")
                        + QStringLiteral("WHERE TC='OC' AND IDCOMPROBANTE='") + literal(id) + QStringLiteral("'") + CRLF;
            }))
            return;
        if (!hacer([&] { db.CierraRecordset(rs); rs.reset(); progreso(80); })) return;
        // Without the supplier's row the header would keep the old supplier while
        // the other rows moved: nothing is sent.
        if (!cabecera) {
            avisar(QStringLiteral("No se pudieron leer los datos del proveedor ") + codigo
                   + QStringLiteral(" en VT_PROVEEDORES. La OC no fue modificada."));
            return;
        }
    }

    // Receiving report: its stock rows follow the order, once the operator
    // agrees when the report also came from other orders.
    {
        if (!hacer([&] {
                idIR = texto(db.DatosTabla(QStringLiteral("V_MV_STOCK"), QStringLiteral("OC"), QStringLiteral("IDCOMPROBANTE"), QStringLiteral("TC_ORIGEN"), 8,
                                           QStringLiteral("TC_ORIGEN='OC' AND IDCOMPROBANTE_ORIGEN='") + datos::comillas(id) + QStringLiteral("' AND TC='IR'"),
                                           true, false))
                           .trimmed();
            }))
            return;
        QString sql = QStringLiteral("SELECT TC_ORIGEN,IDCOMPROBANTE_ORIGEN FROM V_MV_STOCK WHERE TC='IR' AND IDCOMPROBANTE='") + datos::comillas(idIR)
                      + QStringLiteral("' GROUP BY TC_ORIGEN,IDCOMPROBANTE_ORIGEN");
        if (!hacer([&] { db.AbrirRecordset(sql, rs, nullptr, 0, 1); })) return;
        bool hayFilas = false;
        if (!hacer([&] {
                hayFilas = rs && rs->State() != 0 && !rs->eof();
                if (!hayFilas) return;
                rs->MoveFirst();
                while (!rs->eof()) {
                    lista += texto(rs->Fields(QStringLiteral("IdComprobante_origen")).Value()) + CRLF;
                    ++cantidad;
                    rs->MoveNext();
                }
            }))
            return;
        if (hayFilas) {
            bool agregar = true;
            if (cantidad > 1) {
                const QString otra = QStringLiteral("La OC ") + id + QStringLiteral(" integra un IR(Informe de Recepción) con las siguientes OCs: ") + CRLF + lista
                                     + QStringLiteral("Si cambia el proveedor quedaría un IR con diferentes proveedores.") + CRLF + QStringLiteral("¿Confirma?");
                agregar = velmora::MsgBox(otra, velmora::botones::Pregunta + velmora::botones::SiNo, kAtencion) == velmora::respuesta::Si;
            }
            if (agregar)
                lote += QStringLiteral("UPDATE V_MV_STOCK SET CUENTAPROVEEDOR='") + datos::comillas(codigo) + QStringLiteral("' WHERE  TC='IR' AND IDCOMPROBANTE='")
                        + datos::comillas(idIR) + QStringLiteral("' AND TC_ORIGEN='OC' AND IDCOMPROBANTE_ORIGEN='") + datos::comillas(id) + QStringLiteral("'") + CRLF;
        }
        if (!hacer([&] { db.CierraRecordset(rs); rs.reset(); })) return;
    }

    progreso(90);
    ado::Connection& cnn = db.gCnn();
    // A closed connection would take the batch without a word: say so instead.
    if (cnn.State() != ado::adStateOpen) {
        avisar(ado::descripcionClasica(ado::num::ConexionInvalida));
        return;
    }
    long afectadas = 0;
    enviado = true;
    db.EjecutaConsultaSQL(lote, afectadas);

    auto fallo = [&]() -> QString { return cnn.errors().Count() > 0 ? cnn.errors().Item(0).Description : QString(); };
    QString error;
    bool fallido = cnn.errors().Count() > 0;
    if (fallido) {
        error = fallo();
    } else {
        QString fin = QStringLiteral("COMMIT TRANSACTION");
        long n = 0;
        db.EjecutaConsultaSQL(fin, n);
        // A commit the server refused is no success either.
        if (cnn.errors().Count() > 0) {
            fallido = true;
            error = fallo();
        } else {
            cerrado = true;
        }
    }
    if (fallido) {
        QString fin = QStringLiteral("ROLLBACK TRANSACTION");
        long n = 0;
        db.EjecutaConsultaSQL(fin, n);
        cerrado = true;
        avisar(error);
        return;
    }

    progreso(100);
    for (const char* nombre : {"SUCURSAL", "NUMERO", "LETRA", "PROVEEDOR"}) campoPorNombre(QString::fromLatin1(nombre))->clear();
    lblDatos_->setText(QStringLiteral("..."));
    lblProv_->setText(QStringLiteral("..."));
    velmora::MsgBox(QStringLiteral("Proceso Finalizado"), velmora::botones::Informacion + velmora::botones::OK, QStringLiteral("Aviso al Usuario"));
}

}  // namespace app
