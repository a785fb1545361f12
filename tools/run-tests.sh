#!/usr/bin/env bash
# Sets everything up (Debian packages, build) and runs the whole test suite.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build"
"$here/tools/setup.sh" "$build"
export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure -j"$(nproc)" --timeout 300
# The same suite again under the sanitizers, and the fuzz targets' regression run.
"$here/tools/run-checks.sh"
