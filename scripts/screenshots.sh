#!/usr/bin/env bash
# Writes pictures of every panel of the main window into the folder given (default:
# screenshots/), under a throw-away X server: at 1280 x 800, or at the size given second
# (scripts/screenshots.sh shots-small 1366x768).
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-screenshots}"
size="${2:-1280x800}"
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target lotwise-screenshots
mkdir -p "$out"
xvfb-run -a -s "-screen 0 1920x1200x24" env QT_QPA_PLATFORM=xcb build/tools/lotwise-screenshots "$out" "$size"
