// libFuzzer target: the literal-aware reading of statement text.
// Beyond "no crash", it checks the property the program relies on: a value
// placed in a literal with its quotes doubled never changes what the scanner
// finds in the statement around it (its clauses, its words, its shape).
#include "data/Escaner.h"
#include "data/Literales.h"

#include <QString>

#include <cstdint>
#include <cstdlib>

namespace {

void exige(bool condicion)
{
    if (!condicion) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos_, size_t n)
{
    const QString texto = QString::fromUtf8(reinterpret_cast<const char*>(datos_), static_cast<qsizetype>(n));
    namespace esc = datos::escaner;

    // Any text: every answer stays inside it.
    const esc::Lectura l(texto);
    for (const char* w : {"ORDER", "WHERE", "TRANS", "@Admin_"}) {
        const qsizetype p = l.busca(QString::fromLatin1(w));
        exige(p >= -1 && p < texto.size());
    }
    const qsizetype c = l.buscaClausula({"ORDER", "BY"});
    exige(c >= -1 && c < texto.size());
    const QString e = esc::esqueleto(texto);
    exige(esc::esqueleto(e) == e);
    exige(esc::reemplaza(texto, QStringLiteral("\x01\x02"), QStringLiteral("x")) == texto || texto.contains(QStringLiteral("\x01\x02")));

    // The text as a value: the statement around it keeps its clauses and shape.
    const QString cabeza = QStringLiteral("SELECT A FROM T WHERE B like '");
    const QString sql = cabeza + datos::comillas(texto) + QStringLiteral("%' ORDER BY A");
    const esc::Lectura s(sql);
    exige(s.buscaClausula({"ORDER", "BY"}) == sql.size() - 10);
    exige(s.buscaClausula({"WHERE"}) == 16);
    exige(s.buscaClausula({"GROUP", "BY"}) == -1);
    exige(!s.contiene(QStringLiteral("TRANS")) && !s.contiene(QStringLiteral("DELETE")) && !s.contiene(QStringLiteral(";")));
    exige(esc::esqueleto(sql) == QStringLiteral("SELECT A FROM T WHERE B like ? ORDER BY A"));
    exige(esc::reemplaza(sql, QStringLiteral("@Admin_"), QString()) == sql);
    return 0;
}
