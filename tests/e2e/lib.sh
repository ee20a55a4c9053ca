# Shared by the end-to-end tests (sourced): a private X server on a display
# number it picks itself, bookkeeping of every process a test starts so that
# each is ended by its id, and small checks.

set -u
# A failure box shares the program's standard error, and xmessage warns
# there about missing fonts in a UTF-8 locale (C.UTF-8, say); the tests
# check the program's own text alone.
export LC_ALL=C

E2E_WORK="$(mktemp -d)"
E2E_PIDS=()

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

# Starts Xvfb at the given depth and exports DISPLAY. -displayfd makes the
# server choose a free display number and report it once it accepts clients.
# -noreset: by default the server resets whenever its last client leaves,
# refusing connections meanwhile, and SDL's start-up closes its first
# connection before it opens the one it keeps.
start_xvfb() {
    local depth=$1 i
    Xvfb -displayfd 3 -screen 0 640x480x"$depth" -nolisten tcp -noreset 3>"$E2E_WORK/display" \
        2>"$E2E_WORK/xvfb.log" &
    E2E_PIDS+=($!)
    for ((i = 0; i < 100; i++)); do
        [ -s "$E2E_WORK/display" ] && break
        kill -0 "${E2E_PIDS[-1]}" 2>/dev/null || break
        sleep 0.1
    done
    [ -s "$E2E_WORK/display" ] || fail "Xvfb did not start: $(cat "$E2E_WORK/xvfb.log")"
    export DISPLAY=":$(head -n1 "$E2E_WORK/display")"
}

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

# Waits at most the given number of seconds for the process to end, then sets
# EXIT_STATUS to its status. Returns 1 if it is still running.
wait_exit() {
    local pid=$1 limit=$2 i
    for ((i = 0; i < limit * 20; i++)); do
        if finished "$pid"; then
            wait "$pid"
            EXIT_STATUS=$?
            return 0
        fi
        sleep 0.05
    done
    return 1
}

# The first child process of a process, waiting up to five seconds for one.
child_of() {
    local i child
    for ((i = 0; i < 100; i++)); do
        child=$(cat /proc/"$1"/task/*/children 2>/dev/null | awk '{print $1; exit}')
        [ -n "$child" ] && { echo "$child"; return 0; }
        sleep 0.05
    done
    return 1
}

# Number of non-black pixels shown in a window.
non_black() {
    "$XPROBE" pixels "$1" | sed -n 's/^nonblack=\([0-9]*\) .*/\1/p'
}

# Polls until `non_black WIN` satisfies the test (e.g. "-eq 0"), or fails.
await_pixels() {
    local win=$1 op=$2 value=$3 what=$4 i count
    for ((i = 0; i < 60; i++)); do
        count=$(non_black "$win")
        [ -n "$count" ] && [ "$count" "$op" "$value" ] && return 0
        sleep 0.1
    done
    fail "$what: $count pixels not black, expected $op $value"
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
    box=$("$XPROBE" find "Unhandled Exception" 10000) || fail "no window titled \"Unhandled Exception\""
    dialog=$(child_of "$program") || fail "the program started no dialog process"
    mapfile -d '' argv </proc/"$dialog"/cmdline
    echo "dialog: ${argv[*]}"
    for arg in "${argv[@]}"; do [ "$arg" = "$text" ] && found=yes; done
    [ "$found" = yes ] || fail "the dialog's arguments lack the text \"$text\""
    finished "$program" && fail "the program ended before the box was dismissed"

    "$XPROBE" close "$box" || xdotool key --window "$box" Return || fail "could not dismiss the box"
    wait_exit "$program" 10 || fail "still running 10 s after the box was dismissed"
    [ "$EXIT_STATUS" -eq 1 ] || fail "exit status $EXIT_STATUS after the box, not 1"
}
