// The supplier change (F2) on a generated embedded database, side by side with
// the same statements on the bare engine and with a save written for the engine.
//
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DPERMUTAL_BENCH=ON -DPERMUTAL_TESTS=OFF
//   cmake --build build-bench --target bench_grabar
//   QT_QPA_PLATFORM=offscreen build-bench/bench/bench_grabar --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
//
// Instruction counts (callgrind, repeatable on a busy machine): bench/instrucciones.sh.
//
// Databases: the demo plus generated pending orders, each received in its own
// receiving report of ten stock rows, one task, observation and supply row per
// order, and generated suppliers; ANALYZEd. Sizes: stock rows (1 000 or
// 1 000 000) and suppliers (100 or 100 000). PERMUTAL_BENCH_CARPETA keeps them
// between runs (they take a while at a million rows).
//
// Every benchmark runs kVeces iterations, each changing another order (spread
// over the table) to another supplier (spread over the suppliers) and
// committing, on its own copy of the database:
//  - BM_Grabar: FrmPermutal::Grabar as F2 runs it (validation, confirmation by
//    the scripted operator, reads, batch, commit, progress strip on a shown
//    window, fields cleared).
//  - BM_GrabarCrudo: the texts that very save sent (recorded once from the
//    trace, untimed), as the provider rewrites them, on a bare sqlite3
//    connection with the provider's collations and functions: every read's rows
//    read as text, every statement prepared from its text.
//  - BM_GrabarNativo: the same reads and updates (the same tables and views)
//    written for the engine: prepared once, parameters bound, one transaction,
//    SQLite's own comparison.
//  - BM_ComprobarProveedor: the supplier field's check alone (Enter).
#include "ado/ProveedorSqlite.h"
#include "app/BaseDemo.h"
#include "app/FrmPermutal.h"
#include "app/Progreso.h"
#include "app/Sesion.h"
#include "companion/Operador.h"
#include "data/Sesion.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <functional>
#include <map>
#include <memory>
#include <sqlite3.h>

namespace {

QString carpeta;
constexpr int kStockPorOrden = 10;
constexpr int kVeces = 300;

QString idOrden(int i) { return QStringLiteral("0002%1A").arg(i, 8, 10, QLatin1Char('0')); }
QString idInforme(int i) { return QStringLiteral("0002%1X").arg(i, 8, 10, QLatin1Char('0')); }
QString codigoProveedor(int i) { return QStringLiteral("Q%1").arg(i, 6, 10, QLatin1Char('0')); }

void exec(sqlite3* db, const char* sql)
{
    char* err = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        fprintf(stderr, "%s: %s\n", sql, err ? err : "?");
        sqlite3_free(err);
        std::abort();
    }
}

// The demo database plus `ordenes` pending orders and `proveedores` suppliers.
QString baseGenerada(int ordenes, int proveedores)
{
    const QString nombre = QStringLiteral("GRABAR_%1_%2").arg(ordenes).arg(proveedores);
    const QString ruta = carpeta + QLatin1Char('/') + nombre + QStringLiteral(".db");
    if (QFile::exists(ruta)) return ruta;
    const QString temporal = ruta + QStringLiteral(".nuevo");
    QFile::remove(temporal);
    QString error;
    if (!app::crearBaseDemo(temporal, &error)) {
        fprintf(stderr, "%s\n", qPrintable(error));
        std::abort();
    }
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(temporal).constData(), &db);
    exec(db, "BEGIN");
    sqlite3_stmt *cab = nullptr, *tar = nullptr, *obs = nullptr, *ins = nullptr, *stk = nullptr, *prov = nullptr;
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
    sqlite3_prepare_v2(db,
                       "INSERT INTO VT_PROVEEDORES (CODIGO, Razon_Social, CALLE, NUMERO, PISO, DEPARTAMENTO, Telefono, Localidad, Provincia, CPostal, "
                       "Documento_Tipo, Numero_Documento, IVA, Dada_De_Baja) VALUES (?1, ?2, 'Av. Corrientes', ?3, '', '', '(011) 4000-0000', "
                       "'Buenos Aires', 'CABA', '1043', 'CUIT', '30-00000000-0', 'RI', 0)",
                       -1, &prov, nullptr);
    for (int i = 1; i <= proveedores; ++i) {
        const QByteArray cod = codigoProveedor(i).toUtf8();
        const QByteArray razon = QStringLiteral("Proveedor generado %1 S.A.").arg(i).toUtf8();
        const QByteArray numero = QByteArray::number(i % 9000 + 100);
        sqlite3_bind_text(prov, 1, cod.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(prov, 2, razon.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(prov, 3, numero.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_step(prov);
        sqlite3_reset(prov);
    }
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
    for (sqlite3_stmt* s : {cab, tar, obs, ins, stk, prov}) sqlite3_finalize(s);
    exec(db, "COMMIT");
    exec(db, "ANALYZE");
    sqlite3_close(db);
    QFile::rename(temporal, ruta);
    return ruta;
}

// A fresh copy of a generated database for one benchmark, as a file of the
// application folder the session opens by name.
QString copia(const QString& origen, const char* para)
{
    const QString nombre = QFileInfo(origen).completeBaseName() + QLatin1Char('_') + QLatin1String(para);
    const QString destino = carpeta + QLatin1Char('/') + nombre + QStringLiteral(".db");
    for (const char* sufijo : {"", "-wal", "-shm", "-journal"}) QFile::remove(destino + QLatin1String(sufijo));
    if (!QFile::copy(origen, destino)) std::abort();
    return destino;
}

void conectar(const QString& ruta)
{
    datos::DB_Dll& s = datos::gDB();
    const QString nombre = QFileInfo(ruta).completeBaseName();
    if (s.gDBName == nombre && s.gOpenFlag) return;
    s.fijarConexion(std::make_shared<ado::Connection>());
    s.gServidor = QStringLiteral("SQLITE");
    s.gDBName = nombre;
    s.gUsuario = QStringLiteral("ADMIN");
    s.gUserPassWord.clear();
    s.OpenServerADODB(false, 3, QString(), false, false);
    if (!s.gOpenFlag) std::abort();
}

void desconectar()
{
    datos::gDB().fijarConexion(std::make_shared<ado::Connection>());
    datos::gDB().gDBName.clear();
}

// The orders and suppliers of the iterations, spread over the tables.
int ordenDe(int ordenes, long i) { return 1 + static_cast<int>((i * 7919) % ordenes); }
QString proveedorDe(int proveedores, long i) { return codigoProveedor(1 + static_cast<int>((i * 104729 + proveedores / 2) % proveedores)); }

int ordenes(const benchmark::State& e) { return static_cast<int>(e.range(0)) / kStockPorOrden; }
int proveedores(const benchmark::State& e) { return static_cast<int>(e.range(1)); }

// --- The program's save ---------------------------------------------------------

struct Sesion {
    std::shared_ptr<velmora::OperadorGuionado> op = std::make_shared<velmora::OperadorGuionado>();   // Yes, then OK
    std::unique_ptr<app::FrmPermutal> ventana;
    explicit Sesion(const QString& ruta)
    {
        conectar(ruta);
        velmora::instalarOperador(op);
        ventana = std::make_unique<app::FrmPermutal>();
        ventana->show();
    }
    ~Sesion()
    {
        ventana.reset();
        desconectar();
    }
    bool grabar(const QString& oc, const QString& proveedor)
    {
        ventana->TxtFields(1)->setText(oc.mid(0, 4));
        ventana->TxtFields(2)->setText(oc.mid(4, 8));
        ventana->TxtFields(3)->setText(oc.mid(12, 1));
        ventana->TxtFields(0)->setText(proveedor);
        op->llamadas.clear();
        ventana->Grabar();
        return op->llamadas.size() == 2 && op->llamadas.back().texto == QLatin1String("Proceso Finalizado");
    }
};

void BM_Grabar(benchmark::State& estado)
{
    Sesion s(copia(baseGenerada(ordenes(estado), proveedores(estado)), "programa"));
    const ado::UsoDePlanes antes = ado::usoDePlanesSqlite();
    long i = 0;
    for (auto _ : estado) {
        if (!s.grabar(idOrden(ordenDe(ordenes(estado), i)), proveedorDe(proveedores(estado), i))) {
            estado.SkipWithError("la grabación no terminó bien");
            break;
        }
        ++i;
    }
    const ado::UsoDePlanes despues = ado::usoDePlanesSqlite();
    const double lotes = static_cast<double>(despues.hallados - antes.hallados + despues.nuevos - antes.nuevos);
    estado.counters["planes_hallados_%"] = lotes > 0 ? 100.0 * static_cast<double>(despues.hallados - antes.hallados) / lotes : 0;
}

void BM_ComprobarProveedor(benchmark::State& estado)
{
    Sesion s(copia(baseGenerada(ordenes(estado), proveedores(estado)), "comprobar"));
    QLineEdit* campo = s.ventana->TxtFields(0);
    long i = 0;
    for (auto _ : estado) {
        campo->setText(proveedorDe(proveedores(estado), i++));
        s.ventana->ValidaCampo(campo);
        if (s.ventana->lblProv()->text() == QLatin1String("...")) {
            estado.SkipWithError("el proveedor no se encontró");
            break;
        }
    }
}

// --- The same texts on the bare engine ----------------------------------------------

// What kVeces saves send, recorded from the trace of one run on a copy.
std::vector<std::vector<QString>> textosDeLasGrabaciones(const QString& base, int ordenesBase, int proveedoresBase)
{
    static std::map<QString, std::vector<std::vector<QString>>> hechos;
    auto it = hechos.find(base);
    if (it != hechos.end()) return it->second;
    const QString traza = carpeta + QStringLiteral("/traza.jsonl");
    std::vector<std::vector<QString>> r;
    {
        Sesion s(copia(base, "registro"));
        for (long i = 0; i < kVeces; ++i) {
            QFile::remove(traza);
            qputenv("PERMUTAL_TRAZA_SQL", QFile::encodeName(traza));
            const bool bien = s.grabar(idOrden(ordenDe(ordenesBase, i)), proveedorDe(proveedoresBase, i));
            qunsetenv("PERMUTAL_TRAZA_SQL");
            if (!bien) std::abort();
            QFile f(traza);
            f.open(QIODevice::ReadOnly);
            std::vector<QString> textos;
            for (const QByteArray& linea : f.readAll().split('\n')) {
                if (linea.trimmed().isEmpty()) continue;
                const QJsonObject o = QJsonDocument::fromJson(linea).object();
                const QString op = o.value(QStringLiteral("op")).toString();
                if (op == QLatin1String("execute") || op == QLatin1String("open")) textos.push_back(o.value(QStringLiteral("sql")).toString());
            }
            r.push_back(textos);
        }
    }
    QFile::remove(traza);
    return hechos[base] = r;
}

void BM_GrabarCrudo(benchmark::State& estado)
{
    const QString base = baseGenerada(ordenes(estado), proveedores(estado));
    const auto grabaciones = textosDeLasGrabaciones(base, ordenes(estado), proveedores(estado));
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(copia(base, "crudo")).constData(), &db);
    ado::prepararConexionSqlite(db);
    // Rewritten before the clock starts: the bare engine gets the texts SQLite runs.
    std::vector<std::vector<QByteArray>> sentencias;
    for (const auto& g : grabaciones) {
        std::vector<QByteArray> s;
        for (const QString& lote : g)
            for (const QString& t : ado::sentenciasSqlite(db, lote)) s.push_back(t.toUtf8());
        sentencias.push_back(s);
    }
    size_t i = 0;
    for (auto _ : estado) {
        for (const QByteArray& t : sentencias[i % sentencias.size()]) {
            sqlite3_stmt* st = nullptr;
            if (sqlite3_prepare_v2(db, t.constData(), static_cast<int>(t.size()), &st, nullptr) != SQLITE_OK) std::abort();
            QStringList valores;   // the rows read as the recordset reads them
            while (sqlite3_step(st) == SQLITE_ROW)
                for (int k = 0; k < sqlite3_column_count(st); ++k)
                    valores << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, k)), sqlite3_column_bytes(st, k));
            benchmark::DoNotOptimize(valores);
            sqlite3_finalize(st);
        }
        ++i;
    }
    sqlite3_close(db);
}

// --- A save written for the engine ---------------------------------------------------

struct Nativo {
    sqlite3* db = nullptr;
    std::map<std::string, sqlite3_stmt*> st;
    explicit Nativo(const QString& ruta)
    {
        sqlite3_open(QFile::encodeName(ruta).constData(), &db);
        exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;");
        const std::pair<const char*, const char*> sentencias[] = {
            {"proveedor", "SELECT * FROM VT_PROVEEDORES WHERE CODIGO = ?1 LIMIT 1"},
            {"orden", "SELECT * FROM CO_OCompraPendientes WHERE TC = 'OC' AND IDCOMPROBANTE = ?1 LIMIT 1"},
            {"datos", "SELECT Razon_Social, CALLE || ' ' || NUMERO || ' ' || PISO || ' ' || DEPARTAMENTO, Telefono, Localidad, Provincia, CPostal, "
                      "Documento_Tipo, Numero_Documento, IVA FROM VT_PROVEEDORES WHERE CODIGO = ?1"},
            {"informe", "SELECT IDCOMPROBANTE FROM V_MV_STOCK WHERE TC_ORIGEN = 'OC' AND IDCOMPROBANTE_ORIGEN = ?1 AND TC = 'IR' LIMIT 1"},
            {"origenes", "SELECT TC_ORIGEN, IDCOMPROBANTE_ORIGEN FROM V_MV_STOCK WHERE TC = 'IR' AND IDCOMPROBANTE = ?1 GROUP BY TC_ORIGEN, IDCOMPROBANTE_ORIGEN"},
            {"tareas", "UPDATE C_MV_CPTETAREAS SET CUENTA = ?1 WHERE TC = 'OC' AND IDCOMPROBANTE = ?2"},
            {"observ", "UPDATE C_MV_CPTE_OBSERV SET CUENTA = ?1 WHERE TC = 'OC' AND IDCOMPROBANTE = ?2"},
            {"insumos", "UPDATE C_MV_CPTEINSUMOS SET CUENTA = ?1 WHERE TC = 'OC' AND IDCOMPROBANTE = ?2"},
            {"cabecera", "UPDATE C_MV_CPTE SET CUENTA = ?1, NOMBRE = ?2, DOMICILIO = ?3, TELEFONO = ?4, LOCALIDAD = ?5, IDPROVINCIA = ?6, "
                         "CODIGOPOSTAL = ?7, DOCUMENTOTIPO = ?8, DOCUMENTONUMERO = ?9, CONDICIONIVA = ?10 WHERE TC = 'OC' AND IDCOMPROBANTE = ?11"},
            {"stock", "UPDATE V_MV_STOCK SET CUENTAPROVEEDOR = ?1 WHERE TC = 'IR' AND IDCOMPROBANTE = ?2 AND TC_ORIGEN = 'OC' AND IDCOMPROBANTE_ORIGEN = ?3"},
            {"begin", "BEGIN"},
            {"commit", "COMMIT"},
        };
        for (const auto& [n, sql] : sentencias)
            if (sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &st[n], nullptr) != SQLITE_OK) {
                fprintf(stderr, "%s: %s\n", sql, sqlite3_errmsg(db));
                std::abort();
            }
    }
    ~Nativo()
    {
        for (auto& [n, s] : st) sqlite3_finalize(s);
        sqlite3_close(db);
    }
    // Steps a statement with its parameters; the first row's columns as text.
    std::vector<QByteArray> correr(const char* nombre, std::initializer_list<QByteArray> parametros)
    {
        sqlite3_stmt* s = st[nombre];
        int k = 1;
        for (const QByteArray& p : parametros) sqlite3_bind_text(s, k++, p.constData(), static_cast<int>(p.size()), SQLITE_STATIC);
        std::vector<QByteArray> fila;
        while (sqlite3_step(s) == SQLITE_ROW)
            if (fila.empty())
                for (int c = 0; c < sqlite3_column_count(s); ++c)
                    fila.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s, c)), sqlite3_column_bytes(s, c));
        sqlite3_reset(s);
        sqlite3_clear_bindings(s);
        return fila;
    }
    void grabar(const QByteArray& oc, const QByteArray& cod)
    {
        correr("proveedor", {cod});
        correr("orden", {oc});
        const std::vector<QByteArray> d = correr("datos", {cod});
        const std::vector<QByteArray> ir = correr("informe", {oc});
        const QByteArray informe = ir.empty() ? QByteArray() : ir[0];
        correr("origenes", {informe});
        correr("begin", {});
        for (const char* t : {"tareas", "observ", "insumos"}) correr(t, {cod, oc});
        correr("cabecera", {cod, d[0], d[1].trimmed(), d[2], d[3], d[4], d[5], d[6], d[7], d[8], oc});
        correr("stock", {cod, informe, oc});
        correr("commit", {});
    }
};

void BM_GrabarNativo(benchmark::State& estado)
{
    Nativo n(copia(baseGenerada(ordenes(estado), proveedores(estado)), "nativo"));
    long i = 0;
    for (auto _ : estado) {
        n.grabar(idOrden(ordenDe(ordenes(estado), i)).toUtf8(), proveedorDe(proveedores(estado), i).toUtf8());
        ++i;
    }
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

void tamanos(benchmark::internal::Benchmark* b)
{
    b->Args({1000, 100})->Args({1000000, 100})->Args({1000, 100000})->Iterations(kVeces)->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_ProgresoDeUnaGrabacion)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Grabar)->Apply(tamanos);
BENCHMARK(BM_GrabarCrudo)->Apply(tamanos);
BENCHMARK(BM_GrabarNativo)->Apply(tamanos);
BENCHMARK(BM_ComprobarProveedor)->Args({1000, 100})->Args({1000, 100000})->Iterations(kVeces)->Unit(benchmark::kMicrosecond);

// --- Instruction counts ------------------------------------------------------------

// The counted part: callgrind --toggle-collect=medirVeces* (bench/instrucciones.sh).
__attribute__((noinline)) void medirVeces(const std::function<void(long)>& una, long veces)
{
    for (long i = 0; i < veces; ++i) una(i);
}

int instrucciones(const QString& variante, int stock, int provs, long veces)
{
    const int ord = stock / kStockPorOrden;
    const QString base = baseGenerada(ord, provs);
    if (variante == QLatin1String("grabar")) {
        Sesion s(copia(base, "programa"));
        s.grabar(idOrden(ordenDe(ord, veces)), proveedorDe(provs, veces));   // warm: the shapes' first rewriting
        medirVeces([&](long i) { s.grabar(idOrden(ordenDe(ord, i)), proveedorDe(provs, i)); }, veces);
    } else if (variante == QLatin1String("crudo")) {
        const auto g = textosDeLasGrabaciones(base, ord, provs);
        sqlite3* db = nullptr;
        sqlite3_open(QFile::encodeName(copia(base, "crudo")).constData(), &db);
        ado::prepararConexionSqlite(db);
        std::vector<std::vector<QByteArray>> sentencias;
        for (const auto& x : g) {
            std::vector<QByteArray> s;
            for (const QString& lote : x)
                for (const QString& t : ado::sentenciasSqlite(db, lote)) s.push_back(t.toUtf8());
            sentencias.push_back(s);
        }
        medirVeces(
            [&](long i) {
                for (const QByteArray& t : sentencias[static_cast<size_t>(i) % sentencias.size()]) {
                    sqlite3_stmt* st = nullptr;
                    sqlite3_prepare_v2(db, t.constData(), static_cast<int>(t.size()), &st, nullptr);
                    QStringList valores;
                    while (sqlite3_step(st) == SQLITE_ROW)
                        for (int k = 0; k < sqlite3_column_count(st); ++k)
                            valores << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, k)), sqlite3_column_bytes(st, k));
                    sqlite3_finalize(st);
                }
            },
            veces);
        sqlite3_close(db);
    } else if (variante == QLatin1String("comprobar")) {
        Sesion s(copia(base, "comprobar"));
        QLineEdit* campo = s.ventana->TxtFields(0);
        medirVeces(
            [&](long i) {
                campo->setText(proveedorDe(provs, i));
                s.ventana->ValidaCampo(campo);
            },
            veces);
    } else if (variante == QLatin1String("nativo")) {
        Nativo n(copia(base, "nativo"));
        medirVeces([&](long i) { n.grabar(idOrden(ordenDe(ord, i)).toUtf8(), proveedorDe(provs, i).toUtf8()); }, veces);
    } else {
        return 2;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication aplicacion(argc, argv);
    QTemporaryDir dir;
    carpeta = qEnvironmentVariableIsEmpty("PERMUTAL_BENCH_CARPETA") ? dir.path() : qEnvironmentVariable("PERMUTAL_BENCH_CARPETA");
    QDir().mkpath(carpeta);
    qputenv("PERMUTAL_CARPETA", QFile::encodeName(carpeta));
    app::gTopDefault = QStringLiteral("1000");
    // bench_grabar --instrucciones grabar|crudo|nativo|comprobar STOCK PROVEEDORES VECES
    if (argc == 6 && QLatin1String(argv[1]) == QLatin1String("--instrucciones"))
        return instrucciones(QString::fromLatin1(argv[2]), atoi(argv[3]), atoi(argv[4]), atol(argv[5]));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
