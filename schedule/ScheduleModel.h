#pragma once
// The schedule as the whole program shares it: the schedule lines (the special-day list), the
// holiday law they are shown under (its rule lines and switch days), and the day rules both
// give. There is one model per open schedule; the calendars, search, reminders, print and the
// file actions read it, the editor and the imports change its lines, and whoever shows it is
// told after every change.
//
// Two kinds of watcher:
// - rule watchers run after every change of either list or of the holiday switches (the rules
//   have been rebuilt): a calendar redraws;
// - commit watchers run after Commit, which the document calls once a change is complete (an
//   editor closed with OK, an import, a receive, a sync, undo, a file loaded): reminders, the
//   search and the edit menu look again.
// While an editor session runs (BeginEdit .. EndEdit or CancelEdit), Committed() is the schedule
// as it was when the session began, so that an item still being typed raises no reminder;
// CancelEdit puts those lines back.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/LineList.h"
#include "calendar/DayRules.h"
#include "schedule/ScheduleSeries.h"

namespace moriva {

class TScheduleModel;

// A watcher's registration; the watcher stops being called when it is destroyed. It may
// outlive the model (then it does nothing).
class TScheduleWatch {
 public:
  TScheduleWatch() = default;
  TScheduleWatch(TScheduleWatch&& other) noexcept;
  TScheduleWatch& operator=(TScheduleWatch&& other) noexcept;
  ~TScheduleWatch();

 private:
  friend class TScheduleModel;
  struct TList;
  TScheduleWatch(std::weak_ptr<TList> list, int id) : list_(std::move(list)), id_(id) {}
  void Release();

  std::weak_ptr<TList> list_;
  int id_ = 0;
};

class TScheduleModel {
 public:
  TScheduleModel();
  ~TScheduleModel();
  TScheduleModel(const TScheduleModel&) = delete;
  TScheduleModel& operator=(const TScheduleModel&) = delete;

  // --- The lists (CP932 rule lines) ----------------------------------------------------------
  // Changing a list in place (Add, Put, Delete, Assign, ...) rebuilds the rules and tells the
  // rule watchers; a BeginUpdate/EndUpdate bracket around many changes does so once.
  TLineList& Lines() { return lines_; }
  const TLineList& Lines() const { return lines_; }
  TLineList& HolidayLines() { return holiday_lines_; }
  const TLineList& HolidayLines() const { return holiday_lines_; }

  // The holiday law's switch days and its two built-in rules (see TDayRules).
  const THolidaySwitches& Switches() const { return rules_.Switches; }
  void SetSwitches(const THolidaySwitches& switches);
  bool AutoEquinox() const { return rules_.AutoEquinox; }
  void SetAutoEquinox(bool on);
  bool AutoFurikae() const { return rules_.AutoFurikae; }
  void SetAutoFurikae(bool on);
  // A holiday law at once: its lines and switch days, one rebuild.
  void SetHolidays(const TLineList& lines, const THolidaySwitches& switches);

  // The parsed rules of both lists, as the calendars draw them and print prints them.
  const TDayRules& Rules() const { return rules_; }
  // Lines of either list that the last rebuild could not read (they mark no day).
  const std::vector<std::string>& FaultyDayLines() const { return faulty_lines_; }
  // Called after a rebuild whose faulty lines differ from the previous rebuild's and are not
  // none, so one faulty line is reported once, not after every later edit.
  std::function<void(const std::vector<std::string>& faultyLines)> OnDayListError;

  // --- Watchers --------------------------------------------------------------------------------
  [[nodiscard]] TScheduleWatch WatchRules(std::function<void()> changed) const;
  [[nodiscard]] TScheduleWatch WatchCommits(std::function<void()> committed) const;
  // A change of the lines is complete: tells the commit watchers.
  void Commit();

  // --- Series (docs/SERIES.md) ----------------------------------------------------------------
  // Each change below is one change of the lines with one rebuild; the caller records it as
  // one undo step (TScheduleDocument::ListEdited). The holidays are those of Rules(). A call
  // that finds no readable series with the identity, or is given a rule that is not valid
  // (IsValidRecurrence), changes nothing and returns false (or an empty identity).
  std::optional<TSeriesLine> FindSeries(std::string_view id) const;
  // Appends the series, with a new identity (MakeSeriesId) when it has none; its identity.
  std::string AddSeries(TSeries series);
  // すべて: the whole series replaced in place by `changed`, whose identity is set to `id`.
  bool ChangeSeries(std::string_view id, TSeries changed);
  bool DeleteSeries(std::string_view id);
  // この日だけ: `day` taken out of the series (false when it is no occurrence); with
  // `itemLine` (a plain item for that day, as MakeScheduleLine writes it), that line is
  // appended in the same change.
  bool TakeOutDay(std::string_view id, JuliusDay day,
                  std::optional<std::string> itemLine = std::nullopt);
  // この日以降: the series ends the day before `day` (SeriesBefore; its line goes when no
  // candidate is left before `day`). `rest`, when given (SeriesFrom, changed as wanted), goes
  // in right after it as a new series with a new identity, which is returned ("" without a
  // rest, or when nothing changed).
  std::string EndSeriesFrom(std::string_view id, JuliusDay day,
                            std::optional<TSeries> rest = std::nullopt);
  // Makes the identities of new series (NewSeriesId; tests put a counter here).
  std::function<std::string()> MakeSeriesId = NewSeriesId;

  // --- An editor session -----------------------------------------------------------------------
  // Keeps the lines as they are now. A session already running keeps its first state.
  void BeginEdit();
  // Ends the session with the lines as they are (the caller commits them).
  void EndEdit();
  // Puts the lines kept by BeginEdit back and ends the session; nothing without a session.
  void CancelEdit();
  bool Editing() const { return edit_start_.has_value(); }
  // The lines as last committed: the kept lines during a session, else the lines.
  const TLineList& Committed() const { return edit_start_ ? *edit_start_ : lines_; }

 private:
  void Rebuild(bool holidays);
  TScheduleWatch Watch(bool commits, std::function<void()> call) const;
  void Tell(bool commits) const;

  TLineList lines_;
  TLineList holiday_lines_;
  TDayRules rules_;
  std::vector<std::string> faulty_lines_;
  std::optional<TLineList> edit_start_;
  std::shared_ptr<TScheduleWatch::TList> watchers_;
};

}  // namespace moriva
