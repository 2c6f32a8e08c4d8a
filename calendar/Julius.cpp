#include "calendar/Julius.h"

#include <cmath>
#include <ctime>

namespace moriva {
namespace {

// The first Gregorian day; every later day number is counted in the Gregorian calendar.
constexpr JuliusDay kFirstGregorianDay = 2299161;

constexpr long double kPi = 3.141592653589793238462643383279502884L;

// The equinox terms are stated in degrees.
long double SinDeg(long double degrees) {
  return std::sin(degrees / 180.0L * kPi);
}

// Proleptic Gregorian date of a count of days since 1970-01-01, by 400-year eras counted from
// 1 March of year 0 (so that the leap day ends each counting year).
void CivilFromDays(int64_t days, int32_t& year, uint8_t& month, uint8_t& day) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t doe = days - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<uint8_t>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<uint8_t>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int32_t>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

}  // namespace

EJuliusError::EJuliusError() : Exception("1582/10/5-10/14は存在しません。") {}

JuliusDay DateToJulius(int32_t year, uint8_t month, uint8_t day) {
  bool gregorian;
  if (year != 1582)
    gregorian = year > 1582;
  else if (month != 10)
    gregorian = month > 10;
  else if (day < 5)
    gregorian = false;
  else if (day > 14)
    gregorian = true;
  else
    throw EJuliusError();

  // January and February count as months 13 and 14 of the year before, so that the leap day
  // is the last day of the counting year.
  const double y = month < 3 ? static_cast<double>(year) - 1 : year;
  const double m = month < 3 ? month + 12 : month;
  const double c = year > 0 ? std::trunc(365.25 * y) : std::trunc(365.25 * y - 0.75);
  const double e = std::trunc(30.6001 * (m + 1));
  double result = e + c + day + 1720995;
  if (gregorian) {
    const double a = std::trunc(y / 100);
    result += 2 - a + std::trunc(0.25 * a);
  }
  return static_cast<JuliusDay>(result);
}

void JuliusToDate(JuliusDay z, int32_t& year, uint8_t& month, uint8_t& day) {
  double a = z;
  if (z >= kFirstGregorianDay) {
    const double alpha = std::trunc((z - 1867216.25) / 36524.25);
    a = z + 1 + alpha - std::trunc(0.25 * alpha);
  }
  const double b = a + 1524;
  const double c = std::trunc((b - 122.1) / 365.25);
  const double d = std::trunc(365.25 * c);
  const double e = std::trunc((b - d) / 30.6001);
  day = static_cast<uint8_t>(b - d - std::trunc(30.6001 * e));
  month = static_cast<uint8_t>(e < 13.5 ? e - 1 : e - 13);
  year = static_cast<int32_t>(month > 2.5 ? c - 4716 : c - 4715);
}

uint8_t JuliusDayOfWeek(JuliusDay z) {
  const int r = static_cast<int>((static_cast<int64_t>(z) + 1) % 7);
  return static_cast<uint8_t>((r < 0 ? r + 7 : r) + 1);
}

bool IsLeapYear(int32_t year) {
  if (year < 1582) return year % 4 == 0;
  return year % 4 == 0 && (year % 100 != 0 || (year % 400 == 0 && year % 4000 != 0));
}

uint8_t DaysInMonth(int32_t year, uint8_t month) {
  static constexpr uint8_t kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

bool IsValidDate(int32_t year, uint8_t month, uint8_t day) {
  int32_t y;
  uint8_t m, d;
  JuliusToDate(DateToJulius(year, month, day), y, m, d);
  return y == year && m == month && d == day;
}

JuliusDay DateTimeToJulius(double t) {
  // Day 0 of a date-time value is 30 December 1899, which is 25569 days before 1970-01-01.
  int32_t y;
  uint8_t m, d;
  CivilFromDays(static_cast<int64_t>(std::trunc(t)) - 25569, y, m, d);
  return DateToJulius(y, m, d);
}

JuliusDay TodayJulius() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return DateToJulius(local.tm_year + 1900, static_cast<uint8_t>(local.tm_mon + 1),
                      static_cast<uint8_t>(local.tm_mday));
}

// Both approximations keep their sum of periodic terms in double precision (as the values were
// fitted that way) and evaluate the rest in extended precision.
JuliusDay VernalEquinoxDay(int32_t year) {
  const long double t = static_cast<long double>(year) - 2000;
  const double s = 0.002L * (SinDeg(321 - 30.37L * t) + SinDeg(249 + 0.19L * t) +
                             SinDeg(202 - 132.57L * t) + SinDeg(84 - 90.37L * t)) -
                   0.00004871850323926L * t + 0.001L * SinDeg(132 - 134.81L * t) +
                   0.005L * SinDeg(239 - 19.34L * t);
  return static_cast<JuliusDay>(
      std::trunc(365.24229L * t + 2451624.683L + (0.0000001L * t * t - s)));
}

JuliusDay AutumnalEquinoxDay(int32_t year) {
  const long double t = static_cast<long double>(year) - 2000;
  const double s = 0.002L * (SinDeg(485 - 30.37L * t) + SinDeg(249 + 0.19L * t) +
                             SinDeg(268.2L - 132.57L * t) + SinDeg(309.2L - 90.37L * t)) +
                   0.00004871850323926L * t + 0.001L * SinDeg(244.6L - 134.81L * t) +
                   0.005L * SinDeg(248.6L - 19.34L * t);
  return static_cast<JuliusDay>(
      std::trunc(365.24206L * t + 2451811.096L + (0.0000001L * t * t - s)));
}

bool IsVernalEquinoxDay(int32_t y, uint8_t m, uint8_t d) {
  int32_t ey;
  uint8_t em, ed;
  JuliusToDate(VernalEquinoxDay(y), ey, em, ed);
  return em == m && ed == d;
}

bool IsAutumnalEquinoxDay(int32_t y, uint8_t m, uint8_t d) {
  int32_t ey;
  uint8_t em, ed;
  JuliusToDate(AutumnalEquinoxDay(y), ey, em, ed);
  return em == m && ed == d;
}

}  // namespace moriva
