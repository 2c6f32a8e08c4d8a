#include "schedule/Agenda.h"

#include <gtest/gtest.h>

#include "calendar/Julius.h"

using namespace moriva;

TEST(Agenda, ItemsOfARangeByDateInListOrder) {
  TLineList list{
      MakeScheduleLine(2026, 12, 7, "b", "", "9", "0", false),       // 0
      MakeScheduleLine(2026, 12, 6, "a", "p", "10", "5", true),      // 1
      "2026,2026,12,07,,,\"c- - 8:0:0- FALSE\"",                     // 2: leading zero, still 7 Dec
      ",,12,7,,,\"yearly- - 1:0:0- TRUE\"",                          // 3: no year
      "2026,2027,12,7,,,\"range- - 1:0:0- TRUE\"",                   // 4: two years
      "2026,2026,12,,1,2,\"rule- - 1:0:0- TRUE\"",                   // 5: weekday rule
      "2026,2026,12,7,,,\"short\"",                                  // 6: too few parts
      MakeScheduleLine(2026, 12, 5, "before", "", "9", "0", false),  // 7
      MakeScheduleLine(2026, 12, 9, "after", "", "9", "0", false),   // 8
  };
  const int32_t from = DateToJulius(2026, 12, 6), to = DateToJulius(2026, 12, 8);
  std::vector<TAgendaItem> items = CollectAgenda(list, from, to);
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].Index, 1u);
  EXPECT_EQ(items[0].Parts, (TItemParts{"a", "p", "10:5:0", "TRUE", ""}));
  EXPECT_EQ(items[1].Index, 0u);
  EXPECT_EQ(items[2].Index, 2u);
  EXPECT_EQ(items[2].Day, DateToJulius(2026, 12, 7));
  EXPECT_EQ(CollectAgenda(list, std::nullopt, std::nullopt).size(), 5u);
  EXPECT_EQ(CollectAgenda(list, DateToJulius(2026, 12, 9), std::nullopt).size(), 1u);
}

TEST(Agenda, TimeText) {
  struct Case {
    const char* stored;
    const char* shown;
  } cases[] = {{"9:30:0", "9:30"}, {"0:5:0", "0:05"}, {"23:55:0", "23:55"},   {"10:00", "10:00"},
               {"9:x:0", "9:x:0"}, {"", ""},          {"1:2:3:4", "1:2:3:4"}, {"-1:0:0", "-1:0:0"}};
  for (const auto& c : cases) EXPECT_EQ(AgendaTimeText(c.stored), c.shown) << c.stored;
}
