#!/usr/bin/env bash
# The private test server listens on 127.0.0.1 whatever /etc/hosts says: with this machine's hosts file, and,
# where mount namespaces are available, with the Debian installer's hosts file (where "localhost" is also ::1)
# and with an empty one, each in a namespace of its own with /etc/hosts replaced.
#   fbserver_bind_test.sh SCRIPT WORKDIR
set -uo pipefail
script=${1:?fbserver.sh}
work=${2:?work directory}
mkdir -p "$work"

printf '127.0.0.1\tlocalhost\n::1\t\tlocalhost ip6-localhost ip6-loopback\n' >"$work/hosts-installer"
: >"$work/hosts-empty"

# ("own" is this machine's file as it is.)
# Starts a server (with /etc/hosts replaced by $1 unless it is "-"), prints the local addresses listening on its
# port as the kernel lists them (hex; state 0A is LISTEN), stops it.
run_case() {
    local hosts=$1 dir=$2
    local body='
        [ "$1" = - ] || mount --bind "$1" /etc/hosts || exit 77
        bash "$2" start "$3" || exit 1
        port=$(cat "$3/port")
        awk -v p="$(printf "%04X" "$port")" "FNR > 1 && \$4 == \"0A\" && \$2 ~ (\":\" p \"$\") { print \$2 }" \
            /proc/net/tcp /proc/net/tcp6
        bash "$2" stop "$3"'
    if [ "$hosts" = - ]; then
        bash -c "$body" _ - "$script" "$dir"
    else
        unshare -m bash -c "$body" _ "$hosts" "$script" "$dir"
    fi
}

failed=0
namespaces=1
unshare -m true 2>/dev/null || namespaces=0
for hosts in own installer empty; do
    if [ "$hosts" != own ] && ((!namespaces)); then
        echo "skipped with the $hosts hosts file: no mount namespaces here"
        continue
    fi
    file=-
    [ "$hosts" = own ] || file="$work/hosts-$hosts"
    out=$(run_case "$file" "$work/server-$hosts" 2>&1)
    rc=$?
    if [ $rc -eq 77 ]; then
        echo "skipped with the $hosts hosts file: cannot replace /etc/hosts"
        continue
    fi
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
