// The files a receive writes, "uidl.ini" and the attachments in "incoming", under write faults
// (see WriteFaults.h) and with the receiving process killed at random moments (KillFaults.h).
// A receive that could not write a file tells the user and fails; it never reports success.
#include <gtest/gtest.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "base/Cp932.h"
#include "base/FileIO.h"
#include "tests/handset/Pop3Script.h"
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

}  // namespace
}  // namespace moriva
