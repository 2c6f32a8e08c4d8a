// The files a receive writes, "uidl.ini" and the attachments in "incoming", under write faults
// (see WriteFaults.h) and with the receiving process killed at random moments (KillFaults.h).
// A receive that could not write a file tells the user and fails; it never reports success.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "base/Cp932.h"
#include "base/FileIO.h"
#include "tests/handset/Pop3Script.h"
#include "tests/support/CliRun.h"
#include "tests/support/KillFaults.h"
#include "tests/support/WriteFaults.h"

namespace moriva {
namespace {

namespace fs = std::filesystem;
using mailroad::ErrorTexts;
using mailroad::PlayDialogue;
using mailroad::ReceiveDialogue;
using mailroad::TBoxMail;
using testing::TScriptedServer;

// A program folder of its own whose "uidl.ini" or "incoming" is a link to the place under
// test. Its server listens on a socket this process holds, so that the children the checks
// fork answer on the same port.
class TReceiveFolder {
 public:
  explicit TReceiveFolder(bool noUidl) {
    settings_ = mailroad::LocalSettings(0, 0, "taro", "secret");
    settings_.NoUIDL = noUidl;
    Listen();
  }
  ~TReceiveFolder() { close(listener_); }
  TReceiveFolder(const TReceiveFolder&) = delete;
  TReceiveFolder& operator=(const TReceiveFolder&) = delete;

  const fs::path& Path() const { return exe_.Path(); }

  // A fresh listening socket: a killed child may leave a connection queued on the old one.
  void Listen() {
    if (listener_ >= 0) close(listener_);
    listener_ = TScriptedServer::Listen();
    settings_.POP = "127.0.0.1:" + std::to_string(TScriptedServer::PortOf(listener_));
    WriteMailSettings(SettingsFilePath(Path()), settings_);
  }

  void Link(std::string_view name, const fs::path& to) const {
    fs::remove(Path() / name);
    fs::create_symlink(to, Path() / name);
  }

  // Receives from `box` knowing `known`. Returns the saved files when the receive succeeded;
  // throws EFileError when it failed after telling the user that `unwritable` could not be
  // made, and anything else for any other end.
  std::vector<fs::path> Receive(const std::vector<TBoxMail>& box,
                                const std::vector<std::string>& known,
                                const fs::path& unwritable) const {
    TScriptedServer server(listener_);
    PlayDialogue(server, ReceiveDialogue(box, known, settings_.NoUIDL));
    server.Start();
    TFakeDialogs dialogs;
    TTransferContext context(dialogs, Path());
    TPop3Client pop;
    pop.TimeOut = 3000;
    pop.OnError = ErrorBoxHandler(dialogs);
    std::vector<fs::path> files;
    const TReceiveResult r = ReceiveFromPhone(pop, context, files);
    server.Join();
    const std::vector<std::string> errors = ErrorTexts(dialogs);
    if (r.Outcome == TReceiveOutcome::Done && errors.empty() && r.UidlSaved != settings_.NoUIDL)
      return files;
    if (r.Outcome == TReceiveOutcome::Failed && !r.UidlSaved &&
        errors == std::vector<std::string>{CannotCreateMessage(unwritable)})
      throw EFileError(errors[0]);
    throw std::runtime_error("the receive ended otherwise");
  }

 private:
  oracle::TempDir exe_;
  TMailSettings settings_;
  int listener_ = -1;
};

// The ids a receive finds in uidl.ini: none when it cannot be read.
std::vector<std::string> KnownIds(const fs::path& uidl) {
  TLineList known;
  try {
    known.LoadFromFile(uidl);
  } catch (const EFileError&) {
  }
  return {known.begin(), known.end()};
}

// Mails of other subjects only, so that uidl.ini is the one file the receive writes. The old
// content lists the first mailbox; the new one, after the second mailbox's receive, more ids.
TWriterUnderTest IdListWriter(const TReceiveFolder& folder,
                              const std::vector<TBoxMail> (&boxes)[2]) {
  return {"uidl",
          [&folder, &boxes](const fs::path& p, int version) {
            folder.Link(kUidlFileName, p);
            folder.Receive(boxes[version], KnownIds(p), folder.Path() / kUidlFileName);
          },
          true};
}

TEST(WriteFaults, IdListKeepsOldOrNewContentAndTheReceiveFails) {
  TReceiveFolder folder(false);
  const std::vector<TBoxMail> boxes[2] = {{{"a", "x"}}, {{"a", "x"}, {"b2", "Re: x"}, {"c3", "y"}}};
  CheckWriterUnderFaults(IdListWriter(folder, boxes), std::string(kUidlFileName));
}

TEST(WriteFaults, IdListKilledWhileReceivingKeepsOldOrNewContent) {
  TReceiveFolder folder(false);
  std::vector<TBoxMail> boxes[2];
  for (int i = 0; i < 3000; ++i) boxes[0].push_back({"id" + std::to_string(i), "x"});
  boxes[1] = boxes[0];
  boxes[1].push_back({"new", "x"});
  const auto& fixed = boxes;
  TKillFigures figures;
  CheckWriterUnderKills(IdListWriter(folder, fixed), std::string(kUidlFileName), figures, 20,
                        [&] { folder.Listen(); });
  EXPECT_GT(figures.OldSeen, 0);
  EXPECT_GT(figures.NewSeen, 0);
}

TEST(WriteFaults, ReceivedAttachmentKeepsOldOrNewContentAndTheReceiveFails) {
  TReceiveFolder folder(true);  // every run fetches the mail again
  const std::string data[2] = {
      Utf8ToCp932("件名\r\n\"古い\"\r\n"),
      mailroad::kHandsetCsv + Utf8ToCp932("\"旅行\",\"2030/2/1\",\"7:00\",\"false\"\r\n")};
  CheckWriterUnderFaults({"attachment",
                          [&](const fs::path& p, int version) {
                            folder.Link(kIncomingFolder, p.parent_path());
                            const std::string name = p.filename().string();
                            const fs::path saved = folder.Path() / kIncomingFolder / name;
                            const std::vector<fs::path> files =
                                folder.Receive({{"m1", "mrv", name, data[version]}}, {}, saved);
                            if (files != std::vector<fs::path>{saved})
                              throw std::runtime_error("not listed");
                          },
                          true},
                         "HS.CSV");
}

// moriva-cli receive whose schedule cannot be saved, under a file-size limit that lets the
// small attachment and uidl.ini through: once reported ("…を作成できません", exit 1), once
// dying at the write. Either way the mail stays unrecorded, so the next receive merges it.
TEST(WriteFaults, ScheduleNotSavedLeavesTheMailsUnrecorded) {
  const struct {
    const char* name;
    const char* signals;  // what the shell does with SIGXFSZ before the program starts
    bool reported;
  } cases[] = {{"the save fails", "trap '' XFSZ;", true}, {"the process dies", "", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    oracle::TempDir dir;
    const fs::path mrv = dir.Path() / "s.mrv";
    std::string old;
    for (int i = 0; i < 200; ++i)
      old += "2027,2027,1,5,,,\"item" + std::to_string(i) + "- - 9:0:0- FALSE\"\r\n";
    WriteFileAtomically(mrv, old);
    const std::vector<TBoxMail> box = {{"m1", "mrv", "HS.CSV", mailroad::kHandsetCsv}};
    const auto receive = [&](const std::string& limit) {
      TScriptedServer server;
      PlayDialogue(server, ReceiveDialogue(box, {}));
      server.Start();
      WriteMailSettings(SettingsFilePath(dir.Path()),
                        mailroad::LocalSettings(0, server.Port(), "taro", "secret"));
      const TCliRun r = RunCaptured(limit + " exec " + MorivaCli() + " --dir " +
                                        oracle::ShellQuote(dir.Path().string()) + " receive " +
                                        oracle::ShellQuote(mrv.string()),
                                    dir.Path());
      server.Join();
      return r;
    };

    const TCliRun failed = receive(std::string(c.signals) + " ulimit -f 2;");
    if (c.reported) {
      EXPECT_EQ(failed.code, 1);
      EXPECT_THAT(failed.err, ::testing::HasSubstr(CannotCreateMessage(mrv)));
    } else {
      EXPECT_NE(failed.code, 0);
      EXPECT_NE(failed.code, 1);
    }
    EXPECT_EQ(ReadFileBytes(mrv), old);
    EXPECT_EQ(KnownIds(dir.Path() / kUidlFileName), std::vector<std::string>{});

    const TCliRun again = receive("");
    EXPECT_EQ(again.code, 0) << again.err;
    EXPECT_THAT(again.out, ::testing::HasSubstr("1 件受信しました。"));
    EXPECT_THAT(ReadFileBytes(mrv), ::testing::HasSubstr(Utf8ToCp932("会議- 本社")));
    EXPECT_EQ(KnownIds(dir.Path() / kUidlFileName), std::vector<std::string>{"m1"});
  }
}

}  // namespace
}  // namespace moriva
