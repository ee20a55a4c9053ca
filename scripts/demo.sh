#!/usr/bin/env bash
# Installs what is missing, builds, and starts the demo with the bundled bitmaps.
source "$(dirname "$0")/common.sh"
install_missing
build
cd "$BUILD_DIR/demo"
exec ./fractals
