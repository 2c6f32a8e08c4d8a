#pragma once
// Finding items by a piece of their subject or place, the way a user types it: letter case,
// full-width against half-width letters, digits and katakana do not matter (base/SearchFold).
// The items are those CollectAgenda lists (lines of other forms are never hits).
#include <cstddef>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "base/LineList.h"
#include "calendar/DayRules.h"
#include "schedule/Agenda.h"

namespace moriva {

enum class TSearchOrder {
  Newest,  // the most recently entered first: the list from its end (nothing ever sorts it)
  ByDate,  // by date, then time of day (unreadable times first), then list order
};

// What is looked for: the folded query without blanks at either end. Empty: nothing.
std::string SearchKey(std::string_view query);

// Whether the subject or the place contains `key` (a SearchKey).
bool ItemMatches(const TItemParts& parts, std::string_view key);

// The hits for `query` (CP932) in `order`, at most `limit` of them: the first screenful is the
// same as the start of the whole list. An empty query finds nothing. A series is one hit
// (Repeating set), dated on its next occurrence from `today` on, or on its last one when it
// has ended (a series without any occurrence is no hit); 祝日を除く is judged by `holidays`.
std::vector<TAgendaItem> SearchSchedule(const TLineList& list, std::string_view query,
                                        TSearchOrder order,
                                        size_t limit = std::numeric_limits<size_t>::max(),
                                        JuliusDay today = TodayJulius(),
                                        const THolidayTest& holidays = CurrentLawHolidays());
// The same in the special-day list `rules` were built on (TDayRules::BuildOn): its series are
// not read again, and where a series with a count ends is worked out once for every search.
std::vector<TAgendaItem> SearchSchedule(const TDayRules& rules, std::string_view query,
                                        TSearchOrder order,
                                        size_t limit = std::numeric_limits<size_t>::max(),
                                        JuliusDay today = TodayJulius());

}  // namespace moriva
