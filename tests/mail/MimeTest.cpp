#include "mail/MimeParser.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "base/Cp932.h"
#include "base/FileIO.h"
#include "mail/EncodedWord.h"
#include "mail/JapaneseCodes.h"

using namespace moriva;
namespace fs = std::filesystem;

namespace {

const fs::path kData = fs::path(MORIVA_TEST_DATA) / "mime";

void ParseFile(TMailMessage& m, const std::string& name) {
  TLineList lines;
  lines.LoadFromFile(kData / name);
  SetRawMail(m, lines);
}

void ParseLines(TMailMessage& m, std::vector<std::string> lines) {
  SetRawMail(m, TLineList(std::move(lines)));
}

std::vector<std::string> Names(const TMailMessage& m) {
  std::vector<std::string> names;
  for (size_t i = 0; i < m.AttachedFiles.Count(); ++i) names.push_back(m.AttachedFiles[i].FileName);
  return names;
}

std::string EncodedWord(std::string_view sjis) {
  return "=?ISO-2022-JP?B?" + Base64EncodeText(SjisToJis(sjis)) + "?=";
}

TEST(Parse, MixedMailWithTextAndScheduleCsv) {
  TMailMessage m;
  ParseFile(m, "schedule.eml");
  EXPECT_EQ(m.Subject, Utf8ToCp932("予定表"));
  EXPECT_EQ(m.From, Utf8ToCp932("携帯") + " <hs110@phone.example>");
  EXPECT_EQ(m.SendTo, "\"Taro\" <taro@example.jp>, \"hana@example.jp\" <hana@example.jp>");
  EXPECT_EQ(m.MessageId, "<20261206201507.1234@phone.example>");
  EXPECT_EQ(m.ReturnPath, "<hs110@phone.example>");
  EXPECT_EQ(m.Date, "Sun, 6 Dec 2026 20:15:07 +0900");
  EXPECT_EQ(m.ContentType, "MULTIPART/MIXED");
  EXPECT_EQ(m.ContentTransferEncoding, "7BIT");
  EXPECT_EQ(m.Headers.Count(), 11u);
  ASSERT_EQ(m.Text.Count(), 1u);
  EXPECT_EQ(JisToSjis(m.Text[0]), Utf8ToCp932("スケジュールを送ります。"));
  ASSERT_EQ(Names(m), std::vector<std::string>{"SCHEDULE.CSV"});
  EXPECT_EQ(m.AttachedFiles[0].BodyBytes(), ReadFileBytes(kData / "SCHEDULE.CSV"));
  EXPECT_TRUE(m.AttachedFiles[0].EncodedLines.Empty());
  EXPECT_TRUE(m.RawMail.Empty());
}

TEST(Parse, NestedAlternativeGivesTextAndSubjectNamedParts) {
  TMailMessage m;
  ParseFile(m, "alternative.eml");
  // The quoted-printable text: "=3D" decoded, a soft break joined, underscores kept.
  EXPECT_EQ(m.Text.Lines(),
            (std::vector<std::string>{"Hello = world, snake_case stays,", "a soft break."}));
  ASSERT_EQ(Names(m), (std::vector<std::string>{"subject.html", "subject.jpeg"}));
  EXPECT_EQ(m.AttachedFiles[0].BodyBytes(), "<html><body><p>Hello</p></body></html>");
  std::string all_bytes;
  for (int i = 0; i < 256; ++i) all_bytes += static_cast<char>(i);
  EXPECT_EQ(m.AttachedFiles[1].BodyBytes(), all_bytes);
}

TEST(Parse, UuencodedAttachmentAndMailboxFromLine) {
  TMailMessage m;
  ParseFile(m, "uuencode.eml");
  EXPECT_EQ(m.From, "sender@example.jp Sun Dec  6 20:15:07 2026");
  EXPECT_EQ(m.Text.Lines(), std::vector<std::string>{"see attached"});
  ASSERT_EQ(Names(m), std::vector<std::string>{"uu"});
  EXPECT_EQ(m.AttachedFiles[0].BodyBytes(), ReadFileBytes(kData / "data.bin"));
}

TEST(Parse, ComposedMailReadsBack) {
  TMailMessage out;
  out.From = "taro@example.jp";
  out.UserName = Utf8ToCp932("山田 太郎");
  out.SendTo = "hs110@phone.example";
  out.Subject = Utf8ToCp932("予定の送信です、よろしくお願いいたします");
  out.Text.Assign(std::vector<std::string>{Utf8ToCp932("本文"), ".dot"});
  std::string bytes;
  for (int i = 0; i < 3000; ++i) bytes += static_cast<char>(i * 31 % 256);
  out.AttachedFiles.Add("/tmp/SCHEDULE.CSV").SetBody(bytes);
  out.AttachedFiles.Add(Utf8ToCp932("/tmp/予定表.csv")).SetBody("x");
  out.FillRawMail();

  TMailMessage in;
  in.ClearRawMailAfterParse = false;
  SetRawMail(in, out.RawMail);
  EXPECT_EQ(in.RawMail, out.RawMail);
  EXPECT_EQ(in.Subject, out.Subject);
  EXPECT_TRUE(in.From.starts_with(Utf8ToCp932("山田 太郎")));
  EXPECT_TRUE(in.From.ends_with(" <taro@example.jp>"));
  EXPECT_EQ(in.SendTo, "\"hs110@phone.example\" <hs110@phone.example>");
  // The body is dot-stuffed in RawMail; unstuffing is the transport's business.
  EXPECT_EQ(in.Text.Count(), 2u);
  EXPECT_EQ(JisToSjis(in.Text[0]), Utf8ToCp932("本文"));
  ASSERT_EQ(Names(in), (std::vector<std::string>{"SCHEDULE.CSV", "予定表.csv"}));
  EXPECT_EQ(in.AttachedFiles[0].BodyBytes(), bytes);
  EXPECT_EQ(in.AttachedFiles[1].BodyBytes(), "x");
}

TEST(Parse, HeaderFieldsAndDefaults) {
  TMailMessage m;
  m.ContentType = "old";
  m.Sender = "kept";
  m.BCC = "bcc";
  ParseLines(m, {"Subject: Meeting; room 3", "to: A <a@x>,", "  b@y", "Reply-To: r@z", "CC: c@w",
                 "In-Reply-To: <1@x>", "", "line one", "", "line three"});
  EXPECT_EQ(m.Subject, "Meeting");
  EXPECT_EQ(m.SendTo, "\"A\" <a@x>, \"b@y\" <b@y>");
  EXPECT_EQ(m.ReplyTo, "\"r@z\" <r@z>");
  EXPECT_EQ(m.CC, "\"c@w\" <c@w>");
  EXPECT_EQ(m.InReplyTo, "<1@x>");
  EXPECT_EQ(m.Sender, "kept");
  EXPECT_EQ(m.BCC, "bcc");
  EXPECT_EQ(m.From, "ct: Meeting; room 3");
  EXPECT_EQ(m.ContentType, "TEXT/PLAIN");
  EXPECT_EQ(m.ContentTransferEncoding, "7BIT");
  EXPECT_EQ(m.Text.Lines(), (std::vector<std::string>{"line one", "", "line three"}));
}

TEST(Parse, SecondParseAppendsAndOverwrites) {
  std::vector<std::string> header = {"Subject: first", "Content-Type: text/csv; name=a.csv"};
  TMailMessage m;
  ParseLines(m, header);
  ASSERT_EQ(m.AttachedFiles.Count(), 1u);
  EXPECT_EQ(m.AttachedFiles[0].BodyBytes(), "");
  std::vector<std::string> full = header;
  full.insert(full.end(), {"", "1,2", "3,4"});
  ParseLines(m, full);
  EXPECT_EQ(m.Headers.Count(), 4u);
  ASSERT_EQ(m.AttachedFiles.Count(), 2u);
  EXPECT_EQ(m.AttachedFiles[1].FileName, "a.csv");
  EXPECT_EQ(m.AttachedFiles[1].BodyBytes(), "1,2\r\n3,4");
  TMailMessage empty;
  ParseLines(empty, {});
  EXPECT_EQ(empty.ContentType, "");
}

// Single-part mails fed as line lists: the content rules, one case each.
TEST(Parse, ContentRules) {
  struct Case {
    std::string name;
    std::vector<std::string> lines;
    std::vector<std::string> text, names, bodies;
  } cases[] = {
      {"base64 text goes to Text",
       {"Content-Type: text/plain", "Content-Transfer-Encoding: base64", "",
        Base64EncodeText("one\r\ntwo")},
       {"one", "two"},
       {},
       {}},
      {"named text is an attachment",
       {"Content-Type: text/plain; name='n.txt'", "", "a", "b"},
       {},
       {"n.txt"},
       {"a\r\nb"}},
      {"quoted-printable attachment keeps its bytes",
       {"Content-Type: application/octet-stream; name=q.bin",
        "Content-Transfer-Encoding: quoted-printable", "", "a=00b=0Ac_d", "e="},
       {},
       {"q.bin"},
       {std::string("a\0b\nc_d\r\ne", 10)}},
      {"unknown encoding is stored undecoded",
       {"Content-Type: application/x-y; name=y", "Content-Transfer-Encoding: x-gzip64", "", "AAAA"},
       {},
       {"y"},
       {"AAAA"}},
      {"unnamed 7bit non-text goes to Text",
       {"Content-Type: application/octet-stream", "", "raw"},
       {"raw"},
       {},
       {}},
      {"unnamed base64 non-text is named after the subject",
       {"Subject: s", "Content-Type: application/pdf", "Content-Transfer-Encoding: base64", "",
        "QUJD"},
       {},
       {"s"},
       {"ABC"}},
      {"enclosed message parsed as a part",
       {"Subject: outer", "Content-Type: message/rfc822", "", "Subject: inner",
        "Content-Type: text/plain", "", "inner text"},
       {"inner text"},
       {},
       {}},
      {"broken uuencode kept as it came",
       {"Subject: u", "Content-Type: application/octet-stream",
        "Content-Transfer-Encoding: x-uuencode", "", "begin 644 a", "M\x01\x02"},
       {},
       {"u"},
       {"begin 644 a\r\nM\x01\x02"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TMailMessage m;
    ParseLines(m, c.lines);
    EXPECT_EQ(m.Text.Lines(), c.text);
    EXPECT_EQ(Names(m), c.names);
    for (size_t i = 0; i < c.bodies.size() && i < m.AttachedFiles.Count(); ++i)
      EXPECT_EQ(m.AttachedFiles[i].BodyBytes(), c.bodies[i]);
  }
}

TEST(SplitMultipart, DelimitersMatchWholeLinesOnly) {
  std::vector<std::string> lines = {"Content-Type: Multipart/Mixed; boundary=b",
                                    "",
                                    "preamble",
                                    "--b",
                                    "one",
                                    "--b ",
                                    "--B",
                                    "--b",
                                    "Content-Type: text/plain",
                                    "",
                                    "two",
                                    "--b--",
                                    "--b",
                                    "epilogue"};
  std::vector<TMimeLeaf> parts;
  SplitMultipart(lines, parts);
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_EQ(std::vector<std::string>(parts[0].Lines.begin(), parts[0].Lines.end()),
            (std::vector<std::string>{"one", "--b ", "--B"}));
  EXPECT_EQ(parts[1].Lines.size(), 3u);
  EXPECT_EQ(parts[1].Depth, 1);

  struct Case {
    std::string name;
    std::vector<std::string> lines;
    size_t parts;
  } cases[] = {
      {"no boundary", {"Content-Type: multipart/mixed", "", "", "a", "", "b"}, 0},
      {"no delimiter line", {"Content-Type: multipart/mixed; boundary=x", "", "a"}, 0},
      {"not a multipart", {"Content-Type: text/plain", "", "--x"}, 1},
      {"unclosed, last line kept",
       {"Content-Type: multipart/mixed; boundary=x", "", "--x", "a"},
       1},
      {"no empty line after the header",
       {"Content-Type: multipart/mixed; boundary=x", "--x", "a"},
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<TMimeLeaf> found;
    SplitMultipart(c.lines, found);
    EXPECT_EQ(found.size(), c.parts);
  }
}

// A mail of `levels` multiparts, each inside the one before, the innermost holding "deep".
std::vector<std::string> NestedMail(int levels) {
  std::vector<std::string> lines = {"Subject: nest"};
  for (int i = 0; i < levels; ++i) {
    lines.push_back("Content-Type: multipart/mixed; boundary=b" + std::to_string(i));
    lines.push_back("");
    lines.push_back("--b" + std::to_string(i));
  }
  lines.insert(lines.end(), {"Content-Type: text/plain", "", "deep"});
  return lines;
}

TEST(Parse, HostileNestingAndPartCountsAreBounded) {
  TMailMessage ok;
  ParseLines(ok, NestedMail(kMaxMimeDepth));
  EXPECT_EQ(ok.Text.Lines(), std::vector<std::string>{"deep"});
  TMailMessage deep;
  ParseLines(deep, NestedMail(kMaxMimeDepth + 1));
  EXPECT_TRUE(deep.Text.Empty());
  TMailMessage very_deep;
  ParseLines(very_deep, NestedMail(50000));
  EXPECT_TRUE(very_deep.Text.Empty());

  // Enclosed messages count as levels too.
  std::vector<std::string> enclosed;
  for (int i = 0; i < 50000; ++i)
    enclosed.insert(enclosed.end(), {"Content-Type: message/rfc822", ""});
  enclosed.push_back("x");
  TMailMessage messages;
  ParseLines(messages, enclosed);
  EXPECT_TRUE(messages.Text.Empty());

  std::vector<std::string> many = {"Subject: many", "Content-Type: multipart/mixed; boundary=p",
                                   ""};
  for (size_t i = 0; i < kMaxMimeParts + 500; ++i)
    many.insert(many.end(), {"--p", "Content-Type: text/plain; name=f.txt", "", "x"});
  auto start = std::chrono::steady_clock::now();
  TMailMessage m;
  ParseLines(m, many);
  EXPECT_EQ(m.AttachedFiles.Count(), kMaxMimeParts);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(Parse, LongHeaderLinesCostTheirLength) {
  std::string to = "To: ";
  for (int i = 0; i < 50000; ++i) to += "n(c)(c)(c) <a@b>, ";
  std::string comments = "Cc: ";
  for (int i = 0; i < 300000; ++i) comments += "(c)";
  auto start = std::chrono::steady_clock::now();
  TMailMessage m;
  ParseLines(m, {to, comments + "x@y", "Subject: " + std::string(1 << 20, 's'), "", "body"});
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(m.CC, "\"c\" <x@y>");
  EXPECT_EQ(m.Subject.size(), 1u << 20);
  EXPECT_TRUE(m.SendTo.starts_with("\"c\" <a@b>, \"c\" <a@b>, "));
}

TEST(Parse, HostileAttachmentNamesStayInTheirFolder) {
  std::vector<std::string> lines = {"Subject: " + EncodedWord(Utf8ToCp932("../..")),
                                    "Content-Type: multipart/mixed; boundary=z", ""};
  auto part = [&](std::string header) {
    lines.insert(lines.end(), {"--z", header, "Content-Transfer-Encoding: base64", "", "QQ=="});
  };
  part("Content-Type: text/csv; name=\"../../etc/passwd\"");
  part("Content-Type: text/csv; name=\"..\\\\..\\\\win.ini\"");
  part("Content-Type: text/csv; name=\"..\"");
  part("Content-Type: text/csv; name=\"" + EncodedWord(Utf8ToCp932("くぼ/表.csv")) + "\"");
  part("Content-Type: text/csv; name=\"" + Utf8ToCp932("ソ表.csv") + "\"");
  part("Content-Type: image/gif");
  TMailMessage m;
  ParseLines(m, lines);
  EXPECT_EQ(Names(m), (std::vector<std::string>{"....etcpasswd", "....win.ini", "attachment",
                                                "くぼ表.csv", "ソ表.csv", "....gif"}));
  for (size_t i = 0; i < m.AttachedFiles.Count(); ++i) {
    fs::path p = fs::path("/incoming") / m.AttachedFiles[i].FileName;
    EXPECT_EQ(p.parent_path(), "/incoming");
    EXPECT_EQ(m.AttachedFiles[i].BodyBytes(), "A");
  }
}

}  // namespace
