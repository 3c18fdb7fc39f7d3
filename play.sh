#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it from data/.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DKESTRELIX_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)" --target kestrelix
cd data
exec ../build/src/kestrelix
