#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test, in seven stages:
#   linux     the normal build on the system's SDL 1.2, its Debian package
#             included;
#   sanitize  a second build under AddressSanitizer and
#             UndefinedBehaviorSanitizer, on classic SDL 1.2 built from its
#             pinned source under them too, then a minute of the bitmap
#             fuzzer (scripts/fuzz.sh);
#   web       the browser build: its suites under Node and the page in
#             headless Chromium, compared with the desktop build;
#   windows   the Windows programs, cross-built, under Wine;
#   cross     the programs of other Debian architectures (arm64, and s390x
#             with the other byte order), cross-built, under qemu-user;
#   library   the normal build again on the other SDL 1.2 put first on the
#             library path: where the system's is classic SDL 1.2 (Debian
#             12), the compatibility layer over SDL2, unpacked; where it is
#             the compatibility layer (Debian 13), classic SDL 1.2 built
#             from its pinned source. Compiled against the system's
#             headers: only the runtime changes;
#   release   the other Debian release (13 on 12, 12 on 13) in a minimal
#             root made for the run: the demo's window, the build, the
#             linux stage on that release's SDL 1.2 and the package's test
#             (scripts/debian-root.sh).
#
#   bash scripts/test.sh [STAGE...]     every stage by default
#
# Each run names the SDL library it used, and each tests every version of
# the fast renderer's kernels this processor runs: the versions share one
# literal reference, so each adds only its own fast frames, and the
# sanitizer run is where a vector load past a buffer's end would show.
source "$(dirname "$0")/common.sh"
source "$(dirname "$0")/web-common.sh"

ALL_STAGES=(linux sanitize web windows cross library release)
STAGES=("$@")
[ ${#STAGES[@]} -gt 0 ] || STAGES=("${ALL_STAGES[@]}")
for stage in "${STAGES[@]}"; do
    [[ " ${ALL_STAGES[*]} " == *" $stage "* ]] ||
        { echo "usage: bash scripts/test.sh [${ALL_STAGES[*]}]..." >&2; exit 2; }
done

SANITIZE_DIR="${SANITIZE_DIR:-$BUILD_DIR-sanitize}"
OTHER_SDL_DIR="$BUILD_DIR/sdl-other"

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

# The normal build, configured and built once however many stages use it.
linux_build() {
    [ -n "${LINUX_BUILT:-}" ] && return 0
    install_packages "${PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    build tests
    LINUX_BUILT=1
}

stage_linux() {
    linux_build
    run_tests "$(system_sdl_name)" "$BUILD_DIR"
}

# SDL 1.2 from its pinned source under the same sanitizers as the program
# (FRACTALS_SANITIZE in CMakeLists.txt), so that the hostile bitmaps reach
# an instrumented loader; with the X11 driver for the end-to-end tests.
# Shifts recover in SDL alone, so that tests/sanitizer/ubsan.supp can pass
# over its harmless one; any other report still halts.
stage_sanitize() {
    install_packages "${PACKAGES[@]}" "${TEST_PACKAGES[@]}" libxext-dev autotools-dev
    local flags="-fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all -fno-omit-frame-pointer"
    build_checked_sdl "$SANITIZE_DIR/sdl-build" "$SANITIZE_DIR/sdl" gcc "$flags -fsanitize-recover=shift" \
        --disable-static --enable-video-x11 --disable-x11-shared
    BUILD_DIR="$SANITIZE_DIR" build sanitize -DFRACTALS_SDL_PREFIX="$SANITIZE_DIR/sdl"
    # The renderer equivalence run is twenty times slower under the sanitizers.
    FRACTALS_EQUIV_FRAMES=200 run_tests \
        "AddressSanitizer and UndefinedBehaviorSanitizer, classic SDL 1.2 from source" "$SANITIZE_DIR"
    # A short campaign of the bitmap fuzzer from the seeds and the corpus
    # kept from earlier runs.
    bash "$ROOT/scripts/fuzz.sh" 60
}

stage_web() {
    linux_build
    install_packages "${WEB_PACKAGES[@]}"
    install_page_test_modules
    build_web -DFRACTALS_HOST_BUILD="$BUILD_DIR"
    echo "== Tests, browser build: SDL $SDL_SOURCE_VERSION from source," \
        "Node $(node --version), $(/usr/bin/chromium --version)"
    ctest --test-dir "$WEB_BUILD_DIR" --output-on-failure -j "$(nproc)" --timeout 1200
}

# The Windows programs, cross-built by scripts/windows.sh, under Wine; the
# Linux build lends its X probe, bitmap forger and reference digests.
stage_windows() {
    linux_build
    FRACTALS_HOST_BUILD="$BUILD_DIR" bash "$ROOT/scripts/windows.sh"
    echo "== Tests, Windows programs under $(wine --version): SDL.dll built from $SDL_SOURCE_PACKAGE $SDL_SOURCE_VERSION"
    ctest --test-dir "$ROOT/build-windows/cross" --output-on-failure -j "$(nproc)" --timeout 1200
}

# Both architectures' builds at once (SDL's configure keeps only one core
# busy), from the one copy of SDL's source; their tests compare with the
# native build's digests. When one fails, the other is ended rather than
# left running.
stage_cross() {
    linux_build
    local tested=(arm64 s390x) jobs=() i arch
    install_packages $(cross_packages "${tested[@]}")
    fetch_sdl_source
    for arch in "${tested[@]}"; do
        mkdir -p "$ROOT/build-$arch"
        FRACTALS_HOST_BUILD="$BUILD_DIR" bash "$ROOT/scripts/cross.sh" "$arch" >"$ROOT/build-$arch/cross.log" 2>&1 &
        jobs+=($!)
    done
    for i in "${!tested[@]}"; do
        wait "${jobs[$i]}" && continue
        end_jobs "${jobs[@]}"
        tail -n 40 "$ROOT/build-${tested[$i]}/cross.log"
        echo "The ${tested[$i]} build failed: see $ROOT/build-${tested[$i]}/cross.log" >&2
        return 1
    done
    for arch in "${tested[@]}"; do
        cross_target "$arch"
        echo "== Tests, $arch under $("$CROSS_QEMU" --version | head -n1): SDL built from $SDL_SOURCE_PACKAGE $SDL_SOURCE_VERSION"
        ctest --test-dir "$ROOT/build-$arch" --output-on-failure -j "$(nproc)" --timeout 1200
    done
}

# Ends background jobs and everything they started.
end_jobs() {
    local pid child
    for pid in "$@"; do
        for child in $(cat /proc/"$pid"/task/*/children 2>/dev/null); do end_jobs "$child"; done
        kill "$pid" 2>/dev/null || true
    done
    wait "$@" 2>/dev/null || true
}

# The system's SDL 1.2: classic SDL 1.2 or the compatibility layer.
system_sdl_is_classic() { [ "$(dpkg-query -W -f='${source:Package}' libsdl1.2-dev)" = libsdl1.2 ]; }
system_sdl_name() {
    if system_sdl_is_classic; then echo "classic SDL 1.2"; else echo "SDL 1.2 compatibility layer"; fi
}

# The compatibility layer and SDL2 as Debian ships them, unpacked (not
# installed: the layer's package conflicts with the classic library).
unpack_compat_sdl() {
    # Asked of the compiler only now: on a fresh machine the stages install it.
    local lib="$OTHER_SDL_DIR/usr/lib/$(gcc -print-multiarch)"
    local library="$lib/sdl12-compat" debs="$OTHER_SDL_DIR.debs"
    if [ ! -e "$library/libSDL-1.2.so.0" ]; then
        rm -rf "$debs" "$OTHER_SDL_DIR" && mkdir -p "$debs"
        download() { (cd "$debs" && apt-get download -qq -o APT::Sandbox::User=root libsdl1.2-compat libsdl2-2.0-0); }
        if ! download; then
            local sudo=""
            [ "$(id -u)" -ne 0 ] && sudo="sudo"
            $sudo apt-get update -qq
            download
        fi
        for deb in "$debs"/*.deb; do dpkg -x "$deb" "$OTHER_SDL_DIR"; done
    fi
    OTHER_SDL_PATH="$library:$lib"
    OTHER_SDL_NAME="SDL 1.2 compatibility layer over $(readlink -f "$lib/libSDL2-2.0.so.0")"
}

# Classic SDL 1.2 from its pinned source, built as Debian builds its
# library: shared, with the X11 driver (Xext's shared memory included) and
# the dummy one the suites use.
build_classic_sdl() {
    install_packages libx11-dev libxext-dev autotools-dev
    build_sdl "$OTHER_SDL_DIR-build" "$OTHER_SDL_DIR" "$(gcc -dumpmachine)" \
        --disable-static --disable-audio --disable-cdrom --disable-joystick --disable-video-opengl \
        --disable-video-fbcon --disable-video-directfb --disable-video-svga --disable-video-ggi \
        --disable-video-aalib --disable-video-caca --disable-input-tslib --enable-video-dummy \
        --enable-video-x11 --disable-x11-shared CC=gcc CFLAGS="-O2 -g"
    OTHER_SDL_PATH="$OTHER_SDL_DIR/lib"
    OTHER_SDL_NAME="classic SDL 1.2 built from $SDL_SOURCE_PACKAGE $SDL_SOURCE_VERSION"
}

stage_library() {
    linux_build
    if system_sdl_is_classic; then unpack_compat_sdl; else build_classic_sdl; fi
    # The Debian package was checked in the linux stage, on the library it depends on.
    LD_LIBRARY_PATH="$OTHER_SDL_PATH${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}" \
        run_tests "$OTHER_SDL_NAME" "$BUILD_DIR" --label-exclude package
}

# The host's build lends its frames' digests for the root's to match.
stage_release() {
    linux_build
    if [ -n "$RELEASE_PREPARATION" ]; then
        wait "$RELEASE_PREPARATION" ||
            { cat "$BUILD_DIR/release-prepare.log"; echo "Preparing the other release's root failed" >&2; return 1; }
        RELEASE_PREPARATION=""
    fi
    FRACTALS_HOST_BUILD="$BUILD_DIR" bash "$ROOT/scripts/debian-root.sh" --ci
}

# The release stage's root and packages come over the network while the
# other stages keep the cores busy; it is ended with the command.
RELEASE_PREPARATION=""
STAGE=""
on_exit() {
    local status=$?
    [ -z "$RELEASE_PREPARATION" ] || end_jobs "$RELEASE_PREPARATION"
    [ -z "$STAGE" ] || echo "test.sh: the $STAGE stage failed (status $status)" >&2
}
trap on_exit EXIT
if [[ " ${STAGES[*]} " == *" release "* ]] && [ ${#STAGES[@]} -gt 1 ]; then
    mkdir -p "$BUILD_DIR"
    # What the root's script needs of the host, installed before apt is busy with the stages'.
    install_packages "${ROOT_PACKAGES[@]}"
    bash "$ROOT/scripts/debian-root.sh" --prepare >"$BUILD_DIR/release-prepare.log" 2>&1 &
    RELEASE_PREPARATION=$!
fi

for STAGE in "${STAGES[@]}"; do
    "stage_$STAGE"
done
STAGE=""
