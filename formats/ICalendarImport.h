#pragma once
// Reading iCalendar (.ics) files into the schedule, merged like the handset's CSV files:
// every event becomes schedule lines appended at the end of the list unless an equal line
// (ignoring ASCII letter case) is there already; nothing is removed or replaced.
//
// - DTSTART is taken to the user's wall-clock time: UTC times and times with a TZID (the
//   file's VTIMEZONE, else the zone database by name) are converted, floating times kept.
//   An all-day event is an item at 0:00. SUMMARY is the subject, LOCATION the place; the
//   alarm is on when the event has a VALARM.
// - A repeating event whose rule a series can hold (ICalendarSeries.h: one RRULE, no RDATE,
//   times on the user's clock) becomes one series line, its UID the series' identity, its
//   EXDATEs and the days of its overrides (RECURRENCE-ID) taken out; each override is a plain
//   item of its own. A series whose identity the schedule holds already is counted as present.
// - Other repeating events (RRULE, RDATE, EXDATE, instances overridden by RECURRENCE-ID) are
//   expanded by libical into single items whose day lies in the window (local days, both
//   ends included). A rule is followed for at most kMaxRecurrenceSteps instances, and all the
//   rules an import follows for at most kMaxImportSteps together (TICalBudget), so no file,
//   however its rules are made, keeps the import busy for long.
// - One import gives at most kMaxImportLines lines; instances beyond are counted as left out
//   (the earliest of a repeating event are kept). A sync shares one budget between the
//   resources it reads.
// - Text a schedule line cannot hold is made safe: a double quote becomes ”, the separator
//   "- " becomes "－ ", line breaks and other control characters become blanks, bytes that are
//   no UTF-8 become 〓 (characters CP932 lacks are kept, see Cp932.h). Such events are counted.
// - An event that still says what its X-MORIVA-LINE says gets that line back unchanged.
// - A file libical cannot read as a calendar is refused (EICalendarError, naming the line)
//   before anything is merged; a single event without a readable DTSTART or with a damaged
//   date or rule is skipped and counted.
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/LineList.h"
#include "calendar/Julius.h"
#include "formats/ICalendar.h"
#include "formats/ICalendarParse.h"

namespace moriva {

inline constexpr size_t kMaxRecurrenceSteps = 100000;
inline constexpr size_t kMaxImportLines = 100000;
inline constexpr size_t kMaxImportSteps = 1000000;

// What an import may still spend, shared by every event and document it reads: lines given and
// steps taken following repeating rules. Each kept instance of a repeating event costs a line,
// each instance a rule gives (in the window or not) a step, as does each RECURRENCE-ID an event
// must leave out.
struct TICalBudget {
  size_t LinesLeft = kMaxImportLines;
  size_t StepsLeft = kMaxImportSteps;
  size_t LeftOut = 0;     // lines not given because LinesLeft had run out
  bool RulesCut = false;  // a rule was followed no further because StepsLeft had run out
  // Asked every few thousand steps and before each event; true throws EICalendarCancelled.
  std::function<bool()> CancelRequested;
};

// The local days over which repeating events are expanded, both ends included.
struct TICalWindow {
  JuliusDay From = 0;
  JuliusDay To = 0;
};

// From the same day one year before `today` to the same day two years after.
TICalWindow DefaultICalWindow(JuliusDay today);

// What one event gives.
struct TICalEventLines {
  std::vector<std::string> Lines;  // CP932 schedule lines, in time order for a repeating event
  bool MadeSafe = false;           // some text had to be changed to fit a line
  std::string SeriesId;            // the identity when the event became one series line
};

// The schedule lines of one VEVENT of `calendar` (which resolves its TZIDs; may be null).
// `overrides` are the events of the same UID with a RECURRENCE-ID: their instances are left to
// them. Returns false for a broken event (no usable DTSTART, a damaged date or rule). Without a
// budget the event has one of its own.
bool VEventToScheduleLines(icalcomponent* vevent, icalcomponent* calendar,
                           const std::vector<icalcomponent*>& overrides, const TICalZone& zone,
                           const TICalWindow& window, TICalEventLines& out,
                           TICalBudget* budget = nullptr);

// Every event of a parsed document (ParseICalendar's result) turned into lines, as the merge
// below takes them: `take` gets each event's lines in file order, cancelled events are passed
// over. Returns the number of broken events skipped. Without a budget the document has one of
// its own.
size_t CollectICalendarLines(icalcomponent* root, const TICalZone& zone, const TICalWindow& window,
                             const std::function<void(TICalEventLines&)>& take,
                             TICalBudget* budget = nullptr);

struct TICalMergeResult {
  size_t Added = 0;       // lines appended
  size_t Duplicates = 0;  // lines that were there already
  size_t Skipped = 0;     // broken events passed over
  size_t MadeSafe = 0;    // events whose text was changed to fit
  size_t LeftOut = 0;     // lines beyond kMaxImportLines, not taken
  bool RulesCut = false;  // some rule was followed only for kMaxImportSteps in all

  bool operator==(const TICalMergeResult&) const = default;
};

// Parses the document and merges every event within `budget` (its cancel question included); a
// refused or cancelled document changes nothing.
TICalMergeResult MergeICalendar(std::string_view text, TLineList& schedule, const TICalZone& zone,
                                const TICalWindow& window, TICalBudget budget = {});

// Reads the file and merges it: EFileError when it cannot be read, EICalendarError
// "ファイル %s は iCalendar ファイルとして読めません (N 行目: ...)" when it is refused.
TICalMergeResult MergeICalendarFile(const std::filesystem::path& path, TLineList& schedule,
                                    const TICalZone& zone, const TICalWindow& window,
                                    TICalBudget budget = {});

// The question before an import, and the message after it (UTF-8, lines joined by CR LF):
// kICalImportDoneText, the counts (ImportCountsText) and a line for each kind of event changed
// or left out.
std::string ICalInWarningText();
inline constexpr std::string_view kICalImportDoneText =
    "iCalendar ファイルの予定を読み込みました。";
std::string ICalMergeMessage(const TICalMergeResult& result);

}  // namespace moriva
