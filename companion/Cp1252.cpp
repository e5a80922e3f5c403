#include "companion/Cp1252.h"

#include <QHash>
#include <QStringDecoder>

#include <array>
#include <iconv.h>

namespace velmora {
namespace {

// The code page as two tables, taken once from the system's converter: Qt's
// (ICU) when it knows windows-1252, else glibc's iconv. Qt's own encoder writes
// SUB (0x1A) for characters outside the code page; the callers want "?".
struct Tablas {
    std::array<char16_t, 256> aUnicode{};
    QHash<char16_t, char> aByte;

    Tablas()
    {
        QByteArray todos(256, '\0');
        for (int i = 0; i < 256; ++i) todos[i] = static_cast<char>(i);

        QStringDecoder qt("windows-1252");
        QString decodificado;
        if (qt.isValid()) decodificado = qt.decode(todos);
        if (decodificado.size() == 256) {
            for (int i = 0; i < 256; ++i) aUnicode[i] = decodificado[i].unicode();
        } else {
            desdeIconv();
        }
        for (int i = 0; i < 256; ++i) aByte.insert(aUnicode[i], static_cast<char>(i));
    }

    void desdeIconv()
    {
        iconv_t cd = iconv_open("UTF-16LE", "WINDOWS-1252");
        if (cd == reinterpret_cast<iconv_t>(-1)) cd = iconv_open("UTF-16LE", "CP1252");
        for (int i = 0; i < 256; ++i) {
            // Bytes the code page leaves undefined keep their value, as Windows does.
            aUnicode[i] = static_cast<char16_t>(i);
            if (cd == reinterpret_cast<iconv_t>(-1)) continue;
            char entrada = static_cast<char>(i);
            unsigned char salida[4] = {};
            char* pe = &entrada;
            char* ps = reinterpret_cast<char*>(salida);
            size_t ne = 1, ns = sizeof salida;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            if (iconv(cd, &pe, &ne, &ps, &ns) != static_cast<size_t>(-1) && ns == 2)
                aUnicode[i] = static_cast<char16_t>(salida[0] | (salida[1] << 8));
        }
        if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    }
};

const Tablas& tablas()
{
    static const Tablas t;
    return t;
}

}  // namespace

QByteArray aCp1252(const QString& texto)
{
    const Tablas& t = tablas();
    QByteArray r;
    r.reserve(texto.size());
    for (qsizetype i = 0; i < texto.size(); ++i) {
        const QChar c = texto[i];
        if (c.isHighSurrogate() && i + 1 < texto.size() && texto[i + 1].isLowSurrogate()) {
            ++i;   // one character outside the code page, one "?"
            r.append('?');
            continue;
        }
        const auto it = t.aByte.constFind(c.unicode());
        r.append(it == t.aByte.constEnd() ? '?' : *it);
    }
    return r;
}

QString desdeCp1252(const QByteArray& bytes)
{
    const Tablas& t = tablas();
    QString r(bytes.size(), Qt::Uninitialized);
    QChar* d = r.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        d[i] = QChar(t.aUnicode[static_cast<unsigned char>(bytes[i])]);
    return r;
}

}  // namespace velmora
