#!/usr/bin/env bash
# scripts/demo.sh and the display: without one it must explain and fail
# before installing, building or starting anything; with one, or with a
# video driver the user chose, it starts the program. Installing and
# building are stand-ins that only record their calls.
#
#   demo_display.sh DEMO_SCRIPT
source "$(dirname "$0")/lib.sh"

DEMO=$1
stubs="$E2E_WORK/stubs" build="$E2E_WORK/build"
mkdir -p "$stubs" "$build/demo"
for tool in apt-get sudo cmake; do
    printf '#!/bin/sh\necho "%s $*" >>"%s/calls"\n' "$tool" "$E2E_WORK" >"$stubs/$tool"
done
printf '#!/bin/sh\necho "install ok installed"\n' >"$stubs/dpkg-query"
printf '#!/bin/sh\necho "started with SDL_VIDEODRIVER=$SDL_VIDEODRIVER" >>"%s/calls"\n' \
    "$E2E_WORK" >"$build/demo/fractals"
chmod +x "$stubs"/* "$build/demo/fractals"

# demo ENV...: runs the script with only that display environment.
demo() {
    rm -f "$E2E_WORK/calls"
    env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER PATH="$stubs:$PATH" BUILD_DIR="$build" \
        "$@" bash "$DEMO" >"$E2E_WORK/out" 2>&1 </dev/null
    STATUS=$?
    CALLS=$(cat "$E2E_WORK/calls" 2>/dev/null)
}

refused() {  # refused WHAT ENV...
    local what=$1
    shift
    demo "$@"
    [ "$STATUS" -ne 0 ] || fail "$what: exit status 0"
    [ -z "$CALLS" ] || fail "$what: still ran $CALLS"
    grep -q "no display found" "$E2E_WORK/out" && grep -q "scripts/web.sh" "$E2E_WORK/out" &&
        grep -q "SDL_VIDEODRIVER=" "$E2E_WORK/out" || fail "$what: said \"$(cat "$E2E_WORK/out")\""
    echo "$what: refused"
}

refused "no display"
refused "Wayland only" WAYLAND_DISPLAY=wayland-0
refused "a display nobody serves" DISPLAY=:$$
refused "a TCP display nobody serves" DISPLAY=127.0.0.1:$(($$ % 40000 + 10000))

start_xvfb 24
demo DISPLAY="$DISPLAY"
[ "$STATUS" -eq 0 ] && grep -q "^started with SDL_VIDEODRIVER=x11$" <<<"$CALLS" ||
    fail "with a display: status $STATUS, calls: $CALLS $(cat "$E2E_WORK/out")"
grep -q "^cmake " <<<"$CALLS" || fail "with a display: nothing built"
echo "with a display: built and started on X"

demo SDL_VIDEODRIVER=caca
[ "$STATUS" -eq 0 ] && grep -q "^started with SDL_VIDEODRIVER=caca$" <<<"$CALLS" ||
    fail "a chosen driver: status $STATUS, calls: $CALLS $(cat "$E2E_WORK/out")"
echo "a driver the user chose: started with it"
