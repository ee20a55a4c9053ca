#!/usr/bin/env bash
# The README's commands on another Debian release, as on a fresh machine of
# that release: each runs in a new minimal root (debootstrap
# --variant=minbase, and git, with which the source was cloned) holding a
# copy of this source tree, with /proc, /sys and /dev mounted and a private
# X server's socket bound in for the demo's window.
#
#   bash scripts/debian-root.sh [--ci|--prepare] [RELEASE]
#
# RELEASE is a Debian code name: by default the other of Debian 12 and 13
# (trixie on bookworm, bookworm on trixie). Without --ci, all six README
# commands, each in a root of its own, each timed: demo.sh (its window is
# found, animated and closed with status 0), test.sh (every stage), web.sh
# (the page served and fetched), windows.sh, package.sh and cross.sh arm64.
# With --ci (what the test command's release stage runs), one root: demo.sh's
# window, then test.sh's linux stage there (the build, the suite on that
# release's SDL 1.2, the package and its test), and with FRACTALS_HOST_BUILD
# naming the host's build, the root's frames compared with the host's.
# With --prepare, only the bare root and the packages --ci installs,
# downloaded into the cache (the test command does this in the background).
#
# The bare root is kept between runs in FRACTALS_ROOT_CACHE (default
# /var/cache/fractals), keyed by the release's version and date in the
# archive's Release file, with the packages apt fetched into it. Each run
# works on an overlay of it (a copy where overlays can't be mounted), which
# is unmounted and removed on every way out, failures included. The host's
# apt configuration is left as it is.
# Roots, mounts and chroot are root's business.
[ "$(id -u)" -eq 0 ] || exec sudo --preserve-env=FRACTALS_ROOT_CACHE,FRACTALS_HOST_BUILD,ROOT_PATIENCE bash "$0" "$@"
source "$(dirname "$0")/common.sh"
source "$ROOT/tests/e2e/lib.sh"

MODE=readme
case "${1:-}" in --ci) MODE=ci; shift ;; --prepare) MODE=prepare; shift ;; esac
host_release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
RELEASE=${1:-$([ "$host_release" = trixie ] && echo bookworm || echo trixie)}
CACHE=${FRACTALS_ROOT_CACHE:-/var/cache/fractals}
# Patience for what the network and a busy machine may slow down: a first
# run's installs and build before the demo's window shows.
ROOT_PATIENCE=${ROOT_PATIENCE:-1800}

install_packages "${ROOT_PACKAGES[@]}"

RUN=""
ROOTFS=""

# Everything a run mounted, deepest first, then its folder; refuses to
# remove a folder that still has something mounted inside it.
leave_root() {
    [ -n "$RUN" ] || return 0
    local pid mounted
    if [ -n "$ROOTFS" ]; then
        for pid in /proc/[0-9]*; do
            [[ "$(readlink "$pid/root" 2>/dev/null)" == "$ROOTFS"* ]] && kill -9 "${pid#/proc/}" 2>/dev/null
        done
        umount -R "$ROOTFS" 2>/dev/null || umount -R -l "$ROOTFS" 2>/dev/null || true
    fi
    mounted=$(awk -v run="$RUN/" 'index($5 "/", run) == 1 {print $5}' /proc/self/mountinfo)
    if [ -n "$mounted" ]; then
        echo "debian-root.sh: still mounted, $RUN left in place: $mounted" >&2
    else
        rm -rf --one-file-system "$RUN"
    fi
    RUN="" ROOTFS=""
}
on_exit() {
    local status=$?
    set +e  # the clean-up goes on past whatever is already gone
    leave_root
    e2e_cleanup
    [ $status -eq 0 ] || echo "debian-root.sh: $RELEASE: ${STEP:-setting up} failed (status $status)" >&2
}
trap on_exit EXIT
trap 'exit 130' INT TERM

# The archive that serves the release, and the bare root for its current
# version: debootstrap's once, reused while the archive's Release file
# names the same version and date.
base_root() {
    local mirror release_file="" key
    for mirror in $(debian_mirrors | awk '!seen[$0]++'); do
        release_file=$(curl_like "${mirror%/}/dists/$RELEASE/InRelease")
        [ -n "$release_file" ] && MIRROR=${mirror%/} && break
    done
    [ -n "$release_file" ] || fail "no archive serves Debian $RELEASE"
    key="$(awk '/^Version:/ {print $2}' <<<"$release_file")-$(date -u -d \
        "$(sed -n 's/^Date: *//p' <<<"$release_file")" +%Y%m%dT%H%M%S)"
    BASE="$CACHE/roots/$RELEASE-$key-git"
    mkdir -p "$CACHE/roots" "$CACHE/logs"
    # One run makes it; another that wants it meanwhile waits.
    exec 8>"$CACHE/roots/$RELEASE.lock"
    flock 8
    if [ ! -e "$BASE/.complete" ]; then
        STEP="debootstrap $RELEASE from $MIRROR"
        echo "== Making a minimal Debian $RELEASE root from $MIRROR (kept in $BASE)"
        rm -rf --one-file-system "$BASE.new"
        # git: whoever runs the README's commands has cloned the source with it.
        debootstrap --variant=minbase --include=git "$RELEASE" "$BASE.new" "$MIRROR" \
            >"$CACHE/logs/debootstrap-$RELEASE.log" 2>&1 ||
            { tail -n 20 "$CACHE/logs/debootstrap-$RELEASE.log" >&2; fail "debootstrap $RELEASE"; }
        touch "$BASE.new/.complete"
        mv "$BASE.new" "$BASE"
    fi
    # Earlier versions' roots go, but not one a run still stands on.
    local old
    for old in "$CACHE/roots/$RELEASE"-*/; do
        old=${old%/}
        [ "$old" = "$BASE" ] || grep -q "lowerdir=$old[,:]" /proc/self/mountinfo ||
            rm -rf --one-file-system "$old"
    done
    exec 8>&-
}

# Prints a URL's body: apt's own downloader, which every Debian system has.
curl_like() {
    local file
    file=$(mktemp)
    /usr/lib/apt/apt-helper -qq -o APT::Sandbox::User=root download-file "$1" "$file" >/dev/null 2>&1 &&
        cat "$file"
    rm -f "$file"
}

# A fresh root over the bare one, with this source tree in /src.
enter_root() {
    leave_root
    mkdir -p "$CACHE/runs"
    RUN=$(mktemp -d "$CACHE/runs/XXXXXX")
    ROOTFS="$RUN/root"
    mkdir -p "$RUN/upper" "$RUN/work" "$ROOTFS"
    if ! mount -t overlay overlay -o "lowerdir=$BASE,upperdir=$RUN/upper,workdir=$RUN/work" "$ROOTFS" 2>/dev/null; then
        cp -a "$BASE/." "$ROOTFS/"
    fi
    mount -t proc proc "$ROOTFS/proc"
    mount --rbind /sys "$ROOTFS/sys" && mount --make-rslave "$ROOTFS/sys"
    mount --rbind /dev "$ROOTFS/dev" && mount --make-rslave "$ROOTFS/dev"
    cp -L /etc/resolv.conf "$ROOTFS/etc/resolv.conf"
    # A machine on this network trusts what the host trusts (a proxy's
    # certificate authority, say): ca-certificates takes these in when apt
    # installs it there.
    if [ -d /usr/local/share/ca-certificates ]; then
        mkdir -p "$ROOTFS/usr/local/share/ca-certificates"
        cp -a /usr/local/share/ca-certificates/. "$ROOTFS/usr/local/share/ca-certificates/"
    fi
    # Packages apt fetched in earlier roots of this release.
    local archives="$CACHE/apt/$RELEASE"
    mkdir -p "$archives/partial" "$ROOTFS/var/cache/apt/archives"
    chown -R "$(chroot "$ROOTFS" id -u _apt)" "$archives/partial"
    mount --bind "$archives" "$ROOTFS/var/cache/apt/archives"
    # The cache at the same path inside, so that a root made in this root
    # (the test command's release stage there) lands on the host's disk.
    mkdir -p "$ROOTFS$CACHE"
    mount --bind "$CACHE" "$ROOTFS$CACHE"
    # The X server's socket, and its lock file, so that servers started in
    # the root choose another display.
    local number=${DISPLAY#:}
    mkdir -p "$ROOTFS/tmp/.X11-unix"
    chmod 1777 "$ROOTFS/tmp" "$ROOTFS/tmp/.X11-unix"
    if [ -n "$number" ]; then
        touch "$ROOTFS/tmp/.X11-unix/X$number" "$ROOTFS/tmp/.X$number-lock"
        mount --bind "/tmp/.X11-unix/X$number" "$ROOTFS/tmp/.X11-unix/X$number"
    fi
    # The tree as a clone has it: tracked and new files, no build folders.
    mkdir -p "$ROOTFS/src"
    if git -C "$ROOT" rev-parse --git-dir >/dev/null 2>&1; then
        (cd "$ROOT" && git ls-files -z --cached --others --exclude-standard |
            tar --null --ignore-failed-read -T - -cf - 2>/dev/null) | tar -xf - -C "$ROOTFS/src"
        cp -a "$ROOT/.git" "$ROOTFS/src/.git"
    else
        tar -C "$ROOT" --exclude='./build*' -cf - . | tar -xf - -C "$ROOTFS/src"
    fi
}

# Runs a command in the root's /src as a fresh login would: root, the
# root's own PATH and locale, the private X server.
in_root() {
    chroot "$ROOTFS" /usr/bin/env -i HOME=/root TERM=dumb DEBIAN_FRONTEND=noninteractive \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin DISPLAY="$DISPLAY" \
        FRACTALS_ROOT_CACHE="$CACHE" ${NODE_EXTRA_CA_CERTS:+NODE_EXTRA_CA_CERTS="$NODE_EXTRA_CA_CERTS"} bash -c 'cd /src && eval "$1"' _ "$1"
}

# Runs one README command in the root, timed; its output goes to a log
# beside the run's, shown in full when it fails.
timed() {  # timed WHAT COMMAND
    local start=$SECONDS log="$CACHE/logs/$RELEASE-$(echo "$1" | tr -c 'a-z0-9\n' '-').log"
    STEP="$2"
    echo "== Debian $RELEASE: $2"
    if ! in_root "$2" >"$log" 2>&1; then
        tail -n 60 "$log" >&2
        fail "$2 (log: $log)"
    fi
    echo "$2: passed in $((SECONDS - start)) s"
    TIMES+=("$2: $((SECONDS - start)) s")
}

# scripts/demo.sh on a bare root: it installs its few packages, builds and
# opens the window, which must show the animation and end with status 0
# when closed the way a window manager closes it.
check_demo() {
    local start=$SECONDS log="$CACHE/logs/$RELEASE-demo.log" program win first
    STEP="bash scripts/demo.sh"
    echo "== Debian $RELEASE: bash scripts/demo.sh"
    start_process in_root 'exec bash scripts/demo.sh' >"$log" 2>&1
    program=$LAST_PID
    until win=$("$XPROBE" find Fractals 1000 2>/dev/null); do
        finished "$program" && { tail -n 40 "$log" >&2; fail "demo.sh ended without a window (log: $log)"; }
        [ $((SECONDS - start)) -lt "$ROOT_PATIENCE" ] || fail "no window within $ROOT_PATIENCE s (log: $log)"
    done
    local shown=$((SECONDS - start))
    [ "$("$XPROBE" size "$win")" = "320 240" ] || fail "the window is $("$XPROBE" size "$win"), not 320 240"
    await_pixels "$win" "the demo's first frames" nonblack -gt 0
    first=$PICTURE
    await picture_changed "$win" "$first" || fail "the demo's picture stays \"$first\""
    close_window "$win" "$program"
    echo "bash scripts/demo.sh: window after $shown s, animated, closed with status 0"
    TIMES+=("bash scripts/demo.sh: window after $shown s")
}

# The page that scripts/web.sh serves answers on its port.
check_web() {
    local start=$SECONDS log="$CACHE/logs/$RELEASE-web.log" server port
    port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    STEP="bash scripts/web.sh"
    echo "== Debian $RELEASE: bash scripts/web.sh (port $port)"
    start_process in_root "PORT=$port exec bash scripts/web.sh" >"$log" 2>&1
    server=$LAST_PID
    until grep -q "^Serving the demo" "$log" && curl_like "http://127.0.0.1:$port/" | grep -q "<canvas"; do
        finished "$server" && { tail -n 40 "$log" >&2; fail "web.sh ended without serving (log: $log)"; }
        [ $((SECONDS - start)) -lt "$ROOT_PATIENCE" ] || fail "no page within $ROOT_PATIENCE s (log: $log)"
        sleep 1
    done
    echo "bash scripts/web.sh: the page served after $((SECONDS - start)) s"
    TIMES+=("bash scripts/web.sh: page served after $((SECONDS - start)) s")
}

# The frames of the root's build against the host's: the digest of frames
# 0-999 with keys on every display format, from each version of the fast
# renderer the root's program runs here (the suite there holds each equal to
# the literal renderer). FRACTALS_HOST_BUILD names the host's build.
compare_digests() {
    local host=$FRACTALS_HOST_BUILD/fractals-render keys=30:up,60:down,99:up format version ours theirs
    local versions failed=0
    STEP="comparing the frames with $host's"
    # Its refusal of a name that is none lists the versions it can run.
    versions=$(in_root "FRACTALS_CPU=none build/fractals-render --frames 1 2>&1 || true" |
        sed -n 's/.*names no version; this processor can run //p' | tr -d ,)
    [ -n "$versions" ] || fail "the root's fractals-render named no versions"
    for format in xrgb8888 rgb565 rgb888 index8; do
        ours=$("$host" --images "$FRACTALS_HOST_BUILD/demo" --format "$format" --frames 1000 --keys "$keys" --digest |
            sed -n 's/^digest: //p')
        for version in $versions; do
            theirs=$(in_root "FRACTALS_CPU=$version build/fractals-render --images build/demo --format $format \
                --frames 1000 --keys $keys --digest" | sed -n 's/^digest: //p')
            echo "frames 0-999 on $format, $version: host $ours, Debian $RELEASE ${theirs:-none}"
            [ -n "$ours" ] && [ "$ours" = "$theirs" ] || failed=1
        done
    done
    [ "$failed" -eq 0 ] || fail "Debian $RELEASE draws other frames than the host"
}

base_root
if [ "$MODE" = prepare ]; then
    # Only the bare root and the packages the ci mode installs, downloaded
    # into the cache: the test command does this while its other stages run.
    DISPLAY=""
    enter_root
    STEP="downloading the packages of the linux stage"
    in_root 'source scripts/common.sh && apt-get update -qq &&
        apt-get install -qq -y --download-only --no-install-recommends "${PACKAGES[@]}" "${TEST_PACKAGES[@]}"' \
        >"$CACHE/logs/$RELEASE-prepare.log" 2>&1 || { tail -n 20 "$CACHE/logs/$RELEASE-prepare.log" >&2; false; }
    leave_root
    exit 0
fi
start_xvfb 24
XPROBE="$E2E_WORK/xprobe"
g++ -O1 -o "$XPROBE" "$ROOT/tests/e2e/xprobe.cpp" -lX11
TIMES=()
enter_root
release_name=$(. "$ROOTFS/etc/os-release" && echo "$PRETTY_NAME")
echo "== $release_name in $ROOTFS"
check_demo
if [ "$MODE" = ci ]; then
    timed test-linux "bash scripts/test.sh linux"
    [ -z "${FRACTALS_HOST_BUILD:-}" ] || compare_digests
else
    enter_root
    timed test "bash scripts/test.sh"
    enter_root
    check_web
    for command in "bash scripts/windows.sh" "bash scripts/package.sh" "bash scripts/cross.sh arm64"; do
        enter_root
        timed "$command" "$command"
    done
fi
leave_root
echo "== $release_name: ${TIMES[*]/%/;}"
