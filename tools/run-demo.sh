#!/usr/bin/env bash
# Sets everything up and starts Tarlo_db on the demo database: embedded Firebird, simulated registers.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build"
"$here/tools/setup.sh" "$build"
"$here/tools/prepare-demo.sh" "$build"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No graphical display: DISPLAY is not set. Run this command in a desktop session (or: xvfb-run -a bash tools/run-demo.sh)." >&2
  exit 1
fi
exec "$build/bin/Tarlo_db"
