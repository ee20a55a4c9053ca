#!/usr/bin/env bash
# Another platform's fractals-render (the Windows program under Wine, another
# architecture's under qemu-user) draws the native program's frames: the
# digest of the frames with keys on one display format, from the literal
# renderer and from the fast one in each instruction-set version that
# program runs here, against the native fractals-render's.
#
#   digests.sh OTHER_RENDER NATIVE_RENDER BITMAP_DIR FORMAT FRAMES KEYS
set -u
other=$1 native=$2 bitmaps=$3 format=$4 frames=$5 keys=$6
failures=0 passed=0
unset FRACTALS_CPU

# digest PROGRAM ARGS...: the digest line's hash, empty on failure. A
# Windows program ends its lines with CR LF.
digest() {
    "$@" --images "$bitmaps" --frames "$frames" --keys "$keys" --digest |
        tr -d '\r' | sed -n 's/^digest: \([0-9a-f]\{16\}\)$/\1/p'
}

# The other program's own list of the versions it can run here, from its
# refusal of a name that is none.
versions=$(FRACTALS_CPU=none "$other" --frames 1 2>&1 | tr -d '\r' |
    sed -n 's/.*names no version; this processor can run //p' | tr -d ,)
[ -n "$versions" ] || { echo "FAILED: $other named no versions"; exit 1; }

# The native renderers and versions agree with each other (test_renderers).
reference=$(digest "$native" --format "$format")
[ -n "$reference" ] || { echo "FAILED: no native digest on $format"; exit 1; }
for run in literal $versions; do
    if [ "$run" = literal ]; then
        got=$(digest "$other" --format "$format" --renderer literal)
    else
        got=$(FRACTALS_CPU=$run digest "$other" --format "$format" --renderer fast)
    fi
    echo "$format $run: native $reference, other ${got:-none}"
    if [ "$got" = "$reference" ]; then
        passed=$((passed + 1))
    else
        echo "FAILED: $format $run"
        failures=$((failures + 1))
    fi
done
echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
