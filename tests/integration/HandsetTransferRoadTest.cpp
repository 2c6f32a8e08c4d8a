// The send and receive roads end to end: aiosmtpd receives the schedule, a stand-in for the
// handset answers through Dovecot, the receive brings it back and the merge takes it in.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/Cp932.h"
#include "base/FileIO.h"
#include "calendar/Julius.h"
#include "formats/CsvMerge.h"
#include "formats/PhoneCsv.h"
#include "tests/handset/HandsetTransferTestTools.h"
#include "tests/integration/MailTestServers.h"

namespace moriva {
namespace {

namespace fs = std::filesystem;
using mailroad::ErrorTexts;
using mailroad::HandsetCsv;
using mailroad::HandsetMail;
using mailroad::LocalSettings;
using mailroad::TDovecotBox;
using mailroad::TRoadFolder;
using ::testing::Contains;
using ::testing::StartsWith;

// A receive client on the fixture's Dovecot that records the commands it sends.
struct Receiver {
  TPop3Client pop;
  std::vector<std::string> commands;

  explicit Receiver(TRoadFolder& f) {
    pop.TimeOut = 5000;
    pop.OnError = ErrorBoxHandler(f.dialogs);
    pop.OnSendTextToSocket = [this](TPop3Client&, const std::string& s) {
      commands.push_back(s.substr(0, s.find('\r')));
    };
  }
  TReceiveResult Run(TRoadFolder& f, std::vector<fs::path>& files) {
    commands.clear();
    return ReceiveFromPhone(pop, f.context, files);
  }
  int Fetched(const char* command) const {
    return static_cast<int>(std::count_if(commands.begin(), commands.end(),
                                          [&](const auto& c) { return c.rfind(command, 0) == 0; }));
  }
};

std::vector<std::string> UidlLines(const TRoadFolder& f) {
  TLineList ids;
  ids.LoadFromFile(f.UidlFile());
  return ids.Lines();
}

TEST(HandsetTransferRoadTest, RoundTripThroughBothServersMergesEachItemOnce) {
  TDovecotBox box(5);
  TRoadFolder f;
  const std::string phone = "phone-" + std::to_string(getpid()) + "@example.jp";
  TMailSettings settings =
      LocalSettings(testing::SmtpServer().Port, box.server.Port, box.user, box.password);
  settings.HandsetEMail = phone;
  settings.Sender = Utf8ToCp932("山田 花子");
  f.WriteSettings(settings);

  TLineList schedule;
  schedule.Add(Utf8ToCp932("2026,2026,12,1,,,\"済んだ予定- - 9:0:0- FALSE\""));
  schedule.Add(Utf8ToCp932("2027,2027,1,5,,,\"会議- 本社- 10:30:0- TRUE\""));
  schedule.Add(Utf8ToCp932("2027,2027,2,11,,,\"歯医者- - 15:0:0- FALSE\""));
  const int32_t today = DateToJulius(2026, 12, 7);

  // Send.
  const fs::path csv = WriteOutgoingPhoneCsv(f.dir.Path(), schedule, today);
  TSmtpClient smtp;
  smtp.TimeOut = 5000;
  smtp.OnError = ErrorBoxHandler(f.dialogs);
  TPhoneMail mail{std::string(kPhoneSubject), PhoneMessageBody(2026, 12, 7, 9, 5), {csv}};
  ASSERT_EQ(SendToPhone(smtp, f.context, mail), TSendResult::Sent);
  EXPECT_EQ(f.dialogs.MessageTexts(), std::vector<std::string>{"送信完了しました。"});

  const std::vector<mailroad::TDelivered> delivered = mailroad::DeliveredTo(phone);
  ASSERT_EQ(delivered.size(), 1u);
  EXPECT_EQ(delivered[0].Subject, "Moriva");
  EXPECT_EQ(delivered[0].Body, "Moriva Message 26/12/07 09:05");
  EXPECT_EQ(delivered[0].XMailer, PhoneXMailer());
  EXPECT_EQ(delivered[0].AttachmentName, "SCHEDULE.CSV");
  EXPECT_EQ(delivered[0].Attachment, ReadFileBytes(csv));
  EXPECT_EQ(delivered[0].Attachment, BuildPhoneCsv(schedule, today).Text());

  // The handset answers with what it holds and one item of its own, among other mails.
  const std::string answer =
      HandsetCsv(delivered[0].Attachment,
                 {Utf8ToCp932("\"買い物\",\"駅前\",\"2027/3/3\",\"18:0:0\",\"false\"")});
  const std::string other = box.Put(HandsetMail("hello", "NOTE.CSV", "x\r\n"));
  box.Put(HandsetMail("mrv", "HS110.CSV", answer));
  box.Put(HandsetMail("mrv later", "LATER.CSV", "y\r\n"));

  Receiver receiver(f);
  std::vector<fs::path> files;
  f.dialogs.Reset();
  TReceiveResult r = receiver.Run(f, files);
  EXPECT_EQ(r.Count, 1);
  EXPECT_EQ(r.Outcome, TReceiveOutcome::Done);
  EXPECT_TRUE(f.dialogs.Calls.empty());
  ASSERT_EQ(files, std::vector<fs::path>{f.Incoming() / "HS110.CSV"});
  EXPECT_EQ(ReadFileBytes(files[0]), answer);
  EXPECT_EQ(receiver.Fetched("TOP"), 3);
  EXPECT_EQ(receiver.Fetched("RETR"), 1);
  EXPECT_EQ(receiver.Fetched("DELE"), 0);
  EXPECT_EQ(UidlLines(f).size(), 3u);

  const TMergeResult merged = MergeCsvFile(files[0], schedule);
  EXPECT_EQ(merged.Added, 1u);
  EXPECT_EQ(merged.Duplicates, 2u);
  EXPECT_EQ(schedule.Count(), 4u);
  EXPECT_EQ(schedule[3], Utf8ToCp932("2027,2027,3,3,,,\"買い物- 駅前- 18:0:0- FALSE\""));

  // Nothing new: nothing is fetched, and the panel gets the count 0 from the caller. The id
  // list, unchanged, is not written again (an atomic write would replace the file).
  const auto ino = [&] {
    struct stat st {};
    ::stat(f.UidlFile().c_str(), &st);
    return st.st_ino;
  };
  const auto first_ino = ino();
  files.clear();
  r = receiver.Run(f, files);
  EXPECT_EQ(r.Count, 0);
  EXPECT_TRUE(r.UidlSaved);
  EXPECT_EQ(receiver.Fetched("TOP") + receiver.Fetched("RETR"), 0);
  EXPECT_TRUE(files.empty());
  EXPECT_EQ(UidlLines(f).size(), 3u);
  EXPECT_EQ(ino(), first_ino);

  // A mail that has left the server leaves the id list too.
  box.Remove(other);
  r = receiver.Run(f, files);
  EXPECT_EQ(r.Outcome, TReceiveOutcome::Done);
  EXPECT_EQ(UidlLines(f).size(), 2u);
  EXPECT_NE(ino(), first_ino);
  EXPECT_EQ(receiver.Fetched("TOP"), 0);
}

TEST(HandsetTransferRoadTest, WithoutIdListEveryScheduleMailIsFetchedEveryTimeWithApop) {
  TDovecotBox box(6);
  TRoadFolder f;
  TMailSettings settings = LocalSettings(0, box.server.Port, box.user, box.password);
  settings.APOP = true;
  settings.NoUIDL = true;
  f.WriteSettings(settings);
  box.Put(HandsetMail("mrv", "A.CSV", "a\r\n"));
  box.Put(HandsetMail("other", "B.CSV", "b\r\n"));
  box.Put(HandsetMail("Mrv", "C.CSV", "c\r\n"));

  Receiver receiver(f);
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE(run);
    std::vector<fs::path> files;
    const TReceiveResult r = receiver.Run(f, files);
    EXPECT_EQ(r.Count, 2);
    EXPECT_EQ(r.Outcome, TReceiveOutcome::Done);
    EXPECT_THAT(receiver.commands, Contains(StartsWith("APOP " + box.user + " ")));
    EXPECT_EQ(receiver.Fetched("RETR"), 2);
    EXPECT_EQ(files.size(), 2u);
    EXPECT_THAT(f.status.TextsOf(kPositionPanel), Contains("3/3"));
  }
  EXPECT_FALSE(fs::exists(f.UidlFile()));
  EXPECT_TRUE(f.dialogs.Calls.empty());
  // Subjects are lowered before the comparison, the word is not: capitals never match.
  f.SetSubjectWord("Mrv");
  std::vector<fs::path> none;
  EXPECT_EQ(receiver.Run(f, none).Count, 0);
  EXPECT_EQ(receiver.Fetched("RETR"), 0);
}

// A cancel that comes after the third mail was handled records three ids; one that interrupts
// the third mail's reception records two, and that mail comes again at the next receive.
TEST(HandsetTransferRoadTest, CancelDuringTheThirdOfFiveMails) {
  for (bool inside : {false, true}) {
    SCOPED_TRACE(inside ? "inside the reception" : "after the mail was fetched");
    TDovecotBox box(inside ? 8 : 7);
    TRoadFolder f;
    f.WriteSettings(LocalSettings(0, box.server.Port, box.user, box.password));
    for (int i = 1; i <= 5; ++i)
      box.Put(HandsetMail("mrv", "M" + std::to_string(i) + ".CSV", std::to_string(i) + "\r\n"));

    Receiver receiver(f);
    int full_fetches = 0;
    bool asked = false;
    auto record = receiver.pop.OnSendTextToSocket;
    receiver.pop.OnSendTextToSocket = [&](TPop3Client& pop, const std::string& s) {
      record(pop, s);
      if (s.rfind("RETR ", 0) == 0 && ++full_fetches == 3 && inside) asked = true;
    };
    // The window's cancel arrives through the pump.
    f.context.CancelRequested = [&] { return asked; };
    receiver.pop.OnAfterRetrieve = [&](TPop3Client& pop) {
      if (!inside && full_fetches == 3) pop.Cancel();
    };

    std::vector<fs::path> files;
    TReceiveResult r = receiver.Run(f, files);
    const int handled = inside ? 2 : 3;
    EXPECT_EQ(r.Outcome, TReceiveOutcome::Cancelled);
    EXPECT_TRUE(r.UidlSaved);
    EXPECT_EQ(r.Count, handled);
    EXPECT_EQ(files.size(), static_cast<size_t>(handled));
    EXPECT_EQ(UidlLines(f).size(), static_cast<size_t>(handled));
    EXPECT_EQ(receiver.commands.back(), "QUIT");

    asked = false;
    receiver.pop.OnAfterRetrieve = nullptr;
    files.clear();
    r = receiver.Run(f, files);
    EXPECT_EQ(r.Outcome, TReceiveOutcome::Done);
    EXPECT_EQ(r.Count, 5 - handled);
    EXPECT_EQ(UidlLines(f).size(), 5u);
  }
}

TEST(HandsetTransferRoadTest, WrongPasswordOrNoServerLeaveTheIdListAsItWas) {
  TDovecotBox box(9);
  box.Put(HandsetMail("mrv", "A.CSV", "a\r\n"));
  struct Case {
    const char* name;
    bool wrong_password;
  } cases[] = {{"wrong password", true}, {"nothing listening", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TRoadFolder f;
    const int port = c.wrong_password ? box.server.Port : mailroad::RefusingPort();
    f.WriteSettings(LocalSettings(0, port, box.user, c.wrong_password ? "wrong" : box.password));
    WriteFileAtomically(f.UidlFile(), "known\r\n");
    Receiver receiver(f);
    std::vector<fs::path> files;
    const TReceiveResult r = receiver.Run(f, files);
    EXPECT_EQ(r.Outcome, TReceiveOutcome::CannotConnect);
    EXPECT_EQ(r.Count, 0);
    const std::vector<std::string> errors = ErrorTexts(f.dialogs);
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors.back(), "サーバーへ接続できませんでした。");
    // Only the refused login has the server's own text before it.
    EXPECT_EQ(errors.size(), c.wrong_password ? 2u : 1u);
    EXPECT_EQ(ReadFileBytes(f.UidlFile()), "known\r\n");
    EXPECT_FALSE(fs::exists(f.Incoming()));
  }
}

TEST(HandsetTransferRoadTest, EachAttachmentIsSavedOnceAndAnUnwritableIdListIsReported) {
  TDovecotBox box(10);
  TRoadFolder f;
  f.WriteSettings(LocalSettings(0, box.server.Port, box.user, box.password));
  // A single-part mail whose only part is the file: the header block alone declares it.
  const std::string data = Utf8ToCp932("件名\r\n\"会議\",\"2030/1/1\",\"9:00\",\"true\"\r\n");
  std::vector<std::string> single = {"From: phone@example.jp",
                                     "Subject: mrv",
                                     "Content-Type: text/csv; name=\"SAME.CSV\"",
                                     "Content-Transfer-Encoding: base64",
                                     "",
                                     Base64EncodeText(data)};
  box.Put(single);
  box.Put(HandsetMail("mrv", "SAME.CSV", "later\r\n"));
  fs::create_directories(f.UidlFile());  // a folder where the list should be written

  Receiver receiver(f);
  std::vector<fs::path> files;
  const TReceiveResult r = receiver.Run(f, files);
  EXPECT_EQ(r.Count, 2);
  // The user is told; the mails will come again, and the merge takes each item once.
  EXPECT_EQ(r.Outcome, TReceiveOutcome::Failed);
  EXPECT_FALSE(r.UidlSaved);
  EXPECT_EQ(f.status.Panels[kStatusPanel], "UIDL Error");
  EXPECT_EQ(ErrorTexts(f.dialogs), std::vector<std::string>{CannotCreateMessage(f.UidlFile())});
  // Both mails wrote the same name; the later one is what the file holds, listed once.
  EXPECT_EQ(files, std::vector<fs::path>{f.Incoming() / "SAME.CSV"});
  const std::string saved = ReadFileBytes(files[0]);
  EXPECT_TRUE(saved == data || saved == "later\r\n") << saved;
  EXPECT_EQ(fs::file_size(files[0]), saved.size());

  // The single-part mail alone: its file holds the data, not an empty first copy.
  TDovecotBox alone(11);
  TRoadFolder g;
  g.WriteSettings(LocalSettings(0, alone.server.Port, alone.user, alone.password));
  alone.Put(single);
  Receiver again(g);
  std::vector<fs::path> one;
  EXPECT_EQ(again.Run(g, one).Count, 1);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(ReadFileBytes(one[0]), data);
}

// Mails as today's phones write them, by Python's email package: the subject in UTF-8 as a B
// word, a Q word and raw 8-bit text, the schedule a UTF-8 CSV with and without a byte-order
// mark. The subject word matches each; the names and the status panel show the decoded texts.
TEST(HandsetTransferRoadTest, MailsInUtf8FromTodaysPhonesAreReceivedAndMerged) {
  constexpr const char* kWriter = R"(
import sys, email.policy
from email import encoders
from email.charset import Charset, QP
from email.header import Header
from email.message import EmailMessage
from email.mime.base import MIMEBase
from email.mime.multipart import MIMEMultipart
from email.mime.text import MIMEText
form, subject, row = sys.argv[1].split('|')
csv = '件名,場所,日付,時刻,アラーム\r\n' + row + '\r\n'
name = '予定表-' + form + '.csv'
if form == 'q':
    qp = Charset('utf-8')
    qp.header_encoding = QP
    m = MIMEMultipart()
    m['From'] = Header('携帯 電話', qp).encode() + ' <phone@example.jp>'
    m['Subject'] = Header(subject, qp)
    m.attach(MIMEText('schedule'))
    part = MIMEBase('text', 'csv')
    part.set_payload(csv.encode('utf-8'))
    encoders.encode_base64(part)
    part.add_header('Content-Disposition', 'attachment', filename=Header(name, qp).encode())
    m.attach(part)
else:
    m = EmailMessage(policy=email.policy.SMTPUTF8 if form == '8bit' else email.policy.SMTP)
    m['From'] = '携帯 電話 <phone@example.jp>'
    m['Subject'] = subject
    m.set_content('schedule')
    data = ('\ufeff' if form == 'b' else '') + csv
    m.add_attachment(data.encode('utf-8'), maintype='text', subtype='csv', filename=name)
sys.stdout.buffer.write(m.as_bytes())
)";
  struct Mail {
    const char *form, *subject, *row, *subjectLine;
  } mails[] = {
      {"b", "予定表 12月", "買い物,駅前,2027/3/3,18:00,false", "Subject: =?utf-8?b?"},
      {"q", "予定表 12月", "会議,本社,2027/3/4,10:00,true", "Subject: =?utf-8?q?"},
      {"other", "予定表 11月", "古い予定,,2027/3/9,9:00,false", "Subject: =?utf-8?b?"},
      {"8bit", "予定表 12月", "歯医者,,2027/3/5,9:00,false", "Subject: 予定表 12月"},
  };
  TDovecotBox box(17);
  TRoadFolder f;
  f.WriteSettings(LocalSettings(0, box.server.Port, box.user, box.password));
  f.SetSubjectWord(Utf8ToCp932("予定表 12月"));
  oracle::TempDir work;
  for (const Mail& m : mails) {
    const std::vector<std::string> lines = SplitLines(
        oracle::RunPython(work, kWriter, std::string(m.form) + "|" + m.subject + "|" + m.row));
    EXPECT_THAT(lines, Contains(StartsWith(m.subjectLine))) << m.form;
    box.Put(lines);
  }

  Receiver receiver(f);
  TLineList schedule;
  const TReceiveAndMerge r = ReceiveIntoSchedule(receiver.pop, f.context, schedule);
  EXPECT_EQ(r.Received.Count, 3);
  EXPECT_TRUE(f.dialogs.Calls.empty());
  EXPECT_EQ(r.Files,
            (std::vector<fs::path>{f.Incoming() / "予定表-b.csv", f.Incoming() / "予定表-q.csv",
                                   f.Incoming() / "予定表-8bit.csv"}));
  ASSERT_TRUE(r.Merged);
  EXPECT_EQ(r.Merged->Added, 3u);
  EXPECT_EQ(schedule.Lines(),
            (std::vector<std::string>{Utf8ToCp932("2027,2027,3,3,,,\"買い物- 駅前- 18:00- FALSE\""),
                                      Utf8ToCp932("2027,2027,3,4,,,\"会議- 本社- 10:00- TRUE\""),
                                      Utf8ToCp932("2027,2027,3,5,,,\"歯医者- - 9:00- FALSE\"")}));
  EXPECT_THAT(f.status.TextsOf(kStatusPanel), Contains("予定表 12月"));
  EXPECT_THAT(f.status.TextsOf(kStatusPanel), Contains("予定表 11月"));
}

}  // namespace
}  // namespace moriva
