#!/usr/bin/env bash
# Installs every Debian package the project needs (idempotent, no questions asked) and builds it.
# Usage: tools/setup.sh [build-dir]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build"}

# Build tools; Qt 6 Widgets (libgl-dev for its OpenGL headers); Firebird 3 client, embedded engine, isql-fb and
# the server the tests start on loopback; inih; GoogleTest; Xvfb with xauth (xvfb-run), ImageMagick and a font
# for looking at the windows without a desktop; Qt's own texts in Polish.
packages=(
  build-essential cmake pkg-config ninja-build
  qt6-base-dev libgl-dev
  firebird-dev libfbclient2 firebird3.0-server-core firebird3.0-utils firebird3.0-server
  libinih-dev
  googletest libgtest-dev
  xvfb xauth imagemagick fonts-dejavu-core
  qt6-translations-l10n
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  # The server package would start a system-wide service; the tests start their own server instead.
  if [ ! -e /usr/sbin/policy-rc.d ]; then
    printf '#!/bin/sh\nexit 101\n' > /usr/sbin/policy-rc.d && chmod +x /usr/sbin/policy-rc.d
    trap 'rm -f /usr/sbin/policy-rc.d' EXIT
  fi
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)"
