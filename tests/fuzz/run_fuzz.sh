#!/bin/bash
# run_fuzz.sh BUILD_DIR SECONDS: builds the notice fuzzer with clang and runs it for a bounded
# time over the seed corpus. Fails on any crash or sanitizer report.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$1"
seconds="${2:-30}"
CC=clang CXX=clang++ cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
ninja -C "$build" notice_fuzz >/dev/null
work="$build/corpus"
mkdir -p "$work"
cp -n "$here"/corpus/* "$work"/ 2>/dev/null || true
QT_QPA_PLATFORM=offscreen "$build/notice_fuzz" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 "$work"
