// BASES.TXT: reading fields and records, the connection key, appending records.
#include "Acceso_prueba.h"

#include "access/BasesTxt.h"
#include "companion/Velmora2.h"

using acceso::LeeCampos;

namespace {

class BasesTxt : public prueba::PruebaAcceso {};

struct CasoCampos {
    const char* texto;
    QStringList esperado;
};

TEST(LecturaBasesTxt, CamposPorComaYFinDeLinea)
{
    const CasoCampos casos[] = {
        {"a,b,c,d,e\r\n", {"a", "b", "c", "d", "e"}},
        {"  a, b ,\tc\r\n", {"a", "b", "c"}},                                   // blanks in front skipped
        {"\"x, y\",z\r\n", {"x, y", "z"}},                                         // quoted field runs to the quote
        {"\"q\"resto,z\n", {"q", "z"}},                                            // after the quote up to the delimiter
        {"a,b\r\nc,d,e\r\n", {"a", "b", "c", "d", "e"}},                           // a record across lines
        {"a,\r\nb", {"a", "", "b"}},
        {"a,", {"a", ""}},
        {"\r\n\r\na,b,c,d,e\r\n\r\n", {"a", "b", "c", "d", "e"}},                  // wholly blank lines between records
        {"STOCK / SRV,Stock,Stock,Xy-_9,srv:1500\r\n", {"STOCK / SRV", "Stock", "Stock", "Xy-_9", "srv:1500"}},
    };
    for (const auto& c : casos) EXPECT_EQ(LeeCampos(QString::fromUtf8(c.texto)), c.esperado) << c.texto;
}

TEST(LecturaBasesTxt, RegistrosDeCincoCampos)
{
    // The blank-named line is a record of its own: its five fields are consumed.
    const auto r = acceso::LeeRegistros(" ,A,A,x,s1\r\nB / S,B,B,y,s2:7\r\nC / T,C\r\n");
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].Nombre.trimmed(), QString());
    EXPECT_EQ(r[0].Servidor, QStringLiteral("s1"));
    EXPECT_EQ(r[1].Nombre, QStringLiteral("B / S"));
    EXPECT_EQ(r[1].Dbname, QStringLiteral("B"));
    EXPECT_EQ(r[1].Password, QStringLiteral("y"));
    EXPECT_EQ(r[1].Servidor, QStringLiteral("s2:7"));
    // A short last record gets empty fields instead of an error.
    EXPECT_EQ(r[2].Dbname, QStringLiteral("C"));
    EXPECT_TRUE(r[2].Servidor.isEmpty());
    // Windows-1252 bytes.
    const auto r2 = acceso::LeeRegistros(QByteArray("A\xf1o / S,A\xf1o,x,y,S\r\n"));
    ASSERT_EQ(r2.size(), 1u);
    EXPECT_EQ(r2[0].Dbname, QStringLiteral("Año"));
}

TEST(LecturaBasesTxt, NombreDeConexion)
{
    const struct {
        const char* servidor;
        const char* base;
        const char* nombre;
    } casos[] = {
        {"srv01:1433", "Ventas", "VENTAS / SRV01"},
        {" srv:1500 ", " Stock ", "STOCK / SRV"},
        {"Srv\\Inst", "stock", "STOCK / SRV\\INST"},
        {"a:b:c", "x", "X / A"},
    };
    for (const auto& c : casos)
        EXPECT_EQ(acceso::NombreConexion(QString::fromUtf8(c.servidor), QString::fromUtf8(c.base)), QString::fromUtf8(c.nombre));
}

TEST(LecturaBasesTxt, ValoresQueElArchivoPuedeGuardar)
{
    const struct {
        const char* servidor;
        const char* guardado;   // "" = refused
    } casos[] = {
        {"srv:1500", "srv:1500"}, {" srv ", "srv"},      {"127.0.0.1,5000", "127.0.0.1:5000"},   // SQL Server's own port form
        {"srv,x", ""},            {"a,b,1", ""},          {"srv\nx", ""},
        {"srv\r", "srv"},         {"\"srv", ""},           {"s\"rv", "s\"rv"},
    };
    for (const auto& c : casos)
        EXPECT_EQ(acceso::ServidorParaRegistro(QString::fromUtf8(c.servidor)), QString::fromUtf8(c.guardado)) << c.servidor;
    EXPECT_TRUE(acceso::CampoAdmitido(QStringLiteral("Stock")));
    EXPECT_FALSE(acceso::CampoAdmitido(QStringLiteral("St,ock")));
    EXPECT_FALSE(acceso::CampoAdmitido(QStringLiteral("St\nock")));
}

TEST_F(BasesTxt, RegistroConPuertoYLectura)
{
    EXPECT_FALSE(acceso::ExisteArchivo(acceso::RutaBasesTxt()));
    acceso::RegistraConexion(acceso::NombreConexion(QStringLiteral("srv:1500"), QStringLiteral("Stock")), QStringLiteral("Stock"),
                             QStringLiteral("Stock"), QStringLiteral("Stock"), QStringLiteral("srv:1500"));
    acceso::RegistraConexion(QStringLiteral(" AÑO / S "), QStringLiteral("Año"), QStringLiteral("Año"), QStringLiteral("Año"), QStringLiteral("s"));
    EXPECT_TRUE(acceso::ExisteArchivo(QLatin1Char('"') + acceso::RutaBasesTxt() + QLatin1Char('"')));

    const QList<QByteArray> lineas = bytesBases().split('\n');
    ASSERT_EQ(lineas.size(), 3);   // two lines and the empty rest after the last LF
    EXPECT_TRUE(lineas[2].isEmpty());
    const QList<QByteArray> campos = lineas[0].split(',');
    ASSERT_EQ(campos.size(), 5);
    EXPECT_EQ(campos[0], "STOCK / SRV");
    EXPECT_EQ(campos[1], "Stock");
    EXPECT_EQ(campos[2], "Stock");
    EXPECT_EQ(velmora::Desencripta(QString::fromLatin1(campos[3])), QStringLiteral("Stock"));
    EXPECT_EQ(campos[4], "srv:1500\r");
    EXPECT_EQ(lineas[1].left(11), QByteArray("A\xd1O / S,A\xf1o"));   // trimmed, Windows-1252

    const auto r = acceso::LeeBasesTxt(acceso::RutaBasesTxt());
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[1].Nombre, QStringLiteral("AÑO / S"));
    EXPECT_EQ(velmora::Desencripta(r[1].Password), QStringLiteral("Año"));
}

TEST_F(BasesTxt, UnValorConComaNoSeEscribe)
{
    EXPECT_THROW(acceso::RegistraConexion(QStringLiteral("X / S"), QStringLiteral("a,b"), QStringLiteral("x"), QStringLiteral("x"),
                                          QStringLiteral("s")),
                 ado::Fallo);
    EXPECT_THROW(acceso::RegistraConexion(QStringLiteral("X / S"), QStringLiteral("x"), QStringLiteral("x"), QStringLiteral("x"),
                                          QStringLiteral("s\r\nt")),
                 ado::Fallo);
    EXPECT_FALSE(hayBases());
}

}  // namespace
