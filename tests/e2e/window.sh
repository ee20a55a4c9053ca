#!/usr/bin/env bash
# The real program in a real X server with the default bitmaps: the window,
# its animation, the arrow keys, and closing it the way a window manager does.
#
#   window.sh FRACTALS XPROBE BITMAP_DIR DEPTH CLOSE_SECONDS
source "$(dirname "$0")/lib.sh"

FRACTALS=$1 XPROBE=$2 BITMAPS=$3 DEPTH=$4 CLOSE_SECONDS=$5
unset SDL_VIDEODRIVER

start_xvfb "$DEPTH"
cd "$BITMAPS" || fail "no bitmap folder $BITMAPS"
start_process "$FRACTALS" 2>"$E2E_WORK/stderr"
program=$LAST_PID

# SDL2 under the compatibility layer opens no window on an 8-bit display:
# that must end in the video-mode failure box, not in a hang or a crash.
if [ "$DEPTH" -eq 8 ] && [ "$(sdl_flavour "$FRACTALS")" = compat ]; then
    text=$'Unhandled Exception: Couldnt Set Display Mode!\n\n'
    expect_box "$program" "$text"
    printf '%s' "$text" >"$E2E_WORK/expected"
    cmp -s "$E2E_WORK/stderr" "$E2E_WORK/expected" ||
        fail "standard error is \"$(cat "$E2E_WORK/stderr")\""
    echo "depth 8 on the compatibility layer: video-mode box, exit status 1"
    exit 0
fi

win=$("$XPROBE" find Fractals 10000) || fail "no window captioned Fractals"
[ "$("$XPROBE" size "$win")" = "320 240" ] || fail "window is $("$XPROBE" size "$win"), not 320 240"

# The window may be mapped before its first frame is presented.
await_pixels "$win" -gt 0 "the window's first frames"
first=$("$XPROBE" pixels "$win")
sleep 0.3
second=$("$XPROBE" pixels "$win")
echo "screenshots: $first / $second"
[ "${first#nonblack=0 }" = "$first" ] || fail "first screenshot is black"
[ "${second#nonblack=0 }" = "$second" ] || fail "second screenshot is black"
[ "$first" != "$second" ] || fail "two screenshots 0.3 s apart are the same: no animation"

# Keys go to the window under the pointer (no window manager gives focus).
xdotool mousemove --window "$win" 160 120 key Up key Down key Up key Down ||
    fail "xdotool could not send the keys"
sleep 0.3
finished "$program" && fail "the program ended after Up and Down"
third=$("$XPROBE" pixels "$win")
[ "$third" != "$second" ] || fail "the picture stopped changing after the keys"

"$XPROBE" close "$win" || fail "could not send WM_DELETE_WINDOW"
wait_exit "$program" "$CLOSE_SECONDS" || fail "still running ${CLOSE_SECONDS} s after WM_DELETE_WINDOW"
[ "$EXIT_STATUS" -eq 0 ] || fail "exit status $EXIT_STATUS after closing, not 0"
[ ! -s "$E2E_WORK/stderr" ] || fail "unexpected standard error: $(cat "$E2E_WORK/stderr")"
echo "window at depth $DEPTH: animated, keys accepted, closed with status 0"
