// Loading and saving a schedule file of 100 000 lines (about 5 MB), side by side with copying
// the same file with cp, so that the ratio says how far the line handling and the atomic,
// flushed save are from a plain copy on this machine. Searching the same number of lines for
// one word with about 1 000 hits: the first screenful and the whole list, in both orders.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "base/Cp932.h"
#include "base/LineList.h"
#include "bench/BenchSeries.h"
#include "schedule/ScheduleFile.h"
#include "schedule/ScheduleLine.h"
#include "schedule/ScheduleSearch.h"

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
      lines.push_back(MakeScheduleLine(2000 + i % 20, 1 + i % 12, 1 + i % 28,
                                       Utf8ToCp932("打ち合わせ ") + std::to_string(i),
                                       Utf8ToCp932("第三会議室"), std::to_string(i % 24),
                                       std::to_string(i % 12 * 5), i % 2 == 0));
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

// Subjects and places as people write them, in both widths; one line in a hundred holds the
// word searched for, half of those in half-width katakana.
const TLineList& SearchCorpus() {
  static const TLineList list = [] {
    const char* const subjects[] = {"打ち合わせ",       "定例会議",      "ＰＴＡ総会",
                                    "Lunch with Ken",   "ｼｭｯﾁｮｳ 大阪",   "歯医者",
                                    "誕生日パーティー", "Project Review"};
    const char* const places[] = {"第三会議室", "本社 5F", "ｵﾝﾗｲﾝ", "", "Room B"};
    std::vector<std::string> lines;
    lines.reserve(kLines);
    for (int i = 0; i < kLines; ++i) {
      std::string subject = Utf8ToCp932(subjects[i % 8]);
      if (i % 100 == 7) subject = Utf8ToCp932(i % 200 == 7 ? "ﾐｰﾃｨﾝｸﾞ" : "週次ミーティング");
      lines.push_back(MakeScheduleLine(2000 + i % 30, 1 + i % 12, 1 + i % 28, subject,
                                       Utf8ToCp932(places[i % 5]), std::to_string(i % 24),
                                       std::to_string(i % 12 * 5), i % 3 == 0));
    }
    return TLineList(std::move(lines));
  }();
  return list;
}

// The same with 1 000 series after the items, one in ten of them holding the word.
const TLineList& SearchCorpusWithSeries() {
  static const TLineList list = [] {
    TLineList l = SearchCorpus();
    std::vector<std::string> texts;
    for (int i = 0; i < 10; ++i)
      texts.push_back(MakeItemText(Utf8ToCp932(i == 3 ? "週次ミーティング" : "定例会議"),
                                   Utf8ToCp932("本社 5F"), "10:0:0", false));
    for (std::string& line : BenchSeriesLines(1000, 2020, 10, texts)) l.Add(std::move(line));
    return l;
  }();
  return list;
}

// Arg 0: newest first, 1: by date. Arg 1: how many hits are asked for (0: all). Arg 2: 1 000
// series after the items (a series is one hit, on its next day from 2026-12-07).
void BM_Search(benchmark::State& state) {
  const TSearchOrder order = state.range(0) == 0 ? TSearchOrder::Newest : TSearchOrder::ByDate;
  const size_t limit = state.range(1) == 0 ? SIZE_MAX : static_cast<size_t>(state.range(1));
  const std::string word = Utf8ToCp932("ミーティング");
  size_t hits = 0;
  for (auto _ : state) {
    std::vector<TAgendaItem> found =
        SearchSchedule(state.range(2) ? SearchCorpusWithSeries() : SearchCorpus(), word, order,
                       limit, DateToJulius(2026, 12, 7));
    hits = found.size();
    benchmark::DoNotOptimize(found);
  }
  state.counters["hits"] = static_cast<double>(hits);
}

}  // namespace

// The first screenful is the 20 rows the search window shows at its first size.
BENCHMARK(BM_Search)
    ->ArgsProduct({{0, 1}, {20, 0}, {0, 1000}})
    ->ArgNames({"by_date", "limit", "series"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
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
