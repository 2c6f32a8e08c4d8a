#pragma once
// Series in the schedule's lines: finding them, making identities, and cutting a series at a
// day. The changes themselves go through the model (TScheduleModel: AddSeries, ChangeSeries,
// DeleteSeries, TakeOutDay, EndSeriesFrom), each as one change of the lines.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/LineList.h"
#include "calendar/SeriesLine.h"

namespace moriva {

// A new identity: a random version-4 UUID in lower case, as calendar servers take it for a UID.
std::string NewSeriesId();

// The identity of a series that came without one (an iCalendar event with no UID): a UUID
// made from the series' rule and text, so that the same series read twice is the same series
// and a second import finds it already there.
std::string ContentSeriesId(const TSeries& series);

struct TSeriesLine {
  size_t Index = 0;  // of the line in the list
  TSeries Series;
};

// The readable series lines of the list, in list order.
std::vector<TSeriesLine> ReadSeriesLines(const TLineList& list);

// The first readable series line with this identity.
std::optional<TSeriesLine> FindSeriesLine(const TLineList& list, std::string_view id);

// The series ended the day before `day`, or at its own end when that comes first: a Until
// (a Count end becomes the day of its last candidate, as calendar servers are told: the first
// part of a cut series ends on a date). Taken-out days from `day` on are dropped. Meant for a
// series with a candidate before `day` (HasCandidateBefore).
TSeries SeriesBefore(const TSeries& series, JuliusDay day, const THolidayTest& holidays);

// The rest of the series from `day` on, with no identity: started on the first day of the bare
// rule from `day` on (so weeks, months and years keep counting as before), the count lowered by
// the candidates before it, the taken-out days from there on kept. nullopt when the series has
// no candidate from `day` on.
std::optional<TSeries> SeriesFrom(const TSeries& series, JuliusDay day,
                                  const THolidayTest& holidays);

// Whether the series has a candidate before `day` (else cutting it there leaves nothing).
bool HasCandidateBefore(const TSeries& series, JuliusDay day, const THolidayTest& holidays);

}  // namespace moriva
