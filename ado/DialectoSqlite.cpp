#include "DialectoSqlite.h"

#include "Cotejo.h"

#include <QDate>
#include <QTime>

#include <algorithm>
#include <optional>

namespace ado::dialecto {

namespace {

bool esInicioNombre(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_') || c == QLatin1Char('@');
}

bool esParteNombre(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('@') || c == QLatin1Char('$');
}

bool esBlanco(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n')
        || c == QLatin1Char('\f') || c == QLatin1Char('\v');
}

bool esDigito(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

bool igual(QStringView a, const char* b)
{
    return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
}

bool unaDe(QStringView a, std::initializer_list<const char*> lista)
{
    for (const char* p : lista)
        if (igual(a, p)) return true;
    return false;
}

// Body of a date literal that starts at '#' (position i); -1 when it is not one.
int finDeFecha(QStringView s, int i)
{
    const int n = s.size();
    const int limite = std::min(n, i + 40);
    for (int j = i + 1; j < limite; ++j) {
        const QChar c = s[j];
        if (c == QLatin1Char('#')) {
            if (j == i + 1) return -1;
            return fechaIso(s.mid(i + 1, j - i - 1)).isEmpty() ? -1 : j + 1;
        }
        if (!(esDigito(c) || c == QLatin1Char('/') || c == QLatin1Char('-') || c == QLatin1Char(':') || c == QLatin1Char('.')
              || c == QLatin1Char(' ') || c == QLatin1Char('T') || c.toUpper() == QLatin1Char('A') || c.toUpper() == QLatin1Char('P')
              || c.toUpper() == QLatin1Char('M')))
            return -1;
    }
    return -1;
}

int leerEntero(QStringView s, bool* ok)
{
    int v = 0;
    *ok = !s.isEmpty() && s.size() <= 4;
    if (!*ok) return 0;   // longer digit runs are no date part (and would overflow)
    for (QChar c : s) {
        if (!esDigito(c)) { *ok = false; return 0; }
        v = v * 10 + (c.unicode() - '0');
    }
    return v;
}

}  // namespace

std::vector<Token> tokenizar(QStringView s)
{
    std::vector<Token> t;
    const int n = s.size();
    int i = 0;
    auto poner = [&](TipoToken tipo, int ini, int fin) { t.push_back({tipo, ini, fin - ini}); };
    while (i < n) {
        const QChar c = s[i];
        const int ini = i;
        if (esBlanco(c)) {
            while (i < n && esBlanco(s[i])) ++i;
            poner(TipoToken::Blanco, ini, i);
        } else if (c == QLatin1Char('-') && i + 1 < n && s[i + 1] == QLatin1Char('-')) {
            // The suite joins batch lines with CR alone: a comment ends there too.
            while (i < n && s[i] != QLatin1Char('\n') && s[i] != QLatin1Char('\r')) ++i;
            poner(TipoToken::Comentario, ini, i);
        } else if (c == QLatin1Char('/') && i + 1 < n && s[i + 1] == QLatin1Char('*')) {
            i += 2;
            while (i < n && !(s[i] == QLatin1Char('*') && i + 1 < n && s[i + 1] == QLatin1Char('/'))) ++i;
            i = std::min(n, i + 2);
            poner(TipoToken::Comentario, ini, i);
        } else if (c == QLatin1Char('\'') || ((c == QLatin1Char('N') || c == QLatin1Char('n')) && i + 1 < n && s[i + 1] == QLatin1Char('\''))) {
            i += (c == QLatin1Char('\'')) ? 1 : 2;
            while (i < n) {
                if (s[i] == QLatin1Char('\'')) {
                    if (i + 1 < n && s[i + 1] == QLatin1Char('\'')) { i += 2; continue; }
                    ++i;
                    break;
                }
                ++i;
            }
            poner(TipoToken::Cadena, ini, i);
        } else if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('[')) {
            const QChar cierre = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            ++i;
            while (i < n) {
                if (s[i] == cierre) {
                    if (i + 1 < n && s[i + 1] == cierre) { i += 2; continue; }
                    ++i;
                    break;
                }
                ++i;
            }
            poner(TipoToken::Citado, ini, i);
        } else if (esDigito(c) || (c == QLatin1Char('.') && i + 1 < n && esDigito(s[i + 1]))) {
            ++i;
            while (i < n) {
                const QChar d = s[i];
                if (esDigito(d) || d == QLatin1Char('.') || d.isLetter() || d == QLatin1Char('_')) { ++i; continue; }
                if ((d == QLatin1Char('+') || d == QLatin1Char('-')) && (s[i - 1] == QLatin1Char('e') || s[i - 1] == QLatin1Char('E'))
                    && !(i - ini >= 2 && (s[ini + 1] == QLatin1Char('x') || s[ini + 1] == QLatin1Char('X'))) && i + 1 < n && esDigito(s[i + 1])) {
                    ++i;
                    continue;
                }
                break;
            }
            poner(TipoToken::Numero, ini, i);
        } else if (esInicioNombre(c)) {
            while (i < n && esParteNombre(s[i])) ++i;
            poner(TipoToken::Palabra, ini, i);
        } else if (c == QLatin1Char('#')) {
            const int fin = finDeFecha(s, i);
            if (fin > 0) {
                i = fin;
                poner(TipoToken::Fecha, ini, i);
            } else {
                ++i;
                poner(TipoToken::Simbolo, ini, i);
            }
        } else {
            static const char* dobles[] = {"<=", ">=", "<>", "!=", "==", "||", "<<", ">>"};
            int largo = 1;
            if (i + 1 < n) {
                for (const char* d : dobles)
                    if (c == QLatin1Char(d[0]) && s[i + 1] == QLatin1Char(d[1])) { largo = 2; break; }
            }
            // Keep surrogate pairs together.
            if (c.isHighSurrogate() && i + 1 < n && s[i + 1].isLowSurrogate()) largo = 2;
            i += largo;
            poner(TipoToken::Simbolo, ini, i);
        }
    }
    return t;
}

QString fechaIso(QStringView cuerpo)
{
    const QString b = cuerpo.trimmed().toString();
    if (b.isEmpty() || b.size() > 30) return QString();
    // Split into date and time at the first blank (or "T" in ISO form).
    QString parteFecha = b, parteHora;
    int corte = b.indexOf(QLatin1Char(' '));
    if (corte < 0 && b.size() > 10 && b[10] == QLatin1Char('T')) corte = 10;
    if (corte > 0) {
        parteFecha = b.left(corte);
        parteHora = b.mid(corte + 1).trimmed();
    }
    int anio = 0, mes = 0, dia = 0;
    bool ok1 = false, ok2 = false, ok3 = false;
    if (parteFecha.size() >= 8 && parteFecha.size() <= 10 && parteFecha.count(QLatin1Char('-')) == 2 && parteFecha.indexOf(QLatin1Char('-')) == 4) {
        const QStringList p = parteFecha.split(QLatin1Char('-'));
        anio = leerEntero(p[0], &ok1);
        mes = leerEntero(p[1], &ok2);
        dia = leerEntero(p[2], &ok3);
        if (!(ok1 && ok2 && ok3) || p[0].size() != 4) return QString();
    } else {
        QChar sep;
        for (QChar c : parteFecha)
            if (c == QLatin1Char('/') || c == QLatin1Char('-') || c == QLatin1Char('.')) { sep = c; break; }
        if (sep.isNull()) return QString();
        const QStringList p = parteFecha.split(sep);
        if (p.size() != 3) return QString();
        const int a = leerEntero(p[0], &ok1);
        const int m = leerEntero(p[1], &ok2);
        anio = leerEntero(p[2], &ok3);
        if (!(ok1 && ok2 && ok3) || p[0].size() > 2 || p[1].size() > 2 || (p[2].size() != 2 && p[2].size() != 4)) return QString();
        if (p[2].size() == 2) anio += anio < 30 ? 2000 : 1900;
        // The regional order is day first; month first only when that is the
        // one reading that makes a date (12/31/2024).
        if (QDate(anio, m, a).isValid()) { dia = a; mes = m; }
        else { mes = a; dia = m; }
    }
    const QDate f(anio, mes, dia);
    if (!f.isValid()) return QString();
    if (parteHora.isEmpty()) return f.toString(QStringLiteral("yyyy-MM-dd"));
    QString h = parteHora.toUpper();
    int ajuste = -1;  // -1 none, 0 AM, 12 PM
    if (h.endsWith(QLatin1String("AM")) || h.endsWith(QLatin1String("PM"))) {
        ajuste = h.endsWith(QLatin1String("PM")) ? 12 : 0;
        h.chop(2);
        h = h.trimmed();
    }
    const QStringList hp = h.split(QLatin1Char(':'));
    if (hp.size() < 2 || hp.size() > 3) return QString();
    bool okh = false, okm = false, oks = true;
    int hora = leerEntero(hp[0], &okh);
    const int minuto = leerEntero(hp[1], &okm);
    int segundo = 0;
    if (hp.size() == 3) {
        QString sg = hp[2];
        const int punto = sg.indexOf(QLatin1Char('.'));
        if (punto >= 0) sg = sg.left(punto);
        segundo = leerEntero(sg, &oks);
    }
    if (!(okh && okm && oks)) return QString();
    if (ajuste >= 0) {
        if (hora < 1 || hora > 12) return QString();
        hora = hora % 12 + ajuste;
    }
    const QTime t(hora, minuto, segundo);
    if (!t.isValid()) return QString();
    return f.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ') + t.toString(QStringLiteral("HH:mm:ss"));
}

bool esPalabraDeSentencia(QStringView p)
{
    return unaDe(p, {"SELECT", "INSERT", "UPDATE", "DELETE", "BEGIN", "COMMIT", "ROLLBACK", "CREATE", "DROP", "ALTER",
                     "PRAGMA", "VACUUM", "SAVEPOINT", "RELEASE", "REPLACE", "WITH", "SAVE", "END", "ANALYZE", "REINDEX", "EXPLAIN"});
}

namespace {

bool significativo(const Token& t)
{
    return t.tipo != TipoToken::Blanco && t.tipo != TipoToken::Comentario;
}

struct Rango {
    int desde;   // first token
    int hasta;   // one past the last token
};

// Statement boundaries of a batch as token ranges (without the ";").
std::vector<Rango> rangos(QStringView s, const std::vector<Token>& t)
{
    std::vector<int> sig;
    sig.reserve(t.size());
    for (int i = 0; i < static_cast<int>(t.size()); ++i)
        if (significativo(t[static_cast<size_t>(i)])) sig.push_back(i);
    auto texto = [&](int k) { const Token& x = t[static_cast<size_t>(sig[static_cast<size_t>(k)])]; return s.mid(x.inicio, x.largo); };
    auto tipo = [&](int k) { return t[static_cast<size_t>(sig[static_cast<size_t>(k)])].tipo; };
    const int ns = static_cast<int>(sig.size());

    std::vector<Rango> r;
    int inicio = 0;       // token where the current statement starts
    bool vacio = true;
    QString primera;
    QStringView previa;
    TipoToken tipoPrevia = TipoToken::Blanco;
    int prof = 0;
    bool disparador = false, cuerpo = false, terminado = false;
    int casos = 0;
    bool vioSelect = false, vioValues = false, vioPrincipal = false;

    auto reiniciar = [&]() {
        vacio = true;
        primera.clear();
        previa = QStringView();
        tipoPrevia = TipoToken::Blanco;
        prof = 0;
        disparador = cuerpo = terminado = false;
        casos = 0;
        vioSelect = vioValues = vioPrincipal = false;
    };
    auto cerrar = [&](int hasta) {
        if (!vacio) r.push_back({inicio, hasta});
    };
    auto siguiente = [&](int k) -> QStringView { return k + 1 < ns ? texto(k + 1) : QStringView(); };

    for (int k = 0; k < ns; ++k) {
        const QStringView x = texto(k);
        const TipoToken tk = tipo(k);
        const int i = sig[static_cast<size_t>(k)];
        if (tk == TipoToken::Simbolo && x == QLatin1String(";") && prof == 0 && !(disparador && cuerpo)) {
            cerrar(i);
            reiniciar();
            inicio = i + 1;
            continue;
        }
        if (tk == TipoToken::Palabra && prof == 0) {
            bool empieza = esPalabraDeSentencia(x);
            // Words that begin a statement only in some company.
            if (igual(x, "SAVE")) empieza = unaDe(siguiente(k), {"TRAN", "TRANSACTION"});
            else if (igual(x, "REPLACE")) empieza = igual(siguiente(k), "INTO");
            else if (igual(x, "END")) empieza = unaDe(siguiente(k), {"TRAN", "TRANSACTION"});
            else if (igual(x, "WITH")) {
                const QStringView sg = siguiente(k);
                empieza = igual(sg, "RECURSIVE")
                    || (k + 2 < ns && (tipo(k + 1) == TipoToken::Palabra || tipo(k + 1) == TipoToken::Citado)
                        && (igual(texto(k + 2), "AS") || texto(k + 2) == QLatin1String("(")));
            }
            if (!vacio && empieza && !(disparador && !terminado)) {
                bool sigue = false;
                if (tipoPrevia == TipoToken::Palabra
                    && unaDe(previa, {"UNION", "ALL", "EXCEPT", "INTERSECT", "AS", "ON", "OF", "CONFLICT", "DO", "OR", "EXPLAIN",
                                      "BEFORE", "AFTER", "INSTEAD", "THEN", "ELSE", "PLAN"}))
                    sigue = true;
                else if (igual(x, "SELECT") && (primera == QLatin1String("INSERT") || primera == QLatin1String("REPLACE")) && !vioSelect && !vioValues)
                    sigue = true;
                else if (primera == QLatin1String("WITH") && !vioPrincipal && unaDe(x, {"SELECT", "INSERT", "UPDATE", "DELETE", "REPLACE"})) {
                    sigue = true;
                    vioPrincipal = true;
                    primera = x.toString().toUpper();  // the rules of the main statement apply from here
                } else if (igual(x, "DROP") && primera == QLatin1String("ALTER"))
                    sigue = true;
                else if (primera == QLatin1String("EXPLAIN") && !vioSelect)
                    sigue = true;
                if (!sigue) {
                    cerrar(i);
                    reiniciar();
                    inicio = i;
                }
            }
            if (vacio) primera = x.toString().toUpper();
            if (disparador) {
                if (!cuerpo && !terminado && igual(x, "BEGIN")) { cuerpo = true; casos = 0; }
                else if (cuerpo && igual(x, "CASE")) ++casos;
                else if (cuerpo && igual(x, "END")) {
                    if (casos > 0) --casos;
                    else { cuerpo = false; terminado = true; }
                }
            } else if (primera == QLatin1String("CREATE") && igual(x, "TRIGGER")) {
                disparador = true;
            }
            if (igual(x, "SELECT")) vioSelect = true;
            if (igual(x, "VALUES")) vioValues = true;
        }
        if (tk == TipoToken::Simbolo && x == QLatin1String("(")) ++prof;
        else if (tk == TipoToken::Simbolo && x == QLatin1String(")") && prof > 0) --prof;
        vacio = false;
        previa = x;
        tipoPrevia = tk;
    }
    cerrar(static_cast<int>(t.size()));
    // Trim blanks and comments at both ends.
    for (Rango& g : r) {
        while (g.desde < g.hasta && !significativo(t[static_cast<size_t>(g.desde)])) ++g.desde;
        while (g.hasta > g.desde && !significativo(t[static_cast<size_t>(g.hasta - 1)])) --g.hasta;
    }
    r.erase(std::remove_if(r.begin(), r.end(), [](const Rango& g) { return g.hasta <= g.desde; }), r.end());
    return r;
}

// Table hints that SQLite has no use for.
bool esSugerencia(QStringView p)
{
    return unaDe(p, {"NOLOCK", "READUNCOMMITTED", "UPDLOCK", "ROWLOCK", "HOLDLOCK", "PAGLOCK", "TABLOCK", "TABLOCKX", "READPAST",
                     "XLOCK", "NOWAIT", "READCOMMITTED", "REPEATABLEREAD", "SERIALIZABLE", "NOEXPAND", "FASTFIRSTROW"});
}

// Keywords that end an operand chain of "+".
bool cortaCadena(QStringView p)
{
    return unaDe(p, {"SELECT", "FROM", "WHERE", "AND", "OR", "NOT", "AS", "ON", "JOIN", "INNER", "LEFT", "RIGHT", "OUTER", "CROSS",
                     "FULL", "WHEN", "THEN", "ELSE", "END", "CASE", "LIKE", "IN", "IS", "BETWEEN", "ORDER", "GROUP", "BY", "HAVING",
                     "VALUES", "UNION", "ALL", "DISTINCT", "INTO", "UPDATE", "INSERT", "DELETE", "SET", "LIMIT", "EXISTS", "ASC",
                     "DESC", "ESCAPE", "TOP", "PERCENT", "COLLATE", "GLOB", "REGEXP", "MATCH", "OFFSET", "EXCEPT", "INTERSECT",
                     "WITH", "RETURN", "PRINT", "IF", "WHILE"});
}

bool funcionDeTexto(QStringView p)
{
    return unaDe(p, {"STR", "RTRIM", "LTRIM", "TRIM", "UPPER", "LOWER", "UCASE", "LCASE", "SUBSTRING", "SUBSTR", "REPLACE",
                     "IZQUIERDA", "DERECHA", "LEFT", "RIGHT", "CHAR", "NCHAR", "SPACE", "REPLICATE", "QUOTENAME"});
}

bool funcionDeAlternativa(QStringView p)
{
    return unaDe(p, {"ISNULL", "IFNULL", "COALESCE", "NULLIF", "IIF"});
}

bool esTipoDeDato(QStringView p)
{
    return unaDe(p, {"VARCHAR", "NVARCHAR", "CHAR", "NCHAR", "TEXT", "NTEXT", "INT", "INTEGER", "BIGINT", "SMALLINT", "TINYINT",
                     "DATETIME", "SMALLDATETIME", "DATETIME2", "DATE", "TIME", "MONEY", "SMALLMONEY", "FLOAT", "REAL",
                     "NUMERIC", "DECIMAL", "BIT", "VARBINARY", "BINARY", "UNIQUEIDENTIFIER"});
}

constexpr int kNinguno = 0, kVariantes = 1, kRango = 2;
constexpr size_t kTopeVariantes = 64;

// Which condition can serve a comparison of a text column with these literals:
// the values that can be equal (a declared length and few enough of them;
// cuentas receives how many each literal has), or the range of one literal's
// NOCASE prefix.
int eleccionIgualdad(const QStringList& valores, int largo, std::vector<int>* cuentas)
{
    cuentas->clear();
    // NOCASE reads a text only up to a NUL: such a literal is compared as it is.
    for (const QString& v : valores)
        if (v.contains(QChar(0))) return kNinguno;
    if (largo > 0) {
        size_t total = 0;
        for (const QString& v : valores) {
            const size_t c = cotejo::cuentaVariantes(v, largo);
            total += c;
            cuentas->push_back(static_cast<int>(std::min(c, kTopeVariantes + 1)));
        }
        if (total <= kTopeVariantes) return kVariantes;
        cuentas->clear();
    }
    if (valores.size() != 1 || cotejo::prefijoIgual(valores[0]).isEmpty()) return kNinguno;
    return kRango;
}

// A LIKE pattern (and its escape) with a start that a NOCASE range serves.
int eleccionPatron(const QStringList& valores)
{
    char32_t escape = 0;
    if (valores.size() > 1) {
        if (valores[1].size() != 1) return 0;
        escape = valores[1][0].unicode();
    }
    return cotejo::prefijoPatron(valores[0], escape).isEmpty() ? 0 : 1;
}

// One statement under rewrite: every token keeps its output text.
class Reescritura {
public:
    Reescritura(QStringView s, const std::vector<Token>& t, int desde, int hasta, const TiposDeColumna& tipos = {}, bool parametros = false)
        : s_(s), tipos_(tipos)
    {
        for (int i = desde; i < hasta; ++i) tok_.push_back(t[static_cast<size_t>(i)]);
        salida_.reserve(tok_.size());
        ordinal_.assign(tok_.size(), 0);
        int literales = 0;
        for (size_t i = 0; i < tok_.size(); ++i) {
            const Token& x = tok_[i];
            salida_.push_back(s.mid(x.inicio, x.largo).toString());
            if (x.tipo == TipoToken::Cadena) ordinal_[i] = ++literales;
        }
        literales_ = literales;
        despues_.resize(tok_.size());
        vivo_.assign(tok_.size(), true);
        // The schema and PRAGMA take no parameters: their literals stay.
        if (parametros) {
            parametros_ = true;
            for (const Token& x : tok_) {
                if (!significativo(x)) continue;
                const QStringView w = s.mid(x.inicio, x.largo);
                parametros_ = !(x.tipo == TipoToken::Palabra && unaDe(w, {"CREATE", "ALTER", "DROP", "PRAGMA", "VACUUM", "ATTACH", "DETACH"}));
                break;
            }
            if (parametros_)
                for (size_t i = 0; i < tok_.size(); ++i)
                    if (ordinal_[i] > 0) salida_[i] = QLatin1Char('?') + QString::number(ordinal_[i]);
        }
    }

    bool conParametros() const { return parametros_; }
    int cuentaLiterales() const { return literales_; }
    const std::vector<Eleccion>& elecciones() const { return elecciones_; }

    QString resultado(ClaseSentencia* clase)
    {
        ClaseSentencia c = ClaseSentencia::Otra;
        recalcular();
        if (!transaccion(c)) {
            literales();
            recalcular();
            sugerencias();
            recalcular();
            propietario();
            recalcular();
            funciones();
            recalcular();
            // Before the rewrites that copy conditions (UPDATE TOP, TOP PERCENT).
            cotejo();
            topDeCambio();
            top();
            recalcular();
            alias();
            sumas();
            porcentajes();
        }
        if (clase) *clase = c;
        QString r;
        for (size_t i = 0; i < tok_.size(); ++i) {
            if (vivo_[i]) r += salida_[i];
            r += despues_[i];
        }
        return r.trimmed();
    }

private:
    QStringView original(int k) const { const Token& x = tok_[static_cast<size_t>(sig_[static_cast<size_t>(k)])]; return s_.mid(x.inicio, x.largo); }
    TipoToken tipo(int k) const { return tok_[static_cast<size_t>(sig_[static_cast<size_t>(k)])].tipo; }
    int n() const { return static_cast<int>(sig_.size()); }
    bool simbolo(int k, const char* c) const { return k >= 0 && k < n() && tipo(k) == TipoToken::Simbolo && original(k) == QLatin1String(c); }
    bool palabra(int k, const char* c) const { return k >= 0 && k < n() && tipo(k) == TipoToken::Palabra && igual(original(k), c); }
    QString& sal(int k) { return salida_[static_cast<size_t>(sig_[static_cast<size_t>(k)])]; }

    // Live significant tokens, their parentheses and depths.
    void recalcular()
    {
        sig_.clear();
        for (int i = 0; i < static_cast<int>(tok_.size()); ++i)
            if (vivo_[static_cast<size_t>(i)] && significativo(tok_[static_cast<size_t>(i)])) sig_.push_back(i);
        pareja_.assign(sig_.size(), -1);
        abre_.assign(sig_.size(), -1);
        std::vector<int> pila;
        for (int k = 0; k < n(); ++k) {
            abre_[static_cast<size_t>(k)] = pila.empty() ? -1 : pila.back();
            if (simbolo(k, "(")) pila.push_back(k);
            else if (simbolo(k, ")") && !pila.empty()) {
                pareja_[static_cast<size_t>(pila.back())] = k;
                pareja_[static_cast<size_t>(k)] = pila.back();
                pila.pop_back();
                abre_[static_cast<size_t>(k)] = pila.empty() ? -1 : pila.back();
            }
        }
    }

    // Removes significant tokens a..b (and what lies between), leaving one blank
    // so that neighbouring words stay apart.
    void quitar(int a, int b)
    {
        const int ia = sig_[static_cast<size_t>(a)], ib = sig_[static_cast<size_t>(b)];
        for (int i = ia; i <= ib; ++i) {
            vivo_[static_cast<size_t>(i)] = false;
            despues_[static_cast<size_t>(i)].clear();
        }
        despues_[static_cast<size_t>(ia)] = QStringLiteral(" ");
    }

    bool transaccion(ClaseSentencia& c)
    {
        if (n() == 0 || tipo(0) != TipoToken::Palabra) return false;
        auto soloPalabras = [&](int desde) {
            for (int k = desde; k < n(); ++k)
                if (tipo(k) != TipoToken::Palabra && tipo(k) != TipoToken::Citado) return false;
            return true;
        };
        auto dejar = [&](const QString& texto, ClaseSentencia clase) {
            sal(0) = texto;
            if (n() > 1) quitar(1, n() - 1);
            for (size_t i = 0; i < despues_.size(); ++i) despues_[i].clear();
            c = clase;
            return true;
        };
        const bool trans = n() > 1 && unaDe(original(1), {"TRAN", "TRANSACTION", "WORK"});
        if (palabra(0, "BEGIN")) {
            if (n() == 1 || (trans && n() <= 3 && soloPalabras(1))) return dejar(QStringLiteral("BEGIN"), ClaseSentencia::Comenzar);
            if (unaDe(original(1), {"DEFERRED", "IMMEDIATE", "EXCLUSIVE"}) && n() <= 3 && soloPalabras(1)) {
                c = ClaseSentencia::Comenzar;
                return true;
            }
            return false;
        }
        if (palabra(0, "COMMIT") || palabra(0, "END")) {
            if (n() == 1 || (trans && n() <= 3 && soloPalabras(1))) return dejar(QStringLiteral("COMMIT"), ClaseSentencia::Confirmar);
            return false;
        }
        if (palabra(0, "ROLLBACK")) {
            // ROLLBACK [TRANSACTION] TO SAVEPOINT x is SQLite's own; TO anywhere
            // else is no such statement and is left for the engine to refuse.
            if (palabra(1, "TO")) return true;
            if (trans && palabra(2, "TO")) {
                quitar(1, 1);
                return true;
            }
            if (n() == 1 || (trans && n() <= 3 && soloPalabras(1))) return dejar(QStringLiteral("ROLLBACK"), ClaseSentencia::Deshacer);
            return false;
        }
        if (palabra(0, "SAVE") && trans && n() == 3) {
            sal(0) = QStringLiteral("SAVEPOINT");
            quitar(1, 1);
            return true;
        }
        return false;
    }

    void literales()
    {
        for (size_t i = 0; i < tok_.size(); ++i) {
            if (parametros_ && tok_[i].tipo == TipoToken::Cadena) continue;   // bound as they are
            const Token& x = tok_[i];
            QString& o = salida_[i];
            if (x.tipo == TipoToken::Cadena && !o.isEmpty() && o[0] != QLatin1Char('\'')) o.remove(0, 1);  // N'...' is just a literal here
            if (x.tipo == TipoToken::Cadena && o.contains(QChar(0)) && o.size() >= 2 && o.endsWith(QLatin1Char('\''))) {
                // SQLite's parser stops at a NUL; SQL Server keeps it in the value.
                o.replace(QChar(0), QStringLiteral("' || char(0) || '"));
                o = QLatin1Char('(') + o + QLatin1Char(')');
            } else if (x.tipo == TipoToken::Citado && !o.isEmpty() && o[0] != QLatin1Char('"')) {
                const QChar cierre = o[0] == QLatin1Char('[') ? QLatin1Char(']') : QLatin1Char('`');
                QString dentro = o.mid(1);
                if (dentro.endsWith(cierre)) dentro.chop(1);
                dentro.replace(QString(2, cierre), QString(cierre));
                dentro.replace(QLatin1Char('"'), QLatin1String("\"\""));
                o = QLatin1Char('"') + dentro + QLatin1Char('"');
            } else if (x.tipo == TipoToken::Fecha) {
                const QString iso = fechaIso(QStringView(o).mid(1, o.size() - 2));
                if (!iso.isEmpty()) o = QLatin1Char('\'') + iso + QLatin1Char('\'');
            }
        }
    }

    void sugerencias()
    {
        for (int k = 0; k < n(); ++k) {
            const bool conWith = palabra(k, "WITH") && simbolo(k + 1, "(");
            const int p = conWith ? k + 1 : k;
            if (!simbolo(p, "(")) continue;
            if (!conWith && !(k > 0 && (tipo(k - 1) == TipoToken::Palabra || tipo(k - 1) == TipoToken::Citado) && !cortaCadena(original(k - 1))))
                continue;
            const int cierre = pareja_[static_cast<size_t>(p)];
            if (cierre < 0) continue;
            bool todas = cierre > p + 1;
            for (int j = p + 1; j < cierre && todas; ++j) {
                if (simbolo(j, ",")) continue;
                if (tipo(j) == TipoToken::Palabra && esSugerencia(original(j))) continue;
                if (conWith && palabra(j, "INDEX") && simbolo(j + 1, "(") && pareja_[static_cast<size_t>(j + 1)] > 0) {
                    j = pareja_[static_cast<size_t>(j + 1)];
                    continue;
                }
                todas = false;
            }
            if (!todas) continue;
            quitar(k, cierre);
            recalcular();
            --k;
        }
    }

    void propietario()
    {
        for (int k = 0; k + 1 < n(); ++k) {
            const bool nombre = (tipo(k) == TipoToken::Palabra && igual(original(k), "dbo"))
                || (tipo(k) == TipoToken::Citado && original(k).size() == 5 && igual(original(k).mid(1, 3), "dbo"));
            if (!nombre || !simbolo(k + 1, ".")) continue;
            if (k + 2 >= n() || (tipo(k + 2) != TipoToken::Palabra && tipo(k + 2) != TipoToken::Citado)) continue;
            const int ia = sig_[static_cast<size_t>(k)], ib = sig_[static_cast<size_t>(k + 1)];
            for (int i = ia; i <= ib; ++i) vivo_[static_cast<size_t>(i)] = false;
            recalcular();
            --k;
            if (k < -1) k = -1;
        }
    }

    void funciones()
    {
        for (int k = 0; k + 1 < n(); ++k) {
            if (tipo(k) != TipoToken::Palabra || !simbolo(k + 1, "(")) continue;
            if (k > 0 && simbolo(k - 1, ".")) continue;
            const QStringView p = original(k);
            if (igual(p, "ISNULL")) sal(k) = QStringLiteral("IFNULL");
            else if (igual(p, "LEFT")) sal(k) = QStringLiteral("IZQUIERDA");
            else if (igual(p, "RIGHT")) sal(k) = QStringLiteral("DERECHA");
            else if (igual(p, "CONVERT") && k + 2 < n() && tipo(k + 2) == TipoToken::Palabra && esTipoDeDato(original(k + 2))) {
                // CONVERT(type, x [, style]): the type travels as text to our function.
                const int cierre = pareja_[static_cast<size_t>(k + 1)];
                if (cierre < 0) continue;
                int coma = -1;
                for (int j = k + 3; j < cierre; ++j) {
                    if (simbolo(j, ",") && abre_[static_cast<size_t>(j)] == k + 1) { coma = j; break; }
                    if (simbolo(j, "(") && pareja_[static_cast<size_t>(j)] > 0) j = pareja_[static_cast<size_t>(j)];
                }
                if (coma < 0) continue;
                // A type is words, numbers and its own parentheses: anything else
                // (a literal above all) means this is no type, and nothing is rewritten.
                bool esTipo = true;
                for (int j = k + 2; j < coma && esTipo; ++j)
                    esTipo = tipo(j) == TipoToken::Palabra || tipo(j) == TipoToken::Numero || simbolo(j, "(") || simbolo(j, ")") || simbolo(j, ",");
                if (!esTipo) continue;
                QString tipoTexto;
                for (int j = k + 2; j < coma; ++j) tipoTexto += original(j).toString().toUpper();
                tipoTexto.replace(QLatin1Char('\''), QLatin1String("''"));
                sal(k + 2) = QLatin1Char('\'') + tipoTexto + QLatin1Char('\'');
                const int ia = sig_[static_cast<size_t>(k + 2)], ib = sig_[static_cast<size_t>(coma)];
                for (int i = ia + 1; i < ib; ++i) vivo_[static_cast<size_t>(i)] = false;
                recalcular();
            }
        }
    }

    // Output text of significant tokens a..b with what lies between.
    QString texto(int a, int b) const
    {
        QString r;
        for (int i = sig_[static_cast<size_t>(a)]; i <= sig_[static_cast<size_t>(b)]; ++i) {
            if (vivo_[static_cast<size_t>(i)]) r += salida_[static_cast<size_t>(i)];
            if (i != sig_[static_cast<size_t>(b)]) r += despues_[static_cast<size_t>(i)];
        }
        return r;
    }

    void top()
    {
        std::vector<bool> conLimite(tok_.size() + 1, false);
        for (int k = 0; k < n(); ++k) {
            if (!palabra(k, "SELECT")) continue;
            int j = k + 1;
            if (palabra(j, "DISTINCT") || palabra(j, "ALL")) ++j;
            if (!palabra(j, "TOP")) continue;
            const int inicioTop = j;
            int finTop;
            QString cuanto;
            if (j + 1 < n() && tipo(j + 1) == TipoToken::Numero) {
                finTop = j + 1;
                cuanto = original(j + 1).toString();
            } else if (simbolo(j + 1, "(") && pareja_[static_cast<size_t>(j + 1)] > j + 2) {
                finTop = pareja_[static_cast<size_t>(j + 1)];
                cuanto = texto(j + 1, finTop);
            } else if (j + 1 < n() && tipo(j + 1) == TipoToken::Palabra && original(j + 1).startsWith(QLatin1Char('@'))) {
                finTop = j + 1;
                cuanto = original(j + 1).toString();
            } else {
                continue;
            }
            bool porciento = false;
            if (palabra(finTop + 1, "PERCENT")) { porciento = true; ++finTop; }
            if (palabra(finTop + 1, "WITH") && palabra(finTop + 2, "TIES")) finTop += 2;
            // The SELECT ends before the ")" that closes its parenthesis, before
            // the UNION (EXCEPT, INTERSECT) that follows it at its own level, or
            // at the end of the statement.
            const int abre = abre_[static_cast<size_t>(k)];
            int fin = n() - 1;
            if (abre >= 0) fin = pareja_[static_cast<size_t>(abre)] >= 0 ? pareja_[static_cast<size_t>(abre)] - 1 : n() - 1;
            bool rama = k > 0 && (palabra(k - 1, "UNION") || palabra(k - 1, "EXCEPT") || palabra(k - 1, "INTERSECT")
                                  || (palabra(k - 1, "ALL") && palabra(k - 2, "UNION")));
            for (int m = k + 1; m <= fin; ++m) {
                if (abre_[static_cast<size_t>(m)] != abre) continue;
                if (palabra(m, "UNION") || palabra(m, "EXCEPT") || palabra(m, "INTERSECT")) {
                    fin = m - 1;
                    rama = true;
                    break;
                }
            }
            // Nothing after the row count: the statement is left for the engine
            // to refuse, never cut down to a bare SELECT.
            if (fin <= finTop) continue;
            quitar(inicioTop, finTop);
            recalcular();
            // Positions after the removed TOP moved back.
            fin -= finTop - inicioTop + 1;
            const bool todas = porciento && cuanto.trimmed() == QLatin1String("100");
            if (!todas) {
                const int ultimo = sig_[static_cast<size_t>(fin)];
                if (!conLimite[static_cast<size_t>(ultimo)]) {
                    conLimite[static_cast<size_t>(ultimo)] = true;
                    if (porciento) {
                        // Its limit counts the rows of the finished query: written last.
                        porcentajes_.push_back({sig_[static_cast<size_t>(k)], ultimo, cuanto, rama});
                    } else {
                        QString limite = QStringLiteral(" LIMIT ") + cuanto;
                        // A branch of a compound query takes its own limit only inside a subquery.
                        if (rama) {
                            sal(k) = QStringLiteral("SELECT * FROM (") + sal(k);
                            limite += QLatin1Char(')');
                        }
                        despues_[static_cast<size_t>(ultimo)] = limite + despues_[static_cast<size_t>(ultimo)];
                    }
                }
            }
            recalcular();
            k = -1;  // positions moved; TOPs already done are gone
        }
    }

    // TOP n PERCENT: the share of the rows the query gives, rounded up, as SQL
    // Server does; the count runs over the query as it is finally written.
    struct Porcentaje {
        int desde, hasta;   // token ids of the SELECT and of its last token
        QString cuanto;
        bool rama;
    };
    std::vector<Porcentaje> porcentajes_;

    void porcentajes()
    {
        for (const Porcentaje& p : porcentajes_) {
            QString consulta;
            for (int i = p.desde; i <= p.hasta; ++i) {
                if (vivo_[static_cast<size_t>(i)]) consulta += salida_[static_cast<size_t>(i)];
                consulta += despues_[static_cast<size_t>(i)];
            }
            QString& d = despues_[static_cast<size_t>(p.hasta)];
            d += QStringLiteral(" LIMIT (SELECT CAST((COUNT(*) * (") + p.cuanto + QStringLiteral(") + 99.9999999) / 100 AS INTEGER) FROM (") + consulta
                 + QStringLiteral("))");
            if (p.rama) {
                salida_[static_cast<size_t>(p.desde)] = QStringLiteral("SELECT * FROM (") + salida_[static_cast<size_t>(p.desde)];
                d += QLatin1Char(')');
            }
        }
    }

    // UPDATE TOP (n) / DELETE TOP (n): SQLite limits neither, so the rows are
    // chosen by rowid in a subquery with the same condition.
    void topDeCambio()
    {
        const bool actualiza = palabra(0, "UPDATE"), borra = palabra(0, "DELETE");
        if (!(actualiza || borra) || !palabra(1, "TOP") || !simbolo(2, "(")) return;
        const int cierre = pareja_[2];
        if (cierre < 0) return;
        const QString cuanto = texto(3, cierre - 1);
        int tabla = cierre + 1;
        if (borra && palabra(tabla, "FROM")) ++tabla;
        if (tabla >= n()) return;
        // The table's name, possibly with its owner (dbo.T, already dropped).
        int finTabla = tabla;
        while (simbolo(finTabla + 1, ".") && finTabla + 2 < n()) finTabla += 2;
        const QString nombre = texto(tabla, finTabla);
        int donde = -1;
        for (int m = finTabla + 1; m < n(); ++m)
            if (abre_[static_cast<size_t>(m)] == -1 && palabra(m, "WHERE")) { donde = m; break; }
        const QString condicion = donde >= 0 && donde + 1 < n() ? texto(donde + 1, n() - 1) : QString();
        const QString filas = QStringLiteral("rowid IN (SELECT rowid FROM ") + nombre + (condicion.isEmpty() ? QString() : QStringLiteral(" WHERE ") + condicion)
                              + QStringLiteral(" LIMIT ") + cuanto + QLatin1Char(')');
        quitar(1, cierre);
        recalcular();
        if (donde >= 0) {
            donde -= cierre;
            const int ultimo = sig_[static_cast<size_t>(n() - 1)];
            for (int m = donde + 1; m < n(); ++m) vivo_[static_cast<size_t>(sig_[static_cast<size_t>(m)])] = false;
            despues_[static_cast<size_t>(sig_[static_cast<size_t>(donde)])] = QLatin1Char(' ') + filas;
            (void)ultimo;
        } else {
            QString& d = despues_[static_cast<size_t>(sig_[static_cast<size_t>(n() - 1)])];
            d = QStringLiteral(" WHERE ") + filas + d;
        }
        recalcular();
    }

    // SELECT Total = COUNT(*): SQL Server's other way of naming a column.
    void alias()
    {
        for (int k = 0; k < n(); ++k) {
            if (!palabra(k, "SELECT")) continue;
            const int nivel = abre_[static_cast<size_t>(k)];
            int inicio = k + 1;
            if (palabra(inicio, "DISTINCT") || palabra(inicio, "ALL")) ++inicio;
            for (int m = inicio; m < n(); ++m) {
                if (abre_[static_cast<size_t>(m)] != nivel) continue;
                if (simbolo(m, ")") && nivel >= 0 && pareja_[static_cast<size_t>(m)] == nivel) break;
                const bool finLista = palabra(m, "FROM") || palabra(m, "INTO") || palabra(m, "WHERE") || palabra(m, "UNION") || palabra(m, "ORDER")
                                      || palabra(m, "GROUP") || palabra(m, "HAVING") || palabra(m, "EXCEPT") || palabra(m, "INTERSECT") || simbolo(m, ";");
                if (simbolo(m, ",") || finLista) {
                    // The item inicio..m-1: "name = expr" becomes "expr AS name".
                    if (m - inicio >= 3 && (tipo(inicio) == TipoToken::Palabra || tipo(inicio) == TipoToken::Citado)
                        && !original(inicio).startsWith(QLatin1Char('@')) && simbolo(inicio + 1, "=")) {
                        const QString nombre = sal(inicio);
                        vivo_[static_cast<size_t>(sig_[static_cast<size_t>(inicio)])] = false;
                        vivo_[static_cast<size_t>(sig_[static_cast<size_t>(inicio + 1)])] = false;
                        QString& d = despues_[static_cast<size_t>(sig_[static_cast<size_t>(m - 1)])];
                        d = QStringLiteral(" AS ") + nombre + d;
                    }
                    inicio = m + 1;
                    if (finLista) break;
                }
            }
        }
        recalcular();
    }

    // String "+" becomes "||": within one chain of "+" at one depth, when an
    // operand is text (a literal, a text function, a parenthesis that is text).
    void sumas()
    {
        struct Nivel {
            std::vector<int> mas;
            bool texto = false;        // current chain has a text operand
            bool ultimaTexto = false;  // last finished chain was text
            bool algunTexto = false;   // any text operand at this level
            bool tipoTexto = false;    // a text type is named (CAST(x AS VARCHAR))
            bool numero = false;       // current chain has a numeric operand ('1' + 1 is 2)
            int cortes = 0;
            int funcion = -1;          // token of the function name before "("
        };
        std::vector<Nivel> pila(1);
        auto cerrarCadena = [&](Nivel& nv) {
            const bool texto = nv.texto && !nv.numero;
            if (texto && !nv.mas.empty())
                for (int m : nv.mas) sal(m) = QStringLiteral("||");
            nv.ultimaTexto = texto;
            nv.mas.clear();
            nv.texto = false;
            nv.numero = false;
        };
        auto finDeOperando = [&](int k) {
            if (k < 0) return false;
            const TipoToken t = tipo(k);
            if (t == TipoToken::Cadena || t == TipoToken::Citado || t == TipoToken::Numero || t == TipoToken::Fecha) return true;
            if (t == TipoToken::Palabra) return !cortaCadena(original(k)) || palabra(k, "END");
            return simbolo(k, ")");
        };
        for (int k = 0; k < n(); ++k) {
            Nivel& nv = pila.back();
            const TipoToken t = tipo(k);
            const QStringView x = original(k);
            if (simbolo(k, "(")) {
                Nivel nuevo;
                if (k > 0 && tipo(k - 1) == TipoToken::Palabra
                    && (!cortaCadena(original(k - 1)) || igual(original(k - 1), "LEFT") || igual(original(k - 1), "RIGHT")))
                    nuevo.funcion = k - 1;
                pila.push_back(nuevo);
                continue;
            }
            if (simbolo(k, ")")) {
                if (pila.size() == 1) { cerrarCadena(nv); nv.cortes++; continue; }
                cerrarCadena(nv);
                Nivel hecho = pila.back();
                pila.pop_back();
                bool esTexto = false;
                if (hecho.funcion >= 0) {
                    const QStringView f = original(hecho.funcion);
                    esTexto = funcionDeTexto(f) || (funcionDeAlternativa(f) && hecho.algunTexto)
                        || ((igual(f, "CAST") || igual(f, "CONVERT")) && hecho.tipoTexto);
                } else {
                    esTexto = hecho.cortes == 0 && hecho.ultimaTexto;
                }
                if (esTexto) { pila.back().texto = true; pila.back().algunTexto = true; }
                continue;
            }
            if (t == TipoToken::Simbolo && x == QLatin1String("+")) {
                if (finDeOperando(k - 1)) nv.mas.push_back(k);
                continue;
            }
            if (t == TipoToken::Cadena) {
                nv.texto = nv.algunTexto = true;
                continue;
            }
            if (t == TipoToken::Numero) {
                nv.numero = true;
                continue;
            }
            if (t == TipoToken::Palabra || t == TipoToken::Citado) {
                // A column whose declared type the database tells (the last part of T.COL).
                if (tipos_ && !simbolo(k + 1, "(") && !simbolo(k + 1, ".") && (t == TipoToken::Citado || !cortaCadena(x))) {
                    QStringView nombre = x;
                    if (t == TipoToken::Citado && nombre.size() >= 2) nombre = nombre.mid(1, nombre.size() - 2);
                    switch (tipos_(nombre).tipo) {
                    case TipoColumna::Texto: nv.texto = nv.algunTexto = true; break;
                    case TipoColumna::Numero: nv.numero = true; break;
                    case TipoColumna::Desconocido: break;
                    }
                }
                if (t == TipoToken::Citado) continue;
            }
            if (t == TipoToken::Palabra) {
                const QString u = x.toString().toUpper();
                if (u.contains(QLatin1String("CHAR")) || u == QLatin1String("TEXT") || u == QLatin1String("NTEXT")) nv.tipoTexto = true;
                if (cortaCadena(x) && !(simbolo(k + 1, "(") && (igual(x, "LEFT") || igual(x, "RIGHT")))) {
                    cerrarCadena(nv);
                    nv.cortes++;
                }
                continue;
            }
            if (t == TipoToken::Simbolo
                && (x == QLatin1String(",") || x == QLatin1String("=") || x == QLatin1String("==") || x == QLatin1String("<")
                    || x == QLatin1String(">") || x == QLatin1String("<=") || x == QLatin1String(">=") || x == QLatin1String("<>")
                    || x == QLatin1String("!=") || x == QLatin1String(";"))) {
                cerrarCadena(nv);
                nv.cortes++;
            }
        }
        while (!pila.empty()) {
            cerrarCadena(pila.back());
            pila.pop_back();
        }
    }

    // ------------------------------------------------ text comparisons
    //
    // SQL Server compares texts by the database's collation: case does not
    // count (Ñ/ñ, Á/á too), accents do, trailing blanks do not. The schema keeps
    // SQLite's stock NOCASE, which the stock sqlite3 tool shares, so the
    // collation of those rules is named here, in the statement: on literals
    // compared, IN lists, LIKE (our like() follows the same rules), text
    // columns compared with each other, ORDER BY and GROUP BY. A comparison
    // that names the collation cannot use a NOCASE index; where the operand is
    // a text column, a NOCASE-served condition goes in front of it: the values
    // that can be equal (NOCASE seeks keep composite indexes' equality), or the
    // range of its NOCASE prefix. DDL is never touched: the schema must stay
    // readable by the stock tool.

    static QString conCotejo() { return QStringLiteral(" COLLATE ") + QLatin1String(cotejo::kNombre); }

    bool esComparacion(int k) const
    {
        if (k < 0 || k >= n() || tipo(k) != TipoToken::Simbolo) return false;
        const QStringView x = original(k);
        return x == QLatin1String("=") || x == QLatin1String("==") || x == QLatin1String("<") || x == QLatin1String(">")
               || x == QLatin1String("<=") || x == QLatin1String(">=") || x == QLatin1String("<>") || x == QLatin1String("!=");
    }

    bool esNombre(int k) const
    {
        if (k < 0 || k >= n()) return false;
        if (tipo(k) == TipoToken::Citado) return true;
        return tipo(k) == TipoToken::Palabra && !cortaCadena(original(k)) && !original(k).startsWith(QLatin1Char('@')) && !palabra(k, "NULL");
    }

    // First token of the column reference [a.][b.]name that ends at fin; -1 if none.
    int inicioDeColumna(int fin) const
    {
        if (!esNombre(fin) || simbolo(fin + 1, "(") || simbolo(fin + 1, ".")) return -1;
        int m = fin;
        while (simbolo(m - 1, ".") && esNombre(m - 2)) m -= 2;
        if (simbolo(m - 1, ".")) return -1;
        return m;
    }

    // The column reference that starts at ini; its last token, or -1.
    int finDeColumna(int ini) const
    {
        if (!esNombre(ini) || simbolo(ini - 1, ".")) return -1;
        int m = ini;
        while (simbolo(m + 1, ".") && esNombre(m + 2)) m += 2;
        if (simbolo(m + 1, "(") || simbolo(m + 1, ".")) return -1;
        return m;
    }

    InfoColumna infoColumna(int fin) const
    {
        if (!tipos_) return {};
        QStringView nombre = original(fin);
        if (tipo(fin) == TipoToken::Citado && nombre.size() >= 2) nombre = nombre.mid(1, nombre.size() - 2);
        return tipos_(nombre);
    }

    // An operand that is a column, or a column trimmed by RTRIM / LTRIM / TRIM
    // (nested as the suite writes LTRIM(RTRIM(x))), ending at token fin.
    struct Operando {
        int inicio;            // first token of the operand
        int colIni, colFin;    // the column inside
        bool izquierda;        // its left blanks are trimmed
    };

    std::optional<Operando> operandoColumna(int fin) const
    {
        if (fin < 0) return std::nullopt;
        const int ini = inicioDeColumna(fin);
        if (ini >= 0) return Operando{ini, ini, fin, false};
        if (!simbolo(fin, ")")) return std::nullopt;
        const int p = pareja_[static_cast<size_t>(fin)];
        if (p <= 0 || tipo(p - 1) != TipoToken::Palabra || simbolo(p - 2, ".")) return std::nullopt;
        const bool rtrim = palabra(p - 1, "RTRIM");
        const bool ltrim = palabra(p - 1, "LTRIM") || palabra(p - 1, "TRIM");
        if (!rtrim && !ltrim) return std::nullopt;
        if (fin - 1 < p + 1) return std::nullopt;
        if (inicioDeColumna(fin - 1) == p + 1) return Operando{p - 1, p + 1, fin - 1, ltrim};
        const std::optional<Operando> dentro = operandoColumna(fin - 1);
        if (dentro && dentro->inicio == p + 1 && dentro->inicio != dentro->colIni)
            return Operando{p - 1, dentro->colIni, dentro->colFin, ltrim || dentro->izquierda};
        return std::nullopt;
    }

    // The AND of "x BETWEEN a AND b" is no boundary of a condition.
    bool esYDeEntre(int k) const
    {
        if (!palabra(k, "AND")) return false;
        const int nivel = abre_[static_cast<size_t>(k)];
        for (int m = k - 1; m >= 0 && abre_[static_cast<size_t>(m)] >= nivel; --m) {
            if (abre_[static_cast<size_t>(m)] != nivel) continue;
            if (palabra(m, "BETWEEN")) return true;
            if (palabra(m, "AND") || palabra(m, "OR") || palabra(m, "WHERE") || palabra(m, "ON") || palabra(m, "HAVING") || palabra(m, "WHEN")
                || palabra(m, "THEN") || palabra(m, "ELSE") || simbolo(m, ","))
                return false;
        }
        return false;
    }

    // Tokens around a comparison that make it a condition of its own, so that
    // it can be wrapped in parentheses with another one in front.
    bool limiteAntes(int k) const
    {
        if (k < 0) return false;
        if (palabra(k, "NOT")) return !palabra(k - 1, "IS");
        if (esYDeEntre(k)) return false;
        return simbolo(k, "(") || palabra(k, "WHERE") || palabra(k, "AND") || palabra(k, "OR") || palabra(k, "ON") || palabra(k, "HAVING")
               || palabra(k, "WHEN");
    }

    bool limiteDespues(int k) const
    {
        if (k >= n()) return true;
        return simbolo(k, ")") || simbolo(k, ",") || simbolo(k, ";") || palabra(k, "AND") || palabra(k, "OR") || palabra(k, "THEN")
               || palabra(k, "ELSE") || palabra(k, "END") || palabra(k, "WHEN") || palabra(k, "ORDER") || palabra(k, "GROUP")
               || palabra(k, "HAVING") || palabra(k, "LIMIT") || palabra(k, "UNION") || palabra(k, "EXCEPT") || palabra(k, "INTERSECT");
    }

    // "=" that assigns: UPDATE ... SET a = x, and SELECT name = expr.
    std::vector<bool> asigna_;

    void marcarAsignaciones()
    {
        asigna_.assign(static_cast<size_t>(n()), false);
        for (int k = 0; k < n(); ++k) {
            const int nivel = abre_[static_cast<size_t>(k)];
            if (palabra(k, "SET") && k > 0) {
                for (int m = k + 1; m < n(); ++m) {
                    const int a = abre_[static_cast<size_t>(m)];
                    if (a < nivel || (a == nivel && (palabra(m, "WHERE") || palabra(m, "FROM") || palabra(m, "RETURNING")))) break;
                    if (a == nivel && simbolo(m, "=")) asigna_[static_cast<size_t>(m)] = true;
                }
            } else if (palabra(k, "SELECT")) {
                int m = k + 1;
                if (palabra(m, "DISTINCT") || palabra(m, "ALL")) ++m;
                if (palabra(m, "TOP")) {
                    if (simbolo(m + 1, "(") && pareja_[static_cast<size_t>(m + 1)] > 0) m = pareja_[static_cast<size_t>(m + 1)] + 1;
                    else m += 2;
                    if (palabra(m, "PERCENT")) ++m;
                    if (palabra(m, "WITH") && palabra(m + 1, "TIES")) m += 2;
                }
                // Each item of the list: "name = ..." names it.
                for (int item = m; item < n();) {
                    if ((tipo(item) == TipoToken::Palabra || tipo(item) == TipoToken::Citado) && simbolo(item + 1, "=")
                        && !original(item).startsWith(QLatin1Char('@')))
                        asigna_[static_cast<size_t>(item + 1)] = true;
                    int siguiente = -1;
                    for (int j = item; j < n(); ++j) {
                        const int a = abre_[static_cast<size_t>(j)];
                        if (a < nivel) break;   // the parenthesis around this SELECT closes
                        if (a != nivel) continue;
                        if (simbolo(j, ",")) { siguiente = j + 1; break; }
                        if (palabra(j, "FROM") || palabra(j, "INTO") || palabra(j, "WHERE") || palabra(j, "UNION") || palabra(j, "ORDER")
                            || palabra(j, "GROUP") || palabra(j, "HAVING") || palabra(j, "EXCEPT") || palabra(j, "INTERSECT") || simbolo(j, ";"))
                            break;
                    }
                    if (siguiente < 0) break;
                    item = siguiente;
                }
            }
        }
    }

    bool asigna(int k) const { return k >= 0 && k < n() && asigna_[static_cast<size_t>(k)]; }

    QString valorLiteral(int k) const { return valorDeLiteral(original(k)); }
    int ordinal(int k) const { return ordinal_[static_cast<size_t>(sig_[static_cast<size_t>(k)])]; }

    // The NOCASE-served condition for a text column compared with literals
    // (tokens), as the literals' values choose it; empty when none helps.
    QString prefiltro(const QString& columna, const std::vector<int>& literales, int largo, bool izquierda)
    {
        Eleccion e;
        e.tipo = Eleccion::Tipo::Igualdad;
        e.largo = largo;
        e.izquierda = izquierda;
        QStringList salidas, valores;
        for (int k : literales) {
            e.literales.push_back(ordinal(k));
            salidas << sal(k);
            valores << valorLiteral(k);
        }
        e.resultado = eleccionIgualdad(valores, largo, &e.cuentas);
        elecciones_.push_back(e);
        QString condicion;
        if (e.resultado == kVariantes) {
            // Each value by itself, so that the planner knows how many seeks it takes.
            QStringList lista;
            const QString resto = QStringLiteral(", ") + QString::number(largo) + QLatin1Char(')');
            for (size_t j = 0; j < e.cuentas.size(); ++j)
                for (int i = 0; i < e.cuentas[j]; ++i)
                    lista << QStringLiteral("permutal_variante(") + salidas[static_cast<int>(j)] + QStringLiteral(", ") + QString::number(i) + resto;
            condicion = columna + QStringLiteral(" COLLATE NOCASE IN (") + lista.join(QStringLiteral(", ")) + QLatin1Char(')');
        } else if (e.resultado == kRango) {
            const QString desde = QStringLiteral("permutal_prefijo(") + salidas[0] + QLatin1Char(')');
            condicion = columna + QStringLiteral(" COLLATE NOCASE >= ") + desde + QStringLiteral(" AND ") + columna
                        + QStringLiteral(" COLLATE NOCASE < permutal_sucesor(") + desde + QLatin1Char(')');
        } else {
            return QString();
        }
        // A column trimmed on the left may also hold the value after blanks:
        // those rows start with a blank.
        if (izquierda)
            condicion = QStringLiteral("((") + condicion + QStringLiteral(") OR (") + columna + QStringLiteral(" COLLATE NOCASE >= ' ' AND ") + columna
                        + QStringLiteral(" COLLATE NOCASE < '!'))");
        return condicion;
    }

    // Puts condicion in front of the comparison that spans tokens a..b.
    void anteponer(int a, int b, const QString& condicion)
    {
        sal(a) = QLatin1Char('(') + condicion + QStringLiteral(" AND ") + sal(a);
        sal(b) += QLatin1Char(')');
    }

    // The text column operand that ends at fin, when the comparison it starts
    // stands as a condition of its own.
    std::optional<Operando> columnaDeCondicion(int fin, int finComparacion, InfoColumna* info) const
    {
        const std::optional<Operando> x = operandoColumna(fin);
        if (!x || !limiteAntes(x->inicio - 1) || !limiteDespues(finComparacion + 1)) return std::nullopt;
        *info = infoColumna(x->colFin);
        if (info->tipo != TipoColumna::Texto) return std::nullopt;
        return x;
    }

    void cotejo()
    {
        if (n() == 0 || palabra(0, "PRAGMA") || palabra(0, "CREATE") || palabra(0, "ALTER") || palabra(0, "DROP")) return;
        marcarAsignaciones();
        const QString cot = conCotejo();

        // expr [NOT] IN ('a', 'b'): SQLite compares with the left operand's
        // collation, BINARY for an expression such as LTRIM(RTRIM(A)).
        for (int k = 1; k < n(); ++k) {
            if (!palabra(k, "IN") || !simbolo(k + 1, "(")) continue;
            const int cierre = pareja_[static_cast<size_t>(k + 1)];
            if (cierre < 0) continue;
            bool textos = false, soloLiterales = true;
            std::vector<int> items;
            for (int m = k + 2; m < cierre; ++m) {
                if (tipo(m) == TipoToken::Cadena) {
                    textos = true;
                    items.push_back(m);
                } else if (!(simbolo(m, ",") && (m - k) % 2 == 1)) {
                    soloLiterales = false;
                }
            }
            if (!textos) continue;
            const bool negado = palabra(k - 1, "NOT");
            const int izquierdo = negado ? k - 2 : k - 1;
            if (izquierdo < 0 || palabra(izquierdo, "COLLATE") || (izquierdo > 0 && palabra(izquierdo - 1, "COLLATE"))) continue;
            InfoColumna info;
            const std::optional<Operando> x = !negado && soloLiterales ? columnaDeCondicion(izquierdo, cierre, &info) : std::nullopt;
            const QString condicion = x ? prefiltro(texto(x->colIni, x->colFin), items, info.largo, x->izquierda) : QString();
            sal(izquierdo) += cot;
            if (!condicion.isEmpty()) anteponer(x->inicio, cierre, condicion);
        }

        // A literal compared with "=", "<>" ...
        for (int k = 0; k < n(); ++k) {
            if (tipo(k) != TipoToken::Cadena || palabra(k + 1, "COLLATE")) continue;
            const bool antes = esComparacion(k - 1) && !asigna(k - 1);
            const bool despues = esComparacion(k + 1) && !asigna(k + 1);
            if (!antes && !despues) continue;
            QString condicion;
            std::optional<Operando> x;
            if (antes && (simbolo(k - 1, "=") || simbolo(k - 1, "=="))) {
                InfoColumna info;
                x = columnaDeCondicion(k - 2, k, &info);
                if (x) condicion = prefiltro(texto(x->colIni, x->colFin), {k}, info.largo, x->izquierda);
            }
            sal(k) += cot;
            if (!condicion.isEmpty()) anteponer(x->inicio, k, condicion);
        }

        // column LIKE 'abc%': the pattern's start is a NOCASE range.
        for (int k = 1; k + 1 < n(); ++k) {
            if (!palabra(k, "LIKE") || tipo(k + 1) != TipoToken::Cadena || palabra(k - 1, "NOT")) continue;
            const bool conEscape = palabra(k + 2, "ESCAPE") && tipo(k + 3) == TipoToken::Cadena;
            const int fin = conEscape ? k + 3 : k + 1;
            InfoColumna info;
            const std::optional<Operando> x = columnaDeCondicion(k - 1, fin, &info);
            if (!x || x->inicio != x->colIni) continue;
            Eleccion e;
            e.tipo = Eleccion::Tipo::Patron;
            e.literales.push_back(ordinal(k + 1));
            QStringList valores{valorLiteral(k + 1)};
            if (conEscape) {
                e.literales.push_back(ordinal(k + 3));
                valores << valorLiteral(k + 3);
            }
            e.resultado = eleccionPatron(valores);
            elecciones_.push_back(e);
            if (!e.resultado) continue;
            const QString columna = texto(x->colIni, x->colFin);
            const QString desde = QStringLiteral("permutal_prefijo_patron(") + sal(k + 1) + (conEscape ? QStringLiteral(", ") + sal(k + 3) : QString())
                                  + QLatin1Char(')');
            anteponer(x->inicio, fin,
                      columna + QStringLiteral(" COLLATE NOCASE >= ") + desde + QStringLiteral(" AND ") + columna
                          + QStringLiteral(" COLLATE NOCASE < permutal_sucesor(") + desde + QLatin1Char(')'));
        }

        // Two text columns compared with each other (a join).
        for (int k = 1; k + 1 < n(); ++k) {
            if (!esComparacion(k) || asigna(k)) continue;
            const int ini = inicioDeColumna(k - 1);
            const int fin = finDeColumna(k + 1);
            if (ini < 0 || fin < 0 || palabra(fin + 1, "COLLATE")) continue;
            if (infoColumna(k - 1).tipo != TipoColumna::Texto || infoColumna(fin).tipo != TipoColumna::Texto) continue;
            sal(fin) += cot;
        }

        // MIN(x) / MAX(x) of texts by the same order.
        for (int k = 0; k + 2 < n(); ++k) {
            if (!(palabra(k, "MIN") || palabra(k, "MAX")) || !simbolo(k + 1, "(") || simbolo(k - 1, ".")) continue;
            const int cierre = pareja_[static_cast<size_t>(k + 1)];
            if (cierre <= k + 2) continue;
            bool una = true, propio = false;
            for (int m = k + 2; m < cierre; ++m) {
                if (abre_[static_cast<size_t>(m)] == k + 1 && simbolo(m, ",")) una = false;
                if (palabra(m, "COLLATE")) propio = true;
            }
            const int ini = palabra(k + 2, "DISTINCT") ? k + 3 : k + 2;
            const bool numerica = inicioDeColumna(cierre - 1) == ini && infoColumna(cierre - 1).tipo == TipoColumna::Numero;
            if (una && !propio && !numerica && ini < cierre) sal(cierre - 1) += cot;
        }

        ordenYGrupos(cot);
    }

    // ORDER BY / GROUP BY terms sort and group by the database's collation;
    // a column position, a numeric column or a term that names its own
    // collation is left alone.
    void ordenYGrupos(const QString& cot)
    {
        for (int k = 0; k + 1 < n(); ++k) {
            if (!(palabra(k, "ORDER") || palabra(k, "GROUP")) || !palabra(k + 1, "BY")) continue;
            const int nivel = abre_[static_cast<size_t>(k)];
            int inicio = k + 2;
            while (inicio < n()) {
                int j = inicio;
                bool propio = false, fin = false;
                for (; j < n(); ++j) {
                    const int a = abre_[static_cast<size_t>(j)];
                    if (a < nivel) { fin = true; break; }   // the parenthesis around the clause closes
                    if (a != nivel) continue;
                    if (simbolo(j, ",")) break;
                    if (palabra(j, "COLLATE")) propio = true;
                    if (palabra(j, "LIMIT") || palabra(j, "OFFSET") || palabra(j, "HAVING") || palabra(j, "UNION") || palabra(j, "EXCEPT")
                        || palabra(j, "INTERSECT") || palabra(j, "ORDER") || palabra(j, "WINDOW") || simbolo(j, ";")) {
                        fin = true;
                        break;
                    }
                }
                if (j >= n()) fin = true;
                int ultimo = j - 1;
                while (ultimo >= inicio && (palabra(ultimo, "ASC") || palabra(ultimo, "DESC") || palabra(ultimo, "NULLS") || palabra(ultimo, "FIRST")
                                            || palabra(ultimo, "LAST")))
                    --ultimo;
                const bool posicion = ultimo == inicio && tipo(inicio) == TipoToken::Numero;
                const bool numerica = inicioDeColumna(ultimo) == inicio && infoColumna(ultimo).tipo == TipoColumna::Numero;
                if (ultimo >= inicio && !propio && !posicion && !numerica) sal(ultimo) += cot;
                if (fin) break;
                inicio = j + 1;
            }
        }
    }

    QStringView s_;
    const TiposDeColumna& tipos_;
    bool parametros_ = false;
    int literales_ = 0;
    std::vector<int> ordinal_;         // ordinal of each '...' literal token (1-based), 0 for others
    std::vector<Eleccion> elecciones_;
    std::vector<Token> tok_;
    std::vector<QString> salida_;
    std::vector<QString> despues_;   // text added after a token (LIMIT n, blanks)
    std::vector<bool> vivo_;
    std::vector<int> sig_;           // live significant tokens (indices into tok_)
    std::vector<int> pareja_;        // matching parenthesis (in sig_ positions)
    std::vector<int> abre_;          // enclosing "(" of each token (sig_ position), -1 at depth 0
};

}  // namespace

std::vector<QString> dividirLote(QStringView sql)
{
    const std::vector<Token> t = tokenizar(sql);
    std::vector<QString> r;
    for (const Rango& g : rangos(sql, t)) {
        const Token& a = t[static_cast<size_t>(g.desde)];
        const Token& b = t[static_cast<size_t>(g.hasta - 1)];
        r.push_back(sql.mid(a.inicio, b.inicio + b.largo - a.inicio).toString());
    }
    return r;
}

QString traducirSentencia(QStringView sql, ClaseSentencia* clase, const TiposDeColumna& tipos)
{
    const std::vector<Token> t = tokenizar(sql);
    int desde = 0, hasta = static_cast<int>(t.size());
    while (desde < hasta && !significativo(t[static_cast<size_t>(desde)])) ++desde;
    while (hasta > desde && !significativo(t[static_cast<size_t>(hasta - 1)])) --hasta;
    Reescritura r(sql, t, desde, hasta, tipos);
    return r.resultado(clase);
}

std::vector<Sentencia> traducirLote(QStringView sql, const TiposDeColumna& tipos, bool parametros)
{
    const std::vector<Token> t = tokenizar(sql);
    std::vector<Sentencia> r;
    int literal = 0, token = 0;
    for (const Rango& g : rangos(sql, t)) {
        // Literals between statements (none but in what SQLite would refuse)
        // keep the batch's numbering.
        for (; token < g.desde; ++token) literal += t[static_cast<size_t>(token)].tipo == TipoToken::Cadena;
        Sentencia s;
        const Token& a = t[static_cast<size_t>(g.desde)];
        const Token& b = t[static_cast<size_t>(g.hasta - 1)];
        s.original = sql.mid(a.inicio, b.inicio + b.largo - a.inicio).toString();
        Reescritura rw(sql, t, g.desde, g.hasta, tipos, parametros);
        s.texto = rw.resultado(&s.clase);
        s.conParametros = rw.conParametros();
        s.primerLiteral = literal;
        s.literales = rw.cuentaLiterales();
        s.elecciones = rw.elecciones();
        literal += rw.cuentaLiterales();
        token = g.hasta;
        r.push_back(std::move(s));
    }
    return r;
}

QString valorDeLiteral(QStringView o)
{
    if (!o.isEmpty() && o[0] != QLatin1Char('\'')) o = o.mid(1);
    if (o.size() >= 2 && o.endsWith(QLatin1Char('\''))) o = o.mid(1, o.size() - 2);
    else if (!o.isEmpty()) o = o.mid(1);
    return o.toString().replace(QLatin1String("''"), QLatin1String("'"));
}

bool mismaEleccion(const Eleccion& e, const std::vector<QString>& valores, int primerLiteral)
{
    QStringList v;
    for (int o : e.literales) {
        const size_t i = static_cast<size_t>(primerLiteral + o - 1);
        v << (i < valores.size() ? valores[i] : QString());
    }
    if (e.tipo == Eleccion::Tipo::Patron) return eleccionPatron(v) == e.resultado;
    std::vector<int> cuentas;
    return eleccionIgualdad(v, e.largo, &cuentas) == e.resultado && cuentas == e.cuentas;
}

std::vector<std::string> traducirLoteUtf8(const uint8_t* datos, size_t largo)
{
    const QString texto = QString::fromUtf8(reinterpret_cast<const char*>(datos), static_cast<qsizetype>(largo));
    std::vector<std::string> r;
    for (const Sentencia& s : traducirLote(texto)) r.push_back(s.texto.toStdString());
    return r;
}

}  // namespace ado::dialecto
