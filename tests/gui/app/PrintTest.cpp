// 印刷 and PDF 出力 from the file menu: the month sheet and the agenda written as PDF without a
// printer, read back with pdftotext and pdffonts (poppler), programs nobody here wrote.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <set>

#include "app/MainWindow.h"
#include "app/MonthlyCalendar.h"
#include "app/PrintMenu.h"
#include "app/ViewMenu.h"
#include "base/Cp932.h"
#include "tests/gui/support/QtKeys.h"
#include "tests/gui/support/QtModal.h"
#include "tests/support/FakeDialogs.h"

namespace fs = std::filesystem;

namespace moriva {
namespace {

QString Poppler(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  EXPECT_TRUE(p.waitForFinished(30000)) << program.toStdString();
  EXPECT_EQ(p.exitCode(), 0) << program.toStdString();
  return QString::fromUtf8(p.readAllStandardOutput());
}

// The height in points of the box pdftotext gives a word of the file, which is its font size.
double WordHeight(const QString& pdf, const QString& word) {
  const QRegularExpression box(QStringLiteral("yMin=\"([\\d.]+)\" [^>]*yMax=\"([\\d.]+)\">") +
                               QRegularExpression::escape(word) + "<");
  const QRegularExpressionMatch m = box.match(Poppler("pdftotext", {"-bbox", pdf, "-"}));
  EXPECT_TRUE(m.hasMatch()) << word.toStdString();
  return m.captured(2).toDouble() - m.captured(1).toDouble();
}

TEST(PrintTest, MonthSheetAndAgendaAsPdfWithTheirDaysHolidaysAndItems) {
  QTemporaryDir dir;
  const fs::path folder(dir.path().toStdString());
  TFakeDialogs dialogs;
  TMainWindow form(dialogs, folder, std::nullopt);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  form.Schedule.Lines().Add(Utf8ToCp932("2027,2027,1,11,,,\"歯医者- 駅前- 10:00:0- TRUE\""));
  form.Schedule.Lines().Add(Utf8ToCp932("2027,2027,1,20,,,\"会議- 本社- 9:30:0- FALSE\""));
  // Entered out of order: the sheets list the whole day first, then by time.
  form.Schedule.Lines().Add(Utf8ToCp932("2027,2027,1,11,,,\"朝礼- - 9:0:0- FALSE\""));
  form.Schedule.Lines().Add(Utf8ToCp932("2027,2027,1,11,,,\"買い物- スーパー- ::0- FALSE\""));
  form.Schedule.Lines().Add(
      Utf8ToCp932("repeat;id=r1;start=20261225;every=1m;day=25,\"家賃- - 18:0:0- FALSE\""));
  // Characters Shift-JIS lacks print in whatever font has them, never as 〓.
  form.Schedule.Lines().Add(Utf8ToCp932("2027,2027,1,22,,,\"🎂 Café- 𠮷野- 12:0:0- FALSE\""));
  auto inOrder = [](const QString& text, std::initializer_list<const char*> parts) {
    qsizetype at = 0;
    for (const char* part : parts) {
      at = text.indexOf(QString::fromUtf8(part), at);
      EXPECT_GE(at, 0) << part;
    }
  };
  form.SyncDate(2027, 1, 10);
  form.ViewMenu->ShowSeasonalDays->trigger();  // the month sheet names the solar terms too

  // Ctrl+P: what to print, then the system's print dialog, which may still be cancelled.
  bool printDialogShown = false;
  WhenModal([&printDialogShown](QWidget*) {
    WhenModal([&printDialogShown](QWidget* w) {
      printDialogShown = qobject_cast<QPrintDialog*>(w) != nullptr;
      w->close();
    });
    Press(Qt::Key_Return);
  });
  form.activateWindow();
  form.MonthCalendar->setFocus();
  Press(Qt::Key_P, Qt::ControlModifier);
  EXPECT_TRUE(printDialogShown);

  // PDF 出力 offers the month on the calendar first, and needs no printer.
  WhenModal([](QWidget* w) {
    auto* choice = qobject_cast<TPrintChoiceDialog*>(w);
    ASSERT_TRUE(choice);
    EXPECT_TRUE(choice->MonthChoice->isChecked());
    EXPECT_FALSE(choice->FromEdit->isEnabled());
    Press(Qt::Key_Return);
  });
  dialogs.AnswerFile(folder / "month");
  form.PrintMenu->PdfOut->trigger();
  EXPECT_EQ(dialogs.CallsOf(TFakeDialogs::Kind::SaveFile).at(0).ProposedName,
            fs::path("2027-01.pdf"));
  const QString pdf = QString::fromStdString((folder / "month.pdf").string());
  const QString month = Poppler("pdftotext", {"-layout", pdf, "-"});
  std::set<int> numbers;
  for (const QString& word : month.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts))
    if (bool ok; word.toInt(&ok), ok) numbers.insert(word.toInt());
  for (int d = 1; d <= 31; ++d) EXPECT_TRUE(numbers.count(d)) << d;
  for (const char* text : {"2027年1月", "元日", "09:30 会議 @本社", "小寒", "大寒", "↻18:00 家賃"})
    EXPECT_TRUE(month.contains(QString::fromUtf8(text))) << text;
  inOrder(month, {"成人の日", "買い物 @スーパー", "09:00 朝礼", "10:00 歯医者 @駅前"});
  EXPECT_GE(WordHeight(pdf, QStringLiteral("朝礼")), 8.0);  // readable on A4
  const QString info = Poppler("pdfinfo", {pdf});
  EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+1\\n")));
  EXPECT_TRUE(
      info.contains(QRegularExpression("Page size:\\s+84[12][.\\d]* x 595[.\\d]* pts \\(A4\\)")))
      << "landscape";
  // Every font in the file travels with it (the Japanese one above all).
  const QStringList fonts = Poppler("pdffonts", {pdf}).split('\n', Qt::SkipEmptyParts).mid(2);
  ASSERT_FALSE(fonts.isEmpty());
  for (const QString& font : fonts)
    EXPECT_TRUE(font.contains(QRegularExpression("\\byes\\s+(yes|no)\\s+yes\\b")))
        << font.toStdString();

  // The agenda of a range, chosen with the keyboard; a range backwards is refused first.
  WhenModal([](QWidget* w) {
    auto* choice = qobject_cast<TPrintChoiceDialog*>(w);
    ASSERT_TRUE(choice);
    Press(Qt::Key_Down);  // from 月表示 to 予定一覧
    choice->ToEdit->setText(QStringLiteral("2027/1/5"));
    choice->FromEdit->setText(QStringLiteral("1/11"));
    Press(Qt::Key_Return);
    EXPECT_TRUE(choice->isVisible());
    EXPECT_FALSE(choice->Note->text().isEmpty());
    choice->ToEdit->setText(QStringLiteral("令和9年1月31日"));
    Press(Qt::Key_Return);
  });
  dialogs.AnswerFile(folder / "agenda.pdf");
  form.PrintMenu->PdfOut->trigger();
  const QString agendaPdf = QString::fromStdString((folder / "agenda.pdf").string());
  const QString agenda = Poppler("pdftotext", {"-layout", agendaPdf, "-"});
  EXPECT_GE(WordHeight(agendaPdf, QStringLiteral("朝礼")), 8.0);
  inOrder(agenda, {"2027/01/11(月)", "成人の日", "買い物", "スーパー", "09:00", "朝礼", "10:00",
                   "歯医者", "駅前", "アラーム", "2027/01/20(水)", "09:30", "会議", "本社",
                   "2027/01/25(月)", "18:00", "↻家賃"});
  EXPECT_FALSE(agenda.contains(QStringLiteral("元日")));  // a day without items is left out
  EXPECT_TRUE(agenda.contains(QStringLiteral("Café")));
  for (const QString& text : {month, agenda}) EXPECT_FALSE(text.contains(QStringLiteral("〓")));
  EXPECT_TRUE(dialogs.MessageTexts().empty());
}

}  // namespace
}  // namespace moriva
