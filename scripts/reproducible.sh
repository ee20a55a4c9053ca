#!/usr/bin/env bash
# For whoever publishes a release: builds the Debian package, the Windows zip
# and the web site twice, each time from a copy of the last commit in a
# folder of its own (the second later, under another umask), and compares
# them byte for byte; the site by each file's name, mode and content. Where
# two builds differ, diffoscope says where, in build-reproducible/. Prints
# the sha256 of each, the same for anyone who builds this commit.
#
#   bash scripts/reproducible.sh
source "$(dirname "$0")/common.sh"
install_packages git diffoscope-minimal
source_date_epoch
fetch_sdl_source  # one copy of SDL's source for both builds
export SDL_SOURCE_DIR
WORK="${REPRODUCIBLE_DIR:-$ROOT/build-reproducible}"
rm -rf "$WORK" && mkdir -p "$WORK"

# Each file of a folder, with its mode and sha256, in a fixed order.
site_manifest() {
    (cd "$1" && find . -type f -printf '%m %p\n' | LC_ALL=C sort |
        while read -r mode path; do echo "$mode $(sha256sum <"$path" | cut -d' ' -f1) $path"; done)
}

build_copy() {  # build_copy NAME UMASK
    local out="$WORK/$1" copy="$WORK/$1/fractals"
    mkdir -p "$copy"
    (umask "$2" && git -C "$ROOT" archive HEAD | tar -x --no-same-permissions -C "$copy")
    echo "Building $(git -C "$ROOT" log -1 --format=%h) in $copy, umask $2 (log: $out.log)"
    (umask "$2" && cd "$copy" && bash scripts/package.sh && bash scripts/windows.sh &&
        bash scripts/web.sh build) >"$out.log" 2>&1 || { tail -n 30 "$out.log"; exit 1; }
    cp "$copy"/build/fractals_*.deb "$copy/build-windows/Fractals-windows.zip" "$out/"
    site_manifest "$copy/build-web/demo" >"$out/site.txt"
}

build_copy first 022
build_copy second 077

status=0
for file in $(cd "$WORK/first" && ls ./*.deb ./*.zip site.txt); do
    first="$WORK/first/$file" second="$WORK/second/$file"
    if cmp -s "$first" "$second"; then
        echo "same: $(basename "$file") $(sha256sum <"$first" | cut -d' ' -f1)"
    else
        status=1
        report="$WORK/$(basename "$file").diffoscope.txt"
        if [ "$file" = site.txt ]; then
            diff "$first" "$second" >"$report"
        else
            diffoscope --text "$report" "$first" "$second" >/dev/null 2>&1
        fi
        echo "DIFFERENT: $(basename "$file"): see $report"
    fi
done
exit "$status"
