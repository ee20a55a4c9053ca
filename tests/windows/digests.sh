#!/usr/bin/env bash
# fractals-render.exe under Wine draws the Linux program's frames: the digest
# of frames 0-999 with keys, on every display format, from each renderer and
# each instruction-set version, against the Linux fractals-render's.
#
#   digests.sh WINDOWS_RENDER LINUX_RENDER BITMAP_DIR FORMAT
# CPU_VERSIONS (default: the program's own choice) lists FRACTALS_CPU values.
set -u
windows=$1 linux=$2 bitmaps=$3 format=$4
failures=0 passed=0

# digest PROGRAM ARGS...: the digest line's hash, empty on failure. A
# Windows program ends its lines with CR LF.
digest() {
    "$@" --images "$bitmaps" --frames 1000 --keys 30:up,60:down,99:up,250:down,600:up --digest |
        tr -d '\r' | sed -n 's/^digest: \([0-9a-f]\{16\}\)$/\1/p'
}

# Linux's renderers agree with each other (test_renderers); the fast one is quick.
reference=$(digest "$linux" --format "$format")
[ -n "$reference" ] || { echo "FAILED: no Linux digest on $format"; exit 1; }
for renderer in fast literal; do
    for cpu in ${CPU_VERSIONS:-default}; do
        if [ "$cpu" = default ]; then
            got=$(digest "$windows" --format "$format" --renderer "$renderer")
        else
            got=$(FRACTALS_CPU=$cpu digest "$windows" --format "$format" --renderer "$renderer")
        fi
        echo "$format $renderer $cpu: Linux $reference, Windows ${got:-none}"
        if [ "$got" = "$reference" ]; then
            passed=$((passed + 1))
        else
            echo "FAILED: $format $renderer $cpu"
            failures=$((failures + 1))
        fi
    done
done
echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
