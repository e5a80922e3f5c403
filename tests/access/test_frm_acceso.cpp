// The "Control de Acceso" dialog: prompts, registered connections, Registrar,
// and the dialog as the session's way of asking for its connection.
#include "Acceso_prueba.h"

#include "access/Acceso.h"
#include "access/BasesTxt.h"
#include "companion/Velmora2.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using acceso::frmAcceso;
using datos::gDB;

namespace {

class DialogoAcceso : public prueba::PruebaAcceso {
protected:
    // An embedded database the quick test can open (server SQLITE).
    void crearBase(const char* archivo) { prueba::ejecutarSqlite(carpeta.archivo(QString::fromUtf8(archivo)), "CREATE TABLE A (X INT);"); }
    static QStringList entradas(const frmAcceso& f)
    {
        QStringList r;
        for (int i = 0; i < f.lstBases->count(); ++i) r << f.lstBases->item(i)->text();
        return r;
    }
    static void escribir(QLineEdit* t, const QString& texto)
    {
        t->setFocus();
        t->selectAll();
        QTest::keyClicks(t, texto);
    }
    static void clickEntrada(frmAcceso& f, int fila)
    {
        const QRect r = f.lstBases->visualItemRect(f.lstBases->item(fila));
        QTest::mouseClick(f.lstBases->viewport(), Qt::LeftButton, {}, r.center());
    }
    void registrarDos()
    {
        acceso::RegistraConexion(QStringLiteral("STOCK / SRV"), QStringLiteral("Stock"), QStringLiteral("Stock"), QStringLiteral("Stock"),
                                 QStringLiteral("srv:1500"));
        acceso::RegistraConexion(QStringLiteral("VENTAS / OTRO"), QStringLiteral("Ventas"), QStringLiteral("Ventas"), QStringLiteral("Ventas"),
                                 QStringLiteral("otro"));
    }
};


TEST_F(DialogoAcceso, SinArchivoListaVaciaEIndicaciones)
{
    frmAcceso f;
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Control de Acceso"));
    EXPECT_EQ(f.lstBases->count(), 0);
    EXPECT_EQ(f.lstBases->currentRow(), -1);
    EXPECT_FALSE(f.Aceptar);
    EXPECT_EQ(f.TxtPuerto->text(), QStringLiteral("1433"));
    EXPECT_EQ(f.CboPlataformaDB->count(), 2);
    EXPECT_EQ(f.CboPlataformaDB->itemText(1), QStringLiteral("ORACLE"));
    EXPECT_EQ(f.TxtUserPassword->echoMode(), QLineEdit::Password);
    const std::pair<QLineEdit*, const char*> indicaciones[] = {
        {f.TxtUserId, "Ingrese el usuario"},
        {f.TxtDbName, "ingrese el nombre de la base de datos"},
        {f.TxtServidor, "ingrese el nombre del servidor e instancia"},
        {f.TxtUserPassword, ""},
    };
    for (const auto& [caja, texto] : indicaciones) {
        EXPECT_EQ(caja->text(), QString::fromUtf8(texto)) << caja->objectName().toStdString();
        EXPECT_EQ(caja->selectedText(), QString::fromUtf8(texto));
        EXPECT_EQ(caja->palette().color(QPalette::Text), frmAcceso::colorIndicacion());
    }
    EXPECT_EQ(frmAcceso::colorIndicacion(), QColor(2, 0, 0));
    // Emptying a box brings its prompt back, selected; typing over it replaces it.
    escribir(f.TxtDbName, QStringLiteral("Stock"));
    EXPECT_EQ(f.TxtDbName->text(), QStringLiteral("Stock"));
    f.TxtDbName->clear();
    EXPECT_EQ(f.TxtDbName->text(), QStringLiteral("ingrese el nombre de la base de datos"));
    EXPECT_EQ(f.TxtDbName->selectedText(), f.TxtDbName->text());
    // The user box gets its prompt back when it receives the focus.
    f.TxtUserId->clear();
    f.show();
    QApplication::setActiveWindow(&f);
    f.TxtUserId->setFocus();
    EXPECT_EQ(f.TxtUserId->text(), QStringLiteral("Ingrese el usuario"));
}

TEST_F(DialogoAcceso, ElegirUnaConexionCargaLasCajas)
{
    registrarDos();
    frmAcceso f;
    EXPECT_EQ(entradas(f), (QStringList{QStringLiteral("STOCK / SRV"), QStringLiteral("VENTAS / OTRO")}));
    EXPECT_EQ(f.lstBases->currentRow(), 0);
    // The port is split off; the stored user and password never reach the boxes.
    EXPECT_EQ(f.TxtServidor->text(), QStringLiteral("SRV"));
    EXPECT_EQ(f.TxtPuerto->text(), QStringLiteral("1500"));
    EXPECT_EQ(f.TxtDbName->text(), QStringLiteral("Stock"));
    EXPECT_EQ(f.TxtUserId->text(), QStringLiteral("Ingrese el usuario"));   // emptied, then the load's prompt
    EXPECT_EQ(f.TxtUserPassword->text(), QString());
    EXPECT_EQ(f.usuarioElegido(), QStringLiteral("Stock"));
    EXPECT_EQ(f.claveElegida(), QStringLiteral("Stock"));
    f.show();
    clickEntrada(f, 1);
    EXPECT_EQ(f.TxtServidor->text(), QStringLiteral("otro"));   // a server without port is taken as stored
    EXPECT_EQ(f.TxtDbName->text(), QStringLiteral("Ventas"));
    EXPECT_EQ(f.TxtPuerto->text(), QStringLiteral("1500"));     // the port the dialog holds stays
    f.lstBases->setFocus();
    QTest::keyClick(f.lstBases, Qt::Key_Up);
    EXPECT_EQ(f.TxtServidor->text(), QStringLiteral("SRV"));
    EXPECT_FALSE(f.Aceptar);
}

TEST_F(DialogoAcceso, BusquedaPorNombreExacto)
{
    registrarDos();
    const struct {
        const char* nombre;
        const char* servidor;   // "" = not found
    } casos[] = {{"STOCK / SRV", "srv:1500"}, {"  VENTAS / OTRO ", "otro"}, {"stock / srv", ""}, {"STOCK", ""}};
    for (const auto& c : casos) {
        frmAcceso g;
        // A lookup that finds nothing keeps what the dialog held before.
        g.DatosBase(QStringLiteral("VENTAS / OTRO"));
        g.DatosBase(QString::fromUtf8(c.nombre));
        const QString esperado = *c.servidor ? QString::fromUtf8(c.servidor) : QStringLiteral("otro");
        EXPECT_EQ(g.servidorElegido(), esperado) << c.nombre;
    }
}

TEST_F(DialogoAcceso, LineaSinNombreNoSeLista)
{
    escribirBases(" ,A,A,x,s1\r\nB / S,B,B,x,s2:7\r\n");
    frmAcceso f;
    EXPECT_EQ(entradas(f), QStringList{QStringLiteral("B / S")});
    EXPECT_EQ(f.TxtServidor->text(), QStringLiteral("S2"));
    EXPECT_EQ(f.TxtPuerto->text(), QStringLiteral("7"));
}

TEST_F(DialogoAcceso, DobleClickAceptaLaEntrada)
{
    registrarDos();
    datos::PedidoConexion p;
    p.servidor = QStringLiteral("antes");
    p.usuario = QStringLiteral("ana");
    p.clave = QStringLiteral("c");
    prueba::conDialogo([](frmAcceso& f) {
        const QRect r = f.lstBases->visualItemRect(f.lstBases->item(1));
        QTest::mouseClick(f.lstBases->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(f.lstBases->viewport(), Qt::LeftButton, {}, r.center());
        if (f.isVisible()) f.reject();   // keeps a failing test from hanging
    });
    EXPECT_TRUE(acceso::MuestraDialogoAcceso(p));
    EXPECT_EQ(p.servidor, QStringLiteral("otro"));
    EXPECT_EQ(p.base, QStringLiteral("Ventas"));
    EXPECT_EQ(p.usuario, QString());   // emptied by the selection
    EXPECT_EQ(p.clave, QString());
    EXPECT_EQ(p.plataforma, 0);
}

TEST_F(DialogoAcceso, RegistrarConPruebaRapida)
{
    // The quick test asks for database STOCK; the embedded engine, like SQL
    // Server, finds the database whatever the case of its name.
    crearBase("Stock.db");
    crearBase("Ventas.db");
    gDB().gDBName = QStringLiteral("SESION");
    frmAcceso f;
    escribir(f.TxtServidor, QStringLiteral(" SQLITE "));
    escribir(f.TxtDbName, QStringLiteral("Stock"));
    escribir(f.TxtUserId, QStringLiteral("nadie"));
    escribir(f.TxtUserPassword, QStringLiteral("nada"));
    QTest::mouseClick(f.CmdRegistrar, Qt::LeftButton);
    ASSERT_TRUE(op->llamadas.empty()) << op->mensajes().join(QLatin1Char('|')).toStdString();
    const QList<QByteArray> campos = bytesBases().split(',');
    ASSERT_EQ(campos.size(), 5);
    EXPECT_EQ(campos[0], "STOCK / SQLITE");
    EXPECT_EQ(campos[1], "Stock");
    EXPECT_EQ(campos[2], "Stock");
    EXPECT_EQ(velmora::Desencripta(QString::fromLatin1(campos[3])), QStringLiteral("Stock"));
    EXPECT_EQ(campos[4], "SQLITE\r\n");
    EXPECT_EQ(gDB().gCnn().State(), ado::adStateClosed);
    EXPECT_EQ(gDB().gDBName, QStringLiteral("SESION"));   // the typed credentials were never tried
    EXPECT_EQ(entradas(f), QStringList{QStringLiteral("STOCK / SQLITE")});
    EXPECT_EQ(f.TxtUserId->text(), QString());            // the refill selected the entry again

    // A second registration follows the first; the list keeps file order and selects the first.
    escribir(f.TxtDbName, QStringLiteral("ventas"));
    QTest::mouseClick(f.CmdRegistrar, Qt::LeftButton);
    EXPECT_TRUE(op->llamadas.empty());
    EXPECT_EQ(entradas(f), (QStringList{QStringLiteral("STOCK / SQLITE"), QStringLiteral("VENTAS / SQLITE")}));
    EXPECT_EQ(f.lstBases->currentRow(), 0);
    EXPECT_EQ(f.TxtDbName->text(), QStringLiteral("Stock"));
    EXPECT_EQ(bytesBases().count("\r\n"), 2);

    // The same name again (any port) is refused and nothing else happens.
    escribir(f.TxtServidor, QStringLiteral("sqlite:99"));
    escribir(f.TxtDbName, QStringLiteral("STOCK"));
    const QByteArray antes = bytesBases();
    QTest::mouseClick(f.CmdRegistrar, Qt::LeftButton);
    ASSERT_EQ(op->llamadas.size(), 1u);
    EXPECT_EQ(op->llamadas[0].texto, QStringLiteral("La conexion que intenta registrar ya existe "));
    EXPECT_EQ(op->llamadas[0].botones, velmora::botones::OK + velmora::botones::Informacion);
    EXPECT_EQ(op->llamadas[0].titulo, QStringLiteral("Atencion"));
    EXPECT_EQ(bytesBases(), antes);
    EXPECT_EQ(f.TxtServidor->text(), QStringLiteral("sqlite:99"));   // not even trimmed or refilled
}

TEST_F(DialogoAcceso, ReglaDelPuerto)
{
    crearBase("Stock.db");
    const struct {
        const char* puerto;
        const char* esperado;
    } casos[] = {{"0", "1433"}, {"abc", "1433"}, {"", "1433"}, {"1500", "1500"}, {"2000x", "2000"}};
    for (const auto& c : casos) {
        QFile::remove(carpeta.archivo(QStringLiteral("BASES.TXT")));
        frmAcceso f;
        f.TxtServidor->setText(QStringLiteral("SQLITE"));
        f.TxtDbName->setText(QStringLiteral("Stock"));
        f.TxtPuerto->setText(QString::fromUtf8(c.puerto));
        f.CmdRegistrar_Click();
        EXPECT_EQ(f.puerto(), QString::fromUtf8(c.esperado)) << c.puerto;
        EXPECT_TRUE(hayBases());
    }
    EXPECT_TRUE(op->llamadas.empty());
}

TEST_F(DialogoAcceso, AmbasPruebasFallanNadaSeEscribe)
{
    const QString servidor = QStringLiteral("127.0.0.1,%1").arg(prueba::puertoCerrado());
    frmAcceso f;
    f.TxtServidor->setText(servidor);
    f.TxtDbName->setText(QStringLiteral("Stock"));
    f.TxtUserId->setText(QStringLiteral("sa"));
    f.TxtUserPassword->setText(QStringLiteral("x"));
    op->respuestas = {velmora::respuesta::No};
    f.CmdRegistrar_Click();
    ASSERT_EQ(op->llamadas.size(), 2u) << op->mensajes().join(QLatin1Char('|')).toStdString();
    // First the connection error box of the typed credentials' test...
    EXPECT_EQ(op->llamadas[0].titulo, QStringLiteral(" Error de Conexion a Base de Datos"));
    EXPECT_TRUE(op->llamadas[0].texto.startsWith(QLatin1String(" Estado de Sql: 08S01")));
    EXPECT_TRUE(op->llamadas[0].texto.contains(QLatin1String("usuario sa existe")));
    // ...then the registration's own notice.
    EXPECT_EQ(op->llamadas[1].texto,
              QStringLiteral("NO SE PUDO CONECTAR AL SERVIDOR ") + servidor + QStringLiteral(" VERIFIQUE EL NOMBRE DE USUARIO Y PASSWORD INGRESADO"));
    EXPECT_EQ(op->llamadas[1].botones, velmora::botones::OK + velmora::botones::Informacion);
    EXPECT_EQ(op->llamadas[1].titulo, QStringLiteral("AVISO AL OPERADOR"));
    EXPECT_FALSE(hayBases());
    EXPECT_FALSE(gDB().gOpenFlag);
    EXPECT_EQ(gDB().gServidor, servidor);   // the session object took the typed values
    EXPECT_EQ(gDB().gUsuario, QStringLiteral("sa"));
}

TEST_F(DialogoAcceso, UnValorQueElArchivoNoAdmiteSeRechaza)
{
    crearBase("Stock.db");
    const struct {
        const char* servidor;
        const char* base;
        const char* comienzo;
    } casos[] = {
        {"SQLITE", "St,ock", "La base de datos ingresada contiene una coma"},
        {"SQLITE", "Stock\nX", "La base de datos ingresada contiene una coma"},
        {"SQ,LI,TE", "Stock", "El servidor ingresado contiene una coma"},
        {"\"SQLITE", "Stock", "El servidor ingresado contiene una coma"},
    };
    for (const auto& c : casos) {
        op->llamadas.clear();
        frmAcceso f;
        f.TxtServidor->setText(QString::fromUtf8(c.servidor));
        f.TxtDbName->setText(QString::fromUtf8(c.base));
        f.CmdRegistrar_Click();
        ASSERT_EQ(op->llamadas.size(), 1u) << c.base;
        EXPECT_TRUE(op->llamadas[0].texto.startsWith(QString::fromUtf8(c.comienzo))) << op->llamadas[0].texto.toStdString();
        EXPECT_EQ(op->llamadas[0].titulo, QStringLiteral("Atencion"));
        EXPECT_FALSE(hayBases());
        EXPECT_EQ(gDB().gCnn().State(), ado::adStateClosed);
    }
}

TEST_F(DialogoAcceso, TrasRegistrarSeIniciaOdbcExe)
{
    crearBase("Stock.db");
    const QString salida = carpeta.archivo(QStringLiteral("odbc_args.txt"));
    const QString programa = carpeta.archivo(QStringLiteral("ODBC.exe"));
    {
        QFile f(programa);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("#!/bin/sh\nprintf '%s|' \"$@\" > '%1.tmp' && mv '%1.tmp' '%1'\n").arg(salida).toUtf8());
    }
    QFile::setPermissions(programa, QFile::permissions(programa) | QFileDevice::ExeOwner);
    gDB().gDBName = QStringLiteral("SESION");
    frmAcceso f;
    f.TxtServidor->setText(QStringLiteral("SQLITE"));
    f.TxtDbName->setText(QStringLiteral("Stock"));
    f.CmdRegistrar_Click();
    EXPECT_TRUE(op->llamadas.empty());
    // Started without waiting: wait for its output.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(salida), 10000);
    QFile r(salida);
    ASSERT_TRUE(r.open(QIODevice::ReadOnly));
    // The quick test succeeded, so the database is the session's.
    EXPECT_EQ(r.readAll(), QByteArray("Server=SQLITE;DB=SESION;|"));
}

// --- The dialog as the session's way of asking for the connection -------------------

TEST_F(DialogoAcceso, InicioSinLineaDeComandosMuestraElDialogo)
{
    // The demo database, in one transaction (statement by statement it takes seconds).
    prueba::ejecutarSqlite(carpeta.archivo(QStringLiteral("PERMUTAL_DEMO.db")),
                           QStringLiteral("BEGIN;\n") + prueba::leerFuente(QStringLiteral("app/demo/esquema.sql"))
                               + prueba::leerFuente(QStringLiteral("app/demo/datos.sql")) + QStringLiteral("\nCOMMIT;"));
    acceso::instalarDialogoAcceso();
    auto& db = gDB();
    bool visto = false;
    prueba::conDialogo([&](frmAcceso& f) {
        visto = true;
        EXPECT_EQ(f.windowTitle(), QStringLiteral("Control de Acceso"));
        EXPECT_EQ(f.TxtServidor->text(), QStringLiteral("ingrese el nombre del servidor e instancia"));
        EXPECT_EQ(f.TxtDbName->text(), QStringLiteral("ingrese el nombre de la base de datos"));
        EXPECT_EQ(f.CboPlataformaDB->currentIndex(), 0);
        escribir(f.TxtServidor, QStringLiteral("SQLITE"));
        escribir(f.TxtDbName, QStringLiteral("PERMUTAL_DEMO"));
        escribir(f.TxtUserId, QStringLiteral("ADMIN"));
        QTest::mouseClick(f.bcAceptar, Qt::LeftButton);
    });
    db.OpenServerADODB(true, 3, QString(), true, true);
    EXPECT_TRUE(visto);
    EXPECT_TRUE(db.gOpenFlag);
    EXPECT_EQ(db.gCnn().State(), ado::adStateOpen);
    EXPECT_EQ(db.gConnString, QStringLiteral("PROVIDER=SQLOLEDB;Server=SQLITE;Database =PERMUTAL_DEMO;UId=ADMIN;Pwd=;"));
    EXPECT_TRUE(op->llamadas.empty()) << op->mensajes().join(QLatin1Char('|')).toStdString();
}

TEST_F(DialogoAcceso, CancelarTerminaSinMasMensajes)
{
    acceso::instalarDialogoAcceso();
    auto& db = gDB();
    const std::function<void(frmAcceso&)> formas[] = {
        [](frmAcceso& f) { QTest::mouseClick(f.bcCancelar, Qt::LeftButton); },
        [](frmAcceso& f) { QTest::keyClick(&f, Qt::Key_Escape); },
    };
    for (const auto& cancelar : formas) {
        prueba::conDialogo([&](frmAcceso& f) {
            f.TxtServidor->setText(QStringLiteral("SQLITE"));
            cancelar(f);
            if (f.isVisible()) f.reject();
        });
        db.OpenServerADODB(true, 3, QString(), true, true);
        EXPECT_FALSE(db.gOpenFlag);
        EXPECT_EQ(db.gCnn().State(), ado::adStateClosed);
        EXPECT_TRUE(db.gServidor.isEmpty());   // nothing taken back
    }
    EXPECT_TRUE(op->llamadas.empty());
}

TEST_F(DialogoAcceso, CerrarPorElMarcoNoCambiaAceptar)
{
    frmAcceso f;
    f.show();
    f.bcAceptar_Click();
    f.show();
    f.close();
    EXPECT_TRUE(f.Aceptar);   // an earlier Aceptar of the same dialog stands
    frmAcceso g;
    g.show();
    g.close();
    EXPECT_FALSE(g.Aceptar);
}

TEST_F(DialogoAcceso, OracleElegidoVuelveAlPedido)
{
    datos::PedidoConexion p;
    prueba::conDialogo([](frmAcceso& f) {
        f.TxtServidor->setText(QStringLiteral("ORA1"));
        f.TxtDbName->setText(QStringLiteral("svc"));
        f.CboPlataformaDB->setCurrentIndex(1);
        f.bcAceptar_Click();
    });
    EXPECT_TRUE(acceso::MuestraDialogoAcceso(p));
    EXPECT_EQ(p.plataforma, 1);
    EXPECT_EQ(p.servidor, QStringLiteral("ORA1"));
}

TEST_F(DialogoAcceso, TeclasSinRaton)
{
    struct Caso {
        const char* nombre;
        bool conBases;
        QPushButton* frmAcceso::*boton;   // null: Enter where the focus starts
        bool aceptar;
    } casos[] = {
        {"Aceptar enfocado", false, &frmAcceso::bcAceptar, true},
        {"Cancelar enfocado", false, &frmAcceso::bcCancelar, false},
        {"Enter en el servidor", false, nullptr, true},
        {"Aceptar enfocado con conexiones", true, &frmAcceso::bcAceptar, true},
        {"Cancelar enfocado con conexiones", true, &frmAcceso::bcCancelar, false},
        {"Enter en la lista", true, nullptr, true},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nombre);
        QFile::remove(carpeta.archivo(QStringLiteral("BASES.TXT")));
        if (c.conBases) registrarDos();
        frmAcceso f;
        f.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
        EXPECT_TRUE(f.bcAceptar->isDefault());
        if (c.conBases) {
            // The keyboard starts on the registered connections.
            EXPECT_TRUE(f.lstBases->hasFocus());
        } else {
            // On the server box, its prompt wholly selected: typing replaces it.
            ASSERT_TRUE(f.TxtServidor->hasFocus());
            EXPECT_EQ(f.TxtServidor->selectedText(), QStringLiteral("ingrese el nombre del servidor e instancia"));
            prueba::teclear(QStringLiteral("SQLITE"));
            EXPECT_EQ(f.TxtServidor->text(), QStringLiteral("SQLITE"));
        }
        if (c.boton) ASSERT_TRUE(prueba::tabularHasta(f.*c.boton));
        prueba::tecla(Qt::Key_Return);
        EXPECT_FALSE(f.isVisible());
        EXPECT_EQ(f.Aceptar, c.aceptar);
    }
    EXPECT_TRUE(op->llamadas.empty());
}

TEST_F(DialogoAcceso, UnClicEnUnaIndicacionLaSeleccionaEntera)
{
    frmAcceso f;
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    for (QLineEdit* caja : {f.TxtDbName, f.TxtUserId, f.TxtServidor}) {
        SCOPED_TRACE(caja->objectName().toStdString());
        const QString indicacion = frmAcceso::indicacion(caja->objectName());
        QTest::mouseClick(caja, Qt::LeftButton, {}, QPoint(caja->width() / 3, caja->height() / 2));
        EXPECT_TRUE(caja->hasFocus());
        EXPECT_EQ(caja->text(), indicacion);
        EXPECT_EQ(caja->selectedText(), indicacion);
    }
    prueba::teclear(QStringLiteral("srv"));
    EXPECT_EQ(f.TxtServidor->text(), QStringLiteral("srv"));
    // A text the operator typed is edited as any other.
    QTest::mouseClick(f.TxtServidor, Qt::LeftButton, {}, QPoint(2, f.TxtServidor->height() / 2));
    EXPECT_TRUE(f.TxtServidor->selectedText().isEmpty());
}

}  // namespace
