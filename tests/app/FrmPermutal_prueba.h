#pragma once
// The main window on a fresh demo database of a temporary application folder,
// with the statement trace switched on and the scripted operator answering.
#include "app/BaseDemo.h"
#include "app/FrmPermutal.h"
#include "app/Progreso.h"
#include "app/Sesion.h"
#include "data/Literales.h"
#include "lookup/Lib_FrmCons3.h"
#include "soporte/Sesion_prueba.h"

#include <QAction>
#include <QApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <functional>
#include <memory>
#include <vector>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace prueba {

const QString CRLF = QStringLiteral("\r\n");

// The demo's rows the tests are built around.
const QString kOcSinRecibir = QStringLiteral("000100001206A");      // supplier P00007, never received
const QString kOcRecibidaSola = QStringLiteral("000100001204A");    // report 000100000304X
const QString kIrSolo = QStringLiteral("000100000304X");
const QString kOcCompartida1 = QStringLiteral("000100001215A");     // report 000100000314X
const QString kOcCompartida2 = QStringLiteral("000100001216A");
const QString kIrCompartido = QStringLiteral("000100000314X");
const QString kOcCerrada = QStringLiteral("000100001201A");

struct Sentencia {
    QString op, sql, error;
};

// The statements of the trace file, in order.
inline std::vector<Sentencia> leerTraza(const QString& ruta)
{
    std::vector<Sentencia> v;
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly)) return v;
    for (const QByteArray& linea : f.readAll().split('\n')) {
        if (linea.trimmed().isEmpty()) continue;
        const QJsonObject o = QJsonDocument::fromJson(linea).object();
        v.push_back({o.value(QStringLiteral("op")).toString(), o.value(QStringLiteral("sql")).toString(),
                     o.value(QStringLiteral("error")).toString()});
    }
    return v;
}

// A fingerprint of every row of every table of a SQLite file.
inline QByteArray huellaBase(const QString& ruta)
{
    sqlite3* db = nullptr;
    QCryptographicHash h(QCryptographicHash::Sha256);
    if (sqlite3_open_v2(QFile::encodeName(ruta).constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return {};
    }
    std::vector<QByteArray> tablas;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type='table' ORDER BY name", -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) tablas.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    for (const QByteArray& t : tablas) {
        h.addData(t);
        const QByteArray q = "SELECT * FROM \"" + t + "\" ORDER BY rowid";
        sqlite3_prepare_v2(db, q.constData(), -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int i = 0; i < sqlite3_column_count(st); ++i) {
                const void* b = sqlite3_column_blob(st, i);
                h.addData(QByteArray(static_cast<const char*>(b), b ? sqlite3_column_bytes(st, i) : 0));
                h.addData(QByteArrayView("|"));
            }
            h.addData(QByteArrayView("\n"));
        }
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return h.result();
}

// Runs a statement with bound text values on a SQLite file (plain engine).
inline void ejecutarConValores(const QString& ruta, const QString& sql, const QStringList& valores, bool sinControles = false)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(ruta).constData(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    if (sinControles) sqlite3_exec(db, "PRAGMA ignore_check_constraints = ON", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    const QByteArray q = sql.toUtf8();
    ASSERT_EQ(sqlite3_prepare_v2(db, q.constData(), static_cast<int>(q.size()), &st, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    for (int i = 0; i < valores.size(); ++i) {
        const QByteArray b = valores[i].toUtf8();
        sqlite3_bind_text(st, i + 1, b.constData(), static_cast<int>(b.size()), SQLITE_TRANSIENT);
    }
    EXPECT_EQ(sqlite3_step(st), SQLITE_DONE) << sqlite3_errmsg(db);
    sqlite3_finalize(st);
    sqlite3_close(db);
}

// Every row of a query as "a|b|c" texts, through the plain engine.
inline QStringList filasSqlite(const QString& ruta, const QString& sql, const QStringList& valores = {})
{
    QStringList filas;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(ruta).constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return filas;
    }
    sqlite3_stmt* st = nullptr;
    const QByteArray q = sql.toUtf8();
    if (sqlite3_prepare_v2(db, q.constData(), static_cast<int>(q.size()), &st, nullptr) == SQLITE_OK) {
        for (int i = 0; i < valores.size(); ++i) {
            const QByteArray b = valores[i].toUtf8();
            sqlite3_bind_text(st, i + 1, b.constData(), static_cast<int>(b.size()), SQLITE_TRANSIENT);
        }
        while (sqlite3_step(st) == SQLITE_ROW) {
            QStringList c;
            for (int i = 0; i < sqlite3_column_count(st); ++i) {
                const unsigned char* t = sqlite3_column_text(st, i);
                c << (t ? QString::fromUtf8(reinterpret_cast<const char*>(t), sqlite3_column_bytes(st, i)) : QStringLiteral("<null>"));
            }
            filas << c.join(QLatin1Char('|'));
        }
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return filas;
}

class VentanaPrueba : public ::testing::Test {
protected:
    void SetUp() override
    {
        QApplication::setQuitOnLastWindowClosed(false);
        reiniciarSesion();
        QString error;
        ASSERT_TRUE(app::crearBaseDemo(base(), &error)) << error.toStdString();
        prepararBase();
        qputenv("PERMUTAL_TRAZA_SQL", QFile::encodeName(traza()));
        conectarSesion(QStringLiteral("PERMUTAL_DEMO"));
        app::gTopDefault = QStringLiteral("1000");
        // The lookups as the start-up leaves them: the default definitions file.
        consulta::Lib_ClsCons3& c = app::gConsulta();
        c.gConnString = datos::gDB().gConnString;
        c.gUsarMascarasConsultas = true;
        c.gRutaMascaraConsultas = carpeta.archivo(QStringLiteral("consultas.kxd"));
        consulta::GrabaMascarasConsultas(c.gRutaMascaraConsultas);
        ventana = std::make_unique<app::FrmPermutal>();
        ventana->show();
        ventana->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(ventana.get()));
        QFile::remove(traza());
        op->llamadas.clear();
    }
    void TearDown() override
    {
        ventana.reset();
        qunsetenv("PERMUTAL_TRAZA_SQL");
        reiniciarSesion();
    }
    // Changes to the demo rows before the session connects.
    virtual void prepararBase() {}

    QString base() const { return carpeta.archivo(QStringLiteral("PERMUTAL_DEMO.db")); }
    QString traza() const { return carpeta.archivo(QStringLiteral("traza.jsonl")); }
    std::vector<Sentencia> sentencias() const { return leerTraza(traza()); }
    void vaciarTraza() { QFile::remove(traza()); }
    // The statements that wrote (anything but reading ones).
    std::vector<Sentencia> escrituras() const
    {
        std::vector<Sentencia> v;
        for (const Sentencia& s : sentencias())
            if (s.op != QLatin1String("open")) v.push_back(s);
        return v;
    }

    QLineEdit* proveedor() const { return ventana->TxtFields(0); }
    QLineEdit* sucursal() const { return ventana->TxtFields(1); }
    QLineEdit* numero() const { return ventana->TxtFields(2); }
    QLineEdit* letra() const { return ventana->TxtFields(3); }

    // Lets posted events (the Tab that Enter sends, the window's activation after
    // a modal list) run.
    void pendientes()
    {
        QCoreApplication::processEvents();
        if (ventana && ventana->isVisible() && !ventana->isActiveWindow()) {
            ventana->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(ventana.get()));
        }
        QCoreApplication::processEvents();
    }

    // Focuses a field and types a text into it with key events (or, for texts
    // that no key gives, as a paste would put it).
    void escribir(QLineEdit* campo, const QString& texto)
    {
        campo->setFocus();
        pendientes();
        campo->selectAll();
        QTest::keyClick(campo, Qt::Key_Delete);
        bool teclas = true;
        for (QChar c : texto)
            if (c.unicode() < 0x20 || c.unicode() > 0x7E) teclas = false;
        if (teclas && texto.size() <= 200) QTest::keyClicks(campo, texto);
        else campo->insert(texto);
    }
    void enter(QLineEdit* campo)
    {
        QTest::keyClick(campo, Qt::Key_Return);
        pendientes();
    }
    // Branch, number and letter typed, Enter after each.
    void escribirOC(const QString& suc, const QString& num, const QString& let)
    {
        escribir(sucursal(), suc);
        enter(sucursal());
        escribir(numero(), num);
        enter(numero());
        escribir(letra(), let);
        enter(letra());
    }
    void escribirOC(const QString& id) { escribirOC(id.mid(0, 4), id.mid(4, 8), id.mid(12, 1)); }
    QString columna(const QString& sql, const QStringList& valores = {}) const { return filasSqlite(base(), sql, valores).join(QLatin1Char(';')); }
    // Runs accion while a list window opens; cuandoAbra works it.
    void conLista(const std::function<void()>& accion, const std::function<void(consulta::Lib_FrmCons3*)>& cuandoAbra)
    {
        bool abierta = false;
        std::function<void()> vigilar = [&] {
            auto* lista = qobject_cast<consulta::Lib_FrmCons3*>(QApplication::activeModalWidget());
            if (!lista) {
                QTimer::singleShot(10, vigilar);
                return;
            }
            abierta = true;
            cuandoAbra(lista);
        };
        QTimer::singleShot(0, vigilar);
        accion();
        pendientes();
        vigilar = [] {};
        EXPECT_TRUE(abierta) << "no se abrió la lista";
    }

    CarpetaTemporal carpeta;
    OperadorDePrueba op;
    std::unique_ptr<app::FrmPermutal> ventana;
};

}  // namespace prueba
