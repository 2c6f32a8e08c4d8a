"""The astronomy shared by the almanac generators (gen_jdoldcal.py, gen_solarterms.py).

New moons and the Sun's apparent longitude come from PyEphem's full theories (VSOP87 for the
Sun, the Chapront lunar theory for the Moon), with PyEphem's own difference between terrestrial
and universal time. Every instant is turned into the Japan Standard Time (UTC+9) civil day that
holds it, as a Julian Day Number.

PyEphem is Debian's python3-ephem:  apt-get install python3-ephem
"""
import datetime
import math

import ephem

JST = datetime.timedelta(hours=9)
SECOND = 1.0 / 86400.0


def jst_day_number(when):
    """Julian Day Number of the JST civil day that holds the instant `when` (ephem.Date, UT)."""
    local = ephem.Date(when).datetime() + JST
    return local.date().toordinal() + 1721425


def jst_seconds_from_midnight(when):
    """Signed seconds from the nearest JST midnight to the instant `when` (for close calls)."""
    local = ephem.Date(when).datetime() + JST
    s = local.hour * 3600 + local.minute * 60 + local.second + local.microsecond / 1e6
    return s if s < 43200 else s - 86400


def solar_longitude(when):
    """Apparent geocentric ecliptic longitude of the Sun, of date, in degrees."""
    sun = ephem.Sun(when)
    ecl = ephem.Ecliptic(ephem.Equatorial(sun.ra, sun.dec, epoch=when), epoch=when)
    return math.degrees(ecl.lon) % 360.0


def sun_reaches(longitude, near):
    """The instant (ephem.Date) at which the Sun's apparent longitude reaches `longitude`
    degrees, searched from an instant `near` less than ten days from it."""
    t = float(near)
    for _ in range(30):
        diff = (longitude - solar_longitude(t) + 180.0) % 360.0 - 180.0
        step = diff / 0.9856  # degrees a day, close enough for the iteration to converge
        t += step
        if abs(step) < 0.001 * SECOND:
            return ephem.Date(t)
    raise RuntimeError(f'no convergence for longitude {longitude} near {near}')


def sun_longitude_instants(longitudes, first_year, last_year):
    """(instant, longitude) of every time the Sun reaches one of `longitudes` (degrees) from
    the start of `first_year` to the end of `last_year`, UT, in time order."""
    out = []
    start = ephem.Date(f'{first_year}/1/1')
    end = ephem.Date(f'{last_year + 1}/1/1')
    # Mean longitude of the Sun: a first guess within a few days of the true crossing.
    j2000 = ephem.Date('2000/1/1 12:00')
    for year in range(first_year - 1, last_year + 2):
        for lon in longitudes:
            days_from_j2000 = ((lon - 280.46) % 360.0) / 0.9856474
            guess = j2000 + days_from_j2000 + 365.2422 * (year - 2000)
            t = sun_reaches(lon, guess)
            if start <= t < end:
                out.append((t, lon))
    out.sort()
    return out


def new_moons(start, end):
    """Every new moon (ephem.Date, UT) from `start` to `end`, in order."""
    moons = []
    t = ephem.next_new_moon(start)
    while t < end:
        moons.append(t)
        t = ephem.next_new_moon(ephem.Date(t + 1))
    return moons
