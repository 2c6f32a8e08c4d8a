// Calendar engine costs: the day-number round trip, and what one month view asks of the day
// rules (day state and day text of 42 cells) as the schedule grows, for both holiday rule sets.
#include <benchmark/benchmark.h>

#include <random>

#include "base/LineList.h"
#include "bench/BenchSeries.h"
#include "calendar/DayRules.h"
#include "calendar/HolidayLines.h"
#include "calendar/Julius.h"

namespace moriva {
namespace {

void BM_RoundTrip(benchmark::State& state) {
  JuliusDay z = 2415021;  // 1900-01-01
  for (auto _ : state) {
    int32_t y;
    uint8_t m, d;
    JuliusToDate(z, y, m, d);
    benchmark::DoNotOptimize(DateToJulius(y, m, d));
    if (++z > 2488069) z = 2415021;  // through 2099-12-31
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RoundTrip);

// N schedule lines, one item per line on a random day of 2000-2009, as a schedule file
// holds them.
TLineList ScheduleLines(int64_t n) {
  std::mt19937 rng(42);
  const JuliusDay first = DateToJulius(2000, 1, 1), last = DateToJulius(2009, 12, 31);
  std::uniform_int_distribution<JuliusDay> day(first, last);
  std::vector<std::string> lines;
  lines.reserve(n);
  for (int64_t i = 0; i < n; ++i) {
    int32_t y;
    uint8_t m, d;
    JuliusToDate(day(rng), y, m, d);
    const std::string year = std::to_string(y);
    lines.push_back(year + "," + year + "," + std::to_string(m) + "," + std::to_string(d) +
                    ",,,\"item " + std::to_string(i) + "- - 9:30:0- FALSE\"");
  }
  return TLineList(std::move(lines));
}

// range(0): the holiday rule set (0 current, 1 classic); range(1): schedule lines; `series`:
// series lines after them (BenchSeriesLines, started in 2000-2009). The view of May 2005 starts
// on the Sunday before 1 May and shows six weeks.
TDayRules MonthViewRules(const benchmark::State& state, int series = 0) {
  TLineList lines = ScheduleLines(state.range(1));
  for (std::string& line : BenchSeriesLines(series, 2000, 10, {"series- - 10:0:0- FALSE"}))
    lines.Add(std::move(line));
  TDayRules rules;
  BuildDayRules(rules, state.range(0) ? THolidaySet::Classic : THolidaySet::Current, lines);
  return rules;
}
const JuliusDay kViewStart =
    DateToJulius(2005, 5, 1) - (JuliusDayOfWeek(DateToJulius(2005, 5, 1)) - 1);

// What the month grid asks when it draws: the day state (for the font) of 42 cells.
void MonthViewStates(benchmark::State& state, int series) {
  const TDayRules rules = MonthViewRules(state, series);
  for (auto _ : state) {
    for (JuliusDay z = kViewStart; z < kViewStart + 42; ++z) {
      int32_t y;
      uint8_t m, d;
      JuliusToDate(z, y, m, d);
      benchmark::DoNotOptimize(rules.DayState(y, m, d));
    }
  }
}

// The state and the day text (every name of the day joined) of the same 42 cells.
void MonthView(benchmark::State& state, int series) {
  const TDayRules rules = MonthViewRules(state, series);
  for (auto _ : state) {
    for (JuliusDay z = kViewStart; z < kViewStart + 42; ++z) {
      int32_t y;
      uint8_t m, d;
      JuliusToDate(z, y, m, d);
      benchmark::DoNotOptimize(rules.DayState(y, m, d));
      benchmark::DoNotOptimize(rules.DayText(y, m, d));
    }
  }
}

void BM_MonthViewStates(benchmark::State& state) {
  MonthViewStates(state, 0);
}
void BM_MonthView(benchmark::State& state) {
  MonthView(state, 0);
}

void MonthViewArgs(benchmark::internal::Benchmark* b) {
  b->ArgNames({"classic", "lines"})
      ->ArgsProduct({{1, 0}, {0, 1000, 10000, 100000}})
      ->Unit(benchmark::kMicrosecond);
}
BENCHMARK(BM_MonthViewStates)->Apply(MonthViewArgs);
BENCHMARK(BM_MonthView)->Apply(MonthViewArgs);

// The same views with series: 0 or 1 000 series after 100 000 items (current law); and after
// no items, where no day is marked already by an item, so every day asks the series.
void BM_MonthViewStatesSeries(benchmark::State& state) {
  MonthViewStates(state, static_cast<int>(state.range(2)));
}
void BM_MonthViewSeries(benchmark::State& state) {
  MonthView(state, static_cast<int>(state.range(2)));
}
void SeriesArgs(benchmark::internal::Benchmark* b) {
  b->ArgNames({"classic", "lines", "series"})
      ->Args({0, 100000, 0})
      ->Args({0, 100000, 1000})
      ->Args({0, 0, 0})
      ->Args({0, 0, 1000})
      ->Unit(benchmark::kMicrosecond);
}
BENCHMARK(BM_MonthViewStatesSeries)->Apply(SeriesArgs);
BENCHMARK(BM_MonthViewSeries)->Apply(SeriesArgs);

// The first view of a month after the schedule changed: each round shows another month of
// 2000-2009, so the series' days are worked out afresh for it (the kept blocks never hold it).
void BM_MonthViewStatesFirstLook(benchmark::State& state) {
  const TDayRules rules = MonthViewRules(state, static_cast<int>(state.range(2)));
  int month = 0;
  for (auto _ : state) {
    const int32_t year = 2000 + month / 12;
    const auto m = static_cast<uint8_t>(month % 12 + 1);
    month = (month + 5) % 120;
    const JuliusDay first =
        DateToJulius(year, m, 1) - (JuliusDayOfWeek(DateToJulius(year, m, 1)) - 1);
    for (JuliusDay z = first; z < first + 42; ++z) {
      int32_t y;
      uint8_t mm, d;
      JuliusToDate(z, y, mm, d);
      benchmark::DoNotOptimize(rules.DayState(y, mm, d));
    }
  }
}
BENCHMARK(BM_MonthViewStatesFirstLook)->Apply(SeriesArgs);

// The first view after the schedule was loaded (or the holidays changed): the end of every
// series with a count is worked out then, once. Rules fresh from the file are copied for each
// round (not timed); items left out, as they would only lengthen the copy.
void BM_MonthViewStatesAfterLoad(benchmark::State& state) {
  const TDayRules loaded = MonthViewRules(state, static_cast<int>(state.range(2)));
  for (auto _ : state) {
    state.PauseTiming();
    const TDayRules rules = loaded;
    state.ResumeTiming();
    for (JuliusDay z = kViewStart; z < kViewStart + 42; ++z) {
      int32_t y;
      uint8_t m, d;
      JuliusToDate(z, y, m, d);
      benchmark::DoNotOptimize(rules.DayState(y, m, d));
    }
  }
}
BENCHMARK(BM_MonthViewStatesAfterLoad)
    ->ArgNames({"classic", "lines", "series"})
    ->Args({0, 0, 1000})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace moriva

BENCHMARK_MAIN();
