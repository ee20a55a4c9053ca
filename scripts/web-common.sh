# Shared by the web and test scripts (sourced after common.sh): the browser
# build's tools, the build itself, and the npm packages the page tests drive
# Chromium with. WEB_BUILD_DIR may be set by the caller.

WEB_BUILD_DIR="${WEB_BUILD_DIR:-$ROOT/build-web}"
# What building and serving the page needs.
WEB_BUILD_PACKAGES=(emscripten cmake make)
# With what the page tests and the page benchmark drive: Chromium.
WEB_PACKAGES=("${WEB_BUILD_PACKAGES[@]}" chromium)

# emcc runs Node scripts that need Debian's Node modules, which a Node.js
# from elsewhere doesn't look for.
emscripten_env() { NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}" "$@"; }

# puppeteer-core and what it needs, at the versions the lockfile gives, in
# the build folder (the page tests drive Debian's Chromium with it).
install_page_test_modules() {
    local modules="$WEB_BUILD_DIR/page-tests"
    cmp -s "$ROOT/tests/web/package-lock.json" "$modules/package-lock.json" &&
        [ -d "$modules/node_modules" ] && return 0
    # Debian's Node comes without npm; a Node from elsewhere may bring its own,
    # and its package would refuse Debian's.
    command -v npm >/dev/null || install_packages npm
    mkdir -p "$modules"
    cp "$ROOT/tests/web/package.json" "$ROOT/tests/web/package-lock.json" "$modules/"
    (cd "$modules" && npm ci --no-audit --no-fund --loglevel=error)
}

build_web() {  # build_web [CMAKE_ARGS...]
    fetch_sdl_source
    # Node runs the build's own programs (the default bitmaps are drawn at
    # build time); emcmake's default adds a flag today's Node refuses.
    (cd "$ROOT" && emscripten_env emcmake cmake --preset web -B "$WEB_BUILD_DIR" \
        -DCMAKE_CROSSCOMPILING_EMULATOR="$(command -v node)" \
        -DFRACTALS_SDL_SOURCE="$SDL_SOURCE_DIR" "$@" >/dev/null)
    emscripten_env cmake --build "$WEB_BUILD_DIR" -j "$(nproc)"
    # The site's files readable by all, whatever the umask they were made under.
    chmod -R u=rwX,go=rX "$WEB_BUILD_DIR/demo"
}
