#include "schedule/ReminderSchedule.h"

#include <algorithm>
#include <ctime>

#include "calendar/Julius.h"
#include "schedule/Agenda.h"

namespace moriva {
namespace {

constexpr TWallSeconds kDaySeconds = 24 * 60 * 60;

// Every alarm item dated from `fromDay` on, with its line and the time it falls due.
std::vector<std::pair<TReminder, const std::string*>> AlarmItems(const TLineList& list,
                                                                 int32_t fromDay) {
  std::vector<std::pair<TReminder, const std::string*>> items;
  for (TAgendaItem& item : CollectAgenda(list, fromDay, std::nullopt)) {
    if (!item.Parts.Alarm()) continue;
    const std::optional<TTimeOfDay> t = StoredTimeOfDay(item.Parts.Time);
    if (!t || t->Hour > 23 || t->Minute > 59) continue;
    TReminder r{item.Day * kDaySeconds + t->Hour * 3600 + t->Minute * 60,
                std::move(item.Parts.Subject), std::move(item.Parts.Place),
                AgendaTimeText(item.Parts.Time)};
    items.emplace_back(std::move(r), &list[item.Index]);
  }
  return items;
}

int32_t DayOf(TWallSeconds t) {
  return static_cast<int32_t>((t - (t % kDaySeconds + kDaySeconds) % kDaySeconds) / kDaySeconds);
}

}  // namespace

TWallSeconds LocalWallSeconds(std::chrono::system_clock::time_point moment) {
  const std::time_t t = std::chrono::system_clock::to_time_t(moment);
  std::tm local{};
  localtime_r(&t, &local);
  const JuliusDay day = DateToJulius(local.tm_year + 1900, static_cast<uint8_t>(local.tm_mon + 1),
                                     static_cast<uint8_t>(local.tm_mday));
  return day * kDaySeconds + local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
}

std::vector<TReminder> TReminderSchedule::TakeDue(const TLineList& list, TWallSeconds now) {
  // What fell due a day ago cannot come again, even with the clock set back a little: forget it.
  while (!raised_.empty() && raised_.begin()->first <= now - kDaySeconds)
    raised_.erase(raised_.begin());
  std::vector<TReminder> due;
  for (auto& [reminder, line] : AlarmItems(list, DayOf(now - kReminderGrace))) {
    if (reminder.Due > now || reminder.Due <= now - kReminderGrace) continue;
    if (!raised_.emplace(reminder.Due, *line).second) continue;
    due.push_back(std::move(reminder));
  }
  std::stable_sort(due.begin(), due.end(),
                   [](const TReminder& a, const TReminder& b) { return a.Due < b.Due; });
  return due;
}

std::optional<TWallSeconds> TReminderSchedule::NextDue(const TLineList& list,
                                                       TWallSeconds now) const {
  std::optional<TWallSeconds> next;
  for (const auto& [reminder, line] : AlarmItems(list, DayOf(now))) {
    if (reminder.Due > now && (!next || reminder.Due < *next)) next = reminder.Due;
  }
  return next;
}

}  // namespace moriva
