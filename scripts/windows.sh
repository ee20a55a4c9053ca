#!/usr/bin/env bash
# The Windows programs: installs what is missing, builds SDL 1.2 for Windows
# from Debian's own source package (fetch_sdl_source; built once, it stays
# in the build folder),
# cross-builds fractals.exe and fractals-render.exe from the project's
# sources with mingw-w64, and packs build-windows/Fractals-windows.zip (with
# the project's licence, and SDL's beside SDL.dll): the same bytes from the
# same source, in any folder, at any time, under any umask.
# With FRACTALS_HOST_BUILD naming the Linux build, the tests that run the
# programs under Wine are built as well (scripts/test.sh runs them).
source "$(dirname "$0")/common.sh"

# wine runs what the build draws with (make_bitmaps) and the tests;
# googletest's sources build for Windows.
# libz-mingw-w64-dev: zlib for Windows, which the icon's drawing tool links.
PACKAGES+=(g++-mingw-w64-x86-64-win32 libz-mingw-w64-dev wine wine64 googletest zip)
WINDOWS_DIR="${WINDOWS_DIR:-$ROOT/build-windows}"
SDL_PREFIX="$WINDOWS_DIR/sdl"
HOST=x86_64-w64-mingw32

pack() {
    local stage="$WINDOWS_DIR/Fractals" cross="$WINDOWS_DIR/cross"
    rm -rf "$stage" "$WINDOWS_DIR/Fractals-windows.zip" && mkdir -p "$stage"
    cp "$cross/demo/fractals.exe" "$cross/fractals-render.exe" "$SDL_PREFIX/bin/SDL.dll" \
        "$cross"/demo/*.bmp "$stage/"
    # strip writes SOURCE_DATE_EPOCH's time into a PE header; 0 leaves it as
    # the linker did, without one.
    SOURCE_DATE_EPOCH=0 "$HOST-strip" "$stage"/*.exe "$stage/SDL.dll"
    # Text files with Windows' line ends; SDL's licence beside SDL.dll, as the LGPL asks.
    sed 's/$/\r/' "$cross/README.txt" >"$stage/README.txt"
    sed 's/$/\r/' "$ROOT/LICENSE" >"$stage/LICENSE.txt"
    sed 's/$/\r/' "$SDL_SOURCE_DIR/COPYING" >"$stage/SDL-COPYING.txt"
    cat "$SDL_PATCHES_DIR"/*.patch >"$stage/SDL-patches.diff"
    # Nothing of this machine's: fixed modes, the source's time, members in
    # a fixed order, no extra fields (owners, other times); zip writes local time.
    chmod 755 "$stage" && chmod 644 "$stage"/*
    touch -d "@$SOURCE_DATE_EPOCH" "$stage" "$stage"/*
    (cd "$WINDOWS_DIR" && find Fractals | LC_ALL=C sort | TZ=UTC0 zip -q -X -@ Fractals-windows.zip)
    echo "Packed $WINDOWS_DIR/Fractals-windows.zip"
}

install_missing
source_date_epoch
fetch_sdl_source
# SDL.dll without a time stamp in its header; built again where an earlier
# one was built otherwise.
sdl_recipe="--no-insert-timestamp"
[ "$(cat "$SDL_PREFIX/.recipe" 2>/dev/null)" = "$sdl_recipe" ] || rm -f "$SDL_PREFIX/.built"
build_sdl "$WINDOWS_DIR/sdl-build" "$SDL_PREFIX" "$HOST" CC="$HOST-gcc-win32" \
    LDFLAGS="-Wl,--no-insert-timestamp" --disable-static --disable-stdio-redirect
echo "$sdl_recipe" >"$SDL_PREFIX/.recipe"
testing=(-DBUILD_TESTING=OFF)
[ -n "${FRACTALS_HOST_BUILD:-}" ] && testing=(-DBUILD_TESTING=ON -DFRACTALS_HOST_BUILD="$FRACTALS_HOST_BUILD")
BUILD_DIR="$WINDOWS_DIR/cross" build windows \
    -DFRACTALS_SDL_PREFIX="$SDL_PREFIX" -DFRACTALS_SDL_SOURCE="$SDL_SOURCE_DIR" "${testing[@]}"
pack
