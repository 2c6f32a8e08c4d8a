#!/usr/bin/python3
"""Writes the solar-term table resources/solarterms.txt.

One row per year from 1900 to 2100, CR LF: the year, then thirty days of that year, each given
as its day of the year (1 = 1 January): the Japan Standard Time (UTC+9) civil days on which the
Sun's apparent longitude reaches, in this order,
    285 小寒, 297 (winter 土用入り), 300 大寒, 315 立春, 330 雨水, 345 啓蟄, 0 春分, 15 清明,
    27 (spring 土用入り), 30 穀雨, 45 立夏, 60 小満, 75 芒種, 80 入梅, 90 夏至, 100 半夏生,
    105 小暑, 117 (summer 土用入り), 120 大暑, 135 立秋, 150 処暑, 165 白露, 180 秋分, 195 寒露,
    207 (autumn 土用入り), 210 霜降, 225 立冬, 240 小雪, 255 大雪, 270 冬至.
Every one of them happens once in each calendar year, in this order. The program derives the
other seasonal days (節分, 彼岸, 八十八夜, 土用の丑の日, 二百十日, 二百二十日) from these.

The astronomy is that of the old-calendar table (almanac_astronomy.py, PyEphem).
Run with the Debian interpreter, which has PyEphem (apt-get install python3-ephem):
    /usr/bin/python3 tools/gen_solarterms.py
"""
import argparse
import datetime
import os
import sys

from almanac_astronomy import jst_day_number, sun_longitude_instants

FIRST_YEAR, LAST_YEAR = 1900, 2100
LONGITUDES = [285, 297, 300, 315, 330, 345, 0, 15, 27, 30, 45, 60, 75, 80, 90, 100, 105, 117,
              120, 135, 150, 165, 180, 195, 207, 210, 225, 240, 255, 270]


def table():
    days = {}
    for when, lon in sun_longitude_instants(LONGITUDES, FIRST_YEAR - 1, LAST_YEAR + 1):
        day = datetime.date.fromordinal(jst_day_number(when) - 1721425)
        days.setdefault(day.year, []).append((day.timetuple().tm_yday, lon))
    rows = []
    for year in range(FIRST_YEAR, LAST_YEAR + 1):
        entries = days[year]
        if [lon for _, lon in entries] != LONGITUDES:
            sys.exit(f'{year}: the longitudes do not come in the expected order')
        rows.append([year] + [doy for doy, _ in entries])
    return rows


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('-o', '--output',
                        default=os.path.normpath(os.path.join(here, '..', 'resources',
                                                              'solarterms.txt')))
    args = parser.parse_args()
    rows = table()
    with open(args.output, 'w', newline='', encoding='ascii') as f:
        for row in rows:
            f.write(','.join(map(str, row)) + '\r\n')
    print(f'{len(rows)} rows written to {args.output}')


if __name__ == '__main__':
    main()
