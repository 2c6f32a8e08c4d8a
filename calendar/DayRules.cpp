#include "calendar/DayRules.h"

#include "base/CommaText.h"
#include "base/Cp932.h"
#include "calendar/Julius.h"

namespace moriva {
namespace {

std::vector<TDayListItem> ParseLines(const TLineList& lines, std::vector<std::string>& faulty) {
  std::vector<TDayListItem> items;
  items.reserve(lines.Count());
  TDayListItem item;
  for (const std::string& line : lines) {
    switch (ParseDayListLine(line, item)) {
      case TDayLineKind::Rule:
        items.push_back(std::move(item));
        break;
      case TDayLineKind::Faulty:
        faulty.push_back(line);
        break;
      case TDayLineKind::NoRule:
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
  std::vector<std::string> faulty;
  holidays_.Assign(ParseLines(holidayList, faulty));
  specials_.Assign(ParseLines(specialDayList, faulty));
  return faulty;
}

bool TDayRules::EquinoxHoliday(JuliusDay z, int32_t y, uint8_t m, uint8_t d, bool& vernal) const {
  if (!AutoEquinox || z < Switches.EquinoxFrom) return false;
  // Other months need no sines worked out in the years where the formulas stay in March and
  // September (checked year by year in the tests).
  if (m != 3 && m != 9 && y >= kEquinoxMonthsFrom && y <= kEquinoxMonthsTo) return false;
  vernal = IsVernalEquinoxDay(y, m, d);
  return vernal || IsAutumnalEquinoxDay(y, m, d);
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
  if (names) {
    specials_.ForEachMatch(y, m, d, [&](const TDayListItem& it) {
      state.Add(dsSpecialDay);
      names->push_back(it.Name);
    });
    holidays_.ForEachMatch(y, m, d, [&](const TDayListItem& it) {
      state.Add(dsHoliday);
      names->push_back(it.Name);
    });
  } else {
    if (specials_.AnyMatch(y, m, d)) state.Add(dsSpecialDay);
    if (holidays_.AnyMatch(y, m, d)) state.Add(dsHoliday);
  }

  const JuliusDay z = DateToJulius(y, m, d);
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

  const TDay t{z, y, m, d};
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
  size_t specials = 0;  // the special-day names come first
  specials_.ForEachMatch(y, m, d, [&](const TDayListItem&) { ++specials; });
  std::vector<TDayName> out;
  out.reserve(names.size());
  for (size_t i = 0; i < names.size(); ++i) out.push_back({std::string(names[i]), i >= specials});
  return out;
}

}  // namespace moriva
