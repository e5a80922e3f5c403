#pragma once
// The suite's generic lookup: turns a table, a view or a statement into a
// row-limited SELECT, shows the list (or tree) window modally and keeps the
// operator's choice.
#include "ado/Variant.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

namespace consulta {

// The classic collection: values indexed from 1 (Item(1) is the first).
class Coleccion {
public:
    long Count() const { return static_cast<long>(v_.size()); }
    const ado::Variant& Item(long i) const { return v_.at(static_cast<size_t>(i - 1)); }
    void Add(const ado::Variant& x) { v_.push_back(x); }
    void Remove(long i) { v_.erase(v_.begin() + (i - 1)); }
    void Clear() { v_.clear(); }
    const std::vector<ado::Variant>& valores() const { return v_; }

private:
    std::vector<ado::Variant> v_;
};
using ColeccionRef = std::shared_ptr<Coleccion>;   // null is the classic Nothing

class Lib_ClsCons3 {
public:
    Lib_ClsCons3();    // reads its settings with datos::Cfg
    ~Lib_ClsCons3();

    ado::Variant StkNivel1, StkNivel2, StkNivel3, StkNivel4;
    QString MuestraStock;
    ColeccionRef CmpsDevueltos;
    ColeccionRef Valores;
    ColeccionRef Cantidades;
    bool Checks = false;
    ado::Variant ValorDevuelto;
    QString gConnString;
    QString gRutaMascaraConsultas;
    bool gUsarMascarasConsultas = false;
    bool UsaCantidades = false;
    QString CampoDevuelto;

    void ConsultaSearch(QString SQL, ColeccionRef& CmpsDevueltos, QString& Clave, QString& CampoBusqueda, QString& Where,
                        QString& SentenciaOpcional, bool& TreeView, QString& ValoresDefault);
    void CheckOpciones(const QString& Titulo, ColeccionRef& CmpsDevueltos, const QStringList& Opc);
    QString MenuOpciones(const QString& Titulo, const QStringList& Opc);
    QString ConsultaDesdeArchivo(const QString& Titulo, const QString& QueArchivo, const QString& Separador = QString());

    // The statement ConsultaSearch would show, without showing any window (the
    // same building steps; for tests and callers that list rows themselves).
    // Empty when the table's definition names a single column and no search
    // field was given: the operator has been told, and nothing is to be shown.
    QString ArmaConsulta(QString SQL, QString& CampoBusqueda, QString& Where, QString& SentenciaOpcional);

private:
    bool BusquedaLike = false;
};

// Writes the eleven default lookup definitions to the file (fixed 1202-byte
// records, Windows-1252, each ending in CR LF), appending.
void GrabaMascarasConsultas(const QString& ruta);

}  // namespace consulta
