// The main window's skin per user and database, the skin layer and the icon rule.
#include "soporte/Sesion_prueba.h"

#include "app/Apariencia.h"
#include "app/Skin.h"
#include "companion/Velmora2.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QMessageBox>
#include <QStyle>
#include <QTreeView>
#include <QWidget>

using app::SkinDe;
using app::SkinFramework;

namespace {

class Apariencia : public ::testing::Test {
protected:
    void SetUp() override
    {
        prueba::reiniciarSesion();
        // The program's skins, in the temporary application folder.
        QDir().mkpath(carpeta.archivo(QStringLiteral("Styles")));
        const QDir fuentes(QStringLiteral(PERMUTAL_FUENTES "/app/Styles"));
        for (const QString& n : fuentes.entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(fuentes.filePath(n), carpeta.archivo(QStringLiteral("Styles/") + n)));
    }
    void TearDown() override
    {
        qApp->setStyleSheet(QString());   // the next test starts with the plain look
        prueba::reiniciarSesion();
    }

    // Writes the INI under a name in another case than the one the program asks for.
    void escribirIni(const QByteArray& texto)
    {
        QFile f(carpeta.archivo(QStringLiteral("tq000pr.ini")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(texto);
    }
    static QByteArray seccion(const QString& base)
    {
        return (velmora::UsuarioEquipo().toUpper() + QLatin1Char('_') + base.toUpper() + QStringLiteral("Styles")).toUtf8();
    }
    QString skinAplicado(QWidget& w)
    {
        app::AplicaSkin(&w);
        SkinFramework* s = SkinDe(&w);
        if (!s || !s->cargado()) return QString();
        return QDir(carpeta.ruta()).relativeFilePath(s->rutaSkin());
    }

    prueba::CarpetaTemporal carpeta;
    prueba::OperadorDePrueba op;
};

TEST_F(Apariencia, SinEntradaSeCargaITunesConSusAjustes)
{
    datos::gDB().gDBName = QStringLiteral("Ventas");
    QWidget w;
    EXPECT_EQ(skinAplicado(w), QStringLiteral("Styles/iTunes"));
    SkinFramework* s = SkinDe(&w);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(QFileInfo(s->archivoAjustes()).fileName(), QStringLiteral("Normalitunes.ini"));
    EXPECT_EQ(QFileInfo(s->archivoAjustes()).absolutePath(), QFileInfo(s->rutaSkin()).absolutePath());   // next to the skin
    // The colours of the settings file are in the sheet the window got.
    EXPECT_EQ(w.styleSheet(), s->hojaEstilo());
    EXPECT_TRUE(w.styleSheet().contains(QLatin1String("#e2e2e2")));
    EXPECT_FALSE(w.styleSheet().contains(QLatin1Char('@')));
    EXPECT_TRUE(s->ApplyOptions() & SkinFramework::xtpSkinApplyFrame);
    EXPECT_TRUE(op->llamadas.empty());
}

TEST_F(Apariencia, NumeroDeSkin)
{
    const struct {
        const char* valor;
        const char* skin;
    } casos[] = {
        {"1", "Styles/Vista.cjstyles"},      {"2", "Styles/WinXP.Luna.cjstyles"}, {"3", "Styles/WinXP.Royale.cjstyles"},
        {"4", "Styles/iTunes"},              {"9", "Styles/Office2007.cjstyles"}, {"0", "Styles/Office2007.cjstyles"},
        {"abc", "Styles/Office2007.cjstyles"}, {"70000", "Styles/Office2007.cjstyles"}, {" 2 ", "Styles/WinXP.Luna.cjstyles"},
    };
    datos::gDB().gDBName = QStringLiteral("Stock");
    for (const auto& c : casos) {
        escribirIni("[" + seccion(QStringLiteral("Stock")) + "]\r\nStyles=" + c.valor + "\r\n");
        QWidget w;
        EXPECT_EQ(skinAplicado(w), QString::fromUtf8(c.skin)) << c.valor;
        EXPECT_TRUE(SkinDe(&w)->archivoAjustes().isEmpty() == (QByteArray(c.valor) != "4")) << c.valor;
    }
}

TEST_F(Apariencia, ElMismoUsuarioVeOtroSkinEnOtraBase)
{
    escribirIni("[" + seccion(QStringLiteral("ventas")) + "]\r\nStyles=1\r\n[" + seccion(QStringLiteral("Compras")) + "]\r\nstyles=2\r\n");
    const struct {
        const char* base;
        const char* skin;
    } casos[] = {{"Ventas", "Styles/Vista.cjstyles"}, {"COMPRAS", "Styles/WinXP.Luna.cjstyles"}, {"Otra", "Styles/iTunes"}};
    QString hojas[3];
    int i = 0;
    for (const auto& c : casos) {
        datos::gDB().gDBName = QString::fromUtf8(c.base);
        QWidget w;
        EXPECT_EQ(skinAplicado(w), QString::fromUtf8(c.skin)) << c.base;
        hojas[i++] = w.styleSheet();
    }
    EXPECT_NE(hojas[0], hojas[1]);
    EXPECT_NE(hojas[1], hojas[2]);
}

TEST_F(Apariencia, SinArchivoDeSkinNadaCambia)
{
    QFile::remove(carpeta.archivo(QStringLiteral("Styles/iTunes")));
    QWidget w;
    app::AplicaSkin(&w);
    EXPECT_TRUE(w.styleSheet().isEmpty());
    ASSERT_NE(SkinDe(&w), nullptr);
    EXPECT_FALSE(SkinDe(&w)->cargado());
    EXPECT_TRUE(op->llamadas.empty());
    // A skin loaded before stays when the next one cannot be read.
    SkinFramework s;
    ASSERT_TRUE(s.LoadSkin(carpeta.archivo(QStringLiteral("Styles/Vista.cjstyles")), QString()));
    EXPECT_FALSE(s.LoadSkin(carpeta.archivo(QStringLiteral("Styles/NoEsta.cjstyles")), QString()));
    EXPECT_EQ(QFileInfo(s.rutaSkin()).fileName(), QStringLiteral("Vista.cjstyles"));
}

TEST_F(Apariencia, CadaSkinEsDistinto)
{
    QStringList hojas;
    for (int n = 1; n <= 5; ++n) {
        const app::EleccionSkin e = app::ArchivoSkin(n);
        SkinFramework s;
        ASSERT_TRUE(s.LoadSkin(carpeta.archivo(e.archivo), e.ajustes)) << n;
        EXPECT_FALSE(s.hojaEstilo().contains(QLatin1Char('@'))) << n;
        EXPECT_FALSE(hojas.contains(s.hojaEstilo())) << n;
        hojas << s.hojaEstilo();
        QWidget w;
        s.ApplyWindow(&w);
        EXPECT_EQ(w.styleSheet(), s.hojaEstilo());
    }
}

TEST(ColoresDelSkin, SustitucionPorNombre)
{
    const QMap<QString, QString> colores{{QStringLiteral("fondo"), QStringLiteral("#111")}, {QStringLiteral("fondoClaro"), QStringLiteral("#eee")}};
    EXPECT_EQ(SkinFramework::SustituyeColores(QStringLiteral("a{color:@fondoClaro;background:@fondo}"), colores),
              QStringLiteral("a{color:#eee;background:#111}"));
}

TEST_F(Apariencia, UnaVentanaConIconoLoConserva)
{
    QWidget w;
    QPixmap p(16, 16);
    p.fill(Qt::red);
    const QIcon propio(p);
    w.setWindowIcon(propio);
    const qint64 antes = w.windowIcon().cacheKey();
    app::AplicaIcono(&w);
    EXPECT_EQ(w.windowIcon().cacheKey(), antes);
    // A window without one gets the program's icon from the resources.
    QWidget sinIcono;
    ASSERT_TRUE(sinIcono.windowIcon().availableSizes().isEmpty());
    app::AplicaIcono(&sinIcono);
    EXPECT_FALSE(sinIcono.windowIcon().availableSizes().isEmpty());
    EXPECT_TRUE(op->llamadas.empty());
}

TEST_F(Apariencia, ElSkinDeLaSesionEsElDeTodasLasVentanas)
{
    datos::gDB().gDBName = QStringLiteral("Ventas");
    QWidget principal;
    app::AplicaSkin(&principal);
    SkinFramework* s = SkinDe(&principal);
    ASSERT_TRUE(s && s->cargado());
    EXPECT_EQ(principal.styleSheet(), s->hojaEstilo());
    EXPECT_EQ(qApp->styleSheet(), s->hojaEstilo());
    // Windows the session opens later (lists, dialogs, message boxes, the banner) draw with it.
    QDialog dialogo;
    QMessageBox caja;
    QTreeView lista(&dialogo);
    for (QWidget* w : std::initializer_list<QWidget*>{&dialogo, &caja, &lista}) {
        w->ensurePolished();
        EXPECT_STREQ(w->style()->metaObject()->className(), "QStyleSheetStyle");
    }
    // Without a skin file the program keeps the plain look.
    qApp->setStyleSheet(QString());
    QFile::remove(carpeta.archivo(QStringLiteral("Styles/iTunes")));
    QWidget otra;
    app::AplicaSkin(&otra);
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
}

TEST_F(Apariencia, LosSkinsTambienJuntoAlPrograma)
{
    // The application folder first, then the program's own folder.
    const QStringList carpetas = app::CarpetasSkins();
    ASSERT_GE(carpetas.size(), 2);
    EXPECT_EQ(carpetas[0], carpeta.ruta());
    EXPECT_EQ(carpetas[1], QCoreApplication::applicationDirPath() + QLatin1Char('/'));

    prueba::CarpetaTemporal otra;   // PERMUTAL_CARPETA now names a folder without skins
    const QString sinSkins = otra.ruta();
    EXPECT_EQ(app::CarpetaConSkins({sinSkins, carpeta.ruta()}), carpeta.ruta());
    EXPECT_EQ(app::CarpetaConSkins({carpeta.ruta(), sinSkins}), carpeta.ruta());
    EXPECT_EQ(app::CarpetaConSkins({sinSkins}), sinSkins);
}

}  // namespace
