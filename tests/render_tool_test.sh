#!/usr/bin/env bash
# fractals-render end to end on the default bitmaps: saved frames, the
# closing line, the exit status of each kind of failure, that the fast and
# literal renderers export the same frames, and that FRACTALS_CPU picks the
# version of the fast renderer's kernels.
# Usage: render_tool_test.sh TOOL DEMO_DIR SCRATCH_DIR VERSION
set -u
tool=$1 demo=$2 scratch=$3 project_version=$4
unset FRACTALS_CPU  # the best version, unless a check names one
failures=0 passed=0

check() {  # check DESCRIPTION COMMAND...
    if "${@:2}"; then
        passed=$((passed + 1))
    else
        echo "FAILED: $1"
        failures=$((failures + 1))
    fi
}

# run EXPECTED_STATUS ARGS...: runs the tool, keeping its output in $scratch.
run() {
    local expected=$1
    shift
    "$tool" "$@" >"$scratch/stdout" 2>"$scratch/stderr"
    local status=$?
    if [ "$status" -ne "$expected" ]; then
        echo "exit status $status, wanted $expected: fractals-render $*"
        cat "$scratch/stderr"
        return 1
    fi
}

# with_cpu VERSION COMMAND...: the command with FRACTALS_CPU set to VERSION.
with_cpu() {
    local FRACTALS_CPU=$1
    export FRACTALS_CPU
    "${@:2}"
}

is_frame_bmp() {  # a BMP of 320 x 240
    [ -s "$1" ] && [ "$(head -c 2 "$1")" = "BM" ] &&
        [ "$(od -An -tu4 -j18 -N8 "$1" | tr -s ' ')" = " 320 240" ]
}

rm -rf "$scratch" && mkdir -p "$scratch/empty" "$scratch/half"

check "renders and saves the chosen frames" \
    run 0 --images "$demo" --frames 6 --keys 1:up,3:down --save 0,5 --out "$scratch/out"
check "frame 0 saved" is_frame_bmp "$scratch/out/frame-00000.bmp"
check "frame 5 saved" is_frame_bmp "$scratch/out/frame-00005.bmp"
check "only the chosen frames saved" test "$(ls "$scratch/out" | wc -l)" -eq 2
check "the key took effect" grep -q "frame 1: Up, bitmaps from frame 2 on: logo.bmp and lsd2.bmp" "$scratch/stdout"
check "closing line" grep -Eq '^6 frames in [0-9.]+ s: [0-9.]+ frames/s$' <(tail -n 1 "$scratch/stdout")

for format in xrgb8888 rgb565 rgb888 index8; do
    check "$format display" run 0 --images "$demo" --frames 2 --format "$format" \
        --save 1 --out "$scratch/$format"
    check "$format frame saved" is_frame_bmp "$scratch/$format/frame-00001.bmp"
done

# Frames 3 and 11 come after both keys, with the weight past 1.
for renderer in fast literal; do
    check "$renderer renderer" run 0 --images "$demo" --frames 12 --renderer "$renderer" \
        --keys 0:down,2:up --save 3,11 --out "$scratch/$renderer" --digest
    tail -n2 "$scratch/stdout" | head -n1 | grep -E '^digest: [0-9a-f]{16}$' >"$scratch/$renderer.digest"
done
for frame in 00003 00011; do
    check "fast and literal agree on frame $frame" \
        cmp -s "$scratch/fast/frame-$frame.bmp" "$scratch/literal/frame-$frame.bmp"
done
check "fast and literal give one digest" cmp -s "$scratch/fast.digest" "$scratch/literal.digest"
check "the digest line comes just before the closing line" test -s "$scratch/literal.digest"
# Every version this processor runs, named in the refusal of a name that isn't one.
check "unknown FRACTALS_CPU: status 2" with_cpu sse9 run 2 --frames 1
versions=$(sed -n 's/^fractals-render: FRACTALS_CPU="sse9" names no version; this processor can run //p' \
    "$scratch/stderr")
check "unknown FRACTALS_CPU: message names the versions, baseline first" \
    grep -Eq '^baseline(, avx2)?(, avx512)?$' <<<"$versions"
check "unknown FRACTALS_CPU: usage shown" grep -q "^usage: fractals-render" "$scratch/stderr"
for version in ${versions//,/}; do
    check "FRACTALS_CPU=$version" with_cpu "$version" run 0 --images "$demo" --frames 1
    check "$version: named in the first line" grep -q "fast renderer ($version)" <(head -n1 "$scratch/stdout")
done

check "other keys, another digest" run 0 --images "$demo" --frames 12 --keys 0:up --digest
check "... not the same" test "$(grep '^digest: ' "$scratch/stdout")" != "$(cat "$scratch/fast.digest")"

check "no bitmaps: status 1" run 1 --images "$scratch/empty" --frames 1
check "no bitmaps: the first pair's message" grep -q "Couldnt load Bitmap" "$scratch/stderr"
cp "$demo/lsd.bmp" "$demo/logo.bmp" "$scratch/half/"
check "second pair missing: status 1" run 1 --images "$scratch/half" --frames 1
check "second pair missing: its message" grep -q "Couldnt Load Bitmap" "$scratch/stderr"

# What can't be written is a failure, and leaves nothing behind: standard
# output on a full device; a frame cut short by a file size limit (standing
# in for a full disk, whose signal is ignored so the write fails instead).
unwritten_output() {
    "$tool" "$@" >/dev/full 2>"$scratch/stderr"
    [ $? -eq 1 ] && grep -q "^fractals-render: couldn't write to standard output" "$scratch/stderr"
}
check "digest to a full device: status 1" unwritten_output --images "$demo" --frames 3 --digest
check "version to a full device: status 1" unwritten_output --version
frame_cut_short() {
    (trap '' XFSZ && ulimit -f 100 &&
        run 1 --images "$demo" --frames 1 --save 0 --out "$scratch/cut") &&
        grep -q "^fractals-render: Couldnt save .*frame-00000.bmp" "$scratch/stderr" &&
        [ -z "$(ls -A "$scratch/cut")" ]
}
check "a frame cut short: status 1, no file left" frame_cut_short

check "unknown option: status 2" run 2 --frame 3
check "unknown option: usage shown" grep -q "^usage: fractals-render" "$scratch/stderr"
check "--save without --out: status 2" run 2 --save 1
check "help: status 0" run 0 --help
check "version: status 0" run 0 --version
check "version: the project's" test "$(cat "$scratch/stdout")" = "fractals-render $project_version"

echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
