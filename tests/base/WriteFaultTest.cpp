// The shared write path and the settings file under write faults: see WriteFaults.h.
#include <gtest/gtest.h>

#include "base/FileIO.h"
#include "base/IniFile.h"
#include "tests/support/KillFaults.h"
#include "tests/support/WriteFaults.h"

namespace fs = std::filesystem;
using namespace moriva;

TEST(WriteFaults, WriteFileAtomicallyKeepsOldOrNewContent) {
  CheckWriterUnderFaults({"atomic",
                          [](const fs::path& p, int version) {
                            WriteFileAtomically(
                                p, version ? "new content\r\nof two lines\r\n" : "old\r\n");
                          }},
                         "data.bin");
}

TEST(WriteFaults, SettingsFileKeepsOldOrNewContent) {
  // Other sections and keys must survive a failed save as well as the changed key.
  CheckWriterUnderFaults({"ini",
                          [](const fs::path& p, int version) {
                            TIniFile ini(p);
                            ini.WriteString("mail", "host", "127.0.0.1");
                            ini.WriteString("global", "mrvfile",
                                            version ? "/home/user/schedule/next.mrv" : "a.mrv");
                            ini.Save();
                          }},
                         "hs110.ini");
}

TEST(WriteFaults, WriteFileAtomicallyKilledWhileSavingKeepsOldOrNewContent) {
  // Large enough that a save takes a while, so that kills fall inside the write and the flush.
  const std::string oldBytes(1 << 18, 'o');
  const std::string newBytes = std::string(3 << 17, 'n') + "end\r\n";
  TKillFigures figures;
  CheckWriterUnderKills(
      {"atomic", [&](const fs::path& p,
                     int version) { WriteFileAtomically(p, version ? newBytes : oldBytes); }},
      "data.bin", figures);
  EXPECT_GT(figures.OldSeen, 0);
  EXPECT_GT(figures.NewSeen, 0);
}
