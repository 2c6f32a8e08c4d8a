#include "calendar/DayRules.h"

#include "base/CommaText.h"
#include "base/Cp932.h"
#include "calendar/Julius.h"
#include "calendar/SeriesLine.h"

#include <climits>

namespace moriva {
namespace {

// The rule items of the holiday list. Series have no meaning there: they are not read, but a
// line that begins like one and cannot be read is reported as in the special-day list.
std::vector<TDayListItem> ParseHolidayLines(const TLineList& lines,
                                            std::vector<std::string>& faulty) {
  std::vector<TDayListItem> items;
  TDayListItem item;
  TSeries series;
  for (const std::string& line : lines.Lines()) {
    switch (ParseDayListLine(line, item)) {
      case TDayLineKind::Rule:
        items.push_back(std::move(item));
        break;
      case TDayLineKind::Faulty:
        faulty.push_back(line);
        break;
      case TDayLineKind::NoRule:
        if (ParseSeriesLine(line, series) == TSeriesLineKind::Faulty) faulty.push_back(line);
        break;
    }
  }
  return items;
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
  // A list of its own: the names of its items are read from it when asked for.
  auto own = std::make_shared<const TLineList>(specialDayList);
  std::vector<std::string> faulty = BuildOn(holidayList, *own);
  own_specials_ = std::move(own);
  return faulty;
}

std::vector<std::string> TDayRules::BuildOn(const TLineList& holidayList,
                                            const TLineList& specialDayList) {
  holiday_faulty_.clear();
  holidays_.Assign(ParseHolidayLines(holidayList, holiday_faulty_));
  // What was worked out under the same holidays stays true.
  const THolidayKey key{AutoEquinox, AutoFurikae, Switches};
  const bool sameHolidays = key == holiday_key_ && holidayList == holiday_lines_;
  if (!sameHolidays) {
    holiday_spans_.clear();
    holiday_lines_ = holidayList;
    holiday_key_ = key;
  }
  specials_.Assign(specialDayList, sameHolidays);
  if (&specialDayList != own_specials_.get()) own_specials_.reset();
  std::vector<std::string> faulty = holiday_faulty_;
  for (std::string& line : specials_.FaultyLines()) faulty.push_back(std::move(line));
  return faulty;
}

std::vector<std::string> TDayRules::FollowSpecialDays(const TLineList& specialDayList) {
  CheckHolidayKey();
  specials_.Update(specialDayList.Changes(), true);
  std::vector<std::string> faulty = holiday_faulty_;
  for (std::string& line : specials_.FaultyLines()) faulty.push_back(std::move(line));
  return faulty;
}

void TDayRules::CheckHolidayKey() const {
  const THolidayKey now{AutoEquinox, AutoFurikae, Switches};
  if (now == holiday_key_) return;
  holiday_key_ = now;
  holiday_spans_.clear();
  specials_.Series().Forget();
}

const TSeriesDays& TDayRules::Series() const {
  CheckHolidayKey();
  return specials_.Series();
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
  if (specials_.Series().Series().empty()) return {};
  CheckHolidayKey();
  return specials_.Series().On(z, *this);
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

TDayState TDayRules::Evaluate(int32_t y, uint8_t m, uint8_t d, std::vector<std::string_view>* names,
                              std::deque<std::string>* store, size_t* specials) const {
  TDayState state;
  const JuliusDay z = DateToJulius(y, m, d);
  if (names) {
    // Items and series occurrences in the order of their lines.
    const TSeriesDays& series = specials_.Series();
    const std::span<const uint32_t> on = SeriesOn(z);
    size_t next = 0;
    const auto seriesBefore = [&](uint32_t line) {
      for (; next < on.size() && series.Line(on[next]) < line; ++next) {
        state.Add(dsSpecialDay);
        names->push_back(series.Series()[on[next]].Text);
      }
    };
    specials_.ForEachMatch(y, m, d, *store, [&](uint32_t line, std::string_view name) {
      seriesBefore(line);
      state.Add(dsSpecialDay);
      names->push_back(name);
    });
    seriesBefore(UINT32_MAX);
    if (specials) *specials = names->size();
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
  std::deque<std::string> store;
  Evaluate(y, m, d, &names, &store);
  return JoinCommaTextViews(names);
}

std::vector<TDayName> TDayRules::DayNames(int32_t y, uint8_t m, uint8_t d) const {
  std::vector<std::string_view> names;
  std::deque<std::string> store;
  // The special-day names and series occurrences come first, the holidays' names after them.
  size_t specials = 0;
  Evaluate(y, m, d, &names, &store, &specials);
  const std::span<const uint32_t> on = SeriesOn(DateToJulius(y, m, d));
  const TSeriesDays& series = specials_.Series();
  // An occurrence's name is a view of its series' own text, so it is known by where it points.
  const auto repeating = [&](std::string_view name) {
    for (uint32_t k : on)
      if (name.data() == series.Series()[k].Text.data()) return true;
    return false;
  };
  std::vector<TDayName> out;
  out.reserve(names.size());
  for (size_t i = 0; i < names.size(); ++i)
    out.push_back({std::string(names[i]), i >= specials, repeating(names[i])});
  return out;
}

}  // namespace moriva
