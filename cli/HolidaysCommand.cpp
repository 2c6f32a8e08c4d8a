// moriva-cli holidays: the holidays and substitute holidays of one year with their names,
// "YYYY-MM-DD<TAB>names" (the names joined as comma text, as the day text joins them).
#include <ostream>

#include "base/Cp932.h"
#include "cli/CliCommand.h"
#include "cli/CliDates.h"

namespace moriva {

int HolidaysCommand(TCliArgs& args, std::ostream& out, std::ostream& err) {
  const THolidaySet set = HolidaySetOption(args);
  const int32_t year = ParseYearArg(args.Positional(1, 1)[0]);
  const TDayRules rules = ProgramDayRules(set, {}, "holidays", err);
  const JuliusDay last = DateToJulius(year, 12, 31);
  for (JuliusDay z = DateToJulius(year, 1, 1); z <= last; ++z) {
    int32_t y;
    uint8_t m, d;
    JuliusToDate(z, y, m, d);
    const TDayState state = rules.DayState(y, m, d);
    if (state.Has(dsHoliday) || state.Has(dsFurikae))
      out << FormatDate(y, m, d) << '\t' << Cp932ToUtf8(rules.DayText(y, m, d)) << '\n';
  }
  return 0;
}

}  // namespace moriva
