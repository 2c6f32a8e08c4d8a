#!/usr/bin/env bash
# Starts or stops a private SMTP server for the tests (aiosmtpd, delivering into a Maildir):
# 127.0.0.1 only, a free port, a temporary folder.
#   aiosmtpd-smtpd.sh start STATE_FILE   writes PORT=, DIR= and MAILDIR= lines into STATE_FILE
#   aiosmtpd-smtpd.sh start STATE_FILE CERT_DIR
#                                        the TLS peers of tools/smtp-tls-peers.py instead, with
#                                        the certificates of CERT_DIR; their ports go into
#                                        STATE_FILE too (PORT is the STARTTLS one)
#   aiosmtpd-smtpd.sh stop STATE_FILE    stops that server by its pid and removes its folder
set -euo pipefail
cmd=${1:?start or stop}
state=${2:?state file}
certs=${3:-}
py=/usr/bin/python3

stop() {
  [ -f "$state" ] || return 0
  local dir pid
  dir=$(sed -n 's/^DIR=//p' "$state")
  pid=$(sed -n 's/^PID=//p' "$state")
  if [ -n "$pid" ]; then
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  fi
  [ -n "$dir" ] && [ -d "$dir" ] && rm -rf "$dir"
  rm -f "$state"
}

if [ "$cmd" = stop ]; then stop; exit 0; fi
stop

dir=$(mktemp -d /tmp/moriva-smtp.XXXXXX)
maildir=$dir/Maildir
if [ -n "$certs" ]; then
  setsid $py "$(dirname "$0")/smtp-tls-peers.py" "$maildir" "$certs" "$dir/ports" \
    </dev/null >"$dir/smtpd.log" 2>&1 &
  pid=$!
  for _ in $(seq 200); do
    kill -0 "$pid" 2>/dev/null || break
    if [ -f "$dir/ports" ]; then
      { cat "$dir/ports"; printf 'DIR=%s\nMAILDIR=%s\nPID=%s\n' "$dir" "$maildir" "$pid"; } > "$state"
      exit 0
    fi
    sleep 0.1
  done
  kill "$pid" 2>/dev/null || true
  echo "the TLS peers did not start; their log:" >&2
  cat "$dir/smtpd.log" >&2 || true
  rm -rf "$dir"
  exit 1
fi
for attempt in 1 2 3 4 5; do
  port=$($py -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  setsid $py -m aiosmtpd -n -l "127.0.0.1:$port" -c aiosmtpd.handlers.Mailbox "$maildir" \
    </dev/null >"$dir/smtpd.log" 2>&1 &
  pid=$!
  for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    if $py -c "import socket; socket.create_connection(('127.0.0.1', $port), 0.2).close()" 2>/dev/null; then
      printf 'PORT=%s\nDIR=%s\nMAILDIR=%s\nPID=%s\n' "$port" "$dir" "$maildir" "$pid" > "$state"
      exit 0
    fi
    sleep 0.1
  done
  kill "$pid" 2>/dev/null || true
done
echo "aiosmtpd did not start; its log:" >&2
cat "$dir/smtpd.log" >&2 || true
rm -rf "$dir"
exit 1
