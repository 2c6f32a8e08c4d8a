#!/usr/bin/python3
"""Writes the old-calendar table resources/jdoldcal.txt.

One row per month of the Japanese lunisolar calendar, for every month that touches 1900-01-01
to 2100-12-31, and then the start of the next month as the end mark: the day number (Julian Day
Number) of the month's first day and the month's number, 100 + n for a leap month that repeats
month n. Rows end in CR LF.

How the months are reckoned, as Japanese almanacs do it today:
- A month begins on the Japan Standard Time (UTC+9) civil day that holds the new moon.
- The principal solar terms (中気) are the instants at which the Sun's apparent longitude is a
  multiple of 30 degrees, each taken on its JST day: 330 -> 1, 0 -> 2, 30 -> 3, ... 270 (the
  winter solstice, 冬至) -> 11, 300 -> 12. The month holding the winter solstice is month 11.
- From one month 11 to the next there are twelve or thirteen months. Twelve: they are numbered
  12, 1, ..., 10 in turn. Thirteen: the first of them that holds no principal term is the leap
  month and repeats the number of the month before it; the others are numbered in turn.
  Wherever a span of thirteen months holds only one month without a principal term, this is
  exactly the old reading "a month takes the number of the principal term it holds, a month
  without one is a leap month", and it gives the same answer in every year but one of
  1900-2100.
- The exception is 2033-2034 (旧暦2033年問題), where the old reading numbers no month 10 and
  finds two months without a principal term. The rule above makes the month from 2033-12-22 the
  leap eleventh month (閏11月): 7, 8, 9, 10, 11, 閏11, 12, then 1 of 2034. That is the
  resolution the calendar makers' association 一般社団法人日本カレンダー暦文化振興協会 adopted
  in its statement of August 2015 (the first of the three plans the National Astronomical
  Observatory of Japan's almanac pages describe for the problem), and the one the published
  perpetual almanacs mostly follow. It is also the placing rule of the 時憲暦, on which the
  天保暦 was modelled, so it is one rule for every year, with no row written by hand.

The rows of 28 December 1989 to 6 December 2010, which the program carried first, come out
unchanged.

Run with the Debian interpreter, which has PyEphem (apt-get install python3-ephem):
    /usr/bin/python3 tools/gen_jdoldcal.py
--report prints the new moons and principal terms closest to JST midnight (the close calls).
"""
import argparse
import bisect
import os
import sys

import ephem

from almanac_astronomy import (jst_day_number, jst_seconds_from_midnight, new_moons,
                               sun_longitude_instants)

FIRST_DAY = 2415021  # 1900-01-01
LAST_DAY = 2488434   # 2100-12-31
WINTER_SOLSTICE_MONTH = 11


def principal_term_month(longitude):
    """The month number that a principal term at `longitude` degrees gives."""
    return (int(longitude) // 30 + 1) % 12 + 1


def reckon(report=False):
    """[(first day, month number)] for every month from well before 1900 to after 2100."""
    moons = new_moons(ephem.Date('1898/6/1'), ephem.Date('2102/3/1'))
    starts = [jst_day_number(t) for t in moons]
    terms = sun_longitude_instants(range(0, 360, 30), 1898, 2101)
    held = [[] for _ in starts]  # principal-term month numbers held by each month
    for when, lon in terms:
        i = bisect.bisect_right(starts, jst_day_number(when)) - 1
        if 0 <= i < len(starts) - 1:
            held[i].append(principal_term_month(lon))
    anchors = [i for i in range(len(starts) - 1) if WINTER_SOLSTICE_MONTH in held[i]]
    months = {}
    for a, b in zip(anchors, anchors[1:]):
        count = b - a
        if count not in (12, 13):
            sys.exit(f'{count} months between the winter solstices from day {starts[a]}')
        leap = None
        if count == 13:
            leap = next(i for i in range(a + 1, b) if not held[i])
        number = WINTER_SOLSTICE_MONTH
        months[a] = number
        for i in range(a + 1, b):
            if i == leap:
                months[i] = 100 + number
            else:
                number = number % 12 + 1
                months[i] = number
    rows = [(starts[i], months[i]) for i in sorted(months)]
    if report:
        differ = [(starts[i], months[i], held[i]) for i in sorted(months)
                  if (held[i] and months[i] % 100 not in held[i]) or
                  (not held[i] and months[i] < 100) or (months[i] > 100 and held[i])]
        print('months where "the number of the principal term it holds" does not decide:')
        for day, number, h in differ:
            print(f'  {day} month {number}, principal terms held {h}')
        close = sorted((abs(jst_seconds_from_midnight(t)), 'new moon', t) for t in moons)[:10]
        close += sorted((abs(jst_seconds_from_midnight(t)), f'term {lon}', t)
                        for t, lon in terms)[:10]
        print('closest to JST midnight:')
        for seconds, what, t in sorted(close):
            print(f'  {seconds:7.1f} s  {what:9}  {ephem.Date(t + 9 * ephem.hour)} JST')
    return rows


def table(report=False):
    rows = reckon(report)
    first = max(i for i, (day, _) in enumerate(rows) if day <= FIRST_DAY)
    last = min(i for i, (day, _) in enumerate(rows) if day > LAST_DAY)
    return rows[first:last + 1]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('-o', '--output',
                        default=os.path.normpath(os.path.join(here, '..', 'resources',
                                                              'jdoldcal.txt')))
    parser.add_argument('--report', action='store_true',
                        help='print the months the old reading cannot number and the close calls')
    args = parser.parse_args()
    rows = table(args.report)
    with open(args.output, 'w', newline='', encoding='ascii') as f:
        for day, number in rows:
            f.write(f'{day},{number}\r\n')
    print(f'{len(rows)} rows written to {args.output}')


if __name__ == '__main__':
    main()
