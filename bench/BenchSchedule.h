#pragma once
// A schedule for the benchmarks as people keep one: mostly items of one day (2016-2035, half with
// the alarm on, one in five for the whole day, subjects and places in both widths), one rule
// line in 2 000 (yearly dates, nth weekdays) and one series in 1 000 (bench/BenchSeries.h), in
// no particular order. bench/make_mixed_schedule.py writes the same mix as a file for moriva-cli.
#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "base/Cp932.h"
#include "bench/BenchSeries.h"
#include "schedule/ScheduleLine.h"

namespace moriva {

inline std::vector<std::string> BenchScheduleLines(int n) {
  std::mt19937 rng(4243);
  auto pick = [&](int k) { return static_cast<int>(rng() % static_cast<unsigned>(k)); };
  static const std::vector<std::string> subjects = {
      Utf8ToCp932("打ち合わせ"), Utf8ToCp932("会議"),   Utf8ToCp932("ミーティング"),
      Utf8ToCp932("ﾐｰﾃｨﾝｸﾞ"),    Utf8ToCp932("歯医者"), "Lunch"};
  static const std::vector<std::string> places = {Utf8ToCp932("会議室"), Utf8ToCp932("本社"), "",
                                                  ""};
  std::vector<std::string> texts;
  for (const std::string& s : subjects) texts.push_back(MakeItemText(s, "", "10:0:0", true));
  std::vector<std::string> lines = BenchSeriesLines(std::max(1, n / 1000), 2016, 10, texts);
  for (int i = 0; i < std::max(1, n / 2000); ++i)
    lines.push_back(i % 2 ? std::to_string(1 + pick(12)) + "," + std::to_string(1 + pick(28)) +
                                "," + Utf8ToCp932("記念日") + std::to_string(i)
                          : std::to_string(1 + pick(12)) + "," + std::to_string(1 + pick(4)) + "," +
                                std::to_string(1 + pick(7)) + "," + Utf8ToCp932("定例") +
                                std::to_string(i));
  while (static_cast<int>(lines.size()) < n) {
    const int i = static_cast<int>(lines.size());
    const std::string subject = subjects[static_cast<size_t>(pick(6))] + " " + std::to_string(i);
    const std::string place = places[static_cast<size_t>(pick(4))];
    lines.push_back(
        i % 5 == 0
            ? JoinScheduleLine(std::to_string(2016 + pick(20)), std::to_string(1 + pick(12)),
                               std::to_string(1 + pick(28)), subject, place, "::0", "FALSE")
            : MakeScheduleLine(2016 + pick(20), 1 + pick(12), 1 + pick(28), subject, place,
                               std::to_string(pick(24)), std::to_string(15 * pick(4)), i % 2 == 0));
  }
  lines.resize(static_cast<size_t>(n));
  std::shuffle(lines.begin(), lines.end(), rng);
  return lines;
}

}  // namespace moriva
