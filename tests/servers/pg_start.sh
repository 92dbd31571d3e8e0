#!/usr/bin/env bash
# pg_start.sh DIR [PORT]: a throw-away PostgreSQL 15 server for the store tests on
# 127.0.0.1:PORT (default 15432), user lotwise / password lotwisetest, databases lotwise and
# lotwise_copy; stop with pg_stop.sh DIR. Its data folder is made afresh on every start. As root
# the server runs as the postgres user, which PostgreSQL requires.
set -euo pipefail

[ $# -ge 1 ] && [ $# -le 2 ] || { echo "usage: $0 DIR [PORT]" >&2; exit 2; }
port="${2:-15432}"
bin=/usr/lib/postgresql/15/bin
if [ ! -x "$bin/initdb" ]; then
  echo "pg_start.sh: PostgreSQL 15 is missing (scripts/install-deps.sh installs it)" >&2
  exit 1
fi
here="$(cd "$(dirname "$0")" && pwd)"
mkdir -p "$1"
dir="$(cd "$1" && pwd)"
"$here/pg_stop.sh" "$dir" >/dev/null || true

if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
  echo "pg_start.sh: 127.0.0.1:$port is already in use" >&2
  exit 1
fi

as_server=()
if [ "$(id -u)" -eq 0 ]; then
  as_server=(runuser -u postgres --)
fi

# As root the server's files live in a folder of the postgres user's own under /tmp, so that
# no folder on the way to DIR has to be opened up to it; DIR/location says where.
base="$dir"
if [ -f "$dir/location" ]; then
  rm -rf "$(cat "$dir/location")"
  rm -f "$dir/location"
fi
if [ "$(id -u)" -eq 0 ]; then
  base="$(mktemp -d /tmp/lotwise-pg.XXXXXX)"
  echo "$base" >"$dir/location"
fi
rm -rf "$base/data" "$base/run"
mkdir -p "$base/data" "$base/run"
printf 'lotwisetest\n' >"$base/pwfile"
chmod 0700 "$base/data" "$base/run"
chmod 0600 "$base/pwfile"
if [ "$(id -u)" -eq 0 ]; then
  chown postgres: "$base" "$base/data" "$base/run" "$base/pwfile"
fi

"${as_server[@]}" "$bin/initdb" -D "$base/data" -U lotwise --pwfile="$base/pwfile" \
  --auth-host=scram-sha-256 --auth-local=scram-sha-256 -E UTF8 --locale=C.UTF-8 \
  >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 1; }
rm -f "$base/pwfile"

# Only 127.0.0.1, no Unix socket anywhere but our own folder, fsync off for speed of tests.
"${as_server[@]}" "$bin/pg_ctl" -D "$base/data" -l "$base/run/server.log" -w -t 60 \
  -o "-c listen_addresses=127.0.0.1 -p $port -k $base/run -c fsync=off -c max_connections=50" \
  start >/dev/null || { tail -n 25 "$base/run/server.log" >&2; exit 1; }

PGPASSWORD=lotwisetest "$bin/psql" -h 127.0.0.1 -p "$port" -U lotwise -d postgres -qAt \
  -c "CREATE DATABASE lotwise" -c "CREATE DATABASE lotwise_copy" >/dev/null
echo "PostgreSQL on 127.0.0.1:$port (data in $base/data)"
