#!/usr/bin/env bash
# fractals.exe under Wine without its bitmaps: the failure box that Windows
# shows, its caption and text read back through Windows, dismissed with
# Return as a user would, and exit status 1 after it.
#
#   dialog.sh FRACTALS XPROBE BOXTEXT   (Windows programs through run-* launchers)
source "$(dirname "$0")/../e2e/lib.sh"

FRACTALS=$1 XPROBE=$2 BOXTEXT=$3
unset SDL_VIDEODRIVER

cd "$E2E_WORK"
start_xvfb 24
start_process "$FRACTALS" 2>"$E2E_WORK/stderr"
program=$LAST_PID

box=$("$XPROBE" find "Unhandled Exception" 20000) || fail "no window titled \"Unhandled Exception\""
"$BOXTEXT" "Unhandled Exception" 10000 >"$E2E_WORK/text" || fail "Windows knows no box captioned \"Unhandled Exception\""
printf 'Unhandled Exception: Couldnt load Bitmap\n' >"$E2E_WORK/expected"
cmp -s "$E2E_WORK/text" "$E2E_WORK/expected" || fail "the box says \"$(cat "$E2E_WORK/text")\""
finished "$program" && fail "the program ended before the box was dismissed"

# Return goes to the window under the pointer and presses the box's button.
xdotool mousemove --window "$box" 10 10 key Return || fail "xdotool could not press Return"
wait_exit "$program" 10 || fail "still running 10 s after the box was dismissed"
[ "$EXIT_STATUS" -eq 1 ] || fail "exit status $EXIT_STATUS after the box, not 1"
echo "box \"$(head -n1 "$E2E_WORK/text")\" shown, dismissed, exit status 1"
