#!/usr/bin/python3
"""A calendar server that misbehaves on purpose, for the tests of what a sync must withstand.
127.0.0.1 only, on free ports. The first segment of a request's path chooses the behaviour:

  /slow/...     a 207 reply that trickles in at 2 bytes a second (for at most 45 s, then the
                connection closes)
  /laughs/...   a 207 reply of a few hundred bytes whose entities expand to gigabytes
  /foreign/...  a working calendar whose listing also names resources on another server (the
                ELSEWHERE port, another host name, https) and outside the collection ("..",
                "%2E%2E"); it takes in PUT and DELETE

Every request on any port is logged as "PORT METHOD HOST PATH AUTH" (AUTH: "auth" when an
Authorization header came, else "-") to STATE.requests, so a test can tell where credentials
went. The ELSEWHERE port answers 404 to everything; the TLS port (with CERT_DIR) shows
CERT_DIR/wrongname.pem, a certificate of the tests' CA for another host name.

  caldav-wire-faults.py start STATE [CERT_DIR]
                        starts the server detached; writes PORT=, ELSEWHERE=, TLS_PORT= (with
                        CERT_DIR), PID=, URL= and REQUESTS= lines into STATE
  caldav-wire-faults.py stop STATE
                        stops that server by its pid
"""
import http.server
import os
import ssl
import sys
import threading
import time
import xml.etree.ElementTree as ET

from detached_server import ScriptedHandler, read_state, run, write_state

METHODS = ["GET", "HEAD", "PUT", "POST", "DELETE", "OPTIONS", "PROPFIND", "PROPPATCH",
           "REPORT", "MKCALENDAR"]

LAUGHS = ('<?xml version="1.0"?>\n<!DOCTYPE d [\n<!ENTITY a "lollollollol">\n' +
          "".join('<!ENTITY %s "%s">\n' % (chr(ord("b") + i), ("&%s;" % chr(ord("a") + i)) * 10)
                  for i in range(9)) +
          ']>\n<d:multistatus xmlns:d="DAV:"><d:response><d:href>&j;</d:href></d:response>'
          '</d:multistatus>\n')

EVENT = ("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//hostile//EN\r\nBEGIN:VEVENT\r\n"
         "UID:%s\r\nDTSTAMP:20261201T000000Z\r\nDTSTART:20261210T120000\r\n"
         "DTEND:20261210T130000\r\nSUMMARY:%s\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n")


def escape(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, log, ports):
        super().__init__(("127.0.0.1", 0), Handler)
        self.log, self.ports = log, ports


class Handler(ScriptedHandler):
    def multistatus(self, entries, token=None):
        body = '<?xml version="1.0" encoding="utf-8"?>\n<d:multistatus xmlns:d="DAV:" ' \
               'xmlns:c="urn:ietf:params:xml:ns:caldav">'
        for href, props in entries:
            body += ("<d:response><d:href>%s</d:href><d:propstat><d:prop>%s</d:prop>"
                     "<d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>"
                     % (escape(href), props))
        if token:
            body += "<d:sync-token>%s</d:sync-token>" % token
        body += "</d:multistatus>"
        self.answer(207, body.encode(), [("Content-Type", "application/xml; charset=utf-8")])

    def foreign_hrefs(self):
        ports = self.server.ports
        return ["http://127.0.0.1:%d/foreign/a.ics" % ports["ELSEWHERE"],
                "http://localhost:%d/foreign/b.ics" % ports["PORT"],
                "https://127.0.0.1:%d/foreign/c.ics" % ports["PORT"],
                "/foreign/../d.ics",
                "/foreign/%2E%2E/e.ics",
                "/foreign/good.ics"]

    def foreign(self, body):
        calendar = "<d:resourcetype><d:collection/><c:calendar/></d:resourcetype>"
        kind = ""
        if self.command == "REPORT":
            root = ET.fromstring(body)
            kind = root.tag.rpartition("}")[2]
        if self.command == "PUT":
            return self.answer(201, headers=[("ETag", '"new"')])
        if self.command == "DELETE":
            return self.answer(204)
        if kind == "calendar-multiget":
            hrefs = [h.text for h in root.iter("{DAV:}href")]
            return self.multistatus(
                [(h, '<d:getetag>"1"</d:getetag><c:calendar-data>%s</c:calendar-data>'
                  % escape(EVENT % (h.rpartition("/")[2], "Event " + h.rpartition("/")[2])))
                 for h in hrefs])
        if self.command == "PROPFIND" and self.headers.get("Depth") == "0":
            return self.multistatus([("/foreign/", calendar)])
        if self.command in ("PROPFIND", "REPORT"):
            return self.multistatus(
                [("/foreign/", calendar)] +
                [(h, '<d:getetag>"1"</d:getetag>') for h in self.foreign_hrefs()],
                token="http://127.0.0.1/sync/1" if kind == "sync-collection" else None)
        self.answer(405)

    def slow(self):
        self.send_response_only(207)
        self.send_header("Content-Type", "application/xml; charset=utf-8")
        self.send_header("Content-Length", "100000")
        self.end_headers()
        self.wfile.flush()
        drip = b'<?xml version="1.0"?><d:multistatus xmlns:d="DAV:">' + b" " * 100000
        for i in range(0, 90, 2):
            self.wfile.write(drip[i:i + 2])
            self.wfile.flush()
            time.sleep(1)
        self.close_connection = True

    def handle_any(self):
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length else b""
        port = self.connection.getsockname()[1]
        auth = "auth" if self.headers.get("Authorization") else "-"
        with self.server.log_lock:
            with open(self.server.log, "a") as log:
                log.write("%d %s %s %s %s\n" % (port, self.command, self.headers.get("Host"),
                                                self.path, auth))
        if port != self.server.ports["PORT"]:
            return self.answer(404)
        what = self.path.split("/")[1] if self.path.startswith("/") else ""
        try:
            if what == "slow":
                return self.slow()
            if what == "laughs":
                return self.answer(207, LAUGHS.encode(), [("Content-Type", "application/xml")])
            if what == "foreign":
                return self.foreign(body)
        except (BrokenPipeError, ConnectionResetError):
            self.close_connection = True
            return
        self.answer(404)


for _method in METHODS:
    setattr(Handler, "do_" + _method, Handler.handle_any)


def serve(state, cert_dir=""):
    log = state + ".requests"
    open(log, "w").close()
    ports = {}
    calendar = Server(log, ports)
    elsewhere = Server(log, ports)
    servers = [calendar, elsewhere]
    ports["PORT"] = calendar.server_address[1]
    ports["ELSEWHERE"] = elsewhere.server_address[1]
    if cert_dir:
        tls = Server(log, ports)
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(os.path.join(cert_dir, "wrongname.pem"),
                                os.path.join(cert_dir, "wrongname.key"))
        tls.socket = context.wrap_socket(tls.socket, server_side=True)
        servers.append(tls)
        ports["TLS_PORT"] = tls.server_address[1]
    lock = threading.Lock()
    for server in servers:
        server.log_lock = lock
    for server in servers[1:]:
        threading.Thread(target=server.serve_forever, daemon=True).start()
    write_state(state, dict(ports, PID=os.getpid(), URL="http://127.0.0.1:%d" % ports["PORT"],
                            REQUESTS=log))
    calendar.serve_forever()


def main(argv):
    return run(__file__, argv, serve)

if __name__ == "__main__":
    sys.exit(main(sys.argv))
