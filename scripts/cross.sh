#!/usr/bin/env bash
# Cross-builds the program and fractals-render for another Debian
# architecture into build-ARCH/: installs what is missing, builds SDL 1.2 for
# it from Debian's own source package (fetch_sdl_source; built once, it stays
# in build-ARCH/sdl) with its dummy video driver only, so that no headers of
# the target's are needed, then the project with Debian's cross compiler and
# cmake/debian-cross.cmake. What the build runs (make_bitmaps) runs under
# qemu-user, as the programs can:
#   qemu-aarch64 -L /usr/aarch64-linux-gnu build-arm64/fractals-render --help
# On the target itself, the programs take the system's own libSDL-1.2.so.0.
# With FRACTALS_HOST_BUILD naming the native build, the tests that run under
# qemu-user are built as well (scripts/test.sh runs them).
#
#   bash scripts/cross.sh arm64|armhf|i386|ppc64el|riscv64|s390x
source "$(dirname "$0")/common.sh"

arch=${1:-}
cross_target "$arch" || {
    echo "usage: bash scripts/cross.sh ${CROSS_ARCHITECTURES// /|}" >&2
    exit 2
}
CROSS_DIR="${CROSS_DIR:-$ROOT/build-$arch}"

install_packages "${PACKAGES[@]}" $(cross_packages "$arch")
# Every subsystem the programs don't use is left out: fewer checks for
# configure to make, and no target headers to look for.
build_sdl "$CROSS_DIR/sdl-build" "$CROSS_DIR/sdl" "$CROSS_TRIPLET" CC="$CROSS_TRIPLET-gcc" \
    --disable-static --disable-audio --disable-joystick --disable-cdrom --disable-loadso \
    --disable-video-x11 --disable-video-opengl --disable-video-fbcon --disable-video-directfb \
    --disable-video-svga --disable-video-ps2gs --disable-video-ps3 --disable-input-events \
    --disable-input-tslib
testing=(-DBUILD_TESTING=OFF)
[ -n "${FRACTALS_HOST_BUILD:-}" ] && testing=(-DBUILD_TESTING=ON -DFRACTALS_HOST_BUILD="$FRACTALS_HOST_BUILD")
BUILD_DIR="$CROSS_DIR" build cross \
    -DFRACTALS_CROSS_TRIPLET="$CROSS_TRIPLET" -DFRACTALS_CROSS_QEMU="$CROSS_QEMU" \
    -DFRACTALS_SDL_PREFIX="$CROSS_DIR/sdl" "${testing[@]}"
