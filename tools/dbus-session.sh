#!/usr/bin/env bash
# Starts or stops a private D-Bus session bus with a stand-in notification service on it
# (tools/notification-service.py), for the reminder tests. Nothing of the user's own session is
# touched: the bus lives in a temporary folder and only the tests are told its address.
#   dbus-session.sh start STATE_FILE [keyring]
#                                      writes ADDRESS=, RECORD= (the Notify calls), DIR= and the
#                                      pids; with "keyring" also a Secret Service, an unlocked
#                                      keyring daemon whose keyrings live in that folder
#   dbus-session.sh stop STATE_FILE    stops them by their pids and removes the folder
set -euo pipefail
cmd=${1:?start or stop}
state=${2:?state file}
py=/usr/bin/python3
here=$(cd "$(dirname "$0")" && pwd)

stop() {
  [ -f "$state" ] || return 0
  local pid
  for key in KEYRING_PID SERVICE_PID BUS_PID; do
    pid=$(sed -n "s/^$key=//p" "$state")
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  done
  local dir
  dir=$(sed -n 's/^DIR=//p' "$state")
  [ -n "$dir" ] && [ -d "$dir" ] && rm -rf "$dir"
  rm -f "$state"
}

if [ "$cmd" = stop ]; then stop; exit 0; fi
stop

dir=$(mktemp -d /tmp/moriva-dbus.XXXXXX)
setsid dbus-daemon --session --nofork --address="unix:path=$dir/bus" --print-address=1 \
  </dev/null >"$dir/address" 2>"$dir/bus.log" &
bus_pid=$!
for _ in $(seq 100); do [ -s "$dir/address" ] && break; sleep 0.1; done
address=$(head -n1 "$dir/address")
[ -n "$address" ] || { cat "$dir/bus.log" >&2; kill "$bus_pid" 2>/dev/null; rm -rf "$dir"; exit 1; }
DBUS_SESSION_BUS_ADDRESS=$address setsid $py "$here/notification-service.py" \
  "$dir/notify.jsonl" "$dir/ready" </dev/null >"$dir/service.log" 2>&1 &
service_pid=$!
for _ in $(seq 100); do [ -e "$dir/ready" ] && break; sleep 0.1; done
if [ ! -e "$dir/ready" ]; then
  cat "$dir/service.log" >&2
  kill "$service_pid" "$bus_pid" 2>/dev/null || true
  rm -rf "$dir"
  exit 1
fi
keyring_pid=
if [ "${3:-}" = keyring ]; then
  mkdir -m 700 "$dir/home" "$dir/run"
  # The daemon takes the keyring's password on stdin and creates the keyring unlocked.
  printf 'test' | DBUS_SESSION_BUS_ADDRESS=$address HOME=$dir/home XDG_DATA_HOME=$dir/home \
    XDG_RUNTIME_DIR=$dir/run setsid gnome-keyring-daemon --foreground --unlock \
    --components=secrets >"$dir/keyring.log" 2>&1 &
  keyring_pid=$!
  for _ in $(seq 100); do
    DBUS_SESSION_BUS_ADDRESS=$address dbus-send --session --print-reply --dest=org.freedesktop.DBus \
      / org.freedesktop.DBus.NameHasOwner string:org.freedesktop.secrets 2>/dev/null |
      grep -q 'boolean true' && break
    sleep 0.1
  done
fi
printf 'ADDRESS=%s\nRECORD=%s\nDIR=%s\nBUS_PID=%s\nSERVICE_PID=%s\nKEYRING_PID=%s\n' \
  "$address" "$dir/notify.jsonl" "$dir" "$bus_pid" "$service_pid" "$keyring_pid" >"$state"
