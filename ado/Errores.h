#pragma once
// Errors of the platform layer: the connection's error collection and the
// exception that plays the role of the classic raised error (Err.Number, ...).
#include <QString>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace ado {

// Classic error numbers that callers test.
namespace num {
constexpr int32_t InvalidoArgumento = 5;          // invalid procedure call or argument
constexpr int32_t UsoInvalidoNulo = 94;           // invalid use of Null
constexpr int32_t ObjetoCerrado = 3704;           // operation not allowed when the object is closed
constexpr int32_t ObjetoAbierto = 3705;           // operation not allowed when the object is open
constexpr int32_t ConexionInvalida = 3709;        // connection cannot be used / is closed
constexpr int32_t NoPermitidoContexto = 3219;     // operation not allowed in this context
constexpr int32_t ItemNoEncontrado = 3265;        // item not found in the collection
constexpr int32_t BofEof = 3021;                  // BOF or EOF is true
constexpr int32_t FalloNoEspecificado = static_cast<int32_t>(0x80004005u);
constexpr int32_t ErrorEnComando = static_cast<int32_t>(0x80040E14u);
constexpr int32_t TablaNoExiste = static_cast<int32_t>(0x80040E37u);
constexpr int32_t Integridad = static_cast<int32_t>(0x80040E2Fu);
constexpr int32_t TiempoAgotado = static_cast<int32_t>(0x80040E31u);     // query time-out expired
constexpr int32_t FilaNoEncontrada = static_cast<int32_t>(0x80040E38u);  // row cannot be located for updating
constexpr int32_t SinResultado = 265929;          // provider notice: command returned no result
}  // namespace num

// SQL Server native error numbers that the embedded provider reproduces.
namespace nativo {
constexpr int32_t ClaveDuplicada = 2627;
constexpr int32_t Restriccion = 547;
constexpr int32_t Truncado = 8152;
constexpr int32_t TruncadoConValor = 2628;   // SQL Server 2019 and later: names the column and the value
constexpr int32_t SentenciaTerminada = 3621;
constexpr int32_t ObjetoInvalido = 208;
constexpr int32_t ColumnaInvalida = 207;
constexpr int32_t Sintaxis = 102;
}  // namespace nativo

// One entry of a connection's error collection.
struct Error {
    int32_t Number = 0;
    QString Description;
    QString Source;
    QString SQLState;
    int32_t NativeError = 0;
};

// The connection's error collection; Item is indexed from 0 as the classic one.
class Errors {
public:
    long Count() const { return static_cast<long>(lista_.size()); }
    const Error& Item(long i) const;          // throws Fallo(3265) out of range
    void Clear() { lista_.clear(); }
    void Add(const Error& e) { lista_.push_back(e); }
    bool empty() const { return lista_.empty(); }
    const std::vector<Error>& lista() const { return lista_; }

private:
    std::vector<Error> lista_;
};

// The raised error. Number, Description and Source as the classic Err object.
class Fallo : public std::runtime_error {
public:
    Fallo(int32_t numero, const QString& descripcion, const QString& origen = QString());
    int32_t Number() const { return numero_; }
    const QString& Description() const { return descripcion_; }
    const QString& Source() const { return origen_; }

private:
    int32_t numero_;
    QString descripcion_;
    QString origen_;
};

// Description of the classic error numbers the layer raises itself.
QString descripcionClasica(int32_t numero);
// A Fallo with the classic description of the number.
Fallo falloClasico(int32_t numero, const QString& origen = QStringLiteral("ADODB"));

}  // namespace ado
