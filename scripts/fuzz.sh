#!/usr/bin/env bash
# Builds every libFuzzer target (fuzz/*_fuzz.cpp) with clang and runs each
# for a short, bounded time. A crash, a sanitizer report, a timeout or an
# out-of-memory stop fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="$(nproc)"

cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
  -DDIRU_FUZZ=ON -DDIRU_BUILD_GUI=OFF -DDIRU_BUILD_BENCH=OFF >/dev/null

targets=()
for src in fuzz/*_fuzz.cpp; do
  [ -e "$src" ] || continue
  targets+=("$(basename "$src" .cpp)")
done
if [ "${#targets[@]}" -eq 0 ]; then
  echo "no fuzz targets"
  exit 0
fi
cmake --build build-fuzz -j"$jobs" --target "${targets[@]}"

# The whole run stays under a minute however many targets there are.
seconds=$(( ${DIRU_FUZZ_TOTAL_SECONDS:-45} / ${#targets[@]} ))
per_target="${DIRU_FUZZ_SECONDS:-15}"
if [ "$seconds" -gt "$per_target" ]; then seconds="$per_target"; fi
if [ "$seconds" -lt 1 ]; then seconds=1; fi

# Seeds: the shipped data files are real inputs for the design readers.
for target in "${targets[@]}"; do
  corpus="build-fuzz/corpus/$target"
  log="build-fuzz/$target.log"
  mkdir -p "$corpus"
  case "$target" in
    design_file_fuzz | global_defaults_fuzz | pipeline_fuzz) cp data/*.TXT "$corpus/" ;;
    # The reader's own cases: noise blocks, version 2, and the shapes it
    # refuses or warns about (an option line inside the data, falling
    # frequencies, a byte-order mark, control bytes, a complex reference).
    touchstone_fuzz) cp fuzz/seeds/touchstone/* "$corpus/" ;;
    # Rows out of range, control bytes in the text, a name given twice.
    core_catalogue_fuzz) cp data/DIRUruzevuvCores.TXT fuzz/seeds/core_catalogue/* "$corpus/" ;;
  esac
  echo "-- $target (${seconds}s)"
  status=0
  ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "build-fuzz/$target" "$corpus" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=4096 -artifact_prefix="build-fuzz/$target-" >"$log" 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$log"
    echo "fuzzing $target failed (status $status); the input is in build-fuzz/$target-*"
    exit 1
  fi
  grep -E '^Done' "$log" || true
done
