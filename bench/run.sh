#!/usr/bin/env bash
# Builds the benchmarks, generates the large catalogue (100,000 goods) and a small one (10,000 goods) with
# mkdemodb, runs them, prints the table of ratios and their targets, and writes it with the method and the machine
# to docs/benchmarks.md. A wrong outcome or an impossible figure fails the run (status 1), and docs/benchmarks.md is
# left as it was; a ratio above its target gives status 3 after the table has been written.
# Usage: bench/run.sh [build-dir]   (default: build, configured RelWithDebInfo)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build"}

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target catalogue_bench sent_goods_bench mkdemodb WinIP

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
started=$(date +%s)
load=$(cut -d' ' -f1-3 /proc/loadavg)
"$build/bin/mkdemodb" --large "$work/large.fdb"
"$build/bin/mkdemodb" --large "$work/small.fdb" 10000
cp "$work/large.fdb" "$work/sent.fdb"
status=0
"$build/bin/catalogue_bench" "$work/large.fdb" "$work/small.fdb" | tee "$work/bench.out" || status=$?
if [ "$status" -ne 0 ] && [ "$status" -ne 3 ]; then
  echo "Pomiar nieudany (status $status); docs/benchmarks.md bez zmian." >&2
  exit "$status"
fi
sent=0
"$build/bin/sent_goods_bench" "$work/sent.fdb" | tee "$work/sent.out" || sent=$?
if [ "$sent" -ne 0 ] && [ "$sent" -ne 3 ]; then
  echo "Pomiar nieudany (status $sent); docs/benchmarks.md bez zmian." >&2
  exit "$sent"
fi
[ "$sent" -eq 0 ] || status=3
seconds=$(($(date +%s) - started))
echo "Czas całego pomiaru: $((seconds / 60)) min $((seconds % 60)) s"

cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)
memory=$(awk '/^MemTotal/ { printf "%.1f GB", $2 / 1048576 }' /proc/meminfo)
{
  cat <<DOC
# Benchmarks

Made by \`bash bench/run.sh\` on $(date -u '+%Y-%m-%d %H:%M UTC'); the whole run (catalogue generation included)
took $((seconds / 60)) min $((seconds % 60)) s.

Machine: ${cpu:-unknown processor}, $(nproc) cores, $memory of memory, Debian $(cat /etc/debian_version 2>/dev/null),
Firebird embedded engine; load average at the start: $load.

## Method

- Two catalogues from \`mkdemodb --large\`: 100,000 goods and 10,000 goods.
- Database steps: the median of 5 runs, each on a fresh attachment. The reference is \`isql-fb\` doing the same
  work on the same database in the same run, with its own start, attachment and detachment (measured with an
  empty statement) taken off. The outcome of every timed step is checked (rows added, goods shown, flags flipped).
- Export: the goods export of the program to the stand-in register library, with the whole catalogue in view, in 3
  rounds; each round exports 1,000 and 4,000 goods from the large catalogue and 1,000 from the small one, so that
  a slower moment of the machine falls on both sides of a ratio alike; each figure is the median of its rounds.
  Only goods a register can hold are sent (symbols 1..99999, at most 4,095 goods); the price-only export (ZCTowar)
  runs on a register that already holds the goods (programmed in one library call before). Every library call must succeed, every good must be sent and unselected, and the register must hold
  them afterwards; otherwise the run fails.
- The application's own cost is the export's time minus the time spent inside the library's functions, summed
  call by call in the same run, divided by the goods sent.
- A time of zero or less fails the run.
- On a shared virtual machine the same ratio moves by about 0.2 from one run to the next; a ratio within that of
  its target passes in some runs and misses in others.

## Results

### Catalogue and export

DOC
  grep '^|' "$work/bench.out"
  echo
  echo "Export times per good:"
  echo
  grep '^  eksport' "$work/bench.out" | sed 's/^  /- /'
  cat <<DOC

### Changed since the last export, and the comparison with a register

On the 100,000-goods catalogue, against one \`OpenGoods\` of the same view, each run right after one; the medians
of 3 runs. Every run of "changed since the last export" starts from no marks, as after an export.

DOC
  grep '^|' "$work/sent.out"
  cat <<'DOC'

The first row reads the view again (the window shows the catalogue as it is now, and the marks are written against
it), which is one `OpenGoods` by itself, then the whole memory of sent goods (about 99,000 record lines), the goods
that may share a register code (only symbols that are not a plain number of up to five digits, and their partners),
and writes 3 marks. The record lines and the comparison cost the program little now (about 0.1 of an `OpenGoods`
together); what stays is the database's own cost per fetched row: the engine spends about as much on each fetched
row of the memory as on half a row of the view, so that reading 99,000 remembered lines costs 0.3 to 0.45 of an
`OpenGoods`, and the scan for shared codes 0.1 to 0.2. This case therefore stays at about 1.6 to 1.9 and misses its
target of 1.3. Reading the memory on a second attachment while the view is read was tried: on this shared machine
with two cores the two reads only slowed each other, and it was left out. Meeting 1.3 would need the memory not to
be read whole, for example a date of change kept in the catalogue by the trade system, which this program does not
own.

The second row is the worst case: no good of the view is remembered as sent except 4,000, so about 95,000 marks
are written. It is one re-read of the view, one update of the whole view's marks (about one `OpenGoods` for the
database alone, see "blokuj wszystkie" above), and the 4,000 remembered goods unmarked by key in lists of 50
symbols (the server checks every row it finds against the whole list, so lists of 1,000 cost three times as much).
It lies close to its target of 2.5, within the noise of a shared machine.

The third row, the comparison, also reads the register's goods list through the stand-in library (files) and
writes 4,000 rows of the memory with forced writes; with other builds on the same disk it has moved between 1.2 and
2.2 from one run to the next, while the program's own part of it only became cheaper.
DOC
} > "$here/docs/benchmarks.md.tmp"
mv "$here/docs/benchmarks.md.tmp" "$here/docs/benchmarks.md"
echo "Zapisano docs/benchmarks.md"
exit "$status"
