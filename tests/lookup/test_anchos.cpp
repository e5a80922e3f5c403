// The column widths file CONSULTASLEN.KXD: read at every load, rewritten at
// unload only when GrabarCfg is set.
#include "Consulta_prueba.h"

#include <QHeaderView>
#include <QTreeView>

using consulta::Lib_FrmCons3;

namespace {

const char* kEsquema =
    "CREATE TABLE T (A VARCHAR(10), B VARCHAR(10), C VARCHAR(10), D VARCHAR(10));"
    "INSERT INTO T VALUES ('a', 'b', 'c', 'd');"
    "CREATE TABLE STK_MA_ARTICULOS (IDARTICULO VARCHAR(10), DESCRIPCION VARCHAR(20));"
    "INSERT INTO STK_MA_ARTICULOS VALUES ('1', 'uno');";

class AnchosColumnas : public prueba_consulta::BaseConsulta {
protected:
    void SetUp() override { prepararBase(QString::fromUtf8(kEsquema) + prueba_consulta::configuracion({})); }
    QString archivo() const { return carpeta.archivo(QStringLiteral("CONSULTASLEN.KXD")); }
    std::unique_ptr<Lib_FrmCons3> ventana(const QString& sql, bool grabar = false)
    {
        auto w = std::make_unique<Lib_FrmCons3>();
        w->SQL = sql;
        w->GrabarCfg = grabar;
        w->cargar();
        return w;
    }
    static std::vector<int> anchos(Lib_FrmCons3& w)
    {
        std::vector<int> r;
        for (int i = 0; i < w.modelo().columnas(); ++i) r.push_back(w.lista()->header()->sectionSize(i));
        return r;
    }
};

TEST_F(AnchosColumnas, LeidosPorTabla)
{
    ASSERT_EQ(Lib_FrmCons3::archivoAnchos(), archivo());
    const auto propios = anchos(*ventana(QStringLiteral("SELECT A, B, C, D FROM T")));   // no file yet

    struct Caso {
        const char* nombre;
        QByteArray contenido;
        const char* sql;
        std::vector<int> twips;   // 0: the column keeps its own width
    } casos[] = {
        {"otra tabla", "\"OTRA\",\"1500|1500|1500|1500|\"\r\n", "SELECT A, B, C, D FROM T", {0, 0, 0, 0}},
        {"tres de cuatro", "\"OTRA\",\"1|\"\r\n\"t\",\"1500|3000|4500|\"\r\n", "SELECT A, B, C, D FROM T", {1500, 3000, 4500, 0}},
        {"la ultima gana", "\"T\",\"1500|1500|1500|1500|\"\r\n\"T\",\"3000|3000|3000|3000|\"\r\n", "SELECT A, B, C, D FROM T",
         {3000, 3000, 3000, 3000}},
        {"stk como vt", "\"VT_MA_ARTICULOS\",\"2250|750|\"\r\n", "SELECT IDARTICULO, DESCRIPCION FROM Stk_ma_articulos", {2250, 750}},
    };
    for (const auto& c : casos) {
        prueba_consulta::escribir(archivo(), c.contenido);
        auto w = ventana(QString::fromUtf8(c.sql));
        const auto vistos = anchos(*w);
        ASSERT_EQ(vistos.size(), c.twips.size()) << c.nombre;
        for (size_t i = 0; i < c.twips.size(); ++i) {
            if (c.twips[i]) EXPECT_EQ(vistos[i], w->twipsAPixeles(c.twips[i])) << c.nombre << " columna " << i;
            else EXPECT_EQ(vistos[i], propios[i]) << c.nombre << " columna " << i;
        }
        if (QString::fromUtf8(c.nombre) == QLatin1String("stk como vt")) {
            EXPECT_EQ(w->TablaConsulta(), QStringLiteral("VT_MA_ARTICULOS"));
        }
    }
}

TEST_F(AnchosColumnas, GrabadosAlDescargarConservandoOtrasTablas)
{
    const QByteArray inicial = "\"OTRA\",\"100|200|\"\r\n\"T\",\"1500|1500|1500|1500|\"\r\n\"ZETA\",\"5|\"\r\n";
    prueba_consulta::escribir(archivo(), inicial);

    // Without GrabarCfg the file is only read.
    ventana(QStringLiteral("SELECT A, B, C, D FROM T"))->descargar();
    EXPECT_EQ(prueba_consulta::leer(archivo()), inicial);

    auto w = ventana(QStringLiteral("SELECT A, B, C, D FROM T"), true);
    w->lista()->header()->resizeSection(1, w->twipsAPixeles(4500));
    w->descargar();
    const QByteArray esperado = "\"OTRA\",\"100|200|\"\r\n\"ZETA\",\"5|\"\r\n\"T\",\"1500|4500|1500|1500|\"\r\n";
    EXPECT_EQ(prueba_consulta::leer(archivo()), esperado);
    EXPECT_FALSE(QFile::exists(carpeta.archivo(QStringLiteral("CONSULTASLEN.AUX"))));
    EXPECT_FALSE(w->UsarUDBC);

    // What was written reads back as the same widths.
    auto otra = ventana(QStringLiteral("SELECT A, B, C, D FROM T"));
    EXPECT_EQ(anchos(*otra), anchos(*w));
    EXPECT_TRUE(op->llamadas.empty());
}

}  // namespace
