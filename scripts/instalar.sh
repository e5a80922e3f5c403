#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build and the tests need and is missing.
set -euo pipefail
paquetes=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev
  libsqlite3-dev sqlite3
  unixodbc unixodbc-dev tdsodbc libsqliteodbc odbc-mdbtools
  libsodium-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  python3
)
faltan=()
for p in "${paquetes[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || faltan+=("$p")
done
if [ ${#faltan[@]} -gt 0 ]; then
  echo "Instalando: ${faltan[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${faltan[@]}"
fi
# The ODBC drivers register themselves in /etc/odbcinst.ini; make sure they did.
for d in FreeTDS SQLite3 MDBTools; do
  grep -q "^\[$d\]" /etc/odbcinst.ini 2>/dev/null || echo "Aviso: el controlador ODBC $d no figura en /etc/odbcinst.ini" >&2
done
