#!/usr/bin/env bash
# Builds every libFuzzer target (fuzz/*_fuzz.cpp) with clang and runs each
# for a short, bounded time. A crash, a sanitizer report, a timeout or an
# out-of-memory stop fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${DIRU_FUZZ_SECONDS:-15}"
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

# Seeds: the shipped data files are real inputs for both file readers.
corpus_root="build-fuzz/corpus"
for target in "${targets[@]}"; do
  corpus="$corpus_root/$target"
  mkdir -p "$corpus"
  case "$target" in
    design_file_fuzz | global_defaults_fuzz) cp data/*.TXT "$corpus/" 2>/dev/null || true ;;
  esac
  echo "-- $target (${seconds}s)"
  ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "build-fuzz/$target" "$corpus" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=4096 -print_final_stats=0 -artifact_prefix="build-fuzz/$target-" 2>&1 | tail -n 3
  status="${PIPESTATUS[0]}"
  if [ "$status" -ne 0 ]; then
    echo "fuzzing $target failed (status $status); see build-fuzz/$target-*"
    exit 1
  fi
done
