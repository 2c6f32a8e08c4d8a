#pragma once
// A main window on an empty schedule file of its own, shown and active, for tests that drive it
// with the keyboard.
#include <QTest>
#include <filesystem>
#include <memory>

#include <gtest/gtest.h>

#include "app/MainWindow.h"
#include "base/LineList.h"
#include "schedule/ScheduleFile.h"
#include "tests/oracle/OracleTool.h"
#include "tests/support/FakeDialogs.h"

namespace moriva {

class EmptyScheduleWindowTest : public ::testing::Test {
 protected:
  TMainWindow& OpenEmptySchedule() {
    const std::filesystem::path file = dir_.Path() / "s.mrv";
    SaveScheduleFile(file, TLineList{});
    form_ = std::make_unique<TMainWindow>(dialogs_, dir_.Path(), file.string());
    form_->show();
    form_->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    return *form_;
  }

  oracle::TempDir dir_;
  TFakeDialogs dialogs_;
  std::unique_ptr<TMainWindow> form_;
};

}  // namespace moriva
