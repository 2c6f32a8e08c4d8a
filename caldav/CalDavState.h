#pragma once
// What a calendar sync remembers between runs, in "caldav.ini" beside the settings file: the
// collection and schedule file it belongs to, the server's sync token, and per resource its
// href, ETag, UID and the schedule lines it stands for. A resource's lines are how the sync
// tells a local change from a server change, and why lines that came from the server (the
// days of a repeating event among them) are never sent back as new events.
//
//   [caldav]              url=, file=, token=, listing=sync or propfind
//   [resource]            href=, etag=, uid=, then one line= per schedule line
//
// The sync writes the file whole and atomically, for its owner alone, and only when it
// changed. Values run to the line's
// end as they are (schedule lines are CP932 and never hold a line break); unknown keys are
// ignored.
#include <string>
#include <string_view>
#include <vector>

namespace moriva {

inline constexpr std::string_view kCalDavStateFileName = "caldav.ini";

struct TCalDavResource {
  std::string Href;  // as the server wrote it, or as the sync made it
  std::string ETag;
  std::string Uid;
  std::vector<std::string> Lines;

  bool operator==(const TCalDavResource&) const = default;
};

struct TCalDavState {
  std::string Url;           // the collection
  std::string ScheduleFile;  // the schedule file synced with it
  std::string SyncToken;     // empty: the next listing is a whole one
  bool UsePropfind = false;  // the server refused the sync report: list with PROPFIND
  std::vector<TCalDavResource> Resources;

  bool operator==(const TCalDavState&) const = default;
};

std::string CalDavStateText(const TCalDavState& state);
TCalDavState ParseCalDavState(std::string_view text);

}  // namespace moriva
