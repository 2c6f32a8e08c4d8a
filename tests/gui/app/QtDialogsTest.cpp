// The Qt side of the dialog interface: filters converted to Qt's form, message boxes with the
// asked-for buttons, default and caption, and the status panels.
#include <gtest/gtest.h>

#include <QAbstractFileIconProvider>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include "app/JapaneseLocale.h"
#include "app/QtDialogs.h"
#include "tests/gui/support/QtKeys.h"
#include "tests/gui/support/QtModal.h"
#include "tests/gui/support/QtPrinters.h"

namespace moriva {
namespace {

TEST(QtNameFiltersTest, ConvertsWindowsFilterText) {
  struct Case {
    const char* filter;
    QStringList expected;
  };
  const Case cases[] = {
      {"Moriva(*.mrv)|*.mrv|全て(*.*)|*.*", {"Moriva(*.mrv) (*.mrv)", "全て(*.*) (*)"}},
      {"CSVファイル(*.csv)|*.csv", {"CSVファイル(*.csv) (*.csv)"}},
      {"XML|*.xml; *.XML|", {"XML (*.xml *.XML)"}},  // a dangling description is dropped
      {"|*.txt", {"*.txt (*.txt)"}},
      {"空|;|", {}},
      {"", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.filter);
    EXPECT_EQ(QtNameFilters(c.filter), c.expected);
  }
}

TEST(QtDialogsTest, MessageTextKeepsTheProgramsLineBreaks) {
  EXPECT_EQ(MessageText("一\r\n二\r\n\r\n三\n四\r五"), QStringLiteral("一\n二\n\n三\n四\n五"));
  EXPECT_EQ(BoxCaption(""), QStringLiteral("Moriva"));
  EXPECT_EQ(BoxCaption("警告"), QStringLiteral("警告"));
}

// What a box looked like when it came up.
struct SeenBox {
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QString defaultButton;
  int buttons = 0;
};

void AnswerBoxWith(SeenBox& seen, Qt::Key key) {
  WhenModal([&seen, key](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    if (!box) return;
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.icon = box->icon();
    seen.buttons = static_cast<int>(box->buttons().size());
    if (box->defaultButton()) seen.defaultButton = box->defaultButton()->text();
    QTest::keyClick(box, key);
  });
}

TEST(QtDialogsTest, QuestionsHonourDefaultAndEscape) {
  TQtDialogs dialogs;
  struct Case {
    TMsgDefault def;
    Qt::Key key;
    bool expected;
  };
  const Case cases[] = {
      {TMsgDefault::No, Qt::Key_Return, false},
      {TMsgDefault::Yes, Qt::Key_Return, true},
      {TMsgDefault::Yes, Qt::Key_Escape, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.key));
    SeenBox seen;
    AnswerBoxWith(seen, c.key);
    EXPECT_EQ(dialogs.AskYesNo("続けますか？\r\n二行目", "警告", TMsgIcon::Warning, c.def),
              c.expected);
    EXPECT_EQ(seen.title, QStringLiteral("警告"));
    EXPECT_EQ(seen.text, QStringLiteral("続けますか？\n二行目"));
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_EQ(seen.buttons, 2);
  }
}

TEST(QtDialogsTest, ThreeWayQuestionsTakeTheirDefaultAndEscapeChoosesNothing) {
  TQtDialogs dialogs;
  static constexpr std::string_view kButtons[3] = {"この日だけ", "この日以降", "すべて"};
  struct Case {
    TMsgAnswer def;
    Qt::Key key;
    std::optional<TMsgAnswer> expected;
  };
  const Case cases[] = {
      {TMsgAnswer::Yes, Qt::Key_Return, TMsgAnswer::Yes},
      {TMsgAnswer::Cancel, Qt::Key_Return, TMsgAnswer::Cancel},
      {TMsgAnswer::Yes, Qt::Key_Escape, std::nullopt},  // not the third button: no choice
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.def) * 1000 + static_cast<int>(c.key));
    SeenBox seen;
    AnswerBoxWith(seen, c.key);
    EXPECT_EQ(dialogs.AskThreeWay("どの日を？", "", TMsgIcon::Question, kButtons, c.def),
              c.expected);
    EXPECT_EQ(seen.buttons, 3);
    EXPECT_EQ(seen.defaultButton, QString::fromUtf8(kButtons[static_cast<int>(c.def)].data()));
  }
  SeenBox seen;
  AnswerBoxWith(seen, Qt::Key_Escape);  // a Yes/No/Cancel box: Escape is キャンセル
  EXPECT_EQ(dialogs.AskYesNoCancel("保存しますか？", "", TMsgIcon::None), TMsgAnswer::Cancel);
}

TEST(QtDialogsTest, MessagesShowTheirIconAndOneButton) {
  TQtDialogs dialogs;
  SeenBox seen;
  AnswerBoxWith(seen, Qt::Key_Return);
  dialogs.ShowError("送信に失敗しました。");
  EXPECT_EQ(seen.icon, QMessageBox::Critical);
  EXPECT_EQ(seen.title, QStringLiteral("Moriva"));
  EXPECT_EQ(seen.buttons, 1);

  AnswerBoxWith(seen, Qt::Key_Return);
  dialogs.ShowMessage("同期完了しました。", "", TMsgIcon::None);
  EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
  EXPECT_EQ(seen.text, QStringLiteral("同期完了しました。"));
}

TEST(QtDialogsTest, FileDialogsStartAtTheProposedNameAndReturnTheChoice) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::filesystem::path folder = dir.path().toStdString();
  TQtDialogs dialogs;

  QString directory, selectedFilter;
  QStringList filters;
  bool confirmsOverwrite = false;
  WhenModal([&](QWidget* w) {
    auto* d = qobject_cast<QFileDialog*>(w);
    if (!d) return;
    directory = d->directory().absolutePath();
    filters = d->nameFilters();
    selectedFilter = d->selectedNameFilter();
    confirmsOverwrite = !d->testOption(QFileDialog::DontConfirmOverwrite);
    // Type over the proposed name, as the user would.
    if (auto* edit = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
      edit->setText(QStringLiteral("予定.mrv"));
    }
    QMetaObject::invokeMethod(d, "accept");
  });
  const auto chosen =
      dialogs.ChooseSaveFile("Moriva(*.mrv)|*.mrv|全て(*.*)|*.*", folder / "sample.mrv");
  EXPECT_EQ(directory, dir.path());
  EXPECT_EQ(filters, (QStringList{"Moriva(*.mrv) (*.mrv)", "全て(*.*) (*)"}));
  EXPECT_EQ(selectedFilter, QStringLiteral("Moriva(*.mrv)"));  // shown as the program words it
  EXPECT_TRUE(confirmsOverwrite);
  EXPECT_EQ(chosen, folder / "予定.mrv");

  // Without a folder in the proposed name the dialog returns to the folder used last.
  WhenModal([&](QWidget* w) {
    if (auto* d = qobject_cast<QFileDialog*>(w)) {
      directory = d->directory().absolutePath();
      d->reject();
    }
  });
  EXPECT_EQ(dialogs.ChooseSaveFile("Moriva(*.mrv)|*.mrv", "sample.mrv"), std::nullopt);
  EXPECT_EQ(directory, dir.path());
}

TEST(QtDialogsTest, TheSaveDialogAsksAboutTheNameItWillWriteInJapanese) {
  ASSERT_TRUE(UseJapanese(*qApp));
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::filesystem::path folder = dir.path().toStdString();
  QFile(dir.filePath(QStringLiteral("plan.mrv"))).open(QIODevice::WriteOnly);
  TQtDialogs dialogs;

  QString lookIn, question;
  WhenModal([&](QWidget* w) {
    if (auto* label = w->findChild<QLabel*>(QStringLiteral("lookInLabel"))) lookIn = label->text();
    auto* edit = w->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (!edit) return;
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("plan"));
    WhenModal([&](QWidget* box) {  // the question before replacing a file
      if (auto* b = qobject_cast<QMessageBox*>(box)) question = b->text();
      Press(Qt::Key_Y);  // はい
    });
    QTest::keyClick(edit, Qt::Key_Return);
  });
  const auto chosen = dialogs.ChooseSaveFile("Moriva(*.mrv)|*.mrv|全て(*.*)|*.*", folder / "a.mrv");
  EXPECT_EQ(chosen, folder / "plan.mrv");
  EXPECT_TRUE(question.contains(QStringLiteral("plan.mrv"))) << question.toStdString();
  EXPECT_FALSE(lookIn.contains(QStringLiteral("Look in"))) << lookIn.toStdString();
  EXPECT_EQ(DefaultSuffix("CSVファイル(*.csv)|*.csv"), QStringLiteral("csv"));
  EXPECT_EQ(DefaultSuffix("全て(*.*)|*.*"), QString());
}

TEST(QtDialogsTest, TheFileDialogsTypeColumnIsJapanese) {
  ASSERT_TRUE(UseJapanese(*qApp));
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QFileSystemModel model;
  model.setRootPath(dir.path());
  EXPECT_EQ(QAbstractFileIconProvider().type(QFileInfo(dir.path())), QStringLiteral("フォルダー"));
  // Texts the translations do have still come from them.
  EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("名前"));
}

TEST(QtStatusPanelsTest, ThreePanelsWithTheirWidths) {
  QMainWindow window;
  TQtStatusPanels panels(window.statusBar());
  panels.SetPanelText(0, "3/10");
  panels.SetPanelText(2, "<b>件名</b>");
  panels.SetPanelText(5, "ignored");
  EXPECT_EQ(panels.Panel(0)->text(), QStringLiteral("3/10"));
  EXPECT_EQ(panels.Panel(2)->text(), QStringLiteral("<b>件名</b>"));
  EXPECT_EQ(panels.Panel(2)->textFormat(), Qt::PlainText);  // a subject is never markup
  EXPECT_EQ(panels.Panel(0)->width(), 100);
  EXPECT_EQ(panels.Panel(1)->width(), 50);
  panels.Clear();
  EXPECT_EQ(panels.Panel(0)->text(), QString());
}

TEST(QtDialogsTest, BusyCursorIsApplicationWideAndNests) {
  TQtDialogs dialogs;
  {
    TBusyCursor outer(dialogs);
    {
      TBusyCursor inner(dialogs);
      ASSERT_NE(QApplication::overrideCursor(), nullptr);
      EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_NE(QApplication::overrideCursor(), nullptr);
  }
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace moriva
