#include "app/ReminderNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QMessageBox>
#include <QSystemTrayIcon>
#include <QVariantMap>
#include <algorithm>

#include "app/AppIcon.h"
#include "base/Cp932.h"

namespace moriva {
namespace {

// The timer wakes at least this often, so a clock set forward or a machine that slept is
// noticed soon even when no item is near.
constexpr std::chrono::milliseconds kLongestWait = std::chrono::minutes(1);

QString FromCp932(const std::string& text) {
  return QString::fromStdU16String(Cp932ToUtf16(text));
}

}  // namespace

TReminderNotifier::TReminderNotifier(const TScheduleModel& schedule, QObject* parent)
    : QObject(parent), model_(schedule) {
  Clock = [] { return std::chrono::system_clock::now(); };
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, &TReminderNotifier::Check);
  watch_ = model_.WatchCommits([this] { Check(); });
}

TReminderNotifier::~TReminderNotifier() = default;

QString TReminderNotifier::Title(const TReminder& reminder) {
  return QString::fromStdString(reminder.TimeText) + QLatin1Char(' ') + FromCp932(reminder.Subject);
}

void TReminderNotifier::Check() {
  const auto moment = Clock();
  const TWallSeconds now = LocalWallSeconds(moment);
  // The model's index holds the lines being edited; while an editor is open the lines as they
  // were are read whole.
  const bool editing = model_.Editing();
  for (const TReminder& r : editing ? schedule_.TakeDue(model_.Committed(), now, model_.Rules())
                                    : schedule_.TakeDue(model_.Rules(), now))
    Raise(r);
  std::chrono::milliseconds wait = kLongestWait;
  if (const std::optional<TWallSeconds> next =
          editing ? schedule_.NextDue(model_.Committed(), now, model_.Rules())
                  : schedule_.NextDue(model_.Rules(), now)) {
    // Wake at the start of the item's second: the fraction of the current second is gone then.
    const auto sinceSecond = std::chrono::duration_cast<std::chrono::milliseconds>(
        moment.time_since_epoch() % std::chrono::seconds(1));
    wait = std::min(wait, std::chrono::seconds(*next - now) - sinceSecond);
  }
  timer_.start(std::max(wait, std::chrono::milliseconds(0)));
}

void TReminderNotifier::Raise(const TReminder& reminder) {
  const QString title = Title(reminder);
  const QString body = FromCp932(reminder.Place);
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    ShowWithoutService(title, body);
    return;
  }
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.Notifications"),
      QStringLiteral("/org/freedesktop/Notifications"),
      QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
  QVariantMap hints;
  hints.insert(QStringLiteral("category"), QStringLiteral("x-moriva.reminder"));
  hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("moriva"));
  hints.insert(QStringLiteral("urgency"), QVariant::fromValue<uchar>(1));
  call << QStringLiteral("Moriva") << 0u << QStringLiteral("moriva") << title << body
       << QStringList() << hints << -1;
  // Asked without waiting, so the window stays live; a bus without the service answers with an
  // error, and the reminder then takes the other way.
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [this, title, body](QDBusPendingCallWatcher* w) {
            if (QDBusPendingReply<uint>(*w).isError()) ShowWithoutService(title, body);
            w->deleteLater();
          });
}

void TReminderNotifier::ShowWithoutService(const QString& title, const QString& body) {
  if (QSystemTrayIcon::isSystemTrayAvailable()) {
    if (!tray_) {
      tray_ = new QSystemTrayIcon(ProgramIcon(), this);
      tray_->setToolTip(QStringLiteral("Moriva"));
    }
    tray_->show();
    tray_->showMessage(title, body, ProgramIcon());
    return;
  }
  // Owned by the window, so it goes when the window closes and never keeps the program alive.
  auto* box = new QMessageBox(QMessageBox::Information, title, title + QLatin1Char('\n') + body,
                              QMessageBox::Ok, qobject_cast<QWidget*>(parent()));
  box->setWindowModality(Qt::NonModal);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->show();
}

}  // namespace moriva
