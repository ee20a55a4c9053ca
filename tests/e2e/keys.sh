#!/usr/bin/env bash
# Up and Down switch bitmaps in the real window. With black and white
# bitmaps the picture tells the selection apart whatever the animation does:
# two black bitmaps mix to black, a white first bitmap to white.
#
#   keys.sh FRACTALS XPROBE FORGE_BMP DEPTH
source "$(dirname "$0")/lib.sh"

FRACTALS=$1 XPROBE=$2 FORGE=$3 DEPTH=$4
unset SDL_VIDEODRIVER

cd "$E2E_WORK"
"$FORGE" solid lsd.bmp 320 240 0 0 0 && "$FORGE" solid logo.bmp 320 240 255 255 255 &&
    "$FORGE" solid lsd2.bmp 320 240 0 0 0 && "$FORGE" solid logo2.bmp 320 240 255 255 255 ||
    fail "could not write the bitmaps"

start_xvfb "$DEPTH"
start_process "$FRACTALS"
program=$LAST_PID
win=$("$XPROBE" find Fractals 10000) || fail "no window captioned Fractals"
xdotool mousemove --window "$win" 160 120 || fail "xdotool could not move the pointer"

press() { xdotool key "$1" || fail "xdotool could not press $1"; }

await_pixels "$win" -eq 0 "lsd.bmp and lsd2.bmp (both black)"
press Up
await_pixels "$win" -ge 76000 "after Up, logo.bmp (white) and lsd2.bmp"
press Up
await_pixels "$win" -eq 0 "after Up twice, lsd.bmp and lsd2.bmp again"
# A black first bitmap and a white second one mix to a value of growing
# magnitude that wraps: not black, but no fixed picture either.
press Down
await_pixels "$win" -gt 0 "after Down, lsd.bmp and logo2.bmp (white)"
press Down
await_pixels "$win" -eq 0 "after Down twice, lsd.bmp and lsd2.bmp again"

"$XPROBE" close "$win" || fail "could not send WM_DELETE_WINDOW"
wait_exit "$program" 10 || fail "still running after WM_DELETE_WINDOW"
[ "$EXIT_STATUS" -eq 0 ] || fail "exit status $EXIT_STATUS after closing, not 0"
echo "Up and Down switch the bitmaps at depth $DEPTH"
