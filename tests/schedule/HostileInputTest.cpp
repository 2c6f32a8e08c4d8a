// A large schedule file with a malformed line every ten lines: every reader of the schedule
// (the calendar's day lists, the editor's day, the agenda, the CSV and XML exports) gets
// through it quickly, passes over the bad lines without harm and accounts for each of them
// once. bench/hostile_bench.cpp runs 100 000 lines and compares them with a clean file.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "base/FileIO.h"
#include "calendar/DayRules.h"
#include "calendar/Julius.h"
#include "formats/PhoneCsv.h"
#include "schedule/Agenda.h"
#include "schedule/ScheduleFile.h"
#include "schedule/ScheduleLine.h"
#include "tests/oracle/OracleTool.h"
#include "xml/XmlExport.h"

namespace moriva {
namespace {

namespace fs = std::filesystem;

constexpr size_t kLines = 30000;

// What each kind of malformed line is to each reader.
struct TBadKind {
  const char* line;
  bool faultyRule;   // the calendar reports it
  bool exportedXml;  // it has seven fields, so the XML export keeps its text
};
const TBadKind kBadKinds[] = {
    {"this is not a schedule line", true, false},
    {"2030,2030,x,3,,,\"month x- a- 9:0:0- TRUE\"", true, true},
    {"2030,2030,99999999999999999999,3,,,\"huge- a- 9:0:0- TRUE\"", true, true},
    {"2030,2030,2,30,,,\"no such day- a- 9:0:0- FALSE\"", false, true},
    {"2030,2030,5,3,,,\"too few parts\"", false, true},
};
constexpr size_t kKinds = std::size(kBadKinds);

struct THostileFile {
  TLineList lines;
  size_t cleanOnMay3 = 0;  // clean items dated 2030-05-03
};

// Clean items on days of 2020-2030, every tenth line malformed, the kinds in turn.
THostileFile MakeFile() {
  THostileFile f;
  std::vector<std::string> lines;
  uint32_t x = 12345;
  auto next = [&x](uint32_t n) {
    x = x * 1664525u + 1013904223u;
    return (x >> 8) % n;
  };
  for (size_t i = 0; i < kLines; ++i) {
    if (i % 10 == 9) {
      lines.push_back(kBadKinds[(i / 10) % kKinds].line);
      continue;
    }
    const int y = 2020 + static_cast<int>(next(11)), m = 1 + static_cast<int>(next(12)),
              d = 1 + static_cast<int>(next(28));
    if (y == 2030 && m == 5 && d == 3) ++f.cleanOnMay3;
    lines.push_back(MakeScheduleLine(y, m, d, "item " + std::to_string(i), "room",
                                     std::to_string(next(24)), std::to_string(next(60)),
                                     i % 3 == 0));
  }
  f.lines.Assign(std::move(lines));
  return f;
}

TEST(HostileSchedule, EveryReaderPassesOverMalformedLinesOnce) {
  const auto start = std::chrono::steady_clock::now();
  const THostileFile made = MakeFile();
  oracle::TempDir dir;
  SaveScheduleFile(dir.Path() / "big.mrv", made.lines);
  TLineList list;
  LoadScheduleFile(dir.Path() / "big.mrv", list);
  ASSERT_EQ(list, made.lines);

  const size_t perKind = kLines / 10 / kKinds;
  size_t faultyKinds = 0, xmlKinds = 0;
  for (const TBadKind& k : kBadKinds) {
    faultyKinds += k.faultyRule;
    xmlKinds += k.exportedXml;
  }

  // The calendar: each faulty line reported once, in list order; the good ones all in force.
  TDayRules rules;
  const std::vector<std::string> faulty = rules.Build(TLineList(), list);
  ASSERT_EQ(faulty.size(), faultyKinds * perKind);
  EXPECT_EQ(faulty.front(), kBadKinds[0].line);
  EXPECT_EQ(faulty[1], kBadKinds[1].line);
  EXPECT_TRUE(rules.DayState(2030, 5, 3).Has(dsSpecialDay));
  for (uint8_t d = 1; d <= 31; ++d) rules.DayText(2030, 5, d);

  // The editor's day lists the line it cannot split too, so that it can be deleted.
  EXPECT_EQ(ListDayItems(2030, 5, 3, list).size(), made.cleanOnMay3 + perKind);

  // The agenda and the handset's file hold the clean items only; the CSV counts the others.
  EXPECT_EQ(CollectAgenda(list, std::nullopt, std::nullopt).size(), kLines - kLines / 10);
  TPhoneCsvCounts counts;
  const TLineList csv = BuildPhoneCsv(list, DateToJulius(2020, 1, 1), &counts);
  EXPECT_EQ(csv.Count(), 1 + kLines - kLines / 10);
  EXPECT_EQ(counts.LeftOut, kLines / 10);

  size_t skipped = 0;
  const auto xml = BuildScheduleXml(list, &skipped);
  EXPECT_EQ(skipped, (kKinds - xmlKinds) * perKind);
  EXPECT_EQ(xml->GetDocumentElement()->GetChildNodes()->Count(), kLines - skipped);

  // Seconds at most, even in a sanitized build; a cost growing with the square of the file
  // would take far longer.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

// Texts of 300 bytes and more in an item go through every reader whole.
TEST(HostileSchedule, LongSubjectsAndPlacesStayWhole) {
  const std::string subject(300, 's'), place(1000, 'p');
  TLineList list;
  list.Add(MakeScheduleLine(2030, 5, 3, subject, place, "9", "30", true));
  const auto items = ListDayItems(2030, 5, 3, list);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].Subject, subject);
  EXPECT_EQ(items[0].Place, place);
  const auto agenda = CollectAgenda(list, std::nullopt, std::nullopt);
  ASSERT_EQ(agenda.size(), 1u);
  EXPECT_EQ(agenda[0].Parts.Subject, subject);
  const TLineList csv = BuildPhoneCsv(list, DateToJulius(2030, 1, 1));
  ASSERT_EQ(csv.Count(), 2u);
  EXPECT_EQ(csv[1], subject + ",2030/5/3,9:30:0,TRUE," + place);
}

// A schedule file whose path is long (a 250-byte file name in folders of 300 bytes and more)
// is remembered in the settings and opened again at the next start.
TEST(HostileSchedule, ALongPathIsRememberedWhole) {
  oracle::TempDir dir;
  const fs::path folder = dir.Path() / std::string(200, 'd') / std::string(200, 'e');
  fs::create_directories(folder);
  const fs::path file = folder / (std::string(246, 'f') + ".mrv");
  SaveScheduleFile(file, TLineList{"2030,2030,5,3,,,\"a- b- 9:0:0- TRUE\""});
  const fs::path ini = SettingsFilePath(dir.Path());
  RememberScheduleFile(ini, file);
  const auto start = StartupScheduleFile(std::nullopt, ini);
  ASSERT_TRUE(start);
  EXPECT_EQ(start->Path, file);
  TLineList list;
  LoadScheduleFile(start->Path, list);
  EXPECT_EQ(list.Count(), 1u);
}

}  // namespace
}  // namespace moriva
