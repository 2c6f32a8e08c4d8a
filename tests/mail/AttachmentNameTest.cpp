#include "mail/AttachmentName.h"

#include <gtest/gtest.h>

#include "base/Cp932.h"
#include "mail/JapaneseCodes.h"

using namespace moriva;

namespace {

TEST(AttachmentFileName, CleansCharactersNotBytes) {
  // In JIS, く ぼ た ず hold the bytes of "/", "\", "?" and ":"; in Shift-JIS, 表 and ソ end in
  // the byte of "\". None of them may lose a byte.
  std::string jis = SjisToJis(Utf8ToCp932("くぼたず表.csv"));
  for (char c : std::string("/\\?:")) ASSERT_NE(jis.find(c), std::string::npos) << c;
  struct Case {
    std::string declared, expected;
  } cases[] = {
      {jis, "くぼたず表.csv"},
      {Utf8ToCp932("ソフト表.csv"), "ソフト表.csv"},
      {"予定.csv", "予定.csv"},  // already UTF-8
      {SjisToJis(Utf8ToCp932("../予定/..\\x.csv")), "..予定..x.csv"},
      {"a\\b/c:d*e?f\"g<h>i|j.txt", "abcdefghij.txt"},
      {"  tab\there\r\n.txt ", "tabhere.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(AttachmentFileName(c.declared, "TEXT/CSV", "subject"), c.expected);
  }
}

TEST(AttachmentFileName, NeverNamesAPathOutsideItsFolder) {
  for (std::string declared : {".", "..", "...", "/", "../", "\\..\\", " . ", "/:*?", "\x01\x7f"}) {
    SCOPED_TRACE(declared);
    EXPECT_EQ(AttachmentFileName(declared, "TEXT/CSV", "s"), "attachment");
  }
  EXPECT_EQ(AttachmentFileName("", "TEXT/PLAIN", ""), "attachment");
  EXPECT_EQ(AttachmentFileName("", "TEXT/PLAIN", "/.."), "attachment");
  EXPECT_EQ(AttachmentFileName("../../etc/passwd", "TEXT/PLAIN", "s"), "....etcpasswd");
}

TEST(AttachmentFileName, NamesAnUnnamedPartAfterTheSubject) {
  struct Case {
    std::string type, subject, expected;
  } cases[] = {
      {"TEXT/HTML", "subject", "subject.html"},
      {"TEXT/HTML", "notes.txt", "notes.html"},
      {"IMAGE/JPEG", "Photo 12/06: party", "Photo 1206 party.jpeg"},
      {"IMAGE/GIF", "v1.2/x", "v1.2x.gif"},
      {"APPLICATION/PDF", "report.txt", "report.txt"},
      {"TEXT/HTML", "", ".html"},
      {"TEXT/HTML", Utf8ToCp932("予定表"), "予定表.html"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(AttachmentFileName("", c.type, c.subject), c.expected);
  }
}

TEST(AttachmentFileName, ShortensLongNamesOnACharacterBoundary) {
  std::string stem;
  for (int i = 0; i < 100; ++i) stem += "予";  // 3 bytes each in UTF-8
  std::string name = AttachmentFileName(stem + ".csv", "TEXT/CSV", "");
  EXPECT_LE(name.size(), kMaxAttachmentNameBytes);
  EXPECT_TRUE(name.ends_with("予.csv"));
  EXPECT_EQ(Utf8ToCp932(name).find('?'), std::string::npos);
  std::string plain(300, 'a');
  EXPECT_EQ(AttachmentFileName(plain, "TEXT/CSV", ""), std::string(kMaxAttachmentNameBytes, 'a'));
  // Cut right after a blank: the blank does not end the stored name.
  std::string blank_at_cut = std::string(kMaxAttachmentNameBytes - 1, 'a') + " b";
  EXPECT_EQ(AttachmentFileName(blank_at_cut, "TEXT/CSV", ""),
            std::string(kMaxAttachmentNameBytes - 1, 'a'));
}

}  // namespace
