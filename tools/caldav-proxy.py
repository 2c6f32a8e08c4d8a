#!/usr/bin/python3
"""A forwarding proxy in front of the test Radicale that can play a calendar server without
the sync-collection report, or one that has forgotten a sync token. Every other request goes
to the server unchanged. 127.0.0.1 only, on a free port.

  caldav-proxy.py start STATE BACKEND_STATE
                        starts the proxy detached; it forwards to the URL= of BACKEND_STATE
                        (read at each request, so a restarted server is found again) and
                        writes PORT=, PID= and URL= lines into STATE
  caldav-proxy.py stop STATE
                        stops that proxy by its pid
  caldav-proxy.py refuse STATE ANSWER
                        how a sync-collection REPORT is answered from now on:
                          none      forwarded (the default)
                          403       403 with a DAV:supported-report error
                          400, 405, 501
                                    a bare refusal with that status
                          stale-403, stale-409
                                    the next report carrying a token is refused with that
                                    status and a DAV:valid-sync-token error; then none again
                          page-N    forwarded, but answered N entries at a time as servers
                                    page long listings: a 507 entry for the collection and a
                                    token that leads on to the rest
  caldav-proxy.py counts STATE
                        prints the requests since the last count, one "KEY N" line per key,
                        sorted, and starts counting afresh; the key is the method, for a REPORT
                        followed by the local name of its root element (REPORT:sync-collection)
"""
import http.client
import http.server
import os
import sys
import threading
import urllib.request

from detached_server import ScriptedHandler, read_state, run, write_state
import xml.etree.ElementTree as ET

CONTROL = "/.proxy/"
HOP_BY_HOP = {"connection", "keep-alive", "proxy-connection", "te", "trailer",
              "transfer-encoding", "upgrade", "expect", "content-length"}
METHODS = ["GET", "HEAD", "PUT", "POST", "DELETE", "OPTIONS", "PROPFIND", "PROPPATCH",
           "REPORT", "MKCALENDAR", "MKCOL", "MOVE", "COPY", "LOCK", "UNLOCK"]
DAV_ERROR = ('<?xml version="1.0" encoding="utf-8"?>\n'
             '<D:error xmlns:D="DAV:"><D:%s/></D:error>\n')


class Proxy(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, backend_state):
        super().__init__(("127.0.0.1", 0), Handler)
        self.backend_state = backend_state
        self.lock = threading.Lock()
        self.counts = {}
        self.refusal = "none"


def report_of(body):
    """The root element's local name and the sync token of a REPORT body."""
    try:
        root = ET.fromstring(body)
    except ET.ParseError:
        return "", ""
    token = root.find("{DAV:}sync-token")
    return root.tag.rpartition("}")[2], (token.text or "").strip() if token is not None else ""


class Handler(ScriptedHandler):
    def control(self, body):
        server = self.server
        with server.lock:
            if self.path == CONTROL + "refuse":
                server.refusal = body.decode().strip()
                return self.answer(204)
            if self.path == CONTROL + "counts":
                return self.answer_counts()
        self.answer(404)

    # The refusal a server without the report (or without the token's history) would send, or
    # None to forward the request.
    def refusal(self, kind, token):
        server = self.server
        with server.lock:
            mode = server.refusal
            if kind != "sync-collection" or mode == "none" or mode.startswith("page-"):
                return None
            if mode.startswith("stale-"):
                if not token:
                    return None
                server.refusal = "none"
                return int(mode[6:]), DAV_ERROR % "valid-sync-token"
            if mode == "403":
                return 403, DAV_ERROR % "supported-report"
            return int(mode), ""

    def fetch(self, body):
        """The server's status, body and headers for this request with `body`."""
        backend = read_state(self.server.backend_state)["URL"]
        host, _, port = backend.partition("://")[2].partition(":")
        headers = {k: v for k, v in self.headers.items() if k.lower() not in HOP_BY_HOP}
        conn = http.client.HTTPConnection(host, int(port), timeout=120)
        try:
            conn.request(self.command, self.path, body=body if body else None, headers=headers)
            reply = conn.getresponse()
            data = reply.read()
            kept = [(k, v) for k, v in reply.getheaders() if k.lower() not in HOP_BY_HOP]
        finally:
            conn.close()
        return reply.status, data, kept

    def forward_part(self, body, token, size):
        """The sync report's answer from `token` in parts of `size` entries. The token of a
        part is the one the server was asked from, '#', and how many entries were given."""
        real, _, given = token.partition("#")
        if token:
            body = body.replace(token.encode(), real.encode())
        status, data, headers = self.fetch(body)
        if status != 207:
            return self.answer(status, data, headers)
        root = ET.fromstring(data)
        entries = root.findall("{DAV:}response")
        token_element = root.find("{DAV:}sync-token")
        for element in entries + [token_element]:
            root.remove(element)
        given = int(given or 0)
        part = entries[given:given + size]
        root.extend(part)
        if len(entries) > given + size:
            cut = ET.SubElement(root, "{DAV:}response")
            ET.SubElement(cut, "{DAV:}href").text = self.path
            ET.SubElement(cut, "{DAV:}status").text = "HTTP/1.1 507 Insufficient Storage"
            token_element.text = "%s#%d" % (real, given + size)
        root.append(token_element)
        self.answer(207, ET.tostring(root, encoding="utf-8", xml_declaration=True), headers)

    def handle_any(self):
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length else b""
        if self.path.startswith(CONTROL):
            return self.control(body)
        kind, token = report_of(body) if self.command == "REPORT" else ("", "")
        key = self.command + (":" + kind if kind else "")
        with self.server.lock:
            self.server.counts[key] = self.server.counts.get(key, 0) + 1
        mode = self.server.refusal
        if kind == "sync-collection" and mode.startswith("page-"):
            return self.forward_part(body, token, int(mode[5:]))
        refused = self.refusal(kind, token)
        if refused is None:
            return self.answer(*self.fetch(body))
        status, text = refused
        headers = [("Content-Type", "application/xml; charset=utf-8")] if text else []
        if status == 405:
            headers.append(("Allow", "OPTIONS, GET, HEAD, PUT, DELETE, PROPFIND"))
        self.answer(status, text.encode(), headers)


for _method in METHODS:
    setattr(Handler, "do_" + _method, Handler.handle_any)


def serve(state, backend_state):
    proxy = Proxy(backend_state)
    port = proxy.server_address[1]
    write_state(state, {"PORT": port, "PID": os.getpid(), "URL": "http://127.0.0.1:%d" % port})
    proxy.serve_forever()


def control(state, path, body=None):
    url = read_state(state)["URL"] + CONTROL + path
    method = "PUT" if body is not None else "POST"
    request = urllib.request.Request(url, data=(body or "").encode(), method=method)
    with urllib.request.urlopen(request, timeout=10) as reply:
        return reply.read().decode()


def main(argv):
    return run(__file__, argv, serve, "the proxy", {
        "refuse": lambda state, answer: control(state, "refuse", answer),
        "counts": lambda state, *_: sys.stdout.write(control(state, "counts")),
    })

if __name__ == "__main__":
    sys.exit(main(sys.argv))
