#!/usr/bin/env bash
# Writes what the command-line tool prints and writes for the ten band
# presets into one folder, so that two commits can be compared byte for
# byte (diff -r) before and after a change that must not change output.
#
#   scripts/outputs.sh BUILD_DIR OUT_DIR
#
# The measured files come from the tool's own touchstone command on a
# preset with parts moved (C48 +6 %, L2 one turn more), so fit and compare
# have something to find. The report is compared as rendered pages: the
# PDF's own bytes carry a creation time.
set -euo pipefail
build="$(realpath "${1:?usage: outputs.sh BUILD_DIR OUT_DIR}")"
out="$(realpath -m "${2:?usage: outputs.sh BUILD_DIR OUT_DIR}")"
cd "$(dirname "$0")/.."
data="$PWD/data"
cli="$build/diruruzevuv-cli"
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
rm -rf "$out"
mkdir -p "$out"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

run() { # name, command...: standard output, standard error and exit status
  local name="$1"
  shift
  set +e
  "$@" >"$out/$name.out" 2>"$out/$name.err"
  echo "$?" >"$out/$name.rc"
  set -e
}

for band in 10 12 15 17 20 30 40 60 80 160; do
  design="$data/$band.TXT"
  run "$band.sweep" "$cli" sweep "$design"
  run "$band.montecarlo" "$cli" montecarlo "$design"
  run "$band.spice" "$cli" spice "$design" "$work/$band.ASC"
  cp "$work/$band.ASC" "$out/$band.ASC" 2>/dev/null || true
  run "$band.touchstone" "$cli" touchstone "$design" "$work/$band.s2p"
  cp "$work/$band.s2p" "$out/$band.s2p" 2>/dev/null || true
  run "$band.buildsheet" "$cli" buildsheet "$design"
  run "$band.buildsheet-csv" "$cli" buildsheet "$design" --csv
  run "$band.buildsheet-search" "$cli" buildsheet "$design" --search --series E24
  # The built filter: C48 6 % high and one turn more on L2.
  awk 'BEGIN { ORS = "\r\n" } { sub(/\r$/, "") }
       /^C48:/ { printf "C48: %.6g\r\n", $2 * 1.06; next }
       /^L2 turns:/ { printf "L2 turns: %d\r\n", $3 + 1; next } { print }' \
    "$design" >"$work/built$band.TXT"
  run "$band.built-touchstone" "$cli" touchstone "$work/built$band.TXT" "$work/built$band.s2p" \
    --points 401
  run "$band.compare" "$cli" compare "$design" "$work/built$band.s2p"
  run "$band.compare-csv" "$cli" compare "$design" "$work/built$band.s2p" --csv
  run "$band.fit" "$cli" fit "$design" "$work/built$band.s2p"
  run "$band.fit-csv" "$cli" fit "$design" "$work/built$band.s2p" --csv
  if [ -x "$build/diruruzevuv-report" ]; then
    run "$band.report" "$cli" report "$design" "$work/$band.pdf"
    if [ -f "$work/$band.pdf" ]; then
      pdftoppm -r 60 -png "$work/$band.pdf" "$work/$band-page"
      for page in "$work/$band"-page*.png; do
        sha256sum <"$page" >"$out/$band.report-$(basename "$page" .png).sha256"
      done
    fi
  fi
done
echo "outputs written to $out"
