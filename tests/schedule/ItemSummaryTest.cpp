#include "schedule/ItemSummary.h"

#include <gtest/gtest.h>

#include "base/Cp932.h"

using namespace moriva;

namespace {

TItemParts Parts(const char* subject, const char* place, const char* time, bool alarm = false) {
  TItemParts p;
  p.Subject = Utf8ToCp932(subject);
  p.Place = Utf8ToCp932(place);
  p.Time = time;
  p.AlarmFlag = AlarmFlagText(alarm);
  return p;
}

TEST(ItemSummary, TextHasTheTimeOfDayAndThePlaceOnlyWhenThereAreSome) {
  const struct {
    const char* time;
    const char* place;
    const char* text;
  } cases[] = {
      {"14:30:0", "本社", "14:30 会議 @本社"},
      {"9:5:0", "", "09:05 会議"},
      {"0:0:0", "", "00:00 会議"},    // midnight is a time
      {"::0", "本社", "会議 @本社"},  // no hour chosen: the whole day
      {"", "", "会議"},
      {"未定", "", "会議"},
      {"24:0:0", "", "会議"},
      {"9:60:0", "", "会議"},
      {"9:30", "", "会議"},  // not the stored H:M:S
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.time);
    EXPECT_EQ(Cp932ToUtf8(SummarizeItem(Parts("会議", c.place, c.time)).Text()), c.text);
  }
}

TEST(ItemSummary, DayShowsItsNamesThenWholeDayItemsThenItemsByTimeInEntryOrder) {
  // An item's name is its text: subject- place- time- alarm.
  auto item = [](const char* subject, const char* time, bool alarm = false) {
    return TDayName{Utf8ToCp932(subject) + "- - " + time + "- " + AlarmFlagText(alarm), false};
  };
  const std::vector<TDayName> names = {
      item("夜", "19:00:0"),   item("朝", "7:30:0", true),      item("終日a", "::0"),
      item("同時1", "12:0:0"), {Utf8ToCp932("記念日"), false},  item("同時2", "12:0:0"),
      item("終日b", "未定"),   {Utf8ToCp932("成人の日"), true},
  };
  using K = TDayEntry::TKind;
  const std::vector<TDayEntry> expected = {
      {K::SpecialDay, Utf8ToCp932("記念日")},   {K::Holiday, Utf8ToCp932("成人の日")},
      {K::Item, Utf8ToCp932("終日a")},          {K::Item, Utf8ToCp932("終日b")},
      {K::Item, Utf8ToCp932("07:30 朝"), true}, {K::Item, Utf8ToCp932("12:00 同時1")},
      {K::Item, Utf8ToCp932("12:00 同時2")},    {K::Item, Utf8ToCp932("19:00 夜")},
  };
  EXPECT_EQ(DayEntries(names), expected);
}

}  // namespace
