// libFuzzer target: the column widths file CONSULTASLEN.KXD as the list window
// reads it (LeeAnchosColumnas) into a list of four columns. The input is the
// file. The window is made once, off screen; the application folder is the
// fuzzer's temporary folder.
#include "ArchivoFuzz.h"

#include "lookup/Lib_FrmCons3.h"

#include <QApplication>
#include <QHeaderView>
#include <QTreeView>

#include <cstdint>
#include <memory>

namespace {

struct Entorno {
    std::unique_ptr<QApplication> app;
    std::unique_ptr<consulta::Lib_FrmCons3> frm;
    Entorno()
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("PERMUTAL_CARPETA", fuzz::carpeta().toLocal8Bit());
        static int argc = 1;
        static char nombre[] = "fuzz_anchos_columnas";
        static char* argv[] = {nombre, nullptr};
        app = std::make_unique<QApplication>(argc, argv);
        frm = std::make_unique<consulta::Lib_FrmCons3>();
        // A plain list has no table: lines whose table is empty are its own.
        frm->prepararListaSimple(QString());
        for (const char* t : {"B", "C", "D"}) frm->modelo().agregarColumna(QString::fromLatin1(t));
    }
};

Entorno& entorno()
{
    static Entorno e;
    return e;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t n)
{
    Entorno& e = entorno();
    fuzz::escribir(QStringLiteral("CONSULTASLEN.KXD"), reinterpret_cast<const char*>(datos), static_cast<qsizetype>(n));
    QHeaderView* cabecera = e.frm->lista()->header();
    for (int i = 0; i < cabecera->count(); ++i) cabecera->resizeSection(i, 100);
    e.frm->LeeAnchosColumnas();
    for (int i = 0; i < cabecera->count(); ++i) fuzz::exige(cabecera->sectionSize(i) >= 0);
    return 0;
}
