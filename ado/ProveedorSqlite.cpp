#include "ProveedorSqlite.h"

#include "Cotejo.h"
#include "DialectoSqlite.h"
#include "TextoConexion.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sqlite3.h>
#include <sys/stat.h>

#include <atomic>
#include <cctype>
#include <deque>
#include <functional>
#include <unordered_map>

#include <cmath>
#include <cstring>
#include <limits>

namespace ado {

namespace {

const QString kOrigen = QStringLiteral("Proveedor SQLite");
std::atomic<long long> gPlanesHallados{0}, gPlanesNuevos{0};
constexpr int32_t kTiempoAgotado = static_cast<int32_t>(0x80040E31u);  // query time-out
const QString kTransaccionPerdida =
    QStringLiteral("La transacción actual no se puede confirmar ni admite más operaciones. Deshaga la transacción (ROLLBACK TRANSACTION).");

// ---------------------------------------------------------------- collation

// The database's collation (Modern_Spanish_CI_AS) and any other SQL Server
// collation a statement names; the schema's NOCASE stays SQLite's own, so
// indexes read the same here and in the stock sqlite3 tool.
int compararCotejo(void* reglas, int n1, const void* p1, int n2, const void* p2)
{
    return cotejo::comparar(static_cast<const char*>(p1), n1, static_cast<const char*>(p2), n2, *static_cast<const cotejo::Reglas*>(reglas));
}

void registrarCotejo(sqlite3* db, const char* nombre, const cotejo::Reglas& r)
{
    sqlite3_create_collation_v2(db, nombre, SQLITE_UTF8, new cotejo::Reglas(r), compararCotejo,
                                [](void* p) { delete static_cast<cotejo::Reglas*>(p); });
}

void cotejoPedido(void*, sqlite3* db, int, const char* nombre)
{
    if (const auto r = cotejo::reglasDe(QString::fromUtf8(nombre))) registrarCotejo(db, nombre, *r);
}

// ---------------------------------------------------------------- functions

QString textoDe(sqlite3_value* v)
{
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return p ? QString::fromUtf8(p, sqlite3_value_bytes(v)) : QString();
}

void resultadoTexto(sqlite3_context* c, const QString& s)
{
    const QByteArray u = s.toUtf8();
    sqlite3_result_text(c, u.constData(), static_cast<int>(u.size()), SQLITE_TRANSIENT);
}

bool algunNulo(int argc, sqlite3_value** argv)
{
    for (int i = 0; i < argc; ++i)
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return true;
    return false;
}

void fnLen(sqlite3_context* c, int argc, sqlite3_value** argv)
{
    if (algunNulo(argc, argv)) { sqlite3_result_null(c); return; }
    QString s = textoDe(argv[0]);
    int n = static_cast<int>(s.size());
    while (n > 0 && s[n - 1] == QLatin1Char(' ')) --n;
    sqlite3_result_int(c, static_cast<int>(QStringView(s).left(n).toUcs4().size()));
}

void fnGetDate(sqlite3_context* c, int, sqlite3_value**)
{
    resultadoTexto(c, QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")));
}

void fnSubstring(sqlite3_context* c, int argc, sqlite3_value** argv)
{
    if (algunNulo(argc, argv)) { sqlite3_result_null(c); return; }
    const QList<uint> s = textoDe(argv[0]).toUcs4();
    const sqlite3_int64 inicio = sqlite3_value_int64(argv[1]);
    const sqlite3_int64 largo = argc > 2 ? sqlite3_value_int64(argv[2]) : std::numeric_limits<int>::max();
    if (largo < 0) { sqlite3_result_error(c, "Invalid length parameter passed to the substring function.", -1); return; }
    // Positions start..start+len-1, of which only 1..n exist.
    const sqlite3_int64 desde = std::max<sqlite3_int64>(inicio, 1);
    const sqlite3_int64 hasta = std::min<sqlite3_int64>(inicio + largo - 1, s.size());
    QString r;
    for (sqlite3_int64 i = desde; i <= hasta; ++i) {
        const char32_t u = s[static_cast<qsizetype>(i - 1)];
        r += QString::fromUcs4(&u, 1);
    }
    resultadoTexto(c, r);
}

void fnCharIndex(sqlite3_context* c, int argc, sqlite3_value** argv)
{
    if (algunNulo(argc, argv)) { sqlite3_result_null(c); return; }
    const QString buscado = textoDe(argv[0]);
    const QString en = textoDe(argv[1]);
    sqlite3_int64 inicio = argc > 2 ? sqlite3_value_int64(argv[2]) : 1;
    if (inicio < 1) inicio = 1;
    if (buscado.isEmpty() || inicio > en.size()) { sqlite3_result_int(c, 0); return; }
    const qsizetype p = en.indexOf(buscado, static_cast<qsizetype>(inicio - 1), Qt::CaseInsensitive);
    sqlite3_result_int64(c, p < 0 ? 0 : p + 1);
}

void fnIzquierda(sqlite3_context* c, int argc, sqlite3_value** argv)
{
    if (algunNulo(argc, argv)) { sqlite3_result_null(c); return; }
    const sqlite3_int64 n = sqlite3_value_int64(argv[1]);
    if (n < 0) { sqlite3_result_error(c, "Invalid length parameter passed to the left function.", -1); return; }
    resultadoTexto(c, textoDe(argv[0]).left(static_cast<qsizetype>(std::min<sqlite3_int64>(n, std::numeric_limits<int>::max()))));
}

void fnDerecha(sqlite3_context* c, int argc, sqlite3_value** argv)
{
    if (algunNulo(argc, argv)) { sqlite3_result_null(c); return; }
    const sqlite3_int64 n = sqlite3_value_int64(argv[1]);
    if (n < 0) { sqlite3_result_error(c, "Invalid length parameter passed to the right function.", -1); return; }
    resultadoTexto(c, textoDe(argv[0]).right(static_cast<qsizetype>(std::min<sqlite3_int64>(n, std::numeric_limits<int>::max()))));
}

void fnSpace(sqlite3_context* c, int argc, sqlite3_value** argv)
{
    if (algunNulo(argc, argv)) { sqlite3_result_null(c); return; }
    const sqlite3_int64 n = sqlite3_value_int64(argv[0]);
    if (n < 0 || n > 8000) { sqlite3_result_null(c); return; }
    resultadoTexto(c, QString(static_cast<qsizetype>(n), QLatin1Char(' ')));
}

void fnReplicate(sqlite3_context* c, int argc, sqlite3_value** argv)
{
    if (algunNulo(argc, argv)) { sqlite3_result_null(c); return; }
    const QString s = textoDe(argv[0]);
    const sqlite3_int64 n = sqlite3_value_int64(argv[1]);
    if (n < 0 || s.size() * n > 8000) { sqlite3_result_null(c); return; }
    resultadoTexto(c, s.repeated(static_cast<qsizetype>(n)));
}

// CONVERT('type', x [, style]); the dialect turns the type name into text.
void fnConvert(sqlite3_context* c, int argc, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[1]) == SQLITE_NULL) { sqlite3_result_null(c); return; }
    const QString tipo = textoDe(argv[0]).toUpper();
    const int estilo = argc > 2 ? sqlite3_value_int(argv[2]) : 0;
    if (tipo.contains(QLatin1String("CHAR")) || tipo.contains(QLatin1String("TEXT"))) {
        QString s = textoDe(argv[1]);
        if (estilo != 0) {
            static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})(?:[ T](\\d{2}):(\\d{2})(?::(\\d{2}))?)?"));
            const auto m = iso.match(s);
            if (m.hasMatch()) {
                if (estilo == 103) s = m.captured(3) + QLatin1Char('/') + m.captured(2) + QLatin1Char('/') + m.captured(1);
                else if (estilo == 112) s = m.captured(1) + m.captured(2) + m.captured(3);
                else if (estilo == 108) s = m.captured(4) + QLatin1Char(':') + m.captured(5) + QLatin1Char(':') + (m.captured(6).isEmpty() ? QStringLiteral("00") : m.captured(6));
                else if (estilo == 101) s = m.captured(2) + QLatin1Char('/') + m.captured(3) + QLatin1Char('/') + m.captured(1);
            }
        }
        static const QRegularExpression largo(QStringLiteral("\\((\\d+)\\)"));
        const auto m = largo.match(tipo);
        if (m.hasMatch()) s = s.left(m.captured(1).toInt());
        resultadoTexto(c, s);
        return;
    }
    if (tipo.contains(QLatin1String("INT")) || tipo == QLatin1String("BIT")) {
        sqlite3_result_int64(c, sqlite3_value_int64(argv[1]));
        return;
    }
    if (tipo.startsWith(QLatin1String("FLOAT")) || tipo.startsWith(QLatin1String("REAL")) || tipo.contains(QLatin1String("MONEY"))
        || tipo.startsWith(QLatin1String("NUMERIC")) || tipo.startsWith(QLatin1String("DECIMAL"))) {
        sqlite3_result_double(c, sqlite3_value_double(argv[1]));
        return;
    }
    sqlite3_result_value(c, argv[1]);
}

// like(pattern, value [, escape]) as SQL Server's LIKE: the collation's
// letters, [sets], the value's trailing blanks ignored. The compiled pattern
// is kept for the statement while the pattern stays the same.
struct PatronGuardado {
    cotejo::Patron patron;
    char32_t escape;
};

void fnLike(sqlite3_context* c, int argc, sqlite3_value** argv)
{
    if (algunNulo(argc, argv)) { sqlite3_result_null(c); return; }
    char32_t escape = 0;
    if (argc == 3) {
        const QList<uint> e = textoDe(argv[2]).toUcs4();
        if (e.size() != 1) {
            const QByteArray m = QStringLiteral("Se especificó el carácter de escape no válido \"%1\" en un predicado LIKE.").arg(textoDe(argv[2])).toUtf8();
            sqlite3_result_error(c, m.constData(), static_cast<int>(m.size()));
            return;
        }
        escape = e[0];
    }
    auto* g = static_cast<PatronGuardado*>(sqlite3_get_auxdata(c, 0));
    std::unique_ptr<PatronGuardado> local;
    if (!g || g->escape != escape) {
        auto* nuevo = new PatronGuardado{cotejo::Patron(textoDe(argv[0]), escape), escape};
        sqlite3_set_auxdata(c, 0, nuevo, [](void* p) { delete static_cast<PatronGuardado*>(p); });
        g = static_cast<PatronGuardado*>(sqlite3_get_auxdata(c, 0));
        if (!g) {  // not kept (an expression, not a constant): this row only
            local = std::make_unique<PatronGuardado>(PatronGuardado{cotejo::Patron(textoDe(argv[0]), escape), escape});
            g = local.get();
        }
    }
    const auto* v = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
    sqlite3_result_int(c, g->patron.coincide(v, sqlite3_value_bytes(argv[1])) ? 1 : 0);
}

// permutal_variante(literal, i, length): the i-th stored value that can equal
// the literal (the rewriting's index-served condition in front of a
// comparison); NULL past the last.
void fnVariante(sqlite3_context* c, int argc, sqlite3_value** argv)
{
    if (algunNulo(argc, argv)) { sqlite3_result_null(c); return; }
    const sqlite3_int64 i = sqlite3_value_int64(argv[1]);
    const int largo = sqlite3_value_int(argv[2]);
    // The usual literal, all ASCII: its one form, folded, and i blanks.
    const auto* t = sqlite3_value_text(argv[0]);
    int n = sqlite3_value_bytes(argv[0]);
    bool ascii = true;
    for (int k = 0; k < n && ascii; ++k) ascii = t[k] < 0x80 && t[k] != 0;
    if (ascii) {
        while (n > 0 && t[n - 1] == ' ') --n;
        if (i < 0 || i > std::max(0, largo - n)) { sqlite3_result_null(c); return; }
        char* r = static_cast<char*>(sqlite3_malloc64(static_cast<sqlite3_uint64>(n + i + 1)));
        if (!r) { sqlite3_result_error_nomem(c); return; }
        for (int k = 0; k < n; ++k) r[k] = static_cast<char>(t[k] >= 'A' && t[k] <= 'Z' ? t[k] + 32 : t[k]);
        std::memset(r + n, ' ', static_cast<size_t>(i));
        sqlite3_result_text(c, r, static_cast<int>(n + i), sqlite3_free);
        return;
    }
    const auto v = i < 0 ? std::nullopt : cotejo::variante(textoDe(argv[0]), static_cast<size_t>(i), largo);
    if (!v) { sqlite3_result_null(c); return; }
    resultadoTexto(c, *v);
}

void fnPrefijo(sqlite3_context* c, int argc, sqlite3_value** argv)
{
    if (algunNulo(argc, argv)) { sqlite3_result_null(c); return; }
    resultadoTexto(c, cotejo::prefijoIgual(textoDe(argv[0])));
}

void fnPrefijoPatron(sqlite3_context* c, int argc, sqlite3_value** argv)
{
    if (algunNulo(argc, argv)) { sqlite3_result_null(c); return; }
    char32_t escape = 0;
    if (argc == 2) {
        const QList<uint> e = textoDe(argv[1]).toUcs4();
        if (e.size() == 1) escape = e[0];
    }
    resultadoTexto(c, cotejo::prefijoPatron(textoDe(argv[0]), escape));
}

// Above every text with the prefix; an empty blob (above every text) when
// there is none.
void fnSucesor(sqlite3_context* c, int argc, sqlite3_value** argv)
{
    if (algunNulo(argc, argv)) { sqlite3_result_null(c); return; }
    const QString s = cotejo::sucesor(textoDe(argv[0]));
    if (s.isEmpty()) sqlite3_result_zeroblob(c, 0);
    else resultadoTexto(c, s);
}

// UPPER / LOWER of every letter, as SQL Server's (SQLite's own fold ASCII only).
void fnMayusculas(sqlite3_context* c, int argc, sqlite3_value** argv)
{
    if (algunNulo(argc, argv)) { sqlite3_result_null(c); return; }
    resultadoTexto(c, textoDe(argv[0]).toUpper());
}

void fnMinusculas(sqlite3_context* c, int argc, sqlite3_value** argv)
{
    if (algunNulo(argc, argv)) { sqlite3_result_null(c); return; }
    resultadoTexto(c, textoDe(argv[0]).toLower());
}

void registrarFunciones(sqlite3* db)
{
    const int det = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function(db, "LEN", 1, det, nullptr, fnLen, nullptr, nullptr);
    sqlite3_create_function(db, "GETDATE", 0, SQLITE_UTF8, nullptr, fnGetDate, nullptr, nullptr);
    sqlite3_create_function(db, "SUBSTRING", 3, det, nullptr, fnSubstring, nullptr, nullptr);
    sqlite3_create_function(db, "CHARINDEX", 2, det, nullptr, fnCharIndex, nullptr, nullptr);
    sqlite3_create_function(db, "CHARINDEX", 3, det, nullptr, fnCharIndex, nullptr, nullptr);
    sqlite3_create_function(db, "IZQUIERDA", 2, det, nullptr, fnIzquierda, nullptr, nullptr);
    sqlite3_create_function(db, "DERECHA", 2, det, nullptr, fnDerecha, nullptr, nullptr);
    sqlite3_create_function(db, "SPACE", 1, det, nullptr, fnSpace, nullptr, nullptr);
    sqlite3_create_function(db, "REPLICATE", 2, det, nullptr, fnReplicate, nullptr, nullptr);
    sqlite3_create_function(db, "CONVERT", 2, det, nullptr, fnConvert, nullptr, nullptr);
    sqlite3_create_function(db, "CONVERT", 3, det, nullptr, fnConvert, nullptr, nullptr);
    sqlite3_create_function(db, "upper", 1, det, nullptr, fnMayusculas, nullptr, nullptr);
    sqlite3_create_function(db, "lower", 1, det, nullptr, fnMinusculas, nullptr, nullptr);
    sqlite3_create_function(db, "like", 2, det, nullptr, fnLike, nullptr, nullptr);
    sqlite3_create_function(db, "like", 3, det, nullptr, fnLike, nullptr, nullptr);
    sqlite3_create_function(db, "permutal_variante", 3, det, nullptr, fnVariante, nullptr, nullptr);
    sqlite3_create_function(db, "permutal_prefijo", 1, det, nullptr, fnPrefijo, nullptr, nullptr);
    sqlite3_create_function(db, "permutal_prefijo_patron", 1, det, nullptr, fnPrefijoPatron, nullptr, nullptr);
    sqlite3_create_function(db, "permutal_prefijo_patron", 2, det, nullptr, fnPrefijoPatron, nullptr, nullptr);
    sqlite3_create_function(db, "permutal_sucesor", 1, det, nullptr, fnSucesor, nullptr, nullptr);
    registrarCotejo(db, cotejo::kNombre, cotejo::Reglas{});
    sqlite3_collation_needed(db, nullptr, cotejoPedido);
}

// ---------------------------------------------------------------- types

struct TipoDeclarado {
    long tipo = tipo::VarChar;
    long tamano = 255;
    bool conocido = false;
    bool largoEscrito = false;   // the declaration gives the length: VARCHAR(13)
};

TipoDeclarado tipoDeclarado(const char* decl)
{
    TipoDeclarado r;
    if (!decl || !*decl) return r;
    const QString d = QString::fromUtf8(decl).trimmed().toUpper();
    static const QRegularExpression forma(QStringLiteral("^([A-Z_ ]*[A-Z_0-9]*)\\s*(?:\\(\\s*(\\d+|MAX)\\s*(?:,\\s*\\d+\\s*)?\\))?"));
    const auto m = forma.match(d);
    const QString base = m.captured(1).simplified();
    const QString n = m.captured(2);
    const long largo = n.isEmpty() ? -1 : (n == QLatin1String("MAX") ? 2147483647L : n.toLong());
    r.conocido = true;
    r.largoEscrito = largo > 0 && largo != 2147483647L;
    auto fijar = [&](long t, long tam) { r.tipo = t; r.tamano = tam; };
    if (base == QLatin1String("VARCHAR") || base == QLatin1String("CHARACTER VARYING") || base == QLatin1String("VARYING CHARACTER")) {
        if (largo == 2147483647L) fijar(tipo::LongVarChar, largo);
        else fijar(tipo::VarChar, largo > 0 ? largo : 255);
    } else if (base == QLatin1String("NVARCHAR") || base == QLatin1String("NATIONAL VARCHAR")) {
        if (largo == 2147483647L) fijar(tipo::LongVarWChar, largo);
        else fijar(tipo::VarWChar, largo > 0 ? largo : 255);
    } else if (base == QLatin1String("CHAR") || base == QLatin1String("CHARACTER")) fijar(tipo::Char, largo > 0 ? largo : 1);
    else if (base == QLatin1String("NCHAR") || base == QLatin1String("NATIVE CHARACTER")) fijar(tipo::WChar, largo > 0 ? largo : 1);
    else if (base == QLatin1String("TEXT") || base == QLatin1String("CLOB")) fijar(tipo::LongVarChar, 2147483647L);
    else if (base == QLatin1String("NTEXT")) fijar(tipo::LongVarWChar, 1073741823L);
    else if (base == QLatin1String("INT") || base == QLatin1String("INTEGER") || base == QLatin1String("MEDIUMINT")) fijar(tipo::Integer, 4);
    else if (base == QLatin1String("SMALLINT") || base == QLatin1String("INT2")) fijar(tipo::SmallInt, 2);
    else if (base == QLatin1String("TINYINT")) fijar(tipo::TinyInt, 1);
    else if (base == QLatin1String("BIGINT") || base == QLatin1String("INT8") || base == QLatin1String("UNSIGNED BIG INT")) fijar(tipo::BigInt, 8);
    else if (base == QLatin1String("BIT") || base == QLatin1String("BOOLEAN") || base == QLatin1String("BOOL")) fijar(tipo::Boolean, 2);
    else if (base == QLatin1String("MONEY") || base == QLatin1String("SMALLMONEY") || base == QLatin1String("CURRENCY")) fijar(tipo::Currency, 8);
    else if (base == QLatin1String("FLOAT") || base == QLatin1String("REAL") || base == QLatin1String("DOUBLE") || base == QLatin1String("DOUBLE PRECISION"))
        fijar(tipo::Double, 8);
    else if (base == QLatin1String("NUMERIC") || base == QLatin1String("DECIMAL")) fijar(tipo::Numeric, 19);
    else if (base == QLatin1String("DATETIME") || base == QLatin1String("SMALLDATETIME") || base == QLatin1String("DATETIME2") || base == QLatin1String("TIMESTAMP"))
        fijar(tipo::DBTimeStamp, 16);
    else if (base == QLatin1String("DATE")) fijar(tipo::DBDate, 6);
    else if (base == QLatin1String("TIME")) fijar(tipo::DBTime, 6);
    else if (base == QLatin1String("BLOB") || base == QLatin1String("IMAGE")) fijar(tipo::LongVarBinary, 2147483647L);
    else if (base == QLatin1String("VARBINARY") || base == QLatin1String("BINARY")) fijar(tipo::VarBinary, largo > 0 ? largo : 8000);
    else if (base.contains(QLatin1String("INT"))) fijar(tipo::Integer, 4);
    else if (base.contains(QLatin1String("CHAR")) || base.contains(QLatin1String("TEXT"))) fijar(tipo::VarChar, largo > 0 ? largo : 255);
    else r.conocido = false;
    return r;
}

// The same declaration is read for every recordset of a table: once is enough.
TipoDeclarado tipoDeclaradoGuardado(const char* decl)
{
    thread_local std::unordered_map<std::string, TipoDeclarado> leidos;
    const std::string clave = decl ? decl : "";
    auto it = leidos.find(clave);
    if (it != leidos.end()) return it->second;
    if (leidos.size() > 4096) leidos.clear();
    return leidos.emplace(clave, tipoDeclarado(decl)).first->second;
}

bool esTipoTexto(long t)
{
    return t == tipo::VarChar || t == tipo::VarWChar || t == tipo::Char || t == tipo::WChar || t == tipo::LongVarChar
        || t == tipo::LongVarWChar || t == tipo::BSTR;
}

QDateTime fechaDeTexto(const QString& s)
{
    static const QRegularExpression iso(
        QStringLiteral("^\\s*(\\d{4})-(\\d{1,2})-(\\d{1,2})(?:[ T](\\d{1,2}):(\\d{2})(?::(\\d{2})(?:\\.(\\d{1,3})\\d*)?)?)?\\s*$"));
    const auto m = iso.match(s);
    if (m.hasMatch()) {
        const QDate d(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        int ms = 0;
        if (!m.captured(7).isEmpty()) ms = m.captured(7).leftJustified(3, QLatin1Char('0')).toInt();
        const QTime t(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt(), ms);
        if (d.isValid() && t.isValid()) return QDateTime(d, t);
        return QDateTime();
    }
    return Variant(s).toDate();
}

Variant valorDe(sqlite3_stmt* st, int i, long tipoCol)
{
    switch (sqlite3_column_type(st, i)) {
    case SQLITE_NULL: return Variant::nulo();
    case SQLITE_INTEGER: {
        const sqlite3_int64 v = sqlite3_column_int64(st, i);
        switch (tipoCol) {
        case tipo::Boolean: return Variant(v != 0);
        case tipo::Currency:
            if (std::llabs(v) < std::numeric_limits<int64_t>::max() / 10000) return Variant::moneda(v * 10000);
            return Variant(static_cast<double>(v));
        case tipo::SmallInt: case tipo::TinyInt:
            if (v >= std::numeric_limits<int16_t>::min() && v <= std::numeric_limits<int16_t>::max())
                return Variant::entero16(static_cast<int16_t>(v));
            return Variant::largo(v);
        case tipo::Double: case tipo::Numeric: return Variant(static_cast<double>(v));
        default: return Variant::largo(v);
        }
    }
    case SQLITE_FLOAT: {
        const double d = sqlite3_column_double(st, i);
        if (tipoCol == tipo::Currency && std::isfinite(d) && std::fabs(d) < 9e14) return Variant::moneda(std::llround(d * 10000.0));
        if (tipoCol == tipo::Boolean) return Variant(d != 0);
        return Variant(d);
    }
    case SQLITE_TEXT: {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
        const QString s = QString::fromUtf8(p, sqlite3_column_bytes(st, i));
        if (tipoCol == tipo::DBTimeStamp || tipoCol == tipo::DBDate) {
            const QDateTime d = fechaDeTexto(s);
            if (d.isValid()) return Variant(d);
            return Variant(s);
        }
        if (tipoCol == tipo::Boolean) {
            const QString t = s.trimmed();
            if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || t == QLatin1String("1")) return Variant(true);
            if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0 || t == QLatin1String("0")) return Variant(false);
            return Variant(s);
        }
        if (tipoCol == tipo::Currency) {
            bool ok = false;
            const double d = s.trimmed().toDouble(&ok);
            if (ok && std::fabs(d) < 9e14) return Variant::moneda(std::llround(d * 10000.0));
        }
        return Variant(s);
    }
    case SQLITE_BLOB: default: {
        const auto* p = static_cast<const char*>(sqlite3_column_blob(st, i));
        return Variant(QString::fromUtf8(p, sqlite3_column_bytes(st, i)));
    }
    }
}

// ---------------------------------------------------------------- errors

Error entrada(int32_t numero, const QString& texto, const char* estado, int32_t nativo)
{
    Error e;
    e.Number = numero;
    e.Description = texto;
    e.Source = kOrigen;
    e.SQLState = QString::fromLatin1(estado);
    e.NativeError = nativo;
    return e;
}

QString primeraPalabra(const QString& sql)
{
    const auto t = dialecto::tokenizar(sql);
    for (const auto& x : t)
        if (x.tipo == dialecto::TipoToken::Palabra) return sql.mid(x.inicio, x.largo).toUpper();
    return QString();
}

// SQLite's failure as SQL Server would have reported it, with the text a
// server whose login language is Spanish gives for that number; faults of the
// database file itself name the file. archivo is the database's path.
void anotarFallo(int codigo, const QString& mensaje, const QString& sentencia, Errors& errores, const QString& archivo = QString())
{
    const int primario = codigo & 0xFF;
    const QString instruccion = primeraPalabra(sentencia);
    auto captura = [&](const char* patron) {
        const QRegularExpression re(QString::fromLatin1(patron));
        return re.match(mensaje).captured(1);
    };
    auto sinMain = [](QString n) { if (n.startsWith(QLatin1String("main."))) n.remove(0, 5); return n; };
    auto terminada = [&](int32_t numero) {
        errores.Add(entrada(numero, QStringLiteral("Se terminó la instrucción."), "01000", nativo::SentenciaTerminada));
    };
    const QString nombreArchivo = archivo.isEmpty() ? QStringLiteral("(en memoria)") : archivo;
    if (primario == SQLITE_CONSTRAINT) {
        switch (codigo) {
        case SQLITE_CONSTRAINT_PRIMARYKEY:
        case SQLITE_CONSTRAINT_UNIQUE: {
            const QString columnas = captura("failed: (.*)$");
            const QString tabla = columnas.section(QLatin1Char('.'), 0, 0);
            const QString clase = codigo == SQLITE_CONSTRAINT_PRIMARYKEY ? QStringLiteral("PRIMARY KEY") : QStringLiteral("UNIQUE KEY");
            errores.Add(entrada(num::Integridad,
                                QStringLiteral("Infracción de la restricción %1. No se puede insertar una clave duplicada en el objeto 'dbo.%2'. (%3)")
                                    .arg(clase, tabla, columnas),
                                "23000", nativo::ClaveDuplicada));
            terminada(num::Integridad);
            return;
        }
        case SQLITE_CONSTRAINT_NOTNULL: {
            const QString columna = captura("failed: (.*)$");
            errores.Add(entrada(num::Integridad,
                                QStringLiteral("No se puede insertar el valor NULL en la columna '%1', tabla '%2'. La columna no admite valores NULL. Error de %3.")
                                    .arg(columna.section(QLatin1Char('.'), 1), columna.section(QLatin1Char('.'), 0, 0), instruccion),
                                "23000", 515));
            terminada(num::Integridad);
            return;
        }
        case SQLITE_CONSTRAINT_CHECK: {
            const QString nombre = captura("failed: (.*)$").trimmed();
            if (nombre.startsWith(QLatin1String("TRUNC"), Qt::CaseInsensitive)) {
                errores.Add(entrada(num::Integridad, QStringLiteral("Los datos de cadena o binarios se truncarían."), "22001", nativo::Truncado));
                terminada(num::Integridad);
                return;
            }
            errores.Add(entrada(num::Integridad,
                                QStringLiteral("Instrucción %1 en conflicto con la restricción CHECK \"%2\".").arg(instruccion, nombre),
                                "23000", nativo::Restriccion));
            terminada(num::Integridad);
            return;
        }
        case SQLITE_CONSTRAINT_FOREIGNKEY:
            errores.Add(entrada(num::Integridad, QStringLiteral("Instrucción %1 en conflicto con la restricción FOREIGN KEY.").arg(instruccion),
                                "23000", nativo::Restriccion));
            terminada(num::Integridad);
            return;
        default:
            errores.Add(entrada(num::Integridad, QStringLiteral("Instrucción %1 en conflicto con una restricción. (%2)").arg(instruccion, mensaje),
                                "23000", nativo::Restriccion));
            terminada(num::Integridad);
            return;
        }
    }
    if (primario == SQLITE_BUSY || primario == SQLITE_LOCKED) {
        errores.Add(entrada(kTiempoAgotado,
                            QStringLiteral("Se agotó el tiempo de espera de la consulta: la base de datos \"%1\" está bloqueada por otro usuario.").arg(nombreArchivo),
                            "HYT00", 0));
        return;
    }
    if (primario == SQLITE_INTERRUPT) {
        errores.Add(entrada(kTiempoAgotado, QStringLiteral("Se agotó el tiempo de espera de la consulta."), "HYT00", 0));
        return;
    }
    if (primario == SQLITE_READONLY) {
        const QString causa = codigo == SQLITE_READONLY_DBMOVED
                                  ? QStringLiteral("fue movido, reemplazado o borrado mientras el programa lo usaba")
                                  : QStringLiteral("es de solo lectura; no se pueden guardar cambios");
        errores.Add(entrada(num::FalloNoEspecificado, QStringLiteral("El archivo de la base de datos \"%1\" %2.").arg(nombreArchivo, causa), "HY000", 3906));
        return;
    }
    if (primario == SQLITE_FULL) {
        errores.Add(entrada(num::FalloNoEspecificado,
                            QStringLiteral("No queda espacio en el disco para el archivo de la base de datos \"%1\".").arg(nombreArchivo), "HY000", 1105));
        return;
    }
    if (primario == SQLITE_CORRUPT || primario == SQLITE_NOTADB) {
        errores.Add(entrada(num::FalloNoEspecificado,
                            QStringLiteral("El archivo \"%1\" está dañado o no es una base de datos.").arg(nombreArchivo), "HY000", 824));
        return;
    }
    if (primario == SQLITE_IOERR || primario == SQLITE_CANTOPEN || primario == SQLITE_PERM) {
        errores.Add(entrada(num::FalloNoEspecificado,
                            QStringLiteral("No se puede leer o escribir el archivo de la base de datos \"%1\" (%2).").arg(nombreArchivo, mensaje), "HY000", 823));
        return;
    }
    if (primario == SQLITE_ERROR) {
        QString x;
        if (!(x = captura("^no such table: (.*)$")).isEmpty()) {
            errores.Add(entrada(num::TablaNoExiste, QStringLiteral("El nombre de objeto '%1' no es válido.").arg(sinMain(x)), "42S02", nativo::ObjetoInvalido));
            return;
        }
        if (!(x = captura("^no such column: (.*)$")).isEmpty() || !(x = captura("has no column named (.*)$")).isEmpty()) {
            errores.Add(entrada(num::ErrorEnComando, QStringLiteral("El nombre de columna '%1' no es válido.").arg(x), "42S22", nativo::ColumnaInvalida));
            return;
        }
        if (!(x = captura("^ambiguous column name: (.*)$")).isEmpty()) {
            errores.Add(entrada(num::ErrorEnComando, QStringLiteral("El nombre de columna '%1' es ambiguo.").arg(x), "42000", 209));
            return;
        }
        if (!(x = captura("^no such function: (.*)$")).isEmpty()) {
            errores.Add(entrada(num::ErrorEnComando, QStringLiteral("'%1' no es un nombre de función integrada reconocido.").arg(x), "42000", 195));
            return;
        }
        if (!(x = captura("^(?:table|view|index|trigger) (.*) already exists$")).isEmpty()) {
            errores.Add(entrada(num::ErrorEnComando, QStringLiteral("Ya hay un objeto con el nombre '%1' en la base de datos.").arg(sinMain(x)),
                                "42S01", 2714));
            return;
        }
        if (!(x = captura("^near \"(.*)\": syntax error$")).isEmpty()) {
            errores.Add(entrada(num::ErrorEnComando, QStringLiteral("Sintaxis incorrecta cerca de '%1'.").arg(x), "42000", nativo::Sintaxis));
            return;
        }
        if (mensaje.contains(QLatin1String("syntax error")) || mensaje.startsWith(QLatin1String("unrecognized token"))
            || mensaje == QLatin1String("incomplete input")) {
            errores.Add(entrada(num::ErrorEnComando, QStringLiteral("Sintaxis incorrecta cerca del final de la instrucción. (%1)").arg(mensaje),
                                "42000", nativo::Sintaxis));
            return;
        }
        // Our own functions' messages (SUBSTRING with a negative length...).
        errores.Add(entrada(num::ErrorEnComando, mensaje, "42000", 0));
        return;
    }
    errores.Add(entrada(num::FalloNoEspecificado, mensaje, "HY000", codigo));
}

// ---------------------------------------------------------------- provider

// Database names do not depend on case on SQL Server; the file system here does.
// An exact name wins; otherwise the one file of the folder that matches ignoring case.
QString buscarSinCaso(const QString& ruta)
{
    if (ruta.isEmpty() || ruta == QLatin1String(":memory:") || QFileInfo::exists(ruta)) return ruta;
    const QFileInfo fi(ruta);
    const QStringList candidatos = fi.dir().entryList(QDir::Files | QDir::Hidden);
    QString hallado;
    for (const QString& c : candidatos) {
        if (c.compare(fi.fileName(), Qt::CaseInsensitive) != 0) continue;
        if (!hallado.isEmpty()) return ruta;  // ambiguous: keep the name as given
        hallado = c;
    }
    return hallado.isEmpty() ? ruta : fi.dir().filePath(hallado);
}

// Declared types of the database's columns, by name (see dialecto::InfoColumna).
std::unordered_map<QString, dialecto::InfoColumna> leerTipos(sqlite3* db)
{
    std::unordered_map<QString, dialecto::InfoColumna> tipos;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db,
                           "SELECT p.name, p.type FROM sqlite_master m, pragma_table_info(m.name) p "
                           "WHERE m.type IN ('table','view') AND m.name NOT LIKE 'sqlite\\_%' ESCAPE '\\'",
                           -1, &st, nullptr)
        != SQLITE_OK)
        return tipos;
    using dialecto::TipoColumna;
    while (sqlite3_step(st) == SQLITE_ROW) {
        const QString n = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))).toUpper();
        const TipoDeclarado td = tipoDeclarado(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
        dialecto::InfoColumna info;
        if (td.conocido && esTipoTexto(td.tipo)) {
            info.tipo = TipoColumna::Texto;
            info.largo = td.largoEscrito ? static_cast<int>(td.tamano) : 0;
        } else if (td.conocido && td.tipo != tipo::Date && td.tipo != tipo::DBDate && td.tipo != tipo::DBTime && td.tipo != tipo::DBTimeStamp
                   && td.tipo != tipo::VarBinary && td.tipo != tipo::LongVarBinary) {
            info.tipo = TipoColumna::Numero;
        }
        auto [it, nuevo] = tipos.emplace(n, info);
        if (nuevo) continue;
        // Columns of that name disagree: no type; lengths: the longest, or none.
        if (it->second.tipo != info.tipo) it->second = {};
        else if (it->second.largo > 0 && info.largo > 0) it->second.largo = std::max(it->second.largo, info.largo);
        else it->second.largo = 0;
    }
    sqlite3_finalize(st);
    return tipos;
}

class ProveedorSqlite final : public Proveedor {
public:
    ~ProveedorSqlite() override { cerrar(); }

    QString nombre() const override { return QStringLiteral("sqlite"); }

    bool abrir(const ParametrosConexion& p, Errors& errores) override
    {
        cerrar();
        const TextoConexion t(p.texto);
        QString base = t.valorDe({"Database", "Initial Catalog"});
        if (base.trimmed().isEmpty()) {
            const QString fuente = t.valor(QStringLiteral("Data Source"));
            if (fuente.trimmed().compare(QLatin1String("SQLITE"), Qt::CaseInsensitive) != 0) base = fuente;
        }
        base = base.trimmed();
        const QString ruta = buscarSinCaso(rutaBaseEmbebida(base));
        const QString usuario = p.usuario.isEmpty() ? t.valorDe({"UId", "User ID", "User"}) : p.usuario;
        auto inicioFallido = [&](const QString& detalle) {
            errores.Add(entrada(num::FalloNoEspecificado,
                                QStringLiteral("No se puede abrir la base de datos \"%1\" solicitada por el inicio de sesión. Error de inicio de sesión.")
                                    .arg(base),
                                "42000", 4060));
            errores.Add(entrada(num::FalloNoEspecificado,
                                QStringLiteral("Error de inicio de sesión del usuario '%1'.%2").arg(usuario, detalle.isEmpty() ? QString() : QStringLiteral(" (") + detalle + QLatin1Char(')')),
                                "28000", 18456));
            return false;
        };
        // SQL Server cannot open a database that does not exist: no file is created.
        if (ruta.isEmpty()) return inicioFallido(QString());
        const bool memoria = ruta == QLatin1String(":memory:");
        if (!memoria && !QFileInfo(ruta).isFile()) return inicioFallido(QString());
        sqlite3* db = nullptr;
        const QByteArray r8 = QFileInfo(ruta).absoluteFilePath().toUtf8();
        int rc = sqlite3_open_v2(memoria ? ":memory:" : r8.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
        if (rc != SQLITE_OK) {
            const QString m = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString();
            sqlite3_close_v2(db);
            return inicioFallido(m);
        }
        prepararConexionSqlite(db);
        // A file that is not a database shows itself on the first read.
        char* msg = nullptr;
        rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, &msg);
        if (rc != SQLITE_OK) {
            const QString m = QString::fromUtf8(msg ? msg : sqlite3_errmsg(db));
            sqlite3_free(msg);
            sqlite3_close_v2(db);
            return inicioFallido(m);
        }
        db_ = db;
        ruta_ = memoria ? ruta : QFileInfo(ruta).absoluteFilePath();
        struct stat abierto {};
        if (!memoria && ::stat(QFile::encodeName(ruta_).constData(), &abierto) == 0) {
            dispositivo_ = abierto.st_dev;
            nodo_ = abierto.st_ino;
        }
        base_ = base;
        nivel_ = 0;
        perdida_ = false;
        fijarTiempoEspera(p.tiempoEspera);
        return true;
    }

    void cerrar() override
    {
        if (!db_) return;
        planes_.clear();
        orden_.clear();
        sqlite3_stmt* st = nullptr;
        while ((st = sqlite3_next_stmt(db_, nullptr)) != nullptr) sqlite3_finalize(st);
        // An open transaction is rolled back by the close, as a lost connection would.
        sqlite3_close_v2(db_);
        db_ = nullptr;
        nivel_ = 0;
        perdida_ = false;
    }

    Resultado ejecutar(const QString& sql, long& afectadas, Errors& errores, bool actualizable) override
    {
        afectadas = 0;
        Resultado r;
        if (!db_) {
            errores.Add(entrada(num::ConexionInvalida, descripcionClasica(num::ConexionInvalida), "08003", 0));
            return r;
        }
        // A change of schema makes the types and rewritings read so far stale:
        // they are forgotten once the batch is over.
        bool ddl = false;
        struct AlTerminar {
            std::function<void()> f;
            ~AlTerminar() { f(); }
        } alTerminar{[&] { if (ddl) olvidarEsquema(); }};
        const Molde molde = moldeDe(sql);
        std::unique_ptr<Plan> propio;
        Plan* plan = buscarPlan(molde);
        if (!plan) {
            propio = planDe(sql, molde);
            plan = propio.get();
            if (plan->reutilizable) plan = guardarPlan(molde, std::move(propio));
        }
        std::vector<QByteArray> valores;
        valores.reserve(molde.literales.size());
        for (const QString& v : molde.literales) valores.push_back(v.toUtf8());
        for (Preparada& p : plan->sentencias) {
            const long antes = errores.Count();
            switch (p.s.clase) {
            case dialecto::ClaseSentencia::Comenzar: comenzar(errores); break;
            case dialecto::ClaseSentencia::Confirmar: confirmar(errores); break;
            case dialecto::ClaseSentencia::Deshacer: deshacer(errores); break;
            case dialecto::ClaseSentencia::Otra: {
                const Enlace enlace{p.s.conParametros ? &valores : nullptr, &molde.literales, p.s.primerLiteral, p.s.literales};
                if (p.st || (plan->reutilizable && prepararUna(p))) {
                    correrPreparada(p, enlace, r, afectadas, errores, actualizable);
                } else {
                    correr(p.texto, p.s.original, enlace, r, afectadas, errores, 0, actualizable);
                }
                ddl = ddl || p.ddl;
                break;
            }
            }
            // A time-out stops the batch, as SQL Server's attention does; the
            // transaction, if any, is left to the caller's ROLLBACK. So does a
            // write refused because the transaction is gone.
            bool parar = false;
            for (long i = antes; i < errores.Count(); ++i)
                parar = parar || errores.Item(i).Number == kTiempoAgotado || errores.Item(i).NativeError == 3930;
            // The engine may end a transaction by itself (an interrupted write, a
            // full disk): what follows must not run in autocommit.
            if (nivel_ > 0 && !perdida_ && sqlite3_get_autocommit(db_)) {
                perdida_ = true;
                errores.Add(entrada(num::ErrorEnComando,
                                    QStringLiteral("La transacción se deshizo y el resto del lote no se ejecutó. Deshaga la transacción (ROLLBACK TRANSACTION)."),
                                    "25000", 3998));
                parar = true;
            }
            if (parar) break;
        }
        return r;
    }

    // Transactions nest as on SQL Server: only the outermost COMMIT commits,
    // a ROLLBACK undoes everything. A transaction the engine ended by itself
    // stays open for the caller until its ROLLBACK (it cannot be committed),
    // as an uncommittable transaction does on SQL Server.
    bool comenzar(Errors& errores) override
    {
        if (!exigir(errores)) return false;
        notarPerdida();
        if (nivel_ > 0) { ++nivel_; return true; }
        if (!exec("BEGIN", errores)) return false;
        nivel_ = 1;
        return true;
    }

    bool confirmar(Errors& errores) override
    {
        if (!exigir(errores)) return false;
        notarPerdida();
        if (nivel_ == 0) {
            errores.Add(entrada(num::ErrorEnComando, QStringLiteral("La solicitud COMMIT TRANSACTION no tiene la correspondiente BEGIN TRANSACTION."),
                                "25000", 3902));
            return false;
        }
        if (perdida_) {
            errores.Add(entrada(num::ErrorEnComando, kTransaccionPerdida, "25000", 3930));
            return false;
        }
        if (nivel_ > 1) { --nivel_; return true; }
        if (archivoMovido(errores)) return false;
        if (!exec("COMMIT", errores)) return false;
        nivel_ = 0;
        return true;
    }

    bool deshacer(Errors& errores) override
    {
        if (!exigir(errores)) return false;
        notarPerdida();
        if (nivel_ == 0) {
            errores.Add(entrada(num::ErrorEnComando, QStringLiteral("La solicitud ROLLBACK TRANSACTION no tiene la correspondiente BEGIN TRANSACTION."),
                                "25000", 3903));
            return false;
        }
        if (perdida_) {
            nivel_ = 0;
            perdida_ = false;
            return true;
        }
        const bool ok = exec("ROLLBACK", errores);
        if (ok || sqlite3_get_autocommit(db_)) nivel_ = 0;
        return ok;
    }

    void fijarTiempoEspera(long segundos) override
    {
        tiempoEspera_ = segundos;
        if (!db_) return;
        // 0 means wait as long as it takes, as the classic CommandTimeout.
        const long ms = segundos <= 0 ? 24L * 3600 * 1000 : std::min<long>(segundos, 24L * 3600) * 1000;
        sqlite3_busy_timeout(db_, static_cast<int>(ms));
    }

    void fijarAislamiento(long nivel) override
    {
        if (!db_) return;
        sqlite3_exec(db_, nivel == 256 ? "PRAGMA read_uncommitted=1" : "PRAGMA read_uncommitted=0", nullptr, nullptr, nullptr);
    }

    bool fijarBaseDefecto(const QString& base, Errors& errores) override
    {
        if (!exigir(errores)) return false;
        if (nombraEstaBase(base)) {
            base_ = base.trimmed();
            return true;
        }
        // One file per connection: another database is not reachable from here.
        errores.Add(entrada(num::FalloNoEspecificado,
                            QStringLiteral("La base de datos '%1' no existe. Asegúrese de que el nombre se ha escrito correctamente.").arg(base.trimmed()),
                            "42000", 911));
        return false;
    }

    QString baseDefecto() const override { return base_; }

    Resultado esquema(long esquema, const std::vector<Variant>& restricciones, Errors& errores) override
    {
        Resultado r;
        r.conFilas = true;
        if (!exigir(errores)) return r;
        auto restriccion = [&](size_t i) -> QString {
            if (i >= restricciones.size() || restricciones[i].isEmpty() || restricciones[i].isNull()) return QString();
            return restricciones[i].toText();
        };
        auto texto = [](const char* n, long tam = 128) {
            Columna c;
            c.nombre = QString::fromLatin1(n);
            c.tipo = tipo::VarWChar;
            c.tamano = tam;
            return c;
        };
        auto numero = [](const char* n, long t) {
            Columna c;
            c.nombre = QString::fromLatin1(n);
            c.tipo = t;
            c.tamano = t == tipo::Boolean ? 2 : 4;
            return c;
        };
        const QString catalogo = restriccion(0), esq = restriccion(1), nombreTabla = restriccion(2);
        if (!catalogo.isEmpty() && !nombraEstaBase(catalogo)) return rellenarColumnas(r, esquema, texto, numero);
        if (!esq.isEmpty() && esq.compare(QLatin1String("dbo"), Qt::CaseInsensitive) != 0) return rellenarColumnas(r, esquema, texto, numero);
        const QString cat = nombreCatalogo();

        // Tables and views, in name order.
        std::vector<std::pair<QString, QString>> objetos;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db_,
                               "SELECT name, type FROM sqlite_master WHERE type IN ('table','view') AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' "
                               "ORDER BY name COLLATE NOCASE",
                               -1, &st, nullptr)
            != SQLITE_OK) {
            anotarFallo(sqlite3_extended_errcode(db_), QString::fromUtf8(sqlite3_errmsg(db_)), QString(), errores, ruta_);
            return r;
        }
        while (sqlite3_step(st) == SQLITE_ROW) {
            const QString n = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
            const QString t = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
            if (!nombreTabla.isEmpty() && n.compare(nombreTabla, Qt::CaseInsensitive) != 0) continue;
            objetos.emplace_back(n, t == QLatin1String("view") ? QStringLiteral("VIEW") : QStringLiteral("TABLE"));
        }
        sqlite3_finalize(st);

        rellenarColumnas(r, esquema, texto, numero);
        if (esquema == 20) {
            const QString tipoPedido = restriccion(3);
            for (const auto& [n, t] : objetos) {
                if (!tipoPedido.isEmpty() && tipoPedido.compare(t, Qt::CaseInsensitive) != 0) continue;
                r.filas.push_back({Variant(cat), Variant("dbo"), Variant(n), Variant(t)});
            }
        } else if (esquema == 4) {
            const QString columnaPedida = restriccion(3);
            for (const auto& obj : objetos) {
                const QString& n = obj.first;
                QString q = n;
                q.replace(QLatin1Char('"'), QLatin1String("\"\""));
                const QByteArray sql = QStringLiteral("PRAGMA table_xinfo(\"%1\")").arg(q).toUtf8();
                if (sqlite3_prepare_v2(db_, sql.constData(), -1, &st, nullptr) != SQLITE_OK) continue;
                while (sqlite3_step(st) == SQLITE_ROW) {
                    if (sqlite3_column_int(st, 6) != 0 && sqlite3_column_int(st, 6) != 2 && sqlite3_column_int(st, 6) != 3) continue;  // hidden
                    const QString col = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
                    if (!columnaPedida.isEmpty() && col.compare(columnaPedida, Qt::CaseInsensitive) != 0) continue;
                    const TipoDeclarado td = tipoDeclarado(reinterpret_cast<const char*>(sqlite3_column_text(st, 2)));
                    const bool nulable = sqlite3_column_int(st, 3) == 0 && sqlite3_column_int(st, 5) == 0;
                    long tipoOleDb = td.tipo;
                    // Schema rows speak OLE DB types: narrow and wide strings.
                    if (td.tipo == tipo::VarChar || td.tipo == tipo::LongVarChar) tipoOleDb = tipo::Char;
                    if (td.tipo == tipo::VarWChar || td.tipo == tipo::LongVarWChar) tipoOleDb = tipo::WChar;
                    const Variant largo = esTipoTexto(td.tipo) ? Variant::largo(td.tamano) : Variant::nulo();
                    r.filas.push_back({Variant(cat), Variant("dbo"), Variant(n), Variant(col), Variant(sqlite3_column_int(st, 0) + 1),
                                       Variant(nulable), Variant::entero16(static_cast<int16_t>(tipoOleDb)), largo});
                }
                sqlite3_finalize(st);
            }
        } else {
            errores.Add(entrada(num::NoPermitidoContexto, QStringLiteral("Object or provider is not capable of performing requested operation."),
                                "HY000", 0));
        }
        return r;
    }

private:
    template <typename FT, typename FN>
    Resultado& rellenarColumnas(Resultado& r, long esquema, FT texto, FN numero)
    {
        if (!r.columnas.empty()) return r;
        r.columnas = {texto("TABLE_CATALOG"), texto("TABLE_SCHEMA"), texto("TABLE_NAME")};
        if (esquema == 20) r.columnas.push_back(texto("TABLE_TYPE"));
        else {
            r.columnas.push_back(texto("COLUMN_NAME"));
            r.columnas.push_back(numero("ORDINAL_POSITION", tipo::Integer));
            r.columnas.push_back(numero("IS_NULLABLE", tipo::Boolean));
            Columna c = numero("DATA_TYPE", tipo::SmallInt);
            c.tamano = 2;
            r.columnas.push_back(c);
            r.columnas.push_back(numero("CHARACTER_MAXIMUM_LENGTH", tipo::Integer));
        }
        return r;
    }

    QString nombreCatalogo() const
    {
        if (ruta_ == QLatin1String(":memory:")) return base_;
        return QFileInfo(ruta_).completeBaseName();
    }

    bool nombraEstaBase(const QString& nombre) const
    {
        const QString n = nombre.trimmed();
        if (n.isEmpty()) return false;
        if (n.compare(base_, Qt::CaseInsensitive) == 0) return true;
        if (ruta_ == QLatin1String(":memory:")) return false;
        if (QFileInfo(n).completeBaseName().compare(QFileInfo(ruta_).completeBaseName(), Qt::CaseInsensitive) == 0) return true;
        const QFileInfo otra(rutaBaseEmbebida(n));
        return otra.exists() && otra.canonicalFilePath() == QFileInfo(ruta_).canonicalFilePath();
    }

    bool exigir(Errors& errores)
    {
        if (db_) return true;
        errores.Add(entrada(num::ConexionInvalida, descripcionClasica(num::ConexionInvalida), "08003", 0));
        return false;
    }

    void notarPerdida()
    {
        // A failure can end the transaction behind our back (disk full, ...).
        if (nivel_ > 0 && sqlite3_get_autocommit(db_)) perdida_ = true;
    }

    bool exec(const char* sql, Errors& errores)
    {
        char* msg = nullptr;
        const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, &msg);
        if (rc == SQLITE_OK) return true;
        const QString m = QString::fromUtf8(msg ? msg : sqlite3_errmsg(db_));
        sqlite3_free(msg);
        anotarFallo(sqlite3_extended_errcode(db_), m, QString::fromLatin1(sql), errores, ruta_);
        return false;
    }

    // In write-ahead mode SQLite goes on writing to a file that was deleted or
    // replaced while open, and the change would be lost: every write asks
    // whether the path still names the file that was opened.
    bool archivoMovido(Errors& errores)
    {
        if (ruta_ == QLatin1String(":memory:")) return false;
        struct stat ahora {};
        if (::stat(QFile::encodeName(ruta_).constData(), &ahora) == 0 && ahora.st_dev == dispositivo_ && ahora.st_ino == nodo_) return false;
        anotarFallo(SQLITE_READONLY_DBMOVED, QString(), QString(), errores, ruta_);
        return true;
    }

    static int vigilar(void* p)
    {
        auto* self = static_cast<ProveedorSqlite*>(p);
        return self->reloj_.isValid() && self->limiteMs_ > 0 && self->reloj_.elapsed() > self->limiteMs_ ? 1 : 0;
    }

    void armarTiempo()
    {
        limiteMs_ = tiempoEspera_ > 0 ? static_cast<qint64>(tiempoEspera_) * 1000 : 0;
        reloj_.start();
        sqlite3_progress_handler(db_, limiteMs_ > 0 ? 10000 : 0, limiteMs_ > 0 ? &ProveedorSqlite::vigilar : nullptr, this);
    }

    // ------------------------------------------------------------ statement cache
    //
    // The suite builds its statements by putting values into texts, so a
    // save's texts are new every time. As SQL Server's simple
    // parameterisation does, a batch is looked up by its shape (its text with
    // the '...' literals taken out): the shape's rewriting, with the literals
    // as parameters, and its prepared statements serve every batch of that
    // shape whose literals make the rewriting's choices the same (see
    // dialecto::Eleccion); the literals are bound.

    struct Preparada {
        dialecto::Sentencia s;
        QByteArray texto;                  // s.texto as UTF-8
        sqlite3_stmt* st = nullptr;        // kept between runs once prepared
        bool intentada = false;            // preparing it once was tried
        bool cambia = false;               // INSERT / UPDATE / DELETE ...: counts rows
        bool ddl = false;                  // CREATE / ALTER / DROP
        std::vector<TipoDeclarado> tipos;  // of its columns, for preparaciones
        int preparaciones = -1;
    };

    struct Plan {
        std::vector<Preparada> sentencias;
        bool reutilizable = true;   // no literal kept in its text
        ~Plan()
        {
            for (Preparada& p : sentencias) sqlite3_finalize(p.st);
        }
    };

    struct Molde {
        QString clave;                    // the batch with '' for every literal
        std::vector<QString> literales;   // their values, in order
        bool parametrizable = true;       // every literal closed
    };

    // The literals a statement's parameters take: ?i is valores[primero + i - 1].
    struct Enlace {
        const std::vector<QByteArray>* valores = nullptr;   // nullptr: the text keeps its literals
        const std::vector<QString>* textos = nullptr;
        int primero = 0;
        int cuantos = 0;
    };

    static void enlazar(sqlite3_stmt* st, const Enlace& e)
    {
        if (!e.valores) return;
        const int n = std::min(sqlite3_bind_parameter_count(st), e.cuantos);
        for (int i = 1; i <= n; ++i) {
            const QByteArray& v = (*e.valores)[static_cast<size_t>(e.primero + i - 1)];
            sqlite3_bind_text(st, i, v.constData(), static_cast<int>(v.size()), SQLITE_STATIC);
        }
    }

    // SQLite names an expression column by its text: ?1 there is the literal.
    static QString nombreDeColumna(const char* n, const Enlace& e)
    {
        QString nombre = QString::fromUtf8(n);
        if (!e.valores || !nombre.contains(QLatin1Char('?'))) return nombre;
        QString r;
        for (qsizetype i = 0; i < nombre.size(); ++i) {
            if (nombre[i] == QLatin1Char('?') && i + 1 < nombre.size() && nombre[i + 1].isDigit()) {
                qsizetype j = i + 1;
                while (j < nombre.size() && nombre[j].isDigit()) ++j;
                const int k = nombre.mid(i + 1, j - i - 1).toInt();
                if (k >= 1 && k <= e.cuantos) {
                    r += QLatin1Char('\'') + QString((*e.textos)[static_cast<size_t>(e.primero + k - 1)]).replace(QLatin1Char('\''), QLatin1String("''"))
                         + QLatin1Char('\'');
                    i = j - 1;
                    continue;
                }
            }
            r += nombre[i];
        }
        return r;
    }

    // Runs one rewritten statement text (SQLite may still see several in it),
    // preparing it for this run only.
    void correr(const QByteArray& texto, const QString& original, const Enlace& enlace, Resultado& r, long& afectadas, Errors& errores,
                int profundidad, bool actualizable)
    {
        const char* p = texto.constData();
        const char* fin = p + texto.size();
        while (p < fin) {
            sqlite3_stmt* st = nullptr;
            const char* cola = nullptr;
            int rc = sqlite3_prepare_v2(db_, p, static_cast<int>(fin - p), &st, &cola);
            if (rc != SQLITE_OK) {
                const int codigo = sqlite3_extended_errcode(db_);
                const QString msg = QString::fromUtf8(sqlite3_errmsg(db_));
                const int desplazamiento = sqlite3_error_offset(db_);
                // Two statements on one line end: SQLite's parser stops where the
                // second one begins; run them apart.
                if (msg.endsWith(QLatin1String("syntax error")) && desplazamiento > 0 && desplazamiento < fin - p && profundidad < 64) {
                    const QByteArray resto(p + desplazamiento, static_cast<int>(fin - p - desplazamiento));
                    const auto toks = dialecto::tokenizar(QString::fromUtf8(resto.left(64)));
                    if (!toks.empty() && toks[0].tipo == dialecto::TipoToken::Palabra
                        && dialecto::esPalabraDeSentencia(QString::fromUtf8(resto.left(64)).mid(toks[0].inicio, toks[0].largo))) {
                        correr(QByteArray(p, desplazamiento), original, enlace, r, afectadas, errores, profundidad + 1, actualizable);
                        correr(resto, original, enlace, r, afectadas, errores, profundidad + 1, actualizable);
                        return;
                    }
                }
                anotarFallo(codigo, msg, original, errores, ruta_);
                return;
            }
            if (!st) {  // only blanks or comments left
                p = cola;
                continue;
            }
            enlazar(st, enlace);
            paso(st, nullptr, enlace, r, afectadas, errores, actualizable);
            sqlite3_finalize(st);
            p = cola;
        }
    }

    // Prepares a statement of a kept plan once; false when its text is not
    // exactly one statement (it is then prepared on every run).
    bool prepararUna(Preparada& p)
    {
        if (p.intentada) return false;
        p.intentada = true;
        sqlite3_stmt* st = nullptr;
        const char* cola = nullptr;
        if (sqlite3_prepare_v3(db_, p.texto.constData(), static_cast<int>(p.texto.size()), SQLITE_PREPARE_PERSISTENT, &st, &cola) != SQLITE_OK || !st)
            return false;
        for (const char* c = cola; c && c < p.texto.constData() + p.texto.size(); ++c)
            if (!std::isspace(static_cast<unsigned char>(*c))) {
                sqlite3_finalize(st);
                return false;
            }
        p.st = st;
        return true;
    }

    void correrPreparada(Preparada& p, const Enlace& enlace, Resultado& r, long& afectadas, Errors& errores, bool actualizable)
    {
        enlazar(p.st, enlace);
        paso(p.st, &p, enlace, r, afectadas, errores, actualizable);
        sqlite3_reset(p.st);
        sqlite3_clear_bindings(p.st);
    }

    // Steps one prepared statement to its end: its rows go to r when it is the
    // batch's first statement with columns; its changes to afectadas.
    void paso(sqlite3_stmt* st, Preparada* guardada, const Enlace& enlace, Resultado& r, long& afectadas, Errors& errores, bool actualizable)
    {
        // Reads may go on in a transaction the engine ended; writes would
        // land in autocommit, outside it.
        if (perdida_ && !sqlite3_stmt_readonly(st)) {
            errores.Add(entrada(num::ErrorEnComando, kTransaccionPerdida, "25000", 3930));
            return;
        }
        if (!sqlite3_stmt_readonly(st) && archivoMovido(errores)) return;
        bool cambia;
        if (guardada) {
            cambia = guardada->cambia;
        } else {
            const QString primera = primeraPalabra(QString::fromUtf8(sqlite3_sql(st)));
            cambia = primera == QLatin1String("INSERT") || primera == QLatin1String("UPDATE") || primera == QLatin1String("DELETE")
                || primera == QLatin1String("REPLACE") || (primera == QLatin1String("WITH") && !sqlite3_stmt_readonly(st));
        }
        const sqlite3_int64 totalAntes = sqlite3_total_changes64(db_);
        const int ncols = sqlite3_column_count(st);
        const bool guardar = ncols > 0 && !r.conFilas;
        std::vector<TipoDeclarado> propios;
        const std::vector<TipoDeclarado>* tipos = &propios;
        if (guardar) {
            // The declared types are read once per preparation of a kept statement.
            const int preparaciones = sqlite3_stmt_status(st, SQLITE_STMTSTATUS_REPREPARE, 0);
            if (guardada && guardada->preparaciones == preparaciones && guardada->tipos.size() == static_cast<size_t>(ncols)) {
                tipos = &guardada->tipos;
            } else {
                propios.reserve(static_cast<size_t>(ncols));
                for (int i = 0; i < ncols; ++i) propios.push_back(tipoDeclaradoGuardado(sqlite3_column_decltype(st, i)));
                if (guardada) {
                    guardada->tipos = propios;
                    guardada->preparaciones = preparaciones;
                }
            }
            r.conFilas = true;
            r.columnas.clear();
            r.columnas.reserve(static_cast<size_t>(ncols));
            for (int i = 0; i < ncols; ++i) {
                Columna c;
                c.nombre = nombreDeColumna(sqlite3_column_name(st, i), enlace);
                const TipoDeclarado& td = (*tipos)[static_cast<size_t>(i)];
                c.tipo = td.tipo;
                c.tamano = td.tamano;
                if (actualizable) {
                    const char* tabla = sqlite3_column_table_name(st, i);
                    const char* origen = sqlite3_column_origin_name(st, i);
                    const char* baseDatos = sqlite3_column_database_name(st, i);
                    if (tabla) c.tablaBase = QString::fromUtf8(tabla);
                    if (origen) c.columnaBase = QString::fromUtf8(origen);
                    if (tabla && origen) {
                        int noNulo = 0, clave = 0, auto_ = 0;
                        if (sqlite3_table_column_metadata(db_, baseDatos, tabla, origen, nullptr, nullptr, &noNulo, &clave, &auto_) == SQLITE_OK)
                            c.clave = clave != 0;
                    }
                }
                r.columnas.push_back(std::move(c));
            }
        }
        armarTiempo();
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            if (!guardar) continue;
            Fila f;
            f.reserve(static_cast<size_t>(ncols));
            for (int i = 0; i < ncols; ++i) f.push_back(valorDe(st, i, (*tipos)[static_cast<size_t>(i)].tipo));
            r.filas.push_back(std::move(f));
        }
        sqlite3_progress_handler(db_, 0, nullptr, nullptr);
        if (rc != SQLITE_DONE) {
            const int codigo = sqlite3_extended_errcode(db_);
            const QString msg = QString::fromUtf8(sqlite3_errmsg(db_));
            anotarFallo(codigo, msg, QString::fromUtf8(sqlite3_sql(st)), errores, ruta_);
            if (guardar) r.filas.clear();
        } else if (cambia) {
            // Rows changed through a view's INSTEAD OF trigger are not in
            // sqlite3_changes; the total count has them.
            const sqlite3_int64 directos = sqlite3_changes64(db_);
            afectadas += static_cast<long>(directos > 0 ? directos : sqlite3_total_changes64(db_) - totalAntes);
        }
        if (guardar) {
            // Expressions carry no declared type: their values tell it.
            for (int i = 0; i < ncols; ++i) {
                if ((*tipos)[static_cast<size_t>(i)].conocido) continue;
                Columna& c = r.columnas[static_cast<size_t>(i)];
                c.tipo = tipo::VarChar;
                c.tamano = 255;
                for (const Fila& f : r.filas) {
                    const Variant& v = f[static_cast<size_t>(i)];
                    if (v.isNull()) continue;
                    if (v.tipo() == Variant::Tipo::Long) { c.tipo = tipo::Integer; c.tamano = 4; }
                    else if (v.tipo() == Variant::Tipo::Double) { c.tipo = tipo::Double; c.tamano = 8; }
                    break;
                }
            }
        }
    }

    static bool literalCerrado(QStringView t)
    {
        if (!t.isEmpty() && t[0] != QLatin1Char('\'')) t = t.mid(1);
        if (t.size() < 2) return false;
        qsizetype i = 1;
        while (i < t.size()) {
            if (t[i] == QLatin1Char('\'')) {
                if (i + 1 < t.size() && t[i + 1] == QLatin1Char('\'')) { i += 2; continue; }
                return i == t.size() - 1;
            }
            ++i;
        }
        return false;
    }

    static Molde moldeDe(const QString& sql)
    {
        Molde m;
        m.clave.reserve(sql.size());
        qsizetype desde = 0;
        for (const dialecto::Token& t : dialecto::tokenizar(sql)) {
            if (t.tipo != dialecto::TipoToken::Cadena) continue;
            const QStringView x = QStringView(sql).mid(t.inicio, t.largo);
            m.clave += QStringView(sql).mid(desde, t.inicio - desde);
            m.clave += QLatin1String("''");
            desde = t.inicio + t.largo;
            m.literales.push_back(dialecto::valorDeLiteral(x));
            m.parametrizable = m.parametrizable && literalCerrado(x);
        }
        m.clave += QStringView(sql).mid(desde);
        return m;
    }

    std::unique_ptr<Plan> planDe(const QString& sql, const Molde& m)
    {
        auto plan = std::make_unique<Plan>();
        plan->reutilizable = m.parametrizable;
        for (dialecto::Sentencia& s : dialecto::traducirLote(sql, tiposDeColumna_, m.parametrizable)) {
            Preparada p;
            p.texto = s.texto.toUtf8();
            const QString w = primeraPalabra(s.texto);
            p.cambia = w == QLatin1String("INSERT") || w == QLatin1String("UPDATE") || w == QLatin1String("DELETE") || w == QLatin1String("REPLACE");
            p.ddl = w == QLatin1String("CREATE") || w == QLatin1String("ALTER") || w == QLatin1String("DROP");
            // A WITH may write too: only a prepared statement tells.
            if (w == QLatin1String("WITH")) plan->reutilizable = false;
            if (s.literales > 0 && !s.conParametros) plan->reutilizable = false;
            p.s = std::move(s);
            plan->sentencias.push_back(std::move(p));
        }
        ++gPlanesNuevos;
        return plan;
    }

    Plan* buscarPlan(const Molde& m)
    {
        if (!m.parametrizable) return nullptr;
        auto it = planes_.find(m.clave);
        if (it == planes_.end()) return nullptr;
        for (const std::unique_ptr<Plan>& p : it->second) {
            bool vale = true;
            for (const Preparada& x : p->sentencias)
                for (const dialecto::Eleccion& e : x.s.elecciones) vale = vale && dialecto::mismaEleccion(e, m.literales, x.s.primerLiteral);
            if (vale) {
                ++gPlanesHallados;
                return p.get();
            }
        }
        return nullptr;
    }

    Plan* guardarPlan(const Molde& m, std::unique_ptr<Plan> p)
    {
        auto it = planes_.find(m.clave);
        if (it == planes_.end()) {
            if (orden_.size() >= kPlanesGuardados) {
                planes_.erase(orden_.front());
                orden_.pop_front();
            }
            orden_.push_back(m.clave);
            it = planes_.emplace(m.clave, std::vector<std::unique_ptr<Plan>>()).first;
        }
        it->second.push_back(std::move(p));
        return it->second.back().get();
    }

    // Declared types of the database's columns, by name: "+" between two text
    // columns concatenates, as on SQL Server, and the length tells which
    // stored values can equal a literal. Read once, again after a change of
    // schema.
    dialecto::InfoColumna tipoColumna(QStringView nombre)
    {
        if (!tiposLeidos_) leerTiposDeColumna();
        auto it = tiposColumna_.find(nombre.toString().toUpper());
        return it == tiposColumna_.end() ? dialecto::InfoColumna{} : it->second;
    }

    void leerTiposDeColumna()
    {
        tiposLeidos_ = true;
        tiposColumna_ = db_ ? leerTipos(db_) : std::unordered_map<QString, dialecto::InfoColumna>();
    }

    void olvidarEsquema()
    {
        tiposLeidos_ = false;
        planes_.clear();
        orden_.clear();
    }

    std::unordered_map<QString, dialecto::InfoColumna> tiposColumna_;
    bool tiposLeidos_ = false;
    const dialecto::TiposDeColumna tiposDeColumna_ = [this](QStringView n) { return tipoColumna(n); };

    static constexpr size_t kPlanesGuardados = 256;
    std::unordered_map<QString, std::vector<std::unique_ptr<Plan>>> planes_;
    std::deque<QString> orden_;
    sqlite3* db_ = nullptr;
    QString ruta_;
    QString base_;
    dev_t dispositivo_ = 0;   // the opened file, to notice it moved
    ino_t nodo_ = 0;
    int nivel_ = 0;
    bool perdida_ = false;   // the engine ended the transaction; only ROLLBACK is accepted
    long tiempoEspera_ = 30;
    qint64 limiteMs_ = 0;
    QElapsedTimer reloj_;
};

}  // namespace

std::unique_ptr<Proveedor> crearProveedorSqlite()
{
    return std::make_unique<ProveedorSqlite>();
}

void prepararConexionSqlite(sqlite3* db)
{
    sqlite3_extended_result_codes(db, 1);
    registrarFunciones(db);
    sqlite3_exec(db, "PRAGMA foreign_keys=ON", nullptr, nullptr, nullptr);
    // SQLite 3.40 builds automatic indexes in a column's own collation even
    // where the comparison names another, and then misses rows (a join on
    // texts, a condition the rewriting gave the database's collation).
    sqlite3_exec(db, "PRAGMA automatic_index=OFF", nullptr, nullptr, nullptr);
    // Write-ahead log, every commit synced: one fdatasync per commit where the
    // rollback journal takes four, and as safe against a killed process or a
    // power cut. (A file that cannot take it, read-only or in memory, keeps
    // its journal.)
    sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
}

std::vector<QString> sentenciasSqlite(sqlite3* db, const QString& lote)
{
    const auto tipos = leerTipos(db);
    const dialecto::TiposDeColumna f = [&](QStringView n) {
        auto it = tipos.find(n.toString().toUpper());
        return it == tipos.end() ? dialecto::InfoColumna{} : it->second;
    };
    std::vector<QString> r;
    for (const dialecto::Sentencia& x : dialecto::traducirLote(lote, f)) r.push_back(x.texto);
    return r;
}

UsoDePlanes usoDePlanesSqlite()
{
    return {gPlanesHallados.load(), gPlanesNuevos.load()};
}

}  // namespace ado
