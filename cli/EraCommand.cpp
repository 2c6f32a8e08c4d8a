// moriva-cli era: a western date YYYY-MM-DD as its Japanese era date, or an era date
// (令和9年1月10日, R9.1.10) as the western date.
#include <ostream>

#include "base/Cp932.h"
#include "calendar/JapaneseEra.h"
#include "cli/CliCommand.h"
#include "cli/CliDates.h"

namespace moriva {

int EraCommand(TCliArgs& args, std::ostream& out, std::ostream&) {
  const std::string text = args.Positional(1, 1)[0];
  const std::string cp932 = Utf8ToCp932(text);
  if (const std::optional<TEraDate> era = ParseEraDate(cp932)) {
    const std::optional<JuliusDay> z = EraDateToJulius(*era);
    if (!z) {
      int32_t y;
      uint8_t m, d;
      JuliusToDate(EraFirstDay(era->Era), y, m, d);
      std::string span = FormatDate(y, m, d);
      if (era->Era == TEra::Reiwa) {
        span = "from " + span;
      } else {
        JuliusToDate(EraLastDay(era->Era), y, m, d);
        span += " to " + FormatDate(y, m, d);
      }
      throw Exception("'" + text + "' is no day of " + Cp932ToUtf8(EraName(era->Era)) + " (" +
                      span + ")");
    }
    int32_t y;
    uint8_t m, d;
    JuliusToDate(*z, y, m, d);
    out << FormatDate(y, m, d) << '\n';
    return 0;
  }
  if (text.empty() || (text[0] != '-' && (text[0] < '0' || text[0] > '9')))
    throw EUsageError("'" + text + "' is neither a date YYYY-MM-DD nor an era date such as " +
                      "令和9年1月10日 or R9.1.10");
  const JuliusDay z = ParseDateArg(text);
  const std::optional<TEraDate> era = EraDateOf(z);
  if (!era) throw Exception("'" + text + "' lies before 明治 (1868-01-25)");
  out << Cp932ToUtf8(EraDateText(*era)) << '\n';
  return 0;
}

}  // namespace moriva
