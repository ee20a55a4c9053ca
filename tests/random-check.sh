#!/usr/bin/env bash
# The random differential check at length, for whoever changes the fast
# renderer's kernels or its suspects' path: the random cases of test_kernels
# (every kernel against its plain twin) and of test_renderers (frames steered
# to the sine peaks, fast against literal), from one seed, with every version
# this processor runs or the one FRACTALS_CPU names. A failure names the
# seed of its case, which replays it first. Prints what the frames reached
# and the load average, which moves the rate. Builds build/ in Release.
#
#   bash tests/random-check.sh [--seed S] [--frames N]   (a new seed, 1000 frames)
source "$(dirname "$0")/../scripts/common.sh"

seed="" frames=1000
while [ $# -gt 0 ]; do
    case "$1" in
    --seed) seed=$2; shift 2 ;;
    --frames) frames=$2; shift 2 ;;
    *) echo "usage: bash tests/random-check.sh [--seed S] [--frames N]" >&2; exit 2 ;;
    esac
done
[ -n "$seed" ] || seed=$(od -An -N4 -tu4 /dev/urandom | tr -d ' ')

BUILD_TARGETS="test_kernels test_renderers" build tests >/dev/null
export SDL_VIDEODRIVER=dummy FRACTALS_RANDOM_SEED="$seed" FRACTALS_RANDOM_FRAMES="$frames"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
status=0
"$BUILD_DIR/tests/test_kernels" --gtest_filter='*RandomRows*' --gtest_brief=1 || status=1
"$BUILD_DIR/tests/test_renderers" --gtest_filter='RandomFrames.*' --gtest_brief=1 || status=1
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
exit $status
