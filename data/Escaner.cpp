#include "data/Escaner.h"

#include "ado/DialectoSqlite.h"

namespace datos::escaner {

namespace {

using ado::dialecto::TipoToken;

Zona zonaDe(TipoToken t)
{
    switch (t) {
    case TipoToken::Cadena: case TipoToken::Fecha: return Zona::Literal;
    case TipoToken::Citado: return Zona::Nombre;
    case TipoToken::Comentario: return Zona::Comentario;
    default: return Zona::Codigo;
    }
}

bool iguales(QStringView a, const char* b)
{
    return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
}

}  // namespace

Lectura::Lectura(QStringView sql)
    : sql_(sql), zonas_(static_cast<size_t>(sql.size()), Zona::Codigo), niveles_(static_cast<size_t>(sql.size()), 0)
{
    // The tokenizer of the platform layer is the one reading of SQL text: it
    // already knows doubled quotes, N'...', [names], comments and #dates#.
    int nivel = 0;
    for (const ado::dialecto::Token& t : ado::dialecto::tokenizar(sql)) {
        const Zona z = zonaDe(t.tipo);
        if (t.tipo == TipoToken::Simbolo && t.largo == 1 && sql[t.inicio] == QLatin1Char(')') && nivel > 0) --nivel;
        for (int i = t.inicio; i < t.inicio + t.largo; ++i) {
            zonas_[static_cast<size_t>(i)] = z;
            niveles_[static_cast<size_t>(i)] = nivel;
        }
        if (t.tipo == TipoToken::Simbolo && t.largo == 1 && sql[t.inicio] == QLatin1Char('(')) ++nivel;
        if (t.tipo != TipoToken::Blanco && t.tipo != TipoToken::Comentario)
            tramos_.push_back({t.inicio, t.largo, t.tipo == TipoToken::Palabra});
    }
}

bool Lectura::enAlcance(qsizetype desde, qsizetype largo, Alcance a) const
{
    for (qsizetype i = desde; i < desde + largo; ++i) {
        const Zona z = zonas_[static_cast<size_t>(i)];
        if (z == Zona::Codigo) continue;
        if (z == Zona::Nombre && a == Alcance::CodigoYNombres) continue;
        return false;
    }
    return true;
}

qsizetype Lectura::busca(const QString& que, qsizetype desde, Alcance a) const
{
    if (que.isEmpty()) return -1;
    qsizetype p = sql_.indexOf(que, qMax<qsizetype>(0, desde), Qt::CaseInsensitive);
    while (p >= 0) {
        if (enAlcance(p, que.size(), a)) return p;
        p = sql_.indexOf(que, p + 1, Qt::CaseInsensitive);
    }
    return -1;
}

qsizetype Lectura::buscaPalabra(const QString& palabra, qsizetype desde, bool soloNivelCero) const
{
    for (const Tramo& t : tramos_) {
        if (!t.palabra || t.inicio < desde) continue;
        if (soloNivelCero && niveles_[static_cast<size_t>(t.inicio)] != 0) continue;
        if (sql_.mid(t.inicio, t.largo).compare(palabra, Qt::CaseInsensitive) == 0) return t.inicio;
    }
    return -1;
}

qsizetype Lectura::buscaClausula(std::initializer_list<const char*> palabras, qsizetype desde) const
{
    const size_t n = palabras.size();
    if (n == 0 || tramos_.size() < n) return -1;
    for (size_t i = 0; i + n <= tramos_.size(); ++i) {
        const Tramo& primero = tramos_[i];
        if (primero.inicio < desde || niveles_[static_cast<size_t>(primero.inicio)] != 0) continue;
        size_t k = 0;
        for (const char* p : palabras) {
            const Tramo& t = tramos_[i + k];
            if (!t.palabra || !iguales(sql_.mid(t.inicio, t.largo), p)) break;
            ++k;
        }
        if (k == n) return primero.inicio;
    }
    return -1;
}

// Every statement passes these tests several times: a text that does not hold
// the words anywhere, literals included, is answered without reading it.
bool contiene(QStringView sql, const QString& que, Alcance a)
{
    if (que.isEmpty() || sql.indexOf(que, 0, Qt::CaseInsensitive) < 0) return false;
    return Lectura(sql).contiene(que, a);
}

qsizetype clausula(QStringView sql, std::initializer_list<const char*> palabras)
{
    for (const char* p : palabras)
        if (sql.indexOf(QLatin1String(p), 0, Qt::CaseInsensitive) < 0) return -1;
    return Lectura(sql).buscaClausula(palabras);
}

QString reemplaza(QStringView sql, const QString& que, const QString& por, Alcance a)
{
    if (que.isEmpty() || sql.indexOf(que, 0, Qt::CaseInsensitive) < 0) return sql.toString();
    const Lectura l(sql);
    QString r;
    qsizetype desde = 0;
    for (qsizetype p = l.busca(que, 0, a); p >= 0; p = l.busca(que, p + que.size(), a)) {
        r += sql.mid(desde, p - desde);
        r += por;
        desde = p + que.size();
    }
    if (desde == 0) return sql.toString();
    r += sql.mid(desde);
    return r;
}

QString esqueleto(QStringView sql)
{
    QString r;
    r.reserve(sql.size());
    for (const ado::dialecto::Token& t : ado::dialecto::tokenizar(sql)) {
        if (t.tipo == TipoToken::Cadena || t.tipo == TipoToken::Fecha) r += QLatin1Char('?');
        else r += sql.mid(t.inicio, t.largo);
    }
    return r;
}

}  // namespace datos::escaner
