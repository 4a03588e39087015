#!/usr/bin/env bash
# Installs what is needed, builds Reelboard and runs it in the folder this script was started from:
# the window where there is a display, otherwise the headless batch run.
set -euo pipefail
here=$(pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
cmake --preset release -S "$root" >/dev/null
cmake --build "$root/build/release" --target reelboard
cd "$here"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  [ "$(id -u)" = 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
  exec "$root/build/release/app/reelboard" "$@"
fi
exec "$root/build/release/app/reelboard" --headless "$@"
