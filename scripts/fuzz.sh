#!/usr/bin/env bash
# The bitmap path under libFuzzer: installs what is missing, builds SDL 1.2
# from Debian's source and the fuzzer (tests/fuzz) with clang, under the
# sanitizers, into build-fuzz/, and fuzzes for SECONDS (default 60) from the
# seeds: forge_bmp's files and the default bitmaps. The corpus it grows
# stays in build-fuzz/corpus and seeds the next run; an input that fails
# goes to build-fuzz/findings/ and fails the script. Then prints the
# executions per second and the lines of SDL's BMP loader and of the header
# check that the corpus reaches.
#
#   fuzz.sh [SECONDS]
source "$(dirname "$0")/common.sh"

# llvm: llvm-profdata and llvm-cov for the coverage report.
PACKAGES+=(clang libclang-rt-dev llvm autotools-dev)
FUZZ_DIR="${FUZZ_DIR:-$ROOT/build-fuzz}"
DURATION="${1:-60}"
FUZZER="$FUZZ_DIR/tests/fuzz/bmp_fuzzer"

# Each input is held to the hostile tests' limits: 1 GiB, and 10 s.
LIMITS=(-rss_limit_mb=1024 -malloc_limit_mb=1024 -timeout=10)
FLAGS="-fsanitize=address,undefined,float-cast-overflow,fuzzer-no-link -fno-sanitize-recover=all
    -fno-omit-frame-pointer -fprofile-instr-generate -fcoverage-mapping"

install_missing
build_checked_sdl "$FUZZ_DIR/sdl-build" "$FUZZ_DIR/sdl" clang "${FLAGS//$'\n'/}" \
    --disable-shared --disable-video-x11
# Every program of this build writes clang's coverage counters at exit;
# only the corpus replay's are read.
export LLVM_PROFILE_FILE="$FUZZ_DIR/coverage/unused.profraw"
BUILD_DIR="$FUZZ_DIR" build fuzz -DFRACTALS_SDL_PREFIX="$FUZZ_DIR/sdl"

seeds="$FUZZ_DIR/seeds"
rm -rf "$seeds"
mkdir -p "$seeds" "$FUZZ_DIR/corpus" "$FUZZ_DIR/findings"
# Without the forger's files the campaign would run on the default bitmaps
# alone, and pass.
"$FUZZ_DIR/tests/hostile/forge_bmp" corpus "$seeds" ||
    { echo "forge_bmp failed: no seeds to fuzz from" >&2; exit 1; }
rm "$seeds/cases.txt"
cp "$FUZZ_DIR"/demo/*.bmp "$seeds/"

echo "== Fuzzing the bitmap path for $DURATION s"
log="$FUZZ_DIR/fuzz.log"
status=0
"$FUZZER" "${LIMITS[@]}" -max_total_time="$DURATION" -print_final_stats=1 \
    -dict="$ROOT/tests/fuzz/bmp.dict" -artifact_prefix="$FUZZ_DIR/findings/" \
    "$FUZZ_DIR/corpus" "$seeds" >"$log" 2>&1 || status=$?
final_stat() { awk -v name="stat::$1:" '$1 == name {print $2}' "$log"; }
if [ "$status" -ne 0 ]; then
    tail -n 60 "$log" >&2
    echo "The fuzzer failed (status $status): the input is in $FUZZ_DIR/findings/, the log in $log" >&2
    exit 1
fi
echo "$(final_stat number_of_executed_units) executions, $(final_stat average_exec_per_sec) per second;" \
    "corpus of $(find "$FUZZ_DIR/corpus" -type f | wc -l) files in $FUZZ_DIR/corpus"

# Line coverage: the corpus and seeds run once more, clang's counters on.
coverage="$FUZZ_DIR/coverage"
LLVM_PROFILE_FILE="$coverage/corpus.profraw" "$FUZZER" "${LIMITS[@]}" -runs=0 \
    "$FUZZ_DIR/corpus" "$seeds" >"$coverage/replay.log" 2>&1 ||
    { tail -n 60 "$coverage/replay.log" >&2; echo "The corpus replay failed: see $coverage/replay.log" >&2; exit 1; }
llvm-profdata merge -sparse -o "$coverage/corpus.profdata" "$coverage/corpus.profraw"
sdl_bmp="$FUZZ_DIR/sdl-build/src/src/video/SDL_bmp.c"
header_check="$ROOT/src/surface/BmpHeader.cpp"
cov=(-instr-profile="$coverage/corpus.profdata" "$FUZZER")
llvm-cov show "${cov[@]}" -name=SDL_LoadBMP_RW "$sdl_bmp" >"$coverage/SDL_LoadBMP_RW.txt"
llvm-cov show "${cov[@]}" "$header_check" >"$coverage/BmpHeader.txt"
lines() {  # lines NAME COLUMN: "covered of total lines" from the row NAME of llvm-cov's table
    awk -v name="$1" -v at="$2" '$1 == name {printf "%d of %d lines", $at - $(at + 1), $at}'
}
echo "SDL's BMP loader (SDL_LoadBMP_RW): $(llvm-cov report "${cov[@]}" -show-functions "$sdl_bmp" |
    lines SDL_LoadBMP_RW 5)"
echo "The header check (BmpHeader.cpp): $(llvm-cov report "${cov[@]}" "$header_check" |
    lines TOTAL 8)"
echo "Line by line: $coverage/SDL_LoadBMP_RW.txt and $coverage/BmpHeader.txt"
