#include "transfer/CalDavState.h"

#include "base/LineList.h"

namespace moriva {

std::string CalDavStateText(const TCalDavState& s) {
  std::string t;
  auto put = [&t](std::string_view key, std::string_view value) {
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
    for (const std::string& line : r.Lines) put("line", line);
  }
  return t;
}

TCalDavState ParseCalDavState(std::string_view text) {
  TCalDavState s;
  TCalDavResource* r = nullptr;
  for (const std::string& line : SplitLines(text)) {
    if (line == "[resource]") {
      r = &s.Resources.emplace_back();
      continue;
    }
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string_view key = std::string_view(line).substr(0, eq);
    std::string value = line.substr(eq + 1);
    if (!r) {
      if (key == "url")
        s.Url = std::move(value);
      else if (key == "file")
        s.ScheduleFile = std::move(value);
      else if (key == "token")
        s.SyncToken = std::move(value);
      else if (key == "listing")
        s.UsePropfind = value == "propfind";
    } else if (key == "href") {
      r->Href = std::move(value);
    } else if (key == "etag") {
      r->ETag = std::move(value);
    } else if (key == "uid") {
      r->Uid = std::move(value);
    } else if (key == "line") {
      r->Lines.push_back(std::move(value));
    }
  }
  return s;
}

}  // namespace moriva
