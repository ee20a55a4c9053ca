#!/usr/bin/env bash
# The real program in a real X server with the default bitmaps: the window,
# its icon, its animation, the arrow keys, and closing it the way a window
# manager does.
#
#   window.sh FRACTALS XPROBE BITMAP_DIR DEPTH CLOSE_SECONDS
source "$(dirname "$0")/lib.sh"

FRACTALS=$1 XPROBE=$2 BITMAPS=$3 DEPTH=$4 CLOSE_SECONDS=$5

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

win=$("$XPROBE" find Fractals $((E2E_PATIENCE * 1000))) || fail "no window captioned Fractals"
[ "$("$XPROBE" size "$win")" = "320 240" ] || fail "window is $("$XPROBE" size "$win"), not 320 240"
icon=$("$XPROBE" icon "$win") || fail "the window offers no icon"
echo "icon: $icon"

# The window may be mapped before its first frame is presented. Then,
# without any input, the picture must change.
await_pixels "$win" "the window's first frames" nonblack -gt 0
first=$PICTURE
await picture_changed "$win" "$first" || fail "the picture stays \"$first\": no animation"
second=$PICTURE
echo "screenshots: $first / $second"

# Keys go to the window under the pointer (no window manager gives focus).
xdotool mousemove --window "$win" 160 120 key Up key Down key Up key Down ||
    fail "xdotool could not send the keys"
await picture_changed "$win" "$second" || fail "the picture stopped changing after the keys"
finished "$program" && fail "the program ended after Up and Down"

# The time limit counts from the moment the request reached the server.
close_window "$win" "$program"
[ "$EXIT_MS" -le $((CLOSE_SECONDS * 1000)) ] ||
    fail "ended $EXIT_MS ms after WM_DELETE_WINDOW, not within $CLOSE_SECONDS s"
[ ! -s "$E2E_WORK/stderr" ] || fail "unexpected standard error: $(cat "$E2E_WORK/stderr")"
echo "window at depth $DEPTH: animated, keys accepted, closed with status 0 in $EXIT_MS ms"
