#!/usr/bin/env bash
# Every hostile bitmap under one of the four names, the other three sound:
# fractals-render either renders or refuses with that name's load message and
# status 1. A crash, a hang, a sanitizer report or any other message fails,
# and so does asking for more than 1 GiB of memory.
#
#   hostile.sh FRACTALS_RENDER FORGE_BMP DEFAULT_BITMAPS NAME [ALLOC_GUARD]
#     NAME: lsd, logo, lsd2 or logo2
#     ALLOC_GUARD: alloc_guard's library, preloaded unless under AddressSanitizer
#   HOSTILE_CORPUS=DIR: the files in DIR instead of the forger's, each to be
#     rendered or refused (a fuzzer's corpus replayed on another SDL library)
# Prints one line per case: "NAME CASE rendered|refused".
set -u

RENDER=$1 FORGE=$2 DEFAULTS=$(cd "$3" && pwd) NAME=$4 GUARD=${5:-}
case "$NAME" in
lsd | logo) message="Couldnt load Bitmap" ;;
lsd2 | logo2) message="Couldnt Load Bitmap" ;;
*) echo "unknown name $NAME" >&2; exit 2 ;;
esac

WORK=$(mktemp -d)
trap 'chmod -R u+rwx "$WORK"; rm -rf "$WORK"' EXIT
mkdir "$WORK/corpus"
if [ -n "${HOSTILE_CORPUS:-}" ]; then
    for file in "$HOSTILE_CORPUS"/*; do
        cp "$file" "$WORK/corpus/${file##*/}.bmp" && echo "${file##*/} either"
    done >"$WORK/corpus/cases.txt"
else
    "$FORGE" corpus "$WORK/corpus" || { echo "forge_bmp failed" >&2; exit 1; }
fi

# Cases that are not bitmap files at all: made here, not by the forger.
extra_cases=(directory unreadable fifo dangling-link)
make_extra() {  # make_extra CASE PATH
    case "$1" in
    directory) mkdir "$2" ;;
    unreadable) cp "$DEFAULTS/lsd.bmp" "$2" && chmod 000 "$2" ;;
    fifo) mkfifo "$2" ;;
    dangling-link) ln -s "$WORK/nowhere.bmp" "$2" ;;
    esac
}

# Root reads any file whatever its mode; without these two capabilities the
# mode applies to root as well. Dropping them takes CAP_SETPCAP, and where
# that is missing (some containers) setpriv silently leaves them: the
# unreadable case is then skipped, as its file could be read.
as_user=()
if [ "$(id -u)" -eq 0 ]; then as_user=(setpriv --bounding-set -dac_override,-dac_read_search --); fi
touch "$WORK/mode-000" && chmod 000 "$WORK/mode-000"
unreadable_skip=""
if "${as_user[@]}" cat "$WORK/mode-000" 2>/dev/null; then
    unreadable_skip="a file of mode 000 is readable here"
    [ "$(id -u)" -eq 0 ] &&
        unreadable_skip="running as root, setpriv cannot drop CAP_DAC_OVERRIDE (no CAP_SETPCAP)"
fi

# Each run is held to 1 GiB, so that a loader trusting a header's size fails
# fast instead of swapping; the guard makes one request over the limit fatal
# rather than a quiet refusal. AddressSanitizer reserves terabytes of address
# space for its shadow, which the address-space limit forbids: its own limits
# on one allocation and on resident memory stand in.
limit_mb=1024
if ldd "$RENDER" | grep -q libasan; then
    export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}max_allocation_size_mb=$limit_mb:hard_rss_limit_mb=$limit_mb"
    limit_memory() { :; }
else
    limit_memory() { ulimit -v $((limit_mb * 1024)) && export LD_PRELOAD="$GUARD"; }
fi

failures=0 passed=0
run_case() {  # run_case CASE EXPECT
    local case=$1 expect=$2 dir="$WORK/run-$1"
    mkdir "$dir"
    for other in lsd logo lsd2 logo2; do
        [ "$other" = "$NAME" ] || ln -s "$DEFAULTS/$other.bmp" "$dir/$other.bmp"
    done
    if [ -e "$WORK/corpus/$case.bmp" ]; then
        cp "$WORK/corpus/$case.bmp" "$dir/$NAME.bmp"
    else
        make_extra "$case" "$dir/$NAME.bmp"
    fi

    (limit_memory && exec timeout 60 "${as_user[@]}" "$RENDER" --images "$dir" --frames 2) \
        >"$dir.out" 2>"$dir.err"
    local status=$? outcome
    if [ "$status" -eq 0 ] && [ ! -s "$dir.err" ] &&
        tail -n1 "$dir.out" | grep -qE '^2 frames in [0-9.]+ s: [0-9.]+ frames/s$'; then
        outcome=rendered
    elif [ "$status" -eq 1 ] && [ "$(cat "$dir.err")" = "fractals-render: $message" ]; then
        outcome=refused
    else
        outcome="status $status"
    fi
    echo "$NAME $case $outcome"

    local ok=no
    case "$expect:$outcome" in
    render:rendered | fail:refused | either:rendered | either:refused) ok=yes ;;
    esac
    if [ "$ok" = yes ]; then
        passed=$((passed + 1))
    else
        failures=$((failures + 1))
        echo "  FAILED: expected $expect; standard error:" >&2
        head -c 4000 "$dir.err" >&2
    fi
    rm -rf "$dir"
}

while read -r case expect; do run_case "$case" "$expect"; done <"$WORK/corpus/cases.txt"
for case in "${extra_cases[@]}"; do
    if [ "$case" = unreadable ] && [ -n "$unreadable_skip" ]; then
        echo "$NAME unreadable skipped: $unreadable_skip"
        continue
    fi
    run_case "$case" fail
done

echo "hostile bitmaps as $NAME.bmp: $passed passed, $failures failed"
[ "$failures" -eq 0 ]
