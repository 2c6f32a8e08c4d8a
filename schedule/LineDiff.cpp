#include "schedule/LineDiff.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <utility>

namespace moriva {
namespace {

using TLines = std::span<const std::string>;

// Lines compared by hash first: most comparisons are between different lines.
struct THashed {
  TLines Lines;
  std::vector<size_t> Hashes;

  explicit THashed(TLines lines) : Lines(lines) {
    Hashes.reserve(lines.size());
    for (const std::string& l : lines) Hashes.push_back(std::hash<std::string>{}(l));
  }
};

bool Same(const THashed& a, size_t i, const THashed& b, size_t j) {
  return a.Hashes[i] == b.Hashes[j] && a.Lines[i] == b.Lines[j];
}

// The pairs of equal lines (i in a, j in b, both ascending) kept by a shortest edit script
// (Myers' greedy algorithm), or nothing when it needs more than `maxEdits` edits. Memory grows
// with the square of the edits, time with the lines times the edits.
std::optional<std::vector<std::pair<size_t, size_t>>> MatchLines(TLines a, TLines b,
                                                                 size_t maxEdits) {
  const THashed ha(a), hb(b);
  const auto n = static_cast<int64_t>(a.size());
  const auto m = static_cast<int64_t>(b.size());
  const int64_t max = std::min<int64_t>(n + m, static_cast<int64_t>(maxEdits));
  // v[k + offset]: the furthest x on diagonal k = x - y; trace[d] keeps v[-d..d] after round d.
  const int64_t offset = max + 1;
  std::vector<int64_t> v(static_cast<size_t>(2 * max + 3), 0);
  std::vector<std::vector<int64_t>> trace;
  auto at = [&](int64_t k) -> int64_t& { return v[static_cast<size_t>(k + offset)]; };
  int64_t found = -1;
  for (int64_t d = 0; d <= max && found < 0; ++d) {
    for (int64_t k = -d; k <= d; k += 2) {
      int64_t x = (k == -d || (k != d && at(k - 1) < at(k + 1))) ? at(k + 1) : at(k - 1) + 1;
      int64_t y = x - k;
      while (x < n && y < m && Same(ha, static_cast<size_t>(x), hb, static_cast<size_t>(y))) {
        ++x;
        ++y;
      }
      at(k) = x;
      if (x >= n && y >= m) found = d;
    }
    trace.emplace_back(v.begin() + (offset - d), v.begin() + (offset + d + 1));
  }
  if (found < 0) return std::nullopt;

  std::vector<std::pair<size_t, size_t>> matches;
  int64_t x = n, y = m;
  for (int64_t d = found; d >= 0; --d) {
    const int64_t k = x - y;
    int64_t startX = 0;
    if (d > 0) {
      const std::vector<int64_t>& prev = trace[static_cast<size_t>(d - 1)];
      auto before = [&](int64_t kk) { return prev[static_cast<size_t>(kk + d - 1)]; };
      const bool down = k == -d || (k != d && before(k - 1) < before(k + 1));
      const int64_t prevK = down ? k + 1 : k - 1;
      const int64_t prevX = before(prevK);
      startX = down ? prevX : prevX + 1;
      while (x > startX) {
        --x;
        --y;
        matches.emplace_back(static_cast<size_t>(x), static_cast<size_t>(y));
      }
      x = prevX;
      y = prevX - prevK;
    } else {
      while (x > 0) {
        --x;
        --y;
        matches.emplace_back(static_cast<size_t>(x), static_cast<size_t>(y));
      }
    }
  }
  return std::vector<std::pair<size_t, size_t>>(matches.rbegin(), matches.rend());
}

TLineHunk Hunk(TLines before, TLines after, size_t oldBegin, size_t oldEnd, size_t newBegin,
               size_t newEnd) {
  return {oldBegin, newBegin,
          std::vector<std::string>(before.begin() + static_cast<std::ptrdiff_t>(oldBegin),
                                   before.begin() + static_cast<std::ptrdiff_t>(oldEnd)),
          std::vector<std::string>(after.begin() + static_cast<std::ptrdiff_t>(newBegin),
                                   after.begin() + static_cast<std::ptrdiff_t>(newEnd))};
}

void Replace(std::vector<std::string>& lines, size_t pos, size_t count,
             const std::vector<std::string>& with) {
  const auto first = lines.begin() + static_cast<std::ptrdiff_t>(pos);
  const size_t common = std::min(count, with.size());
  std::copy(with.begin(), with.begin() + static_cast<std::ptrdiff_t>(common), first);
  if (count > common) {
    lines.erase(first + static_cast<std::ptrdiff_t>(common),
                first + static_cast<std::ptrdiff_t>(count));
  } else {
    lines.insert(first + static_cast<std::ptrdiff_t>(common),
                 with.begin() + static_cast<std::ptrdiff_t>(common), with.end());
  }
}

}  // namespace

std::vector<TLineHunk> DiffLines(const std::vector<std::string>& before,
                                 const std::vector<std::string>& after, size_t maxEdits) {
  size_t head = 0;
  while (head < before.size() && head < after.size() && before[head] == after[head]) ++head;
  size_t tail = 0;
  while (tail < before.size() - head && tail < after.size() - head &&
         before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
    ++tail;
  const size_t oldEnd = before.size() - tail;
  const size_t newEnd = after.size() - tail;
  std::vector<TLineHunk> hunks;
  if (head == oldEnd && head == newEnd) return hunks;
  const TLines b(before), a(after);
  std::optional<std::vector<std::pair<size_t, size_t>>> matches;
  if (head < oldEnd && head < newEnd)
    matches = MatchLines(b.subspan(head, oldEnd - head), a.subspan(head, newEnd - head), maxEdits);
  if (!matches) {
    hunks.push_back(Hunk(b, a, head, oldEnd, head, newEnd));
    return hunks;
  }
  // The stretches between the kept lines are the changes.
  size_t i = head, j = head;
  matches->emplace_back(oldEnd - head, newEnd - head);  // the common end closes the last one
  for (const auto& [mi, mj] : *matches) {
    if (head + mi > i || head + mj > j) hunks.push_back(Hunk(b, a, i, head + mi, j, head + mj));
    i = head + mi + 1;
    j = head + mj + 1;
  }
  return hunks;
}

void ApplyForward(std::vector<std::string>& lines, const std::vector<TLineHunk>& hunks) {
  // From the last: the positions of the earlier ones stay where they were.
  for (auto h = hunks.rbegin(); h != hunks.rend(); ++h)
    Replace(lines, h->OldPos, h->Old.size(), h->New);
}

void ApplyBackward(std::vector<std::string>& lines, const std::vector<TLineHunk>& hunks) {
  for (auto h = hunks.rbegin(); h != hunks.rend(); ++h)
    Replace(lines, h->NewPos, h->New.size(), h->Old);
}

}  // namespace moriva
