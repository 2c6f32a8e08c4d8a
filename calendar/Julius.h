#pragma once
// Julian day numbers: the one way the calendar engine carries a date.
//
// A JuliusDay is the integer Julian Day Number of a civil day (1 January 2000 is 2451545).
// Dates before 15 October 1582 are in the (proleptic) Julian calendar, dates from that day on
// in the Gregorian calendar; the ten dates 5-14 October 1582 do not exist. Years are
// astronomical (0 is 1 BC). Weekday numbers run 1 = Sunday ... 7 = Saturday.
//
// The conversions are exact inverses for every day number 0 ... 5373484 (1 January -4712 to
// 31 December 9999); outside that range the formulas still give numbers but no promise holds.
#include <cstdint>

#include "base/Exception.h"

namespace moriva {

using JuliusDay = int32_t;

// Raised for the ten dates that the switch to the Gregorian calendar removed.
class EJuliusError : public Exception {
 public:
  EJuliusError();
};

// The day number of a date. Month and day are not range-checked: 29 February 2001 gives the
// number of 1 March 2001 (IsValidDate is the check). Throws EJuliusError for 1582/10/5-14.
JuliusDay DateToJulius(int32_t year, uint8_t month, uint8_t day);

// The date of a day number.
void JuliusToDate(JuliusDay z, int32_t& year, uint8_t& month, uint8_t& day);

// 1 = Sunday ... 7 = Saturday (also for negative day numbers).
uint8_t JuliusDayOfWeek(JuliusDay z);

// Julian rule before 1582; from 1582 on the Gregorian rule with a further exception for years
// divisible by 4000 (4000 and 8000 are common years here, though the day numbers still
// count 29 February of those years as a real day).
bool IsLeapYear(int32_t year);

// 28-31 for months 1..12 (October 1582 reports 31); 0 for any other month.
uint8_t DaysInMonth(int32_t year, uint8_t month);

// True when the date survives a round trip through its day number. Throws EJuliusError for
// 1582/10/5-14.
bool IsValidDate(int32_t year, uint8_t month, uint8_t day);

// The day number of the local date held in a date-time value (days since 30 December 1899,
// fraction = time of day; the date part is decoded in the proleptic Gregorian calendar).
JuliusDay DateTimeToJulius(double t);

// Today's local date.
JuliusDay TodayJulius();

// The equinox days in Japan by the program's built-in approximation, for any year.
JuliusDay VernalEquinoxDay(int32_t year);
JuliusDay AutumnalEquinoxDay(int32_t year);

// Compare month and day only with the equinox day of `y` (the year is not compared again).
bool IsVernalEquinoxDay(int32_t y, uint8_t m, uint8_t d);
bool IsAutumnalEquinoxDay(int32_t y, uint8_t m, uint8_t d);

}  // namespace moriva
