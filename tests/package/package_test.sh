#!/usr/bin/env bash
# The Debian package, packed from this build as scripts/package.sh packs it:
# lintian finds neither error nor warning, the desktop entry and the
# AppStream metainfo are valid, the manual pages render, a PNG decoder reads
# every icon at its directory's size, the program unpacked from the package
# opens its window when started as the desktop entry says (its command, in
# its folder), and the source built again in another folder, under another
# umask, packs into the same bytes.
#
#   package_test.sh CPACK_CONFIG XPROBE SCRATCH SOURCE_DIR
source "$(dirname "$0")/../e2e/lib.sh"

CONFIG=$1 XPROBE=$2 SCRATCH=$3 SOURCE=$4
rm -rf "$SCRATCH" && mkdir -p "$SCRATCH"
export LC_ALL=C.UTF-8
# The last commit's time; a source without git history (an unpacked
# archive) has its files' times, which the copy below keeps.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$SOURCE" log -1 --format=%ct 2>/dev/null ||
    stat -c %Y "$SOURCE/CMakeLists.txt")}

(umask 022 && cpack --config "$CONFIG" -G DEB -B "$SCRATCH" >"$SCRATCH/cpack.log" 2>&1) ||
    fail "cpack: $(tail -n5 "$SCRATCH/cpack.log")"
deb=$(echo "$SCRATCH"/fractals_*.deb)
[ -f "$deb" ] || fail "no package in $SCRATCH"
echo "package: $(basename "$deb"), depends on $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -f "$deb" Depends | grep -q "libsdl1.2debian" || fail "the package doesn't depend on SDL 1.2"

lintian --fail-on error,warning "$deb" || fail "lintian"
echo "lintian: no errors, no warnings"

root="$SCRATCH/root"
dpkg-deb -x "$deb" "$root"
entry=$(echo "$root"/usr/share/applications/*.desktop)
desktop-file-validate "$entry" || fail "desktop-file-validate"

# What a software centre reads: the metainfo alone, pedantically, then with
# the entry and icon it names; its screenshots are the README's frames.
metainfo=$(echo "$root"/usr/share/metainfo/*.metainfo.xml)
id=$(basename "$metainfo" .metainfo.xml)
[ "$entry" = "$root/usr/share/applications/$id.desktop" ] || fail "the desktop entry is not named after $id"
grep -qx "Icon=$id" "$entry" && [ -f "$root/usr/share/icons/hicolor/48x48/apps/$id.png" ] ||
    fail "the desktop entry's icon is not $id"
for check in "validate --pedantic --no-net $metainfo" "validate-tree --pedantic --no-net $root"; do
    appstreamcli $check >"$SCRATCH/appstream.txt" 2>&1
    grep -q "Validation was successful" "$SCRATCH/appstream.txt" && ! grep -q "^ *[EW]:" "$SCRATCH/appstream.txt" ||
        fail "appstreamcli $check: $(cat "$SCRATCH/appstream.txt")"
done
for shot in $(sed -n 's|.*<image[^>]*>.*/\([^/<]*\)</image>|\1|p' "$metainfo"); do
    [ -f "$SOURCE/docs/$shot" ] || fail "the screenshot $shot is not in docs/"
done
echo "appstream: $id valid, screenshots in docs/"

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
icons=("$root"/usr/share/icons/hicolor/*/apps/"$id".png)
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

# The same package again from a copy of the source in another folder, made
# and built for the package alone under another umask, packed later as
# scripts/package.sh packs: the same bytes.
copy="$SCRATCH/elsewhere"
(umask 077 && mkdir -p "$copy" &&
    tar -C "$SOURCE" --exclude=./.git --exclude='./build*' -cf - . | tar -C "$copy" --no-same-permissions -xf - &&
    cd "$copy" && cmake --preset demo >"$SCRATCH/again.log" 2>&1 &&
    nice cmake --build build -j "$(nproc)" >>"$SCRATCH/again.log" 2>&1) ||
    fail "the second build: $(tail -n5 "$SCRATCH/again.log")"
(cd "$copy/build" && umask 022 && cpack -G DEB >>"$SCRATCH/again.log" 2>&1) ||
    fail "the second packing: $(tail -n5 "$SCRATCH/again.log")"
again=$(echo "$copy"/build/fractals_*.deb)
if ! cmp -s "$deb" "$again"; then
    diffoscope --text "$SCRATCH/diffoscope.txt" "$deb" "$again" >/dev/null 2>&1
    fail "two builds differ: $(head -c 3000 "$SCRATCH/diffoscope.txt")"
fi
echo "reproducible: $(sha256sum <"$deb" | cut -d' ' -f1) from $(dirname "$CONFIG") and from $copy/build"
