#pragma once
// A main window started on a settings folder of its own, so that what 表示 remembers in
// "hs110.ini" can be read back and a second start sees it.
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <memory>
#include <optional>

#include <gtest/gtest.h>

#include "app/MainWindow.h"
#include "tests/support/FakeDialogs.h"

namespace moriva {

class SettingsDirWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
  std::filesystem::path Ini() const {
    return std::filesystem::path(dir_.path().toStdString()) / "hs110.ini";
  }
  std::unique_ptr<TMainWindow> Start() {
    auto form = std::make_unique<TMainWindow>(dialogs_, Ini().parent_path(), std::nullopt);
    form->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    return form;
  }
  QTemporaryDir dir_;
  TFakeDialogs dialogs_;
};

}  // namespace moriva
