#include "schedule/ReminderSchedule.h"

#include <algorithm>
#include <ctime>

#include "calendar/Julius.h"
#include "calendar/SeriesLine.h"
#include "schedule/Agenda.h"

namespace moriva {
namespace {

constexpr TWallSeconds kDaySeconds = 24 * 60 * 60;

// When an item of `day` with these parts falls due; nothing when its alarm is off or its time
// is not a time of day.
std::optional<TWallSeconds> DueAt(int32_t day, const TItemParts& parts) {
  if (!parts.Alarm()) return std::nullopt;
  const std::optional<TTimeOfDay> t = StoredTimeOfDay(parts.Time);
  if (!t || t->Hour > 23 || t->Minute > 59) return std::nullopt;
  return day * kDaySeconds + t->Hour * 3600 + t->Minute * 60;
}

// Every alarm item dated fromDay..toDay (each occurrence of a series), with its line and the
// time it falls due. The line and the due time tell a reminder from every other.
std::vector<std::pair<TReminder, const std::string*>> AlarmItems(const TLineList& list,
                                                                 int32_t fromDay, int32_t toDay,
                                                                 const THolidayTest& holidays) {
  std::vector<std::pair<TReminder, const std::string*>> items;
  for (TAgendaItem& item : CollectAgenda(list, fromDay, toDay, holidays)) {
    const std::optional<TWallSeconds> due = DueAt(item.Day, item.Parts);
    if (!due) continue;
    TReminder r{*due, std::move(item.Parts.Subject), std::move(item.Parts.Place),
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

std::vector<TReminder> TReminderSchedule::TakeDue(const TLineList& list, TWallSeconds now,
                                                  const THolidayTest& holidays) {
  // What fell due a day ago cannot come again, even with the clock set back a little: forget it.
  while (!raised_.empty() && raised_.begin()->first <= now - kDaySeconds)
    raised_.erase(raised_.begin());
  std::vector<TReminder> due;
  for (auto& [reminder, line] :
       AlarmItems(list, DayOf(now - kReminderGrace), DayOf(now), holidays)) {
    if (reminder.Due > now || reminder.Due <= now - kReminderGrace) continue;
    if (!raised_.emplace(reminder.Due, *line).second) continue;
    due.push_back(std::move(reminder));
  }
  std::stable_sort(due.begin(), due.end(),
                   [](const TReminder& a, const TReminder& b) { return a.Due < b.Due; });
  return due;
}

std::optional<TWallSeconds> TReminderSchedule::NextDue(const TLineList& list, TWallSeconds now,
                                                       const THolidayTest& holidays) const {
  const int32_t today = DayOf(now);
  std::optional<TWallSeconds> next;
  const auto consider = [&](std::optional<TWallSeconds> due) {
    if (due && *due > now && (!next || *due < *next)) next = due;
  };
  TSeries series;
  for (size_t i = 0; i < list.Count(); ++i) {
    const std::string& line = list.Lines()[i];
    if (!IsSeriesLine(line)) {
      if (const std::optional<TAgendaItem> item = ReadAgendaLine(line, i);
          item && item->Day >= today)
        consider(DueAt(item->Day, item->Parts));
      continue;
    }
    // A series: its first occurrence still to come (today's may have passed).
    std::optional<TItemParts> parts;
    if (ParseSeriesLine(line, series) != TSeriesLineKind::Series ||
        !(parts = SplitItemText(series.Text)) || !DueAt(today, *parts))
      continue;
    const TOccurrences occurrences(series.Rule, holidays);
    for (std::optional<JuliusDay> z = occurrences.Next(today); z; z = occurrences.Next(*z + 1)) {
      if (*DueAt(*z, *parts) <= now) continue;
      consider(DueAt(*z, *parts));
      break;
    }
  }
  return next;
}

}  // namespace moriva
