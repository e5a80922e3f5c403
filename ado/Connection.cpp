#include "Connection.h"

#include "Recordset.h"
#include "Traza.h"

#include <QElapsedTimer>

namespace ado {

namespace {
constexpr int32_t ProveedorNoEncontrado = 3706;

QString primerError(const Errors& e)
{
    return e.empty() ? QString() : e.Item(0).Description;
}
}  // namespace

Connection::Connection() = default;
Connection::~Connection()
{
    if (proveedor_) proveedor_->cerrar();
}

long Connection::State() const
{
    return proveedor_ ? adStateOpen : adStateClosed;
}

QString Connection::proveedor() const
{
    return proveedor_ ? proveedor_->nombre() : QString();
}

void Connection::exigirAbierta() const
{
    if (!proveedor_) throw falloClasico(num::ConexionInvalida);
}

Fallo Connection::falloDesdeErrores(const QString& origen) const
{
    if (errores_.empty()) return falloClasico(num::FalloNoEspecificado, origen);
    const Error& e = errores_.Item(0);
    return Fallo(e.Number ? e.Number : num::FalloNoEspecificado, e.Description, e.Source.isEmpty() ? origen : e.Source);
}

void Connection::Open(const QString& texto, const QString& usuario, const QString& clave, long)
{
    // The collection holds the engine's diagnostics of this open only: an open
    // connection is the layer's own refusal, with no entries.
    errores_.Clear();
    if (proveedor_) throw falloClasico(num::ObjetoAbierto);
    if (!texto.isEmpty()) textoConexion_ = texto;
    auto p = crearProveedor(textoConexion_);
    if (!p) {
        Error e;
        e.Number = ProveedorNoEncontrado;
        e.Description = QStringLiteral("No se encuentra el proveedor. Es posible que no esté instalado correctamente.");
        e.Source = QStringLiteral("ADODB.Connection");
        e.SQLState = QStringLiteral("IM002");
        errores_.Add(e);
        throw Fallo(e.Number, e.Description, e.Source);
    }
    ParametrosConexion pc;
    pc.texto = textoConexion_;
    pc.usuario = usuario;
    pc.clave = clave;
    pc.tiempoEspera = tiempoEspera_;
    // The connection text carries the password: it is never traced.
    if (!p->abrir(pc, errores_)) throw falloDesdeErrores(QStringLiteral("ADODB.Connection"));
    proveedor_ = std::move(p);
    proveedor_->fijarTiempoEspera(tiempoEspera_);
    proveedor_->fijarAislamiento(aislamiento_);
    if (!baseDefectoPendiente_.isEmpty()) {
        const QString b = baseDefectoPendiente_;
        baseDefectoPendiente_.clear();
        proveedor_->fijarBaseDefecto(b, errores_);
    }
}

void Connection::Close()
{
    if (!proveedor_) throw falloClasico(num::ObjetoCerrado);
    proveedor_->cerrar();
    proveedor_.reset();
}

Resultado Connection::ejecutarInterno(const QString& sql, const char* op, long* afectadas, bool actualizable)
{
    exigirAbierta();
    errores_.Clear();
    long n = 0;
    QElapsedTimer t;
    t.start();
    Resultado r = proveedor_->ejecutar(sql, n, errores_, actualizable);
    trazar(proveedor_->nombre(), op, sql, static_cast<double>(t.nsecsElapsed()) / 1e6, primerError(errores_));
    if (afectadas) *afectadas = n;
    if (!errores_.empty()) throw falloDesdeErrores(QStringLiteral("ADODB.Connection"));
    return r;
}

std::shared_ptr<Recordset> Connection::Execute(const QString& sql, long* afectadas, long)
{
    Resultado r = ejecutarInterno(sql, "execute", afectadas);
    auto rs = std::make_shared<Recordset>();
    if (r.conFilas) rs->abrirDesde(std::move(r), this, sql);
    return rs;
}

long Connection::BeginTrans()
{
    exigirAbierta();
    errores_.Clear();
    QElapsedTimer t;
    t.start();
    const bool ok = proveedor_->comenzar(errores_);
    trazar(proveedor_->nombre(), "begin", QString(), static_cast<double>(t.nsecsElapsed()) / 1e6, primerError(errores_));
    if (!ok) throw falloDesdeErrores(QStringLiteral("ADODB.Connection"));
    return 1;
}

void Connection::CommitTrans()
{
    exigirAbierta();
    errores_.Clear();
    QElapsedTimer t;
    t.start();
    const bool ok = proveedor_->confirmar(errores_);
    trazar(proveedor_->nombre(), "commit", QString(), static_cast<double>(t.nsecsElapsed()) / 1e6, primerError(errores_));
    if (!ok) throw falloDesdeErrores(QStringLiteral("ADODB.Connection"));
}

void Connection::RollbackTrans()
{
    exigirAbierta();
    errores_.Clear();
    QElapsedTimer t;
    t.start();
    const bool ok = proveedor_->deshacer(errores_);
    trazar(proveedor_->nombre(), "rollback", QString(), static_cast<double>(t.nsecsElapsed()) / 1e6, primerError(errores_));
    if (!ok) throw falloDesdeErrores(QStringLiteral("ADODB.Connection"));
}

void Connection::setCommandTimeout(long s)
{
    tiempoEspera_ = s;
    if (proveedor_) proveedor_->fijarTiempoEspera(s);
}

QString Connection::DefaultDatabase() const
{
    return proveedor_ ? proveedor_->baseDefecto() : baseDefectoPendiente_;
}

void Connection::setDefaultDatabase(const QString& base)
{
    if (!proveedor_) {
        baseDefectoPendiente_ = base;
        return;
    }
    errores_.Clear();
    if (!proveedor_->fijarBaseDefecto(base, errores_)) throw falloDesdeErrores(QStringLiteral("ADODB.Connection"));
}

void Connection::setIsolationLevel(long v)
{
    aislamiento_ = v;
    if (proveedor_) proveedor_->fijarAislamiento(v);
}

void Connection::setConnectionString(const QString& s)
{
    if (proveedor_) throw falloClasico(num::ObjetoAbierto);
    textoConexion_ = s;
}

std::shared_ptr<Recordset> Connection::OpenSchema(long esquema, const std::vector<Variant>& restricciones)
{
    exigirAbierta();
    errores_.Clear();
    Resultado r = proveedor_->esquema(esquema, restricciones, errores_);
    if (!errores_.empty()) throw falloDesdeErrores(QStringLiteral("ADODB.Connection"));
    auto rs = std::make_shared<Recordset>();
    r.conFilas = true;
    rs->abrirDesde(std::move(r), this, QString());
    return rs;
}

}  // namespace ado
