#include "calendar/SeriesDays.h"

#include <climits>

namespace moriva {
namespace {

constexpr JuliusDay kUnknownEnd = INT32_MIN;

}  // namespace

void TSeriesDays::Assign(std::vector<TSeries> series, std::vector<uint32_t> lines,
                         bool sameHolidays) {
  std::vector<JuliusDay> ends(series.size(), kUnknownEnd);
  if (sameHolidays) {
    std::unordered_map<std::string_view, size_t> before;
    for (size_t i = 0; i < series_.size(); ++i)
      if (ends_[i] != kUnknownEnd) before.emplace(series_[i].Id, i);
    for (size_t i = 0; i < series.size(); ++i) {
      auto it = before.find(series[i].Id);
      if (it != before.end() && series_[it->second].Rule == series[i].Rule)
        ends[i] = ends_[it->second];
    }
  }
  series_ = std::move(series);
  lines_ = std::move(lines);
  Forget();
  ends_ = std::move(ends);
}

void TSeriesDays::Forget() const {
  ends_.assign(series_.size(), kUnknownEnd);
  for (TBlock& b : blocks_) b.Key = INT32_MIN;
}

TOccurrences TSeriesDays::Occurrences(size_t position, const THolidayTest& holidays) const {
  const TRecurrence& rule = series_[position].Rule;
  if (ends_[position] != kUnknownEnd) return TOccurrences(rule, holidays, ends_[position]);
  TOccurrences o(rule, holidays);
  ends_[position] = o.End();
  return o;
}

std::span<const uint32_t> TSeriesDays::On(JuliusDay z, const THolidayTest& holidays) const {
  if (series_.empty() || z < kFirstSeriesDay || z > kLastSeriesDay) return {};
  const TBlock& b = Block(z >> kBlockShift, holidays);
  const size_t i = static_cast<size_t>(z & ((1 << kBlockShift) - 1));
  return {b.Positions.data() + b.Offsets[i], b.Offsets[i + 1] - b.Offsets[i]};
}

const TSeriesDays::TBlock& TSeriesDays::Block(int32_t key, const THolidayTest& holidays) const {
  for (const TBlock& b : blocks_)
    if (b.Key == key) return b;
  TBlock& b = blocks_[next_block_];
  next_block_ = (next_block_ + 1) % kBlocks;
  b.Key = INT32_MIN;  // unusable should working out throw
  const JuliusDay first = key << kBlockShift;
  const JuliusDay last = first + (1 << kBlockShift) - 1;
  // Hits in series order, then placed by day (a stable counting sort keeps that order per day).
  std::vector<std::pair<uint8_t, uint32_t>> hits;
  std::array<uint32_t, 65> counts{};
  for (uint32_t pos = 0; pos < series_.size(); ++pos) {
    const TRecurrence& rule = series_[pos].Rule;
    if (rule.Start > last || (rule.Until && *rule.Until < first)) continue;
    Occurrences(pos, holidays).ForEach(first, last, [&](JuliusDay z) {
      hits.emplace_back(static_cast<uint8_t>(z - first), pos);
      ++counts[z - first + 1];
    });
  }
  for (size_t i = 1; i < counts.size(); ++i) counts[i] += counts[i - 1];
  b.Offsets = counts;
  b.Positions.resize(hits.size());
  for (const auto& [day, pos] : hits) b.Positions[counts[day]++] = pos;
  b.Key = key;
  return b;
}

}  // namespace moriva
