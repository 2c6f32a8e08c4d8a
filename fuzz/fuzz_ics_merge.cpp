// iCalendar import: any bytes as the .ics file, merged into a schedule given by the input too
// (after the first NUL). A refused file changes nothing; otherwise the list only grows by what
// was counted, never by more lines than the budget gives, merging the same file again adds
// nothing, and a cancel at any of the import's questions leaves the list as it was.
#include <cstdint>

#include "base/LineList.h"
#include "formats/ICalendarImport.h"
#include "fuzz/FuzzSupport.h"

using namespace moriva;

namespace {

// Smaller than an import's own bounds, so that an input that reaches them runs in a fraction
// of a second under the sanitizers; the bounds work the same way at any size.
TICalBudget FuzzBudget() {
  TICalBudget b;
  b.LinesLeft = 500;
  b.StepsLeft = 1000;
  return b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const TICalZone zone("Asia/Tokyo");
  // A short window keeps every input quick; the rules are followed all the same.
  const TICalWindow window{DateToJulius(2026, 1, 1), DateToJulius(2026, 3, 31)};
  std::string_view text = fuzz::AsText(data, size);
  const size_t cut = text.find('\0');
  TLineList schedule;
  if (cut != std::string_view::npos) schedule.SetText(text.substr(cut + 1));
  const TLineList before = schedule;
  const std::string_view ics = text.substr(0, cut);

  TICalMergeResult r;
  try {
    r = MergeICalendar(ics, schedule, zone, window, FuzzBudget());
  } catch (const EICalendarError& e) {
    FUZZ_CHECK(schedule == before);
    FUZZ_CHECK(e.Line >= 1);
    return 0;
  }
  FUZZ_CHECK(schedule.Count() == before.Count() + r.Added);
  FUZZ_CHECK(r.Added + r.Duplicates <= FuzzBudget().LinesLeft);
  FUZZ_CHECK(r.LeftOut == 0 || r.Added + r.Duplicates == FuzzBudget().LinesLeft);
  for (size_t i = 0; i < before.Count(); ++i) FUZZ_CHECK(schedule[i] == before[i]);
  // Every added line is one schedule item of seven fields.
  for (size_t i = before.Count(); i < schedule.Count(); ++i)
    FUZZ_CHECK(schedule[i].find('\n') == std::string::npos);

  const TLineList merged = schedule;
  const TICalMergeResult second = MergeICalendar(ics, schedule, zone, window, FuzzBudget());
  FUZZ_CHECK(second.Added == 0);
  FUZZ_CHECK(second.Skipped == r.Skipped);
  FUZZ_CHECK(second.LeftOut == r.LeftOut);

  // A cancel at the n-th question, n taken from the input's size.
  TICalBudget cancelling = FuzzBudget();
  size_t questions = size % 5;
  cancelling.CancelRequested = [&] { return questions-- == 0; };
  try {
    MergeICalendar(ics, schedule, zone, window, cancelling);
  } catch (const EICalendarCancelled&) {
  }
  FUZZ_CHECK(schedule == merged);
  return 0;
}
