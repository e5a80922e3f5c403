// The list lookup window on its own: columns, rows, sorting, results, check
// boxes and stock colours.
#include "Consulta_prueba.h"

#include <QComboBox>
#include <QHeaderView>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTest>
#include <QTreeView>

using consulta::Lib_FrmCons3;

namespace {

const char* kEsquema =
    "CREATE TABLE T (NOMBRE VARCHAR(200) COLLATE NOCASE, CODIGO VARCHAR(8) COLLATE NOCASE, IMPORTE MONEY, CANT NUMERIC(10,2), N INTEGER);"
    "INSERT INTO T VALUES ('beta', 'C2', 2, 2, 2), ('alfa', 'C1', 1, 1, 1), ('gama', 'C3', 3, 3, 3);"
    "CREATE TABLE VT_MA_ARTICULOS (IDARTICULO VARCHAR(25) COLLATE NOCASE, DESCRIPCION VARCHAR(60) COLLATE NOCASE, PUNTOPEDIDO MONEY,"
    "  Stock MONEY, PRECIO1 MONEY);"
    "INSERT INTO VT_MA_ARTICULOS VALUES ('A', 'sin punto con stock', 0, 5, 1), ('B', 'sobre el punto', 10, 20, 1),"
    "  ('C', 'bajo el punto', 10, 5, 1), ('D', 'en el punto', 10, 10, 1), ('E', 'sin nada', 0, 0, 1), ('F', 'punto negativo', -1, 5, 1);"
    "CREATE VIEW V_MA_ARTICULOS AS SELECT * FROM VT_MA_ARTICULOS;";

class ListaConsulta : public prueba_consulta::BaseConsulta {
protected:
    void SetUp() override
    {
        prepararBase(QString::fromUtf8(kEsquema) + prueba_consulta::configuracion({{"NOM_PCLASE1", "Mayorista"}}));
    }
    std::unique_ptr<Lib_FrmCons3> ventana(const QString& sql, const std::function<void(Lib_FrmCons3&)>& ajustes = {})
    {
        auto w = std::make_unique<Lib_FrmCons3>();
        w->SQL = sql;
        w->OrdenarPorLwv = true;
        if (ajustes) ajustes(*w);
        w->cargar();
        return w;
    }
    // x letters "X" in the font the cells are drawn with.
    static int ancho(Lib_FrmCons3& w, int letras) { return w.lista()->fontMetrics().horizontalAdvance(QString(letras, QLatin1Char('X'))); }
    // Width of the text field of a search box.
    static int campoCaja(QComboBox* c)
    {
        QStyleOptionComboBox o;
        o.initFrom(c);
        o.editable = true;
        return c->style()->subControlRect(QStyle::CC_ComboBox, &o, QStyle::SC_ComboBoxEditField, c).width();
    }
};

TEST_F(ListaConsulta, ColumnasYAnchosPorTamanoDeCampo)
{
    struct Caso {
        const char* sql;
        const char* defecto;
        std::vector<int> letras;
        std::vector<const char*> titulos;
    } casos[] = {
        // Text of 200 is cut to 60; currency and numeric are 12; other sizes as defined.
        {"SELECT NOMBRE, CODIGO, IMPORTE, CANT, N FROM T", "", {60, 8, 12, 12, 4}, {"NOMBRE", "CODIGO", "IMPORTE", "CANT", "N"}},
        {"SELECT NOMBRE, CODIGO, IMPORTE, CANT FROM T", "@10", {70, 18, 22, 22}, {"NOMBRE", "CODIGO", "IMPORTE", "CANT"}},
        // Article lists: prices titled from the configuration, no "@10" widening.
        {"SELECT IDARTICULO, PRECIO1 FROM V_MA_ARTICULOS", "@10", {25, 12}, {"IDARTICULO", "Mayorista"}},
    };
    for (const auto& c : casos) {
        auto w = ventana(QString::fromUtf8(c.sql), [&](Lib_FrmCons3& v) { v.ValoresDefault = QString::fromUtf8(c.defecto); });
        ASSERT_EQ(w->modelo().columnas(), static_cast<int>(c.letras.size())) << c.sql;
        for (size_t i = 0; i < c.letras.size(); ++i) {
            const int col = static_cast<int>(i);
            const int seccion = w->lista()->header()->sectionSize(col);
            // x characters show in the cells (bold, 10 points), in the title and in the search box.
            EXPECT_GT(seccion, ancho(*w, c.letras[i])) << c.sql << " columna " << i;
            EXPECT_GE(seccion, w->lista()->header()->sectionSizeHint(col)) << c.sql << " columna " << i;
            EXPECT_GE(campoCaja(w->caja(col)), w->caja(col)->fontMetrics().horizontalAdvance(QString(c.letras[i], QLatin1Char('X'))))
                << c.sql << " columna " << i;
            // A wide column is as wide as its characters need, no wider.
            if (c.letras[i] >= 25) EXPECT_LT(seccion, ancho(*w, c.letras[i] + 1)) << c.sql << " columna " << i;
            EXPECT_EQ(w->modelo().titulo(static_cast<int>(i)), QString::fromUtf8(c.titulos[i])) << c.sql;
            // Each column has its search box carrying the field's name.
            ASSERT_NE(w->caja(static_cast<int>(i)), nullptr);
            EXPECT_FALSE(w->caja(static_cast<int>(i))->isHidden());
        }
    }
    auto w = ventana(QStringLiteral("select NOMBRE from t where N > 0"));
    EXPECT_EQ(w->TablaConsulta(), QStringLiteral("t"));
    EXPECT_EQ(w->SQLOriginal(), QStringLiteral("select NOMBRE from t where N > 0 "));
    EXPECT_EQ(w->caja(0)->toolTip(), QStringLiteral("F5 realiza nueva busqueda"));
    EXPECT_TRUE(w->lista()->font().bold());
    EXPECT_EQ(w->lista()->font().pointSize(), 10);
    EXPECT_TRUE(op->llamadas.empty());
}

TEST_F(ListaConsulta, FilasConTextoRecortadoYOrdenQueAlterna)
{
    auto w = ventana(QStringLiteral("SELECT NOMBRE, CODIGO FROM T"));
    EXPECT_EQ(prueba_consulta::columna(*w, 0), (QStringList{"alfa", "beta", "gama"}));
    // Each click toggles, whichever column: descending first.
    w->clicEncabezado(1);
    EXPECT_EQ(prueba_consulta::columna(*w, 1), (QStringList{"C3", "C2", "C1"}));
    emit w->lista()->header()->sectionClicked(0);
    EXPECT_EQ(prueba_consulta::columna(*w, 0), (QStringList{"alfa", "beta", "gama"}));
    w->clicEncabezado(0);
    EXPECT_EQ(prueba_consulta::columna(*w, 0), (QStringList{"gama", "beta", "alfa"}));

    // Read through a second connection of its own: the same rows.
    auto u = ventana(QStringLiteral("SELECT NOMBRE, CODIGO FROM T"), [](Lib_FrmCons3& v) { v.UsarUDBC = true; });
    EXPECT_EQ(prueba_consulta::columna(*u, 1), (QStringList{"C1", "C2", "C3"}));
    u->descargar();
    EXPECT_FALSE(u->UsarUDBC);

    // A statement with its own order is left unsorted.
    auto s = ventana(QStringLiteral("SELECT NOMBRE FROM T ORDER BY N DESC"), [](Lib_FrmCons3& v) { v.OrdenarPorLwv = false; });
    EXPECT_EQ(prueba_consulta::columna(*s, 0), (QStringList{"gama", "beta", "alfa"}));
}

TEST_F(ListaConsulta, ResultadosDeAceptarYCancelar)
{
    struct Caso {
        const char* campo;
        int fila;            // -1: nothing selected
        const char* valor;
        int valores;         // what CmpsDevueltos (NOMBRE, NO_EXISTE) gave
    } casos[] = {
        {"CODIGO", 1, "C2", 1},
        {" codigo ", 2, "C3", 1},
        {"NO_EXISTE", 0, "", 1},
        {"", 0, "", 1},
        {"CODIGO", -1, "", 0},
    };
    for (const auto& c : casos) {
        auto w = ventana(QStringLiteral("SELECT NOMBRE, CODIGO FROM T"), [&](Lib_FrmCons3& v) {
            v.CampoDevuelto = QString::fromUtf8(c.campo);
            v.CmpsDevueltos = std::make_shared<consulta::Coleccion>();
            v.CmpsDevueltos->Add(ado::Variant(QStringLiteral("NOMBRE")));
            v.CmpsDevueltos->Add(ado::Variant(QStringLiteral("NO_EXISTE")));
        });
        w->seleccionarFila(c.fila);
        w->aceptar();
        EXPECT_EQ(w->result(), QDialog::Accepted);
        EXPECT_EQ(w->ValorDevuelto.toText(), QString::fromUtf8(c.valor)) << c.campo << c.fila;
        ASSERT_TRUE(w->Valores);
        ASSERT_EQ(w->Valores->Count(), c.valores) << c.campo;
        if (c.valores) {
            EXPECT_EQ(w->Valores->Item(1).toText(), w->modelo().celda(c.fila, 0));
        }
    }

    auto w = ventana(QStringLiteral("SELECT NOMBRE, CODIGO FROM T"), [](Lib_FrmCons3& v) {
        v.CampoDevuelto = QStringLiteral("CODIGO");
        v.CmpsDevueltos = std::make_shared<consulta::Coleccion>();
    });
    w->cancelar();
    EXPECT_EQ(w->result(), QDialog::Rejected);
    EXPECT_EQ(w->ValorDevuelto.toText(), QString());
    EXPECT_FALSE(w->Valores);
    EXPECT_FALSE(w->CmpsDevueltos);

    // Enter in the list accepts; Esc cancels.
    auto e = ventana(QStringLiteral("SELECT NOMBRE, CODIGO FROM T"), [](Lib_FrmCons3& v) { v.CampoDevuelto = QStringLiteral("CODIGO"); });
    e->seleccionarFila(2);
    QTest::keyClick(e->lista(), Qt::Key_Return);
    EXPECT_EQ(e->result(), QDialog::Accepted);
    EXPECT_EQ(e->ValorDevuelto.toText(), QStringLiteral("C3"));
    auto x = ventana(QStringLiteral("SELECT NOMBRE, CODIGO FROM T"));
    QTest::keyClick(x->caja(0), Qt::Key_Escape);
    EXPECT_EQ(x->result(), QDialog::Rejected);
    EXPECT_FALSE(x->Valores);
}

TEST_F(ListaConsulta, CasillasMarcadasYValoresDevueltos)
{
    auto w = ventana(QStringLiteral("SELECT NOMBRE, CODIGO FROM T"), [](Lib_FrmCons3& v) {
        v.CheckBoxes = true;
        v.CampoDevuelto = QStringLiteral("CODIGO");
        v.ValoresDefault = QStringLiteral("c1;C3");
    });
    // alfa C1, beta C2, gama C3: the keys found in ValoresDefault start checked.
    EXPECT_TRUE(w->modelo().marcada(0));
    EXPECT_FALSE(w->modelo().marcada(1));
    EXPECT_TRUE(w->modelo().marcada(2));
    EXPECT_EQ(w->modelo().data(w->modelo().index(0, 0), Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_TRUE(w->modelo().flags(w->modelo().index(0, 0)).testFlag(Qt::ItemIsUserCheckable));

    // "&Marcar" inverts; Space toggles the selected row.
    w->botonTodos()->click();
    EXPECT_FALSE(w->modelo().marcada(0));
    EXPECT_TRUE(w->modelo().marcada(1));
    w->seleccionarFila(0);
    QTest::keyClick(w->lista(), Qt::Key_Space);
    EXPECT_TRUE(w->modelo().marcada(0));

    // No CampoDevuelto: the first column of every checked row, in list order.
    w->CampoDevuelto.clear();
    w->aceptar();
    ASSERT_TRUE(w->Valores);
    ASSERT_EQ(w->Valores->Count(), 2);
    EXPECT_EQ(w->Valores->Item(1).toText(), QStringLiteral("alfa"));
    EXPECT_EQ(w->Valores->Item(2).toText(), QStringLiteral("beta"));
    EXPECT_TRUE(w->ValorDevuelto.isEmpty());
    EXPECT_EQ(w->CampoDevuelto, QStringLiteral("NOMBRE"));
}

TEST_F(ListaConsulta, ColoresDeStockEnArticulos)
{
    const QColor azul(0, 0, 255), rojo(255, 0, 0), verde(0, 255, 0), gris(0x80, 0x80, 0x80);
    auto niveles = [](Lib_FrmCons3& v) {
        v.MuestraStock = QStringLiteral("SI");
        v.StkNivel1 = ado::Variant(QStringLiteral("16711680"));   // 0xFF0000: blue in the high byte
        v.StkNivel2 = ado::Variant(int32_t(255));
        v.StkNivel3 = ado::Variant(int32_t(0x00FF00));
        v.StkNivel4 = ado::Variant(int32_t(0x808080));
    };
    auto w = ventana(QStringLiteral("SELECT IDARTICULO, DESCRIPCION, PUNTOPEDIDO, Stock FROM V_MA_ARTICULOS"), niveles);
    ASSERT_TRUE(w->EsArticulos());
    const std::pair<const char*, QColor> esperados[] = {{"A", azul}, {"B", rojo}, {"C", verde}, {"D", gris}, {"E", gris}, {"F", gris}};
    ASSERT_EQ(w->modelo().filas(), 6);
    for (int f = 0; f < 6; ++f) {
        EXPECT_EQ(w->modelo().celda(f, 0), QString::fromUtf8(esperados[f].first));
        for (int c = 0; c < 4; ++c) {
            const QModelIndex i = w->modelo().index(f, c);
            EXPECT_EQ(w->modelo().data(i, Qt::ForegroundRole).value<QColor>(), esperados[f].second) << "fila " << f << " columna " << c;
            EXPECT_TRUE(w->modelo().data(i, Qt::FontRole).value<QFont>().bold());
        }
    }

    // Without the setting, or without the stock fields, the rows are not coloured.
    auto sin = ventana(QStringLiteral("SELECT IDARTICULO, PUNTOPEDIDO, Stock FROM V_MA_ARTICULOS"), [&](Lib_FrmCons3& v) {
        niveles(v);
        v.MuestraStock = QStringLiteral("NO");
    });
    auto sinCampos = ventana(QStringLiteral("SELECT IDARTICULO, DESCRIPCION FROM V_MA_ARTICULOS"), niveles);
    for (Lib_FrmCons3* v : {sin.get(), sinCampos.get()}) {
        ASSERT_EQ(v->modelo().filas(), 6);
        EXPECT_FALSE(v->modelo().data(v->modelo().index(1, 0), Qt::ForegroundRole).isValid());
    }
    EXPECT_TRUE(op->llamadas.empty()) << op->mensajes().join(QStringLiteral(" | ")).toStdString();
}

TEST(ModeloListaConsulta, BusquedaPorComienzoSinMayusculasNiBlancos)
{
    consulta::ModeloLista m;
    m.agregarColumna(QStringLiteral("A"));
    m.agregarColumna(QStringLiteral("B"));
    std::vector<consulta::ModeloLista::Fila> filas;
    for (const char* t : {"  \u00D1and\u00FA", "Zorro", "  ", "\u00C1rbol"}) {
        consulta::ModeloLista::Fila f;
        f.celdas = {QString::fromUtf8(t)};   // column B missing: an empty cell
        filas.push_back(f);
    }
    m.agregarFilas(std::move(filas));
    const std::pair<const char*, int> casos[] = {{"\u00F1AND", 0}, {" zo ", 1}, {"z", 1}, {"\u00E1R", 3}, {"arbol", -1}, {"", 0}, {"zorros", -1}};
    for (const auto& [texto, fila] : casos) EXPECT_EQ(m.buscar(0, QString::fromUtf8(texto)), fila) << texto;
    EXPECT_EQ(m.buscar(1, QStringLiteral("x")), -1);
    EXPECT_EQ(m.buscar(1, QString()), 0);
}

}  // namespace
