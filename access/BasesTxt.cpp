#include "BasesTxt.h"

#include "companion/Cp1252.h"
#include "companion/Velmora2.h"

#include "ado/Errores.h"
#include "ado/TextoConexion.h"

#include <QFile>

namespace acceso {

namespace {
// Classic "Path/File access error".
constexpr int32_t ErrorAccesoArchivo = 75;

bool esBlanco(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}
bool esFinDeLinea(QChar c)
{
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}
bool esFinDeCampo(QChar c)
{
    return c == QLatin1Char(',') || esFinDeLinea(c);
}
}  // namespace

bool ExisteArchivo(const QString& ruta)
{
    QString limpia = ruta;
    limpia.remove(QLatin1Char('"'));
    if (limpia.isEmpty()) return false;
    QFile f(limpia);
    const bool ok = f.open(QIODevice::ReadOnly);
    f.close();
    return ok;
}

QString RutaBasesTxt()
{
    return velmora::CompletaRuta(ado::carpetaAplicacion()) + QStringLiteral("BASES.TXT");
}

QString NombreConexion(const QString& servidor, const QString& dbname)
{
    QString srv = servidor.trimmed().toUpper();
    const qsizetype dosPuntos = srv.indexOf(QLatin1Char(':'));
    if (dosPuntos >= 0) srv = srv.left(dosPuntos);
    const QString base = dbname.toUpper().trimmed();
    return base + QStringLiteral(" / ") + srv;
}

bool CampoAdmitido(const QString& valor)
{
    const QString v = valor.trimmed();
    if (v.startsWith(QLatin1Char('"'))) return false;
    for (QChar c : v)
        if (esFinDeCampo(c)) return false;
    return true;
}

QString ServidorParaRegistro(const QString& servidor)
{
    QString s = servidor.trimmed();
    if (s.count(QLatin1Char(',')) == 1 && !s.contains(QLatin1Char(':'))) {
        const qsizetype coma = s.indexOf(QLatin1Char(','));
        const QString nombre = s.left(coma).trimmed();
        const QString puerto = s.mid(coma + 1).trimmed();
        bool numero = !puerto.isEmpty();
        for (QChar c : puerto) numero = numero && c.isDigit();
        if (numero && !nombre.isEmpty()) s = nombre + QLatin1Char(':') + puerto;
    }
    return s.isEmpty() || !CampoAdmitido(s) ? QString() : s;
}

void RegistraConexion(const QString& Nombre, const QString& Dbname, const QString& Usuario, const QString& Password,
                      const QString& Servidor)
{
    // The folder never changes within a run, so the path is simply taken each time.
    const QString ruta = RutaBasesTxt();
    const QString campos[] = {Nombre.trimmed(), Dbname.trimmed(), Usuario.trimmed(), velmora::Encripta(Password).trimmed(),
                              Servidor.trimmed()};
    // A comma or a line break inside a value would shift every later field of the file.
    for (const QString& c : campos)
        if (!CampoAdmitido(c))
            throw ado::Fallo(ado::num::FalloNoEspecificado,
                             QStringLiteral("El dato \"%1\" contiene una coma, un salto de línea o comienza con comillas y no puede registrarse.")
                                 .arg(c),
                             QStringLiteral("RegistraConexion"));
    QFile f(ruta);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append))
        throw ado::Fallo(ErrorAccesoArchivo, QStringLiteral("Error de acceso a la ruta o al archivo ") + ruta,
                         QStringLiteral("RegistraConexion"));
    QStringList lista;
    for (const QString& c : campos) lista << c;
    const QByteArray linea = velmora::aCp1252(lista.join(QLatin1Char(','))) + QByteArrayLiteral("\r\n");
    const bool escrito = f.write(linea) == linea.size();
    f.close();
    if (!escrito)
        throw ado::Fallo(ErrorAccesoArchivo, QStringLiteral("Error de acceso a la ruta o al archivo ") + ruta,
                         QStringLiteral("RegistraConexion"));
}

namespace {
// The fields of the text, in order, handed to campo one by one: a damaged file
// of nothing but separators must not become millions of fields held at once.
template <typename F>
void recorrerCampos(const QString& t, F&& campo)
{
    qsizetype campos = 0;
    const qsizetype n = t.size();
    qsizetype i = 0;
    bool trasComa = false;
    while (i < n) {
        // A line left wholly blank between records holds no field (a hand-edited
        // file must not shift every record after it).
        if (campos % 5 == 0 && !trasComa) {
            qsizetype j = i;
            while (j < n && esBlanco(t[j])) ++j;
            if (j < n && esFinDeLinea(t[j])) {
                i = (t[j] == QLatin1Char('\r') && j + 1 < n && t[j + 1] == QLatin1Char('\n')) ? j + 2 : j + 1;
                continue;
            }
            if (j >= n) break;
        }
        while (i < n && esBlanco(t[i])) ++i;
        QString valor;
        if (i < n && t[i] == QLatin1Char('"')) {
            ++i;
            qsizetype fin = t.indexOf(QLatin1Char('"'), i);
            if (fin < 0) fin = n;
            valor = t.mid(i, fin - i);
            i = qMin(fin + 1, n);
            while (i < n && !esFinDeCampo(t[i])) ++i;   // anything after the closing quote is passed over
        } else {
            qsizetype j = i;
            while (j < n && !esFinDeCampo(t[j])) ++j;
            valor = t.mid(i, j - i);
            while (!valor.isEmpty() && esBlanco(valor.back())) valor.chop(1);
            i = j;
        }
        campo(std::move(valor));
        ++campos;
        trasComa = false;
        if (i < n) {
            if (t[i] == QLatin1Char(',')) {
                ++i;
                trasComa = true;
            } else if (t[i] == QLatin1Char('\r') && i + 1 < n && t[i + 1] == QLatin1Char('\n')) {
                i += 2;
            } else {
                ++i;
            }
        }
    }
    if (trasComa) campo(QString());   // "a," ends with an empty field
}
}  // namespace

QStringList LeeCampos(const QString& t)
{
    QStringList campos;
    recorrerCampos(t, [&](QString c) { campos << std::move(c); });
    return campos;
}

std::vector<RegistroBase> LeeRegistros(const QByteArray& bytes)
{
    std::vector<RegistroBase> registros;
    QString actual[5];
    int k = 0;
    // A record wholly blank can be neither listed nor found: it is not kept.
    auto cerrar = [&] {
        bool blanco = true;
        for (const QString& c : actual) blanco = blanco && c.trimmed().isEmpty();
        if (!blanco) registros.push_back({actual[0], actual[1], actual[2], actual[3], actual[4]});
        for (QString& c : actual) c.clear();
        k = 0;
    };
    recorrerCampos(velmora::desdeCp1252(bytes), [&](QString c) {
        actual[k++] = std::move(c);
        if (k == 5) cerrar();
    });
    if (k > 0) cerrar();   // a short last record gets empty fields
    return registros;
}

std::vector<RegistroBase> LeeBasesTxt(const QString& ruta)
{
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly))
        throw ado::Fallo(ErrorAccesoArchivo, QStringLiteral("Error de acceso a la ruta o al archivo ") + ruta, QStringLiteral("BASES.TXT"));
    const QByteArray bytes = f.readAll();
    f.close();
    return LeeRegistros(bytes);
}

}  // namespace acceso
