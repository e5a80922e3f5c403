// The demo database: its creation, the objects and columns the program uses, the
// rows the demo is built around, and the constraints that make the embedded
// database behave like the server (truncation, the writable stock view).
#include "app/BaseDemo.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <sqlite3.h>

// Readable failures.
static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

// The rows the demo is built around (also named in the report of the demo).
const char* const kProveedorApostrofe = "P00007";
const char* const kOcSinRecibir = "000100001206A";
const char* const kOcRecibidaSola = "000100001204A";
const char* const kOcCompartida1 = "000100001215A";
const char* const kOcCompartida2 = "000100001216A";
const char* const kIrCompartido = "000100000314X";
const char* const kOcDosInformes = "000100001243A";
const char* const kOcCerrada = "000100001201A";

// A small handle on a SQLite file through the C API, with the stock collations.
class Base {
public:
    explicit Base(const QString& ruta)
    {
        if (sqlite3_open_v2(QFile::encodeName(ruta).constData(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            ADD_FAILURE() << "no se pudo abrir " << ruta.toStdString() << ": " << sqlite3_errmsg(db_);
    }
    ~Base() { sqlite3_close(db_); }
    Base(const Base&) = delete;
    Base& operator=(const Base&) = delete;

    // Runs a statement; returns "" on success, else the engine's message.
    QString ejecutar(const QString& sql)
    {
        char* err = nullptr;
        const int rc = sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &err);
        QString m = rc == SQLITE_OK ? QString() : QString::fromUtf8(err ? err : sqlite3_errstr(rc));
        sqlite3_free(err);
        return m;
    }

    std::vector<QStringList> filas(const QString& sql)
    {
        std::vector<QStringList> r;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db_, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK) {
            ADD_FAILURE() << sqlite3_errmsg(db_) << " en " << sql.toStdString();
            return r;
        }
        while (sqlite3_step(st) == SQLITE_ROW) {
            QStringList f;
            for (int i = 0; i < sqlite3_column_count(st); ++i)
                f << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i)));
            r.push_back(f);
        }
        sqlite3_finalize(st);
        return r;
    }

    QString uno(const QString& sql)
    {
        const auto f = filas(sql);
        return f.empty() || f[0].isEmpty() ? QString() : f[0][0];
    }
    long long entero(const QString& sql) { return uno(sql).toLongLong(); }

    QStringList objetos(const char* tipo)
    {
        QStringList r;
        for (const auto& f : filas(QStringLiteral("SELECT name FROM sqlite_master WHERE type='%1' "
                                                  "AND name NOT LIKE 'sqlite_%' ORDER BY name").arg(tipo)))
            r << f[0];
        return r;
    }

    struct Columna {
        QString nombre, tipo;
    };
    std::vector<Columna> columnas(const QString& objeto)
    {
        std::vector<Columna> r;
        for (const auto& f : filas(QStringLiteral("SELECT name, type FROM pragma_table_xinfo('%1')").arg(objeto)))
            r.push_back({f[0], f[1]});
        return r;
    }

    // Declared collation of a table column ("BINARY" when none).
    QString colacion(const QString& tabla, const QString& columna)
    {
        const char* tipo = nullptr;
        const char* col = nullptr;
        int nn = 0, pk = 0, ai = 0;
        if (sqlite3_table_column_metadata(db_, nullptr, tabla.toUtf8().constData(), columna.toUtf8().constData(),
                                          &tipo, &col, &nn, &pk, &ai) != SQLITE_OK)
            return QStringLiteral("?");
        return QString::fromLatin1(col ? col : "BINARY");
    }

    sqlite3* db() { return db_; }

private:
    sqlite3* db_ = nullptr;
};

bool esTexto(const QString& tipo)
{
    const QString t = tipo.toUpper();
    return t.contains(QLatin1String("CHAR")) || t.contains(QLatin1String("TEXT")) || t.contains(QLatin1String("CLOB"));
}

// n of VARCHAR(n) / CHAR(n); 0 for types without a length.
int largoDeclarado(const QString& tipo)
{
    static const QRegularExpression re(QStringLiteral("^\\s*(?:VAR)?CHAR\\s*\\(\\s*(\\d+)\\s*\\)"),
                                       QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(tipo);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

// A temporary application folder holding a fresh demo database.
class BaseDemoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        anterior_ = qgetenv("PERMUTAL_CARPETA");
        habia_ = qEnvironmentVariableIsSet("PERMUTAL_CARPETA");
        qputenv("PERMUTAL_CARPETA", dir_.path().toUtf8());
        QString error;
        ASSERT_TRUE(app::crearBaseDemo(app::rutaBaseDemo(), &error)) << error.toStdString();
        EXPECT_TRUE(error.isEmpty());
        base_ = std::make_unique<Base>(app::rutaBaseDemo());
    }
    void TearDown() override
    {
        base_.reset();
        if (habia_) qputenv("PERMUTAL_CARPETA", anterior_);
        else qunsetenv("PERMUTAL_CARPETA");
    }
    Base& b() { return *base_; }

    QTemporaryDir dir_;
    QByteArray anterior_;
    bool habia_ = false;
    std::unique_ptr<Base> base_;
};

TEST_F(BaseDemoTest, LosArchivosQuedanEnLaCarpetaDeLaAplicacion)
{
    EXPECT_EQ(app::rutaBaseDemo(), dir_.path() + QStringLiteral("/PERMUTAL_DEMO.db"));
    EXPECT_EQ(app::rutaBaseEstadisticas(), dir_.path() + QStringLiteral("/KX_ESTADISTICAS.db"));
    EXPECT_TRUE(QFile::exists(app::rutaBaseDemo()));
    EXPECT_EQ(b().uno(QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    EXPECT_EQ(b().uno(QStringLiteral("PRAGMA foreign_key_check")), QString());
}

// Every object the program names, with the columns it reads or writes, in that case and spelling.
TEST_F(BaseDemoTest, TieneLosObjetosYColumnasQueUsaElPrograma)
{
    const std::map<QString, QStringList> esperado = {
        {"C_MV_CPTE", {"TC", "IDCOMPROBANTE", "FECHA", "CUENTA", "NOMBRE", "DOMICILIO", "TELEFONO", "LOCALIDAD",
                       "IDPROVINCIA", "CODIGOPOSTAL", "DOCUMENTOTIPO", "DOCUMENTONUMERO", "CONDICIONIVA", "ESTADO",
                       "TOTAL"}},
        {"C_MV_CPTETAREAS", {"TC", "IDCOMPROBANTE", "CUENTA"}},
        {"C_MV_CPTE_OBSERV", {"TC", "IDCOMPROBANTE", "CUENTA"}},
        {"C_MV_CPTEINSUMOS", {"TC", "IDCOMPROBANTE", "CUENTA"}},
        {"MV_STOCK", {"TC", "IDCOMPROBANTE", "TC_ORIGEN", "IDCOMPROBANTE_ORIGEN", "CUENTAPROVEEDOR", "IDARTICULO",
                      "CANTIDAD", "FECHA"}},
        {"V_MV_STOCK", {"TC", "IDCOMPROBANTE", "TC_ORIGEN", "IDCOMPROBANTE_ORIGEN", "CUENTAPROVEEDOR", "IDARTICULO",
                        "CANTIDAD", "FECHA"}},
        {"CO_OCompraPendientes", {"TC", "IDCOMPROBANTE", "CUENTA", "FECHA", "NOMBRE"}},
        {"VT_PROVEEDORES", {"CODIGO", "Razon_Social", "CALLE", "NUMERO", "PISO", "DEPARTAMENTO", "Telefono",
                            "Localidad", "Provincia", "CPostal", "Documento_Tipo", "Numero_Documento", "IVA",
                            "Dada_De_Baja"}},
        {"VT_CLIENTES", {"CODIGO", "Razon_Social", "Contacto", "Dada_De_Baja"}},
        {"TA_CONFIGURACION", {"Clave", "Valor", "ValorAux", "Grupo", "PoliticaNegocio"}},
        {"TA_USUARIOS", {"nombre", "Administrador"}},
        {"TA_TAREAS", {"USUARIO", "TAREA"}},
        {"TA_MENU", {"Clave", "Proceso", "Nombre"}},
        {"Control_Acceso", {"Maquina", "Usuario", "Formulario", "Tarea", "Ingreso", "NombreUsuario"}},
        {"AUX_ERR", {"Proceso", "Fecha", "Error", "Descripcion", "SQL", "PC", "Usuario"}},
        {"V_MV_FALTANTES", {"FechaHora", "IdArticulo", "Descripcion", "Usuario"}},
        {"V_MA_ARTICULOS", {"IDARTICULO", "DESCRIPCION", "SUSPENDIDO", "PUNTOPEDIDO", "Stock", "PRECIO1", "PRECIO2",
                            "PRECIO3", "PRECIO4", "PRECIO5", "PRECIO6", "PRECIO7", "PRECIO8"}},
        {"VT_MA_ARTICULOS", {"IDARTICULO", "DESCRIPCION", "SUSPENDIDO", "PUNTOPEDIDO", "Stock", "PRECIO1", "PRECIO8"}},
        {"V_TA_FAMILIAS", {"IdFamilia", "Descripcion"}},
        {"SS_V_TA_FAMILIAS", {"IdFamilia", "Descripcion"}},
        {"MA_POSICIONES", {"IDPOSICION", "DESCRIPCION"}},
        {"TA_CCOSTO", {"CODIGO", "DESCRIPCION"}},
        {"MA_CUENTAS", {"CODIGO", "DESCRIPCION"}},
        {"SS_MA_CUENTAS", {"CODIGO", "DESCRIPCION"}},
        {"V_TA_DEPOSITO", {"Descripcion", "IdDeposito", "UnidadNegocio"}},
        {"SS_V_TA_DEPOSITO", {"Descripcion", "IdDeposito", "UnidadNegocio"}},
        {"MV_ASIENTOS", {}}, {"SS_MV_ASIENTOS", {}},
        {"V_TA_CAJAS", {}}, {"SS_V_TA_CAJAS", {}},
        {"AC_CUENTASDIARIO", {}}, {"SS_AC_CUENTASDIARIO", {}},
        {"AC_CUENTASDIARIO_CCOSTO", {}}, {"SS_AC_CUENTAS_DIARIO_CCOSTO", {}},
        {"MA_CONTACTOS", {"Nombre_y_Apellido", "Domicilio", "Localidad", "Telefono"}},
        {"V_TA_VENDEDORES", {"NOMBRE", "IDVENDEDOR"}},
        {"V_TA_TECNICOS", {"NOMBRE", "IDTECNICO"}},
        {"V_MA_MANTENIMIENTOS", {"DESCRIPCION", "CODIGO"}},
        {"V_TA_Tareas", {"Descripcion", "IdTarea"}},
        {"V_TA_UnidadNegocio", {"Descripcion", "Codigo"}},
        {"V_TA_RUBROS", {}}, {"V_TA_UNIDAD", {}},
    };
    QStringList existentes = b().objetos("table") + b().objetos("view");
    for (const auto& [objeto, cols] : esperado) {
        SCOPED_TRACE(objeto.toStdString());
        EXPECT_TRUE(existentes.contains(objeto)) << "falta el objeto (o su nombre difiere en mayúsculas)";
        QStringList tiene;
        for (const auto& c : b().columnas(objeto)) tiene << c.nombre;
        for (const QString& c : cols) EXPECT_TRUE(tiene.contains(c)) << "falta la columna " << c.toStdString();
    }
}

// Text comparisons follow the server's: every text column of every table is
// declared NOCASE, and so is every text column that a view passes through.
TEST_F(BaseDemoTest, TodaColumnaDeTextoEsNocase)
{
    int revisadas = 0;
    for (const QString& t : b().objetos("table")) {
        for (const auto& c : b().columnas(t)) {
            if (!esTexto(c.tipo)) continue;
            ++revisadas;
            EXPECT_EQ(b().colacion(t, c.nombre), QStringLiteral("NOCASE")) << t.toStdString() << "." << c.nombre.toStdString();
        }
    }
    EXPECT_GT(revisadas, 100);
    // The provider's connections compare with the server's padding rule; the
    // indexes built here stay in order under it only while no stored text ends in
    // a blank or holds a control character.
    for (const QString& t : b().objetos("table")) {
        for (const auto& c : b().columnas(t)) {
            if (!esTexto(c.tipo)) continue;
            EXPECT_EQ(b().entero(QStringLiteral("SELECT count(*) FROM %1 WHERE %2 GLOB '* ' OR instr(%2, char(9)) "
                                                "OR instr(%2, char(10)) OR instr(%2, char(13))").arg(t, c.nombre)), 0)
                << t.toStdString() << "." << c.nombre.toStdString();
        }
    }
    for (const QString& v : b().objetos("view")) {
        sqlite3_stmt* st = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(b().db(), ("SELECT * FROM " + v).toUtf8().constData(), -1, &st, nullptr), SQLITE_OK);
        for (int i = 0; i < sqlite3_column_count(st); ++i) {
            const char* tipo = sqlite3_column_decltype(st, i);
            if (!tipo || !esTexto(QString::fromLatin1(tipo))) continue;
            const QString tabla = QString::fromUtf8(sqlite3_column_table_name(st, i));
            const QString col = QString::fromUtf8(sqlite3_column_origin_name(st, i));
            EXPECT_EQ(b().colacion(tabla, col), QStringLiteral("NOCASE")) << v.toStdString() << "." << col.toStdString();
        }
        sqlite3_finalize(st);
    }
}

// The declared lengths hold for the rows, and each truncation check matches the
// declared length of its column and is named after table and column.
TEST_F(BaseDemoTest, LargosDeclaradosYControlesDeTruncamiento)
{
    static const QRegularExpression reCheck(
        QStringLiteral("CONSTRAINT\\s+TRUNC_(\\w+)\\s+CHECK\\s*\\(\\s*length\\((\\w+)\\)\\s*<=\\s*(\\d+)\\s*\\)"));
    int controles = 0;
    for (const QString& t : b().objetos("table")) {
        std::map<QString, int> largos;
        for (const auto& c : b().columnas(t)) {
            const int n = largoDeclarado(c.tipo);
            if (n == 0) continue;
            largos[c.nombre] = n;
            EXPECT_LE(b().entero(QStringLiteral("SELECT coalesce(max(length(%1)),0) FROM %2").arg(c.nombre, t)), n)
                << t.toStdString() << "." << c.nombre.toStdString();
        }
        const QString sql = b().uno(QStringLiteral("SELECT sql FROM sqlite_master WHERE name='%1'").arg(t));
        for (auto it = reCheck.globalMatch(sql); it.hasNext();) {
            const auto m = it.next();
            ++controles;
            SCOPED_TRACE(m.captured(0).toStdString());
            EXPECT_EQ(m.captured(1), t + QLatin1Char('_') + m.captured(2));
            ASSERT_TRUE(largos.count(m.captured(2)));
            EXPECT_EQ(largos[m.captured(2)], m.captured(3).toInt());
        }
    }
    EXPECT_GE(controles, 30);
}

// A normal save never truncates: the order header's columns hold whatever the
// supplier table can give them, the address built as the server builds it.
TEST_F(BaseDemoTest, LaCabeceraRecibeCualquierProveedorSinTruncar)
{
    auto largo = [&](const char* tabla, const char* col) {
        for (const auto& c : b().columnas(QString::fromLatin1(tabla)))
            if (c.nombre == QLatin1String(col)) return largoDeclarado(c.tipo);
        ADD_FAILURE() << tabla << "." << col;
        return 0;
    };
    const std::pair<const char*, const char*> pares[] = {
        {"CUENTA", "CODIGO"}, {"NOMBRE", "Razon_Social"}, {"TELEFONO", "Telefono"}, {"LOCALIDAD", "Localidad"},
        {"IDPROVINCIA", "Provincia"}, {"CODIGOPOSTAL", "CPostal"}, {"DOCUMENTOTIPO", "Documento_Tipo"},
        {"DOCUMENTONUMERO", "Numero_Documento"}, {"CONDICIONIVA", "IVA"}};
    for (const auto& [cab, prov] : pares)
        EXPECT_GE(largo("C_MV_CPTE", cab), largo("VT_PROVEEDORES", prov)) << cab;
    EXPECT_GE(largo("C_MV_CPTE", "DOMICILIO"), largo("VT_PROVEEDORES", "CALLE") + largo("VT_PROVEEDORES", "NUMERO")
                                                   + largo("VT_PROVEEDORES", "PISO")
                                                   + largo("VT_PROVEEDORES", "DEPARTAMENTO") + 3);
    EXPECT_GE(largo("C_MV_CPTETAREAS", "CUENTA"), largo("VT_PROVEEDORES", "CODIGO"));
    EXPECT_GE(largo("C_MV_CPTE_OBSERV", "CUENTA"), largo("VT_PROVEEDORES", "CODIGO"));
    EXPECT_GE(largo("C_MV_CPTEINSUMOS", "CUENTA"), largo("VT_PROVEEDORES", "CODIGO"));
    EXPECT_GE(largo("MV_STOCK", "CUENTAPROVEEDOR"), largo("VT_PROVEEDORES", "CODIGO"));
    // No piece of the address is NULL (on the server that would blank it all).
    EXPECT_EQ(b().entero("SELECT count(*) FROM VT_PROVEEDORES WHERE "
                         "(CALLE || ' ' || NUMERO || ' ' || PISO || ' ' || DEPARTAMENTO) IS NULL"), 0);
}

TEST_F(BaseDemoTest, ProveedoresClientesYConfiguracion)
{
    EXPECT_GE(b().entero("SELECT count(*) FROM VT_PROVEEDORES"), 30);
    EXPECT_GE(b().entero("SELECT count(*) FROM VT_PROVEEDORES WHERE Razon_Social LIKE '%''%'"), 1);
    EXPECT_EQ(b().uno(QStringLiteral("SELECT Razon_Social FROM VT_PROVEEDORES WHERE CODIGO='%1'").arg(kProveedorApostrofe)),
              QStringLiteral("O'Brien Hnos. S.R.L."));
    EXPECT_EQ(b().entero("SELECT count(*) FROM VT_PROVEEDORES WHERE Dada_De_Baja = 1"), 2);
    EXPECT_EQ(b().entero("SELECT count(*) FROM VT_PROVEEDORES WHERE IVA NOT IN ('RI','MT','EX')"), 0);
    EXPECT_EQ(b().entero("SELECT count(DISTINCT IVA) FROM VT_PROVEEDORES"), 3);
    EXPECT_EQ(b().entero("SELECT count(*) FROM VT_PROVEEDORES WHERE Numero_Documento NOT GLOB "
                         "'[0-9][0-9]-[0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9]-[0-9]'"), 0);
    // The server compares codes without regard to case.
    EXPECT_EQ(b().entero("SELECT count(*) FROM VT_PROVEEDORES WHERE CODIGO = 'p00001'"), 1);

    const std::pair<const char*, const char*> claves[] = {
        {"Top_Default", "1000"}, {"SS_CONFIDENCIALIDAD", "NO"}, {"UsaConsultaLike", "NO"},
        {"MostrarStockenConsultas", "SI"}, {"THEME", "1"}, {"NOM_PCLASE1", "Costo"}, {"NOM_PCLASE8", "Exportación"}};
    for (const auto& [clave, valor] : claves)
        EXPECT_EQ(b().uno(QStringLiteral("SELECT Valor FROM TA_CONFIGURACION WHERE Clave='%1'").arg(clave)),
                  QString::fromUtf8(valor)) << clave;
    for (int n = 1; n <= 4; ++n)
        EXPECT_GT(b().entero(QStringLiteral("SELECT Valor FROM TA_CONFIGURACION WHERE CLAVE='stk_nivel%1'").arg(n)), 0);
    EXPECT_GT(b().entero("SELECT Valor FROM TA_CONFIGURACION WHERE Clave='TopConsArt'"), 0);

    EXPECT_EQ(b().uno("SELECT Administrador FROM TA_USUARIOS WHERE nombre='ADMIN'"), QStringLiteral("1"));
    EXPECT_GE(b().entero("SELECT count(*) FROM TA_USUARIOS WHERE Administrador = 0"), 2);
    // The usage log's menu query finds the program's entry for some users only.
    const char* menu = "SELECT TA_MENU.Nombre FROM TA_TAREAS INNER JOIN TA_MENU ON TA_TAREAS.TAREA = TA_MENU.Clave "
                       "WHERE TA_TAREAS.USUARIO = '%1' AND TA_MENU.Proceso LIKE '%Permutal%'";
    EXPECT_FALSE(b().uno(QString::fromLatin1(menu).arg("ADMIN")).isEmpty());
    EXPECT_FALSE(b().uno(QString::fromLatin1(menu).arg("JPEREZ")).isEmpty());
    EXPECT_TRUE(b().uno(QString::fromLatin1(menu).arg("MGOMEZ")).isEmpty());
    // The tables the program writes start empty, so what a run writes is all there is.
    for (const char* t : {"Control_Acceso", "AUX_ERR", "V_MV_FALTANTES"})
        EXPECT_EQ(b().entero(QStringLiteral("SELECT count(*) FROM %1").arg(t)), 0) << t;
    // The family tree of the lookups.
    EXPECT_EQ(b().uno("SELECT group_concat(IdFamilia, ',') FROM (SELECT IdFamilia FROM V_TA_FAMILIAS ORDER BY IdFamilia)"),
              QStringLiteral("01,0101,0102,02,0201"));
}

TEST_F(BaseDemoTest, OrdenesPendientesConSusRenglones)
{
    EXPECT_GE(b().entero("SELECT count(*) FROM CO_OCompraPendientes"), 50);
    EXPECT_EQ(b().entero("SELECT count(*) FROM CO_OCompraPendientes WHERE TC <> 'OC' OR length(IDCOMPROBANTE) <> 13 "
                         "OR IDCOMPROBANTE NOT GLOB '[0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9]?'"), 0);
    for (const char* t : {"C_MV_CPTETAREAS", "C_MV_CPTE_OBSERV", "C_MV_CPTEINSUMOS"}) {
        SCOPED_TRACE(t);
        EXPECT_EQ(b().entero(QStringLiteral("SELECT count(*) FROM CO_OCompraPendientes p WHERE NOT EXISTS "
                                            "(SELECT 1 FROM %1 r WHERE r.TC = p.TC AND r.IDCOMPROBANTE = p.IDCOMPROBANTE)")
                                 .arg(t)), 0);
        // Every row carries its order's supplier.
        EXPECT_EQ(b().entero(QStringLiteral("SELECT count(*) FROM %1 r JOIN C_MV_CPTE c ON c.TC = r.TC "
                                            "AND c.IDCOMPROBANTE = r.IDCOMPROBANTE WHERE r.CUENTA <> c.CUENTA").arg(t)), 0);
    }
    // Headers hold the supplier's data as a save would write it.
    EXPECT_EQ(b().entero("SELECT count(*) FROM C_MV_CPTE c JOIN VT_PROVEEDORES p ON p.CODIGO = c.CUENTA WHERE "
                         "c.NOMBRE <> p.Razon_Social OR c.DOMICILIO <> trim(p.CALLE || ' ' || p.NUMERO || ' ' || p.PISO "
                         "|| ' ' || p.DEPARTAMENTO) OR c.CONDICIONIVA <> p.IVA OR c.DOCUMENTONUMERO <> p.Numero_Documento"), 0);
    // Stock rows of a report carry the supplier of the order they came from.
    EXPECT_EQ(b().entero("SELECT count(*) FROM V_MV_STOCK s JOIN C_MV_CPTE c ON c.TC = s.TC_ORIGEN "
                         "AND c.IDCOMPROBANTE = s.IDCOMPROBANTE_ORIGEN WHERE s.TC = 'IR' AND s.CUENTAPROVEEDOR <> c.CUENTA"), 0);
    EXPECT_GE(b().entero("SELECT count(DISTINCT IDCOMPROBANTE_ORIGEN) FROM V_MV_STOCK s JOIN CO_OCompraPendientes p "
                         "ON p.IDCOMPROBANTE = s.IDCOMPROBANTE_ORIGEN WHERE s.TC = 'IR' AND s.TC_ORIGEN = 'OC'"), 12);
    // Exactly one report came from more than one order.
    EXPECT_EQ(b().entero("SELECT count(*) FROM (SELECT IDCOMPROBANTE FROM V_MV_STOCK WHERE TC = 'IR' "
                         "GROUP BY IDCOMPROBANTE HAVING count(DISTINCT IDCOMPROBANTE_ORIGEN) > 1)"), 1);
}

// The rows the demo is built around: how many receiving reports each order has,
// how many origin orders those reports have, and whether it is still pending.
TEST_F(BaseDemoTest, OrdenesDeLaDemostracion)
{
    struct Caso {
        const char* oc;
        int informes;
        int origenes;   // distinct origin orders over its reports
        bool pendiente;
    };
    const Caso casos[] = {
        {kOcSinRecibir, 0, 0, true},  {kOcRecibidaSola, 1, 1, true}, {kOcCompartida1, 1, 2, true},
        {kOcCompartida2, 1, 2, true}, {kOcDosInformes, 2, 1, true},  {kOcCerrada, 1, 1, false},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.oc);
        EXPECT_EQ(b().entero(QStringLiteral("SELECT count(*) FROM C_MV_CPTE WHERE TC='OC' AND IDCOMPROBANTE='%1'").arg(c.oc)), 1);
        EXPECT_EQ(b().entero(QStringLiteral("SELECT count(*) FROM CO_OCompraPendientes WHERE TC='OC' AND IDCOMPROBANTE='%1'")
                                 .arg(c.oc)), c.pendiente ? 1 : 0);
        EXPECT_EQ(b().entero(QStringLiteral("SELECT count(DISTINCT IDCOMPROBANTE) FROM V_MV_STOCK WHERE TC='IR' AND "
                                            "TC_ORIGEN='OC' AND IDCOMPROBANTE_ORIGEN='%1'").arg(c.oc)), c.informes);
        EXPECT_EQ(b().entero(QStringLiteral("SELECT count(DISTINCT IDCOMPROBANTE_ORIGEN) FROM V_MV_STOCK WHERE TC='IR' AND "
                                            "IDCOMPROBANTE IN (SELECT IDCOMPROBANTE FROM V_MV_STOCK WHERE TC='IR' AND "
                                            "IDCOMPROBANTE_ORIGEN='%1')").arg(c.oc)), c.origenes);
    }
    EXPECT_EQ(b().uno(QStringLiteral("SELECT CUENTA FROM CO_OCompraPendientes WHERE IDCOMPROBANTE='%1'").arg(kOcSinRecibir)),
              QString::fromLatin1(kProveedorApostrofe));
    EXPECT_EQ(b().entero(QStringLiteral("SELECT count(DISTINCT IDCOMPROBANTE_ORIGEN) FROM V_MV_STOCK WHERE TC='IR' "
                                        "AND IDCOMPROBANTE='%1'").arg(kIrCompartido)), 2);
    EXPECT_EQ(b().uno(QStringLiteral("SELECT ESTADO FROM C_MV_CPTE WHERE TC='OC' AND IDCOMPROBANTE='%1'").arg(kOcCerrada)),
              QStringLiteral("C"));
}

// The save writes the stock rows through the view, as on the server.
TEST_F(BaseDemoTest, LaVistaDeStockSeActualizaPorSuDisparador)
{
    const QString origen = b().uno(QStringLiteral("SELECT CUENTAPROVEEDOR FROM MV_STOCK WHERE IDCOMPROBANTE='%1' "
                                                  "AND IDCOMPROBANTE_ORIGEN='%2'").arg(kIrCompartido, kOcCompartida2));
    ASSERT_FALSE(origen.isEmpty());
    const long long filas = b().entero(QStringLiteral("SELECT count(*) FROM MV_STOCK WHERE IDCOMPROBANTE='%1' "
                                                      "AND IDCOMPROBANTE_ORIGEN='%2'").arg(kIrCompartido, kOcCompartida1));
    ASSERT_GT(filas, 0);
    EXPECT_EQ(b().ejecutar(QStringLiteral("UPDATE V_MV_STOCK SET CUENTAPROVEEDOR='P00002' WHERE  TC='IR' AND "
                                          "IDCOMPROBANTE='%1' AND TC_ORIGEN='OC' AND IDCOMPROBANTE_ORIGEN='%2'")
                               .arg(kIrCompartido, kOcCompartida1)), QString());
    EXPECT_EQ(b().entero(QStringLiteral("SELECT count(*) FROM MV_STOCK WHERE IDCOMPROBANTE='%1' AND "
                                        "IDCOMPROBANTE_ORIGEN='%2' AND CUENTAPROVEEDOR='P00002'").arg(kIrCompartido, kOcCompartida1)),
              filas);
    // The other order of the report keeps its supplier.
    EXPECT_EQ(b().entero(QStringLiteral("SELECT count(*) FROM MV_STOCK WHERE IDCOMPROBANTE='%1' AND "
                                        "IDCOMPROBANTE_ORIGEN='%2' AND CUENTAPROVEEDOR<>'%3'").arg(kIrCompartido, kOcCompartida2, origen)), 0);
    // Inserts and deletes through the view reach the table too.
    EXPECT_EQ(b().ejecutar("INSERT INTO V_MV_STOCK (TC, IDCOMPROBANTE, IDARTICULO, CANTIDAD) VALUES ('AJ','000100009999X','100101',3)"),
              QString());
    EXPECT_EQ(b().entero("SELECT CANTIDAD FROM MV_STOCK WHERE IDCOMPROBANTE='000100009999X'"), 3);
    EXPECT_EQ(b().ejecutar("DELETE FROM V_MV_STOCK WHERE IDCOMPROBANTE='000100009999X'"), QString());
    EXPECT_EQ(b().entero("SELECT count(*) FROM MV_STOCK WHERE IDCOMPROBANTE='000100009999X'"), 0);
}

// An over-long value is refused by the check named after table and column (the
// provider turns it into the server's truncation error); a value of exactly the
// declared length, counted in characters, passes.
TEST_F(BaseDemoTest, UnValorDemasiadoLargoViolaSuControlTrunc)
{
    struct Caso {
        const char* plantilla;   // %1 = the literal
        int largo;
        const char* control;
    };
    const Caso casos[] = {
        {"UPDATE C_MV_CPTE SET NOMBRE=%1 WHERE TC='OC' AND IDCOMPROBANTE='000100001206A'", 60, "TRUNC_C_MV_CPTE_NOMBRE"},
        {"UPDATE C_MV_CPTE SET DOMICILIO=%1 WHERE TC='OC'", 90, "TRUNC_C_MV_CPTE_DOMICILIO"},
        {"UPDATE C_MV_CPTETAREAS SET CUENTA=%1 WHERE TC='OC'", 15, "TRUNC_C_MV_CPTETAREAS_CUENTA"},
        {"UPDATE V_MV_STOCK SET CUENTAPROVEEDOR=%1 WHERE TC='IR'", 15, "TRUNC_MV_STOCK_CUENTAPROVEEDOR"},
        {"INSERT INTO AUX_ERR (Proceso, Descripcion) VALUES ('Permutal', %1)", 250, "TRUNC_AUX_ERR_Descripcion"},
        {"INSERT INTO Control_Acceso (Maquina, Tarea) VALUES ('PC01', %1)", 60, "TRUNC_Control_Acceso_Tarea"},
        {"INSERT INTO V_MV_FALTANTES (IdArticulo) VALUES (%1)", 25, "TRUNC_V_MV_FALTANTES_IdArticulo"},
        {"INSERT INTO TA_CONFIGURACION (Clave, Valor) VALUES ('PRUEBA' || random(), %1)", 255, "TRUNC_TA_CONFIGURACION_Valor"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.control);
        ASSERT_EQ(b().ejecutar("SAVEPOINT prueba"), QString());
        const QString justo = QStringLiteral("'") + QString(c.largo, QChar(0x00F1)) + QStringLiteral("'");
        EXPECT_EQ(b().ejecutar(QString::fromLatin1(c.plantilla).arg(justo)), QString());
        const QString largo = QStringLiteral("'") + QString(c.largo + 1, QLatin1Char('x')) + QStringLiteral("'");
        const QString m = b().ejecutar(QString::fromLatin1(c.plantilla).arg(largo));
        EXPECT_TRUE(m.contains(QLatin1String(c.control))) << m.toStdString();
        ASSERT_EQ(b().ejecutar("ROLLBACK TO prueba; RELEASE prueba"), QString());
    }
}

// An existing database is never replaced; a file without tables (say, left by an
// interrupted creation) is filled.
TEST_F(BaseDemoTest, NoReemplazaUnaBaseExistente)
{
    const long long antes = b().entero("SELECT count(*) FROM C_MV_CPTE");
    QString error;
    EXPECT_FALSE(app::crearBaseDemo(app::rutaBaseDemo(), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("Ya existe"))) << error.toStdString();
    EXPECT_EQ(b().entero("SELECT count(*) FROM C_MV_CPTE"), antes);
    EXPECT_EQ(b().uno("PRAGMA integrity_check"), QStringLiteral("ok"));

    const QString ajeno = dir_.filePath(QStringLiteral("notas.db"));
    {
        QFile f(ajeno);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("no es una base\n");
    }
    EXPECT_FALSE(app::crearBaseDemo(ajeno, &error));
    EXPECT_FALSE(error.isEmpty());
    QFile f(ajeno);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("no es una base\n"));

    const QString vacio = dir_.filePath(QStringLiteral("vacio.db"));
    QFile(vacio).open(QIODevice::WriteOnly);
    EXPECT_TRUE(app::crearBaseDemo(vacio, &error)) << error.toStdString();
    Base v(vacio);
    EXPECT_EQ(v.entero("SELECT count(*) FROM C_MV_CPTE"), antes);

    EXPECT_FALSE(app::crearBaseDemo(dir_.filePath(QStringLiteral("no/existe/PERMUTAL_DEMO.db")), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(dir_.filePath(QStringLiteral("no/existe/PERMUTAL_DEMO.db"))));
}

TEST_F(BaseDemoTest, BaseDeEstadisticas)
{
    QString error;
    ASSERT_TRUE(app::crearBaseEstadisticas(app::rutaBaseEstadisticas(), &error)) << error.toStdString();
    Base e(app::rutaBaseEstadisticas());
    EXPECT_EQ(e.uno("PRAGMA integrity_check"), QStringLiteral("ok"));
    // Same shape as the company's configuration table.
    auto forma = [](Base& x) {
        QStringList r;
        for (const auto& c : x.columnas(QStringLiteral("TA_CONFIGURACION"))) r << c.nombre + QLatin1Char(' ') + c.tipo;
        return r;
    };
    EXPECT_EQ(forma(e), forma(b()));
    EXPECT_EQ(e.colacion(QStringLiteral("TA_CONFIGURACION"), QStringLiteral("Clave")), QStringLiteral("NOCASE"));
    EXPECT_GT(e.entero("SELECT count(*) FROM TA_CONFIGURACION"), 0);
    // The first start writes the time-out itself.
    EXPECT_EQ(e.entero("SELECT count(*) FROM TA_CONFIGURACION WHERE CLAVE = 'TimeOut'"), 0);
    EXPECT_FALSE(app::crearBaseEstadisticas(app::rutaBaseEstadisticas(), &error));
    EXPECT_FALSE(error.isEmpty());
}

// datos.sql is what the generator writes: nobody edited it by hand, and the
// generator gives the same file every time.
TEST(DatosDemo, ElGeneradorReproduceDatosSql)
{
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty()) GTEST_SKIP() << "sin python3";
    QTemporaryDir dir;
    const QString fuentes = QStringLiteral(PERMUTAL_FUENTES);
    const QString salida = dir.filePath(QStringLiteral("datos.sql"));
    QProcess p;
    p.start(python, {fuentes + QStringLiteral("/scripts/generar_datos_demo.py"), QStringLiteral("-o"), salida});
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    QFile generado(salida), guardado(fuentes + QStringLiteral("/app/demo/datos.sql"));
    ASSERT_TRUE(generado.open(QIODevice::ReadOnly));
    ASSERT_TRUE(guardado.open(QIODevice::ReadOnly));
    EXPECT_TRUE(generado.readAll() == guardado.readAll())
        << "app/demo/datos.sql difiere de lo que escribe scripts/generar_datos_demo.py";
}

}  // namespace
