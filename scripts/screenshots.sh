#!/usr/bin/env bash
# Writes pictures of every panel of the main window at 1280 x 800 into the folder given
# (default: screenshots/), under a throw-away X server.
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-screenshots}"
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target lotwise-screenshots
mkdir -p "$out"
xvfb-run -a -s "-screen 0 1280x800x24" env QT_QPA_PLATFORM=xcb build/tools/lotwise-screenshots "$out"
