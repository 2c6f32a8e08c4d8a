// iCalendar import: any bytes as the .ics file, merged into a schedule given by the input too
// (after the first NUL). A refused file changes nothing; otherwise the list only grows by what
// was counted, and merging the same file again adds nothing.
#include <cstdint>

#include "base/LineList.h"
#include "formats/ICalendarImport.h"
#include "fuzz/FuzzSupport.h"

using namespace moriva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const TICalZone zone("Asia/Tokyo");
  // A short window keeps every input quick; the rules are followed all the same.
  const TICalWindow window{DateToJulius(2026, 1, 1), DateToJulius(2026, 3, 31)};
  std::string_view text = fuzz::AsText(data, size);
  const size_t cut = text.find('\0');
  TLineList schedule;
  if (cut != std::string_view::npos) schedule.SetText(text.substr(cut + 1));
  const TLineList before = schedule;

  TICalMergeResult r;
  try {
    r = MergeICalendar(text.substr(0, cut), schedule, zone, window);
  } catch (const EICalendarError& e) {
    FUZZ_CHECK(schedule == before);
    FUZZ_CHECK(e.Line >= 1);
    return 0;
  }
  FUZZ_CHECK(schedule.Count() == before.Count() + r.Added);
  for (size_t i = 0; i < before.Count(); ++i) FUZZ_CHECK(schedule[i] == before[i]);
  // Every added line is one schedule item of seven fields.
  for (size_t i = before.Count(); i < schedule.Count(); ++i)
    FUZZ_CHECK(schedule[i].find('\n') == std::string::npos);

  const TICalMergeResult second = MergeICalendar(text.substr(0, cut), schedule, zone, window);
  FUZZ_CHECK(second.Added == 0);
  FUZZ_CHECK(second.Skipped == r.Skipped);
  return 0;
}
