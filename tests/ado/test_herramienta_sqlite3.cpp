// The embedded engine's file stays sound for the stock sqlite3 command: what
// the program writes passes its integrity check, indexes the tool builds serve
// the program, and every query gives the same rows with and without an index.
#include "ado/Connection.h"
#include "ado/Cotejo.h"
#include "ado/Recordset.h"
#include "soporte/Soporte.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>

#include <random>

using namespace ado;

namespace {

// The stock command on the file; its output, or a failure of the test.
QString sqlite3(const QString& archivo, const QString& sql)
{
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), archivo, sql});
    if (!p.waitForFinished(60000)) {
        ADD_FAILURE() << "sqlite3 no terminó";
        return QString();
    }
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_EQ(p.exitCode(), 0) << err.toStdString() << " en " << sql.toStdString();
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

QString texto(const char* s)
{
    return QString::fromUtf8(s);
}

QString literal(const QString& v)
{
    return QLatin1Char('\'') + QString(v).replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
}

class HerramientaSqlite3 : public ::testing::Test {
protected:
    void SetUp() override
    {
        archivo_ = carpeta_.archivo(QStringLiteral("consistencia.db"));
        // The tool makes the schema and its indexes.
        sqlite3(archivo_, texto("CREATE TABLE MOV (ID INTEGER PRIMARY KEY, CUENTA VARCHAR(8) COLLATE NOCASE, NOMBRE VARCHAR(12) COLLATE NOCASE, "
                                "NOTA TEXT COLLATE NOCASE);"
                                "CREATE INDEX IX_MOV_CUENTA ON MOV (CUENTA);"
                                "CREATE INDEX IX_MOV_NOMBRE ON MOV (NOMBRE, CUENTA);"
                                "CREATE INDEX IX_MOV_NOTA ON MOV (NOTA);"));
    }

    void abrir() { cnn_.Open(QStringLiteral("PROVIDER=SQLOLEDB;Server=SQLITE;Database =consistencia;UId=u;Pwd=p;")); }

    // Rows of a query through the program, one per line.
    QString programa(const QString& sql)
    {
        QStringList r;
        auto rs = cnn_.Execute(sql);
        EXPECT_TRUE(cnn_.errors().empty()) << sql.toStdString() << ": " << (cnn_.errors().empty() ? "" : cnn_.errors().Item(0).Description.toStdString());
        if (rs->State() == adStateClosed) return QString();
        for (; !rs->eof(); rs->MoveNext()) r << rs->Fields(0L).Value().toText();
        return r.join(QLatin1Char('\n'));
    }

    void ejecutar(const QString& sql)
    {
        cnn_.Execute(sql);
        EXPECT_TRUE(cnn_.errors().empty()) << sql.toStdString();
    }

    // The same condition answered through an index and without one, by the
    // program and by the tool.
    void mismasFilas(const QString& indice, const QString& condicion, const char* esperado = nullptr)
    {
        const QString con = programa(QStringLiteral("SELECT ID FROM MOV INDEXED BY %1 WHERE %2 ORDER BY ID").arg(indice, condicion));
        const QString sin = programa(QStringLiteral("SELECT ID FROM MOV NOT INDEXED WHERE %1 ORDER BY ID").arg(condicion));
        EXPECT_EQ(con.toStdString(), sin.toStdString()) << condicion.toStdString();
        if (esperado) {
            EXPECT_EQ(sin.toStdString(), std::string(esperado)) << condicion.toStdString();
        }
    }

    prueba::CarpetaTemporal carpeta_;
    QString archivo_;
    Connection cnn_;
};

}  // namespace

TEST_F(HerramientaSqlite3, LoQueEscribeElProgramaLoLeeLaHerramienta)
{
    abrir();
    ejecutar(texto("BEGIN TRANSACTION\r\n"
                   "INSERT INTO MOV (ID, CUENTA, NOMBRE, NOTA) VALUES (1, 'P00003 ', 'ÑANDÚ', 'a')\r\n"
                   "INSERT INTO MOV (ID, CUENTA, NOMBRE, NOTA) VALUES (2, 'P00003', 'ñandú', 'a ')\r\n"
                   "INSERT INTO MOV (ID, CUENTA, NOMBRE, NOTA) VALUES (3, 'P00003  ', 'Ñandú ', 'a\t')\r\n"
                   "INSERT INTO MOV (ID, CUENTA, NOMBRE, NOTA) VALUES (4, 'p00003', 'nandu', 'A  ')\r\n"
                   "INSERT INTO MOV (ID, CUENTA, NOMBRE, NOTA) VALUES (5, 'P00004', 'Álvarez', 'b')\r\n"
                   "COMMIT TRANSACTION"));
    ejecutar(texto("UPDATE MOV SET CUENTA = 'P00004 ' WHERE NOMBRE = 'ÁLVAREZ'"));
    cnn_.Close();

    EXPECT_EQ(sqlite3(archivo_, QStringLiteral("PRAGMA integrity_check;")).toStdString(), "ok");
    // The tool answers the same through its index and without it.
    for (const char* q : {"CUENTA = 'P00003'", "NOMBRE = 'ñandú'", "NOTA = 'a'"}) {
        const QString indice = QString::fromUtf8(q).startsWith(QLatin1String("CUENTA")) ? QStringLiteral("IX_MOV_CUENTA")
                               : QString::fromUtf8(q).startsWith(QLatin1String("NOMBRE")) ? QStringLiteral("IX_MOV_NOMBRE") : QStringLiteral("IX_MOV_NOTA");
        EXPECT_EQ(sqlite3(archivo_, QStringLiteral("SELECT group_concat(ID) FROM (SELECT ID FROM MOV INDEXED BY %1 WHERE %2 ORDER BY ID);").arg(indice, texto(q))).toStdString(),
                  sqlite3(archivo_, QStringLiteral("SELECT group_concat(ID) FROM (SELECT ID FROM MOV NOT INDEXED WHERE %1 ORDER BY ID);").arg(texto(q))).toStdString())
            << q;
    }

    // The program gives SQL Server's rows, with and without the index.
    abrir();
    mismasFilas(QStringLiteral("IX_MOV_CUENTA"), texto("CUENTA = 'P00003'"), "1\n2\n3\n4");
    mismasFilas(QStringLiteral("IX_MOV_CUENTA"), texto("LTRIM(RTRIM(CUENTA)) = 'p00004'"), "5");
    mismasFilas(QStringLiteral("IX_MOV_CUENTA"), texto("CUENTA IN ('P00004', 'x')"), "5");
    mismasFilas(QStringLiteral("IX_MOV_NOMBRE"), texto("NOMBRE = 'ÑANDÚ'"), "1\n2\n3");
    mismasFilas(QStringLiteral("IX_MOV_NOMBRE"), texto("NOMBRE = 'ñandú' AND CUENTA = 'p00003'"), "1\n2\n3");
    mismasFilas(QStringLiteral("IX_MOV_NOMBRE"), texto("NOMBRE LIKE 'nan%'"), "4");
    mismasFilas(QStringLiteral("IX_MOV_NOTA"), texto("NOTA = 'a'"), "1\n2\n4");
}

// An index the stock tool built over 'a', 'a<tab>', 'a ' serves the program's
// own comparison with the rows SQL Server gives ('a' and 'a ').
TEST_F(HerramientaSqlite3, ElIndiceQueArmaLaHerramientaLoUsaElPrograma)
{
    sqlite3(archivo_, texto("INSERT INTO MOV (ID, CUENTA, NOMBRE, NOTA) VALUES (1, 'a', 'a', 'a'), (2, 'a\t', 'a\t', 'a\t'), (3, 'a ', 'a ', 'a '),"
                            " (4, 'A', 'b', 'ab');"
                            "REINDEX;"));
    abrir();
    mismasFilas(QStringLiteral("IX_MOV_CUENTA"), texto("CUENTA = 'a'"), "1\n3\n4");
    mismasFilas(QStringLiteral("IX_MOV_NOMBRE"), texto("NOMBRE = 'a'"), "1\n3");
    mismasFilas(QStringLiteral("IX_MOV_NOTA"), texto("NOTA = 'a'"), "1\n3");
    mismasFilas(QStringLiteral("IX_MOV_NOTA"), texto("NOTA LIKE 'a%'"), "1\n2\n3\n4");
    // The order is the same whichever way the rows are read.
    EXPECT_EQ(programa(QStringLiteral("SELECT NOTA FROM MOV INDEXED BY IX_MOV_NOTA ORDER BY NOTA, ID")),
              programa(QStringLiteral("SELECT NOTA FROM MOV NOT INDEXED ORDER BY NOTA, ID")));
    cnn_.Close();
    EXPECT_EQ(sqlite3(archivo_, QStringLiteral("PRAGMA integrity_check;")).toStdString(), "ok");
}

// Any sequence of the program's writes leaves a file the tool finds sound, and
// the program's comparisons give, with and without an index, exactly the rows
// the collation accepts.
TEST_F(HerramientaSqlite3, CualquierSecuenciaDeEscriturasDejaElArchivoSano)
{
    const QStringList trozos = {"p", "P", "0", "3", " ", " ", "\t", "ñ", "Ñ", "á", "Á", "u", "Ü", "z", "_", "'"};
    std::mt19937 g(11);
    auto valor = [&](int maximo) {
        QString s;
        const int n = static_cast<int>(g() % static_cast<unsigned>(maximo + 1));
        for (int i = 0; i < n; ++i) s += trozos[static_cast<int>(g() % static_cast<unsigned>(trozos.size()))];
        return s;
    };
    abrir();
    ejecutar(QStringLiteral("BEGIN TRANSACTION"));
    for (int i = 0; i < 400; ++i) {
        switch (g() % 4) {
        case 0:
        case 1:
            ejecutar(QStringLiteral("INSERT INTO MOV (CUENTA, NOMBRE, NOTA) VALUES (%1, %2, %3)").arg(literal(valor(8)), literal(valor(12)), literal(valor(6))));
            break;
        case 2:
            ejecutar(QStringLiteral("UPDATE MOV SET CUENTA = %1 WHERE NOMBRE = %2").arg(literal(valor(8)), literal(valor(3))));
            break;
        default:
            ejecutar(QStringLiteral("DELETE FROM MOV WHERE CUENTA = %1").arg(literal(valor(2))));
        }
    }
    ejecutar(QStringLiteral("COMMIT TRANSACTION"));

    // Every row, to count what the collation accepts.
    std::vector<std::pair<QString, QString>> filas;
    {
        auto rs = cnn_.Execute(QStringLiteral("SELECT ID, CUENTA FROM MOV"));
        for (; !rs->eof(); rs->MoveNext()) filas.emplace_back(rs->Fields(0L).Value().toText(), rs->Fields(1L).Value().toText());
    }
    ASSERT_GT(filas.size(), 100u);
    for (int i = 0; i < 60; ++i) {
        const QString buscado = i % 3 == 0 ? filas[g() % filas.size()].second : valor(4);
        QStringList esperados;
        for (const auto& [id, cuenta] : filas)
            if (cotejo::comparar(cuenta, buscado) == 0) esperados << id;
        std::sort(esperados.begin(), esperados.end(), [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); });
        mismasFilas(QStringLiteral("IX_MOV_CUENTA"), QStringLiteral("CUENTA = %1").arg(literal(buscado)), esperados.join(QLatin1Char('\n')).toUtf8().constData());
        mismasFilas(QStringLiteral("IX_MOV_CUENTA"), QStringLiteral("CUENTA LIKE %1").arg(literal(buscado.left(2) + QLatin1Char('%'))));
    }
    cnn_.Close();
    EXPECT_EQ(sqlite3(archivo_, QStringLiteral("PRAGMA integrity_check;")).toStdString(), "ok");
}
