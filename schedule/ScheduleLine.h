#pragma once
// Schedule lines and day keys. The schedule is a plain list of CP932 text lines, the month
// calendar's special-day list; an item is one line of the calendar's 7-field day-list form:
//
//   year,year,month,day,,,"subject- place- H:M:0- TRUE"
//
// The first six fields with their commas form the day key ("2002,2002,7,15,,,"); the quoted
// text holds the item's parts joined by "- ". Nothing here keeps state: lines are split again
// on every query, and lines of other forms in the list are skipped or passed through.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/LineList.h"

namespace moriva {

// The separator between the parts of an item text.
inline constexpr std::string_view kItemSeparator = "- ";

// "year,year,month,day,,," with decimal numbers without leading zeros.
std::string MakeDayKey(int32_t year, int month, int day);

// "TRUE" or "FALSE".
std::string AlarmFlagText(bool alarm);

// True exactly for the stored word "TRUE" (case-sensitive): anything else is off.
bool IsAlarmOn(std::string_view alarmFlag);

// The day key followed by the quoted item text subject- place- hour:minute:0- alarm.
// Subject and place are copied as they are: a "- " or a double quote in them cannot be read
// back (the caller decides whether to refuse such texts).
std::string MakeScheduleLine(int32_t year, int month, int day, std::string_view subject,
                             std::string_view place, std::string_view hourText,
                             std::string_view minuteText, bool alarm);

// The item text alone: subject- place- time- alarm flag (what a series line carries).
std::string MakeItemText(std::string_view subject, std::string_view place, std::string_view time,
                         bool alarm);

// The same from texts taken as they are: the date parts as a file gave them (possibly with
// leading zeros, which the day key then keeps), and the time and alarm words as stored.
std::string JoinScheduleLine(std::string_view yearText, std::string_view monthText,
                             std::string_view dayText, std::string_view subject,
                             std::string_view place, std::string_view time,
                             std::string_view alarmFlag);

// The day number of a date written as stored texts: a year of one to four digits, a month
// and a day of one or two digits (leading zeros allowed), forming a real date; else nullopt.
std::optional<int32_t> StoredDateToJulius(std::string_view year, std::string_view month,
                                          std::string_view day);

// Field 6 of a line that splits into exactly seven comma-text fields, else "".
std::string GetItemText(std::string_view line);

// The parts of an item text. Extra is set only when the text has exactly five parts.
struct TItemParts {
  std::string Subject;
  std::string Place;
  std::string Time;
  std::string AlarmFlag;
  std::string Extra;

  bool Alarm() const { return IsAlarmOn(AlarmFlag); }
  bool operator==(const TItemParts&) const = default;
};

// Splits an item text at every "- " (left to right, no overlap). Texts of three parts or
// fewer are not items: nullopt. Parts beyond the fifth are ignored.
std::optional<TItemParts> SplitItemText(std::string_view itemText);

// One item of a day as the editor lists it: its index in the list and its parts.
struct TDayItem {
  size_t Index = 0;
  std::string Subject;
  std::string Place;
  std::string Time;
  std::string AlarmFlag;
  bool Repeating = false;  // an occurrence of the series on line Index (ListDayItemsWithSeries)

  bool Alarm() const { return IsAlarmOn(AlarmFlag); }
  bool operator==(const TDayItem&) const = default;
};

// The items of one day in list order. A line belongs to the day when the day key occurs
// anywhere in it (dates written with leading zeros therefore do not match) and it has exactly
// seven fields. A matching line whose text has three parts or fewer is still listed, with its
// whole text as the subject and the other parts empty, so that the editor can show and delete
// it instead of hiding a line the calendar marks.
std::vector<TDayItem> ListDayItems(int32_t year, int month, int day, const TLineList& list);

// The week view's text for one day, from the day's names as comma text (the calendar's day
// text): for each name that is an item text, its subject, then " B" and the time when the
// alarm is on, then ": "; any other name (a holiday, a line of another form) as it stands,
// with no separator. So an alarm item S at 9:30:0, a plain item U and a holiday H read
// "S B9:30:0: U: H".
std::string WeekViewText(std::string_view mainText);

}  // namespace moriva
