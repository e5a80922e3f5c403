// libFuzzer target: the ODBC connection text built from an OLE DB style one.
// The input is "connection text" NUL "user" NUL "password". A user or password
// given apart must come back as one value of the built text, whatever it holds:
// it can never end its item or add keys, as the driver manager reads the text.
#include "ado/OdbcTexto.h"

#include <QByteArrayList>
#include <QString>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void exige(bool condicion)
{
    if (!condicion) std::abort();
}

QString clavenormal(const QString& k)
{
    QString r;
    for (QChar c : k)
        if (!c.isSpace()) r += c.toLower();
    return r;
}

struct Item {
    QString clave, valor;
};

// The items as the ODBC driver manager reads them: a value in braces runs to
// the closing brace ("}}" stands for "}"), any other to the next ";".
std::vector<Item> separarOdbc(const QString& t)
{
    std::vector<Item> r;
    qsizetype i = 0;
    const qsizetype n = t.size();
    while (i < n) {
        const qsizetype igual = t.indexOf(QLatin1Char('='), i);
        const qsizetype pc = t.indexOf(QLatin1Char(';'), i);
        if (igual < 0 || (pc >= 0 && pc < igual)) {
            if (pc < 0) break;
            i = pc + 1;
            continue;
        }
        Item it{t.mid(i, igual - i).trimmed(), QString()};
        qsizetype j = igual + 1;
        if (j < n && t[j] == QLatin1Char('{')) {
            ++j;
            while (j < n) {
                if (t[j] == QLatin1Char('}')) {
                    if (j + 1 < n && t[j + 1] == QLatin1Char('}')) {
                        it.valor += QLatin1Char('}');
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                it.valor += t[j++];
            }
            const qsizetype fin = t.indexOf(QLatin1Char(';'), j);
            i = fin < 0 ? n : fin + 1;
        } else {
            const qsizetype fin = t.indexOf(QLatin1Char(';'), j);
            it.valor = t.mid(j, (fin < 0 ? n : fin) - j);
            i = fin < 0 ? n : fin + 1;
        }
        r.push_back(it);
    }
    return r;
}

// The last value of any of the keys in the text, and how many items carry them.
QString ultimo(const std::vector<Item>& pares, std::initializer_list<const char*> claves, int& cuantos)
{
    QString r;
    cuantos = 0;
    for (const auto& p : pares)
        for (const char* c : claves)
            if (clavenormal(p.clave) == QLatin1String(c)) {
                r = p.valor;
                ++cuantos;
            }
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t n)
{
    QList<QByteArray> partes = QByteArray(reinterpret_cast<const char*>(datos), static_cast<qsizetype>(n)).split('\0');
    while (partes.size() < 3) partes << QByteArray();
    const QString texto = QString::fromUtf8(partes[0]);
    const QString usuario = QString::fromUtf8(partes[1]);
    const QString clave = QString::fromUtf8(partes[2]);

    // One value between other items comes back whole.
    for (const QString& v : {usuario, clave}) {
        if (v != v.trimmed()) continue;
        const auto pares = separarOdbc(QStringLiteral("A=1;K=") + ado::odbc::valorOdbc(v) + QStringLiteral(";B=2;"));
        exige(pares.size() == 3);
        exige(pares[1].clave == QLatin1String("K") && pares[1].valor == v);
        exige(pares[2].clave == QLatin1String("B") && pares[2].valor == QLatin1String("2"));
    }

    for (ado::Destino d : {ado::Destino::SqlServer, ado::Destino::Oracle, ado::Destino::Access, ado::Destino::OdbcDirecto}) {
        const ado::odbc::TextoOdbc r = ado::odbc::construir(texto, d, usuario, clave);
        const auto pares = separarOdbc(r.texto);
        if (!clave.isEmpty() && clave == clave.trimmed()) {
            int cuantos = 0;
            const QString pwd = ultimo(pares, {"pwd", "password"}, cuantos);
            exige(cuantos >= 1 && pwd == clave);
        }
        if (!usuario.isEmpty() && usuario == usuario.trimmed()) {
            int cuantos = 0;
            const QString uid = ultimo(pares, {"uid", "userid", "user", "username"}, cuantos);
            exige(cuantos >= 1 && uid == usuario);
        }
    }
    ado::odbc::separar(texto);
    ado::destinoDe(texto);
    return 0;
}
