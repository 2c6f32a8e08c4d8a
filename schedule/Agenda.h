#pragma once
// The schedule as a person reads it: the items of a range of days, by date. Used by
// moriva-cli and the search; the editor lists one day at a time through ListDayItems instead.
#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/CommaText.h"
#include "base/LineList.h"
#include "calendar/DayRules.h"
#include "calendar/HolidayLines.h"
#include "calendar/Recurrence.h"
#include "schedule/ScheduleLine.h"

namespace moriva {

struct TAgendaItem {
  int32_t Day = 0;   // Julian day number of the item's date
  size_t Index = 0;  // index of its line in the list
  TItemParts Parts;
  bool Repeating = false;  // an occurrence of the series on line Index

  bool operator==(const TAgendaItem&) const = default;
};

// Line `index` of the list as an item, when it counts as one (see CollectAgenda).
std::optional<TAgendaItem> ReadAgendaLine(std::string_view line, size_t index);

// Reads the items of from..to (an absent bound is open) from lines, in place: a line dated
// outside is passed over before its date is checked or its item text is read, which is most of
// what a long schedule costs.
class TAgendaLineReader {
 public:
  TAgendaLineReader(std::optional<int32_t> from, std::optional<int32_t> to);
  std::optional<TAgendaItem> Read(std::string_view line, size_t index);

 private:
  // Dates as stored (year, month, day) compare as the days do.
  using TStoredDate = std::array<int32_t, 3>;
  TStoredDate from_{INT32_MIN, 0, 0};
  TStoredDate to_{INT32_MAX, 0, 0};
  std::array<TCommaField, 8> fields_;
  std::string buffer_;
};

// The items of a schedule file's text (the line list's line rule), as CollectAgenda gives them
// for the list of its lines, read in place without making that list.
std::vector<TAgendaItem> CollectAgendaOfText(std::string_view text, std::optional<int32_t> from,
                                             std::optional<int32_t> to,
                                             const THolidayTest& holidays = CurrentLawHolidays());

// How far an open end reaches for series: the occurrences of this many days are listed.
inline constexpr int32_t kSeriesHorizonDays = 365;

// The items dated from..to (both inclusive; an absent bound is open), ordered by date, the
// items of one day in list order. A line counts as an item when it has exactly seven fields,
// the same year in fields 0 and 1, empty fields 4 and 5, a readable date (month and day are
// read as numbers, so "05" is May, as the calendar reads it) and an item text of at least four
// parts. A series line (with an item text of four parts or more) gives an item for each of its
// occurrences, 祝日を除く judged by `holidays`; with an open end, those of the
// kSeriesHorizonDays days from `from` (from the series' start when `from` is open too). Every
// other line is left out.
std::vector<TAgendaItem> CollectAgenda(const TLineList& list, std::optional<int32_t> from,
                                       std::optional<int32_t> to,
                                       const THolidayTest& holidays = CurrentLawHolidays());

// The same for from..to, from the special-day list `rules` were built on (BuildOn), found by
// date instead of reading every line; series are those of the rules, under their holidays.
std::vector<TAgendaItem> CollectAgenda(const TDayRules& rules, JuliusDay from, JuliusDay to);

// The items of one day as the editor lists them (ListDayItems) and the occurrences of series on
// that day, in list order; an occurrence has Repeating set and the series line's Index.
std::vector<TDayItem> ListDayItemsWithSeries(int32_t year, int month, int day,
                                             const TLineList& list, const THolidayTest& holidays);

// The hour and minute of a stored "H:M:S" time whose three pieces are numbers of zero or more
// (not checked against 23 and 59); nullopt for any other text.
struct TTimeOfDay {
  int32_t Hour = 0;
  int32_t Minute = 0;
};
std::optional<TTimeOfDay> StoredTimeOfDay(std::string_view storedTime);

// "H:M" from a stored "H:M:S" time with numeric pieces ("9:30:0" → "9:30", "0:5:0" → "0:05");
// any other time text is returned as stored.
std::string AgendaTimeText(const std::string& storedTime);

}  // namespace moriva
