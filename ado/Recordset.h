#pragma once
// Client-side recordset: the rows are read whole into memory when it opens.
// Updatable ones write back with INSERT / UPDATE statements on Update.
#include "Errores.h"
#include "Proveedor.h"
#include "Variant.h"

#include <QString>
#include <memory>
#include <optional>
#include <vector>

namespace ado {

class Connection;
class Recordset;

constexpr long adOpenForwardOnly = 0;
constexpr long adOpenKeyset = 1;
constexpr long adOpenDynamic = 2;
constexpr long adOpenStatic = 3;
constexpr long adLockReadOnly = 1;
constexpr long adLockPessimistic = 2;
constexpr long adLockOptimistic = 3;
constexpr long adLockBatchOptimistic = 4;

class Field {
public:
    QString Name() const;
    long Type() const;
    long DefinedSize() const;
    Variant Value() const;                 // raises 3021 without a current row
    void setValue(const Variant& v);       // raises 3219 on a read-only recordset
    Field& operator=(const Variant& v) { setValue(v); return *this; }

private:
    friend class Recordset;
    Field(Recordset* rs, int indice) : rs_(rs), indice_(indice) {}
    Recordset* rs_;
    int indice_;
};

class Recordset {
public:
    Recordset();
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    void Open(const QString& origen, Connection* cnn, long tipoCursor = adOpenForwardOnly,
              long tipoBloqueo = adLockReadOnly, long opciones = -1);
    void Close();                          // raises 3704 when closed
    long State() const { return abierto_ ? 1 : 0; }

    bool BOF() const;
    bool EOF_() const;                     // EOF is a macro name in C; the classic EOF
    bool eof() const { return EOF_(); }
    void MoveFirst();
    void MoveNext();
    long RecordCount() const;

    long FieldCount() const;
    Field Fields(long indice);             // raises 3265 out of range
    Field Fields(const QString& nombre);   // raises 3265 when no such field (case ignored)
    Field operator[](const QString& nombre) { return Fields(nombre); }

    void AddNew();
    void Update();
    void CancelUpdate();
    bool enEdicion() const { return edicion_ != Edicion::Ninguna; }

    long CursorType() const { return tipoCursor_; }
    void setCursorType(long v) { tipoCursor_ = v; }
    long LockType() const { return tipoBloqueo_; }
    void setLockType(long v) { tipoBloqueo_ = v; }
    QString Source() const { return origen_; }

    // Fills the recordset from rows already read (Execute, OpenSchema).
    void abrirDesde(Resultado r, Connection* cnn, const QString& origen);

private:
    friend class Field;
    enum class Edicion { Ninguna, Nueva, Cambio };
    void exigirAbierto() const;
    void exigirFila() const;
    QString tablaDestino() const;

    Connection* cnn_ = nullptr;
    bool abierto_ = false;
    QString origen_;
    long tipoCursor_ = adOpenForwardOnly;
    long tipoBloqueo_ = adLockReadOnly;
    std::vector<Columna> columnas_;
    std::vector<Fila> filas_;
    long pos_ = 0;                          // 0-based current row; == size() is EOF
    Edicion edicion_ = Edicion::Ninguna;
    Fila edit_;                             // values being edited
    std::vector<bool> cambiados_;
};

}  // namespace ado
