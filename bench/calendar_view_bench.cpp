// Full redraws of the month grid (176 × 273) and the week list with the fifteen holiday lines
// and N schedule lines spread over forty years. The day rules are indexed by date, so the cost
// of a redraw should hardly grow with N. The N lines avoid the year shown; the shown days carry
// the same three items for every N, so a larger N does not simply mean longer texts to draw.
#include <benchmark/benchmark.h>

#include <string>

#include "app/MonthlyCalendar.h"
#include "app/Offscreen.h"
#include "app/WeeklyCalendar.h"
#include "base/Cp932.h"
#include "calendar/HolidayLines.h"

using namespace moriva;

namespace {

// Three items in July 2001 and N schedule lines in the program's own form on days from 1990 to
// 2030 outside 2001.
TLineList ScheduleLines(int n) {
  std::vector<std::string> lines;
  lines.reserve(n + 3);
  const std::string item = Utf8ToCp932("\"会議- 本社- 9:30:0- TRUE\"");
  for (int day : {10, 13, 18}) lines.push_back("2001,2001,7," + std::to_string(day) + ",,," + item);
  for (int i = 0; i < n; ++i) {
    int year = 1990 + i % 40;
    if (year == 2001) year = 2030;
    const int month = 1 + (i / 40) % 12;
    const int day = 1 + (i / 480) % 28;
    const std::string y = std::to_string(year);
    lines.push_back(y + "," + y + "," + std::to_string(month) + "," + std::to_string(day) + ",,," +
                    item);
  }
  return TLineList(std::move(lines));
}

template <typename Calendar>
void Prepare(TScheduleModel& schedule, Calendar& c, int n, int width, int height) {
  for (int i = 0; i < CalendarFontCount; ++i) {
    c.Fonts().Font(TCalendarFontIndex(i)).SetFamily("IPAPGothic");
    c.Fonts().Font(TCalendarFontIndex(i)).SetHeight(12);
  }
  schedule.HolidayLines().Assign(ClassicHolidayLines());
  schedule.Lines().Assign(ScheduleLines(n));
  const int frame = c.frameWidth() * 2;
  c.resize(width + frame, height + frame);
  c.SetDate(2001, 7, 13);
}

void BM_MonthDraw(benchmark::State& state) {
  TScheduleModel schedule;
  TMonthlyCalendar mc(schedule);
  mc.SetShowNeighbor(true);
  mc.SetAutoResize(false);
  Prepare(schedule, mc, static_cast<int>(state.range(0)), 176, 273);
  for (auto _ : state) {
    mc.DrawImage();
    benchmark::DoNotOptimize(mc.Image().constBits());
  }
}
BENCHMARK(BM_MonthDraw)->Arg(0)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_WeekDraw(benchmark::State& state) {
  TScheduleModel schedule;
  TWeeklyCalendar wc(schedule);
  Prepare(schedule, wc, static_cast<int>(state.range(0)), 394, 257);
  for (auto _ : state) {
    wc.DrawImage();
    benchmark::DoNotOptimize(wc.Image().constBits());
  }
}
BENCHMARK(BM_WeekDraw)->Arg(0)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// What one edit of the schedule costs the month grid: a full rebuild of the rules and a redraw.
void BM_MonthEdit(benchmark::State& state) {
  TScheduleModel schedule;
  TMonthlyCalendar mc(schedule);
  Prepare(schedule, mc, static_cast<int>(state.range(0)), 176, 273);
  const std::string line = schedule.Lines()[0];
  for (auto _ : state) schedule.Lines().Put(0, line);
}
BENCHMARK(BM_MonthEdit)->Arg(0)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  TOffscreenApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
