#!/usr/bin/env bash
# Installs what is missing, then builds the Debian package of the program
# and the command-line tool in build-deb/ and prints its path. Install it
# with: sudo apt install ./build-deb/diruruzevuv_<version>_<arch>.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-deb -DCMAKE_BUILD_TYPE=Release -DDIRU_BUILD_TESTS=OFF -DDIRU_BUILD_BENCH=OFF \
  >/dev/null
cmake --build build-deb -j"$(nproc)"
rm -f build-deb/diruruzevuv_*.deb
(cd build-deb && cpack -G DEB >/dev/null)
ls build-deb/diruruzevuv_*.deb
