#!/usr/bin/env bash
# Starts or stops a private Dovecot POP3 server for the tests: 127.0.0.1 only, a free port,
# everything (config, state, log, mailboxes) in one temporary folder.
#   dovecot-pop3.sh start STATE_FILE   writes PORT=, DIR= and USERS= lines into STATE_FILE
#   dovecot-pop3.sh start STATE_FILE CERT_DIR
#                                      the same with TLS required (the certificate and key
#                                      CERT_DIR/server.pem and .key): STLS on PORT, implicit TLS
#                                      on TLSPORT (also written into STATE_FILE)
#   dovecot-pop3.sh stop STATE_FILE    stops that server by its pid and removes its folder
# Users user01..user20 have the passwords secret01..secret20 (plain, so APOP works); the mail
# of user NN lives in DIR/mail/userNN/Maildir.
set -euo pipefail
cmd=${1:?start or stop}
state=${2:?state file}
certs=${3:-}
py=/usr/bin/python3

stop() {
  [ -f "$state" ] || return 0
  local dir
  dir=$(sed -n 's/^DIR=//p' "$state")
  if [ -n "$dir" ] && [ -f "$dir/run/master.pid" ]; then
    local pid
    pid=$(cat "$dir/run/master.pid")
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  fi
  [ -n "$dir" ] && [ -d "$dir" ] && rm -rf "$dir"
  rm -f "$state"
}

if [ "$cmd" = stop ]; then stop; exit 0; fi
stop  # a server left over from an interrupted run

dir=$(mktemp -d /tmp/moriva-pop3.XXXXXX)
chmod 755 "$dir"
mkdir -p "$dir/run" "$dir/mail"
if [ "$(id -u)" -eq 0 ]; then
  mail_owner="nobody:nogroup"; login_user=dovenull; internal_user=dovecot
  uid=nobody; gid=nogroup; auth_user=root
else
  # Without root Dovecot cannot change users: everything runs as the caller.
  mail_owner="$(id -un):$(id -gn)"; login_user=$(id -un); internal_user=$(id -un)
  uid=$(id -un); gid=$(id -gn); auth_user=$(id -un)
fi
: > "$dir/passwd"
users=()
for i in $(seq -w 1 20); do
  echo "user$i:{PLAIN}secret$i::::::" >> "$dir/passwd"
  mkdir -p "$dir/mail/user$i/Maildir/new" "$dir/mail/user$i/Maildir/cur" "$dir/mail/user$i/Maildir/tmp"
  users+=("user$i")
done
chmod 644 "$dir/passwd"
chown -R "$mail_owner" "$dir/mail"

free_port() {
  $py -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
for attempt in 1 2 3 4 5; do
  port=$(free_port)
  tlsport=""
  ssl="ssl = no"
  pop3s=""
  if [ -n "$certs" ]; then
    tlsport=$(free_port)
    ssl="ssl = required
ssl_cert = <$certs/server.pem
ssl_key = <$certs/server.key
ssl_min_protocol = TLSv1.2"
    pop3s="inet_listener pop3s {
    address = 127.0.0.1
    port = $tlsport
    ssl = yes
  }"
  fi
  cat > "$dir/dovecot.conf" <<CONF
base_dir = $dir/run
state_dir = $dir/state
log_path = $dir/dovecot.log
info_log_path = $dir/dovecot.log
listen = 127.0.0.1
protocols = pop3
$ssl
disable_plaintext_auth = no
auth_mechanisms = plain apop
# Tests try wrong passwords on purpose; no need to slow them down.
auth_failure_delay = 0
default_login_user = $login_user
default_internal_user = $internal_user
passdb {
  driver = passwd-file
  args = scheme=PLAIN $dir/passwd
}
userdb {
  driver = static
  args = uid=$uid gid=$gid home=$dir/mail/%u
}
mail_location = maildir:$dir/mail/%u/Maildir
service pop3-login {
  chroot =
  inet_listener pop3 {
    address = 127.0.0.1
    port = $port
  }
  $pop3s
}
service anvil {
  chroot =
  # Failed logins (tests make them on purpose) would slow every later login from 127.0.0.1.
  unix_listener anvil-auth-penalty {
    mode = 0
  }
}
service auth {
  user = $auth_user
}
CONF
  mkdir -p "$dir/state"
  # Its own output goes to the log; open descriptors would hold the caller (CTest) waiting.
  dovecot -c "$dir/dovecot.conf" </dev/null >>"$dir/dovecot.log" 2>&1
  for _ in $(seq 100); do
    if $py -c "import socket,sys; socket.create_connection(('127.0.0.1', $port), 0.2).close()" 2>/dev/null; then
      printf 'PORT=%s\nDIR=%s\nUSERS=%s\n' "$port" "$dir" "${users[*]}" > "$state"
      [ -n "$tlsport" ] && printf 'TLSPORT=%s\n' "$tlsport" >> "$state"
      exit 0
    fi
    sleep 0.1
  done
  [ -f "$dir/run/master.pid" ] && kill "$(cat "$dir/run/master.pid")" 2>/dev/null || true
  sleep 0.2
done
echo "Dovecot did not start; its log:" >&2
cat "$dir/dovecot.log" >&2 || true
rm -rf "$dir"
exit 1
