#!/usr/bin/env bash
# The package step of tools/check-fresh.sh, run as root inside a fresh Debian 12 root that holds the packages of
# revision 1 in /root/deb-1 and of revision 2 in /root/deb-2: install, use as an operator, upgrade, remove, purge.
# Every step prints one line with its time; the first failed check ends the run with exit 1.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
cd /root

t0=$SECONDS
step() { printf '[package-check %4ds] %s\n' "$((SECONDS - t0))" "$*"; }
fail() { printf '[package-check] FAILED: %s\n' "$*"; exit 1; }
check() { # check DESCRIPTION COMMAND...
    local what=$1
    shift
    "$@" || fail "$what"
    printf '    ok: %s\n' "$what"
}
rights() { stat -c '%a %U:%G' "$1"; }
apt_quiet() { apt-get -q -y -o Dpkg::Use-Pty=0 "$@" >/tmp/apt.log 2>&1 || { tail -n 40 /tmp/apt.log; return 1; }; }

# The root's own services never start here (no init), the packages' would not either.
printf '#!/bin/sh\nexit 101\n' >/usr/sbin/policy-rc.d
chmod +x /usr/sbin/policy-rc.d

step "apt-get update"
apt_quiet update

step "apt-get install ./deb-1/*.deb (revision 1 with its dependencies)"
apt_quiet install ./deb-1/*.deb
grep -E '^(tarlo|Setting up tarlo)' /tmp/apt.log || true
check "tarlo-db is installed" dpkg-query -W -f='${Version}\n' tarlo-db
check "tarlo-cli is on the PATH" test "$(command -v tarlo-cli)" = /usr/bin/tarlo-cli
check "tarlo-db is on the PATH" test "$(command -v tarlo-db)" = /usr/bin/tarlo-db
tarlo-cli --help | head -n 2
check "tarlo-cli --help ends with 0" tarlo-cli --help >/dev/null

step "the manual pages (man-db, for man)"
apt_quiet install --no-install-recommends man-db
man -P cat tarlo-cli 2>/dev/null | head -n 6
check "man tarlo-cli shows its page" sh -c 'man -P cat tarlo-cli 2>/dev/null | grep -q "tarlo-cli odczyt"'
check "man tarlo-db shows its page" sh -c 'man -P cat tarlo-db 2>/dev/null | grep -q "kasami fiskalnymi"'

step "users, rights, units"
check "system group tarlo" getent group tarlo
check "system user tarlo" sh -c 'getent passwd tarlo | grep -q ":/var/lib/tarlo-db:"'
for entry in /etc/tarlo-db:"750 root:tarlo" /etc/tarlo-db/Tarlo_db.INI:"640 root:tarlo" \
    /var/lib/tarlo-db:"2775 root:tarlo" /var/lib/tarlo-db/Dane:"2775 root:tarlo" \
    /var/lib/tarlo-db/symulator:"2775 root:tarlo"; do
    path=${entry%%:*}
    check "$path is ${entry#*:} ($(rights "$path"))" test "$(rights "$path")" = "${entry#*:}"
done
check "Tarlo_db.INI is a conffile" sh -c 'dpkg-query -W -f="\${Conffiles}" tarlo-db | grep -q /etc/tarlo-db/Tarlo_db.INI'
check "tarlo-odczyt.timer and .service are installed" test -f /lib/systemd/system/tarlo-odczyt.timer -a \
    -f /lib/systemd/system/tarlo-odczyt.service
check "tarlo-odczyt.timer is not enabled" test ! -e /etc/systemd/system/timers.target.wants/tarlo-odczyt.timer
check "the desktop entry and icon" test -f /usr/share/applications/tarlo-db.desktop -a \
    -f /usr/share/icons/hicolor/scalable/apps/tarlo-db.svg
check "README.Debian" test -f /usr/share/doc/tarlo-db/README.Debian

step "an operator in the group starts tarlo-db under xvfb-run"
apt_quiet install --no-install-recommends xvfb xauth imagemagick
adduser --disabled-password --gecos '' --quiet kasjer
adduser --quiet kasjer tarlo
touch /tmp/before-start
cat >/tmp/login-shot.sh <<'SHOT'
cd /tmp
tarlo-db >/tmp/tarlo-db.out 2>&1 &
program=$!
for _ in $(seq 60); do
    sleep 1
    kill -0 "$program" 2>/dev/null || { echo "tarlo-db ended before showing a window:"; cat /tmp/tarlo-db.out; exit 1; }
    import -window root /tmp/package-login.png 2>/dev/null || continue
    if [ "$(identify -format %k /tmp/package-login.png)" -gt 16 ]; then
        sleep 2
        import -window root /tmp/package-login.png
        echo "window shown after about ${SECONDS} s; current directory of tarlo-db: $(readlink /proc/$program/cwd)"
        kill -TERM "$program"
        wait "$program" 2>/dev/null
        exit 0
    fi
done
echo "no window within 60 s"
kill "$program"
exit 1
SHOT
check "tarlo-db shows its log-in window to kasjer" \
    runuser -u kasjer -- env HOME=/home/kasjer xvfb-run -a -s "-screen 0 1024x768x24" bash /tmp/login-shot.sh
cp /tmp/package-login.png /root/package-login.png
check "nothing written under /usr" test -z "$(find /usr -newer /tmp/before-start -not -type d -print -quit)"
find /var/lib/tarlo-db -user kasjer -printf '    %M %u:%g %p\n'
check "what kasjer wrote in the work folder is in the group and group-writable" \
    test -z "$(find /var/lib/tarlo-db -user kasjer \( ! -group tarlo -o ! -perm -g+w \) -print -quit)"
# tarlo-cli by another member: the configuration names no database, so it says so and ends with 2.
set +e
runuser -u kasjer -- env HOME=/home/kasjer tarlo-cli kasy >/tmp/cli.out 2>&1
cli_rc=$?
set -e
cat /tmp/cli.out
check "tarlo-cli as kasjer reads /etc/tarlo-db and ends with 2" sh -c "test $cli_rc = 2 && grep -q /etc/tarlo-db /tmp/cli.out"
check "the shop's configuration is not readable by others" sh -c '! runuser -u nobody -- cat /etc/tarlo-db/Tarlo_db.INI 2>/dev/null'

step "a stored readout and an edited Tarlo_db.INI, then the upgrade to revision 2"
runuser -u kasjer -- sh -c 'mkdir -p /var/lib/tarlo-db/Dane/Kasa01/11.12.2026 &&
    printf "odczyt\r\n" > /var/lib/tarlo-db/Dane/Kasa01/11.12.2026/001_20261211_001.txt'
printf 'Pth=localhost:/srv/sklep/wolnar.fdb\r\n' >/tmp/pth
sed -i "s|^Pth=.*|$(tr -d '\r\n' </tmp/pth)\r|" /etc/tarlo-db/Tarlo_db.INI
grep -a '^Pth' /etc/tarlo-db/Tarlo_db.INI
apt_quiet install ./deb-2/*.deb
check "tarlo-db is now revision 2" sh -c 'dpkg-query -W -f="\${Version}" tarlo-db | grep -q -- "-2$"'
check "the edited Tarlo_db.INI is kept" grep -aq '^Pth=localhost:/srv/sklep/wolnar.fdb' /etc/tarlo-db/Tarlo_db.INI
check "Tarlo_db.INI keeps 640 root:tarlo" test "$(rights /etc/tarlo-db/Tarlo_db.INI)" = "640 root:tarlo"
check "the readout is kept" test -f /var/lib/tarlo-db/Dane/Kasa01/11.12.2026/001_20261211_001.txt

step "apt remove"
apt_quiet remove tarlo-db tarlo-db-symulator
check "the programs are gone" test ! -e /usr/bin/tarlo-cli -a ! -e /usr/lib/tarlo-db/Tarlo_db
check "the configuration is kept" grep -aq '^Pth=localhost' /etc/tarlo-db/Tarlo_db.INI
check "the readout is kept" test -f /var/lib/tarlo-db/Dane/Kasa01/11.12.2026/001_20261211_001.txt

step "apt purge with a readout in the work folder"
apt_quiet purge tarlo-db tarlo-db-symulator
grep 'tarlo-db:' /tmp/apt.log || true
check "purge said it leaves the work folder" grep -q 'folder pozostaje' /tmp/apt.log
check "the configuration is gone" test ! -e /etc/tarlo-db
check "the work folder with its readout is left" test -f /var/lib/tarlo-db/Dane/Kasa01/11.12.2026/001_20261211_001.txt
check "no statoverride is left" sh -c '! dpkg-statoverride --list | grep -q tarlo-db'

step "install again, then apt purge without readouts"
rm -rf /var/lib/tarlo-db/Dane/Kasa01
apt_quiet install ./deb-2/*.deb
apt_quiet purge tarlo-db tarlo-db-symulator
check "the work folder is gone" test ! -e /var/lib/tarlo-db
check "the configuration is gone" test ! -e /etc/tarlo-db

step "PASSED"
