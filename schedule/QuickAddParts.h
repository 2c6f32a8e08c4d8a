#pragma once
// The parts the quick-add reader takes out of a text: a day, a time of day and the words of a
// series. Each matcher looks at one position of the text and either finds nothing there (End is
// kNoMatch), finds its part, or finds words it understands but cannot take (Refusal says why,
// in UTF-8; End is still set, so the caller can tell the user rather than file the words under
// the subject).
#include <cstdint>
#include <string>

#include "calendar/Julius.h"
#include "schedule/QuickAddText.h"
#include "schedule/RepeatFields.h"

namespace moriva {

struct TDayMatch {
  size_t End = kNoMatch;
  JuliusDay Day = 0;
  std::string Refusal;
};

// Days: 今日, 明日, 明後日 / あさって, N日後, (今週|来週|再来週)(の)X曜(日), a bare weekday (the
// next one, today excluded), 月末 / 来月末, M/D, M月D日, D日, YYYY/M/D, YYYY-M-D, YYYY年M月D日 and
// era dates. A date without a year is the first such day on or after `from`; words that name a
// day before `today` (今週月曜 on a Wednesday) are refused rather than moved.
TDayMatch MatchDay(const TQuickText& text, size_t at, JuliusDay today, JuliusDay from);

struct TTimeMatch {
  size_t End = kNoMatch;
  int Minute = 0;  // of the day
  std::string Refusal;
};

// Times: H時, H時半, H時M分, H:MM, 正午, with 午前 / 朝 or 午後 / 昼 / 夕方 / 夜 before the hour;
// a range (15:00-16:00, 15時〜16時, 15時から16時まで) gives its start.
TTimeMatch MatchTime(const TQuickText& text, size_t at);

// The words of a series, before they meet a start day.
struct TSeriesWords {
  size_t End = kNoMatch;
  TRepeatKind Kind = TRepeatKind::None;
  int Interval = 1;
  uint8_t Weekdays = 0;  // weekly; 0: the start's weekday
  TMonthlyBy MonthlyBy = TMonthlyBy::Day;
  int MonthDay = 0;        // monthly by day; 0: the start's day
  uint8_t Weekday = 0;     // monthly by weekday: 1 (Sunday) .. 7
  int WeekNo = 0;          // monthly by weekday: 1..5
  int Month = 0, Day = 0;  // yearly; 0: the start's date
  std::string Refusal;
};

// 毎日, 平日, 毎週X曜 (several weekdays: 毎週月水金), 隔週X曜, 毎月D日, 毎月第NX曜, 毎月最終X曜,
// 毎年M月D日; 毎週, 毎月 and 毎年 alone take the start day's weekday or date.
TSeriesWords MatchSeriesWords(const TQuickText& text, size_t at);

// The first day on or after `from` that the words fall on; nullopt when there is none within
// the series' range.
std::optional<JuliusDay> FirstSeriesDay(const TSeriesWords& words, JuliusDay from);

// One of the seven weekday characters 日 .. 土 at `at`: 1 (Sunday) .. 7, with `end` past it and
// past a following 曜 or 曜日. Alone, 月 and 日 are far more often a month and a day than a
// weekday: without 曜 after it the character counts only when `bare` allows it (毎週月水金).
std::optional<uint8_t> MatchWeekday(const TQuickText& text, size_t at, size_t& end, bool bare);

}  // namespace moriva
