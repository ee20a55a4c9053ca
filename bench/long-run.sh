#!/usr/bin/env bash
# Long run: fractals-render on the default bitmaps for a short and a long
# number of frames, by default 1,000 and 100,000 (the weight reaches 50,000,
# so every huge-value path of the mix runs). Prints the peak memory of each
# run and fails if the long run needed more, or if its last frame is not a
# whole 320 x 240 picture. Needs no display.
#
#   bash bench/long-run.sh [SHORT LONG]     builds build-bench in Release first
#   bash bench/long-run.sh --tool T --images DIR [--compare-literal] SHORT LONG
#
# --compare-literal also renders the long run with the literal renderer and
# requires the same last frame (at 100,000 frames that takes a quarter hour).
source "$(dirname "$0")/../scripts/common.sh"

tool="" images="" compare=no
while [ $# -gt 0 ]; do
    case "$1" in
    --tool) tool=$2; shift 2 ;;
    --images) images=$2; shift 2 ;;
    --compare-literal) compare=yes; shift ;;
    *) break ;;
    esac
done
short=${1:-1000} long=${2:-100000}
# Growth allowed between the two runs: allocator and page noise (the SDL 1.2
# compatibility layer's peak alone varies by some 600 KiB from run to run),
# far below one leaked 300 KiB frame per hundred frames.
slack_kib=2048

if [ -z "$tool" ]; then
    bench_build="${BENCH_BUILD_DIR:-$ROOT/build-bench}"
    BUILD_DIR="$bench_build" BUILD_TARGETS="fractals-render default_bitmaps" build bench >/dev/null
    tool="$bench_build/fractals-render" images="$bench_build/demo"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# run FRAMES RENDERER: renders, keeps the last frame, sets PEAK_KIB.
run() {
    local frames=$1 renderer=$2 out="$work/$1-$2"
    /usr/bin/time -f %M -o "$out.peak" "$tool" --images "$images" --frames "$frames" \
        --renderer "$renderer" --save $((frames - 1)) --out "$out" >"$out.log" ||
        { echo "FAIL: $renderer, $frames frames: fractals-render failed (above)" >&2; exit 1; }
    PEAK_KIB=$(tail -n1 "$out.peak")
    LAST_FRAME="$out/$(printf 'frame-%05d.bmp' $((frames - 1)))"
    echo "$renderer, $frames frames: peak memory $PEAK_KIB KiB; $(tail -n1 "$out.log")"
}

run "$short" fast
short_peak=$PEAK_KIB
run "$long" fast
long_peak=$PEAK_KIB
long_frame=$LAST_FRAME

echo "peak memory at $short frames: $short_peak KiB"
echo "peak memory at $long frames: $long_peak KiB"

status=0
if [ "$long_peak" -gt $((short_peak + slack_kib)) ]; then
    echo "FAIL: memory grew by $((long_peak - short_peak)) KiB between $short and $long frames"
    status=1
fi
# A frame of 320 x 240 at 32 bits, as SDL saves it: 24-bit rows, no padding.
if [ "$(head -c2 "$long_frame")" != BM ] || [ "$(stat -c %s "$long_frame")" -ne 230454 ]; then
    echo "FAIL: frame $((long - 1)) is not a whole 320 x 240 bitmap"
    status=1
fi
if [ "$compare" = yes ]; then
    run "$long" literal
    if cmp -s "$long_frame" "$LAST_FRAME"; then
        echo "frame $((long - 1)): the fast and literal renderers agree"
    else
        echo "FAIL: frame $((long - 1)) differs between the fast and literal renderers"
        status=1
    fi
fi
exit "$status"
