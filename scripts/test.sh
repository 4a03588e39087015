#!/usr/bin/env bash
# Installs what is needed, builds everything and runs the whole test suite headless.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
cmake --preset debug -S "$root" >/dev/null
cmake --build "$root/build/debug"
export QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1
ctest --test-dir "$root/build/debug" --output-on-failure -j2 "$@"
