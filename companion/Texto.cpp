#include "companion/Velmora2.h"

#include <cmath>
#include <limits>

namespace velmora {

QString CompletaRuta(const QString& carpeta)
{
    // An empty folder stays empty: callers append file names, and "" + name is
    // a name relative to the working folder, where "/" + name would be the root.
    if (carpeta.isEmpty()) return QString();
    QString r = carpeta;
    r.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!r.endsWith(QLatin1Char('/'))) r += QLatin1Char('/');
    return r;
}

QString CampoATexto(const ado::Variant& valor)
{
    return valor.toText();
}

QString QuitaCaracteres(const QString& texto, QChar c1, QChar c2)
{
    QString r;
    r.reserve(texto.size());
    for (const QChar c : texto)
        if (c != c1 && c != c2) r += c;
    return r;
}

QString Reemplaza(const QString& texto, const QString& buscar, const QString& reemplazo)
{
    // As the classic Replace, nothing to find leaves the text alone (Qt would
    // insert the replacement between every two characters).
    if (buscar.isEmpty()) return texto;
    QString r = texto;
    return r.replace(buscar, reemplazo, Qt::CaseSensitive);
}

QString ReemplazaTexto(const QString& texto, const QString& buscar, const QString& reemplazo)
{
    if (buscar.isEmpty()) return texto;
    QString r = texto;
    return r.replace(buscar, reemplazo, Qt::CaseInsensitive);
}

// The leading number with "," or "." as decimal point. Rules for the separators
// inside the number:
//  - only one kind, appearing once: it is the decimal point ("1234,5", "1234.5");
//  - only one kind, appearing more than once: the number ends at the second one
//    ("1.2.3" is 1.2), as the classic Val does with a second point;
//  - both kinds: the one written last is the decimal point and the other one
//    groups thousands ("1.234,5" and "1,234.5" are both 1234.5).
double TextoANumero(const QString& texto)
{
    const qsizetype n = texto.size();
    qsizetype i = 0;
    auto blanco = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n'); };
    while (i < n && blanco(texto[i])) ++i;
    if (i < n && texto[i] == QLatin1Char('&')) return ado::valorNumerico(texto.mid(i));

    QString num;
    if (i < n && (texto[i] == QLatin1Char('-') || texto[i] == QLatin1Char('+'))) num += texto[i++];
    const qsizetype inicio = i;
    int comas = 0, puntos = 0;
    QChar ultimo;
    while (i < n) {
        const QChar c = texto[i];
        if (c == QLatin1Char(',')) { ++comas; ultimo = c; }
        else if (c == QLatin1Char('.')) { ++puntos; ultimo = c; }
        else if (!(c.unicode() >= '0' && c.unicode() <= '9') && !blanco(c)) break;
        ++i;
    }
    const QStringView cuerpo = QStringView(texto).mid(inicio, i - inicio);
    const QStringView resto = QStringView(texto).mid(i);

    QChar decimal, grupo;
    if (comas && puntos) { decimal = ultimo; grupo = ultimo == QLatin1Char(',') ? QLatin1Char('.') : QLatin1Char(','); }
    else if (comas) decimal = QLatin1Char(',');
    else if (puntos) decimal = QLatin1Char('.');

    bool visto = false;
    bool cortado = false;
    for (const QChar c : cuerpo) {
        if (!grupo.isNull() && c == grupo) continue;
        if (!decimal.isNull() && c == decimal) {
            if (visto) { cortado = true; break; }
            visto = true;
            num += QLatin1Char('.');
            continue;
        }
        num += c;
    }
    // An exponent may follow only a number that was read whole.
    if (!cortado) num += resto;
    return ado::valorNumerico(num);
}

int TextoAEntero(const QString& texto)
{
    // Rounded half to even, as the classic CInt/CLng.
    const double r = std::nearbyint(TextoANumero(texto));
    if (std::isnan(r)) return 0;
    if (r > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (r < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return static_cast<int>(r);
}

QString RecortaTexto(const QString& texto, int maximo)
{
    if (maximo <= 0) return QString();
    return texto.left(maximo);
}

int CuentaPalabras(const QString& texto)
{
    int cuenta = 0;
    bool enPalabra = false;
    for (const QChar c : texto) {
        const bool separa = c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n');
        if (separa) enPalabra = false;
        else if (!enPalabra) { enPalabra = true; ++cuenta; }
    }
    return cuenta;
}

QString AjustaTexto(const QString& texto, int longitud)
{
    QString r = texto;
    for (QChar& c : r)
        if (c.unicode() < 32) c = QLatin1Char(' ');
    if (longitud > 0 && r.size() > longitud) r.truncate(longitud);
    while (r.endsWith(QLatin1Char(' '))) r.chop(1);
    return r;
}

}  // namespace velmora
