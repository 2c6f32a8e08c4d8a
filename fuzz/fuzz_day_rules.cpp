// Rule lines: any bytes as the holiday list and the special-day list. Building never throws,
// every line is a rule, no rule or faulty, and a one-day special item marks its own date.
#include <cstdint>

#include "base/LineList.h"
#include "calendar/DayListItem.h"
#include "calendar/DayRules.h"
#include "calendar/Julius.h"
#include "fuzz/FuzzSupport.h"

using namespace moriva;

namespace {

// Day numbers keep their promises for these years only.
bool InCalendarRange(int32_t y) {
  return y >= -4712 && y <= 9999;
}

// The 1582 gap throws by design; anything else escaping is a fault.
template <class F>
void IgnoringGap(F f) {
  try {
    f();
  } catch (const EJuliusError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text = fuzz::AsText(data, size);
  size_t cut = text.find('\0');
  TLineList holidays;
  TLineList specials;
  holidays.SetText(text.substr(0, cut));
  if (cut != std::string_view::npos) specials.SetText(text.substr(cut + 1));

  size_t faulty = 0;
  for (const TLineList* list : {&holidays, &specials}) {
    for (const std::string& line : *list) {
      TDayListItem item;
      if (ParseDayListLine(line, item) == TDayLineKind::Faulty) ++faulty;
    }
  }

  TDayRules rules;
  std::vector<std::string> reported = rules.Build(holidays, specials);
  FUZZ_CHECK(reported.size() == faulty);

  const std::vector<TDayListItem> specialItems = rules.SpecialDayItems();
  for (const TDayListItem& item : specialItems) {
    if (!item.IsSingleDay() || !InCalendarRange(item.FromYear)) continue;
    IgnoringGap([&] {
      if (!IsValidDate(item.FromYear, item.Month, item.Day)) return;
      // Another item (one without a date, say) may mark the same day, so the indexed look-up
      // is compared with every special item tried in turn.
      bool anyMatches = false;
      for (const TDayListItem& other : specialItems)
        anyMatches = anyMatches || other.Match(item.FromYear, item.Month, item.Day);
      TDayState state = rules.DayState(item.FromYear, item.Month, item.Day);
      FUZZ_CHECK(state.Has(dsSpecialDay) == anyMatches);
      if (item.Match(item.FromYear, item.Month, item.Day))
        FUZZ_CHECK(!rules.DayText(item.FromYear, item.Month, item.Day).empty());
    });
  }
  // A few days around every item's date, as the month view asks.
  for (const auto* items : {&rules.HolidayItems(), &specialItems}) {
    size_t n = 0;
    for (const TDayListItem& item : *items) {
      if (++n > 16) break;
      int32_t y = InCalendarRange(item.FromYear) ? item.FromYear : 2001;
      uint8_t m = item.Month >= 1 && item.Month <= 12 ? item.Month : 1;
      for (uint8_t d = 1; d <= DaysInMonth(y, m); d += 3)
        IgnoringGap([&] { (void)rules.DayText(y, m, d); });
    }
  }
  return 0;
}
