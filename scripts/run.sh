#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it.
# The program keeps its last-session file in its working folder; we use
# ./run so the source tree stays clean.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DDIRU_BUILD_BENCH=OFF >/dev/null
cmake --build build --target diruruzevuv diruruzevuv-cli diruruzevuv-report -j"$(nproc)"
mkdir -p run
cd run
exec ../build/diruruzevuv "$@"
