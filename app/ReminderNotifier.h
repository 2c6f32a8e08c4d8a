#pragma once
// Reminders while the window runs: each alarm item of the schedule raises a desktop
// notification at its time (org.freedesktop.Notifications on the session bus), titled with
// the time and the subject, the place as its body. Where no notification service answers, a
// tray icon's message or, without a tray, a message box that does not block the window says
// the same. Which items are due is decided by TReminderSchedule.
#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <functional>

#include "schedule/ReminderSchedule.h"
#include "schedule/ScheduleModel.h"

class QSystemTrayIcon;

namespace moriva {

class TReminderNotifier : public QObject {
  Q_OBJECT

 public:
  // `schedule` must outlive the notifier. Its committed lines are watched: an item being typed
  // in the open editor (which may yet be cancelled) raises nothing.
  explicit TReminderNotifier(const TScheduleModel& schedule, QObject* parent = nullptr);
  ~TReminderNotifier() override;

  // The clock; the system's by default. Tests set the time and call Check.
  std::function<std::chrono::system_clock::time_point()> Clock;

  // Raises what is due now and sets the timer for the next item. Runs whenever the schedule's
  // change is committed (an item added, edited or received) and when the timer fires.
  void Check();

  // "10:30 会議": the notification's title.
  static QString Title(const TReminder& reminder);

 private:
  void Raise(const TReminder& reminder);
  void ShowWithoutService(const QString& title, const QString& body);

  const TScheduleModel& model_;
  TScheduleWatch watch_;
  TReminderSchedule schedule_;
  QTimer timer_;
  QSystemTrayIcon* tray_ = nullptr;
};

}  // namespace moriva
