// XML export of a large schedule: building the tree, writing its bytes, and the whole
// export to a file.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "base/Cp932.h"
#include "base/LineList.h"
#include "xml/XmlExport.h"

namespace {

using namespace moriva;

// `count` schedule lines over a few years, with Japanese subjects and places, one in
// sixteen holding characters the writer must escape.
TLineList MakeStore(int count) {
  const std::string subjects[] = {Utf8ToCp932("会議"), Utf8ToCp932("打合せ"), Utf8ToCp932("歯医者"),
                                  Utf8ToCp932("出張"), "R&D review"};
  const std::string places[] = {Utf8ToCp932("第2会議室"), Utf8ToCp932("新宿"), "",
                                Utf8ToCp932("本社 <3F>")};
  TLineList lines;
  lines.BeginUpdate();
  for (int i = 0; i < count; ++i) {
    int year = 2020 + i % 7, month = 1 + i % 12, day = 1 + i % 28;
    std::string y = std::to_string(year);
    std::string item = subjects[i % 5] + "- " + places[i % 4] + "- " + std::to_string(i % 24) +
                       ":" + std::to_string(i % 12 * 5) + ":0- " + (i % 3 ? "TRUE" : "FALSE");
    lines.Add(y + "," + y + "," + std::to_string(month) + "," + std::to_string(day) + ",,,\"" +
              item + "\"");
  }
  lines.EndUpdate();
  return lines;
}

const TLineList& Store() {
  static const TLineList store = MakeStore(100000);
  return store;
}

void BM_BuildTree(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(BuildScheduleXml(Store()));
}

void BM_WriteBytes(benchmark::State& state) {
  auto doc = BuildScheduleXml(Store());
  for (auto _ : state) benchmark::DoNotOptimize(doc->SaveToBytes(0));
}

void BM_ExportToFile(benchmark::State& state) {
  std::filesystem::path file = std::filesystem::temp_directory_path() / "moriva_xml_bench.xml";
  for (auto _ : state) ExportScheduleXml(Store(), file);
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(file));
  std::filesystem::remove(file);
}

BENCHMARK(BM_BuildTree)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportToFile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
