#include "frmAcceso.h"

#include "companion/Operador.h"
#include "companion/Velmora2.h"
#include "data/Pasos.h"
#include "data/ReportaError.h"
#include "data/Sesion.h"

#include "ado/TextoConexion.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QVBoxLayout>

namespace acceso {

using ado::Fallo;

namespace {

// Errors the registration passes over (3704: closing a connection that is already closed).
bool errorIgnorable(int32_t numero)
{
    return numero == 3704 || numero == static_cast<int32_t>(0x80070420u) || numero == 1056 || numero == 440 || numero == 20480;
}

// The classic Str(): a leading blank for numbers that are not negative.
QString textoNumero(int32_t n)
{
    return n < 0 ? QString::number(n) : QStringLiteral(" ") + QString::number(n);
}

QLineEdit* caja(QWidget* padre, const char* nombre, const QString& ayuda)
{
    auto* t = new QLineEdit(padre);
    t->setObjectName(QLatin1String(nombre));
    t->setToolTip(ayuda);
    t->setMinimumWidth(280);   // the prompts fit
    return t;
}

QPushButton* boton(QWidget* padre, const char* nombre, const QString& texto)
{
    auto* b = new QPushButton(texto, padre);
    b->setObjectName(QLatin1String(nombre));
    b->setAutoDefault(true);   // Enter on a focused button presses it
    return b;
}

// A value of a desktop entry's Exec key, quoted when it holds reserved characters.
QString citarExec(const QString& ruta)
{
    static const QString reservados = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`=%");
    bool citar = false;
    for (QChar c : ruta)
        if (reservados.contains(c)) citar = true;
    if (!citar) return ruta;
    QString r;
    for (QChar c : ruta) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\')) r += QLatin1Char('\\');
        r += c;
    }
    r = QLatin1Char('"') + r + QLatin1Char('"');
    // The entry's string level escapes backslashes once more.
    r.replace(QLatin1String("\\"), QLatin1String("\\\\"));
    return r;
}

}  // namespace

frmAcceso::frmAcceso(QWidget* parent) : QDialog(parent)
{
    construir();
    Form_Load();
}

frmAcceso::~frmAcceso() = default;

void frmAcceso::construir()
{
    setObjectName(QStringLiteral("frmAcceso"));
    setWindowTitle(QStringLiteral("Control de Acceso"));
    setModal(true);

    lblBases = new QLabel(QStringLiteral("Conexiones registradas"), this);
    lblBases->setObjectName(QStringLiteral("lblBases"));
    lstBases = new QListWidget(this);
    lstBases->setObjectName(QStringLiteral("lstBases"));
    lstBases->setMinimumWidth(220);

    framAcceso = new QGroupBox(QStringLiteral("Complete los datos de conexion"), this);
    framAcceso->setObjectName(QStringLiteral("framAcceso"));
    TxtServidor = caja(framAcceso, "TxtServidor", QStringLiteral("ingrese el nombre del servidor e instancia"));
    TxtDbName = caja(framAcceso, "TxtDbName", QStringLiteral("ingrese el nombre de la base de datos"));
    TxtUserId = caja(framAcceso, "TxtUserId", QStringLiteral("Ingrese el nombre de usuario"));
    TxtUserPassword = caja(framAcceso, "TxtUserPassword", QStringLiteral("Ingrese la contraseña"));
    TxtUserPassword->setEchoMode(QLineEdit::Password);
    TxtUserPassword->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));   // "*"
    TxtPuerto = caja(framAcceso, "TxtPuerto", QStringLiteral("Ingrese el Puerto "));
    TxtPuerto->setText(QStringLiteral("1433"));
    CboPlataformaDB = new QComboBox(framAcceso);
    CboPlataformaDB->setObjectName(QStringLiteral("CboPlataformaDB"));
    CboPlataformaDB->addItem(QStringLiteral("SQL Server"));
    CboPlataformaDB->addItem(QStringLiteral("ORACLE"));

    auto* rejilla = new QGridLayout(framAcceso);
    const std::pair<const char*, QWidget*> filas[] = {
        {"Servidor", TxtServidor}, {"Base de Datos", TxtDbName}, {"Usuario", TxtUserId},
        {"Contraseña", TxtUserPassword}, {"Puerto", TxtPuerto}, {"Plataforma", CboPlataformaDB},
    };
    int fila = 0;
    for (const auto& [texto, control] : filas) {
        auto* l = new QLabel(QString::fromUtf8(texto), framAcceso);
        l->setBuddy(control);
        rejilla->addWidget(l, fila, 0);
        rejilla->addWidget(control, fila, 1);
        ++fila;
    }

    bcAceptar = boton(this, "bcAceptar", QStringLiteral("Aceptar"));
    bcCancelar = boton(this, "bcCancelar", QStringLiteral("Cancelar"));
    CmdRegistrar = boton(this, "CmdRegistrar", QStringLiteral("Registrar"));
    CmdLineaComando = boton(this, "CmdLineaComando", QStringLiteral("Crear Acceso Directo"));
    bcAceptar->setDefault(true);   // Enter elsewhere accepts

    auto* izquierda = new QVBoxLayout;
    izquierda->addWidget(lblBases);
    izquierda->addWidget(lstBases);
    auto* arriba = new QHBoxLayout;
    arriba->addLayout(izquierda);
    arriba->addWidget(framAcceso, 1);
    auto* botones = new QHBoxLayout;
    botones->addWidget(CmdRegistrar);
    botones->addWidget(CmdLineaComando);
    botones->addStretch(1);
    botones->addWidget(bcAceptar);
    botones->addWidget(bcCancelar);
    auto* todo = new QVBoxLayout(this);
    todo->addLayout(arriba);
    todo->addLayout(botones);

    setTabOrder(lstBases, TxtServidor);
    setTabOrder(TxtServidor, TxtDbName);
    setTabOrder(TxtDbName, TxtUserId);
    setTabOrder(TxtUserId, TxtUserPassword);
    setTabOrder(TxtUserPassword, TxtPuerto);
    setTabOrder(TxtPuerto, CboPlataformaDB);
    setTabOrder(CboPlataformaDB, bcAceptar);
    setTabOrder(bcAceptar, bcCancelar);
    setTabOrder(bcCancelar, CmdRegistrar);
    setTabOrder(CmdRegistrar, CmdLineaComando);

    connect(bcAceptar, &QPushButton::clicked, this, &frmAcceso::bcAceptar_Click);
    connect(bcCancelar, &QPushButton::clicked, this, &frmAcceso::bcCancelar_Click);
    connect(CmdRegistrar, &QPushButton::clicked, this, &frmAcceso::CmdRegistrar_Click);
    connect(CmdLineaComando, &QPushButton::clicked, this, &frmAcceso::CmdLineaComando_Click);
    connect(lstBases, &QListWidget::currentRowChanged, this, [this](int fila) {
        if (fila >= 0) AsignarDatosBase();
    });
    connect(lstBases, &QListWidget::itemClicked, this, [this] { AsignarDatosBase(); });
    connect(lstBases, &QListWidget::itemDoubleClicked, this, [this] {
        AsignarDatosBase();
        bcAceptar_Click();
    });
    for (QLineEdit* t : {TxtDbName, TxtServidor, TxtUserPassword})
        connect(t, &QLineEdit::textChanged, this, [this, t] { MensajeInicial(t); });
    lstBases->installEventFilter(this);
    for (QLineEdit* t : {TxtServidor, TxtDbName, TxtUserId, TxtUserPassword}) t->installEventFilter(this);
    adjustSize();
}

void frmAcceso::Form_Load()
{
    if (QScreen* pantalla = QGuiApplication::primaryScreen()) {
        const QRect r = pantalla->geometry();
        move(r.x() + r.width() / 2 - width() / 2, r.y() + r.height() / 2 - height() / 2);
    }
    llenarlist();
    MensajeInicial(TxtUserId);
    MensajeInicial(TxtUserPassword);
    MensajeInicial(TxtDbName);
    MensajeInicial(TxtServidor);
}

QString frmAcceso::indicacion(const QString& nombreCaja)
{
    if (nombreCaja == QLatin1String("TxtUserId")) return QStringLiteral("Ingrese el usuario");
    if (nombreCaja == QLatin1String("TxtDbName")) return QStringLiteral("ingrese el nombre de la base de datos");
    if (nombreCaja == QLatin1String("TxtServidor")) return QStringLiteral("ingrese el nombre del servidor e instancia");
    return QString();
}

void frmAcceso::MensajeInicial(QLineEdit* ObjTxt)
{
    if (!ObjTxt || enIndicacion_) return;
    const QString mensaje = indicacion(ObjTxt->objectName());
    const QString texto = ObjTxt->text();
    if (!(texto.trimmed().isEmpty() || texto == mensaje)) return;
    enIndicacion_ = true;   // setting the text fires the change handler again
    ObjTxt->setText(mensaje);
    QPalette p = ObjTxt->palette();
    p.setColor(QPalette::Text, colorIndicacion());
    ObjTxt->setPalette(p);
    ObjTxt->setSelection(0, static_cast<int>(ObjTxt->text().trimmed().size()));
    ObjTxt->update();
    enIndicacion_ = false;
}

// ---------------------------------------------------------------- registered connections

void frmAcceso::llenarlist()
{
    std::vector<RegistroBase> registros;
    bool existe = false;
    auto informar = [](const Fallo& f) { return datos::ReportaError(f, std::nullopt, QStringLiteral("FormLoad")); };
    using datos::Siguiente;
    const std::function<void()> pasos[] = {
        [&] { rutaArchivo_ = velmora::CompletaRuta(ado::carpetaAplicacion()) + QStringLiteral("BASES.TXT"); },
        [&] {
            existe = ExisteArchivo(rutaArchivo_);
            const QSignalBlocker b(lstBases);
            lstBases->clear();
        },
        [&] {
            if (existe) registros = LeeBasesTxt(rutaArchivo_);
        },
        [&] {
            const QSignalBlocker b(lstBases);
            for (const RegistroBase& r : registros)
                if (!r.Nombre.trimmed().isEmpty()) lstBases->addItem(r.Nombre);
        },
        [&] {
            // Selecting the first entry loads it, as a click would.
            if (lstBases->count() > 0) lstBases->setCurrentRow(0);
        },
    };
    for (const auto& p : pasos)
        if (datos::paso(p, informar) == Siguiente::Salir) return;
}

void frmAcceso::DatosBase(const QString& Nombre)
{
    if (!ExisteArchivo(rutaArchivo_)) return;
    try {
        const QString buscado = Nombre.trimmed();
        for (const RegistroBase& r : LeeBasesTxt(RutaBasesTxt())) {
            if (r.Nombre.trimmed() != buscado) continue;
            servidor_ = r.Servidor;
            base_ = r.Dbname;
            usuario_ = r.Usuario;
            clave_ = velmora::Desencripta(r.Password);
            return;
        }
    } catch (const std::exception& e) {
        velmora::InformaError(datos::comoFallo(e));
    }
}

void frmAcceso::AsignarDatosBase()
{
    const QListWidgetItem* item = lstBases->currentItem();
    if (!item) return;   // nothing selected: no record to load
    DatosBase(item->text().trimmed());
    const qsizetype dosPuntos = servidor_.indexOf(QLatin1Char(':'));
    if (dosPuntos >= 0) {
        puerto_ = servidor_.mid(dosPuntos + 1);
        servidor_ = servidor_.trimmed().toUpper();
        servidor_ = servidor_.left(servidor_.indexOf(QLatin1Char(':')));
    }
    TxtServidor->setText(servidor_);
    TxtUserId->setText(QString());
    TxtUserPassword->setText(QString());
    TxtDbName->setText(base_);
    TxtPuerto->setText(puerto_);
}

bool frmAcceso::ExisteBaseDeDatos(const QString& Servidor, const QString& Dbname, const QString& Usuario, const QString& Password,
                                  const QString& Proveedor)
{
    ado::Connection& cnn = datos::gDB().gCnn();
    try {
        if (cnn.State() == ado::adStateOpen) cnn.Close();
        const QString texto = QStringLiteral("PROVIDER=") + Proveedor + QStringLiteral(";") + QStringLiteral("Server=") + Servidor
                              + QStringLiteral(";") + QStringLiteral("Database =") + Dbname + QStringLiteral(";") + QStringLiteral("UId=")
                              + Usuario + QStringLiteral(";") + QStringLiteral("Pwd=") + Password + QStringLiteral(";");
        cnn.Open(texto, QString(), QString(), -1);
        cnn.Close();
        return true;
    } catch (const std::exception&) {
        cnn.errors().Clear();   // the quick test's failure is nobody's business
        return false;
    }
}

// ---------------------------------------------------------------- buttons

void frmAcceso::bcAceptar_Click()
{
    Aceptar = true;
    hide();
}

void frmAcceso::bcCancelar_Click()
{
    Aceptar = false;
    hide();
}

void frmAcceso::CmdRegistrar_Click()
{
    datos::DB_Dll& db = datos::gDB();
    QString nombre, servidor, servidorArchivo;
    auto registrar = [&] {
        const QString base = TxtDbName->text();
        RegistraConexion(nombre, base, base, base, servidorArchivo);
    };
    int paso = 1;
    while (paso <= 10) {
        try {
            switch (paso) {
            case 1: {
                // BASES.TXT has no escape: a comma or a line break would break the record.
                servidorArchivo = ServidorParaRegistro(TxtServidor->text());
                QString problema;
                if (!CampoAdmitido(TxtDbName->text()))
                    problema = QStringLiteral("La base de datos ingresada contiene una coma, un salto de línea o comienza con comillas "
                                              "y no puede registrarse.");
                else if (servidorArchivo.isEmpty() && !TxtServidor->text().trimmed().isEmpty())
                    problema = QStringLiteral("El servidor ingresado contiene una coma, un salto de línea o comienza con comillas "
                                              "y no puede registrarse. Para indicar el puerto escriba servidor:puerto.");
                if (!problema.isEmpty()) {
                    velmora::MsgBox(problema, velmora::botones::OK + velmora::botones::Exclamacion, QStringLiteral("Atencion"));
                    return;
                }
                nombre = NombreConexion(servidorArchivo, TxtDbName->text());
                break;
            }
            case 2:
                servidor_.clear();
                DatosBase(nombre);
                if (!servidor_.trimmed().isEmpty()) {
                    velmora::MsgBox(QStringLiteral("La conexion que intenta registrar ya existe "),
                                    velmora::botones::OK + velmora::botones::Informacion, QStringLiteral("Atencion"));
                    return;
                }
                break;
            case 3: {
                double n = velmora::TextoANumero(TxtPuerto->text());
                if (n == 0) n = 1433;
                puerto_ = QString::number(n);
                break;
            }
            case 4:
                for (QLineEdit* t : {TxtServidor, TxtUserId, TxtUserPassword, TxtDbName}) t->setText(t->text().trimmed());
                servidor = TxtServidor->text();
                break;
            case 5: {
                const QString mayus = TxtDbName->text().toUpper();
                if (ExisteBaseDeDatos(servidor, mayus, mayus, mayus, QStringLiteral("SQLOLEDB"))) {
                    registrar();
                    paso = 8;
                    continue;
                }
                break;
            }
            case 6:
                if (db.gCnn().State() == ado::adStateOpen) db.gCnn().Close();
                db.gServidor = TxtServidor->text();
                db.gUsuario = TxtUserId->text();
                db.gUserPassWord = TxtUserPassword->text();
                db.gDBName = TxtDbName->text();
                db.OpenServerADODB(false, 3, QString(), true, true);
                break;
            case 7:
                if (db.gOpenFlag && db.gCnn().State() == ado::adStateOpen) {
                    registrar();
                } else {
                    velmora::MsgBox(QStringLiteral("NO SE PUDO CONECTAR AL SERVIDOR ") + TxtServidor->text()
                                        + QStringLiteral(" VERIFIQUE EL NOMBRE DE USUARIO Y PASSWORD INGRESADO"),
                                    velmora::botones::OK + velmora::botones::Informacion, QStringLiteral("AVISO AL OPERADOR"));
                    return;
                }
                break;
            case 8: {
                const QString carpeta = velmora::CompletaRuta(ado::carpetaAplicacion());
                const QString programa = carpeta + QStringLiteral("ODBC.exe");
                if (QFileInfo::exists(programa)) {
                    const QString argumento = QStringLiteral("Server=") + servidor + QStringLiteral(";DB=") + db.gDBName + QStringLiteral(";");
                    QProcess::startDetached(programa, {argumento}, carpeta);
                }
                break;
            }
            case 9:
                db.gCnn().Close();
                break;
            case 10:
                llenarlist();
                break;
            }
            ++paso;
        } catch (const std::exception& e) {
            const Fallo f = datos::comoFallo(e);
            if (errorIgnorable(f.Number())) {
                ++paso;
                continue;
            }
            velmora::MsgBox(QStringLiteral("SQL Server start failed.  ") + QStringLiteral("\r") + QStringLiteral("SQL-DMO error:  ")
                                + textoNumero(f.Number()) + QStringLiteral(" ") + f.Description(),
                            velmora::botones::OK, velmora::NombreEjecutable());
            // The closing steps go on after their own failure instead of repeating it.
            paso = paso < 8 ? 8 : paso + 1;
        }
    }
}

bool frmAcceso::EjecutarCmdRegDB(const QString& Archivo, QString& ErrDevuelto)
{
    const QStringList partes = QProcess::splitCommand(Archivo);
    QProcess proceso;
    if (!partes.isEmpty()) proceso.start(partes.first(), partes.mid(1));
    if (partes.isEmpty() || !proceso.waitForStarted()) {
        ErrDevuelto = QStringLiteral("Error al ejecutar el comando");
        return false;
    }
    // The interface stays responsive while the command runs.
    while (proceso.state() != QProcess::NotRunning) {
        QCoreApplication::processEvents();
        proceso.waitForFinished(25);
    }
    return true;
}

// ---------------------------------------------------------------- desktop shortcut

QString frmAcceso::CarpetaEscritorio()
{
    const QString casa = QDir::homePath();
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty()) config = casa + QStringLiteral("/.config");
    QFile f(config + QStringLiteral("/user-dirs.dirs"));
    if (f.open(QIODevice::ReadOnly)) {
        for (const QByteArray& crudo : f.readAll().split('\n')) {
            const QString linea = QString::fromUtf8(crudo).trimmed();
            if (!linea.startsWith(QLatin1String("XDG_DESKTOP_DIR="))) continue;
            QString valor = linea.mid(16).trimmed();
            if (valor.size() >= 2 && valor.startsWith(QLatin1Char('"')) && valor.endsWith(QLatin1Char('"'))) valor = valor.mid(1, valor.size() - 2);
            if (valor.startsWith(QLatin1String("$HOME"))) valor = casa + valor.mid(5);
            else if (QDir::isRelativePath(valor)) valor = casa + QLatin1Char('/') + valor;
            if (!valor.isEmpty()) return QDir::cleanPath(valor);
        }
    }
    return casa + QStringLiteral("/Desktop");
}

QString frmAcceso::TextoAccesoDirecto(const QString& programa, const QString& icono)
{
    QString t = QStringLiteral("[Desktop Entry]\nType=Application\nVersion=1.0\nName=Bresmilo\nExec=") + citarExec(programa) + QLatin1Char('\n');
    if (!icono.isEmpty()) t += QStringLiteral("Icon=") + icono + QLatin1Char('\n');
    t += QStringLiteral("Terminal=false\n");
    return t;
}

// The program's icon as a file the desktop can show (a Linux program carries none inside).
QString frmAcceso::iconoAccesoDirecto()
{
    QIcon icono(QStringLiteral(":/permutal/iconos/permutal.png"));   // the main window's icon
    if (icono.availableSizes().isEmpty()) icono = QApplication::windowIcon();
    if (icono.isNull()) icono = style()->standardIcon(QStyle::SP_ComputerIcon);
    const QPixmap imagen = icono.pixmap(64, 64);
    if (imagen.isNull()) return QString();
    QString datos = qEnvironmentVariable("XDG_DATA_HOME");
    if (datos.isEmpty()) datos = QDir::homePath() + QStringLiteral("/.local/share");
    const QString carpeta = datos + QStringLiteral("/icons");
    if (!QDir().mkpath(carpeta)) return QString();
    const QString ruta = carpeta + QStringLiteral("/bresmilo.png");
    return imagen.save(ruta, "PNG") ? ruta : QString();
}

void frmAcceso::CmdLineaComando_Click()
{
    const QString carpeta = CarpetaEscritorio();
    const QString ruta = carpeta + QStringLiteral("/Bresmilo.desktop");
    auto fallar = [&](const QString& motivo) {
        velmora::MsgBox(QStringLiteral("No se pudo crear el acceso directo ") + ruta + QStringLiteral(": ") + motivo,
                        velmora::botones::OK + velmora::botones::Exclamacion, QStringLiteral("Atencion"));
    };
    if (!QFileInfo(carpeta).isDir()) {
        fallar(QStringLiteral("no existe la carpeta del escritorio."));
        return;
    }
    const QString programa = QFileInfo(QCoreApplication::applicationFilePath()).absoluteFilePath();
    QSaveFile f(ruta);   // an existing shortcut is replaced
    if (!f.open(QIODevice::WriteOnly)) {
        fallar(f.errorString());
        return;
    }
    f.write(TextoAccesoDirecto(programa, iconoAccesoDirecto()).toUtf8());
    if (!f.commit()) {
        fallar(f.errorString());
        return;
    }
    // Desktops start only launchers marked executable.
    QFile::setPermissions(ruta, QFile::permissions(ruta) | QFileDevice::ExeOwner | QFileDevice::ExeUser);
}

// ---------------------------------------------------------------- events

bool frmAcceso::muestraIndicacion(const QLineEdit* caja)
{
    const QString mensaje = indicacion(caja->objectName());
    return !mensaje.isEmpty() && caja->text() == mensaje;
}

bool frmAcceso::eventFilter(QObject* objeto, QEvent* evento)
{
    if (objeto == lstBases && evento->type() == QEvent::KeyPress) AsignarDatosBase();
    if (objeto == TxtUserId && evento->type() == QEvent::FocusIn) MensajeInicial(TxtUserId);
    auto* caja = qobject_cast<QLineEdit*>(objeto);
    if (caja && caja != TxtPuerto && muestraIndicacion(caja)) {
        // A box showing its prompt has it wholly selected, so typing replaces it;
        // a click never leaves the caret inside the prompt.
        if (evento->type() == QEvent::FocusIn) {
            caja->selectAll();
        } else if (evento->type() == QEvent::MouseButtonPress || evento->type() == QEvent::MouseButtonDblClick
                   || evento->type() == QEvent::MouseMove) {
            if (!caja->hasFocus()) caja->setFocus(Qt::MouseFocusReason);
            caja->selectAll();
            return true;
        }
    }
    return QDialog::eventFilter(objeto, evento);
}

void frmAcceso::showEvent(QShowEvent* evento)
{
    QDialog::showEvent(evento);
    if (evento->spontaneous()) return;
    // The keyboard starts on the registered connections, or on the server when there are none.
    if (lstBases->count() > 0) lstBases->setFocus(Qt::OtherFocusReason);
    else TxtServidor->setFocus(Qt::OtherFocusReason);
}

void frmAcceso::keyPressEvent(QKeyEvent* evento)
{
    // Cancelar is the window's cancel button; closing by the frame leaves Aceptar alone.
    if (evento->key() == Qt::Key_Escape && evento->modifiers() == Qt::NoModifier) {
        bcCancelar_Click();
        return;
    }
    QDialog::keyPressEvent(evento);
}

}  // namespace acceso
