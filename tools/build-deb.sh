#!/usr/bin/env bash
# Builds the Debian packages into dist/: tarlo-db (the program, tarlo-cli, their files, documents, manual pages,
# desktop entry and systemd units) and tarlo-db-symulator (the stand-in register library and winip-sim), with
# debhelper (debian/) and dpkg-buildpackage, then checks both with lintian. Installs the packaging tools it needs
# first, like tools/setup.sh (needs root, or sudo).
#
#   tools/build-deb.sh [REVISION]
#
# The version is the program's own ("3.0 [24.086]" in src/app/ConstUnit.cpp, shown in the window's title) as
# 3.0+24.086, and REVISION (default 1) the package revision: 3.0+24.086-1. A higher revision builds packages that
# upgrade the installed ones.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
revision=${1:-1}
dist="$here/dist"

say() { printf '==> %s\n' "$*"; }
fail() { printf 'build-deb.sh: %s\n' "$*" >&2; exit 1; }
[[ $revision =~ ^[0-9]+$ ]] || fail "the package revision is a number (1, 2, ...), not \"$revision\""

# The Debian tools and the build dependencies of debian/control.
packages=(build-essential debhelper dpkg-dev lintian cmake ninja-build pkg-config qt6-base-dev libgl-dev
  firebird-dev)
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
quietly() {
  "$@" >"$log" 2>&1 || { tail -n 60 "$log" >&2; fail "failed: $*"; }
}

# ---- the tools
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null | grep -qx installed || missing+=("$p")
done
if ((${#missing[@]} == 0)); then
  say "All ${#packages[@]} packaging tools and build dependencies are installed."
else
  say "Installing ${#missing[@]} Debian packages: ${missing[*]}"
  quietly as_root apt-get -o DPkg::Lock::Timeout=300 update
  quietly as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    -o DPkg::Lock::Timeout=300 "${missing[@]}"
fi

# ---- the version
program=$(sed -n 's/^const std::string ProgramVersion = "\([0-9.]*\) \[\([0-9.]*\)\]";$/\1+\2/p' \
  "$here/src/app/ConstUnit.cpp")
[ -n "$program" ] || fail "no ProgramVersion \"X.Y [NN.NNN]\" in src/app/ConstUnit.cpp"
version="$program-$revision"
say "Version $version"

# ---- a copy of the sources to build in: the project's files (tracked, and new ones not ignored), without builds.
# The folder's name is fixed, so that ccache (used when installed) finds the previous build's objects.
work="${TMPDIR:-/tmp}/tarlo-deb"
src="$work/tarlo-db-$program"
rm -rf "$work"
mkdir -p "$src"
say "Copying the sources to $src"
(
  cd "$here"
  if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z --cached --others --exclude-standard
  else
    find . -path ./.git -prune -o -path ./dist -prune -o -path './build*' -prune -o -type f -print0
  fi | while IFS= read -r -d '' f; do
    case $f in ./*) f=${f#./} ;; esac
    case $f in dist/* | build*/* | debian/changelog) continue ;; esac
    [ -e "$f" ] && printf '%s\0' "$f"
  done | tar --null -T - -cf - | tar -xf - -C "$src"
)
commit=$(git -C "$here" log -1 --format=%h 2>/dev/null || echo unknown)
when=$(git -C "$here" log -1 --format=%cD 2>/dev/null || date -R)
cat >"$src/debian/changelog" <<CHANGELOG
tarlo-db ($version) bookworm; urgency=medium

  * Tarlo_db $program, built from commit $commit.

 -- Tarlo_db <tarlo-db@brenmo-soft.example>  $when
CHANGELOG

# ---- the build
# debhelper gives the build a HOME of its own, so ccache (when installed) is pointed at the user's own cache.
if command -v ccache >/dev/null; then
  CCACHE_DIR=${CCACHE_DIR:-$(ccache -k cache_dir 2>/dev/null || echo "$HOME/.cache/ccache")}
  export CCACHE_DIR
fi
say "Building with dpkg-buildpackage (log: $work/build.log)"
start=$SECONDS
if ! (cd "$src" && DEB_BUILD_OPTIONS="nocheck noddebs parallel=$(nproc)" \
  dpkg-buildpackage -b -uc -us) >"$work/build.log" 2>&1; then
  tail -n 60 "$work/build.log" >&2
  fail "dpkg-buildpackage failed (whole log: $work/build.log)"
fi
say "Built in $((SECONDS - start)) s"

mkdir -p "$dist"
rm -f "$dist"/tarlo-db_*_amd64.deb "$dist"/tarlo-db-symulator_*_amd64.deb
cp "$work/tarlo-db_${version}_amd64.deb" "$work/tarlo-db-symulator_${version}_amd64.deb" "$dist/"
for deb in "$dist"/*_"${version}"_amd64.deb; do
  say "$(basename "$deb") ($(du -k "$deb" | cut -f1) KiB)"
done

# ---- lintian: no error, and no warning that an override in debian/ does not explain
say "lintian"
if ! lintian --fail-on error,warning --info "$work/tarlo-db_${version}_amd64.changes"; then
  fail "lintian found errors or warnings (above)"
fi
say "lintian: no errors, no warnings"
