// The receive road against a POP3 server that hangs up after each command in turn: what was
// stored in full is recorded and merged, nothing else is recorded, and the next receive fetches
// exactly the rest.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Cp932.h"
#include "base/FileIO.h"
#include "formats/CsvMerge.h"
#include "tests/handset/Pop3Script.h"

namespace moriva {
namespace {

namespace fs = std::filesystem;
using mailroad::Commands;
using mailroad::ErrorTexts;
using mailroad::kHandsetCsv;
using mailroad::LocalSettings;
using mailroad::PlayDialogue;
using mailroad::ReceiveDialogue;
using mailroad::ReceiveRun;
using mailroad::TBoxMail;
using mailroad::TPop3Step;
using testing::TScriptedServer;

std::string IdFile(const std::vector<std::string>& ids) {
  std::string text;
  for (const std::string& id : ids) text += id + "\r\n";
  return text;
}

TLineList Merged(const std::string& csv) {
  TLineList csvLines, list;
  csvLines.SetText(csv);
  MergeCsvLines(csvLines, list);
  return list;
}

struct TScriptedReceive {
  TReceiveAndMerge Result;
  std::vector<std::string> Heard;  // the commands the server read
};

// A receive into `schedule` from a fresh server playing `steps`, hanging up at `dropAt`.
TScriptedReceive ReceiveFrom(ReceiveRun& run, const std::vector<TPop3Step>& steps,
                             TLineList& schedule, size_t dropAt = static_cast<size_t>(-1)) {
  TScriptedServer server;
  PlayDialogue(server, steps, dropAt);
  server.Start();
  run.f.WriteSettings(LocalSettings(0, server.Port(), "taro", "secret"));
  TReceiveAndMerge result = ReceiveIntoSchedule(run.pop, run.f.context, schedule);
  server.Join();
  return {std::move(result), server.Received()};
}

TEST(HandsetTransferDropTest,
     HangUpAfterEachCommandRecordsWhatWasStoredAndTheNextReceiveFetchesTheRest) {
  // The handset sends its whole schedule each time, so the later file holds the earlier one.
  const std::string later =
      kHandsetCsv + Utf8ToCp932("\"旅行\",\"駅\",\"2030/2/1\",\"7:00\",\"false\"\r\n");
  const std::vector<TBoxMail> box = {{"old1", "mrv", "HS.CSV", kHandsetCsv},
                                     {"s2", "mrv", "HS.CSV", kHandsetCsv},
                                     {"o3", "Hello"},
                                     {"s4", "mrv", "HS.CSV", later},
                                     {"o5", "Re: mrv"}};
  const std::vector<std::string> known = {"old1"};
  const std::vector<TPop3Step> full = ReceiveDialogue(box, known);
  ASSERT_EQ(full.size(), 23u);

  for (size_t drop = 0; drop < full.size(); ++drop) {
    SCOPED_TRACE("hang-up after \"" + full[drop].Command + "\"");
    // The mails whose every step came before the hang-up are stored in full.
    std::vector<std::string> stored = known;
    int scheduleMails = 0;
    std::string lastFile;
    for (size_t n = 1; n <= box.size(); ++n) {
      size_t last = 0;
      for (size_t i = 0; i < full.size(); ++i)
        if (full[i].Mail == static_cast<int>(n)) last = i;
      if (last == 0 || last >= drop) continue;
      stored.push_back(box[n - 1].Id);
      if (box[n - 1].ForSchedule()) {
        ++scheduleMails;
        lastFile = box[n - 1].Data;
      }
    }

    ReceiveRun run(0);
    WriteFileAtomically(run.f.UidlFile(), IdFile(known));
    TLineList schedule;
    const TScriptedReceive dropped = ReceiveFrom(run, full, schedule, drop);
    const TReceiveAndMerge& r = dropped.Result;

    EXPECT_EQ(dropped.Heard, Commands(full, drop + 1));
    EXPECT_EQ(r.Received.Outcome,
              drop < 2 ? TReceiveOutcome::CannotConnect : TReceiveOutcome::Failed);
    EXPECT_FALSE(ErrorTexts(run.f.dialogs).empty());  // the user is told
    EXPECT_FALSE(run.pop.Connected());
    EXPECT_EQ(r.Received.Count, scheduleMails);
    EXPECT_EQ(ReadFileBytes(run.f.UidlFile()), IdFile(stored));
    // Every recorded schedule mail reached the schedule: nothing the handset sent is lost.
    EXPECT_EQ(r.Merged.has_value(), scheduleMails > 0);
    EXPECT_EQ(schedule, scheduleMails > 0 ? Merged(lastFile) : TLineList());

    // The server is well again: exactly the mails not stored are fetched, each once.
    const std::vector<TPop3Step> rest = ReceiveDialogue(box, stored);
    const TScriptedReceive again = ReceiveFrom(run, rest, schedule);
    std::vector<std::string> expected = Commands(rest, rest.size());
    expected.push_back("QUIT");
    EXPECT_EQ(again.Heard, expected);
    EXPECT_EQ(again.Result.Received.Outcome, TReceiveOutcome::Done);
    EXPECT_EQ(ReadFileBytes(run.f.UidlFile()), IdFile({"old1", "s2", "o3", "s4", "o5"}));
    EXPECT_EQ(schedule, Merged(later));
  }
}

// A stored file that cannot be merged must not be recorded as received: the handset's data
// would be lost. Here it turns into a folder while the next mail is examined.
TEST(HandsetTransferDropTest, AFileThatCannotBeMergedLeavesItsMailUnrecorded) {
  const std::vector<TBoxMail> box = {{"s1", "mrv", "HS.CSV", kHandsetCsv}, {"o2", "Hello"}};
  const std::vector<TPop3Step> full = ReceiveDialogue(box, {});
  ReceiveRun run(0);
  const fs::path file = run.f.Incoming() / "HS.CSV";
  run.f.context.ProcessMessages = [&] {
    if (fs::is_regular_file(file)) {
      fs::remove(file);
      fs::create_directory(file);
    }
  };
  TLineList schedule;
  EXPECT_THROW(ReceiveFrom(run, full, schedule), EFileError);
  EXPECT_FALSE(fs::exists(run.f.UidlFile()));
  EXPECT_FALSE(run.pop.Connected());

  fs::remove(file);
  run.f.context.ProcessMessages = nullptr;
  EXPECT_EQ(ReceiveFrom(run, full, schedule).Result.Received.Outcome, TReceiveOutcome::Done);
  EXPECT_EQ(ReadFileBytes(run.f.UidlFile()), IdFile({"s1", "o2"}));
  EXPECT_EQ(schedule, Merged(kHandsetCsv));
}

}  // namespace
}  // namespace moriva
