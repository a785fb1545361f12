#!/usr/bin/env bash
# A private Firebird server for the server tests, independent of the system service:
#   fbserver.sh start DIR   configuration, security database (SYSDBA / masterkey), lock and temp directories all
#                           under DIR; listens on 127.0.0.1 on a free port, written to DIR/port. Also prepares
#                           DIR/idle, the same set-up naming another free port where no server listens.
#   fbserver.sh stop DIR    stops that server (by its recorded process id) and removes DIR
# DIR/root and DIR/idle/root are Firebird root directories: a client process with FIREBIRD set to one of them looks
# for "the server on this machine" (the Loopback provider) on the port that it names.
# The bind address is the literal 127.0.0.1, so neither an IPv6 "localhost" in /etc/hosts nor a missing
# /etc/hosts changes where the server listens.
set -euo pipefail

action=${1:?start or stop}
dir=${2:?directory}
server=/usr/sbin/firebird
# Debian's server writes its log here whatever its configuration says.
serverlog=/var/log/firebird/firebird3.0.log

stop_server() {
    if [ -f "$dir/pid" ]; then
        local pid
        pid=$(cat "$dir/pid")
        if kill -0 "$pid" 2>/dev/null; then
            kill "$pid" 2>/dev/null || true
            for _ in $(seq 50); do
                kill -0 "$pid" 2>/dev/null || break
                sleep 0.1
            done
            kill -9 "$pid" 2>/dev/null || true
        fi
    fi
    rm -rf "$dir"
}

# The local addresses that listen on TCP port $1, one a line, as the kernel lists them (IPv4 in
# /proc/net/tcp as little-endian hex, IPv6 in /proc/net/tcp6); state 0A is LISTEN.
listen_addresses() {
    local hexport
    hexport=$(printf '%04X' "$1")
    awk -v p="$hexport" 'FNR > 1 && $4 == "0A" { split($2, a, ":"); if (a[2] == p) print a[1] }' \
        /proc/net/tcp /proc/net/tcp6 2>/dev/null | while read -r hex; do
        if [ ${#hex} -eq 8 ]; then
            printf '%d.%d.%d.%d\n' "0x${hex:6:2}" "0x${hex:4:2}" "0x${hex:2:2}" "0x${hex:0:2}"
        else
            echo "ipv6:$hex"
        fi
    done
}

port_in_use() { [ -n "$(listen_addresses "$1")" ] || (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

if [ "$action" = stop ]; then
    stop_server
    exit 0
fi
[ "$action" = start ] || [ "$action" = idle ] || { echo "usage: $0 start|stop DIR" >&2; exit 2; }

[ -x "$server" ] || { echo "Firebird server binary $server not found (package firebird3.0-server)" >&2; exit 1; }
fbroot=
for candidate in /usr/lib/*/firebird/3.0; do
    [ -d "$candidate/plugins" ] && fbroot=$candidate
done
[ -n "$fbroot" ] || { echo "Firebird 3.0 root directory not found" >&2; exit 1; }

stop_server
root="$dir/root"
mkdir -p "$root" "$dir/lock" "$dir/tmp" "$dir/data"
for item in plugins UDF firebird.msg; do
    ln -s "$fbroot/$item" "$root/$item"
done
# The character set module must be a real copy: reached through a symbolic link it loads, but its character
# sets (WIN1250 among them) stay unknown.
cp -rL "$fbroot/intl" "$root/intl"
cp "$fbroot/plugins.conf" "$root/plugins.conf"

port=$((20000 + RANDOM % 20000))
while port_in_use "$port"; do
    port=$((port + 1))
done

# Debian's firebird.conf sets some of these keys already, and the first setting of a key is the one that
# counts: drop them from the copy before adding ours.
own_keys='RemoteServicePort|RemoteBindAddress|SecurityDatabase|TempDirectories|ServerMode'
sed -E "/^[[:space:]]*($own_keys)[[:space:]]*=/d" "$fbroot/firebird.conf" >"$root/firebird.conf"
cat >>"$root/firebird.conf" <<CONF

# ---- private test server
RemoteServicePort = $port
RemoteBindAddress = 127.0.0.1
SecurityDatabase = $dir/security3.fdb
TempDirectories = $dir/tmp
ServerMode = Super
CONF
printf 'security.db = %s/security3.fdb\n' "$dir" >"$root/databases.conf"
if [ "$action" = idle ]; then
    echo "$port" >"$dir/port"
    exit 0
fi
# The idle set-up first, so that its port is not the one the server is about to take.
bash "$0" idle "$dir/idle"

export FIREBIRD="$root" FIREBIRD_LOCK="$dir/lock" FIREBIRD_TMP="$dir/tmp"
# File names with Polish letters reach the server in UTF-8; it converts them through its locale, as a server
# started by the system with a UTF-8 locale does.
export LC_ALL=C.UTF-8

# A fresh security database with a known SYSDBA password, made through the embedded engine.
isql-fb -q -user SYSDBA >"$dir/security.log" 2>&1 <<SQL
create database '$dir/security3.fdb' user 'SYSDBA';
create user SYSDBA password 'masterkey';
commit;
SQL

logstart=$(stat -c %s "$serverlog" 2>/dev/null || echo 0)
setsid "$server" </dev/null >"$dir/server.log" 2>&1 &
echo $! >"$dir/pid"
echo "$port" >"$dir/port"

bound=
for _ in $(seq 100); do
    bound=$(listen_addresses "$port" | tr '\n' ' ')
    if [ "$bound" = "127.0.0.1 " ] && (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
        exit 0
    fi
    [ -z "$bound" ] || [ "$bound" = "127.0.0.1 " ] || break
    kill -0 "$(cat "$dir/pid")" 2>/dev/null || break
    sleep 0.1
done
if [ -n "$bound" ]; then
    echo "The Firebird server listens on port $port at ${bound% }, not at 127.0.0.1." >&2
else
    echo "The Firebird server did not start listening on 127.0.0.1:$port." >&2
fi
echo "--- its output:" >&2
cat "$dir/server.log" >&2 || true
echo "--- its log ($serverlog, this run):" >&2
tail -c +"$((logstart + 1))" "$serverlog" >&2 2>/dev/null || echo "(not readable)" >&2
echo "--- making the security database:" >&2
cat "$dir/security.log" >&2 || true
stop_server
exit 1
