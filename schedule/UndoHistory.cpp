#include "schedule/UndoHistory.h"

#include <utility>

namespace moriva {

void TUndoHistory::Reset(const TLineList& list, bool saved) {
  steps_.clear();
  position_ = 0;
  saved_ = saved ? std::optional<size_t>(0) : std::nullopt;
  recorded_ = list.Lines();
}

bool TUndoHistory::Commit(const TLineList& list, std::string label,
                          std::function<void()> onTakenBack) {
  std::vector<TLineHunk> hunks = DiffLines(recorded_, list.Lines());
  if (hunks.empty()) return false;
  steps_.resize(position_);
  if (saved_ && *saved_ > position_) saved_.reset();  // that state can no longer be reached
  ApplyForward(recorded_, hunks);
  steps_.push_back({std::move(label), std::move(hunks), std::move(onTakenBack)});
  ++position_;
  if (steps_.size() > kMaxSteps) {
    steps_.erase(steps_.begin());
    --position_;
    if (saved_) saved_ = *saved_ > 0 ? std::optional<size_t>(*saved_ - 1) : std::nullopt;
  }
  return true;
}

std::string TUndoHistory::UndoLabel() const {
  return CanUndo() ? steps_[position_ - 1].Label : std::string();
}

std::string TUndoHistory::RedoLabel() const {
  return CanRedo() ? steps_[position_].Label : std::string();
}

void TUndoHistory::Apply(TLineList& list, const TStep& step, bool forward) {
  if (forward) {
    ApplyForward(recorded_, step.Hunks);
  } else {
    ApplyBackward(recorded_, step.Hunks);
  }
  list.Assign(recorded_);
  if (step.OnTakenBack) step.OnTakenBack();
}

bool TUndoHistory::Undo(TLineList& list) {
  if (!CanUndo() || list.Lines() != recorded_) return false;
  --position_;
  Apply(list, steps_[position_], false);
  return true;
}

bool TUndoHistory::Redo(TLineList& list) {
  if (!CanRedo() || list.Lines() != recorded_) return false;
  Apply(list, steps_[position_], true);
  ++position_;
  return true;
}

}  // namespace moriva
