#include "mail/Attachment.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/Exception.h"
#include "base/FileIO.h"
#include "tests/mail/MailTestTools.h"

using namespace moriva;
namespace fs = std::filesystem;
using mailtest::ErrorText;
using mailtest::RandomBytes;
using mailtest::TempDir;

namespace {

const fs::path kTable = fs::path(MORIVA_TEST_DATA) / "mail" / "mime.types";

}  // namespace

TEST(ContentTypeOf, Table) {
  struct Case {
    const char* path;
    const char* type;
  } cases[] = {
      {"outgoing/SCHEDULE.CSV", "text/csv"},
      {"a.csv", "text/csv"},
      {"/x/y/photo.JpG", "image/jpeg"},
      {"notes.text", "text/plain"},  // an extension later on the line
      {"a.dup", "application/x-first"},
      {"noextension", "application/octet-stream"},
      {"dir.d/noextension", "application/octet-stream"},
      {"trailing.", "application/octet-stream"},
      {"a.unknown", "application/octet-stream"},
      {"a.xyz", "application/octet-stream"},  // only in a comment
      {"a.comment", "application/octet-stream"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(ContentTypeOf(c.path, kTable), c.type);
  }
  EXPECT_EQ(ContentTypeOf("a.csv", "/nonexistent/mime.types"), "application/octet-stream");
}

TEST(DecodeQuotedText, Table) {
  struct Case {
    std::string text;
    std::string decoded;
  } cases[] = {
      {"a=3Db", "a=b"},
      {"x_y", "x y"},
      {"=82=a0", "\x82\xA0"},
      {"=ZZok", "@ok"},
      {"=4", ""},
      {"ab=", "ab"},
      {"ab=4", "ab"},
      {"soft=\r\nbreak", "softbreak"},
      {"soft=\nbreak", "softbreak"},
      {"soft=\rbreak", "softbreak"},
      {"line\r\nnext", "line\r\nnext"},
      {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(DecodeQuotedText(c.text), c.decoded);
  }
}

TEST(DecodeUU, StopsAtBackquoteEndOrLastLine) {
  struct Case {
    const char* name;
    TLineList lines;
    std::string bytes;
  } cases[] = {
      {"backquote and end", {"begin 644 cat.txt", "#0V%T", "`", "end"}, "Cat"},
      {"data after the backquote is not read", {"begin 644 x", "#0V%T", "`", "#0V%T"}, "Cat"},
      {"end alone", {"begin 644 x", "#0V%T", "end", "#0V%T"}, "Cat"},
      {"no terminator", {"begin 644 x", "#0V%T", "#0V%T"}, "CatCat"},
      {"begin only", {"begin 644 x"}, ""},
      {"blanks read as zero", {"begin", "\"    "}, std::string(2, '\0')},
      {"full line",
       {"begin", "M  $\" P0%!@<(\"0H+# T.#Q 1$A,4%187&!D:&QP='A\\@(2(C)\"4F)R@I*BLL", "`", "end"},
       [] {
         std::string s;
         for (int i = 0; i < 45; ++i) s += static_cast<char>(i);
         return s;
       }()},
      {"count above what the characters hold", {"begin", "$0V%T"}, std::string("Cat\0", 4)},
      {"characters after 60 are ignored",
       {"begin", "M" + std::string(60, '`') + "garbage"},
       std::string(45, '\0')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TAttachedFile f;
    f.EncodedLines = c.lines;
    f.DecodeUU();
    EXPECT_EQ(f.BodyBytes(), c.bytes);
  }
}

TEST(DecodeUU, BadCharacterRaisesOops) {
  TAttachedFile f;
  f.SetBody("old");
  f.EncodedLines = {"begin 644 x", "#0v%T", "end"};
  EXPECT_EQ(ErrorText([&] { f.DecodeUU(); }), "Oops...");
  EXPECT_EQ(f.BodyBytes(), "old");
}

TEST(AttachedFile, EncodeBase64FromFileLoadsBody) {
  TempDir dir;
  fs::path path = dir.Path() / "SCHEDULE.CSV";
  std::string content = RandomBytes(3000);
  WriteFileAtomically(path, content);
  TAttachedFiles files;
  files.MimeTypesFile = kTable;
  TAttachedFile& f = files.Add(path.string());
  EXPECT_EQ(f.FileName, "SCHEDULE.CSV");
  EXPECT_EQ(f.FilePath, path.string());
  EXPECT_EQ(f.ContentType, "text/csv");
  EXPECT_FALSE(f.HasBody());

  ASSERT_TRUE(f.EncodeBase64());
  EXPECT_EQ(f.BodyBytes(), content);
  ASSERT_EQ(f.EncodedLines.Count(), 53u);  // 52 full lines of 57 bytes and 36 bytes left
  EXPECT_EQ(f.EncodedLines[0].size(), 76u);
  EXPECT_EQ(f.EncodedLines[52].size(), 48u);

  TAttachedFile back;
  back.EncodedLines = f.EncodedLines;
  back.DecodeBase64();
  EXPECT_EQ(back.BodyBytes(), content);
  // Nothing but the one file was written into the folder.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
}

TEST(AttachedFile, EncodeBase64PrefersBodyAndPumpsPerBlock) {
  TAttachedFile f;
  f.FilePath = "/nonexistent/never-read";
  f.SetBody(RandomBytes(2048));
  int pumps = 0;
  f.ProcessMessages = [&] { ++pumps; };
  ASSERT_TRUE(f.EncodeBase64());
  EXPECT_EQ(pumps, 3);  // two full blocks and the empty read that ends the loop
  EXPECT_EQ(f.EncodedLines.Count(), 36u);
}

TEST(AttachedFile, CancelLeavesLinesUnchanged) {
  TAttachedFile f;
  f.SetBody(RandomBytes(5000));
  f.EncodedLines = {"previous"};
  f.Cancelled = true;  // cleared at the start: a stale flag does not stop a new encoding
  int pumps = 0;
  f.ProcessMessages = [&] {
    if (++pumps == 2) f.Cancelled = true;
  };
  EXPECT_FALSE(f.EncodeBase64());
  EXPECT_EQ(f.EncodedLines, TLineList({"previous"}));
  EXPECT_EQ(pumps, 2);
}

TEST(AttachedFile, MissingFileRaisesAndChangesNothing) {
  TAttachedFile f;
  f.FilePath = "/nonexistent/SCHEDULE.CSV";
  f.EncodedLines = {"previous"};
  EXPECT_THROW(f.EncodeBase64(), EFileError);
  EXPECT_EQ(f.EncodedLines.Count(), 1u);
  EXPECT_FALSE(f.HasBody());
}

TEST(AttachedFile, EmptyFileGivesNoLines) {
  TempDir dir;
  WriteFileAtomically(dir.Path() / "empty", "");
  TAttachedFile f;
  f.FilePath = (dir.Path() / "empty").string();
  ASSERT_TRUE(f.EncodeBase64());
  EXPECT_EQ(f.EncodedLines.Count(), 0u);
  EXPECT_TRUE(f.HasBody());
}

TEST(AttachedFile, SaveToFile) {
  TempDir dir;
  fs::path path = dir.Path() / "out.bin";
  TAttachedFile f;
  EXPECT_EQ(ErrorText([&] { f.SaveToFile(path); }), "AttachedFile.Body = nil");
  EXPECT_FALSE(fs::exists(path));
  WriteFileAtomically(path, "old content that is longer");
  f.SetBody(std::string("new\0bytes", 9));
  f.SaveToFile(path);
  EXPECT_EQ(ReadFileBytes(path), std::string("new\0bytes", 9));
  EXPECT_THROW(f.SaveToFile(dir.Path() / "no-such-dir" / "x"), EFileError);
}

TEST(AttachedFile, BodyIsHandedOutAtItsStart) {
  TAttachedFile f;
  TMemoryStream& body = f.Body();
  body.Write("abc");
  EXPECT_EQ(f.Body().Position(), 0);
  EXPECT_EQ(f.BodyBytes(), "abc");
}

TEST(AttachedFiles, Collection) {
  TAttachedFiles files;
  files.MimeTypesFile = kTable;
  int pumps = 0;
  files.ProcessMessages = [&] { ++pumps; };
  files.Add("a/b/c.txt");
  files.Add("plain");
  ASSERT_EQ(files.Count(), 2u);
  EXPECT_EQ(files[0].FileName, "c.txt");
  EXPECT_EQ(files[0].ContentType, "text/plain");
  EXPECT_EQ(files[1].FileName, "plain");
  EXPECT_EQ(files[1].ContentType, "application/octet-stream");
  files[1].ProcessMessages();
  EXPECT_EQ(pumps, 1);
  EXPECT_EQ(ErrorText([&] { files.Items(2); }), "List index out of bounds (2)");
  files.Delete(0);
  EXPECT_EQ(files[0].FileName, "plain");
  files.Clear();
  EXPECT_TRUE(files.Empty());
}
