#!/usr/bin/env bash
# The Debian package: installs what is missing, builds the program (no
# tests), and packs build/fractals_VERSION_ARCH.deb with CPack, which lays
# it out as cmake --install does under /usr.
source "$(dirname "$0")/common.sh"
# dpkg-shlibdeps for the package's runtime dependencies; CPack finds the
# programs to ask it about with file, which a minimal system lacks.
PACKAGES+=(dpkg-dev file)
install_missing
source_date_epoch  # the package's times; the same source gives the same bytes
build demo
# Under a fixed umask, as dpkg-buildpackage packs: the folders the package
# holds, and the members of the .deb itself, take its modes.
(cd "$BUILD_DIR" && umask 022 && cpack -G DEB)
