// moriva-cli koyomi: the 24 solar terms and the seasonal days of one year, "YYYY-MM-DD<TAB>name",
// by date, one line per name.
#include <ostream>

#include "base/Cp932.h"
#include "calendar/SeasonalDays.h"
#include "cli/CliCommand.h"
#include "cli/CliDates.h"

namespace moriva {

int KoyomiCommand(TCliArgs& args, std::ostream& out, std::ostream&) {
  const int32_t year = ParseYearArg(args.Positional(1, 1)[0]);
  if (year < kSeasonalFirstYear || year > kSeasonalLastYear)
    throw Exception("the almanac covers the years " + std::to_string(kSeasonalFirstYear) + ".." +
                    std::to_string(kSeasonalLastYear) + ", not " + std::to_string(year));
  for (const TSeasonalDay& s : SeasonalDaysOfYear(year)) {
    int32_t y;
    uint8_t m, d;
    JuliusToDate(s.Day, y, m, d);
    out << FormatDate(y, m, d) << '\t' << Cp932ToUtf8(SeasonalDayNames[s.Name]) << '\n';
  }
  return 0;
}

}  // namespace moriva
