#include "calendar/HolidayLines.h"

#include "base/Cp932.h"
#include "calendar/Julius.h"

namespace moriva {

const TLineList& ClassicHolidayLines() {
  // Coming-of-Age Day and Sports Day moved from a fixed date to the second Monday in 2000.
  static const TLineList lines{
      Utf8ToCp932(",,1,1,,,元旦"),           Utf8ToCp932(",1999,1,15,,,成人の日"),
      Utf8ToCp932("2000,,1,,2,2,成人の日"),  Utf8ToCp932(",,2,11,,,建国の日"),
      Utf8ToCp932(",,4,29,,,みどりの日"),    Utf8ToCp932(",,5,3,,,憲法記念日"),
      Utf8ToCp932(",,5,4,,,国民の休日"),     Utf8ToCp932(",,5,5,,,こどもの日"),
      Utf8ToCp932(",,7,20,,,海の日"),        Utf8ToCp932(",,9,15,,,敬老の日"),
      Utf8ToCp932(",1999,10,10,,,体育の日"), Utf8ToCp932("2000,,10,,2,2,体育の日"),
      Utf8ToCp932(",,11,3,,,文化の日"),      Utf8ToCp932(",,11,23,,,勤労感謝の日"),
      Utf8ToCp932(",,12,23,,,天皇誕生日"),
  };
  return lines;
}

const TLineList& CurrentHolidayLines() {
  // FromYear, ToYear, Month, Day, DayOfWeek (2 = Monday), WeekNo, Name. The law took effect
  // on 20 July 1948, so the holidays of the first half of that year begin in 1949. The Olympic
  // years 2020 and 2021 moved 海の日, スポーツの日 and 山の日 by single lines.
  static const TLineList lines{
      Utf8ToCp932("1949,,1,1,,,元日"),
      Utf8ToCp932("1949,1999,1,15,,,成人の日"),
      Utf8ToCp932("2000,,1,,2,2,成人の日"),
      Utf8ToCp932("1967,,2,11,,,建国記念の日"),
      Utf8ToCp932("2020,,2,23,,,天皇誕生日"),
      Utf8ToCp932("1949,1988,4,29,,,天皇誕生日"),
      Utf8ToCp932("1989,2006,4,29,,,みどりの日"),
      Utf8ToCp932("2007,,4,29,,,昭和の日"),
      Utf8ToCp932("1949,,5,3,,,憲法記念日"),
      Utf8ToCp932("2007,,5,4,,,みどりの日"),
      Utf8ToCp932("1949,,5,5,,,こどもの日"),
      Utf8ToCp932("1996,2002,7,20,,,海の日"),
      Utf8ToCp932("2003,2019,7,,2,3,海の日"),
      Utf8ToCp932("2020,2020,7,23,,,海の日"),
      Utf8ToCp932("2021,2021,7,22,,,海の日"),
      Utf8ToCp932("2022,,7,,2,3,海の日"),
      Utf8ToCp932("2020,2020,7,24,,,スポーツの日"),
      Utf8ToCp932("2021,2021,7,23,,,スポーツの日"),
      Utf8ToCp932("2016,2019,8,11,,,山の日"),
      Utf8ToCp932("2020,2020,8,10,,,山の日"),
      Utf8ToCp932("2021,2021,8,8,,,山の日"),
      Utf8ToCp932("2022,,8,11,,,山の日"),
      Utf8ToCp932("1966,2002,9,15,,,敬老の日"),
      Utf8ToCp932("2003,,9,,2,3,敬老の日"),
      Utf8ToCp932("1966,1999,10,10,,,体育の日"),
      Utf8ToCp932("2000,2019,10,,2,2,体育の日"),
      Utf8ToCp932("2022,,10,,2,2,スポーツの日"),
      Utf8ToCp932("1948,,11,3,,,文化の日"),
      Utf8ToCp932("1948,,11,23,,,勤労感謝の日"),
      Utf8ToCp932("1989,2018,12,23,,,天皇誕生日"),
      // Days of the imperial house that were made holidays once.
      Utf8ToCp932("1959,1959,4,10,,,皇太子明仁親王の結婚の儀"),
      Utf8ToCp932("1989,1989,2,24,,,昭和天皇の大喪の礼"),
      Utf8ToCp932("1990,1990,11,12,,,即位礼正殿の儀"),
      Utf8ToCp932("1993,1993,6,9,,,皇太子徳仁親王の結婚の儀"),
      Utf8ToCp932("2019,2019,5,1,,,天皇の即位の日"),
      Utf8ToCp932("2019,2019,10,22,,,即位礼正殿の儀"),
  };
  return lines;
}

std::optional<THolidaySet> HolidaySetFromName(std::string_view name) {
  if (name == "current") return THolidaySet::Current;
  if (name == "classic") return THolidaySet::Classic;
  return std::nullopt;
}

std::string_view HolidaySetName(THolidaySet set) {
  return set == THolidaySet::Classic ? "classic" : "current";
}

const TLineList& HolidayLines(THolidaySet set) {
  return set == THolidaySet::Classic ? ClassicHolidayLines() : CurrentHolidayLines();
}

THolidaySwitches HolidaySwitches(THolidaySet set) {
  if (set == THolidaySet::Classic) return {};
  THolidaySwitches s;
  s.EquinoxFrom = DateToJulius(1948, 7, 20);
  s.FurikaeFrom = DateToJulius(1973, 4, 12);
  s.LaterFurikaeFrom = DateToJulius(2007, 1, 1);
  s.BetweenHolidaysFrom = DateToJulius(1985, 12, 27);
  return s;
}

std::vector<std::string> BuildDayRules(TDayRules& rules, THolidaySet set,
                                       const TLineList& specialDayList) {
  rules.Switches = HolidaySwitches(set);
  return rules.Build(HolidayLines(set), specialDayList);
}

}  // namespace moriva

namespace moriva {

const THolidayTest& CurrentLawHolidays() {
  static const TDayRules rules = [] {
    TDayRules r;
    BuildDayRules(r, THolidaySet::Current, TLineList());
    return r;
  }();
  return rules;
}

}  // namespace moriva
