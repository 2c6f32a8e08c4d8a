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
// changed. Values run to the line's end as they are (schedule lines are CP932 and never hold a
// line break); unknown keys are ignored. Most values come from the server, so a value that
// could end its line early (CR, LF) or is not text (NUL) or runs past kMaxCalDavStateValue
// bytes is never written: one such value would let the server forge entries of its own, and
// the next sync act on them.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace moriva {

inline constexpr std::string_view kCalDavStateFileName = "caldav.ini";

// The longest href, ETag, UID, sync token, URL or file name the state holds: far beyond any a
// server or the file system makes, small enough that a hostile server cannot grow the file.
inline constexpr size_t kMaxCalDavStateValue = 4096;

// The server gave a value the state cannot hold (UTF-8): the sync stops before it changed
// anything.
inline constexpr std::string_view kCalDavBadValueText =
    "CalDAV サーバーが記録できない値 (改行を含む名前など) を返しました。同期を中止しました。";

// Whether `value` can be written as it is: no CR, LF or NUL, and, unless `bounded` is false
// (schedule lines, bounded where they are made), at most kMaxCalDavStateValue bytes.
bool IsCalDavStateValue(std::string_view value, bool bounded = true);

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

// Throws ECalDavError kCalDavBadValueText when a value fails IsCalDavStateValue.
std::string CalDavStateText(const TCalDavState& state);
// A file holding a value the writer would refuse was not written by it: it reads as no state
// at all (the next sync then only merges, and deletes nothing on either side).
TCalDavState ParseCalDavState(std::string_view text);

}  // namespace moriva
