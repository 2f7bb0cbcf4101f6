#!/usr/bin/env bash
# Runs a hundred generated garbage design files through every command of the
# command-line tool, each run under a time limit. Fails on a run killed by a
# signal or by the limit, on any sanitizer report, and on "nan" or "inf" in
# anything the tool printed or wrote.
#
#   scripts/cli_smoke.sh TOOL [COUNT] [SEED]
#
# Meant for the sanitizer build's tool; the files come from a fixed seed, so
# a failure can be repeated. CTest runs it as several shorter runs, each
# with its own seed, so that no one test holds the run for minutes.
set -uo pipefail
tool="$(realpath "${1:?usage: cli_smoke.sh TOOL [COUNT] [SEED]}")"
count="${2:-100}"
limit="${DIRU_SMOKE_SECONDS:-120}"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
work="$(mktemp -d "${TMPDIR:-/tmp}/diru-smoke-XXXXXX")"
trap 'rm -rf "$work"' EXIT
RANDOM="${3:-20261206}"
cd "$(dirname "$0")/.."

# Values that have broken or nearly broken programs of this kind.
values=(0 -0 1 -1 0.5 2 3 12 1E-45 -1E-45 1E-38 3.4E+38 3.5E+38 -3.5E+38 1E+39 1E-300 1E+308
  1E+309 nan NaN inf -inf Infinity 1E7 1.4E+07 5E+06 5E+07 2E-10 3.6E-10 32767 -32768 32768
  65535 99999 12.5 13.5 '&HFFFF' '&O777' '&H' 1D300 1e 1e+ . - '' x 'C47: 200p' ' ' 7M 0.022u)
labels=("C47: " "L2 turns: " "C48: " "L1 turns: " "C92: " "C49: " "Lower bandedge: "
  "Upper bandedge: " "Analysis start freq: " "Analysis stop freq: " "Toroid AL: "
  "Input termination: " "Band: ")
presets=(data/[0-9]*.TXT)

pick() { printf '%s' "${values[RANDOM % ${#values[@]}]}"; }

# One garbage design file: the layout with odd values (perhaps cut short), a
# shipped preset with a few lines spoiled, or random bytes.
make_file() {
  local out="$1" kind=$((RANDOM % 6)) line
  case "$kind" in
    0)
      printf 'garbage %d\r\n2026-12-06\r\n\r\n' "$RANDOM" >"$out"
      for line in "${labels[@]}"; do
        if ((RANDOM % 3 == 0)); then
          printf '%s%s\r\n' "$line" "$(pick)"
        else
          printf '%s%s\r\n' "$line" "$((RANDOM % 2000))"
        fi
      done >>"$out"
      ;;
    1 | 2 | 3 | 4)
      local preset="${presets[RANDOM % ${#presets[@]}]}" n=0
      while IFS= read -r line || [ -n "$line" ]; do
        n=$((n + 1))
        if ((n > 3 && RANDOM % (kind >= 3 ? 24 : 6) == 0)); then
          printf '%s%s\r\n' "${line%%:*}: " "$(pick)"
        else
          printf '%s\n' "$line"
        fi
      done <"$preset" >"$out"
      # Sometimes cut short.
      if ((kind == 1)); then head -c $((RANDOM % 400)) "$out" >"$out.cut" && mv "$out.cut" "$out"; fi
      ;;
    5) head -c $((RANDOM % 600)) /dev/urandom >"$out" ;;
  esac
}

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Runs one command; checks its status, its standard error and its outputs.
check_run() {
  local name="$1"
  shift
  local out="$work/stdout" err="$work/stderr" status=0
  timeout -s KILL "$limit" "$@" >"$out" 2>"$err" || status=$?
  if ((status == 137)); then
    fail "$name: killed at the time limit ($limit s): $*"
  elif ((status > 2)); then
    fail "$name: exit status $status: $*"
  fi
  if grep -qE 'Sanitizer|runtime error:' "$err"; then
    fail "$name: sanitizer report: $*"
    head -n 20 "$err"
  fi
  local text
  for text in "$out" "$work/out.ASC" "$work/out.TXT" "$work/out.txt"; do
    if [ -f "$text" ] && grep -qiwE 'nan|inf|infinity' "$text"; then
      fail "$name: nan or inf in $(basename "$text"): $*"
      grep -iwE 'nan|inf|infinity' "$text" | head -n 3
    fi
  done
}

for ((i = 0; i < count; i++)); do
  design="$work/design$i.TXT"
  make_file "$design"
  rm -f "$work/out.ASC" "$work/out.TXT" "$work/out.pdf" "$work/out.txt"
  check_run "sweep #$i" "$tool" sweep "$design"
  check_run "montecarlo #$i" "$tool" montecarlo "$design"
  check_run "spice #$i" "$tool" spice "$design" "$work/out.ASC"
  check_run "wizard #$i" "$tool" wizard "$(pick)" "$(pick)" "$(pick)" "$work/out.TXT"
  check_run "report #$i" "$tool" report "$design" "$work/out.pdf"
  if [ -f "$work/out.pdf" ] && command -v pdftotext >/dev/null 2>&1; then
    pdftotext "$work/out.pdf" "$work/out.txt" 2>/dev/null || fail "report #$i: unreadable PDF"
    check_run "report text #$i" true
  fi
done
echo "$count garbage design files through every command: $failures failures"
((failures == 0))
