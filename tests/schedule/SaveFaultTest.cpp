// The schedule file and the remembered file name under write faults: see WriteFaults.h.
#include <gtest/gtest.h>

#include "base/Cp932.h"
#include "schedule/ScheduleFile.h"
#include "tests/support/WriteFaults.h"

namespace fs = std::filesystem;
using namespace moriva;

TEST(WriteFaults, ScheduleFileKeepsOldOrNewContent) {
  CheckWriterUnderFaults(
      {"schedule",
       [](const fs::path& p, int version) {
         TLineList list{Sj("2002,2002,7,15,,,\"会議- 本社- 9:30:0- TRUE\""), Sj("1,1,元日")};
         if (version) list.Add(Sj("2003,2003,05,01,,,\"旅行- - 0:0:0- FALSE\""));
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
