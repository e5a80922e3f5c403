// INI files as the suite's Windows programs write them.
#include "companion/Velmora2.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velmora;

namespace {

class Ini : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        // Windows-1252, CR LF, blanks around names, a comment, two sections of the same key.
        const QByteArray contenido =
            "; skins per user and database\r\n"
            "[General]\r\n"
            "Skin=0\r\n"
            "\r\n"
            "  [ JPEREZ_KXDATOSStyles ]  \r\n"
            "  Skin = 3 \r\n"
            "Descripcion=Dise\xF1o cl\xE1sico\r\n"
            ";Skin=9\r\n"
            "Vacio=\r\n"
            "Comillas=\"  con blancos  \"\r\n"
            "[Otra]\r\n"
            "Skin=7\n";   // the last line ends with LF only
        QFile f(dir_.filePath(QStringLiteral("TQ000pr.INI")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(contenido);
    }
    QString archivo() const { return dir_.filePath(QStringLiteral("TQ000pr.INI")); }
    QTemporaryDir dir_;
};

}  // namespace

TEST_F(Ini, LeeLaClaveDeSuSeccion)
{
    const struct {
        const char* seccion;
        const char* clave;
        QString esperado;
    } casos[] = {
        {"General", "Skin", QStringLiteral("0")},
        {"JPEREZ_KXDATOSStyles", "Skin", QStringLiteral("3")},
        {"jperez_kxdatosstyles", "SKIN", QStringLiteral("3")},           // case does not count
        {" JPEREZ_KXDATOSStyles ", " skin ", QStringLiteral("3")},       // nor blanks around
        {"JPEREZ_KXDATOSStyles", "Descripcion", QStringLiteral("Diseño clásico")},
        {"JPEREZ_KXDATOSStyles", "Vacio", QString()},                   // present and empty: not the default
        {"JPEREZ_KXDATOSStyles", "Comillas", QStringLiteral("  con blancos  ")},
        {"Otra", "Skin", QStringLiteral("7")},
        {"Otra", "Falta", QStringLiteral("def")},
        {"NoEsta", "Skin", QStringLiteral("def")},
    };
    for (const auto& c : casos)
        EXPECT_EQ(LeeIni(archivo(), QString::fromUtf8(c.seccion), QString::fromUtf8(c.clave), QStringLiteral("def")), c.esperado)
            << c.seccion << " / " << c.clave;
}

TEST_F(Ini, ArchivoAusenteDaElValorPorDefecto)
{
    EXPECT_EQ(LeeIni(dir_.filePath(QStringLiteral("no_existe.ini")), QStringLiteral("General"), QStringLiteral("Skin"), QStringLiteral("1")),
              QStringLiteral("1"));
    EXPECT_EQ(LeeIni(QString(), QStringLiteral("General"), QStringLiteral("Skin"), QStringLiteral("1")), QStringLiteral("1"));
}

TEST_F(Ini, ElNombreDelArchivoNoDistingueMayusculas)
{
    // The program asks for "tq000pr.ini"; the file came from Windows as "TQ000pr.INI".
    EXPECT_EQ(LeeIni(dir_.filePath(QStringLiteral("tq000pr.ini")), QStringLiteral("General"), QStringLiteral("Skin"), QStringLiteral("x")),
              QStringLiteral("0"));
}
