#!/usr/bin/env bash
# A video driver that does not exist: SDL can't start, the program says so on
# standard error and ends with status 1 instead of hanging.
#
#   no_video.sh FRACTALS
source "$(dirname "$0")/lib.sh"

FRACTALS=$1
cd "$E2E_WORK"
env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=no-such-driver \
    timeout 20 "$FRACTALS" 2>"$E2E_WORK/stderr" </dev/null
status=$?
[ "$status" -ne 124 ] || fail "still running after 20 s"
[ "$status" -eq 1 ] || fail "exit status $status, not 1"
printf 'Unhandled Exception: Error Couldnt Initalize SDL!\n\n' >"$E2E_WORK/expected"
cmp -s "$E2E_WORK/stderr" "$E2E_WORK/expected" ||
    fail "standard error is \"$(cat "$E2E_WORK/stderr")\""
echo "no video driver: message and status 1"
