#include "mail/MailMessage.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>

#include "base/Cp932.h"
#include "base/Exception.h"
#include "base/FileIO.h"
#include "mail/EncodedWord.h"
#include "tests/mail/MailTestTools.h"

using namespace moriva;
namespace fs = std::filesystem;
using mailtest::ErrorText;
using mailtest::TempDir;
using std::chrono::seconds;

namespace {

const fs::path kData = fs::path(MORIVA_TEST_DATA) / "mail";

// 2026-12-06 11:15:07 UTC: 20:15:07 in Japan.
const TMailTime kNow = TMailTime(seconds(1796555707));
constexpr int kJapan = -540;

void FixClock(TMailMessage& m, TMailTime now = kNow, int bias = kJapan) {
  m.Clock = [now] { return now; };
  m.ZoneBias = [bias](TMailTime) { return bias; };
}

// The header lines of RawMail (up to the first empty line).
std::vector<std::string> HeaderLines(const TMailMessage& m) {
  std::vector<std::string> h;
  for (const std::string& line : m.RawMail) {
    if (line.empty()) break;
    h.push_back(line);
  }
  return h;
}

// Sets TZ for the scope of one test and restores it.
class ScopedTz {
 public:
  explicit ScopedTz(const char* tz) {
    if (const char* old = getenv("TZ")) old_ = old;
    setenv("TZ", tz, 1);
    tzset();
  }
  ~ScopedTz() {
    if (old_.empty())
      unsetenv("TZ");
    else
      setenv("TZ", old_.c_str(), 1);
    tzset();
  }

 private:
  std::string old_;
};

}  // namespace

TEST(FormatMailDate, Zones) {
  struct Case {
    TMailTime t;
    int bias;
    const char* text;
  } cases[] = {
      {kNow, kJapan, "Sun, 6 Dec 2026 20:15:07 +0900"},
      {kNow, 0, "Sun, 6 Dec 2026 11:15:07 GMT"},
      {kNow, 300, "Sun, 6 Dec 2026 06:15:07 -0500"},
      {kNow, -330, "Sun, 6 Dec 2026 16:45:07 +0530"},
      {kNow + seconds(13 * 3600), kJapan, "Mon, 7 Dec 2026 09:15:07 +0900"},
      {TMailTime(seconds(951782400)), 0, "Tue, 29 Feb 2000 00:00:00 GMT"},
      {TMailTime(seconds(951782399)), kJapan, "Tue, 29 Feb 2000 08:59:59 +0900"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FormatMailDate(c.t, c.bias), c.text);
  }
}

TEST(FormatMailDate, ZoneOfTheCLibrary) {
  {
    ScopedTz tz("JST-9");
    EXPECT_EQ(LocalZoneBias(kNow), kJapan);
    EXPECT_EQ(FormatMailDate(kNow), "Sun, 6 Dec 2026 20:15:07 +0900");
  }
  {
    ScopedTz tz("UTC0");
    EXPECT_EQ(FormatMailDate(kNow), "Sun, 6 Dec 2026 11:15:07 GMT");
  }
  {
    ScopedTz tz("EST5EDT,M3.2.0,M11.1.0");
    EXPECT_EQ(LocalZoneBias(kNow), 300);
    EXPECT_EQ(LocalZoneBias(kNow - seconds(150 * 86400)), 240);  // July: daylight time
  }
}

TEST(MakeMessageId, FormAndLetters) {
  std::regex form(R"(<VEX\.2026\.12\.06\.[a-t]{16}@example\.jp>)");
  std::set<char> seen;
  std::set<std::string> ids;
  for (int i = 0; i < 200; ++i) {
    std::string id = MakeMessageId("example.jp", kNow + std::chrono::nanoseconds(i), kJapan);
    ASSERT_TRUE(std::regex_match(id, form)) << id;
    seen.insert(id.begin() + 16, id.begin() + 32);
    ids.insert(id);
  }
  EXPECT_EQ(seen.size(), 20u);  // every letter a-t turns up
  EXPECT_EQ(ids.size(), 200u);
  // The date is the local date: 20:00 UTC is already the next day in Japan.
  EXPECT_THAT(MakeMessageId("x", kNow + seconds(9 * 3600), kJapan),
              testing::StartsWith("<VEX.2026.12.07."));
  EXPECT_THAT(MakeMessageId("x", kNow + seconds(9 * 3600), 0),
              testing::StartsWith("<VEX.2026.12.06."));
  EXPECT_EQ(MakeMessageId("x", kNow, kJapan), MakeMessageId("x", kNow, kJapan));
}

TEST(MakeBoundary, FormAndLetters) {
  std::regex form("--_VEX_bound_[a-y]{12}");
  std::set<char> seen;
  for (int i = 0; i < 200; ++i) {
    std::string b = MakeBoundary(kNow + std::chrono::microseconds(i));
    ASSERT_TRUE(std::regex_match(b, form)) << b;
    seen.insert(b.begin() + 13, b.end());
  }
  EXPECT_EQ(seen.size(), 25u);
}

TEST(FillRawMail, PriorityValues) {
  std::pair<TPriority, const char*> cases[] = {{prHighest, "X-Priority: 1"},
                                               {prHigh, "X-Priority: 2"},
                                               {prNormal, "X-Priority: 3"},
                                               {prLow, "X-Priority: 4"},
                                               {prLowest, "X-Priority: 5"}};
  for (const auto& [priority, line] : cases) {
    SCOPED_TRACE(line);
    TMailMessage m;
    FixClock(m);
    m.From = "a@b";
    m.Priority = priority;
    m.FillRawMail();
    EXPECT_EQ(m.RawMail[2], line);
  }
  TMailMessage fresh;
  EXPECT_EQ(fresh.Priority, prNormal);
  EXPECT_EQ(fresh.CharSet, "ISO-8859-1");
  EXPECT_TRUE(fresh.ClearRawMailAfterParse);
}

TEST(FillRawMail, HeaderOrderWithoutAttachments) {
  TMailMessage m;
  FixClock(m);
  m.From = "taro@example.jp";
  m.SendTo = "hs110@phone.example, other@example.com";
  m.Date = m.MailDateNow();
  m.XMailer = "Moriva (UnKnown)";
  m.Subject = "Moriva";
  m.CharSet = "ISO-2022-JP";
  m.Text = {"line one", "", "line three"};
  std::string id = MakeMessageId("example.jp", kNow, kJapan);
  m.FillRawMail();
  EXPECT_EQ(m.RawMail.Lines(), (std::vector<std::string>{
                                   "Message-Id: " + id,
                                   "Date: Sun, 6 Dec 2026 20:15:07 +0900",
                                   "X-Priority: 3",
                                   "From: taro@example.jp",
                                   "X-Mailer: Moriva (UnKnown)",
                                   "To: hs110@phone.example, other@example.com",
                                   "MIME-Version: 1.0",
                                   "Subject: Moriva",
                                   "Content-Type: text/plain; charset=ISO-2022-JP",
                                   "Content-Transfer-Encoding: 7bit",
                                   "",
                                   "line one",
                                   "",
                                   "line three",
                               }));
}

TEST(FillRawMail, OptionalHeadersInPlaceAndBccNeverWritten) {
  TMailMessage m;
  FixClock(m);
  m.From = "taro@example.jp";
  m.InReplyTo = "<prev@example.jp>";
  m.ReplyTo = "reply@example.jp";
  m.CC = "cc@example.jp";
  m.BCC = "hidden@secret.example";
  m.ExtraHeaders = {"X-One: 1", "X-Two: 2"};
  m.Text = {"see hidden@secret.example"};
  m.Text.Clear();
  m.FillRawMail();
  std::vector<std::string> keys;
  for (const std::string& line : HeaderLines(m)) keys.push_back(line.substr(0, line.find(':')));
  EXPECT_EQ(keys, (std::vector<std::string>{"Message-Id", "Date", "X-Priority", "From",
                                            "In-Reply-To", "Reply-To", "X-Mailer", "To", "CC",
                                            "MIME-Version", "Subject", "Content-Type",
                                            "Content-Transfer-Encoding", "X-One", "X-Two"}));
  for (const std::string& line : m.RawMail) EXPECT_EQ(line.find("secret"), std::string::npos);
  EXPECT_EQ(m.RawMail.Count(), HeaderLines(m).size() + 1);  // empty line, no body
}

TEST(FillRawMail, FromWithoutAtRaisesAndLeavesRawMailEmpty) {
  TMailMessage m;
  FixClock(m);
  m.From = "user";
  m.RawMail = {"old line"};
  EXPECT_EQ(ErrorText([&] { m.FillRawMail(); }), "\"From\" address not complete.");
  EXPECT_TRUE(m.RawMail.Empty());
}

TEST(FillRawMail, SenderNameIsEncodedOnce) {
  TMailMessage m;
  FixClock(m);
  m.From = "hanako@example.jp";
  m.UserName = Utf8ToCp932("森田");
  m.FillRawMail();
  std::string encoded = EncodeDisplayName(Utf8ToCp932("森田"));
  ASSERT_EQ(encoded.substr(0, 2), "=?");
  EXPECT_EQ(m.UserName, encoded);
  // Encoded words are never put inside quotes.
  EXPECT_EQ(m.RawMail[3], "From: " + encoded + " <hanako@example.jp>");
  // Composing again keeps the encoded name as it is.
  m.FillRawMail();
  EXPECT_EQ(m.UserName, encoded);
  EXPECT_EQ(m.RawMail[3], "From: " + encoded + " <hanako@example.jp>");
  // Plain names are quoted only when a bare name could not hold them.
  for (auto [name, line] : {std::pair{"Taro", "From: Taro <hanako@example.jp>"},
                            {"Moriva (UnKnown)", "From: \"Moriva (UnKnown)\" <hanako@example.jp>"},
                            {"a \"b\" \\c", "From: \"a \\\"b\\\" \\\\c\" <hanako@example.jp>"}}) {
    m.UserName = name;
    m.FillRawMail();
    EXPECT_EQ(m.RawMail[3], line);
  }
}

TEST(FillRawMail, LongAndHostileHeaderValuesStayInTheirHeader) {
  TMailMessage m;
  FixClock(m);
  m.From = "a@b";
  m.Subject = std::string(60, 'x') + " " + std::string(10, 'x');
  m.FillRawMail();
  EXPECT_EQ(m.RawMail[7], "Subject: " + std::string(60, 'x'));
  EXPECT_EQ(m.RawMail[8], " " + std::string(10, 'x'));
  m.Subject = "hi\r\n\r\nBcc: evil@example.com";
  m.FillRawMail();
  EXPECT_EQ(m.RawMail[7], "Subject: hi");
  EXPECT_EQ(m.RawMail[8], " Bcc: evil@example.com");
  EXPECT_EQ(m.RawMail[9], "Content-Type: text/plain; charset=ISO-8859-1");
}

TEST(FillRawMail, BodyIsJisAndDotStuffed) {
  TMailMessage m;
  FixClock(m);
  m.From = "a@b";
  m.Text = {".", ".x", "x.", "", Utf8ToCp932("予定"), "..", " ."};
  m.FillRawMail();
  std::vector<std::string> body(m.RawMail.begin() + 11, m.RawMail.end());
  EXPECT_EQ(body,
            (std::vector<std::string>{"..", "..x", "x.", "", "\x1B$BM=Dj\x1B(J", "...", " ."}));
}

TEST(FillRawMail, ComposedMailMatchesGoldenFile) {
  TempDir dir;
  fs::path csv = dir.Path() / "SCHEDULE.CSV";
  std::string content;
  for (int i = 0; i < 40; ++i)
    content += Utf8ToCp932("2026,12,6,,,\"会議- 本社- 10:30:0- TRUE\"\r\n");
  WriteFileAtomically(csv, content);

  TMailMessage m;
  FixClock(m);
  m.AttachedFiles.MimeTypesFile = kData / "mime.types";
  m.From = "taro@example.jp";
  m.UserName = Utf8ToCp932("森田");
  m.SendTo = "hs110@phone.example";
  m.BCC = "me@example.jp";
  m.Date = m.MailDateNow();
  m.XMailer = "Moriva (UnKnown)";
  m.Subject = Utf8ToCp932("予定");
  m.CharSet = "ISO-2022-JP";
  m.Text = {Utf8ToCp932("予定を送ります。"), "."};
  m.AttachedFiles.Add(csv.string());
  int pumps = 0;
  m.AttachedFiles.ProcessMessages = [&] { ++pumps; };
  m.FillRawMail();
  EXPECT_EQ(pumps, 1);  // the item was added before the hook was set: only composition pumps
  EXPECT_EQ(m.AttachedFiles[0].BodyBytes(), content);
  // MORIVA_UPDATE_GOLDEN=1 rewrites the file after a deliberate change; review the diff.
  if (getenv("MORIVA_UPDATE_GOLDEN"))
    WriteFileAtomically(kData / "composed_attachment.eml", m.RawMail.Text());
  std::string golden = ReadFileBytes(kData / "composed_attachment.eml");
  EXPECT_EQ(m.RawMail.Text(), golden);
}

TEST(FillRawMail, AttachmentFailuresLeaveRawMailEmpty) {
  TMailMessage m;
  FixClock(m);
  m.From = "a@b";
  m.RawMail = {"old"};
  m.AttachedFiles.Add("/nonexistent/SCHEDULE.CSV");
  EXPECT_THROW(m.FillRawMail(), EFileError);
  EXPECT_TRUE(m.RawMail.Empty());

  m.AttachedFiles.Clear();
  m.AttachedFiles.ProcessMessages = [&] { m.AttachedFiles[0].Cancelled = true; };
  m.AttachedFiles.Add("x").SetBody("data");
  EXPECT_EQ(ErrorText([&] { m.FillRawMail(); }), "Operation aborted");
  EXPECT_TRUE(m.RawMail.Empty());
}
