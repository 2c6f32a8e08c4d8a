#include "schedule/ScheduleModel.h"

#include <algorithm>
#include <map>
#include <utility>

namespace moriva {

struct TScheduleWatch::TList {
  struct TEntry {
    bool commits;
    std::function<void()> call;
  };
  std::map<int, TEntry> entries;
  int next_id = 1;
};

TScheduleWatch::TScheduleWatch(TScheduleWatch&& other) noexcept
    : list_(std::move(other.list_)), id_(std::exchange(other.id_, 0)) {}

TScheduleWatch& TScheduleWatch::operator=(TScheduleWatch&& other) noexcept {
  if (this != &other) {
    Release();
    list_ = std::move(other.list_);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

TScheduleWatch::~TScheduleWatch() {
  Release();
}

void TScheduleWatch::Release() {
  if (std::shared_ptr<TList> list = list_.lock()) list->entries.erase(id_);
  list_.reset();
  id_ = 0;
}

TScheduleModel::TScheduleModel() : watchers_(std::make_shared<TScheduleWatch::TList>()) {
  lines_.OnChange = [this] { Rebuild(false); };
  holiday_lines_.OnChange = [this] { Rebuild(true); };
  Rebuild(true);
}

TScheduleModel::~TScheduleModel() {
  // A change while the members are torn down must not call back.
  lines_.OnChange = nullptr;
  holiday_lines_.OnChange = nullptr;
}

void TScheduleModel::SetSwitches(const THolidaySwitches& switches) {
  if (switches == rules_.Switches) return;
  rules_.Switches = switches;
  Tell(false);
}

void TScheduleModel::SetAutoEquinox(bool on) {
  if (on == rules_.AutoEquinox) return;
  rules_.AutoEquinox = on;
  Tell(false);
}

void TScheduleModel::SetAutoFurikae(bool on) {
  if (on == rules_.AutoFurikae) return;
  rules_.AutoFurikae = on;
  Tell(false);
}

void TScheduleModel::SetHolidays(const TLineList& lines, const THolidaySwitches& switches) {
  rules_.Switches = switches;
  if (lines == holiday_lines_)
    Tell(false);
  else
    holiday_lines_.Assign(lines);  // its change notice rebuilds and tells
}

void TScheduleModel::Rebuild(bool holidays) {
  // An edit of the schedule reads only the lines it added; the holidays change seldom and are
  // read whole, with the schedule.
  std::vector<std::string> faulty =
      holidays ? rules_.BuildOn(holiday_lines_, lines_) : rules_.FollowSpecialDays(lines_);
  const bool report = !faulty.empty() && faulty != faulty_lines_;
  faulty_lines_ = std::move(faulty);
  if (report && OnDayListError) OnDayListError(faulty_lines_);
  Tell(false);
}

TScheduleWatch TScheduleModel::Watch(bool commits, std::function<void()> call) const {
  const int id = watchers_->next_id++;
  watchers_->entries.emplace(id, TScheduleWatch::TList::TEntry{commits, std::move(call)});
  return TScheduleWatch(watchers_, id);
}

TScheduleWatch TScheduleModel::WatchRules(std::function<void()> changed) const {
  return Watch(false, std::move(changed));
}

TScheduleWatch TScheduleModel::WatchCommits(std::function<void()> committed) const {
  return Watch(true, std::move(committed));
}

void TScheduleModel::Commit() {
  Tell(true);
}

void TScheduleModel::Tell(bool commits) const {
  // A watcher may end another's (or its own) watch while it runs: each is looked up afresh.
  std::vector<int> ids;
  for (const auto& [id, entry] : watchers_->entries)
    if (entry.commits == commits) ids.push_back(id);
  for (int id : ids) {
    auto it = watchers_->entries.find(id);
    if (it == watchers_->entries.end()) continue;
    const std::function<void()> call = it->second.call;
    if (call) call();
  }
}

std::optional<TSeriesLine> TScheduleModel::FindSeries(std::string_view id) const {
  return FindSeriesLine(lines_, id);
}

std::string TScheduleModel::AddSeries(TSeries series) {
  if (!IsValidRecurrence(series.Rule)) return {};
  if (series.Id.empty()) series.Id = MakeSeriesId();
  lines_.Add(WriteSeriesLine(series));
  return series.Id;
}

bool TScheduleModel::ChangeSeries(std::string_view id, TSeries changed) {
  const std::optional<TSeriesLine> found = FindSeries(id);
  if (!found || !IsValidRecurrence(changed.Rule)) return false;
  changed.Id = std::string(id);
  std::string line = WriteSeriesLine(changed);
  if (line == lines_[found->Index]) return false;
  lines_.Put(found->Index, std::move(line));
  return true;
}

bool TScheduleModel::DeleteSeries(std::string_view id) {
  const std::optional<TSeriesLine> found = FindSeries(id);
  if (!found) return false;
  lines_.Delete(found->Index);
  return true;
}

bool TScheduleModel::TakeOutDay(std::string_view id, JuliusDay day,
                                std::optional<std::string> itemLine) {
  std::optional<TSeriesLine> found = FindSeries(id);
  if (!found || !TOccurrences(found->Series.Rule, rules_).Occurs(day)) return false;
  std::vector<JuliusDay>& out = found->Series.Rule.Exceptions;
  out.insert(std::lower_bound(out.begin(), out.end(), day), day);
  // One bracket: one rebuild, and the undo step holds both lines.
  lines_.BeginUpdate();
  lines_.Put(found->Index, WriteSeriesLine(found->Series));
  if (itemLine) lines_.Add(std::move(*itemLine));
  lines_.EndUpdate();
  return true;
}

std::string TScheduleModel::EndSeriesFrom(std::string_view id, JuliusDay day,
                                          std::optional<TSeries> rest) {
  const std::optional<TSeriesLine> found = FindSeries(id);
  if (!found || (rest && !IsValidRecurrence(rest->Rule))) return {};
  lines_.BeginUpdate();
  size_t at = found->Index;
  if (HasCandidateBefore(found->Series, day, rules_)) {
    lines_.Put(at++, WriteSeriesLine(SeriesBefore(found->Series, day, rules_)));
  } else {
    lines_.Delete(at);
  }
  std::string restId;
  if (rest) {
    restId = rest->Id = MakeSeriesId();
    lines_.Insert(at, WriteSeriesLine(*rest));
  }
  lines_.EndUpdate();
  return restId;
}

void TScheduleModel::BeginEdit() {
  if (!edit_start_) edit_start_ = lines_;
}

void TScheduleModel::EndEdit() {
  edit_start_.reset();
}

void TScheduleModel::CancelEdit() {
  if (!edit_start_) return;
  TLineList start = std::move(*edit_start_);
  edit_start_.reset();
  if (!(start == lines_)) lines_.Assign(start);
}

}  // namespace moriva
