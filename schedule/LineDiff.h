#pragma once
// The difference between two versions of a line list as a few replaced stretches, so that a
// change can be kept, undone and done again without keeping whole copies of a long schedule.
#include <cstddef>
#include <string>
#include <vector>

namespace moriva {

// Lines [OldPos, OldPos + Old.size()) of the earlier version became the lines New, which
// begin at NewPos in the later one.
struct TLineHunk {
  size_t OldPos = 0;
  size_t NewPos = 0;
  std::vector<std::string> Old;
  std::vector<std::string> New;

  bool operator==(const TLineHunk&) const = default;
};

// The stretches that turn `before` into `after`, in ascending order, none overlapping; empty
// when both are equal. They are as small as a shortest edit script makes them while that
// needs at most `maxEdits` line insertions and deletions (the common case: an edit touches a
// few lines, an import appends); beyond that the one stretch between the common beginning and
// the common end, so that the time stays bounded for any change.
std::vector<TLineHunk> DiffLines(const std::vector<std::string>& before,
                                 const std::vector<std::string>& after, size_t maxEdits = 1000);

// Applies hunks made by DiffLines(before, after) to `lines`, which holds `before` (forward)
// or `after` (backward), turning it into the other.
void ApplyForward(std::vector<std::string>& lines, const std::vector<TLineHunk>& hunks);
void ApplyBackward(std::vector<std::string>& lines, const std::vector<TLineHunk>& hunks);

}  // namespace moriva
