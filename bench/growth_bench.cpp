// How the schedule's everyday work grows with its length: load, merge, search and the agenda of
// one day (as moriva-cli reads it, and through the window's day index), at 10 000, 100 000 and
// 1 000 000 lines. The schedule is a realistic mix (bench/BenchSchedule.h); a cost that grows
// faster than the lines shows as a ratio above 10 between the last two sizes.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "base/Cp932.h"
#include "base/FileIO.h"
#include "bench/BenchSchedule.h"
#include "formats/CsvMerge.h"
#include "schedule/Agenda.h"
#include "schedule/ScheduleFile.h"
#include "schedule/ScheduleModel.h"
#include "schedule/ScheduleSearch.h"

namespace fs = std::filesystem;
using namespace moriva;

namespace {

struct TData {
  fs::path file;
  fs::path csv;  // a tenth as many records, half of them on the schedule already
  TLineList lines;
};

std::map<int, TData>& Made() {
  static std::map<int, TData> made;
  return made;
}

const TData& Data(int n) {
  std::map<int, TData>& made = Made();
  auto it = made.find(n);
  if (it != made.end()) return it->second;
  TData& data = made[n];
  const fs::path stem = fs::temp_directory_path() /
                        ("moriva-growth-" + std::to_string(getpid()) + "-" + std::to_string(n));
  data.file = stem.string() + ".mrv";
  data.csv = stem.string() + ".csv";
  data.lines.Assign(BenchScheduleLines(n));
  SaveScheduleFile(data.file, data.lines);
  std::string csv = Utf8ToCp932("件名,場所,日付,時刻,アラーム") + "\r\n";
  for (int i = 0; i < n / 10; ++i)
    csv += "\"" + Utf8ToCp932("会議") + std::to_string(i % 2 ? i : -i) + "\",," +
           std::to_string(2016 + i % 20) + "/" + std::to_string(1 + i % 12) + "/" +
           std::to_string(1 + i % 28) + "," + std::to_string(i % 24) + ":0:0,false\r\n";
  WriteFileAtomically(data.csv, csv);
  return data;
}

void BM_Load(benchmark::State& state) {
  const TData& data = Data(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    TLineList list;
    LoadScheduleFile(data.file, list);
    benchmark::DoNotOptimize(list);
    state.PauseTiming();
    list = TLineList();  // freed outside the timing
    state.ResumeTiming();
  }
}

void BM_MergeCsv(benchmark::State& state) {
  const TData& data = Data(static_cast<int>(state.range(0)));
  TLineList store;
  for (auto _ : state) {
    state.PauseTiming();
    store = data.lines;
    state.ResumeTiming();
    benchmark::DoNotOptimize(MergeCsvFile(data.csv, store));
  }
}

void BM_Search(benchmark::State& state) {
  const TData& data = Data(static_cast<int>(state.range(0)));
  const std::string word = Utf8ToCp932("ミーティング");
  for (auto _ : state)
    benchmark::DoNotOptimize(
        SearchSchedule(data.lines, word, TSearchOrder::ByDate, 20, DateToJulius(2026, 12, 8)));
}

// moriva-cli agenda FILE D D: the file read and its lines looked at in place.
void BM_AgendaOfFile(benchmark::State& state) {
  const TData& data = Data(static_cast<int>(state.range(0)));
  const JuliusDay day = DateToJulius(2031, 5, 4);
  for (auto _ : state)
    benchmark::DoNotOptimize(CollectAgendaOfText(ReadFileBytes(data.file), day, day));
}

// The window's agenda of a day (reminders, print) through the model's index.
void BM_AgendaIndexed(benchmark::State& state) {
  const TData& data = Data(static_cast<int>(state.range(0)));
  TScheduleModel model;
  model.Lines().Assign(data.lines);
  const JuliusDay day = DateToJulius(2031, 5, 4);
  for (auto _ : state) benchmark::DoNotOptimize(CollectAgenda(model.Rules(), day, day));
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_Load)->Apply(Sizes);
BENCHMARK(BM_MergeCsv)->Apply(Sizes);
BENCHMARK(BM_Search)->Apply(Sizes);
BENCHMARK(BM_AgendaOfFile)->Apply(Sizes);
BENCHMARK(BM_AgendaIndexed)->Apply(Sizes);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  for (const auto& [n, data] : Made()) {
    std::error_code ec;
    fs::remove(data.file, ec);
    fs::remove(data.csv, ec);
  }
  return 0;
}
