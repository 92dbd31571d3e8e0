#!/usr/bin/env bash
# Stops the server pg_start.sh DIR started; its data and log stay for a look.
set -euo pipefail

[ $# -eq 1 ] || { echo "usage: $0 DIR" >&2; exit 2; }
[ -d "$1" ] || exit 0
dir="$(cd "$1" && pwd)"
base="$dir"
[ -f "$dir/location" ] && base="$(cat "$dir/location")"
[ -f "$base/data/postmaster.pid" ] || exit 0
as_server=()
if [ "$(id -u)" -eq 0 ]; then
  as_server=(runuser -u postgres --)
fi
"${as_server[@]}" /usr/lib/postgresql/15/bin/pg_ctl -D "$base/data" -m fast -w -t 30 stop
