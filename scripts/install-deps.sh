#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need.
# Does nothing when they are all present; asks no questions.
set -euo pipefail

packages=(build-essential cmake g++ qt6-base-dev qt6-qpa-plugins libgl-dev libgtest-dev
  libbenchmark-dev fonts-liberation clang libclang-rt-dev poppler-utils locales librsvg2-bin
  dpkg-dev desktop-file-utils appstream libeigen3-dev libserialport-dev pkgconf)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

# The notation tests run once under a locale that writes the decimal comma.
ensure_decimal_comma_locale() {
  if locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
    return 0
  fi
  echo "Generating the de_DE.UTF-8 locale"
  "${SUDO[@]}" localedef -i de_DE -f UTF-8 de_DE.UTF-8
}

if [ "$(id -u)" -eq 0 ]; then
  SUDO=()
else
  SUDO=(sudo)
fi

if [ ${#missing[@]} -eq 0 ]; then
  ensure_decimal_comma_locale
  exit 0
fi

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ] && ! command -v sudo >/dev/null 2>&1; then
  echo "Please run this as root (missing packages: ${missing[*]})" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update
"${SUDO[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
ensure_decimal_comma_locale
