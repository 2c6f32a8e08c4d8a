// Loading and saving a schedule file of 100 000 lines (about 5 MB), side by side with copying
// the same file with cp, so that the ratio says how far the line handling and the atomic,
// flushed save are from a plain copy on this machine.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "base/Cp932.h"
#include "base/LineList.h"
#include "schedule/ScheduleFile.h"
#include "schedule/ScheduleLine.h"

namespace fs = std::filesystem;
using namespace moriva;

namespace {

constexpr int kLines = 100000;

const fs::path& Folder() {
  static const fs::path dir = [] {
    fs::path d = fs::temp_directory_path() / ("moriva_schedule_bench_" + std::to_string(getpid()));
    fs::create_directories(d);
    return d;
  }();
  return dir;
}

const TLineList& Schedule() {
  static const TLineList list = [] {
    std::vector<std::string> lines;
    lines.reserve(kLines);
    for (int i = 0; i < kLines; ++i)
      lines.push_back(MakeScheduleLine(
          2000 + i % 20, 1 + i % 12, 1 + i % 28, Sj("打ち合わせ ") + std::to_string(i),
          Sj("第三会議室"), std::to_string(i % 24), std::to_string(i % 12 * 5), i % 2 == 0));
    return TLineList(std::move(lines));
  }();
  return list;
}

fs::path SourceFile() {
  static const fs::path file = [] {
    fs::path f = Folder() / "source.mrv";
    SaveScheduleFile(f, Schedule());
    return f;
  }();
  return file;
}

void BM_LoadScheduleFile(benchmark::State& state) {
  fs::path file = SourceFile();
  TLineList list;
  for (auto _ : state) {
    LoadScheduleFile(file, list);
    benchmark::DoNotOptimize(list);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(fs::file_size(file)));
}

// The same into a new, empty list each time (the list and its lines freed in the loop): the
// first load of a run, with no strings to reuse.
void BM_LoadScheduleFileFresh(benchmark::State& state) {
  fs::path file = SourceFile();
  for (auto _ : state) {
    TLineList list;
    LoadScheduleFile(file, list);
    benchmark::DoNotOptimize(list);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(fs::file_size(file)));
}

void BM_SaveScheduleFile(benchmark::State& state) {
  fs::path file = Folder() / "saved.mrv";
  for (auto _ : state) SaveScheduleFile(file, Schedule());
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(fs::file_size(file)));
}

// The peer: cp of the same file in the same folder, run as a process (its start included).
void BM_CopyWithCp(benchmark::State& state) {
  fs::path file = SourceFile();
  std::string command = "cp '" + file.string() + "' '" + (Folder() / "copy.mrv").string() + "'";
  for (auto _ : state)
    if (std::system(command.c_str()) != 0) state.SkipWithError("cp failed");
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(fs::file_size(file)));
}

}  // namespace

BENCHMARK(BM_LoadScheduleFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadScheduleFileFresh)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveScheduleFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CopyWithCp)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  fs::remove_all(Folder());
  return 0;
}
