// moriva-cli calendar: one month as a grid for a person, Sunday first, with the month's
// holidays below it and, on request, the rokuyo under each day.
#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "base/CommaText.h"
#include "base/Cp932.h"
#include "calendar/OldCalendar.h"
#include "cli/CliCommand.h"
#include "cli/CliDates.h"

namespace moriva {
namespace {

// Every cell is five terminal columns wide: a double-width weekday or rokuyo name fits.
constexpr const char* kWeekdayNames[] = {"日", "月", "火", "水", "木", "金", "土"};
constexpr const char* kRed = "\x1b[31m";
constexpr const char* kBlue = "\x1b[34m";
constexpr const char* kInverse = "\x1b[7m";
constexpr const char* kReset = "\x1b[0m";

class TMonthGrid {
 public:
  TMonthGrid(int32_t year, uint8_t month, bool rokuyo, bool colour)
      : year_(year), month_(month), rokuyo_(rokuyo), colour_(colour) {}

  void Write(const TDayRules& rules, std::ostream& out) const {
    const std::string title = std::to_string(year_) + "年" + std::to_string(month_) + "月";
    const size_t width = title.size() - 2;  // each of 年 and 月 is 3 bytes, 2 columns
    out << std::string(width < 34 ? (34 - width) / 2 : 0, ' ') << title << '\n';
    std::string header;
    for (const char* name : kWeekdayNames) header += std::string(" ") + name + "  ";
    out << Trim(header) << '\n';

    const JuliusDay first = DateToJulius(year_, month_, 1);
    const JuliusDay last = DateToJulius(year_, month_, DaysInMonth(year_, month_));
    const JuliusDay today = TodayJulius();
    int column = JuliusDayOfWeek(first) - 1;
    std::string days(5 * column, ' '), names(5 * column, ' ');
    for (JuliusDay z = first; z <= last; ++z) {
      int32_t y;
      uint8_t m, d;
      JuliusToDate(z, y, m, d);
      days += DayCell(d, rules.DayState(y, m, d), z == today);
      names += RokuyoCell(z);
      if (++column == 7 || z == last) {
        out << Trim(days) << '\n';
        if (rokuyo_) out << Trim(names) << '\n';
        days.clear(), names.clear(), column = 0;
      }
    }
    if (!colour_) out << "(* 祝日・振替休日  + 日曜日)\n";
  }

  // The holidays of the month, one line each: " 9月24日(月) 振替休日".
  void WriteHolidays(const TDayRules& rules, std::ostream& out) const {
    const JuliusDay first = DateToJulius(year_, month_, 1);
    const JuliusDay last = DateToJulius(year_, month_, DaysInMonth(year_, month_));
    bool any = false;
    for (JuliusDay z = first; z <= last; ++z) {
      int32_t y;
      uint8_t m, d;
      JuliusToDate(z, y, m, d);
      const TDayState state = rules.DayState(y, m, d);
      if (!state.Has(dsHoliday) && !state.Has(dsFurikae)) continue;
      if (!any) out << '\n';
      any = true;
      std::string names;
      for (const std::string& name : SplitCommaText(rules.DayText(y, m, d)))
        names += (names.empty() ? "" : "、") + Cp932ToUtf8(name);
      char date[48];
      std::snprintf(date, sizeof date, "%2d月%2d日(%s) ", m, d,
                    kWeekdayNames[JuliusDayOfWeek(z) - 1]);
      out << date << names << '\n';
    }
  }

 private:
  std::string DayCell(uint8_t d, TDayState state, bool today) const {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%2d", d);
    const bool holiday = state.Has(dsHoliday) || state.Has(dsFurikae);
    if (!colour_) {
      const char marker = holiday ? '*' : state.Has(dsSunday) ? '+' : ' ';
      return std::string(" ") + digits + marker + " ";
    }
    std::string style = today ? kInverse : "";
    if (holiday || state.Has(dsSunday))
      style += kRed;
    else if (state.Has(dsSaturday))
      style += kBlue;
    if (style.empty()) return std::string(" ") + digits + "  ";
    return " " + style + digits + kReset + "  ";
  }

  std::string RokuyoCell(JuliusDay z) const {
    const uint8_t r = RokuyoOf(z);
    return r == 0 ? std::string(5, ' ') : Cp932ToUtf8(RokuyoNames[r]) + " ";
  }

  static std::string Trim(std::string s) {
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
  }

  int32_t year_;
  uint8_t month_;
  bool rokuyo_;
  bool colour_;
};

}  // namespace

int CalendarCommand(TCliArgs& args, std::ostream& out, std::ostream& err) {
  const bool rokuyo = args.Flag("rokuyo");
  const bool forceColour = args.Flag("color");
  const THolidaySet set = HolidaySetOption(args);
  const std::vector<std::string> pos = args.Positional(0, 1);
  int32_t year;
  uint8_t month;
  if (pos.empty()) {
    uint8_t day;
    JuliusToDate(TodayJulius(), year, month, day);
  } else {
    ParseMonthArg(pos[0], year, month);
  }
  const bool colour = forceColour || (&out == &std::cout && isatty(STDOUT_FILENO));
  const TDayRules rules = ProgramDayRules(set, {}, "calendar", err);
  TMonthGrid grid(year, month, rokuyo, colour);
  grid.Write(rules, out);
  grid.WriteHolidays(rules, out);
  return 0;
}

}  // namespace moriva
