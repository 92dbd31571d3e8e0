#!/usr/bin/env bash
# Stops the servers start.sh DIR started and removes the folder they ran in (DIR/runtime
# names it), with their configuration, queues, mailboxes and logs.
set -euo pipefail

[ $# -eq 1 ] || { echo "usage: $0 DIR" >&2; exit 2; }
[ -d "$1" ] || exit 0
if [ "$(id -u)" -ne 0 ]; then
  exec sudo -- "$0" "$@"
fi
dir="$(cd "$1" && pwd)"

# A stopped daemon may linger as a zombie until init reaps it; that counts as gone.
running() { # pid
  local state
  state="$(sed -n 's/^State:[[:space:]]*\([A-Z]\).*/\1/p' "/proc/$1/status" 2>/dev/null)" || return 1
  [ -n "$state" ] && [ "$state" != Z ]
}

# Stops the process in PIDFILE if its command line still mentions MARK, so a pid the system
# has since handed to another program is left alone.
stop_pid() { # name pidfile mark
  local name="$1" pidfile="$2" mark="$3" pid
  [ -f "$pidfile" ] || return 0
  pid="$(tr -d ' \n' <"$pidfile")"
  if [[ "$pid" =~ ^[0-9]+$ ]] && [ -r "/proc/$pid/cmdline" ] &&
    tr '\0' ' ' <"/proc/$pid/cmdline" | grep -qF -- "$mark"; then
    kill -TERM "$pid" 2>/dev/null || true
    for _ in $(seq 50); do
      running "$pid" || break
      sleep 0.1
    done
    if running "$pid"; then
      kill -KILL "$pid" 2>/dev/null || true
    fi
    echo "stopped $name ($pid)"
  fi
  rm -f "$pidfile"
}

[ -f "$dir/runtime" ] || exit 0
run="$(cat "$dir/runtime")"
# Only a folder start.sh made: never remove whatever else a damaged file might name.
case "$run" in
  */lotwise-servers.??????) ;;
  *) echo "stop.sh: $dir/runtime does not name a server folder: $run" >&2; exit 1 ;;
esac
stop_pid "Postfix" "$run/postfix/queue/pid/master.pid" "$run/postfix"
stop_pid "Dovecot" "$run/dovecot/run/master.pid" "$run/dovecot/dovecot.conf"
stop_pid "untrusted Dovecot" "$run/dovecot/run-untrusted/master.pid" "$run/dovecot/untrusted.conf"
rm -rf "$run"
rm -f "$dir/runtime"
exit 0
