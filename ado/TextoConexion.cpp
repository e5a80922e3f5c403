#include "TextoConexion.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace ado {

bool leerEntre(const QString& t, int j, QChar apertura, QChar cierre, QString& valor, int& fin)
{
    const int n = t.size();
    if (j >= n || t[j] != apertura) return false;
    QString acc;
    int k = j + 1;
    while (k < n) {
        if (t[k] == cierre) {
            if (k + 1 < n && t[k + 1] == cierre) {
                acc += cierre;
                k += 2;
                continue;
            }
            valor = acc;
            fin = k + 1;
            return true;
        }
        acc += t[k];
        ++k;
    }
    return false;
}

TextoConexion::TextoConexion(const QString& texto)
{
    // Values may be wrapped in braces ({FreeTDS}) or quotes; ";" inside braces is kept.
    int i = 0;
    const int n = texto.size();
    while (i < n) {
        int igual = texto.indexOf(QLatin1Char('='), i);
        int pc = texto.indexOf(QLatin1Char(';'), i);
        if (igual < 0 || (pc >= 0 && pc < igual)) {
            if (pc < 0) break;
            i = pc + 1;
            continue;
        }
        const QString clave = texto.mid(i, igual - i).trimmed();
        int j = igual + 1;
        while (j < n && texto[j] == QLatin1Char(' ')) ++j;
        QString valor;
        if (j < n && texto[j] == QLatin1Char('{')) {
            int cierre = texto.indexOf(QLatin1Char('}'), j);
            if (cierre < 0) cierre = n;
            valor = texto.mid(j, cierre - j + 1);
            pc = texto.indexOf(QLatin1Char(';'), cierre);
        } else if (int tras = 0; j < n && (texto[j] == QLatin1Char('"') || texto[j] == QLatin1Char('\'')) && leerEntre(texto, j, texto[j], texto[j], valor, tras)) {
            // OLE DB's quoting: a value holding ";" travels between quotes, a
            // quote inside written twice.
            pc = texto.indexOf(QLatin1Char(';'), tras);
            if (!clave.isEmpty()) pares_.emplace_back(clave, valor);
            if (pc < 0) break;
            i = pc + 1;
            continue;
        } else {
            pc = texto.indexOf(QLatin1Char(';'), j);
            valor = texto.mid(j, (pc < 0 ? n : pc) - j);
        }
        if (!clave.isEmpty()) pares_.emplace_back(clave, valor.trimmed());
        if (pc < 0) break;
        i = pc + 1;
    }
}

QString TextoConexion::valor(const QString& clave) const
{
    QString r;
    for (const auto& [k, v] : pares_)
        if (k.compare(clave, Qt::CaseInsensitive) == 0) r = v;
    return r;
}

bool TextoConexion::tiene(const QString& clave) const
{
    for (const auto& p : pares_)
        if (p.first.compare(clave, Qt::CaseInsensitive) == 0) return true;
    return false;
}

QString TextoConexion::valorDe(std::initializer_list<const char*> claves) const
{
    for (const char* c : claves)
        if (tiene(QLatin1String(c))) return valor(QLatin1String(c));
    return QString();
}

Destino destinoDe(const QString& texto)
{
    const TextoConexion t(texto);
    const QString prov = t.valor(QStringLiteral("Provider"));
    if (t.tiene(QStringLiteral("Driver")) || t.tiene(QStringLiteral("DSN"))) return Destino::OdbcDirecto;
    const QString servidor = t.valorDe({"Server", "Data Source", "Address", "Addr"});
    // The embedded engine is chosen by its server name whatever the provider says
    // (the provider only decides the dialect the statements are written in).
    if (servidor.trimmed().compare(QLatin1String("SQLITE"), Qt::CaseInsensitive) == 0) return Destino::Sqlite;
    if (prov.contains(QLatin1String("Jet"), Qt::CaseInsensitive) || prov.contains(QLatin1String("ACE.OLEDB"), Qt::CaseInsensitive))
        return Destino::Access;
    if (prov.contains(QLatin1String("Ora"), Qt::CaseInsensitive)) return Destino::Oracle;
    if (prov.isEmpty() || prov.contains(QLatin1String("SQLOLEDB"), Qt::CaseInsensitive) || prov.contains(QLatin1String("SQLNCLI"), Qt::CaseInsensitive)
        || prov.contains(QLatin1String("MSOLEDBSQL"), Qt::CaseInsensitive))
        return servidor.isEmpty() && prov.isEmpty() ? Destino::Ninguno : Destino::SqlServer;
    return Destino::Ninguno;
}

bool dialectoOracle(const QString& texto)
{
    const TextoConexion t(texto);
    return t.valor(QStringLiteral("Provider")).contains(QLatin1String("Ora"), Qt::CaseInsensitive)
           || t.valor(QStringLiteral("Driver")).contains(QLatin1String("Oracle"), Qt::CaseInsensitive);
}

QString carpetaAplicacion()
{
    QString c = qEnvironmentVariable("PERMUTAL_CARPETA");
    if (c.trimmed().isEmpty()) c = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    c = QDir::fromNativeSeparators(c);
    if (!c.endsWith(QLatin1Char('/'))) c += QLatin1Char('/');
    return c;
}

QString rutaBaseEmbebida(const QString& nombre)
{
    QString n = QDir::fromNativeSeparators(nombre.trimmed());
    if (n.isEmpty() || n == QLatin1String(":memory:")) return n;
    if (QFileInfo(n).suffix().isEmpty()) n += QLatin1String(".db");
    if (QDir::isRelativePath(n)) n = carpetaAplicacion() + n;
    return n;
}

}  // namespace ado
