#!/usr/bin/env bash
# Builds in Release and runs the renderer benchmark on the demo's default
# bitmaps: frames 0-999, the fast renderer with each version of its kernels
# this processor runs (or the one FRACTALS_CPU names) against the literal
# one, on every display format. Needs no display. Prints the load average
# before and after, since other work on the machine moves the figures.
# Usage: bash bench/run.sh [frames]
source "$(dirname "$0")/../scripts/common.sh"
BUILD_DIR="${BENCH_BUILD_DIR:-$ROOT/build-bench}"
BUILD_TARGETS="bench_renderers default_bitmaps" build bench >/dev/null
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
"$BUILD_DIR/bench/bench_renderers" "$BUILD_DIR/demo" "${1:-1000}"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
