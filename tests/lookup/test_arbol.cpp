// The tree lookup window on a real embedded database.
#include "soporte/Sesion_prueba.h"
#include "lookup/Lib_FrmCons3Tree.h"

#include <QComboBox>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

using consulta::Lib_FrmCons3Tree;

namespace {

const char* kEsquema =
    "CREATE TABLE V_TA_FAMILIAS (ID INTEGER PRIMARY KEY, IdFamilia VARCHAR(10) COLLATE NOCASE NOT NULL,"
    "  Descripcion VARCHAR(60) COLLATE NOCASE, Confidencial BIT NOT NULL DEFAULT 0);"
    "CREATE TABLE MA_POSICIONES (ID INTEGER PRIMARY KEY, IDPOSICION VARCHAR(15) COLLATE NOCASE NOT NULL, DESCRIPCION VARCHAR(80) COLLATE NOCASE);"
    "CREATE TABLE TA_CCOSTO (ID INTEGER PRIMARY KEY, CODIGO VARCHAR(15) COLLATE NOCASE NOT NULL, DESCRIPCION VARCHAR(60) COLLATE NOCASE);"
    "CREATE TABLE MA_CUENTAS (ID INTEGER PRIMARY KEY, CODIGO VARCHAR(15) COLLATE NOCASE NOT NULL, DESCRIPCION VARCHAR(60) COLLATE NOCASE);"
    // Rows of the automatic tree, in the order ORDEN gives.
    "CREATE TABLE ARBOL (ORDEN INT, CODIGO VARCHAR(15) COLLATE NOCASE, DESCRIPCION VARCHAR(60) COLLATE NOCASE);"
    "INSERT INTO V_TA_FAMILIAS (IdFamilia, Descripcion) VALUES ('02', 'Pinturas'), ('0101', 'Tornillos'), ('01', 'Ferreteria'),"
    "  ('0201', 'Latex'), ('0102', 'Herramientas'), ('', 'Sin familia');"
    "INSERT INTO MA_POSICIONES (IDPOSICION, DESCRIPCION) VALUES ('P1', 'Importacion'), ('P11', 'Importacion de insumos'), ('P2', 'Exportacion');"
    // The same code in both tables, told apart by the trailing blank the key test trims.
    "INSERT INTO TA_CCOSTO (CODIGO, DESCRIPCION) VALUES ('100', 'Administracion');"
    "INSERT INTO MA_CUENTAS (CODIGO, DESCRIPCION) VALUES ('100 ', 'Caja'), ('200 ', 'Banco');";

// The tree as text: key(children...) in tree order.
QString estructura(const QTreeWidgetItem* n)
{
    QString s = Lib_FrmCons3Tree::Clave(n);
    if (n->childCount() == 0) return s;
    QStringList hijos;
    for (int i = 0; i < n->childCount(); ++i) hijos << estructura(n->child(i));
    return s + QLatin1Char('(') + hijos.join(QLatin1Char(',')) + QLatin1Char(')');
}
QString estructura(const Lib_FrmCons3Tree& f)
{
    QStringList raices;
    for (int i = 0; i < f.TreeV()->topLevelItemCount(); ++i) raices << estructura(f.TreeV()->topLevelItem(i));
    return raices.join(QLatin1Char(';'));
}

class Arbol : public ::testing::Test {
protected:
    void SetUp() override
    {
        prueba::reiniciarSesion();
        prueba::ejecutarSqlite(carpeta.archivo("base.db"), QString::fromUtf8(kEsquema));
        prueba::conectarSesion(QStringLiteral("base"));
        datos::gDB().gEsAdmin = true;
    }
    void TearDown() override { prueba::reiniciarSesion(); }

    // Replaces the rows of ARBOL by codes in the given order (description "D" + code).
    void filas(const QStringList& codigos, const QStringList& descripciones = {})
    {
        QString sql = QStringLiteral("DELETE FROM ARBOL;");
        for (int i = 0; i < codigos.size(); ++i) {
            const QString d = i < descripciones.size() ? descripciones[i] : QStringLiteral("D") + codigos[i];
            sql += QStringLiteral("INSERT INTO ARBOL VALUES (%1, '%2', '%3');").arg(i).arg(codigos[i], QString(d).replace(QLatin1Char('\''), QStringLiteral("''")));
        }
        prueba::ejecutarSqlite(carpeta.archivo("base.db"), sql);
    }
    // A window on sql, loaded by being shown.
    std::unique_ptr<Lib_FrmCons3Tree> ventana(const QString& sql, const QString& campo = QString(), bool checks = false)
    {
        auto f = std::make_unique<Lib_FrmCons3Tree>();
        f->SQL = sql;
        f->CampoDevuelto = campo;
        f->CheckBoxes = checks;
        f->show();
        return f;
    }
    static QString consultaArbol() { return QStringLiteral("SELECT CODIGO, DESCRIPCION FROM ARBOL ORDER BY ORDEN"); }

    prueba::CarpetaTemporal carpeta;
    prueba::OperadorDePrueba op;
};

TEST_F(Arbol, FamiliasConSuConsultaYSusPadres)
{
    const QString traza = carpeta.archivo("traza.jsonl");
    qputenv("PERMUTAL_TRAZA_SQL", QFile::encodeName(traza));
    auto f = ventana(QStringLiteral("SELECT IdFamilia, Descripcion FROM V_TA_FAMILIAS ORDER BY IdFamilia"), QStringLiteral("IDFAMILIA"));
    qunsetenv("PERMUTAL_TRAZA_SQL");

    EXPECT_EQ(f->windowTitle(), QStringLiteral("Consulta..."));
    EXPECT_EQ(estructura(*f), QStringLiteral("A(A01(A0101,A0102),A02(A0201))"));
    EXPECT_EQ(f->Nodo(QStringLiteral("A"))->text(0), QStringLiteral("Consulta..."));
    EXPECT_TRUE(f->Nodo(QStringLiteral("A"))->isExpanded());
    EXPECT_EQ(f->Nodo(QStringLiteral("A0101"))->text(0), QStringLiteral("0101 - Tornillos"));

    // The statement reached the engine as written, only the marker gone.
    const QString enviada = QStringLiteral(
        "SELECT     TOP 100 PERCENT IdFamilia, Descripcion, (SELECT     TOP 1 idfamilia FROM v_ta_familias a   Where a.IdFamilia < b.IdFamilia "
        "And (Len(LTrim(RTrim(a.IdFamilia))) < Len(LTrim(RTrim(b.IdFamilia))))  ORDER BY idfamilia DESC) AS [relative] FROM dbo.V_TA_FAMILIAS b "
        "Where IdFamilia<>'' ORDER BY IdFamilia");
    EXPECT_EQ(f->SQL, enviada);
    EXPECT_EQ(Lib_FrmCons3Tree::ConsultaFamilias(), QString(enviada).replace(QStringLiteral("FROM v_ta"), QStringLiteral("FROM @Admin_v_ta")));
    QFile t(traza);
    ASSERT_TRUE(t.open(QIODevice::ReadOnly));
    int vistas = 0;
    for (const QByteArray& linea : t.readAll().split('\n')) {
        if (linea.isEmpty()) continue;
        const QJsonObject o = QJsonDocument::fromJson(linea).object();
        if (o.value(QStringLiteral("sql")).toString() == enviada) {
            ++vistas;
            EXPECT_TRUE(o.value(QStringLiteral("error")).isNull()) << o.value(QStringLiteral("error")).toString().toStdString();
        }
    }
    EXPECT_EQ(vistas, 1);
    EXPECT_TRUE(op->llamadas.empty());
}

TEST_F(Arbol, FamiliaSinSuPadreRealVaBajoElMenorMasCorto)
{
    prueba::ejecutarSqlite(carpeta.archivo("base.db"), "DELETE FROM V_TA_FAMILIAS WHERE IdFamilia LIKE '02%';"
                                                        "INSERT INTO V_TA_FAMILIAS (IdFamilia, Descripcion) VALUES ('0301', 'Huerfana');");
    auto f = ventana(QStringLiteral("V_TA_FAMILIAS"));
    EXPECT_EQ(estructura(*f), QStringLiteral("A(A01(A0101,A0102,A0301))"));
}

TEST_F(Arbol, AutomaticoDesdeLosCodigos)
{
    struct Caso {
        QStringList codigos;
        const char* arbol;
    } casos[] = {
        {{"1", "11", "111", "12", "10"}, "A(A1(A11(A111),A12,A10))"},
        // A child before its parent stays where it landed.
        {{"11", "1", "111", "12"}, "A(A11(A111),A1(A12))"},
        // Prefixes ignore letter case.
        {{"AB", "ab1", "Ab12", "B"}, "A(AAB(Aab1(AAb12)),AB)"},
        {{}, "A"},
    };
    for (const auto& c : casos) {
        filas(c.codigos);
        auto f = ventana(consultaArbol());
        EXPECT_EQ(estructura(*f), QString::fromUtf8(c.arbol)) << c.codigos.join(QLatin1Char(',')).toStdString();
    }
    EXPECT_TRUE(op->llamadas.empty());
}

TEST_F(Arbol, CodigoRepetidoVaAlReportador)
{
    struct Caso {
        int respuesta;
        const char* arbol;
    } casos[] = {
        {velmora::respuesta::Omitir, "A(A1,A2)"},
        {velmora::respuesta::Anular, "A(A1)"},
    };
    filas({"1", "1", "2"});
    for (const auto& c : casos) {
        op->llamadas.clear();
        op->respuestas = {c.respuesta};
        auto f = ventana(consultaArbol());
        EXPECT_EQ(estructura(*f), QString::fromUtf8(c.arbol));
        ASSERT_EQ(op->llamadas.size(), 1u);
        EXPECT_TRUE(op->llamadas[0].titulo.endsWith(QStringLiteral(" - ArmarTreeVAutomatico Aviso al operador!!! - 2 ")))
            << op->llamadas[0].titulo.toStdString();
        EXPECT_TRUE(op->llamadas[0].texto.startsWith(QStringLiteral("Ha ocurrido el Siguiente Error (35602)")));
    }
}

TEST_F(Arbol, BusquedaPorCodigoODescripcionCortandoEnElPrimerGuion)
{
    filas({"10", "20", "30"}, {"Caja - Fondo fijo", "Fondo comun", "Banco"});
    auto f = ventana(consultaArbol());
    QLineEdit* caja = f->CmbSearch()->lineEdit();
    const auto elegido = [&] { return Lib_FrmCons3Tree::Clave(f->TreeV()->currentItem()); };
    struct Caso {
        const char* tecleado;
        const char* clave;
    } casos[] = {
        {"fondo", "A20"},   // "10 - Caja - Fondo fijo" splits as "10" / "Caja - Fondo fijo"
        {"caja - f", "A10"},
        {"3", "A30"},
        {"3zzz", "A30"},    // no match: the selection stays
        {"", "A"},
    };
    for (const auto& c : casos) {
        // Typed on top of what is there, so only the last letters count.
        const QString t = QString::fromUtf8(c.tecleado);
        if (!caja->text().isEmpty() && t.startsWith(caja->text()) && !t.isEmpty()) {
            QTest::keyClicks(caja, t.mid(caja->text().size()));
        } else {
            caja->setText(t.left(1));
            QTest::keyClicks(caja, t.mid(1));
        }
        EXPECT_EQ(elegido(), QString::fromUtf8(c.clave)) << c.tecleado;
    }
    // The arrows send the operator to the tree.
    caja->setFocus();
    QTest::keyClick(caja, Qt::Key_Down);
    EXPECT_EQ(f->focusWidget(), f->TreeV());
}

TEST_F(Arbol, F5FiltraPorDescripcionYReconstruye)
{
    filas({"1", "2", "3"}, {"Caja d'Oro", "Banco", "Caja chica"});
    auto f = ventana(consultaArbol());
    QLineEdit* caja = f->CmbSearch()->lineEdit();
    QTest::keyClicks(caja, QStringLiteral("d'o"));
    QTest::keyClick(caja, Qt::Key_F5);
    EXPECT_EQ(f->SQL, QStringLiteral("SELECT CODIGO, DESCRIPCION FROM ARBOL  where Descripcion like '%d''o%' ORDER BY ORDEN"));
    EXPECT_EQ(estructura(*f), QStringLiteral("A(A1)"));
    EXPECT_TRUE(f->CmbSearch()->currentText().isEmpty());
    // A second filter joins with "and"; without ORDER BY the whole statement is the head.
    f->SQL = QStringLiteral("SELECT CODIGO, DESCRIPCION FROM ARBOL WHERE ORDEN >= 0");
    QTest::keyClicks(caja, QStringLiteral("caja"));
    QTest::keyClick(caja, Qt::Key_F5);
    EXPECT_EQ(f->SQL, QStringLiteral("SELECT CODIGO, DESCRIPCION FROM ARBOL WHERE ORDEN >= 0 and Descripcion like '%caja%' "));
    EXPECT_EQ(estructura(*f), QStringLiteral("A(A1,A3)"));
    EXPECT_TRUE(op->llamadas.empty());

    // The family tree only refreshes.
    auto familias = ventana(QStringLiteral("V_TA_FAMILIAS"));
    QTest::keyClicks(familias->CmbSearch()->lineEdit(), QStringLiteral("Latex"));
    QTest::keyClick(familias->CmbSearch()->lineEdit(), Qt::Key_F5);
    EXPECT_EQ(estructura(*familias), QStringLiteral("A(A01(A0101,A0102),A02(A0201))"));
    EXPECT_TRUE(op->llamadas.empty());
}

TEST_F(Arbol, TildarBajaSeisNiveles)
{
    filas({"1", "12", "123", "1234", "12345", "123456", "1234567", "12345678", "123456789"});
    auto f = ventana(consultaArbol(), QStringLiteral("CODIGO"), true);
    const auto estado = [&](const char* codigo) { return f->Nodo(QStringLiteral("A") + QLatin1String(codigo))->checkState(0); };
    f->Nodo(QStringLiteral("A1"))->setCheckState(0, Qt::Checked);
    for (const char* c : {"12", "123", "1234", "12345", "123456", "1234567"}) EXPECT_EQ(estado(c), Qt::Checked) << c;
    EXPECT_EQ(estado("12345678"), Qt::Unchecked);
    EXPECT_EQ(estado("123456789"), Qt::Unchecked);

    f->Nodo(QStringLiteral("A12345678"))->setCheckState(0, Qt::Checked);
    EXPECT_EQ(estado("123456789"), Qt::Checked);
    f->Nodo(QStringLiteral("A1"))->setCheckState(0, Qt::Unchecked);
    for (const char* c : {"12", "123", "1234", "12345", "123456", "1234567"}) EXPECT_EQ(estado(c), Qt::Unchecked) << c;
    EXPECT_EQ(estado("12345678"), Qt::Checked);
    EXPECT_EQ(estado("123456789"), Qt::Checked);

    // Multiple choice by CODIGO: the trimmed codes of the ticked nodes, in tree order.
    f->CmdAceptar()->click();
    ASSERT_TRUE(f->Valores);
    QStringList v;
    for (const auto& x : f->Valores->valores()) v << x.toText();
    EXPECT_EQ(v, (QStringList{"12345678", "123456789"}));
    EXPECT_FALSE(f->isVisible());
}

TEST_F(Arbol, AceptarResuelveElCodigoSegunElCampo)
{
    struct Caso {
        const char* sql;
        const char* campo;
        const char* clave;     // selected node
        ado::Variant esperado;
    } casos[] = {
        {"V_TA_FAMILIAS", "IDFAMILIA", "A0101", ado::Variant("0101")},
        {"V_TA_FAMILIAS", "idFamilia", "A", ado::Variant("")},   // the root: the empty code is not found
        {"SELECT IDPOSICION, DESCRIPCION FROM MA_POSICIONES ORDER BY IDPOSICION", "IDPOSICION", "AP11", ado::Variant("P11")},
        {"SELECT CODIGO, DESCRIPCION FROM MA_CUENTAS ORDER BY CODIGO", "CODIGO", "A100 ", ado::Variant("100")},   // cost centre first
        {"SELECT CODIGO, DESCRIPCION FROM MA_CUENTAS ORDER BY CODIGO", "CODIGO", "A200 ", ado::Variant("200 ")},  // then the accounts
        {"SELECT 'X9', 'Nada'", "CODIGO", "AX9", ado::Variant("")},
        {"SELECT CODIGO, DESCRIPCION FROM MA_CUENTAS ORDER BY CODIGO", "DESCRIPCION", "A100 ", ado::Variant("previo")},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.clave);
        auto f = ventana(QString::fromUtf8(c.sql), QString::fromUtf8(c.campo));
        f->ValorDevuelto = ado::Variant("previo");
        QTreeWidgetItem* n = f->Nodo(QString::fromUtf8(c.clave));
        ASSERT_TRUE(n) << estructura(*f).toStdString();
        f->TreeV()->setCurrentItem(n);
        f->CmdAceptar()->click();
        EXPECT_EQ(f->ValorDevuelto, c.esperado) << f->ValorDevuelto.toText().toStdString();
        EXPECT_EQ(f->ValorDevuelto.tipo(), ado::Variant::Tipo::Text);
        EXPECT_FALSE(f->isVisible());
    }
    EXPECT_TRUE(op->llamadas.empty()) << op->mensajes().join(QLatin1Char('|')).toStdString();
}

TEST_F(Arbol, AceptarMultipleConLaRaizYConPosiciones)
{
    auto familias = ventana(QStringLiteral("V_TA_FAMILIAS"), QStringLiteral("IDFAMILIA"), true);
    familias->Nodo(QStringLiteral("A"))->setCheckState(0, Qt::Checked);
    familias->CmdAceptar()->click();
    QStringList v;
    for (const auto& x : familias->Valores->valores()) v << x.toText();
    EXPECT_EQ(v, (QStringList{"", "01", "0101", "0102", "02", "0201"}));

    // Positions: only those found in MA_POSICIONES are returned, with the field's value.
    filas({"P1", "P3", "P11"});
    auto posiciones = ventana(consultaArbol(), QStringLiteral("IdPosicion"), true);
    posiciones->Nodo(QStringLiteral("AP1"))->setCheckState(0, Qt::Checked);   // ticks P11 too
    posiciones->Nodo(QStringLiteral("AP3"))->setCheckState(0, Qt::Checked);
    posiciones->ValorDevuelto = ado::Variant("previo");
    posiciones->CmdAceptar()->click();
    v.clear();
    for (const auto& x : posiciones->Valores->valores()) v << x.toText();
    EXPECT_EQ(v, (QStringList{"P1", "P11"}));
    EXPECT_EQ(posiciones->ValorDevuelto, ado::Variant("previo"));
    EXPECT_TRUE(op->llamadas.empty());
}

TEST_F(Arbol, AceptarSinNodoElegidoVaAlReportador)
{
    filas({"1"});
    auto f = ventana(consultaArbol(), QStringLiteral("CODIGO"));
    f->TreeV()->setCurrentItem(nullptr);
    op->respuestas = {velmora::respuesta::Anular};
    f->CmdAceptar()->click();
    ASSERT_EQ(op->llamadas.size(), 1u);
    EXPECT_TRUE(op->llamadas[0].titulo.endsWith(QStringLiteral(" - HScroll1_Change Aviso al operador!!! - 2 ")));
    EXPECT_TRUE(f->isVisible());
}

TEST_F(Arbol, CancelarYEsc)
{
    filas({"1"});
    for (bool conEsc : {false, true}) {
        auto f = ventana(consultaArbol(), QStringLiteral("CODIGO"));
        f->ValorDevuelto = ado::Variant("previo");
        ASSERT_TRUE(f->Valores);
        if (conEsc)
            QTest::keyClick(f->TreeV(), Qt::Key_Escape);
        else
            f->CmdCancelar()->click();
        EXPECT_EQ(f->ValorDevuelto, ado::Variant(""));
        EXPECT_EQ(f->ValorDevuelto.tipo(), ado::Variant::Tipo::Text);
        EXPECT_FALSE(f->Valores);
        EXPECT_FALSE(f->isVisible());
    }
}

TEST_F(Arbol, TeclasSinRaton)
{
    filas({"1", "11", "2"});
    struct Caso {
        const char* boton;
        bool sigueAbierto;
    } casos[] = {{"CmdCancelar", false}, {"CmdNueva", true}, {"CmdAceptar", false}};
    for (const auto& c : casos) {
        SCOPED_TRACE(c.boton);
        auto f = ventana(consultaArbol(), QStringLiteral("CODIGO"));
        ASSERT_TRUE(QTest::qWaitForWindowActive(f.get()));
        // Typing finds a node: the keyboard starts in the search box.
        EXPECT_TRUE(f->CmbSearch()->hasFocus());
        prueba::teclear(QStringLiteral("11"));
        ASSERT_EQ(Lib_FrmCons3Tree::Clave(f->TreeV()->currentItem()), QStringLiteral("A11"));
        auto* boton = f->findChild<QPushButton*>(QString::fromUtf8(c.boton));
        ASSERT_TRUE(boton);
        ASSERT_TRUE(prueba::tabularHasta(boton));
        prueba::tecla(Qt::Key_Return);
        EXPECT_EQ(f->isVisible(), c.sigueAbierto);
        if (boton == f->CmdCancelar()) {
            EXPECT_EQ(f->ValorDevuelto, ado::Variant(""));
            EXPECT_FALSE(f->Valores);
        } else if (boton == f->CmdAceptar()) {
            EXPECT_EQ(f->result(), QDialog::Accepted);
        } else {
            EXPECT_EQ(estructura(*f), QStringLiteral("A(A1(A11),A2)"));
            EXPECT_TRUE(f->ValorDevuelto.isEmpty());
        }
        f->hide();
    }
    EXPECT_TRUE(op->llamadas.empty());
}

TEST_F(Arbol, NuevaBusquedaReconstruyeSinTocarLaCaja)
{
    filas({"1", "2"});
    auto f = ventana(consultaArbol(), QStringLiteral("CODIGO"), true);
    f->Nodo(QStringLiteral("A1"))->setCheckState(0, Qt::Checked);
    const consulta::ColeccionRef antes = f->Valores;
    f->CmbSearch()->setEditText(QStringLiteral("2"));
    filas({"1", "2", "3"});
    f->CmdNueva()->click();
    EXPECT_EQ(estructura(*f), QStringLiteral("A(A1,A2,A3)"));
    EXPECT_EQ(f->Nodo(QStringLiteral("A1"))->checkState(0), Qt::Unchecked);
    EXPECT_EQ(f->Valores, antes);
    EXPECT_EQ(f->CmbSearch()->currentText(), QStringLiteral("2"));
}

TEST_F(Arbol, MostrarArbolModalDevuelveLaEleccion)
{
    filas({"P1", "P2"});
    // The operator picks P2 and presses Enter.
    QTimer::singleShot(0, [] {
        auto* f = qobject_cast<Lib_FrmCons3Tree*>(QApplication::activeModalWidget());
        ASSERT_TRUE(f);
        f->CmbSearch()->lineEdit()->setFocus();
        QTest::keyClicks(f->CmbSearch()->lineEdit(), QStringLiteral("p2"));
        QTest::keyClick(f->CmbSearch()->lineEdit(), Qt::Key_Return);
    });
    ado::Variant valor;
    consulta::ColeccionRef valores;
    consulta::mostrarArbol(consultaArbol(), QStringLiteral("IDPOSICION"), false, valor, valores);
    EXPECT_EQ(valor, ado::Variant("P2"));
    ASSERT_TRUE(valores);
    EXPECT_EQ(valores->Count(), 0);

    QTimer::singleShot(0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
    consulta::mostrarArbol(consultaArbol(), QStringLiteral("IDPOSICION"), false, valor, valores);
    EXPECT_EQ(valor, ado::Variant(""));
    EXPECT_FALSE(valores);
}

}  // namespace
