#pragma once
// Quick add: one line as people say an appointment — 「明日15時 歯医者 @駅前」,
// 「来週水曜 午前10時 健診 @市民病院」, 「毎週火曜 10時 定例」 — read into the item or series it
// stands for, or into the reason why it makes none.
//
// The reader takes out of the text a day, a time, a place and the words of a series (see
// QuickAddParts.h for the forms); what is left is the subject. Digits, letters and signs may be
// full-width, numbers may be kanji (十, 二十, 三十一), and の, に, で, から and は between the
// parts are passed over. The place runs from "@" (or "＠", or 「場所:」) to the end of the text, or
// to a blank that is followed by a day or time; when nothing else is left for the subject, the
// place ends at its first blank and the rest is the subject. A text that names no day means today;
// a date without a year is the next such day, so nothing is filed in the past unless the text says
// so with a year. Only the first day and the first time count; a later one stays in the subject.
// A series may also name its first day (「1/12から」) and its end: a day followed by まで
// (「3/31まで」, 「1/12〜3/31」) or a number of times (「10回」); 「祝日を除く」 skips holidays.
// Items are made with their alarm off. Texts are CP932; reasons are UTF-8.
#include <optional>
#include <string>
#include <string_view>

#include "calendar/Julius.h"
#include "calendar/SeriesLine.h"

namespace moriva {

struct TQuickItem {
  JuliusDay Day = 0;          // the item's day; a series' first day
  std::optional<int> Minute;  // minute of the day; none: the item lasts the whole day
  std::string Subject;
  std::string Place;
  std::optional<TRecurrence> Rule;  // set for a series, starting on Day

  bool operator==(const TQuickItem&) const = default;
};

struct TQuickAddReading {
  std::optional<TQuickItem> Item;
  // Why the text makes nothing; empty when the text is empty (or blanks only).
  std::string Reason;
};

TQuickAddReading ReadQuickAdd(std::string_view cp932, JuliusDay today);

// The item's text as a schedule line holds it: subject- place- H:M:0- FALSE, the time empty for
// an item of the whole day, as the editor writes one.
std::string QuickItemText(const TQuickItem& item);
// The schedule line of an item that is no series.
std::string QuickItemLine(const TQuickItem& item);
// The series of an item with a rule, without an identity yet.
TSeries QuickItemSeries(const TQuickItem& item);

// What will be made, in the words of a list of items (UTF-8): 「12月8日(火) 15:00 歯医者 @駅前」,
// with the year when it is not today's; for a series the rule, the item and its first day:
// 「毎週火曜日 10:00 定例（12月8日(火)から、10回）」.
std::string QuickAddPreview(const TQuickItem& item, JuliusDay today);

}  // namespace moriva
