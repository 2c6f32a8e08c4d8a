// The handset CSV file under write faults: see WriteFaults.h.
#include <gtest/gtest.h>

#include "base/Cp932.h"
#include "formats/PhoneCsv.h"
#include "tests/support/WriteFaults.h"

namespace fs = std::filesystem;
using namespace moriva;

TEST(WriteFaults, HandsetCsvKeepsOldOrNewContent) {
  CheckWriterUnderFaults(
      {"csv",
       [](const fs::path& p, int version) {
         TLineList list{Utf8ToCp932("2030,2030,7,15,,,\"会議- 本社- 9:30:0- TRUE\"")};
         if (version) list.Add(Utf8ToCp932("2031,2031,1,2,,,\"旅行- 駅- 7:0:0- FALSE\""));
         SavePhoneCsv(p, BuildPhoneCsv(list, 2451545));
       }},
      "SCHEDULE.CSV");
}
