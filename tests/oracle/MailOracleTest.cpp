// Composed mails read back by an independent MIME reader: Python's email package.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

#include "base/Cp932.h"
#include "mail/AttachmentName.h"
#include "mail/MailMessage.h"
#include "mail/MimeParser.h"
#include "tests/oracle/OracleTool.h"

using namespace moriva;
using moriva::oracle::RunPython;
using moriva::oracle::TempDir;

namespace {

// Prints what a mail reader shows of the message, every text as hex of its UTF-8 bytes:
// "subject H", "name H", "addr H", then "part TYPE FILENAME-H PAYLOAD-H" per leaf part.
constexpr const char* kReader = R"(
import sys, email, email.policy
msg = email.message_from_bytes(open(sys.argv[1], 'rb').read(), policy=email.policy.default)
h = lambda s: (s or '').encode('utf-8').hex() or '-'
sender = msg['from'].addresses[0]
print('subject', h(str(msg['subject'])))
print('name', h(sender.display_name))
print('addr', h(sender.addr_spec))
print('bcc', h(msg['bcc']))
for part in msg.walk():
    if part.is_multipart():
        continue
    if part.get_content_maintype() == 'text' and not part.get_filename():
        payload = part.get_content().encode('utf-8')
    else:
        payload = part.get_payload(decode=True)
    print('part', part.get_content_type(), h(part.get_filename()), payload.hex() or '-')
)";

std::string Hex(std::string_view bytes) {
  static const char* digits = "0123456789abcdef";
  std::string s;
  for (unsigned char c : bytes) {
    s += digits[c >> 4];
    s += digits[c & 15];
  }
  return s.empty() ? "-" : s;
}

struct ReadBack {
  std::map<std::string, std::string> fields;    // subject, name, addr, bcc
  std::vector<std::vector<std::string>> parts;  // type, file name, payload
};

ReadBack ReadWithPython(const TempDir& dir, const TMailMessage& m) {
  std::string mail = dir.Write("mail.eml", m.RawMail.Text());
  std::istringstream out(RunPython(dir, kReader, mail));
  ReadBack r;
  std::string key, line;
  while (std::getline(out, line)) {
    std::istringstream words(line);
    words >> key;
    std::vector<std::string> values;
    for (std::string w; words >> w;) values.push_back(w);
    if (key == "part")
      r.parts.push_back(values);
    else if (!values.empty())
      r.fields[key] = values[0];
  }
  return r;
}

void FixClock(TMailMessage& m) {
  m.Clock = [] { return TMailTime(std::chrono::seconds(1796555707)); };
  m.ZoneBias = [](TMailTime) { return -540; };
}

}  // namespace

TEST(MailOracle, PythonReadsJapaneseSubjectSenderAndAttachment) {
  TempDir dir;
  std::string csv;
  for (int i = 0; i < 30; ++i) csv += Utf8ToCp932("2026,12,6,,,\"会議- 本社- 10:30:0- TRUE\"\r\n");
  csv += std::string("\x00\xFF\x80 binary tail", 15);
  std::string csv_path = dir.Write("SCHEDULE.CSV", csv);

  TMailMessage m;
  FixClock(m);
  m.From = "taro@example.jp";
  m.UserName = Utf8ToCp932("森田太郎");
  m.SendTo = "hs110@phone.example";
  m.BCC = "hidden@example.jp";
  m.Date = m.MailDateNow();
  m.Subject = Utf8ToCp932("予定表");
  m.CharSet = "ISO-2022-JP";
  m.Text = {Utf8ToCp932("予定を送ります。"), "second line"};
  m.AttachedFiles.MimeTypesFile = std::string(MORIVA_TEST_DATA) + "/mail/mime.types";
  m.AttachedFiles.Add(csv_path);
  m.FillRawMail();

  ReadBack r = ReadWithPython(dir, m);
  EXPECT_EQ(r.fields["subject"], Hex("予定表"));
  EXPECT_EQ(r.fields["name"], Hex("森田太郎"));
  EXPECT_EQ(r.fields["addr"], Hex("taro@example.jp"));
  EXPECT_EQ(r.fields["bcc"], "-");
  ASSERT_EQ(r.parts.size(), 2u);
  // The line end before a delimiter belongs to the delimiter, so the text ends without one.
  EXPECT_EQ(r.parts[0],
            (std::vector<std::string>{"text/plain", "-", Hex("予定を送ります。\r\nsecond line")}));
  EXPECT_EQ(r.parts[1], (std::vector<std::string>{"text/csv", Hex("SCHEDULE.CSV"), Hex(csv)}));
}

TEST(MailOracle, PythonReadsFoldedLongNamesAndJapaneseFileNames) {
  TempDir dir;
  std::string bytes = "plain content\r\n";
  std::string path = dir.Write("data.bin", bytes);

  TMailMessage m;
  FixClock(m);
  m.From = "hanako@example.jp";
  // Long enough to be folded over several header lines.
  m.UserName = Utf8ToCp932("森田花子森田花子森田花子森田花子森田花子");
  m.Subject = Utf8ToCp932("予定表の送信です予定表の送信です予定表の送信です");
  m.AttachedFiles.Add(path).FileName = Utf8ToCp932("予定表予定表予定表予定表予定表予定表.csv");
  m.FillRawMail();
  m.FillRawMail();  // a second composition must not spoil the encoded name

  ReadBack r = ReadWithPython(dir, m);
  EXPECT_EQ(r.fields["subject"], Hex("予定表の送信です予定表の送信です予定表の送信です"));
  EXPECT_EQ(r.fields["name"], Hex("森田花子森田花子森田花子森田花子森田花子"));
  ASSERT_EQ(r.parts.size(), 2u);
  EXPECT_EQ(r.parts[1][1], Hex("予定表予定表予定表予定表予定表予定表.csv"));
  EXPECT_EQ(r.parts[1][2], Hex(bytes));
}

// Names and subjects as a reader shows them: blanks between Japanese words kept, half-width
// kana as full-width, plain names quoted only where needed, plain subjects folded at blanks only
// (lines of at most 78 characters) and read back whole.
TEST(MailOracle, PythonReadsNamesWithBlanksKanaAndUncutPlainSubjects) {
  const std::string sentence = "Schedule synchronisation for December 2026, all day events; ";
  struct Case {
    const char *name, *subject, *shownName, *shownSubject;
  } cases[] = {
      {"予定 太郎", "予定 会議 の お知らせ", "予定 太郎", "予定 会議 の お知らせ"},
      {"ﾓﾘﾀ 太郎", "ｽｹｼﾞｭｰﾙ ｶﾞｲﾄﾞ", "モリタ 太郎", "スケジュール ガイド"},
      {"予定 (本社)", "Re: 予定  本社", "予定 (本社)", "Re: 予定  本社"},
      {"Yamada, Taro (HQ)", "Schedule-synchronisation-for-December-2026", "Yamada, Taro (HQ)",
       "Schedule-synchronisation-for-December-2026"},
      {"Taro \"T\" Yamada", nullptr, "Taro \"T\" Yamada", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string long_subject = sentence + sentence + sentence;
    const std::string subject =
        c.subject ? c.subject : long_subject.substr(0, long_subject.size() - 1);
    TempDir dir;
    TMailMessage m;
    FixClock(m);
    m.From = "taro@example.jp";
    m.UserName = Utf8ToCp932(c.name);
    m.Subject = Utf8ToCp932(subject);
    m.FillRawMail();
    // Encoded words never stand inside quotes.
    if (Utf8ToCp932(c.name).find_first_of("\x82\x83\x97\xD3") != std::string::npos)
      EXPECT_EQ(m.RawMail[3].find('"'), std::string::npos) << m.RawMail[3];
    ReadBack r = ReadWithPython(dir, m);
    EXPECT_EQ(r.fields["name"], Hex(c.shownName));
    EXPECT_EQ(r.fields["subject"], Hex(c.subject ? c.shownSubject : subject));
    size_t at = 0;
    while (!m.RawMail[at].starts_with("Subject:")) ++at;
    do EXPECT_LE(m.RawMail[at].size(), 78u) << m.RawMail[at];
    while (m.RawMail[++at].starts_with(" "));
  }
}

// Attachment names as another mailer writes them beyond ASCII (charset'language'%-bytes, in
// sections when long), and base64 lines with a blank at their end: every byte comes back.
TEST(MailOracle, PythonWrittenExtendedNamesAndBlankedBase64ReadBack) {
  constexpr const char* kWriter = R"(
import sys, email.policy
from email.message import EmailMessage
from email.mime.multipart import MIMEMultipart
from email.mime.application import MIMEApplication
data = bytes(range(256)) * 3
if sys.argv[1] == 'utf-8':
    m = EmailMessage()
    m['Subject'] = 'mrv'
    m.set_content('hi')
    for name in ('予定.csv', '予定表' * 11 + '.csv'):
        m.add_attachment(data, maintype='application', subtype='octet-stream', filename=name)
    sys.stdout.buffer.write(m.as_bytes(policy=email.policy.SMTP))
else:
    m = MIMEMultipart()
    m['Subject'] = 'mrv'
    part = MIMEApplication(data)
    part.add_header('Content-Disposition', 'attachment', filename=(sys.argv[1], '', '予定.csv'))
    m.attach(part)
    sys.stdout.buffer.write(m.as_bytes())
)";
  std::string data;
  for (int i = 0; i < 3; ++i)
    for (int b = 0; b < 256; ++b) data += static_cast<char>(b);
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"utf-8",
       {"予定.csv", "予定表予定表予定表予定表予定表予定表予定表予定表予定表予定表予定表.csv"}},
      {"iso-2022-jp", {"予定.csv"}},
      {"shift_jis", {"予定.csv"}},
  };
  TempDir dir;
  for (const auto& [charset, names] : cases) {
    SCOPED_TRACE(charset);
    const std::string mail = RunPython(dir, kWriter, charset);
    std::vector<std::string> lines = SplitLines(mail);
    int blanked = 0;
    for (std::string& line : lines)
      if (line.size() == 76 &&
          line.find_first_not_of(
              "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/") ==
              std::string::npos) {
        line += " ";
        ++blanked;
      }
    EXPECT_GT(blanked, 0);
    TMailMessage m;
    m.RawMail.Assign(std::move(lines));
    Parse(m);
    ASSERT_EQ(m.AttachedFiles.Count(), names.size());
    for (size_t i = 0; i < names.size(); ++i) {
      const TAttachedFile& file = m.AttachedFiles[i];
      EXPECT_EQ(AttachmentFileName(file.FileName, "APPLICATION/OCTET-STREAM", m.Subject), names[i]);
      EXPECT_EQ(file.BodyBytes(), data);
    }
  }
}
