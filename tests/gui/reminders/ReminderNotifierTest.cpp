// Alarm items reach a real notification service over the session bus: at their time, with the
// time, subject and place, once each, and not when too late or without alarm. The test drives
// the clock; the service (tools/notification-service.py) records what it was sent.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include "app/MainWindow.h"
#include "app/MonthlyCalendar.h"
#include "app/ReminderNotifier.h"
#include "app/WeeklyCalendar.h"
#include "base/Cp932.h"
#include "tests/support/FakeDialogs.h"

namespace moriva {
namespace {

std::chrono::system_clock::time_point LocalTime(int hour, int minute, int second = 0) {
  const QDateTime t(QDate(2026, 12, 7), QTime(hour, minute, second));
  return std::chrono::system_clock::from_time_t(static_cast<std::time_t>(t.toSecsSinceEpoch()));
}

// "summary | body" of each Notify call so far whose summary starts with `prefix`.
QStringList Recorded(const QString& prefix) {
  QFile file(qEnvironmentVariable("MORIVA_NOTIFY_RECORD"));
  QStringList calls;
  if (!file.open(QIODevice::ReadOnly)) return calls;
  for (const QByteArray& line : file.readAll().split('\n')) {
    if (line.isEmpty()) continue;
    const QJsonObject o = QJsonDocument::fromJson(line).object();
    EXPECT_EQ(o.value("app").toString(), QStringLiteral("Moriva"));
    if (o.value("summary").toString().startsWith(prefix))
      calls << o.value("summary").toString() + " | " + o.value("body").toString();
  }
  return calls;
}

QStringList WaitForCalls(qsizetype count, const QString& prefix = {}) {
  QElapsedTimer clock;
  clock.start();
  QStringList calls;
  while ((calls = Recorded(prefix)).size() < count && clock.elapsed() < 10000) QTest::qWait(20);
  return calls;
}

TEST(ReminderNotifierTest, NotifiesEachAlarmItemOnceAtItsTime) {
  ASSERT_FALSE(qEnvironmentVariableIsEmpty("MORIVA_NOTIFY_RECORD"));
  TScheduleModel schedule;
  TLineList& list = schedule.Lines();
  list.Assign(std::vector<std::string>{
      "2026,2026,12,7,,,\"" + Utf8ToCp932("会議- 本社 3階- 10:30:0- TRUE") + "\"",
      "2026,2026,12,7,,,\"quiet- room- 10:30:0- FALSE\"",
      "2026,2026,12,7,,,\"call- - 11:0:0- TRUE\""});
  TReminderNotifier notifier(schedule);
  std::chrono::system_clock::time_point now;
  notifier.Clock = [&now] { return now; };

  // Each step raises nothing more than the calls listed so far; a call raised twice or too
  // early would stand before the next expected one.
  struct Step {
    std::chrono::system_clock::time_point now;
    QStringList expected;
  };
  const Step steps[] = {
      {LocalTime(10, 29, 59), {}},
      {LocalTime(10, 30), {"10:30 会議 | 本社 3階"}},
      {LocalTime(10, 31), {"10:30 会議 | 本社 3階"}},
      // An item added while running (the window calls Check after every change).
      {LocalTime(10, 36), {"10:30 会議 | 本社 3階", "10:35 added | desk"}},
      // The machine slept over 11:00 and wakes 15 minutes after it: too late.
      {LocalTime(11, 15), {"10:30 会議 | 本社 3階", "10:35 added | desk"}},
  };
  for (const Step& s : steps) {
    if (s.now == LocalTime(10, 36)) list.Add("2026,2026,12,7,,,\"added- desk- 10:35:0- TRUE\"");
    now = s.now;
    notifier.Check();
  }
  list.Add("2026,2026,12,7,,,\"last- hall- 11:20:0- TRUE\"");
  now = LocalTime(11, 20);
  notifier.Check();
  EXPECT_EQ(WaitForCalls(3, "1"),
            (QStringList{"10:30 会議 | 本社 3階", "10:35 added | desk", "11:20 last | hall"}));
}

TEST(ReminderNotifierTest, TheWindowRemindsOfCommittedItemsOnly) {
  TFakeDialogs dialogs;
  QTemporaryDir dir;
  TMainWindow form(dialogs, std::filesystem::path(dir.path().toStdString()), std::nullopt);
  form.Reminders->Clock = [] { return LocalTime(8, 0); };
  // Typed in the editor, which is then cancelled: the timer firing meanwhile raises nothing.
  form.Schedule.BeginEdit();
  form.Schedule.Lines().Add("2026,2026,12,7,,,\"typed- t- 8:0:0- TRUE\"");
  form.Reminders->Check();
  form.Schedule.CancelEdit();
  // Kept with OK.
  form.Schedule.Lines().Add("2026,2026,12,7,,,\"kept- k- 8:0:0- TRUE\"");
  form.Document().ListEdited();
  EXPECT_EQ(WaitForCalls(1, "8:00"), QStringList{"8:00 kept | k"});
}

}  // namespace
}  // namespace moriva
