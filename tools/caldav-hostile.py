#!/usr/bin/python3
"""A scripted calendar server that misbehaves on purpose, for the sync's tests: it keeps no
real calendar and answers every request as the mode set last says. 127.0.0.1 only, on a free
port; any collection path is "the" collection.

  caldav-hostile.py start STATE
                        starts the server detached and writes PORT=, PID= and URL= into STATE
  caldav-hostile.py stop STATE
                        stops it by its pid
  caldav-hostile.py mode STATE MODE
                        how requests are answered from now on:
                          blackhole   every PUT answered 201 with an ETag, nothing kept; no
                                      sync report (501), so the collection is listed with
                                      PROPFIND, and it lists no event
                          bad-href, bad-etag, bad-uid, bad-token, long-href
                                      the sync report lists one event whose href, ETag, UID or
                                      the report's token holds CR LF and a forged [resource]
                                      entry, or whose href runs to 5000 bytes
                          endless     every sync report answers one new event, 507 for the
                                      collection and a token never seen before
                          huge-parts  as endless, but every part is a 250 MB reply
                          many-parts  as endless, with parts of 2 MB of events with long hrefs
                          big-events  the report lists 1000 events; each fetched is 200 KB
                          minutely    the report lists 2 events, each repeating every minute
                                      80 000 times
  caldav-hostile.py counts STATE
                        prints the requests since the last count, one "METHOD N" line per method,
                        sorted, and starts counting afresh
"""
import http.server
import os
import sys
import threading
import time
import urllib.request

from detached_server import ScriptedHandler, read_state, run, write_state

CONTROL = "/.hostile/"
METHODS = ["GET", "HEAD", "POST", "PUT", "DELETE", "OPTIONS", "PROPFIND", "REPORT", "MKCALENDAR"]
HEAD = b'<?xml version="1.0" encoding="utf-8"?>\n<d:multistatus xmlns:d="DAV:" ' \
       b'xmlns:c="urn:ietf:params:xml:ns:caldav">'
TAIL = b"</d:multistatus>"
FORGED = "&#13;&#10;[resource]&#13;&#10;href=/cal/real.ics&#13;&#10;etag=\"x\""


def member(href, etag='"e1"'):
    return ('<d:response><d:href>%s</d:href><d:propstat><d:prop><d:getetag>%s</d:getetag>'
            '</d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>'
            % (href, etag)).encode()


def collection(path):
    return ('<d:response><d:href>%s</d:href><d:propstat><d:prop><d:resourcetype><d:collection/>'
            '<c:calendar/></d:resourcetype></d:prop><d:status>HTTP/1.1 200 OK</d:status>'
            '</d:propstat></d:response>' % path).encode()


def token(text):
    return ("<d:sync-token>%s</d:sync-token>" % text).encode()


def event(uid, padding=0, rule=""):
    return ("BEGIN:VCALENDAR&#13;\nVERSION:2.0&#13;\nPRODID:-//t//t//EN&#13;\nBEGIN:VEVENT&#13;\n"
            "UID:%s&#13;\nDTSTAMP:20261201T000000Z&#13;\nDTSTART:20261210T120000&#13;\n%s"
            "SUMMARY:Lunch&#13;\nDESCRIPTION:%s&#13;\nEND:VEVENT&#13;\nEND:VCALENDAR&#13;\n"
            % (uid, rule and "RRULE:%s&#13;\n" % rule, "x" * padding))


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self):
        super().__init__(("127.0.0.1", 0), Handler)
        self.lock = threading.Lock()
        self.counts = {}
        self.mode = "blackhole"
        self.parts = 0
        self.huge = None


class Handler(ScriptedHandler):
    def multistatus(self, *parts):
        self.answer(207, HEAD + b"".join(parts) + TAIL,
                    [("Content-Type", "application/xml; charset=utf-8")])

    def part(self, entries):
        """One part of an endless listing: `entries`, 507 for the collection, a new token."""
        with self.server.lock:
            self.server.parts += 1
            n = self.server.parts
        cut = ("<d:response><d:href>%s</d:href><d:status>HTTP/1.1 507 Insufficient Storage"
               "</d:status></d:response>" % self.path).encode()
        self.multistatus(entries, cut, token("http://hostile/sync/%d" % n))

    def listing(self, mode):
        path = self.path
        if mode == "endless":
            return self.part(member(path + "e%d.ics" % self.server.parts))
        if mode == "huge-parts":
            with self.server.lock:
                if self.server.huge is None:
                    one = member(path + "e.ics")
                    self.server.huge = one * ((250 << 20) // len(one))
            return self.part(self.server.huge)
        if mode == "many-parts":
            n = self.server.parts
            return self.part(b"".join(member(path + "%d-%d-" % (n, i) + "x" * 1000 + ".ics")
                                      for i in range(2000)))
        if mode in ("big-events", "minutely"):
            count = 1000 if mode == "big-events" else 2
            return self.multistatus(*(member(path + "e%d.ics" % i) for i in range(count)),
                                    token("t1"))
        href, etag, sync = path + "e1.ics", '"e1"', "t1"
        if mode == "bad-href":
            href += FORGED
        elif mode == "bad-etag":
            etag += FORGED
        elif mode == "bad-token":
            sync += FORGED
        elif mode == "long-href":
            href += "x" * 5000
        self.multistatus(member(href, etag), token(sync))

    def fetch(self, body):
        """calendar-multiget: every href asked for, with its event."""
        mode = self.server.mode
        hrefs = [h.split("</d:href>")[0] for h in body.decode().split("<d:href>")[1:]]
        uid = "u1" + (FORGED.replace("&#13;&#10;", "\\n") if mode == "bad-uid" else "")
        padding = 200 << 10 if mode == "big-events" else 1
        rule = "FREQ=MINUTELY;COUNT=80000" if mode == "minutely" else ""
        self.multistatus(*(member(h).replace(b"</d:getetag>", b"</d:getetag><c:calendar-data>" +
                                             event(uid if not rule else h.rsplit("/", 1)[1],
                                                   padding, rule).encode() +
                                             b"</c:calendar-data>")
                           for h in hrefs))

    def handle_any(self):
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length else b""
        if self.path.startswith(CONTROL):
            return self.control(body)
        with self.server.lock:
            self.server.counts[self.command] = self.server.counts.get(self.command, 0) + 1
            mode = self.server.mode
        if self.command == "PUT":
            return self.answer(201, headers=[("ETag", '"e%d"' % time.monotonic_ns())])
        if self.command == "DELETE":
            return self.answer(204)
        if self.command == "PROPFIND":
            return self.multistatus(collection(self.path))
        if self.command == "REPORT" and b"calendar-multiget" in body:
            return self.fetch(body)
        if self.command == "REPORT" and mode != "blackhole":
            return self.listing(mode)
        self.answer(501)

    def control(self, body):
        server = self.server
        with server.lock:
            if self.path == CONTROL + "mode":
                server.mode = body.decode().strip()
                server.parts = 0
                return self.answer(204)
            if self.path == CONTROL + "counts":
                return self.answer_counts()
        self.answer(404)


for _method in METHODS:
    setattr(Handler, "do_" + _method, Handler.handle_any)


def serve(state):
    server = Server()
    port = server.server_address[1]
    write_state(state, {"PORT": port, "PID": os.getpid(), "URL": "http://127.0.0.1:%d" % port})
    server.serve_forever()


def control(state, path, body=""):
    url = read_state(state)["URL"] + CONTROL + path
    request = urllib.request.Request(url, data=body.encode(), method="POST")
    with urllib.request.urlopen(request, timeout=10) as reply:
        return reply.read().decode()


def main(argv):
    return run(__file__, argv, serve, commands={
        "mode": lambda state, mode: control(state, "mode", mode),
        "counts": lambda state, *_: sys.stdout.write(control(state, "counts")),
    })

if __name__ == "__main__":
    sys.exit(main(sys.argv))
