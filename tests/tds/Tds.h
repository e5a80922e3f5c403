#pragma once
// Bytes of the TDS protocol (7.4): little-endian writing and reading of tokens,
// as the server fixture needs them.
#include <QByteArray>
#include <QString>
#include <cstdint>

namespace tds {

// Packet types.
constexpr uint8_t kLote = 1, kRpc = 3, kRespuesta = 4, kAtencion = 6, kGestorTransacciones = 14, kLogin7 = 16, kPrelogin = 18;

// Tokens.
constexpr uint8_t kColMetadata = 0x81, kFila = 0xD1, kDone = 0xFD, kDoneProc = 0xFE, kDoneInProc = 0xFF, kError = 0xAA,
                  kInfo = 0xAB, kLoginAck = 0xAD, kEnvChange = 0xE3, kEstadoRetorno = 0x79;

// DONE status bits.
constexpr uint16_t kMas = 0x01, kConError = 0x02, kEnTransaccion = 0x04, kCuenta = 0x10, kAtendida = 0x20;

// ENVCHANGE types.
constexpr uint8_t kEnvBase = 1, kEnvIdioma = 2, kEnvPaquete = 4, kEnvIntercalacion = 7, kEnvComenzar = 8, kEnvConfirmar = 9,
                  kEnvDeshacer = 10;

class Flujo {
public:
    QByteArray b;
    void u8(unsigned v) { b.append(static_cast<char>(v & 0xFF)); }
    void u16(unsigned v) { u8(v); u8(v >> 8); }
    void u32(uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); }
    void u64(uint64_t v) { u32(static_cast<uint32_t>(v)); u32(static_cast<uint32_t>(v >> 32)); }
    void utf16(const QString& s) { for (QChar c : s) u16(c.unicode()); }
    void bvarchar(const QString& s) { const QString t = s.left(255); u8(static_cast<unsigned>(t.size())); utf16(t); }
    void usvarchar(const QString& s) { const QString t = s.left(65535); u16(static_cast<unsigned>(t.size())); utf16(t); }
    void bytes(const QByteArray& x) { b.append(x); }
};

class Lector {
public:
    explicit Lector(const QByteArray& d, int desde = 0) : d_(d), pos_(desde) {}
    bool ok() const { return ok_; }
    int pos() const { return pos_; }
    int quedan() const { return static_cast<int>(d_.size()) - pos_; }
    void saltar(int n) { if (!hay(n)) return; pos_ += n; }
    uint8_t u8() { if (!hay(1)) return 0; return static_cast<uint8_t>(d_[pos_++]); }
    uint16_t u16() { const uint16_t a = u8(); return static_cast<uint16_t>(a | (u8() << 8)); }
    uint32_t u32() { const uint32_t a = u16(); return a | (static_cast<uint32_t>(u16()) << 16); }
    uint64_t u64() { const uint64_t a = u32(); return a | (static_cast<uint64_t>(u32()) << 32); }
    QByteArray bytes(int n) { if (!hay(n)) return {}; QByteArray r = d_.mid(pos_, n); pos_ += n; return r; }
    QString utf16(int caracteres)
    {
        if (caracteres < 0 || !hay(caracteres * 2)) return {};
        QString s(caracteres, Qt::Uninitialized);
        for (int i = 0; i < caracteres; ++i) s[i] = QChar(u16());
        return s;
    }
    QString bvarchar() { return utf16(u8()); }

private:
    bool hay(int n) { if (n < 0 || pos_ + n > d_.size()) { ok_ = false; return false; } return true; }
    const QByteArray& d_;
    int pos_ = 0;
    bool ok_ = true;
};

inline void envTexto(Flujo& f, uint8_t tipo, const QString& nuevo, const QString& viejo)
{
    Flujo c;
    c.u8(tipo);
    c.bvarchar(nuevo);
    c.bvarchar(viejo);
    f.u8(kEnvChange);
    f.u16(static_cast<unsigned>(c.b.size()));
    f.bytes(c.b);
}

inline void envBinario(Flujo& f, uint8_t tipo, const QByteArray& nuevo, const QByteArray& viejo)
{
    Flujo c;
    c.u8(tipo);
    c.u8(static_cast<unsigned>(nuevo.size()));
    c.bytes(nuevo);
    c.u8(static_cast<unsigned>(viejo.size()));
    c.bytes(viejo);
    f.u8(kEnvChange);
    f.u16(static_cast<unsigned>(c.b.size()));
    f.bytes(c.b);
}

// ERROR or INFO.
inline void mensaje(Flujo& f, bool error, int32_t numero, uint8_t estado, uint8_t clase, const QString& texto,
                    const QString& servidor, const QString& procedimiento = QString(), uint32_t linea = 1)
{
    Flujo c;
    c.u32(static_cast<uint32_t>(numero));
    c.u8(estado);
    c.u8(clase);
    c.usvarchar(texto);
    c.bvarchar(servidor);
    c.bvarchar(procedimiento);
    c.u32(linea);
    f.u8(error ? kError : kInfo);
    f.u16(static_cast<unsigned>(c.b.size()));
    f.bytes(c.b);
}

inline void done(Flujo& f, uint8_t token, uint16_t estado, uint16_t orden, uint64_t filas)
{
    f.u8(token);
    f.u16(estado);
    f.u16(orden);
    f.u64(filas);
}

}  // namespace tds
