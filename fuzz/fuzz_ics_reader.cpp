// The iCalendar reader alone: any bytes as a document, read the way an import reads it (the
// shell with the hostile-input checks, then each event on its own), without following rules or
// merging, so that a campaign reaches more documents than the merge target does. A
// document is refused by the shell exactly when the whole-document reader refuses it; every event
// span lies inside the text, in file order.
#include <cstdint>
#include <string>

#include "formats/ICalendarParse.h"
#include "fuzz/FuzzSupport.h"

using namespace moriva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text = fuzz::AsText(data, size);

  std::string wholeRefusal;
  try {
    TICalComponent whole = ParseICalendar(text);
    FUZZ_CHECK(whole != nullptr);
  } catch (const EICalendarError& e) {
    FUZZ_CHECK(e.Line >= 1);
    wholeRefusal = e.what();
  }

  std::string shellRefusal;
  size_t last = 0;
  try {
    TICalShell shell = ReadICalendarShell(text, {}, [&](const TICalEventSpan& span) {
      FUZZ_CHECK(span.Begin >= last && span.Begin < span.End && span.End <= text.size());
      last = span.End;
      (void)ParseICalendarEvent(text, span);
    });
    (void)shell;
  } catch (const EICalendarError& e) {
    shellRefusal = e.what();
  }
  // The two may word a refusal differently (the shell meets a damaged line before libical
  // finds the document has no calendar), but never does one refuse what the other takes.
  FUZZ_CHECK(shellRefusal.empty() == wholeRefusal.empty());
  return 0;
}
