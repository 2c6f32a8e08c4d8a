#!/usr/bin/env bash
# Starts or stops a private Radicale calendar server for the tests: 127.0.0.1 only, a free
# port, config, users and storage in one temporary folder.
#   radicale-server.sh start STATE_FILE [CERT_DIR]
#                           writes PORT=, DIR=, PID= and URL= lines into STATE_FILE; with
#                           CERT_DIR the server speaks only TLS (CERT_DIR/server.pem and .key)
#   radicale-server.sh restart STATE_FILE
#                           stops the server and starts it again on the same port and storage
#   radicale-server.sh stop STATE_FILE
#                           stops that server by its pid and removes its folder
# Users user01..user08 have the passwords secret01..secret08; each may use the collections
# under /userNN/ only.
set -euo pipefail
cmd=${1:?start, restart or stop}
state=${2:?state file}
certs=${3:-}
py=/usr/bin/python3
# Test data need not survive a power cut: without a disk sync per write (eatmydata) the server
# takes items many times faster.
launcher=$(command -v eatmydata || true)

# Radicale takes seconds to wind down after SIGTERM; test data need no orderly end.
kill_server() {
  local pid=$1
  kill "$pid" 2>/dev/null || true
  for _ in $(seq 10); do kill -0 "$pid" 2>/dev/null || return 0; sleep 0.1; done
  kill -9 "$pid" 2>/dev/null || true
  for _ in $(seq 20); do kill -0 "$pid" 2>/dev/null || return 0; sleep 0.1; done
}

stop() {
  [ -f "$state" ] || return 0
  local dir pid
  dir=$(sed -n 's/^DIR=//p' "$state")
  pid=$(sed -n 's/^PID=//p' "$state")
  [ -n "$pid" ] && kill_server "$pid"
  [ -n "$dir" ] && [ -d "$dir" ] && rm -rf "$dir"
  rm -f "$state"
}

# Runs the server of $dir/config detached (its descriptors would hold CTest waiting) and waits
# until it answers on $port.
launch() {
  local dir=$1 port=$2
  setsid $launcher $py -m radicale --config "$dir/config" </dev/null >>"$dir/radicale.log" 2>&1 &
  local pid=$!
  for _ in $(seq 100); do
    if $py -c "import socket; socket.create_connection(('127.0.0.1', $port), 0.2).close()" 2>/dev/null; then
      echo "$pid"
      return 0
    fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill_server "$pid"
  return 1
}

if [ "$cmd" = stop ]; then stop; exit 0; fi

if [ "$cmd" = restart ]; then
  dir=$(sed -n 's/^DIR=//p' "$state")
  port=$(sed -n 's/^PORT=//p' "$state")
  kill_server "$(sed -n 's/^PID=//p' "$state")"
  for _ in $(seq 50); do
    if pid=$(launch "$dir" "$port"); then
      sed -i "s/^PID=.*/PID=$pid/" "$state"
      exit 0
    fi
    sleep 0.2  # the port may linger for a moment
  done
  echo "Radicale did not start again; its log:" >&2
  cat "$dir/radicale.log" >&2 || true
  exit 1
fi

stop  # a server left over from an interrupted run
dir=$(mktemp -d /tmp/moriva-radicale.XXXXXX)
mkdir -p "$dir/collections"
: > "$dir/users"
for i in $(seq 1 8); do printf "user%02d:secret%02d\n" "$i" "$i" >> "$dir/users"; done
ssl="ssl = False"
scheme=http
if [ -n "$certs" ]; then
  ssl="ssl = True
certificate = $certs/server.pem
key = $certs/server.key"
  scheme=https
fi
for attempt in 1 2 3 4 5; do
  port=$($py -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  cat > "$dir/config" <<CONF
[server]
hosts = 127.0.0.1:$port
max_connections = 20
$ssl
[auth]
type = htpasswd
htpasswd_filename = $dir/users
htpasswd_encryption = plain
# Tests give wrong passwords on purpose; no need to slow them down.
delay = 0
[rights]
type = owner_only
[storage]
filesystem_folder = $dir/collections
[web]
type = none
[logging]
level = warning
CONF
  if pid=$(launch "$dir" "$port"); then
    printf 'PORT=%s\nDIR=%s\nPID=%s\nURL=%s://127.0.0.1:%s\n' "$port" "$dir" "$pid" "$scheme" "$port" > "$state"
    exit 0
  fi
done
echo "Radicale did not start; its log:" >&2
cat "$dir/radicale.log" >&2 || true
rm -rf "$dir"
exit 1
