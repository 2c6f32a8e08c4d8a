#include "schedule/ScheduleEditorFields.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/Cp932.h"

using namespace moriva;

TEST(ScheduleEditorFields, HourEntriesStartAtMidnightAndWrapRound) {
  ASSERT_EQ(kHourEntries.size(), 24u);
  EXPECT_EQ(kHourEntries[0], "0");
  EXPECT_EQ(kHourEntries[1], "7");
  EXPECT_EQ(kHourEntries[17], "23");
  EXPECT_EQ(kHourEntries[18], "1");
  EXPECT_EQ(kHourEntries[23], "6");
  // Every hour of the day is there once, and its entry writes it back as it was stored.
  for (int h = 0; h < 24; ++h) {
    SCOPED_TRACE(h);
    const int position = FindHourEntry(std::to_string(h));
    EXPECT_EQ(HourEntryText(position), std::to_string(h));
    EXPECT_EQ(std::count(kHourEntries.begin(), kHourEntries.end(), std::to_string(h)), 1);
  }
  EXPECT_EQ(kMinuteEntries.size(), 12u);
  EXPECT_EQ(kMinuteEntries[11], "55");
}

TEST(ScheduleEditorFields, FindEntries) {
  struct Case {
    std::string_view text;
    int hour, minute;
  } cases[] = {
      {"0", 0, 0},
      {"7", 1, kNoChoice},  // 7 minutes is not a step of five
      {"23", 17, kNoChoice},
      {"1", 18, kNoChoice},
      {"6", 23, kNoChoice},
      {" 9 ", 3, kNoChoice},  // surrounding blanks do not count
      {"\t10", 4, 2},
      {"00", kNoChoice, 0},  // a full hour written with two digits
      {"05", kNoChoice, kNoChoice},
      {"09", kNoChoice, kNoChoice},
      {"24", kNoChoice, kNoChoice},
      {"", kNoChoice, kNoChoice},
      {"x", kNoChoice, kNoChoice},
      {"5 5", kNoChoice, kNoChoice},
      {"55", kNoChoice, 11},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text));
    EXPECT_EQ(FindHourEntry(c.text), c.hour);
    EXPECT_EQ(FindMinuteEntry(c.text), c.minute);
  }
  EXPECT_EQ(HourEntryText(3), "9");
  EXPECT_EQ(MinuteEntryText(6), "30");
  for (int bad : {kNoChoice, 24, 1000}) EXPECT_EQ(HourEntryText(bad), "");
  for (int bad : {kNoChoice, 12}) EXPECT_EQ(MinuteEntryText(bad), "");
}

TEST(ScheduleEditorFields, ParseTimeReadsOnlyThreePieces) {
  struct Case {
    std::string_view time;
    std::optional<TTimeChoice> choice;
  } cases[] = {
      {"9:30:0", TTimeChoice{3, 6}},
      {"0:0:0", TTimeChoice{0, 0}},
      {"0:00:0", TTimeChoice{0, 0}},
      {"23:55:0", TTimeChoice{17, 11}},
      {"9 :30:0", TTimeChoice{3, 6}},  // a blank before a comma is only a separator
      {"9:7:0", TTimeChoice{3, kNoChoice}},
      {"25:30:0", TTimeChoice{kNoChoice, 6}},
      {":30:0", TTimeChoice{kNoChoice, 6}},  // written from an empty hour choice
      {"9::0", TTimeChoice{3, kNoChoice}},
      {"9:30", std::nullopt},
      {"9:30:0:0", std::nullopt},
      {"9 30:0:0", std::nullopt},  // a blank separates pieces as a comma does: four
      {"0930", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.time));
    EXPECT_EQ(ParseTime(c.time), c.choice);
    EXPECT_EQ(IsAllDayTime(c.time), c.time.empty());
  }
  EXPECT_TRUE(IsAllDayTime(" \t"));
}

TEST(ScheduleEditorFields, NodeTextsImagesAndCaption) {
  EXPECT_EQ(ItemNodeText("a", "", "9:30:0"), "09:30 a");
  EXPECT_EQ(ItemNodeText(Utf8ToCp932("会議"), Utf8ToCp932("本社"), "14:30:0"),
            Utf8ToCp932("14:30 会議 @本社"));
  EXPECT_EQ(NodeImages(false), (TNodeImages{yiItem, yiItemSelected}));
  EXPECT_EQ(NodeImages(true), (TNodeImages{yiAlarm, yiAlarm}));
  EXPECT_EQ(EditorCaption(2026, 3, 4), "2026/3/4 の予定");
  EXPECT_EQ(EditorCaption(2002, 12, 31), "2002/12/31 の予定");
}

TEST(ScheduleEditorFields, WritableItemTexts) {
  struct Case {
    std::string text;
    bool writable;
  } cases[] = {
      {"", true},
      {"Meeting, room 3", true},
      {"a-b", true},
      {"a -b", true},
      {"end-", true},
      {Utf8ToCp932("ソフト表示"), true},  // trail bytes 0x5C / 0x5D are harmless
      {"a\tb", true},
      {"a- b", false},
      {"- ", false},
      {"say \"hi\"", false},
      {"\"", false},
      {"two\nlines", false},
      {"two\rlines", false},
      {std::string("nul\0x", 5), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(IsWritableItemText(c.text), c.writable);
  }
}
