// The CalDAV state file ("caldav.ini"): any bytes as the file. Whatever is read must be written
// back so that it reads the same, or the next sync would take the server's events for new ones.
#include <cstdint>

#include "caldav/CalDavState.h"
#include "fuzz/FuzzSupport.h"

using namespace moriva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const TCalDavState state = ParseCalDavState(fuzz::AsText(data, size));
  const std::string text = CalDavStateText(state);
  FUZZ_CHECK(ParseCalDavState(text) == state);
  return 0;
}
