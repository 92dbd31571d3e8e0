#!/usr/bin/env bash
# start.sh DIR: throw-away mail servers the mail tests talk to, on 127.0.0.1: SMTP 10025
# (Postfix, AUTH only after STARTTLS), IMAP 10143 (Dovecot, STARTTLS), IMAPS 10993
# (certificate signed by DIR/ca.pem) and IMAPS 10994 (self-signed DIR/untrusted.pem, which a
# client must refuse). Users seller, buyer and buyer2
# @lotwise.test, passwords sellerpass, buyerpass and buyer2pass; their mail goes through
# Dovecot's LMTP into Maildirs, every other recipient is refused. Stop with stop.sh DIR.
#
# The servers run as their own users, who cannot enter a checkout in a private home folder:
# their files live in a fresh folder under the system's temporary directory, named in
# DIR/runtime. The machine's own mail configuration is left alone: Postfix's master daemon is
# started with -c (as root it needs no alternate_config_directories entry) and Dovecot gets its
# own config, base_dir and state_dir.
set -euo pipefail

[ $# -eq 1 ] || { echo "usage: $0 DIR" >&2; exit 2; }
# Both bind ports and switch to their service users.
if [ "$(id -u)" -ne 0 ]; then
  exec sudo -- "$0" "$@"
fi

here="$(cd "$(dirname "$0")" && pwd)"
mkdir -p "$1"
dir="$(cd "$1" && pwd)"

"$here/stop.sh" "$dir" >/dev/null

# The ports are fixed, so servers started on another DIR are in the way.
ports="10025 10143 10993 10994"
port_answers() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }
for port in $ports; do
  if port_answers "$port"; then
    echo "start.sh: 127.0.0.1:$port is already in use; stop the servers started on another" \
      "directory first (stop.sh THATDIR)" >&2
    exit 1
  fi
done

for tool in openssl dovecot doveadm python3 /usr/lib/postfix/sbin/master; do
  if ! command -v "$tool" >/dev/null; then
    echo "start.sh: $tool is missing (scripts/install-deps.sh installs the mail servers)" >&2
    exit 1
  fi
done

mail_uid="$(id -u dovecot)"
mail_gid="$(id -g dovecot)"

# Only the parts this script owns are renewed; anything else under DIR stays.
rm -f "$dir/ca.pem" "$dir/untrusted.pem" "$dir/untrusted.key" "$dir/runtime"
# A short path too: Unix socket paths are limited to 107 bytes.
run="$(mktemp -d "${TMPDIR:-/tmp}/lotwise-servers.XXXXXX")"
echo "$run" >"$dir/runtime"
# The service users walk down to their sockets, certificates and mailboxes.
chmod 0755 "$run"
mkdir -p "$run/tls" "$run/dovecot" "$run/postfix" "$run/mail"
tls="$run/tls" dc="$run/dovecot" pf="$run/postfix"

started_at=$(date +%s%N)

fail() {
  echo "start.sh: $*" >&2
  for log in "$dc/dovecot.log" "$dc/untrusted.log" "$pf/postfix.log"; do
    [ ! -s "$log" ] || { echo "--- $log" >&2; tail -n 25 "$log" >&2; }
  done
  "$here/stop.sh" "$dir" >/dev/null 2>&1 || true
  exit 1
}

# --- certificates -------------------------------------------------------------------------
quiet_openssl() {
  openssl "$@" >"$tls/openssl.log" 2>&1 || {
    cat "$tls/openssl.log" >&2
    fail "openssl $1 failed"
  }
}
cat >"$tls/server.ext" <<'EOF'
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = IP:127.0.0.1, DNS:localhost
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
EOF
quiet_openssl req -x509 -new -newkey rsa:2048 -nodes -days 30 -sha256 \
  -subj "/O=Lotwise tests/CN=Lotwise test CA" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
  -keyout "$tls/ca.key" -out "$dir/ca.pem"
quiet_openssl req -new -newkey rsa:2048 -nodes -subj "/O=Lotwise tests/CN=127.0.0.1" \
  -keyout "$tls/server.key" -out "$tls/server.csr"
quiet_openssl x509 -req -in "$tls/server.csr" -CA "$dir/ca.pem" -CAkey "$tls/ca.key" -CAcreateserial \
  -days 30 -sha256 -extfile "$tls/server.ext" -out "$tls/server.pem"
# Same names as the good one, so the only thing wrong with it is who signed it.
quiet_openssl req -x509 -new -newkey rsa:2048 -nodes -days 30 -sha256 \
  -subj "/O=Someone else/CN=127.0.0.1" \
  -addext "subjectAltName=IP:127.0.0.1,DNS:localhost" \
  -keyout "$tls/untrusted.key" -out "$dir/untrusted.pem"
chmod 0600 "$tls/ca.key" "$tls/server.key" "$tls/untrusted.key"

# --- Dovecot --------------------------------------------------------------------------------
mkdir -p "$dc/run" "$dc/run-untrusted" "$dc/state" "$dc/state-untrusted"

# passwd-file: only password hashes are kept.
: >"$dc/users"
for entry in seller:sellerpass buyer:buyerpass buyer2:buyer2pass; do
  name="${entry%%:*}"
  hash="$(doveadm pw -s SHA512-CRYPT -p "${entry#*:}")"
  echo "$name@lotwise.test:$hash:$mail_uid:$mail_gid::$run/mail/$name::" >>"$dc/users"
  echo "$name@lotwise.test OK" >>"$run/postfix/recipients"
  mkdir -p "$run/mail/$name"
done
chown -R "$mail_uid:$mail_gid" "$run/mail"
chmod 0700 "$run/mail"
chown "root:$mail_gid" "$dc/users"
chmod 0640 "$dc/users"

# Settings both instances share; each file then adds its own listeners.
write_dovecot_conf() { # file base_dir state_dir log cert key
  cat >"$1" <<EOF
base_dir = $2
state_dir = $3
instance_name = lotwise-test-$(basename "$2")
log_path = $4
listen = 127.0.0.1
protocols = imap lmtp
ssl = yes
ssl_cert = <$5
ssl_key = <$6
ssl_min_protocol = TLSv1.2
auth_mechanisms = plain login
# Tests try wrong passwords on purpose: no pause after them, and (anvil below) no growing
# penalty for every later sign-on from 127.0.0.1.
auth_failure_delay = 0
service anvil {
  unix_listener anvil-auth-penalty {
    mode = 0
  }
}
mail_location = maildir:~
first_valid_uid = $mail_uid
last_valid_uid = $mail_uid
first_valid_gid = $mail_gid
default_internal_user = dovecot
default_login_user = dovenull
passdb {
  driver = passwd-file
  args = scheme=SHA512-CRYPT $dc/users
}
userdb {
  driver = passwd-file
  args = $dc/users
}
EOF
}

write_dovecot_conf "$dc/dovecot.conf" "$dc/run" "$dc/state" "$dc/dovecot.log" \
  "$tls/server.pem" "$tls/server.key"
cat >>"$dc/dovecot.conf" <<EOF
service imap-login {
  inet_listener imap {
    address = 127.0.0.1
    port = 10143
  }
  inet_listener imaps {
    address = 127.0.0.1
    port = 10993
    ssl = yes
  }
}
# Names are relative to base_dir. Postfix's lmtp client and smtpd run as postfix.
service lmtp {
  unix_listener lmtp {
    mode = 0660
    user = postfix
    group = postfix
  }
}
service auth {
  unix_listener auth-postfix {
    mode = 0660
    user = postfix
    group = postfix
  }
}
EOF

write_dovecot_conf "$dc/untrusted.conf" "$dc/run-untrusted" "$dc/state-untrusted" \
  "$dc/untrusted.log" "$dir/untrusted.pem" "$tls/untrusted.key"
sed -i 's/^protocols = .*/protocols = imap/' "$dc/untrusted.conf"
cat >>"$dc/untrusted.conf" <<EOF
service imap-login {
  inet_listener imap {
    port = 0
  }
  inet_listener imaps {
    address = 127.0.0.1
    port = 10994
    ssl = yes
  }
}
EOF

# --- Postfix --------------------------------------------------------------------------------
mkdir -p "$pf/queue" "$pf/data"
cat >"$pf/main.cf" <<EOF
compatibility_level = 3.6
queue_directory = $pf/queue
data_directory = $pf/data
mail_owner = postfix
setgid_group = postdrop
myhostname = mail.lotwise.test
mydomain = lotwise.test
myorigin = lotwise.test
mydestination =
mynetworks = 127.0.0.1/32
inet_interfaces = 127.0.0.1
inet_protocols = ipv4
smtputf8_enable = no
biff = no

maillog_file = $pf/postfix.log
maillog_file_prefixes = $pf

# lotwise.test is the only domain; everything else bounces instead of leaving the machine.
virtual_mailbox_domains = lotwise.test
virtual_mailbox_maps = texthash:$pf/recipients
virtual_transport = lmtp:unix:$dc/run/lmtp
relay_domains =
default_transport = error:this test server delivers to lotwise.test only
relay_transport = error:this test server delivers to lotwise.test only
local_transport = error:no local delivery
alias_maps =
alias_database =

smtpd_banner = \$myhostname ESMTP Lotwise test server
smtpd_tls_security_level = may
smtpd_tls_cert_file = $tls/server.pem
smtpd_tls_key_file = $tls/server.key
smtpd_tls_auth_only = yes
smtpd_tls_loglevel = 1
smtpd_sasl_auth_enable = yes
smtpd_sasl_type = dovecot
smtpd_sasl_path = $dc/run/auth-postfix
smtpd_relay_restrictions = reject_unauth_destination
smtpd_recipient_restrictions = permit_sasl_authenticated, reject
smtpd_reject_unlisted_recipient = yes
unknown_virtual_mailbox_reject_code = 550
message_size_limit = 20480000
EOF

# No chroot: the lmtp client must reach Dovecot's socket outside the queue directory.
cat >"$pf/master.cf" <<'EOF'
127.0.0.1:10025 inet n - n - - smtpd
cleanup   unix  n - n - 0    cleanup
qmgr      unix  n - n 300 1  qmgr
tlsmgr    unix  - - n 1000? 1 tlsmgr
rewrite   unix  - - n - -    trivial-rewrite
bounce    unix  - - n - 0    bounce
defer     unix  - - n - 0    bounce
trace     unix  - - n - 0    bounce
verify    unix  - - n - 1    verify
flush     unix  n - n 1000? 0 flush
proxymap  unix  - - n - -    proxymap
error     unix  - - n - -    error
retry     unix  - - n - -    error
discard   unix  - - n - -    discard
lmtp      unix  - - n - -    lmtp
anvil     unix  - - n - 1    anvil
scache    unix  - - n - 1    scache
postlog   unix-dgram n - n - 1 postlogd
EOF

# What "postfix set-permissions" would do for this queue.
for d in active bounce corrupt defer deferred flush hold incoming private saved trace; do
  mkdir -p "$pf/queue/$d"
  chown postfix:root "$pf/queue/$d"
  chmod 0700 "$pf/queue/$d"
done
mkdir -p "$pf/queue/maildrop" "$pf/queue/public" "$pf/queue/pid"
chown postfix:postdrop "$pf/queue/maildrop" "$pf/queue/public"
chmod 0730 "$pf/queue/maildrop"
chmod 0710 "$pf/queue/public"
chown root:root "$pf/queue" "$pf/queue/pid"
chmod 0755 "$pf/queue" "$pf/queue/pid"
chown postfix:postfix "$pf/data"
chmod 0700 "$pf/data"
touch "$pf/postfix.log"

# --- start and wait -------------------------------------------------------------------------
dovecot -c "$dc/dovecot.conf" 2>>"$dc/dovecot.log" || fail "Dovecot did not start"
dovecot -c "$dc/untrusted.conf" 2>>"$dc/untrusted.log" || fail "the untrusted Dovecot did not start"
if ! /usr/lib/postfix/sbin/master -c "$pf" -w 2>>"$pf/postfix.log"; then
  # The master daemon reports setup faults to syslog only; postconf at least shows the
  # configuration's own.
  postconf -c "$pf" -n >/dev/null || true
  fail "Postfix did not start (its master daemon logs start-up faults to syslog only)"
fi

for port in $ports; do
  tries=0
  until port_answers "$port"; do
    tries=$((tries + 1))
    [ $tries -lt 100 ] || fail "nothing answers on 127.0.0.1:$port"
    sleep 0.1
  done
done
for sock in "$dc/run/lmtp" "$dc/run/auth-postfix"; do
  [ -S "$sock" ] || fail "Dovecot's socket $sock is missing"
done

echo "smtp   127.0.0.1:10025  Postfix, STARTTLS + AUTH, log $pf/postfix.log"
echo "imap   127.0.0.1:10143  Dovecot, STARTTLS, log $dc/dovecot.log"
echo "imaps  127.0.0.1:10993  Dovecot, trust $dir/ca.pem"
echo "imaps  127.0.0.1:10994  Dovecot with the untrusted certificate $dir/untrusted.pem"
echo "started in $((($(date +%s%N) - started_at) / 1000000)) ms; users seller, buyer, buyer2 @lotwise.test, mail in $run/mail"
