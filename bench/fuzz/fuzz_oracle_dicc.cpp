// libFuzzer target: the Oracle translation and the script runner's cutting.
// ado::Fallo is an accepted answer to bad input; any other exception, a crash,
// or a cutting loop that does not advance is a finding.
// Build by hand (clang):
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I. $(pkg-config --cflags Qt6Core) \
//     bench/fuzz/fuzz_oracle_dicc.cpp data/DialectoOracle.cpp data/Literales.cpp data/ScriptOracle.cpp \
//     data/Sinonimos.cpp companion/Texto.cpp ado/Variant.cpp ado/Errores.cpp -lQt6Core
#include "ado/Errores.h"
#include "data/DialectoOracle.h"
#include "data/ScriptOracle.h"

#include <QString>

#include <cstdint>
#include <cstdlib>

namespace {

const QString kOracle = QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=ORCL;");
const QString kSqlServer = QStringLiteral("PROVIDER=SQLOLEDB;Server=S;Database =D;");

template <typename F>
void tolerandoFallo(F&& f)
{
    try {
        f();
    } catch (const ado::Fallo&) {
    } catch (...) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos_, size_t n)
{
    const QString entrada = QString::fromUtf8(reinterpret_cast<const char*>(datos_), static_cast<qsizetype>(n));

    tolerandoFallo([&] {
        if (datos::ORACLE_Dicc(entrada, kSqlServer) != entrada) std::abort();
    });
    tolerandoFallo([&] { datos::ORACLE_Dicc(entrada, kOracle); });
    tolerandoFallo([&] { datos::AjustaTopOracle(entrada, kOracle); });
    tolerandoFallo([&] { (void)datos::fechaRegional(entrada); });

    tolerandoFallo([&] {
        QString script = entrada;
        datos::normalizarScriptOracle(script);
        QString sentencia;
        qsizetype antes = script.size() + 1;
        while (datos::siguienteSentenciaOracle(script, sentencia)) {
            if (script.size() >= antes) std::abort();   // the loop must consume text
            antes = script.size();
            datos::clasificaSentenciaOracle(sentencia);
            tolerandoFallo([&] {
                QString t = datos::ORACLE_Dicc(sentencia, kOracle);
                datos::FiltraSentencia(t);
            });
        }
    });
    return 0;
}
