#!/usr/bin/env bash
# Installs what is missing, builds, and opens the program on the demo database
# (created beside the built program when missing).
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
bash "$raiz/scripts/instalar.sh"
bash "$raiz/scripts/compilar.sh"
exec "$raiz/build/app/permutal" --demo
