#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Lotwise need.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libqt6sql6-sqlite libsqlite3-dev libgl-dev
  # Qt Charts' CMake files look for Qt OpenGL's, which its package does not pull in.
  qt6-charts-dev libqt6opengl6-dev
  libgtest-dev libbenchmark-dev poppler-utils
  libvmime-dev qtkeychain-qt6-dev
  xvfb xauth locales
  clang libclang-rt-14-dev
  postfix dovecot-imapd dovecot-lmtpd openssl python3
  desktop-file-utils dpkg-dev help2man
  at-spi2-core python3-pyatspi dbus-x11 matchbox-window-manager x11-utils
  postgresql-15 libqt6sql6-psql libpq-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

if [ ${#missing[@]} -gt 0 ]; then
  # The mail tests run their own Postfix and Dovecot (tests/servers/start.sh), and the store
  # tests their own PostgreSQL (tests/servers/pg_start.sh): the machine's own stay
  # unconfigured, and while installing, package scripts may start no service.
  echo "postfix postfix/main_mailer_type select No configuration" | $sudo debconf-set-selections
  policy=""
  if [ ! -e /usr/sbin/policy-rc.d ]; then
    policy=/usr/sbin/policy-rc.d
    printf '#!/bin/sh\nexit 101\n' | $sudo tee "$policy" >/dev/null
    $sudo chmod 0755 "$policy"
    trap '$sudo rm -f "$policy"' EXIT
  fi
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
  if [ -n "$policy" ]; then
    $sudo rm -f "$policy"
    trap - EXIT
  fi
fi

# The tests pin dates to the United States form.
if ! locale -a 2>/dev/null | grep -qi '^en_US\.utf-\?8$'; then
  $sudo sed -i 's/^# *en_US.UTF-8 UTF-8/en_US.UTF-8 UTF-8/' /etc/locale.gen
  $sudo locale-gen en_US.UTF-8 >/dev/null
fi
