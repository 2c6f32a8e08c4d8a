// The schedule file and the remembered file name under write faults: see WriteFaults.h.
#include <gtest/gtest.h>

#include "base/Cp932.h"
#include "schedule/ScheduleFile.h"
#include "tests/support/KillFaults.h"
#include "tests/support/WriteFaults.h"

namespace fs = std::filesystem;
using namespace moriva;

TEST(WriteFaults, ScheduleFileKeepsOldOrNewContent) {
  CheckWriterUnderFaults({"schedule",
                          [](const fs::path& p, int version) {
                            TLineList list{
                                Utf8ToCp932("2002,2002,7,15,,,\"会議- 本社- 9:30:0- TRUE\""),
                                Utf8ToCp932("1,1,元日")};
                            if (version)
                              list.Add(Utf8ToCp932("2003,2003,05,01,,,\"旅行- - 0:0:0- FALSE\""));
                            SaveScheduleFile(p, list);
                          }},
                         "sample.mrv");
}

TEST(WriteFaults, RememberedScheduleFileKeepsOldOrNewSettings) {
  CheckWriterUnderFaults({"remember",
                          [](const fs::path& p, int version) {
                            RememberScheduleFile(p, version ? "/data/予定/2003.mrv" : "");
                          }},
                         "hs110.ini");
}

TEST(WriteFaults, ScheduleFileKilledWhileSavingKeepsOldOrNewContent) {
  TLineList old;
  for (int i = 0; i < 5000; ++i)
    old.Add(Utf8ToCp932("2030,2030,7,15,,,\"会議" + std::to_string(i) + "- 本社- 9:30:0- TRUE\""));
  TLineList next = old;
  next.Add(Utf8ToCp932("2031,2031,1,2,,,\"旅行- 駅- 7:0:0- FALSE\""));
  TKillFigures figures;
  CheckWriterUnderKills(
      {"schedule",
       [&](const fs::path& p, int version) { SaveScheduleFile(p, version ? next : old); }},
      "sample.mrv", figures);
  EXPECT_GT(figures.OldSeen, 0);
  EXPECT_GT(figures.NewSeen, 0);
}
