#!/usr/bin/env bash
# A private Firebird server for the server tests, independent of the system service:
#   fbserver.sh start DIR   configuration, security database (SYSDBA / masterkey), lock and temp directories all
#                           under DIR; listens on 127.0.0.1 on a free port, written to DIR/port
#   fbserver.sh stop DIR    stops that server (by its recorded process id) and removes DIR
set -euo pipefail

action=${1:?start or stop}
dir=${2:?directory}
server=/usr/sbin/firebird

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

listening() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

if [ "$action" = stop ]; then
    stop_server
    exit 0
fi
[ "$action" = start ] || { echo "usage: $0 start|stop DIR" >&2; exit 2; }

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
while listening "$port"; do
    port=$((port + 1))
done

cp "$fbroot/firebird.conf" "$root/firebird.conf"
cat >>"$root/firebird.conf" <<CONF

# ---- private test server
RemoteServicePort = $port
RemoteBindAddress = 127.0.0.1
SecurityDatabase = $dir/security3.fdb
TempDirectories = $dir/tmp
ServerMode = Super
CONF
printf 'security.db = %s/security3.fdb\n' "$dir" >"$root/databases.conf"

export FIREBIRD="$root" FIREBIRD_LOCK="$dir/lock" FIREBIRD_TMP="$dir/tmp"

# A fresh security database with a known SYSDBA password, made through the embedded engine.
isql-fb -q -user SYSDBA >"$dir/security.log" 2>&1 <<SQL
create database '$dir/security3.fdb' user 'SYSDBA';
create user SYSDBA password 'masterkey';
commit;
SQL

setsid "$server" </dev/null >"$dir/server.log" 2>&1 &
echo $! >"$dir/pid"
echo "$port" >"$dir/port"

for _ in $(seq 100); do
    if listening "$port"; then
        exit 0
    fi
    if ! kill -0 "$(cat "$dir/pid")" 2>/dev/null; then
        break
    fi
    sleep 0.1
done
echo "The Firebird server did not start; its output:" >&2
cat "$dir/server.log" "$dir/security.log" >&2 || true
stop_server
exit 1
