// Text services, paths and the Windows-1252 codec.
#include "companion/Cp1252.h"
#include "companion/Velmora2.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace velmora;

namespace {

struct CasoTexto {
    QString entrada;
    QString esperado;
};

}  // namespace

TEST(Texto, QuitaCaracteresQuitaTodasLasApariciones)
{
    // The definitions file pads its names with bytes 0 and 255.
    const QString definicion = QStringLiteral("V_TA") + QChar(0) + QChar(255) + QStringLiteral("FAM") + QChar(255) + QChar(0);
    EXPECT_EQ(QuitaCaracteres(definicion, QChar(0), QChar(255)), QStringLiteral("V_TAFAM"));
    EXPECT_EQ(QuitaCaracteres(QStringLiteral("@Server=SRV1"), QLatin1Char('=')), QStringLiteral("@ServerSRV1"));
    EXPECT_EQ(QuitaCaracteres(QStringLiteral("a=b=c"), QLatin1Char('=')), QStringLiteral("abc"));
    EXPECT_EQ(QuitaCaracteres(QString(), QLatin1Char('=')), QString());
}

TEST(Texto, ReemplazaDistingueMayusculasYReemplazaTextoNo)
{
    const QString sql = QStringLiteral("select * from V_MA_ARTICULOS a, v_ma_articulos b");
    EXPECT_EQ(Reemplaza(sql, QStringLiteral("V_MA_ARTICULOS"), QStringLiteral("VT_MA_ARTICULOS")),
              QStringLiteral("select * from VT_MA_ARTICULOS a, v_ma_articulos b"));
    EXPECT_EQ(ReemplazaTexto(sql, QStringLiteral("V_MA_ARTICULOS"), QStringLiteral("VT_MA_ARTICULOS")),
              QStringLiteral("select * from VT_MA_ARTICULOS a, VT_MA_ARTICULOS b"));
    EXPECT_EQ(Reemplaza(QStringLiteral("a|b|c"), QStringLiteral("|"), QStringLiteral(",")), QStringLiteral("a,b,c"));
    // Nothing to find: the text as it was (not the replacement between every character).
    EXPECT_EQ(Reemplaza(QStringLiteral("abc"), QString(), QStringLiteral("x")), QStringLiteral("abc"));
    EXPECT_EQ(ReemplazaTexto(QStringLiteral("abc"), QString(), QStringLiteral("x")), QStringLiteral("abc"));
}

TEST(Texto, TextoANumeroTomaElNumeroDelPrincipio)
{
    const struct {
        const char* texto;
        double valor;
    } casos[] = {
        {"1234,5", 1234.5},   {"1234.5", 1234.5},  {"  12abc", 12},     {"abc", 0},        {"", 0},
        {"&H1F", 31},         {"&h1f", 31},        {"-3,25", -3.25},    {"+7", 7},         {"0,5", 0.5},
        // Both separators: the last one written is the decimal point, the other groups thousands.
        {"1.234,5", 1234.5},  {"1,234.5", 1234.5}, {"1.234.567,25", 1234567.25},
        // One kind more than once: the number ends at the second one, as Val does.
        {"1.2.3", 1.2},       {"1,2,3", 1.2},
        {"1,5e3", 1500},      {"12,", 12},         {"1433 ", 1433},
    };
    for (const auto& c : casos)
        EXPECT_DOUBLE_EQ(TextoANumero(QString::fromUtf8(c.texto)), c.valor) << c.texto;
}

TEST(Texto, UnNumeroEscritoComoTextoSeLeeIgual)
{
    // What a column width file stores reads back as the same number.
    for (double v : {0.0, 1.0, 1440.0, 1234.5, 0.125, 98765.4321, -15.75}) {
        EXPECT_DOUBLE_EQ(TextoANumero(QString::number(v, 'g', 15)), v);
        EXPECT_DOUBLE_EQ(TextoANumero(QString::number(v, 'g', 15).replace(QLatin1Char('.'), QLatin1Char(','))), v);
    }
}

TEST(Texto, TextoAEnteroRedondea)
{
    const struct {
        const char* texto;
        int valor;
    } casos[] = {{"2,5", 2}, {"3,5", 4}, {"2,6", 3}, {"-2,7", -3}, {"abc", 0}, {"1433", 1433}, {"&H10", 16}, {"99999999999", 2147483647}};
    for (const auto& c : casos) EXPECT_EQ(TextoAEntero(QString::fromUtf8(c.texto)), c.valor) << c.texto;
}

TEST(Texto, AjustaTextoDaLaFormaDeMostrar)
{
    const struct {
        QString texto;
        int longitud;
        QString esperado;
    } casos[] = {
        {QStringLiteral("ab\tc\r\n"), 0, QStringLiteral("ab c")},
        {QStringLiteral("abc   "), 0, QStringLiteral("abc")},
        {QStringLiteral("  abc"), 0, QStringLiteral("  abc")},
        {QStringLiteral("abcdef"), 3, QStringLiteral("abc")},
        {QStringLiteral("ab   cd"), 4, QStringLiteral("ab")},
        {QStringLiteral("abc"), 25, QStringLiteral("abc")},
        {QStringLiteral("a") + QChar(0) + QStringLiteral("b"), 0, QStringLiteral("a b")},
        {QString(), 0, QString()},
    };
    for (const auto& c : casos) EXPECT_EQ(AjustaTexto(c.texto, c.longitud), c.esperado) << qPrintable(c.texto);
}

TEST(Texto, CuentaPalabrasSeparaPorBlancosTabulacionesYFinesDeLinea)
{
    const struct {
        const char* texto;
        int palabras;
    } casos[] = {{"", 0}, {"   ", 0}, {"TA_CONFIGURACION", 1}, {"  TA_CONFIGURACION  ", 1},
                 {"SELECT * FROM T", 4}, {"SELECT\t*\r\nFROM\nT", 4}, {"a  b", 2}};
    for (const auto& c : casos) EXPECT_EQ(CuentaPalabras(QString::fromUtf8(c.texto)), c.palabras) << c.texto;
}

TEST(Texto, RecortaTextoYCampoATexto)
{
    EXPECT_EQ(RecortaTexto(QStringLiteral("abcdef"), 4), QStringLiteral("abcd"));
    EXPECT_EQ(RecortaTexto(QStringLiteral("abc"), 250), QStringLiteral("abc"));
    EXPECT_EQ(RecortaTexto(QStringLiteral("abc"), 0), QString());
    EXPECT_EQ(CampoATexto(ado::Variant::nulo()), QString());
    EXPECT_EQ(CampoATexto(ado::Variant()), QString());
    EXPECT_EQ(CampoATexto(ado::Variant(int32_t(42))), QStringLiteral("42"));
    EXPECT_EQ(CampoATexto(ado::Variant(QStringLiteral("Pérez "))), QStringLiteral("Pérez "));
}

TEST(Rutas, CompletaRutaTerminaEnSeparador)
{
    const CasoTexto casos[] = {
        {QString(), QString()},   // empty stays empty: "" + "BASES.TXT" is a relative name, not the root
        {QStringLiteral("/opt/permutal"), QStringLiteral("/opt/permutal/")},
        {QStringLiteral("/opt/permutal/"), QStringLiteral("/opt/permutal/")},
        {QStringLiteral("Styles\\Office"), QStringLiteral("Styles/Office/")},
        {QStringLiteral("C:\\KX\\"), QStringLiteral("C:/KX/")},
    };
    for (const auto& c : casos) EXPECT_EQ(CompletaRuta(c.entrada), c.esperado) << qPrintable(c.entrada);
}

TEST(Rutas, SistemaYAplicacion)
{
    EXPECT_FALSE(NombreEquipo().isEmpty());
    EXPECT_FALSE(UsuarioEquipo().isEmpty());
    if (!qEnvironmentVariableIsEmpty("USER")) {
        EXPECT_EQ(UsuarioEquipo(), qEnvironmentVariable("USER"));
    }
    const QString tmp = CarpetaTemporal();
    EXPECT_TRUE(tmp.endsWith(QLatin1Char('/')));
    EXPECT_TRUE(QFileInfo(tmp).isDir());
    EXPECT_EQ(NombreEjecutable(), QStringLiteral("Permutal"));

    EXPECT_EQ(RutaAplicacion(), CompletaRuta(QCoreApplication::applicationDirPath()));
    FijaRutaAplicacion(QStringLiteral("/srv/kx/"));
    EXPECT_EQ(RutaAplicacion(), QStringLiteral("/srv/kx/"));
    FijaRutaAplicacion(QString());
}

TEST(Cp1252, CadaByteVaYVuelve)
{
    QByteArray todos;
    for (int i = 0; i < 256; ++i) todos.append(static_cast<char>(i));
    const QString texto = desdeCp1252(todos);
    ASSERT_EQ(texto.size(), 256);
    EXPECT_EQ(texto[0x80], QChar(0x20AC));   // euro sign
    EXPECT_EQ(texto[0xE9], QChar(0xE9));     // é
    EXPECT_EQ(texto[0x9F], QChar(0x178));    // Ÿ
    EXPECT_EQ(aCp1252(texto), todos);
}

TEST(Cp1252, LoQueNoCabeSeEscribeComoInterrogacion)
{
    EXPECT_EQ(aCp1252(QStringLiteral("Año €5")), QByteArray("A\xF1o \x80" "5"));
    EXPECT_EQ(aCp1252(QString::fromUtf8("a漢b")), QByteArray("a?b"));
    // A character outside the basic plane is one "?", not two.
    EXPECT_EQ(aCp1252(QString::fromUtf8("x\U0001F600y")), QByteArray("x?y"));
}
