#pragma once
// Japanese era dates (和暦): 明治, 大正, 昭和, 平成 and 令和, both ways.
//
// An era begins on the day its name took effect and ends the day before the next one; its
// first year (元年) is the western year of that first day, so one western year can hold two
// era years. Dates are the calendar engine's (Gregorian from 1582 on): the months of 明治
// before 1873, when Japan still kept the lunisolar calendar, are counted proleptically, as
// the western dates of the same days. Texts are CP932, as everywhere in the core.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "calendar/Julius.h"

namespace moriva {

enum class TEra : uint8_t { Meiji, Taisho, Showa, Heisei, Reiwa };
inline constexpr int kEraCount = 5;

struct TEraDate {
  TEra Era;
  int32_t Year;  // 1 = 元年
  uint8_t Month;
  uint8_t Day;
  bool operator==(const TEraDate&) const = default;
};

JuliusDay EraFirstDay(TEra era);
// The day before the next era's first; 令和 runs to the end of the engine's range.
JuliusDay EraLastDay(TEra era);
std::string EraName(TEra era);  // 明治 ... 令和
char EraLetter(TEra era);       // M T S H R

// The era date of a day; nothing before 明治.
std::optional<TEraDate> EraDateOf(JuliusDay z);
// The day of an era date; nothing when it is no date or not a day of that era (平成32年1月1日,
// 昭和64年1月8日).
std::optional<JuliusDay> EraDateToJulius(const TEraDate& date);

std::string EraYearText(TEra era, int32_t year);  // 令和元年, 令和8年
std::string EraDateText(const TEraDate& date);    // 令和元年5月1日
// The era years a western month spans: 令和8年, or 昭和64年/平成元年 for a month with a change;
// empty before 明治.
std::string EraYearsOfMonth(int32_t year, uint8_t month);

// Reads 令和9年1月10日 (元年 for year 1) or R9.1.10 (the era's letter, either case, then year,
// month and day separated by '.', '/' or '-'); digits may be full-width. Only the form is
// checked: whether the date lies in its era is EraDateToJulius's question.
std::optional<TEraDate> ParseEraDate(std::string_view cp932);

}  // namespace moriva
