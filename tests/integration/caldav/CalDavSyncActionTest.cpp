// The window's CalDAV 同期 without the window: settings from hs110.ini, the open document saved
// through its own save, the closing message and the status panel; a cancel is quiet.
#include <gmock/gmock.h>

#include "base/CalDavSettings.h"
#include "base/FileIO.h"
#include "schedule/ScheduleFile.h"
#include "tests/integration/caldav/CalDavPeer.h"
#include "tests/support/FakeDialogs.h"
#include "transfer/CalDavSyncAction.h"

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
  TLineList master;
  TScheduleDocument doc(master, dialogs, dir);
  ASSERT_TRUE(doc.LoadScheFrom(mrv));
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

  // A cancel asked for while the sync waits ends it without a box.
  context.CancelRequested = [] { return true; };
  dialogs.Calls.clear();
  EXPECT_EQ(run(), std::nullopt);
  EXPECT_TRUE(dialogs.MessageTexts().empty());
  EXPECT_EQ(status.Panels[kStatusPanel], kCalDavCancelledText);
}

}  // namespace
}  // namespace moriva::caldavtest
