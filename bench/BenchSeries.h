#pragma once
// Series lines for the benchmarks: a mix as people make them — weekly meetings on one to three
// weekdays, monthly days and weekdays, yearly dates, every few days — some with an end, some
// skipping holidays, some with days taken out, started in the given years.
#include <random>
#include <string>
#include <vector>

#include "calendar/SeriesLine.h"

namespace moriva {

inline std::vector<std::string> BenchSeriesLines(int n, int firstYear, int years,
                                                 const std::vector<std::string>& texts) {
  std::mt19937 rng(4242);
  auto pick = [&](int k) { return static_cast<int>(rng() % static_cast<unsigned>(k)); };
  const JuliusDay first = DateToJulius(firstYear, 1, 1);
  std::vector<std::string> lines;
  for (int i = 0; i < n; ++i) {
    TSeries s;
    s.Id = "bench-" + std::to_string(i);
    s.Text = texts[static_cast<size_t>(i) % texts.size()];
    TRecurrence& r = s.Rule;
    r.Start = first + pick(365 * years);
    switch (i % 10) {
      case 0:
      case 1:
      case 2:
      case 3:
        r.Unit = TRepeatUnit::Week;
        for (int k = 1 + pick(3); k > 0; --k) r.Weekdays |= WeekdayBit(uint8_t(2 + pick(5)));
        r.Interval = uint16_t(1 + pick(2));
        break;
      case 4:
      case 5:
        r.Unit = TRepeatUnit::Month;
        r.MonthDay = uint8_t(1 + pick(31));
        break;
      case 6:
        r.Unit = TRepeatUnit::Month;
        r.Weekdays = WeekdayBit(uint8_t(1 + pick(7)));
        r.WeekNo = pick(5) == 0 ? kLastWeek : int8_t(1 + pick(4));
        break;
      case 7:
      case 8:
        r.Unit = TRepeatUnit::Year;
        break;
      default:
        r.Unit = TRepeatUnit::Day;
        r.Interval = uint16_t(1 + pick(7));
    }
    if (pick(4) == 0) r.Count = uint32_t(10 + pick(200));
    if (!r.Count && pick(4) == 0) r.Until = r.Start + pick(365 * years);
    r.SkipHolidays = pick(3) == 0;
    for (int e = pick(3); e > 0; --e) r.Exceptions.push_back(r.Start + 7 * pick(200));
    std::sort(r.Exceptions.begin(), r.Exceptions.end());
    r.Exceptions.erase(std::unique(r.Exceptions.begin(), r.Exceptions.end()), r.Exceptions.end());
    lines.push_back(WriteSeriesLine(s));
  }
  return lines;
}

}  // namespace moriva
