#!/usr/bin/env bash
# A failed start in a real X server: the failure box, its title and text,
# dismissing it, and the exit status that follows.
#
#   dialog.sh FRACTALS XPROBE FORGE_BMP none|no-lsd2
#     none     no bitmap at all: "Couldnt load Bitmap" (first pair)
#     no-lsd2  only lsd2.bmp missing: "Couldnt Load Bitmap" (second pair)
source "$(dirname "$0")/lib.sh"

FRACTALS=$1 XPROBE=$2 FORGE=$3 MODE=$4
unset SDL_VIDEODRIVER

cd "$E2E_WORK"
case "$MODE" in
none) message="Couldnt load Bitmap" ;;
no-lsd2)
    message="Couldnt Load Bitmap"
    for name in lsd logo logo2; do
        "$FORGE" solid "$name.bmp" 320 240 40 80 120 || fail "could not write $name.bmp"
    done
    ;;
*) fail "unknown mode $MODE" ;;
esac
text="Unhandled Exception: $message"

start_xvfb 24
start_process "$FRACTALS" 2>"$E2E_WORK/stderr"
program=$LAST_PID

box=$("$XPROBE" find "Unhandled Exception" 10000) || fail "no window titled \"Unhandled Exception\""
dialog=$(child_of "$program") || fail "the program started no dialog process"
# The dialog gets the whole text, line break included, as one argument.
mapfile -d '' argv </proc/"$dialog"/cmdline
echo "dialog: ${argv[*]}"
found=no
for arg in "${argv[@]}"; do [ "$arg" = "$text"$'\n' ] && found=yes; done
[ "$found" = yes ] || fail "the dialog's arguments lack \"$text\" and its line break"
finished "$program" && fail "the program ended before the box was dismissed"

# Dismiss it as a user closing the window would; a dialog that doesn't take
# WM_DELETE_WINDOW gets Return instead.
"$XPROBE" close "$box" || xdotool key --window "$box" Return || fail "could not dismiss the box"
wait_exit "$program" 10 || fail "still running 10 s after the box was dismissed"
[ "$EXIT_STATUS" -eq 1 ] || fail "exit status $EXIT_STATUS, not 1"
[ "$(cat "$E2E_WORK/stderr")" = "$text" ] || fail "standard error is \"$(cat "$E2E_WORK/stderr")\""
# $(...) drops the final line break: check it separately.
[ "$(tail -c1 "$E2E_WORK/stderr" | od -An -c | tr -d ' ')" = '\n' ] || fail "no line break after the text"
echo "box \"$text\" shown, dismissed, exit status 1"
