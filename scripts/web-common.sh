# Shared by the web and test scripts (sourced after common.sh): the browser
# build's tools, SDL 1.2's source, the build itself, and the npm packages
# the page tests drive Chromium with. WEB_BUILD_DIR may be set by the caller.

WEB_BUILD_DIR="${WEB_BUILD_DIR:-$ROOT/build-web}"
# libsdl1.2-dev: the desktop's SDL, whose version the browser build's SDL
# source matches. dpkg-dev: dpkg-source, to unpack it with Debian's patches.
WEB_PACKAGES=(emscripten chromium cmake make libsdl1.2-dev dpkg-dev)

# emcc runs Node scripts that need Debian's Node modules, which a Node.js
# from elsewhere doesn't look for.
emscripten_env() { NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}" "$@"; }

# SDL 1.2's source as Debian ships it, the version the desktop build links,
# unpacked with Debian's patches into $1. A private apt folder lists the
# source packages of the archives the system already installs from, so the
# system's apt configuration stays as it is.
fetch_sdl_source() {
    local dest=$1
    [ -f "$dest/src/video/SDL_bmp.c" ] && return 0
    local package version work
    package=$(dpkg-query -W -f='${source:Package}' libsdl1.2-dev)
    version=$(dpkg-query -W -f='${source:Version}' libsdl1.2-dev)
    work=$(mktemp -d)
    mkdir -p "$work/lists/partial" "$work/parts" "$work/cache/archives/partial"
    local file
    : >"$work/sources.list"
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$file" ] && sed -n 's/^deb \(.*\)/deb-src \1/p' "$file" >>"$work/sources.list"
    done
    for file in /etc/apt/sources.list.d/*.sources; do
        [ -f "$file" ] && sed 's/^Types:.*/Types: deb-src/' "$file" >"$work/parts/$(basename "$file")"
    done
    local apt=(apt-get -qq -o "Dir::Etc::SourceList=$work/sources.list"
        -o "Dir::Etc::SourceParts=$work/parts" -o "Dir::State::Lists=$work/lists"
        -o "Dir::Cache=$work/cache" -o APT::Sandbox::User=root)
    echo "Fetching the source of $package $version"
    # apt checks the files against the archive's signed index; dpkg-source's
    # own signature check has no keyring here and only warns.
    local status=0
    "${apt[@]}" update &&
        (cd "$work" && "${apt[@]}" source --download-only "$package=$version" &&
            dpkg-source -x "${package}_${version#*:}.dsc" source >unpack.log 2>&1) &&
        rm -rf "$dest" && mkdir -p "$(dirname "$dest")" && mv "$work/source" "$dest" || status=$?
    [ "$status" -eq 0 ] || cat "$work/unpack.log" >&2 2>/dev/null
    rm -rf "$work"
    return $status
}

# puppeteer-core and what it needs, at the versions the lockfile gives, in
# the build folder (the page tests drive Debian's Chromium with it).
install_page_test_modules() {
    local modules="$WEB_BUILD_DIR/page-tests"
    cmp -s "$ROOT/tests/web/package-lock.json" "$modules/package-lock.json" &&
        [ -d "$modules/node_modules" ] && return 0
    mkdir -p "$modules"
    cp "$ROOT/tests/web/package.json" "$ROOT/tests/web/package-lock.json" "$modules/"
    (cd "$modules" && npm ci --no-audit --no-fund --loglevel=error)
}

build_web() {  # build_web [CMAKE_ARGS...]
    fetch_sdl_source "$WEB_BUILD_DIR/sdl-source"
    # Node runs the build's own programs (the default bitmaps are drawn at
    # build time); emcmake's default adds a flag today's Node refuses.
    emscripten_env emcmake cmake -S "$ROOT" -B "$WEB_BUILD_DIR" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_CROSSCOMPILING_EMULATOR="$(command -v node)" \
        -DFRACTALS_SDL_SOURCE="$WEB_BUILD_DIR/sdl-source" "$@" >/dev/null
    emscripten_env cmake --build "$WEB_BUILD_DIR" -j "$(nproc)"
}
