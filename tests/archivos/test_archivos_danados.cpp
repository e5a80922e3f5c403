// The legacy files of the application folder, damaged or missing: every reader
// goes on as for a missing or unparsable file (defaults, passed over), never
// crashes and never hangs. A consultas.kxd that is there but cannot be read
// also leaves a line in the error log.
#include "access/BasesTxt.h"
#include "access/frmAcceso.h"
#include "app/Apariencia.h"
#include "app/Skin.h"
#include "companion/Velmora2.h"
#include "data/ReportaError.h"
#include "lookup/Lib_ClsCons3.h"
#include "lookup/Lib_FrmCons3.h"
#include "soporte/Sesion_prueba.h"

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QListWidget>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTreeView>
#include <gtest/gtest.h>
#include <functional>
#include <memory>

namespace {

// One way of damaging a file: what stands at its path afterwards.
struct Dano {
    const char* nombre;
    bool legible;   // a regular file (its bytes damaged) rather than something that cannot be read
    std::function<void(const QString& ruta)> hacer;
};

void escribir(const QString& ruta, const QByteArray& bytes)
{
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << ruta.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QByteArray azar(qsizetype n, quint32 semilla)
{
    QRandomGenerator g(semilla);
    QByteArray b(n, '\0');
    for (char& c : b) c = static_cast<char>(g.bounded(256));
    return b;
}

// A sound file of each kind, for the truncated cases.
QByteArray registroConsulta(const char* titulo, const char* tabla, const char* campos)
{
    auto campo = [](const QByteArray& b, int largo) { return b.left(largo).leftJustified(largo, ' '); };
    return campo(titulo, 100) + campo(tabla, 100) + campo(campos, 500) + campo("", 500) + QByteArray("\r\n");
}

// The damages every reader is fed. `sano` is a sound content of that file.
std::vector<Dano> danos(const QByteArray& sano)
{
    // Tests run as root, so permissions cannot make a file unreadable: the path
    // holds something that is not a readable file instead.
    return {
        {"carpeta", false, [](const QString& r) { ASSERT_TRUE(QDir().mkpath(r)); }},
        {"enlace roto", false, [](const QString& r) { ASSERT_TRUE(QFile::link(r + QStringLiteral(".no_existe"), r)); }},
        {"enlace en bucle", false, [](const QString& r) { ASSERT_TRUE(QFile::link(r, r)); }},
        {"vacio", true, [](const QString& r) { escribir(r, QByteArray()); }},
        {"bytes al azar", true, [](const QString& r) { escribir(r, azar(64 * 1024, 7)); }},
        {"una linea de 10 MB", true, [](const QString& r) { escribir(r, QByteArray(10 * 1024 * 1024, 'x')); }},
        {"10 MB de separadores", true, [](const QString& r) { escribir(r, QByteArray(10 * 1024 * 1024, ',').replace(1000, 1, "|")); }},
        {"bytes NUL", true, [](const QString& r) { escribir(r, QByteArray(5000, '\0')); }},
        {"NUL en medio", true, [sano](const QString& r) { escribir(r, QByteArray(sano).replace(3, 1, QByteArray(1, '\0'))); }},
        {"cortado a la mitad", true, [sano](const QString& r) { escribir(r, sano.left(sano.size() / 2)); }},
        {"cortado al comienzo", true, [sano](const QString& r) { escribir(r, sano.left(7)); }},
        {"solo CR", true, [sano](const QString& r) { escribir(r, QByteArray(sano).replace("\r\n", "\r")); }},
        {"sin fin de linea", true, [sano](const QString& r) { escribir(r, QByteArray(sano).replace("\r\n", "")); }},
        {"bytes altos", true, [](const QString& r) { escribir(r, QByteArray(3000, '\xff')); }},
    };
}

class ArchivosDanados : public ::testing::Test {
protected:
    void SetUp() override
    {
        prueba::reiniciarSesion();
        // The global error log goes to the test's folder.
        temp0_ = qgetenv("temp");
        tmp0_ = qgetenv("tmp");
        qputenv("temp", "si");
        qputenv("tmp", QFile::encodeName(log_.path()));
    }
    void TearDown() override
    {
        if (temp0_.isEmpty()) qunsetenv("temp");
        else qputenv("temp", temp0_);
        if (tmp0_.isEmpty()) qunsetenv("tmp");
        else qputenv("tmp", tmp0_);
        prueba::reiniciarSesion();
    }
    QByteArray logGlobal() const
    {
        QFile f(datos::carpetaLogGlobal() + QStringLiteral("KXERR.LOG"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // Puts the damage at the path, first clearing whatever an earlier case left.
    static void danar(const Dano& d, const QString& ruta)
    {
        QFileInfo fi(ruta);
        if (fi.isDir() && !fi.isSymLink()) QDir(ruta).removeRecursively();
        else QFile::remove(ruta);
        d.hacer(ruta);
    }

    prueba::CarpetaTemporal carpeta;
    prueba::OperadorDePrueba op;
    QTemporaryDir log_;
    QByteArray temp0_, tmp0_;
};

// consultas.kxd: no definition can be read, so the statement comes from the
// caller's ready text, as for a table without a definition.
TEST_F(ArchivosDanados, ConsultasKxd)
{
    const QByteArray sano = registroConsulta("ARTICULOS", "V_MA_ARTICULOS", "|DESCRIPCION|IDARTICULO|")
                            + registroConsulta("PROVEEDORES", "VT_PROVEEDORES", "|RAZON_SOCIAL|CODIGO|");
    const QString ruta = carpeta.archivo(QStringLiteral("consultas.kxd"));
    consulta::Lib_ClsCons3 c;
    c.gUsarMascarasConsultas = true;
    c.gRutaMascaraConsultas = ruta;

    // The sound file: the definition is used, nothing is logged.
    escribir(ruta, sano);
    {
        QString campo, where, opcional = QStringLiteral("SELECT CODIGO, RAZON_SOCIAL FROM VT_PROVEEDORES");
        EXPECT_EQ(c.ArmaConsulta(QStringLiteral("VT_PROVEEDORES"), campo, where, opcional),
                  QStringLiteral("SELECT TOP 1000 RAZON_SOCIAL,CODIGO FROM VT_PROVEEDORES  with(nolock)  WHERE Dada_De_Baja = 0 ORDER BY RAZON_SOCIAL"));
        EXPECT_TRUE(op->llamadas.empty());
        EXPECT_TRUE(logGlobal().isEmpty());
    }

    for (const Dano& d : danos(sano)) {
        SCOPED_TRACE(d.nombre);
        danar(d, ruta);
        const QByteArray logAntes = logGlobal();
        op->llamadas.clear();
        QString campo, where, opcional = QStringLiteral("SELECT CODIGO, RAZON_SOCIAL FROM VT_PROVEEDORES");
        const QString sql = c.ArmaConsulta(QStringLiteral("VT_PROVEEDORES"), campo, where, opcional);
        // A NUL in the first record's title leaves the suppliers' record whole;
        // every other damage loses it (cut, shifted by a missing line end, gone).
        if (QByteArray(d.nombre) == "NUL en medio") EXPECT_TRUE(sql.startsWith(QStringLiteral("SELECT TOP 1000 RAZON_SOCIAL,CODIGO FROM VT_PROVEEDORES")));
        else EXPECT_EQ(sql, opcional);
        const QByteArray nuevo = logGlobal().mid(logAntes.size());
        if (d.legible) {
            // Unparsable content is passed over without a word.
            EXPECT_TRUE(op->llamadas.empty());
            EXPECT_TRUE(nuevo.isEmpty()) << nuevo.toStdString();
        } else {
            // Unreadable: the operator is told, in Spanish, and the log keeps one line.
            ASSERT_EQ(op->llamadas.size(), 1u);
            EXPECT_TRUE(op->llamadas[0].texto.startsWith(QStringLiteral("Ha ocurrido el Siguiente Error (75) No se puede leer el archivo de consultas ")))
                << op->llamadas[0].texto.toStdString();
            EXPECT_TRUE(op->llamadas[0].texto.contains(QStringLiteral("Se arma la consulta con los campos de la tabla.")));
            EXPECT_EQ(nuevo.count("\r\n"), 1) << nuevo.toStdString();
            EXPECT_TRUE(nuevo.contains(" Rutina: - ConsultaSearch Mensaje Ha ocurrido el Siguiente Error (75) No se puede leer el archivo de consultas "))
                << nuevo.toStdString();
        }
    }

    // Missing altogether: the ordinary case of a table without definitions, nothing logged.
    danar({"ausente", false, [](const QString&) {}}, ruta);
    const QByteArray logAntes = logGlobal();
    op->llamadas.clear();
    QString campo, where, opcional = QStringLiteral("SELECT 1");
    EXPECT_EQ(c.ArmaConsulta(QStringLiteral("VT_PROVEEDORES"), campo, where, opcional), opcional);
    EXPECT_TRUE(op->llamadas.empty());
    EXPECT_EQ(logGlobal(), logAntes);
}

// CONSULTASLEN.KXD: the list keeps the widths it had; a line that cannot give a
// width ends the reading, the widths before it stay.
TEST_F(ArchivosDanados, ConsultasLenKxd)
{
    const QByteArray sano = "\"OTRA\",\"1500|1500|\"\r\n\"\",\"3000|3000|3000|\"\r\n";
    const QString ruta = consulta::Lib_FrmCons3::archivoAnchos();
    ASSERT_EQ(ruta, carpeta.archivo(QStringLiteral("CONSULTASLEN.KXD")));
    consulta::Lib_FrmCons3 w;
    // A plain list has no table: the lines with an empty table are its own.
    w.prepararListaSimple(QString());
    for (const char* t : {"B", "C"}) w.modelo().agregarColumna(QString::fromLatin1(t));
    QHeaderView* cabecera = w.lista()->header();
    auto anchos = [&] {
        std::vector<int> r;
        for (int i = 0; i < cabecera->count(); ++i) r.push_back(cabecera->sectionSize(i));
        return r;
    };
    auto reponer = [&] {
        for (int i = 0; i < cabecera->count(); ++i) cabecera->resizeSection(i, 77);
    };

    reponer();
    escribir(ruta, sano);
    w.LeeAnchosColumnas();
    EXPECT_EQ(anchos(), std::vector<int>(3, w.twipsAPixeles(3000)));

    for (const Dano& d : danos(sano)) {
        SCOPED_TRACE(d.nombre);
        danar(d, ruta);
        reponer();
        w.LeeAnchosColumnas();
        const std::vector<int> vistos = anchos();
        ASSERT_EQ(vistos.size(), 3u);
        for (int v : vistos) EXPECT_TRUE(v == 77 || v == w.twipsAPixeles(3000)) << v;
        if (!d.legible) EXPECT_EQ(vistos, std::vector<int>(3, 77));
    }

    // Widths no list can take end the reading as a failure would; the ones before stay.
    struct Caso {
        const char* nombre;
        QByteArray linea;
        std::vector<int> twips;   // -1: the column keeps its own width
    } casos[] = {
        {"enorme", "\"\",\"3000|99999999999999999999999999|3000|\"", {3000, -1, -1}},
        {"negativo", "\"\",\"3000|-5|3000|\"", {3000, -1, -1}},
        {"sin numero", "\"\",\"abc|3000|\"", {0, 3000, -1}},   // a text that is no number reads as 0
        {"menos anchos", "\"\",\"3000|\"", {3000, -1, -1}},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        escribir(ruta, c.linea + "\r\n");
        reponer();
        w.LeeAnchosColumnas();
        const std::vector<int> vistos = anchos();
        for (size_t i = 0; i < c.twips.size(); ++i) EXPECT_EQ(vistos[i], c.twips[i] >= 0 ? w.twipsAPixeles(c.twips[i]) : 77) << i;
    }
}

// BASES.TXT: the access dialog's list. Unreadable: empty, no message (as a
// missing file). Damaged bytes: whatever records they hold, nothing else.
TEST_F(ArchivosDanados, BasesTxt)
{
    const QByteArray sano = "VENTAS / SRV01,Ventas,Ventas,x,srv01:1433\r\nSTOCK / SRV,Stock,Stock,y,srv\r\n";
    const QString ruta = carpeta.archivo(QStringLiteral("BASES.TXT"));
    for (const Dano& d : danos(sano)) {
        SCOPED_TRACE(d.nombre);
        danar(d, ruta);
        op->llamadas.clear();
        EXPECT_EQ(acceso::ExisteArchivo(ruta), d.legible);
        acceso::frmAcceso f;
        if (!d.legible) {
            EXPECT_EQ(f.lstBases->count(), 0);
        } else {
            std::vector<acceso::RegistroBase> registros;
            EXPECT_NO_THROW(registros = acceso::LeeBasesTxt(ruta));
            int conNombre = 0;
            for (const auto& r : registros) conNombre += r.Nombre.trimmed().isEmpty() ? 0 : 1;
            EXPECT_EQ(f.lstBases->count(), conNombre);
        }
        EXPECT_TRUE(op->llamadas.empty()) << op->llamadas.front().texto.toStdString();
        // A lookup in a damaged file finds nothing it should not.
        f.DatosBase(QStringLiteral("NO ESTA / NINGUNO"));
        EXPECT_TRUE(op->llamadas.empty());
    }
}

// TQ000pr.INI: the skin number falls back to 4 (iTunes) unless the damaged
// bytes still hold the entry.
TEST_F(ArchivosDanados, Tq000prIni)
{
    datos::gDB().gDBName = QStringLiteral("Stock");
    const QByteArray seccion = (velmora::UsuarioEquipo().toUpper() + QStringLiteral("_STOCKStyles")).toUtf8();
    const QByteArray sano = "[" + seccion + "]\r\nStyles=2\r\n[OTRA]\r\nStyles=3\r\n";
    const QString ruta = carpeta.archivo(QStringLiteral("TQ000pr.INI"));
    escribir(ruta, sano);
    EXPECT_EQ(app::NumeroSkin(), 2);

    for (const Dano& d : danos(sano)) {
        SCOPED_TRACE(d.nombre);
        danar(d, ruta);
        const int n = app::NumeroSkin();
        if (!d.legible) EXPECT_EQ(n, 4);
        else EXPECT_TRUE(n == 4 || n == 2) << n;
        EXPECT_EQ(velmora::LeeIni(ruta, QStringLiteral("OTRA"), QStringLiteral("Nada"), QStringLiteral("def")), QStringLiteral("def"));
    }
}

// The skin's settings file (Normalitunes.ini): the sheet still loads; colours
// that cannot be read are simply not replaced. The skin file itself damaged:
// nothing is loaded and the window keeps its look.
TEST_F(ArchivosDanados, ArchivoDeAjustesDelSkin)
{
    const QString hoja = QStringLiteral("QWidget { background: @fondo; color: @texto; }\n");
    const QByteArray sano = "[Colores]\r\nfondo=#202020\r\ntexto=white\r\n";
    const QString skin = carpeta.archivo(QStringLiteral("iTunes"));
    const QString ajustes = carpeta.archivo(QStringLiteral("Normalitunes.ini"));
    escribir(skin, hoja.toUtf8());
    escribir(ajustes, sano);
    {
        app::SkinFramework sf;
        ASSERT_TRUE(sf.LoadSkin(skin, QStringLiteral("Normalitunes.ini")));
        EXPECT_EQ(sf.hojaEstilo(), QStringLiteral("QWidget { background: #202020; color: white; }\n"));
    }
    for (const Dano& d : danos(sano)) {
        SCOPED_TRACE(d.nombre);
        danar(d, ajustes);
        app::SkinFramework sf;
        ASSERT_TRUE(sf.LoadSkin(skin, QStringLiteral("Normalitunes.ini")));
        if (!d.legible) EXPECT_EQ(sf.hojaEstilo(), hoja);
        EXPECT_TRUE(sf.hojaEstilo().startsWith(QStringLiteral("QWidget { background: ")));
    }

    // A settings file of very many entries costs one pass over the sheet.
    QByteArray muchas = "[Colores]\n";
    for (int i = 0; i < 300000; ++i) muchas += "c" + QByteArray::number(i) + "=#" + QByteArray::number(i % 1000) + "\n";
    muchas += "fondo=black\n";
    escribir(ajustes, muchas);
    {
        app::SkinFramework sf;
        ASSERT_TRUE(sf.LoadSkin(skin, QStringLiteral("Normalitunes.ini")));
        EXPECT_EQ(sf.hojaEstilo(), QStringLiteral("QWidget { background: black; color: @texto; }\n"));
    }

    escribir(ajustes, sano);
    for (const Dano& d : danos(hoja.toUtf8())) {
        SCOPED_TRACE(std::string("skin: ") + d.nombre);
        danar(d, skin);
        QWidget ventana;
        ventana.setStyleSheet(QStringLiteral("QWidget { color: red; }"));
        app::SkinFramework sf;
        const bool cargado = sf.LoadSkin(skin, QStringLiteral("Normalitunes.ini"));
        if (!d.legible) EXPECT_FALSE(cargado);
        sf.ApplyWindow(&ventana);
        if (!cargado) EXPECT_EQ(ventana.styleSheet(), QStringLiteral("QWidget { color: red; }"));
    }
}

}  // namespace
