#!/usr/bin/env bash
# Frames per second of the program's own window and frame loop under a
# private Xvfb, fast renderer then literal. Usage: bash bench/window_fps.sh [seconds]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${BENCH_BUILD_DIR:-$ROOT/build-bench}"
SECONDS_EACH="${1:-5}"
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF > /dev/null
cmake --build "$BUILD" -j "$(nproc)" --target window_fps default_bitmaps > /dev/null

DISPLAY_NUMBER=91  # clear of the displays the test scripts use
while [ -e "/tmp/.X${DISPLAY_NUMBER}-lock" ]; do DISPLAY_NUMBER=$((DISPLAY_NUMBER + 1)); done
Xvfb ":$DISPLAY_NUMBER" -screen 0 640x480x24 -nolisten tcp > /dev/null 2>&1 &
XVFB_PID=$!
trap 'kill "$XVFB_PID" 2> /dev/null || true' EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$DISPLAY_NUMBER" ] && break; sleep 0.1; done

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
for renderer in fast literal; do
    DISPLAY=":$DISPLAY_NUMBER" "$BUILD/bench/window_fps" "$BUILD/demo" "$SECONDS_EACH" "$renderer"
done
