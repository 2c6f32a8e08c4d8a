#!/bin/sh
# Peak memory (maximum resident set) and time of every moriva-cli command that reads a schedule
# file, on a generated schedule of N lines (bench/make_schedule.py), each under /usr/bin/time -v.
#
#   bench/cli_memory.sh [CLI] [N] [DIR]
#
# CLI defaults to build/moriva-cli, N to 1000000, DIR to a new temporary folder (kept, so the
# generated files serve the next run). Prints one row per command: name, peak RSS in MiB, the
# ceiling 3 x schedule file + 64 MiB, wall and CPU seconds.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
cli=$(realpath "${1:-$here/../build/moriva-cli}")
n=${2:-1000000}
dir=${3:-$(mktemp -d /tmp/moriva-cli-memory.XXXXXX)}
mkdir -p "$dir"
mrv=$dir/s$n.mrv
[ -f "$mrv" ] || python3 "$here/make_schedule.py" "$n" "$mrv"
size=$(stat -c %s "$mrv")
ceiling=$(( (3 * size) / 1048576 + 64 ))
opts="--today 2026-12-08 --holidays current"

# Input files for the imports, made once from the schedule itself.
[ -f "$dir/s$n.ics" ] || "$cli" ics-export "$mrv" "$dir/s$n.ics" --tz Asia/Tokyo $opts >/dev/null
[ -f "$dir/s$n.csv" ] || "$cli" csv-export "$mrv" "$dir/s$n.csv" --today 2000-01-01 >/dev/null

run() {
  name=$1
  shift
  cp "$mrv" "$dir/work.mrv"
  status=0
  /usr/bin/time -v -o "$dir/time.txt" "$@" >"$dir/out.txt" 2>&1 || status=$?
  [ "$status" -eq 0 ] || { echo "$name failed ($status):"; cat "$dir/out.txt"; }
  rss=$(awk -F': ' '/Maximum resident/ {print int($2 / 1024)}' "$dir/time.txt")
  wall=$(awk -F': ' '/Elapsed/ {print $2}' "$dir/time.txt")
  cpu=$(awk -F': ' '/User time/ {u=$2} /System time/ {s=$2} END {printf "%.2f", u + s}' "$dir/time.txt")
  printf '%-12s %6s MiB  (ceiling %s MiB)  wall %s  cpu %s s\n' "$name" "$rss" "$ceiling" "$wall" "$cpu"
}

w=$dir/work.mrv
echo "schedule: $n lines, $size bytes ($dir)"
run days "$cli" days 2026-12-01 2026-12-31 --schedule "$w" --holidays current
run agenda "$cli" agenda "$w" 2026-12-08 2026-12-08 $opts
run csv-export "$cli" csv-export "$w" "$dir/out.csv" $opts
run csv-import "$cli" csv-import "$w" "$dir/s$n.csv"
run ics-export "$cli" ics-export "$w" "$dir/out.ics" --tz Asia/Tokyo $opts
run ics-import "$cli" ics-import "$w" "$dir/s$n.ics" --tz Asia/Tokyo --today 2026-12-08
run xml-export "$cli" xml-export "$w" "$dir/out.xml"
