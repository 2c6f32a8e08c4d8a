// Long and hostile input at full size: headers of many encoded words and a megabyte of
// unclosed comments, a schedule of 100 000 lines (clean, and with a malformed line every ten)
// through every reader, a handset CSV of 1 000 000 records merged into an empty schedule, and
// iCalendar files with a 10 MB SUMMARY or with repeating rules of every minute.
// The tests run smaller or single versions of these; the figures are in bench/README.md.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>

#include "base/Cp932.h"
#include "base/FileIO.h"
#include "base/LineList.h"
#include "calendar/DayRules.h"
#include "calendar/Julius.h"
#include "formats/CsvMerge.h"
#include "formats/ICalendarImport.h"
#include "formats/PhoneCsv.h"
#include "mail/EncodedWord.h"
#include "mail/HeaderText.h"
#include "mail/JapaneseCodes.h"
#include "mail/MimeHeader.h"
#include "schedule/Agenda.h"
#include "schedule/ScheduleFile.h"
#include "schedule/ScheduleLine.h"
#include "xml/XmlExport.h"

namespace fs = std::filesystem;
using namespace moriva;

namespace {

fs::path TempPath(const std::string& name) {
  return fs::temp_directory_path() /
         ("moriva_hostile_bench_" + std::to_string(getpid()) + "_" + name);
}

// The largest resident size of the process so far, in MiB.
double PeakRssMiB() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_maxrss) / 1024.0;
}

void BM_DecodeHeaderWords(benchmark::State& state) {
  const std::string word =
      "=?ISO-2022-JP?B?" + Base64EncodeText(SjisToJis(Utf8ToCp932("予定表")) + "\x1B(J") + "?= ";
  std::string header;
  for (int64_t i = 0; i < state.range(0); ++i) header += word;
  for (auto _ : state) benchmark::DoNotOptimize(DecodeHeaderToCp932(header));
}
BENCHMARK(BM_DecodeHeaderWords)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_DecodeHeaderUnclosed(benchmark::State& state) {
  std::string header;
  for (int64_t i = 0; i < state.range(0); ++i) header += "=?iso-2022-jp?b?QUJD ";
  for (auto _ : state) benchmark::DoNotOptimize(DecodeHeaderToCp932(header));
}
BENCHMARK(BM_DecodeHeaderUnclosed)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_AddressListUnclosedComments(benchmark::State& state) {
  const std::string header(1 << 20, '(');
  for (auto _ : state) benchmark::DoNotOptimize(NormalizeAddressList(header));
}
BENCHMARK(BM_AddressListUnclosedComments)->Unit(benchmark::kMillisecond);

// 100 000 schedule lines; with `bad`, every tenth line is one of five malformed kinds.
fs::path ScheduleFile(bool bad) {
  static const char* kBad[] = {
      "this is not a schedule line", "2030,2030,x,3,,,\"month x- a- 9:0:0- TRUE\"",
      "2030,2030,99999999999999999999,3,,,\"huge- a- 9:0:0- TRUE\"",
      "2030,2030,2,30,,,\"no such day- a- 9:0:0- FALSE\"", "2030,2030,5,3,,,\"too few parts\""};
  const fs::path path = TempPath(bad ? "bad.mrv" : "clean.mrv");
  if (fs::exists(path)) return path;
  TLineList list;
  uint32_t x = 12345;
  auto next = [&x](uint32_t n) {
    x = x * 1664525u + 1013904223u;
    return static_cast<int>((x >> 8) % n);
  };
  for (int i = 0; i < 100000; ++i) {
    if (bad && i % 10 == 9) {
      list.Add(kBad[(i / 10) % 5]);
      continue;
    }
    list.Add(MakeScheduleLine(2020 + next(11), 1 + next(12), 1 + next(28),
                              "item " + std::to_string(i), "room", std::to_string(next(24)),
                              std::to_string(next(60)), i % 3 == 0));
  }
  SaveScheduleFile(path, list);
  return path;
}

// Everything the program does with a schedule file: load, the calendar's rules and a month
// of day texts, the editor's day, the agenda, the CSV and the XML export.
void BM_ScheduleReaders(benchmark::State& state) {
  const fs::path path = ScheduleFile(state.range(0) != 0);
  const JuliusDay today = DateToJulius(2020, 1, 1);
  for (auto _ : state) {
    TLineList list;
    LoadScheduleFile(path, list);
    TDayRules rules;
    benchmark::DoNotOptimize(rules.Build(TLineList(), list));
    for (uint8_t d = 1; d <= 31; ++d) benchmark::DoNotOptimize(rules.DayText(2030, 5, d));
    benchmark::DoNotOptimize(ListDayItems(2030, 5, 3, list));
    benchmark::DoNotOptimize(CollectAgenda(list, std::nullopt, std::nullopt));
    benchmark::DoNotOptimize(BuildPhoneCsv(list, today));
    benchmark::DoNotOptimize(BuildScheduleXml(list));
  }
}
BENCHMARK(BM_ScheduleReaders)->ArgName("malformed")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// 1 000 000 handset records (every tenth unreadable) read from a file and merged into an
// empty schedule. Run it alone (--benchmark_filter=CsvMerge) for a peak size of its own.
void BM_CsvMergeMillion(benchmark::State& state) {
  const fs::path path = TempPath("million.csv");
  if (!fs::exists(path)) {
    std::string csv = Utf8ToCp932("件名,開始日,開始時刻,アラーム") + "\r\n";
    for (int i = 0; i < 1000000; ++i) {
      if (i % 10 == 9)
        csv += "\"two\",fields\r\n";
      else
        csv += "\"Rec " + std::to_string(i) + "\"," + std::to_string(2020 + i % 11) + "/" +
               std::to_string(1 + i % 12) + "/" + std::to_string(1 + i % 28) + ",9:00,TRUE\r\n";
    }
    WriteFileAtomically(path, csv);
  }
  size_t skipped = 0;
  for (auto _ : state) {
    TLineList list;
    skipped = MergeCsvFile(path, list).Skipped;
  }
  state.counters["skipped"] = static_cast<double>(skipped);
  state.counters["peak_rss_MiB"] = PeakRssMiB();
  state.counters["file_MiB"] = static_cast<double>(fs::file_size(path)) / (1 << 20);
}
BENCHMARK(BM_CsvMergeMillion)->Unit(benchmark::kMillisecond)->Iterations(1);

std::string ICalDocument(const std::string& events) {
  return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:bench\r\n" + events + "END:VCALENDAR\r\n";
}
std::string ICalEvent(int uid, const std::string& body) {
  return "BEGIN:VEVENT\r\nUID:" + std::to_string(uid) + "\r\nDTSTART:20260101T000000Z\r\n" + body +
         "END:VEVENT\r\n";
}

// One event whose SUMMARY is 10 MB on one line, imported into an empty schedule.
void BM_ICalLongSummary(benchmark::State& state) {
  const std::string ics =
      ICalDocument(ICalEvent(1, "SUMMARY:" + std::string(10 << 20, 'a') + "\r\n"));
  const TICalZone utc("UTC");
  for (auto _ : state) {
    TLineList list;
    MergeICalendar(ics, list, utc, DefaultICalWindow(DateToJulius(2026, 6, 1)));
  }
  state.counters["peak_rss_MiB"] = PeakRssMiB();
}
BENCHMARK(BM_ICalLongSummary)->Unit(benchmark::kMillisecond)->Iterations(1);

// 200 events repeating every minute (an 11 KB file): the import stops at its bounds.
void BM_ICalMinutelyEvents(benchmark::State& state) {
  std::string events;
  for (int i = 0; i < 200; ++i)
    events += ICalEvent(i, "RRULE:FREQ=MINUTELY\r\nSUMMARY:m" + std::to_string(i) + "\r\n");
  const std::string ics = ICalDocument(events);
  const TICalZone utc("UTC");
  TICalMergeResult r;
  for (auto _ : state) {
    TLineList list;
    r = MergeICalendar(ics, list, utc, DefaultICalWindow(DateToJulius(2026, 6, 1)));
  }
  state.counters["added"] = static_cast<double>(r.Added);
  state.counters["left_out"] = static_cast<double>(r.LeftOut);
  state.counters["peak_rss_MiB"] = PeakRssMiB();
}
BENCHMARK(BM_ICalMinutelyEvents)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  for (const char* name : {"bad.mrv", "clean.mrv", "million.csv"}) {
    std::error_code ec;
    fs::remove(TempPath(name), ec);
  }
  return 0;
}
