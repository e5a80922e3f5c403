// libFuzzer target: the embedded provider's rewriting of the suite's SQL Server
// dialect (ado/DialectoSqlite.h). Pure text work, no database. Besides crashes,
// sanitizer reports and exceptions, these are findings:
//  - tokens that do not cover the text exactly, in order;
//  - statements of a batch that are not pieces of the batch, in order;
//  - a statement rewritten differently alone and inside its batch;
//  - a closed '...' literal of a statement missing from its rewritten text
//    (a literal must stay a literal);
//  - a #date# body read as something that is not an ISO date.
// Names are given declared types (text of some length, or numbers) by their
// first letter, so that the collation's index-served conditions are rewritten too.
#include "ado/DialectoSqlite.h"

#include <QDate>
#include <QRegularExpression>
#include <QString>

#include <cstdint>
#include <cstdlib>

namespace {

using namespace ado::dialecto;

void exige(bool condicion)
{
    if (!condicion) std::abort();
}

InfoColumna tipoPorNombre(QStringView n)
{
    if (n.isEmpty()) return {};
    const char16_t c = QChar(n[0]).toUpper().unicode();
    if (c >= u'A' && c <= u'M') return {TipoColumna::Texto, static_cast<int>(n.size() % 20)};
    if (c >= u'N' && c <= u'T') return {TipoColumna::Numero, 0};
    return {};
}

const TiposDeColumna kTipos = tipoPorNombre;

void revisarTokens(const QString& texto)
{
    const std::vector<Token> t = tokenizar(texto);
    int fin = 0;
    for (const Token& x : t) {
        exige(x.inicio == fin && x.largo > 0);
        fin += x.largo;
    }
    exige(fin == texto.size());
}

// The closed '...' literals of a statement (N'...' excluded: it loses its N).
std::vector<QString> literales(const QString& texto)
{
    std::vector<QString> r;
    for (const Token& x : tokenizar(texto)) {
        if (x.tipo != TipoToken::Cadena || x.largo < 2) continue;
        const QString s = texto.mid(x.inicio, x.largo);
        if (s.startsWith(QLatin1Char('\'')) && s.endsWith(QLatin1Char('\''))) r.push_back(s);
    }
    return r;
}

void revisarFecha(const QString& cuerpo)
{
    static const QRegularExpression iso(QStringLiteral("^(\\d{4}-\\d\\d-\\d\\d)( \\d\\d:\\d\\d:\\d\\d)?$"));
    const QString f = fechaIso(cuerpo);
    if (f.isEmpty()) return;
    const auto m = iso.match(f);
    exige(m.hasMatch());
    exige(QDate::fromString(m.captured(1), QStringLiteral("yyyy-MM-dd")).isValid());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t n)
{
    try {
        const QString lote = QString::fromUtf8(reinterpret_cast<const char*>(datos), static_cast<qsizetype>(n));
        revisarTokens(lote);

        const std::vector<QString> piezas = dividirLote(lote);
        const std::vector<Sentencia> sentencias = traducirLote(lote, kTipos);
        exige(piezas.size() == sentencias.size());
        exige(traducirLoteUtf8(datos, n).size() == traducirLote(lote).size());

        qsizetype desde = 0;
        for (size_t i = 0; i < piezas.size(); ++i) {
            const Sentencia& s = sentencias[i];
            exige(s.original == piezas[i]);
            exige(!s.original.isEmpty());
            const qsizetype p = lote.indexOf(s.original, desde);
            exige(p >= desde);
            desde = p + s.original.size();

            ClaseSentencia clase = ClaseSentencia::Otra;
            exige(traducirSentencia(s.original, &clase, kTipos) == s.texto);
            exige(clase == s.clase);
            if (s.clase == ClaseSentencia::Otra && !s.texto.trimmed().isEmpty())
                for (const QString& l : literales(s.original))
                    // A NUL inside a literal travels as a concatenation with char(0).
                    if (!l.contains(QChar(0))) exige(s.texto.contains(l));
        }

        // #...# bodies as the tokenizer would see them.
        revisarFecha(lote);
        const qsizetype a = lote.indexOf(QLatin1Char('#'));
        if (a >= 0) {
            const qsizetype b = lote.indexOf(QLatin1Char('#'), a + 1);
            if (b > a) revisarFecha(lote.mid(a + 1, b - a - 1));
        }
        for (const Token& x : tokenizar(lote))
            if (x.tipo == TipoToken::Palabra) esPalabraDeSentencia(QStringView(lote).mid(x.inicio, x.largo));
    } catch (...) {
        std::abort();   // the rewriting never throws
    }
    return 0;
}
