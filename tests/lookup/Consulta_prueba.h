#pragma once
// Fixtures of the lookup tests: a session connected to an embedded database of
// the test's temporary folder, definitions records, and a way to act on the
// list window while its exec() runs.
#include "companion/Cp1252.h"
#include "data/Configuracion.h"
#include "data/Sesion.h"
#include "lookup/Lib_ClsCons3.h"
#include "lookup/Lib_FrmCons3.h"
#include "soporte/Sesion_prueba.h"
#include "soporte/Soporte.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QFile>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace prueba_consulta {

// The lookup tests run as an administrator session: no confidential substitution.
inline void reiniciarSesion()
{
    prueba::reiniciarSesion();
    datos::gDB().gEsAdmin = true;
}

inline void conectarSesion(const QString& nombre)
{
    prueba::conectarSesion(nombre);
    datos::gDB().gEsAdmin = true;
}

// The texts of column c of a loaded list, in list order.
inline QStringList columna(consulta::Lib_FrmCons3& w, int c)
{
    QStringList r;
    for (int f = 0; f < w.modelo().filas(); ++f) r << w.modelo().celda(f, c);
    return r;
}

// One definitions record: 1202 bytes, Windows-1252, blank padded.
inline QByteArray registro(const QString& titulo, const QByteArray& tabla, const QString& campos, const QString& filtro = QString())
{
    auto campo = [](const QByteArray& b, int largo) { return b.left(largo).leftJustified(largo, ' '); };
    return campo(velmora::aCp1252(titulo), 100) + campo(tabla, 100) + campo(velmora::aCp1252(campos), 500)
           + campo(velmora::aCp1252(filtro), 500) + QByteArray("\r\n");
}

inline void escribir(const QString& ruta, const QByteArray& bytes)
{
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

inline QByteArray leer(const QString& ruta)
{
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

// The configuration table, with the rows given as key/value pairs.
inline QString configuracion(std::initializer_list<std::pair<const char*, const char*>> valores)
{
    QString s = QStringLiteral(
        "CREATE TABLE TA_CONFIGURACION (CLAVE VARCHAR(50) COLLATE NOCASE PRIMARY KEY, VALOR VARCHAR(255) COLLATE NOCASE,"
        " VALORAUX VARCHAR(255) COLLATE NOCASE, GRUPO VARCHAR(50) COLLATE NOCASE, POLITICANEGOCIO BIT);");
    for (const auto& [k, v] : valores)
        s += QStringLiteral("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('%1', '%2');").arg(QString::fromUtf8(k), QString::fromUtf8(v));
    return s;
}

// Base of the lookup tests: temporary folder, scripted operator, a database
// "base" holding `esquema` and the configuration rows, connected.
class BaseConsulta : public ::testing::Test {
protected:
    void prepararBase(const QString& esquema)
    {
        reiniciarSesion();
        prueba::ejecutarSqlite(carpeta.archivo(QStringLiteral("base.db")), esquema);
        conectarSesion(QStringLiteral("base"));
    }
    void TearDown() override { reiniciarSesion(); }
    QString base() const { return carpeta.archivo(QStringLiteral("base.db")); }

    prueba::CarpetaTemporal carpeta;
    prueba::OperadorDePrueba op;
};

// Runs `accion` on the list window once its exec() has started; a window the
// action leaves open is cancelled, so a test never hangs. `visto` tells whether
// a window was shown at all.
inline void alMostrarse(std::function<void(consulta::Lib_FrmCons3&)> accion, bool* visto = nullptr)
{
    if (visto) *visto = false;
    QTimer::singleShot(0, [accion = std::move(accion), visto] {
        auto* w = qobject_cast<consulta::Lib_FrmCons3*>(QApplication::activeModalWidget());
        if (!w) {
            for (QWidget* t : QApplication::topLevelWidgets())
                if (auto* f = qobject_cast<consulta::Lib_FrmCons3*>(t); f && f->isVisible()) w = f;
        }
        if (!w) return;
        if (visto) *visto = true;
        accion(*w);
        if (w->isVisible()) w->cancelar();
    });
}

}  // namespace prueba_consulta
