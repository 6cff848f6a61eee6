#!/usr/bin/env bash
# Installs what is missing, builds Tessara and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build -DTESSARA_TESTS=OFF -DTESSARA_BENCH=OFF
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Tessara is built, but this machine has no display to show it on."
    echo "Start it in a virtual display instead:  xvfb-run -a build/tessara"
    exit 1
fi
exec build/tessara
