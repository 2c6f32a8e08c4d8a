// The version window: the version text from the build, the link's pointer and click, and
// Enter closing it.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "Version.h"
#include "app/VersionWindow.h"
#include "tests/gui/support/QtModal.h"
#include "tests/gui/support/QtPrinters.h"

namespace moriva {
namespace {

TEST(VersionWindowTest, ShowsTheBuildsVersionAndOpensTheLink) {
  EXPECT_EQ(GetVersionText(), QStringLiteral("Ver." MORIVA_VERSION_TEXT));
  EXPECT_TRUE(GetVersionText().contains(QRegularExpression(R"(^Ver\.\d+\.\d+\.\d+\.\d+$)")));

  TVersionWindow form;
  QStringList opened;
  form.OpenLink = [&opened](const QString& link) { opened << link; };
  QString shownVersion;
  int versionRight = 0;
  Qt::CursorShape linkCursor = Qt::ArrowCursor, panelCursor = Qt::WaitCursor;
  WhenModal([&](QWidget*) {
    shownVersion = form.lblVer->text();
    versionRight = form.lblVer->geometry().right() + 1;
    linkCursor = form.URL->cursor().shape();
    panelCursor = form.Frame->cursor().shape();
    QTest::mouseClick(form.URL, Qt::LeftButton);
    QTest::mouseClick(form.Rights, Qt::LeftButton);  // not the link: nothing opens
    QTest::keyClick(&form, Qt::Key_Return);          // OK is the default button
  });
  EXPECT_EQ(form.exec(), QDialog::Accepted);
  EXPECT_EQ(shownVersion, GetVersionText());
  EXPECT_EQ(versionRight, 190);
  EXPECT_EQ(linkCursor, Qt::PointingHandCursor);
  EXPECT_EQ(panelCursor, Qt::ArrowCursor);
  EXPECT_EQ(opened, QStringList{QString::fromUtf8(kWebAddress)});
  EXPECT_EQ(form.size(), QSize(209, 152));
  EXPECT_EQ(form.OKBtn->geometry(), QRect(80, 72, 57, 25));
}

}  // namespace
}  // namespace moriva

namespace moriva {
namespace {

TEST(VersionWindowTest, AnInstalledCopySaysWhereItsFilesAre) {
  const TProgramFolders beside("/opt/moriva/");
  TVersionWindow plain(nullptr, &beside);
  EXPECT_EQ(plain.ConfigFolder, nullptr);
  EXPECT_EQ(plain.size(), QSize(209, 152));

  const TProgramFolders xdg("/home/u/.config/moriva", "/home/u/.local/share/moriva");
  TVersionWindow form(nullptr, &xdg);
  ASSERT_NE(form.ConfigFolder, nullptr);
  EXPECT_EQ(form.ConfigFolder->text(), QStringLiteral("設定 /home/u/.config/moriva"));
  EXPECT_EQ(form.DataFolder->toolTip(), QStringLiteral("/home/u/.local/share/moriva"));
  EXPECT_TRUE(form.DataFolder->text().startsWith(QStringLiteral("データ /home/")));
  EXPECT_TRUE(QRect(QPoint(), form.size()).contains(form.DataFolder->geometry()));
  EXPECT_EQ(form.OKBtn->geometry(), QRect(80, 72, 57, 25));
}

}  // namespace
}  // namespace moriva
