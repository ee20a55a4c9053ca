#!/usr/bin/env bash
# A failed start in a real X server: the failure box, its title and text,
# dismissing it, and the exit status that follows.
#
#   dialog.sh FRACTALS XPROBE FORGE_BMP none|no-lsd2|bad-cpu
#     none     no bitmap at all: "Couldnt load Bitmap" (first pair)
#     no-lsd2  only lsd2.bmp missing: "Couldnt Load Bitmap" (second pair)
#     bad-cpu  FRACTALS_CPU names no version: the refusal, which ends with
#              the versions this processor runs
source "$(dirname "$0")/lib.sh"

FRACTALS=$1 XPROBE=$2 FORGE=$3 MODE=$4

cd "$E2E_WORK"
case "$MODE" in
none) message="Couldnt load Bitmap" ;;
no-lsd2)
    message="Couldnt Load Bitmap"
    for name in lsd logo logo2; do
        "$FORGE" solid "$name.bmp" 320 240 40 80 120 || fail "could not write $name.bmp"
    done
    ;;
bad-cpu)
    export FRACTALS_CPU=sse9
    message='FRACTALS_CPU="sse9" names no version; this processor can run baseline'
    ;;
*) fail "unknown mode $MODE" ;;
esac
text="Unhandled Exception: $message"

start_xvfb 24
start_process "$FRACTALS" 2>"$E2E_WORK/stderr"
program=$LAST_PID

if [ "$MODE" = bad-cpu ]; then
    # Standard error has the whole text before the box opens.
    await test -s "$E2E_WORK/stderr" || fail "nothing on standard error"
    full=$(head -n1 "$E2E_WORK/stderr")
    [[ "$full" == "$text"* ]] || fail "standard error is \"$full\", not \"$text...\""
    text=$full
fi

expect_box "$program" "$text"$'\n'
printf '%s\n' "$text" >"$E2E_WORK/expected"
cmp -s "$E2E_WORK/stderr" "$E2E_WORK/expected" ||
    fail "standard error is \"$(cat "$E2E_WORK/stderr")\""
echo "box \"$text\" shown, dismissed, exit status 1"
