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

// The alarm items among `items` (each occurrence of a series), with its line and the time it
// falls due. The line and the due time tell a reminder from every other.
std::vector<std::pair<TReminder, const std::string*>> AlarmItems(std::vector<TAgendaItem> items,
                                                                 const TLineList& list) {
  std::vector<std::pair<TReminder, const std::string*>> alarms;
  for (TAgendaItem& item : items) {
    const std::optional<TWallSeconds> due = DueAt(item.Day, item.Parts);
    if (!due) continue;
    TReminder r{*due, std::move(item.Parts.Subject), std::move(item.Parts.Place),
                AgendaTimeText(item.Parts.Time)};
    alarms.emplace_back(std::move(r), &list[item.Index]);
  }
  return alarms;
}

// Of the occurrences of a series (with the alarm on at this time of day), the due time of the
// first still to come after `now` (today's may have passed).
std::optional<TWallSeconds> SeriesNextDue(const TOccurrences& occurrences, const TItemParts& parts,
                                          int32_t today, TWallSeconds now) {
  for (std::optional<JuliusDay> z = occurrences.Next(today); z; z = occurrences.Next(*z + 1))
    if (*DueAt(*z, parts) > now) return DueAt(*z, parts);
  return std::nullopt;
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
  return Take(CollectAgenda(list, DayOf(now - kReminderGrace), DayOf(now), holidays), list, now);
}

std::vector<TReminder> TReminderSchedule::TakeDue(const TDayRules& rules, TWallSeconds now) {
  if (!rules.SpecialDays().Lines()) return {};
  return Take(CollectAgenda(rules, DayOf(now - kReminderGrace), DayOf(now)),
              *rules.SpecialDays().Lines(), now);
}

std::vector<TReminder> TReminderSchedule::Take(std::vector<TAgendaItem> items,
                                               const TLineList& list, TWallSeconds now) {
  // What fell due a day ago cannot come again, even with the clock set back a little: forget it.
  while (!raised_.empty() && raised_.begin()->first <= now - kDaySeconds)
    raised_.erase(raised_.begin());
  std::vector<TReminder> due;
  for (auto& [reminder, line] : AlarmItems(std::move(items), list)) {
    if (reminder.Due > now || reminder.Due <= now - kReminderGrace) continue;
    if (!raised_.emplace(reminder.Due, *line).second) continue;
    due.push_back(std::move(reminder));
  }
  std::stable_sort(due.begin(), due.end(),
                   [](const TReminder& a, const TReminder& b) { return a.Due < b.Due; });
  return due;
}

namespace {

// The earlier of two due times.
void Consider(std::optional<TWallSeconds>& next, std::optional<TWallSeconds> due,
              TWallSeconds now) {
  if (due && *due > now && (!next || *due < *next)) next = due;
}

}  // namespace

std::optional<TWallSeconds> TReminderSchedule::NextDue(const TLineList& list, TWallSeconds now,
                                                       const THolidayTest& holidays) const {
  const int32_t today = DayOf(now);
  std::optional<TWallSeconds> next;
  TSeries series;
  for (size_t i = 0; i < list.Count(); ++i) {
    const std::string& line = list.Lines()[i];
    if (!IsSeriesLine(line)) {
      if (const std::optional<TAgendaItem> item = ReadAgendaLine(line, i);
          item && item->Day >= today)
        Consider(next, DueAt(item->Day, item->Parts), now);
      continue;
    }
    std::optional<TItemParts> parts;
    if (ParseSeriesLine(line, series) != TSeriesLineKind::Series ||
        !(parts = SplitItemText(series.Text)) || !DueAt(today, *parts))
      continue;
    Consider(next, SeriesNextDue(TOccurrences(series.Rule, holidays), *parts, today, now), now);
  }
  return next;
}

std::optional<TWallSeconds> TReminderSchedule::NextDue(const TDayRules& rules,
                                                       TWallSeconds now) const {
  const TDayIndex& index = rules.SpecialDays();
  if (!index.Lines()) return std::nullopt;
  const TLineList& list = *index.Lines();
  const int32_t today = DayOf(now);
  std::optional<TWallSeconds> next;
  // Items come by date: the first day with an item still to come ends the search.
  std::optional<int32_t> found;
  int32_t y;
  uint8_t m, d;
  JuliusToDate(today, y, m, d);
  index.ForEachDatedLine(y, m, d, 9999, 12, 31, [&](uint32_t line) {
    const std::optional<TAgendaItem> item = ReadAgendaLine(list[line], line);
    if (!item || item->Day < today) return true;
    if (found && item->Day > *found) return false;
    const std::optional<TWallSeconds> due = DueAt(item->Day, item->Parts);
    if (due && *due > now) found = item->Day;
    Consider(next, due, now);
    return true;
  });
  const TSeriesDays& series = rules.Series();
  for (size_t k = 0; k < series.Series().size(); ++k) {
    const std::optional<TItemParts> parts = SplitItemText(series.Series()[k].Text);
    if (!parts || !DueAt(today, *parts)) continue;
    Consider(next, SeriesNextDue(series.Occurrences(k, rules), *parts, today, now), now);
  }
  return next;
}

}  // namespace moriva
