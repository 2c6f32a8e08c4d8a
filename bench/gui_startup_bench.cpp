// Start-up of the main window with a 100 000-line schedule file, to the first painted frame,
// on the offscreen platform: construction (the file loaded and the day lists built), show, and
// the event loop until the month calendar has painted.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>

#include "app/MainWindow.h"
#include "app/MonthlyCalendar.h"
#include "app/Offscreen.h"
#include "app/QtDialogs.h"
#include "base/Cp932.h"
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

}  // namespace

int main(int argc, char** argv) {
  TOffscreenApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
