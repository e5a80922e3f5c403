// Searching the list window: F5 narrowing, find as you type, the list keys,
// quantities and the shortage report.
#include "Consulta_prueba.h"

#include <QComboBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

using consulta::Lib_FrmCons3;

namespace {

const char* kEsquema =
    "CREATE TABLE T (NOMBRE VARCHAR(40) COLLATE NOCASE, CODIGO VARCHAR(8) COLLATE NOCASE, ZONA VARCHAR(10) COLLATE NOCASE, N INTEGER);"
    "INSERT INTO T VALUES ('abeto', 'C1', 'norte', 1), ('abedul', 'C2', 'sur', 2), ('roble', 'C3', 'sur', 3),"
    "  ('O''Brien', 'C4', 'este', 4), ('ab cd', 'C5', 'oeste', 5);"
    "CREATE TABLE VT_MA_ARTICULOS (IDARTICULO VARCHAR(25) COLLATE NOCASE, DESCRIPCION VARCHAR(60) COLLATE NOCASE, CANT VARCHAR(10));"
    "INSERT INTO VT_MA_ARTICULOS VALUES ('A1', 'Tornillo', '1.00'), ('A2', 'Llave d''Or', '3'), ('A3', 'Arandela', '0');"
    "CREATE VIEW V_MA_ARTICULOS AS SELECT * FROM VT_MA_ARTICULOS;"
    "CREATE TABLE V_MV_FALTANTES (FechaHora VARCHAR(30), IdArticulo VARCHAR(25), Descripcion VARCHAR(60), Usuario VARCHAR(30));";

class BusquedaConsulta : public prueba_consulta::BaseConsulta {
protected:
    void SetUp() override { prepararBase(QString::fromUtf8(kEsquema) + prueba_consulta::configuracion({})); }
    std::unique_ptr<Lib_FrmCons3> ventana(const QString& sql, const std::function<void(Lib_FrmCons3&)>& ajustes = {})
    {
        auto w = std::make_unique<Lib_FrmCons3>();
        w->SQL = sql;
        if (ajustes) ajustes(*w);
        w->cargar();
        return w;
    }
};

TEST_F(BusquedaConsulta, F5ArmaLaSentenciaConElTextoComoLiteral)
{
    struct Caso {
        const char* nombre;
        const char* sql;
        bool like;
        int caja;
        const char* texto;
        const char* esperada;   // the statement the window reloads with (it appends a blank)
        int filas;
    } casos[] = {
        {"orden al final", "SELECT NOMBRE, CODIGO FROM T ORDER BY NOMBRE", false, 0, "ab",
         "SELECT NOMBRE, CODIGO FROM T  where NOMBRE like 'ab%' ORDER BY NOMBRE  ", 3},
        {"con where", "SELECT NOMBRE, CODIGO FROM T WHERE N > 1", false, 1, "C",
         "SELECT NOMBRE, CODIGO FROM T WHERE N > 1  and CODIGO like 'C%'  ", 4},
        {"asterisco", "SELECT NOMBRE FROM T", false, 0, "a*o", "SELECT NOMBRE FROM T  where NOMBRE like 'a%o%'  ", 1},
        {"like en cualquier parte", "SELECT NOMBRE FROM T", true, 0, "ab cd", "SELECT NOMBRE FROM T  where NOMBRE like '%ab%cd%'  ", 1},
        {"agrupada", "SELECT ZONA, COUNT(*) AS C FROM T GROUP BY ZONA ORDER BY ZONA", false, 0, "s",
         "SELECT ZONA, COUNT(*) AS C FROM T  where ZONA like 's%' GROUP BY ZONA ORDER BY ZONA  ", 1},
        // Quotes typed by the operator stay inside the literal.
        {"comilla", "SELECT NOMBRE FROM T", false, 0, "O'Bri", "SELECT NOMBRE FROM T  where NOMBRE like 'O''Bri%'  ", 1},
        {"comentario", "SELECT NOMBRE FROM T", false, 0, "x' OR 1=1 --", "SELECT NOMBRE FROM T  where NOMBRE like 'x'' OR 1=1 --%'  ", 0},
        {"comilla con like", "SELECT NOMBRE FROM T", true, 0, "' OR ''='", "SELECT NOMBRE FROM T  where NOMBRE like '%''%OR%''''=''%'  ", 0},
        {"prefijo de articulos", "SELECT IDARTICULO, DESCRIPCION FROM V_MA_ARTICULOS", false, 1, "tor",
         "SELECT IDARTICULO, DESCRIPCION FROM V_MA_ARTICULOS  where v_ma_articulos.DESCRIPCION like 'tor%'  ", 1},
    };
    for (const auto& c : casos) {
        auto w = ventana(QString::fromUtf8(c.sql), [&](Lib_FrmCons3& v) { v.CfgUsaConsultaLIKE = c.like; });
        w->caja(c.caja)->setEditText(QString::fromUtf8(c.texto));
        w->nuevaBusqueda(c.caja);
        EXPECT_EQ(w->SQL, QString::fromUtf8(c.esperada)) << c.nombre;
        EXPECT_EQ(w->modelo().filas(), c.filas) << c.nombre;
        EXPECT_EQ(w->caja(c.caja)->currentText(), QString()) << c.nombre;
    }
    // The database accepted every statement.
    EXPECT_TRUE(op->llamadas.empty()) << op->mensajes().join(QStringLiteral(" | ")).toStdString();
}

TEST_F(BusquedaConsulta, DosBusquedasYVueltaAlOriginal)
{
    auto w = ventana(QStringLiteral("SELECT NOMBRE, ZONA FROM T"));
    w->caja(0)->setEditText(QStringLiteral("ab"));
    QTest::keyClick(w->caja(0), Qt::Key_F5);
    ASSERT_EQ(w->modelo().filas(), 3);
    w->caja(1)->setEditText(QStringLiteral("sur"));
    QTest::keyClick(w->caja(1), Qt::Key_F5);
    EXPECT_EQ(w->SQL, QStringLiteral("SELECT NOMBRE, ZONA FROM T  where NOMBRE like 'ab%'   and ZONA like 'sur%'  "));
    EXPECT_EQ(prueba_consulta::columna(*w, 0), (QStringList{"abedul"}));
    w->botonNueva()->click();
    EXPECT_EQ(w->SQL, QStringLiteral("SELECT NOMBRE, ZONA FROM T  "));
    EXPECT_EQ(w->modelo().filas(), 5);
}

TEST_F(BusquedaConsulta, BuscarMientrasSeEscribe)
{
    auto w = ventana(QStringLiteral("SELECT NOMBRE, ZONA, CODIGO FROM T ORDER BY N"));
    // abeto, abedul, roble, O'Brien, ab cd
    EXPECT_EQ(w->Busqueda(0, QStringLiteral(" ABED ")), 2);
    EXPECT_EQ(w->Busqueda(1, QStringLiteral("sur")), 2);
    EXPECT_EQ(w->Busqueda(0, QString()), 1);
    EXPECT_EQ(w->Busqueda(0, QStringLiteral("zz")), 0);
    EXPECT_EQ(w->IndiceColumna(QStringLiteral(" zona ")), 2);
    EXPECT_EQ(w->IndiceColumna(QStringLiteral("NADA")), 0);

    w->caja(1)->setEditText(QStringLiteral("s"));
    EXPECT_EQ(w->filaSeleccionada(), 1);
    w->caja(0)->setEditText(QStringLiteral("o'b"));
    EXPECT_EQ(w->filaSeleccionada(), 3);
    // No match: the selection stays.
    w->caja(0)->setEditText(QStringLiteral("qq"));
    EXPECT_EQ(w->filaSeleccionada(), 3);
}

TEST_F(BusquedaConsulta, TeclasDeLaListaVanALaCajaDeBusqueda)
{
    auto w = ventana(QStringLiteral("SELECT NOMBRE, ZONA, CODIGO FROM T ORDER BY N"));
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    // Each search box sits above its column, 50 twips narrower.
    for (int i = 0; i < 3; ++i) {
        QComboBox* c = w->caja(i);
        const QPoint arriba = c->mapTo(w.get(), QPoint(0, 0));
        const QPoint columna = w->lista()->viewport()->mapTo(w.get(), QPoint(w->lista()->header()->sectionViewportPosition(i), 0));
        EXPECT_EQ(arriba.x(), columna.x()) << i;
        EXPECT_LT(arriba.y(), columna.y()) << i;
        EXPECT_EQ(c->width(), w->lista()->header()->sectionSize(i) - w->twipsAPixeles(50)) << i;
    }
    w->caja(2)->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(w->IndiceBusqueda(), 2);
    EXPECT_EQ(w->caja(2)->lineEdit()->palette().color(QPalette::Base), QColor(0, 255, 255));

    // Down in a search box moves to the list; the box turns white again.
    QTest::keyClick(w->caja(2), Qt::Key_Down);
    EXPECT_TRUE(w->lista()->hasFocus());
    EXPECT_EQ(w->caja(2)->lineEdit()->palette().color(QPalette::Base), QColor(255, 255, 255));

    // A letter typed in the list goes to the box that last had the focus.
    QTest::keyClick(w->lista(), Qt::Key_C);
    EXPECT_EQ(w->caja(2)->currentText(), QStringLiteral("C"));
    EXPECT_TRUE(w->caja(2)->hasFocus());
    w->lista()->setFocus();
    QTest::keyClick(w->lista(), Qt::Key_3);
    EXPECT_EQ(w->caja(2)->currentText(), QStringLiteral("C3"));
    EXPECT_EQ(w->filaSeleccionada(), 2);
    w->lista()->setFocus();
    QTest::keyClick(w->lista(), Qt::Key_Backspace);
    EXPECT_EQ(w->caja(2)->currentText(), QStringLiteral("C"));
    w->hide();
}

TEST_F(BusquedaConsulta, CantidadesConLasTeclasDeInsertarYBorrar)
{
    auto w = ventana(QStringLiteral("SELECT DESCRIPCION, CANT AS [**Cantidad**] FROM VT_MA_ARTICULOS ORDER BY IDARTICULO"),
                     [](Lib_FrmCons3& v) {
                         v.UsaCantidades = true;
                         v.CheckBoxes = true;
                     });
    ASSERT_EQ(w->IndiceColumna(QStringLiteral("**Cantidad**")), 2);
    auto cantidad = [&](int f) { return w->modelo().celda(f, 1); };

    w->seleccionarFila(0);   // 1.00
    QTest::keyClick(w->lista(), Qt::Key_Insert);
    EXPECT_EQ(cantidad(0), QStringLiteral("2.0"));
    EXPECT_TRUE(w->modelo().marcada(0));
    QTest::keyClick(w->lista(), Qt::Key_Delete);
    EXPECT_EQ(cantidad(0), QStringLiteral("1.0"));
    EXPECT_TRUE(w->modelo().marcada(0));
    QTest::keyClick(w->lista(), Qt::Key_Delete);
    EXPECT_EQ(cantidad(0), QStringLiteral("0.00"));
    EXPECT_FALSE(w->modelo().marcada(0));

    w->seleccionarFila(1);   // 3
    op->entradas.push_back(QStringLiteral("12.5 unidades"));
    op->entradas.push_back(std::nullopt);
    QTest::keyClick(w->lista(), Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(cantidad(1), QStringLiteral("12.50"));
    EXPECT_TRUE(w->modelo().marcada(1));
    ASSERT_EQ(op->llamadas.size(), 1u);
    EXPECT_EQ(op->llamadas[0].texto, QStringLiteral("Ingrese la Cantidad del Articulo..."));
    EXPECT_EQ(op->llamadas[0].titulo, QStringLiteral("Carga de Datos"));
    EXPECT_EQ(op->llamadas[0].porDefecto, QStringLiteral("3"));
    QTest::keyClick(w->lista(), Qt::Key_Insert, Qt::ShiftModifier);   // cancelled
    EXPECT_EQ(cantidad(1), QStringLiteral("0.00"));
    EXPECT_TRUE(w->modelo().marcada(1));

    // Without UsaCantidades the keys do nothing to the cells.
    w->UsaCantidades = false;
    QTest::keyClick(w->lista(), Qt::Key_Insert);
    EXPECT_EQ(cantidad(1), QStringLiteral("0.00"));
}

TEST_F(BusquedaConsulta, F12InformaElFaltanteDeStock)
{
    auto w = ventana(QStringLiteral("SELECT IDARTICULO, DESCRIPCION FROM V_MA_ARTICULOS ORDER BY IDARTICULO"));
    w->seleccionarFila(1);   // A2, "Llave d'Or"
    op->respuestas = {velmora::respuesta::No, velmora::respuesta::Si};
    QTest::keyClick(w->lista(), Qt::Key_F12);
    EXPECT_EQ(prueba::consultarSqlite(base(), "SELECT COUNT(*) FROM V_MV_FALTANTES"), QStringLiteral("0"));
    QTest::keyClick(w->caja(0), Qt::Key_F12);
    ASSERT_EQ(op->llamadas.size(), 2u);
    EXPECT_EQ(op->llamadas[0].texto, QStringLiteral("Desea informar el articulo A2 Llave d'Or\r\ncomo un faltante de stock?"));
    EXPECT_EQ(op->llamadas[0].titulo, QStringLiteral("Atenci\u00F3n!"));
    EXPECT_EQ(op->llamadas[0].botones, velmora::botones::SiNo + velmora::botones::Pregunta);
    EXPECT_EQ(prueba::consultarSqlite(base(), "SELECT IdArticulo || '|' || Descripcion || '|' || Usuario FROM V_MV_FALTANTES"),
              QStringLiteral("A2|Llave d'Or|OPERADOR"));
    EXPECT_FALSE(prueba::consultarSqlite(base(), "SELECT FechaHora FROM V_MV_FALTANTES").isEmpty());

    // Not an article lookup: nothing is asked.
    op->llamadas.clear();
    auto t = ventana(QStringLiteral("SELECT NOMBRE FROM T"));
    QTest::keyClick(t->lista(), Qt::Key_F12);
    EXPECT_TRUE(op->llamadas.empty());
}

TEST_F(BusquedaConsulta, ElTecladoEmpiezaDondeSeEscribe)
{
    struct Caso {
        const char* filtro;
        bool enCaja;   // the first search box, else the list
    } casos[] = {{"", false}, {"  ", false}, {"ab", true}};
    for (const auto& c : casos) {
        auto w = ventana(QStringLiteral("SELECT NOMBRE, CODIGO FROM T ORDER BY N"), [&](Lib_FrmCons3& v) { v.FiltroInicial = QString::fromUtf8(c.filtro); });
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
        EXPECT_EQ(w->caja(0)->hasFocus(), c.enCaja) << c.filtro;
        EXPECT_EQ(w->lista()->hasFocus(), !c.enCaja) << c.filtro;
        EXPECT_FALSE(w->botonAceptar()->hasFocus()) << c.filtro;
        w->hide();
    }
}

TEST_F(BusquedaConsulta, EnterEsDelBotonEnfocado)
{
    struct Caso {
        const char* nombre;
        QPushButton* (Lib_FrmCons3::*boton)() const;
        bool sigueAbierta;
    } casos[] = {
        {"Aceptar", &Lib_FrmCons3::botonAceptar, false},
        {"Cancelar", &Lib_FrmCons3::botonCancelar, false},
        {"Nueva Busqueda", &Lib_FrmCons3::botonNueva, true},
        {"Marcar", &Lib_FrmCons3::botonTodos, true},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nombre);
        auto w = ventana(QStringLiteral("SELECT NOMBRE, CODIGO FROM T ORDER BY N"), [](Lib_FrmCons3& v) {
            v.CheckBoxes = true;
            v.CampoDevuelto = QStringLiteral("CODIGO");
        });
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
        // A narrowed list, so that Nueva Busqueda shows it reloads.
        w->caja(0)->setFocus();
        prueba::teclear(QStringLiteral("ab"));
        prueba::tecla(Qt::Key_F5);
        ASSERT_EQ(w->modelo().filas(), 3);
        QPushButton* b = (w.get()->*c.boton)();
        ASSERT_TRUE(prueba::tabularHasta(b));
        prueba::tecla(Qt::Key_Return);
        EXPECT_EQ(w->isVisible(), c.sigueAbierta);
        const QString nombre = QString::fromUtf8(c.nombre);
        if (nombre == QLatin1String("Aceptar")) {
            EXPECT_EQ(w->result(), QDialog::Accepted);
            ASSERT_TRUE(w->Valores);
            EXPECT_EQ(w->Valores->Count(), 0);   // nothing checked
        } else if (nombre == QLatin1String("Cancelar")) {
            EXPECT_EQ(w->result(), QDialog::Rejected);
            EXPECT_FALSE(w->Valores);
        } else if (nombre == QLatin1String("Nueva Busqueda")) {
            EXPECT_EQ(w->modelo().filas(), 5);
            EXPECT_EQ(w->SQL.trimmed(), w->SQLOriginal().trimmed());
        } else {
            for (int f = 0; f < w->modelo().filas(); ++f) EXPECT_TRUE(w->modelo().marcada(f)) << f;
        }
        w->hide();
    }
}

}  // namespace
