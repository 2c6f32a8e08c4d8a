// moriva-cli xml-export run as a program.
#include <gtest/gtest.h>

#include "XmlTestSupport.h"

namespace moriva {
namespace {

xmltest::CommandResult RunCli(const std::string& args) {
  return xmltest::RunCommand(std::string(MORIVA_BINARY_DIR) + "/moriva-cli " + args + " 2>&1");
}

TEST(XmlCli, ExportsTheScheduleFileAsTheWindowDoes) {
  xmltest::ScratchDir dir;
  std::string mrv = (dir / "s.mrv").string(), xml = (dir / "s.xml").string();
  xmltest::SampleStore().SaveToFile(mrv);
  xmltest::CommandResult r = RunCli("xml-export " + mrv + " " + xml);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, "wrote 4 items to " + xml + " (2 lines without an item text left out)\n");
  EXPECT_EQ(ReadFileBytes(xml), ReadFileBytes(xmltest::GoldenPath("schedule.xml")));
}

TEST(XmlCli, ReportsMissingFilesAndBadUsage) {
  xmltest::ScratchDir dir;
  std::string xml = (dir / "s.xml").string();
  xmltest::CommandResult missing = RunCli("xml-export " + (dir / "none.mrv").string() + " " + xml);
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.output.find("は開けません"), std::string::npos) << missing.output;
  EXPECT_FALSE(std::filesystem::exists(xml));
  EXPECT_EQ(RunCli("xml-export only-one.mrv").status, 2);
}

}  // namespace
}  // namespace moriva
