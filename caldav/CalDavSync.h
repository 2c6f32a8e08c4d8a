#pragma once
// Two-way sync between the schedule and one calendar collection on a CalDAV server.
//
// Each server resource stands for the schedule lines it was turned into (an event one line, a
// repeating event one line per day in the window); "caldav.ini" remembers which. A run lists
// the collection (from the sync token when the server keeps one), fetches what is new or
// changed there, and then:
// - a server resource new or changed: its lines replace the lines it stood for; a line equal
//   to one the schedule holds and no resource claims is taken as that line, not added twice;
// - a server resource gone: the lines it stood for are removed; lines changed locally since
//   are no longer its lines, and stay;
// - an edit: schedule lines carry no identity, but the editor changes an item in place on its
//   own day, so a resource of one line whose line is gone here, with exactly one new line of
//   the same date (and no other gone resource on that date), is taken as edited: the event is
//   fetched and PUT back with If-Match, changed as the line says and otherwise as it was (same
//   href and UID, its notes, reminders and length; CalDavEdit.h), so the phone sees the same
//   event changed; where two could pair, or the event is a repeating event expanded into
//   items, nothing is guessed (DELETE and PUT as below);
// - a series line (docs/SERIES.md) is one event whose UID is the series' identity, both ways:
//   one changed here with the same identity (a day taken out, an end set by この日以降, all
//   changed) is PUT over its event with If-Match, the rest of a cut series goes up as a new
//   event, a deleted one is DELETEd; a server series a series line can hold arrives as that
//   one line; a series changed on both sides is kept twice, the version made here going up
//   under a new identity (the server holds one event per UID);
// - a resource whose lines were all deleted locally: DELETE with If-Match (a resource changed
//   on the server meanwhile, by an edit as well, is kept and comes back at the next run);
// - a schedule line no resource stands for: PUT as a new event (If-None-Match: *);
// - changed on both sides (the server changed a resource some of whose lines were changed
//   locally): the server's version comes in and the local lines go up as new events; counted
//   as a conflict kept twice, unless the server's version is what the schedule holds already.
// Lines iCalendar cannot express stay local and are counted.
// A server's value the state cannot hold (CalDavState.h) ends the run as a server error before
// anything changed.
//
// Safe to interrupt: the list is changed, the schedule saved (through `SaveSchedule`) and
// "caldav.ini" written only after every request succeeded, in that order. A run cut short
// by a failed request changes nothing here (a failed save leaves the changed list unsaved and
// the state unwritten); what it did on the server shows up in the next run's listing, whose
// resources then claim the equal local lines instead of doubling them (an edited resource
// comes back changed with the edited line, which it claims: no conflict, nothing doubled).
#include <cstddef>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>

#include "base/Dialogs.h"
#include "base/LineList.h"
#include "caldav/CalDavServer.h"
#include "caldav/HttpClient.h"
#include "calendar/Recurrence.h"
#include "formats/ICalendarImport.h"
#include "settings/CalDavSettings.h"

namespace moriva {

// A run that would delete much at once: more than half the schedule's items and more than
// kMassDeletionFloor of them, or as many of the server's events the sync knows. A server that
// lost or never kept what it was sent lists nothing, and the schedule would follow it; so would
// the server a schedule that was emptied by mistake. Such a run asks first.
inline constexpr size_t kMassDeletionFloor = 10;
struct TCalDavMassDeletion {
  size_t LocalRemoved = 0, LocalItems = 0;    // schedule lines the run would remove, of all
  size_t ServerRemoved = 0, ServerItems = 0;  // events it would delete there, of those known

  bool operator==(const TCalDavMassDeletion&) const = default;
};
bool IsMassDeletion(const TCalDavMassDeletion& d);

// What would be deleted, the question the window asks, and the error of a run that was not
// let go on (UTF-8).
std::string CalDavMassDeletionText(const TCalDavMassDeletion& d);
std::string CalDavMassDeletionQuestion(const TCalDavMassDeletion& d);
inline constexpr std::string_view kCalDavMassDeletionStoppedText =
    "多くの予定を削除することになるため，CalDAV 同期を中止しました。予定表もサーバーも変更して"
    "いません。";

// A run stopped before a mass deletion: nothing changed on either side.
class ECalDavMassDeletion : public ECalDavError {
 public:
  explicit ECalDavMassDeletion(const TCalDavMassDeletion& d)
      : ECalDavError(std::string(kCalDavMassDeletionStoppedText)), Counts(d) {}
  TCalDavMassDeletion Counts;
};

struct TCalDavSyncInput {
  TCalDavSettings Settings;
  std::filesystem::path StateFile;  // "caldav.ini"
  // The schedule file's name: a state made with another file (or another URL) is not used,
  // so that syncing a different schedule never deletes the first one's events.
  std::string ScheduleFile;
  const TICalZone* Zone = nullptr;
  TICalWindow Window;  // repeating events are expanded over it
  // The holidays a series that skips them names as EXDATEs (over Window); none when null.
  const THolidayTest* Holidays = nullptr;
  time_t Stamp = 0;  // DTSTAMP of the events sent
  TStatusSink* Status = nullptr;
  // Saves the changed list before the state is written; not called when nothing changed.
  std::function<void(const TLineList&)> SaveSchedule;
  // Asked, before any request that changes the server, whether a mass deletion goes ahead;
  // without it (or answered false) the run throws ECalDavMassDeletion.
  std::function<bool(const TCalDavMassDeletion&)> AllowMassDeletion;
};

struct TCalDavSyncResult {
  size_t Sent = 0;       // events put on the server, edits among them
  size_t Received = 0;   // server events that changed the schedule
  size_t Removed = 0;    // events deleted on the server, and events removed from the schedule
  size_t Conflicts = 0;  // changed on both sides, kept twice
  size_t LeftOut = 0;    // lines iCalendar cannot express, kept here only
  size_t Skipped = 0;    // server resources that could not be read
  size_t Cut = 0;        // server lines beyond what one run takes in (kMaxImportLines)
  bool Changed = false;  // the list changed

  bool operator==(const TCalDavSyncResult&) const = default;
};

// Runs one sync. Throws ECalDavError (settings missing, the server refused or gave what the
// state cannot hold or too much, a mass deletion not allowed), EHttpError (no
// connection, certificate, time-out, cancel), EWebDavError (an unreadable reply) or EFileError;
// `list` and both files are then as they were.
TCalDavSyncResult SyncCalDav(THttpClient& http, const TCalDavSyncInput& input, TLineList& list);

// The form of a schedule file's name kept in "caldav.ini": absolute and without "." or "..",
// so one file is recognised however it was named; "" for an untitled schedule.
std::string CalDavScheduleKey(const std::filesystem::path& scheduleFile);

// Status panel texts and the closing message (UTF-8).
inline constexpr std::string_view kCalDavSettingsMissingText = "CalDAV の設定をしてください。";
std::string CalDavDoneMessage(const TCalDavSyncResult& r);

}  // namespace moriva
