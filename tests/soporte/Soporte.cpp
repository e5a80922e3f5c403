#include "Soporte.h"

#include <QApplication>
#include <QFile>
#include <QTest>
#include <QWidget>
#include <QTcpServer>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace prueba {

CarpetaTemporal::CarpetaTemporal()
{
    habia_ = qEnvironmentVariableIsSet("PERMUTAL_CARPETA");
    anterior_ = qgetenv("PERMUTAL_CARPETA");
    qputenv("PERMUTAL_CARPETA", dir_.path().toUtf8());
}

CarpetaTemporal::~CarpetaTemporal()
{
    if (habia_) qputenv("PERMUTAL_CARPETA", anterior_);
    else qunsetenv("PERMUTAL_CARPETA");
}

QString CarpetaTemporal::ruta() const
{
    return dir_.path() + QLatin1Char('/');
}

OperadorDePrueba::OperadorDePrueba() : op_(std::make_shared<velmora::OperadorGuionado>())
{
    anterior_ = velmora::instalarOperador(op_);
}

OperadorDePrueba::~OperadorDePrueba()
{
    velmora::instalarOperador(anterior_);
}

void teclear(const QString& texto)
{
    for (QChar c : texto) {
        QWidget* foco = QApplication::focusWidget();
        ASSERT_NE(foco, nullptr) << "nada tiene el foco";
        QTest::keyClicks(foco, QString(c));
    }
}

void tecla(Qt::Key k)
{
    QWidget* foco = QApplication::focusWidget();
    ASSERT_NE(foco, nullptr) << "nada tiene el foco";
    QTest::keyClick(foco, k);
}

bool tabularHasta(const QWidget* destino, int maximo)
{
    for (int i = 0; i < maximo; ++i) {
        if (destino->hasFocus()) return true;
        QWidget* foco = QApplication::focusWidget();
        if (!foco) return false;
        QTest::keyClick(foco, Qt::Key_Tab);
    }
    return destino->hasFocus();
}

void ejecutarSqlite(const QString& archivo, const QString& sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(archivo).constData(), &db), SQLITE_OK);
    char* err = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &err);
    const QString msg = err ? QString::fromUtf8(err) : QString();
    sqlite3_free(err);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK) << msg.toStdString();
}

QString consultarSqlite(const QString& archivo, const QString& sql)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(archivo).constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        ADD_FAILURE() << "no se pudo abrir " << archivo.toStdString();
        return QString();
    }
    sqlite3_stmt* st = nullptr;
    QString r;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK) {
        if (sqlite3_step(st) == SQLITE_ROW && sqlite3_column_type(st, 0) != SQLITE_NULL)
            r = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    } else {
        ADD_FAILURE() << sqlite3_errmsg(db) << " en " << sql.toStdString();
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return r;
}

QString leerFuente(const QString& relativa)
{
    QFile f(QStringLiteral(PERMUTAL_FUENTES) + QLatin1Char('/') + relativa);
    if (!f.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "falta " << relativa.toStdString();
        return QString();
    }
    return QString::fromUtf8(f.readAll());
}

void crearBaseDemoEn(const QString& archivo)
{
    ejecutarSqlite(archivo, leerFuente(QStringLiteral("app/demo/esquema.sql")));
    // One transaction: row by row the demo takes seconds to load.
    ejecutarSqlite(archivo, QStringLiteral("BEGIN;\n") + leerFuente(QStringLiteral("app/demo/datos.sql")) + QStringLiteral("\nCOMMIT;"));
}

int puertoCerrado()
{
    QTcpServer s;
    EXPECT_TRUE(s.listen(QHostAddress::LocalHost, 0));
    const int p = s.serverPort();
    s.close();
    return p;
}

}  // namespace prueba
