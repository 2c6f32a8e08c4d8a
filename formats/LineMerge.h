#pragma once
// Appending lines to the schedule without doubling any: a line goes to the end of the list
// unless an equal line (ignoring ASCII letter case, as the list's IndexOf compares) is there
// already. Both imports, CSV and iCalendar, merge through this, so "already present" means
// the same thing for both.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "base/LineList.h"

namespace moriva {

class TLineIndex;

// Indexes the list once, so a merge costs time in proportion to the lines involved rather than
// to the product of old and new lines. Change notices of the list are held back while the
// merger lives and given once at its end (when something was added). The list must not be
// changed by anyone else meanwhile.
class TScheduleMerger {
 public:
  TScheduleMerger(TLineList& list, size_t expectedAdds);
  ~TScheduleMerger();
  TScheduleMerger(const TScheduleMerger&) = delete;
  TScheduleMerger& operator=(const TScheduleMerger&) = delete;

  // Appends the line unless an equal one is present; true when it was appended.
  bool Add(std::string line);
  // Whether an equal line is present.
  bool Contains(const std::string& line) const;

 private:
  TLineList& list_;
  std::unique_ptr<TLineIndex> index_;
};

// The counts an import reports: "追加 N 件，登録済み N 件，読み飛ばし N 件".
std::string ImportCountsText(size_t added, size_t duplicates, size_t skipped);

}  // namespace moriva
