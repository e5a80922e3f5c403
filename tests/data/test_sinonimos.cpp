// The confidential-table substitution.
#include "data/Sinonimos.h"

#include <gtest/gtest.h>

namespace {

const QString kPrograma = QStringLiteral("Permutal");

QString usuario(const QString& sql, const QString& programa = kPrograma, bool confidencialidad = true)
{
    return datos::SS_TSinonimos(sql, false, confidencialidad, programa);
}

struct Grupo {
    const char* nombre;
    const char* restringido;
};

const Grupo kGrupos[] = {
    {"MA_CUENTAS", "SS_MA_CUENTAS"},
    {"V_TA_DEPOSITO", "SS_V_TA_DEPOSITO"},
    {"MV_ASIENTOS", "SS_MV_ASIENTOS"},
    {"V_TA_FAMILIAS", "SS_V_TA_FAMILIAS"},
    {"V_TA_CAJAS", "SS_V_TA_CAJAS"},
    {"AC_CUENTASDIARIO", "SS_AC_CUENTASDIARIO"},
    {"AC_CUENTASDIARIO_CCOSTO", "SS_AC_CUENTAS_DIARIO_CCOSTO"},
};

// The five places of every group: before and after the name.
const char* const kFormas[][2] = {{" ", " "}, {"(", " "}, {" ", "."}, {"(", "."}, {",", "."}};

TEST(Sinonimos, CadaFilaDeLaTabla)
{
    for (const Grupo& g : kGrupos) {
        for (const auto& f : kFormas) {
            const QString antes = QString::fromLatin1(f[0]), despues = QString::fromLatin1(f[1]);
            const QString sql = QStringLiteral("SELECT X FROM A") + antes + QString::fromLatin1(g.nombre) + despues +
                                QStringLiteral("Y");
            const QString esperado = QStringLiteral("SELECT X FROM A") + antes + QString::fromLatin1(g.restringido) +
                                     despues + QStringLiteral("Y");
            EXPECT_EQ(usuario(sql), esperado) << sql.toStdString();
            // Case does not count in the search.
            EXPECT_EQ(usuario(sql.toLower()), esperado.toLower().replace(QString::fromLatin1(g.restringido).toLower(),
                                                                         QString::fromLatin1(g.restringido)))
                << sql.toStdString();
        }
    }
}

TEST(Sinonimos, NombreSinSeparadoresNoCambia)
{
    const char* textos[] = {
        "MA_CUENTAS WHERE A = 1",                         // at the start
        "SELECT * FROM MA_CUENTAS",                       // at the end
        "SELECT * FROM (SELECT * FROM MA_CUENTAS) A",     // followed by ")"
        "SELECT * FROM MA_CUENTAS, MV_ASIENTOS2 ",        // followed by ","
        "SELECT * FROM XMA_CUENTAS WHERE A = 1",          // tail of another name
        "SELECT * FROM V_TA_CAJAS_HIST WHERE A = 1",
        "SELECT * FROM {MA_CUENTAS WHERE A = 1",          // "{" only with "."
    };
    for (const char* t : textos) EXPECT_EQ(usuario(QString::fromUtf8(t)), QString::fromUtf8(t)) << t;
}

TEST(Sinonimos, CasosDeUso)
{
    struct Caso {
        const char* entrada;
        const char* esperado;
    };
    const Caso casos[] = {
        {"SELECT * FROM MA_CUENTAS WHERE X=1", "SELECT * FROM SS_MA_CUENTAS WHERE X=1"},
        {"SELECT * FROM @Admin_MA_CUENTAS WHERE X=1", "SELECT * FROM MA_CUENTAS WHERE X=1"},
        {"SELECT * FROM @ADMIN_MA_CUENTAS WHERE X=1", "SELECT * FROM MA_CUENTAS WHERE X=1"},
        {"SELECT {MA_CUENTAS.CODIGO} FROM T", "SELECT {SS_MA_CUENTAS.CODIGO} FROM T"},
        // The marker before another name is dropped after the substitutions.
        {"SELECT * FROM @Admin_V_TA_CAJAS WHERE X=1", "SELECT * FROM V_TA_CAJAS WHERE X=1"},
        {"SELECT * FROM @admin_TA_OTRA WHERE X=1", "SELECT * FROM TA_OTRA WHERE X=1"},
        // Removing one marker cannot leave another behind.
        {"SELECT * FROM @Adm@Admin_in_TA_OTRA WHERE X=1", "SELECT * FROM TA_OTRA WHERE X=1"},
        // Both diary tables in one statement, each to its own restricted name.
        {"SELECT * FROM AC_CUENTASDIARIO D, AC_CUENTASDIARIO_CCOSTO C WHERE D.ID = C.ID AND "
         "AC_CUENTASDIARIO.X = AC_CUENTASDIARIO_CCOSTO.X",
         "SELECT * FROM SS_AC_CUENTASDIARIO D, SS_AC_CUENTAS_DIARIO_CCOSTO C WHERE D.ID = C.ID AND "
         "SS_AC_CUENTASDIARIO.X = SS_AC_CUENTAS_DIARIO_CCOSTO.X"},
        {"SELECT * FROM MA_CUENTAS M INNER JOIN MV_ASIENTOS A ON M.ID = A.ID",
         "SELECT * FROM SS_MA_CUENTAS M INNER JOIN SS_MV_ASIENTOS A ON M.ID = A.ID"},
    };
    for (const Caso& c : casos) EXPECT_EQ(usuario(QString::fromUtf8(c.entrada)), QString::fromUtf8(c.esperado)) << c.entrada;
}

TEST(Sinonimos, ProgramasQueConservanTablas)
{
    const QString deposito = QStringLiteral("SELECT * FROM V_TA_DEPOSITO WHERE A = 1");
    const QString familias = QStringLiteral("SELECT * FROM V_TA_FAMILIAS WHERE A = 1");
    const QString cuentas = QStringLiteral("SELECT * FROM MA_CUENTAS WHERE A = 1");
    for (const char* p : {"BORNEVAL", "TRESCULA", "borneval", "Trescula"}) {
        EXPECT_EQ(usuario(deposito, QString::fromLatin1(p)), deposito) << p;
        EXPECT_EQ(usuario(familias, QString::fromLatin1(p)), QStringLiteral("SELECT * FROM SS_V_TA_FAMILIAS WHERE A = 1")) << p;
        EXPECT_EQ(usuario(cuentas, QString::fromLatin1(p)), QStringLiteral("SELECT * FROM SS_MA_CUENTAS WHERE A = 1")) << p;
    }
    for (const char* p : {"ZIRUVEV", "PILMARO", "ziruvev", "Pilmaro"}) {
        EXPECT_EQ(usuario(familias, QString::fromLatin1(p)), familias) << p;
        EXPECT_EQ(usuario(deposito, QString::fromLatin1(p)), QStringLiteral("SELECT * FROM SS_V_TA_DEPOSITO WHERE A = 1")) << p;
    }
}

TEST(Sinonimos, AdministradorYAsientosSinConfidencialidad)
{
    const QString sql = QStringLiteral("SELECT * FROM MA_CUENTAS M, @Admin_V_TA_CAJAS C, @ADMIN_MA_CUENTAS X WHERE 1=1");
    const QString sinMarcas = QStringLiteral("SELECT * FROM MA_CUENTAS M, V_TA_CAJAS C, MA_CUENTAS X WHERE 1=1");
    for (bool confidencialidad : {true, false})
        EXPECT_EQ(datos::SS_TSinonimos(sql, true, confidencialidad, kPrograma), sinMarcas);

    const QString asientos = QStringLiteral("SELECT * FROM MV_ASIENTOS A, MA_CUENTAS M, @Admin_V_TA_CAJAS C WHERE 1=1");
    EXPECT_EQ(datos::SS_TSinonimos(asientos, false, false, kPrograma),
              QStringLiteral("SELECT * FROM MV_ASIENTOS A, MA_CUENTAS M, V_TA_CAJAS C WHERE 1=1"));
    EXPECT_EQ(datos::SS_TSinonimos(asientos.toLower(), false, false, kPrograma),
              QStringLiteral("select * from mv_asientos a, ma_cuentas m, v_ta_cajas c where 1=1"));
    EXPECT_EQ(datos::SS_TSinonimos(asientos, false, true, kPrograma),
              QStringLiteral("SELECT * FROM SS_MV_ASIENTOS A, SS_MA_CUENTAS M, V_TA_CAJAS C WHERE 1=1"));
    // Without MV_ASIENTOS the flag does not matter.
    EXPECT_EQ(datos::SS_TSinonimos(QStringLiteral("SELECT * FROM MA_CUENTAS WHERE 1=1"), false, false, kPrograma),
              QStringLiteral("SELECT * FROM SS_MA_CUENTAS WHERE 1=1"));
}

}  // namespace
