#!/usr/bin/env bash
# The browser build's frame rate: the page in headless Chromium renders
# frames 0 to N-1 unthrottled (its scripted run, keys included) and reports
# its own figures, then runs as a visitor sees it while the frames it shows
# are counted; the same frames under Node for comparison, and the size of
# the page's files. Builds build-web first.
# Usage: bash bench/page_fps.sh [frames]
source "$(dirname "$0")/../scripts/common.sh"
source "$ROOT/scripts/web-common.sh"
install_packages "${WEB_PACKAGES[@]}"
install_page_test_modules
build_web >/dev/null

FRAMES="${1:-3000}"
KEYS=30:up,60:down,99:up
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
echo "page files in $WEB_BUILD_DIR/demo: $(du -cb "$WEB_BUILD_DIR"/demo/* | tail -n1 | cut -f1) bytes"
echo "Node $(node --version), fractals-render: $(node "$WEB_BUILD_DIR/fractals-render.js" \
    --images "$WEB_BUILD_DIR/demo" --frames "$FRAMES" --keys "$KEYS" | tail -n1)"
node "$ROOT/bench/page_fps.mjs" "$WEB_BUILD_DIR/page-tests" "$WEB_BUILD_DIR/demo" "$FRAMES" "$KEYS"
