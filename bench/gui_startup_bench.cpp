// Start-up of the main window with a 100 000-line schedule file, to the first painted frame,
// on the offscreen platform: construction (the file loaded and the day lists built), show, and
// the event loop until the month calendar has painted.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <memory>

#include "app/MainWindow.h"
#include "app/MonthlyCalendar.h"
#include "app/Offscreen.h"
#include "app/QtDialogs.h"
#include "base/Cp932.h"
#include "bench/BenchSchedule.h"
#include "calendar/SeriesLine.h"
#include "schedule/ScheduleFile.h"
#include "schedule/ScheduleLine.h"

namespace {

namespace fs = std::filesystem;
using namespace moriva;

constexpr int kLines = 100000;

struct TFixture {
  fs::path dir = fs::temp_directory_path() / ("moriva-gui-bench-" + std::to_string(getpid()));
  fs::path file = dir / "big.mrv";

  TFixture() {
    fs::create_directories(dir);
    std::vector<std::string> lines;
    lines.reserve(kLines);
    for (int i = 0; i < kLines; ++i)
      lines.push_back(MakeScheduleLine(
          2020 + i % 10, 1 + i % 12, 1 + i % 28, Utf8ToCp932("打ち合わせ ") + std::to_string(i),
          Utf8ToCp932("会議室"), std::to_string(i % 24), "0", i % 2 == 0));
    SaveScheduleFile(file, TLineList(std::move(lines)));
  }
  ~TFixture() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
};

void BM_MainWindowStartToFirstPaint(benchmark::State& state) {
  static TFixture fixture;
  TQtDialogs dialogs;
  for (auto _ : state) {
    TMainWindow form(dialogs, fixture.dir / "", fixture.file.string());
    ShowAndWaitForPaint(form, *form.MonthCalendar);
    state.PauseTiming();
    form.Document().Modified = false;  // no close question
    form.hide();
    state.ResumeTiming();
  }
}

BENCHMARK(BM_MainWindowStartToFirstPaint)->Unit(benchmark::kMillisecond)->UseRealTime();

// -N series, each daily, skipping holidays, with the largest count (9 999, 27 years): where
// each ends is the longest walk a series can ask for.
std::vector<std::string> HugeCountSeries(int n) {
  std::vector<std::string> lines;
  for (int i = 0; i < n; ++i) {
    TSeries s;
    s.Id = "huge-" + std::to_string(i);
    s.Text = MakeItemText("daily " + std::to_string(i), "", "8:0:0", true);
    s.Rule.Start = DateToJulius(2016, 1, 1) + i * 3;
    s.Rule.Unit = TRepeatUnit::Day;
    s.Rule.Count = kMaxSeriesCount;
    s.Rule.SkipHolidays = true;
    lines.push_back(WriteSeriesLine(s));
  }
  return lines;
}

// The same with a schedule as people keep one (items, rule lines and series, bench/
// BenchSchedule.h) of N lines, N = 0 the empty file (N < 0: HugeCountSeries); and one edit of that
// window's schedule: an item changed as the editor changes it (the model follows, both calendars
// redraw, the commit watchers look again).
struct TMixedFixture {
  fs::path dir;
  fs::path file;
  explicit TMixedFixture(int n)
      : dir(fs::temp_directory_path() /
            ("moriva-gui-bench-" + std::to_string(getpid()) + "-" + std::to_string(n))),
        file(dir / "mixed.mrv") {
    fs::create_directories(dir);
    SaveScheduleFile(file, TLineList(n >= 0 ? BenchScheduleLines(n) : HugeCountSeries(-n)));
  }
  ~TMixedFixture() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
};

const TMixedFixture& Mixed(int n) {
  static std::map<int, std::unique_ptr<TMixedFixture>> made;
  std::unique_ptr<TMixedFixture>& f = made[n];
  if (!f) f = std::make_unique<TMixedFixture>(n);
  return *f;
}

void BM_MixedStartToFirstPaint(benchmark::State& state) {
  const TMixedFixture& fixture = Mixed(static_cast<int>(state.range(0)));
  TQtDialogs dialogs;
  for (auto _ : state) {
    TMainWindow form(dialogs, fixture.dir / "", fixture.file.string());
    ShowAndWaitForPaint(form, *form.MonthCalendar);
    state.PauseTiming();
    form.Document().Modified = false;
    form.hide();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_MixedStartToFirstPaint)
    ->Arg(0)
    ->Arg(100000)
    ->Arg(-1000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_MixedEdit(benchmark::State& state) {
  const TMixedFixture& fixture = Mixed(static_cast<int>(state.range(0)));
  TQtDialogs dialogs;
  TMainWindow form(dialogs, fixture.dir / "", fixture.file.string());
  ShowAndWaitForPaint(form, *form.MonthCalendar);
  TScheduleModel& model = form.Document().Model();
  const std::string a = MakeScheduleLine(2026, 12, 8, "bench", "", "9", "0", true);
  const std::string b = MakeScheduleLine(2026, 12, 9, "bench", "", "9", "0", true);
  model.Lines().Add(a);
  const size_t at = model.Lines().Count() - 1;
  bool flip = false;
  for (auto _ : state) {
    model.Lines().Put(at, (flip = !flip) ? b : a);
    form.MonthCalendar->repaint();
    model.Commit();
  }
  form.Document().Modified = false;
  form.hide();
}
BENCHMARK(BM_MixedEdit)->Arg(0)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  TOffscreenApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
