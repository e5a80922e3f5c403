// Hostile operator input: whatever is typed into the supplier field, the order
// fields or the list's search box, every statement keeps its shape (the value
// stays inside its literal, its quotes doubled) and the database changes only
// through an intended save, and then holds the values exactly.
#include "FrmPermutal_prueba.h"

#include "lookup/Lib_FrmCons3.h"

#include <QComboBox>
#include <QRegularExpression>
#include <QTimer>
#include <functional>
#include <set>

using namespace prueba;
using datos::comillas;

namespace {

// Pieces the corpus is made of.
const QStringList& piezas()
{
    static const QStringList p = {
        QStringLiteral("'"),
        QStringLiteral("''"),
        QStringLiteral("'''"),
        QStringLiteral("\""),
        QStringLiteral("`"),
        QStringLiteral("\u2019"),                       // typographic apostrophe
        QStringLiteral("' OR '1'='1"),
        QStringLiteral("') OR ('x'='x"),
        QStringLiteral("'--"),
        QStringLiteral("--"),
        QStringLiteral("/*"),
        QStringLiteral("*/"),
        QStringLiteral("#"),
        QStringLiteral(";"),
        QStringLiteral("'; DROP TABLE C_MV_CPTE; --"),
        QStringLiteral("'; DELETE FROM MV_STOCK WHERE '1'='1"),
        QStringLiteral("'; UPDATE C_MV_CPTE SET CUENTA='X' --"),
        QStringLiteral("' UNION SELECT * FROM TA_USUARIOS --"),
        QStringLiteral("\r\nCOMMIT TRANSACTION\r\n"),
        QStringLiteral("ROLLBACK TRAN"),
        QStringLiteral("\nGO\n"),
        QStringLiteral("%"),
        QStringLiteral("_"),
        QStringLiteral("[a-z]"),
        QStringLiteral("*"),
        QStringLiteral("\\'"),
        QStringLiteral("\t"),
        QStringLiteral("\x01\x02\x1b"),
        QStringLiteral("\x7f"),
        QString(QChar(0)) + QStringLiteral("' --"),     // a NUL inside the value
        QStringLiteral("Ñandú"),
        QStringLiteral("日本語"),
        QStringLiteral("Ελληνικά"),
        QStringLiteral("مرحبا"),
        QStringLiteral("\u202Eabc"),                    // right-to-left override
        QStringLiteral("a\u200Bb"),                     // zero-width space
        QStringLiteral("\U0001F600"),                   // outside the basic plane
        QStringLiteral("e\u0301"),                      // combining accent
        QStringLiteral("+"),
        QStringLiteral("||"),
        QStringLiteral("CHAR(39)"),
    };
    return p;
}

// At least 100 texts: each piece alone, inside a code, doubled, paired with
// its neighbour, plus very long ones.
QStringList corpus()
{
    QStringList c;
    const QStringList& p = piezas();
    for (int i = 0; i < p.size(); ++i) {
        c << p[i] << QStringLiteral("P0") + p[i] << p[i] + QStringLiteral("X") << p[i] + p[(i + 7) % p.size()];
    }
    c << QString(5000, QLatin1Char('A')) << QString(300, QLatin1Char('\'')) << QStringList(200, QStringLiteral("'; --")).join(QString())
      << QString(2000, QChar(0x65E5));
    c.removeDuplicates();
    return c;
}

// The embedded engine reads a statement only up to a NUL: a value holding one
// leaves its literal unterminated, so the statement fails whole (and nothing
// runs) instead of running with the value cut.
bool conNul(const QString& t) { return t.contains(QChar(0)); }

// The value as a trimmed key (the lookup's key condition trims it).
QString claveRecortada(const QString& v) { return v.trimmed(); }

class Hostiles : public VentanaPrueba {
protected:
    std::vector<Sentencia> lecturas() const
    {
        std::vector<Sentencia> v;
        for (const Sentencia& s : sentencias())
            if (s.op == QLatin1String("open")) v.push_back(s);
        return v;
    }
};

TEST_F(Hostiles, ElCorpusTieneCienTextosAlMenos)
{
    EXPECT_GE(corpus().size(), 100);
}

TEST_F(Hostiles, CampoProveedor)
{
    const QByteArray antes = huellaBase(base());
    int comprobados = 0;
    for (const QString& t : corpus()) {
        SCOPED_TRACE(t.left(60).toStdString());
        vaciarTraza();
        op->llamadas.clear();
        escribir(proveedor(), t);
        const QString enCampo = proveedor()->text();
        enter(proveedor());
        const std::vector<Sentencia> s = sentencias();
        if (claveRecortada(enCampo).isEmpty()) {
            EXPECT_TRUE(s.empty());
            EXPECT_EQ(op->mensajes(), QStringList{QStringLiteral("Debe informar un proveedor")});
            continue;
        }
        ASSERT_EQ(s.size(), 1u);
        EXPECT_EQ(s[0].sql, QStringLiteral("SELECT TOP 1  * FROM VT_PROVEEDORES with(nolock)  WHERE LTRIM(RTRIM(CODIGO)) ='") + comillas(claveRecortada(enCampo))
                                + QStringLiteral("'"));
        if (conNul(enCampo)) {
            EXPECT_FALSE(s[0].error.isEmpty());
            EXPECT_EQ(op->mensajes().value(op->mensajes().size() - 1), QStringLiteral("El proveedor informado es inexistente"));
            continue;
        }
        EXPECT_TRUE(s[0].error.isEmpty()) << s[0].error.toStdString();
        EXPECT_EQ(op->mensajes(), QStringList{QStringLiteral("El proveedor informado es inexistente")});
        ++comprobados;
    }
    EXPECT_GE(comprobados, 90);
    EXPECT_EQ(huellaBase(base()), antes);
}

TEST_F(Hostiles, CamposDeLaOrden)
{
    const QByteArray antes = huellaBase(base());
    const QStringList textos = corpus();
    for (int i = 0; i < textos.size(); ++i) {
        const QString& t = textos[i];
        SCOPED_TRACE(t.left(60).toStdString());
        vaciarTraza();
        op->llamadas.clear();
        // Each field takes what its length allows; the texts are shifted so every
        // field sees the quotes and markers.
        escribir(sucursal(), t);
        enter(sucursal());
        escribir(numero(), t.mid(i % 3));
        enter(numero());
        escribir(letra(), t.mid(i % 2));
        const QString id = sucursal()->text() + numero()->text() + letra()->text();
        enter(letra());
        const std::vector<Sentencia> s = sentencias();
        ASSERT_EQ(s.size(), 1u);
        EXPECT_EQ(s[0].sql, QStringLiteral("SELECT TOP 1 * FROM CO_OCompraPendientes with(nolock)  WHERE TC='OC' AND IDCOMPROBANTE='") + comillas(id)
                                + QStringLiteral("'"));
        if (conNul(id)) {
            EXPECT_FALSE(s[0].error.isEmpty());
            EXPECT_EQ(op->mensajes().value(op->mensajes().size() - 1), QStringLiteral("La OC ingresada no es válida o es inexistente"));
            continue;
        }
        EXPECT_TRUE(s[0].error.isEmpty()) << s[0].error.toStdString();
        EXPECT_EQ(op->mensajes(), QStringList{QStringLiteral("La OC ingresada no es válida o es inexistente")});
    }
    EXPECT_EQ(huellaBase(base()), antes);
}

// The list's search box (F5 inside the list runs a new search with the typed text).
TEST_F(Hostiles, BusquedaDeLaLista)
{
    const QByteArray antes = huellaBase(base());
    // The statement of a new search with the typed text replaced by a mark: it must
    // be the same for every text.
    auto esqueleto = [](const QString& sql, const QString& t) {
        QString s = sql;
        const QString candidatos[] = {
            QStringLiteral("'") + comillas(QString(t).replace(QLatin1Char('*'), QLatin1Char('%'))) + QStringLiteral("%'"),
            QStringLiteral("'%") + comillas(QString(t).replace(QLatin1Char(' '), QLatin1Char('%'))) + QStringLiteral("%'"),
        };
        for (const QString& c : candidatos) {
            const qsizetype p = s.lastIndexOf(c);
            if (p >= 0) return s.replace(p, c.size(), QStringLiteral("<VALOR>"));
        }
        return QStringLiteral("sin el literal esperado: ") + s;
    };
    auto buscar = [&](const QString& t) -> QString {
        vaciarTraza();
        op->llamadas.clear();
        proveedor()->setFocus();
        pendientes();
        bool abierta = false;
        QString enCaja = t;
        std::function<void()> vigilar = [&] {
            auto* lista = qobject_cast<consulta::Lib_FrmCons3*>(QApplication::activeModalWidget());
            if (!lista) {
                QTimer::singleShot(5, vigilar);
                return;
            }
            abierta = true;
            QComboBox* caja = lista->caja(0);
            caja->setFocus();
            caja->setEditText(t);
            enCaja = caja->currentText();
            QTest::keyClick(caja, Qt::Key_F5);
            QTest::keyClick(lista, Qt::Key_Escape);
        };
        QTimer::singleShot(0, vigilar);
        QTest::keyClick(proveedor(), Qt::Key_F5);
        pendientes();
        EXPECT_TRUE(abierta);
        // The new search is the list's second reading.
        std::vector<Sentencia> l = lecturas();
        std::vector<Sentencia> lista;
        for (const Sentencia& s : l)
            if (s.sql.contains(QLatin1String("RAZON_SOCIAL"), Qt::CaseInsensitive)) lista.push_back(s);
        if (lista.size() < 2) return QStringLiteral("sin búsqueda");
        if (!conNul(enCaja)) {
            EXPECT_TRUE(lista[1].error.isEmpty()) << lista[1].error.toStdString();
        }
        return esqueleto(lista[1].sql, enCaja);
    };
    const QString referencia = buscar(QStringLiteral("Ferre"));
    ASSERT_TRUE(referencia.contains(QLatin1String("<VALOR>"))) << referencia.toStdString();
    int n = 0;
    for (const QString& t : corpus()) {
        if (t.size() > 600) continue;   // the search box is a line of a combo box
        SCOPED_TRACE(t.left(60).toStdString());
        EXPECT_EQ(buscar(t), referencia);
        ++n;
    }
    EXPECT_GE(n, 100);
    EXPECT_EQ(huellaBase(base()), antes);
}

// Suppliers whose own data are hostile texts: a save stores them exactly and
// changes nothing else.
class HostilesGrabados : public Hostiles {
protected:
    struct Proveedor {
        QString codigo, nombre, calle;
    };
    static std::vector<Proveedor> proveedores()
    {
        std::vector<Proveedor> v;
        const QStringList& p = piezas();
        for (int i = 0; i < p.size(); ++i) {
            if (conNul(p[i]) || conNul(p[(i + 3) % p.size()]) || conNul(p[(i + 5) % p.size()])) continue;
            const QString codigo = (QStringLiteral("H%1").arg(i, 2, 10, QLatin1Char('0')) + p[i]).trimmed().left(15);
            v.push_back({codigo, (QStringLiteral("Prov ") + p[i] + p[(i + 3) % p.size()]).left(60).trimmed(),
                         (QStringLiteral("Calle ") + p[(i + 5) % p.size()]).left(50).trimmed()});
        }
        return v;
    }
    void prepararBase() override
    {
        for (const Proveedor& x : proveedores())
            ejecutarConValores(base(),
                               QStringLiteral("INSERT INTO VT_PROVEEDORES (CODIGO, Razon_Social, CALLE, NUMERO, PISO, DEPARTAMENTO, Telefono, Localidad, "
                                              "Provincia, CPostal, Documento_Tipo, Numero_Documento, IVA) VALUES (?, ?, ?, '1', '', '', ?, ?, 'BA', '1000', 'CUIT', ?, 'RI')"),
                               {x.codigo, x.nombre, x.calle, x.nombre.left(40), x.calle.left(40), x.codigo.left(13)});
    }
    QString estadoOC(const QString& id) const
    {
        return columna(QStringLiteral("SELECT CUENTA, NOMBRE, DOMICILIO, TELEFONO, LOCALIDAD, DOCUMENTONUMERO, IDPROVINCIA, CODIGOPOSTAL, DOCUMENTOTIPO, CONDICIONIVA "
                                     "FROM C_MV_CPTE WHERE TC='OC' AND IDCOMPROBANTE=?"),
                       {id});
    }
};

TEST_F(HostilesGrabados, SeGuardanTalCualYNadaMasCambia)
{
    const QString id = kOcRecibidaSola;
    const QByteArray antes = huellaBase(base());
    const QString original = estadoOC(id);
    for (const Proveedor& x : proveedores()) {
        SCOPED_TRACE(x.codigo.toStdString());
        op->llamadas.clear();
        escribirOC(id);
        escribir(proveedor(), x.codigo);
        enter(proveedor());
        ASSERT_EQ(ventana->lblProv()->text(), x.nombre);
        vaciarTraza();
        QTest::keyClick(proveedor(), Qt::Key_F2);
        pendientes();
        ASSERT_EQ(op->mensajes().size(), 2) << op->mensajes().join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(op->mensajes().last(), QStringLiteral("Proceso Finalizado"));

        // Every statement of the save has its expected text.
        const QString q = comillas(x.codigo), oc = comillas(id);
        const QString domicilio = (x.calle + QStringLiteral(" 1  ")).trimmed();
        QStringList esperadas{
            QStringLiteral("SELECT TOP 1  * FROM VT_PROVEEDORES with(nolock)  WHERE LTRIM(RTRIM(CODIGO)) ='") + q + QStringLiteral("'"),
            QStringLiteral("SELECT TOP 1 * FROM CO_OCompraPendientes with(nolock)  WHERE TC='OC' AND IDCOMPROBANTE='") + oc + QStringLiteral("'"),
        };
        QStringList enviadas;
        for (const Sentencia& s : sentencias()) {
            enviadas << s.sql;
            EXPECT_TRUE(s.error.isEmpty()) << s.sql.toStdString() << " -> " << s.error.toStdString();
        }
        const QString lote = enviadas.filter(QRegularExpression(QStringLiteral("^BEGIN TRANSACTION"))).value(0);
        QString esperado = QStringLiteral("BEGIN TRANSACTION\r\n");
        for (const char* t : {"C_MV_CPTETAREAS", "C_MV_CPTE_OBSERV", "C_MV_CPTEINSUMOS"})
            esperado += QStringLiteral("UPDATE %1 SET CUENTA='").arg(QLatin1String(t)) + q + QStringLiteral("' WHERE TC='OC' AND IDCOMPROBANTE='") + oc
                        + QStringLiteral("'\r\n");
        esperado += QStringLiteral("UPDATE C_MV_CPTE SET CUENTA='") + q + QStringLiteral("', NOMBRE='") + comillas(x.nombre) + QStringLiteral("',DOMICILIO='")
                    + comillas(domicilio) + QStringLiteral("',TELEFONO='") + comillas(x.nombre.left(40).trimmed()) + QStringLiteral("',LOCALIDAD='")
                    + comillas(x.calle.left(40).trimmed()) + QStringLiteral("',IDPROVINCIA='BA',CODIGOPOSTAL='1000',DOCUMENTOTIPO='CUIT',DOCUMENTONUMERO='")
                    + comillas(x.codigo.left(13).trimmed()) + QStringLiteral("',CONDICIONIVA='RI' WHERE TC='OC' AND IDCOMPROBANTE='") + oc
                    + QStringLiteral("'\r\n");
        esperado += QStringLiteral("UPDATE V_MV_STOCK SET CUENTAPROVEEDOR='") + q + QStringLiteral("' WHERE  TC='IR' AND IDCOMPROBANTE='") + comillas(kIrSolo)
                    + QStringLiteral("' AND TC_ORIGEN='OC' AND IDCOMPROBANTE_ORIGEN='") + oc + QStringLiteral("'\r\n");
        EXPECT_EQ(lote, esperado);
        EXPECT_TRUE(enviadas.contains(QStringLiteral("COMMIT TRANSACTION")));

        // The database holds the values exactly.
        const QStringList fila{x.codigo, x.nombre, domicilio, x.nombre.left(40).trimmed(), x.calle.left(40).trimmed(), x.codigo.left(13).trimmed(),
                                QStringLiteral("BA"), QStringLiteral("1000"), QStringLiteral("CUIT"), QStringLiteral("RI")};
        EXPECT_EQ(estadoOC(id), fila.join(QLatin1Char('|')));
        EXPECT_EQ(columna(QStringLiteral("SELECT DISTINCT CUENTAPROVEEDOR FROM MV_STOCK WHERE TC='IR' AND IDCOMPROBANTE=?"), {kIrSolo}), x.codigo);
        for (const char* t : {"C_MV_CPTETAREAS", "C_MV_CPTE_OBSERV", "C_MV_CPTEINSUMOS"})
            EXPECT_EQ(columna(QStringLiteral("SELECT DISTINCT CUENTA FROM %1 WHERE TC='OC' AND IDCOMPROBANTE=?").arg(QLatin1String(t)), {id}), x.codigo) << t;
    }
    // Put the order back as it was: then nothing else may differ.
    const QStringList o = original.split(QLatin1Char('|'));
    ejecutarConValores(base(), QStringLiteral("UPDATE C_MV_CPTE SET CUENTA=?, NOMBRE=?, DOMICILIO=?, TELEFONO=?, LOCALIDAD=?, DOCUMENTONUMERO=?, IDPROVINCIA=?, "
                                              "CODIGOPOSTAL=?, DOCUMENTOTIPO=?, CONDICIONIVA=? WHERE TC='OC' AND IDCOMPROBANTE=?"),
                       {o.value(0), o.value(1), o.value(2), o.value(3), o.value(4), o.value(5), o.value(6), o.value(7), o.value(8), o.value(9), id});
    for (const char* t : {"C_MV_CPTETAREAS", "C_MV_CPTE_OBSERV", "C_MV_CPTEINSUMOS"})
        ejecutarConValores(base(), QStringLiteral("UPDATE %1 SET CUENTA=? WHERE TC='OC' AND IDCOMPROBANTE=?").arg(QLatin1String(t)), {o.value(0), id});
    ejecutarConValores(base(), QStringLiteral("UPDATE MV_STOCK SET CUENTAPROVEEDOR=? WHERE TC='IR' AND IDCOMPROBANTE=?"), {o.value(0), kIrSolo});
    EXPECT_EQ(huellaBase(base()), antes);
}

}  // namespace
