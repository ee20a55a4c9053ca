#!/usr/bin/env bash
# The demo in a web browser: installs what is missing, builds build-web/
# (the page, its .js and .wasm, the default bitmaps, all in build-web/demo)
# and serves it on 127.0.0.1, printing the address.
#   bash scripts/web.sh          build and serve (PORT=8000 by default)
#   bash scripts/web.sh build    only build
source "$(dirname "$0")/common.sh"
source "$(dirname "$0")/web-common.sh"
install_packages "${WEB_BUILD_PACKAGES[@]}"
build_web

[ "${1:-}" = build ] && exit 0
PORT="${PORT:-8000}"
echo "Serving the demo at http://127.0.0.1:$PORT/ (Ctrl+C stops)"
cd "$WEB_BUILD_DIR/demo"
exec python3 -m http.server --bind 127.0.0.1 "$PORT"
