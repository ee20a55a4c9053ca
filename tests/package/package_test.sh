#!/usr/bin/env bash
# The Debian package, packed from this build as scripts/package.sh packs it:
# lintian finds neither error nor warning, the desktop entry is valid, the
# manual pages render, a PNG decoder reads every icon at its directory's
# size, and the program unpacked from the package opens its window when
# started as the desktop entry says (its command, in its folder).
#
#   package_test.sh CPACK_CONFIG XPROBE SCRATCH
source "$(dirname "$0")/../e2e/lib.sh"

CONFIG=$1 XPROBE=$2 SCRATCH=$3
rm -rf "$SCRATCH" && mkdir -p "$SCRATCH"
export LC_ALL=C.UTF-8

cpack --config "$CONFIG" -G DEB -B "$SCRATCH" >"$SCRATCH/cpack.log" 2>&1 ||
    fail "cpack: $(tail -n5 "$SCRATCH/cpack.log")"
deb=$(echo "$SCRATCH"/fractals_*.deb)
[ -f "$deb" ] || fail "no package in $SCRATCH"
echo "package: $(basename "$deb"), depends on $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -f "$deb" Depends | grep -q "libsdl1.2debian" || fail "the package doesn't depend on SDL 1.2"

lintian --fail-on error,warning "$deb" || fail "lintian"
echo "lintian: no errors, no warnings"

root="$SCRATCH/root"
dpkg-deb -x "$deb" "$root"
entry="$root/usr/share/applications/fractals.desktop"
desktop-file-validate "$entry" || fail "desktop-file-validate"

for page in "$root"/usr/share/man/man6/*.6.gz; do
    name=$(basename "$page" .6.gz)
    MANWIDTH=80 man --warnings -l "$page" >"$SCRATCH/$name.txt" 2>"$SCRATCH/$name.err" ||
        fail "man -l $page"
    [ ! -s "$SCRATCH/$name.err" ] || fail "man -l $page: $(cat "$SCRATCH/$name.err")"
    grep -q "^NAME" "$SCRATCH/$name.txt" && grep -q "^ *$name - " "$SCRATCH/$name.txt" ||
        fail "the page of $name has no NAME line for it"
done
grep -q "/usr/share/games/fractals" "$SCRATCH/fractals.txt" ||
    fail "the fractals page doesn't name the bitmaps' folder"
echo "manual pages: $(ls "$root"/usr/share/man/man6 | tr '\n' ' ')"

# icotool reads PNG files with libpng to pack them into an icon.
icons=("$root"/usr/share/icons/hicolor/*/apps/fractals.png)
icotool -c -o "$SCRATCH/read.ico" "${icons[@]}" || fail "icotool could not read the icons"
for icon in "${icons[@]}"; do
    size=$(basename "$(dirname "$(dirname "$icon")")")
    icotool -l "$SCRATCH/read.ico" | grep -q -- "--width=${size%x*} --height=${size#*x} " ||
        fail "no ${size} image among $(icotool -l "$SCRATCH/read.ico")"
done
echo "icons: ${#icons[@]} sizes read back"

command=$(sed -n 's/^Exec=//p' "$entry") folder=$(sed -n 's/^Path=//p' "$entry")
echo "desktop entry: Exec=$command Path=$folder"
bash "$(dirname "$0")/../e2e/window.sh" "$root$command" "$XPROBE" "$root$folder" 24 1 ||
    fail "the program from the package, started as its desktop entry says"
