// Calendar engine costs: the day-number round trip, and what one month view asks of the day
// rules (day state and day text of 42 cells) as the schedule grows, for both holiday rule sets.
#include <benchmark/benchmark.h>

#include <random>

#include "base/LineList.h"
#include "calendar/DayRules.h"
#include "calendar/HolidayLines.h"
#include "calendar/Julius.h"
#include "calendar/OldCalendar.h"
#include "calendar/SeasonalDays.h"

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

// range(0): the holiday rule set (0 current, 1 classic); range(1): schedule lines. The view of
// May 2005 starts on the Sunday before 1 May and shows six weeks.
TDayRules MonthViewRules(const benchmark::State& state) {
  TDayRules rules;
  BuildDayRules(rules, state.range(0) ? THolidaySet::Classic : THolidaySet::Current,
                ScheduleLines(state.range(1)));
  return rules;
}
const JuliusDay kViewStart =
    DateToJulius(2005, 5, 1) - (JuliusDayOfWeek(DateToJulius(2005, 5, 1)) - 1);

// What the month grid asks when it draws: the day state (for the font) of 42 cells.
void BM_MonthViewStates(benchmark::State& state) {
  const TDayRules rules = MonthViewRules(state);
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
void BM_MonthView(benchmark::State& state) {
  const TDayRules rules = MonthViewRules(state);
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

// The states of the same 42 cells with and without what the month cells ask when 六曜を表示
// and 暦注を表示 are on: the rokuyo and the solar term or seasonal days of each day.
// range(0): the switches off (0) or on (1); the holidays of today's law, no schedule lines.
void BM_MonthViewStatesAlmanac(benchmark::State& state) {
  TDayRules rules;
  BuildDayRules(rules, THolidaySet::Current, TLineList());
  const bool almanac = state.range(0) != 0;
  for (auto _ : state) {
    for (JuliusDay z = kViewStart; z < kViewStart + 42; ++z) {
      int32_t y;
      uint8_t m, d;
      JuliusToDate(z, y, m, d);
      benchmark::DoNotOptimize(rules.DayState(y, m, d));
      if (!almanac) continue;
      benchmark::DoNotOptimize(RokuyoOf(z));
      // The names are joined only for the few days that have one, as the cells do.
      if (!SeasonalDaysOn(z).empty()) benchmark::DoNotOptimize(SeasonalDayText(z, " "));
    }
  }
}
BENCHMARK(BM_MonthViewStatesAlmanac)
    ->ArgName("almanac")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond);

void MonthViewArgs(benchmark::internal::Benchmark* b) {
  b->ArgNames({"classic", "lines"})
      ->ArgsProduct({{1, 0}, {0, 1000, 10000, 100000}})
      ->Unit(benchmark::kMicrosecond);
}
BENCHMARK(BM_MonthViewStates)->Apply(MonthViewArgs);
BENCHMARK(BM_MonthView)->Apply(MonthViewArgs);

}  // namespace
}  // namespace moriva

BENCHMARK_MAIN();
