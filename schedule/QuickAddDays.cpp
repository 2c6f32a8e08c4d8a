// The day words of the quick-add reader.
#include "base/Cp932.h"
#include "calendar/DateInput.h"
#include "calendar/JapaneseEra.h"
#include "schedule/QuickAddParts.h"

namespace moriva {
namespace {

struct TDayWords {
  std::vector<TCodes> Today = WordList({"今日", "本日", "きょう"});
  // 明後日 before 明日, which begins it.
  std::vector<TCodes> Ahead = WordList({"明後日", "あさって", "明日", "あした", "あす"});
  std::vector<int> AheadDays = {2, 2, 1, 1, 1};
  std::vector<TCodes> Weeks = WordList({"今週", "来週", "再来週"});
  std::vector<TCodes> MonthEnds = WordList({"今月末", "月末", "来月末"});
  std::vector<TCodes> Eras = WordList({"明治", "大正", "昭和", "平成", "令和"});
  TCodes First = WordCodes("元");
  TCodes Year = WordCodes("年");
  TCodes Month = WordCodes("月");
  TCodes Day = WordCodes("日");
  TCodes Later = WordCodes("後");
  TCodes End = WordCodes("末");
  TCodes No = WordCodes("の");
  // After "N日": a length (3日間), a count (2日目) or a time before, not a date.
  std::vector<TCodes> NotADay = WordList({"間", "目", "前", "分", "中"});
  TCodes Weekdays = WordCodes("日月火水木金土");
  TCodes Yo = WordCodes("曜");
};

const TDayWords& Words() {
  static const TDayWords words;
  return words;
}

std::string NoSuchDay(const TQuickText& text, size_t at, size_t end) {
  return "「" + Cp932ToUtf8(text.Source(at, end)) + "」という日はありません。";
}

std::optional<JuliusDay> DayOf(int32_t y, int m, int d) {
  if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > 31) return std::nullopt;
  const auto mm = static_cast<uint8_t>(m), dd = static_cast<uint8_t>(d);
  if (!IsValidDate(y, mm, dd) || (y == 1582 && m == 10 && d >= 5 && d <= 14)) return std::nullopt;
  return DateToJulius(y, mm, dd);
}

int32_t YearOf(JuliusDay z) {
  int32_t y;
  uint8_t m, d;
  JuliusToDate(z, y, m, d);
  return y;
}

JuliusDay LastOfMonth(JuliusDay z, int monthsAhead) {
  int32_t y;
  uint8_t m, d;
  JuliusToDate(z, y, m, d);
  int month = m + monthsAhead;
  y += (month - 1) / 12;
  month = (month - 1) % 12 + 1;
  const auto mm = static_cast<uint8_t>(month);
  return DateToJulius(y, mm, DaysInMonth(y, mm));
}

// The first M/D on or after `from` (29 February waits for a leap year).
std::optional<JuliusDay> NextMonthDay(int m, int d, JuliusDay from) {
  for (int32_t y = YearOf(from); y <= YearOf(from) + 8; ++y)
    if (std::optional<JuliusDay> z = DayOf(y, m, d); z && *z >= from) return z;
  return std::nullopt;
}

// The first day D of a month on or after `from`.
std::optional<JuliusDay> NextDayOfMonth(int d, JuliusDay from) {
  int32_t y;
  uint8_t m, day;
  JuliusToDate(from, y, m, day);
  for (int i = 0; i < 13; ++i, m = static_cast<uint8_t>(m % 12 + 1), y += m == 1 ? 1 : 0)
    if (std::optional<JuliusDay> z = DayOf(y, m, d); z && *z >= from) return z;
  return std::nullopt;
}

// The weekday `w` (1 = Sunday) of the week (from Monday) `weeks` after today's.
JuliusDay WeekdayOfWeek(JuliusDay today, int weeks, uint8_t w) {
  const JuliusDay monday = today - (JuliusDayOfWeek(today) + 5) % 7;
  return monday + 7 * weeks + (w + 5) % 7;
}

TDayMatch Found(size_t end, JuliusDay day) {
  return {end, day, {}};
}

TDayMatch Refused(size_t end, std::string why) {
  return {end, 0, std::move(why)};
}

// 令和9年1月10日, 令和元年5月1日.
TDayMatch EraName(const TQuickText& text, size_t at) {
  const TDayWords& w = Words();
  size_t i;
  const std::optional<size_t> era = text.WhichWord(at, w.Eras, i);
  if (!era) return {};
  std::optional<int> year;
  if (size_t e = text.Word(i, w.First); e != kNoMatch) {
    year = 1;
    i = e;
  } else {
    year = text.Number(i, i);
  }
  if (!year || (i = text.Word(i, w.Year)) == kNoMatch) return {};
  const std::optional<int> month = text.Number(i, i);
  if (!month || (i = text.Word(i, w.Month)) == kNoMatch) return {};
  const std::optional<int> day = text.Number(i, i);
  if (!day || (i = text.Word(i, w.Day)) == kNoMatch) return {};
  if (*month > 12 || *day > 31) return Refused(i, NoSuchDay(text, at, i));
  const std::optional<JuliusDay> z = EraDateToJulius(
      {static_cast<TEra>(*era), *year, static_cast<uint8_t>(*month), static_cast<uint8_t>(*day)});
  return z ? Found(i, *z) : Refused(i, NoSuchDay(text, at, i));
}

// R9.1.10: the era's letter, then year, month and day separated by '.', '/' or '-'.
TDayMatch EraLetter(const TQuickText& text, size_t at) {
  static constexpr std::string_view kLetters = "mtshr";  // in the order of TEra
  const TCharCode letter = text.At(at);
  const size_t era = letter < 0x80 ? kLetters.find(static_cast<char>(letter)) : kLetters.npos;
  if (era == kLetters.npos || !text.IsDigit(at + 1)) return {};
  int parts[3];
  size_t i = at + 1;
  for (int part = 0; part < 3; ++part) {
    if (part > 0) {
      const TCharCode sep = text.At(i);
      if (sep != '.' && sep != '/' && sep != '-') return {};
      ++i;
    }
    const std::optional<int> n = text.IsDigit(i) ? text.Number(i, i) : std::nullopt;
    if (!n) return {};
    parts[part] = *n;
  }
  if (text.IsAlnum(i)) return {};
  std::optional<JuliusDay> z;
  if (parts[1] >= 1 && parts[1] <= 12 && parts[2] >= 1 && parts[2] <= 31)
    z = EraDateToJulius({static_cast<TEra>(era), parts[0], static_cast<uint8_t>(parts[1]),
                         static_cast<uint8_t>(parts[2])});
  return z ? Found(i, *z) : Refused(i, NoSuchDay(text, at, i));
}

// Dates that begin with a number: 2027/1/10, 2027-01-10, 2027年1月10日, 1/10, 1月10日, 3月末,
// 10日, N日後.
TDayMatch Numeric(const TQuickText& text, size_t at, JuliusDay today, JuliusDay from) {
  const TDayWords& w = Words();
  size_t i;
  const std::optional<int> first = text.Number(at, i);
  if (!first) return {};
  const bool digits = text.IsDigit(at);
  const TCharCode sep = text.At(i);
  if (digits && (sep == '/' || sep == '-')) {
    size_t j;
    if (!text.IsDigit(i + 1) || !text.Number(i + 1, j)) return {};
    size_t end = j;
    const bool full = text.At(j) == sep && text.IsDigit(j + 1) && text.Number(j + 1, end);
    // A month and day are written with a slash; a hyphen alone is a range (10-12).
    if ((!full && sep != '/') || (full && i - at != 4) || text.IsAlnum(end) || text.At(end) == sep)
      return {};
    const std::string_view typed = text.Source(at, end);
    if (full) {
      const std::optional<JuliusDay> z = ParseDateInput(typed, YearOf(today));
      return z ? Found(end, *z) : Refused(end, NoSuchDay(text, at, end));
    }
    for (int32_t y = YearOf(from); y <= YearOf(from) + 8; ++y)
      if (std::optional<JuliusDay> z = ParseDateInput(typed, y); z && *z >= from)
        return Found(end, *z);
    return Refused(end, NoSuchDay(text, at, end));
  }
  if (size_t j = text.Word(i, w.Year); j != kNoMatch) {  // 2027年1月10日
    size_t end;
    const std::optional<int> month = text.Number(j, j);
    if (!month || (j = text.Word(j, w.Month)) == kNoMatch) return {};
    const std::optional<int> day = text.Number(j, end);
    if (!day || (end = text.Word(end, w.Day)) == kNoMatch) return {};
    const std::optional<JuliusDay> z = DayOf(*first, *month, *day);
    return z ? Found(end, *z) : Refused(end, NoSuchDay(text, at, end));
  }
  if (size_t j = text.Word(i, w.Month); j != kNoMatch) {
    if (size_t end = text.Word(j, w.End); end != kNoMatch) {  // 3月末
      if (*first < 1 || *first > 12) return Refused(end, NoSuchDay(text, at, end));
      const JuliusDay thisYear = LastOfMonth(*DayOf(YearOf(from), *first, 1), 0);
      return Found(end, thisYear >= from ? thisYear : LastOfMonth(thisYear, 12));
    }
    size_t end;
    const std::optional<int> day = text.Number(j, end);
    if (!day || (end = text.Word(end, w.Day)) == kNoMatch) return {};
    if (*first < 1 || *first > 12 || *day < 1 || *day > 31)
      return Refused(end, NoSuchDay(text, at, end));
    const std::optional<JuliusDay> z = NextMonthDay(*first, *day, from);
    return z ? Found(end, *z) : Refused(end, NoSuchDay(text, at, end));
  }
  if (size_t end = text.Word(i, w.Day); end != kNoMatch) {
    if (size_t later = text.Word(end, w.Later); later != kNoMatch) {  // 3日後
      if (today + *first > kLastSeriesDay) return Refused(later, NoSuchDay(text, at, later));
      return Found(later, today + *first);
    }
    // 一日 and 十日 begin words (一日中, 一日研修) as often as they name a day.
    if (!digits || text.AnyWord(end, w.NotADay) != kNoMatch || *first < 1 || *first > 31) return {};
    const std::optional<JuliusDay> z = NextDayOfMonth(*first, from);
    return z ? Found(end, *z) : Refused(end, NoSuchDay(text, at, end));
  }
  return {};
}

}  // namespace

std::optional<uint8_t> MatchWeekday(const TQuickText& text, size_t at, size_t& end, bool bare) {
  const TDayWords& w = Words();
  for (size_t k = 0; k < w.Weekdays.size(); ++k) {
    if (text.At(at) != w.Weekdays[k]) continue;
    end = at + 1;
    if (text.At(end) == w.Yo[0]) {
      ++end;
      if (text.At(end) == w.Day[0]) ++end;
    } else if (!bare) {
      return std::nullopt;
    }
    return static_cast<uint8_t>(k + 1);
  }
  return std::nullopt;
}

TDayMatch MatchDay(const TQuickText& text, size_t at, JuliusDay today, JuliusDay from) {
  const TDayWords& w = Words();
  size_t end;
  if ((end = text.AnyWord(at, w.Today)) != kNoMatch) return Found(end, today);
  if (const std::optional<size_t> k = text.WhichWord(at, w.Ahead, end))
    return Found(end, today + w.AheadDays[*k]);
  if (const std::optional<size_t> k = text.WhichWord(at, w.MonthEnds, end))
    return Found(end, LastOfMonth(from, *k == 2 ? 1 : 0));
  if (const std::optional<size_t> week = text.WhichWord(at, w.Weeks, end)) {
    size_t i = text.SkipBlanks(end);
    if (size_t no = text.Word(i, w.No); no != kNoMatch) i = no;
    const std::optional<uint8_t> weekday = MatchWeekday(text, i, i, false);
    if (!weekday)
      return Refused(end,
                     "「" + Cp932ToUtf8(text.Source(at, end)) + "」の何曜日かを書いてください。");
    const JuliusDay z = WeekdayOfWeek(today, static_cast<int>(*week), *weekday);
    if (z < today) return Refused(i, "「" + Cp932ToUtf8(text.Source(at, i)) + "」は過ぎています。");
    return Found(i, z);
  }
  if (const std::optional<uint8_t> weekday = MatchWeekday(text, at, end, false)) {
    // The next one: on its own day a weekday means the week after.
    return Found(end, today + 1 + (*weekday - JuliusDayOfWeek(today + 1) + 7) % 7);
  }
  if (TDayMatch era = EraName(text, at); era.End != kNoMatch) return era;
  // A number or a letter inside a longer word (a room 3F, a code R2) is no date.
  if (at > 0 && text.IsAlnum(at - 1)) return {};
  if (TDayMatch era = EraLetter(text, at); era.End != kNoMatch) return era;
  return Numeric(text, at, today, from);
}

}  // namespace moriva
