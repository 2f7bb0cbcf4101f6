#!/usr/bin/env bash
# Checks the installation as a user gets it: builds the Debian package from
# an existing build folder (default build/), unpacks it into a scratch
# folder, puts the source tree's data/ out of reach, and runs the unpacked
# tool and program from there. Validates the desktop entry and the
# AppStream metadata. Any difference fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
app_id=org.example.diruruzevuv
export QT_QPA_PLATFORM=offscreen

source_dir="$PWD"
scratch="$(mktemp -d)"
hidden=""
cleanup() {
  if [ -n "$hidden" ] && [ -d "$hidden" ]; then mv "$hidden" "$source_dir/data"; fi
  rm -rf "$scratch"
}
trap cleanup EXIT
# An interrupted check still puts data/ back.
trap 'exit 130' INT TERM HUP
fail() {
  echo "install check: $*" >&2
  exit 1
}

rm -f "$build"/diruruzevuv_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb="$(ls "$build"/diruruzevuv_*.deb)"
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || fail "no Qt dependency computed for $deb"
dpkg -x "$deb" "$scratch/root"
usr="$scratch/root/usr"
mkdir -p "$scratch/work"

# What the build tree gives, while it can still read the source data.
(cd "$scratch/work" && "$source_dir/$build/diruruzevuv-cli" sweep >"$scratch/build.csv")
(cd "$scratch/work" && "$source_dir/$build/diruruzevuv" --snapshot "$scratch/build.png" 2>/dev/null)

hidden="$source_dir/data.hidden-by-install-check"
mv "$source_dir/data" "$hidden"

# The tool: the same sweep, from the unpacked data.
cd "$scratch/work"
"$usr/bin/diruruzevuv-cli" sweep >"$scratch/unpacked.csv" || fail "sweep failed"
cmp -s "$scratch/build.csv" "$scratch/unpacked.csv" || fail "sweep differs from the build tree's"
"$usr/bin/diruruzevuv-cli" sweep "$usr/share/diruruzevuv/40.TXT" >/dev/null || fail "no 40.TXT"
"$usr/bin/diruruzevuv-cli" --help | grep -q "montecarlo" || fail "--help"
"$usr/bin/diruruzevuv-cli" report "$usr/share/diruruzevuv/20.TXT" "$scratch/report.pdf" ||
  fail "report failed"
pdftotext "$scratch/report.pdf" - | grep -q "DIRUruzevuv Utility - 14M to 14.35M" ||
  fail "report.pdf does not show the design"

# The analysers' udev rule: where udev reads it, before the seat rules that
# grant uaccess, for the analysers' IDs only, ModemManager told off.
rule="$usr/lib/udev/rules.d/70-diruruzevuv-analyser.rules"
[ -f "$rule" ] || fail "no udev rule for the analysers"
# One line for each family's USB ID: 0483:5740 and the V2 boards' 04b4:0008.
rule_lines="$(grep -v '^#' "$rule" | grep -v '^$')"
[ "$(printf '%s\n' "$rule_lines" | wc -l)" -eq 2 ] || fail "the udev rule is not two lines"
for id in '"0483", ATTRS{idProduct}=="5740"' '"04b4", ATTRS{idProduct}=="0008"'; do
  rule_line="$(printf '%s\n' "$rule_lines" | grep -F "ATTRS{idVendor}==$id")" ||
    fail "the udev rule lacks $id"
  for part in 'ENV{ID_MM_DEVICE_IGNORE}="1"' 'TAG+="uaccess"'; do
    printf '%s' "$rule_line" | grep -qF "$part" || fail "the udev rule for $id lacks $part"
  done
done
if udevadm verify --help >/dev/null 2>&1; then
  udevadm verify --no-style "$rule" >/dev/null || fail "udevadm verify refuses the rule"
fi

# The program through its opening screen, in a working folder it makes.
"$usr/bin/diruruzevuv" --work-dir "$scratch/work/new" --snapshot "$scratch/unpacked.png" \
  2>/dev/null || fail "the program did not show its opening screen"
[ -d "$scratch/work/new" ] || fail "--work-dir was not made"
cmp -s "$scratch/build.png" "$scratch/unpacked.png" ||
  fail "the opening screen differs from the build tree's"

# The menu entry's command as a desktop runs it, from the home folder.
desktop="$usr/share/applications/$app_id.desktop"
exec_line="$(sed -n 's/^Exec=//p' "$desktop")"
[ -x "$usr/bin/${exec_line%% *}" ] || fail "Exec=$exec_line names no installed program"
mkdir -p "$scratch/home"
# shellcheck disable=SC2086 # the Exec line is split into words as a desktop does
(cd "$scratch/home" && env -u XDG_DATA_HOME HOME="$scratch/home" PATH="$usr/bin:$PATH" \
  $exec_line --snapshot "$scratch/menu.png" 2>/dev/null) || fail "the menu entry's command failed"
[ -d "$scratch/home/.local/share/diruruzevuv" ] ||
  fail "a start from the menu does not work in ~/.local/share/diruruzevuv"

# Both really read the unpacked defaults: a lower inductor Q there changes
# the sweep, a 75-ohm termination the opening screen's schematic.
defaults="$usr/share/diruruzevuv/DIRUruzevuvGlobalDefaults.TXT"
sed -i -e 's/^Inductor Q: 200/Inductor Q: 100/' \
  -e 's/^Input termination ohms: 50/Input termination ohms: 75/' "$defaults"
"$usr/bin/diruruzevuv-cli" sweep | cmp -s - "$scratch/build.csv" &&
  fail "the tool ignores the unpacked global defaults"
"$usr/bin/diruruzevuv" --snapshot "$scratch/75.png" 2>/dev/null || fail "snapshot"
cmp -s "$scratch/75.png" "$scratch/unpacked.png" &&
  fail "the program ignores the unpacked global defaults"

# Desktop integration.
desktop-file-validate "$desktop" || fail "desktop entry"
appstreamcli validate --no-net "$usr/share/metainfo/$app_id.metainfo.xml" >/dev/null ||
  fail "AppStream metadata"
for icon in scalable/apps/$app_id.svg 48x48/apps/$app_id.png 256x256/apps/$app_id.png; do
  [ -s "$usr/share/icons/hicolor/$icon" ] || fail "missing icon $icon"
done
for page in diruruzevuv.1 diruruzevuv-cli.1; do
  [ -s "$usr/share/man/man1/$page" ] || fail "missing manual page $page"
done
echo "install check passed: $(basename "$deb")"
