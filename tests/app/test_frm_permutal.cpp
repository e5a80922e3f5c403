// The main window: its keys from every field, Enter and the tab order, the
// order and supplier checks, the exits, the lookups and the progress strip.
#include "FrmPermutal_prueba.h"

#include "app/Arranque.h"
#include "lookup/Lib_FrmCons3.h"

#include <QComboBox>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <functional>

using namespace prueba;
using velmora::OperadorGuionado;

namespace {

constexpr int kCriticoOK = 16;

class Ventana : public VentanaPrueba {
protected:
    // Runs accion while a modal window opens: cuandoAbra gets the list window.
    void conListaModal(const std::function<void()>& accion, const std::function<void(consulta::Lib_FrmCons3*)>& cuandoAbra)
    {
        bool abierta = false;
        std::function<void()> vigilar;
        vigilar = [&] {
            auto* lista = qobject_cast<consulta::Lib_FrmCons3*>(QApplication::activeModalWidget());
            if (!lista) {
                QTimer::singleShot(10, vigilar);
                return;
            }
            abierta = true;
            cuandoAbra(lista);
        };
        QTimer::singleShot(0, vigilar);
        accion();
        EXPECT_TRUE(abierta) << "no se abrió la lista";
        // Stop watching if the list never came.
        vigilar = [] {};
    }
    QStringList textos() { return op->mensajes(); }
};

// --- The window's keys from every field ---------------------------------------------------

TEST_F(Ventana, F2DesdeCadaCampoValidaAntesDeGrabar)
{
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        op->llamadas.clear();
        ventana->TxtFields(i)->setFocus();
        pendientes();
        ASSERT_EQ(ventana->campoActual(), i);
        QTest::keyClick(ventana->TxtFields(i), Qt::Key_F2);
        // The save validates the supplier first: empty, so it stops there.
        ASSERT_EQ(op->llamadas.size(), 1u);
        EXPECT_EQ(op->llamadas[0].texto, QStringLiteral("Debe informar un proveedor"));
        EXPECT_EQ(op->llamadas[0].botones, kCriticoOK);
        EXPECT_EQ(op->llamadas[0].titulo, QStringLiteral("Atención"));
        // Still in the field: the key never reached it as text.
        EXPECT_TRUE(ventana->TxtFields(i)->text().isEmpty());
    }
    EXPECT_TRUE(escrituras().empty());
}

TEST_F(Ventana, EscDesdeCadaCampoCierraSinGrabar)
{
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        ventana->show();
        ventana->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(ventana.get()));
        ventana->TxtFields(i)->setFocus();
        pendientes();
        QTest::keyClick(ventana->TxtFields(i), Qt::Key_Escape);
        EXPECT_FALSE(ventana->isVisible());
    }
    EXPECT_TRUE(op->llamadas.empty());
}

TEST_F(Ventana, F5DesdeCadaCampoAbreLaListaDeSuTipo)
{
    struct Caso {
        int campo;
        const char* tabla;   // the list reads from it
    };
    const Caso casos[] = {{1, "CO_OCompraPendientes"}, {2, "CO_OCompraPendientes"}, {3, "CO_OCompraPendientes"}, {0, "VT_PROVEEDORES"}};
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.campo);
        vaciarTraza();
        op->llamadas.clear();
        ventana->TxtFields(c.campo)->setFocus();
        pendientes();
        QString sqlLista;
        conListaModal([&] { QTest::keyClick(ventana->TxtFields(c.campo), Qt::Key_F5); },
                      [&](consulta::Lib_FrmCons3* lista) {
                          sqlLista = lista->SQL;
                          QTest::keyClick(lista, Qt::Key_Escape);
                      });
        EXPECT_TRUE(sqlLista.contains(QLatin1String(c.tabla))) << sqlLista.toStdString();
        // A cancelled list empties the fields and their check says so.
        if (c.campo == 0) {
            EXPECT_EQ(textos(), QStringList{QStringLiteral("Debe informar un proveedor")});
        } else {
            // The order check runs twice: once after the pick, once by the letter's Enter.
            EXPECT_EQ(textos(), QStringList(2, QStringLiteral("La OC ingresada no es válida o es inexistente")));
            EXPECT_TRUE(sucursal()->text().isEmpty());
            EXPECT_TRUE(numero()->text().isEmpty());
            EXPECT_TRUE(letra()->text().isEmpty());
        }
    }
    EXPECT_EQ(sentencias().size() > 0, true);
    EXPECT_TRUE(escrituras().empty());
}

// --- Enter, padding, tab order ----------------------------------------------------------------

TEST_F(Ventana, EnterRellenaConCerosYPasaAlSiguiente)
{
    escribir(sucursal(), QStringLiteral("1"));
    enter(sucursal());
    EXPECT_EQ(sucursal()->text(), QStringLiteral("0001"));
    EXPECT_TRUE(numero()->hasFocus());
    QTest::keyClicks(numero(), QStringLiteral("1206"));
    enter(numero());
    EXPECT_EQ(numero()->text(), QStringLiteral("00001206"));
    EXPECT_TRUE(letra()->hasFocus());
    QTest::keyClicks(letra(), QStringLiteral("A"));
    enter(letra());
    EXPECT_EQ(ventana->lblDatos()->text(), QStringLiteral("Proveedor Actual: (P00007) O'Brien Hnos. S.R.L."));
    EXPECT_TRUE(proveedor()->hasFocus());
    QTest::keyClicks(proveedor(), QStringLiteral("P00001"));
    enter(proveedor());
    EXPECT_EQ(ventana->lblProv()->text(), QStringLiteral("Ferretería Industrial Del Plata S.A."));
    EXPECT_TRUE(op->llamadas.empty());
    EXPECT_TRUE(escrituras().empty());
}

TEST_F(Ventana, OrdenDeTabulacion)
{
    sucursal()->setFocus();
    pendientes();
    QLineEdit* esperado[] = {numero(), letra(), proveedor(), sucursal()};
    for (QLineEdit* e : esperado) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), e) << e->property("DataField").toString().toStdString();
    }
    // The supplier is the first member of the array although it comes last.
    EXPECT_EQ(proveedor()->property("DataField").toString(), QStringLiteral("PROVEEDOR"));
    EXPECT_EQ(sucursal()->maxLength(), 4);
    EXPECT_EQ(numero()->maxLength(), 8);
    EXPECT_EQ(letra()->maxLength(), 1);
}

TEST_F(Ventana, OrdenInvalidaMuestraSuMensajeYConservaElFoco)
{
    const struct {
        const char* suc;
        const char* num;
        const char* let;
    } casos[] = {
        {"1", "1201", "A"},     // closed: exists but no longer pending
        {"9", "99999", "Z"},    // never existed
        {"1", "1206", "B"},     // right number, another letter
        {"", "", ""},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.num);
        op->llamadas.clear();
        escribirOC(QString::fromLatin1(c.suc), QString::fromLatin1(c.num), QString::fromLatin1(c.let));
        ASSERT_EQ(op->llamadas.size(), 1u);
        EXPECT_EQ(op->llamadas[0].texto, QStringLiteral("La OC ingresada no es válida o es inexistente"));
        EXPECT_EQ(op->llamadas[0].botones, kCriticoOK);
        EXPECT_EQ(op->llamadas[0].titulo, QStringLiteral("Atención"));
        EXPECT_TRUE(letra()->hasFocus());
        EXPECT_EQ(ventana->lblDatos()->text(), QStringLiteral("..."));
    }
}

TEST_F(Ventana, ChequeoDelProveedor)
{
    const struct {
        const char* codigo;
        const char* mensaje;    // nullptr: accepted
        const char* etiqueta;
    } casos[] = {
        {"   ", "Debe informar un proveedor", "..."},
        {"ZZZ", "El proveedor informado es inexistente", "..."},
        {"P00007", nullptr, "O'Brien Hnos. S.R.L."},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.codigo);
        op->llamadas.clear();
        escribir(proveedor(), QString::fromLatin1(c.codigo));
        enter(proveedor());
        EXPECT_EQ(ventana->lblProv()->text(), QString::fromUtf8(c.etiqueta));
        if (c.mensaje) {
            EXPECT_EQ(textos(), QStringList{QString::fromUtf8(c.mensaje)});
            EXPECT_TRUE(proveedor()->hasFocus());
            EXPECT_TRUE(ventana->hayError());
        } else {
            EXPECT_TRUE(op->llamadas.empty());
            EXPECT_FALSE(ventana->hayError());
        }
    }
}

TEST_F(Ventana, TercerBotonYEscTerminanSinGrabar)
{
    const QByteArray antes = huellaBase(base());
    for (int forma = 0; forma < 2; ++forma) {
        SCOPED_TRACE(forma);
        ventana->show();
        ventana->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(ventana.get()));
        escribirOC(kOcSinRecibir);
        escribir(proveedor(), QStringLiteral("P00001"));
        if (forma == 0) {
            auto* boton = qobject_cast<QToolButton*>(ventana->Toolbar1()->widgetForAction(ventana->boton(3)));
            ASSERT_NE(boton, nullptr);
            EXPECT_EQ(boton->text(), QStringLiteral("[Esc] Salir"));
            QTest::mouseClick(boton, Qt::LeftButton);
        } else {
            QTest::keyClick(proveedor(), Qt::Key_Escape);
        }
        EXPECT_FALSE(ventana->isVisible());
    }
    EXPECT_TRUE(op->llamadas.empty());
    EXPECT_TRUE(escrituras().empty());
    EXPECT_EQ(huellaBase(base()), antes);
}

TEST_F(Ventana, BotonesYRotulos)
{
    EXPECT_EQ(ventana->windowTitle(), QStringLiteral("Cambia Proveedor de una Orden de Compra"));
    EXPECT_FALSE(ventana->windowIcon().isNull());
    const char* textosBotones[] = {"[F5] Consutlar", "[F2] Grabar", "[Esc] Salir"};
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(ventana->boton(i)->text(), QString::fromUtf8(textosBotones[i - 1]));
    // Every field has a lookup kind, so the lookup button stays enabled.
    for (int i = 0; i < 4; ++i) {
        ventana->TxtFields(i)->setFocus();
        pendientes();
        EXPECT_TRUE(ventana->boton(1)->isEnabled());
    }
    EXPECT_EQ(ventana->lblDatos()->text(), QStringLiteral("..."));
    EXPECT_EQ(ventana->lblProv()->text(), QStringLiteral("..."));
}

// --- Lookups -----------------------------------------------------------------------------------

TEST_F(Ventana, F5EnUnCampoDeLaOCLlenaLosTresYSigueAlProveedor)
{
    numero()->setFocus();
    pendientes();
    conListaModal([&] { QTest::keyClick(numero(), Qt::Key_F5); },
                  [&](consulta::Lib_FrmCons3* lista) {
                      const int fila = static_cast<int>(lista->Busqueda(lista->IndiceColumna(QStringLiteral("IDCOMPROBANTE")) - 1, kOcRecibidaSola)) - 1;
                      ASSERT_GE(fila, 0);
                      lista->seleccionarFila(fila);
                      QTest::mouseClick(lista->botonAceptar(), Qt::LeftButton);
                  });
    pendientes();
    EXPECT_EQ(sucursal()->text() + numero()->text() + letra()->text(), kOcRecibidaSola);
    EXPECT_TRUE(ventana->lblDatos()->text().startsWith(QStringLiteral("Proveedor Actual: (P00025) ")));
    EXPECT_TRUE(proveedor()->hasFocus());
    EXPECT_TRUE(op->llamadas.empty());
    // The list read the pending orders with the session's row limit.
    bool leida = false;
    for (const Sentencia& s : sentencias())
        if (s.sql.contains(QLatin1String("SELECT TOP 1000 TC, IDCOMPROBANTE, CUENTA FROM CO_OCompraPendientes"))) leida = true;
    EXPECT_TRUE(leida);
}

// --- Start-up -------------------------------------------------------------------------------------

TEST(VentanaInicio, LaCargaAbreLaSesionOTerminaSinMostrarse)
{
    QApplication::setQuitOnLastWindowClosed(false);
    CarpetaTemporal carpeta;
    OperadorDePrueba op;
    reiniciarSesion();
    QString error;
    ASSERT_TRUE(app::crearBaseDemo(app::rutaBaseDemo(), &error)) << error.toStdString();
    ASSERT_TRUE(app::crearBaseEstadisticas(app::rutaBaseEstadisticas(), &error)) << error.toStdString();
    {
        auto v = app::FrmPermutal::iniciar(app::lineaComandosDemo());
        ASSERT_NE(v, nullptr);
        EXPECT_TRUE(datos::gDB().gOpenFlag);
        EXPECT_FALSE(v->isVisible());
    }
    reiniciarSesion();
    {
        // No server and no user: the access dialog is asked for; without one it counts as cancelled.
        auto v = app::FrmPermutal::iniciar(QStringLiteral("@Caja=1;"));
        EXPECT_EQ(v, nullptr);
        EXPECT_FALSE(datos::gDB().gOpenFlag);
    }
    reiniciarSesion();
}

// --- Zero padding -------------------------------------------------------------------------------

TEST(FormatoCeros, NumerosRellenadosElRestoIntacto)
{
    const struct {
        const char* entrada;
        int ancho;
        const char* salida;
    } casos[] = {
        {"1", 4, "0001"},       {"0001", 4, "0001"},   {"12345", 4, "12345"}, {"00012", 4, "0012"},
        {" 7 ", 4, "0007"},     {"12.5", 4, "0013"},   {"12,4", 4, "0012"},   {"-5", 4, "-0005"},
        {"1206", 8, "00001206"}, {"", 4, ""},          {"abc", 4, "abc"},     {"1e3", 4, "1e3"},
        {"12a", 4, "12a"},      {"inf", 4, "inf"},     {"9.5", 1, "10"},      {"'1", 4, "'1"},
    };
    for (const auto& c : casos)
        EXPECT_EQ(app::FormatoCeros(QString::fromUtf8(c.entrada), c.ancho), QString::fromUtf8(c.salida)) << c.entrada;
}

// --- Progress strip -------------------------------------------------------------------------------

TEST(Progreso, BarraYTextoCentradoLegibleSobreLaBarra)
{
    app::CuadroProgreso caja;
    caja.resize(200, 20);
    caja.setFont(QFont(caja.font().family(), 12, QFont::Bold));
    EXPECT_EQ(app::textoProgreso(QString(), 50), QStringLiteral(" 50%"));
    EXPECT_EQ(app::textoProgreso(QStringLiteral("Grabando"), 0), QStringLiteral("Grabando %"));
    EXPECT_EQ(app::colorClasico(0xFF0000), QColor(0, 0, 255));

    app::DibujaProgreso(&caja, 50, 0xFF0000, QString());
    EXPECT_EQ(caja.ultimoPorcentaje(), 50);
    EXPECT_EQ(caja.ultimoTexto(), QStringLiteral(" 50%"));
    const QImage& img = caja.imagen();
    // Bar up to half the width, background after it.
    EXPECT_EQ(QColor(img.pixel(5, 2)), QColor(0, 0, 255));
    EXPECT_EQ(QColor(img.pixel(195, 2)), caja.palette().color(QPalette::Window));
    // The text straddles the bar's end: its part on the bar is in the bar's inverse.
    bool inversa = false, tinta = false;
    for (int x = 60; x < 140; ++x)
        for (int y = 0; y < 20; ++y) {
            const QColor c(img.pixel(x, y));
            if (x < 100 && c.blue() < 128 && c.red() > 128 && c.green() > 128) inversa = true;
            if (x >= 100 && c.lightness() < 100) tinta = true;
        }
    EXPECT_TRUE(inversa);
    EXPECT_TRUE(tinta);

    app::DibujaProgreso(&caja, 100, 0xFF0000, QString());
    EXPECT_EQ(QColor(caja.imagen().pixel(195, 2)), QColor(0, 0, 255));
    EXPECT_EQ(caja.registro(), (QList<int>{50, 100}));
    caja.Cls();
    EXPECT_EQ(caja.ultimoPorcentaje(), -1);
    EXPECT_EQ(QColor(caja.imagen().pixel(5, 2)), caja.palette().color(QPalette::Window));
}

}  // namespace
