#!/usr/bin/python3
"""A second, independent reckoning of the almanac, to check what moriva-cli prints.

The generators (gen_jdoldcal.py, gen_solarterms.py) use PyEphem. This script uses the Swiss
Ephemeris instead (a different library: JPL-derived compressed ephemeris files and its own
difference between terrestrial and universal time), finds the new moons and the Sun's longitudes
with its own root search, numbers the months and places the seasonal days with its own code, and
compares the result with `moriva-cli days` and `moriva-cli koyomi` for every day and year of
1900-2100. It is run by hand once after the tables change; it is no part of the test suite.

    apt-get install libswe2.0 swe-basic-data
    /usr/bin/python3 tools/crosscheck_almanac.py build/cli/moriva-cli

--pyephem-delta-t converts with PyEphem's difference between terrestrial and universal time
(which then must be installed), so that what remains is the difference of the ephemerides.
"""
import argparse
import bisect
import ctypes
import datetime
import subprocess
import sys

SWE = ctypes.CDLL('libswe.so.2')
SWE.swe_calc_ut.argtypes = [ctypes.c_double, ctypes.c_int, ctypes.c_int32,
                            ctypes.POINTER(ctypes.c_double), ctypes.c_char_p]
SWE.swe_calc.argtypes = SWE.swe_calc_ut.argtypes
SWE.swe_deltat.argtypes = [ctypes.c_double]
SWE.swe_deltat.restype = ctypes.c_double
SWE.swe_set_ephe_path.argtypes = [ctypes.c_char_p]
SWE.swe_set_ephe_path(b'/usr/share/libswe/ephe')
SUN, MOON = 0, 1
FLAGS = 2 | 256  # Swiss Ephemeris files, with speeds; apparent positions of date
JD_UNIX0 = 2440587.5
FIRST_DAY, LAST_DAY = 2415021, 2488434  # 1900-01-01, 2100-12-31

delta_t = None  # days, a function of UT; None: the library's own


def longitude(ipl, jd_ut):
    xx = (ctypes.c_double * 6)()
    err = ctypes.create_string_buffer(256)
    if delta_t is None:
        rc = SWE.swe_calc_ut(jd_ut, ipl, FLAGS, xx, err)
    else:
        rc = SWE.swe_calc(jd_ut + delta_t(jd_ut), ipl, FLAGS, xx, err)
    if rc < 0 or not rc & 2:
        sys.exit(f'Swiss Ephemeris: {err.value.decode()} (flags {rc})')
    return xx[0], xx[3]


def solve(f, jd):
    """Newton's method on f(jd) -> (value in degrees, rate in degrees a day)."""
    for _ in range(40):
        value, rate = f(jd)
        step = -((value + 180.0) % 360.0 - 180.0) / rate
        jd += step
        if abs(step) < 1e-8:
            return jd
    raise RuntimeError(f'no convergence near {jd}')


def elongation(jd):
    (ms, mv), (ss, sv) = longitude(MOON, jd), longitude(SUN, jd)
    return ms - ss, mv - sv


def new_moons(jd0, jd1):
    out, jd = [], jd0
    while jd < jd1:
        value, _ = elongation(jd)
        t = solve(elongation, jd + ((360.0 - value) % 360.0) / 12.19)
        if not out or t - out[-1] > 20:
            out.append(t)
        jd = t + 25
    return out


def sun_at(target, jd):
    def f(t):
        s, v = longitude(SUN, t)
        return s - target, v
    return solve(f, jd)


def sun_instants(longitudes, jd0, jd1):
    out = []
    for lon in longitudes:
        jd = jd0 + ((lon - longitude(SUN, jd0)[0]) % 360.0) / 0.9856
        while jd < jd1:
            t = sun_at(lon, jd)
            out.append((t, lon))
            jd = t + 365.2422
    return sorted(out)


def jst_day(jd_ut):
    """Julian Day Number of the JST civil day holding the instant."""
    return int(jd_ut + 0.5 + 9.0 / 24.0)


def seconds_from_jst_midnight(jd_ut):
    f = (jd_ut + 0.5 + 9.0 / 24.0) % 1.0
    return (f if f < 0.5 else f - 1.0) * 86400.0


def old_calendar(moons, terms):
    """{first day: month number} from the new moons and the principal terms."""
    starts = [jst_day(t) for t in moons]
    count = [0] * len(starts)
    solstice = set()
    for t, lon in terms:
        if lon % 30:
            continue
        i = bisect.bisect_right(starts, jst_day(t)) - 1
        count[i] += 1
        if lon == 270:
            solstice.add(i)
    months = {}
    # Each span from one winter-solstice month to the next is one year of months.
    anchors = sorted(solstice)
    for a, b in zip(anchors, anchors[1:]):
        span = list(range(a, b))
        leap_at = None
        if len(span) == 13:
            leap_at = min(i for i in span[1:] if count[i] == 0)
        elif len(span) != 12:
            sys.exit(f'{len(span)} months in a year from {starts[a]}')
        n = 10
        for i in span:
            if i == leap_at:
                months[starts[i]] = 100 + n
            else:
                n = n % 12 + 1
                months[starts[i]] = n
    return months


def cli_lines(cli, *args):
    return subprocess.run([cli, *args], check=True, capture_output=True,
                          text=True).stdout.splitlines()


ROKUYO = ['不明', '先勝', '友引', '先負', '仏滅', '大安', '赤口']
TERMS = {285: '小寒', 300: '大寒', 315: '立春', 330: '雨水', 345: '啓蟄', 0: '春分', 15: '清明',
         30: '穀雨', 45: '立夏', 60: '小満', 75: '芒種', 90: '夏至', 105: '小暑', 120: '大暑',
         135: '立秋', 150: '処暑', 165: '白露', 180: '秋分', 195: '寒露', 210: '霜降', 225: '立冬',
         240: '小雪', 255: '大雪', 270: '冬至'}


def seasonal_days(year_terms):
    """{(day, name)} of one year from {longitude: JST day}."""
    t = year_terms
    out = {(day, TERMS[lon]) for lon, day in t.items() if lon in TERMS}
    out |= {(t[315] - 1, '節分'), (t[0] - 3, '彼岸入り'), (t[0] + 3, '彼岸明け'),
            (t[180] - 3, '彼岸入り'), (t[180] + 3, '彼岸明け'), (t[315] + 87, '八十八夜'),
            (t[80], '入梅'), (t[100], '半夏生'), (t[315] + 209, '二百十日'),
            (t[315] + 219, '二百二十日')}
    for start, end in ((297, 315), (27, 45), (117, 135), (207, 225)):
        out.add((t[start], '土用入り'))
        # 2000-01-01 (day 2451545) was a day 午; 丑 comes seven days after a 午 in the cycle of twelve.
        out |= {(d, '土用の丑の日') for d in range(t[start], t[end])
                if (d - 2451545) % 12 == 7}
    return out


def main():
    global delta_t
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('cli', help='the moriva-cli program to check')
    parser.add_argument('--pyephem-delta-t', action='store_true')
    args = parser.parse_args()
    if args.pyephem_delta_t:
        import ephem
        delta_t = lambda jd: ephem.delta_t(jd - 2415020.0) / 86400.0

    # From mid-1899 to mid-2102: the years of months around 1900-2100 are closed at both ends.
    moons = new_moons(2414800.0, 2489200.0)
    longs = sorted(set(TERMS) | {27, 80, 100, 117, 207, 297})
    terms = sun_instants(longs, 2414800.0, 2489200.0)
    print(f'{len(moons)} new moons, {len(terms)} solar longitudes reckoned')
    close = sorted([(abs(seconds_from_jst_midnight(t)), 'new moon', t) for t in moons] +
                   [(abs(seconds_from_jst_midnight(t)), f'sun {lon}', t) for t, lon in terms
                    if lon % 15 == 0])[:8]
    for s, what, t in close:
        local = datetime.datetime(1970, 1, 1) + datetime.timedelta(days=t - JD_UNIX0 + 9 / 24)
        print(f'  closest to midnight: {s:6.1f} s  {what:9} {local:%Y-%m-%d %H:%M:%S} JST')

    months = old_calendar(moons, terms)
    starts = sorted(months)
    differ = []  # runs of days that differ: [first line, last date, count]
    for line in cli_lines(args.cli, 'days', '1900-01-01', '2100-12-31'):
        f = line.split('\t')
        z = int(f[1])
        i = bisect.bisect_right(starts, z) - 1
        m, d = months[starts[i]], z - starts[i] + 1
        r = ROKUYO[((m % 100 - 1) + (d - 1)) % 6 + 1]
        if (int(f[4]), int(f[5]), f[6]) != (m, d, r):
            if differ and differ[-1][3] == z - 1:
                differ[-1][1:4] = [f[0], differ[-1][2] + 1, z]
            else:
                differ.append([f'{f[0]} cli {f[4]} {f[5]} {f[6]}, here {m} {d} {r}', f[0], 1, z])
    for first, last, count, _ in differ:
        print(f'  days differ from {first} to {last} ({count} days)')
    print(f'days 1900-01-01..2100-12-31: {sum(r[2] for r in differ)} days differ')

    by_year = {}
    for t, lon in terms:
        day = jst_day(t)
        y = (datetime.date(1970, 1, 1) + datetime.timedelta(days=day - 2440588)).year
        by_year.setdefault(y, {})[lon] = day
    mismatch = 0
    for year in range(1900, 2101):
        mine = seasonal_days(by_year[year])
        theirs = set()
        for line in cli_lines(args.cli, 'koyomi', str(year)):
            date, name = line.split('\t')
            y, m, d = map(int, date.split('-'))
            theirs.add((datetime.date(y, m, d).toordinal() + 1721425, name))
        for day, name in sorted(mine ^ theirs):
            mismatch += 1
            if mismatch <= 20:
                side = 'cli only' if (day, name) in theirs else 'here only'
                print(f'  koyomi {year} differs: {day} {name} ({side})')
    print(f'koyomi 1900..2100: {mismatch} entries differ')


if __name__ == '__main__':
    main()
