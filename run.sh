#!/usr/bin/env bash
# Installs what is missing, builds Moriva and starts it.
set -euo pipefail
cd "$(dirname "$0")"
./tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2
if [ -x build/moriva ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/moriva "$@"
fi
build/moriva-cli calendar
if [ -x build/moriva ]; then
  echo
  echo "The Moriva window needs a display (set DISPLAY, or run it under xvfb-run)."
fi
