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
  static const std::string name = Sj("春分の日");
  return name;
}
const std::string& AutumnalName() {
  static const std::string name = Sj("秋分の日");
  return name;
}
const std::string& FurikaeName() {
  static const std::string name = Sj("振替休日");
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

TDayState TDayRules::Evaluate(int32_t y, uint8_t m, uint8_t d,
                              std::vector<std::string>* names) const {
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

  if (AutoEquinox) {
    if (IsVernalEquinoxDay(y, m, d)) {
      state.Add(dsHoliday);
      if (names) names->push_back(VernalName());
    } else if (IsAutumnalEquinoxDay(y, m, d)) {
      state.Add(dsHoliday);
      if (names) names->push_back(AutumnalName());
    }
  }

  // The substitute holiday only ever falls on the Monday right after a Sunday holiday; a
  // Monday that is a holiday itself passes nothing on to Tuesday.
  if (AutoFurikae && w == 2 && !state.Has(dsHoliday)) {
    int32_t sy;
    uint8_t sm, sd;
    JuliusToDate(z - 1, sy, sm, sd);
    if (Evaluate(sy, sm, sd, nullptr).Has(dsHoliday)) {
      state.Add(dsFurikae);
      if (names) names->push_back(FurikaeName());
    }
  }
  return state;
}

TDayState TDayRules::DayState(int32_t y, uint8_t m, uint8_t d) const {
  return Evaluate(y, m, d, nullptr);
}

std::string TDayRules::DayText(int32_t y, uint8_t m, uint8_t d) const {
  std::vector<std::string> names;
  Evaluate(y, m, d, &names);
  return JoinCommaText(names);
}

}  // namespace moriva
