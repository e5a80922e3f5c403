// Literals for SQL text and the name helpers.
#include "ado/Errores.h"
#include "data/Literales.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

namespace {

using ado::Variant;

TEST(Literales, ClasificadoresDeTipo)
{
    struct Grupo {
        const char* nombre;
        std::function<bool(const Variant&)> f;
        std::set<int> tipos;
    };
    const Grupo grupos[] = {
        {"adodate", datos::adodate, {7, 133, 134, 135, 137, 64}},
        {"ADOText", datos::ADOText, {8, 129, 130, 200, 201, 202, 203}},
        {"ADONumeric", datos::ADONumeric, {2, 3, 4, 5, 14, 16, 17, 18, 19, 20, 21, 131}},
        {"ADOCurrency", datos::ADOCurrency, {6}},
        {"ADOBoolean", datos::ADOBoolean, {11}},
    };
    for (const Grupo& g : grupos) {
        for (int n = 0; n <= 210; ++n) {
            const bool esperado = g.tipos.count(n) > 0;
            EXPECT_EQ(g.f(Variant(n)), esperado) << g.nombre << " " << n;
            EXPECT_EQ(g.f(Variant(QString::number(n))), esperado) << g.nombre << " \"" << n << "\"";
        }
        EXPECT_FALSE(g.f(Variant())) << g.nombre;
        EXPECT_FALSE(g.f(Variant::nulo())) << g.nombre;
        EXPECT_FALSE(g.f(Variant(QStringLiteral("ABC")))) << g.nombre;
    }
    EXPECT_TRUE(datos::ADONumeric(Variant::entero16(3)));
    EXPECT_TRUE(datos::ADOText(Variant(200.0)));
    EXPECT_FALSE(datos::ADOText(Variant(200.5)));
}

TEST(Literales, ADOComilla)
{
    EXPECT_EQ(datos::ADOComilla(Variant(135)), QStringLiteral("'"));
    EXPECT_EQ(datos::ADOComilla(Variant(3)), QString());
    EXPECT_EQ(datos::ADOComilla(Variant(QStringLiteral("200"))), QStringLiteral("'"));
    EXPECT_EQ(datos::ADOComilla(Variant(8)), QStringLiteral("'"));
    EXPECT_EQ(datos::ADOComilla(Variant(11)), QString());
    EXPECT_EQ(datos::ADOComilla(Variant(6)), QString());
}

TEST(Literales, SQLValue)
{
    struct Caso {
        Variant valor;
        QString tipo;
        QString esperado;
    };
    const Caso casos[] = {
        {Variant(QStringLiteral("ABC")), QStringLiteral("'"), QStringLiteral("'ABC'")},
        {Variant::nulo(), QStringLiteral("'"), QStringLiteral("NULL")},
        {Variant::nulo(), QString(), QStringLiteral("NULL")},
        {Variant(QStringLiteral("1234,5")), QStringLiteral("@"), QStringLiteral("1234.5")},
        {Variant(QStringLiteral("1234.5")), QStringLiteral("@"), QStringLiteral("1234.5")},
        {Variant(1234.5), QStringLiteral("@"), QStringLiteral("1234.5")},
        {Variant(QStringLiteral("abc")), QStringLiteral("@"), QStringLiteral("0")},
        {Variant(QStringLiteral("ABC")), QString(), QStringLiteral("ABC")},
        {Variant(QStringLiteral("")), QStringLiteral("'"), QStringLiteral("''")},
        {Variant(), QStringLiteral("'"), QStringLiteral("''")},
        {Variant(42), QStringLiteral("'"), QStringLiteral("'42'")},
        // A quote inside the value cannot end the literal.
        {Variant(QStringLiteral("O'Brien")), QStringLiteral("'"), QStringLiteral("'O''Brien'")},
        {Variant(QStringLiteral("x'; DROP TABLE T; --")), QStringLiteral("'"),
         QStringLiteral("'x''; DROP TABLE T; --'")},
        {Variant(QStringLiteral("'")), QStringLiteral("'"), QStringLiteral("''''")},
    };
    for (const Caso& c : casos) {
        const Variant r = datos::SQLValue(c.valor, c.tipo);
        EXPECT_EQ(r.tipo(), Variant::Tipo::Text);
        EXPECT_EQ(r.toText(), c.esperado) << c.valor.toText().toStdString() << " / " << c.tipo.toStdString();
    }
    EXPECT_EQ(datos::SQLValue(Variant(QStringLiteral("ABC"))).toText(), QStringLiteral("'ABC'"));
}

TEST(Literales, SQLValueNuloNumericoEsUsoInvalidoDeNull)
{
    try {
        datos::SQLValue(Variant::nulo(), QStringLiteral("@"));
        FAIL() << "sin error";
    } catch (const ado::Fallo& f) {
        EXPECT_EQ(f.Number(), ado::num::UsoInvalidoNulo);
    }
}

TEST(Literales, Comillas)
{
    EXPECT_EQ(datos::comillas(QStringLiteral("O'Brien")), QStringLiteral("O''Brien"));
    EXPECT_EQ(datos::comillas(QStringLiteral("''")), QStringLiteral("''''"));
    EXPECT_EQ(datos::comillas(QStringLiteral("sin")), QStringLiteral("sin"));
    EXPECT_EQ(datos::patronLike(QStringLiteral("%D'A%")), QStringLiteral("%D''A%"));
}

TEST(Literales, stSTF)
{
    struct Caso {
        const char* nombre;
        int parte;
        const char* resultado;
        const char* variable;   // the caller's variable afterwards
    };
    const Caso casos[] = {
        {"dbo.CLIENTES", 1, "CLIENTES", "dbo.CLIENTES"}, {"dbo.CLIENTES", 0, "dbo", "dbo.CLIENTES"},
        {"a.b.c", 1, "b.c", "b.c"},                      {"a.b.c", 0, "b.c", "b.c"},
        {"CLIENTES", 1, "CLIENTES", "CLIENTES"},         {".T", 0, "", ".T"},
        {"dbo.", 1, "", "dbo."},
    };
    for (const Caso& c : casos) {
        QString nombre = QString::fromUtf8(c.nombre);
        EXPECT_EQ(datos::stSTF(nombre, c.parte), QString::fromUtf8(c.resultado)) << c.nombre << " " << c.parte;
        EXPECT_EQ(nombre, QString::fromUtf8(c.variable)) << c.nombre;
    }
    QString sinPunto = QStringLiteral("CLIENTES");
    try {
        datos::stSTF(sinPunto, 0);
        FAIL() << "sin error";
    } catch (const ado::Fallo& f) {
        EXPECT_EQ(f.Number(), ado::num::InvalidoArgumento);
    }
}

TEST(Literales, AyudantesDeNombres)
{
    EXPECT_EQ(datos::AddBrackets(QStringLiteral("MIS DATOS")), QStringLiteral("[MIS DATOS]"));
    EXPECT_EQ(datos::AddBrackets(QStringLiteral("[MIS DATOS]")), QStringLiteral("[MIS DATOS]"));
    EXPECT_EQ(datos::AddBrackets(QStringLiteral("CLIENTES")), QStringLiteral("CLIENTES"));
    EXPECT_EQ(datos::AddBrackets(QString()), QString());

    EXPECT_EQ(datos::StripConnect(QStringLiteral("TABLA ->x")), QStringLiteral("TABLA"));
    EXPECT_EQ(datos::StripConnect(QStringLiteral("TABLA")), QStringLiteral("TABLA"));
    EXPECT_EQ(datos::StripConnect(QStringLiteral("A->x")), QString());
    for (const char* malo : {"->x", "->"}) {
        try {
            datos::StripConnect(QString::fromUtf8(malo));
            ADD_FAILURE() << "sin error: " << malo;
        } catch (const ado::Fallo& f) {
            EXPECT_EQ(f.Number(), ado::num::InvalidoArgumento);
        }
    }

    EXPECT_EQ(datos::StripBrackets(QStringLiteral("[MIS DATOS]")), QStringLiteral("MIS DATOS"));
    EXPECT_EQ(datos::StripBrackets(QStringLiteral("CLIENTES")), QStringLiteral("CLIENTES"));
    EXPECT_EQ(datos::StripBrackets(QStringLiteral("[]")), QString());
    EXPECT_EQ(datos::StripBrackets(QStringLiteral("[")), QString());
    EXPECT_EQ(datos::StripBrackets(QStringLiteral("[AB")), QStringLiteral("AB"));

    QString t = QStringLiteral("dbo.CLIENTES");
    EXPECT_EQ(datos::StripOwner(t), QStringLiteral("CLIENTES"));
    EXPECT_EQ(t, QStringLiteral("CLIENTES"));
    t = QStringLiteral("CLIENTES");
    EXPECT_EQ(datos::StripOwner(t), QStringLiteral("CLIENTES"));
    t = QStringLiteral("a.b.c");
    EXPECT_EQ(datos::StripOwner(t), QStringLiteral("b.c"));

    EXPECT_EQ(datos::StripFileName(QStringLiteral("C:\\DATOS\\BASE.MDB")), QStringLiteral("C:\\DATOS"));
    EXPECT_EQ(datos::StripFileName(QStringLiteral("BASE.MDB")), QString());
    EXPECT_EQ(datos::StripFileName(QStringLiteral("/srv/datos/BASE.MDB")), QStringLiteral("/srv/datos"));
    EXPECT_EQ(datos::StripFileName(QStringLiteral("\\BASE.MDB")), QString());
    EXPECT_EQ(datos::StripFileName(QString()), QString());
}

}  // namespace
