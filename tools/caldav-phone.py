#!/usr/bin/python3
"""A second, independent CalDAV client for the tests: it plays the phone that shares the
calendar with Moriva.

  caldav-phone.py URL USER PASSWORD [--cafile PEM] COMMAND ARGS...
    mkcalendar                       makes the collection URL (MKCALENDAR)
    add UID START SUMMARY [RRULE]    a new event; START as 20261210T100000 (floating) or
                                     20261210 (all day); RRULE such as FREQ=WEEKLY;COUNT=5
    change UID SUMMARY [START]       gives the event a new summary (and start)
    delete UID                       deletes the event
    list                             one line per event: UID|START|SUMMARY, sorted
"""
import sys

import caldav


def main(argv):
    url, user, password = argv[1:4]
    args = argv[4:]
    cafile = True
    if args[:1] == ["--cafile"]:
        cafile, args = args[1], args[2:]
    client = caldav.DAVClient(url, username=user, password=password, ssl_verify_cert=cafile)
    command, args = args[0], args[1:]
    if command == "mkcalendar":
        client.mkcalendar(url)
        return 0
    cal = client.calendar(url=url)
    if command == "add":
        uid, start, summary = args[:3]
        rrule = "RRULE:%s\r\n" % args[3] if len(args) > 3 else ""
        value = ";VALUE=DATE" if len(start) == 8 else ""
        cal.save_event(
            "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test phone//EN\r\n"
            "BEGIN:VEVENT\r\nUID:%s\r\nDTSTAMP:20260101T000000Z\r\nDTSTART%s:%s\r\n"
            "SUMMARY:%s\r\n%sEND:VEVENT\r\nEND:VCALENDAR\r\n" % (uid, value, start, summary, rrule))
    elif command == "change":
        event = cal.event_by_uid(args[0])
        vevent = event.vobject_instance.vevent
        vevent.summary.value = args[1]
        if len(args) > 2:
            from datetime import datetime
            vevent.dtstart.value = datetime.strptime(args[2], "%Y%m%dT%H%M%S")
        event.save()
    elif command == "delete":
        cal.event_by_uid(args[0]).delete()
    elif command == "list":
        rows = []
        for event in cal.events():
            v = event.vobject_instance.vevent
            start = v.dtstart.value
            text = start.strftime("%Y%m%dT%H%M%S") if hasattr(start, "hour") else start.strftime("%Y%m%d")
            rows.append("%s|%s|%s" % (v.uid.value, text, v.summary.value))
        for row in sorted(rows):
            print(row)
    else:
        print("unknown command " + command, file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
