#!/usr/bin/env bash
# Installs what is missing, builds, and runs the tests in six runs:
#   1. the normal build on the classic SDL 1.2 library, its Debian package
#      included;
#   2. a second build under AddressSanitizer and UndefinedBehaviorSanitizer,
#      on SDL 1.2 built from Debian's source under them too, then a minute
#      of the bitmap fuzzer (scripts/fuzz.sh);
#   3. the browser build: its suites under Node and the page in headless
#      Chromium, compared with the desktop build (scripts/web.sh);
#   4. the Windows programs, cross-built, under Wine (scripts/windows.sh);
#   5. the programs of other Debian architectures (arm64, and s390x with
#      the other byte order), cross-built, under qemu-user (scripts/cross.sh);
#   6. the normal build again on the SDL 1.2 compatibility layer over SDL2,
#      unpacked into the build folder and put first on the library path
#      (compiled against the classic headers: only the runtime changes).
# Each run names the SDL library it used, and each tests every version of
# the fast renderer's kernels this processor runs: the versions share one
# literal reference, so each adds only its own fast frames, and the
# sanitizer run is where a vector load past a buffer's end would show.
source "$(dirname "$0")/common.sh"
source "$(dirname "$0")/web-common.sh"
install_packages "${PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${WEB_PACKAGES[@]}"
build tests

SANITIZE_DIR="${SANITIZE_DIR:-$BUILD_DIR-sanitize}"
COMPAT_DIR="$BUILD_DIR/sdl-compat"
MULTIARCH="$(gcc -print-multiarch)"

# The SDL 1.2 library the dynamic linker picks for a build's program right now.
sdl_in_use() {  # sdl_in_use BUILD_FOLDER
    local library
    library=$(ldd "$1/demo/fractals" | awk '/libSDL-1\.2\.so/ {print $3; exit}')
    echo "$(readlink -f "$library")"
}

run_tests() {  # run_tests LABEL BUILD_FOLDER [CTEST_ARGS...]
    echo "== Tests, $1: SDL library $(sdl_in_use "$2")"
    ctest --test-dir "$2" --output-on-failure -j "$(nproc)" --timeout 1200 "${@:3}"
}

# The compatibility layer and SDL2 as Debian ships them, unpacked (not
# installed: the layer's package conflicts with the classic library).
unpack_compat_sdl() {
    [ -e "$COMPAT_DIR/usr/lib/$MULTIARCH/sdl12-compat/libSDL-1.2.so.0" ] && return 0
    local debs="$COMPAT_DIR.debs"
    rm -rf "$debs" "$COMPAT_DIR" && mkdir -p "$debs"
    download() { (cd "$debs" && apt-get download -qq -o APT::Sandbox::User=root libsdl1.2-compat libsdl2-2.0-0); }
    if ! download; then
        local sudo=""
        [ "$(id -u)" -ne 0 ] && sudo="sudo"
        $sudo apt-get update -qq
        download
    fi
    for deb in "$debs"/*.deb; do dpkg -x "$deb" "$COMPAT_DIR"; done
}

run_tests "classic SDL 1.2" "$BUILD_DIR"

# SDL 1.2 from Debian's source under the same sanitizers as the program
# (FRACTALS_SANITIZE in CMakeLists.txt), so that the hostile bitmaps reach
# an instrumented loader; with the X11 driver for the end-to-end tests.
# Shifts recover in SDL alone, so that tests/sanitizer/ubsan.supp can pass
# over its two harmless ones; any other report still halts.
SANITIZE_FLAGS="-fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all -fno-omit-frame-pointer"
build_checked_sdl "$SANITIZE_DIR/sdl-build" "$SANITIZE_DIR/sdl" gcc "$SANITIZE_FLAGS -fsanitize-recover=shift" \
    --disable-static --enable-video-x11 --disable-x11-shared
BUILD_DIR="$SANITIZE_DIR" build sanitize -DFRACTALS_SDL_PREFIX="$SANITIZE_DIR/sdl"
# The renderer equivalence run is twenty times slower under the sanitizers.
FRACTALS_EQUIV_FRAMES=200 run_tests "AddressSanitizer and UndefinedBehaviorSanitizer, classic SDL 1.2 from source" \
    "$SANITIZE_DIR"

# A short campaign of the bitmap fuzzer from the seeds and the corpus kept
# from earlier runs.
bash "$ROOT/scripts/fuzz.sh" 60

install_page_test_modules
build_web -DFRACTALS_HOST_BUILD="$BUILD_DIR"
echo "== Tests, browser build: SDL $(dpkg-query -W -f='${source:Version}' libsdl1.2-dev) from source," \
    "Node $(node --version), $(/usr/bin/chromium --version)"
ctest --test-dir "$WEB_BUILD_DIR" --output-on-failure -j "$(nproc)" --timeout 1200

# The Windows programs, cross-built by scripts/windows.sh, under Wine; the
# Linux build lends its X probe, bitmap forger and reference digests.
FRACTALS_HOST_BUILD="$BUILD_DIR" bash "$ROOT/scripts/windows.sh"
echo "== Tests, Windows programs under $(wine --version): SDL.dll built from Debian's libsdl1.2 source"
ctest --test-dir "$ROOT/build-windows/cross" --output-on-failure -j "$(nproc)" --timeout 1200

# Both architectures' builds at once (SDL's configure keeps only one core
# busy), from the one copy of SDL's source; their tests compare with the
# native build's digests.
CROSS_TESTED=(arm64 s390x)
install_packages $(cross_packages "${CROSS_TESTED[@]}")
fetch_sdl_source
cross_jobs=()
for arch in "${CROSS_TESTED[@]}"; do
    mkdir -p "$ROOT/build-$arch"
    FRACTALS_HOST_BUILD="$BUILD_DIR" bash "$ROOT/scripts/cross.sh" "$arch" >"$ROOT/build-$arch/cross.log" 2>&1 &
    cross_jobs+=($!)
done
for i in "${!CROSS_TESTED[@]}"; do
    wait "${cross_jobs[$i]}" || { tail -n 40 "$ROOT/build-${CROSS_TESTED[$i]}/cross.log"; exit 1; }
done
for arch in "${CROSS_TESTED[@]}"; do
    cross_target "$arch"
    echo "== Tests, $arch under $("$CROSS_QEMU" --version | head -n1): SDL built from Debian's libsdl1.2 source"
    ctest --test-dir "$ROOT/build-$arch" --output-on-failure -j "$(nproc)" --timeout 1200
done

unpack_compat_sdl
export LD_LIBRARY_PATH="$COMPAT_DIR/usr/lib/$MULTIARCH/sdl12-compat:$COMPAT_DIR/usr/lib/$MULTIARCH${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
# The Debian package was checked in the first run, on the library it depends on.
run_tests "SDL 1.2 compatibility layer over $(readlink -f "$COMPAT_DIR/usr/lib/$MULTIARCH/libSDL2-2.0.so.0")" \
    "$BUILD_DIR" --label-exclude package
