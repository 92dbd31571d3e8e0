#!/usr/bin/env bash
# Writes pictures of every window and panel into the folder given (default: screenshots/),
# under a throw-away X server whose screen is the size given (default 1366x768, a laptop's).
#   scripts/screenshots.sh [DIR] [WIDTHxHEIGHT]
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-screenshots}"
screen="${2:-1366x768}"
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target lotwise-screenshots
mkdir -p "$out"
xvfb-run -a -s "-screen 0 ${screen}x24" env QT_QPA_PLATFORM=xcb build/tools/lotwise-screenshots "$out"
