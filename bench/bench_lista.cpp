// The list lookup window with many rows: loading a statement (open, rows,
// sort, first paint) and find-as-you-type in a search box.
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DPERMUTAL_BENCH=ON
//   cmake --build build-bench --target bench_lista && QT_QPA_PLATFORM=offscreen build-bench/bench/bench_lista
#include "data/Sesion.h"
#include "lookup/Lib_FrmCons3.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <map>
#include <sqlite3.h>

namespace {

QTemporaryDir* carpeta = nullptr;

// A database of n rows, created once per size.
void prepararBase(int n)
{
    static std::map<int, bool> hechas;
    const QString nombre = QStringLiteral("lista%1").arg(n);
    if (!hechas[n]) {
        sqlite3* db = nullptr;
        const QByteArray ruta = QFile::encodeName(carpeta->filePath(nombre + QStringLiteral(".db")));
        sqlite3_open(ruta.constData(), &db);
        sqlite3_exec(db,
                     "CREATE TABLE T (NOMBRE VARCHAR(60) COLLATE NOCASE, CODIGO VARCHAR(10) COLLATE NOCASE,"
                     " ZONA VARCHAR(20) COLLATE NOCASE, IMPORTE MONEY);"
                     "BEGIN;",
                     nullptr, nullptr, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO T VALUES (?, ?, ?, ?)", -1, &st, nullptr);
        for (int i = 0; i < n; ++i) {
            // Names in a scrambled order, so the list's sort has work to do.
            const QByteArray nombreFila = QByteArray("Cliente ") + QByteArray::number((i * 7919) % n).rightJustified(6, '0');
            const QByteArray codigo = QByteArray("C") + QByteArray::number(i);
            sqlite3_bind_text(st, 1, nombreFila.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 2, codigo.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 3, i % 2 ? "norte" : "sur", -1, SQLITE_STATIC);
            sqlite3_bind_double(st, 4, i * 1.25);
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        hechas[n] = true;
    }
    datos::DB_Dll& s = datos::gDB();
    if (s.gDBName != nombre) {
        s.fijarConexion(std::make_shared<ado::Connection>());
        s.gServidor = QStringLiteral("SQLITE");
        s.gDBName = nombre;
        s.gUsuario = QStringLiteral("BENCH");
        s.gUserPassWord = QStringLiteral("x");
        s.OpenServerADODB(false, 3, QString(), false, false);
    }
}

void BM_ListaCarga(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    prepararBase(n);
    for (auto _ : state) {
        consulta::Lib_FrmCons3 w;
        w.SQL = QStringLiteral("SELECT NOMBRE, CODIGO, ZONA, IMPORTE FROM T");
        w.OrdenarPorLwv = true;
        w.cargar();
        w.show();
        QCoreApplication::processEvents();
        if (w.modelo().filas() != n) state.SkipWithError("filas de menos");
        benchmark::DoNotOptimize(w.modelo().filas());
        w.hide();
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_ListaCarga)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_BuscarAlEscribir(benchmark::State& state)
{
    const int n = 100000;
    prepararBase(n);
    consulta::Lib_FrmCons3 w;
    w.SQL = QStringLiteral("SELECT NOMBRE, CODIGO, ZONA, IMPORTE FROM T");
    w.OrdenarPorLwv = true;
    w.cargar();
    w.show();
    QCoreApplication::processEvents();
    // Worst cases of a keystroke: a row near the end, and no row at all (a full scan).
    const QString textos[] = {QStringLiteral("Cliente 09999"), QStringLiteral("Cliente 0999"), QStringLiteral("zz"), QStringLiteral("z")};
    const int caja = static_cast<int>(state.range(0));
    size_t i = 0;
    for (auto _ : state) {
        w.caja(caja)->setEditText(textos[i++ % 4]);
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(w.filaSeleccionada());
    }
}
BENCHMARK(BM_BuscarAlEscribir)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    carpeta = &dir;
    qputenv("PERMUTAL_CARPETA", dir.path().toUtf8());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
