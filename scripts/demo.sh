#!/usr/bin/env bash
# Starts the demo with the bundled bitmaps: first checks that there is a
# display to show it on, then installs what building and running the
# program needs, builds the program and its bitmaps (no tests, no
# benchmarks), and starts it.
source "$(dirname "$0")/common.sh"

# Classic SDL 1.2 draws a window only through X (a Wayland session offers X
# through Xwayland, which sets DISPLAY). Without a reachable X server it
# falls back on its own to drawing coloured text in the terminal, forever.
# Reachable: DISPLAY's local socket (a file, or Linux's abstract one) or its
# TCP port (6000 + the display number, as SSH's X forwarding offers) is there.
x_server_reachable() {
    local display=${DISPLAY:-} host number
    host=${display%:*} number=${display##*:}
    number=${number%%.*} host=${host#*/}  # no screen, no "tcp/" or "unix/" before the host
    [[ $display == *:* && $number =~ ^[0-9]+$ ]] || return 1
    if [ -z "$host" ] || [ "$host" = unix ]; then
        [ -S "/tmp/.X11-unix/X$number" ] || grep -q " @/tmp/.X11-unix/X$number\$" /proc/net/unix
    else
        timeout 5 bash -c 'exec 3<>"/dev/tcp/$1/$2"' _ "$host" $((6000 + number)) 2>/dev/null
    fi
}

no_display() {
    local why="DISPLAY is not set"
    [ -n "${DISPLAY:-}" ] && why="no X server answers at DISPLAY=$DISPLAY"
    [ -z "${DISPLAY:-}" ] && [ -n "${WAYLAND_DISPLAY:-}" ] &&
        why="DISPLAY is not set: SDL 1.2 draws through X, which Wayland sessions offer through Xwayland"
    cat >&2 <<EOF
demo.sh: no display found ($why).
To see the demo instead:
  - run this command in a desktop session;
  - or run "bash scripts/web.sh" and open the address it prints in a web browser;
  - or, for a text rendering in this terminal, choose SDL's text driver yourself:
        SDL_VIDEODRIVER=caca bash scripts/demo.sh
    It takes the terminal's keyboard (Ctrl+C included) for the arrows only: close the
    terminal, or end the process from another one, to stop it.
EOF
    exit 1
}

# A driver the user chose is theirs to try. Otherwise only X, so that a
# server that stops answering ends in SDL's start-up failure, not in text.
if [ -z "${SDL_VIDEODRIVER:-}" ]; then
    x_server_reachable || no_display
    export SDL_VIDEODRIVER=x11
fi

install_missing
BUILD_TARGETS="fractals default_bitmaps" build demo
cd "$BUILD_DIR/demo"
exec ./fractals
