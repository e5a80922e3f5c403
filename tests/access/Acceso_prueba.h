#pragma once
// Fixtures of the access dialog tests: a fresh session, a temporary application
// folder, a scripted operator and a key file of the test's own.
#include "soporte/Sesion_prueba.h"

#include "access/frmAcceso.h"

#include <QApplication>
#include <QFile>
#include <QTimer>
#include <functional>

namespace prueba {

// Sets an environment variable for the scope.
class VariableEntorno {
public:
    VariableEntorno(const char* nombre, const QString& valor) : nombre_(nombre)
    {
        habia_ = qEnvironmentVariableIsSet(nombre);
        anterior_ = qgetenv(nombre);
        qputenv(nombre, valor.toUtf8());
    }
    ~VariableEntorno()
    {
        if (habia_) qputenv(nombre_, anterior_);
        else qunsetenv(nombre_);
    }

private:
    const char* nombre_;
    QByteArray anterior_;
    bool habia_ = false;
};

class PruebaAcceso : public ::testing::Test {
protected:
    void SetUp() override { reiniciarSesion(); }
    void TearDown() override { reiniciarSesion(); }

    QByteArray bytesBases() const
    {
        QFile f(carpeta.archivo(QStringLiteral("BASES.TXT")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    bool hayBases() const { return QFile::exists(carpeta.archivo(QStringLiteral("BASES.TXT"))); }
    void escribirBases(const QByteArray& bytes) const
    {
        QFile f(carpeta.archivo(QStringLiteral("BASES.TXT")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    CarpetaTemporal carpeta;
    OperadorDePrueba op;
    VariableEntorno clave{"PERMUTAL_CLAVE", carpeta.archivo(QStringLiteral("clave"))};
};

// Runs accion on the access dialog once it is shown modally (from a timer of the
// dialog's own event loop).
inline void conDialogo(std::function<void(acceso::frmAcceso&)> accion)
{
    auto* t = new QTimer;
    t->setInterval(5);
    QObject::connect(t, &QTimer::timeout, [t, accion] {
        auto* d = qobject_cast<acceso::frmAcceso*>(QApplication::activeModalWidget());
        if (!d || !d->isVisible()) return;
        t->stop();
        t->deleteLater();
        accion(*d);
    });
    t->start();
}

}  // namespace prueba
