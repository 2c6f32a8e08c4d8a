"""What the scripted test servers in tools/ share: a state file of NAME=value lines, and
starting a server detached (the script itself with "serve") and stopping it by the pid the
state file holds."""
import http.server
import os
import subprocess
import sys
import time


def read_state(path):
    values = {}
    with open(path) as f:
        for line in f:
            name, sep, value = line.rstrip("\n").partition("=")
            if sep:
                values[name] = value
    return values


def write_state(path, values):
    """Writes NAME=value lines whole at once, so a waiting starter never reads half of them."""
    with open(path + ".tmp", "w") as f:
        for name, value in values.items():
            f.write("%s=%s\n" % (name, value))
    os.replace(path + ".tmp", path)


def stop(state):
    if not os.path.exists(state):
        return
    pid = int(read_state(state).get("PID", "0"))
    if pid:
        try:
            os.kill(pid, 15)
        except ProcessLookupError:
            pass
    os.remove(state)


def start(script, state, args=(), what="the server"):
    """Runs `script serve STATE ARGS...` in a session of its own, logging to STATE.log, and
    waits until it has written its state file; 0 when it did, 1 when it did not start."""
    stop(state)  # one left over from an interrupted run
    with open(state + ".log", "ab") as log:
        child = subprocess.Popen([sys.executable, os.path.abspath(script), "serve", state] +
                                 list(args), stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                                 start_new_session=True)
    for _ in range(100):
        if os.path.exists(state):
            return 0
        if child.poll() is not None:
            break
        time.sleep(0.05)
    print("%s did not start; see %s.log" % (what, state), file=sys.stderr)
    return 1


def run(script, argv, serve, what="the server", commands=None):
    """The command line every server script takes: `start STATE ARGS...` (detached), `serve
    STATE ARGS...` (in the foreground, as start runs it), `stop STATE`, and the script's own
    `commands`, each called with the state file and the further arguments."""
    command, state, args = argv[1], argv[2], argv[3:]
    if command == "start":
        return start(script, state, args, what)
    if command == "serve":
        serve(state, *args)
    elif command == "stop":
        stop(state)
    elif commands and command in commands:
        commands[command](state, *args)
    else:
        print("unknown command " + command, file=sys.stderr)
        return 2
    return 0


class ScriptedHandler(http.server.BaseHTTPRequestHandler):
    """Keep-alive HTTP/1.1 with nothing logged; `answer` sends one whole reply."""
    protocol_version = "HTTP/1.1"

    def log_message(self, format, *args):
        pass

    def answer(self, status, body=b"", headers=()):
        self.send_response_only(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        if self.command == "HEAD":
            body = b""
        # Head and body leave in one write: two would wait on the peer's delayed ACK each time.
        self._headers_buffer.append(b"\r\n")
        head = b"".join(self._headers_buffer)
        self._headers_buffer = []
        try:
            self.wfile.write(head + body if len(body) < (1 << 20) else head)
            if len(body) >= (1 << 20):
                self.wfile.write(body)
        except (BrokenPipeError, ConnectionResetError):
            self.close_connection = True

    def answer_counts(self):
        """The requests counted in self.server.counts since the last time, one "KEY N" line
        each, sorted; counting starts afresh. The caller holds the server's lock."""
        text = "".join("%s %d\n" % kv for kv in sorted(self.server.counts.items()))
        self.server.counts = {}
        self.answer(200, text.encode(), [("Content-Type", "text/plain")])
