// The supplier change (F2) on a generated embedded database, against the plain
// sqlite3 engine running the same statements.
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DPERMUTAL_BENCH=ON -DPERMUTAL_TESTS=OFF
//   cmake --build build-bench --target bench_grabar && QT_QPA_PLATFORM=offscreen build-bench/bench/bench_grabar
// Sizes: 1 000 stock rows (100 orders) and 1 000 000 stock rows (100 000 orders),
// ten stock rows per order's receiving report, one task, observation and supply row per order.
#include "app/BaseDemo.h"
#include "app/FrmPermutal.h"
#include "app/Progreso.h"
#include "app/Sesion.h"
#include "companion/Operador.h"
#include "data/Sesion.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>
#include <sqlite3.h>

namespace {

QTemporaryDir* carpeta = nullptr;
constexpr int kStockPorOrden = 10;

QString idOrden(int i) { return QStringLiteral("0002%1A").arg(i, 8, 10, QLatin1Char('0')); }
QString idInforme(int i) { return QStringLiteral("0002%1X").arg(i, 8, 10, QLatin1Char('0')); }

void exec(sqlite3* db, const char* sql)
{
    char* err = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        fprintf(stderr, "%s: %s\n", sql, err ? err : "?");
        sqlite3_free(err);
        std::abort();
    }
}

// The demo database plus `ordenes` pending orders, each received in its own
// report of ten stock rows. Built once per size.
QString prepararBase(int ordenes)
{
    static std::map<int, QString> hechas;
    if (hechas.count(ordenes)) return hechas[ordenes];
    const QString nombre = QStringLiteral("GRABAR_%1").arg(ordenes);
    const QString ruta = carpeta->filePath(nombre + QStringLiteral(".db"));
    QString error;
    if (!app::crearBaseDemo(ruta, &error)) {
        fprintf(stderr, "%s\n", qPrintable(error));
        std::abort();
    }
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(ruta).constData(), &db);
    exec(db, "BEGIN");
    sqlite3_stmt *cab = nullptr, *tar = nullptr, *obs = nullptr, *ins = nullptr, *stk = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO C_MV_CPTE (TC, IDCOMPROBANTE, FECHA, CUENTA, NOMBRE, DOMICILIO, ESTADO, TOTAL) "
                       "VALUES ('OC', ?1, '2024-05-01', 'P00003', 'Metalúrgica San Martín S.A.', 'San Martín 4520', 'P', 1000)",
                       -1, &cab, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO C_MV_CPTETAREAS (TC, IDCOMPROBANTE, CUENTA, RENGLON, IDTAREA) VALUES ('OC', ?1, 'P00003', 1, 'T01')", -1, &tar, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO C_MV_CPTE_OBSERV (TC, IDCOMPROBANTE, CUENTA, RENGLON, OBSERVACION) VALUES ('OC', ?1, 'P00003', 1, 'Entrega parcial')", -1,
                       &obs, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO C_MV_CPTEINSUMOS (TC, IDCOMPROBANTE, CUENTA, RENGLON, IDARTICULO, CANTIDAD) VALUES ('OC', ?1, 'P00003', 1, '100101', 10)", -1,
                       &ins, nullptr);
    sqlite3_prepare_v2(db,
                       "INSERT INTO MV_STOCK (TC, IDCOMPROBANTE, RENGLON, TC_ORIGEN, IDCOMPROBANTE_ORIGEN, CUENTAPROVEEDOR, IDARTICULO, IDDEPOSITO, CANTIDAD) "
                       "VALUES ('IR', ?1, ?2, 'OC', ?3, 'P00003', '100101', '01', 1)",
                       -1, &stk, nullptr);
    for (int i = 1; i <= ordenes; ++i) {
        const QByteArray oc = idOrden(i).toUtf8(), ir = idInforme(i).toUtf8();
        for (sqlite3_stmt* s : {cab, tar, obs, ins}) {
            sqlite3_bind_text(s, 1, oc.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_step(s);
            sqlite3_reset(s);
        }
        for (int r = 1; r <= kStockPorOrden; ++r) {
            sqlite3_bind_text(stk, 1, ir.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(stk, 2, r);
            sqlite3_bind_text(stk, 3, oc.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_step(stk);
            sqlite3_reset(stk);
        }
    }
    for (sqlite3_stmt* s : {cab, tar, obs, ins, stk}) sqlite3_finalize(s);
    exec(db, "COMMIT");
    exec(db, "ANALYZE");
    sqlite3_close(db);
    hechas[ordenes] = nombre;
    return nombre;
}

void conectar(const QString& nombre)
{
    datos::DB_Dll& s = datos::gDB();
    if (s.gDBName == nombre && s.gOpenFlag) return;
    s.fijarConexion(std::make_shared<ado::Connection>());
    s.gServidor = QStringLiteral("SQLITE");
    s.gDBName = nombre;
    s.gUsuario = QStringLiteral("ADMIN");
    s.gUserPassWord.clear();
    s.OpenServerADODB(false, 3, QString(), false, false);
    if (!s.gOpenFlag) std::abort();
}

// The orders the iterations change, spread over the table.
int ordenDeIteracion(int ordenes, long iteracion) { return 1 + static_cast<int>((iteracion * 7919) % ordenes); }
const char* proveedorDeIteracion(long iteracion) { return iteracion % 2 ? "P00001" : "P00002"; }

// --- The program's save ---------------------------------------------------------

void BM_Grabar(benchmark::State& estado)
{
    const int ordenes = static_cast<int>(estado.range(0)) / kStockPorOrden;
    conectar(prepararBase(ordenes));
    auto op = std::make_shared<velmora::OperadorGuionado>();   // answers Yes, then OK
    velmora::instalarOperador(op);
    app::FrmPermutal ventana;
    ventana.show();
    long i = 0;
    for (auto _ : estado) {
        const QString oc = idOrden(ordenDeIteracion(ordenes, i));
        ventana.TxtFields(1)->setText(oc.mid(0, 4));
        ventana.TxtFields(2)->setText(oc.mid(4, 8));
        ventana.TxtFields(3)->setText(oc.mid(12, 1));
        ventana.TxtFields(0)->setText(QString::fromLatin1(proveedorDeIteracion(i)));
        op->llamadas.clear();
        ventana.Grabar();
        if (op->llamadas.size() != 2 || op->llamadas.back().texto != QLatin1String("Proceso Finalizado")) {
            estado.SkipWithError("la grabación no terminó bien");
            break;
        }
        ++i;
    }
    estado.counters["filas_stock"] = static_cast<double>(ordenes) * kStockPorOrden;
}

// --- The same statements on the plain engine -------------------------------------

struct Crudo {
    sqlite3* db = nullptr;
    explicit Crudo(const QString& ruta) { sqlite3_open(QFile::encodeName(ruta).constData(), &db); }
    ~Crudo() { sqlite3_close(db); }
    // Runs one statement and reads all its rows (as the client-side recordset does).
    QStringList filas(const QString& sql, int columna = -1)
    {
        QStringList r;
        sqlite3_stmt* st = nullptr;
        const QByteArray q = sql.toUtf8();
        if (sqlite3_prepare_v2(db, q.constData(), static_cast<int>(q.size()), &st, nullptr) != SQLITE_OK) std::abort();
        while (sqlite3_step(st) == SQLITE_ROW) {
            QStringList c;
            for (int k = 0; k < sqlite3_column_count(st); ++k)
                c << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, k)));
            r << (columna >= 0 ? c.value(columna) : c.join(QLatin1Char('|')));
        }
        sqlite3_finalize(st);
        return r;
    }
};

void BM_GrabarCrudo(benchmark::State& estado)
{
    const int ordenes = static_cast<int>(estado.range(0)) / kStockPorOrden;
    const QString ruta = carpeta->filePath(prepararBase(ordenes) + QStringLiteral(".db"));
    Crudo c(ruta);
    long i = 0;
    for (auto _ : estado) {
        const QString oc = idOrden(ordenDeIteracion(ordenes, i));
        const QString cod = QString::fromLatin1(proveedorDeIteracion(i));
        // Validation: the supplier, the order, the current supplier's name.
        c.filas(QStringLiteral("SELECT * FROM VT_PROVEEDORES WHERE LTRIM(RTRIM(CODIGO)) ='%1' LIMIT 1").arg(cod));
        const QStringList orden = c.filas(QStringLiteral("SELECT * FROM CO_OCompraPendientes WHERE TC='OC' AND IDCOMPROBANTE='%1' LIMIT 1").arg(oc), 2);
        c.filas(QStringLiteral("SELECT * FROM vt_proveedores WHERE LTRIM(RTRIM(codigo)) ='%1' LIMIT 1").arg(orden.value(0)));
        // The save's reads.
        const QStringList p = c.filas(QStringLiteral("SELECT Razon_Social, (CALLE || ' ' || NUMERO || ' ' || PISO  || ' ' || DEPARTAMENTO ) AS Domicilio, Telefono, "
                                                     "Localidad, Provincia, CPostal, Documento_Tipo, Numero_Documento,IVA FROM VT_PROVEEDORES WHERE CODIGO='%1'")
                                          .arg(cod))
                                  .value(0)
                                  .split(QLatin1Char('|'));
        const QString ir = c.filas(QStringLiteral("SELECT * FROM V_MV_STOCK WHERE LTRIM(RTRIM(TC_ORIGEN)) ='OC' AND TC_ORIGEN='OC' AND "
                                                  "IDCOMPROBANTE_ORIGEN='%1' AND TC='IR' LIMIT 1")
                                       .arg(oc),
                                   2)
                               .value(0);
        c.filas(QStringLiteral("SELECT TC_ORIGEN,IDCOMPROBANTE_ORIGEN FROM V_MV_STOCK WHERE TC='IR' AND IDCOMPROBANTE='%1' GROUP BY TC_ORIGEN,IDCOMPROBANTE_ORIGEN").arg(ir));
        // The batch and its commit.
        const QString donde = QStringLiteral(" WHERE TC='OC' AND IDCOMPROBANTE='") + oc + QStringLiteral("';\n");
        QString lote = QStringLiteral("BEGIN TRANSACTION;\n");
        for (const char* t : {"C_MV_CPTETAREAS", "C_MV_CPTE_OBSERV", "C_MV_CPTEINSUMOS"})
            lote += QStringLiteral("UPDATE %1 SET CUENTA='%2'").arg(QLatin1String(t), cod) + donde;
        lote += QStringLiteral("UPDATE C_MV_CPTE SET CUENTA='%1', NOMBRE='%2',DOMICILIO='%3',TELEFONO='%4',LOCALIDAD='%5',IDPROVINCIA='%6',CODIGOPOSTAL='%7',"
                               "DOCUMENTOTIPO='%8',DOCUMENTONUMERO='%9',")
                    .arg(cod, p.value(0), p.value(1).trimmed(), p.value(2), p.value(3), p.value(4), p.value(5), p.value(6), p.value(7))
                + QStringLiteral("CONDICIONIVA='") + p.value(8) + QStringLiteral("'") + donde;
        lote += QStringLiteral("UPDATE V_MV_STOCK SET CUENTAPROVEEDOR='%1' WHERE  TC='IR' AND IDCOMPROBANTE='%2' AND TC_ORIGEN='OC' AND IDCOMPROBANTE_ORIGEN='%3';\n")
                    .arg(cod, ir, oc);
        exec(c.db, lote.toUtf8().constData());
        exec(c.db, "COMMIT TRANSACTION");
        ++i;
    }
    estado.counters["filas_stock"] = static_cast<double>(ordenes) * kStockPorOrden;
}

// The progress strip as one save paints it: five steps, the 100 and the clearing.
void BM_ProgresoDeUnaGrabacion(benchmark::State& estado)
{
    app::FrmPermutal ventana;
    ventana.show();
    for (auto _ : estado) {
        for (int p : {25, 50, 75, 80, 90, 100}) app::DibujaProgreso(ventana.Picture1(), p, 0xFF0000, QString());
        ventana.Picture1()->Cls();
    }
}

BENCHMARK(BM_ProgresoDeUnaGrabacion)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Grabar)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GrabarCrudo)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication aplicacion(argc, argv);
    QTemporaryDir dir;
    carpeta = &dir;
    qputenv("PERMUTAL_CARPETA", QFile::encodeName(dir.path()));
    app::gTopDefault = QStringLiteral("1000");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
