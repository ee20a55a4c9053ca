#!/usr/bin/env bash
# Up and Down switch bitmaps in the real window. Each bitmap is one colour,
# those of the first pair green (lsd.bmp) and red (logo.bmp), those of the
# second black (lsd2.bmp) and blue (logo2.bmp), so the picture shows which
# bitmap of each pair is selected whatever the animation does: from the
# second frame on the weight of the first pair's bitmap saturates its colour
# at every pixel, and blue shows only with logo2.bmp: at most pixels, as its
# factor 1 - weight wraps once negative (at none only some 300,000 frames
# on, when every mix has passed 2^31, where a float's low byte is 0).
#
#   keys.sh FRACTALS XPROBE FORGE_BMP DEPTH
source "$(dirname "$0")/lib.sh"

FRACTALS=$1 XPROBE=$2 FORGE=$3 DEPTH=$4

cd "$E2E_WORK"
"$FORGE" solid lsd.bmp 320 240 0 255 0 && "$FORGE" solid logo.bmp 320 240 255 0 0 &&
    "$FORGE" solid lsd2.bmp 320 240 0 0 0 && "$FORGE" solid logo2.bmp 320 240 0 0 255 ||
    fail "could not write the bitmaps"

start_xvfb "$DEPTH"
start_process "$FRACTALS"
program=$LAST_PID
win=$("$XPROBE" find Fractals $((E2E_PATIENCE * 1000))) || fail "no window captioned Fractals"
xdotool mousemove --window "$win" 160 120 || fail "xdotool could not move the pointer"

all=$((320 * 240))
shows() {  # shows FIRST SECOND WHEN: waits for the picture of that pair
    local first=(red -eq 0 green -eq "$all") second=(blue -eq 0)
    [ "$1" = logo.bmp ] && first=(red -eq "$all" green -eq 0)
    [ "$2" = logo2.bmp ] && second=(blue -gt 0)
    await_pixels "$win" "$3, $1 and $2" "${first[@]}" "${second[@]}"
}
press() { xdotool key "$1" || fail "xdotool could not press $1"; }

shows lsd.bmp lsd2.bmp "at start"
press Up
shows logo.bmp lsd2.bmp "after Up"
press Down
shows logo.bmp logo2.bmp "after Up, Down"
press Up
shows lsd.bmp logo2.bmp "after Up, Down, Up"
press Down
shows lsd.bmp lsd2.bmp "after Up, Down, Up, Down"

close_window "$win" "$program"
echo "Up and Down switch the bitmaps of their own pair at depth $DEPTH"
