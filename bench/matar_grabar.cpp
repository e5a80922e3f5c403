// The supplier change under SIGKILL: the program that bench/matar.sh starts,
// kills at random instants and starts again on the same database.
//
//   matar_grabar preparar <folder> <orders>   demo database MATAR.db plus the orders
//   matar_grabar grabar <folder> [saves]      saves until killed (or that many saves)
//
// Each generated order has two task, observation and supply rows and is received
// in a report of four stock rows; every tenth pair of orders shares one report.
// A save is FrmPermutal::Grabar as F2 runs it, with the scripted operator
// answering Sí to both questions, so every save moves the whole order (and its
// own stock rows of the report) to another supplier.
// "grabar" prints "listo" once the window is up and the next line is a save;
// with a number of saves it also prints the start-up and mean save times.
#include "app/BaseDemo.h"
#include "app/FrmPermutal.h"
#include "app/Sesion.h"
#include "companion/Operador.h"
#include "data/Sesion.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <sqlite3.h>

namespace {

const QString kBase = QStringLiteral("MATAR");
const char* const kProveedores[] = {"P00001", "P00002", "P00003"};
constexpr int kStockPorOrden = 4;
constexpr int kRenglones = 2;

QString idOrden(int i) { return QStringLiteral("0003%1A").arg(i, 8, 10, QLatin1Char('0')); }
QString idInforme(int i) { return QStringLiteral("0003%1X").arg(i, 8, 10, QLatin1Char('0')); }
// Orders 10k+1 and 10k+2 share the report of the first.
int informeDe(int i) { return i % 10 == 2 ? i - 1 : i; }

[[noreturn]] void fallar(const QString& texto)
{
    std::fprintf(stderr, "matar_grabar: %s\n", qPrintable(texto));
    std::exit(2);
}

void exec(sqlite3* db, const char* sql)
{
    char* err = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) fallar(QString::fromUtf8(sql) + QStringLiteral(": ") + QString::fromUtf8(err ? err : "?"));
}

sqlite3_stmt* preparar(sqlite3* db, const char* sql)
{
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) fallar(QString::fromUtf8(sqlite3_errmsg(db)));
    return st;
}

void paso(sqlite3_stmt* st, std::initializer_list<QByteArray> textos, std::initializer_list<int> numeros = {})
{
    int k = 1;
    for (const QByteArray& t : textos) sqlite3_bind_text(st, k++, t.constData(), -1, SQLITE_TRANSIENT);
    for (int n : numeros) sqlite3_bind_int(st, k++, n);
    if (sqlite3_step(st) != SQLITE_DONE) fallar(QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(st))));
    sqlite3_reset(st);
}

int crearBase(const QString& carpeta, int ordenes)
{
    const QString ruta = carpeta + QLatin1Char('/') + kBase + QStringLiteral(".db");
    QFile::remove(ruta);
    QString error;
    if (!app::crearBaseDemo(ruta, &error)) fallar(error);
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(ruta).constData(), &db);
    exec(db, "BEGIN");
    // The header takes the supplier's own data, as a save would leave it.
    sqlite3_stmt* cab = preparar(db,
                                 "INSERT INTO C_MV_CPTE (TC, IDCOMPROBANTE, FECHA, CUENTA, NOMBRE, DOMICILIO, ESTADO, TOTAL) "
                                 "SELECT 'OC', ?1, '2024-05-01', CODIGO, Razon_Social, CALLE, 'P', 1000 FROM VT_PROVEEDORES WHERE CODIGO = ?2");
    sqlite3_stmt* tar = preparar(db, "INSERT INTO C_MV_CPTETAREAS (TC, IDCOMPROBANTE, CUENTA, RENGLON, IDTAREA) VALUES ('OC', ?1, ?2, ?3, 'T01')");
    sqlite3_stmt* obs =
        preparar(db, "INSERT INTO C_MV_CPTE_OBSERV (TC, IDCOMPROBANTE, CUENTA, RENGLON, OBSERVACION) VALUES ('OC', ?1, ?2, ?3, 'Entrega parcial')");
    sqlite3_stmt* ins = preparar(
        db, "INSERT INTO C_MV_CPTEINSUMOS (TC, IDCOMPROBANTE, CUENTA, RENGLON, IDARTICULO, CANTIDAD) VALUES ('OC', ?1, ?2, ?3, '100101', 10)");
    sqlite3_stmt* stk = preparar(db,
                                 "INSERT INTO MV_STOCK (TC, IDCOMPROBANTE, RENGLON, TC_ORIGEN, IDCOMPROBANTE_ORIGEN, CUENTAPROVEEDOR, IDARTICULO, "
                                 "IDDEPOSITO, CANTIDAD) VALUES ('IR', ?1, ?4, 'OC', ?2, ?3, '100101', '01', 1)");
    for (int i = 1; i <= ordenes; ++i) {
        const QByteArray oc = idOrden(i).toUtf8(), ir = idInforme(informeDe(i)).toUtf8();
        const QByteArray prov = kProveedores[i % 3];
        paso(cab, {oc, prov});
        for (int r = 1; r <= kRenglones; ++r)
            for (sqlite3_stmt* s : {tar, obs, ins}) paso(s, {oc, prov}, {r});
        // The second order of a shared report numbers its rows after the first's.
        const int primero = informeDe(i) == i ? 0 : kStockPorOrden;
        for (int r = 1; r <= kStockPorOrden; ++r) paso(stk, {ir, oc, prov}, {primero + r});
    }
    for (sqlite3_stmt* s : {cab, tar, obs, ins, stk}) sqlite3_finalize(s);
    exec(db, "COMMIT");
    exec(db, "ANALYZE");
    sqlite3_close(db);
    return 0;
}

// Each generated order's supplier as the database has it now.
std::map<QString, QString> proveedoresActuales(const QString& carpeta)
{
    std::map<QString, QString> r;
    sqlite3* db = nullptr;
    const QString ruta = carpeta + QLatin1Char('/') + kBase + QStringLiteral(".db");
    if (sqlite3_open_v2(QFile::encodeName(ruta).constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) fallar(QStringLiteral("no abre ") + ruta);
    sqlite3_stmt* st = preparar(db, "SELECT IDCOMPROBANTE, CUENTA FROM C_MV_CPTE WHERE TC = 'OC' AND IDCOMPROBANTE LIKE '0003%'");
    while (sqlite3_step(st) == SQLITE_ROW)
        r[QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)))] =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
    sqlite3_finalize(st);
    sqlite3_close(db);
    if (r.empty()) fallar(QStringLiteral("la base no tiene órdenes generadas"));
    return r;
}

int grabar(const QString& carpeta, long saves)
{
    QElapsedTimer reloj;
    reloj.start();
    qputenv("PERMUTAL_CARPETA", QFile::encodeName(carpeta));
    std::map<QString, QString> actuales = proveedoresActuales(carpeta);
    std::vector<QString> ordenes;
    for (const auto& [oc, prov] : actuales) ordenes.push_back(oc);

    datos::DB_Dll& s = datos::gDB();
    s.fijarConexion(std::make_shared<ado::Connection>());
    s.gServidor = QStringLiteral("SQLITE");
    s.gDBName = kBase;
    s.gUsuario = QStringLiteral("ADMIN");
    s.OpenServerADODB(false, 3, QString(), false, false);
    if (!s.gOpenFlag) fallar(QStringLiteral("no se pudo abrir la base"));

    auto op = std::make_shared<velmora::OperadorGuionado>();   // Sí to every question, then Aceptar
    velmora::instalarOperador(op);
    app::FrmPermutal ventana;
    ventana.show();
    QCoreApplication::processEvents();
    const double arranqueMs = static_cast<double>(reloj.nsecsElapsed()) / 1e6;
    std::printf("listo\n");
    std::fflush(stdout);

    QRandomGenerator azar(static_cast<quint32>(QCoreApplication::applicationPid()) ^ static_cast<quint32>(reloj.msecsSinceReference()));
    QElapsedTimer medida;
    medida.start();
    for (long hechas = 0; saves <= 0 || hechas < saves; ++hechas) {
        const QString& oc = ordenes[azar.bounded(static_cast<quint32>(ordenes.size()))];
        // Another supplier than the order's current one.
        QString nuevo;
        do nuevo = QString::fromLatin1(kProveedores[azar.bounded(3u)]);
        while (nuevo.compare(actuales[oc], Qt::CaseInsensitive) == 0);
        ventana.TxtFields(1)->setText(oc.mid(0, 4));
        ventana.TxtFields(2)->setText(oc.mid(4, 8));
        ventana.TxtFields(3)->setText(oc.mid(12, 1));
        ventana.TxtFields(0)->setText(nuevo);
        op->llamadas.clear();
        ventana.Grabar();
        if (op->llamadas.empty() || op->llamadas.back().texto != QLatin1String("Proceso Finalizado")) {
            const QString ultimo = op->llamadas.empty() ? QStringLiteral("(ningún mensaje)") : op->llamadas.back().texto;
            fallar(QStringLiteral("la grabación de %1 no terminó bien: %2").arg(oc, ultimo));
        }
        actuales[oc] = nuevo;
    }
    if (saves > 0)
        std::printf("arranque_ms %.1f\nmedia_ms %.3f\n", arranqueMs, static_cast<double>(medida.nsecsElapsed()) / 1e6 / static_cast<double>(saves));
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication aplicacion(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() >= 4 && args[1] == QLatin1String("preparar")) return crearBase(args[2], args[3].toInt());
    if (args.size() >= 3 && args[1] == QLatin1String("grabar")) return grabar(args[2], args.size() >= 4 ? args[3].toLong() : 0);
    std::fprintf(stderr, "uso: matar_grabar preparar <carpeta> <ordenes> | grabar <carpeta> [grabaciones]\n");
    return 2;
}
