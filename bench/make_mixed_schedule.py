#!/usr/bin/env python3
"""Writes a schedule file of N lines for the benchmarks: a realistic mix of dated items (most
lines, on days of 2016-2035, half with the alarm on), a few rule lines (yearly dates, nth
weekdays) and some series (weekly, monthly, yearly, every few days; some with an end).

    bench/make_schedule.py N FILE [--huge-counts]

With --huge-counts every series is daily with a count of 9999 that skips holidays (the worst
case for working out where a series ends).
"""
import random
import sys


def main():
    n = int(sys.argv[1])
    path = sys.argv[2]
    huge = "--huge-counts" in sys.argv
    rng = random.Random(4242)
    subjects = ["打ち合わせ", "会議", "ミーティング", "歯医者", "締め切り", "出張", "Lunch", "買い物"]
    places = ["会議室", "本社", "", "", "渋谷", "ｵﾌｨｽ"]
    lines = []
    series = 0 if huge else max(1, n // 1000)
    rules = 0 if huge else max(1, n // 2000)
    for i in range(series if not huge else n):
        start = f"{rng.randint(2016, 2026):04d}{rng.randint(1, 12):02d}{rng.randint(1, 28):02d}"
        text = f"{rng.choice(subjects)}{i}- {rng.choice(places)}- {rng.randint(7, 20)}:0:0- TRUE"
        if huge:
            rule = f"every=1d;count=9999;holidays=skip"
        else:
            kind = i % 5
            rule = ["every=1w;on=mo+th", "every=1m;day=15", "every=1y", "every=3d",
                    "every=2w;on=fr"][kind]
            if i % 4 == 0:
                rule += f";count={rng.randint(10, 500)}"
            if i % 3 == 0:
                rule += ";holidays=skip"
        lines.append(f'repeat;id=bench-{i};start={start};{rule},"{text}"')
    for i in range(rules):
        if i % 2:
            lines.append(f"{rng.randint(1, 12)},{rng.randint(1, 28)},記念日{i}")
        else:
            lines.append(f"{rng.randint(1, 12)},{rng.randint(1, 4)},{rng.randint(1, 7)},定例{i}")
    while len(lines) < n:
        i = len(lines)
        y, m, d = rng.randint(2016, 2035), rng.randint(1, 12), rng.randint(1, 28)
        alarm = "TRUE" if i % 2 else "FALSE"
        time = f"{rng.randint(0, 23)}:{rng.choice([0, 15, 30, 45])}:0" if i % 5 else "::0"
        text = f"{rng.choice(subjects)} {i}- {rng.choice(places)}- {time}- {alarm}"
        lines.append(f'{y},{y},{m},{d},,,"{text}"')
    rng.shuffle(lines)
    with open(path, "wb") as f:
        for line in lines[:n]:
            f.write(line.encode("cp932") + b"\r\n")


if __name__ == "__main__":
    main()
