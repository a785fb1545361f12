#!/usr/bin/env bash
# Builds the benchmarks, generates the large catalogue (100,000 goods) and a small one (10,000 goods) with
# mkdemodb, and prints every figure as a ratio.
# Usage: bench/run.sh [build-dir]   (default: build, configured RelWithDebInfo)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build"}

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target catalogue_bench sent_goods_bench mkdemodb WinIP

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bin/mkdemodb" --large "$work/large.fdb"
"$build/bin/mkdemodb" --large "$work/small.fdb" 10000
"$build/bin/catalogue_bench" "$work/large.fdb" "$work/small.fdb"
"$build/bin/sent_goods_bench" "$work/large.fdb"
