#pragma once
// Undo and redo of committed changes of the schedule. Each committed change (an editor session
// closed with OK, an import, a receive's merge) is one step, kept as the stretches of lines it
// replaced (schedule/LineDiff), so a long schedule is not copied for every step. The history
// also knows which step the file on disk holds, so that undoing back to it leaves the schedule
// unmodified.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/LineList.h"
#include "schedule/LineDiff.h"

namespace moriva {

class TUndoHistory {
 public:
  // Steps beyond this many are forgotten from the oldest.
  static constexpr size_t kMaxSteps = 100;

  // Forgets every step: `list` is where the history starts; `saved` says whether that is the
  // file's content (after loading) or not (a new, unsaved schedule).
  void Reset(const TLineList& list, bool saved);

  // Records everything that changed since the last recorded state as one step called `label`
  // (UTF-8, for the menu); steps that were undone are dropped. False when nothing changed.
  // `onTakenBack` runs whenever the step is undone or redone: a change that also left a mark
  // outside the list (a sync's record of what the server holds) takes that mark back there.
  bool Commit(const TLineList& list, std::string label, std::function<void()> onTakenBack = {});

  bool CanUndo() const { return position_ > 0; }
  bool CanRedo() const { return position_ < steps_.size(); }
  // The name of the step Undo or Redo would take back or do again ("" when there is none).
  std::string UndoLabel() const;
  std::string RedoLabel() const;

  // Takes the last step back in `list`, or does the next undone one again. Nothing happens, and
  // false is returned, when there is no such step or `list` is no longer what the history last
  // recorded (a change that bypassed Commit: applying a step to it would garble it).
  bool Undo(TLineList& list);
  bool Redo(TLineList& list);

  // The list as recorded now is the file's content.
  void MarkSaved() { saved_ = position_; }
  // Whether the recorded state is the file's content.
  bool AtSaved() const { return saved_ == position_; }

 private:
  struct TStep {
    std::string Label;
    std::vector<TLineHunk> Hunks;
    std::function<void()> OnTakenBack;
  };
  void Apply(TLineList& list, const TStep& step, bool forward);

  std::vector<TStep> steps_;
  size_t position_ = 0;                // steps_[0..position_) are done
  std::optional<size_t> saved_ = 0;    // the position the file holds, if any is
  std::vector<std::string> recorded_;  // the list as of position_
};

}  // namespace moriva
