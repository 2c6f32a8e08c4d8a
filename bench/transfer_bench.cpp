// Merging a handset CSV file into the schedule: n records into a schedule of n lines, half of
// the records already present (in another letter case), half new. The duplicate test goes
// through an index of the schedule's lines, so 50 000 into 50 000 should cost about ten times
// 5 000 into 5 000 (at most 15 times).
//
// Undo of such a merge (50 000 records, 25 000 of them new) against the merge itself: the merge
// as the window commits it (merge, then the step recorded in the undo history) and the undo.
//
// iCalendar beside CSV, on the same items: the export of n items to a file (written as it is
// made), and the import of n events (half present, as above) into an n-line schedule.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>

#include "base/Cp932.h"
#include "base/FileIO.h"
#include "base/LineList.h"
#include "calendar/SeriesLine.h"
#include "formats/CsvMerge.h"
#include "formats/ICalendarExport.h"
#include "formats/ICalendarImport.h"
#include "formats/PhoneCsv.h"
#include "schedule/ScheduleLine.h"
#include "schedule/UndoHistory.h"

namespace fs = std::filesystem;
using namespace moriva;

namespace {

struct TMergeData {
  TLineList store;
  fs::path csv;
};

std::string Subject(int i) {
  return Utf8ToCp932("会議") + " Item" + std::to_string(i);
}

// Store items i = 0, 2, 4, ...; the CSV holds every i from 0 to n-1, so half of its records are
// there already (written with another letter case) and half are new.
TMergeData MakeData(int n) {
  TMergeData data;
  std::vector<std::string> store;
  for (int i = 0; i < 2 * n; i += 2)
    store.push_back(MakeScheduleLine(2000 + i % 30, 1 + i % 12, 1 + i % 28, Subject(i),
                                     Utf8ToCp932("会議室"), std::to_string(i % 24), "0",
                                     i % 3 == 0));
  data.store.Assign(std::move(store));
  std::string csv = Utf8ToCp932("件名,場所,日付,時刻,アラーム") + "\r\n";
  for (int i = 0; i < n; ++i) {
    std::string subject = Subject(i);
    if (i % 2 == 0) subject.replace(subject.find("Item"), 4, "ITEM");
    csv += "\"" + subject + "\",\"" + Utf8ToCp932("会議室") + "\"," +
           std::to_string(2000 + i % 30) + "/" + std::to_string(1 + i % 12) + "/" +
           std::to_string(1 + i % 28) + "," + std::to_string(i % 24) + ":0:0," +
           (i % 3 == 0 ? "True" : "false") + "\r\n";
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

// Arg 0: the merge alone, 1: the merge and its undo step recorded, 2: the undo of that step.
void BM_UndoMerge(benchmark::State& state) {
  const int what = static_cast<int>(state.range(0));
  TMergeData data = MakeData(50000);
  TLineList store;
  TUndoHistory history;
  for (auto _ : state) {
    state.PauseTiming();
    store = data.store;
    history.Reset(store, true);
    if (what < 2) state.ResumeTiming();
    MergeCsvFile(data.csv, store);
    if (what >= 1) history.Commit(store, "CSV");
    if (what == 2) {
      state.ResumeTiming();
      if (!history.Undo(store)) state.SkipWithError("nothing to undo");
    }
    benchmark::DoNotOptimize(store);
  }
  fs::remove(data.csv);
  if (what == 2 && !(store == data.store)) state.SkipWithError("undo did not restore the list");
}

fs::path TempFile(const std::string& name) {
  return fs::temp_directory_path() /
         ("moriva_transfer_bench_" + std::to_string(getpid()) + "_" + name);
}

// The same n items as an iCalendar file from another program: times in Asia/Tokyo with its
// VTIMEZONE, no line of ours to restore; the even items in another letter case.
fs::path MakeIcs(int n) {
  const TICalZone zone("Asia/Tokyo");
  std::string ics = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Bench//EN\r\n" +
                    ICalString(zone.VTimeZone().get());
  char start[32];
  for (int i = 0; i < n; ++i) {
    std::string subject = Cp932ToUtf8(Subject(i));
    if (i % 2 == 0) subject.replace(subject.find("Item"), 4, "ITEM");
    std::snprintf(start, sizeof start, "%04d%02d%02dT%02d0000", 2000 + i % 30, 1 + i % 12,
                  1 + i % 28, i % 24);
    ics += "BEGIN:VEVENT\r\nUID:" + std::to_string(i) +
           "@bench\r\nDTSTAMP:20261207T000000Z\r\nDTSTART;TZID=Asia/Tokyo:" + start +
           "\r\nSUMMARY:" + subject + "\r\nLOCATION:会議室\r\n" +
           (i % 3 == 0 ? "BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER:PT0S\r\nEND:VALARM\r\n" : "") +
           "END:VEVENT\r\n";
  }
  ics += "END:VCALENDAR\r\n";
  const fs::path path = TempFile(std::to_string(n) + ".ics");
  WriteFileAtomically(path, ics);
  return path;
}

void BM_ImportIcsFile(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const TMergeData data = MakeData(n);
  fs::remove(data.csv);
  const fs::path ics = MakeIcs(n);
  const TICalZone zone("Asia/Tokyo");
  const TICalWindow window = DefaultICalWindow(DateToJulius(2026, 12, 7));
  TICalMergeResult result;
  TLineList store;
  for (auto _ : state) {
    state.PauseTiming();
    store = data.store;
    state.ResumeTiming();
    result = MergeICalendarFile(ics, store, zone, window);
    benchmark::DoNotOptimize(store);
  }
  fs::remove(ics);
  // Beyond kMaxImportLines the events are read and counted as left out.
  const size_t taken = std::min<size_t>(n, kMaxImportLines);
  if (result.Added + result.Duplicates != taken || result.LeftOut != n - taken ||
      result.Duplicates != (taken + 1) / 2)
    state.SkipWithError("unexpected merge result");
}

// The floor under the iCalendar import: libical alone reading the same file (read from disk,
// parsed in one call, the tree freed), with nothing of ours on top.
void BM_LibicalParseIcsFile(benchmark::State& state) {
  const fs::path ics = MakeIcs(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    const std::string text = ReadFileBytes(ics);
    icalcomponent* root = icalparser_parse_string(text.c_str());
    if (!root) state.SkipWithError("libical read nothing");
    icalcomponent_free(root);
  }
  fs::remove(ics);
}

// The floor under the iCalendar export: libical alone writing the calendar of the n items
// (made beforehand) as text, and the file saved.
void BM_LibicalWriteIcsFile(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const TMergeData data = MakeData(n);
  fs::remove(data.csv);
  const TICalZone zone("Asia/Tokyo");
  TICalComponent calendar(
      icalparser_parse_string(BuildICalendar(data.store, zone, 0).Text.c_str()));
  const fs::path out = TempFile("floor.ics");
  for (auto _ : state) SaveICalendar(out, ICalString(calendar.get()));
  fs::remove(out);
}

// Export of the n-line schedule of MakeData, every item dated from 2000 on.
template <bool kIcs>
void BM_Export(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const TMergeData data = MakeData(n);
  fs::remove(data.csv);
  const fs::path out = TempFile(kIcs ? "out.ics" : "out.csv");
  const TICalZone zone("Asia/Tokyo");
  const JuliusDay today = DateToJulius(2000, 1, 1);
  for (auto _ : state) {
    if constexpr (kIcs)
      ExportICalendar(out, data.store, zone, 0);
    else
      SavePhoneCsv(out, BuildPhoneCsv(data.store, today));
  }
  fs::remove(out);
}

// 1 000 weekly events from another program (times in Asia/Tokyo, a weekday each, some with a
// COUNT, an UNTIL or an EXDATE) imported into an empty schedule, each as one series line; beside
// the same events without their rule lines, each one item. The series must not cost more than
// twice the items: the rule is read, never expanded.
template <bool kRule>
void BM_ImportIcsSeries(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const TICalZone zone("Asia/Tokyo");
  std::string ics = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Bench//EN\r\n" +
                    ICalString(zone.VTimeZone().get());
  static constexpr const char* kDays[] = {"MO", "TU", "WE", "TH", "FR"};
  char start[32];
  for (int i = 0; i < n; ++i) {
    const int day = 7 + i % 5;  // 2026-12-07 is a Monday
    std::snprintf(start, sizeof start, "202612%02dT%02d%02d00", day, 8 + i % 10, i % 4 * 15);
    std::string rule = std::string("RRULE:FREQ=WEEKLY;BYDAY=") + kDays[i % 5];
    if (i % 3 == 1) rule += ";COUNT=" + std::to_string(10 + i % 40);
    if (i % 3 == 2) rule += ";UNTIL=20271231T145959Z";
    rule += "\r\n";
    if (i % 4 == 0)
      rule += std::string("EXDATE;TZID=Asia/Tokyo:202612") + std::to_string(day + 7) + (start + 8) +
              "\r\n";
    ics += "BEGIN:VEVENT\r\nUID:" + std::to_string(i) +
           "@bench\r\nDTSTAMP:20261207T000000Z\r\nDTSTART;TZID=Asia/Tokyo:" + start +
           "\r\nSUMMARY:" + Cp932ToUtf8(Subject(i)) + "\r\nLOCATION:会議室\r\n" +
           (kRule ? rule : "") +
           (i % 3 == 0 ? "BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER:PT0S\r\nEND:VALARM\r\n" : "") +
           "END:VEVENT\r\n";
  }
  ics += "END:VCALENDAR\r\n";
  const fs::path path = TempFile(kRule ? "series.ics" : "single.ics");
  WriteFileAtomically(path, ics);
  const TICalWindow window = DefaultICalWindow(DateToJulius(2026, 12, 7));
  TLineList store;
  for (auto _ : state) {
    state.PauseTiming();
    store.Clear();
    state.ResumeTiming();
    MergeICalendarFile(path, store, zone, window);
  }
  fs::remove(path);
  if (store.Count() != static_cast<size_t>(n) || (kRule && !IsSeriesLine(store[n - 1])))
    state.SkipWithError("not one line per event");
}
void BM_ImportIcsSeriesRules(benchmark::State& state) {
  BM_ImportIcsSeries<true>(state);
}
void BM_ImportIcsSeriesWithoutRules(benchmark::State& state) {
  BM_ImportIcsSeries<false>(state);
}

void BM_ExportCsvFile(benchmark::State& state) {
  BM_Export<false>(state);
}
void BM_ExportIcsFile(benchmark::State& state) {
  BM_Export<true>(state);
}

}  // namespace

BENCHMARK(BM_MergeCsvFile)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MergeCsvFile)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UndoMerge)
    ->DenseRange(0, 2)
    ->ArgName("merge_commit_undo")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportIcsFile)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportIcsSeriesRules)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportIcsSeriesWithoutRules)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportCsvFile)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportIcsFile)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibicalParseIcsFile)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibicalWriteIcsFile)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
