// The window's CalDAV 同期 without the window: settings from hs110.ini, the open document saved
// through its own save, the closing message and the status panel; a cancel is quiet.
#include <gmock/gmock.h>

#include <regex>

#include "base/Cp932.h"
#include "base/FileIO.h"
#include "caldav/CalDavSyncAction.h"
#include "schedule/ScheduleFile.h"
#include "settings/CalDavSettings.h"
#include "tests/integration/caldav/CalDavPeer.h"
#include "tests/support/FakeDialogs.h"

namespace moriva::caldavtest {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

TEST_F(CalDavTest, TheWindowActionSavesTheDocumentAndTellsTheCounts) {
  const std::filesystem::path dir = dir_.Path(), mrv = dir / "s.mrv";
  const std::string mine = Item(2026, 12, 1, "Mine");
  WriteFileAtomically(mrv, mine + "\r\n");
  TFakeDialogs dialogs;
  TFakeStatusSink status;
  TScheduleModel master;
  TScheduleDocument doc(master, dialogs, dir);
  ASSERT_TRUE(doc.LoadScheduleFrom(mrv));
  TTransferContext context(dialogs, TProgramFolders{dir, dir});
  context.Status = &status;
  const TICalZone zone("Asia/Tokyo");
  auto run = [&] {
    return SyncDocumentWithCalDav(doc, context, zone, DateToJulius(2026, 12, 1), 1796083200);
  };

  // No calendar set up: the settings message, nothing else.
  EXPECT_EQ(run(), std::nullopt);
  EXPECT_THAT(dialogs.MessageTexts(), ElementsAre(kCalDavSettingsMissingText));

  WriteCalDavSettings(SettingsFilePath(dir), settings_);
  Phone("add p1 20261210T120000 Lunch");
  dialogs.Calls.clear();
  ASSERT_TRUE(run());
  EXPECT_EQ(ReadFileBytes(mrv), mine + "\r\n" + Item(2026, 12, 10, "Lunch", 12) + "\r\n");
  EXPECT_FALSE(doc.Modified);
  EXPECT_THAT(dialogs.MessageTexts(), ElementsAre(HasSubstr("送信 1 件，受信 1 件")));
  EXPECT_EQ(status.Panels[kStatusPanel], kCalDavDoneStatus);
  EXPECT_EQ(dialogs.BusyDepth, 0);

  // 元に戻す takes the sync back here only: the next sync brings the phone's event back
  // instead of deleting it on the server.
  doc.Undo();
  EXPECT_EQ(doc.List().Lines(), std::vector<std::string>{mine});
  ASSERT_TRUE(run());
  EXPECT_EQ(ReadFileBytes(mrv), mine + "\r\n" + Item(2026, 12, 10, "Lunch", 12) + "\r\n");
  EXPECT_EQ(PhoneEvents(),
            (std::vector<std::string>{"20261201T100000|Mine", "20261210T120000|Lunch"}));

  // A cancel asked for while the sync waits ends it without a box.
  context.CancelRequested = [] { return true; };
  dialogs.Calls.clear();
  EXPECT_EQ(run(), std::nullopt);
  EXPECT_TRUE(dialogs.MessageTexts().empty());
  EXPECT_EQ(status.Panels[kStatusPanel], kCalDavCancelledText);
}

// Settings a user gets wrong, each told in Japanese naming what to mend, with the schedule,
// the state and the server left alone; a certificate file or a calendar named in Japanese is
// found.
TEST_F(CalDavTest, TheWindowActionTellsWhatToMendInTheSettings) {
  const std::filesystem::path dir = dir_.Path(), mrv = dir / "s.mrv";
  const std::string plain = server_.Values.at("URL"), tls = Radicale(true).Values.at("URL");
  const std::string cal = "/user01/thewindowactiontellswhattomendinthesettings/";
  const std::string tlsCa = std::string(MORIVA_TLS_DIR) + "/ca.pem";
  std::filesystem::copy_file(tlsCa, dir / "証明書.pem");
  Open(true, "-予定");  // a calendar named in Japanese
  const std::string japanese = settings_.Url;
  Open(true);  // the same collection on the TLS server
  struct Case {
    std::string url, caFile, expected;
  };
  const Case cases[] = {
      {plain.substr(plain.find("://") + 3) + cal, "", std::string(kCalDavUrlSchemeText)},
      {plain + "/user01/", "", std::string(kCalDavNotCalendarText)},
      {"http://127.0.0.1:1" + cal, "", "サーバー 127.0.0.1:1 へ接続できませんでした。"},
      {"https" + plain.substr(4) + cal, tlsCa, "TLS で接続できません。"},
      {"http" + tls.substr(5) + cal, "", "から応答がありません。"},
      {tls + cal, (dir / "none.pem").string(), "証明書ファイル " + (dir / "none.pem").string()},
      // Without the collection's closing "/" too.
      {tls + cal.substr(0, cal.size() - 1), Utf8ToCp932((dir / "証明書.pem").string()),
       std::string(kCalDavDoneStatus)},
      {Utf8ToCp932(japanese), tlsCa, std::string(kCalDavDoneStatus)},
  };
  const std::string mine = Item(2026, 12, 1, "Mine") + "\r\n";
  TFakeDialogs dialogs;
  TFakeStatusSink status;
  TTransferContext context(dialogs, TProgramFolders{dir, dir});
  context.Status = &status;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url + " " + c.caFile);
    WriteFileAtomically(mrv, mine);
    std::filesystem::remove(dir / "caldav.ini");
    TScheduleModel master;
    TScheduleDocument doc(master, dialogs, dir);
    ASSERT_TRUE(doc.LoadScheduleFrom(mrv));
    WriteCalDavSettings(SettingsFilePath(dir), {c.url, "user01", "secret01", c.caFile});
    status.Panels[kPositionPanel] = "9/9";  // an earlier run's count
    try {
      SyncDocumentWithCalDav(doc, context, TICalZone("Asia/Tokyo"), DateToJulius(2026, 12, 1), 0);
    } catch (const Exception&) {
    }
    // What is left once the names the user typed are taken out reads as Japanese.
    const std::string& said = status.Panels[kStatusPanel];
    EXPECT_THAT(said, HasSubstr(c.expected));
    std::string words = said;
    if (const size_t at = words.find(c.caFile); !c.caFile.empty() && at != std::string::npos)
      words.erase(at, c.caFile.size());
    words = std::regex_replace(words, std::regex("CalDAV|URL|TLS|https?://"), "");
    EXPECT_FALSE(std::regex_search(words, std::regex("[A-Za-z]{3}"))) << said;
    if (c.expected == kCalDavDoneStatus) continue;
    EXPECT_EQ(status.Panels[kPositionPanel], "");
    EXPECT_EQ(ReadFileBytes(mrv), mine);
    EXPECT_FALSE(std::filesystem::exists(dir / "caldav.ini"));
  }
  EXPECT_EQ(PhoneEvents(), std::vector<std::string>{"20261201T100000|Mine"});
  settings_.Url = japanese;
  EXPECT_EQ(PhoneEvents(), std::vector<std::string>{"20261201T100000|Mine"});
}

}  // namespace
}  // namespace moriva::caldavtest
