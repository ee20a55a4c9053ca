# Shared by the demo and test scripts: install what is missing, then build.
# Sourced, not run. BUILD_DIR may be set by the caller.

set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build}"

# What building and running the program needs: the demo installs no more.
# dpkg-dev: dpkg-buildflags, the hardening flags of the Linux builds.
# zlib1g-dev: the icon's PNG files are compressed with zlib.
PACKAGES=(g++ cmake make pkg-config libsdl1.2-dev dpkg-dev zlib1g-dev)
# What the tests add. libx11-dev: the end-to-end tests' X probe.
# libsdl2-2.0-0: SDL2 and the libraries it links, for the test run on the
# SDL 1.2 compatibility layer (whose own package conflicts with the classic
# library, so it is unpacked into the build folder instead). time: peak
# memory in the long-run bench. dpkg-dev (dpkg-shlibdeps), lintian,
# desktop-file-utils, appstream, man-db and diffoscope-minimal (where two
# builds differ): the Debian package's checks. icoutils: the icons read
# back, from the package and from the Windows programs.
TEST_PACKAGES=(libgtest-dev xvfb xdotool x11-utils libx11-dev libsdl2-2.0-0 time
    dpkg-dev lintian desktop-file-utils appstream man-db diffoscope-minimal icoutils)

# What scripts/debian-root.sh needs of the host to make and use a root of
# another release: xvfb for the demo's window, g++ and libx11-dev for the
# probe that looks at it.
ROOT_PACKAGES=(debootstrap debian-archive-keyring g++ libx11-dev xvfb)

install_missing() { install_packages "${PACKAGES[@]}"; }

# Installs those of the named Debian packages that are missing.
install_packages() {
    local missing=()
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# The one SDL 1.2 source that every build compiling SDL takes (the sanitizer
# run, the fuzzer, the browser, Windows, other architectures), whatever the
# host's own SDL: Debian's classic libsdl1.2 with Debian's patches, the
# version every frame, digest and test was made with, and the project's own
# few patches (packaging/sdl-patches, each saying why). Its .dsc's digest
# pins the rest (dpkg-source checks the tarballs against it); a later
# version is a change of these three lines.
SDL_SOURCE_PACKAGE=libsdl1.2
SDL_SOURCE_VERSION=1.2.15+dfsg2-8
SDL_SOURCE_DSC_SHA256=ff6cf187235703226f91af9d636255c5d7141bf1a693aa37293ceeb11430cc33
SDL_SOURCE_DIR="${SDL_SOURCE_DIR:-$ROOT/build-deps/sdl-source}"
SDL_PATCHES_DIR="$ROOT/packaging/sdl-patches"

# What the unpacked source is: the version and the project's patches on it.
# A build of SDL from it is made again when this changes.
sdl_source_identity() {
    echo "$SDL_SOURCE_PACKAGE $SDL_SOURCE_VERSION $(cat "$SDL_PATCHES_DIR"/*.patch | sha256sum | cut -c1-16)"
}

# The Debian archives to fetch it from: the ones the system installs from,
# then Debian's own.
debian_mirrors() {
    local file
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$file" ] && sed -n 's/^deb \(\[[^]]*\] \)\{0,1\}\([^ ]*\) .*/\2/p' "$file"
    done
    for file in /etc/apt/sources.list.d/*.sources; do
        [ -f "$file" ] && sed -n 's/^URIs: *//p' "$file" | tr ' ' '\n'
    done
    echo http://deb.debian.org/debian
}

# Unpacks that source into SDL_SOURCE_DIR, once (again if the version there
# isn't the pinned one). The files come from the pool of the first archive
# that serves them, each checked against its digest by apt's own downloader.
fetch_sdl_source() {
    [ "$(cat "$SDL_SOURCE_DIR/.identity" 2>/dev/null)" = "$(sdl_source_identity)" ] && return 0
    install_packages dpkg-dev xz-utils patch
    echo "Fetching the source of $SDL_SOURCE_PACKAGE $SDL_SOURCE_VERSION into $SDL_SOURCE_DIR"
    local work
    work=$(mktemp -d)
    # A subshell, so that its trap removes the temporary folder and says
    # what failed on every way out.
    (
        step="starting"
        trap 'status=$?; rm -rf "$work"; [ $status -eq 0 ] ||
            echo "fetch_sdl_source: $step failed (status $status)" >&2' EXIT
        local dsc="${SDL_SOURCE_PACKAGE}_${SDL_SOURCE_VERSION#*:}.dsc" mirror pool fetched=""
        pool="pool/main/${SDL_SOURCE_PACKAGE:0:4}/$SDL_SOURCE_PACKAGE"
        [[ $SDL_SOURCE_PACKAGE == lib* ]] || pool="pool/main/${SDL_SOURCE_PACKAGE:0:1}/$SDL_SOURCE_PACKAGE"
        local helper=(/usr/lib/apt/apt-helper -qq)
        [ "$(id -u)" -eq 0 ] && helper+=(-o APT::Sandbox::User=root)
        fetch() {  # fetch MIRROR FILE SHA256
            echo "$1/$pool/$2:" >>"$work/fetch.log"
            "${helper[@]}" download-file "$1/$pool/$2" "$work/$2" "SHA256:$3" >>"$work/fetch.log" 2>&1
        }
        step="downloading $dsc"
        for mirror in $(debian_mirrors | awk '!seen[$0]++'); do
            fetch "${mirror%/}" "$dsc" "$SDL_SOURCE_DSC_SHA256" && { fetched=${mirror%/}; break; }
        done
        [ -n "$fetched" ] || { cat "$work/fetch.log" >&2; false; }
        local sum size file
        while read -r sum size file; do
            step="downloading $file from $fetched"
            fetch "$fetched" "$file" "$sum" || { cat "$work/fetch.log" >&2; false; }
        done < <(sed -n '/^Checksums-Sha256:/,/^[^ ]/s/^ \([0-9a-f]\{64\}\) \([0-9]*\) \(.*\)/\1 \2 \3/p' "$work/$dsc")
        # dpkg-source checks the files against the .dsc; its signature check
        # has no keyring here and only warns (the pinned digest stands in).
        step="unpacking $dsc"
        (cd "$work" && dpkg-source -x "$dsc" source >unpack.log 2>&1) || { tail -n3 "$work/unpack.log" >&2; false; }
        local patch
        for patch in "$SDL_PATCHES_DIR"/*.patch; do
            step="applying $patch"
            patch -d "$work/source" -p1 --no-backup-if-mismatch -s <"$patch"
        done
        sdl_source_identity >"$work/source/.identity"
        step="moving the source into $SDL_SOURCE_DIR"
        rm -rf "$SDL_SOURCE_DIR" && mkdir -p "$(dirname "$SDL_SOURCE_DIR")" && mv "$work/source" "$SDL_SOURCE_DIR"
    )
}

# SDL 1.2 built with its own configure from a copy of SDL_SOURCE_DIR, once:
# build_sdl WORK PREFIX HOST [CONFIGURE_ARGS... VAR=VALUE...]
# HOST is the GNU triplet it runs on; CC and flags go in as VAR=VALUE. The
# source's 2009 config.sub and config.guess know neither arm64 nor riscv64,
# so Debian's current ones (autotools-dev) replace them where installed.
# SDL_MAKE_CC, when set, is the compiler command make builds with instead of
# configure's CC: flags that would slow every configure check go there.
build_sdl() {
    local work="$1" prefix="$2" host="$3"
    shift 3
    fetch_sdl_source
    [ "$(cat "$prefix/.built" 2>/dev/null)" = "$(sdl_source_identity)" ] && return 0
    echo "Building SDL 1.2 for $host from Debian's source package in $work"
    rm -rf "$work" "$prefix" && mkdir -p "$work"
    # SDL builds in its own source folder: a copy, so the shared one stays clean.
    cp -a "$SDL_SOURCE_DIR" "$work/src"
    local file
    for file in config.sub config.guess; do
        [ -f "/usr/share/misc/$file" ] && cp "/usr/share/misc/$file" "$work/src/build-scripts/$file"
    done
    # The patches change configure.in; the configure they ship serves as it is.
    touch "$work/src/configure"
    (cd "$work/src" &&
        ./configure --build="$(gcc -dumpmachine)" --host="$host" --prefix="$prefix" "$@" \
            >"$work/configure.log" &&
        make -j "$(nproc)" ${SDL_MAKE_CC:+CC="$SDL_MAKE_CC"} >"$work/make.log" 2>&1 &&
        make install >"$work/install.log" 2>&1) ||
        { echo "SDL's build failed: see $work" >&2; return 1; }
    sdl_source_identity >"$prefix/.built"
}

# The other Debian architectures scripts/cross.sh builds for: sets
# CROSS_TRIPLET (the GNU triplet, whose g++-TRIPLET is Debian's cross
# compiler) and CROSS_QEMU (qemu-user's program for it).
cross_target() {
    case "$1" in
    arm64) CROSS_TRIPLET=aarch64-linux-gnu CROSS_QEMU=qemu-aarch64 ;;
    armhf) CROSS_TRIPLET=arm-linux-gnueabihf CROSS_QEMU=qemu-arm ;;
    i386) CROSS_TRIPLET=i686-linux-gnu CROSS_QEMU=qemu-i386 ;;
    ppc64el) CROSS_TRIPLET=powerpc64le-linux-gnu CROSS_QEMU=qemu-ppc64le ;;
    riscv64) CROSS_TRIPLET=riscv64-linux-gnu CROSS_QEMU=qemu-riscv64 ;;
    s390x) CROSS_TRIPLET=s390x-linux-gnu CROSS_QEMU=qemu-s390x ;;
    *) return 1 ;;
    esac
}
CROSS_ARCHITECTURES="arm64 armhf i386 ppc64el riscv64 s390x"

# What cross-building for the named architectures needs besides PACKAGES:
# their compilers, qemu-user, Debian's current config.sub and config.guess
# for SDL's configure, and googletest's sources for the tests.
cross_packages() {
    local arch
    echo qemu-user autotools-dev googletest
    for arch in "$@"; do
        cross_target "$arch" && echo "g++-$CROSS_TRIPLET"
    done
}

# SOURCE_DATE_EPOCH, the time every reproducible build stamps on what it
# makes: as the caller gives it, or the time of the last commit; exported.
source_date_epoch() {
    if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
        SOURCE_DATE_EPOCH=$(git -C "$ROOT" log -1 --format=%ct 2>/dev/null) ||
            { echo "SOURCE_DATE_EPOCH is unset and $ROOT has no git history: set it" >&2; return 1; }
    fi
    export SOURCE_DATE_EPOCH
}

# build PRESET [CMAKE_ARGS...]: configures BUILD_DIR with that preset of
# CMakePresets.json and builds it; BUILD_TARGETS, if set, names the only
# targets built.
build() {
    local preset=$1
    shift
    (cd "$ROOT" && cmake --preset "$preset" -B "$BUILD_DIR" "$@")
    cmake --build "$BUILD_DIR" -j "$(nproc)" ${BUILD_TARGETS:+--target $BUILD_TARGETS}
}

# SDL 1.2 for this machine with its code under the sanitizers (the sanitizer
# run, the fuzzer): only what the program uses, video, events and timers,
# with the dummy driver and any more given:
# build_checked_sdl WORK PREFIX CC FLAGS [CONFIGURE_ARGS...]
# FLAGS go to the compiler and the linker when make builds SDL, not to
# configure's checks, which they make several times slower; SDL is built
# again when they or the arguments change.
build_checked_sdl() {
    local work="$1" prefix="$2" cc="$3" flags="$4"
    shift 4
    local recipe="$cc $flags $*"
    [ "$(cat "$prefix/.recipe" 2>/dev/null)" = "$recipe" ] || rm -f "$prefix/.built"
    SDL_MAKE_CC="$cc $flags" build_sdl "$work" "$prefix" "$(gcc -dumpmachine)" \
        --disable-audio --disable-cdrom --disable-joystick --disable-video-opengl \
        --disable-video-fbcon --disable-video-directfb --disable-video-svga --disable-video-ggi \
        --disable-video-aalib --disable-video-caca --disable-input-tslib --enable-video-dummy "$@" \
        CC="$cc" CFLAGS="-O2 -g" &&
        echo "$recipe" >"$prefix/.recipe"
}
