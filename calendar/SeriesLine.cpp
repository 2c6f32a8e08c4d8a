#include "calendar/SeriesLine.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdio>
#include <vector>

#include "base/CommaText.h"
#include "base/PercentCoding.h"

namespace moriva {
namespace {

constexpr std::string_view kWeekdayCodes[7] = {"su", "mo", "tu", "we", "th", "fr", "sa"};

// A decimal number of 1..maxDigits digits and nothing else.
std::optional<uint32_t> ReadNumber(std::string_view s, size_t maxDigits) {
  if (s.empty() || s.size() > maxDigits) return std::nullopt;
  uint32_t v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return v;
}

// YYYYMMDD, a real date in the series range.
std::optional<JuliusDay> ReadDate(std::string_view s) {
  if (s.size() != 8) return std::nullopt;
  const std::optional<uint32_t> y = ReadNumber(s.substr(0, 4), 4);
  const std::optional<uint32_t> m = ReadNumber(s.substr(4, 2), 2);
  const std::optional<uint32_t> d = ReadNumber(s.substr(6, 2), 2);
  if (!y || !m || !d || *y < 1583 || *m < 1 || *m > 12 || *d < 1 ||
      *d > DaysInMonth(static_cast<int32_t>(*y), static_cast<uint8_t>(*m)))
    return std::nullopt;
  return DateToJulius(static_cast<int32_t>(*y), static_cast<uint8_t>(*m), static_cast<uint8_t>(*d));
}

std::string DateText(JuliusDay z) {
  int32_t y;
  uint8_t m, d;
  JuliusToDate(z, y, m, d);
  char text[16];
  std::snprintf(text, sizeof text, "%04d%02d%02d", static_cast<int>(y), m, d);
  return text;
}

// Calls part(piece) for each piece of `s` between `sep`; false as soon as one call is.
template <class Part>
bool EachPiece(std::string_view s, char sep, Part&& part) {
  for (;;) {
    const size_t cut = s.find(sep);
    if (!part(s.substr(0, cut))) return false;
    if (cut == std::string_view::npos) return true;
    s.remove_prefix(cut + 1);
  }
}

std::optional<uint8_t> ReadWeekdays(std::string_view s) {
  uint8_t bits = 0;
  const bool ok = EachPiece(s, '+', [&](std::string_view code) {
    const auto* it = std::find(std::begin(kWeekdayCodes), std::end(kWeekdayCodes), code);
    if (it == std::end(kWeekdayCodes)) return false;
    const uint8_t bit = WeekdayBit(static_cast<uint8_t>(it - std::begin(kWeekdayCodes) + 1));
    if (bits & bit) return false;
    bits |= bit;
    return true;
  });
  return ok ? std::optional<uint8_t>(bits) : std::nullopt;
}

bool ReadEvery(std::string_view s, TRecurrence& r) {
  if (s.size() < 2) return false;
  const std::optional<uint32_t> n = ReadNumber(s.substr(0, s.size() - 1), 3);
  if (!n || *n < 1) return false;
  r.Interval = static_cast<uint16_t>(*n);
  switch (s.back()) {
    case 'd':
      r.Unit = TRepeatUnit::Day;
      return true;
    case 'w':
      r.Unit = TRepeatUnit::Week;
      return true;
    case 'm':
      r.Unit = TRepeatUnit::Month;
      return true;
    case 'y':
      r.Unit = TRepeatUnit::Year;
      return true;
  }
  return false;
}

bool ReadExceptions(std::string_view s, std::vector<JuliusDay>& days) {
  if (!EachPiece(s, '+', [&](std::string_view piece) {
        const std::optional<JuliusDay> z = ReadDate(piece);
        if (z) days.push_back(*z);
        return z.has_value();
      }))
    return false;
  // Kept sorted for look-ups; a hand-written list in another order still reads.
  std::sort(days.begin(), days.end());
  days.erase(std::unique(days.begin(), days.end()), days.end());
  return true;
}

// One key=value part of the rule field into the series; false when it cannot be read.
bool ReadPart(std::string_view key, std::string_view value, TSeries& s) {
  TRecurrence& r = s.Rule;
  if (key == "id") {
    s.Id = PercentDecode(value);
    return !s.Id.empty();
  }
  if (key == "start") {
    const std::optional<JuliusDay> z = ReadDate(value);
    if (z) r.Start = *z;
    return z.has_value();
  }
  if (key == "every") return ReadEvery(value, r);
  if (key == "on") {
    const std::optional<uint8_t> bits = ReadWeekdays(value);
    if (bits) r.Weekdays = *bits;
    return bits.has_value();
  }
  if (key == "week") {
    if (value == "last") {
      r.WeekNo = kLastWeek;
      return true;
    }
    const std::optional<uint32_t> n = ReadNumber(value, 1);
    if (n) r.WeekNo = static_cast<int8_t>(*n);
    return n && *n >= 1 && *n <= 5;
  }
  if (key == "day") {
    if (value == "last") {
      r.MonthDay = kLastMonthDay;
      return true;
    }
    const std::optional<uint32_t> n = ReadNumber(value, 2);
    if (n) r.MonthDay = static_cast<uint8_t>(*n);
    return n && *n >= 1 && *n <= 31;
  }
  if (key == "until") {
    r.Until = ReadDate(value);
    return r.Until.has_value();
  }
  if (key == "count") {
    r.Count = ReadNumber(value, 4);
    return r.Count && *r.Count >= 1;
  }
  if (key == "holidays") return (r.SkipHolidays = value == "skip");
  if (key == "except") return ReadExceptions(value, r.Exceptions);
  return false;
}

std::string EncodeId(std::string_view id) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : id) {
    const auto b = static_cast<unsigned char>(c);
    if (b <= 0x20 || b >= 0x7F || c == '%' || c == ';' || c == ',' || c == '"') {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 15];
    } else {
      out += c;
    }
  }
  return out;
}

std::string WeekdaysText(uint8_t bits) {
  std::string out;
  for (uint8_t w = 1; w <= 7; ++w) {
    if (!(bits & WeekdayBit(w))) continue;
    if (!out.empty()) out += '+';
    out += kWeekdayCodes[w - 1];
  }
  return out;
}

}  // namespace

std::string_view WeekdayCode(uint8_t weekday) {
  return weekday >= 1 && weekday <= 7 ? kWeekdayCodes[weekday - 1] : std::string_view();
}

bool IsSeriesLine(std::string_view line) {
  size_t i = 0;
  while (i < line.size() && line[i] >= 1 && line[i] <= 32) ++i;
  return line.substr(i).starts_with(kSeriesTag);
}

TSeriesLineKind ParseSeriesLine(std::string_view line, TSeries& series) {
  if (!IsSeriesLine(line)) return TSeriesLineKind::NotSeries;
  std::vector<std::string> fields = SplitCommaText(line);
  if (fields.size() != 2) return TSeriesLineKind::Faulty;
  TSeries s;
  std::vector<std::string_view> seen;
  const bool read = EachPiece(std::string_view(fields[0]).substr(kSeriesTag.size()), ';',
                              [&](std::string_view part) {
                                const size_t eq = part.find('=');
                                if (eq == std::string_view::npos) return false;
                                const std::string_view key = part.substr(0, eq);
                                if (std::find(seen.begin(), seen.end(), key) != seen.end())
                                  return false;
                                seen.push_back(key);
                                return ReadPart(key, part.substr(eq + 1), s);
                              });
  const auto has = [&](std::string_view key) {
    return std::find(seen.begin(), seen.end(), key) != seen.end();
  };
  if (!read || !has("id") || !has("start") || !has("every") || !IsValidRecurrence(s.Rule))
    return TSeriesLineKind::Faulty;
  s.Text = std::move(fields[1]);
  series = std::move(s);
  return TSeriesLineKind::Series;
}

std::string WriteSeriesLine(const TSeries& series) {
  const TRecurrence& r = series.Rule;
  std::string line(kSeriesTag);
  line += "id=" + EncodeId(series.Id);
  line += ";start=" + DateText(r.Start);
  line += ";every=" + std::to_string(r.Interval) + "dwmy"[static_cast<int>(r.Unit)];
  if (r.Weekdays) line += ";on=" + WeekdaysText(r.Weekdays);
  if (r.WeekNo) line += ";week=" + (r.WeekNo == kLastWeek ? "last" : std::to_string(r.WeekNo));
  if (r.MonthDay)
    line += ";day=" + (r.MonthDay == kLastMonthDay ? "last" : std::to_string(r.MonthDay));
  if (r.Until) line += ";until=" + DateText(*r.Until);
  if (r.Count) line += ";count=" + std::to_string(*r.Count);
  if (r.SkipHolidays) line += ";holidays=skip";
  for (size_t i = 0; i < r.Exceptions.size(); ++i)
    line += (i == 0 ? ";except=" : "+") + DateText(r.Exceptions[i]);
  line += ',';
  line += QuotedStr(series.Text);
  return line;
}

}  // namespace moriva
