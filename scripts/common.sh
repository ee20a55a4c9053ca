# Shared by the demo and test scripts: install what is missing, then build.
# Sourced, not run. BUILD_DIR may be set by the caller.

set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build}"

# libx11-dev: the end-to-end tests' X probe. libsdl2-2.0-0: SDL2 and the
# libraries it links, for the test run on the SDL 1.2 compatibility layer
# (whose own package conflicts with the classic library, so it is unpacked
# into the build folder instead). time: peak memory in the long-run bench.
PACKAGES=(g++ cmake make pkg-config libsdl1.2-dev libgtest-dev xvfb xdotool x11-utils
    libx11-dev libsdl2-2.0-0 time)

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

build() {
    cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release "$@"
    cmake --build "$BUILD_DIR" -j "$(nproc)"
}
