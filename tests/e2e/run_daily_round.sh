#!/usr/bin/env bash
# run_daily_round.sh BUILD_DIR: installs the build under a throw-away prefix and drives the
# installed program through the daily round over the accessibility bus, under a throw-away X
# server with a window manager and its own D-Bus session.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cmake --install "$1" --prefix "$work/usr" >/dev/null
xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- bash -c '
    set -e
    /usr/libexec/at-spi-bus-launcher --launch-immediately &
    # A window manager, as on a desktop: it makes the new window the active one.
    matchbox-window-manager -use_titlebar no &
    # Both are up once the bus has its name and the window manager has marked the screen.
    for _ in $(seq 100); do
        dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
            org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus 2>/dev/null | grep -q "true" &&
            xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
        sleep 0.1
    done
    /usr/bin/python3 "$0" "$1" "$2"' "$here/daily_round.py" "$work/usr/bin/lotwise" "$work"
