// The order list and the supplier list on the demo database: every value,
// title and search box fits its column, in the font the cells are drawn with,
// with the plain look and with the session's skin.
#include "FrmPermutal_prueba.h"

#include "app/Apariencia.h"
#include "lookup/Lib_FrmCons3.h"

#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTimer>
#include <QTreeView>

using namespace prueba;
using consulta::Lib_FrmCons3;

namespace {

class AnchosListas : public VentanaPrueba {
protected:
    void TearDown() override
    {
        qApp->setStyleSheet(QString());
        VentanaPrueba::TearDown();
    }
    void conSkin()
    {
        QDir().mkpath(carpeta.archivo(QStringLiteral("Styles")));
        const QDir fuentes(QStringLiteral(PERMUTAL_FUENTES "/app/Styles"));
        for (const QString& n : fuentes.entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(fuentes.filePath(n), carpeta.archivo(QStringLiteral("Styles/") + n)));
        app::AplicaSkin(ventana.get());
        ASSERT_FALSE(qApp->styleSheet().isEmpty());
    }
    // F5 in the field; `enLista` runs on the list while it is open.
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
            enLista(*lista);
            lista->cancelar();
        });
        vigia->start();
        QTest::keyClick(campo, Qt::Key_F5);
        delete vigia;
        EXPECT_TRUE(abierta) << "no se abrió la lista";
        pendientes();
    }
    // The widest value of every column, its title and its search box fit the column.
    static void todoCabe(Lib_FrmCons3& w, const QStringList& columnas)
    {
        QTreeView* lista = w.lista();
        QHeaderView* encabezado = lista->header();
        ASSERT_GT(w.modelo().filas(), 5);
        ASSERT_LE(w.modelo().filas(), encabezado->resizeContentsPrecision());   // every row measured
        for (const QString& nombre : columnas) {
            const int c = w.IndiceColumna(nombre) - 1;
            ASSERT_GE(c, 0) << nombre.toStdString();
            SCOPED_TRACE(nombre.toStdString());
            const int ancho = encabezado->sectionSize(c);
            // The list's own measure of its cells and title: what fitting the column to its contents gives.
            lista->resizeColumnToContents(c);
            const int necesario = encabezado->sectionSize(c);
            encabezado->resizeSection(c, ancho);
            EXPECT_LE(necesario, ancho);
            EXPECT_LE(encabezado->sectionSizeHint(c), ancho);
            // The widest text, measured here once more in the cells' font.
            const QFontMetrics fm(lista->font());
            int mayor = 0;
            QString mas;
            for (int f = 0; f < w.modelo().filas(); ++f) {
                const int a = fm.horizontalAdvance(w.modelo().celda(f, c));
                if (a > mayor) {
                    mayor = a;
                    mas = w.modelo().celda(f, c);
                }
            }
            EXPECT_LT(mayor, ancho) << mas.toStdString();
            // Its search box shows as many characters as the widest value, beside the arrow.
            QComboBox* caja = w.caja(c);
            QStyleOptionComboBox opcion;
            opcion.initFrom(caja);
            opcion.editable = true;
            const QRect texto = caja->style()->subControlRect(QStyle::CC_ComboBox, &opcion, QStyle::SC_ComboBoxEditField, caja);
            EXPECT_GE(texto.width(), caja->fontMetrics().horizontalAdvance(mas)) << mas.toStdString();
        }
    }
};

TEST_F(AnchosListas, CadaValorCabeEnSuColumna)
{
    for (bool skin : {false, true}) {
        SCOPED_TRACE(skin ? "con skin" : "sin skin");
        if (skin) conSkin();
        f5ConLista(numero(), [&](Lib_FrmCons3& w) {
            todoCabe(w, {QStringLiteral("TC"), QStringLiteral("IDCOMPROBANTE"), QStringLiteral("CUENTA")});
        });
        f5ConLista(proveedor(), [&](Lib_FrmCons3& w) {
            todoCabe(w, {QStringLiteral("RAZON_SOCIAL"), QStringLiteral("CODIGO")});
        });
    }
}

}  // namespace
