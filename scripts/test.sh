#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
source "$(dirname "$0")/common.sh"
install_missing
build
ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$(nproc)"
