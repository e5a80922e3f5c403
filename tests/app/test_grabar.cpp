// The supplier change: a whole operator session driven by keys, the batch as it
// reaches the connection, the questions, the progress strip, the rollback of a
// failing batch and the No that changes nothing.
#include "FrmPermutal_prueba.h"

#include "lookup/Lib_FrmCons3.h"

#include <QComboBox>
#include <QTimer>
#include <functional>

using namespace prueba;

namespace {

constexpr int kPreguntaSiNo = 36, kCriticoOK = 16, kInformacionOK = 64;

// The supplier columns the header receives, read with the plain engine.
struct DatosProveedor {
    QString nombre, domicilio, telefono, localidad, provincia, postal, tipoDoc, numeroDoc, iva;
};

DatosProveedor leerProveedor(const QString& base, const QString& codigo)
{
    const QStringList f = filasSqlite(base,
                                      QStringLiteral("SELECT Razon_Social, CALLE || ' ' || NUMERO || ' ' || PISO || ' ' || DEPARTAMENTO, Telefono, Localidad, "
                                                     "Provincia, CPostal, Documento_Tipo, Numero_Documento, IVA FROM VT_PROVEEDORES WHERE CODIGO = ?"),
                                      {codigo});
    if (f.isEmpty()) return {};
    const QStringList c = f.first().split(QLatin1Char('|'));
    auto v = [&](int i) { return c.value(i) == QLatin1String("<null>") ? QString() : c.value(i); };
    return {v(0), v(1), v(2), v(3), v(4), v(5), v(6), v(7), v(8)};
}

// The batch the save must send, built from its parts.
QString loteEsperado(const QString& id, const QString& codigo, const DatosProveedor& p, const QString& ir)
{
    using datos::comillas;
    const QString donde = QStringLiteral(" WHERE TC='OC' AND IDCOMPROBANTE='") + comillas(id) + QStringLiteral("'") + CRLF;
    QString s = QStringLiteral("BEGIN TRANSACTION") + CRLF;
    for (const char* t : {"C_MV_CPTETAREAS", "C_MV_CPTE_OBSERV", "C_MV_CPTEINSUMOS"})
        s += QStringLiteral("UPDATE ") + QLatin1String(t) + QStringLiteral(" SET CUENTA='") + comillas(codigo) + QStringLiteral("'") + donde;
    s += QStringLiteral("UPDATE C_MV_CPTE SET CUENTA='") + comillas(codigo) + QStringLiteral("', NOMBRE='") + comillas(p.nombre.trimmed())
         + QStringLiteral("',DOMICILIO='") + comillas(p.domicilio.trimmed()) + QStringLiteral("',TELEFONO='") + comillas(p.telefono.trimmed())
         + QStringLiteral("',LOCALIDAD='") + comillas(p.localidad.trimmed()) + QStringLiteral("',IDPROVINCIA='") + comillas(p.provincia)
         + QStringLiteral("',CODIGOPOSTAL='") + comillas(p.postal.trimmed()) + QStringLiteral("',DOCUMENTOTIPO='") + comillas(p.tipoDoc)
         + QStringLiteral("',DOCUMENTONUMERO='") + comillas(p.numeroDoc.trimmed()) + QStringLiteral("',CONDICIONIVA='") + comillas(p.iva)
         + QStringLiteral("' WHERE TC='OC' AND IDCOMPROBANTE='") + comillas(id) + QStringLiteral("'") + CRLF;
    if (!ir.isEmpty())
        s += QStringLiteral("UPDATE V_MV_STOCK SET CUENTAPROVEEDOR='") + comillas(codigo) + QStringLiteral("' WHERE  TC='IR' AND IDCOMPROBANTE='")
             + comillas(ir) + QStringLiteral("' AND TC_ORIGEN='OC' AND IDCOMPROBANTE_ORIGEN='") + comillas(id) + QStringLiteral("'") + CRLF;
    return s;
}

QString confirmacion(const QString& id, const QString& codigo, const QString& nombre)
{
    return QStringLiteral("Este proceso cambiará el proveedor actual de la OC ") + id + QStringLiteral(" por el seleccionado (") + codigo
           + QStringLiteral(") ") + nombre + CRLF + QStringLiteral("¿Confirma?");
}

class Grabar : public VentanaPrueba {
protected:
    // The executed texts (batch and closing statements), in order.
    QStringList ejecutadas() const
    {
        QStringList l;
        for (const Sentencia& s : sentencias())
            if (s.op == QLatin1String("execute")) l << s.sql;
        return l;
    }
    QString cuentas(const char* tabla, const QString& id) const
    {
        return columna(QStringLiteral("SELECT CUENTA FROM %1 WHERE TC='OC' AND IDCOMPROBANTE=? ORDER BY ID").arg(QLatin1String(tabla)), {id});
    }
    QString cuentasStock(const QString& ir, const QString& origen) const
    {
        return columna(QStringLiteral("SELECT CUENTAPROVEEDOR FROM MV_STOCK WHERE TC='IR' AND IDCOMPROBANTE=? AND IDCOMPROBANTE_ORIGEN=? ORDER BY ID"),
                       {ir, origen});
    }
    // Types the order and the supplier with keys, then F2.
    void grabar(const QString& id, const QString& codigo)
    {
        escribirOC(id);
        escribir(proveedor(), codigo);
        enter(proveedor());
        QTest::keyClick(proveedor(), Qt::Key_F2);
        pendientes();
    }
    static QString repetir(const QString& v, int n) { return QStringList(n, v).join(QLatin1Char(';')); }
};

TEST_F(Grabar, SesionCompletaConTeclasYListaDeProveedores)
{
    const QString id = kOcRecibidaSola;
    QTest::keyClicks(sucursal(), QStringLiteral("1"));
    enter(sucursal());
    QTest::keyClicks(numero(), QStringLiteral("1204"));
    enter(numero());
    QTest::keyClicks(letra(), QStringLiteral("A"));
    enter(letra());
    ASSERT_TRUE(proveedor()->hasFocus());
    EXPECT_EQ(ventana->lblDatos()->text(), QStringLiteral("Proveedor Actual: (P00025) Vidriería Tucumana S.R.L."));

    // F5 in the supplier field: search the list by name and take the row.
    conLista([&] { QTest::keyClick(proveedor(), Qt::Key_F5); },
             [&](consulta::Lib_FrmCons3* lista) {
                 QComboBox* caja = lista->caja(0);
                 ASSERT_NE(caja, nullptr);
                 caja->setFocus();
                 QTest::keyClicks(caja, QStringLiteral("O'Brien"));
                 QTest::keyClick(caja, Qt::Key_Return);
             });
    EXPECT_EQ(proveedor()->text(), QStringLiteral("P00007"));
    EXPECT_EQ(ventana->lblProv()->text(), QStringLiteral("O'Brien Hnos. S.R.L."));
    ASSERT_TRUE(op->llamadas.empty()) << op->mensajes().join(QLatin1Char('\n')).toStdString();

    ventana->Picture1()->vaciarRegistro();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F2);
    pendientes();

    ASSERT_EQ(op->llamadas.size(), 2u) << op->mensajes().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(op->llamadas[0].texto, confirmacion(id, QStringLiteral("P00007"), QStringLiteral("O'Brien Hnos. S.R.L.")));
    EXPECT_EQ(op->llamadas[0].botones, kPreguntaSiNo);
    EXPECT_EQ(op->llamadas[0].titulo, QStringLiteral("Atención"));
    EXPECT_EQ(op->llamadas[1].texto, QStringLiteral("Proceso Finalizado"));
    EXPECT_EQ(op->llamadas[1].botones, kInformacionOK);
    EXPECT_EQ(op->llamadas[1].titulo, QStringLiteral("Aviso al Usuario"));

    // The header holds the supplier as the suppliers table has it, quotes and all.
    EXPECT_EQ(columna(QStringLiteral("SELECT CUENTA, NOMBRE, DOMICILIO, TELEFONO, LOCALIDAD, IDPROVINCIA, CODIGOPOSTAL, DOCUMENTOTIPO, DOCUMENTONUMERO, "
                                     "CONDICIONIVA FROM C_MV_CPTE WHERE TC='OC' AND IDCOMPROBANTE=?"),
                      {id}),
              QStringLiteral("P00007|O'Brien Hnos. S.R.L.|Av. O'Higgins 1450 2 A|(011) 4714-2477|Ciudad Autónoma de Buenos Aires|CABA|1043|CUIT|"
                             "30-54788091-5|RI"));
    EXPECT_EQ(cuentas("C_MV_CPTETAREAS", id), repetir(QStringLiteral("P00007"), 2));
    EXPECT_EQ(cuentas("C_MV_CPTE_OBSERV", id), repetir(QStringLiteral("P00007"), 1));
    EXPECT_EQ(cuentas("C_MV_CPTEINSUMOS", id), repetir(QStringLiteral("P00007"), 2));
    EXPECT_EQ(cuentasStock(kIrSolo, id), repetir(QStringLiteral("P00007"), 2));

    // The window is empty and ready for the next order.
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(ventana->TxtFields(i)->text().isEmpty()) << i;
    EXPECT_EQ(ventana->lblDatos()->text(), QStringLiteral("..."));
    EXPECT_EQ(ventana->lblProv()->text(), QStringLiteral("..."));
    EXPECT_EQ(ventana->Picture1()->registro(), (QList<int>{25, 50, 75, 80, 90, 100}));
    EXPECT_EQ(ventana->Picture1()->ultimoPorcentaje(), -1);
}

TEST_F(Grabar, ElLoteTalComoLlegaALaConexion)
{
    struct Caso {
        QString id, codigo, ir;          // ir: the report whose stock rows follow the order
        std::vector<int> respuestas;     // operator's answers
        bool segundaPregunta;
        QString otrasOCs;                // the report's origin list in the second question
    };
    const Caso casos[] = {
        {kOcSinRecibir, QStringLiteral("P00001"), QString(), {}, false, {}},
        {kOcRecibidaSola, QStringLiteral("P00007"), kIrSolo, {}, false, {}},
        {kOcCompartida1, QStringLiteral("P00003"), kIrCompartido, {velmora::respuesta::Si, velmora::respuesta::Si}, true,
         kOcCompartida1 + CRLF + kOcCompartida2 + CRLF},
        {kOcCompartida2, QStringLiteral("P00004"), QString(), {velmora::respuesta::Si, velmora::respuesta::No}, true,
         kOcCompartida1 + CRLF + kOcCompartida2 + CRLF},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.id.toStdString());
        const QString stockAntes = cuentasStock(kIrCompartido, c.id);
        op->llamadas.clear();
        op->respuestas.assign(c.respuestas.begin(), c.respuestas.end());
        ventana->Picture1()->vaciarRegistro();
        escribirOC(c.id);
        escribir(proveedor(), c.codigo);
        enter(proveedor());
        const QString nombre = ventana->lblProv()->text();
        vaciarTraza();
        QTest::keyClick(proveedor(), Qt::Key_F2);
        pendientes();

        const DatosProveedor p = leerProveedor(base(), c.codigo);
        EXPECT_EQ(ejecutadas(), (QStringList{loteEsperado(c.id, c.codigo, p, c.ir), QStringLiteral("COMMIT TRANSACTION")}));

        QStringList esperados{confirmacion(c.id, c.codigo, nombre)};
        if (c.segundaPregunta)
            esperados << QStringLiteral("La OC ") + c.id + QStringLiteral(" integra un IR(Informe de Recepción) con las siguientes OCs: ") + CRLF + c.otrasOCs
                             + QStringLiteral("Si cambia el proveedor quedaría un IR con diferentes proveedores.") + CRLF + QStringLiteral("¿Confirma?");
        esperados << QStringLiteral("Proceso Finalizado");
        EXPECT_EQ(op->mensajes(), esperados);
        if (c.segundaPregunta) {
            EXPECT_EQ(op->llamadas[1].botones, kPreguntaSiNo);
            EXPECT_EQ(op->llamadas[1].titulo, QStringLiteral("Atención"));
        }
        EXPECT_EQ(ventana->Picture1()->registro(), (QList<int>{25, 50, 75, 80, 90, 100}));
        // Answered No: the shared report keeps its supplier on this order's rows.
        if (c.id == kOcCompartida2) {
            EXPECT_EQ(cuentasStock(kIrCompartido, c.id), stockAntes);
        }
        if (c.id == kOcCompartida1) {
            EXPECT_EQ(cuentasStock(kIrCompartido, c.id), c.codigo);
        }
        EXPECT_EQ(columna(QStringLiteral("SELECT CUENTA FROM C_MV_CPTE WHERE TC='OC' AND IDCOMPROBANTE=?"), {c.id}), c.codigo);
    }
    // The other order of the shared report was never touched by the first one's save.
    EXPECT_EQ(cuentasStock(kIrCompartido, kOcCompartida2), repetir(QStringLiteral("P00012"), 2));
}

TEST_F(Grabar, NoEnLaPrimeraPreguntaNoCambiaNada)
{
    const QByteArray antes = huellaBase(base());
    op->respuestas = {velmora::respuesta::No};
    grabar(kOcRecibidaSola, QStringLiteral("P00007"));
    EXPECT_EQ(op->mensajes().size(), 1);
    EXPECT_TRUE(ejecutadas().isEmpty());
    EXPECT_TRUE(ventana->Picture1()->registro().isEmpty());
    EXPECT_EQ(huellaBase(base()), antes);
    // The fields stay for another try.
    EXPECT_EQ(proveedor()->text(), QStringLiteral("P00007"));
    EXPECT_EQ(letra()->text(), QStringLiteral("A"));
}

TEST_F(Grabar, CampoRechazadoNoPregunta)
{
    const QByteArray antes = huellaBase(base());
    escribirOC(kOcCerrada);
    escribir(proveedor(), QStringLiteral("P00001"));
    op->llamadas.clear();
    QTest::keyClick(proveedor(), Qt::Key_F2);
    pendientes();
    EXPECT_EQ(op->mensajes(), QStringList{QStringLiteral("La OC ingresada no es válida o es inexistente")});
    EXPECT_TRUE(ejecutadas().isEmpty());
    EXPECT_EQ(huellaBase(base()), antes);
}

// A supplier whose name does not fit the header: the batch fails on the server
// after the first statements already ran inside the transaction.
class GrabarFallido : public Grabar {
protected:
    void prepararBase() override
    {
        ejecutarConValores(base(),
                           QStringLiteral("INSERT INTO VT_PROVEEDORES (CODIGO, Razon_Social, CALLE, NUMERO, Provincia, IVA) VALUES ('P09999', ?, 'Calle', '1', 'BA', 'RI')"),
                           {QStringLiteral("Proveedor con una razón social demasiado larga para el encabezado S.A.")}, true);
    }
};

TEST_F(GrabarFallido, SeDeshaceYMuestraElPrimerError)
{
    escribirOC(kOcRecibidaSola);
    escribir(proveedor(), QStringLiteral("P09999"));
    enter(proveedor());
    const QByteArray antes = huellaBase(base());
    op->llamadas.clear();
    vaciarTraza();
    QTest::keyClick(proveedor(), Qt::Key_F2);
    pendientes();

    const std::vector<Sentencia> s = sentencias();
    QStringList exec;
    QString errorLote;
    for (const Sentencia& x : s)
        if (x.op == QLatin1String("execute")) {
            exec << x.sql;
            if (x.sql.startsWith(QLatin1String("BEGIN"))) errorLote = x.error;
        }
    ASSERT_EQ(exec.size(), 2);
    EXPECT_EQ(exec[1], QStringLiteral("ROLLBACK TRANSACTION"));
    ASSERT_FALSE(errorLote.isEmpty());

    ASSERT_EQ(op->llamadas.size(), 2u);
    EXPECT_EQ(op->llamadas[1].texto, errorLote);
    EXPECT_EQ(op->llamadas[1].botones, kCriticoOK);
    EXPECT_EQ(op->llamadas[1].titulo, QStringLiteral("Atención"));
    // The task, observation and supply rows changed before the failure: all undone.
    EXPECT_EQ(huellaBase(base()), antes);
    EXPECT_EQ(ventana->Picture1()->registro(), (QList<int>{25, 50, 75, 80, 90}));
    // The window keeps its contents for a retry.
    EXPECT_EQ(sucursal()->text() + numero()->text() + letra()->text(), kOcRecibidaSola);
    EXPECT_EQ(proveedor()->text(), QStringLiteral("P09999"));
    EXPECT_NE(ventana->lblProv()->text(), QStringLiteral("..."));
    EXPECT_NE(ventana->lblDatos()->text(), QStringLiteral("..."));

    // The native truncation number is what failed.
    EXPECT_TRUE(errorLote.contains(QLatin1String("trunc"), Qt::CaseInsensitive) || errorLote.contains(QLatin1String("8152"))) << errorLote.toStdString();
}

}  // namespace

namespace {

// Saves that must land whole or not at all: each case spoils the save in its
// own way, and afterwards the order is entirely on its old supplier and the
// operator has read why, in Spanish, with no "Proceso Finalizado".
class GrabarSinMitades : public Grabar {
protected:
    void grabarYComprobarQueNadaCambio(const QString& codigo, const QString& mensaje)
    {
        escribirOC(kOcRecibidaSola);
        escribir(proveedor(), codigo);
        enter(proveedor());
        ASSERT_TRUE(op->mensajes().isEmpty()) << op->mensajes().join(QLatin1Char('\n')).toStdString();
        const QByteArray antes = huellaBase(base());
        const QString cuenta = columna(QStringLiteral("SELECT CUENTA FROM C_MV_CPTE WHERE TC='OC' AND IDCOMPROBANTE=?"), {kOcRecibidaSola});
        QTest::keyClick(proveedor(), Qt::Key_F2);
        pendientes();
        const QStringList m = op->mensajes();
        ASSERT_EQ(m.size(), 2) << m.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(m[1], mensaje);
        EXPECT_EQ(op->llamadas[1].botones, kCriticoOK);
        EXPECT_FALSE(m.contains(QStringLiteral("Proceso Finalizado")));
        EXPECT_EQ(huellaBase(base()), antes);
        for (const char* t : {"C_MV_CPTETAREAS", "C_MV_CPTE_OBSERV", "C_MV_CPTEINSUMOS", "C_MV_CPTE"})
            EXPECT_EQ(columna(QStringLiteral("SELECT DISTINCT CUENTA FROM %1 WHERE TC='OC' AND IDCOMPROBANTE=?").arg(QLatin1String(t)), {kOcRecibidaSola}),
                      cuenta) << t;
        EXPECT_EQ(columna(QStringLiteral("SELECT DISTINCT CUENTAPROVEEDOR FROM MV_STOCK WHERE TC='IR' AND IDCOMPROBANTE=?"), {kIrSolo}), cuenta);
        // The connection is usable for the next save: no transaction left open.
        QString prueba = QStringLiteral("BEGIN TRANSACTION\r\nCOMMIT TRANSACTION");
        long n = 0;
        datos::gDB().EjecutaConsultaSQL(prueba, n);
        EXPECT_TRUE(datos::gDB().gCnn().errors().empty());
    }
};

class GrabarConTiempoAgotado : public GrabarSinMitades {
protected:
    void prepararBase() override
    {
        // The second statement of the batch (the observations) never ends.
        prueba::ejecutarSqlite(base(), QStringLiteral("CREATE TRIGGER LENTO AFTER UPDATE ON C_MV_CPTE_OBSERV BEGIN "
                                                      "SELECT max(x) FROM (WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT x FROM c); END;"));
    }
};

TEST_F(GrabarConTiempoAgotado, ElLoteSeDetieneYSeDeshaceEntero)
{
    datos::gDB().gCnn().setCommandTimeout(1);
    grabarYComprobarQueNadaCambio(QStringLiteral("P00003"), QStringLiteral("Se agotó el tiempo de espera de la consulta."));
}

class GrabarProveedorIlegible : public GrabarSinMitades {
protected:
    void prepararBase() override
    {
        // Found by the check (which trims the stored code), not by the save's read.
        ejecutarConValores(base(),
                           QStringLiteral("INSERT INTO VT_PROVEEDORES (CODIGO, Razon_Social, CALLE, NUMERO, Provincia, IVA) VALUES (' P07777', 'Con blanco S.A.', 'Calle', '1', 'BA', 'RI')"),
                           {});
    }
};

TEST_F(GrabarProveedorIlegible, NoSeEnviaNadaYSeDiceCon)
{
    grabarYComprobarQueNadaCambio(QStringLiteral("P07777"),
                                  QStringLiteral("No se pudieron leer los datos del proveedor P07777 en VT_PROVEEDORES. La OC no fue modificada."));
}

// A password that holds the word ORACLE is only a password: the save reads the
// receiving report in the session's own dialect and moves the stock rows too.
TEST_F(Grabar, ClaveConOracleNoCambiaElDialecto)
{
    datos::DB_Dll& db = datos::gDB();
    db.gCnn().Close();
    db.gOpenFlag = false;
    db.gUserPassWord = QStringLiteral("MiOracle2024");
    db.OpenServerADODB(false, 3, QString(), false, true);
    ASSERT_TRUE(db.gOpenFlag);
    ASSERT_TRUE(db.gConnString.contains(QLatin1String("MiOracle2024")));
    op->llamadas.clear();
    grabar(kOcRecibidaSola, QStringLiteral("P00003"));
    EXPECT_EQ(op->mensajes().value(1), QStringLiteral("Proceso Finalizado")) << op->mensajes().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(columna(QStringLiteral("SELECT DISTINCT CUENTAPROVEEDOR FROM MV_STOCK WHERE TC='IR' AND IDCOMPROBANTE=?"), {kIrSolo}),
              QStringLiteral("P00003"));
    for (const Sentencia& s : sentencias()) EXPECT_FALSE(s.sql.contains(QLatin1String("ROWNUM"))) << s.sql.toStdString();
}

}  // namespace
