#!/usr/bin/env bash
# The private test server listens on 127.0.0.1 whatever /etc/hosts says: with the Debian installer's hosts file
# (where "localhost" is also ::1) and with an empty one. Each case runs in its own mount namespace with the hosts
# file replaced; without the rights for that the test is skipped (exit 77).
#   fbserver_bind_test.sh SCRIPT WORKDIR
set -uo pipefail
script=${1:?fbserver.sh}
work=${2:?work directory}
mkdir -p "$work"
unshare -m true 2>/dev/null || { echo "no mount namespaces here: skipped"; exit 77; }

printf '127.0.0.1\tlocalhost\n::1\t\tlocalhost ip6-localhost ip6-loopback\n' >"$work/hosts-installer"
: >"$work/hosts-empty"

failed=0
for hosts in installer empty; do
    dir="$work/server-$hosts"
    out=$(unshare -m bash -c '
        mount --bind "$1" /etc/hosts || exit 77
        bash "$2" start "$3" || exit 1
        port=$(cat "$3/port")
        # Listening sockets on the port, from the kernel: local address and state 0A (LISTEN).
        awk -v p="$(printf "%04X" "$port")" "FNR > 1 && \$4 == \"0A\" && \$2 ~ (\":\" p \"$\") { print \$2 }" \
            /proc/net/tcp /proc/net/tcp6
        bash "$2" stop "$3"' _ "$work/hosts-$hosts" "$script" "$dir" 2>&1)
    rc=$?
    [ $rc -eq 77 ] && { echo "cannot replace /etc/hosts: skipped"; exit 77; }
    listeners=$(grep -E '^[0-9A-F]+:[0-9A-F]{4}$' <<<"$out" | cut -d: -f1 | tr '\n' ' ')
    if [ $rc -ne 0 ] || [ "$listeners" != "0100007F " ]; then
        echo "FAIL with the $hosts hosts file: exit $rc, listening at [${listeners}] (want 0100007F = 127.0.0.1)"
        echo "$out"
        failed=1
    else
        echo "ok with the $hosts hosts file"
    fi
done
rm -rf "$work"
exit $failed
