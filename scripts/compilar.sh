#!/usr/bin/env bash
# Configures and builds into build/ (RelWithDebInfo).
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$raiz" -B "$raiz/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$raiz/build" -j"$(nproc)"
