#!/usr/bin/env bash
# Prepares the demo beside the built program: the demo database, the configuration that points at it, and
# simulated registers that already hold the demo goods and some rung-up sales. Existing demo data is kept.
# Usage: tools/prepare-demo.sh BUILD-DIR
set -euo pipefail
build=$(cd "${1:?usage: prepare-demo.sh BUILD-DIR}" && pwd)
bin="$build/bin"
demo="$build/demo"
db="$demo/DEMO.FDB"

mkdir -p "$demo"
[ -f "$db" ] || "$bin/mkdemodb" --demo "$db"

# The program's own configuration file: the demo database as SYSDBA, opened by the embedded engine ("Silnik"),
# so that the demo works whether or not a Firebird server (with its own SYSDBA password) runs on this machine.
printf '[Tarlo]\r\nPth=%s\r\nUser=SYSDBA\r\nPass=masterkey\r\nSilnik=wbudowany\r\n' "$db" > "$bin/Tarlo_db.INI"

# Registers 1 to 3 receive every demo good; register 1 also gets a day of sales, so that the first
# "Odczyt" shows a priced report.
if [ ! -d "$bin/symulator" ]; then
  (cd "$bin" && ./demoseed "$db")
  sim="$bin/winip-sim"
  while read -r code qty; do
    "$sim" sell 1 "$code" "$qty" >/dev/null
  done <<'SALES'
00101 3
00102 1,5
00105 2
00110 4
00123 1
00130 6
00142 0,750
00150 2
SALES
  "$sim" sell 2 00101 2 >/dev/null
  "$sim" sell 2 00110 1 >/dev/null
fi
