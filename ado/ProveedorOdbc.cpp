#include "ProveedorOdbc.h"

#include "DialectoSqlite.h"
#include "OdbcTexto.h"

#include <QDate>
#include <QDateTime>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTime>

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <cstdint>
#include <vector>

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "unixODBC must use UTF-16 SQLWCHAR");

namespace ado {

namespace {

const QString kOrigen = QStringLiteral("Proveedor ODBC");
constexpr long kTiempoConexion = 15;   // seconds allowed for the login

// ---- text <-> SQLWCHAR ------------------------------------------------------

// Keeps a UTF-16 copy alive while the driver reads it.
class TextoW {
public:
    explicit TextoW(const QString& s) : s_(s) {}
    SQLWCHAR* ptr() { return reinterpret_cast<SQLWCHAR*>(s_.data()); }
    SQLINTEGER bytes() const { return static_cast<SQLINTEGER>(s_.size() * sizeof(SQLWCHAR)); }

private:
    QString s_;
};

QString deW(const SQLWCHAR* s, qsizetype caracteres)
{
    if (caracteres < 0) caracteres = 0;
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(s), caracteres);
}

// ---- diagnostics ---------------------------------------------------------------

struct Diagnostico {
    QString estado;
    int32_t nativo = 0;
    QString texto;
};

std::vector<Diagnostico> diagnosticos(SQLSMALLINT tipo, SQLHANDLE h)
{
    std::vector<Diagnostico> r;
    if (!h) return r;
    for (SQLSMALLINT i = 1; i < 1000; ++i) {
        SQLWCHAR estado[6] = {};
        SQLINTEGER nativo = 0;
        std::vector<SQLWCHAR> msg(1024);
        SQLSMALLINT largo = 0;
        SQLRETURN rc = SQLGetDiagRecW(tipo, h, i, estado, &nativo, msg.data(), SQLSMALLINT(msg.size()), &largo);
        if (rc == SQL_NO_DATA || !SQL_SUCCEEDED(rc)) break;
        if (largo >= SQLSMALLINT(msg.size())) {
            msg.assign(size_t(largo) + 1, 0);
            rc = SQLGetDiagRecW(tipo, h, i, estado, &nativo, msg.data(), SQLSMALLINT(msg.size()), &largo);
            if (!SQL_SUCCEEDED(rc)) break;
        }
        Diagnostico d;
        d.estado = deW(estado, 5);
        d.nativo = nativo;
        d.texto = deW(msg.data(), std::min<qsizetype>(largo, qsizetype(msg.size()) - 1));
        r.push_back(d);
    }
    return r;
}

bool esAviso(const QString& estado)
{
    return estado.startsWith(QLatin1String("01")) || estado.startsWith(QLatin1String("00"));
}

Error errorDe(const Diagnostico& d)
{
    Error e;
    e.Number = odbc::numeroDeEstado(d.estado);
    e.Description = d.texto;
    e.Source = kOrigen;
    e.SQLState = d.estado;
    e.NativeError = d.nativo;
    return e;
}

Error errorPropio(int32_t numero, const QString& texto, const QString& estado = QString())
{
    Error e;
    e.Number = numero;
    e.Description = texto;
    e.Source = kOrigen;
    e.SQLState = estado;
    return e;
}

// Adds the diagnostics of a call that returned rc. Warnings (class 01) are not
// errors: they are left out, unless a failed call has nothing else to say.
void anotar(SQLRETURN rc, SQLSMALLINT tipo, SQLHANDLE h, Errors& errores)
{
    if (rc == SQL_SUCCESS || rc == SQL_NO_DATA || rc == SQL_NEED_DATA) return;
    if (rc == SQL_INVALID_HANDLE) {
        errores.Add(errorPropio(num::FalloNoEspecificado, QStringLiteral("Identificador ODBC no válido.")));
        return;
    }
    const auto ds = diagnosticos(tipo, h);
    bool algo = false;
    for (const auto& d : ds)
        if (!esAviso(d.estado)) {
            errores.Add(errorDe(d));
            algo = true;
        }
    if (rc == SQL_ERROR && !algo) {
        for (const auto& d : ds) errores.Add(errorDe(d));
        if (ds.empty()) errores.Add(errorPropio(num::FalloNoEspecificado, descripcionClasica(num::FalloNoEspecificado)));
    }
}

// Adds already read diagnostics of a failed call (warnings only when nothing else).
void anotarLista(const std::vector<Diagnostico>& ds, Errors& errores)
{
    bool algo = false;
    for (const auto& d : ds)
        if (!esAviso(d.estado)) {
            errores.Add(errorDe(d));
            algo = true;
        }
    if (!algo)
        for (const auto& d : ds) errores.Add(errorDe(d));
}

bool tieneEstado(const std::vector<Diagnostico>& ds, std::initializer_list<const char*> estados)
{
    for (const auto& d : ds)
        for (const char* e : estados)
            if (d.estado == QLatin1String(e)) return true;
    return false;
}

// ---- statement handle ----------------------------------------------------------

class Sentencia {
public:
    explicit Sentencia(SQLHDBC dbc)
    {
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &h_))) h_ = nullptr;
    }
    ~Sentencia()
    {
        if (h_) {
            SQLFreeStmt(h_, SQL_CLOSE);
            SQLFreeHandle(SQL_HANDLE_STMT, h_);
        }
    }
    Sentencia(const Sentencia&) = delete;
    Sentencia& operator=(const Sentencia&) = delete;
    SQLHSTMT h() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }

private:
    SQLHSTMT h_ = nullptr;
};

// ---- types -------------------------------------------------------------------------

enum class Lectura { Texto, Entero, Entero16, Bit, Real, Moneda, Fecha, SoloFecha, Hora };

struct Forma {
    long tipoAdo;
    Lectura lectura;
};

bool esMoneda(SQLSMALLINT tipo, SQLULEN tamano, SQLSMALLINT decimales, const QString& nombreTipo)
{
    if (tipo != SQL_DECIMAL && tipo != SQL_NUMERIC) return false;
    const QString n = nombreTipo.trimmed().toLower();
    if (n == QLatin1String("money") || n == QLatin1String("smallmoney")) return true;
    if (!n.isEmpty() && n != QLatin1String("decimal") && n != QLatin1String("numeric")) return false;
    // SQL Server's money reports as decimal(19,4) when the driver names no type.
    return n.isEmpty() && tamano == 19 && decimales == 4;
}

Forma formaDe(SQLSMALLINT tipo, SQLULEN tamano, SQLSMALLINT decimales, const QString& nombreTipo)
{
    if (esMoneda(tipo, tamano, decimales, nombreTipo)) return {tipo::Currency, Lectura::Moneda};
    switch (tipo) {
    case SQL_VARCHAR: return {tipo::VarChar, Lectura::Texto};
    case SQL_WVARCHAR: return {tipo::VarWChar, Lectura::Texto};
    case SQL_CHAR: return {tipo::Char, Lectura::Texto};
    case SQL_WCHAR: return {tipo::WChar, Lectura::Texto};
    case SQL_LONGVARCHAR: return {tipo::LongVarChar, Lectura::Texto};
    case SQL_WLONGVARCHAR: return {tipo::LongVarWChar, Lectura::Texto};
    case SQL_INTEGER: return {tipo::Integer, Lectura::Entero};
    case SQL_SMALLINT: return {tipo::SmallInt, Lectura::Entero16};
    case SQL_TINYINT: return {tipo::TinyInt, Lectura::Entero16};
    case SQL_BIGINT: return {tipo::BigInt, Lectura::Entero};
    case SQL_BIT: return {tipo::Boolean, Lectura::Bit};
    case SQL_REAL: return {tipo::Single, Lectura::Real};
    case SQL_FLOAT: case SQL_DOUBLE: return {tipo::Double, Lectura::Real};
    case SQL_DECIMAL: case SQL_NUMERIC: return {tipo::Numeric, Lectura::Real};
    case SQL_TYPE_TIMESTAMP: case SQL_TIMESTAMP: return {tipo::DBTimeStamp, Lectura::Fecha};
    case SQL_TYPE_DATE: case SQL_DATE: return {tipo::DBDate, Lectura::SoloFecha};
    case SQL_TYPE_TIME: case SQL_TIME: return {tipo::DBTime, Lectura::Hora};
    case SQL_BINARY: case SQL_VARBINARY: return {tipo::VarBinary, Lectura::Texto};
    case SQL_LONGVARBINARY: return {tipo::LongVarBinary, Lectura::Texto};
    case SQL_GUID: return {72, Lectura::Texto};   // adGUID
    default: return {tipo::VarWChar, Lectura::Texto};
    }
}

// "1234.5678" -> 12345678 ten-thousandths (rounded at the fifth decimal).
bool monedaDeTexto(const QString& s, int64_t& r)
{
    const QString t = s.trimmed();
    int i = 0;
    bool negativo = false;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+'))) negativo = t[i++] == QLatin1Char('-');
    int64_t entero = 0;
    bool digitos = false;
    for (; i < t.size() && t[i].isDigit(); ++i) {
        entero = entero * 10 + t[i].digitValue();
        digitos = true;
    }
    int64_t frac = 0;
    int n = 0;
    bool redondeo = false;
    if (i < t.size() && (t[i] == QLatin1Char('.') || t[i] == QLatin1Char(','))) {
        for (++i; i < t.size() && t[i].isDigit(); ++i, ++n) {
            digitos = true;
            if (n < 4) frac = frac * 10 + t[i].digitValue();
            else if (n == 4) redondeo = t[i].digitValue() >= 5;
        }
    }
    if (!digitos || i != t.size()) return false;
    for (int k = std::min(n, 4); k < 4; ++k) frac *= 10;
    r = entero * 10000 + frac + (redondeo ? 1 : 0);
    if (negativo) r = -r;
    return true;
}

// ---- reading values ---------------------------------------------------------------------

// Reads a column as UTF-16 text, in chunks. Returns the call's result code of failure,
// SQL_SUCCESS otherwise.
SQLRETURN leerTexto(SQLHSTMT st, SQLUSMALLINT col, Variant& valor)
{
    std::vector<SQLWCHAR> buf(2048);
    const SQLLEN bytes = SQLLEN(buf.size() * sizeof(SQLWCHAR));
    QString acc;
    bool primera = true;
    for (;;) {
        SQLLEN ind = 0;
        const SQLRETURN rc = SQLGetData(st, col, SQL_C_WCHAR, buf.data(), bytes, &ind);
        if (rc == SQL_NO_DATA) break;
        if (!SQL_SUCCEEDED(rc)) return rc;
        if (ind == SQL_NULL_DATA) {
            valor = primera ? Variant::nulo() : Variant(acc);
            return SQL_SUCCESS;
        }
        primera = false;
        const bool trozo = rc == SQL_SUCCESS_WITH_INFO && (ind == SQL_NO_TOTAL || ind >= bytes);
        if (trozo) {
            acc += deW(buf.data(), qsizetype(buf.size()) - 1);
            continue;
        }
        acc += deW(buf.data(), std::min<qsizetype>(ind / SQLLEN(sizeof(SQLWCHAR)), qsizetype(buf.size()) - 1));
        break;
    }
    valor = Variant(acc);
    return SQL_SUCCESS;
}

SQLRETURN leerValor(SQLHSTMT st, SQLUSMALLINT col, Lectura l, Variant& valor)
{
    SQLLEN ind = 0;
    SQLRETURN rc = SQL_SUCCESS;
    switch (l) {
    case Lectura::Texto: return leerTexto(st, col, valor);
    case Lectura::Entero:
    case Lectura::Entero16: {
        SQLBIGINT v = 0;
        rc = SQLGetData(st, col, SQL_C_SBIGINT, &v, sizeof v, &ind);
        if (!SQL_SUCCEEDED(rc)) return rc;
        if (ind == SQL_NULL_DATA) valor = Variant::nulo();
        else if (l == Lectura::Entero16 && v >= INT16_MIN && v <= INT16_MAX) valor = Variant::entero16(int16_t(v));
        else valor = Variant::largo(int64_t(v));
        return SQL_SUCCESS;
    }
    case Lectura::Bit: {
        unsigned char v = 0;
        rc = SQLGetData(st, col, SQL_C_BIT, &v, sizeof v, &ind);
        if (!SQL_SUCCEEDED(rc)) return rc;
        valor = ind == SQL_NULL_DATA ? Variant::nulo() : Variant(v != 0);
        return SQL_SUCCESS;
    }
    case Lectura::Real: {
        double v = 0;
        rc = SQLGetData(st, col, SQL_C_DOUBLE, &v, sizeof v, &ind);
        if (!SQL_SUCCEEDED(rc)) return rc;
        valor = ind == SQL_NULL_DATA ? Variant::nulo() : Variant(v);
        return SQL_SUCCESS;
    }
    case Lectura::Moneda: {
        // Read as text so no cent is lost on the way through a double.
        Variant t;
        rc = leerTexto(st, col, t);
        if (!SQL_SUCCEEDED(rc)) return rc;
        int64_t m = 0;
        if (t.isNull()) valor = t;
        else if (monedaDeTexto(t.toText(), m)) valor = Variant::moneda(m);
        else valor = Variant::moneda(t.toCurrency());
        return SQL_SUCCESS;
    }
    case Lectura::Fecha: {
        SQL_TIMESTAMP_STRUCT v{};
        rc = SQLGetData(st, col, SQL_C_TYPE_TIMESTAMP, &v, sizeof v, &ind);
        if (!SQL_SUCCEEDED(rc)) return rc;
        if (ind == SQL_NULL_DATA) valor = Variant::nulo();
        else valor = Variant(QDateTime(QDate(v.year, v.month, v.day),
                                       QTime(v.hour, v.minute, v.second, int(v.fraction / 1000000u))));
        return SQL_SUCCESS;
    }
    case Lectura::SoloFecha: {
        SQL_DATE_STRUCT v{};
        rc = SQLGetData(st, col, SQL_C_TYPE_DATE, &v, sizeof v, &ind);
        if (!SQL_SUCCEEDED(rc)) return rc;
        if (ind == SQL_NULL_DATA) valor = Variant::nulo();
        else valor = Variant(QDateTime(QDate(v.year, v.month, v.day), QTime(0, 0)));
        return SQL_SUCCESS;
    }
    case Lectura::Hora: {
        SQL_TIME_STRUCT v{};
        rc = SQLGetData(st, col, SQL_C_TYPE_TIME, &v, sizeof v, &ind);
        if (!SQL_SUCCEEDED(rc)) return rc;
        // A time alone is a date on the classic day zero.
        if (ind == SQL_NULL_DATA) valor = Variant::nulo();
        else valor = Variant(QDateTime(QDate(1899, 12, 30), QTime(v.hour, v.minute, v.second)));
        return SQL_SUCCESS;
    }
    }
    return SQL_ERROR;
}

QString atributoTexto(SQLHSTMT st, SQLUSMALLINT col, SQLUSMALLINT campo)
{
    SQLWCHAR buf[512] = {};
    SQLSMALLINT largo = 0;
    const SQLRETURN rc = SQLColAttributeW(st, col, campo, buf, SQLSMALLINT(sizeof buf - sizeof(SQLWCHAR)), &largo, nullptr);
    if (!SQL_SUCCEEDED(rc)) return QString();
    return deW(buf, std::min<qsizetype>(largo / SQLSMALLINT(sizeof(SQLWCHAR)), 511));
}

// Reads the current row set of st whole into r.
void leerFilas(SQLHSTMT st, SQLSMALLINT ncols, Resultado& r, Errors& errores)
{
    r.conFilas = true;
    r.columnas.clear();
    r.filas.clear();
    std::vector<Lectura> lecturas;
    for (SQLUSMALLINT i = 1; i <= SQLUSMALLINT(ncols); ++i) {
        std::vector<SQLWCHAR> nombre(256);
        SQLSMALLINT largo = 0, tipoSql = 0, decimales = 0, nulos = 0;
        SQLULEN tamano = 0;
        SQLRETURN rc = SQLDescribeColW(st, i, nombre.data(), SQLSMALLINT(nombre.size()), &largo, &tipoSql, &tamano, &decimales, &nulos);
        if (SQL_SUCCEEDED(rc) && largo >= SQLSMALLINT(nombre.size())) {
            nombre.assign(size_t(largo) + 1, 0);
            rc = SQLDescribeColW(st, i, nombre.data(), SQLSMALLINT(nombre.size()), &largo, &tipoSql, &tamano, &decimales, &nulos);
        }
        if (!SQL_SUCCEEDED(rc)) {
            anotar(rc, SQL_HANDLE_STMT, st, errores);
            largo = 0;
        }
        Columna c;
        c.nombre = deW(nombre.data(), std::min<qsizetype>(largo, qsizetype(nombre.size()) - 1));
        const Forma f = formaDe(tipoSql, tamano, decimales, atributoTexto(st, i, SQL_DESC_TYPE_NAME));
        c.tipo = f.tipoAdo;
        c.tamano = long(std::min<SQLULEN>(tamano, SQLULEN(INT32_MAX)));
        c.tablaBase = atributoTexto(st, i, SQL_DESC_BASE_TABLE_NAME);
        c.columnaBase = atributoTexto(st, i, SQL_DESC_BASE_COLUMN_NAME);
        if (c.tablaBase.isEmpty()) c.columnaBase.clear();   // an expression: nothing to write back to
        else if (c.columnaBase.isEmpty()) c.columnaBase = c.nombre;
        r.columnas.push_back(c);
        lecturas.push_back(f.lectura);
    }
    for (;;) {
        SQLRETURN rc = SQLFetch(st);
        if (rc == SQL_NO_DATA) break;
        if (!SQL_SUCCEEDED(rc)) {
            anotar(rc, SQL_HANDLE_STMT, st, errores);
            break;
        }
        if (rc == SQL_SUCCESS_WITH_INFO) anotar(rc, SQL_HANDLE_STMT, st, errores);
        Fila fila(static_cast<size_t>(ncols));
        for (SQLUSMALLINT i = 1; i <= SQLUSMALLINT(ncols); ++i) {
            Variant v;
            rc = leerValor(st, i, lecturas[i - 1], v);
            if (!SQL_SUCCEEDED(rc) && lecturas[i - 1] != Lectura::Texto) {
                // A value the driver cannot convert (a typed column holding text) is kept as text.
                rc = leerTexto(st, i, v);
            }
            if (!SQL_SUCCEEDED(rc)) {
                anotar(rc, SQL_HANDLE_STMT, st, errores);
                v = Variant::nulo();
            }
            fila[i - 1] = v;
        }
        r.filas.push_back(std::move(fila));
    }
}

// The one table a plain "SELECT ... FROM t [WHERE ...]" reads; empty for joins,
// several tables or anything else.
QString tablaUnica(const QString& sql)
{
    static const QRegularExpression forma(
        QStringLiteral("^\\s*SELECT\\s.+?\\sFROM\\s+(?:\\[?dbo\\]?\\.)?\\[?([A-Za-z_][A-Za-z0-9_]*)\\]?(?:\\s+with\\s*\\(\\s*nolock\\s*\\))?\\s*(?:$|WHERE\\s|ORDER\\s)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto m = forma.match(sql);
    return m.hasMatch() ? m.captured(1) : QString();
}

// Primary key columns of the base tables of a result, when the driver tells them.
// FreeTDS names no base table outside browse mode: a result read from one table
// takes its key columns by name, so write-backs find the row by its key.
void marcarClaves(SQLHDBC dbc, Resultado& r, const QString& sql)
{
    bool conBase = false;
    for (const Columna& c : r.columnas) conBase = conBase || !c.tablaBase.isEmpty();
    if (!conBase) {
        const QString tabla = tablaUnica(sql);
        if (tabla.isEmpty()) return;
        Sentencia st(dbc);
        if (!st) return;
        TextoW t(tabla);
        if (!SQL_SUCCEEDED(SQLPrimaryKeysW(st.h(), nullptr, 0, nullptr, 0, t.ptr(), SQLSMALLINT(tabla.size())))) return;
        Errors ignorados;
        Resultado claves;
        SQLSMALLINT n = 0;
        if (!SQL_SUCCEEDED(SQLNumResultCols(st.h(), &n)) || n < 4) return;
        leerFilas(st.h(), n, claves, ignorados);
        std::vector<Columna*> marcadas;
        for (const Fila& f : claves.filas) {
            Columna* hallada = nullptr;
            for (Columna& k : r.columnas)
                if (k.nombre.compare(f[3].toText(), Qt::CaseInsensitive) == 0) hallada = &k;
            // A key column missing from the result: the row cannot be told by its key.
            if (!hallada) return;
            marcadas.push_back(hallada);
        }
        for (Columna* k : marcadas) k->clave = true;
        return;
    }
    std::vector<QString> hechas;
    for (const Columna& c : r.columnas) {
        if (c.tablaBase.isEmpty()) continue;
        if (std::find_if(hechas.begin(), hechas.end(), [&](const QString& t) { return t.compare(c.tablaBase, Qt::CaseInsensitive) == 0; }) != hechas.end())
            continue;
        hechas.push_back(c.tablaBase);
        Sentencia st(dbc);
        if (!st) return;
        TextoW tabla(c.tablaBase);
        if (!SQL_SUCCEEDED(SQLPrimaryKeysW(st.h(), nullptr, 0, nullptr, 0, tabla.ptr(), SQLSMALLINT(c.tablaBase.size()))))
            continue;
        Errors ignorados;
        Resultado claves;
        SQLSMALLINT n = 0;
        if (!SQL_SUCCEEDED(SQLNumResultCols(st.h(), &n)) || n < 4) continue;
        leerFilas(st.h(), n, claves, ignorados);
        for (const Fila& f : claves.filas) {
            const QString col = f[3].toText();
            for (Columna& k : r.columnas)
                if (k.tablaBase.compare(c.tablaBase, Qt::CaseInsensitive) == 0 && k.columnaBase.compare(col, Qt::CaseInsensitive) == 0)
                    k.clave = true;
        }
    }
}

// ---- batches -------------------------------------------------------------------------------

// FreeTDS cancels a batch (ATTENTION) when its first statement fails: the
// server stops there and the errors of what followed never arrive. A batch of
// several statements therefore opens with one that cannot fail and gives an
// empty row set; the driver stops on it, and every later failure comes through
// SQLMoreResults in its order, as the batch runs whole on the server.
constexpr const char* kInicioDeLote = "SELECT 1 WHERE 1 = 0\n";

bool inicioDeLote(const QString& sql)
{
    const std::vector<QString> sentencias = dialecto::dividirLote(sql);
    if (sentencias.size() < 2) return false;
    // CREATE VIEW, PROCEDURE, TRIGGER and FUNCTION must begin their batch.
    const QString primera = sentencias.front().trimmed().section(QLatin1Char(' '), 0, 0).toUpper();
    return primera != QLatin1String("CREATE") && primera != QLatin1String("ALTER");
}

// ---- the provider ------------------------------------------------------------------------

class ProveedorOdbc final : public Proveedor {
public:
    explicit ProveedorOdbc(Destino d) : destino_(d) {}
    ~ProveedorOdbc() override { cerrar(); }

    QString nombre() const override { return QStringLiteral("odbc"); }

    bool abrir(const ParametrosConexion& p, Errors& errores) override
    {
        cerrar();
        tiempoEspera_ = p.tiempoEspera;
        const odbc::TextoOdbc t = odbc::construir(p.texto, destino_, p.usuario, p.clave);
        if (destino_ == Destino::Access && !t.archivo.isEmpty() && !QFileInfo::exists(t.archivo)) {
            // Jet's number for a missing file, which the callers look for to offer a file chooser.
            errores.Add(errorPropio(num::FalloNoEspecificado,
                                    QStringLiteral("No se pudo encontrar el archivo '%1'.").arg(t.archivo), QStringLiteral("3024")));
            return false;
        }
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_))) {
            env_ = nullptr;
            errores.Add(errorPropio(num::FalloNoEspecificado, QStringLiteral("No se pudo iniciar el administrador de controladores ODBC.")));
            return false;
        }
        SQLRETURN rc = SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        if (!SQL_SUCCEEDED(rc)) return fallarApertura(rc, SQL_HANDLE_ENV, env_, errores);
        rc = SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_);
        if (!SQL_SUCCEEDED(rc)) {
            dbc_ = nullptr;
            return fallarApertura(rc, SQL_HANDLE_ENV, env_, errores);
        }
        long espera = t.tiempoConexion > 0 ? t.tiempoConexion : kTiempoConexion;
        if (p.tiempoEspera > 0) espera = std::min(espera, p.tiempoEspera);
        espera = std::max(espera, 1L);
        SQLSetConnectAttr(dbc_, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(static_cast<intptr_t>(espera)), 0);

        TextoW texto(t.texto);
        SQLWCHAR salida[1024];
        SQLSMALLINT largoSalida = 0;
        rc = SQLDriverConnectW(dbc_, nullptr, texto.ptr(), SQLSMALLINT(t.texto.size()), salida, 1024, &largoSalida,
                               SQL_DRIVER_NOPROMPT);
        if (!SQL_SUCCEEDED(rc)) return fallarApertura(rc, SQL_HANDLE_DBC, dbc_, errores);
        conectada_ = true;
        base_ = TextoConexion(p.texto).valorDe({"Database", "Initial Catalog"});
        baseSinMotor_ = false;
        enTransaccion_ = false;
        aislamientoAplicado_ = -1;
        return true;
    }

    void cerrar() override
    {
        if (dbc_) {
            if (conectada_) {
                // Never commit by accident: a pending transaction is undone.
                if (enTransaccion_) SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_ROLLBACK);
                SQLDisconnect(dbc_);
            }
            SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
            dbc_ = nullptr;
        }
        if (env_) {
            SQLFreeHandle(SQL_HANDLE_ENV, env_);
            env_ = nullptr;
        }
        conectada_ = false;
        enTransaccion_ = false;
    }

    Resultado ejecutar(const QString& sql, long& afectadas, Errors& errores, bool actualizable) override
    {
        Resultado r;
        afectadas = 0;
        if (!exigirConexion(errores)) return r;
        const size_t antes = errores.lista().size();
        struct AlSalir {
            std::function<void()> f;
            ~AlSalir() { f(); }
        } revisar{[&] { revisarEnlace(errores, antes); }};
        Sentencia st(dbc_);
        if (!st) {
            anotar(SQL_ERROR, SQL_HANDLE_DBC, dbc_, errores);
            return r;
        }
        aplicarTiempo(st.h());
        const bool inicio = destino_ == Destino::SqlServer && inicioDeLote(sql);
        const QString enviado = inicio ? QString::fromLatin1(kInicioDeLote) + sql : sql;
        TextoW texto(enviado);
        SQLRETURN rc = SQLExecDirectW(st.h(), texto.ptr(), SQLINTEGER(enviado.size()));
        bool conResultado = false;
        bool anotado = false;      // rc's diagnostics already taken
        bool saltar = inicio;      // the empty row set of the opening statement is not the caller's
        int fallosSeguidos = 0;
        for (;;) {
            if (!anotado && (rc == SQL_ERROR || rc == SQL_SUCCESS_WITH_INFO)) anotar(rc, SQL_HANDLE_STMT, st.h(), errores);
            if (saltar && SQL_SUCCEEDED(rc)) {
                saltar = false;
            } else if (SQL_SUCCEEDED(rc) || (rc == SQL_NO_DATA && !anotado)) {
                saltar = false;
                SQLSMALLINT ncols = 0;
                if (SQL_SUCCEEDED(SQLNumResultCols(st.h(), &ncols)) && ncols > 0) {
                    if (!conResultado) {
                        leerFilas(st.h(), ncols, r, errores);
                        conResultado = true;
                    }
                } else {
                    SQLLEN n = 0;
                    if (SQL_SUCCEEDED(SQLRowCount(st.h(), &n)) && n > 0) afectadas += long(n);
                }
            }
            if (rc == SQL_INVALID_HANDLE) break;
            // The batch goes on after a failing statement as far as the driver lets it.
            rc = SQLMoreResults(st.h());
            anotado = false;
            if (rc == SQL_NO_DATA || rc == SQL_INVALID_HANDLE) break;
            if (rc == SQL_ERROR) {
                const auto ds = diagnosticos(SQL_HANDLE_STMT, st.h());
                // No further result after a failure (function sequence error), a dead link, or nothing to say: stop.
                if (ds.empty() || tieneEstado(ds, {"HY010", "08S01"}) || ++fallosSeguidos > 256) {
                    if (tieneEstado(ds, {"08S01"})) anotarLista(ds, errores);
                    break;
                }
                anotarLista(ds, errores);
                anotado = true;
                continue;
            }
            fallosSeguidos = 0;
        }
        if (conResultado && actualizable) marcarClaves(dbc_, r, sql);
        return r;
    }

    bool comenzar(Errors& errores) override
    {
        if (!exigirConexion(errores)) return false;
        if (enTransaccion_) {
            errores.Add(errorPropio(num::FalloNoEspecificado, QStringLiteral("Ya hay una transacción abierta en esta conexión.")));
            return false;
        }
        aplicarAislamiento();
        const SQLRETURN rc = SQLSetConnectAttr(dbc_, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0);
        if (!SQL_SUCCEEDED(rc)) {
            const size_t antes = errores.lista().size();
            anotar(rc, SQL_HANDLE_DBC, dbc_, errores);
            revisarEnlace(errores, antes);
            return false;
        }
        enTransaccion_ = true;
        return true;
    }

    bool confirmar(Errors& errores) override { return terminar(SQL_COMMIT, errores); }
    bool deshacer(Errors& errores) override { return terminar(SQL_ROLLBACK, errores); }

    void fijarTiempoEspera(long segundos) override { tiempoEspera_ = segundos; }

    // As the classic connection does, the level waits for the next BeginTrans:
    // setting it never changes the session by itself.
    void fijarAislamiento(long nivel) override { aislamiento_ = nivel; }

private:
    void aplicarAislamiento()
    {
        if (!conectada_ || aislamiento_ < 0 || aislamiento_ == aislamientoAplicado_) return;
        SQLULEN v = 0;
        switch (aislamiento_) {
        case 256: v = SQL_TXN_READ_UNCOMMITTED; break;
        case 4096: v = SQL_TXN_READ_COMMITTED; break;
        case 65536: v = SQL_TXN_REPEATABLE_READ; break;
        case 1048576: v = SQL_TXN_SERIALIZABLE; break;
        default: return;
        }
        // Drivers that do not offer the level keep their own.
        if (SQL_SUCCEEDED(SQLSetConnectAttr(dbc_, SQL_ATTR_TXN_ISOLATION, reinterpret_cast<SQLPOINTER>(v), 0))) aislamientoAplicado_ = aislamiento_;
    }

public:

    bool fijarBaseDefecto(const QString& base, Errors& errores) override
    {
        if (!exigirConexion(errores)) return false;
        TextoW b(base);
        const SQLRETURN rc = SQLSetConnectAttrW(dbc_, SQL_ATTR_CURRENT_CATALOG, b.ptr(), SQL_NTS);  // unixODBC misreads a byte length here
        if (SQL_SUCCEEDED(rc)) {
            base_ = base;
            baseSinMotor_ = false;
            return true;
        }
        const auto ds = diagnosticos(SQL_HANDLE_DBC, dbc_);
        if (tieneEstado(ds, {"HYC00", "IM001", "HY092"})) {
            // The driver has no catalogs (an SQLite file is one database).
            base_ = base;
            baseSinMotor_ = true;
            return true;
        }
        const size_t antes = errores.lista().size();
        anotarLista(ds, errores);
        if (ds.empty()) errores.Add(errorPropio(num::FalloNoEspecificado, descripcionClasica(num::FalloNoEspecificado)));
        revisarEnlace(errores, antes);
        return false;
    }

    QString baseDefecto() const override
    {
        if (!conectada_ || baseSinMotor_) return base_;
        SQLWCHAR buf[512] = {};
        SQLINTEGER largo = 0;
        const SQLRETURN rc = SQLGetConnectAttrW(dbc_, SQL_ATTR_CURRENT_CATALOG, buf, SQLINTEGER(sizeof buf - sizeof(SQLWCHAR)), &largo);
        if (SQL_SUCCEEDED(rc) && largo > 0) return deW(buf, std::min<qsizetype>(largo / SQLINTEGER(sizeof(SQLWCHAR)), 511));
        return base_;
    }

    Resultado esquema(long esquema, const std::vector<Variant>& restr, Errors& errores) override
    {
        Resultado r;
        r.conFilas = true;
        if (!exigirConexion(errores)) return r;
        if (esquema != 20 && esquema != 4) {
            errores.Add(errorPropio(num::NoPermitidoContexto, QStringLiteral("Esquema no disponible en este proveedor: %1.").arg(esquema)));
            return r;
        }
        auto restriccion = [&](size_t i) -> std::optional<QString> {
            if (i >= restr.size() || restr[i].isEmpty() || restr[i].isNull()) return std::nullopt;
            return restr[i].toText();
        };
        const bool catalogos = admiteCatalogos();
        std::optional<QString> cat = catalogos ? restriccion(0) : std::nullopt;
        const std::optional<QString> esq = restriccion(1), tabla = restriccion(2), cuarta = restriccion(3);

        // Schema, table and column arguments are patterns to ODBC: "_" is a wildcard.
        const QString escape = infoTexto(SQL_SEARCH_PATTERN_ESCAPE);
        auto patron = [&](const std::optional<QString>& v) -> std::optional<QString> {
            if (!v || escape.isEmpty()) return v;
            QString s;
            for (QChar c : *v) {
                if (c == QLatin1Char('_') || c == QLatin1Char('%') || QString(c) == escape) s += escape;
                s += c;
            }
            return s;
        };
        struct Arg {
            explicit Arg(const std::optional<QString>& v) : texto(v.value_or(QString())), hay(v.has_value()) {}
            SQLWCHAR* ptr() { return hay ? texto.ptr() : nullptr; }
            SQLSMALLINT largo() const { return hay ? SQLSMALLINT(texto.bytes() / SQLINTEGER(sizeof(SQLWCHAR))) : 0; }
            TextoW texto;
            bool hay;
        };
        Arg aCat(cat), aEsq(patron(esq)), aTabla(patron(tabla)), aCuarta(esquema == 20 ? cuarta : patron(cuarta));

        Sentencia st(dbc_);
        if (!st) {
            anotar(SQL_ERROR, SQL_HANDLE_DBC, dbc_, errores);
            return r;
        }
        aplicarTiempo(st.h());
        SQLRETURN rc;
        if (esquema == 20)
            rc = SQLTablesW(st.h(), aCat.ptr(), aCat.largo(), aEsq.ptr(), aEsq.largo(), aTabla.ptr(), aTabla.largo(),
                            aCuarta.ptr(), aCuarta.largo());
        else
            rc = SQLColumnsW(st.h(), aCat.ptr(), aCat.largo(), aEsq.ptr(), aEsq.largo(), aTabla.ptr(), aTabla.largo(),
                             aCuarta.ptr(), aCuarta.largo());
        if (!SQL_SUCCEEDED(rc)) {
            const size_t antes = errores.lista().size();
            anotar(rc, SQL_HANDLE_STMT, st.h(), errores);
            revisarEnlace(errores, antes);
            return r;
        }
        Resultado bruto;
        SQLSMALLINT ncols = 0;
        SQLNumResultCols(st.h(), &ncols);
        if (ncols > 0) leerFilas(st.h(), ncols, bruto, errores);

        auto texto = [](const Variant& v) { return v.isNull() || v.isEmpty() ? Variant::nulo() : Variant(v.toText()); };
        auto igual = [](const Variant& v, const std::optional<QString>& x) {
            return !x || v.isNull() || v.toText().compare(*x, Qt::CaseInsensitive) == 0;
        };
        auto col = [](const QString& n, long t, long tam) {
            Columna c;
            c.nombre = n;
            c.tipo = t;
            c.tamano = tam;
            return c;
        };
        if (esquema == 20) {
            r.columnas = {col(QStringLiteral("TABLE_CATALOG"), tipo::VarWChar, 128), col(QStringLiteral("TABLE_SCHEMA"), tipo::VarWChar, 128),
                          col(QStringLiteral("TABLE_NAME"), tipo::VarWChar, 128), col(QStringLiteral("TABLE_TYPE"), tipo::VarWChar, 32)};
            for (const Fila& f : bruto.filas) {
                if (f.size() < 4) continue;
                if (!igual(f[0], cat) || !igual(f[1], esq) || !igual(f[2], tabla) || !igual(f[3], cuarta)) continue;
                r.filas.push_back({texto(f[0]), texto(f[1]), texto(f[2]), texto(f[3])});
            }
        } else {
            r.columnas = {col(QStringLiteral("TABLE_CATALOG"), tipo::VarWChar, 128), col(QStringLiteral("TABLE_SCHEMA"), tipo::VarWChar, 128),
                          col(QStringLiteral("TABLE_NAME"), tipo::VarWChar, 128), col(QStringLiteral("COLUMN_NAME"), tipo::VarWChar, 128),
                          col(QStringLiteral("ORDINAL_POSITION"), tipo::Integer, 4), col(QStringLiteral("IS_NULLABLE"), tipo::Boolean, 2),
                          col(QStringLiteral("DATA_TYPE"), tipo::SmallInt, 2), col(QStringLiteral("CHARACTER_MAXIMUM_LENGTH"), tipo::Integer, 4),
                          col(QStringLiteral("COLUMN_DEFAULT"), tipo::VarWChar, 255), col(QStringLiteral("NUMERIC_PRECISION"), tipo::SmallInt, 2),
                          col(QStringLiteral("NUMERIC_SCALE"), tipo::SmallInt, 2)};
            for (const Fila& f : bruto.filas) {
                if (f.size() < 18) continue;
                if (!igual(f[0], cat) || !igual(f[1], esq) || !igual(f[2], tabla) || !igual(f[3], cuarta)) continue;
                const auto tipoSql = SQLSMALLINT(f[4].toLong());
                const Forma forma = formaDe(tipoSql, SQLULEN(std::max(0, f[6].toLong())), SQLSMALLINT(f[8].toLong()), f[5].toText());
                const bool esTexto = forma.lectura == Lectura::Texto && forma.tipoAdo != tipo::VarBinary && forma.tipoAdo != tipo::LongVarBinary && forma.tipoAdo != 72;
                const bool esNumero = forma.lectura == Lectura::Entero || forma.lectura == Lectura::Entero16 || forma.lectura == Lectura::Real
                    || forma.lectura == Lectura::Moneda;
                const QString nulable = f[17].toText().trimmed();
                r.filas.push_back({texto(f[0]), texto(f[1]), texto(f[2]), texto(f[3]),
                                   Variant(int32_t(f[16].toLong())),
                                   nulable.isEmpty() ? Variant(f[10].toLong() != SQL_NO_NULLS) : Variant(nulable.compare(QLatin1String("NO"), Qt::CaseInsensitive) != 0),
                                   Variant::entero16(int16_t(forma.tipoAdo)),
                                   esTexto && !f[6].isNull() ? Variant(int32_t(f[6].toLong())) : Variant::nulo(),
                                   texto(f[12]),
                                   esNumero && !f[6].isNull() ? Variant::entero16(int16_t(f[6].toLong())) : Variant::nulo(),
                                   esNumero && !f[8].isNull() ? Variant::entero16(int16_t(f[8].toLong())) : Variant::nulo()});
            }
        }
        return r;
    }

private:
    bool enlaceMuerto() const
    {
        SQLUINTEGER muerta = SQL_CD_FALSE;
        return dbc_ && SQL_SUCCEEDED(SQLGetConnectAttr(dbc_, SQL_ATTR_CONNECTION_DEAD, &muerta, 0, nullptr)) && muerta == SQL_CD_TRUE;
    }

    // FreeTDS answers the first call after the link dropped with HY000
    // "Unknown error". On a dead connection that entry is the link's failure:
    // the driver is asked once more, so the caller gets its own words for a
    // lost link (08S01) and takes the lost-connection path.
    void revisarEnlace(Errors& errores, size_t desde)
    {
        const std::vector<Error> antes = errores.lista();
        bool delControlador = false;
        for (size_t i = desde; i < antes.size(); ++i)
            if (antes[i].NativeError == 0 && !antes[i].SQLState.startsWith(QLatin1String("08"))) delControlador = true;
        if (!delControlador || !enlaceMuerto()) return;
        std::vector<Diagnostico> enlace;
        {
            Sentencia st(dbc_);
            if (st) {
                const QString prueba = QStringLiteral("SELECT 1");
                TextoW t(prueba);
                if (SQLExecDirectW(st.h(), t.ptr(), SQLINTEGER(prueba.size())) == SQL_ERROR)
                    for (const Diagnostico& d : diagnosticos(SQL_HANDLE_STMT, st.h()))
                        if (d.estado.startsWith(QLatin1String("08"))) enlace.push_back(d);
            }
        }
        if (enlace.empty()) enlace.push_back({QStringLiteral("08S01"), 0, QStringLiteral("[FreeTDS][SQL Server]Communication link failure")});
        errores.Clear();
        for (size_t i = 0; i < antes.size(); ++i)
            if (i < desde || antes[i].NativeError != 0 || antes[i].SQLState.startsWith(QLatin1String("08"))) errores.Add(antes[i]);
        for (const Diagnostico& d : enlace) errores.Add(errorDe(d));
    }

    bool fallarApertura(SQLRETURN rc, SQLSMALLINT tipo, SQLHANDLE h, Errors& errores)
    {
        anotar(rc == SQL_SUCCESS_WITH_INFO ? SQL_ERROR : rc, tipo, h, errores);
        cerrar();
        return false;
    }

    bool exigirConexion(Errors& errores) const
    {
        if (conectada_) return true;
        errores.Add(errorPropio(num::ConexionInvalida, descripcionClasica(num::ConexionInvalida)));
        return false;
    }

    void aplicarTiempo(SQLHSTMT st) const
    {
        if (tiempoEspera_ > 0)
            SQLSetStmtAttr(st, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(static_cast<intptr_t>(tiempoEspera_)), 0);
    }

    bool terminar(SQLSMALLINT como, Errors& errores)
    {
        if (!exigirConexion(errores)) return false;
        if (!enTransaccion_) {
            errores.Add(errorPropio(num::NoPermitidoContexto, QStringLiteral("No hay ninguna transacción abierta.")));
            return false;
        }
        const SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, dbc_, como);
        if (!SQL_SUCCEEDED(rc)) {
            // The transaction stays open: turning autocommit back on now would commit it.
            const size_t antes = errores.lista().size();
            anotar(rc, SQL_HANDLE_DBC, dbc_, errores);
            revisarEnlace(errores, antes);
            return false;
        }
        enTransaccion_ = false;
        const SQLRETURN rc2 = SQLSetConnectAttr(dbc_, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
        if (!SQL_SUCCEEDED(rc2)) {
            anotar(rc2, SQL_HANDLE_DBC, dbc_, errores);
            return false;
        }
        return true;
    }

    QString infoTexto(SQLUSMALLINT que) const
    {
        SQLWCHAR buf[64] = {};
        SQLSMALLINT largo = 0;
        if (!SQL_SUCCEEDED(SQLGetInfoW(dbc_, que, buf, SQLSMALLINT(sizeof buf - sizeof(SQLWCHAR)), &largo))) return QString();
        return deW(buf, std::min<qsizetype>(largo / SQLSMALLINT(sizeof(SQLWCHAR)), 63));
    }

    bool admiteCatalogos() const
    {
        const QString s = infoTexto(SQL_CATALOG_NAME);
        return s.isEmpty() || s.compare(QLatin1String("N"), Qt::CaseInsensitive) != 0;
    }

    Destino destino_;
    SQLHENV env_ = nullptr;
    SQLHDBC dbc_ = nullptr;
    bool conectada_ = false;
    bool enTransaccion_ = false;
    long tiempoEspera_ = 30;
    long aislamiento_ = -1;
    long aislamientoAplicado_ = -1;   // what the session was last told
    QString base_;
    bool baseSinMotor_ = false;
};

}  // namespace

namespace odbc {
int32_t numeroDeEstado(const QString& estado)
{
    if (estado.startsWith(QLatin1String("08")) || estado.startsWith(QLatin1String("IM")) || estado.startsWith(QLatin1String("01")))
        return num::FalloNoEspecificado;
    if (estado.startsWith(QLatin1String("23"))) return num::Integridad;
    if (estado == QLatin1String("42S02")) return num::TablaNoExiste;
    if (estado == QLatin1String("HYT00") || estado == QLatin1String("HYT01")) return num::TiempoAgotado;
    return num::ErrorEnComando;
}
}  // namespace odbc

std::unique_ptr<Proveedor> crearProveedorOdbc(Destino destino)
{
    return std::make_unique<ProveedorOdbc>(destino);
}

}  // namespace ado
