// Merging a handset CSV file into the schedule: n records into a schedule of n lines, half of
// the records already present (in another letter case), half new. The duplicate test goes
// through an index of the schedule's lines, so 50 000 into 50 000 should cost about ten times
// 5 000 into 5 000 (at most 15 times).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>

#include "base/Cp932.h"
#include "base/FileIO.h"
#include "base/LineList.h"
#include "schedule/ScheduleLine.h"
#include "transfer/CsvMerge.h"
#include "transfer/PhoneCsv.h"

namespace fs = std::filesystem;
using namespace moriva;

namespace {

struct TMergeData {
  TLineList store;
  fs::path csv;
};

std::string Subject(int i) {
  return Sj("会議") + " Item" + std::to_string(i);
}

// Store items i = 0, 2, 4, ...; the CSV holds every i from 0 to n-1, so half of its records are
// there already (written with another letter case) and half are new.
TMergeData MakeData(int n) {
  TMergeData data;
  std::vector<std::string> store;
  for (int i = 0; i < 2 * n; i += 2)
    store.push_back(MakeScheduleLine(2000 + i % 30, 1 + i % 12, 1 + i % 28, Subject(i),
                                     Sj("会議室"), std::to_string(i % 24), "0", i % 3 == 0));
  data.store.Assign(std::move(store));
  std::string csv = Sj("件名,場所,日付,時刻,アラーム") + "\r\n";
  for (int i = 0; i < n; ++i) {
    std::string subject = Subject(i);
    if (i % 2 == 0) subject.replace(subject.find("Item"), 4, "ITEM");
    csv += "\"" + subject + "\",\"" + Sj("会議室") + "\"," + std::to_string(2000 + i % 30) + "/" +
           std::to_string(1 + i % 12) + "/" + std::to_string(1 + i % 28) + "," +
           std::to_string(i % 24) + ":0:0," + (i % 3 == 0 ? "True" : "false") + "\r\n";
  }
  data.csv = fs::temp_directory_path() / ("moriva_transfer_bench_" + std::to_string(getpid()) +
                                          "_" + std::to_string(n) + ".csv");
  WriteFileAtomically(data.csv, csv);
  return data;
}

void BM_MergeCsvFile(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  TMergeData data = MakeData(n);
  TMergeResult result;
  TLineList store;
  for (auto _ : state) {
    state.PauseTiming();
    store = data.store;  // the previous copy is freed here, outside the timing
    state.ResumeTiming();
    result = MergeCsvFile(data.csv, store);
    benchmark::DoNotOptimize(store);
  }
  fs::remove(data.csv);
  if (result.Added + result.Duplicates != static_cast<size_t>(n) ||
      result.Duplicates != static_cast<size_t>((n + 1) / 2))
    state.SkipWithError("unexpected merge result");
  state.counters["added"] = static_cast<double>(result.Added);
  state.counters["present"] = static_cast<double>(result.Duplicates);
}

}  // namespace

BENCHMARK(BM_MergeCsvFile)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
