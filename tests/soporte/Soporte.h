#pragma once
// Small fixtures shared by the tests.
#include "companion/Operador.h"

#include <QString>
#include <Qt>
#include <QTemporaryDir>
#include <memory>

class QWidget;

namespace prueba {

// A temporary application folder: PERMUTAL_CARPETA points at it while the object lives.
class CarpetaTemporal {
public:
    CarpetaTemporal();
    ~CarpetaTemporal();
    QString ruta() const;                       // ends with "/"
    QString archivo(const QString& nombre) const { return ruta() + nombre; }

private:
    QTemporaryDir dir_;
    QByteArray anterior_;
    bool habia_ = false;
};

// Installs a scripted operator for the scope and gives access to it.
class OperadorDePrueba {
public:
    OperadorDePrueba();
    ~OperadorDePrueba();
    velmora::OperadorGuionado& operator*() { return *op_; }
    velmora::OperadorGuionado* operator->() { return op_.get(); }

private:
    std::shared_ptr<velmora::OperadorGuionado> op_;
    std::shared_ptr<velmora::Operador> anterior_;
};

// The keyboard alone, as the operator has it: each key goes to the widget that
// has the focus at that moment.
void teclear(const QString& texto);
void tecla(Qt::Key k);
// Presses Tab until `destino` has the focus (at most `maximo` times); false when it never gets it.
bool tabularHasta(const QWidget* destino, int maximo = 30);

// Runs a SQL script (plain SQLite) on a new or existing file; fails the test on error.
void ejecutarSqlite(const QString& archivo, const QString& sql);
// Reads the first column of the first row of a query as text ("" when no row).
QString consultarSqlite(const QString& archivo, const QString& sql);
// Text of a file of the source tree (relative to the repository root).
QString leerFuente(const QString& relativa);
// Creates a SQLite file from the demo schema and data.
void crearBaseDemoEn(const QString& archivo);
// A free TCP port on the loopback: nothing listens there once it is returned.
int puertoCerrado();

}  // namespace prueba
