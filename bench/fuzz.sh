#!/usr/bin/env bash
# Builds the libFuzzer targets of bench/fuzz with clang and runs each one for a
# while. Run by hand; not part of the test suite.
#
#   bench/fuzz.sh [seconds per target] [target ...]
#
# Defaults: 60 seconds, every target. Environment:
#   FUZZ_BUILD   build folder (default <repo>/build-fuzz)
#   FUZZ_JOBS    build jobs (default 2)
#   FUZZ_ARGS    extra libFuzzer options (e.g. "-max_len=2048")
# Each target keeps its corpus in <build>/corpus/<target>; inputs that fail
# are written to <build>/hallazgos/<target>/. A target with its own seed folder
# (bench/fuzz/semillas/<name without fuzz_>) starts from it, with
# bench/fuzz/<name without fuzz_>.dict when there is one; the others that read
# statements start from the SQL seeds. The script ends with status 1 when any
# target found something.
set -uo pipefail

raiz=$(cd "$(dirname "$0")/.." && pwd)
segundos=${1:-60}
shift || true
build=${FUZZ_BUILD:-$raiz/build-fuzz}
jobs=${FUZZ_JOBS:-2}

case $segundos in
  ''|*[!0-9]*) echo "uso: $0 [segundos] [objetivo ...]" >&2; exit 2 ;;
esac

if ! command -v clang++ >/dev/null 2>&1; then
  echo "== clang missing: installing it (apt)"
  sudo_=""
  [ "$(id -u)" -ne 0 ] && sudo_="sudo"
  $sudo_ apt-get update && $sudo_ apt-get install -y clang || { echo "could not install clang" >&2; exit 2; }
fi

cmake -S "$raiz/bench/fuzz" -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null \
  || { echo "configuration failed" >&2; exit 2; }
cmake --build "$build" -j"$jobs" || { echo "build failed" >&2; exit 2; }

if [ $# -gt 0 ]; then
  objetivos=("$@")
else
  objetivos=()
  for f in "$raiz"/bench/fuzz/fuzz_*.cpp; do
    n=$(basename "$f" .cpp)
    [ -x "$build/$n" ] && objetivos+=("$n")
  done
fi

# SQL seeds and the dialect dictionary serve every target that reads statements.
semillas="$raiz/bench/fuzz/semillas/sql"
diccionario="$raiz/bench/fuzz/dialecto.dict"

fallos=0
for n in "${objetivos[@]}"; do
  exe="$build/$n"
  [ -x "$exe" ] || { echo "== $n: not built" >&2; fallos=1; continue; }
  corpus="$build/corpus/$n"
  hallazgos="$build/hallazgos/$n"
  mkdir -p "$corpus" "$hallazgos"
  opciones=(-max_total_time="$segundos" -print_final_stats=1 -artifact_prefix="$hallazgos/")
  extra=()
  propias="$raiz/bench/fuzz/semillas/${n#fuzz_}"
  if [ -d "$propias" ]; then
    extra+=("$propias")
    [ -f "$raiz/bench/fuzz/${n#fuzz_}.dict" ] && opciones+=(-dict="$raiz/bench/fuzz/${n#fuzz_}.dict")
  elif [ "$n" != fuzz_linea_comandos ]; then
    extra+=("$semillas")
    opciones+=(-dict="$diccionario")
  fi
  echo "== $n: $segundos s"
  # shellcheck disable=SC2086
  if "$exe" "${opciones[@]}" ${FUZZ_ARGS:-} "$corpus" "${extra[@]}" >"$build/$n.log" 2>&1; then
    echo "   ok ($(grep -m1 -o 'Done [0-9]* runs' "$build/$n.log" || echo 'done'); $(grep -o 'cov: [0-9]* ft: [0-9]*' "$build/$n.log" | tail -1))"
  else
    fallos=1
    echo "   FOUND something: see $build/$n.log and $hallazgos/"
    grep -m5 -E 'ERROR|runtime error|SUMMARY|deadly signal' "$build/$n.log" | sed 's/^/   /'
  fi
done
exit $fallos
