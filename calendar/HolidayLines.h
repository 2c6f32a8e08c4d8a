#pragma once
// The program's two holiday rule sets. "current" (the default) is the national holiday law from
// its start on 20 July 1948: rule lines plus the switches for what lines cannot say (the law's
// first day for the equinox days, the substitute holiday from 1973 and its later form from
// 2007, the days between two holidays from 1985). "classic" is the fifteen lines the program
// was first made with, under the plain built-in rules.
#include <optional>
#include <string_view>

#include "base/LineList.h"
#include "calendar/DayRules.h"

namespace moriva {

enum class THolidaySet { Current, Classic };

// "current" or "classic"; nullopt for any other text.
std::optional<THolidaySet> HolidaySetFromName(std::string_view name);
std::string_view HolidaySetName(THolidaySet set);

// The rule lines (CP932) of a set, and its switches.
const TLineList& HolidayLines(THolidaySet set);
THolidaySwitches HolidaySwitches(THolidaySet set);
const TLineList& ClassicHolidayLines();
const TLineList& CurrentHolidayLines();

// The set's lines and switches applied to rules with the given special-day lines; returns the
// faulty special-day lines (TDayRules::Build).
std::vector<std::string> BuildDayRules(TDayRules& rules, THolidaySet set,
                                       const TLineList& specialDayList);

// The holidays of the current law with its built-in rules: the test series use where no window
// says which law is shown (moriva-cli without --holidays, the handset export's default).
const THolidayTest& CurrentLawHolidays();

}  // namespace moriva
