#!/usr/bin/env bash
# Sets everything up and starts Tarlo_db on the demo database: embedded Firebird, simulated registers.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build"

# Said at once: without a display the window cannot show, and installing first would only waste the wait.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<'TEXT'
run-demo.sh: there is no graphical display (DISPLAY is not set), so the program's window cannot be shown.
  - On a desktop, run the command in a terminal window of your desktop session.
  - Over SSH, connect with "ssh -X" (X11 forwarding), then run it again.
  - To try it without any display, run it under a virtual one (nothing is seen; for checks and screenshots):
        apt-get install xvfb xauth && xvfb-run -a bash tools/run-demo.sh
Nothing was installed or built.
TEXT
  exit 1
fi

"$here/tools/setup.sh" "$build"
"$here/tools/prepare-demo.sh" "$build"
echo "==> Starting Tarlo_db: log in with \"Wejście\" (or Enter in the password field); end it with \"Wyjście z programu\" or Ctrl+C."
exec "$build/bin/Tarlo_db"
