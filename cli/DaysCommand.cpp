// moriva-cli days: every day of a range with its number, weekday, day state, old-calendar
// date, rokuyo and day text, one TAB-separated line per day.
#include <ostream>

#include "base/Cp932.h"
#include "base/LineList.h"
#include "calendar/OldCalendar.h"
#include "cli/CliCommand.h"
#include "cli/CliDates.h"

namespace moriva {
namespace {

std::string FlagNames(TDayState state) {
  static constexpr const char* kNames[] = {"dsSunday", "dsSaturday", "dsHoliday", "dsFurikae",
                                           "dsSpecialDay"};
  std::string out;
  for (uint8_t f = dsSunday; f <= dsSpecialDay; ++f) {
    if (!state.Has(static_cast<TDayStateFlag>(f))) continue;
    if (!out.empty()) out += ',';
    out += kNames[f];
  }
  return out.empty() ? "-" : out;
}

}  // namespace

int DaysCommand(TCliArgs& args, std::ostream& out, std::ostream& err) {
  const std::optional<std::string> schedule = args.Option("schedule");
  const bool noEquinox = args.Flag("no-equinox");
  const bool noFurikae = args.Flag("no-furikae");
  const THolidaySet set = HolidaySetOption(args);
  const std::vector<std::string> pos = args.Positional(2, 2);
  const JuliusDay from = ParseDateArg(pos[0]);
  const JuliusDay to = ParseDateArg(pos[1]);
  if (from > to) throw EUsageError("FROM lies after TO");

  TLineList specials;
  if (schedule) specials.LoadFromFile(*schedule);
  TDayRules rules = ProgramDayRules(set, specials, "days", err);
  rules.AutoEquinox = !noEquinox;
  rules.AutoFurikae = !noFurikae;

  std::string line;
  for (JuliusDay z = from; z <= to; ++z) {
    int32_t y;
    uint8_t m, d, oldMonth, oldDay;
    JuliusToDate(z, y, m, d);
    OldCalendarDate(z, oldMonth, oldDay);
    line = FormatDate(y, m, d);
    line += '\t' + std::to_string(z);
    line += '\t' + std::to_string(JuliusDayOfWeek(z));
    line += '\t' + FlagNames(rules.DayState(y, m, d));
    line += '\t' + std::to_string(oldMonth);
    line += '\t' + std::to_string(oldDay);
    line += '\t' + Cp932ToUtf8(RokuyoNames[RokuyoOf(z)]);
    line += '\t' + Cp932ToUtf8(rules.DayText(y, m, d));
    line += '\n';
    out << line;
  }
  return 0;
}

}  // namespace moriva
