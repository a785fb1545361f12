#!/usr/bin/env bash
# Runs every fuzz target built in BUILD-DIR/fuzz: first over its committed corpus (fuzz/corpus/<target>), a
# regression check of a few seconds, then on new inputs for SECONDS more (default 25, seed 1). New inputs go to a
# temporary folder, never into the committed corpus. Prints the executions per second of each target; any crash,
# leak or sanitizer report fails the run, and its input is kept under BUILD-DIR/fuzz/crashes.
# Usage: fuzz/run.sh BUILD-DIR [SECONDS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: fuzz/run.sh BUILD-DIR [SECONDS]}" && pwd)
seconds=${2:-25}
crashes="$build/fuzz/crashes"
mkdir -p "$crashes"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

status=0
printf '%-20s %8s %10s %8s\n' target corpus executions exec/s
for fuzzer in "$build"/fuzz/fuzz_*; do
  [ -x "$fuzzer" ] || continue
  name=$(basename "$fuzzer")
  corpus="$here/corpus/$name"
  fresh="$work/$name"
  mkdir -p "$fresh"
  log="$build/fuzz/$name.log"
  if ! "$fuzzer" -runs=0 "$corpus" >"$log" 2>&1; then
    echo "$name: the committed corpus fails; see $log" >&2
    tail -30 "$log" >&2
    status=1
    continue
  fi
  if ! "$fuzzer" -seed=1 -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$crashes/$name-" \
      "$fresh" "$corpus" >"$log" 2>&1; then
    echo "$name: a new input fails; see $log and $crashes" >&2
    tail -30 "$log" >&2
    status=1
    continue
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  time=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  printf '%-20s %8s %10s %8s\n' "$name" "$(ls "$corpus" | wc -l)" "$runs" "$time"
done
exit $status
