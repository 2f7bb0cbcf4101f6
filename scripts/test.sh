#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: an
# optimised build, and a build under AddressSanitizer, LeakSanitizer and
# UndefinedBehaviorSanitizer, checks the Debian package from the first build,
# and finishes with a short fuzzing run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs="$(nproc)"
export QT_QPA_PLATFORM=offscreen
# install-deps.sh provides the decimal-comma locale; its test must not skip.
export DIRU_REQUIRE_DECIMAL_COMMA_LOCALE=1

echo "== optimised build =="
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== installation =="
bash scripts/check-install.sh build

echo "== sanitizer build =="
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DDIRU_SANITIZE=ON -DDIRU_BUILD_BENCH=OFF
cmake --build build-asan -j"$jobs"
# Leak detection is on; the suppression file names the one allocation that
# is not the program's own (inside the D-Bus library Qt uses).
ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 \
  LSAN_OPTIONS="suppressions=$PWD/scripts/lsan-suppressions.txt:print_suppressions=0" \
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs"

if [ -x scripts/fuzz.sh ] && command -v clang++ >/dev/null 2>&1; then
  echo "== fuzzing =="
  bash scripts/fuzz.sh
fi
