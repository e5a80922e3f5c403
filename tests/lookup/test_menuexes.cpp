// Starting the companion programs: a stand-in program copied into the
// application folder under the suite's names records how it was started.
#include "data/Sesion.h"
#include "lookup/MenuExes.h"
#include "soporte/Soporte.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct Registro {
    long pid = 0;
    QString carpeta, programa;
    QStringList argumentos;
};

class Lanzamiento : public ::testing::Test {
protected:
    void SetUp() override
    {
        registro_ = carpeta.archivo("registro.txt");
        qputenv("PERMUTAL_REGISTRO", QFile::encodeName(registro_));
        datos::DB_Dll& db = datos::gDB();
        anterior_ = {db.gServidor, db.gDBName, db.gUsuario, db.gUserPassWord};
        db.gServidor = QStringLiteral("SRVCENTRAL");
        db.gDBName = QStringLiteral("EMPRESA");
        db.gUsuario = QStringLiteral("compras");
        db.gUserPassWord = QStringLiteral("cl'ave 1");
        datos::gUsuarioLogeado = QStringLiteral("JPEREZ");
        datos::gCaja = QStringLiteral("3");
    }
    void TearDown() override
    {
        qunsetenv("PERMUTAL_REGISTRO");
        datos::DB_Dll& db = datos::gDB();
        db.gServidor = anterior_[0];
        db.gDBName = anterior_[1];
        db.gUsuario = anterior_[2];
        db.gUserPassWord = anterior_[3];
        datos::gUsuarioLogeado.clear();
        datos::gCaja.clear();
    }
    // Copies the stand-in program to the given path.
    static void instalar(const QString& destino)
    {
        QDir().mkpath(QFileInfo(destino).absolutePath());
        ASSERT_TRUE(QFile::copy(QStringLiteral(PERMUTAL_REGISTRADOR), destino)) << destino.toStdString();
        QFile::setPermissions(destino, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    // Waits for the started program's record (it runs detached).
    Registro leerRegistro()
    {
        Registro r;
        const bool llego = QTest::qWaitFor([&] { return QFile::exists(registro_); }, 20000);
        EXPECT_TRUE(llego) << "el programa no dejó su registro";
        QFile f(registro_);
        if (!llego || !f.open(QIODevice::ReadOnly)) return r;
        const QByteArray todo = f.readAll();
        qsizetype pos = 0;
        const auto linea = [&] {
            const qsizetype fin = todo.indexOf('\n', pos);
            const QByteArray l = todo.mid(pos, fin - pos);
            pos = fin + 1;
            return l;
        };
        r.pid = linea().toLong();
        r.carpeta = QFile::decodeName(linea());
        r.programa = QFile::decodeName(linea());
        const int n = linea().toInt();
        for (int i = 0; i < n; ++i) {
            const qsizetype dosPuntos = todo.indexOf(':', pos);
            const int largo = todo.mid(pos, dosPuntos - pos).toInt();
            r.argumentos << QString::fromUtf8(todo.mid(dosPuntos + 1, largo));
            pos = dosPuntos + 1 + largo + 1;
        }
        QFile::remove(registro_);
        return r;
    }
    static QString lineaEsperada(const QString& parametro)
    {
        return QStringLiteral(" ; @server=SRVCENTRAL; @dbname=EMPRESA; @usuario=compras; @Password=cl'ave 1; @ParametroAdicional=") + parametro
               + QStringLiteral("; velm@ ; @UsuarioLogeado = JPEREZ; @Caja=3;");
    }
    static QString canonica(const QString& ruta) { return QFileInfo(ruta).canonicalFilePath(); }

    prueba::CarpetaTemporal carpeta;
    prueba::OperadorDePrueba op;
    QString registro_;
    std::array<QString, 4> anterior_;
};

TEST_F(Lanzamiento, NuevoArrancaElProgramaDeLaTablaConLaSesion)
{
    instalar(carpeta.archivo("Quintaro"));
    instalar(carpeta.archivo("Drosvel"));
    struct Caso {
        const char* tabla;
        const char* programa;
        const char* parametro;
        const char* tablaDespues;   // the caller's variable after the call
    } casos[] = {
        {"VT_PROVEEDORES", "Quintaro", "0", "VT_PROVEEDORES"},
        {"vt_clientes ", "Quintaro", "1", "vt_clientes "},
        {"MA_CUENTAS", "Drosvel", "MA_CUENTAS", "MA_CUENTAS"},
        {"V_TA_RUBROS", "Drosvel", "V_TA_RUBROS", "V_TA_RUBROS"},
        // A name with a blank: only the text after it travels, and the caller sees it too.
        {"dbo MA_CUENTAS", "Drosvel", "MA_CUENTAS", "MA_CUENTAS"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.tabla);
        QString tabla = QString::fromUtf8(c.tabla);
        const long id = consulta::nuevoDesdeTabla(tabla);
        EXPECT_GT(id, 0);
        EXPECT_EQ(tabla, QString::fromUtf8(c.tablaDespues));
        const Registro r = leerRegistro();
        EXPECT_EQ(r.pid, id);
        EXPECT_EQ(canonica(r.programa), canonica(carpeta.archivo(QString::fromUtf8(c.programa))));
        EXPECT_EQ(canonica(r.carpeta), canonica(carpeta.ruta()));
        ASSERT_EQ(r.argumentos.size(), 1);
        EXPECT_EQ(r.argumentos[0], lineaEsperada(QString::fromUtf8(c.parametro)));
    }
    EXPECT_TRUE(op->llamadas.empty()) << op->mensajes().join(QLatin1Char('|')).toStdString();
}

TEST_F(Lanzamiento, ElProgramaDeCadaTabla)
{
    struct Caso {
        const char* tabla;
        const char* opcion;
        const char* parametro;
        bool esTabla;
    } casos[] = {
        {"V_TA_RUBROS", "SHELL:Drosvel", "", true},       {"v_ta_unidad", "SHELL:Drosvel", "", true},
        {"VT_CLIENTES", "SHELL:Quintaro", "1", false},    {" VT_PROVEEDORES ", "SHELL:Quintaro", "0", false},
        {"V_TA_TECNICOS", "SHELL:Malvecin", "", false},   {"V_TA_VENDEDORES", "SHELL:Ostrapel", "", false},
        {"V_MA_ARTICULOS", "SHELL:Brunelka", "", false},  {"VT_MA_ARTICULOS", "SHELL:Brunelka", "", false},
        {"TA_CCOSTO", "SHELL:Drosvel", "", true},
    };
    for (const auto& c : casos) {
        const consulta::ProgramaDeTabla p = consulta::programaDeTabla(QString::fromUtf8(c.tabla));
        EXPECT_EQ(p.Opcion, QString::fromUtf8(c.opcion)) << c.tabla;
        EXPECT_EQ(p.Parametro, QString::fromUtf8(c.parametro)) << c.tabla;
        EXPECT_EQ(p.ParametroEsTabla, c.esTabla) << c.tabla;
    }
}

TEST_F(Lanzamiento, UnaRutaSeUsaComoVieneYNoDesdeLaCarpeta)
{
    // The program lives outside the application folder; "\" and "/" both mark a path.
    const QString otra = carpeta.archivo("otra/suite/Quintaro");
    instalar(otra);
    const QString conBarras = QString(otra).replace(QLatin1Char('/'), QLatin1Char('\\'));
    const QString opciones[] = {QStringLiteral("SHELL:") + otra, QStringLiteral("shell:") + conBarras, otra};
    for (const QString& o : opciones) {
        SCOPED_TRACE(o.toStdString());
        QString opcion = o, parametro = QStringLiteral("7");
        long id = 0;
        consulta::MenuExes(opcion, parametro, id);
        EXPECT_GT(id, 0);
        const Registro r = leerRegistro();
        EXPECT_EQ(r.pid, id);
        EXPECT_EQ(canonica(r.programa), canonica(otra));
        ASSERT_EQ(r.argumentos.size(), 1);
        EXPECT_EQ(r.argumentos[0], lineaEsperada(QStringLiteral("7")));
    }
    EXPECT_TRUE(op->llamadas.empty());
}

TEST_F(Lanzamiento, ProgramaAusenteSegunLaRespuestaDelOperador)
{
    const QString noImplementada = QStringLiteral("Opcion no Implementada!\rComuniquese con su proveedor de sistemas");
    struct Caso {
        std::deque<int> respuestas;
        int reportes;          // times the reporter asked
        bool avisoFinal;       // "Opcion no Implementada!" shown
    } casos[] = {
        {{velmora::respuesta::Omitir}, 1, true},
        {{velmora::respuesta::Reintentar, velmora::respuesta::Omitir}, 2, true},
        {{velmora::respuesta::Anular}, 1, false},
    };
    for (const auto& c : casos) {
        op->llamadas.clear();
        op->respuestas = c.respuestas;
        QString tabla = QStringLiteral("VT_PROVEEDORES");
        EXPECT_EQ(consulta::nuevoDesdeTabla(tabla), 0);
        ASSERT_EQ(static_cast<int>(op->llamadas.size()), c.reportes + (c.avisoFinal ? 1 : 0));
        for (int i = 0; i < c.reportes; ++i) {
            EXPECT_TRUE(op->llamadas[static_cast<size_t>(i)].titulo.endsWith(QStringLiteral(" - MenuExes Aviso al operador!!! - 2 ")))
                << op->llamadas[static_cast<size_t>(i)].titulo.toStdString();
            EXPECT_TRUE(op->llamadas[static_cast<size_t>(i)].texto.contains(carpeta.archivo("Quintaro")));
        }
        if (c.avisoFinal) {
            const auto& aviso = op->llamadas.back();
            EXPECT_EQ(aviso.texto, noImplementada);
            EXPECT_EQ(aviso.botones, velmora::botones::Critico);
            EXPECT_EQ(aviso.titulo, QStringLiteral("Atención"));
        }
    }
    EXPECT_FALSE(QFile::exists(carpeta.archivo("registro.txt")));
}

TEST_F(Lanzamiento, LineaDeComandosDeLaSesion)
{
    // "@usuario=" comes before "@UsuarioLogeado", which has a blank on each side of "=".
    const QString l = consulta::LineaComandosSesion(QStringLiteral("X"));
    EXPECT_EQ(l, lineaEsperada(QStringLiteral("X")));
    EXPECT_LT(l.indexOf(QLatin1String("@usuario=")), l.indexOf(QLatin1String("@UsuarioLogeado = ")));
}

}  // namespace
