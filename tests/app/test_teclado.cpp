// The main window's lookups with the keyboard alone: the list opens ready for
// typing, arrows move the selection, Tab reaches the buttons and Enter belongs
// to the focused button.
#include "FrmPermutal_prueba.h"

#include "lookup/Lib_FrmCons3.h"

#include <QComboBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <functional>

using namespace prueba;
using consulta::Lib_FrmCons3;

namespace {

class Teclado : public VentanaPrueba {
protected:
    // F5 in `campo`; `enLista` runs on the list once its exec() is running.
    void f5ConLista(QLineEdit* campo, const std::function<void(Lib_FrmCons3&)>& enLista)
    {
        campo->setFocus();
        pendientes();
        bool abierta = false;
        auto* vigia = new QTimer;
        vigia->setInterval(5);
        QObject::connect(vigia, &QTimer::timeout, [&, vigia] {
            auto* lista = qobject_cast<Lib_FrmCons3*>(QApplication::activeModalWidget());
            if (!lista || !lista->isVisible()) return;
            vigia->stop();
            abierta = true;
            // The keyboard is the active window's.
            if (QTest::qWaitForWindowActive(lista)) enLista(*lista);
            else ADD_FAILURE() << "la lista no se activó";
            if (lista->isVisible()) lista->cancelar();   // a failed step never hangs the test
        });
        vigia->start();
        QTest::keyClick(campo, Qt::Key_F5);
        delete vigia;
        EXPECT_TRUE(abierta) << "no se abrió la lista";
        pendientes();
    }
};

TEST_F(Teclado, LetrasYFlechasEnLaListaDeProveedores)
{
    QString elegido;
    f5ConLista(proveedor(), [&](Lib_FrmCons3& w) {
        // The keyboard starts in the list, not on a button.
        ASSERT_TRUE(w.lista()->hasFocus());
        const int esperada = static_cast<int>(w.Busqueda(0, QStringLiteral("Rod"))) - 1;
        ASSERT_GE(esperada, 1);
        ASSERT_LT(esperada + 1, w.modelo().filas());

        // Letters typed in the list go to the first search box and pick the first match.
        teclear(QStringLiteral("Rod"));
        EXPECT_EQ(w.caja(0)->currentText(), QStringLiteral("Rod"));
        EXPECT_EQ(w.filaSeleccionada(), esperada);

        // Down leaves the box for the list; there the arrows move the selection.
        tecla(Qt::Key_Down);
        EXPECT_TRUE(w.lista()->hasFocus());
        EXPECT_EQ(w.filaSeleccionada(), esperada);
        tecla(Qt::Key_Down);
        EXPECT_EQ(w.filaSeleccionada(), esperada + 1);
        tecla(Qt::Key_Up);
        tecla(Qt::Key_Up);
        EXPECT_EQ(w.filaSeleccionada(), esperada - 1);
        tecla(Qt::Key_Down);
        elegido = w.modelo().celda(esperada, w.IndiceColumna(QStringLiteral("CODIGO")) - 1);
        // Enter in the list takes the row.
        tecla(Qt::Key_Return);
        EXPECT_FALSE(w.isVisible());
    });
    EXPECT_FALSE(elegido.isEmpty());
    EXPECT_EQ(proveedor()->text(), elegido);
    EXPECT_TRUE(op->llamadas.empty());
}

TEST_F(Teclado, TabHastaCancelarYEnterCancelaLaLista)
{
    struct Caso {
        int campo;
        QStringList mensajes;   // what the field checks say about the empty fields left
    } casos[] = {
        {0, {QStringLiteral("Debe informar un proveedor")}},
        {2, QStringList(2, QStringLiteral("La OC ingresada no es válida o es inexistente"))},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.campo);
        op->llamadas.clear();
        f5ConLista(ventana->TxtFields(c.campo), [&](Lib_FrmCons3& w) {
            ASSERT_GE(w.filaSeleccionada(), 0);   // Enter on the wrong button would take this row
            ASSERT_TRUE(tabularHasta(w.botonCancelar()));
            tecla(Qt::Key_Return);
            EXPECT_FALSE(w.isVisible());
            EXPECT_EQ(w.result(), QDialog::Rejected);
        });
        EXPECT_TRUE(ventana->TxtFields(c.campo)->text().isEmpty());
        EXPECT_EQ(op->mensajes(), c.mensajes);
    }
    EXPECT_TRUE(escrituras().empty());
}

TEST_F(Teclado, TabHastaNuevaBusquedaYEnterRecarga)
{
    f5ConLista(proveedor(), [&](Lib_FrmCons3& w) {
        const int todas = w.modelo().filas();
        const QString original = w.SQL;
        // A search narrows the list: F5 in the search box.
        teclear(QStringLiteral("Rod"));
        tecla(Qt::Key_F5);
        ASSERT_LT(w.modelo().filas(), todas);
        ASSERT_NE(w.SQL, original);

        ASSERT_TRUE(tabularHasta(w.botonNueva()));
        tecla(Qt::Key_Return);
        EXPECT_TRUE(w.isVisible());
        EXPECT_EQ(w.modelo().filas(), todas);
        EXPECT_EQ(w.SQL.trimmed().toStdString(), original.trimmed().toStdString());
        EXPECT_TRUE(w.caja(0)->hasFocus());
        tecla(Qt::Key_Escape);
        EXPECT_FALSE(w.isVisible());
    });
}

}  // namespace
