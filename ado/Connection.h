#pragma once
// The connection of the platform layer, with the interface the data routines
// expect of an ADO Connection.
#include "Errores.h"
#include "Proveedor.h"
#include "Variant.h"

#include <QString>
#include <memory>
#include <vector>

namespace ado {

class Recordset;

constexpr long adStateClosed = 0;
constexpr long adStateOpen = 1;
constexpr long adUseServer = 2;
constexpr long adUseClient = 3;
constexpr long adXactReadUncommitted = 256;
constexpr long adXactReadCommitted = 4096;
constexpr long adSchemaColumns = 4;
constexpr long adSchemaTables = 20;

class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // An empty text uses ConnectionString. Raises Fallo on failure, with the
    // engine's diagnostics in Errors. Opening an open connection raises 3705.
    void Open(const QString& texto = QString(), const QString& usuario = QString(),
              const QString& clave = QString(), long opciones = -1);
    void Close();                                   // raises 3704 when closed
    long State() const;

    // Runs a statement or batch. Raises Fallo (first error) when any statement
    // failed; Errors then holds every entry. The row set of the first statement
    // that produced one is returned as a client-side recordset.
    std::shared_ptr<Recordset> Execute(const QString& sql, long* afectadas = nullptr, long opciones = -1);

    long BeginTrans();
    void CommitTrans();
    void RollbackTrans();

    long CommandTimeout() const { return tiempoEspera_; }
    void setCommandTimeout(long s);
    long CursorLocation() const { return ubicacionCursor_; }
    void setCursorLocation(long v) { ubicacionCursor_ = v; }
    QString DefaultDatabase() const;
    void setDefaultDatabase(const QString& base);   // raises Fallo when the engine refuses
    long IsolationLevel() const { return aislamiento_; }
    void setIsolationLevel(long v);
    QString ConnectionString() const { return textoConexion_; }
    void setConnectionString(const QString& s);     // raises 3705 when open

    Errors& errors() { return errores_; }
    const Errors& errors() const { return errores_; }

    std::shared_ptr<Recordset> OpenSchema(long esquema, const std::vector<Variant>& restricciones = {});

    // "sqlite" or "odbc" while open, empty otherwise.
    QString proveedor() const;

    // For Recordset: runs a text and returns its rows (raises like Execute);
    // actualizable asks for the columns' origin (see Proveedor::ejecutar).
    Resultado ejecutarInterno(const QString& sql, const char* op, long* afectadas, bool actualizable = false);

private:
    void exigirAbierta() const;
    Fallo falloDesdeErrores(const QString& origen) const;

    std::unique_ptr<Proveedor> proveedor_;
    Errors errores_;
    QString textoConexion_;
    long tiempoEspera_ = 30;
    long ubicacionCursor_ = adUseServer;
    long aislamiento_ = adXactReadCommitted;
    QString baseDefectoPendiente_;
};

}  // namespace ado
