#!/usr/bin/env bash
# Tries the README's two commands as a newcomer would, on a freshly debootstrapped Debian 12 root
# (debootstrap --variant=minbase bookworm ROOT): a fresh clone, as root, with a minimal environment, first
# "bash tools/run-tests.sh", then "bash tools/run-demo.sh" under xvfb-run until the log-in window shows. Each is
# timed. Then the Debian packages: built on the host from the same clone with tools/build-deb.sh, installed in the
# root with apt, used by an operator in the group "tarlo", upgraded, removed and purged (see package-check.sh below).
# Run as root on the host; the host needs git (and, for the package step, what tools/build-deb.sh installs).
#
#   tools/check-fresh.sh [--in-place] [--steps tests,demo,packages] ROOT [REPOSITORY] [OUT-DIR]
#
# --steps names the steps to run (default: all three).
# ROOT is copied to a scratch copy first (cp -a, beside OUT-DIR), so the pristine root serves again; with
# --in-place ROOT itself is used (once). REPOSITORY is a path or URL for git clone (default: the repository this
# script belongs to). OUT-DIR (default /tmp/check-fresh) receives the logs, the screenshot and the timings.
set -euo pipefail

inplace=0
steps=tests,demo,packages
while [ $# -gt 0 ]; do
    case $1 in
    --in-place) inplace=1; shift ;;
    --steps) steps=${2:?--steps needs a list}; shift 2 ;;
    *) break ;;
    esac
done
step() { [[ ",$steps," == *",$1,"* ]]; }
pristine=$(cd "${1:?usage: check-fresh.sh [--in-place] [--steps LIST] ROOT [REPOSITORY] [OUT-DIR]}" && pwd)
repo=${2:-$(cd "$(dirname "$0")/.." && pwd)}
out=${3:-/tmp/check-fresh}
[ "$(id -u)" -eq 0 ] || { echo "check-fresh.sh: run as root (chroot and mounts)" >&2; exit 1; }
[ -x "$pristine/bin/bash" ] || { echo "check-fresh.sh: $pristine is not a Debian root" >&2; exit 1; }
command -v git >/dev/null || { echo "check-fresh.sh: the host needs git" >&2; exit 1; }

mkdir -p "$out"
out=$(cd "$out" && pwd)
say() { printf '[check-fresh %s] %s\n' "$(date +%T)" "$*" | tee -a "$out/summary.txt"; }
: >"$out/summary.txt"

if ((inplace)); then
    root=$pristine
else
    root="$out/root"
    rm -rf "$root"
    say "copying $pristine to $root"
    cp -a "$pristine" "$root"
fi

mounted=()
cleanup() {
    local i
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}" 2>/dev/null || true
    done
}
trap cleanup EXIT
mountin() { # mountin TARGET MOUNT-ARGS...
    local target="$root$1"
    shift
    mkdir -p "$target"
    mount "$@" "$target"
    mounted+=("$target")
}
mountin /proc -t proc proc
mountin /sys --bind /sys
mountin /dev --bind /dev
mountin /dev/pts --bind /dev/pts

# What the Debian installer writes: localhost is both 127.0.0.1 and ::1.
printf '127.0.0.1\tlocalhost\n::1\t\tlocalhost ip6-localhost ip6-loopback\nff02::1\t\tip6-allnodes\nff02::2\t\tip6-allrouters\n' \
    >"$root/etc/hosts"
cp -L /etc/resolv.conf "$root/etc/resolv.conf"

rm -rf "$root/root/tarlo"
say "cloning $repo into /root/tarlo"
git clone --quiet "$repo" "$root/root/tarlo"
say "commit $(git -C "$root/root/tarlo" log -1 --format='%h %s')"

inroot() { chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin bash -c "$1"; }

tests_rc=0
demo_rc=0
packages_rc=0

# ---- 1: the tests
if step tests; then
start=$SECONDS
say "bash tools/run-tests.sh (log: $out/run-tests.log)"
set +e
inroot 'cd /root/tarlo && bash tools/run-tests.sh' 2>&1 | tee "$out/run-tests.log"
tests_rc=${PIPESTATUS[0]}
set -e
say "run-tests.sh: exit $tests_rc after $((SECONDS - start)) s"
fi

# ---- 2: the demo under a virtual display, until its log-in window shows
if step demo; then
start=$SECONDS
say "xvfb-run -a bash tools/run-demo.sh (log: $out/run-demo.log)"
# Inside the display: start the demo, then take a picture of the screen every 2 s until it holds a window
# (text brings many colours; the empty screen has one or two), at most 15 minutes (set-up is done by then).
cat >"$root/root/demo-shot.sh" <<'SHOT'
cd /root/tarlo
bash tools/run-demo.sh &
demo=$!
for _ in $(seq 450); do
    sleep 2
    kill -0 "$demo" 2>/dev/null || { echo "the demo ended before showing a window"; wait "$demo"; exit 1; }
    import -window root /root/screen.png 2>/dev/null || continue
    if [ "$(identify -format %k /root/screen.png)" -gt 16 ]; then
        sleep 2
        import -window root /root/screen.png
        echo "window shown; ending the demo with SIGTERM"
        kill -TERM "$demo"
        for _ in $(seq 50); do kill -0 "$demo" 2>/dev/null || break; sleep 0.1; done
        if kill -0 "$demo" 2>/dev/null; then echo "the demo did not end on SIGTERM"; kill -9 "$demo"; exit 2; fi
        exit 0
    fi
done
echo "no window within 15 minutes"
kill "$demo"
exit 1
SHOT
set +e
inroot 'xvfb-run -a -s "-screen 0 1280x1024x24" bash /root/demo-shot.sh' 2>&1 | tee "$out/run-demo.log"
demo_rc=${PIPESTATUS[0]}
set -e
cp "$root/root/screen.png" "$out/login.png" 2>/dev/null || true
say "run-demo.sh: exit $demo_rc after $((SECONDS - start)) s; screenshot $out/login.png"
fi

# ---- 3: the Debian packages
if step packages; then
    start=$SECONDS
    clone="$root/root/tarlo"
    say "packages: bash tools/build-deb.sh 1, then 2 for the upgrade (on the host; log: $out/build-deb.log)"
    set +e
    {
        bash "$clone/tools/build-deb.sh" 1 &&
            mkdir -p "$root/root/deb-1" && mv "$clone"/dist/*.deb "$root/root/deb-1/" &&
            bash "$clone/tools/build-deb.sh" 2 &&
            mkdir -p "$root/root/deb-2" && mv "$clone"/dist/*.deb "$root/root/deb-2/"
    } 2>&1 | tee "$out/build-deb.log"
    packages_rc=${PIPESTATUS[0]}
    set -e
    say "packages built: exit $packages_rc after $((SECONDS - start)) s"
    if ((packages_rc == 0)); then
        start=$SECONDS
        cp "$clone/tools/package-check.sh" "$root/root/package-check.sh"
        say "bash package-check.sh in the root (log: $out/packages.log)"
        set +e
        inroot 'bash /root/package-check.sh' 2>&1 | tee "$out/packages.log"
        packages_rc=${PIPESTATUS[0]}
        set -e
        cp "$root/root/package-login.png" "$out/package-login.png" 2>/dev/null || true
        say "package-check.sh: exit $packages_rc after $((SECONDS - start)) s; screenshot $out/package-login.png"
    fi
fi

((tests_rc == 0 && demo_rc == 0 && packages_rc == 0)) && say "PASSED" || say "FAILED"
((tests_rc == 0 && demo_rc == 0 && packages_rc == 0))
