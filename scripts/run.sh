#!/usr/bin/env bash
# Builds Lotwise and starts it on its default application folder (or $LOTWISE_HOME).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target lotwise lotwise-cli
exec build/lotwise "$@"
