#!/usr/bin/env python3
"""Writes a schedule file of N lines for the memory and growth figures of bench/README.md.

Most lines are single-day items on random days of 2000-2029 with Japanese subjects and places
(one in sixteen with "&" or "<" to escape); one line in a thousand is a series, one in five
thousand a yearly rule line. The same N gives the same file on every run.

    bench/make_schedule.py 1000000 /tmp/big.mrv
"""
import random
import sys

SUBJECTS = ["会議", "打合せ", "歯医者", "出張", "ミーティング", "R&D 報告", "<締切>", "買い物"]
PLACES = ["会議室", "本社", "", "第2会議室", "駅前"]
SERIES = [
    "every=1w;on=tu;count=10;holidays=skip",
    "every=2w;on=mo+we+fr",
    "every=1m;day=25;until=20271231",
    "every=1m;on=fr;week=2",
    "every=1y",
    "every=3d",
]


def line(rng, i):
    if i % 1000 == 999:
        rule = SERIES[(i // 1000) % len(SERIES)]
        start = f"{rng.randrange(2000, 2030)}{rng.randrange(1, 13):02d}{rng.randrange(1, 29):02d}"
        return f'repeat;id=bench-{i};start={start};{rule},"定例 {i}- 会議室- 10:0:0- TRUE"'
    if i % 5000 == 4998:
        return f',,{rng.randrange(1, 13)},{rng.randrange(1, 29)},,,"記念日 {i}"'
    y, m, d = rng.randrange(2000, 2030), rng.randrange(1, 13), rng.randrange(1, 29)
    subject = SUBJECTS[i % len(SUBJECTS)] if i % 16 == 0 else SUBJECTS[i % 5] + f" {i}"
    place = PLACES[i % len(PLACES)]
    alarm = "TRUE" if i % 3 == 0 else "FALSE"
    return f'{y},{y},{m},{d},,,"{subject}- {place}- {rng.randrange(24)}:{rng.randrange(60)}:0- {alarm}"'


def main():
    n, out = int(sys.argv[1]), sys.argv[2]
    rng = random.Random(n)
    with open(out, "wb") as f:
        for i in range(n):
            f.write(line(rng, i).encode("cp932") + b"\r\n")


if __name__ == "__main__":
    main()
