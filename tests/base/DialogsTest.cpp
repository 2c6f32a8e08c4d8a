// The dialog interface's own logic: the busy-cursor scope and the status sink's Clear, checked
// through the scripted fakes that every window test relies on.
#include <gtest/gtest.h>

#include <stdexcept>

#include "base/Dialogs.h"
#include "tests/support/FakeDialogs.h"

namespace moriva {
namespace {

TEST(BusyCursorTest, RestoresOnEveryWayOutAndNests) {
  TFakeDialogs dialogs;
  {
    TBusyCursor outer(dialogs);
    try {
      TBusyCursor inner(dialogs);
      EXPECT_EQ(dialogs.BusyDepth, 2);
      throw std::runtime_error("transfer failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(dialogs.BusyDepth, 1);
  }
  EXPECT_EQ(dialogs.BusyDepth, 0);
  EXPECT_EQ(dialogs.MaxBusyDepth, 2);
}

TEST(FakeDialogsTest, AnswersInOrderAndRefusesUnplannedQuestions) {
  TFakeDialogs dialogs;
  dialogs.AnswerNo();
  dialogs.AnswerYes();
  dialogs.AnswerFile("/tmp/a.mrv");
  dialogs.CancelFile();
  EXPECT_FALSE(dialogs.AskYesNo("一", "確認", TMsgIcon::Warning, TMsgDefault::No));
  EXPECT_TRUE(dialogs.AskYesNo("二", "確認", TMsgIcon::None, TMsgDefault::Yes));
  EXPECT_EQ(dialogs.ChooseOpenFile("Moriva(*.mrv)|*.mrv", "sample.mrv"),
            std::filesystem::path("/tmp/a.mrv"));
  EXPECT_EQ(dialogs.ChooseSaveFile("Moriva(*.mrv)|*.mrv"), std::nullopt);
  dialogs.ShowError("失敗");
  EXPECT_THROW(dialogs.AskYesNo("三", "", TMsgIcon::None, TMsgDefault::Yes),
               TFakeDialogs::NoAnswer);
  EXPECT_THROW(dialogs.ChooseOpenFile("*"), TFakeDialogs::NoAnswer);

  ASSERT_EQ(dialogs.Calls.size(), 7u);
  EXPECT_EQ(dialogs.Calls[0].Default, TMsgDefault::No);
  EXPECT_EQ(dialogs.Calls[2].ProposedName, std::filesystem::path("sample.mrv"));
  EXPECT_EQ(dialogs.Calls[4].Icon, TMsgIcon::Error);
  EXPECT_EQ(dialogs.MessageTexts(), std::vector<std::string>{"失敗"});
  EXPECT_EQ(dialogs.QuestionTexts(), (std::vector<std::string>{"一", "二", "三"}));

  dialogs.DefaultYesNo = true;
  EXPECT_TRUE(dialogs.AskYesNo("四", "", TMsgIcon::None, TMsgDefault::No));
}

TEST(StatusSinkTest, ClearEmptiesEveryPanelAndIgnoresOtherNumbers) {
  TFakeStatusSink status;
  status.SetPanelText(0, "3/10");
  status.SetPanelText(2, "接続しました。");
  status.SetPanelText(3, "x");
  status.SetPanelText(-1, "x");
  status.Clear();
  for (const std::string& text : status.Panels) EXPECT_EQ(text, "");
  EXPECT_EQ(status.TextsOf(2), (std::vector<std::string>{"接続しました。", ""}));
  EXPECT_EQ(status.History.size(), 5u);
}

}  // namespace
}  // namespace moriva
