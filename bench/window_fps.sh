#!/usr/bin/env bash
# Frames per second of the program's own window and frame loop under a
# private Xvfb: the fast renderer with each version of its kernels (a version
# this processor can't run says so), then the literal one.
# Usage: bash bench/window_fps.sh [seconds]
source "$(dirname "$0")/../scripts/common.sh"
BUILD_DIR="${BENCH_BUILD_DIR:-$ROOT/build-bench}"
SECONDS_EACH="${1:-5}"
BUILD_TARGETS="window_fps default_bitmaps" build bench >/dev/null

# The end-to-end tests' private X server: a free display, ended on exit.
source "$ROOT/tests/e2e/lib.sh"
start_xvfb 24

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for version in baseline avx2 avx512; do
    FRACTALS_CPU=$version "$BUILD_DIR/bench/window_fps" "$BUILD_DIR/demo" "$SECONDS_EACH" fast ||
        echo "$version: not measured"
done
"$BUILD_DIR/bench/window_fps" "$BUILD_DIR/demo" "$SECONDS_EACH" literal
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
