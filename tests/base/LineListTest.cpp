#include "base/LineList.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "base/Exception.h"
#include "base/FileIO.h"

namespace fs = std::filesystem;
using moriva::TLineList;
using Lines = std::vector<std::string>;

namespace {

fs::path TempDir() {
  fs::path dir =
      fs::temp_directory_path() / ("moriva_linelist_" + std::to_string(getpid()) + "_" +
                                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

}  // namespace

TEST(LineList, SetTextSplitsAtEveryLineEnd) {
  struct Case {
    std::string text;
    Lines lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"a\r\nb", {"a", "b"}},
      {"a\nb\rc\r\nd", {"a", "b", "c", "d"}},
      {"a\r\n\r\n", {"a", ""}},
      {"\n\r", {"", ""}},  // LF then CR are two line ends
      {std::string("a\r\nb\0c\r\nd", 9), {"a", "b"}},
      {std::string("\0abc", 4), {}},
  };
  // Also over the lines of the case before, whose strings are reused.
  TLineList reused{"a line long enough to live on the heap", "x", "y", "z", "w"};
  for (const auto& c : cases) {
    TLineList l;
    l.SetText(c.text);
    EXPECT_EQ(l.Lines(), c.lines) << testing::PrintToString(c.text);
    reused.SetText(c.text);
    EXPECT_EQ(reused.Lines(), c.lines) << testing::PrintToString(c.text);
  }
  TLineList self{"a\nb\nc"};  // a text held in the list itself
  self.SetText(self[0]);
  EXPECT_EQ(self.Lines(), (Lines{"a", "b", "c"}));
}

TEST(LineList, TextEndsEveryLineWithCrLf) {
  EXPECT_EQ(TLineList({"a", "", "b"}).Text(), "a\r\n\r\nb\r\n");
  EXPECT_EQ(TLineList().Text(), "");
}

TEST(LineList, IndexOfIgnoresAsciiCaseOnly) {
  TLineList l{"Hello", "\x82\xA0X", "world"};
  EXPECT_EQ(l.IndexOf("hELLO"), 0);
  EXPECT_EQ(l.IndexOf("WORLD"), 2);
  EXPECT_EQ(l.IndexOf("\x82\xA0x"), 1);
  EXPECT_EQ(l.IndexOf("\x82\xC0x"), -1);  // 0xA0 vs 0xC0 differ by 32 but are not letters
  EXPECT_EQ(l.IndexOf("hell"), -1);
  // Trail bytes that look like letters are not folded: ア (83 41) is not ヂ (83 61).
  TLineList kana{"\x83\x41"};
  EXPECT_EQ(kana.IndexOf("\x83\x61"), -1);
  EXPECT_EQ(kana.IndexOf("\x83\x41"), 0);
  EXPECT_TRUE(
      moriva::SameTextAscii("A\x83\x41"
                            "b",
                            "a\x83\x41"
                            "B"));
}

TEST(LineList, ChangeNoticesAreBracketed) {
  TLineList l;
  int notices = 0;
  l.OnChange = [&] { ++notices; };
  l.Add("a");
  l.Put(0, "b");
  EXPECT_EQ(notices, 2);
  l.BeginUpdate();
  l.Add("c");
  l.Delete(0);
  l.BeginUpdate();
  l.Add("d");
  l.EndUpdate();
  EXPECT_EQ(notices, 2);
  l.EndUpdate();
  EXPECT_EQ(notices, 3);
  l.BeginUpdate();
  l.EndUpdate();  // nothing changed: no notice
  EXPECT_EQ(notices, 3);
  EXPECT_THROW(l.Delete(5), moriva::EListError);
  EXPECT_THROW((void)l[2], moriva::EListError);
}

TEST(LineList, SaveAndLoadRoundTrip) {
  fs::path dir = TempDir();
  TLineList l{"\x95\x5C,1", "", "last"};
  l.SaveToFile(dir / "x.mrv");
  TLineList back;
  back.LoadFromFile(dir / "x.mrv");
  EXPECT_EQ(back, l);
  EXPECT_EQ(moriva::ReadFileBytes(dir / "x.mrv"), "\x95\x5C,1\r\n\r\nlast\r\n");
  EXPECT_THROW(back.LoadFromFile(dir / "missing"), moriva::EFileError);
  EXPECT_THROW(back.LoadFromFile(dir), moriva::EFileError);
  EXPECT_EQ(back, l);  // a failed load changes nothing
  fs::remove_all(dir);
}

TEST(FileIO, FailedWriteKeepsOldFileAndLeavesNoTemporary) {
  fs::path dir = TempDir();
  moriva::WriteFileAtomically(dir / "f", "old");
  // A directory in the way, and a folder that does not exist.
  fs::create_directory(dir / "d");
  EXPECT_THROW(moriva::WriteFileAtomically(dir / "d", "new"), moriva::EFileError);
  EXPECT_THROW(moriva::WriteFileAtomically(dir / "none" / "f", "new"), moriva::EFileError);
  if (geteuid() != 0) {  // root ignores permission bits
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_THROW(moriva::WriteFileAtomically(dir / "f", "new"), moriva::EFileError);
    fs::permissions(dir, fs::perms::owner_all);
  }
  EXPECT_EQ(moriva::ReadFileBytes(dir / "f"), "old");
  int entries = 0;
  for ([[maybe_unused]] auto& e : fs::directory_iterator(dir)) ++entries;
  EXPECT_EQ(entries, 2);  // f and d, no temporary left
  try {
    moriva::WriteFileAtomically(dir / "d", "x");
  } catch (const moriva::EFileError& e) {
    EXPECT_EQ(std::string(e.what()), "ファイル " + (dir / "d").string() + " を作成できません");
  }
  fs::remove_all(dir);
}

TEST(FileIO, SymlinkStaysAndPermissionsAreKept) {
  fs::path dir = TempDir();
  moriva::WriteFileAtomically(dir / "real", "old");
  fs::permissions(dir / "real", fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink("real", dir / "link");
  moriva::WriteFileAtomically(dir / "link", "new");
  EXPECT_TRUE(fs::is_symlink(dir / "link"));
  EXPECT_EQ(moriva::ReadFileBytes(dir / "real"), "new");
  EXPECT_EQ(fs::status(dir / "real").permissions(), fs::perms::owner_read | fs::perms::owner_write);
  fs::remove_all(dir);
}
