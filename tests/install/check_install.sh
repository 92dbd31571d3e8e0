#!/usr/bin/env bash
# check_install.sh BUILD_DIR: installs the build under a throw-away prefix and checks what a
# desktop needs is there and works; then packs the Debian package and checks its contents
# and dependencies.
set -euo pipefail
build="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
prefix="$work/usr"

cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/lotwise bin/lotwise-cli share/man/man1/lotwise.1 share/man/man1/lotwise-cli.1 \
         share/applications/lotwise.desktop \
         share/icons/hicolor/64x64/apps/lotwise.png "share/lotwise/seed/Email Templates/Auction Invoice.elm"; do
    [ -e "$prefix/$f" ] || { echo "not installed: $f"; exit 1; }
done
desktop-file-validate "$prefix/share/applications/lotwise.desktop"
grep -qx 'Exec=lotwise' "$prefix/share/applications/lotwise.desktop"

# The installed program works on its own, away from the build tree: it makes its record store
# in a new application folder and computes a list.
export LOTWISE_HOME="$work/app" QT_QPA_PLATFORM=offscreen
(cd / && "$prefix/bin/lotwise-cli" queue IS --today 2026-03-15) >"$work/queue.txt"
grep -qx 'Lotwise - Working with Invoices to Send..' "$work/queue.txt"
[ -f "$work/app/Auctions.db" ] || { echo "no record store in the new application folder"; exit 1; }
# The command line runs on the core alone: no widget, print or chart library is loaded.
if ldd "$prefix/bin/lotwise-cli" | grep -E 'libQt6(Widgets|PrintSupport|Charts)'; then
    echo "lotwise-cli links a GUI library"; exit 1
fi
ldd "$prefix/bin/lotwise" | grep -q 'libQt6Widgets' || { echo "lotwise does not link Qt Widgets"; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/pack" >/dev/null 2>&1)
deb="$(ls "$work"/pack/lotwise_*_amd64.deb)"
depends="$(dpkg-deb -f "$deb" Depends)"
for p in libvmime1 libqt6keychain1 libqt6widgets6 libqt6sql6-sqlite qt6-qpa-plugins; do
    grep -q "$p" <<<"$depends" || { echo "missing dependency $p in: $depends"; exit 1; }
done
contents="$(dpkg-deb -c "$deb")"
grep -q './usr/share/applications/lotwise.desktop' <<<"$contents"
grep -q './usr/bin/lotwise$' <<<"$contents"
for page in lotwise lotwise-cli; do
    grep -q "./usr/share/man/man1/$page.1" <<<"$contents" || { echo "no manual page for $page"; exit 1; }
done
# The installed programs answer --version without a desktop.
grep -qx 'lotwise-cli 3.0.0' <<<"$(env -u QT_QPA_PLATFORM -u DISPLAY "$prefix/bin/lotwise-cli" --version)"
grep -qx 'lotwise 3.0.0' <<<"$(env -u QT_QPA_PLATFORM -u DISPLAY "$prefix/bin/lotwise" --version)"
grep -q 'libqt6sql6-psql' <<<"$(dpkg-deb -f "$deb" Recommends)" ||
    { echo "the PostgreSQL driver is not recommended"; exit 1; }
# The programs go out without their debugging symbols.
dpkg-deb -x "$deb" "$work/unpacked"
for program in lotwise lotwise-cli; do
    if readelf -S "$work/unpacked/usr/bin/$program" | grep -q '\.debug_info'; then
        echo "$program is packed with its debugging symbols"; exit 1
    fi
done
echo "installed and packed: $deb"
