#!/usr/bin/env bash
# Runs the real Moriva window on a virtual display against private mail servers and takes
# screenshots: the schedule is sent with H"送信, a stand-in for the handset answers with a
# schedule mail, H"受信 fetches and merges it.
#   tools/demo-mail-window.sh [BUILD_DIR [OUT_DIR]]
# OUT_DIR (default: a new temporary folder) receives 1-sent.png, 2-merged.png (the merge's
# message box) and 3-received.png (the status bar after the receive).
# Needs xvfb, xdotool, imagemagick, dovecot-pop3d and python3-aiosmtpd (tools/install-deps.sh).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
out=${2:-$(mktemp -d /tmp/moriva-demo-shots.XXXXXX)}
mkdir -p "$out"
py=/usr/bin/python3
work=$(mktemp -d /tmp/moriva-demo.XXXXXX)
xvfb_pid="" app_pid=""

cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  "$here/dovecot-pop3.sh" stop "$work/pop3.state" || true
  "$here/aiosmtpd-smtpd.sh" stop "$work/smtp.state" || true
  rm -rf "$work"
}
trap cleanup EXIT

"$here/dovecot-pop3.sh" start "$work/pop3.state"
"$here/aiosmtpd-smtpd.sh" start "$work/smtp.state"
pop_port=$(sed -n 's/^PORT=//p' "$work/pop3.state")
pop_dir=$(sed -n 's/^DIR=//p' "$work/pop3.state")
smtp_port=$(sed -n 's/^PORT=//p' "$work/smtp.state")
smtp_maildir=$(sed -n 's/^MAILDIR=//p' "$work/smtp.state")

# The window looks for its settings beside its own program file.
prog="$work/prog"
mkdir -p "$prog"
cp "$build/moriva" "$prog/moriva"
cli() { "$build/moriva-cli" --dir "$prog" "$@" >/dev/null; }
cli config hs110email phone@example.jp
cli config smtp "127.0.0.1:$smtp_port"
cli config sender "山田 花子"
cli config sendermail hanako@example.jp
cli config pop "127.0.0.1:$pop_port"
cli config userid user01
cli config password secret01

# Items a few days ahead, so that they are sent and show in this month's calendar.
day() { date -d "+$1 days" +%Y,%Y,%-m,%-d; }
slash() { date -d "+$1 days" +%Y/%-m/%-d; }
printf '%s\r\n' "$(day 2),,,\"会議- 本社- 10:30:0- TRUE\"" "$(day 9),,,\"歯医者- - 15:0:0- FALSE\"" |
  iconv -f UTF-8 -t CP932 > "$work/plan.mrv"

# A free display number, chosen by the server itself.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")

"$prog/moriva" "$work/plan.mrv" >"$work/moriva.log" 2>&1 &
app_pid=$!
timeout 20 xdotool search --sync --onlyvisible --pid "$app_pid" >/dev/null
sleep 1
win=$(xdotool search --onlyvisible --pid "$app_pid" | sort -n | tail -1)

# Without a window manager nothing moves the focus: keys go to the newest visible window of
# the program (a message box while one is open, the main window otherwise).
newest() { xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null | sort -n | tail -1; }
keys() {
  xdotool windowfocus --sync "$(newest)" 2>/dev/null || true
  xdotool key --delay 150 "$@"
  sleep 1
}
box_open() { [ "$(newest)" != "$win" ]; }

# H"送信: the question (Yes is the default), then the outcome.
keys alt+t Return
box_open && keys Return
sleep 1
import -window root "$out/1-sent.png"
box_open && keys Return

# The handset reads SCHEDULE.CSV and answers with its items in its own column order and one
# item of its own, as a mail "mrv" next to one with another subject.
"$py" - "$smtp_maildir" "$pop_dir/mail/user01/Maildir" "$(slash 5)" <<'PY'
import csv, email, email.policy, glob, io, os, sys, time
from email.message import EmailMessage
smtp_maildir, box, extra_day = sys.argv[1:4]
sent = None
for path in sorted(glob.glob(os.path.join(smtp_maildir, "new", "*"))):
    m = email.message_from_binary_file(open(path, "rb"), policy=email.policy.default)
    for part in m.iter_attachments():
        if part.get_filename() == "SCHEDULE.CSV":
            sent = part.get_payload(decode=True).decode("cp932")
if sent is None:
    sys.exit("nothing was delivered")
rows = list(csv.reader(io.StringIO(sent)))[1:]
answer = io.StringIO()
w = csv.writer(answer, quoting=csv.QUOTE_ALL, lineterminator="\r\n")
w.writerow(["subject", "place", "date", "time", "alarm"])
for subject, date, tm, alarm, place in rows:
    w.writerow([subject, place, date, tm, alarm.lower()])
w.writerow(["買い物", "駅前", extra_day, "18:0:0", "false"])
st = os.stat(box)
for n, (subject, body) in enumerate([("hello", None), ("mrv", answer.getvalue())]):
    msg = EmailMessage()
    msg["From"], msg["To"], msg["Subject"] = "phone@example.jp", "hanako@example.jp", subject
    msg.set_content("schedule")
    if body is not None:
        msg.add_attachment(body.encode("cp932"), maintype="text", subtype="csv",
                           filename="HS110.CSV")
    path = os.path.join(box, "new", "%d.M%dP%d.demo" % (time.time(), os.getpid(), n))
    with open(path, "wb") as f:
        f.write(msg.as_bytes())
    os.chown(path, st.st_uid, st.st_gid)
PY

# H"受信: the merge's message box, then the window with the status bar.
keys alt+t Down Return
sleep 2
import -window root "$out/2-merged.png"
box_open && keys Return
sleep 1
import -window root "$out/3-received.png"
echo "screenshots in $out"
