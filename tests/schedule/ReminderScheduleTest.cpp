// Which alarm items are raised, and when: at their time, once, and never when too late.
#include <gtest/gtest.h>

#include "base/Cp932.h"
#include "calendar/Julius.h"
#include "schedule/ReminderSchedule.h"

namespace moriva {
namespace {

TWallSeconds At(int day, int hour, int minute, int second = 0) {
  return DateToJulius(2026, 12, static_cast<uint8_t>(day)) * TWallSeconds{86400} + hour * 3600 +
         minute * 60 + second;
}

std::vector<std::string> Subjects(const std::vector<TReminder>& rs) {
  std::vector<std::string> s;
  for (const TReminder& r : rs) s.push_back(r.Subject);
  return s;
}

TEST(ReminderScheduleTest, RaisesEachAlarmItemOnceAndNothingStale) {
  TLineList list;
  list.Add("2026,2026,12,7,,,\"meeting- hall- 10:0:0- TRUE\"");
  list.Add("2026,2026,12,7,,,\"quiet- x- 10:0:0- FALSE\"");
  list.Add("2026,2026,12,7,,,\"late- y- 10:30:0- TRUE\"");
  list.Add("2026,2026,12,6,,,\"night- z- 23:55:0- TRUE\"");
  list.Add("2026,2026,12,7,,,\"odd- w- 25:0:0- TRUE\"");
  list.Add("2026,2026,12,7,,,\"" + Utf8ToCp932("歯医者- 駅前- 9:5:0- TRUE") + "\"");
  TReminderSchedule schedule;
  struct Step {
    TWallSeconds now;
    std::vector<std::string> raised;
    std::optional<TWallSeconds> next;
  };
  const Step steps[] = {
      {At(7, 0, 5), {"night"}, At(7, 9, 5)},  // ten minutes late, across midnight
      {At(7, 0, 6), {}, At(7, 9, 5)},
      {At(7, 9, 19, 59),
       {Utf8ToCp932("歯医者")},
       At(7, 10, 0)},  // asleep from 8:00, under 15 minutes
      {At(7, 9, 59, 59), {}, At(7, 10, 0)},
      {At(7, 10, 0), {"meeting"}, At(7, 10, 30)},
      {At(7, 10, 1), {}, At(7, 10, 30)},
      {At(7, 10, 45), {}, std::nullopt},  // woke at exactly fifteen minutes late: too late
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.now);
    EXPECT_EQ(Subjects(schedule.TakeDue(list, s.now)), s.raised);
    EXPECT_EQ(schedule.NextDue(list, s.now), s.next);
  }

  // With the clock set back, what was raised stays raised. An edited item is a new reminder;
  // the same line twice is one.
  list.Add("2026,2026,12,7,,,\"meeting- hall- 10:0:0- TRUE\"");
  EXPECT_TRUE(schedule.TakeDue(list, At(7, 10, 14, 59)).empty());
  list.Put(0, "2026,2026,12,7,,,\"meeting- room 2- 10:0:0- TRUE\"");
  const std::vector<TReminder> again = schedule.TakeDue(list, At(7, 10, 14, 59));
  ASSERT_EQ(again.size(), 1u);
  EXPECT_EQ(again[0], (TReminder{At(7, 10, 0), "meeting", "room 2", "10:00"}));
  // A program started later sees it too, while it is under fifteen minutes late.
  EXPECT_EQ(Subjects(TReminderSchedule().TakeDue(list, At(7, 10, 14, 59))),
            (std::vector<std::string>{"meeting", "meeting"}));
}

}  // namespace
}  // namespace moriva
