#!/usr/bin/env bash
# The supplier change under SIGKILL. Starts bench/matar_grabar on a generated
# database, kills it with SIGKILL at a random instant, checks the database with
# the sqlite3 command line and starts it again on the same file.
#
#   bench/matar.sh [kills] [path of matar_grabar]
#
# Defaults: 200 kills; the program from $MATAR_GRABAR or build/tests/matar_grabar.
# MATAR_ORDENES sets the number of generated orders (default 200).
# Half of the kills fall after the program reports it is ready, within one
# save's duration (measured first); the other half at any instant from the
# start, start-up included. After every kill: PRAGMA integrity_check must say
# "ok", and every generated order must be wholly on one supplier: its header
# (account and name), its task, observation and supply rows and its own stock
# rows of the receiving report (MV_STOCK, the table behind V_MV_STOCK; the
# program answers Sí to the shared-report question, so they always follow).
# Ends with status 1 when any check failed.
set -uo pipefail

raiz=$(cd "$(dirname "$0")/.." && pwd)
muertes=${1:-200}
exe=${2:-${MATAR_GRABAR:-$raiz/build/tests/matar_grabar}}
ordenes=${MATAR_ORDENES:-200}

case $muertes in
  ''|*[!0-9]*) echo "usage: $0 [kills] [matar_grabar]" >&2; exit 2 ;;
esac
[ -x "$exe" ] || { echo "matar_grabar not found: $exe" >&2; exit 2; }
command -v sqlite3 >/dev/null || { echo "the sqlite3 command line is missing (apt-get install sqlite3)" >&2; exit 2; }

export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
carpeta=$(mktemp -d)
trap 'rm -rf "$carpeta"' EXIT
base="$carpeta/MATAR.db"

"$exe" preparar "$carpeta" "$ordenes" || { echo "could not generate the database" >&2; exit 2; }

# Microseconds since the epoch, from bash's own clock.
ahora_us() { local t=${EPOCHREALTIME/[.,]/}; echo $((10#$t)); }

# One measured run: the time to "listo" from the start, and a save's mean duration.
t0=$(ahora_us)
coproc MEDIDA { exec "$exe" grabar "$carpeta" 50; }
# bash forgets MEDIDA_PID and MEDIDA once the coprocess has ended: keep them.
medida_pid=$MEDIDA_PID
exec {medida_fd}<&"${MEDIDA[0]}"
read -r linea <&"$medida_fd"
[ "$linea" = listo ] || { echo "matar_grabar did not start: $linea" >&2; exit 2; }
arranque_us=$(( $(ahora_us) - t0 ))
media_ms=""
while read -r clave valor <&"$medida_fd"; do
  [ "$clave" = media_ms ] && media_ms=$valor
done
# Its status may be gone already (bash reaps a finished coprocess on its own):
# the mean it printed last is what tells that it ran to the end.
wait "$medida_pid" 2>/dev/null || true
exec {medida_fd}<&-
[ -n "$media_ms" ] || { echo "no save duration measured" >&2; exit 2; }
grabacion_us=$(awk -v m="$media_ms" 'BEGIN { u = int(m * 1000); print (u < 1 ? 1 : u) }')
echo "start-up to ready: $((arranque_us / 1000)) ms; one save: $media_ms ms (mean of 50)"

# Waits d microseconds without starting a process (read on the program's
# output, which says nothing more once it is ready).
esperar_us() {
  local fd=$1 d=$2 hasta
  hasta=$(( $(ahora_us) + d ))
  while :; do
    local resto=$(( hasta - $(ahora_us) ))
    (( resto <= 0 )) && return
    read -r -t "$(printf '%d.%06d' $((resto / 1000000)) $((resto % 1000000)))" -u "$fd" _ || true
  done
}

sql_partidas="SELECT COUNT(*) FROM C_MV_CPTE c WHERE c.TC = 'OC' AND c.IDCOMPROBANTE LIKE '0003%' AND (
  EXISTS (SELECT 1 FROM C_MV_CPTETAREAS x WHERE x.TC = 'OC' AND x.IDCOMPROBANTE = c.IDCOMPROBANTE AND x.CUENTA <> c.CUENTA)
  OR EXISTS (SELECT 1 FROM C_MV_CPTE_OBSERV x WHERE x.TC = 'OC' AND x.IDCOMPROBANTE = c.IDCOMPROBANTE AND x.CUENTA <> c.CUENTA)
  OR EXISTS (SELECT 1 FROM C_MV_CPTEINSUMOS x WHERE x.TC = 'OC' AND x.IDCOMPROBANTE = c.IDCOMPROBANTE AND x.CUENTA <> c.CUENTA)
  OR EXISTS (SELECT 1 FROM MV_STOCK s WHERE s.TC = 'IR' AND s.TC_ORIGEN = 'OC' AND s.IDCOMPROBANTE_ORIGEN = c.IDCOMPROBANTE
             AND s.CUENTAPROVEEDOR <> c.CUENTA)
  OR NOT EXISTS (SELECT 1 FROM VT_PROVEEDORES p WHERE p.CODIGO = c.CUENTA AND p.Razon_Social = c.NOMBRE));"
sql_ordenes="SELECT COUNT(*) FROM C_MV_CPTE WHERE TC = 'OC' AND IDCOMPROBANTE LIKE '0003%';"

en_grabacion=0 desde_arranque=0 en_vuelo=0 comprobadas=0 partidas=0 integridad=0 salidas=0
for ((k = 1; k <= muertes; k++)); do
  t0=$(ahora_us)
  coproc PROG { exec "$exe" grabar "$carpeta"; }
  pid=$PROG_PID
  fd=${PROG[0]}
  if (( k % 2 )); then
    # Within one save: the program is ready and saving back to back.
    read -r linea <&"$fd"
    if [ "$linea" != listo ]; then
      salidas=$((salidas + 1))
    else
      esperar_us "$fd" $(( SRANDOM % (grabacion_us + 1) ))
      en_grabacion=$((en_grabacion + 1))
    fi
  else
    # Any instant from the start: start-up, reading, saving.
    esperar_us "$fd" $(( SRANDOM % (arranque_us + 10 * grabacion_us + 1) ))
    desde_arranque=$((desde_arranque + 1))
  fi
  kill -KILL "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  estado=$?
  # 137: killed. 127: bash had reaped the coprocess already (its status is
  # gone). Anything else: the program ended on its own (a failed save).
  if [ "$estado" -ne 137 ] && [ "$estado" -ne 127 ]; then
    salidas=$((salidas + 1))
    echo "kill $k: matar_grabar ended by itself with status $estado" >&2
  fi
  # The log a killed writer leaves: the next opening recovers it (committed
  # frames kept, the rest dropped); a rollback journal, when the file is in that mode.
  { [ -s "$base-wal" ] || [ -e "$base-journal" ]; } && en_vuelo=$((en_vuelo + 1))

  r=$(sqlite3 "$base" 'PRAGMA integrity_check;' 2>&1)
  if [ "$r" != ok ]; then
    integridad=$((integridad + 1))
    echo "kill $k: integrity_check: $r" >&2
  fi
  n=$(sqlite3 "$base" "$sql_ordenes" 2>&1)
  p=$(sqlite3 "$base" "$sql_partidas" 2>&1)
  case "$n$p" in
    *[!0-9]*|'') integridad=$((integridad + 1)); echo "kill $k: query failed: $n $p" >&2 ;;
    *) comprobadas=$((comprobadas + n)); partidas=$((partidas + p))
       (( p > 0 )) && echo "kill $k: $p orders split between suppliers" >&2 ;;
  esac
done

echo "kills: $muertes ($en_grabacion within a save after start-up, $desde_arranque at any instant from the start)"
echo "kills that left a log to recover (write-ahead log or hot journal): $en_vuelo"
echo "orders checked: $comprobadas"
echo "split orders: $partidas"
echo "integrity failures: $integridad"
echo "program exits other than the kill: $salidas"
(( partidas == 0 && integridad == 0 && salidas == 0 ))
