#!/usr/bin/env python3
"""What the test Radicale itself takes to answer the requests of a CalDAV sync of 10 000 events,
with no client work around them: the whole listing of a first sync, the multiget requests that
fetch every event, and the one listing of a no-change sync (from the sync token). The ratio of
the last to the first two is the floor of a no-change sync against a first sync on this server.

    bench/radicale_floor.py [RUNS]      (starts and stops its own server)
"""
import base64
import http.client
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

EVENTS = 10000
BATCH = 500
RUNS = int(sys.argv[1]) if len(sys.argv) > 1 else 5
TOOL = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools", "radicale-server.sh")
AUTH = "Basic " + base64.b64encode(b"user01:secret01").decode()
PATH = "/user01/floor/"


def request(conn, method, path, body=b"", headers=None):
    h = {"Authorization": AUTH, "Content-Type": "application/xml; charset=utf-8"}
    h.update(headers or {})
    start = time.perf_counter()
    conn.request(method, path, body, h)
    reply = conn.getresponse()
    data = reply.read()
    return reply.status, data, (time.perf_counter() - start) * 1000


def sync_body(token):
    return ('<?xml version="1.0" encoding="utf-8"?><d:sync-collection xmlns:d="DAV:">'
            '<d:sync-token>%s</d:sync-token><d:sync-level>1</d:sync-level>'
            '<d:prop><d:getetag/></d:prop></d:sync-collection>' % token).encode()


def multiget_body(hrefs):
    refs = "".join("<d:href>%s</d:href>" % h for h in hrefs)
    return ('<?xml version="1.0" encoding="utf-8"?><c:calendar-multiget xmlns:d="DAV:" '
            'xmlns:c="urn:ietf:params:xml:ns:caldav"><d:prop><d:getetag/><c:calendar-data/>'
            '</d:prop>%s</c:calendar-multiget>' % refs).encode()


def main():
    state = os.path.join(tempfile.mkdtemp(), "radicale.state")
    subprocess.run([TOOL, "start", state], check=True)
    try:
        port = int(re.search(r"^PORT=(\d+)", open(state).read(), re.M).group(1))
        conn = http.client.HTTPConnection("127.0.0.1", port)
        request(conn, "MKCALENDAR", PATH)
        events = "".join(
            "BEGIN:VEVENT\r\nUID:bench-%d\r\nDTSTAMP:20260101T000000Z\r\n"
            "DTSTART:2027%02d%02dT%02d%02d00\r\nSUMMARY:Event %d\r\nEND:VEVENT\r\n"
            % (i, i % 12 + 1, i % 28 + 1, i % 24, i % 60, i) for i in range(EVENTS))
        ics = ("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//bench//EN\r\n" + events +
               "END:VCALENDAR\r\n").encode()
        status, _, _ = request(conn, "PUT", PATH, ics, {"Content-Type": "text/calendar"})
        assert status // 100 == 2, status
        whole, fetch, again = [], [], []
        for _ in range(RUNS):
            status, data, ms = request(conn, "REPORT", PATH, sync_body(""), {"Depth": "1"})
            assert status == 207, status
            whole.append(ms)
            hrefs = re.findall(rb"<(?:\w+:)?href>([^<]+\.ics)</(?:\w+:)?href>", data)
            token = re.search(rb"<(?:\w+:)?sync-token>([^<]+)</(?:\w+:)?sync-token>", data).group(1)
            assert len(hrefs) == EVENTS, len(hrefs)
            total = 0.0
            for i in range(0, len(hrefs), BATCH):
                status, _, ms = request(conn, "REPORT", PATH,
                                        multiget_body(h.decode() for h in hrefs[i:i + BATCH]),
                                        {"Depth": "1"})
                assert status == 207, status
                total += ms
            fetch.append(total)
            status, data, ms = request(conn, "REPORT", PATH, sync_body(token.decode()),
                                       {"Depth": "1"})
            assert status == 207 and b".ics" not in data, status
            again.append(ms)
        first = statistics.median(whole) + statistics.median(fetch)
        second = statistics.median(again)
        print("whole listing      %7.0f ms" % statistics.median(whole))
        print("20 multigets       %7.0f ms" % statistics.median(fetch))
        print("no-change listing  %7.0f ms" % second)
        print("floor ratio        %7.1f %%" % (100 * second / first))
    finally:
        subprocess.run([TOOL, "stop", state], check=True)


if __name__ == "__main__":
    main()
