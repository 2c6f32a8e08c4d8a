#include "caldav/CalDavSync.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "base/FileIO.h"
#include "base/TransferContext.h"
#include "caldav/CalDavEdit.h"
#include "caldav/CalDavState.h"
#include "calendar/DayListItem.h"
#include "calendar/SeriesLine.h"
#include "formats/ICalendarExport.h"
#include "schedule/ScheduleSeries.h"

namespace moriva {
namespace {

// What one fetched resource says.
struct TServerEvent {
  std::vector<std::string> Lines;
  std::string Uid;
  bool Readable = true;
};

// A server's value that goes into the state, or a line into the schedule, as the state file
// can hold it; anything else is the server's fault and ends the run before anything changed.
const std::string& Checked(const std::string& value, bool bounded = true) {
  if (!IsCalDavStateValue(value, bounded)) throw ECalDavError(std::string(kCalDavBadValueText));
  return value;
}

// Parsing an event costs a few times its text and a component per line (see ParseCharged).
size_t ParsingCost(const std::string& data) {
  return data.size() * 4 + static_cast<size_t>(std::count(data.begin(), data.end(), '\n')) * 512;
}

TServerEvent ReadServerEvent(const std::string& data, const TCalDavSyncInput& in,
                             const TCalDavServer& server, TICalBudget& budget) {
  server.CheckRoom(ParsingCost(data));
  TServerEvent out;
  try {
    TICalComponent root = ParseICalendar(data);
    icalcomponent* ev = icalcomponent_get_first_component(root.get(), ICAL_VEVENT_COMPONENT);
    for (icalcomponent* c = icalcomponent_get_first_component(root.get(), ICAL_VCALENDAR_COMPONENT);
         !ev && c; c = icalcomponent_get_next_component(root.get(), ICAL_VCALENDAR_COMPONENT))
      ev = icalcomponent_get_first_component(c, ICAL_VEVENT_COMPONENT);
    if (ev) out.Uid = ICalText(icalcomponent_get_uid(ev));
    // A broken event in the resource makes it one that could not be read, and says so.
    out.Readable = 0 == CollectICalendarLines(
                            root.get(), *in.Zone, in.Window,
                            [&](TICalEventLines& lines) {
                              for (std::string& l : lines.Lines) out.Lines.push_back(std::move(l));
                            },
                            &budget);
  } catch (const EICalendarError&) {
    out.Readable = false;
  } catch (const EICalendarCancelled&) {
    throw EHttpError("中止しました", true);  // as a cancel between requests ends the run
  }
  Checked(out.Uid);
  for (const std::string& line : out.Lines) Checked(line, false);
  return out;
}

// The date of a line that stands for one day (an item as the editor writes it), as
// year * 10000 + month * 100 + day; nothing for rule lines and other forms.
std::optional<int64_t> SingleDate(std::string_view line) {
  TDayListItem r;
  if (ParseDayListLine(line, r) != TDayLineKind::Rule || !r.IsSingleDay() || r.DayOfWeek != 0 ||
      r.WeekNo != 0)
    return std::nullopt;
  return int64_t{r.FromYear} * 10000 + r.Month * 100 + r.Day;
}

// The identity of a readable series line.
std::optional<std::string> SeriesIdOf(std::string_view line) {
  TSeries series;
  if (!IsSeriesLine(line) || ParseSeriesLine(line, series) != TSeriesLineKind::Series)
    return std::nullopt;
  return series.Id;
}

// Whether a name can go into an href as it is.
bool IsPlainName(std::string_view name) {
  if (name.empty() || name.size() > 200) return false;
  for (unsigned char c : name)
    if (!std::isalnum(c) && c != '-' && c != '_' && c != '.') return false;
  return true;
}

// A resource whose one line was replaced here by another line of the same date: an edit.
struct TEdit {
  size_t Resource;
  size_t Line;
};

// The schedule's lines that no resource has claimed yet, by text: per distinct text the first
// unclaimed index, the rest chained through `next_`, so a large schedule costs one table entry
// per text and no allocation per line. The texts are views into the list, which must not change
// while this lives.
class TFreeLines {
 public:
  explicit TFreeLines(const TLineList& list) : next_(list.Count(), kNone) {
    const auto& lines = list.Lines();
    first_.reserve(lines.size());
    for (size_t i = lines.size(); i-- > 0;) {
      if (lines[i].empty()) continue;
      auto [it, fresh] = first_.try_emplace(lines[i], i);
      if (!fresh) {
        next_[i] = it->second;
        it->second = i;
      }
    }
  }
  // Takes a line of this text, the first in list order; its index, or nothing.
  std::optional<size_t> Claim(std::string_view line) {
    auto it = first_.find(line);
    if (it == first_.end() || it->second == kNone) return std::nullopt;
    const size_t i = it->second;
    it->second = next_[i];
    return i;
  }
  // The indices nobody claimed, in list order.
  std::vector<size_t> Left() const {
    std::vector<size_t> out;
    for (const auto& [line, head] : first_)
      for (size_t i = head; i != kNone; i = next_[i]) out.push_back(i);
    std::sort(out.begin(), out.end());
    return out;
  }

 private:
  static constexpr size_t kNone = SIZE_MAX;
  std::unordered_map<std::string_view, size_t> first_;
  std::vector<size_t> next_;
};

class TSyncRun {
 public:
  TSyncRun(THttpClient& http, const TCalDavSyncInput& in, TLineList& list)
      : in_(in), list_(list), server_(http, in.Settings.Url), remove_(list.Count(), false) {
    budget_.CancelRequested = http.CancelRequested;
    if (in.Holidays) holidays_ = {in.Holidays, in.Window.From, in.Window.To};
  }

  TCalDavSyncResult Run();

 private:
  void Status(std::string_view text) {
    if (in_.Status) in_.Status->SetPanelText(kStatusPanel, text);
  }
  void Progress(size_t done, size_t total) {
    if (in_.Status)
      in_.Status->SetPanelText(kPositionPanel, std::to_string(done) + "/" + std::to_string(total));
  }
  // Replaces the lines a resource stood for (`present`: the indices still in the list) by
  // `lines`: equal lines keep their place, a line the schedule holds unclaimed is taken as it
  // is, the rest is added. Returns whether the schedule changed.
  bool Replace(const std::vector<size_t>& present, const std::vector<std::string>& lines);
  std::vector<TEdit> PairEdits(std::vector<size_t>& toDelete);
  std::vector<TEdit> PairSeriesEdits(std::vector<size_t>& toDelete);
  void SendSeriesEdits(const std::vector<TEdit>& edits, std::vector<TCalDavResource>& kept);
  TICalComponent Event(const std::string& line, const std::string& uid) const {
    return ScheduleLineToVEvent(line, uid, *in_.Zone, in_.Stamp, holidays_);
  }
  void SendEdits(const std::vector<TEdit>& edits, std::vector<TCalDavResource>& kept,
                 std::vector<size_t>& toDelete, std::vector<size_t>& unsent);
  void PushLocalLines(const std::vector<size_t>& lines, std::vector<TCalDavResource>& kept);
  std::string Document(const TICalComponent& ev) const {
    return head_ + ICalString(ev.get()) + std::string(kICalendarTail);
  }
  std::string FreshName(const std::string& line, std::string& uid);

  const TCalDavSyncInput& in_;
  TLineList& list_;
  TCalDavServer server_;
  TCalDavState state_;
  std::string savedText_;  // the state file as it was read
  TCalDavSyncResult result_;
  std::vector<bool> remove_;
  std::vector<std::string> added_;
  std::unordered_map<std::string, size_t> known_;  // the state's resources by HrefKey
  std::unordered_set<std::string> usedKeys_;       // hrefs the listing named besides
  std::optional<TFreeLines> free_;
  std::string head_;  // of every document sent
  TICalHolidays holidays_;
  TICalBudget budget_;  // the lines and rule steps of all the resources read in this run
};

bool TSyncRun::Replace(const std::vector<size_t>& present, const std::vector<std::string>& lines) {
  std::unordered_map<std::string_view, std::vector<size_t>> old;
  for (size_t i : present) old[list_[i]].push_back(i);
  bool changed = false;
  for (const std::string& line : lines) {
    auto it = old.find(line);
    if (it != old.end() && !it->second.empty()) {
      it->second.pop_back();
    } else if (!free_->Claim(line)) {
      added_.push_back(line);
      changed = true;
    }
  }
  for (auto& [text, indices] : old)
    for (size_t i : indices) {
      remove_[i] = true;
      changed = true;
    }
  return changed;
}

std::string TSyncRun::FreshName(const std::string& line, std::string& uid) {
  std::string id;
  if (std::optional<std::string> series = SeriesIdOf(line)) id = *series;
  for (size_t n = 0;; ++n) {
    uid = ScheduleLineUid(line, n);
    if (!id.empty()) {
      // The event of a series is named by the series; its UID is the series' identity.
      const std::string href = server_.CollectionPath() + "moriva-" +
                               (IsPlainName(id) ? id : uid.substr(0, uid.find('@'))) +
                               (n ? "-" + std::to_string(n) : "") + ".ics";
      uid = id;
      const std::string key = HrefKey(href);
      if (!known_.count(key) && usedKeys_.insert(key).second) return href;
      continue;
    }
    const std::string href =
        server_.CollectionPath() + "moriva-" + uid.substr(0, uid.find('@')) + ".ics";
    const std::string key = HrefKey(href);
    if (!known_.count(key) && usedKeys_.insert(key).second) return href;
  }
}

// The editor changes an item in place and never moves it to another day, so an edit shows up
// as a resource whose one line is gone and a new line of the same date. Such a pair is taken
// as an edit only when nothing else on that date could be: two gone resources or two new
// lines on one date (an item edited and another added, say) are left to DELETE and PUT, which
// loses nothing either. Resources of several lines (repeating events) are never paired. The
// lines of the pairs are claimed; the resources leave `toDelete`.
std::vector<TEdit> TSyncRun::PairEdits(std::vector<size_t>& toDelete) {
  struct TDate {
    size_t Gone = 0, New = 0;
    size_t Resource = 0, Line = 0;
  };
  std::unordered_map<int64_t, TDate> dates;
  for (size_t r : toDelete) {
    const TCalDavResource& res = state_.Resources[r];
    if (res.Lines.size() != 1 || res.ETag.empty()) continue;
    if (std::optional<int64_t> date = SingleDate(res.Lines[0])) {
      TDate& d = dates[*date];
      ++d.Gone;
      d.Resource = r;
    }
  }
  std::vector<TEdit> edits;
  if (dates.empty()) return edits;
  for (size_t i : free_->Left())
    if (std::optional<int64_t> date = SingleDate(list_[i]))
      if (auto it = dates.find(*date); it != dates.end()) {
        ++it->second.New;
        it->second.Line = i;
      }
  for (const auto& [date, d] : dates)
    if (d.Gone == 1 && d.New == 1) {
      edits.push_back({d.Resource, d.Line});
      free_->Claim(list_[d.Line]);  // no equal line elsewhere: it would share the date
      std::erase(toDelete, d.Resource);
    }
  std::sort(edits.begin(), edits.end(),
            [](const TEdit& a, const TEdit& b) { return a.Line < b.Line; });
  return edits;
}

// A series keeps its identity through every change made here, so a resource whose one series
// line is gone, with a line of the same identity that nobody claims, is that series changed.
std::vector<TEdit> TSyncRun::PairSeriesEdits(std::vector<size_t>& toDelete) {
  std::vector<TEdit> edits;
  std::unordered_map<std::string, size_t> gone;  // identity -> resource
  for (size_t r : toDelete) {
    const TCalDavResource& res = state_.Resources[r];
    if (res.Lines.size() != 1 || res.ETag.empty()) continue;
    if (std::optional<std::string> id = SeriesIdOf(res.Lines[0])) gone.emplace(*id, r);
  }
  if (gone.empty()) return edits;
  for (size_t i : free_->Left()) {
    const std::optional<std::string> id = SeriesIdOf(list_[i]);
    auto it = id ? gone.find(*id) : gone.end();
    if (it == gone.end()) continue;
    edits.push_back({it->second, i});
    free_->Claim(list_[i]);
    std::erase(toDelete, it->second);
    gone.erase(it);
  }
  return edits;
}

// Each changed series is PUT over its event with If-Match: the server keeps one event, the
// phone sees it change. One changed there meanwhile is kept as it was; the next run brings the
// server's version and the change made here stays here.
void TSyncRun::SendSeriesEdits(const std::vector<TEdit>& edits,
                               std::vector<TCalDavResource>& kept) {
  for (const TEdit& e : edits) {
    TCalDavResource& res = state_.Resources[e.Resource];
    const std::string& line = list_[e.Line];
    TICalComponent ev = Event(line, res.Uid);
    std::optional<std::string> etag;
    if (ev) etag = server_.Update(res.Href, res.ETag, Document(ev));
    if (etag) {
      kept.push_back({res.Href, Checked(*etag), res.Uid, {line}});
      ++result_.Sent;
    } else {
      kept.push_back(std::move(res));
    }
  }
}

// Each edited resource is fetched as it is now (one request for them all) and PUT over with
// If-Match, changed as the line says and keeping the rest (see CalDavEdit.h). One changed or
// gone there meanwhile is kept as it was (the next run brings the server's version and counts
// a conflict) and its new line goes up as a new event. A series, or a line iCalendar cannot
// express, is no edit after all: DELETE and PUT as for any other line.
void TSyncRun::SendEdits(const std::vector<TEdit>& edits, std::vector<TCalDavResource>& kept,
                         std::vector<size_t>& toDelete, std::vector<size_t>& unsent) {
  if (edits.empty()) return;
  std::vector<std::string> hrefs;
  for (const TEdit& e : edits) hrefs.push_back(state_.Resources[e.Resource].Href);
  std::unordered_map<std::string, TDavEntry> now;
  for (TDavEntry& entry : server_.Fetch(hrefs)) now.emplace(HrefKey(entry.Href), std::move(entry));

  for (const TEdit& e : edits) {
    TCalDavResource& res = state_.Resources[e.Resource];
    const std::string& line = list_[e.Line];
    unsent.push_back(e.Line);  // unless it goes up as the edit
    TICalComponent ev = Event(line, res.Uid);
    auto it = now.find(HrefKey(res.Href));
    if (it == now.end() || it->second.Status < 200 || it->second.Status > 299) {
      kept.push_back(std::move(res));  // gone there meanwhile: the next listing says so
      continue;
    }
    TEditedEvent merged;
    if (ev) merged = MergeEditedEvent(it->second.CalendarData, ev.get(), *in_.Zone);
    if (!ev || merged.Kind == TEditedEvent::TKind::Repeating) {
      toDelete.push_back(e.Resource);
      continue;
    }
    if (merged.Kind == TEditedEvent::TKind::Unreadable) merged.Document = Document(ev);
    if (std::optional<std::string> etag = server_.Update(res.Href, res.ETag, merged.Document)) {
      unsent.pop_back();
      kept.push_back({res.Href, Checked(*etag), res.Uid, {line}});
      ++result_.Sent;
    } else {
      kept.push_back(std::move(res));
    }
  }
}

void TSyncRun::PushLocalLines(const std::vector<size_t>& left, std::vector<TCalDavResource>& kept) {
  std::unordered_set<std::string> uids;
  for (const TCalDavResource& res : kept) uids.insert(res.Uid);
  size_t done = 0;
  for (size_t i : left) {
    Progress(++done, left.size());
    std::string line = list_[i];
    // A series whose identity an event of the calendar has already (its version changed
    // there while this one changed here, or a copy) goes up under a new identity: the server
    // holds one event per UID, and both versions are kept.
    if (std::optional<std::string> id = SeriesIdOf(line); id && !uids.insert(*id).second) {
      TSeries series;
      ParseSeriesLine(line, series);
      series.Id = NewSeriesId();
      line = WriteSeriesLine(series);
      uids.insert(series.Id);
      remove_[i] = true;
      added_.push_back(line);
    }
    std::string uid;
    const std::string href = FreshName(line, uid);
    TICalComponent ev = Event(line, uid);
    if (!ev) {
      ++result_.LeftOut;
      continue;
    }
    std::optional<std::string> etag = server_.Create(href, Document(ev));
    // One of that name exists already: the next listing brings it, and it claims this line.
    if (!etag) continue;
    kept.push_back({href, Checked(*etag), uid, {line}});
    ++result_.Sent;
  }
}

TCalDavSyncResult TSyncRun::Run() {
  std::error_code ec;
  if (std::filesystem::exists(in_.StateFile, ec)) savedText_ = ReadFileBytes(in_.StateFile);
  state_ = ParseCalDavState(savedText_);
  if (state_.Url != in_.Settings.Url || state_.ScheduleFile != in_.ScheduleFile)
    state_ = TCalDavState{in_.Settings.Url, in_.ScheduleFile, {}, false, {}};

  Status("CalDAV サーバーへ接続中...");
  TCalDavListing listing = server_.List(state_.SyncToken, state_.UsePropfind);

  // What changed on the server.
  std::unordered_map<std::string, size_t>& known = known_;
  known.reserve(state_.Resources.size());
  for (size_t i = 0; i < state_.Resources.size(); ++i)
    known.emplace(HrefKey(state_.Resources[i].Href), i);
  std::vector<bool> gone(state_.Resources.size(), false);
  std::vector<std::string> fetch;
  std::unordered_set<std::string> listed;
  Checked(listing.Token);
  for (const std::string& href : listing.Removed) Checked(href);
  for (const TDavEntry& e : listing.Members) {
    const std::string key = HrefKey(Checked(e.Href));
    Checked(e.ETag);
    listed.insert(key);
    usedKeys_.insert(key);
    auto it = known.find(key);
    if (it == known.end() || e.ETag.empty() || e.ETag != state_.Resources[it->second].ETag)
      fetch.push_back(e.Href);
  }
  for (const std::string& href : listing.Removed)
    if (auto it = known.find(HrefKey(href)); it != known.end()) gone[it->second] = true;
  if (listing.Whole)
    for (const auto& [key, i] : known)
      if (!listed.count(key)) gone[i] = true;

  Status("予定を受信しています...");
  std::unordered_map<std::string, TDavEntry> fetched;
  std::vector<TDavEntry> fresh;  // server resources the state does not know
  size_t answered = 0;
  for (TDavEntry& e : server_.Fetch(fetch)) {
    const std::string key = HrefKey(Checked(e.Href));
    Checked(e.ETag);
    auto it = known.find(key);
    if (e.Status == 404) {
      ++answered;
      if (it != known.end()) gone[it->second] = true;
    } else if (e.Status >= 200 && e.Status <= 299) {
      if (it == known.end())
        fresh.push_back(std::move(e));
      else
        fetched.emplace(key, std::move(e));
    }
  }
  const bool fetchedAll = answered + fetched.size() + fresh.size() >= fetch.size();

  // Every resource claims the lines it stood for before anything is taken or added.
  free_.emplace(list_);
  std::vector<std::vector<size_t>> present(state_.Resources.size());
  for (size_t r = 0; r < state_.Resources.size(); ++r) {
    for (const std::string& line : state_.Resources[r].Lines)
      if (std::optional<size_t> i = free_->Claim(line)) present[r].push_back(*i);
  }

  std::vector<TCalDavResource> kept;
  std::vector<size_t> toDelete;
  for (size_t r = 0; r < state_.Resources.size(); ++r) {
    TCalDavResource& res = state_.Resources[r];
    const bool locallyChanged = present[r].size() < res.Lines.size();
    if (gone[r]) {
      if (Replace(present[r], {})) ++result_.Removed;
      continue;
    }
    auto f = fetched.find(HrefKey(res.Href));
    if (f != fetched.end()) {
      TServerEvent ev = ReadServerEvent(f->second.CalendarData, in_, server_, budget_);
      if (!ev.Readable) ++result_.Skipped;
      // A server version the schedule already holds as it is (an edit sent by a run cut off
      // before it wrote the state) is no conflict.
      if (Replace(present[r], ev.Lines)) {
        ++result_.Received;
        if (locallyChanged) ++result_.Conflicts;
      }
      kept.push_back({res.Href, f->second.ETag, ev.Uid, std::move(ev.Lines)});
      continue;
    }
    if (!res.Lines.empty() && present[r].empty()) {
      toDelete.push_back(r);
      continue;
    }
    if (locallyChanged) {
      res.Lines.clear();
      for (size_t i : present[r]) res.Lines.push_back(list_[i]);
    }
    kept.push_back(std::move(res));
  }
  for (TDavEntry& e : fresh) {
    TServerEvent ev = ReadServerEvent(e.CalendarData, in_, server_, budget_);
    if (!ev.Readable) ++result_.Skipped;
    if (Replace({}, ev.Lines)) ++result_.Received;
    kept.push_back({e.Href, e.ETag, ev.Uid, std::move(ev.Lines)});
  }

  const std::vector<TEdit> seriesEdits = PairSeriesEdits(toDelete);
  const std::vector<TEdit> edits = PairEdits(toDelete);
  const TCalDavMassDeletion deletion{
      static_cast<size_t>(std::count(remove_.begin(), remove_.end(), true)), list_.Count(),
      toDelete.size(), state_.Resources.size()};
  if (IsMassDeletion(deletion) && !(in_.AllowMassDeletion && in_.AllowMassDeletion(deletion)))
    throw ECalDavMassDeletion(deletion);

  Status("予定を送信しています...");
  head_ = ICalendarHead(*in_.Zone);
  std::vector<size_t> unsent;
  SendSeriesEdits(seriesEdits, kept);
  SendEdits(edits, kept, toDelete, unsent);
  for (size_t r : toDelete) {
    TCalDavResource& res = state_.Resources[r];
    if (server_.Remove(res.Href, res.ETag))
      ++result_.Removed;
    else
      kept.push_back(std::move(res));  // changed there meanwhile: the next run brings it back
  }
  std::vector<size_t> left = free_->Left();
  if (!unsent.empty()) {
    left.insert(left.end(), unsent.begin(), unsent.end());
    std::sort(left.begin(), left.end());
  }
  PushLocalLines(left, kept);

  result_.Cut = budget_.LeftOut;
  // Every request went through: now the schedule, then the state (made first: a value it
  // cannot hold must stop the run before the schedule is saved).
  state_.Resources = std::move(kept);
  // A change the fetch did not return must be listed again next time.
  if (fetchedAll) state_.SyncToken = listing.Token;
  const std::string text = CalDavStateText(state_);
  if (!added_.empty() || std::find(remove_.begin(), remove_.end(), true) != remove_.end()) {
    std::vector<std::string> lines;
    lines.reserve(list_.Count() + added_.size());
    for (size_t i = 0; i < list_.Count(); ++i)
      if (!remove_[i]) lines.push_back(list_[i]);
    for (std::string& l : added_) lines.push_back(std::move(l));
    list_.Assign(std::move(lines));
    result_.Changed = true;
    if (in_.SaveSchedule) in_.SaveSchedule(list_);
  }
  // A run that changed nothing leaves the file alone: a large calendar's state is megabytes,
  // and writing it safely (a flush to disk) would cost more than the whole listing.
  if (text != savedText_) WriteFileAtomically(in_.StateFile, text, TFileAccess::OwnerOnly);
  return result_;
}

}  // namespace

TCalDavSyncResult SyncCalDav(THttpClient& http, const TCalDavSyncInput& input, TLineList& list) {
  if (input.Settings.Url.empty()) throw ECalDavError(std::string(kCalDavSettingsMissingText));
  http.SetCredentials(input.Settings.User, input.Settings.Password);
  http.SetCaFile(input.Settings.CaFile);
  http.BeginRun();
  return TSyncRun(http, input, list).Run();
}

std::string CalDavScheduleKey(const std::filesystem::path& scheduleFile) {
  if (scheduleFile.empty()) return {};
  std::error_code ec;
  const std::filesystem::path full = std::filesystem::absolute(scheduleFile, ec);
  return (ec ? scheduleFile : full).lexically_normal().string();
}

bool IsMassDeletion(const TCalDavMassDeletion& d) {
  auto many = [](size_t removed, size_t of) {
    return removed > kMassDeletionFloor && removed * 2 > of;
  };
  return many(d.LocalRemoved, d.LocalItems) || many(d.ServerRemoved, d.ServerItems);
}

std::string CalDavMassDeletionText(const TCalDavMassDeletion& d) {
  return "この CalDAV 同期は，予定表の予定 " + std::to_string(d.LocalItems) + " 件のうち " +
         std::to_string(d.LocalRemoved) + " 件と，サーバーの予定 " + std::to_string(d.ServerItems) +
         " 件のうち " + std::to_string(d.ServerRemoved) + " 件を削除します。";
}

std::string CalDavMassDeletionQuestion(const TCalDavMassDeletion& d) {
  return CalDavMassDeletionText(d) +
         "\r\nサーバーが予定をなくした場合などは，いいえを選んでください。"
         "\r\n削除して同期を続けますか？";
}

std::string CalDavDoneMessage(const TCalDavSyncResult& r) {
  std::string text = "CalDAV 同期完了しました。\r\n送信 " + std::to_string(r.Sent) + " 件，受信 " +
                     std::to_string(r.Received) + " 件，削除 " + std::to_string(r.Removed) +
                     " 件，競合 " + std::to_string(r.Conflicts) + " 件";
  if (r.Conflicts > 0) text += "\r\n両方で変更された予定は，両方の版を残しました。";
  if (r.LeftOut > 0)
    text += "\r\niCalendar で表せない行 " + std::to_string(r.LeftOut) +
            " 件はこの予定表だけに残しました。";
  if (r.Skipped > 0) text += "\r\n読めなかったサーバーの予定 " + std::to_string(r.Skipped) + " 件";
  if (r.Cut > 0)
    text += "\r\n1 回の同期で取り込める " + std::to_string(kMaxImportLines) + " 行を超えた " +
            std::to_string(r.Cut) + " 行は取り込みませんでした。";
  return text;
}

}  // namespace moriva
