#include "calendar/DayRules.h"

#include "base/CommaText.h"
#include "base/Cp932.h"
#include "calendar/Julius.h"

#include <climits>

namespace moriva {
namespace {

// The lines of one list read: rule items and series, each with the index of its line.
struct TReadLines {
  std::vector<TDayListItem> Items;
  std::vector<uint32_t> ItemLines;
  std::vector<TSeries> Series;
  std::vector<uint32_t> SeriesLines;
};

TReadLines ParseLines(const TLineList& lines, std::vector<std::string>& faulty) {
  TReadLines out;
  out.Items.reserve(lines.Count());
  out.ItemLines.reserve(lines.Count());
  TDayListItem item;
  TSeries series;
  for (uint32_t i = 0; i < lines.Count(); ++i) {
    const std::string& line = lines.Lines()[i];
    switch (ParseDayListLine(line, item)) {
      case TDayLineKind::Rule:
        out.Items.push_back(std::move(item));
        out.ItemLines.push_back(i);
        continue;
      case TDayLineKind::Faulty:
        faulty.push_back(line);
        continue;
      case TDayLineKind::NoRule:
        break;
    }
    switch (ParseSeriesLine(line, series)) {
      case TSeriesLineKind::Series:
        out.Series.push_back(std::move(series));
        out.SeriesLines.push_back(i);
        break;
      case TSeriesLineKind::Faulty:
        faulty.push_back(line);
        break;
      case TSeriesLineKind::NotSeries:
        break;
    }
  }
  return out;
}

const std::string& VernalName() {
  static const std::string name = Utf8ToCp932("春分の日");
  return name;
}
const std::string& AutumnalName() {
  static const std::string name = Utf8ToCp932("秋分の日");
  return name;
}
const std::string& FurikaeName() {
  static const std::string name = Utf8ToCp932("振替休日");
  return name;
}
const std::string& BetweenName() {
  static const std::string name = Utf8ToCp932("国民の休日");
  return name;
}

}  // namespace

std::vector<std::string> TDayRules::Build(const TLineList& holidayList,
                                          const TLineList& specialDayList) {
  std::vector<std::string> faulty;
  // Series in the holiday list have no meaning there: they are neither read nor reported.
  holidays_.Assign(ParseLines(holidayList, faulty).Items);
  TReadLines specials = ParseLines(specialDayList, faulty);
  specials_.Assign(std::move(specials.Items));
  special_lines_ = std::move(specials.ItemLines);
  // What was worked out under the same holidays stays true.
  const THolidayKey key{AutoEquinox, AutoFurikae, Switches};
  const bool sameHolidays = key == holiday_key_ && holidayList == holiday_lines_;
  if (!sameHolidays) {
    holiday_spans_.clear();
    holiday_lines_ = holidayList;
    holiday_key_ = key;
  }
  series_.Assign(std::move(specials.Series), std::move(specials.SeriesLines), sameHolidays);
  return faulty;
}

void TDayRules::CheckHolidayKey() const {
  const THolidayKey now{AutoEquinox, AutoFurikae, Switches};
  if (now == holiday_key_) return;
  holiday_key_ = now;
  holiday_spans_.clear();
  series_.Forget();
}

const TSeriesDays& TDayRules::Series() const {
  CheckHolidayKey();
  return series_;
}

bool TDayRules::IsHoliday(JuliusDay z) const {
  CheckHolidayKey();
  // Worked out 32 days at a time into a table indexed by the day number, so that a series
  // that skips holidays, walking its days, costs a look-up per day.
  if (holiday_spans_.empty()) holiday_spans_.resize(kHolidaySpans);
  const int32_t key = z >> 5;
  THolidaySpan& span = holiday_spans_[static_cast<size_t>(key) % kHolidaySpans];
  if (span.Key != key) {
    span.Key = INT32_MIN;  // unusable should working out throw
    span.Days = 0;
    TDay t{key * 32, 0, 0, 0};
    JuliusToDate(t.z, t.y, t.m, t.d);
    for (uint32_t i = 0; i < 32; ++i, t = t.Step(1)) {
      const TDayState state = HolidayState(t, nullptr);
      if (state.Has(dsHoliday) || state.Has(dsFurikae)) span.Days |= 1u << i;
    }
    span.Key = key;
  }
  return (span.Days >> (z & 31)) & 1u;
}

std::span<const uint32_t> TDayRules::SeriesOn(JuliusDay z) const {
  if (series_.Series().empty()) return {};
  CheckHolidayKey();
  return series_.On(z, *this);
}

bool TDayRules::EquinoxHoliday(JuliusDay z, int32_t y, uint8_t m, uint8_t d, bool& vernal) const {
  if (!AutoEquinox || z < Switches.EquinoxFrom) return false;
  // Other months need no sines worked out in the years where the formulas stay in March and
  // September (checked year by year in the tests).
  if (m != 3 && m != 9 && y >= kEquinoxMonthsFrom && y <= kEquinoxMonthsTo) return false;
  // The two days of a year are worked out once: the substitute and between-holidays rules
  // look at the same days again and again, and a series that skips holidays at whole years.
  if (equinox_.Year != y || !equinox_.Known) {
    int32_t ey;
    equinox_ = {true, y, 0, 0, 0, 0};
    JuliusToDate(VernalEquinoxDay(y), ey, equinox_.VernalMonth, equinox_.VernalDay);
    JuliusToDate(AutumnalEquinoxDay(y), ey, equinox_.AutumnalMonth, equinox_.AutumnalDay);
  }
  vernal = m == equinox_.VernalMonth && d == equinox_.VernalDay;
  return vernal || (m == equinox_.AutumnalMonth && d == equinox_.AutumnalDay);
}

TDayRules::TDay TDayRules::TDay::Step(int delta) const {
  TDay r{z + delta, y, m, static_cast<uint8_t>(d + delta)};
  // Inside a month the date steps by itself (not in 1582, whose October skips ten days).
  if (y != 1582 && (delta < 0 ? d > 1 : d < 28)) return r;
  JuliusToDate(r.z, r.y, r.m, r.d);
  return r;
}

bool TDayRules::ListedHoliday(const TDay& t) const {
  bool vernal;
  return holidays_.AnyMatch(t.y, t.m, t.d) || EquinoxHoliday(t.z, t.y, t.m, t.d, vernal);
}

// The substitute holiday: a Sunday holiday gives the Monday after it, and, from
// LaterFurikaeFrom on, the first following day that is no holiday. So z (itself no holiday)
// is a substitute when the run of holidays right before it holds such a Sunday. Seven days
// back always reach a Sunday.
bool TDayRules::IsFurikae(const TDay& t) const {
  for (TDay p = t.Step(-1); p.z >= t.z - 7 && ListedHoliday(p); p = p.Step(-1)) {
    if (JuliusDayOfWeek(p.z) != 1) continue;
    return p.z >= Switches.FurikaeFrom && (p.z == t.z - 1 || p.z >= Switches.LaterFurikaeFrom);
  }
  return false;
}

TDayState TDayRules::Evaluate(int32_t y, uint8_t m, uint8_t d,
                              std::vector<std::string_view>* names) const {
  TDayState state;
  const JuliusDay z = DateToJulius(y, m, d);
  if (names) {
    // Items and series occurrences in the order of their lines.
    const std::span<const uint32_t> on = SeriesOn(z);
    size_t next = 0;
    const auto seriesBefore = [&](uint32_t line) {
      for (; next < on.size() && series_.Line(on[next]) < line; ++next) {
        state.Add(dsSpecialDay);
        names->push_back(series_.Series()[on[next]].Text);
      }
    };
    const TDayListItem* items = specials_.Items().data();
    specials_.ForEachMatch(y, m, d, [&](const TDayListItem& it) {
      seriesBefore(special_lines_[static_cast<size_t>(&it - items)]);
      state.Add(dsSpecialDay);
      names->push_back(it.Name);
    });
    seriesBefore(UINT32_MAX);
  } else if (specials_.AnyMatch(y, m, d) || !SeriesOn(z).empty()) {
    state.Add(dsSpecialDay);
  }
  const TDayState holiday = HolidayState({z, y, m, d}, names);
  for (TDayStateFlag f : {dsSunday, dsSaturday, dsHoliday, dsFurikae})
    if (holiday.Has(f)) state.Add(f);
  return state;
}

TDayState TDayRules::HolidayState(const TDay& t, std::vector<std::string_view>* names) const {
  TDayState state;
  const auto [z, y, m, d] = t;
  if (names) {
    holidays_.ForEachMatch(y, m, d, [&](const TDayListItem& it) {
      state.Add(dsHoliday);
      names->push_back(it.Name);
    });
  } else if (holidays_.AnyMatch(y, m, d)) {
    state.Add(dsHoliday);
  }

  const uint8_t w = JuliusDayOfWeek(z);
  if (w == 1) state.Add(dsSunday);
  if (w == 7) state.Add(dsSaturday);

  bool vernal = false;
  if (EquinoxHoliday(z, y, m, d, vernal)) {
    state.Add(dsHoliday);
    if (names) names->push_back(vernal ? VernalName() : AutumnalName());
  }
  if (state.Has(dsHoliday)) return state;

  // Without a later-substitute rule only a Monday can be a substitute; the Monday that is a
  // holiday itself passes nothing on to Tuesday.
  if (AutoFurikae && (w == 2 || z >= Switches.LaterFurikaeFrom) && IsFurikae({z, y, m, d})) {
    state.Add(dsFurikae);
    if (names) names->push_back(FurikaeName());
    return state;
  }

  if (z >= Switches.BetweenHolidaysFrom && w != 1 && ListedHoliday(t.Step(-1)) &&
      ListedHoliday(t.Step(1))) {
    state.Add(dsHoliday);
    if (names) names->push_back(BetweenName());
  }
  return state;
}

TDayState TDayRules::DayState(int32_t y, uint8_t m, uint8_t d) const {
  return Evaluate(y, m, d, nullptr);
}

std::string TDayRules::DayText(int32_t y, uint8_t m, uint8_t d) const {
  std::vector<std::string_view> names;
  Evaluate(y, m, d, &names);
  return JoinCommaTextViews(names);
}

std::vector<TDayName> TDayRules::DayNames(int32_t y, uint8_t m, uint8_t d) const {
  std::vector<std::string_view> names;
  Evaluate(y, m, d, &names);
  // The special-day names and series occurrences come first, the holidays' names after them.
  const std::span<const uint32_t> on = SeriesOn(DateToJulius(y, m, d));
  size_t specials = on.size();
  specials_.ForEachMatch(y, m, d, [&](const TDayListItem&) { ++specials; });
  // An occurrence's name is a view of its series' own text, so it is known by where it points.
  const auto repeating = [&](std::string_view name) {
    for (uint32_t k : on)
      if (name.data() == series_.Series()[k].Text.data()) return true;
    return false;
  };
  std::vector<TDayName> out;
  out.reserve(names.size());
  for (size_t i = 0; i < names.size(); ++i)
    out.push_back({std::string(names[i]), i >= specials, repeating(names[i])});
  return out;
}

}  // namespace moriva
