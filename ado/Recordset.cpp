#include "Recordset.h"

#include "Connection.h"

#include <QLocale>
#include <QRegularExpression>

namespace ado {

namespace {
constexpr int32_t NoActualizable = 3251;   // the recordset does not support updating

QString nombreSql(const QString& n)
{
    static const QRegularExpression simple(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return simple.match(n).hasMatch() ? n : QLatin1Char('[') + QString(n).replace(QLatin1Char(']'), QLatin1String("]]")) + QLatin1Char(']');
}

bool esTipoNumerico(long t)
{
    switch (t) {
    case tipo::SmallInt: case tipo::Integer: case tipo::Single: case tipo::Double: case tipo::Currency:
    case tipo::TinyInt: case tipo::BigInt: case tipo::Numeric: case tipo::Boolean:
        return true;
    default:
        return false;
    }
}

bool esTipoFecha(long t)
{
    return t == tipo::Date || t == tipo::DBTimeStamp || t == tipo::DBDate || t == tipo::DBTime;
}

// A date typed as text, read as the workstation's regional settings write it
// (day first), or in ISO form. Two-digit years take the classic window.
QDateTime fechaDeTexto(const QString& texto)
{
    const QString t = texto.trimmed();
    static const QRegularExpression diaPrimero(
        QStringLiteral("^(\\d{1,2})[/.-](\\d{1,2})[/.-](\\d{2}|\\d{4})(?:\\s+(\\d{1,2}):(\\d{2})(?::(\\d{2})(?:\\.(\\d{1,3}))?)?)?$"));
    static const QRegularExpression iso(
        QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})(?:[ T](\\d{1,2}):(\\d{2})(?::(\\d{2})(?:\\.(\\d{1,3}))?)?)?$"));
    int d = 0, m = 0, a = 0;
    QRegularExpressionMatch x = diaPrimero.match(t);
    if (x.hasMatch()) {
        d = x.captured(1).toInt();
        m = x.captured(2).toInt();
        a = x.captured(3).toInt();
        if (x.captured(3).size() == 2) a += a < 30 ? 2000 : 1900;
    } else {
        x = iso.match(t);
        if (!x.hasMatch()) return QDateTime();
        a = x.captured(1).toInt();
        m = x.captured(2).toInt();
        d = x.captured(3).toInt();
    }
    const QDate fecha(a, m, d);
    const QTime hora(x.captured(4).toInt(), x.captured(5).toInt(), x.captured(6).toInt(), x.captured(7).leftJustified(3, QLatin1Char('0')).toInt());
    if (!fecha.isValid() || !hora.isValid()) return QDateTime();
    return QDateTime(fecha, hora);
}

// A date as every server reads it the same whatever its language: SQL
// Server's unseparated form; the embedded engine keeps its ISO text.
QString literalFecha(const QDateTime& d, const QString& proveedor)
{
    if (proveedor == QLatin1String("sqlite")) {
        QString f = d.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (d.time().msec() != 0) f += d.toString(QStringLiteral(".zzz"));
        return QLatin1Char('\'') + f + QLatin1Char('\'');
    }
    return QLatin1Char('\'') + d.toString(QStringLiteral("yyyyMMdd HH:mm:ss.zzz")) + QLatin1Char('\'');
}

// A literal for a value written back by Update. Text always goes quoted with its
// quotes doubled, so no stored value can change the statement. Numbers keep
// every digit they were read with, so a row found by its values is found again.
QString literal(const Variant& v, long tipoColumna, const QString& proveedor)
{
    switch (v.tipo()) {
    case Variant::Tipo::Empty: case Variant::Tipo::Null:
        return QStringLiteral("NULL");
    case Variant::Tipo::Boolean:
        return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case Variant::Tipo::Double: {
        const QString n = QString::number(v.toDouble(), 'g', QLocale::FloatingPointShortest);
        if (esTipoNumerico(tipoColumna)) return n;
        if (esTipoFecha(tipoColumna)) return literalFecha(v.toDate(), proveedor);
        return QLatin1Char('\'') + n + QLatin1Char('\'');
    }
    case Variant::Tipo::Long: case Variant::Tipo::Integer: case Variant::Tipo::Currency:
        if (esTipoNumerico(tipoColumna)) return v.toText();
        if (esTipoFecha(tipoColumna)) return literalFecha(v.toDate(), proveedor);
        return QLatin1Char('\'') + v.toText() + QLatin1Char('\'');
    case Variant::Tipo::Date:
        if (esTipoFecha(tipoColumna) || !v.toDate().isValid()) return literalFecha(v.toDate(), proveedor);
        // A text column keeps the date's text form.
        return QLatin1Char('\'') + v.toText() + QLatin1Char('\'');
    case Variant::Tipo::Text:
        if (esTipoFecha(tipoColumna)) {
            const QDateTime d = fechaDeTexto(v.toText());
            if (d.isValid()) return literalFecha(d, proveedor);
        }
        break;
    }
    return QLatin1Char('\'') + v.toText().replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\'');
}
}  // namespace

// --- Field -------------------------------------------------------------------

QString Field::Name() const { return rs_->columnas_[static_cast<size_t>(indice_)].nombre; }
long Field::Type() const { return rs_->columnas_[static_cast<size_t>(indice_)].tipo; }
long Field::DefinedSize() const { return rs_->columnas_[static_cast<size_t>(indice_)].tamano; }

Variant Field::Value() const
{
    rs_->exigirAbierto();
    if (rs_->edicion_ != Recordset::Edicion::Ninguna) return rs_->edit_[static_cast<size_t>(indice_)];
    rs_->exigirFila();
    return rs_->filas_[static_cast<size_t>(rs_->pos_)][static_cast<size_t>(indice_)];
}

void Field::setValue(const Variant& v)
{
    rs_->exigirAbierto();
    if (rs_->tipoBloqueo_ == adLockReadOnly)
        throw Fallo(NoActualizable, QStringLiteral("El conjunto de registros actual no admite actualizaciones."), QStringLiteral("ADODB.Recordset"));
    if (rs_->edicion_ == Recordset::Edicion::Ninguna) {
        rs_->exigirFila();
        rs_->edit_ = rs_->filas_[static_cast<size_t>(rs_->pos_)];
        rs_->cambiados_.assign(rs_->columnas_.size(), false);
        rs_->edicion_ = Recordset::Edicion::Cambio;
    }
    rs_->edit_[static_cast<size_t>(indice_)] = v;
    rs_->cambiados_[static_cast<size_t>(indice_)] = true;
}

// --- Recordset ---------------------------------------------------------------

Recordset::Recordset() = default;
Recordset::~Recordset() = default;

void Recordset::exigirAbierto() const
{
    if (!abierto_) throw falloClasico(num::ObjetoCerrado, QStringLiteral("ADODB.Recordset"));
}

void Recordset::exigirFila() const
{
    if (pos_ < 0 || pos_ >= static_cast<long>(filas_.size())) throw falloClasico(num::BofEof, QStringLiteral("ADODB.Recordset"));
}

void Recordset::Open(const QString& origen, Connection* cnn, long tipoCursor, long tipoBloqueo, long)
{
    if (abierto_) throw falloClasico(num::ObjetoAbierto, QStringLiteral("ADODB.Recordset"));
    if (!cnn || cnn->State() != adStateOpen) throw falloClasico(num::ConexionInvalida, QStringLiteral("ADODB.Recordset"));
    tipoCursor_ = tipoCursor;
    tipoBloqueo_ = tipoBloqueo;
    Resultado r = cnn->ejecutarInterno(origen, "open", nullptr, tipoBloqueo != adLockReadOnly);
    // A text that returns no rows leaves the recordset closed, as ADO does.
    if (!r.conFilas) {
        cnn_ = cnn;
        origen_ = origen;
        return;
    }
    abrirDesde(std::move(r), cnn, origen);
}

void Recordset::abrirDesde(Resultado r, Connection* cnn, const QString& origen)
{
    cnn_ = cnn;
    origen_ = origen;
    columnas_ = std::move(r.columnas);
    filas_ = std::move(r.filas);
    pos_ = 0;
    edicion_ = Edicion::Ninguna;
    abierto_ = true;
}

void Recordset::Close()
{
    exigirAbierto();
    if (edicion_ != Edicion::Ninguna) throw falloClasico(num::NoPermitidoContexto, QStringLiteral("ADODB.Recordset"));
    abierto_ = false;
    columnas_.clear();
    filas_.clear();
    pos_ = 0;
}

bool Recordset::BOF() const
{
    exigirAbierto();
    return filas_.empty() || pos_ < 0;
}

bool Recordset::EOF_() const
{
    exigirAbierto();
    return filas_.empty() || pos_ >= static_cast<long>(filas_.size());
}

void Recordset::MoveFirst()
{
    exigirAbierto();
    if (edicion_ != Edicion::Ninguna) Update();
    pos_ = 0;
}

void Recordset::MoveNext()
{
    exigirAbierto();
    if (pos_ >= static_cast<long>(filas_.size())) throw falloClasico(num::BofEof, QStringLiteral("ADODB.Recordset"));
    if (edicion_ != Edicion::Ninguna) Update();
    ++pos_;
}

long Recordset::RecordCount() const
{
    exigirAbierto();
    return static_cast<long>(filas_.size());
}

long Recordset::FieldCount() const
{
    exigirAbierto();
    return static_cast<long>(columnas_.size());
}

Field Recordset::Fields(long indice)
{
    exigirAbierto();
    if (indice < 0 || indice >= static_cast<long>(columnas_.size())) throw falloClasico(num::ItemNoEncontrado, QStringLiteral("ADODB.Fields"));
    return Field(this, static_cast<int>(indice));
}

Field Recordset::Fields(const QString& nombre)
{
    exigirAbierto();
    const QString n = nombre.trimmed();
    for (size_t i = 0; i < columnas_.size(); ++i)
        if (columnas_[i].nombre.compare(n, Qt::CaseInsensitive) == 0) return Field(this, static_cast<int>(i));
    throw falloClasico(num::ItemNoEncontrado, QStringLiteral("ADODB.Fields"));
}

void Recordset::AddNew()
{
    exigirAbierto();
    if (tipoBloqueo_ == adLockReadOnly)
        throw Fallo(NoActualizable, QStringLiteral("El conjunto de registros actual no admite actualizaciones."), QStringLiteral("ADODB.Recordset"));
    if (edicion_ != Edicion::Ninguna) Update();
    edit_.assign(columnas_.size(), Variant::nulo());
    cambiados_.assign(columnas_.size(), false);
    edicion_ = Edicion::Nueva;
}

void Recordset::CancelUpdate()
{
    exigirAbierto();
    edicion_ = Edicion::Ninguna;
    edit_.clear();
    cambiados_.clear();
}

QString Recordset::tablaDestino() const
{
    for (const Columna& c : columnas_)
        if (!c.tablaBase.isEmpty()) return c.tablaBase;
    static const QRegularExpression deFrom(QStringLiteral("\\bfrom\\s+([\\[\\]\\w.]+)"), QRegularExpression::CaseInsensitiveOption);
    const auto m = deFrom.match(origen_);
    if (!m.hasMatch()) return QString();
    QString t = m.captured(1);
    t.remove(QLatin1Char('[')).remove(QLatin1Char(']'));
    if (t.startsWith(QLatin1String("dbo."), Qt::CaseInsensitive)) t = t.mid(4);
    return t;
}

void Recordset::Update()
{
    exigirAbierto();
    if (edicion_ == Edicion::Ninguna) return;
    if (!cnn_ || cnn_->State() != adStateOpen) throw falloClasico(num::ConexionInvalida, QStringLiteral("ADODB.Recordset"));
    const QString tabla = tablaDestino();
    if (tabla.isEmpty())
        throw Fallo(NoActualizable, QStringLiteral("No se puede determinar la tabla que actualiza el conjunto de registros."), QStringLiteral("ADODB.Recordset"));
    const QString prov = cnn_->proveedor();
    auto columna = [&](size_t i) { return nombreSql(columnas_[i].columnaBase.isEmpty() ? columnas_[i].nombre : columnas_[i].columnaBase); };

    QString sql;
    if (edicion_ == Edicion::Nueva) {
        QStringList nombres, valores;
        for (size_t i = 0; i < columnas_.size(); ++i) {
            if (!cambiados_[i]) continue;
            nombres << columna(i);
            valores << literal(edit_[i], columnas_[i].tipo, prov);
        }
        if (nombres.isEmpty()) sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(nombreSql(tabla));
        else sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(nombreSql(tabla), nombres.join(QLatin1Char(',')), valores.join(QLatin1Char(',')));
    } else {
        QStringList asignaciones;
        for (size_t i = 0; i < columnas_.size(); ++i)
            if (cambiados_[i]) asignaciones << columna(i) + QLatin1String(" = ") + literal(edit_[i], columnas_[i].tipo, prov);
        if (asignaciones.isEmpty()) {
            CancelUpdate();
            return;
        }
        // The row is found by its key, or by all its original values when the key is unknown.
        const Fila& original = filas_[static_cast<size_t>(pos_)];
        bool hayClave = false;
        for (const Columna& c : columnas_) hayClave = hayClave || c.clave;
        QStringList condiciones;
        for (size_t i = 0; i < columnas_.size(); ++i) {
            if (hayClave && !columnas_[i].clave) continue;
            // Long texts and binaries cannot be compared with "=" on SQL Server.
            const long t = columnas_[i].tipo;
            if (!hayClave && (t == tipo::LongVarBinary || t == tipo::VarBinary || t == tipo::LongVarChar || t == tipo::LongVarWChar)) continue;
            const Variant& v = original[i];
            if (v.isNull() || v.isEmpty()) condiciones << columna(i) + QLatin1String(" IS NULL");
            else condiciones << columna(i) + QLatin1String(" = ") + literal(v, columnas_[i].tipo, prov);
        }
        sql = QStringLiteral("UPDATE %1 SET %2").arg(nombreSql(tabla), asignaciones.join(QLatin1Char(',')));
        if (!condiciones.isEmpty()) sql += QLatin1String(" WHERE ") + condiciones.join(QLatin1String(" AND "));
    }
    long n = 0;
    cnn_->ejecutarInterno(sql, "execute", &n);
    // A row that was changed or deleted since it was read is not written
    // over, and the caller hears of it; the edit stays pending.
    if (edicion_ == Edicion::Cambio && n == 0) throw falloClasico(num::FilaNoEncontrada, QStringLiteral("ADODB.Recordset"));
    if (edicion_ == Edicion::Nueva) {
        filas_.push_back(edit_);
        pos_ = static_cast<long>(filas_.size()) - 1;
    } else {
        filas_[static_cast<size_t>(pos_)] = edit_;
    }
    edicion_ = Edicion::Ninguna;
    edit_.clear();
    cambiados_.clear();
}

}  // namespace ado
