// servidor_tds: stands in for SQL Server in the tests, and only there.
//
// It speaks TDS 7.4 on 127.0.0.1 to FreeTDS's ODBC driver and runs each
// statement on one SQLite file through the embedded provider of ado/, so the
// suite's dialect is rewritten exactly as for the embedded engine. No
// encryption, SQL logins only, one thread per client (each with its own
// provider connection on the shared file).
//
//   servidor_tds --archivo RUTA.db [--base NOMBRE] [--puerto N]
//                [--usuario NOMBRE:CLAVE[:BASE]]... [--usuarios ARCHIVO]
//                [--intercalacion Modern_Spanish_CI_AS|Latin1_General_CI_AS]
//                [--idioma us_english|Español] [--truncado-2628] [--traza]
//
// The first line on stdout is the port it listens on (--puerto 0, the default,
// takes a free one). --base is the database name clients log in to (the file's
// base name by default); the users file holds one NOMBRE:CLAVE[:BASE] a line.
// --traza writes every request received to stderr. --idioma is the logins'
// language (us_english by default): it decides how a character literal that
// meets a datetime column is read (month first or day first), as SQL Server's
// DATEFORMAT does; SET DATEFORMAT and SET LANGUAGE change it per session.
// --truncado-2628 reports truncation as SQL Server 2019 and later do (2628,
// naming table and value) instead of 8152.
//
// Commands, one a line on stdin, each answered "ok" or "error ..." on stdout:
//   cortar     drops every open connection at once (a lost link)
//   rechazar   stops listening: new connections are refused, as by a stopped server
//   aceptar    listens again on the same port (the server is back)
//   eco        answers "ok" (what was traced before it has reached stderr)
//   salir      closes everything and exits (so does the end of stdin)
//
// Besides plain batches it serves what FreeTDS sends on its own: SET
// statements (accepted, NOCOUNT honoured), USE, transaction manager requests,
// ATTENTION, the catalog procedures sp_tables, sp_columns and sp_pkeys, and
// sp_executesql, sp_prepare, sp_prepexec, sp_execute, sp_unprepare (values
// written into the statement as literals). WAITFOR DELAY 'hh:mm:ss' sleeps until the delay ends or the
// client cancels, so tests can make a statement slow on purpose.
#include "Tds.h"
#include "FechasTds.h"

#include "ado/DialectoSqlite.h"
#include "ado/Proveedor.h"
#include "companion/Cp1252.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

#include <sqlite3.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <iostream>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using ado::Variant;
using tds::Flujo;
using tds::Lector;

// ---------------------------------------------------------------- configuration

struct Usuario {
    QString clave;
    QString base;   // default database, empty for the server's one
};

struct Config {
    QString archivo;
    QString base;
    int puerto = 0;
    std::map<QString, Usuario> usuarios;   // by lower-case name
    QString intercalacion = QStringLiteral("Modern_Spanish_CI_AS");
    QString idioma = QStringLiteral("us_english");
    bool truncado2628 = false;             // truncation as SQL Server 2019 and later report it
    QByteArray intercalacionBytes;         // the 5 bytes sent on the wire
    bool traza = false;
};

Config config;
std::atomic<int> siguienteSpid{51};

// LCID, flags (CI, AS, kana and width insensitive), sort id 0: code page 1252.
QByteArray bytesIntercalacion(const QString& nombre)
{
    const uint32_t lcid = nombre.startsWith(QLatin1String("Modern_Spanish"), Qt::CaseInsensitive) ? 0x0C0A : 0x0409;
    const uint32_t v = lcid | 0x00D00000u;
    QByteArray b;
    for (int i = 0; i < 4; ++i) b.append(static_cast<char>((v >> (8 * i)) & 0xFF));
    b.append('\0');
    return b;
}

void traza(const QString& s)
{
    if (!config.traza) return;
    std::cerr << s.toStdString() << std::endl;
}

// ---------------------------------------------------------------- I/O

bool leerTodo(int fd, char* p, size_t n)
{
    while (n > 0) {
        const ssize_t r = ::recv(fd, p, n, 0);
        if (r <= 0) {
            if (r < 0 && errno == EINTR) continue;
            return false;
        }
        p += r;
        n -= static_cast<size_t>(r);
    }
    return true;
}

bool escribirTodo(int fd, const char* p, size_t n)
{
    while (n > 0) {
        const ssize_t r = ::send(fd, p, n, MSG_NOSIGNAL);
        if (r <= 0) {
            if (r < 0 && errno == EINTR) continue;
            return false;
        }
        p += r;
        n -= static_cast<size_t>(r);
    }
    return true;
}

// ---------------------------------------------------------------- SQLite side

// Each provider connection opened in this process passes here: the session
// that opened it (on its own thread) keeps the handle to interrupt it and to
// read the schema.
thread_local sqlite3* ultimaBaseAbierta = nullptr;

void fnDivisor(sqlite3_context* c, int, sqlite3_value** v)
{
    const int t = sqlite3_value_numeric_type(v[0]);
    if ((t == SQLITE_INTEGER && sqlite3_value_int64(v[0]) == 0) || (t == SQLITE_FLOAT && sqlite3_value_double(v[0]) == 0.0)) {
        sqlite3_result_error(c, "Divide by zero error encountered.", -1);
        return;
    }
    sqlite3_result_value(c, v[0]);
}

// SQL Server refuses to read "abc" as a number; SQLite would give 0.
void fnEntero(sqlite3_context* c, int, sqlite3_value** v)
{
    if (sqlite3_value_type(v[0]) == SQLITE_TEXT) {
        const QString s = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(v[0])));
        static const QRegularExpression entero(QStringLiteral("^\\s*[+-]?\\d+\\s*$"));
        if (!entero.match(s).hasMatch()) {
            const QString tipo = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(v[1]))).toLower();
            const QByteArray m = QStringLiteral("Conversion failed when converting the varchar value '%1' to data type %2.").arg(s, tipo).toUtf8();
            sqlite3_result_error(c, m.constData(), static_cast<int>(m.size()));
            return;
        }
        sqlite3_result_int64(c, s.trimmed().toLongLong());
        return;
    }
    sqlite3_result_value(c, v[0]);
}

// A datetime column's stored text in the shape of the rewritten literals.
void fnFecha(sqlite3_context* c, int, sqlite3_value** v)
{
    if (sqlite3_value_type(v[0]) != SQLITE_TEXT) {
        sqlite3_result_value(c, v[0]);
        return;
    }
    const QByteArray b = tds::fechas::normal(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(v[0])))).toUtf8();
    sqlite3_result_text(c, b.constData(), static_cast<int>(b.size()), SQLITE_TRANSIENT);
}

int alAbrirBase(sqlite3* db, char**, const sqlite3_api_routines*)
{
    ultimaBaseAbierta = db;
    sqlite3_create_function(db, "tds_fecha", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, fnFecha, nullptr, nullptr);
    sqlite3_create_function(db, "tds_divisor", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, fnDivisor, nullptr, nullptr);
    sqlite3_create_function(db, "tds_entero", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, fnEntero, nullptr, nullptr);
    return SQLITE_OK;
}

// A declared column type, with what SQL Server would say of it.
struct TipoDeclarado {
    QString base;          // upper case, e.g. VARCHAR
    int largo = -1;        // (n); -2 for MAX
    int precision = -1, escala = -1;
};

TipoDeclarado leerTipo(const char* decl)
{
    TipoDeclarado t;
    if (!decl) return t;
    static const QRegularExpression forma(
        QStringLiteral("^\\s*([A-Za-z_ ]*[A-Za-z_0-9]*)\\s*(?:\\(\\s*(\\d+|MAX|max)\\s*(?:,\\s*(\\d+)\\s*)?\\))?"));
    const auto m = forma.match(QString::fromUtf8(decl));
    t.base = m.captured(1).simplified().toUpper();
    if (!m.captured(2).isEmpty()) {
        if (m.captured(2).compare(QLatin1String("MAX"), Qt::CaseInsensitive) == 0) t.largo = -2;
        else t.largo = m.captured(2).toInt();
    }
    if (!m.captured(3).isEmpty()) {
        t.precision = t.largo;
        t.escala = m.captured(3).toInt();
    } else if (t.largo > 0) {
        t.precision = t.largo;
    }
    return t;
}

// ---------------------------------------------------------------- result encoding

enum class Clase { Texto, TextoN, Fijo, FijoN, Entero, Bit, Moneda, Decimal, Real, FechaHora, Fecha, Binario };

struct ColTds {
    QString nombre;
    Clase clase = Clase::TextoN;
    int largo = 0;          // characters of text, bytes of integers and binaries; -1 = MAX
    int precision = 18, escala = 0;
};

bool esMax(const ColTds& c)
{
    if (c.largo < 0) return true;
    switch (c.clase) {
    case Clase::Texto: case Clase::Fijo: case Clase::Binario: return c.largo > 8000;
    case Clase::TextoN: case Clase::FijoN: return c.largo > 4000;
    default: return false;
    }
}

int bytesDecimal(int precision)
{
    return precision <= 9 ? 5 : precision <= 19 ? 9 : precision <= 28 ? 13 : 17;
}

void tipoInfo(Flujo& f, const ColTds& c)
{
    const bool max = esMax(c);
    switch (c.clase) {
    case Clase::Texto: f.u8(0xA7); f.u16(max ? 0xFFFF : static_cast<unsigned>(std::max(c.largo, 1))); f.bytes(config.intercalacionBytes); break;
    case Clase::TextoN: f.u8(0xE7); f.u16(max ? 0xFFFF : static_cast<unsigned>(std::max(c.largo, 1) * 2)); f.bytes(config.intercalacionBytes); break;
    case Clase::Fijo: f.u8(0xAF); f.u16(static_cast<unsigned>(std::max(c.largo, 1))); f.bytes(config.intercalacionBytes); break;
    case Clase::FijoN: f.u8(0xEF); f.u16(static_cast<unsigned>(std::max(c.largo, 1) * 2)); f.bytes(config.intercalacionBytes); break;
    case Clase::Entero: f.u8(0x26); f.u8(static_cast<unsigned>(c.largo)); break;
    case Clase::Bit: f.u8(0x68); f.u8(1); break;
    case Clase::Moneda: f.u8(0x6E); f.u8(8); break;
    case Clase::Real: f.u8(0x6D); f.u8(8); break;
    case Clase::FechaHora: f.u8(0x6F); f.u8(8); break;
    case Clase::Fecha: f.u8(0x28); break;
    case Clase::Decimal: f.u8(0x6A); f.u8(static_cast<unsigned>(bytesDecimal(c.precision))); f.u8(static_cast<unsigned>(c.precision)); f.u8(static_cast<unsigned>(c.escala)); break;
    case Clase::Binario: f.u8(0xA5); f.u16(max ? 0xFFFF : static_cast<unsigned>(std::max(c.largo, 1))); break;
    }
}

void colMetadata(Flujo& f, const std::vector<ColTds>& cols)
{
    f.u8(tds::kColMetadata);
    f.u16(static_cast<unsigned>(cols.size()));
    for (const ColTds& c : cols) {
        f.u32(0);          // user type
        f.u16(0x0001);     // nullable
        tipoInfo(f, c);
        f.bvarchar(c.nombre);
    }
}

void plp(Flujo& f, const QByteArray& datos)
{
    f.u64(static_cast<uint64_t>(datos.size()));
    if (!datos.isEmpty()) {
        f.u32(static_cast<uint32_t>(datos.size()));
        f.bytes(datos);
    }
    f.u32(0);
}

QByteArray utf16Bytes(const QString& s)
{
    Flujo f;
    f.utf16(s);
    return f.b;
}

// Exact decimal digits of a value at a scale ("-12345" for -123.45 at 2).
QString digitosDecimal(const Variant& v, int escala)
{
    if (v.tipo() == Variant::Tipo::Currency) {
        int64_t m = v.toCurrency();
        QString s = QString::number(m < 0 ? -m : m).rightJustified(5, QLatin1Char('0'));
        QString entero = s.left(s.size() - 4), frac = s.right(4);
        frac = escala <= 4 ? frac.left(escala) : frac + QString(escala - 4, QLatin1Char('0'));
        return (m < 0 ? QStringLiteral("-") : QString()) + entero + frac;
    }
    const QString t = QString::number(v.toDouble(), 'f', escala);
    QString r = t;
    r.remove(QLatin1Char('.'));
    return r;
}

void valor(Flujo& f, const ColTds& c, const Variant& v)
{
    const bool nulo = v.isNull() || v.isEmpty();
    switch (c.clase) {
    case Clase::Texto: case Clase::Fijo: case Clase::TextoN: case Clase::FijoN: {
        const bool ancho = c.clase == Clase::TextoN || c.clase == Clase::FijoN;
        QString s = v.toText();
        if ((c.clase == Clase::Fijo || c.clase == Clase::FijoN) && s.size() < c.largo) s = s.leftJustified(c.largo, QLatin1Char(' '));
        const QByteArray datos = ancho ? utf16Bytes(s) : velmora::aCp1252(s);
        if (esMax(c)) {
            if (nulo) f.u64(~0ull);
            else plp(f, datos);
        } else if (nulo) {
            f.u16(0xFFFF);
        } else {
            f.u16(static_cast<unsigned>(datos.size()));
            f.bytes(datos);
        }
        return;
    }
    case Clase::Binario: {
        const QByteArray datos = v.toText().toUtf8();
        if (esMax(c)) {
            if (nulo) f.u64(~0ull);
            else plp(f, datos);
        } else if (nulo) {
            f.u16(0xFFFF);
        } else {
            f.u16(static_cast<unsigned>(datos.size()));
            f.bytes(datos);
        }
        return;
    }
    default: break;
    }
    if (nulo) {
        f.u8(0);
        return;
    }
    switch (c.clase) {
    case Clase::Entero: {
        const int64_t n = std::llround(v.toDouble());
        f.u8(static_cast<unsigned>(c.largo));
        for (int i = 0; i < c.largo; ++i) f.u8(static_cast<unsigned>((static_cast<uint64_t>(n) >> (8 * i)) & 0xFF));
        return;
    }
    case Clase::Bit: f.u8(1); f.u8(v.toBool() ? 1 : 0); return;
    case Clase::Moneda: {
        const int64_t m = v.tipo() == Variant::Tipo::Currency ? v.toCurrency() : std::llround(v.toDouble() * 10000.0);
        f.u8(8);
        f.u32(static_cast<uint32_t>(static_cast<uint64_t>(m) >> 32));
        f.u32(static_cast<uint32_t>(static_cast<uint64_t>(m) & 0xFFFFFFFFu));
        return;
    }
    case Clase::Real: {
        const double d = v.toDouble();
        uint64_t bits;
        std::memcpy(&bits, &d, sizeof bits);
        f.u8(8);
        f.u64(bits);
        return;
    }
    case Clase::FechaHora: {
        // Days since 1900-01-01 and 1/300 s ticks, milliseconds rounded as SQL Server stores them.
        const QDateTime d = v.toDate();
        int64_t dias = QDate(1900, 1, 1).daysTo(d.date());
        int64_t tics = (static_cast<int64_t>(d.time().msecsSinceStartOfDay()) * 3 + 5) / 10;
        if (tics >= 25920000) { tics -= 25920000; ++dias; }
        f.u8(8);
        f.u32(static_cast<uint32_t>(static_cast<int32_t>(dias)));
        f.u32(static_cast<uint32_t>(tics));
        return;
    }
    case Clase::Fecha: {
        const int64_t dias = QDate(1, 1, 1).daysTo(v.toDate().date());
        f.u8(3);
        f.u8(dias & 0xFF); f.u8((dias >> 8) & 0xFF); f.u8((dias >> 16) & 0xFF);
        return;
    }
    case Clase::Decimal: {
        QString dig = digitosDecimal(v, c.escala);
        const bool negativo = dig.startsWith(QLatin1Char('-'));
        if (negativo) dig.remove(0, 1);
        unsigned __int128 m = 0;
        for (QChar ch : dig) m = m * 10 + static_cast<unsigned>(ch.digitValue());
        const int n = bytesDecimal(c.precision);
        f.u8(static_cast<unsigned>(n));
        f.u8(negativo ? 0 : 1);
        for (int i = 0; i < n - 1; ++i) f.u8(static_cast<unsigned>((m >> (8 * i)) & 0xFF));
        return;
    }
    default: return;
    }
}

void fila(Flujo& f, const std::vector<ColTds>& cols, const ado::Fila& valores)
{
    f.u8(tds::kFila);
    for (size_t i = 0; i < cols.size(); ++i) valor(f, cols[i], i < valores.size() ? valores[i] : Variant::nulo());
}

bool esNumero(const Variant& v)
{
    switch (v.tipo()) {
    case Variant::Tipo::Null: case Variant::Tipo::Empty: case Variant::Tipo::Long: case Variant::Tipo::Integer:
    case Variant::Tipo::Double: case Variant::Tipo::Currency: case Variant::Tipo::Boolean: return true;
    default: return false;
    }
}

bool cabeEnCp1252(const QString& s)
{
    return velmora::desdeCp1252(velmora::aCp1252(s)) == s;
}

// The wire type of each column: the provider's ADO type, the declared type
// for sizes, precision and scale, and the values themselves where SQLite
// stored something its declared type cannot hold.
std::vector<ColTds> columnasTds(const ado::Resultado& r, const std::vector<std::optional<TipoDeclarado>>& declarados)
{
    namespace t = ado::tipo;
    std::vector<ColTds> cols;
    for (size_t i = 0; i < r.columnas.size(); ++i) {
        const ado::Columna& c = r.columnas[i];
        const std::optional<TipoDeclarado> d = i < declarados.size() ? declarados[i] : std::nullopt;
        ColTds x;
        x.nombre = c.nombre;
        auto todos = [&](auto pred) {
            for (const ado::Fila& f : r.filas)
                if (i < f.size() && !pred(f[i])) return false;
            return true;
        };
        int largoMax = 0;
        for (const ado::Fila& f : r.filas)
            if (i < f.size() && !f[i].isNull()) largoMax = std::max(largoMax, static_cast<int>(f[i].toText().size()));
        auto largoTexto = [&](long declarado) {
            if (declarado >= 2147483647L || (d && d->largo == -2)) return -1;
            return std::max(static_cast<int>(declarado > 0 ? declarado : 1), largoMax);
        };
        switch (c.tipo) {
        case t::VarChar: case t::LongVarChar:
            x.clase = Clase::Texto;
            // An expression's text that the code page cannot hold is nvarchar, as N'...' would be.
            if (!d && !todos([](const Variant& v) { return v.isNull() || cabeEnCp1252(v.toText()); })) x.clase = Clase::TextoN;
            x.largo = largoTexto(c.tamano);
            break;
        case t::Char: x.clase = Clase::Fijo; x.largo = largoTexto(c.tamano); break;
        case t::WChar: x.clase = Clase::FijoN; x.largo = largoTexto(c.tamano); break;
        case t::VarWChar: case t::LongVarWChar: case t::BSTR: x.clase = Clase::TextoN; x.largo = largoTexto(c.tamano); break;
        case t::Integer: case t::SmallInt: case t::TinyInt: case t::BigInt: {
            x.clase = Clase::Entero;
            x.largo = c.tipo == t::Integer ? 4 : c.tipo == t::SmallInt ? 2 : c.tipo == t::TinyInt ? 1 : 8;
            double lo = 0, hi = 0;
            for (const ado::Fila& f : r.filas)
                if (i < f.size() && !f[i].isNull()) { lo = std::min(lo, f[i].toDouble()); hi = std::max(hi, f[i].toDouble()); }
            if (x.largo == 1 && (lo < 0 || hi > 255)) x.largo = 2;
            if (x.largo == 2 && (lo < -32768 || hi > 32767)) x.largo = 4;
            if (x.largo == 4 && (lo < -2147483648.0 || hi > 2147483647.0)) x.largo = 8;
            break;
        }
        case t::Boolean: x.clase = Clase::Bit; break;
        case t::Currency: x.clase = Clase::Moneda; break;
        case t::Single: case t::Double: x.clase = Clase::Real; break;
        case t::Numeric:
            x.clase = Clase::Decimal;
            x.precision = d && d->precision > 0 ? std::min(d->precision, 38) : 18;
            x.escala = d && d->escala >= 0 ? std::min(d->escala, x.precision) : 0;
            break;
        case t::DBTimeStamp: case t::Date: x.clase = Clase::FechaHora; break;
        case t::DBDate: x.clase = Clase::Fecha; break;
        case t::VarBinary: case t::LongVarBinary:
            x.clase = Clase::Binario;
            x.largo = c.tamano >= 2147483647L ? -1 : std::max(static_cast<int>(c.tamano), largoMax);
            break;
        default: x.clase = Clase::TextoN; x.largo = std::max(largoMax, 1); break;
        }
        // SQLite keeps whatever it was given: text in a typed column goes out as text.
        const bool numerica = x.clase == Clase::Entero || x.clase == Clase::Bit || x.clase == Clase::Moneda || x.clase == Clase::Decimal
            || x.clase == Clase::Real;
        const bool fecha = x.clase == Clase::FechaHora || x.clase == Clase::Fecha;
        if ((numerica && !todos(esNumero))
            || (fecha && !todos([](const Variant& v) { return v.isNull() || v.tipo() == Variant::Tipo::Date; }))) {
            x.clase = Clase::TextoN;
            x.largo = std::max(largoMax, 1);
        }
        cols.push_back(x);
    }
    return cols;
}

// ---------------------------------------------------------------- errors as SQL Server numbers them

struct Gravedad {
    int32_t numero;
    uint8_t estado;
    uint8_t clase;
};

Gravedad gravedadDe(const ado::Error& e)
{
    int32_t n = e.NativeError;
    if (n == 0) {
        if (e.Description.startsWith(QLatin1String("Divide by zero error encountered."))) n = 8134;
        else if (e.Description.startsWith(QLatin1String("Conversion failed when converting"))) n = 245;
        else if (e.SQLState == QLatin1String("HYT00")) n = 1222;
    }
    switch (n) {
    case 2627: return {n, 1, 14};
    case 2601: return {n, 1, 14};
    case 547: return {n, 0, 16};
    case 515: return {n, 2, 16};
    case 8152: return {n, 14, 16};
    case 2628: return {n, 1, 16};
    case 208: return {n, 1, 16};
    case 207: return {n, 1, 16};
    case 209: return {n, 1, 16};
    case 102: return {n, 1, 15};
    case 195: return {n, 10, 15};
    case 245: return {n, 1, 16};
    case 8134: return {n, 1, 16};
    case 2714: return {n, 6, 16};
    case 3902: case 3903: return {n, 1, 16};
    case 911: return {n, 1, 16};
    case 1222: return {n, 56, 16};
    case 3621: return {n, 0, 0};
    case 0: return {50000, 1, 16};
    default: return {n, 1, 16};
    }
}

// ---------------------------------------------------------------- LIKE patterns of the catalog procedures

bool coincide(const std::optional<QString>& patron, const QString& texto)
{
    if (!patron) return true;
    QString re = QStringLiteral("^");
    const QString& p = *patron;
    for (int i = 0; i < p.size(); ++i) {
        const QChar c = p[i];
        const int cierre = c == QLatin1Char('[') ? p.indexOf(QLatin1Char(']'), i + 2) : -1;
        if (c == QLatin1Char('\\') && i + 1 < p.size()) re += QRegularExpression::escape(QString(p[++i]));
        else if (cierre > i) {   // LIKE's [abc], [^abc]: what FreeTDS turns an escaped "_" or "%" into
            const bool no = p[i + 1] == QLatin1Char('^');
            re += no ? QStringLiteral("[^") : QStringLiteral("[");
            for (int k = i + (no ? 2 : 1); k < cierre; ++k) re += QRegularExpression::escape(QString(p[k]));
            re += QLatin1Char(']');
            i = cierre;
        } else if (c == QLatin1Char('%')) re += QStringLiteral(".*");
        else if (c == QLatin1Char('_')) re += QLatin1Char('.');
        else re += QRegularExpression::escape(QString(c));
    }
    re += QLatin1Char('$');
    return QRegularExpression(re, QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption)
        .match(texto)
        .hasMatch();
}

// ---------------------------------------------------------------- RPC parameters

struct Parametro {
    QString nombre;     // lower case, without "@"
    QString texto;      // the value as text
    QString literal;    // the value as a T-SQL literal
    bool nulo = false;
};

QString literalTexto(const QString& s)
{
    QString t = s;
    t.replace(QLatin1Char('\''), QLatin1String("''"));
    return QStringLiteral("N'") + t + QLatin1Char('\'');
}

QString textoDecimal(unsigned __int128 m, int escala, bool negativo)
{
    QString s;
    do {
        s.prepend(QChar('0' + static_cast<int>(m % 10)));
        m /= 10;
    } while (m > 0);
    if (escala > 0) {
        s = s.rightJustified(escala + 1, QLatin1Char('0'));
        s.insert(s.size() - escala, QLatin1Char('.'));
    }
    return (negativo ? QStringLiteral("-") : QString()) + s;
}

QDateTime fechaTds(int64_t dias, int64_t ms)
{
    return QDateTime(QDate(1900, 1, 1).addDays(dias), QTime(0, 0).addMSecs(static_cast<int>(ms)));
}

// Reads one parameter (name, status, TYPE_INFO, value). False on a type the fixture does not know.
bool leerParametro(Lector& l, Parametro& p)
{
    p.nombre = l.bvarchar().toLower();
    if (p.nombre.startsWith(QLatin1Char('@'))) p.nombre.remove(0, 1);
    l.u8();   // status flags
    const uint8_t tipo = l.u8();
    auto entero = [&](int n, bool conSigno = true) {
        uint64_t v = 0;
        for (int i = 0; i < n; ++i) v |= static_cast<uint64_t>(l.u8()) << (8 * i);
        if (conSigno && n < 8 && (v >> (8 * n - 1)) & 1) v |= ~0ull << (8 * n);
        return static_cast<int64_t>(v);
    };
    auto ponerNumero = [&](const QString& s) { p.texto = s; p.literal = s; };
    auto ponerFecha = [&](const QDateTime& d) {
        p.texto = d.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
        p.literal = QLatin1Char('\'') + p.texto + QLatin1Char('\'');
    };
    auto nulo = [&] { p.nulo = true; p.literal = QStringLiteral("NULL"); };
    auto fijo = [&](uint8_t t, int n) {
        switch (t) {
        case 0x30: ponerNumero(QString::number(entero(1, false))); break;
        case 0x32: ponerNumero(QString::number(entero(1, false) ? 1 : 0)); break;
        case 0x34: case 0x38: case 0x7F: case 0x26: ponerNumero(QString::number(entero(n))); break;
        case 0x68: ponerNumero(QString::number(entero(1, false) ? 1 : 0)); break;
        case 0x3B: case 0x3E: case 0x6D: {
            if (n == 4) { uint32_t b = static_cast<uint32_t>(entero(4)); float x; std::memcpy(&x, &b, 4); ponerNumero(QString::number(x, 'g', 9)); }
            else { uint64_t b = static_cast<uint64_t>(entero(8)); double x; std::memcpy(&x, &b, 8); ponerNumero(QString::number(x, 'g', 17)); }
            break;
        }
        case 0x3C: case 0x7A: case 0x6E: {
            int64_t m;
            if (n == 4) m = entero(4);
            else { const int64_t alto = entero(4); const uint64_t bajo = static_cast<uint64_t>(entero(4, false)); m = static_cast<int64_t>((static_cast<uint64_t>(alto) << 32) | bajo); }
            const bool neg = m < 0;
            ponerNumero(textoDecimal(static_cast<unsigned __int128>(neg ? -m : m), 4, neg));
            break;
        }
        case 0x3D: case 0x3A: case 0x6F: {
            if (n == 4) { const int64_t dias = entero(2, false); const int64_t min = entero(2, false); ponerFecha(fechaTds(dias, min * 60000)); }
            else { const int64_t dias = entero(4); const int64_t tics = entero(4, false); ponerFecha(fechaTds(dias, (tics * 10 + 1) / 3)); }
            break;
        }
        default: l.saltar(n); ponerNumero(QStringLiteral("0")); break;
        }
    };
    switch (tipo) {
    case 0x1F: nulo(); return true;
    case 0x30: case 0x32: fijo(tipo, 1); return true;
    case 0x34: fijo(tipo, 2); return true;
    case 0x38: case 0x3B: case 0x7A: case 0x3A: fijo(tipo, 4); return true;
    case 0x7F: case 0x3E: case 0x3C: case 0x3D: fijo(tipo, 8); return true;
    case 0x26: case 0x68: case 0x6D: case 0x6E: case 0x6F: {
        l.u8();
        const int n = l.u8();
        if (n == 0) nulo();
        else fijo(tipo, n);
        return l.ok();
    }
    case 0x6A: case 0x6C: {
        l.u8();
        l.u8();
        const int escala = l.u8();
        const int n = l.u8();
        if (n == 0) { nulo(); return l.ok(); }
        const bool positivo = l.u8() == 1;
        unsigned __int128 m = 0;
        for (int i = 0; i < n - 1; ++i) m |= static_cast<unsigned __int128>(l.u8()) << (8 * i);
        ponerNumero(textoDecimal(m, escala, !positivo));
        return l.ok();
    }
    case 0x28: {
        const int n = l.u8();
        if (n == 0) { nulo(); return l.ok(); }
        const int64_t dias = entero(3, false);
        ponerFecha(QDateTime(QDate(1, 1, 1).addDays(dias), QTime(0, 0)));
        p.texto = p.texto.left(10);
        p.literal = QLatin1Char('\'') + p.texto + QLatin1Char('\'');
        return l.ok();
    }
    case 0x29: case 0x2A: case 0x2B: {
        const int escala = l.u8();
        const int n = l.u8();
        if (n == 0) { nulo(); return l.ok(); }
        const int bytesHora = escala <= 2 ? 3 : escala <= 4 ? 4 : 5;
        int64_t unidades = entero(bytesHora, false);
        for (int i = escala; i > 3; --i) unidades /= 10;
        for (int i = escala; i < 3; ++i) unidades *= 10;
        int64_t dias = 0;
        if (tipo != 0x29) dias = entero(3, false);
        if (tipo == 0x2B) l.saltar(2);
        ponerFecha(QDateTime(QDate(1, 1, 1).addDays(dias), QTime(0, 0).addMSecs(static_cast<int>(unidades))));
        return l.ok();
    }
    case 0xA7: case 0xAF: case 0xE7: case 0xEF: case 0xA5: case 0xAD: {
        const bool texto = tipo != 0xA5 && tipo != 0xAD;
        const bool ancho = tipo == 0xE7 || tipo == 0xEF;
        const uint16_t maximo = l.u16();
        if (texto) l.saltar(5);
        QByteArray datos;
        if (maximo == 0xFFFF) {
            const uint64_t total = l.u64();
            if (total == ~0ull) { nulo(); return l.ok(); }
            for (;;) {
                const uint32_t trozo = l.u32();
                if (trozo == 0 || !l.ok()) break;
                datos += l.bytes(static_cast<int>(trozo));
            }
        } else {
            const uint16_t n = l.u16();
            if (n == 0xFFFF) { nulo(); return l.ok(); }
            datos = l.bytes(n);
        }
        if (!texto) {
            p.texto = QString::fromUtf8(datos);
            p.literal = QStringLiteral("X'") + QString::fromLatin1(datos.toHex()) + QLatin1Char('\'');
            return l.ok();
        }
        p.texto = ancho ? QString::fromUtf16(reinterpret_cast<const char16_t*>(datos.constData()), datos.size() / 2) : velmora::desdeCp1252(datos);
        p.literal = literalTexto(p.texto);
        return l.ok();
    }
    case 0x23: case 0x63: case 0x22: {
        l.u32();
        if (tipo != 0x22) l.saltar(5);
        const uint32_t n = l.u32();
        if (n == 0xFFFFFFFFu) { nulo(); return l.ok(); }
        const QByteArray datos = l.bytes(static_cast<int>(n));
        if (tipo == 0x63) p.texto = QString::fromUtf16(reinterpret_cast<const char16_t*>(datos.constData()), datos.size() / 2);
        else p.texto = tipo == 0x23 ? velmora::desdeCp1252(datos) : QString::fromUtf8(datos);
        p.literal = literalTexto(p.texto);
        return l.ok();
    }
    default: return false;
    }
}

// ---------------------------------------------------------------- one client

struct Mensaje {
    uint8_t tipo = 0;
    QByteArray datos;
};

class Sesion {
public:
    explicit Sesion(int fd) : fd_(fd), spid_(siguienteSpid++) {}

    void cortar() { ::shutdown(fd_, SHUT_RDWR); }

    void correr()
    {
        std::thread lector([this] { leer(); });
        atender();
        ::shutdown(fd_, SHUT_RDWR);
        lector.join();
        {
            std::lock_guard<std::mutex> lk(m_);
            db_ = nullptr;
        }
        if (proveedor_) proveedor_->cerrar();   // an open transaction is rolled back, as by a lost link
        ::close(fd_);
    }

private:
    // ---- the reading side: whole messages to the queue, ATTENTION at once

    void leer()
    {
        QByteArray mensaje;
        for (;;) {
            char h[8];
            if (!leerTodo(fd_, h, 8)) break;
            const int largo = (static_cast<uint8_t>(h[2]) << 8) | static_cast<uint8_t>(h[3]);
            if (largo < 8) break;
            QByteArray cuerpo(largo - 8, '\0');
            if (largo > 8 && !leerTodo(fd_, cuerpo.data(), static_cast<size_t>(largo - 8))) break;
            const uint8_t tipo = static_cast<uint8_t>(h[0]);
            if (tipo == tds::kAtencion) {
                traza(QStringLiteral("[%1] ATTENTION").arg(spid_));
                std::lock_guard<std::mutex> lk(m_);
                atencion_ = true;
                if (db_) sqlite3_interrupt(db_);
                cv_.notify_all();
                continue;
            }
            mensaje += cuerpo;
            if (static_cast<uint8_t>(h[1]) & 0x01) {
                std::lock_guard<std::mutex> lk(m_);
                cola_.push_back({tipo, mensaje});
                mensaje.clear();
                cv_.notify_all();
            }
        }
        std::lock_guard<std::mutex> lk(m_);
        perdido_ = true;
        if (db_) sqlite3_interrupt(db_);
        cv_.notify_all();
    }

    enum class Evento { Mensaje, Atencion, Fin };

    Evento esperar(Mensaje& out)
    {
        std::unique_lock<std::mutex> lk(m_);
        cv_.wait(lk, [&] { return perdido_ || atencion_ || !cola_.empty(); });
        if (perdido_) return Evento::Fin;
        if (atencion_) {
            // The request it cancels, if not begun yet, goes with it.
            cola_.clear();
            atencion_ = false;
            return Evento::Atencion;
        }
        out = cola_.front();
        cola_.pop_front();
        return Evento::Mensaje;
    }

    bool cancelado()
    {
        std::lock_guard<std::mutex> lk(m_);
        return atencion_ || perdido_;
    }

    // ---- the writing side

    // Sends the complete packets of the response; with fin, all of it (the
    // last packet carries the end-of-message bit).
    void enviar(bool fin)
    {
        const int carga = tamPaquete_ - 8;
        while (salida_.b.size() > carga || fin) {
            const int n = std::min<int>(carga, static_cast<int>(salida_.b.size()));
            const bool ultimo = fin && n == salida_.b.size();
            QByteArray p;
            p.append(static_cast<char>(tds::kRespuesta));
            p.append(static_cast<char>(ultimo ? 0x01 : 0x00));
            p.append(static_cast<char>(((n + 8) >> 8) & 0xFF));
            p.append(static_cast<char>((n + 8) & 0xFF));
            p.append(static_cast<char>((spid_ >> 8) & 0xFF));
            p.append(static_cast<char>(spid_ & 0xFF));
            p.append(static_cast<char>(idPaquete_++));
            p.append('\0');
            p.append(salida_.b.constData(), n);
            salida_.b.remove(0, n);
            if (!escribirTodo(fd_, p.constData(), static_cast<size_t>(p.size()))) {
                salida_.b.clear();
                return;
            }
            if (ultimo) break;
        }
    }

    void error(int32_t numero, uint8_t estado, uint8_t clase, const QString& texto)
    {
        tds::mensaje(salida_, true, numero, estado, clase, texto, nombreServidor());
        hayError_ = true;
    }

    void info(int32_t numero, uint8_t estado, const QString& texto)
    {
        tds::mensaje(salida_, false, numero, estado, 0, texto, nombreServidor());
    }

    static QString nombreServidor() { return QStringLiteral("PERMUTAL-TDS"); }

    // The DONE of the previous statement goes out once it is known whether more follows.
    void cerrarPendiente(bool mas)
    {
        if (!pendiente_) return;
        tds::done(salida_, tokenPendiente_, static_cast<uint16_t>(estadoPendiente_ | (mas ? tds::kMas : 0)), ordenPendiente_, cuentaPendiente_);
        pendiente_ = false;
        huboDone_ = true;
    }

    void dejarDone(uint8_t token, uint16_t estado, uint16_t orden, uint64_t cuenta)
    {
        pendiente_ = true;
        tokenPendiente_ = token;
        estadoPendiente_ = estado;
        ordenPendiente_ = orden;
        cuentaPendiente_ = cuenta;
    }

    void responderAtencion()
    {
        pendiente_ = false;
        tds::done(salida_, tds::kDone, tds::kAtendida, 0, 0);
        enviar(true);
        std::lock_guard<std::mutex> lk(m_);
        atencion_ = false;
    }

    // ---- the conversation

    void atender()
    {
        Mensaje m;
        if (esperar(m) != Evento::Mensaje) return;
        if (m.tipo == tds::kPrelogin) {
            prelogin();
            if (esperar(m) != Evento::Mensaje) return;
        }
        if (m.tipo != tds::kLogin7 || !login(m.datos)) return;
        for (;;) {
            const Evento e = esperar(m);
            if (e == Evento::Fin) return;
            if (e == Evento::Atencion) {
                pendiente_ = false;
                tds::done(salida_, tds::kDone, tds::kAtendida, 0, 0);
                enviar(true);
                continue;
            }
            hayError_ = false;
            huboDone_ = false;
            switch (m.tipo) {
            case tds::kLote: lote(m.datos); break;
            case tds::kRpc: rpc(m.datos); break;
            case tds::kGestorTransacciones: gestorTransacciones(m.datos); break;
            default:
                traza(QStringLiteral("[%1] paquete de tipo %2 no servido").arg(spid_).arg(m.tipo));
                return;
            }
            if (perdido()) return;
        }
    }

    bool perdido()
    {
        std::lock_guard<std::mutex> lk(m_);
        return perdido_;
    }

    void prelogin()
    {
        // VERSION, ENCRYPTION (not supported), INSTOPT, THREADID, MARS; then the values.
        const int opciones = 5, cabecera = opciones * 5 + 1;
        Flujo f;
        int desplazamiento = cabecera;
        const int largos[opciones] = {6, 1, 1, 0, 1};
        for (int i = 0; i < opciones; ++i) {
            f.u8(static_cast<unsigned>(i));
            f.u8(static_cast<unsigned>(desplazamiento >> 8));
            f.u8(static_cast<unsigned>(desplazamiento & 0xFF));
            f.u8(0);
            f.u8(static_cast<unsigned>(largos[i]));
            desplazamiento += largos[i];
        }
        f.u8(0xFF);
        f.u8(15); f.u8(0); f.u8(0x07); f.u8(0xD0); f.u8(0); f.u8(0);   // 15.0.2000
        f.u8(2);   // ENCRYPT_NOT_SUP
        f.u8(0);
        f.u8(0);
        salida_.bytes(f.b);
        enviar(true);
    }

    bool login(const QByteArray& d)
    {
        Lector l(d);
        auto campo = [&](int pos, bool clave = false) {
            Lector c(d, pos);
            const int ib = c.u16(), cch = c.u16();
            if (!c.ok() || ib + cch * 2 > d.size()) return QString();
            QByteArray b = d.mid(ib, cch * 2);
            if (clave)
                for (char& x : b) {
                    uint8_t v = static_cast<uint8_t>(x) ^ 0xA5;
                    x = static_cast<char>(((v & 0x0F) << 4) | (v >> 4));
                }
            return QString::fromUtf16(reinterpret_cast<const char16_t*>(b.constData()), cch);
        };
        l.saltar(8);
        const uint32_t paquete = l.u32();
        const QString usuario = campo(40), clave = campo(44, true), base = campo(68);
        traza(QStringLiteral("[%1] LOGIN7 usuario=%2 base=%3 aplicacion=%4 paquete=%5").arg(spid_).arg(usuario, base, campo(48)).arg(paquete));
        if (paquete >= 512 && paquete <= 32767) tamPaqueteCliente_ = static_cast<int>(paquete);

        auto fallo = [&](bool porBase, const QString& nombreBase) {
            if (porBase)
                error(4060, 1, 11, QStringLiteral("Cannot open database \"%1\" requested by the login. The login failed.").arg(nombreBase));
            error(18456, 1, 14, QStringLiteral("Login failed for user '%1'.").arg(usuario));
            tds::done(salida_, tds::kDone, tds::kConError, 0, 0);
            enviar(true);
            return false;
        };
        const auto it = config.usuarios.find(usuario.toLower());
        if (usuario.isEmpty() || it == config.usuarios.end() || it->second.clave != clave) return fallo(false, QString());
        QString pedida = base.isEmpty() ? it->second.base : base;
        if (pedida.isEmpty()) pedida = config.base;
        if (pedida.compare(config.base, Qt::CaseInsensitive) != 0) return fallo(true, pedida);

        ado::Errors errores;
        proveedor_ = ado::crearProveedor(QStringLiteral("Server=SQLITE;Database=%1;").arg(config.archivo));
        ado::ParametrosConexion p;
        p.texto = QStringLiteral("Server=SQLITE;Database=%1;").arg(config.archivo);
        p.tiempoEspera = 0;   // the client cancels with ATTENTION, as with SQL Server
        ultimaBaseAbierta = nullptr;
        if (!proveedor_ || !proveedor_->abrir(p, errores) || !ultimaBaseAbierta) {
            for (const ado::Error& e : errores.lista()) traza(QStringLiteral("[%1] %2").arg(spid_).arg(e.Description));
            return fallo(true, pedida);
        }
        {
            std::lock_guard<std::mutex> lk(m_);
            db_ = ultimaBaseAbierta;
        }
        // Lock waits last until the client gives up (ATTENTION), as on SQL Server.
        sqlite3_busy_handler(db_, &Sesion::esperarBloqueo, this);
        baseActual_ = config.base;

        tds::envTexto(salida_, tds::kEnvBase, baseActual_, QStringLiteral("master"));
        info(5701, 2, QStringLiteral("Changed database context to '%1'.").arg(baseActual_));
        tds::envBinario(salida_, tds::kEnvIntercalacion, config.intercalacionBytes, QByteArray());
        tds::envTexto(salida_, tds::kEnvIdioma, config.idioma, QString());
        info(5703, 1, QStringLiteral("Changed language setting to %1.").arg(config.idioma));
        formatoFecha_ = tds::fechas::formatoDeIdioma(config.idioma);
        {
            Flujo a;
            a.u8(1);
            a.u8(0x74); a.u8(0x00); a.u8(0x00); a.u8(0x04);
            a.bvarchar(QStringLiteral("Microsoft SQL Server"));
            a.u8(15); a.u8(0); a.u8(0x07); a.u8(0xD0);
            salida_.u8(tds::kLoginAck);
            salida_.u16(static_cast<unsigned>(a.b.size()));
            salida_.bytes(a.b);
        }
        tds::envTexto(salida_, tds::kEnvPaquete, QString::number(tamPaqueteCliente_), QString::number(tamPaquete_));
        tds::done(salida_, tds::kDone, 0, 0, 0);
        enviar(true);
        tamPaquete_ = tamPaqueteCliente_;
        return true;
    }

    static int esperarBloqueo(void* p, int)
    {
        auto* s = static_cast<Sesion*>(p);
        if (s->cancelado()) return 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return 1;
    }

    // ---- transactions

    QByteArray descriptor() const
    {
        QByteArray b;
        for (int i = 0; i < 8; ++i) b.append(static_cast<char>((descriptor_ >> (8 * i)) & 0xFF));
        return b;
    }

    void anunciarComienzo()
    {
        ++descriptor_;
        tds::envBinario(salida_, tds::kEnvComenzar, descriptor(), QByteArray());
    }

    void anunciarFin(bool confirmada)
    {
        tds::envBinario(salida_, confirmada ? tds::kEnvConfirmar : tds::kEnvDeshacer, QByteArray(), descriptor());
    }

    // SQLite ends a transaction on its own after some failures; the client hears of it.
    void sincronizarTransaccion()
    {
        if (trancount_ > 0 && db_ && sqlite3_get_autocommit(db_)) {
            trancount_ = 0;
            anunciarFin(false);
        }
    }

    void comenzar(ado::Errors& errores)
    {
        if (!proveedor_->comenzar(errores)) return;
        if (++trancount_ == 1) anunciarComienzo();
    }

    void confirmar(ado::Errors& errores, bool todo)
    {
        do {
            if (!proveedor_->confirmar(errores)) return;
            if (--trancount_ == 0) anunciarFin(true);
        } while (todo && trancount_ > 0);
    }

    void deshacer(ado::Errors& errores)
    {
        if (!proveedor_->deshacer(errores)) return;
        if (trancount_ > 0) anunciarFin(false);
        trancount_ = 0;
    }

    // Transaction manager request: what ODBC's autocommit off and SQLEndTran become.
    void gestorTransacciones(const QByteArray& d)
    {
        Lector l(d);
        l.saltar(static_cast<int>(Lector(d).u32()));   // ALL_HEADERS
        const uint16_t pedido = l.u16();
        traza(QStringLiteral("[%1] TM %2").arg(spid_).arg(pedido));
        ado::Errors errores;
        switch (pedido) {
        case 5:   // TM_BEGIN_XACT
            comenzar(errores);
            break;
        case 7: case 8: {   // TM_COMMIT_XACT, TM_ROLLBACK_XACT
            l.bvarchar();
            const bool seguir = l.quedan() > 0 && l.u8() != 0;
            if (trancount_ > 0) {
                if (pedido == 7) confirmar(errores, true);
                else deshacer(errores);
            }
            if (seguir && errores.empty()) comenzar(errores);
            break;
        }
        default:
            error(8180, 1, 16, QStringLiteral("Transaction manager request %1 is not supported by this server.").arg(pedido));
            break;
        }
        mensajes(errores);
        tds::done(salida_, tds::kDone, hayError_ ? tds::kConError : 0, 0, 0);
        enviar(true);
    }

    // ---- batches

    // Errors and messages of the provider, as SQL Server sends them.
    void mensajes(const ado::Errors& errores)
    {
        for (const ado::Error& e : errores.lista()) {
            Gravedad g = gravedadDe(e);
            QString texto = e.Description;
            // SQL Server 2019 and later name the table, the column and the value.
            if (g.numero == 8152 && config.truncado2628) {
                g = {2628, 1, 16};
                texto = QStringLiteral("String or binary data would be truncated in table '%1.dbo.%2', column '%3'. Truncated value: '%4'.")
                            .arg(config.base, tablaActual_, QStringLiteral("?"), QStringLiteral("?"));
            }
            if (g.clase <= 10 || e.SQLState.startsWith(QLatin1String("01"))) info(g.numero, g.estado, texto);
            else error(g.numero, g.estado, g.clase, texto);
            if (g.clase > 10) ultimoError_ = g.numero;
        }
    }

    void lote(const QByteArray& d)
    {
        const int cabeceras = static_cast<int>(Lector(d).u32());
        Lector l(d, cabeceras);
        const QString texto = l.utf16(l.quedan() / 2);
        traza(QStringLiteral("[%1] SQL_BATCH %2").arg(spid_).arg(texto));
        if (!correrLote(texto, tds::kDone)) {
            responderAtencion();
            return;
        }
        cerrarPendiente(false);
        if (!huboDone_) tds::done(salida_, tds::kDone, 0, 0, 0);   // a batch of comments only
        enviar(true);
    }

    // Runs every statement of a batch; false when the client cancelled it.
    bool correrLote(const QString& texto, uint8_t tokenDone)
    {
        const std::vector<QString> sentencias = ado::dialecto::dividirLote(texto);
        for (const QString& s : sentencias) {
            if (cancelado()) return false;
            if (!sentencia(s, tokenDone)) return false;
            enviar(false);
        }
        return !cancelado();
    }

    static QString primeraPalabra(const QString& s, const std::vector<ado::dialecto::Token>& toks, size_t* indice = nullptr)
    {
        for (size_t i = 0; i < toks.size(); ++i)
            if (toks[i].tipo == ado::dialecto::TipoToken::Palabra) {
                if (indice) *indice = i;
                return s.mid(toks[i].inicio, toks[i].largo).toUpper();
            }
        return QString();
    }

    // One statement: its result, messages and DONE. False when cancelled.
    bool sentencia(const QString& original, uint8_t tokenDone)
    {
        namespace dl = ado::dialecto;
        cerrarPendiente(true);
        const auto toks = dl::tokenizar(original);
        const QString primera = primeraPalabra(original, toks);
        std::vector<QString> palabras;
        for (const auto& t : toks)
            if (t.tipo != dl::TipoToken::Blanco && t.tipo != dl::TipoToken::Comentario) palabras.push_back(original.mid(t.inicio, t.largo));
        auto palabra = [&](size_t i) { return i < palabras.size() ? palabras[i].toUpper() : QString(); };
        ado::Errors errores;

        if (primera.isEmpty()) return true;
        if (primera == QLatin1String("SET")) {
            if (palabra(1) == QLatin1String("NOCOUNT")) nocount_ = palabra(2) == QLatin1String("ON");
            else if (palabra(1) == QLatin1String("TRANSACTION") && palabra(2) == QLatin1String("ISOLATION"))
                proveedor_->fijarAislamiento(palabra(4) == QLatin1String("UNCOMMITTED") ? 256 : 4096);
            else if (palabra(1) == QLatin1String("DATEFORMAT") && palabra(2).size() == 3)
                formatoFecha_ = palabra(2).toLower();
            else if (palabra(1) == QLatin1String("LANGUAGE") && palabras.size() > 2)
                formatoFecha_ = tds::fechas::formatoDeIdioma(fechasSinCitas(palabras[2]));
            dejarDone(tokenDone, 0, 0xC0, 0);
            return true;
        }
        if (primera == QLatin1String("WAITFOR")) return esperarDemora(original, palabra(1), palabras.size() > 2 ? palabras[2] : QString(), tokenDone);
        if (primera == QLatin1String("USE")) {
            QString base = palabras.size() > 1 ? palabras[1] : QString();
            if (base.startsWith(QLatin1Char('[')) || base.startsWith(QLatin1Char('"'))) base = base.mid(1, base.size() - 2);
            if (base.compare(config.base, Qt::CaseInsensitive) == 0) {
                tds::envTexto(salida_, tds::kEnvBase, config.base, baseActual_);
                baseActual_ = config.base;
                info(5701, 1, QStringLiteral("Changed database context to '%1'.").arg(baseActual_));
                dejarDone(tokenDone, 0, 0, 0);
            } else {
                error(911, 1, 16, QStringLiteral("Database '%1' does not exist. Make sure that the name is entered correctly.").arg(base));
                dejarDone(tokenDone, tds::kConError, 0, 0);
            }
            return true;
        }
        // IF @@TRANCOUNT > 0 <statement>: what drivers send to end a transaction that may be open.
        static const QRegularExpression siHay(QStringLiteral("^\\s*IF\\s+@@TRANCOUNT\\s*>\\s*0\\s+(.*)$"),
                                              QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
        if (const auto m = siHay.match(original); m.hasMatch()) {
            if (trancount_ == 0) {
                dejarDone(tokenDone, 0, 0, 0);
                return true;
            }
            return sentencia(m.captured(1), tokenDone);
        }

        dl::ClaseSentencia clase = dl::ClaseSentencia::Otra;
        dl::traducirSentencia(original, &clase);
        if (clase != dl::ClaseSentencia::Otra) {
            if (clase == dl::ClaseSentencia::Comenzar) comenzar(errores);
            else if (clase == dl::ClaseSentencia::Confirmar) confirmar(errores, false);
            else deshacer(errores);
            mensajes(errores);
            dejarDone(tokenDone, errores.empty() ? 0 : tds::kConError, 0, 0);
            return true;
        }

        {
            static const QRegularExpression destino(QStringLiteral("^\\s*(?:INSERT\\s+INTO|UPDATE)\\s+(?:\\w+\\.)?\\[?(\\w+)"),
                                                    QRegularExpression::CaseInsensitiveOption);
            tablaActual_ = destino.match(original).captured(1);
        }
        // A character literal that meets a datetime column is read in the session's language.
        const tds::fechas::Resultado conFechas =
            tds::fechas::reescribir(original, formatoFecha_, [this](const QString& t) { return columnasFecha(t); });
        if (conFechas.error) {
            error(conFechas.error, 3, 16, conFechas.mensaje);
            info(3621, 0, QStringLiteral("The statement has been terminated."));
            ultimoError_ = conFechas.error;
            ultimaCuenta_ = 0;
            dejarDone(tokenDone, tds::kConError, 0, 0);
            return true;
        }
        std::vector<QString> literales;
        const QString texto = conFechas.texto == original ? preparar(original, toks, literales)
                                                          : preparar(conFechas.texto, dl::tokenizar(conFechas.texto), literales);
        long afectadas = 0;
        const ado::Resultado r = proveedor_->ejecutar(texto, afectadas, errores, false);
        if (cancelado()) {
            sincronizarTransaccion();
            return false;
        }
        bool fallo = false;
        for (const ado::Error& e : errores.lista())
            if (gravedadDe(e).clase > 10 && !e.SQLState.startsWith(QLatin1String("01"))) fallo = true;
        uint64_t cuenta = static_cast<uint64_t>(std::max(0L, afectadas));
        bool conCuenta = primera == QLatin1String("INSERT") || primera == QLatin1String("UPDATE") || primera == QLatin1String("DELETE")
            || primera == QLatin1String("MERGE");
        if (r.conFilas && !fallo) {
            std::vector<ColTds> cols = columnasTds(r, declarados(texto, r.columnas.size()));
            for (size_t i = 0; i < cols.size(); ++i)
                for (const QString& lit : literales)
                    if (cols[i].nombre == lit) cols[i].nombre.clear();   // an unnamed expression
            colMetadata(salida_, cols);
            for (const ado::Fila& f : r.filas) fila(salida_, cols, f);
            cuenta = r.filas.size();
            conCuenta = true;
        }
        mensajes(errores);
        sincronizarTransaccion();
        if (!fallo) ultimoError_ = 0;
        ultimaCuenta_ = fallo ? 0 : cuenta;
        uint16_t orden = primera == QLatin1String("SELECT") ? 0xC1 : primera == QLatin1String("INSERT") ? 0xC3
            : primera == QLatin1String("DELETE") ? 0xC4 : primera == QLatin1String("UPDATE") ? 0xC5 : 0;
        uint16_t estado = fallo ? tds::kConError : 0;
        if (conCuenta && !fallo && !nocount_) estado |= tds::kCuenta;
        dejarDone(tokenDone, estado, orden, fallo ? 0 : cuenta);
        return true;
    }

    static QString fechasSinCitas(const QString& n)
    {
        QString r = tds::fechas::sinCitas(n);
        if (r.size() >= 2 && r.startsWith(QLatin1Char('\'')) && r.endsWith(QLatin1Char('\''))) r = r.mid(1, r.size() - 2);
        return r;
    }

    // Datetime columns of a table (lower case), or with "*" before the name every column in order.
    QStringList columnasFecha(const QString& pedido)
    {
        const bool todas = pedido.startsWith(QLatin1Char('*'));
        const QByteArray tabla = (todas ? pedido.mid(1) : pedido).toUtf8();
        QStringList r;
        sqlite3_stmt* st = nullptr;
        if (!db_ || sqlite3_prepare_v2(db_, "SELECT name, type FROM pragma_table_info(?)", -1, &st, nullptr) != SQLITE_OK) return r;
        sqlite3_bind_text(st, 1, tabla.constData(), static_cast<int>(tabla.size()), SQLITE_TRANSIENT);
        static const QStringList tipos = {QStringLiteral("DATETIME"), QStringLiteral("SMALLDATETIME"), QStringLiteral("DATETIME2"),
                                          QStringLiteral("DATE")};
        while (sqlite3_step(st) == SQLITE_ROW) {
            const QString nombre = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))).toLower();
            const char* tipo = reinterpret_cast<const char*>(sqlite3_column_text(st, 1));
            if (todas || tipos.contains(leerTipo(tipo).base)) r << nombre;
        }
        sqlite3_finalize(st);
        return r;
    }

    bool esperarDemora(const QString& original, const QString& clase, QString demora, uint8_t tokenDone)
    {
        if (clase != QLatin1String("DELAY") || demora.size() < 2) {
            error(102, 1, 15, QStringLiteral("Incorrect syntax near '%1'.").arg(original.trimmed().left(40)));
            dejarDone(tokenDone, tds::kConError, 0, 0);
            return true;
        }
        demora = demora.mid(1, demora.size() - 2);
        const QTime t = QTime::fromString(demora, demora.count(QLatin1Char(':')) == 1 ? QStringLiteral("HH:mm") : QStringLiteral("HH:mm:ss"));
        const QTime tMs = QTime::fromString(demora, QStringLiteral("HH:mm:ss.zzz"));
        const int ms = (tMs.isValid() ? tMs : t).msecsSinceStartOfDay();
        std::unique_lock<std::mutex> lk(m_);
        if (cv_.wait_for(lk, std::chrono::milliseconds(ms), [&] { return atencion_ || perdido_; })) return false;
        lk.unlock();
        dejarDone(tokenDone, 0, 0, 0);
        return true;
    }

    // Rewrites what SQLite cannot answer: @@ variables, DB_NAME(), divisions by
    // zero and failed conversions, which SQL Server reports as errors.
    QString preparar(const QString& s, const std::vector<ado::dialecto::Token>& toks, std::vector<QString>& literales)
    {
        namespace dl = ado::dialecto;
        struct Cambio { int inicio, largo; QString por; };
        std::vector<Cambio> cambios;
        auto texto = [&](size_t i) { return s.mid(toks[i].inicio, toks[i].largo); };
        auto siguiente = [&](size_t i) {
            for (++i; i < toks.size(); ++i)
                if (toks[i].tipo != dl::TipoToken::Blanco && toks[i].tipo != dl::TipoToken::Comentario) return i;
            return toks.size();
        };
        auto esSimbolo = [&](size_t i, const char* x) { return i < toks.size() && toks[i].tipo == dl::TipoToken::Simbolo && texto(i) == QLatin1String(x); };
        auto cierre = [&](size_t abre) {   // index of the matching ")"
            int prof = 0;
            for (size_t i = abre; i < toks.size(); ++i) {
                if (esSimbolo(i, "(")) ++prof;
                else if (esSimbolo(i, ")") && --prof == 0) return i;
            }
            return toks.size();
        };
        auto cadena = [](const QString& x) { QString t = x; t.replace(QLatin1Char('\''), QLatin1String("''")); return QLatin1Char('\'') + t + QLatin1Char('\''); };
        auto envolver = [&](size_t desde, size_t hasta, const QString& funcion, const QString& extra) {   // tokens [desde, hasta]
            cambios.push_back({toks[desde].inicio, 0, funcion + QLatin1Char('(')});
            cambios.push_back({toks[hasta].inicio + toks[hasta].largo, 0, extra + QLatin1Char(')')});
        };
        static const QStringList enteros = {QStringLiteral("INT"), QStringLiteral("INTEGER"), QStringLiteral("SMALLINT"), QStringLiteral("BIGINT"),
                                            QStringLiteral("TINYINT")};
        for (size_t i = 0; i < toks.size(); ++i) {
            const QString x = texto(i);
            if (toks[i].tipo == dl::TipoToken::Palabra) {
                const QString u = x.toUpper();
                QString por;
                if (u == QLatin1String("@@TRANCOUNT")) por = QString::number(trancount_);
                else if (u == QLatin1String("@@SPID")) por = QString::number(spid_);
                else if (u == QLatin1String("@@ROWCOUNT")) por = QString::number(ultimaCuenta_);
                else if (u == QLatin1String("@@ERROR")) por = QString::number(ultimoError_);
                else if (u == QLatin1String("@@SERVERNAME")) por = cadena(nombreServidor());
                else if (u == QLatin1String("@@VERSION"))
                    por = cadena(QStringLiteral("Microsoft SQL Server 2019 (RTM) - 15.0.2000.5 (X64) \n\tPermutal TDS test server on SQLite %1\n")
                                     .arg(QString::fromLatin1(sqlite3_libversion())));
                else if (u == QLatin1String("@@IDENTITY")) por = QStringLiteral("last_insert_rowid()");
                if (!por.isEmpty()) {
                    cambios.push_back({toks[i].inicio, toks[i].largo, por});
                    literales.push_back(por);
                    continue;
                }
                const size_t a = siguiente(i);
                if ((u == QLatin1String("DB_NAME") || u == QLatin1String("SCOPE_IDENTITY")) && esSimbolo(a, "(")) {
                    const size_t c = cierre(a);
                    if (c >= toks.size()) continue;
                    por = u == QLatin1String("DB_NAME") ? cadena(baseActual_) : QStringLiteral("last_insert_rowid()");
                    cambios.push_back({toks[i].inicio, toks[c].inicio + toks[c].largo - toks[i].inicio, por});
                    literales.push_back(por);
                    i = c;
                    continue;
                }
                if (u == QLatin1String("CONVERT") && esSimbolo(a, "(")) {
                    const size_t tipo = siguiente(a);
                    if (tipo >= toks.size() || !enteros.contains(texto(tipo).toUpper())) continue;
                    const size_t coma = siguiente(tipo);
                    if (!esSimbolo(coma, ",")) continue;
                    const size_t desde = siguiente(coma);
                    size_t hasta = desde, fin = desde;
                    int prof = 0;
                    for (; fin < toks.size(); ++fin) {
                        if (esSimbolo(fin, "(")) ++prof;
                        else if (esSimbolo(fin, ")") || esSimbolo(fin, ",")) { if (prof == 0) break; if (esSimbolo(fin, ")")) --prof; }
                        if (toks[fin].tipo != dl::TipoToken::Blanco && toks[fin].tipo != dl::TipoToken::Comentario) hasta = fin;
                    }
                    if (fin < toks.size() && desde < toks.size()) envolver(desde, hasta, QStringLiteral("tds_entero"), QStringLiteral(", '") + texto(tipo) + QLatin1Char('\''));
                    continue;
                }
                if (u == QLatin1String("CAST") && esSimbolo(a, "(")) {
                    const size_t c = cierre(a);
                    int prof = 0;
                    size_t como = toks.size(), hasta = a;
                    for (size_t k = a + 1; k < c; ++k) {
                        if (esSimbolo(k, "(")) ++prof;
                        else if (esSimbolo(k, ")")) --prof;
                        else if (prof == 0 && toks[k].tipo == dl::TipoToken::Palabra && texto(k).toUpper() == QLatin1String("AS")) { como = k; break; }
                        if (toks[k].tipo != dl::TipoToken::Blanco && toks[k].tipo != dl::TipoToken::Comentario) hasta = k;
                    }
                    const size_t tipo = siguiente(como);
                    if (como < c && tipo < c && enteros.contains(texto(tipo).toUpper()) && hasta > a)
                        envolver(siguiente(a), hasta, QStringLiteral("tds_entero"), QStringLiteral(", '") + texto(tipo) + QLatin1Char('\''));
                    continue;
                }
            }
            if (toks[i].tipo == dl::TipoToken::Simbolo && (x == QLatin1String("/") || x == QLatin1String("%"))) {
                // The divisor: signs, then a number, a name, a call or a parenthesis.
                size_t k = siguiente(i);
                const size_t desde = k;
                while (esSimbolo(k, "-") || esSimbolo(k, "+")) k = siguiente(k);
                if (k >= toks.size()) continue;
                size_t hasta = k;
                const auto tk = toks[k].tipo;
                if (esSimbolo(k, "(")) hasta = cierre(k);
                else if (tk == dl::TipoToken::Numero || tk == dl::TipoToken::Cadena) hasta = k;
                else if (tk == dl::TipoToken::Palabra || tk == dl::TipoToken::Citado) {
                    if (texto(k).toUpper() == QLatin1String("CASE")) continue;
                    while (esSimbolo(siguiente(hasta), ".")) {
                        const size_t n = siguiente(siguiente(hasta));
                        if (n >= toks.size()) break;
                        hasta = n;
                    }
                    if (esSimbolo(siguiente(hasta), "(")) hasta = cierre(siguiente(hasta));
                } else {
                    continue;
                }
                if (hasta >= toks.size()) continue;
                envolver(desde, hasta, QStringLiteral("tds_divisor"), QString());
            }
        }
        if (cambios.empty()) return s;
        std::stable_sort(cambios.begin(), cambios.end(), [](const Cambio& a, const Cambio& b) { return a.inicio > b.inicio; });
        QString r = s;
        for (const Cambio& c : cambios) r.replace(c.inicio, c.largo, c.por);
        return r;
    }

    // Declared types of a statement's columns (sizes, precision and scale the ADO type leaves out).
    std::vector<std::optional<TipoDeclarado>> declarados(const QString& texto, size_t columnas)
    {
        std::vector<std::optional<TipoDeclarado>> r(columnas);
        const std::vector<ado::dialecto::Sentencia> ss = ado::dialecto::traducirLote(texto);
        if (ss.size() != 1) return r;
        sqlite3_stmt* st = nullptr;
        const QByteArray sql = ss[0].texto.toUtf8();
        if (sqlite3_prepare_v2(db_, sql.constData(), static_cast<int>(sql.size()), &st, nullptr) != SQLITE_OK || !st) return r;
        if (static_cast<size_t>(sqlite3_column_count(st)) == columnas)
            for (size_t i = 0; i < columnas; ++i)
                if (const char* d = sqlite3_column_decltype(st, static_cast<int>(i))) r[i] = leerTipo(d);
        sqlite3_finalize(st);
        return r;
    }

    // ---- RPC

    void rpc(const QByteArray& d)
    {
        const int cabeceras = static_cast<int>(Lector(d).u32());
        Lector l(d, cabeceras);
        while (l.quedan() > 0 && l.ok()) {
            QString nombre;
            int id = 0;
            const uint16_t largo = l.u16();
            if (largo == 0xFFFF) id = l.u16();
            else nombre = l.utf16(largo);
            l.u16();   // option flags
            std::vector<Parametro> ps;
            bool entendido = true;
            while (l.quedan() > 0) {
                const uint8_t siguiente = static_cast<uint8_t>(d[l.pos()]);
                if (siguiente == 0xFF || siguiente == 0x80) break;   // next RPC of the batch
                Parametro p;
                if (!leerParametro(l, p)) { entendido = false; break; }
                ps.push_back(p);
            }
            QString proc = nombre.toLower();
            // "[base]..sp_columns", "base.dbo.sp_columns": the procedure is the last part.
            if (const int punto = proc.lastIndexOf(QLatin1Char('.')); punto >= 0) proc = proc.mid(punto + 1);
            if (proc.startsWith(QLatin1String("dbo."))) proc.remove(0, 4);
            if (proc.startsWith(QLatin1String("sys."))) proc.remove(0, 4);
            if (id == 10) proc = QStringLiteral("sp_executesql");
            QStringList tr;
            for (const Parametro& p : ps) tr << QLatin1Char('@') + p.nombre + QLatin1Char('=') + p.literal;
            traza(QStringLiteral("[%1] RPC %2 %3").arg(spid_).arg(id ? QString::number(id) + QLatin1Char(' ') + proc : proc, tr.join(QStringLiteral(", "))));
            if (l.quedan() > 0) l.u8();
            const bool ultimo = l.quedan() <= 0 || !entendido;
            if (!entendido) {
                error(8016, 1, 16, QStringLiteral("The incoming tabular data stream (TDS) remote procedure call (RPC) protocol stream is incorrect."));
                tds::done(salida_, tds::kDone, tds::kConError, 0, 0);
                break;
            }
            if (!procedimiento(proc, id, ps, ultimo)) {
                responderAtencion();
                return;
            }
        }
        enviar(true);
    }

    static std::optional<QString> parametro(const std::vector<Parametro>& ps, const char* nombre, size_t posicion)
    {
        for (const Parametro& p : ps)
            if (p.nombre == QLatin1String(nombre)) return p.nulo ? std::nullopt : std::optional<QString>(p.texto);
        if (posicion < ps.size() && ps[posicion].nombre.isEmpty()) return ps[posicion].nulo ? std::nullopt : std::optional<QString>(ps[posicion].texto);
        return std::nullopt;
    }

    // The statement of sp_executesql and friends with its values written in as literals;
    // unnamed values take the names of the definition, in order.
    static QString sustituir(QString texto, const QString& definicion, const std::vector<Parametro>& ps, size_t primero)
    {
        static const QRegularExpression nombres(QStringLiteral("@(\\w+)"));
        QStringList definidos;
        for (auto it = nombres.globalMatch(definicion); it.hasNext();) definidos << it.next().captured(1).toLower();
        std::map<QString, QString> valores;
        for (size_t i = primero, k = 0; i < ps.size(); ++i, ++k) {
            const QString n = ps[i].nombre.isEmpty() && static_cast<int>(k) < definidos.size() ? definidos[static_cast<int>(k)] : ps[i].nombre;
            valores[n] = ps[i].literal;
        }
        const auto toks = ado::dialecto::tokenizar(texto);
        for (auto it = toks.rbegin(); it != toks.rend(); ++it) {
            const QString x = texto.mid(it->inicio, it->largo);
            if (it->tipo != ado::dialecto::TipoToken::Palabra || !x.startsWith(QLatin1Char('@')) || x.startsWith(QLatin1String("@@"))) continue;
            const auto v = valores.find(x.mid(1).toLower());
            if (v != valores.end()) texto.replace(it->inicio, it->largo, v->second);
        }
        return texto;
    }

    // RETURNSTATUS, the handle as output parameter when there is one, DONEPROC.
    void finProcedimiento(bool ultimo, int32_t asa = 0)
    {
        cerrarPendiente(true);
        salida_.u8(tds::kEstadoRetorno);
        salida_.u32(0);
        if (asa) {
            salida_.u8(0xAC);   // RETURNVALUE
            salida_.u16(0);
            salida_.bvarchar(QStringLiteral("@handle"));
            salida_.u8(0x01);
            salida_.u32(0);
            salida_.u16(0x0001);
            salida_.u8(0x26);
            salida_.u8(4);
            salida_.u8(4);
            salida_.u32(static_cast<uint32_t>(asa));
        }
        tds::done(salida_, tds::kDoneProc, static_cast<uint16_t>((ultimo ? 0 : tds::kMas) | (hayError_ ? tds::kConError : 0)), 0xE0, 0);
    }

    // False when cancelled.
    bool procedimiento(const QString& proc, int id, const std::vector<Parametro>& ps, bool ultimo)
    {
        // sp_executesql (stmt, params, values...), sp_prepexec (handle, params, stmt, values...),
        // sp_prepare (handle, params, stmt), sp_execute (handle, values...), sp_unprepare (handle).
        if (id == 10 || proc == QLatin1String("sp_executesql")) {
            if (!correrLote(sustituir(parametro(ps, "stmt", 0).value_or(QString()), parametro(ps, "params", 1).value_or(QString()), ps, 2), tds::kDoneInProc))
                return false;
            finProcedimiento(ultimo);
            return true;
        }
        if (id == 11 || id == 13 || proc == QLatin1String("sp_prepare") || proc == QLatin1String("sp_prepexec")) {
            const int32_t asa = ++ultimoPreparado_;
            preparados_[asa] = {parametro(ps, "stmt", 2).value_or(QString()), parametro(ps, "params", 1).value_or(QString())};
            if (id == 13 || proc == QLatin1String("sp_prepexec")) {
                if (!correrLote(sustituir(preparados_[asa].first, preparados_[asa].second, ps, 3), tds::kDoneInProc)) return false;
            }
            finProcedimiento(ultimo, asa);
            return true;
        }
        if (id == 12 || proc == QLatin1String("sp_execute")) {
            const auto it = preparados_.find(parametro(ps, "handle", 0).value_or(QString()).toInt());
            if (it == preparados_.end()) {
                cerrarPendiente(true);
                error(8179, 1, 16, QStringLiteral("Could not find prepared statement with handle %1.").arg(parametro(ps, "handle", 0).value_or(QString())));
            } else if (!correrLote(sustituir(it->second.first, it->second.second, ps, 1), tds::kDoneInProc)) {
                return false;
            }
            finProcedimiento(ultimo);
            return true;
        }
        if (id == 15 || proc == QLatin1String("sp_unprepare")) {
            preparados_.erase(parametro(ps, "handle", 0).value_or(QString()).toInt());
            finProcedimiento(ultimo);
            return true;
        }
        if (proc == QLatin1String("sp_tables")) tablas(ps);
        else if (proc == QLatin1String("sp_columns")) columnas(ps);
        else if (proc == QLatin1String("sp_pkeys")) claves(ps);
        else {
            cerrarPendiente(true);
            error(2812, 62, 16, QStringLiteral("Could not find stored procedure '%1'.").arg(id ? QString::number(id) : proc));
        }
        finProcedimiento(ultimo);
        return !cancelado();
    }

    void resultadoProcedimiento(const std::vector<ColTds>& cols, const std::vector<ado::Fila>& filas)
    {
        cerrarPendiente(true);
        colMetadata(salida_, cols);
        for (const ado::Fila& f : filas) fila(salida_, cols, f);
        dejarDone(tds::kDoneInProc, nocount_ ? 0 : tds::kCuenta, 0xC1, filas.size());
    }

    static ColTds col(const char* nombre, Clase clase, int largo = 128)
    {
        ColTds c;
        c.nombre = QString::fromLatin1(nombre);
        c.clase = clase;
        c.largo = largo;
        return c;
    }

    struct Objeto {
        QString nombre;
        bool vista = false;
    };

    // Tables and views that a catalog call asks for (qualifier and owner checked).
    std::vector<Objeto> objetos(const std::vector<Parametro>& ps, bool patron)
    {
        std::vector<Objeto> r;
        const auto nombre = parametro(ps, "table_name", 0), duenio = parametro(ps, "table_owner", 1), catalogo = parametro(ps, "table_qualifier", 2);
        if (catalogo && !catalogo->isEmpty() && catalogo->compare(baseActual_, Qt::CaseInsensitive) != 0) return r;
        if (duenio && !coincide(duenio, QStringLiteral("dbo"))) return r;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db_, "SELECT name, type FROM sqlite_master WHERE type IN ('table','view') AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name COLLATE NOCASE",
                               -1, &st, nullptr) != SQLITE_OK)
            return r;
        while (sqlite3_step(st) == SQLITE_ROW) {
            const QString n = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
            if (patron ? !coincide(nombre, n) : (nombre && nombre->compare(n, Qt::CaseInsensitive) != 0)) continue;
            r.push_back({n, qstrcmp(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)), "view") == 0});
        }
        sqlite3_finalize(st);
        return r;
    }

    void tablas(const std::vector<Parametro>& ps)
    {
        const auto tipos = parametro(ps, "table_type", 3);
        std::vector<ado::Fila> filas;
        for (const bool vistas : {false, true})
            for (const Objeto& o : objetos(ps, true)) {
                if (o.vista != vistas) continue;
                const QString tipo = o.vista ? QStringLiteral("VIEW") : QStringLiteral("TABLE");
                if (tipos && !tipos->isEmpty() && !tipos->contains(QLatin1Char('\'') + tipo + QLatin1Char('\''), Qt::CaseInsensitive)
                    && tipos->compare(tipo, Qt::CaseInsensitive) != 0)
                    continue;
                filas.push_back({Variant(baseActual_), Variant("dbo"), Variant(o.nombre), Variant(tipo), Variant::nulo()});
            }
        resultadoProcedimiento({col("TABLE_QUALIFIER", Clase::TextoN), col("TABLE_OWNER", Clase::TextoN), col("TABLE_NAME", Clase::TextoN),
                                col("TABLE_TYPE", Clase::Texto, 32), col("REMARKS", Clase::Texto, 254)},
                               filas);
    }

    struct InfoColumna {
        QString nombre;
        TipoDeclarado tipo;
        bool nulable = true;
        QString defecto;
        bool hayDefecto = false;
        int clave = 0;
    };

    std::vector<InfoColumna> columnasDe(const QString& tabla)
    {
        std::vector<InfoColumna> r;
        QString q = tabla;
        q.replace(QLatin1Char('"'), QLatin1String("\"\""));
        const QByteArray sql = QStringLiteral("PRAGMA table_info(\"%1\")").arg(q).toUtf8();
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db_, sql.constData(), -1, &st, nullptr) != SQLITE_OK) return r;
        while (sqlite3_step(st) == SQLITE_ROW) {
            InfoColumna c;
            c.nombre = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
            c.tipo = leerTipo(reinterpret_cast<const char*>(sqlite3_column_text(st, 2)));
            c.clave = sqlite3_column_int(st, 5);
            c.nulable = sqlite3_column_int(st, 3) == 0 && c.clave == 0;
            c.hayDefecto = sqlite3_column_type(st, 4) != SQLITE_NULL;
            if (c.hayDefecto) c.defecto = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 4)));
            r.push_back(c);
        }
        sqlite3_finalize(st);
        return r;
    }

    void columnas(const std::vector<Parametro>& ps)
    {
        const auto patronColumna = parametro(ps, "column_name", 3);
        const bool odbc3 = parametro(ps, "odbcver", 4).value_or(QStringLiteral("2")).toInt() >= 3;
        std::vector<ado::Fila> filas;
        auto n16 = [](int v) { return Variant::entero16(static_cast<int16_t>(v)); };
        auto nulo = Variant::nulo();
        for (const Objeto& o : objetos(ps, true)) {
            int posicion = 0;
            for (const InfoColumna& c : columnasDe(o.nombre)) {
                ++posicion;
                if (!coincide(patronColumna, c.nombre)) continue;
                // DATA_TYPE, TYPE_NAME, PRECISION, LENGTH, SCALE, RADIX, SQL_DATA_TYPE, SQL_DATETIME_SUB, CHAR_OCTET_LENGTH, SS_DATA_TYPE
                const QString& b = c.tipo.base;
                const int n = c.tipo.largo;
                Variant tipo, nombreTipo, precision, largo, escala = nulo, base = nulo, sqlTipo, sub = nulo, octetos = nulo, ss;
                auto texto = [&](int dt, const char* nt, int chars, int bytes, int s) {
                    tipo = n16(dt); nombreTipo = Variant(nt); precision = Variant(chars); largo = Variant(bytes); sqlTipo = n16(dt);
                    octetos = Variant(bytes); ss = n16(s);
                };
                auto numero = [&](int dt, const char* nt, int p, int bytes, std::optional<int> s, int radix, int ssv) {
                    tipo = n16(dt); nombreTipo = Variant(nt); precision = Variant(p); largo = Variant(bytes);
                    escala = s ? n16(*s) : nulo; base = radix ? n16(radix) : nulo; sqlTipo = n16(dt); ss = n16(ssv);
                };
                const int largoN = n == -2 ? 0 : n > 0 ? n : 1;
                if (b == QLatin1String("NVARCHAR") || b == QLatin1String("NATIONAL VARCHAR")) texto(-9, "nvarchar", largoN, largoN * 2, 39);
                else if (b == QLatin1String("NCHAR")) texto(-8, "nchar", largoN, largoN * 2, 39);
                else if (b == QLatin1String("CHAR") || b == QLatin1String("CHARACTER")) texto(1, "char", largoN, largoN, 47);
                else if (b == QLatin1String("NTEXT")) texto(-10, "ntext", 1073741823, 2147483646, 99);
                else if (b == QLatin1String("TEXT") || b == QLatin1String("CLOB")) texto(-1, "text", 2147483647, 2147483647, 35);
                else if (b.contains(QLatin1String("CHAR"))) texto(12, "varchar", n > 0 ? n : 255, n > 0 ? n : 255, 39);
                else if (b == QLatin1String("INT") || b == QLatin1String("INTEGER") || b == QLatin1String("MEDIUMINT")) numero(4, "int", 10, 4, 0, 10, 56);
                else if (b == QLatin1String("SMALLINT")) numero(5, "smallint", 5, 2, 0, 10, 52);
                else if (b == QLatin1String("TINYINT")) numero(-6, "tinyint", 3, 1, 0, 10, 48);
                else if (b == QLatin1String("BIGINT")) numero(-5, "bigint", 19, 8, 0, 10, 63);
                else if (b == QLatin1String("BIT") || b == QLatin1String("BOOLEAN")) numero(-7, "bit", 1, 1, std::nullopt, 0, 50);
                else if (b == QLatin1String("MONEY") || b == QLatin1String("CURRENCY")) numero(3, "money", 19, 21, 4, 10, 60);
                else if (b == QLatin1String("SMALLMONEY")) numero(3, "smallmoney", 10, 12, 4, 10, 122);
                else if (b == QLatin1String("DECIMAL") || b == QLatin1String("NUMERIC")) {
                    const int p = c.tipo.precision > 0 ? c.tipo.precision : 18, s = c.tipo.escala > 0 ? c.tipo.escala : 0;
                    numero(b == QLatin1String("DECIMAL") ? 3 : 2, b == QLatin1String("DECIMAL") ? "decimal" : "numeric", p, p + 2, s, 10, 55);
                } else if (b == QLatin1String("FLOAT") || b == QLatin1String("DOUBLE") || b == QLatin1String("DOUBLE PRECISION")) numero(6, "float", 15, 8, std::nullopt, 2, 62);
                else if (b == QLatin1String("REAL")) numero(7, "real", 7, 4, std::nullopt, 2, 59);
                else if (b == QLatin1String("DATETIME") || b == QLatin1String("SMALLDATETIME") || b == QLatin1String("DATETIME2") || b == QLatin1String("TIMESTAMP")) {
                    numero(odbc3 ? 93 : 11, b == QLatin1String("SMALLDATETIME") ? "smalldatetime" : "datetime", b == QLatin1String("SMALLDATETIME") ? 16 : 23, 16,
                           b == QLatin1String("SMALLDATETIME") ? 0 : 3, 0, 61);
                    sqlTipo = n16(9);
                    sub = n16(3);
                } else if (b == QLatin1String("DATE")) {
                    numero(odbc3 ? 91 : 9, "date", 10, 6, std::nullopt, 0, 0);
                    sqlTipo = n16(9);
                    sub = n16(1);
                } else if (b == QLatin1String("VARBINARY") || b == QLatin1String("BINARY")) numero(-3, "varbinary", n > 0 ? n : 8000, n > 0 ? n : 8000, std::nullopt, 0, 37);
                else if (b == QLatin1String("BLOB") || b == QLatin1String("IMAGE")) numero(-4, "image", 2147483647, 2147483647, std::nullopt, 0, 34);
                else texto(-9, "nvarchar", 4000, 8000, 39);
                QString defecto;
                if (c.hayDefecto) {
                    bool numeroDefecto = false;
                    c.defecto.toDouble(&numeroDefecto);
                    defecto = numeroDefecto ? QStringLiteral("((%1))").arg(c.defecto) : QStringLiteral("(%1)").arg(c.defecto);
                }
                filas.push_back({Variant(baseActual_), Variant("dbo"), Variant(o.nombre), Variant(c.nombre), tipo, nombreTipo, precision, largo, escala,
                                 base, n16(c.nulable ? 1 : 0), nulo, c.hayDefecto ? Variant(defecto) : nulo, sqlTipo, sub, octetos, Variant(posicion),
                                 Variant(c.nulable ? "YES" : "NO"), ss});
            }
        }
        Clase e16 = Clase::Entero;
        auto c16 = [&](const char* n) { return col(n, e16, 2); };
        auto c32 = [&](const char* n) { return col(n, e16, 4); };
        resultadoProcedimiento({col("TABLE_QUALIFIER", Clase::TextoN), col("TABLE_OWNER", Clase::TextoN), col("TABLE_NAME", Clase::TextoN),
                                col("COLUMN_NAME", Clase::TextoN), c16("DATA_TYPE"), col("TYPE_NAME", Clase::TextoN), c32("PRECISION"), c32("LENGTH"),
                                c16("SCALE"), c16("RADIX"), c16("NULLABLE"), col("REMARKS", Clase::Texto, 254), col("COLUMN_DEF", Clase::TextoN, 4000),
                                c16("SQL_DATA_TYPE"), c16("SQL_DATETIME_SUB"), c32("CHAR_OCTET_LENGTH"), c32("ORDINAL_POSITION"),
                                col("IS_NULLABLE", Clase::Texto, 254), col("SS_DATA_TYPE", e16, 1)},
                               filas);
    }

    void claves(const std::vector<Parametro>& ps)
    {
        std::vector<ado::Fila> filas;
        for (const Objeto& o : objetos(ps, false)) {
            std::vector<std::pair<int, QString>> k;
            for (const InfoColumna& c : columnasDe(o.nombre))
                if (c.clave > 0) k.emplace_back(c.clave, c.nombre);
            std::sort(k.begin(), k.end());
            for (const auto& [seq, nombre] : k)
                filas.push_back({Variant(baseActual_), Variant("dbo"), Variant(o.nombre), Variant(nombre), Variant::entero16(static_cast<int16_t>(seq)),
                                 Variant(QStringLiteral("PK_") + o.nombre)});
        }
        resultadoProcedimiento({col("TABLE_QUALIFIER", Clase::TextoN), col("TABLE_OWNER", Clase::TextoN), col("TABLE_NAME", Clase::TextoN),
                                col("COLUMN_NAME", Clase::TextoN), col("KEY_SEQ", Clase::Entero, 2), col("PK_NAME", Clase::TextoN)},
                               filas);
    }

    int fd_;
    int spid_;
    std::mutex m_;
    std::condition_variable cv_;
    std::deque<Mensaje> cola_;
    bool atencion_ = false;
    bool perdido_ = false;
    sqlite3* db_ = nullptr;

    Flujo salida_;
    int tamPaquete_ = 4096;
    int tamPaqueteCliente_ = 4096;
    uint8_t idPaquete_ = 1;
    bool huboDone_ = false;

    std::unique_ptr<ado::Proveedor> proveedor_;
    QString baseActual_;
    QString formatoFecha_ = QStringLiteral("mdy");   // DATEFORMAT of the session
    QString tablaActual_;                             // the table the statement writes, for messages
    int trancount_ = 0;
    uint64_t descriptor_ = 0;
    bool nocount_ = false;
    bool hayError_ = false;
    uint64_t ultimaCuenta_ = 0;
    int32_t ultimoError_ = 0;
    std::map<int32_t, std::pair<QString, QString>> preparados_;   // handle -> statement, parameter definition
    int32_t ultimoPreparado_ = 0;

    bool pendiente_ = false;
    uint8_t tokenPendiente_ = tds::kDone;
    uint16_t estadoPendiente_ = 0, ordenPendiente_ = 0;
    uint64_t cuentaPendiente_ = 0;
};

// ---------------------------------------------------------------- the listener

class Servidor {
public:
    bool escuchar(int puerto)
    {
        std::lock_guard<std::mutex> lk(m_);
        return abrir(puerto);
    }

    int puerto() const { return puerto_; }

    void arrancar()
    {
        hilo_ = std::thread([this] { bucle(); });
    }

    // Runs a control command; the answer goes to stdout.
    QString orden(const QString& o)
    {
        if (o == QLatin1String("cortar")) {
            cortarTodas();
            return QStringLiteral("ok");
        }
        if (o == QLatin1String("rechazar") || o == QLatin1String("aceptar")) {
            const bool quiero = o == QLatin1String("aceptar");
            std::unique_lock<std::mutex> lk(m_);
            quiereEscuchar_ = quiero;
            cv_.wait(lk, [&] { return (escucha_ >= 0) == quiero || fallo_; });
            if (fallo_) { fallo_ = false; return QStringLiteral("error no se pudo escuchar de nuevo en el puerto %1").arg(puerto_); }
            return QStringLiteral("ok");
        }
        if (o == QLatin1String("eco")) {
            std::cerr.flush();
            return QStringLiteral("ok");
        }
        return QStringLiteral("error orden desconocida: ") + o;
    }

    void parar()
    {
        {
            std::lock_guard<std::mutex> lk(m_);
            fin_ = true;
        }
        if (hilo_.joinable()) hilo_.join();
        cortarTodas();
        // Sessions close their provider connections (rolling back) before the exit.
        for (int i = 0; i < 500; ++i) {
            {
                std::lock_guard<std::mutex> lk(m_);
                if (sesiones_.empty()) break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

private:
    bool abrir(int puerto)
    {
        const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (s < 0) return false;
        const int uno = 1;
        ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &uno, sizeof uno);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(static_cast<uint16_t>(puerto));
        if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(s, 64) != 0) {
            ::close(s);
            return false;
        }
        socklen_t l = sizeof a;
        ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &l);
        puerto_ = ntohs(a.sin_port);
        escucha_ = s;
        return true;
    }

    // Only this thread opens, closes and accepts on the listening socket.
    void bucle()
    {
        for (;;) {
            int s;
            {
                std::lock_guard<std::mutex> lk(m_);
                if (fin_) break;
                if (!quiereEscuchar_ && escucha_ >= 0) {
                    ::close(escucha_);
                    escucha_ = -1;
                    cv_.notify_all();
                } else if (quiereEscuchar_ && escucha_ < 0) {
                    if (!abrir(puerto_)) { fallo_ = true; quiereEscuchar_ = false; }
                    cv_.notify_all();
                }
                s = escucha_;
            }
            if (s < 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                continue;
            }
            pollfd p{s, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) continue;
            const int c = ::accept4(s, nullptr, nullptr, SOCK_CLOEXEC);
            if (c < 0) continue;
            const int uno = 1;
            ::setsockopt(c, IPPROTO_TCP, TCP_NODELAY, &uno, sizeof uno);
            auto sesion = std::make_shared<Sesion>(c);
            {
                std::lock_guard<std::mutex> lk(m_);
                sesiones_.push_back(sesion);
            }
            std::thread([this, sesion] {
                sesion->correr();
                std::lock_guard<std::mutex> lk(m_);
                sesiones_.remove(sesion);
            }).detach();
        }
        std::lock_guard<std::mutex> lk(m_);
        if (escucha_ >= 0) ::close(escucha_);
        escucha_ = -1;
    }

    void cortarTodas()
    {
        std::lock_guard<std::mutex> lk(m_);
        for (const auto& s : sesiones_) s->cortar();
    }

    std::mutex m_;
    std::condition_variable cv_;
    std::thread hilo_;
    std::list<std::shared_ptr<Sesion>> sesiones_;
    int escucha_ = -1;
    int puerto_ = 0;
    bool quiereEscuchar_ = true;
    bool fallo_ = false;
    bool fin_ = false;
};

void anadirUsuario(const QString& linea)
{
    const QStringList p = linea.trimmed().split(QLatin1Char(':'));
    if (p.size() < 2 || p[0].isEmpty()) return;
    config.usuarios[p[0].toLower()] = {p[1], p.size() > 2 ? p[2] : QString()};
}

int uso()
{
    std::cerr << "uso: servidor_tds --archivo RUTA.db [--base NOMBRE] [--puerto N] [--usuario NOMBRE:CLAVE[:BASE]]... "
                 "[--usuarios ARCHIVO] [--intercalacion NOMBRE] [--idioma NOMBRE] [--truncado-2628] [--traza]\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        auto valor = [&]() -> QString { return i + 1 < args.size() ? args[++i] : QString(); };
        if (a == QLatin1String("--archivo")) config.archivo = QFileInfo(valor()).absoluteFilePath();
        else if (a == QLatin1String("--base")) config.base = valor();
        else if (a == QLatin1String("--puerto")) config.puerto = valor().toInt();
        else if (a == QLatin1String("--usuario")) anadirUsuario(valor());
        else if (a == QLatin1String("--usuarios")) {
            QFile f(valor());
            if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return uso();
            for (const QByteArray& l : f.readAll().split('\n')) anadirUsuario(QString::fromUtf8(l));
        } else if (a == QLatin1String("--intercalacion")) config.intercalacion = valor();
        else if (a == QLatin1String("--idioma")) config.idioma = valor();
        else if (a == QLatin1String("--truncado-2628")) config.truncado2628 = true;
        else if (a == QLatin1String("--traza")) config.traza = true;
        else return uso();
    }
    if (config.archivo.isEmpty() || !QFileInfo(config.archivo).isFile()) return uso();
    if (config.base.isEmpty()) config.base = QFileInfo(config.archivo).completeBaseName();
    config.intercalacionBytes = bytesIntercalacion(config.intercalacion);
    sqlite3_auto_extension(reinterpret_cast<void (*)()>(&alAbrirBase));

    Servidor servidor;
    if (!servidor.escuchar(config.puerto)) {
        std::cerr << "servidor_tds: no se puede escuchar en el puerto " << config.puerto << "\n";
        return 1;
    }
    std::cout << servidor.puerto() << std::endl;
    servidor.arrancar();

    std::string linea;
    while (std::getline(std::cin, linea)) {
        const QString o = QString::fromStdString(linea).trimmed();
        if (o.isEmpty()) continue;
        if (o == QLatin1String("salir")) break;
        std::cout << servidor.orden(o).toStdString() << std::endl;
    }
    servidor.parar();
    std::cout << "ok" << std::endl;
    return 0;
}
