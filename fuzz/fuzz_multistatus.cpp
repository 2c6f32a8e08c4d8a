// The reader of a calendar server's multistatus replies: any bytes as a reply. A reply is
// either refused with EWebDavError or read into entries; whatever is read must be usable by
// the sync (every href has a comparable form, and a request about it stays on the calendar's
// server).
#include <cstdint>
#include <optional>
#include <string>

#include "caldav/WebDavXml.h"
#include "fuzz/FuzzSupport.h"

using namespace moriva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    TDavMultiStatus reply = ParseMultiStatus(fuzz::AsText(data, size));
    for (const TDavEntry& entry : reply.Entries) {
      std::string key = HrefKey(entry.Href);
      FUZZ_CHECK(key.size() <= entry.Href.size());
      if (std::optional<std::string> url = ResolveHref("https://h/cal/", entry.Href))
        FUZZ_CHECK(url->starts_with("https://h/"));
    }
  } catch (const EWebDavError&) {
  }
  return 0;
}
