#pragma once
// Series lines: one schedule line for a repeating item (docs/SERIES.md has the format).
//
//   repeat;id=ID;start=20261208;every=1w;on=tu;count=10;holidays=skip;except=20261222,"text"
//
// Two comma-text fields, so every reader of the older rule lines (three to seven fields) and
// items (seven) passes over it. The text is an item text as in every schedule line.
#include <string>
#include <string_view>

#include "calendar/Recurrence.h"

namespace moriva {

// The first field's opening word.
inline constexpr std::string_view kSeriesTag = "repeat;";

struct TSeries {
  std::string Id;  // the identity, as given (decoded); never empty in a line
  TRecurrence Rule;
  std::string Text;  // the item text (CP932): subject- place- H:M:0- TRUE

  bool operator==(const TSeries&) const = default;
};

enum class TSeriesLineKind {
  Series,     // read into the series
  NotSeries,  // the line does not begin with the tag: some other line
  Faulty,     // begins with the tag but cannot be read (see docs/SERIES.md)
};

// Whether the line's first field begins with the tag (blanks before it skipped, as the
// comma-text split skips them): the cheap test before ParseSeriesLine.
bool IsSeriesLine(std::string_view line);

// Reads a line; `series` is set only for TSeriesLineKind::Series.
TSeriesLineKind ParseSeriesLine(std::string_view line, TSeries& series);

// The line of a series with a non-empty identity and a valid rule, the rule's keys in the
// documented order. Reading it back gives the same series.
std::string WriteSeriesLine(const TSeries& series);

// "su" ... "sa" for weekday 1 (Sunday) ... 7.
std::string_view WeekdayCode(uint8_t weekday);

}  // namespace moriva
