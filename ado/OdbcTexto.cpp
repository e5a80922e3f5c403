#include "OdbcTexto.h"

#include "ProveedorOdbc.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

#include <initializer_list>

namespace ado::odbc {

namespace {

// Keys compared without case and without inner blanks ("User Id" = "userid").
QString normal(const QString& clave)
{
    QString r;
    r.reserve(clave.size());
    for (QChar c : clave)
        if (!c.isSpace()) r += c.toLower();
    return r;
}

bool esClave(const Par& p, std::initializer_list<const char*> nombres)
{
    const QString k = normal(p.clave);
    for (const char* n : nombres)
        if (k == QLatin1String(n)) return true;
    return false;
}


QString entorno(const char* variable, const char* defecto)
{
    QString v = qEnvironmentVariable(variable).trimmed();
    if (v.startsWith(QLatin1Char('{')) && v.endsWith(QLatin1Char('}'))) v = v.mid(1, v.size() - 2).trimmed();
    return v.isEmpty() ? QString::fromLatin1(defecto) : v;
}

QString item(const QString& clave, const QString& valor)
{
    return clave + QLatin1Char('=') + valorOdbc(valor) + QLatin1Char(';');
}

QString controlador(const QString& nombre)
{
    QString n = nombre;
    n.replace(QLatin1String("}"), QLatin1String("}}"));
    return QStringLiteral("Driver={") + n + QStringLiteral("};");
}

bool soloDigitos(const QString& s)
{
    if (s.isEmpty()) return false;
    for (QChar c : s)
        if (!c.isDigit()) return false;
    return true;
}

// Values of the text by role; the last occurrence of a key wins, as in OLE DB.
struct Lectura {
    std::vector<Par> pares;
    QString valor(std::initializer_list<const char*> nombres, bool* hay = nullptr) const
    {
        QString r;
        bool h = false;
        for (const Par& p : pares)
            if (esClave(p, nombres)) {
                r = p.valor;
                h = true;
            }
        if (hay) *hay = h;
        return r;
    }
};

constexpr std::initializer_list<const char*> kUsuario = {"uid", "userid", "user", "username"};
constexpr std::initializer_list<const char*> kClave = {"pwd", "password"};
constexpr std::initializer_list<const char*> kTiempo = {"connecttimeout", "connectiontimeout", "timeout", "logintimeout"};

bool seccionEn(const QString& archivo, const QString& nombre)
{
    QFile f(archivo);
    if (archivo.isEmpty() || !f.open(QIODevice::ReadOnly | QIODevice::Text)) return false;
    QTextStream in(&f);
    while (!in.atEnd()) {
        const QString l = in.readLine().trimmed();
        if (!l.startsWith(QLatin1Char('[')) || !l.contains(QLatin1Char(']'))) continue;
        if (l.mid(1, l.indexOf(QLatin1Char(']')) - 1).trimmed().compare(nombre, Qt::CaseInsensitive) == 0) return true;
    }
    return false;
}

}  // namespace

bool entradaFreeTds(const QString& servidor)
{
    const QString nombre = servidor.trimmed();
    if (nombre.isEmpty() || nombre.compare(QLatin1String("global"), Qt::CaseInsensitive) == 0) return false;
    const QString archivos[] = {qEnvironmentVariable("FREETDSCONF"), QDir::homePath() + QStringLiteral("/.freetds.conf"),
                                QStringLiteral("/etc/freetds/freetds.conf"), QStringLiteral("/etc/freetds.conf"),
                                QStringLiteral("/usr/local/etc/freetds.conf")};
    for (const QString& a : archivos)
        if (seccionEn(a, nombre)) return true;
    return false;
}

std::vector<Par> separar(const QString& t)
{
    std::vector<Par> r;
    const int n = t.size();
    int i = 0;
    while (i < n) {
        while (i < n && (t[i] == QLatin1Char(';') || t[i].isSpace())) ++i;
        if (i >= n) break;
        const int inicio = i;
        const int igual = t.indexOf(QLatin1Char('='), i);
        const int pc = t.indexOf(QLatin1Char(';'), i);
        if (igual < 0 || (pc >= 0 && pc < igual)) {   // an item without "=" is passed over
            i = pc < 0 ? n : pc + 1;
            continue;
        }
        Par p;
        p.clave = t.mid(i, igual - i).trimmed();
        int j = igual + 1;
        while (j < n && (t[j] == QLatin1Char(' ') || t[j] == QLatin1Char('\t'))) ++j;
        QString valor;
        int tras = -1;
        bool citado = false;
        if (j < n) {
            const QChar c = t[j];
            if (c == QLatin1Char('"') || c == QLatin1Char('\''))
                citado = leerEntre(t, j, c, c, valor, tras);
            else if (c == QLatin1Char('{'))
                citado = leerEntre(t, j, QLatin1Char('{'), QLatin1Char('}'), valor, tras);
        }
        int fin;
        if (citado) {
            fin = t.indexOf(QLatin1Char(';'), tras);
            if (fin < 0) fin = n;
        } else {
            fin = t.indexOf(QLatin1Char(';'), j);
            if (fin < 0) fin = n;
            valor = t.mid(j, fin - j).trimmed();
        }
        p.valor = valor;
        p.crudo = t.mid(inicio, fin - inicio).trimmed();
        if (!p.clave.isEmpty()) r.push_back(p);
        i = fin + 1;
    }
    return r;
}

QString valorOdbc(const QString& v)
{
    if (v.contains(QLatin1Char(';')) || v.contains(QLatin1Char('}')) || v.startsWith(QLatin1Char('{'))) {
        QString d = v;
        d.replace(QLatin1String("}"), QLatin1String("}}"));
        return QLatin1Char('{') + d + QLatin1Char('}');
    }
    return v;
}

QString controladorSqlServer() { return entorno("PERMUTAL_ODBC_SQLSERVER", "FreeTDS"); }
QString controladorOracle() { return entorno("PERMUTAL_ODBC_ORACLE", "Oracle"); }
QString controladorAccess() { return entorno("PERMUTAL_ODBC_ACCESS", "MDBTools"); }

TextoOdbc construir(const QString& textoOleDb, Destino destino, const QString& usuarioDado, const QString& claveDada)
{
    TextoOdbc r;
    Lectura l{separar(textoOleDb)};
    {
        bool hay = false;
        const QString t = l.valor(kTiempo, &hay);
        if (hay) r.tiempoConexion = t.toLong();
    }
    bool hayUsuario = false, hayClave = false;
    QString usuario = l.valor(kUsuario, &hayUsuario);
    QString clave = l.valor(kClave, &hayClave);
    if (!usuarioDado.isEmpty()) { usuario = usuarioDado; hayUsuario = true; }
    if (!claveDada.isEmpty()) { clave = claveDada; hayClave = true; }

    // Keys that only mean something to OLE DB.
    auto soloOleDb = [](const Par& p) {
        return esClave(p, {"provider", "persistsecurityinfo", "oledbservices", "networklibrary", "network", "net",
                           "autotranslate", "useprocedureforprepare", "packetsize", "mode", "extendedproperties",
                           "connecttimeout", "connectiontimeout", "timeout", "logintimeout"})
            || normal(p.clave).startsWith(QLatin1String("jetoledb:"));
    };
    auto extras = [&](std::initializer_list<const char*> usadas) {
        QString s;
        for (const Par& p : l.pares) {
            if (soloOleDb(p) || esClave(p, usadas) || esClave(p, kUsuario) || esClave(p, kClave)) continue;
            s += item(p.clave, p.valor);
        }
        return s;
    };

    switch (destino) {
    case Destino::SqlServer: {
        const QString driver = controladorSqlServer();
        const bool freetds = driver.contains(QLatin1String("tds"), Qt::CaseInsensitive);
        QString servidor = l.valor({"server", "datasource", "address", "addr", "networkaddress"}).trimmed();
        for (const char* prefijo : {"tcp:", "np:", "lpc:"})
            if (servidor.startsWith(QLatin1String(prefijo), Qt::CaseInsensitive)) servidor = servidor.mid(int(qstrlen(prefijo)));
        bool hayPuerto = false;
        QString puerto = l.valor({"port"}, &hayPuerto).trimmed();
        int coma = servidor.lastIndexOf(QLatin1Char(','));
        if (coma < 0) {
            const int dp = servidor.lastIndexOf(QLatin1Char(':'));
            if (dp > 0 && soloDigitos(servidor.mid(dp + 1).trimmed())) coma = dp;
        }
        if (coma >= 0) {
            puerto = servidor.mid(coma + 1).trimmed();
            servidor = servidor.left(coma).trimmed();
            hayPuerto = true;
        }
        // "(local)" and "." are Windows names of this machine.
        QString host = servidor, instancia;
        const int barra = servidor.indexOf(QLatin1Char('\\'));
        if (barra >= 0) {
            host = servidor.left(barra);
            instancia = servidor.mid(barra + 1);
        }
        if (host == QLatin1String(".") || host.compare(QLatin1String("(local)"), Qt::CaseInsensitive) == 0)
            host = QStringLiteral("127.0.0.1");
        // With a known port the instance name is not needed.
        if (hayPuerto) instancia.clear();
        servidor = instancia.isEmpty() ? host : host + QLatin1Char('\\') + instancia;

        // A server that the workstation's freetds.conf names keeps the port and
        // protocol version written there, unless the connection gives a port.
        const bool conEntrada = freetds && entradaFreeTds(servidor);
        QString s = controlador(driver);
        if (freetds) {
            // FreeTDS reads a freetds.conf entry only when asked for it by Servername.
            s += item(conEntrada ? QStringLiteral("Servername") : QStringLiteral("Server"), servidor);
            if (hayPuerto && !puerto.isEmpty()) s += item(QStringLiteral("Port"), puerto);
            else if (instancia.isEmpty() && !conEntrada) s += item(QStringLiteral("Port"), QStringLiteral("1433"));
        } else {
            s += item(QStringLiteral("Server"), hayPuerto && !puerto.isEmpty() ? servidor + QLatin1Char(',') + puerto : servidor);
        }
        const QString base = l.valor({"database", "initialcatalog"});
        if (!base.isEmpty()) s += item(QStringLiteral("Database"), base);
        if (hayUsuario) s += item(QStringLiteral("UID"), usuario);
        if (hayClave || hayUsuario) s += item(QStringLiteral("PWD"), clave);
        bool hayVersion = false;
        l.valor({"tds_version", "tdsversion"}, &hayVersion);
        if (freetds && !hayVersion && !conEntrada) s += QStringLiteral("TDS_Version=7.4;");
        for (const Par& p : l.pares) {
            if (esClave(p, {"applicationname", "app"})) s += item(QStringLiteral("APP"), p.valor);
            else if (esClave(p, {"workstationid", "wsid"})) s += item(QStringLiteral("WSID"), p.valor);
            else if (esClave(p, {"integratedsecurity", "trusted_connection"})) {
                const QString v = p.valor.trimmed().toLower();
                if (v == QLatin1String("sspi") || v == QLatin1String("true") || v == QLatin1String("yes"))
                    s += QStringLiteral("Trusted_Connection=Yes;");
            }
        }
        s += extras({"server", "datasource", "address", "addr", "networkaddress", "port", "database", "initialcatalog",
                     "applicationname", "app", "workstationid", "wsid", "integratedsecurity", "trusted_connection"});
        r.texto = s;
        break;
    }
    case Destino::Oracle: {
        QString s = controlador(controladorOracle());
        s += item(QStringLiteral("DBQ"), l.valor({"datasource", "dbq", "server"}));
        if (hayUsuario) s += item(QStringLiteral("UID"), usuario);
        if (hayClave || hayUsuario) s += item(QStringLiteral("PWD"), clave);
        s += extras({"datasource", "dbq", "server"});
        r.texto = s;
        break;
    }
    case Destino::Access: {
        QString s = controlador(controladorAccess());
        QString archivo = l.valor({"datasource", "dbq"});
        archivo.replace(QLatin1Char('\\'), QLatin1Char('/'));
        r.archivo = archivo;
        s += item(QStringLiteral("DBQ"), archivo);
        bool hayBase = false;
        const QString claveBase = l.valor({"jetoledb:databasepassword"}, &hayBase);
        if (hayBase && claveDada.isEmpty()) { clave = claveBase; hayClave = true; }
        if (hayUsuario) s += item(QStringLiteral("UID"), usuario);
        if (hayClave) s += item(QStringLiteral("PWD"), clave);
        s += extras({"datasource", "dbq"});
        r.texto = s;
        break;
    }
    case Destino::OdbcDirecto:
    case Destino::Sqlite:
    case Destino::Ninguno: {
        // Passed as written, without the OLE DB provider; Open's user and password replace the text's.
        // An item goes as written only when the driver manager reads it as one
        // item: a brace left open, or a ";" inside quotes (OLE DB's form), would
        // swallow or split what follows, the user and password given apart among it.
        auto comoEscrito = [](const QString& crudo) {
            const QString v = crudo.mid(crudo.indexOf(QLatin1Char('=')) + 1).trimmed();
            if (!v.startsWith(QLatin1Char('{'))) return !v.contains(QLatin1Char(';'));
            for (qsizetype k = 1; k < v.size(); ++k) {
                if (v[k] != QLatin1Char('}')) continue;
                if (k + 1 < v.size() && v[k + 1] == QLatin1Char('}')) {
                    ++k;
                    continue;
                }
                return k == v.size() - 1;
            }
            return false;
        };
        QString s;
        for (const Par& p : l.pares) {
            if (esClave(p, {"provider"})) continue;
            if (!usuarioDado.isEmpty() && esClave(p, kUsuario)) continue;
            if (!claveDada.isEmpty() && esClave(p, kClave)) continue;
            s += comoEscrito(p.crudo) ? p.crudo + QLatin1Char(';') : item(p.clave, p.valor);
        }
        if (!usuarioDado.isEmpty()) s += item(QStringLiteral("UID"), usuarioDado);
        if (!claveDada.isEmpty()) s += item(QStringLiteral("PWD"), claveDada);
        r.texto = s;
        break;
    }
    }
    return r;
}

}  // namespace ado::odbc

namespace ado {
QString textoOdbc(const QString& textoOleDb, Destino destino)
{
    return odbc::construir(textoOleDb, destino).texto;
}
}  // namespace ado
