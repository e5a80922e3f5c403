// The progress banner, driven as a long operation drives it.
#include "banner/AnchoTitulo.h"
#include "banner/Dll_Display.h"
#include "banner/Lbf_CtrlDisplay.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using cartel::Dll_Display;
using cartel::Lbf_CtrlDisplay;

namespace {

QStringList lineas(const Lbf_CtrlDisplay& f)
{
    return {f.LblCtrol(0)->text(), f.LblCtrol(1)->text(), f.LblCtrol(2)->text()};
}

TEST(Cartel, InicioConYSinCancelar)
{
    for (bool permite : {true, false}) {
        Dll_Display d;
        d.CartelInicio(QStringLiteral("Actualizando precios"), permite);
        Lbf_CtrlDisplay* f = d.ventanaActual();
        ASSERT_TRUE(f);
        EXPECT_TRUE(f->isVisible());
        EXPECT_EQ(f->windowTitle(), QStringLiteral("Actualizando precios"));
        EXPECT_EQ(f->CmdDisplayCancelar()->isVisible(), permite);
        EXPECT_EQ(f->CmdDisplayCancelar()->text(), QStringLiteral("&Cancelar"));
        EXPECT_EQ(f->CuadroActual(), 1);
        EXPECT_NEAR(f->windowOpacity(), 200 / 255.0, 0.01);
        EXPECT_FALSE(f->isModal());
        EXPECT_EQ(f->parentWidget(), nullptr);
        EXPECT_TRUE(f->Timer1()->isActive());
        EXPECT_EQ(f->Timer1()->interval(), 100);
        const QRect pantalla = QGuiApplication::primaryScreen()->geometry();
        EXPECT_EQ(f->x(), pantalla.x() + (pantalla.width() - f->width()) / 2);
        EXPECT_EQ(f->y(), pantalla.y() + (pantalla.height() - f->height()) / 2);
        bool cancelado = true;
        EXPECT_FALSE(d.CartelMostrar(cancelado, ado::Variant("uno")));
        EXPECT_FALSE(cancelado);
    }
}

TEST(Cartel, MostrarCambiaSoloLasLineasDadasYVeElCancelar)
{
    Dll_Display d;
    d.CartelInicio(QStringLiteral("Proceso"), true);
    Lbf_CtrlDisplay* f = d.ventanaActual();
    bool cancelado = true;
    d.CartelMostrar(cancelado, ado::Variant("Artículo 1"), ado::Variant("de"), ado::Variant(int32_t(250)));
    EXPECT_EQ(lineas(*f), (QStringList{"Artículo 1", "de", "250"}));
    EXPECT_FALSE(cancelado);
    d.CartelMostrar(cancelado, ado::Variant("Artículo 2"));
    EXPECT_EQ(lineas(*f), (QStringList{"Artículo 2", "de", "250"}));
    d.CartelMostrar(cancelado, std::nullopt, std::nullopt, ado::Variant::nulo());
    EXPECT_EQ(lineas(*f), (QStringList{"Artículo 2", "de", ""}));
    d.CartelMostrar(cancelado);
    EXPECT_EQ(lineas(*f), (QStringList{"Artículo 2", "de", ""}));
    EXPECT_FALSE(cancelado);

    // The operator presses Cancelar (twice): cancelled from then on.
    QTest::mouseClick(f->CmdDisplayCancelar(), Qt::LeftButton);
    EXPECT_EQ(f->CmdDisplayCancelar()->text(), QStringLiteral("Abortado"));
    EXPECT_TRUE(d.CartelMostrar(cancelado, ado::Variant("x")));
    EXPECT_TRUE(cancelado);
    QTest::mouseClick(f->CmdDisplayCancelar(), Qt::LeftButton);
    EXPECT_EQ(f->CmdDisplayCancelar()->text(), QStringLiteral("Abortado"));
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(d.CartelMostrar(cancelado));
    EXPECT_TRUE(f->isVisible());   // only the caller closes it
}

TEST(Cartel, CerrarEIniciarDaUnaVentanaNueva)
{
    Dll_Display d;
    d.CartelInicio(QStringLiteral("Primero"), true);
    Lbf_CtrlDisplay* f = d.ventanaActual();
    bool cancelado = false;
    d.CartelMostrar(cancelado, ado::Variant("linea"));
    for (int i = 0; i < 5; ++i) f->Timer1_Timer();
    QTest::mouseClick(f->CmdDisplayCancelar(), Qt::LeftButton);
    EXPECT_TRUE(d.CartelMostrar(cancelado));

    QPointer<Lbf_CtrlDisplay> vieja(f);
    d.CartelCerrar();
    EXPECT_FALSE(vieja);
    EXPECT_EQ(d.ventanaActual(), nullptr);

    d.CartelInicio(QStringLiteral("Segundo"), true);
    Lbf_CtrlDisplay* g = d.ventanaActual();
    ASSERT_TRUE(g);
    EXPECT_EQ(g->CmdDisplayCancelar()->text(), QStringLiteral("&Cancelar"));
    EXPECT_EQ(g->CuadroActual(), 1);
    EXPECT_EQ(lineas(*g), (QStringList{"", "", ""}));
    EXPECT_FALSE(d.CartelMostrar(cancelado));
    g->Timer1_Timer();
    EXPECT_EQ(g->CuadroActual(), 1);   // the animation starts over
    g->Timer1_Timer();
    EXPECT_EQ(g->CuadroActual(), 2);
}

TEST(Cartel, LosCuadrosGiranDelUnoAlDoce)
{
    Lbf_CtrlDisplay f;
    EXPECT_EQ(f.CuadroActual(), 1);
    std::vector<int> vistos;
    for (int i = 0; i < 25; ++i) {
        f.Timer1_Timer();
        vistos.push_back(f.CuadroActual());
        // Image1 shows the frame it says it shows.
        EXPECT_EQ(f.Image1()->pixmap().toImage(), f.ImageList1(f.CuadroActual()).toImage());
    }
    std::vector<int> esperados;
    for (int vuelta = 0; vuelta < 2; ++vuelta)
        for (int n = 1; n <= 12; ++n) esperados.push_back(n);
    esperados.push_back(1);
    EXPECT_EQ(vistos, esperados);
    // Twelve different pictures.
    for (int a = 1; a <= 12; ++a)
        for (int b = a + 1; b <= 12; ++b) EXPECT_NE(f.ImageList1(a).toImage(), f.ImageList1(b).toImage()) << a << " " << b;
}

TEST(Cartel, SiempreVisibleYVentanaOculta)
{
    Dll_Display d;
    bool cancelado = true;
    // Updating with no window creates a hidden one.
    d.CartelMostrar(cancelado, ado::Variant("a"));
    ASSERT_TRUE(d.ventanaActual());
    EXPECT_FALSE(d.ventanaActual()->isVisible());
    EXPECT_FALSE(cancelado);

    d.CartelInicio(QStringLiteral("Arriba"), false);
    const QRect lugar = d.ventanaActual()->geometry();
    d.setSiempre_Visible(true);
    EXPECT_TRUE(d.ventanaActual()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(d.ventanaActual()->isVisible());
    EXPECT_EQ(d.ventanaActual()->geometry(), lugar);
    d.setSiempre_Visible(false);
    EXPECT_FALSE(d.ventanaActual()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(d.ventanaActual()->isVisible());
    EXPECT_EQ(d.ventanaActual()->windowTitle(), QStringLiteral("Arriba"));
    d.CartelCerrar();
}

TEST(Cartel, CreceConSuTextoHastaElAnchoDeLaPantalla)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    Dll_Display d;
    d.CartelInicio(QStringLiteral("Procesando"), true);
    Lbf_CtrlDisplay* f = d.ventanaActual();
    ASSERT_TRUE(f);
    const int inicial = f->width();
    const QPoint centro = f->frameGeometry().center();
    bool cancelado = false;

    // A line longer than the box widens it, about its centre; every line shows whole.
    const QString larga = QStringLiteral("Actualizando el costo de reposición del artículo 000123456789 - Tornillo autoperforante cabeza hexagonal 14 x 1\"");
    d.CartelMostrar(cancelado, ado::Variant(larga), ado::Variant(QStringLiteral("Registro 1 de 25000")));
    f->layout()->activate();
    EXPECT_GT(f->width(), inicial);
    for (int i = 0; i < 2; ++i) EXPECT_GE(f->LblCtrol(i)->width(), f->LblCtrol(i)->sizeHint().width()) << i;
    EXPECT_LE(std::abs(f->frameGeometry().center().x() - centro.x()), 1);
    EXPECT_EQ(f->minimumSize(), f->maximumSize());   // the operator does not resize it

    // As wide as the screen at most, frame included, and still on it: a longer
    // line wraps at its blanks; one word longer than the screen is cut there.
    const QString palabras = QStringList(150, QStringLiteral("palabra")).join(QLatin1Char(' '));
    for (const QString& linea : {palabras, QString(4000, QLatin1Char('x'))}) {
        d.CartelMostrar(cancelado, ado::Variant(linea));
        f->layout()->activate();
        EXPECT_EQ(f->frameGeometry().width(), area.width());
        EXPECT_GE(f->frameGeometry().left(), area.left());
        EXPECT_LE(f->frameGeometry().right(), area.right());
        EXPECT_GE(f->frameGeometry().top(), area.top());
        EXPECT_LE(f->frameGeometry().bottom(), area.bottom());
    }
    d.CartelMostrar(cancelado, ado::Variant(palabras));
    f->layout()->activate();
    QLabel* primera = f->LblCtrol(0);
    EXPECT_TRUE(primera->wordWrap());
    EXPECT_GE(primera->height(), primera->heightForWidth(primera->width()));
    EXPECT_GE(primera->height(), 3 * primera->fontMetrics().height());
    // A short line again: one row each, the box narrower than the screen.
    d.CartelMostrar(cancelado, ado::Variant(QStringLiteral("uno")));
    EXPECT_FALSE(f->LblCtrol(0)->wordWrap());
    EXPECT_LT(f->width(), area.width());
    d.CartelCerrar();

    // A long title is not cut by the window manager.
    const QString titulo = QStringLiteral("Recalculando los saldos de todas las cuentas corrientes de proveedores");
    d.CartelInicio(titulo, false);
    EXPECT_GE(d.ventanaActual()->width(), cartel::anchoParaTitulo(titulo));
    d.CartelCerrar();
}

}  // namespace
