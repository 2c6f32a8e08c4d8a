// The XML export under write faults: see WriteFaults.h.
#include <gtest/gtest.h>

#include "base/Cp932.h"
#include "tests/support/WriteFaults.h"
#include "xml/XmlExport.h"

namespace fs = std::filesystem;
using namespace moriva;

TEST(WriteFaults, XmlExportKeepsOldOrNewContent) {
  CheckWriterUnderFaults(
      {"xml",
       [](const fs::path& p, int version) {
         TLineList list{Utf8ToCp932("2002,2002,7,15,,,\"会議- 本社- 9:30:0- TRUE\"")};
         if (version) list.Add(Utf8ToCp932("2003,2003,5,1,,,\"x- - 0:0:0- FALSE\""));
         ExportScheduleXml(list, p);
       }},
      "schedule.xml");
}
