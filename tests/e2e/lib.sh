# Shared by the end-to-end tests (sourced): a private X server on a display
# number it picks itself, bookkeeping of every process a test starts so that
# each is ended by its id, and small checks.

set -u

# Nothing of the caller's session: a test draws only on the X server it
# starts itself (start_xvfb sets DISPLAY), never through a Wayland
# compositor, with the video driver SDL picks there.
unset DISPLAY WAYLAND_DISPLAY SDL_VIDEODRIVER

E2E_WORK="$(mktemp -d)"
E2E_PIDS=()
# Seconds to wait for what should come at once (a server, a window, a
# picture). Only a failing test waits this long, so it leaves room for a
# machine whose cores are busy with other work.
E2E_PATIENCE=30

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Children first: a dialog outlives the program that spawned it otherwise.
end_process() {
    local pid=$1 child
    for child in $(cat /proc/"$pid"/task/*/children 2>/dev/null); do end_process "$child"; done
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
}

e2e_cleanup() {
    local i
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do end_process "${E2E_PIDS[i]}"; done
    rm -rf "$E2E_WORK"
}
trap e2e_cleanup EXIT

# Milliseconds of the wall clock. EPOCHREALTIME's separator is the locale's
# decimal point, so the non-digits are dropped rather than parsed.
now_ms() {
    local us=${EPOCHREALTIME//[!0-9]/}
    echo $((10#$us / 1000))
}

# Runs the command every 50 ms until it succeeds; returns 1 if it hasn't
# within E2E_PATIENCE seconds.
await() {
    local deadline=$(($(now_ms) + E2E_PATIENCE * 1000))
    until "$@"; do
        [ "$(now_ms)" -lt "$deadline" ] || return 1
        sleep 0.05
    done
}

# Starts Xvfb at the given depth and exports DISPLAY. -displayfd makes the
# server choose a free display number and report it once it accepts clients.
# -noreset: by default the server resets whenever its last client leaves,
# refusing connections meanwhile, and SDL's start-up closes its first
# connection before it opens the one it keeps.
start_xvfb() {
    local depth=$1
    Xvfb -displayfd 3 -screen 0 640x480x"$depth" -nolisten tcp -noreset 3>"$E2E_WORK/display" \
        2>"$E2E_WORK/xvfb.log" &
    E2E_PIDS+=($!)
    await xvfb_reported "${E2E_PIDS[-1]}"
    [ -s "$E2E_WORK/display" ] || fail "Xvfb did not start: $(cat "$E2E_WORK/xvfb.log")"
    export DISPLAY=":$(head -n1 "$E2E_WORK/display")"
}

xvfb_reported() { [ -s "$E2E_WORK/display" ] || ! kill -0 "$1" 2>/dev/null; }

# Starts a command in the background, remembers it, and sets LAST_PID.
start_process() {
    "$@" &
    LAST_PID=$!
    E2E_PIDS+=("$LAST_PID")
}

finished() {
    local state
    kill -0 "$1" 2>/dev/null || return 0
    state=$(cut -d' ' -f3 /proc/"$1"/stat 2>/dev/null)
    [ -z "$state" ] || [ "$state" = Z ]
}

# Waits at most LIMIT seconds for the process to end, then sets EXIT_STATUS
# to its status and EXIT_MS to the milliseconds from the call to the end.
# Returns 1 if it is still running. Blocks on the end itself instead of
# polling, so that a busy machine doesn't add a poller's delays to EXIT_MS.
wait_exit() {
    local pid=$1 limit=$2 start_us=${EPOCHREALTIME//[!0-9]/} timer ended status
    sleep "$limit" </dev/null >/dev/null 2>&1 &
    timer=$!
    E2E_PIDS+=("$timer")
    wait -n -p ended "$pid" "$timer"
    status=$?
    EXIT_MS=$(((10#${EPOCHREALTIME//[!0-9]/} - 10#$start_us) / 1000))
    [ "$ended" = "$pid" ] || return 1
    end_process "$timer"
    EXIT_STATUS=$status
}

# The first child process of a process, waiting for one.
child_of() { await first_child "$1" && echo "$CHILD"; }
first_child() {
    CHILD=$(awk '{print $1; exit}' /proc/"$1"/task/*/children 2>/dev/null) && [ -n "$CHILD" ]
}

# Takes the window's picture into PICTURE ("nonblack=N red=R green=G blue=B
# hash=H", see xprobe) and succeeds when it satisfies every FIELD OP VALUE
# that follows, FIELD being one of its counts: picture_is WIN red -eq 0 ...
picture_is() {
    local win=$1 field op value pair count
    shift
    PICTURE=$("$XPROBE" pixels "$win") || return 1
    while [ $# -ge 3 ]; do
        field=$1 op=$2 value=$3 count=""
        shift 3
        for pair in $PICTURE; do [ "${pair%%=*}" = "$field" ] && count=${pair#*=}; done
        [ -n "$count" ] && [ "$count" "$op" "$value" ] || return 1
    done
}

# A picture not black and other than the one given.
picture_changed() { picture_is "$1" nonblack -gt 0 && [ "$PICTURE" != "$2" ]; }

# Waits until the window's picture satisfies every FIELD OP VALUE, or fails.
# await_pixels WIN WHAT FIELD OP VALUE...
await_pixels() {
    local win=$1 what=$2
    shift 2
    PICTURE=""
    await picture_is "$win" "$@" || fail "$what: the window shows \"$PICTURE\", expected $*"
}

# Closes the window the way a window manager does and waits for the program
# to end with status 0; EXIT_MS is then its time from the request to the end.
close_window() {
    local win=$1 program=$2
    "$XPROBE" close "$win" || fail "could not send WM_DELETE_WINDOW"
    wait_exit "$program" "$E2E_PATIENCE" ||
        fail "still running $E2E_PATIENCE s after WM_DELETE_WINDOW"
    [ "$EXIT_STATUS" -eq 0 ] || fail "exit status $EXIT_STATUS after closing, not 0"
}

# "compat" when the program runs on the SDL 1.2 compatibility layer over
# SDL2, "classic" otherwise: the two differ in the displays they can open.
sdl_flavour() {
    local library
    library=$(ldd "$1" | awk '/libSDL-1\.2\.so/ {print $3; exit}')
    case "$(readlink -f "$library")" in
    *sdl12-compat* | *libSDL-1.2.so.1.2.*) echo compat ;;
    *) echo classic ;;
    esac
}

# The failure box of a running program: a window titled "Unhandled
# Exception" from a child process that got the whole text (line break
# included) as one argument. Dismisses it the way a user closing the window
# would (Return for a dialog that doesn't take WM_DELETE_WINDOW), then waits
# for the program's exit status 1. expect_box PID TEXT
expect_box() {
    local program=$1 text=$2 box dialog arg found=no
    box=$("$XPROBE" find "Unhandled Exception" $((E2E_PATIENCE * 1000))) ||
        fail "no window titled \"Unhandled Exception\""
    dialog=$(child_of "$program") || fail "the program started no dialog process"
    mapfile -d '' argv </proc/"$dialog"/cmdline
    echo "dialog: ${argv[*]}"
    for arg in "${argv[@]}"; do [ "$arg" = "$text" ] && found=yes; done
    [ "$found" = yes ] || fail "the dialog's arguments lack the text \"$text\""
    finished "$program" && fail "the program ended before the box was dismissed"

    "$XPROBE" close "$box" || xdotool key --window "$box" Return || fail "could not dismiss the box"
    wait_exit "$program" "$E2E_PATIENCE" ||
        fail "still running $E2E_PATIENCE s after the box was dismissed"
    [ "$EXIT_STATUS" -eq 1 ] || fail "exit status $EXIT_STATUS after the box, not 1"
}
