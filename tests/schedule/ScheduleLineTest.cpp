#include "schedule/ScheduleLine.h"

#include <gtest/gtest.h>

#include "base/CommaText.h"
#include "base/Cp932.h"

using namespace moriva;

TEST(ScheduleLine, DayKeysDoNotOccurInOtherDaysLines) {
  EXPECT_EQ(MakeDayKey(2002, 7, 15), "2002,2002,7,15,,,");
  EXPECT_EQ(MakeDayKey(2002, 11, 1), "2002,2002,11,1,,,");
  const std::string jan11 = MakeScheduleLine(2002, 1, 11, "a", "b", "9", "0", false);
  const std::string nov1 = MakeScheduleLine(2002, 11, 1, "a", "b", "9", "0", false);
  EXPECT_EQ(jan11.find(MakeDayKey(2002, 11, 1)), std::string::npos);
  EXPECT_EQ(jan11.find(MakeDayKey(2002, 1, 1)), std::string::npos);
  EXPECT_EQ(nov1.find(MakeDayKey(2002, 1, 1)), std::string::npos);
  EXPECT_EQ(nov1.find(MakeDayKey(2002, 11, 1)), 0u);
  // The key alone splits into the seven fields of a line, the last three empty.
  EXPECT_EQ(SplitCommaText(MakeDayKey(2002, 7, 15)),
            (std::vector<std::string>{"2002", "2002", "7", "15", "", "", ""}));
}

TEST(ScheduleLine, MakeScheduleLineWritesTheStoredForm) {
  EXPECT_EQ(MakeScheduleLine(2002, 7, 15, "Meeting", "Room 3", "9", "30", true),
            "2002,2002,7,15,,,\"Meeting- Room 3- 9:30:0- TRUE\"");
  EXPECT_EQ(MakeScheduleLine(2026, 12, 6, "x", "", "0", "0", false),
            "2026,2026,12,6,,,\"x- - 0:0:0- FALSE\"");
  // Nothing is escaped: a quote goes into the line as it is.
  EXPECT_EQ(MakeScheduleLine(2026, 1, 2, "a\"b", "p", "1", "5", false),
            "2026,2026,1,2,,,\"a\"b- p- 1:5:0- FALSE\"");
  EXPECT_EQ(AlarmFlagText(true), "TRUE");
  EXPECT_EQ(AlarmFlagText(false), "FALSE");
}

TEST(ScheduleLine, ItemTextRoundTrips) {
  struct Case {
    std::string subject, place;
  } cases[] = {
      {"Meeting", "Room 3"},
      {"a, b  c", "x,y"},  // commas and blanks are safe inside the quotes
      {Utf8ToCp932("会議"), Utf8ToCp932("会議室")},
      {Utf8ToCp932("ソフト表示"), ""},  // trail bytes 0x5C / 0x5D and an empty place
      {"x", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.subject);
    std::string line = MakeScheduleLine(2026, 3, 4, c.subject, c.place, "23", "55", true);
    std::optional<TItemParts> parts = SplitItemText(GetItemText(line));
    ASSERT_TRUE(parts);
    EXPECT_EQ(*parts, (TItemParts{c.subject, c.place, "23:55:0", "TRUE", ""}));
  }
}

TEST(ScheduleLine, SplitItemTextByPartCount) {
  struct Case {
    std::string text;
    std::optional<TItemParts> parts;
  } cases[] = {
      {"", std::nullopt},
      {"a- b- c", std::nullopt},
      {"a- b- c- d", TItemParts{"a", "b", "c", "d", ""}},
      {"a- b- c- d- e", TItemParts{"a", "b", "c", "d", "e"}},
      {"a- b- c- d- e- f", TItemParts{"a", "b", "c", "d", ""}},
      {"a-b- c- d- e", TItemParts{"a-b", "c", "d", "e", ""}},
      // A separator inside the subject shifts every later part by one.
      {"x- y- p- 9:0:0- TRUE", TItemParts{"x", "y", "p", "9:0:0", "TRUE"}},
      {"a- - - ", TItemParts{"a", "", "", "", ""}},
      {"a-- b- c- d", TItemParts{"a-", "b", "c", "d", ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(SplitItemText(c.text), c.parts);
  }
}

TEST(ScheduleLine, OnlyUpperCaseTrueIsAnAlarm) {
  for (const char* flag : {"true", "True", "TRUe", "FALSE", "", " TRUE", "TRUE "}) {
    SCOPED_TRACE(flag);
    EXPECT_FALSE(IsAlarmOn(flag));
  }
  EXPECT_TRUE(IsAlarmOn("TRUE"));
  EXPECT_FALSE(SplitItemText("s- p- 9:0:0- true")->Alarm());
}

TEST(ScheduleLine, GetItemTextNeedsExactlySevenFields) {
  EXPECT_EQ(GetItemText("2002,2002,7,15,,,\"a- b- c- d\""), "a- b- c- d");
  EXPECT_EQ(GetItemText("2002,2002,7,15,,,plain"), "plain");
  EXPECT_EQ(GetItemText(",,5,5,,,\"Memorial\""), "Memorial");
  EXPECT_EQ(GetItemText("2002,2002,7,15,,\"a\""), "");               // six fields
  EXPECT_EQ(GetItemText("2002,2002,7,15,,,\"a\"b- c- d- e\""), "");  // a quote ends it early
  EXPECT_EQ(GetItemText("2002,2002,7,15,,,\"Meeting- Room- 1:0:0- TRUE\",x"), "");
  EXPECT_EQ(GetItemText(""), "");
}

TEST(ScheduleLine, ListDayItemsFindsTheDaysLinesInListOrder) {
  TLineList list{
      MakeScheduleLine(2002, 11, 1, "Late", "", "18", "0", false),     // 0
      MakeScheduleLine(2002, 1, 11, "Other", "", "9", "0", false),     // 1
      ",,11,1,,,\"Yearly- x- 1:0:0- TRUE\"",                           // 2: no year
      MakeScheduleLine(2002, 11, 1, "Early", "Hall", "8", "5", true),  // 3
      "2002,2002,11,01,,,\"Zero- x- 1:0:0- TRUE\"",                    // 4: leading zero
      "2002,2002,11,1,,,\"Broken\"quote- x- 1:0:0- TRUE\"",            // 5: eight fields
      "2002,2002,11,1,,,\"Short- text\"",                              // 6: too few parts
      "x2002,2002,11,1,,,\"Inside- p- t- TRUE\"",                      // 7: key not at start
  };
  std::vector<TDayItem> items = ListDayItems(2002, 11, 1, list);
  std::vector<TDayItem> expected{
      {0, "Late", "", "18:0:0", "FALSE"},
      {3, "Early", "Hall", "8:5:0", "TRUE"},
      {6, "Short- text", "", "", ""},
      {7, "Inside", "p", "t", "TRUE"},
  };
  EXPECT_EQ(items, expected);
  EXPECT_TRUE(items[1].Alarm());
  EXPECT_TRUE(ListDayItems(2002, 1, 1, list).empty());
  EXPECT_EQ(ListDayItems(2002, 1, 11, list).size(), 1u);
  EXPECT_EQ(list.Count(), 8u);  // lines of other forms stay
}

TEST(ScheduleLine, JoinScheduleLineKeepsTextsAsGiven) {
  EXPECT_EQ(JoinScheduleLine("2003", "05", "01", "a", "", "10:00", "ON"),
            "2003,2003,05,01,,,\"a- - 10:00- ON\"");
}

TEST(ScheduleLine, WeekViewTextJoinsTheDaysItemsAndNames) {
  struct Case {
    std::string mainText;
    std::string text;
  } cases[] = {
      {"\"S- p- 9:30:0- TRUE\",\"U- - 10:0:0- FALSE\",H", "S B9:30:0: U: H"},
      {"", ""},
      {Utf8ToCp932("元日,振替休日"), Utf8ToCp932("元日振替休日")},
      {"\"a- b- c- true\"", "a: "},  // only "TRUE" adds the time
      {"\"x- y\",\"Memo- - 1:0:0- TRUE- extra\"", "x- yMemo B1:0:0: "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mainText);
    EXPECT_EQ(WeekViewText(c.mainText), c.text);
  }
}
