// The lookup request: statements built from the definitions file or from the
// table's fields, the fixed rules, and what ConsultaSearch leaves behind.
#include "Consulta_prueba.h"

#include "lookup/Lib_FrmCons3Tree.h"

#include <QTest>

#include <QCoreApplication>
#include <QTreeView>

using consulta::ColeccionRef;
using consulta::Lib_ClsCons3;
using consulta::Lib_FrmCons3;

namespace {

const char* kEsquema =
    "CREATE TABLE VT_PROVEEDORES (ID INTEGER PRIMARY KEY, CODIGO VARCHAR(10) COLLATE NOCASE, RAZON_SOCIAL VARCHAR(60) COLLATE NOCASE,"
    "  Dada_De_Baja INTEGER);"
    "INSERT INTO VT_PROVEEDORES (CODIGO, RAZON_SOCIAL, Dada_De_Baja) VALUES ('P001', 'Zeta SA', 0), ('P002', 'Alfa SRL', 0),"
    "  ('P003', 'Baja SA', 1), ('P004', 'O''Brien e Hijos', 0);"
    "CREATE TABLE VT_MA_ARTICULOS (IDARTICULO VARCHAR(25) COLLATE NOCASE, DESCRIPCION VARCHAR(60) COLLATE NOCASE, SUSPENDIDO INTEGER);"
    "INSERT INTO VT_MA_ARTICULOS VALUES ('A1', 'Tornillo', 0), ('A2', 'Tuerca', 1);"
    "CREATE TABLE MA_PRECIOS (ID INTEGER PRIMARY KEY, CODIGO VARCHAR(10) COLLATE NOCASE, DESCRIPCION VARCHAR(40) COLLATE NOCASE, PRECIO MONEY);"
    "INSERT INTO MA_PRECIOS (CODIGO, DESCRIPCION, PRECIO) VALUES ('C1', 'Uno', 1.5);"
    "CREATE TABLE SOLO_IDS (ID INTEGER PRIMARY KEY, FECHAHORA_GRABACION DATETIME);"
    "INSERT INTO SOLO_IDS (FECHAHORA_GRABACION) VALUES ('2024-01-01 10:00:00');"
    "CREATE TABLE CO_OCompraPendientes (TC VARCHAR(2) COLLATE NOCASE, IDCOMPROBANTE VARCHAR(13) COLLATE NOCASE, CUENTA VARCHAR(10) COLLATE NOCASE);"
    "INSERT INTO CO_OCompraPendientes VALUES ('OC', '000200000010B', 'P002'), ('OC', '000100000001A', 'P001');";

class ConsultaClase : public prueba_consulta::BaseConsulta {
protected:
    void SetUp() override { preparar({}); }
    void preparar(std::initializer_list<std::pair<const char*, const char*>> cfg)
    {
        prepararBase(QString::fromUtf8(kEsquema) + prueba_consulta::configuracion(cfg));
    }
    // The default definitions, as the start-up writes them.
    void conDefiniciones(Lib_ClsCons3& c)
    {
        c.gRutaMascaraConsultas = carpeta.archivo(QStringLiteral("consultas.kxd"));
        consulta::GrabaMascarasConsultas(c.gRutaMascaraConsultas);
        c.gUsarMascarasConsultas = true;
    }
};

struct CasoSentencia {
    const char* nombre;
    bool definiciones;
    const char* sql;
    const char* where;
    const char* campoBusqueda;
    const char* esperada;
    const char* campoDevuelto;   // CampoBusqueda afterwards
    const char* whereDespues;
};

TEST_F(ConsultaClase, SentenciasArmadas)
{
    const CasoSentencia casos[] = {
        {"proveedores", true, "VT_PROVEEDORES", "", "",
         "SELECT TOP 1000 RAZON_SOCIAL,CODIGO FROM VT_PROVEEDORES  with(nolock)  WHERE Dada_De_Baja = 0 ORDER BY RAZON_SOCIAL", "RAZON_SOCIAL", ""},
        {"clientes", true, "vt_clientes", "", "",
         "SELECT TOP 1000 RAZON_SOCIAL,CODIGO,CONTACTO FROM VT_CLIENTES  with(nolock)  WHERE Dada_De_Baja = 0 ORDER BY RAZON_SOCIAL",
         "RAZON_SOCIAL", ""},
        {"articulos", true, "V_MA_ARTICULOS", "", "",
         "SELECT TOP 1000 DESCRIPCION,IDARTICULO FROM VT_MA_ARTICULOS  with(nolock)  WHERE SUSPENDIDO = 0 ORDER BY DESCRIPCION", "DESCRIPCION", ""},
        // The caller's condition replaces the suspended filter, in parentheses.
        {"articulos con condicion", true, "V_MA_ARTICULOS", "IDARTICULO = 'A1'", "",
         "SELECT TOP 1000 DESCRIPCION,IDARTICULO FROM VT_MA_ARTICULOS  with(nolock)  WHERE  (IDARTICULO = 'A1')  ORDER BY DESCRIPCION",
         "DESCRIPCION", " (IDARTICULO = 'A1') "},
        // The caller's search field is kept.
        {"campo del llamador", true, "VT_PROVEEDORES", "", "CODIGO",
         "SELECT TOP 1000 RAZON_SOCIAL,CODIGO FROM VT_PROVEEDORES  with(nolock)  WHERE Dada_De_Baja = 0 ORDER BY CODIGO", "CODIGO", ""},
        {"deposito definido", true, "V_TA_DEPOSITO", "", "",
         "SELECT TOP 1000 Descripcion,IdDeposito FROM V_TA_DEPOSITO  with(nolock)  ORDER BY Descripcion", "Descripcion", ""},
        // A complete statement: the condition is appended, no row limit.
        {"sentencia completa", true, "SELECT CODIGO FROM VT_PROVEEDORES", "CODIGO > 'P001'", "",
         "SELECT CODIGO FROM VT_PROVEEDORES WHERE  (CODIGO > 'P001') ", "", " WHERE  (CODIGO > 'P001') "},
        {"sentencia con where", false, "SELECT CODIGO FROM VT_PROVEEDORES", "WHERE CODIGO > 'P001'", "",
         "SELECT CODIGO FROM VT_PROVEEDORES WHERE CODIGO > 'P001'", "", "WHERE CODIGO > 'P001'"},
        {"sentencia de articulos", true, "SELECT * FROM V_MA_ARTICULOS", "", "", "SELECT * FROM VT_MA_ARTICULOS", "", ""},
        // From the table's fields: reverse field order, ID skipped, DESCRIPCION searched.
        {"sin definicion", true, "MA_PRECIOS", "", "", "SELECT TOP 1000 PRECIO,DESCRIPCION,CODIGO FROM MA_PRECIOS  ORDER BY DESCRIPCION",
         "DESCRIPCION", ""},
        {"sin archivo de definiciones", false, "VT_PROVEEDORES", "", "",
         "SELECT TOP 1000 Dada_De_Baja,RAZON_SOCIAL,CODIGO FROM VT_PROVEEDORES  ORDER BY CODIGO", "CODIGO", ""},
        {"campos con condicion", false, "MA_PRECIOS", "PRECIO > 1", "",
         "SELECT TOP 1000 PRECIO,DESCRIPCION,CODIGO FROM MA_PRECIOS WHERE   (PRECIO > 1)  ORDER BY DESCRIPCION", "DESCRIPCION", " (PRECIO > 1) "},
        {"deposito sin definiciones", false, "V_TA_DEPOSITO", "", "",
         "SELECT TOP 1000 Descripcion,IdDeposito,UnidadNegocio FROM V_TA_DEPOSITO  ORDER BY IDDEPOSITO", "IDDEPOSITO", ""},
        // Nothing taken and no search field: no empty ORDER BY.
        {"solo campos omitidos", false, "SOLO_IDS", "", "", "SELECT TOP 1000  *  FROM SOLO_IDS ", "", ""},
        // A one-character condition is not wrapped.
        {"condicion de un caracter", false, "MA_PRECIOS", "x", "",
         "SELECT TOP 1000 PRECIO,DESCRIPCION,CODIGO FROM MA_PRECIOS WHERE  x ORDER BY DESCRIPCION", "DESCRIPCION", "x"},
    };
    for (const auto& c : casos) {
        Lib_ClsCons3 cons;
        if (c.definiciones) conDefiniciones(cons);
        QString cb = QString::fromUtf8(c.campoBusqueda), where = QString::fromUtf8(c.where), opcional;
        const QString s = cons.ArmaConsulta(QString::fromUtf8(c.sql), cb, where, opcional);
        EXPECT_EQ(s, QString::fromUtf8(c.esperada)) << c.nombre;
        EXPECT_EQ(cb, QString::fromUtf8(c.campoDevuelto)) << c.nombre;
        EXPECT_EQ(where, QString::fromUtf8(c.whereDespues)) << c.nombre;
    }
    EXPECT_TRUE(op->llamadas.empty()) << op->mensajes().join(QStringLiteral(" | ")).toStdString();
}

TEST_F(ConsultaClase, SentenciaOpcionalEnLugarDeLosCampos)
{
    Lib_ClsCons3 cons;
    conDefiniciones(cons);
    QString cb, where, opcional = QStringLiteral("SELECT CODIGO FROM MA_PRECIOS");
    EXPECT_EQ(cons.ArmaConsulta(QStringLiteral("MA_PRECIOS"), cb, where, opcional), opcional);
}

TEST_F(ConsultaClase, LimiteDeFilasDeLaConfiguracion)
{
    struct Caso {
        const char* valor;
        const char* top;
    } casos[] = {{"25", "TOP 25 "}, {"0", "TOP 1000 "}, {"abc", "TOP 1000 "}, {"", "TOP 1000 "}, {"-5", "TOP 1000 "}};
    for (const auto& c : casos) {
        TearDown();
        prueba_consulta::reiniciarSesion();
        QFile::remove(base());
        preparar({{"TopConsArt", c.valor}});
        Lib_ClsCons3 cons;
        conDefiniciones(cons);
        QString cb, where, opcional;
        EXPECT_TRUE(cons.ArmaConsulta(QStringLiteral("VT_PROVEEDORES"), cb, where, opcional).startsWith(QStringLiteral("SELECT ") + c.top))
            << c.valor;
        cb.clear();
        EXPECT_TRUE(cons.ArmaConsulta(QStringLiteral("MA_PRECIOS"), cb, where, opcional).startsWith(QStringLiteral("SELECT ") + c.top)) << c.valor;
    }
}

TEST_F(ConsultaClase, RegistrosConRellenoYFiltroPropio)
{
    Lib_ClsCons3 cons;
    cons.gRutaMascaraConsultas = carpeta.archivo(QStringLiteral("propias.kxd"));
    cons.gUsarMascarasConsultas = true;
    // Padding of codes 0 and 255 around the table name; a filter of its own.
    QByteArray tabla = QByteArray("VT_PROVEEDORES") + QByteArray(3, '\0') + QByteArray(2, '\xFF');
    prueba_consulta::escribir(cons.gRutaMascaraConsultas,
                              prueba_consulta::registro(QStringLiteral("OTRA"), "OTRA_TABLA", QStringLiteral("|A|B|"))
                                  + prueba_consulta::registro(QStringLiteral("PROV"), tabla, QStringLiteral("|CODIGO|RAZON_SOCIAL|"),
                                                              QStringLiteral("CODIGO <> 'P001'"))
                                  + prueba_consulta::registro(QStringLiteral("UNA"), "UNA_COLUMNA", QStringLiteral("|CODIGO|")));
    QString cb, where, opcional;
    EXPECT_EQ(cons.ArmaConsulta(QStringLiteral("  vt_proveedores "), cb, where, opcional),
              QStringLiteral("SELECT TOP 1000 CODIGO,RAZON_SOCIAL FROM VT_PROVEEDORES  with(nolock)  WHERE CODIGO <> 'P001' ORDER BY CODIGO"));

    // A single column and no search field from the caller: the message, no statement.
    cb.clear();
    EXPECT_EQ(cons.ArmaConsulta(QStringLiteral("UNA_COLUMNA"), cb, where, opcional), QString());
    ASSERT_EQ(op->llamadas.size(), 1u);
    EXPECT_EQ(op->llamadas[0].texto, QStringLiteral("Debe configurar la consulta para esta tabla"));
    EXPECT_EQ(op->llamadas[0].titulo, QStringLiteral("Aviso al operador"));
    EXPECT_EQ(op->llamadas[0].botones, velmora::botones::Informacion);
    // With the caller's search field the single column is fine.
    cb = QStringLiteral("CODIGO");
    EXPECT_EQ(cons.ArmaConsulta(QStringLiteral("UNA_COLUMNA"), cb, where, opcional),
              QStringLiteral("SELECT TOP 1000 CODIGO FROM UNA_COLUMNA  with(nolock)  ORDER BY CODIGO"));
}

// --- ConsultaSearch with the window -------------------------------------------------

TEST_F(ConsultaClase, ProveedoresElegidosConSusValores)
{
    Lib_ClsCons3 cons;
    conDefiniciones(cons);
    cons.CampoDevuelto = QStringLiteral("CODIGO");
    ColeccionRef cmps = std::make_shared<consulta::Coleccion>();
    cmps->Add(ado::Variant(QStringLiteral("RAZON_SOCIAL")));
    const ColeccionRef guardada = cmps;
    QString clave = QStringLiteral("alf"), cb, where, opcional, defecto;
    bool arbol = false;
    bool visto = false;
    QString sql;
    bool ordenaLista = true;
    int filas = 0;
    prueba_consulta::alMostrarse(
        [&](Lib_FrmCons3& w) {
            sql = w.SQL;
            ordenaLista = w.OrdenarPorLwv;
            filas = w.modelo().filas();
            // The initial search text selected the matching row.
            EXPECT_EQ(w.modelo().celda(w.filaSeleccionada(), 0), QStringLiteral("Alfa SRL"));
            w.aceptar();
        },
        &visto);
    cons.ConsultaSearch(QStringLiteral("VT_PROVEEDORES"), cmps, clave, cb, where, opcional, arbol, defecto);
    ASSERT_TRUE(visto);
    EXPECT_TRUE(sql.startsWith(QStringLiteral("SELECT TOP 1000 RAZON_SOCIAL,CODIGO FROM VT_PROVEEDORES")));
    EXPECT_FALSE(ordenaLista);   // the statement orders itself
    EXPECT_EQ(filas, 3);         // the removed supplier is not listed
    EXPECT_EQ(cons.ValorDevuelto.toText(), QStringLiteral("P002"));
    ASSERT_TRUE(cons.Valores);
    ASSERT_EQ(cons.Valores->Count(), 1);
    EXPECT_EQ(cons.Valores->Item(1).toText(), QStringLiteral("Alfa SRL"));
    EXPECT_EQ(cb, QStringLiteral("RAZON_SOCIAL"));
    // One lookup only: the caller's collection is emptied and its variable is nothing.
    EXPECT_TRUE(cons.CampoDevuelto.isEmpty());
    EXPECT_FALSE(cmps);
    EXPECT_EQ(guardada->Count(), 0);
    EXPECT_FALSE(cons.Checks);
}

TEST_F(ConsultaClase, CancelarNoDevuelveNada)
{
    Lib_ClsCons3 cons;
    conDefiniciones(cons);
    cons.CampoDevuelto = QStringLiteral("CODIGO");
    cons.ValorDevuelto = ado::Variant(QStringLiteral("anterior"));
    ColeccionRef cmps;
    QString clave, cb, where, opcional, defecto;
    bool arbol = false;
    prueba_consulta::alMostrarse([](Lib_FrmCons3& w) { w.cancelar(); });
    cons.ConsultaSearch(QStringLiteral("VT_PROVEEDORES"), cmps, clave, cb, where, opcional, arbol, defecto);
    EXPECT_EQ(cons.ValorDevuelto.toText(), QString());
    EXPECT_FALSE(cons.Valores);
    EXPECT_TRUE(cons.CampoDevuelto.isEmpty());
}

TEST_F(ConsultaClase, DefinicionIncompletaNoMuestraVentana)
{
    Lib_ClsCons3 cons;
    cons.gRutaMascaraConsultas = carpeta.archivo(QStringLiteral("propias.kxd"));
    cons.gUsarMascarasConsultas = true;
    prueba_consulta::escribir(cons.gRutaMascaraConsultas, prueba_consulta::registro(QStringLiteral("UNA"), "VT_PROVEEDORES", QStringLiteral("|CODIGO|")));
    cons.CampoDevuelto = QStringLiteral("CODIGO");
    ColeccionRef cmps = std::make_shared<consulta::Coleccion>();
    cmps->Add(ado::Variant(QStringLiteral("RAZON_SOCIAL")));
    QString clave, cb, where, opcional, defecto;
    bool arbol = false;
    bool visto = false;
    prueba_consulta::alMostrarse([](Lib_FrmCons3&) {}, &visto);
    cons.ConsultaSearch(QStringLiteral("VT_PROVEEDORES"), cmps, clave, cb, where, opcional, arbol, defecto);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_FALSE(visto);
    ASSERT_EQ(op->mensajes().size(), 1);
    EXPECT_EQ(op->mensajes()[0], QStringLiteral("Debe configurar la consulta para esta tabla"));
    EXPECT_EQ(cons.CampoDevuelto, QStringLiteral("CODIGO"));
    ASSERT_TRUE(cmps);
    EXPECT_EQ(cmps->Count(), 1);
}

TEST_F(ConsultaClase, SeleccionMultipleEmpiezaSinMarcas)
{
    Lib_ClsCons3 cons;
    conDefiniciones(cons);
    cons.CampoDevuelto = QStringLiteral("CODIGO");
    cons.Checks = true;
    ColeccionRef cmps;
    QString clave, cb, where, opcional, defecto = QStringLiteral("P001;P002");
    bool arbol = false;
    int marcadasAlAbrir = -1;
    prueba_consulta::alMostrarse([&](Lib_FrmCons3& w) {
        marcadasAlAbrir = 0;
        for (int f = 0; f < w.modelo().filas(); ++f) marcadasAlAbrir += w.modelo().marcada(f) ? 1 : 0;
        // Rows: Alfa SRL (P002), O'Brien (P004), Zeta SA (P001).
        w.modelo().marcar(1, true);
        w.modelo().marcar(2, true);
        w.aceptar();
    });
    cons.ConsultaSearch(QStringLiteral("VT_PROVEEDORES"), cmps, clave, cb, where, opcional, arbol, defecto);
    EXPECT_EQ(marcadasAlAbrir, 0);
    ASSERT_TRUE(cons.Valores);
    ASSERT_EQ(cons.Valores->Count(), 2);
    EXPECT_EQ(cons.Valores->Item(1).toText(), QStringLiteral("P004"));
    EXPECT_EQ(cons.Valores->Item(2).toText(), QStringLiteral("P001"));
    EXPECT_FALSE(cons.Checks);
}

TEST_F(ConsultaClase, OrdenesPendientesOrdenadasPorLaLista)
{
    Lib_ClsCons3 cons;
    conDefiniciones(cons);
    cons.CampoDevuelto = QStringLiteral("IDCOMPROBANTE");
    ColeccionRef cmps;
    QString clave, cb, where, opcional, defecto;
    bool arbol = false;
    bool ordena = false;
    QString primera;
    prueba_consulta::alMostrarse([&](Lib_FrmCons3& w) {
        ordena = w.OrdenarPorLwv;
        w.seleccionarFila(0);
        primera = w.modelo().celda(0, 1);
        w.aceptar();
    });
    cons.ConsultaSearch(QStringLiteral("SELECT TOP 1000 TC, IDCOMPROBANTE, CUENTA FROM CO_OCompraPendientes "), cmps, clave, cb, where, opcional,
                        arbol, defecto);
    EXPECT_TRUE(ordena);
    EXPECT_EQ(cons.ValorDevuelto.toText(), primera);
    EXPECT_EQ(cons.ValorDevuelto.toText().size(), 13);
}

TEST_F(ConsultaClase, ConArbolSeMuestraLaVentanaDeArbol)
{
    Lib_ClsCons3 cons;
    conDefiniciones(cons);
    cons.CampoDevuelto = QStringLiteral("CODIGO");
    cons.Checks = true;
    ColeccionRef cmps = std::make_shared<consulta::Coleccion>();
    QString clave, cb, where, opcional, defecto;
    bool arbol = true, visto = false, esArbol = false;
    prueba_consulta::alMostrarse([](Lib_FrmCons3&) {}, &visto);
    QTimer::singleShot(0, [&] {
        QWidget* w = QApplication::activeModalWidget();
        esArbol = qobject_cast<consulta::Lib_FrmCons3Tree*>(w) != nullptr;
        if (w) QTest::keyClick(w, Qt::Key_Escape);
    });
    cons.ConsultaSearch(QStringLiteral("VT_PROVEEDORES"), cmps, clave, cb, where, opcional, arbol, defecto);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_TRUE(esArbol);
    EXPECT_FALSE(visto);
    EXPECT_EQ(cons.ValorDevuelto, ado::Variant(""));
    EXPECT_FALSE(cons.Checks);
    EXPECT_TRUE(cons.CampoDevuelto.isEmpty());
    EXPECT_FALSE(cmps);
}

// --- Plain pick lists ---------------------------------------------------------------

TEST_F(ConsultaClase, ListasSimplesSinBase)
{
    Lib_ClsCons3 cons;
    ColeccionRef cmps;
    int filas = 0;
    bool nuevaVisible = true;
    prueba_consulta::alMostrarse([&](Lib_FrmCons3& w) {
        filas = w.modelo().filas();
        nuevaVisible = w.botonNueva()->isVisibleTo(&w);
        // Sorted: Dos, Tres, Uno; Tres and Uno come pre-checked.
        EXPECT_EQ(w.modelo().celda(0, 0), QStringLiteral("Dos"));
        EXPECT_FALSE(w.modelo().marcada(0));
        w.modelo().marcar(0, true);
        w.modelo().marcar(2, false);
        w.aceptar();
    });
    cons.CheckOpciones(QStringLiteral("Opciones"), cmps, {QStringLiteral("1Uno"), QStringLiteral("0Dos"), QStringLiteral("1Tres")});
    EXPECT_EQ(filas, 3);
    EXPECT_FALSE(nuevaVisible);
    ASSERT_TRUE(cons.Valores);
    ASSERT_EQ(cons.Valores->Count(), 2);
    EXPECT_EQ(cons.Valores->Item(1).toText(), QStringLiteral("Dos"));
    EXPECT_EQ(cons.Valores->Item(2).toText(), QStringLiteral("Tres"));

    prueba_consulta::alMostrarse([&](Lib_FrmCons3& w) {
        w.caja(0)->setEditText(QStringLiteral("ro"));
        w.aceptar();
    });
    EXPECT_EQ(cons.MenuOpciones(QStringLiteral("Menu"), {QStringLiteral("Primero"), QStringLiteral("Segundo"), QStringLiteral("Rojo")}),
              QStringLiteral("Rojo"));

    const QString archivo = carpeta.archivo(QStringLiteral("lineas.txt"));
    prueba_consulta::escribir(archivo, QByteArray("Linea uno\r\nL\xEDnea dos\r\n"));
    prueba_consulta::alMostrarse([&](Lib_FrmCons3& w) {
        filas = w.modelo().filas();
        w.caja(0)->setEditText(QStringLiteral("L\u00EDnea"));
        w.aceptar();
    });
    EXPECT_EQ(cons.ConsultaDesdeArchivo(QStringLiteral("Archivo"), archivo), QStringLiteral("L\u00EDnea dos"));
    EXPECT_EQ(filas, 2);

    op->llamadas.clear();
    const QString falta = carpeta.archivo(QStringLiteral("no_esta.txt"));
    EXPECT_EQ(cons.ConsultaDesdeArchivo(QStringLiteral("Archivo"), falta), QString());
    ASSERT_EQ(op->llamadas.size(), 1u);
    EXPECT_EQ(op->llamadas[0].texto, QStringLiteral("No existe el archivo ") + falta + QStringLiteral(" que desea consultar consulta "));
    EXPECT_EQ(op->llamadas[0].titulo, QString());
}

}  // namespace
