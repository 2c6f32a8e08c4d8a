#include "schedule/LineDiff.h"

#include <gtest/gtest.h>

#include <random>

namespace moriva {
namespace {

using Lines = std::vector<std::string>;

// Random lists from a small alphabet (so lines repeat, as equal items do) and random edits of
// them: the hunks must turn each into the other, with the search for a short script both
// completed and cut short.
TEST(LineDiffTest, HunksTurnEitherVersionIntoTheOther) {
  std::mt19937 random(22);
  auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  for (int round = 0; round < 400; ++round) {
    Lines before;
    for (int i = pick(30); i > 0; --i)
      before.push_back(std::string(1, static_cast<char>('a' + pick(6))));
    Lines after = before;
    for (int e = pick(8); e > 0; --e) {
      const size_t at =
          after.empty() ? 0 : static_cast<size_t>(pick(static_cast<int>(after.size()) + 1));
      const std::string line(1, static_cast<char>('a' + pick(8)));
      switch (pick(3)) {
        case 0:
          after.insert(after.begin() + static_cast<std::ptrdiff_t>(at), line);
          break;
        case 1:
          if (at < after.size()) after.erase(after.begin() + static_cast<std::ptrdiff_t>(at));
          break;
        default:
          if (at < after.size()) after[at] = line;
      }
    }
    for (size_t maxEdits : {size_t{1000}, size_t{2}}) {
      SCOPED_TRACE(::testing::Message() << "round " << round << ", at most " << maxEdits);
      const std::vector<TLineHunk> hunks = DiffLines(before, after, maxEdits);
      EXPECT_EQ(hunks.empty(), before == after);
      Lines forward = before, backward = after;
      ApplyForward(forward, hunks);
      ApplyBackward(backward, hunks);
      EXPECT_EQ(forward, after);
      EXPECT_EQ(backward, before);
    }
  }
}

// An editor session changes a line here and there and appends: only those lines are kept,
// however long the list.
TEST(LineDiffTest, KeepsOnlyTheChangedLines) {
  Lines before;
  for (int i = 0; i < 10000; ++i) before.push_back("line " + std::to_string(i));
  Lines after = before;
  after[10] = "changed";
  after.erase(after.begin() + 5000);
  after.push_back("new");
  const std::vector<TLineHunk> hunks = DiffLines(before, after);
  const std::vector<TLineHunk> expected = {
      {10, 10, {"line 10"}, {"changed"}},
      {5000, 5000, {"line 5000"}, {}},
      {10000, 9999, {}, {"new"}},
  };
  EXPECT_EQ(hunks, expected);
}

}  // namespace
}  // namespace moriva
