#include "caldav/CalDavState.h"

#include "base/LineList.h"
#include "caldav/CalDavServer.h"

namespace moriva {

bool IsCalDavStateValue(std::string_view value, bool bounded) {
  if (bounded && value.size() > kMaxCalDavStateValue) return false;
  return value.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

std::string CalDavStateText(const TCalDavState& s) {
  std::string t;
  auto put = [&t](std::string_view key, std::string_view value, bool bounded = true) {
    if (!IsCalDavStateValue(value, bounded)) throw ECalDavError(std::string(kCalDavBadValueText));
    t.append(key).append("=").append(value).append("\r\n");
  };
  t += "[caldav]\r\n";
  put("url", s.Url);
  put("file", s.ScheduleFile);
  put("token", s.SyncToken);
  put("listing", s.UsePropfind ? "propfind" : "sync");
  for (const TCalDavResource& r : s.Resources) {
    t += "[resource]\r\n";
    put("href", r.Href);
    put("etag", r.ETag);
    put("uid", r.Uid);
    for (const std::string& line : r.Lines) put("line", line, false);
  }
  return t;
}

TCalDavState ParseCalDavState(std::string_view text) {
  // Lines are read up to a NUL only: what follows one would be lost unseen.
  if (text.find('\0') != std::string_view::npos) return {};
  TCalDavState s;
  TCalDavResource* r = nullptr;
  bool forged = false;
  // Read from views of the text: a large calendar's state has tens of thousands of lines, and
  // a sync in which nothing changed spends most of its own time here.
  VisitLines(text, [&](std::string_view line) {
    if (line == "[resource]") {
      r = &s.Resources.emplace_back();
      return;
    }
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) return;
    const std::string_view key = line.substr(0, eq);
    const std::string_view value = line.substr(eq + 1);
    if (!IsCalDavStateValue(value, key != "line")) forged = true;
    if (!r) {
      if (key == "url")
        s.Url = value;
      else if (key == "file")
        s.ScheduleFile = value;
      else if (key == "token")
        s.SyncToken = value;
      else if (key == "listing")
        s.UsePropfind = value == "propfind";
    } else if (key == "href") {
      r->Href = value;
    } else if (key == "etag") {
      r->ETag = value;
    } else if (key == "uid") {
      r->Uid = value;
    } else if (key == "line") {
      r->Lines.emplace_back(value);
    }
  });
  if (forged) return {};
  return s;
}

}  // namespace moriva
