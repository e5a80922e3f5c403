#pragma once
// What a provider (embedded SQLite, ODBC) offers to Connection and Recordset.
// Connection owns the trace, the error collection and the classic error numbers;
// a provider only talks to its engine.
#include "Errores.h"
#include "Variant.h"

#include <QString>
#include <memory>
#include <vector>

namespace ado {

// ADO data type numbers used by the layer.
namespace tipo {
constexpr long SmallInt = 2, Integer = 3, Single = 4, Double = 5, Currency = 6, Date = 7, BSTR = 8,
               Boolean = 11, TinyInt = 16, BigInt = 20, Numeric = 131, DBDate = 133, DBTime = 134,
               DBTimeStamp = 135, Char = 129, WChar = 130, VarChar = 200, LongVarChar = 201,
               VarWChar = 202, LongVarWChar = 203, VarBinary = 204, LongVarBinary = 205;
}

struct Columna {
    QString nombre;
    long tipo = tipo::VarChar;     // ADO type number
    long tamano = 0;               // defined size (characters for text)
    QString tablaBase;             // table the column comes from, when known
    QString columnaBase;           // column name in that table, when known
    bool clave = false;            // part of the base table's primary key
};

using Fila = std::vector<Variant>;

// Rows produced by one statement (or a schema list).
struct Resultado {
    bool conFilas = false;         // the statement produced a row set (even an empty one)
    std::vector<Columna> columnas;
    std::vector<Fila> filas;
};

struct ParametrosConexion {
    QString texto;                 // the connection text as given to Open
    QString usuario;
    QString clave;
    long tiempoEspera = 30;        // command time-out, seconds
};

class Proveedor {
public:
    virtual ~Proveedor() = default;
    virtual QString nombre() const = 0;                    // "sqlite" | "odbc"
    // Opens; on failure adds the engine's diagnostics to errores and returns false.
    virtual bool abrir(const ParametrosConexion& p, Errors& errores) = 0;
    virtual void cerrar() = 0;
    // Runs a statement or a batch. Each failing statement adds its entries to
    // errores and the batch goes on. Returns the row set of the first statement
    // that produced one; afectadas receives the rows changed by the batch.
    // With actualizable the columns also say their base table, column and key
    // (what an updatable recordset needs to write back); read-only rows skip it.
    virtual Resultado ejecutar(const QString& sql, long& afectadas, Errors& errores, bool actualizable) = 0;
    virtual bool comenzar(Errors& errores) = 0;
    virtual bool confirmar(Errors& errores) = 0;
    virtual bool deshacer(Errors& errores) = 0;
    virtual void fijarTiempoEspera(long segundos) = 0;
    virtual void fijarAislamiento(long nivel) = 0;        // ADO IsolationLevel value
    virtual bool fijarBaseDefecto(const QString& base, Errors& errores) = 0;
    virtual QString baseDefecto() const = 0;
    // Schema lists: esquema 20 (tables: TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, TABLE_TYPE)
    // and 4 (columns: TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, COLUMN_NAME, ...).
    // restricciones follow the ADO order; an Empty entry means "any".
    virtual Resultado esquema(long esquema, const std::vector<Variant>& restricciones, Errors& errores) = 0;
};

// Chooses and creates the provider for a connection text (nullptr when the text
// names nothing the layer can serve).
std::unique_ptr<Proveedor> crearProveedor(const QString& textoConexion);

}  // namespace ado
