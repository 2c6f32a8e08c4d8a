// The series words of the quick-add reader and the first day they fall on.
#include "calendar/Recurrence.h"
#include "schedule/QuickAddParts.h"

namespace moriva {
namespace {

struct TSeriesWordList {
  TCodes Daily = WordCodes("毎日");
  TCodes Weekdays = WordCodes("平日");
  std::vector<TCodes> Weekly = WordList({"毎週", "隔週"});
  TCodes Monthly = WordCodes("毎月");
  TCodes Yearly = WordCodes("毎年");
  TCodes Nth = WordCodes("第");
  std::vector<TCodes> Last = WordList({"最終", "最後の"});
  TCodes End = WordCodes("末");
  TCodes Month = WordCodes("月");
  TCodes Day = WordCodes("日");
  // Between the weekdays of 毎週月・水・金.
  std::vector<TCodes> Joins = WordList({"・", "、", ",", "/"});
};

const TSeriesWordList& Words() {
  static const TSeriesWordList words;
  return words;
}

constexpr uint8_t kMondayToFriday =
    WeekdayBit(2) | WeekdayBit(3) | WeekdayBit(4) | WeekdayBit(5) | WeekdayBit(6);

// 月水金, 月・水・金, 火曜, 火曜日: the weekdays' bits, `end` past them.
uint8_t WeekdayList(const TQuickText& text, size_t at, size_t& end) {
  uint8_t bits = 0;
  size_t i = at;
  while (const std::optional<uint8_t> w = MatchWeekday(text, i, i, true)) {
    bits |= WeekdayBit(*w);
    end = i;
    if (size_t j = text.AnyWord(i, Words().Joins); j != kNoMatch) i = j;
  }
  return bits;
}

// The `n`th (kLastWeek: the last) weekday `w` of the month of `y`/`m`, if the month has one.
std::optional<JuliusDay> NthWeekday(int32_t y, uint8_t m, uint8_t w, int n) {
  const JuliusDay first = DateToJulius(y, m, 1);
  const JuliusDay last = first + DaysInMonth(y, m) - 1;
  if (n == kLastWeek) return last - (JuliusDayOfWeek(last) - w + 7) % 7;
  const JuliusDay z = first + (w - JuliusDayOfWeek(first) + 7) % 7 + 7 * (n - 1);
  if (z > last) return std::nullopt;
  return z;
}

// Calls month(y, m) for the months from that of `from` on, until it gives a day on or after
// `from`. Ten years find a fifth weekday, a 31st or a 29 February in any case.
template <class Day>
std::optional<JuliusDay> FirstInMonths(JuliusDay from, Day month) {
  int32_t y;
  uint8_t m, d;
  JuliusToDate(from, y, m, d);
  for (int i = 0; i < 120; ++i) {
    if (std::optional<JuliusDay> z = month(y, m); z && *z >= from) return z;
    m = static_cast<uint8_t>(m % 12 + 1);
    if (m == 1) ++y;
  }
  return std::nullopt;
}

}  // namespace

TSeriesWords MatchSeriesWords(const TQuickText& text, size_t at) {
  const TSeriesWordList& w = Words();
  TSeriesWords s;
  size_t end;
  if ((end = text.Word(at, w.Daily)) != kNoMatch) {
    s.Kind = TRepeatKind::Daily;
  } else if ((end = text.Word(at, w.Weekdays)) != kNoMatch) {
    s.Kind = TRepeatKind::Weekly;
    s.Weekdays = kMondayToFriday;
  } else if (const std::optional<size_t> k = text.WhichWord(at, w.Weekly, end)) {
    s.Kind = TRepeatKind::Weekly;
    s.Interval = *k == 0 ? 1 : 2;
    s.Weekdays = WeekdayList(text, text.SkipBlanks(end), end);
  } else if ((end = text.Word(at, w.Monthly)) != kNoMatch) {
    s.Kind = TRepeatKind::Monthly;
    const size_t i = text.SkipBlanks(end);
    size_t j;
    if (size_t e = text.Word(i, w.End); e != kNoMatch) {
      s.MonthlyBy = TMonthlyBy::LastDay;
      end = e;
    } else if ((j = text.Word(i, w.Nth)) != kNoMatch) {
      const std::optional<int> n = text.Number(j, j);
      const std::optional<uint8_t> weekday = n ? MatchWeekday(text, j, j, true) : std::nullopt;
      if (weekday && *n >= 1 && *n <= 5) {
        s.MonthlyBy = TMonthlyBy::Weekday;
        s.Weekday = *weekday;
        s.WeekNo = *n;
        end = j;
      }
    } else if ((j = text.AnyWord(i, w.Last)) != kNoMatch) {
      if (const std::optional<uint8_t> weekday = MatchWeekday(text, j, j, true)) {
        s.MonthlyBy = TMonthlyBy::LastWeekday;
        s.Weekday = *weekday;
        end = j;
      }
    } else if (const std::optional<int> d = text.Number(i, j);
               d && *d >= 1 && *d <= 31 && (j = text.Word(j, w.Day)) != kNoMatch) {
      s.MonthDay = *d;
      end = j;
    }
  } else if ((end = text.Word(at, w.Yearly)) != kNoMatch) {
    s.Kind = TRepeatKind::Yearly;
    const size_t i = text.SkipBlanks(end);
    size_t j, k;
    const std::optional<int> m = text.Number(i, j);
    std::optional<int> d;
    if (m && text.At(j) == '/' && text.IsDigit(j + 1)) {
      d = text.Number(j + 1, k);
    } else if (m && (j = text.Word(j, w.Month)) != kNoMatch && (d = text.Number(j, k))) {
      k = text.Word(k, w.Day);
      if (k == kNoMatch) d.reset();
    }
    if (d && *m >= 1 && *m <= 12 && *d >= 1 && *d <= 31 && !text.IsAlnum(k)) {
      s.Month = *m;
      s.Day = *d;
      end = k;
    }
  } else {
    return s;
  }
  s.End = end;
  return s;
}

std::optional<JuliusDay> FirstSeriesDay(const TSeriesWords& words, JuliusDay from) {
  if (from < kFirstSeriesDay || from > kLastSeriesDay) return std::nullopt;
  std::optional<JuliusDay> z;
  switch (words.Kind) {
    case TRepeatKind::Weekly:
      z = from;
      while (words.Weekdays && !(words.Weekdays & WeekdayBit(JuliusDayOfWeek(*z)))) ++*z;
      break;
    case TRepeatKind::Monthly:
      if (words.MonthlyBy == TMonthlyBy::Day && words.MonthDay == 0) {
        z = from;
      } else if (words.MonthlyBy == TMonthlyBy::Day) {
        z = FirstInMonths(from, [&](int32_t y, uint8_t m) -> std::optional<JuliusDay> {
          if (words.MonthDay > DaysInMonth(y, m)) return std::nullopt;
          return DateToJulius(y, m, static_cast<uint8_t>(words.MonthDay));
        });
      } else if (words.MonthlyBy == TMonthlyBy::LastDay) {
        int32_t y;
        uint8_t m, d;
        JuliusToDate(from, y, m, d);
        z = DateToJulius(y, m, static_cast<uint8_t>(DaysInMonth(y, m)));
      } else {
        const int n = words.MonthlyBy == TMonthlyBy::LastWeekday ? kLastWeek : words.WeekNo;
        z = FirstInMonths(from,
                          [&](int32_t y, uint8_t m) { return NthWeekday(y, m, words.Weekday, n); });
      }
      break;
    case TRepeatKind::Yearly:
      z = from;
      if (words.Month == 0) break;
      z = FirstInMonths(from, [&](int32_t y, uint8_t m) -> std::optional<JuliusDay> {
        if (m != words.Month || words.Day > DaysInMonth(y, m)) return std::nullopt;
        return DateToJulius(y, m, static_cast<uint8_t>(words.Day));
      });
      break;
    default:
      z = from;
  }
  if (z && *z > kLastSeriesDay) return std::nullopt;
  return z;
}

}  // namespace moriva
