// The ready-made table queries of the data class: their statement texts (as the
// connection receives them), their results on a small real database, their
// failure boxes, and the schema helpers on both providers.
#include "soporte/Sesion_prueba.h"
#include "Traza_prueba.h"

#include <QDir>

using datos::gDB;
using ado::Variant;

namespace {

const char* kEsquema =
    "CREATE TABLE CLIENTES (Codigo VARCHAR(10) COLLATE NOCASE, Nombre VARCHAR(40) COLLATE NOCASE, Alta VARCHAR(10) COLLATE NOCASE,"
    " Importe DOUBLE, Activo INT);"
    "INSERT INTO CLIENTES VALUES ('123', 'Ciento veintitres', '2024-01-05', 10.5, 1), (' 7 ', 'Siete', '2023-03-01', 3, 0),"
    " ('O''Brien', 'Irlandes', '2022-07-09', 7, 1);"
    "CREATE TABLE V_MA_ARTICULOS (idarticulo VARCHAR(10) COLLATE NOCASE, Precio DOUBLE);"
    "CREATE TABLE VACIA (Codigo VARCHAR(10) COLLATE NOCASE, N INT);";

class ConsultasTabla : public ::testing::Test {
protected:
    void SetUp() override
    {
        prueba::reiniciarSesion();
        prueba::ejecutarSqlite(base(), QString::fromUtf8(kEsquema));
        prueba::conectarSesion(QStringLiteral("consultas"));
        gDB().gEsAdmin = true;
        traza.vaciar();
    }
    void TearDown() override { prueba::reiniciarSesion(); }
    QString base() const { return carpeta.archivo("consultas.db"); }
    // The one text the call handed to the connection.
    QString unicoTexto()
    {
        const auto r = traza.leer();
        EXPECT_EQ(r.size(), 1u);
        return r.empty() ? QString() : r.back().sql;
    }

    prueba::CarpetaTemporal carpeta;
    prueba::OperadorDePrueba op;
    prueba::TrazaTemporal traza;
};

// --- Existence checks and DatosTabla ---------------------------------------------

struct CasoExiste {
    bool st;               // ExisteEnTablaST or ExisteEnTabla
    const char* valor;
    const char* campo;
    int tipo;
    const char* condicion;
    const char* texto;
    bool existe;
};

TEST_F(ConsultasTabla, ExistenciaTextosYResultados)
{
    const CasoExiste casos[] = {
        // Text keys: ST compares the column with the key as given, the other trims both.
        {true, " 123 ", "Codigo", 8, "", "SELECT * FROM CLIENTES with(nolock)   WHERE Codigo =' 123 '", false},
        {false, " 123 ", "Codigo", 8, "", "SELECT TOP 1  * FROM CLIENTES with(nolock)  WHERE LTRIM(RTRIM(Codigo)) ='123'", true},
        {true, " 7 ", "Codigo", 8, "", "SELECT * FROM CLIENTES with(nolock)   WHERE Codigo =' 7 '", true},
        {false, "7", "Codigo", 8, "", "SELECT TOP 1  * FROM CLIENTES with(nolock)  WHERE LTRIM(RTRIM(Codigo)) ='7'", true},
        // A quote in the key stays inside its literal.
        {true, "O'Brien", "Codigo", 8, "", "SELECT * FROM CLIENTES with(nolock)   WHERE Codigo ='O''Brien'", true},
        {false, " O'Brien", "Codigo", 8, "", "SELECT TOP 1  * FROM CLIENTES with(nolock)  WHERE LTRIM(RTRIM(Codigo)) ='O''Brien'", true},
        {false, "x' OR '1'='1", "Codigo", 8, "", "SELECT TOP 1  * FROM CLIENTES with(nolock)  WHERE LTRIM(RTRIM(Codigo)) ='x'' OR ''1''=''1'", false},
        // Dates: the key as written, trimmed, then a blank.
        {true, " '2024-01-05' ", "Alta", 7, "", "SELECT * FROM CLIENTES with(nolock)   WHERE Alta = '2024-01-05' ", true},
        {false, "'2024-01-06'", "Alta", 7, "", "SELECT TOP 1 * FROM CLIENTES with(nolock)  WHERE Alta = '2024-01-06' ", false},
        // Numbers: the numeric value of the key.
        {true, " 10.5kg", "Importe", 5, "", "SELECT * FROM CLIENTES with(nolock)   WHERE Importe = 10.5", true},
        {false, "3", "Importe", 3, "", "SELECT TOP 1 * FROM CLIENTES with(nolock)  WHERE Importe = 3", true},
        {false, "abc", "Importe", 4, "", "SELECT TOP 1 * FROM CLIENTES with(nolock)  WHERE Importe = 0", false},
        // Other types: the key untouched.
        {true, "1 ", "Activo", 11, "", "SELECT * FROM CLIENTES with(nolock)   WHERE Activo = 1 ", true},
        {false, "2", "Activo", 11, "", "SELECT TOP 1 * FROM CLIENTES with(nolock)  WHERE Activo = 2", false},
        // A condition replaces the key; " WHERE " in it means only a blank is put in.
        {true, "no se usa", "Codigo", 8, "Nombre = 'Siete'", "SELECT * FROM CLIENTES with(nolock)   WHERE Nombre = 'Siete'", true},
        {true, "no se usa", "Codigo", 8, " WHERE Nombre = 'Nadie'", "SELECT * FROM CLIENTES with(nolock)    WHERE Nombre = 'Nadie'", false},
        {false, "no se usa", "Codigo", 8, "Importe > 5", "SELECT TOP 1 * FROM CLIENTES with(nolock)  WHERE Importe > 5", true},
        {false, "no se usa", "Codigo", 8, " where Importe > 50", "SELECT TOP 1 * FROM CLIENTES with(nolock)   where Importe > 50", false},
    };
    for (const CasoExiste& c : casos) {
        SCOPED_TRACE(c.texto);
        traza.vaciar();
        const QString valor = QString::fromUtf8(c.valor), campo = QString::fromUtf8(c.campo), cond = QString::fromUtf8(c.condicion);
        const bool r = c.st ? gDB().ExisteEnTablaST(QStringLiteral("CLIENTES"), valor, campo, nullptr, c.tipo, cond)
                            : gDB().ExisteEnTabla(QStringLiteral("CLIENTES"), valor, campo, nullptr, c.tipo, cond);
        EXPECT_EQ(unicoTexto(), QString::fromUtf8(c.texto));
        EXPECT_EQ(r, c.existe);
    }
    EXPECT_TRUE(op->llamadas.empty());
}

TEST_F(ConsultasTabla, ExisteEnTablaConSustitucionConfidencial)
{
    prueba::ejecutarSqlite(base(), "CREATE TABLE MA_CUENTAS (Codigo VARCHAR(10)); CREATE TABLE SS_MA_CUENTAS (Codigo VARCHAR(10));"
                                   "INSERT INTO MA_CUENTAS VALUES ('1');");
    gDB().gEsAdmin = false;
    EXPECT_FALSE(gDB().ExisteEnTabla(QStringLiteral("MA_CUENTAS"), QStringLiteral("1"), QStringLiteral("Codigo"), nullptr, 3));
    EXPECT_EQ(unicoTexto(), QStringLiteral("SELECT TOP 1 * FROM SS_MA_CUENTAS with(nolock)  WHERE Codigo = 1"));
}

TEST_F(ConsultasTabla, ConRecordsetDelLlamador)
{
    datos::RecordsetRef rs;
    ASSERT_TRUE(gDB().ExisteEnTabla(QStringLiteral("CLIENTES"), QStringLiteral("123"), QStringLiteral("Codigo"), &rs));
    ASSERT_TRUE(rs);
    ASSERT_EQ(rs->State(), ado::adStateOpen);
    EXPECT_EQ(rs->Fields(QStringLiteral("Nombre")).Value().toText(), QStringLiteral("Ciento veintitres"));
    // Reused: closed and opened again by the next check.
    EXPECT_FALSE(gDB().ExisteEnTablaST(QStringLiteral("CLIENTES"), QStringLiteral("999"), QStringLiteral("Codigo"), &rs));
    EXPECT_EQ(rs->State(), ado::adStateOpen);
    EXPECT_TRUE(rs->eof());
    EXPECT_TRUE(op->llamadas.empty());
}

TEST_F(ConsultasTabla, STUsaLaConexionDeLaSesionYLaOtraLaPropia)
{
    prueba::ejecutarSqlite(carpeta.archivo("otra.db"), "CREATE TABLE CLIENTES (Codigo VARCHAR(10) COLLATE NOCASE); INSERT INTO CLIENTES VALUES ('OTRA');");
    datos::DB_Dll otra;
    otra.gServidor = QStringLiteral("SQLITE");
    otra.gDBName = QStringLiteral("otra");
    otra.OpenServerADODB(false, 3, QString(), false, true);
    ASSERT_TRUE(otra.gOpenFlag);
    EXPECT_FALSE(otra.ExisteEnTablaST(QStringLiteral("CLIENTES"), QStringLiteral("OTRA")));
    EXPECT_TRUE(otra.ExisteEnTablaST(QStringLiteral("CLIENTES"), QStringLiteral("123")));
    EXPECT_TRUE(otra.ExisteEnTabla(QStringLiteral("CLIENTES"), QStringLiteral("OTRA")));
    EXPECT_FALSE(otra.ExisteEnTabla(QStringLiteral("CLIENTES"), QStringLiteral("123")));
}

TEST_F(ConsultasTabla, CajaAnularReintentarOmitir)
{
    struct Caso {
        bool st;
        std::deque<int> respuestas;
        size_t intentos;   // texts that reached the connection
    };
    const Caso casos[] = {
        {false, {velmora::respuesta::Reintentar, velmora::respuesta::Anular}, 2},
        {true, {velmora::respuesta::Reintentar, velmora::respuesta::Reintentar, velmora::respuesta::Anular}, 3},
        {false, {velmora::respuesta::Anular}, 1},
    };
    for (const Caso& c : casos) {
        traza.vaciar();
        op->llamadas.clear();
        op->respuestas = c.respuestas;
        const bool r = c.st ? gDB().ExisteEnTablaST(QStringLiteral("NO_EXISTE"), QStringLiteral("1"))
                            : gDB().ExisteEnTabla(QStringLiteral("NO_EXISTE"), QStringLiteral("1"));
        EXPECT_FALSE(r);
        EXPECT_EQ(traza.leer().size(), c.intentos);
        ASSERT_EQ(op->llamadas.size(), c.respuestas.size());
        for (const auto& l : op->llamadas) {
            EXPECT_EQ(l.titulo, QStringLiteral("Aviso al Operador"));
            EXPECT_EQ(l.botones, 2 + 16);
            EXPECT_TRUE(l.texto.contains(QLatin1String("NO_EXISTE"))) << l.texto.toStdString();
        }
        EXPECT_TRUE(op->respuestas.empty());
    }
}

TEST_F(ConsultasTabla, DatosTablaTextosYResultados)
{
    struct Caso {
        const char* valor;
        const char* devuelto;
        const char* campo;
        int tipo;
        const char* condicion;
        bool usaTrim;
        const char* texto;
        const char* resultado;
    };
    const Caso casos[] = {
        {" 123 ", "Nombre", "Codigo", 8, "", true, "SELECT TOP 1 * FROM CLIENTES with(nolock)  WHERE LTRIM(RTRIM(Codigo)) ='123' ",
         "Ciento veintitres"},
        {" 7 ", "Nombre", "Codigo", 8, "", false, "SELECT TOP 1 * FROM CLIENTES with(nolock)  WHERE Codigo =' 7 ' ", "Siete"},
        {"7", "Nombre", "Codigo", 8, "", false, "SELECT TOP 1 * FROM CLIENTES with(nolock)  WHERE Codigo ='7' ", ""},
        {"O'Brien", "Nombre", "Codigo", 8, "", false, "SELECT TOP 1 * FROM CLIENTES with(nolock)  WHERE Codigo ='O''Brien' ", "Irlandes"},
        {"123", "Importe", "Codigo", 8, "Activo = 1", true,
         "SELECT TOP 1 * FROM CLIENTES with(nolock)  WHERE LTRIM(RTRIM(Codigo)) ='123'  AND Activo = 1", "10.5"},
        {"123", "Importe", "Codigo", 8, "Activo = 0", true,
         "SELECT TOP 1 * FROM CLIENTES with(nolock)  WHERE LTRIM(RTRIM(Codigo)) ='123'  AND Activo = 0", ""},
        {" 3 ", "Codigo", "Importe", 5, "  ", true, "SELECT TOP 1 * FROM CLIENTES with(nolock)  WHERE Importe = 3", " 7 "},
        {" 2024-01-05 ", "Codigo", "Alta", 7, "", true, "SELECT TOP 1 * FROM CLIENTES with(nolock)  WHERE Alta = #2024-01-05# ", "123"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.texto);
        traza.vaciar();
        const Variant v = gDB().DatosTabla(QStringLiteral("CLIENTES"), QString::fromUtf8(c.valor), QString::fromUtf8(c.devuelto),
                                           QString::fromUtf8(c.campo), c.tipo, QString::fromUtf8(c.condicion), c.usaTrim);
        EXPECT_EQ(unicoTexto(), QString::fromUtf8(c.texto));
        EXPECT_EQ(v.tipo(), Variant::Tipo::Text);
        EXPECT_EQ(v.toText(), QString::fromUtf8(c.resultado));
    }
    EXPECT_TRUE(op->llamadas.empty());
}

TEST_F(ConsultasTabla, DatosTablaIgnoraErrorEnTablaInexistente)
{
    const Variant v = gDB().DatosTabla(QStringLiteral("NO_EXISTE"), QStringLiteral("1"), QStringLiteral("Nombre"), QStringLiteral("Codigo"), 8,
                                       QString(), true, true);
    EXPECT_EQ(v.toText(), QString());
    EXPECT_FALSE(v.isNull());
    EXPECT_TRUE(op->llamadas.empty());
    // A column that is not there is ignored the same way.
    EXPECT_EQ(gDB().DatosTabla(QStringLiteral("CLIENTES"), QStringLiteral("123"), QStringLiteral("NoHay"), QStringLiteral("Codigo"), 8,
                               QString(), true, true).toText(),
              QString());
    EXPECT_TRUE(op->llamadas.empty());
}

// --- Greatest and smallest values ------------------------------------------------

TEST_F(ConsultasTabla, MaximoMinimoUltimoCodigo)
{
    struct Caso {
        const char* nombre;
        std::function<Variant()> llamada;
        const char* texto;
        Variant esperado;
    };
    auto cond = [](const char* t) { return std::optional<Variant>(Variant(QString::fromUtf8(t))); };
    const Caso casos[] = {
        {"maximo", [] { return gDB().BuscaMaximo(QStringLiteral("CLIENTES"), QStringLiteral("Importe")); },
         "SELECT MAX(Importe) AS MAYOR FROM CLIENTES", Variant(10.5)},
        {"maximo tipo 7 es texto",
         [] { return gDB().BuscaMaximo(QStringLiteral("CLIENTES"), QStringLiteral("Alta"), Variant(7)); },
         "SELECT MAX(Alta) AS MAYOR FROM CLIENTES", Variant(QStringLiteral("2024-01-05"))},
        {"maximo tipo 8 es numero",
         [] { return gDB().BuscaMaximo(QStringLiteral("CLIENTES"), QStringLiteral("Alta"), Variant(8)); },
         "SELECT MAX(Alta) AS MAYOR FROM CLIENTES", Variant(2024.0)},
        {"maximo con condicion",
         [&] {
             auto c = cond("  Activo = 0  ");
             return gDB().BuscaMaximo(QStringLiteral("CLIENTES"), QStringLiteral("Importe"), std::nullopt, &c);
         },
         "SELECT MAX(Importe) AS MAYOR FROM CLIENTES WHERE Activo = 0", Variant(3.0)},
        {"maximo sin filas", [] { return gDB().BuscaMaximo(QStringLiteral("VACIA"), QStringLiteral("N")); },
         "SELECT MAX(N) AS MAYOR FROM VACIA", Variant()},
        {"minimo",
         [&] { return gDB().BuscaMinimo(QStringLiteral("CLIENTES"), QStringLiteral("Importe"), Variant(7), cond(" Importe > 3 ")); },
         "SELECT MIN(Importe) AS MENOR FROM CLIENTES  with(nolock)  WHERE Importe > 3", Variant(7.0)},
        {"minimo sin condicion", [] { return gDB().BuscaMinimo(QStringLiteral("CLIENTES"), QStringLiteral("Codigo")); },
         "SELECT MIN(Codigo) AS MENOR FROM CLIENTES  with(nolock) ", Variant(7.0)},
        {"minimo con condicion en blanco",
         [&] { return gDB().BuscaMinimo(QStringLiteral("CLIENTES"), QStringLiteral("Importe"), std::nullopt, cond(" ")); },
         "SELECT MIN(Importe) AS MENOR FROM CLIENTES  with(nolock) ", Variant(3.0)},
        {"ultimo codigo sin condicion",
         [] { return gDB().BuscaUltimoCodigo(QStringLiteral("CLIENTES"), QStringLiteral("Importe"), Variant(8), QStringLiteral("   ")); },
         "SELECT MAX(Importe) AS MAYOR FROM CLIENTES", Variant(10.5)},
        {"ultimo codigo con condicion",
         [] { return gDB().BuscaUltimoCodigo(QStringLiteral("CLIENTES"), QStringLiteral("Importe"), Variant(8), QStringLiteral(" Importe < 10 ")); },
         "SELECT MAX(Importe) AS MAYOR FROM CLIENTES WHERE  Importe < 10 ", Variant(7.0)},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        traza.vaciar();
        const Variant v = c.llamada();
        EXPECT_EQ(unicoTexto(), QString::fromUtf8(c.texto));
        EXPECT_EQ(v.tipo(), c.esperado.tipo());
        EXPECT_EQ(v.toText(), c.esperado.toText());
    }
    EXPECT_TRUE(op->llamadas.empty());
}

TEST_F(ConsultasTabla, MaximoDeArticulosPasaPorAltoLosCodigosConCero)
{
    const QString filtro = QStringLiteral("substring(ltrim(idarticulo),1,1)<>'0'");
    const QString primera = QStringLiteral("SELECT MAX(idarticulo) AS MAYOR FROM V_MA_ARTICULOS");
    struct Caso {
        const char* filas;
        std::optional<Variant> condicion;
        std::vector<QString> textos;
        Variant esperado;
        std::optional<Variant> condicionDespues;
    };
    const Caso casos[] = {
        // A code with a leading blank sorts below the 0 codes: found by the second query.
        {"('0999'), (' 500'), ('0123')", std::nullopt,
         {primera, primera + QStringLiteral(" WHERE ") + filtro}, Variant(500.0), Variant(QStringLiteral(" ") + filtro)},
        // A blank condition filters nothing and is replaced by the filter.
        {"('0999'), ('0123')", Variant(QStringLiteral("  ")), {primera, primera + QStringLiteral(" WHERE ") + filtro}, Variant(),
         Variant(QStringLiteral(" ") + filtro)},
        {"('0999'), (' 500'), (' 600')", Variant(QStringLiteral("Precio > 1")),
         {primera + QStringLiteral(" WHERE Precio > 1"), primera + QStringLiteral(" WHERE Precio > 1 and ") + filtro}, Variant(500.0),
         Variant(QStringLiteral("Precio > 1 and ") + filtro)},
        // No 0 in front: one query.
        {"('750'), ('0999')", std::nullopt, {primera}, Variant(750.0), std::nullopt},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.filas);
        prueba::ejecutarSqlite(base(), QStringLiteral("DELETE FROM V_MA_ARTICULOS; INSERT INTO V_MA_ARTICULOS (idarticulo) VALUES ")
                                           + QString::fromUtf8(c.filas) + QStringLiteral(";"));
        if (c.textos.size() > 1 && c.condicion && c.condicion->toText().contains(QLatin1String("Precio")))
            prueba::ejecutarSqlite(base(), "UPDATE V_MA_ARTICULOS SET Precio = CASE WHEN idarticulo = ' 600' THEN 0 ELSE 5 END;");
        traza.vaciar();
        std::optional<Variant> cond = c.condicion;
        const Variant v = gDB().BuscaMaximo(QStringLiteral("V_MA_ARTICULOS"), QStringLiteral("idarticulo"), std::nullopt, &cond);
        EXPECT_EQ(traza.textos("open"), c.textos);
        EXPECT_EQ(v.tipo(), c.esperado.tipo());
        EXPECT_EQ(v.toText(), c.esperado.toText());
        ASSERT_EQ(cond.has_value(), c.condicionDespues.has_value());
        if (cond) {
            EXPECT_EQ(cond->toText(), c.condicionDespues->toText());
        }
        EXPECT_TRUE(op->llamadas.empty());
    }
}

// --- Schema helpers -----------------------------------------------------------------

TEST_F(ConsultasTabla, ExisteTablaYCampoEnElProveedorEmbebido)
{
    EXPECT_TRUE(gDB().ExisteTablaDB(QStringLiteral("CLIENTES")));
    EXPECT_TRUE(gDB().ExisteTablaDB(QStringLiteral(" clientes ")));
    EXPECT_FALSE(gDB().ExisteTablaDB(QStringLiteral("NO_EXISTE")));
    EXPECT_TRUE(gDB().ExisteCampoDB(QStringLiteral("CLIENTES"), QStringLiteral("Nombre")));
    EXPECT_TRUE(gDB().ExisteCampoDB(QStringLiteral("CLIENTES"), QStringLiteral(" IMPORTE ")));
    EXPECT_FALSE(gDB().ExisteCampoDB(QStringLiteral("CLIENTES"), QStringLiteral("Telefono")));
    EXPECT_FALSE(gDB().ExisteCampoDB(QStringLiteral("VACIA"), QStringLiteral("Nombre")));
    EXPECT_TRUE(op->llamadas.empty());
}

TEST_F(ConsultasTabla, ExisteTablaYCampoPorOdbc)
{
    prueba::reiniciarSesion();
    datos::DB_Dll& db = gDB();
    db.gDBName = QStringLiteral("consultas");
    db.OpenServerADODB(false, 3, QStringLiteral("Driver={SQLite3};Database=") + base() + QStringLiteral(";"), false, true);
    ASSERT_TRUE(db.gOpenFlag);
    ASSERT_EQ(db.gCnn().proveedor(), QStringLiteral("odbc"));
    EXPECT_TRUE(db.ExisteTablaDB(QStringLiteral("clientes")));
    EXPECT_FALSE(db.ExisteTablaDB(QStringLiteral("NO_EXISTE")));
    EXPECT_TRUE(db.ExisteCampoDB(QStringLiteral("CLIENTES"), QStringLiteral("nombre")));
    EXPECT_FALSE(db.ExisteCampoDB(QStringLiteral("CLIENTES"), QStringLiteral("Telefono")));
    EXPECT_TRUE(op->llamadas.empty());
}

TEST_F(ConsultasTabla, ExisteCampoEnOracleNoPregunta)
{
    gDB().gProveedor = QStringLiteral("OraOLEDB.Oracle.1");
    EXPECT_TRUE(gDB().ExisteCampoDB(QStringLiteral("NO_EXISTE"), QStringLiteral("NADA")));
    EXPECT_TRUE(traza.leer().empty());
}

TEST_F(ConsultasTabla, VerCampoAgregaLaColumnaQueFalta)
{
    struct Caso {
        const char* campo;
        bool agregar;
        bool nulos;
        std::optional<Variant> defecto;
        const char* alter;   // nullptr: nothing sent
    };
    const Caso casos[] = {
        {"Telefono", true, true, std::nullopt, "ALTER TABLE dbo.CLIENTES ADD Telefono VARCHAR(20) Null "},
        {"Pais", true, false, Variant(QStringLiteral("'AR'")),
         "ALTER TABLE dbo.CLIENTES ADD Pais VARCHAR(20) Not Null  CONSTRAINT DF_CLIENTES_Pais DEFAULT ('AR')"},
        {"Nombre", true, true, std::nullopt, nullptr},     // already there
        {"Fax", false, true, std::nullopt, nullptr},       // not asked to add
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.campo);
        traza.vaciar();
        const QString campo = QString::fromUtf8(c.campo);
        EXPECT_TRUE(gDB().VerCampoDB(QStringLiteral("CLIENTES"), campo, c.agregar, QStringLiteral("VARCHAR(20)"), c.nulos, c.defecto));
        const auto alters = traza.textos("execute");
        if (c.alter) {
            EXPECT_EQ(alters, std::vector<QString>{QString::fromUtf8(c.alter)});
            EXPECT_TRUE(gDB().ExisteCampoDB(QStringLiteral("CLIENTES"), campo));
        } else {
            EXPECT_TRUE(alters.empty());
        }
    }
    EXPECT_FALSE(gDB().ExisteCampoDB(QStringLiteral("CLIENTES"), QStringLiteral("Fax")));
    EXPECT_EQ(prueba::consultarSqlite(base(), "SELECT Pais FROM CLIENTES WHERE Codigo = '123'"), QStringLiteral("AR"));
    // A missing table gets nothing.
    traza.vaciar();
    EXPECT_TRUE(gDB().VerCampoDB(QStringLiteral("NO_EXISTE"), QStringLiteral("X"), true, QStringLiteral("INT"), true));
    EXPECT_TRUE(traza.textos("execute").empty());
    EXPECT_TRUE(op->llamadas.empty());
}

}  // namespace
