#!/usr/bin/env bash
# Wine for the project's Windows programs: a 64-bit prefix of the build's
# own, created on first use with the crash dialog off (a crash must end the
# program, not wait for a click), no debug output, and a HOME and locale of
# its own, so that nothing of the caller's leaks in.
#
#   source wine.sh; wine_setup PREFIX DLL_DIR
#       exports that environment, the program's DLLs found in DLL_DIR
#   bash wine.sh PREFIX DLL_DIR [--own-session] PROGRAM.exe [ARGS...]
#       runs the Windows program under Wine
#   bash wine.sh PREFIX DLL_DIR [--own-session] -- COMMAND [ARGS...]
#       runs a command (a test script) in that environment
# Either way without the caller's display (a test that needs one starts its
# own X server), exiting with the program's or command's status. A Wine
# session outlives its programs for a few seconds, and runs in the same
# prefix join it; --own-session waits for it to end, so that the next run
# starts one of its own, on its own display.

wine_setup() {
    local prefix=$1 dlls=$2
    export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEPATH="Z:${dlls//\//\\}" HOME="$prefix-home" LC_ALL=C.UTF-8
    mkdir -p "$HOME" || return 1
    # Two runs may start at once; one creates the prefix, the other waits.
    (
        flock 9
        [ -e "$prefix/fractals-ready" ] && exit 0
        rm -rf "$prefix"
        echo "Creating the Wine prefix $prefix" >&2
        env -u DISPLAY -u WAYLAND_DISPLAY wineboot --init >"$prefix.log" 2>&1 &&
            wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
                >>"$prefix.log" 2>&1 &&
            wineserver -w && touch "$prefix/fractals-ready"
    ) 9>"$prefix.lock" || { echo "wine.sh: could not create $prefix: $(tail -n3 "$prefix.log")" >&2; return 1; }
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    [ $# -ge 3 ] || { echo "usage: wine.sh PREFIX DLL_DIR [--own-session] [--] PROGRAM [ARGS...]" >&2; exit 2; }
    wine_setup "$1" "$2" || exit 1
    shift 2
    own_session=no
    [ "$1" = --own-session ] && { own_session=yes; shift; }
    unset DISPLAY WAYLAND_DISPLAY
    if [ "$1" = "--" ]; then
        shift
        "$@"
    else
        wine "$@"
    fi
    status=$?
    if [ "$own_session" = yes ]; then
        # Nothing else runs in this session; one still there after a minute is stuck.
        timeout 60 wineserver -w || wineserver -k
    fi
    exit "$status"
fi
