#!/usr/bin/python3
"""Writes the old-calendar table resources/jdoldcal.txt.

One row per month of the Japanese lunisolar calendar: the day number (Julian Day Number) of
the month's first day and the month's number, 100 + n for a leap month that repeats month n.

A month begins on the Japan Standard Time (UTC+9) civil day that contains the new moon. Its
number comes from the principal solar term (apparent solar longitude a multiple of 30 degrees,
JST day) that falls in it: 330 -> 1, 0 -> 2, 30 -> 3, ... 270 (winter solstice) -> 11,
300 -> 12. A month without a principal term is the leap month of the month before it.

Run with the Debian interpreter, which has python3-ephem:  /usr/bin/python3 tools/gen_jdoldcal.py
"""
import argparse
import datetime
import math
import os
import sys

import ephem

FIRST_ROW = 2447889  # 28 December 1989
LAST_ROW = 2455537   # 6 December 2010, only the end mark of the month before
JST = datetime.timedelta(hours=9)


def jst_day_number(when):
    """Julian Day Number of the JST civil day that contains the instant `when` (ephem.Date)."""
    local = ephem.Date(when).datetime() + JST
    return local.date().toordinal() + 1721425


def solar_longitude(when):
    """Apparent geocentric ecliptic longitude of the Sun, of date, in degrees."""
    sun = ephem.Sun(when)
    ecl = ephem.Ecliptic(ephem.Equatorial(sun.ra, sun.dec, epoch=when), epoch=when)
    return math.degrees(ecl.lon) % 360.0


def principal_terms(start, end):
    """(JST day number, month number) of every principal term between two ephem dates."""
    terms = []
    t = ephem.Date(start)
    step = 1.0
    while t < end:
        lon0 = solar_longitude(t)
        lon1 = solar_longitude(t + step)
        k0, k1 = math.floor(lon0 / 30.0), math.floor(lon1 / 30.0)
        if k0 != k1:  # a multiple of 30 degrees is crossed within this day: bisect to it
            target = (k1 % 12) * 30.0
            lo, hi = float(t), float(t) + step
            for _ in range(50):
                mid = (lo + hi) / 2
                diff = (solar_longitude(mid) - target + 180.0) % 360.0 - 180.0
                if diff < 0:
                    lo = mid
                else:
                    hi = mid
            number = (int(target // 30) + 1) % 12 + 1
            terms.append((jst_day_number(hi), number))
        t = ephem.Date(t + step)
    return terms


def month_starts(start, end):
    days = []
    t = ephem.next_new_moon(start)
    while t < end:
        days.append(jst_day_number(t))
        t = ephem.next_new_moon(ephem.Date(t + 1))
    return days


def table():
    start, end = ephem.Date('1989/10/1'), ephem.Date('2011/2/1')
    starts = month_starts(start, end)
    terms = principal_terms(start, end)
    rows = []
    for begin, next_begin in zip(starts, starts[1:]):
        inside = [n for day, n in terms if begin <= day < next_begin]
        if len(inside) > 1:
            sys.exit(f'month from day {begin} holds two principal terms; the rule needs help')
        if inside:
            rows.append((begin, inside[0]))
        elif rows:
            rows.append((begin, 100 + rows[-1][1] % 100))
    return [r for r in rows if FIRST_ROW <= r[0] <= LAST_ROW]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('-o', '--output',
                        default=os.path.normpath(os.path.join(here, '..', 'resources',
                                                              'jdoldcal.txt')))
    args = parser.parse_args()
    rows = table()
    if rows[0][0] != FIRST_ROW or rows[-1][0] != LAST_ROW:
        sys.exit('the table does not run from 28 December 1989 to 6 December 2010')
    with open(args.output, 'w', newline='', encoding='ascii') as f:
        for day, number in rows:
            f.write(f'{day},{number}\r\n')
    print(f'{len(rows)} rows written to {args.output}')


if __name__ == '__main__':
    main()
