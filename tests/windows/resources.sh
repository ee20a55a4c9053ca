#!/usr/bin/env bash
# The Windows programs' file properties: each carries the icon the build drew
# (every size of it) under the name SDL gives its window's class icon by,
# and a version resource naming the project's version.
#
#   resources.sh ICON VERSION PROGRAM.exe...
source "$(dirname "$0")/../e2e/lib.sh"

ICON=$1 VERSION=$2
shift 2
icotool -l "$ICON" >"$E2E_WORK/sizes" && [ -s "$E2E_WORK/sizes" ] || fail "icotool can't read $ICON"
for program in "$@"; do
    name=$(basename "$program")
    wrestool -x --type=group_icon -o "$E2E_WORK/$name.ico" "$program" &&
        icotool -l "$E2E_WORK/$name.ico" | cmp -s - "$E2E_WORK/sizes" ||
        fail "$name: no icon, or not the build's: $(wrestool -l "$program")"
    wrestool -l --type=group_icon "$program" | grep -qi -- "--name='SDL_app'" ||
        fail "$name: no icon named SDL_app: $(wrestool -l "$program")"
    # The version strings are UTF-16: their zero bytes go.
    wrestool -x --raw --type=version "$program" | tr -d '\0' >"$E2E_WORK/$name.version"
    for key in FileVersion ProductVersion; do
        grep -aq "$key$VERSION" "$E2E_WORK/$name.version" ||
            fail "$name: no $key $VERSION in $(wrestool -l "$program")"
    done
    echo "$name: icon of $(wc -l <"$E2E_WORK/sizes") sizes, version $VERSION"
done
