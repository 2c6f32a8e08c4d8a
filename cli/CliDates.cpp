#include "cli/CliDates.h"

#include <cstdio>
#include <ostream>
#include <regex>

#include "base/IntText.h"
#include "cli/CliCommand.h"

namespace moriva {
namespace {

int32_t YearInRange(const std::string& digits, std::string_view text) {
  std::optional<int32_t> y = TryStrToInt(digits);
  if (!y || *y < kFirstCliYear || *y > kLastCliYear)
    throw EUsageError("'" + std::string(text) + "': the year must lie in -4712..9999");
  return *y;
}

}  // namespace

JuliusDay ParseDateArg(std::string_view text) {
  static const std::regex pattern(R"((-?[0-9]{1,9})-([0-9]{1,2})-([0-9]{1,2}))");
  std::cmatch m;
  if (!std::regex_match(text.begin(), text.end(), m, pattern))
    throw EUsageError("'" + std::string(text) + "' is not a date of the form YYYY-MM-DD");
  const int32_t y = YearInRange(m[1].str(), text);
  const auto month = static_cast<uint8_t>(std::stoi(m[2].str()));
  const auto day = static_cast<uint8_t>(std::stoi(m[3].str()));
  bool valid;
  try {
    valid = IsValidDate(y, month, day);
  } catch (const EJuliusError& e) {  // the days the calendar skipped in October 1582
    throw EUsageError("'" + std::string(text) + "': " + e.what());
  }
  if (!valid) throw EUsageError("'" + std::string(text) + "' is no valid date");
  return DateToJulius(y, month, day);
}

void ParseMonthArg(std::string_view text, int32_t& year, uint8_t& month) {
  static const std::regex pattern(R"((-?[0-9]{1,9})-([0-9]{1,2}))");
  std::cmatch m;
  if (!std::regex_match(text.begin(), text.end(), m, pattern))
    throw EUsageError("'" + std::string(text) + "' is not a month of the form YYYY-MM");
  year = YearInRange(m[1].str(), text);
  const int mm = std::stoi(m[2].str());
  if (mm < 1 || mm > 12) throw EUsageError("'" + std::string(text) + "': no such month");
  month = static_cast<uint8_t>(mm);
}

int32_t ParseYearArg(std::string_view text) {
  static const std::regex pattern(R"(-?[0-9]{1,9})");
  if (!std::regex_match(text.begin(), text.end(), pattern))
    throw EUsageError("'" + std::string(text) + "' is not a year");
  return YearInRange(std::string(text), text);
}

std::string FormatDate(int32_t year, uint8_t month, uint8_t day) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s%04d-%02d-%02d", year < 0 ? "-" : "", year < 0 ? -year : year,
                month, day);
  return buf;
}

THolidaySet HolidaySetOption(TCliArgs& args) {
  const std::optional<std::string> name = args.Option("holidays");
  if (!name) return THolidaySet::Current;
  if (const std::optional<THolidaySet> set = HolidaySetFromName(*name)) return *set;
  throw EUsageError("--holidays must be current or classic, not '" + *name + "'");
}

TDayRules HolidayRulesOption(TCliArgs& args) {
  TDayRules rules;
  BuildDayRules(rules, HolidaySetOption(args), TLineList());
  return rules;
}

TDayRules ProgramDayRules(THolidaySet set, const TLineList& specialDays, std::string_view command,
                          std::ostream& err) {
  TDayRules rules;
  for (const std::string& line : BuildDayRules(rules, set, specialDays))
    err << "moriva-cli " << command << ": " << NotAnIntegerMessage(line) << '\n';
  return rules;
}

}  // namespace moriva
