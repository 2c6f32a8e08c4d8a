// Handset CSV merge: any bytes as the CSV file, merged into a schedule given by the input too.
// Counts add up, the list only grows, and merging the same file again adds nothing.
#include <cstdint>

#include "base/LineList.h"
#include "formats/CsvMerge.h"
#include "fuzz/FuzzSupport.h"

using namespace moriva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text = fuzz::AsText(data, size);
  size_t cut = text.find('\0');
  TLineList csv;
  csv.SetText(text.substr(0, cut));
  TLineList schedule;
  if (cut != std::string_view::npos) schedule.SetText(text.substr(cut + 1));
  const TLineList before = schedule;

  for (const std::string& line : csv) (void)CsvRecordToScheduleLine(line);

  int notices = 0;
  schedule.OnChange = [&] { ++notices; };
  TMergeResult r = MergeCsvLines(csv, schedule);
  FUZZ_CHECK(schedule.Count() == before.Count() + r.Added);
  FUZZ_CHECK(notices == (r.Added ? 1 : 0));
  for (size_t i = 0; i < before.Count(); ++i) FUZZ_CHECK(schedule[i] == before[i]);
  FUZZ_CHECK(r.Added + r.Duplicates + r.Skipped + r.EmptyLines <= csv.Count());

  TMergeResult second = MergeCsvLines(csv, schedule);
  FUZZ_CHECK(second.Added == 0);
  FUZZ_CHECK(second.Skipped == r.Skipped);

  // The one-record road agrees with the merge about the first record.
  if (csv.Count() == 2 && !csv[1].empty()) {
    TLineList one = before;
    TAddResult a = AddCsvRecord(csv[1], one);
    FUZZ_CHECK((a == TAddResult::Added) == (r.Added == 1));
  }
  return 0;
}
