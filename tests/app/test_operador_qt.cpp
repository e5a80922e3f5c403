// The program's own message boxes, answered with the keyboard while they are
// open: each button answers its underlined letter; the title is never cut.
#include "app/OperadorQt.h"
#include "banner/AnchoTitulo.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Runs `enCaja` on the message box once it is open (from a timer of its own loop).
void conCaja(const std::function<void(QMessageBox&)>& enCaja, bool& vista)
{
    vista = false;
    auto* vigia = new QTimer;
    vigia->setInterval(5);
    QObject::connect(vigia, &QTimer::timeout, [=, &vista] {
        auto* caja = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!caja || !caja->isVisible()) return;
        vigia->stop();
        vigia->deleteLater();
        vista = true;
        enCaja(*caja);
    });
    vigia->start();
}

TEST(OperadorQt, CadaBotonRespondeASuLetra)
{
    struct Caso {
        int botones;
        Qt::Key letra;
        int respuesta;
    } casos[] = {
        {4 + 32, Qt::Key_S, 6}, {4 + 32, Qt::Key_N, 7},                           // Sí / No
        {3, Qt::Key_S, 6},      {3, Qt::Key_N, 7},      {3, Qt::Key_C, 2},        // Sí / No / Cancelar
        {2, Qt::Key_A, 3},      {2, Qt::Key_R, 4},      {2, Qt::Key_O, 5},        // Anular / Reintentar / Omitir
        {1, Qt::Key_A, 1},      {1, Qt::Key_C, 2},                                // Aceptar / Cancelar
        {5, Qt::Key_R, 4},      {5, Qt::Key_C, 2},                                // Reintentar / Cancelar
        {64, Qt::Key_A, 1},                                                       // Aceptar
    };
    app::OperadorQt operador;
    for (const Caso& c : casos) {
        SCOPED_TRACE(testing::Message() << c.botones << " " << QKeySequence(c.letra).toString().toStdString());
        QStringList textos;
        bool vista = false;
        conCaja(
            [&](QMessageBox& caja) {
                for (QAbstractButton* b : caja.buttons()) textos << b->text();
                QTest::keyClick(&caja, c.letra);
                // The letter presses its button (the click follows); a letter no
                // button owns would leave the box waiting: close it so the test ends.
                bool pulsado = false;
                for (QAbstractButton* b : caja.buttons()) pulsado = pulsado || b->isDown();
                if (!pulsado) {
                    ADD_FAILURE() << "ningún botón respondió a la letra";
                    caja.done(0);
                }
            },
            vista);
        EXPECT_EQ(operador.MsgBox(QStringLiteral("¿Continuar?"), c.botones, QStringLiteral("Atención")), c.respuesta);
        EXPECT_TRUE(vista);
        for (const QString& t : textos) EXPECT_TRUE(t.startsWith(QLatin1Char('&'))) << t.toStdString();
    }
}

TEST(OperadorQt, ElTituloNuncaSeCorta)
{
    app::OperadorQt operador;
    const QString titulos[] = {QStringLiteral("Aviso al Usuario"), QStringLiteral("Aviso al Operador"),
                               QStringLiteral("Atención"), QStringLiteral("Un título bastante más largo que el texto del mensaje")};
    for (const QString& titulo : titulos) {
        SCOPED_TRACE(titulo.toStdString());
        int ancho = 0;
        bool vista = false;
        conCaja(
            [&](QMessageBox& caja) {
                ancho = caja.width();
                QTest::keyClick(&caja, Qt::Key_Return);
            },
            vista);
        EXPECT_EQ(operador.MsgBox(QStringLiteral("Ok"), 64, titulo), 1);
        ASSERT_TRUE(vista);
        EXPECT_GE(ancho, cartel::anchoParaTitulo(titulo));
        // Room for the frame's buttons beside the title text itself.
        QFont letra = QApplication::font("QMdiSubWindowTitleBar");
        letra.setBold(true);
        EXPECT_GT(cartel::anchoParaTitulo(titulo), QFontMetrics(letra).horizontalAdvance(titulo) + 3 * QFontMetrics(letra).height());
    }
}

}  // namespace
