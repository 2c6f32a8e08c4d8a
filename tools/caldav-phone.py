#!/usr/bin/python3
"""A second, independent CalDAV client for the tests: it plays the phone that shares the
calendar with Moriva.

  caldav-phone.py URL USER PASSWORD [--cafile PEM] COMMAND ARGS...
    mkcalendar                       makes the collection URL (MKCALENDAR)
    add UID START SUMMARY [RRULE [LINE...]]
                                     a new event; START as 20261210T100000 (floating) or
                                     20261210 (all day); RRULE such as FREQ=WEEKLY;COUNT=5, or
                                     - for none; LINEs are further content lines of the event
                                     (DTEND:..., BEGIN:VALARM, ...)
    change UID SUMMARY [START]       gives the event a new summary (and start)
    delete UID                       deletes the event
    list                             one line per event: UID|START|SUMMARY, sorted
    rule UID                         RRULE|EXDATEs of one event, the days taken out as
                                     20261215, comma-separated and sorted
    show UID                         START|END|SUMMARY|DESCRIPTION|REMINDERS of one event, the
                                     reminders as minutes from the start (-15,-60)
    place UID                        the LOCATION of one event (empty when it has none)
"""
import sys

import caldav


def text_of(t):
    """A date-time as 20261210T100000 (its wall-clock time), a date as 20261210."""
    if t is None:
        return ""
    return t.strftime("%Y%m%dT%H%M%S") if hasattr(t, "hour") else t.strftime("%Y%m%d")


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
        rrule = "RRULE:%s\r\n" % args[3] if len(args) > 3 and args[3] != "-" else ""
        rrule += "".join(line + "\r\n" for line in args[4:])
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
    elif command == "show":
        v = cal.event_by_uid(args[0]).vobject_instance.vevent
        start = v.dtstart.value
        end = None
        if hasattr(v, "dtend"):
            end = v.dtend.value
        elif hasattr(v, "duration"):
            end = start + v.duration.value
        description = v.description.value if hasattr(v, "description") else ""
        reminders = [str(int(a.trigger.value.total_seconds() // 60))
                     for a in v.contents.get("valarm", [])]
        print("%s|%s|%s|%s|%s" % (text_of(start), text_of(end), v.summary.value, description,
                                  ",".join(reminders)))
    elif command == "rule":
        v = cal.event_by_uid(args[0]).vobject_instance.vevent
        rule = v.rrule.value if hasattr(v, "rrule") else "-"
        days = sorted(text_of(d)[:8] for e in v.contents.get("exdate", []) for d in e.value)
        print("%s|%s" % (rule, ",".join(days)))
    elif command == "place":
        v = cal.event_by_uid(args[0]).vobject_instance.vevent
        print(v.location.value if hasattr(v, "location") else "")
    elif command == "list":
        rows = []
        for event in cal.events():
            v = event.vobject_instance.vevent
            rows.append("%s|%s|%s" % (v.uid.value, text_of(v.dtstart.value), v.summary.value))
        for row in sorted(rows):
            print(row)
    else:
        print("unknown command " + command, file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
