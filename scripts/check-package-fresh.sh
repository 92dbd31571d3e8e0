#!/usr/bin/env bash
# check-package-fresh.sh [BUILD_DIR]: builds the Debian package and installs it as a seller
# would on a fresh Debian bookworm: a minimal system made by debootstrap from the Debian
# archive, then `dpkg -i` and `apt-get -f install`. The installed program then does the
# keyboard daily round of tests/e2e over the accessibility bus. Needs root and the archive;
# takes a few minutes, so it is not part of the test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(realpath "${1:-build}")"
mirror="${MIRROR:-http://deb.debian.org/debian}"

[ "$(id -u)" -eq 0 ] || { echo "check-package-fresh.sh must run as root (chroot)"; exit 1; }
command -v debootstrap >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -q debootstrap

cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build"
(cd "$build" && cpack -G DEB >/dev/null)
deb="$(ls "$build"/lotwise_*_amd64.deb)"

root="$(mktemp -d /tmp/lotwise-fresh.XXXXXX)"
cleanup() {
    umount "$root/proc" 2>/dev/null || true
    rm -rf "$root"
}
trap cleanup EXIT
debootstrap --variant=minbase bookworm "$root" "$mirror" >/dev/null
echo "deb $mirror bookworm main" >"$root/etc/apt/sources.list"
mount -t proc proc "$root/proc"
cp "$deb" "$root/tmp/lotwise.deb"
cp tests/e2e/daily_round.py "$root/tmp/daily_round.py"

chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root bash -euo pipefail -c '
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q >/dev/null
    # dpkg alone stops at the missing libraries; apt-get -f install fetches them.
    dpkg -i /tmp/lotwise.deb >/dev/null 2>&1 || true
    apt-get -f install -y -q >/dev/null
    dpkg-query -W -f="\${Status}\n" lotwise | grep -q "install ok installed"
    echo "installed: $(dpkg-query -W -f="\${Package} \${Version}" lotwise)"
    test -f /usr/share/applications/lotwise.desktop
    # What the round itself needs, not Lotwise: an X server, the bus, a window manager.
    apt-get install -y -q xvfb xauth dbus dbus-x11 at-spi2-core python3-pyatspi \
        matchbox-window-manager >/dev/null
    work="$(mktemp -d)"
    xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- bash -c "
        /usr/libexec/at-spi-bus-launcher --launch-immediately &
        sleep 1
        matchbox-window-manager -use_titlebar no &
        python3 /tmp/daily_round.py /usr/bin/lotwise $work" 2>&1 | grep -v dbus-daemon
'
echo "the package installs on a fresh bookworm and does the daily round"
