#pragma once
// The series of a special-day list and which of them fall on which day. A calendar asks about
// every day of its month, each time it draws: testing a thousand series on each of 42 days
// would cost far more than the plain items, which are found by date. So the series are worked
// out for a block of 64 days at a time (each series' occurrences in the block, by arithmetic),
// and the last few blocks are kept until the series or the holidays change. The end of a
// series with a count is worked out once and kept as well.
#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "calendar/Recurrence.h"
#include "calendar/SeriesLine.h"

namespace moriva {

class TSeriesDays {
 public:
  // The series in list order, each with the index of its line in the list. With
  // `sameHolidays` (the holidays are those the last series were worked out under), the end of
  // a series that was there before with the same identity and rule is kept: an edit of one line
  // does not make every series with a count walk its days again.
  void Assign(std::vector<TSeries> series, std::vector<uint32_t> lines, bool sameHolidays = false);
  // The same series on other lines (lines were added or removed before them): what was worked
  // out stays.
  void MoveLines(std::vector<uint32_t> lines) { lines_ = std::move(lines); }
  // Forgets what was worked out (the holidays changed).
  void Forget() const;

  const std::vector<TSeries>& Series() const { return series_; }
  uint32_t Line(size_t position) const { return lines_[position]; }

  // The positions (ascending, so in list order) of the series with an occurrence on z. The
  // span stays valid until the next call.
  std::span<const uint32_t> On(JuliusDay z, const THolidayTest& holidays) const;

  // The occurrences of series `position` (its End worked out once).
  TOccurrences Occurrences(size_t position, const THolidayTest& holidays) const;

 private:
  static constexpr int kBlockShift = 6;  // 64 days
  static constexpr size_t kBlocks = 4;
  struct TBlock {
    int32_t Key = INT32_MIN;             // first day >> kBlockShift
    std::array<uint32_t, 65> Offsets{};  // day i's positions: [Offsets[i], Offsets[i+1])
    std::vector<uint32_t> Positions;
  };
  const TBlock& Block(int32_t key, const THolidayTest& holidays) const;

  std::vector<TSeries> series_;
  std::vector<uint32_t> lines_;
  mutable std::vector<JuliusDay> ends_;  // per series; kUnknownEnd until worked out
  mutable std::array<TBlock, kBlocks> blocks_;
  mutable size_t next_block_ = 0;  // the one to be replaced next
};

}  // namespace moriva
