#!/usr/bin/env bash
# Installs what is missing, builds, and opens the program on the demo database.
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
bash "$raiz/scripts/instalar.sh"
bash "$raiz/scripts/compilar.sh"
export PERMUTAL_CARPETA="${PERMUTAL_CARPETA:-$raiz/build/demo}"
mkdir -p "$PERMUTAL_CARPETA"
exec "$raiz/build/app/permutal" --demo
