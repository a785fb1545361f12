#!/usr/bin/env bash
# Installs every Debian package the project needs (no questions asked) and builds it. On a machine that already
# has everything it only checks and brings the build up to date. Installing needs root, or sudo.
# Usage: tools/setup.sh [build-dir]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build"}

# Build tools; Qt 6 Widgets (libgl-dev for its OpenGL headers); Firebird 3 client, embedded engine, isql-fb and
# the server the tests start on loopback; GoogleTest and GoogleMock; Xvfb with xauth (xvfb-run), ImageMagick and
# a font for looking at the windows without a desktop; Qt's own texts in Polish.
packages=(
  build-essential cmake pkg-config ninja-build
  qt6-base-dev libgl-dev
  firebird-dev libfbclient2 firebird3.0-server-core firebird3.0-utils firebird3.0-server
  googletest libgtest-dev libgmock-dev
  xvfb xauth imagemagick fonts-dejavu-core
  qt6-translations-l10n
  clang  # the sanitizer run and the fuzz targets (tools/run-checks.sh)
  libclang-rt-14-dev  # their sanitizer and libFuzzer runtimes, left out by --no-install-recommends
  llvm-14  # llvm-symbolizer: the leak check names a leak's functions with it to match tools/lsan.supp
)

say() { printf '==> %s\n' "$*"; }
fail() { printf 'setup.sh: %s\n' "$*" >&2; exit 1; }
as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  elif command -v sudo >/dev/null; then
    sudo "$@"
  else
    fail "installing packages needs root: run this command as root, or install sudo"
  fi
}
log=$(mktemp)
trap 'rm -f "$log"' EXIT
# Runs a quiet step; its output is shown only when it fails.
quietly() {
  "$@" >"$log" 2>&1 || { tail -n 40 "$log" >&2; fail "failed: $*"; }
}

# ---- Debian packages
missing=()
while read -r name status; do
  [ "$status" = installed ] || missing+=("$name")
done < <(for p in "${packages[@]}"; do
  printf '%s %s\n' "$p" "$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || echo absent)"
done)

if ((${#missing[@]} == 0)); then
  say "All ${#packages[@]} Debian packages are installed."
else
  say "Installing ${#missing[@]} Debian packages: ${missing[*]}"
  say "(with their dependencies, a few hundred on a fresh system: a few minutes)"
  server_new=0
  [[ " ${missing[*]} " == *" firebird3.0-server "* ]] && server_new=1
  # The server package would start a system-wide service at once; the tests start their own server.
  policy=
  if [ ! -e /usr/sbin/policy-rc.d ]; then
    policy=/usr/sbin/policy-rc.d
    as_root sh -c "printf '#!/bin/sh\nexit 101\n' > $policy && chmod +x $policy"
    trap 'rm -f "$log"; as_root rm -f '"$policy" EXIT
  fi
  say "Updating the package lists"
  quietly as_root apt-get -o DPkg::Lock::Timeout=300 update
  # apt's own progress (download, then unpacking and setting up), as one line per tenth.
  # (sudo closes descriptors above 2, so the one for the progress is opened on the root side.)
  as_root sh -c 'log=$1; shift; exec env DEBIAN_FRONTEND=noninteractive apt-get install -y -q \
      --no-install-recommends -o DPkg::Lock::Timeout=300 -o APT::Status-Fd=3 "$@" 3>&1 >"$log" 2>&1' \
      _ "$log" "${missing[@]}" |
    awk -F: '$1 == "dlstatus" || $1 == "pmstatus" {
               stage = ($1 == "dlstatus") ? "downloading" : "installing"
               step = int($3 / 10)
               if (stage != last || step > shown) { printf "    %s %d%%\n", stage, step * 10; fflush(); last = stage; shown = step }
             }' || true
  for p in "${missing[@]}"; do
    dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null | grep -qx installed ||
      { tail -n 40 "$log" >&2; fail "apt-get could not install $p"; }
  done
  if ((server_new)); then
    # Installed just now, so nobody asked for a Firebird service on this machine: leave it off at boot.
    # A server the shop installed itself is never touched.
    say "Disabling the system Firebird service that firebird3.0-server brought (the tests start their own)"
    if command -v systemctl >/dev/null; then
      as_root systemctl disable --quiet firebird3.0.service 2>/dev/null || true
    fi
    if command -v deb-systemd-helper >/dev/null; then
      as_root deb-systemd-helper disable firebird3.0.service >/dev/null 2>&1 || true
    fi
    if command -v update-rc.d >/dev/null; then
      as_root update-rc.d firebird3.0 disable >/dev/null 2>&1 || true
    fi
  fi
fi

# ---- build
if [ -f "$build/CMakeCache.txt" ]; then
  say "Build directory $build"
else
  say "Configuring the build in $build"
fi
quietly cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
say "Building"
if [ -t 1 ]; then
  # On a terminal ninja keeps its progress on one line.
  cmake --build "$build" -j"$(nproc)"
else
  # Elsewhere (a log, a pipe) one progress line per tenth; compiler messages pass through whole.
  if ! cmake --build "$build" -j"$(nproc)" 2>&1 |
    awk '/^\[[0-9]+\/[0-9]+\] / { split(substr($1, 2), n, "/"); step = int(n[1] * 10 / n[2])
                                    if (step > shown || n[1] == n[2]) { printf "    [%s] %d%%\n", substr($1, 2, length($1) - 2), n[1] * 100 / n[2]; fflush(); shown = step }
                                    next }
         /^ninja: no work to do/ { print "    up to date"; next }
         { print; fflush() }'; then
    fail "the build failed (messages above)"
  fi
fi
say "Set-up done in ${SECONDS}s."
