// The main window on the demo company held by the TDS test server (SQL Server
// through FreeTDS): a whole operator session, and the server going away and
// coming back under a check, a list and the save.
#include "SqlServer_prueba.h"

#include "app/FrmPermutal_prueba.h"
#include "app/Inicio.h"
#include "data/Guiones.h"
#include "lookup/Lib_FrmCons3.h"

#include <QComboBox>
#include <QTimer>
#include <QTreeView>

using namespace prueba;

namespace {

constexpr int kInformacionOK = 64;

class VentanaSqlServer : public VentanaPrueba {
protected:
    VentanaSqlServer() : servidor(guionDemo()) {}
    void SetUp() override
    {
        ASSERT_TRUE(servidor.enMarcha()) << servidor.fallo().toStdString();
        VentanaPrueba::SetUp();
        anterior_ = velmora::instalarOperador(tds);
        // The session moves from the embedded file to the server, as the menu would start it.
        datos::DB_Dll& db = datos::gDB();
        reiniciarBase(db);
        db.gServidor = QStringLiteral("127.0.0.1,%1").arg(servidor.puerto());
        db.gDBName = servidor.base();
        db.gUsuario = servidor.usuario();
        db.gUserPassWord = servidor.clave();
        db.OpenServerADODB(false, 3, QString(), false, true);
        ASSERT_TRUE(db.gOpenFlag);
        app::gConsulta().gConnString = db.gConnString;
        vaciarTraza();
    }
    void TearDown() override
    {
        velmora::instalarOperador(anterior_);
        velmora::fijarTerminacion({});
        VentanaPrueba::TearDown();
    }
    QString enServidor(const QString& sql, const QStringList& valores = {}) const
    {
        return filasSqlite(servidor.archivo(), sql, valores).join(QLatin1Char(';'));
    }
    // The server drops every link and refuses new ones until the operator is asked.
    void perderServidorHastaLaPregunta(int pasar = 0)
    {
        ASSERT_TRUE(servidor.cortar());
        ASSERT_TRUE(servidor.rechazar());
        tds->acciones.push_back({kPerdida, [this] { EXPECT_TRUE(servidor.aceptar()); }, pasar});
    }
    int ejecucionesCorrectas(const QString& empieza) const
    {
        int n = 0;
        for (const Sentencia& x : sentencias())
            if (x.op == QLatin1String("execute") && x.sql.startsWith(empieza) && x.error.isEmpty()) ++n;
        return n;
    }

    ServidorTds servidor;
    std::shared_ptr<OperadorConAcciones> tds = std::make_shared<OperadorConAcciones>();

private:
    std::shared_ptr<velmora::Operador> anterior_;
};

TEST_F(VentanaSqlServer, SesionCompletaEnElServidor)
{
    const QString id = kOcRecibidaSola;
    escribirOC(id);
    ASSERT_TRUE(proveedor()->hasFocus());
    EXPECT_EQ(ventana->lblDatos()->text(), QStringLiteral("Proveedor Actual: (P00025) Vidriería Tucumana S.R.L."));
    // F5 in the supplier field: the list from the server, searched by name.
    conLista([&] { QTest::keyClick(proveedor(), Qt::Key_F5); },
             [](consulta::Lib_FrmCons3* lista) {
                 QComboBox* caja = lista->caja(0);
                 caja->setFocus();
                 QTest::keyClicks(caja, QStringLiteral("O'Brien"));
                 QTest::keyClick(caja, Qt::Key_Return);
             });
    EXPECT_EQ(proveedor()->text(), QStringLiteral("P00007"));
    EXPECT_EQ(ventana->lblProv()->text(), QStringLiteral("O'Brien Hnos. S.R.L."));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F2);
    pendientes();
    ASSERT_EQ(tds->mensajes().size(), 2) << tds->mensajes().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(tds->llamadas[1].texto, QStringLiteral("Proceso Finalizado"));
    EXPECT_EQ(tds->llamadas[1].botones, kInformacionOK);
    EXPECT_EQ(enServidor(QStringLiteral("SELECT CUENTA || '|' || NOMBRE || '|' || DOMICILIO FROM C_MV_CPTE WHERE TC='OC' AND IDCOMPROBANTE=?"), {id}),
              QStringLiteral("P00007|O'Brien Hnos. S.R.L.|Av. O'Higgins 1450 2 A"));
    EXPECT_EQ(enServidor(QStringLiteral("SELECT DISTINCT CUENTAPROVEEDOR FROM MV_STOCK WHERE TC='IR' AND IDCOMPROBANTE=? AND IDCOMPROBANTE_ORIGEN=?"),
                         {kIrSolo, id}),
              QStringLiteral("P00007"));
    EXPECT_EQ(ejecucionesCorrectas(QStringLiteral("BEGIN TRANSACTION")), 1);
}

// --- The server goes away and comes back while the window is open ---------------------------

TEST_F(VentanaSqlServer, ConexionPerdidaEnUnaComprobacionUnaListaYLaGrabacion)
{
    struct Caso {
        const char* que;
        std::function<void()> antes;    // with the server there
        std::function<void()> paso;     // meets the lost link
        std::function<void()> despues;  // what the step must have done
    };
    const QString id = kOcSinRecibir;
    const Caso casos[] = {
        {"Enter en la letra",
         [&] { escribirOC(id.mid(0, 4), id.mid(4, 8), QString()); },
         [&] {
             escribir(letra(), id.mid(12, 1));
             enter(letra());
         },
         [&] {
             EXPECT_EQ(ventana->lblDatos()->text(), QStringLiteral("Proveedor Actual: (P00007) O'Brien Hnos. S.R.L."));
             EXPECT_TRUE(proveedor()->hasFocus());
         }},
        {"F5 en la lista de proveedores",
         [&] { escribirOC(id); },
         [&] {
             conLista([&] { QTest::keyClick(proveedor(), Qt::Key_F5); },
                      [](consulta::Lib_FrmCons3* lista) {
                          QComboBox* caja = lista->caja(0);
                          caja->setFocus();
                          QTest::keyClicks(caja, QStringLiteral("Vidrier"));
                          QTest::keyClick(caja, Qt::Key_Return);
                      });
         },
         [&] { EXPECT_EQ(proveedor()->text(), QStringLiteral("P00025")); }},
        {"F2 al grabar",
         [&] {
             escribirOC(id);
             escribir(proveedor(), QStringLiteral("P00003"));
             enter(proveedor());
         },
         [&] {
             QTest::keyClick(proveedor(), Qt::Key_F2);
             pendientes();
         },
         [&] {
             EXPECT_EQ(tds->conTitulo(QStringLiteral("Aviso al Usuario")).size(), 1u);
             EXPECT_EQ(enServidor(QStringLiteral("SELECT CUENTA FROM C_MV_CPTE WHERE TC='OC' AND IDCOMPROBANTE=?"), {id}), QStringLiteral("P00003"));
             EXPECT_EQ(ejecucionesCorrectas(QStringLiteral("BEGIN TRANSACTION")), 1);
         }},
    };
    for (const Caso& k : casos) {
        SCOPED_TRACE(k.que);
        for (QLineEdit* c : {proveedor(), sucursal(), numero(), letra()}) c->clear();
        k.antes();
        tds->llamadas.clear();
        vaciarTraza();
        perderServidorHastaLaPregunta();
        k.paso();
        k.despues();
        // Asked once, with the classic text; no driver's "Unknown error" anywhere.
        const auto preguntas = tds->conTitulo(kPerdida);
        ASSERT_EQ(preguntas.size(), 1u);
        EXPECT_EQ(preguntas[0].texto, textoPerdida(servidor.base(), datos::gDB().gServidor));
        EXPECT_EQ(preguntas[0].botones, velmora::botones::SiNo + velmora::botones::Critico);
        for (const QString& m : tds->mensajes()) EXPECT_FALSE(m.contains(QLatin1String("Unknown error"))) << m.toStdString();
        EXPECT_TRUE(tds->acciones.empty());
    }
}

TEST_F(VentanaSqlServer, ElLoteQueEncuentraLaConexionPerdidaSeEnviaUnaSolaVez)
{
    // The link drops while the operator reads the second question: the batch is the step that meets it.
    const QString id = kOcCompartida1;
    escribirOC(id);
    escribir(proveedor(), QStringLiteral("P00003"));
    enter(proveedor());
    tds->respuestas = {velmora::respuesta::Si, velmora::respuesta::Si, velmora::respuesta::Si};
    tds->acciones.push_back({QStringLiteral("Atención"),
                             [this] {
                                 EXPECT_TRUE(servidor.cortar());
                                 EXPECT_TRUE(servidor.rechazar());
                             },
                             1});
    tds->acciones.push_back({kPerdida, [this] { EXPECT_TRUE(servidor.aceptar()); }});
    vaciarTraza();
    QTest::keyClick(proveedor(), Qt::Key_F2);
    pendientes();
    EXPECT_EQ(tds->conTitulo(kPerdida).size(), 1u);
    EXPECT_EQ(tds->conTitulo(QStringLiteral("Aviso al Usuario")).size(), 1u) << tds->mensajes().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(ejecucionesCorrectas(QStringLiteral("BEGIN TRANSACTION")), 1);
    EXPECT_EQ(ejecucionesCorrectas(QStringLiteral("COMMIT TRANSACTION")), 1);
    EXPECT_EQ(enServidor(QStringLiteral("SELECT DISTINCT CUENTA FROM C_MV_CPTEINSUMOS WHERE TC='OC' AND IDCOMPROBANTE=?"), {id}), QStringLiteral("P00003"));
    EXPECT_EQ(enServidor(QStringLiteral("SELECT DISTINCT CUENTAPROVEEDOR FROM MV_STOCK WHERE TC='IR' AND IDCOMPROBANTE=? AND IDCOMPROBANTE_ORIGEN=?"),
                         {kIrCompartido, id}),
              QStringLiteral("P00003"));
}

TEST_F(VentanaSqlServer, NoCierraElPrograma)
{
    escribirOC(kOcSinRecibir.mid(0, 4), kOcSinRecibir.mid(4, 8), QString());
    escribir(letra(), QStringLiteral("A"));
    ASSERT_TRUE(servidor.cortar());
    ASSERT_TRUE(servidor.rechazar());
    tds->respuestas = {velmora::respuesta::No};
    // The real ending: the process stops at once with code 0.
    velmora::fijarTerminacion({});
    EXPECT_EXIT(
        {
            QTest::keyClick(letra(), Qt::Key_Return);
            std::_Exit(7);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_TRUE(servidor.aceptar());
}

// --- The usage log: the start's row, as the server stores it ---------------------------------

TEST_F(VentanaSqlServer, RegistroDeUsoEnElServidor)
{
    const QString antes = enServidor(QStringLiteral("SELECT count(*) FROM Control_Acceso"));
    QString tarea = QStringLiteral("Permutal.exe");
    app::RegistraIngreso(tarea);
    EXPECT_EQ(enServidor(QStringLiteral("SELECT count(*) FROM Control_Acceso")).toInt(), antes.toInt() + 1);
    const QString fila = enServidor(QStringLiteral("SELECT Usuario || '|' || Formulario FROM Control_Acceso ORDER BY ID DESC LIMIT 1"));
    EXPECT_EQ(fila, servidor.usuario().toUpper() + QStringLiteral("|PERMUTAL.EXE"));
    // A text column keeps the regional text the operator reads.
    const QString ingreso = enServidor(QStringLiteral("SELECT Ingreso FROM Control_Acceso ORDER BY ID DESC LIMIT 1"));
    const QString formato = datos::FormatoFecha() + QStringLiteral(" ") + datos::FormatoHora();
    const QDateTime ahora = QDateTime::currentDateTime();
    EXPECT_TRUE(ingreso == ahora.toString(formato) || ingreso == ahora.addSecs(-60).toString(formato)) << ingreso.toStdString();
    EXPECT_TRUE(tds->llamadas.empty()) << tds->mensajes().join(QLatin1Char('\n')).toStdString();
}

// --- F12 in an article list: the shortage row's date as the server reads it -----------------

TEST_F(VentanaSqlServer, FaltanteConLaFechaDeHoy)
{
    auto w = std::make_unique<consulta::Lib_FrmCons3>();
    w->SQL = QStringLiteral("SELECT IDARTICULO, DESCRIPCION FROM V_MA_ARTICULOS ORDER BY IDARTICULO");
    w->cargar();
    ASSERT_GT(w->modelo().filas(), 0);
    w->seleccionarFila(0);
    tds->respuestas = {velmora::respuesta::Si};
    const QDateTime antes = QDateTime::currentDateTime().addSecs(-1);
    QTest::keyClick(w->lista(), Qt::Key_F12);
    const QString guardado = enServidor(QStringLiteral("SELECT FechaHora FROM V_MV_FALTANTES ORDER BY ID DESC LIMIT 1"));
    const QDateTime f = QDateTime::fromString(guardado, QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    ASSERT_TRUE(f.isValid()) << guardado.toStdString();
    EXPECT_GE(f, antes);
    EXPECT_LE(f, QDateTime::currentDateTime().addSecs(1));
}

}  // namespace
