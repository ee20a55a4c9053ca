#!/usr/bin/env bash
# fractals-render.exe under Wine draws the Linux program's frames: the digest
# of frames 0-999 with keys, on every display format, from the literal
# renderer and from the fast one in each instruction-set version this
# processor runs, against the Linux fractals-render's.
#
#   digests.sh WINDOWS_RENDER LINUX_RENDER BITMAP_DIR FORMAT
set -u
windows=$1 linux=$2 bitmaps=$3 format=$4
failures=0 passed=0
unset FRACTALS_CPU

# digest PROGRAM ARGS...: the digest line's hash, empty on failure. A
# Windows program ends its lines with CR LF.
digest() {
    "$@" --images "$bitmaps" --frames 1000 --keys 30:up,60:down,99:up,250:down,600:up --digest |
        tr -d '\r' | sed -n 's/^digest: \([0-9a-f]\{16\}\)$/\1/p'
}

# The Windows program's own list of the versions it can run here, from its
# refusal of a name that is none.
versions=$(FRACTALS_CPU=none "$windows" --frames 1 2>&1 | tr -d '\r' |
    sed -n 's/.*names no version; this processor can run //p' | tr -d ,)
[ -n "$versions" ] || { echo "FAILED: fractals-render.exe named no versions"; exit 1; }

# Linux's renderers and versions agree with each other (test_renderers).
reference=$(digest "$linux" --format "$format")
[ -n "$reference" ] || { echo "FAILED: no Linux digest on $format"; exit 1; }
for run in literal $versions; do
    if [ "$run" = literal ]; then
        got=$(digest "$windows" --format "$format" --renderer literal)
    else
        got=$(FRACTALS_CPU=$run digest "$windows" --format "$format" --renderer fast)
    fi
    echo "$format $run: Linux $reference, Windows ${got:-none}"
    if [ "$got" = "$reference" ]; then
        passed=$((passed + 1))
    else
        echo "FAILED: $format $run"
        failures=$((failures + 1))
    fi
done
echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
