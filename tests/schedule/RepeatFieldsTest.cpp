#include "schedule/RepeatFields.h"

#include <gtest/gtest.h>

#include "calendar/SeriesLine.h"

namespace moriva {
namespace {

// The rule the fields make for a start day, as a series line writes it (or "" when refused);
// what reads back from that rule shows the same fields.
TEST(RepeatFieldsTest, FieldsMakeTheRuleTheLineSays) {
  const JuliusDay tue = DateToJulius(2026, 12, 8);  // the second Tuesday
  const JuliusDay fri = DateToJulius(2027, 1, 29);  // the fifth and last Friday
  using K = TRepeatKind;
  using E = TRepeatEnd;
  struct Case {
    TRepeatFields fields;
    JuliusDay start;
    std::string rule;
  } cases[] = {
      {{K::None}, tue, ""},
      {{K::Daily, 3}, tue, "start=20261208;every=3d"},
      {{K::Weekly, 1}, tue, "every=1w;on=tu"},  // none ticked: the start's weekday
      {{K::Weekly, 2, 0x2A}, tue, "every=2w;on=mo+we+fr"},
      {{K::Weekly, 1, 0, {}, E::Count, 0, 10, true}, tue, "every=1w;on=tu;count=10;holidays=skip"},
      {{K::Monthly, 1, 0, TMonthlyBy::Day}, tue, "every=1m;day=8"},
      {{K::Monthly, 1, 0, TMonthlyBy::Weekday}, tue, "every=1m;on=tu;week=2"},
      {{K::Monthly, 1, 0, TMonthlyBy::LastWeekday}, fri, "every=1m;on=fr;week=last"},
      {{K::Monthly, 1, 0, TMonthlyBy::LastDay}, tue, "every=1m;day=last"},
      {{K::Yearly, 1, 0, {}, E::Date, DateToJulius(2030, 12, 31)}, tue, "every=1y;until=20301231"},
      // Refused: an end before the start, a count or interval out of range.
      {{K::Daily, 1, 0, {}, E::Date, tue - 1}, tue, ""},
      {{K::Daily, 1, 0, {}, E::Count, 0, 0}, tue, ""},
      {{K::Daily, 1000}, tue, ""},
  };
  for (const Case& c : cases) {
    const std::optional<TRecurrence> rule = RuleOfFields(c.fields, c.start);
    ASSERT_EQ(rule.has_value(), !c.rule.empty()) << c.rule;
    if (!rule) continue;
    const std::string line = WriteSeriesLine(TSeries{"x", *rule, "a- - 0:0:0- FALSE"});
    EXPECT_NE(line.find(c.rule + ","), std::string::npos) << line;
    EXPECT_FALSE(RuleFieldsChanged(FieldsOfRule(*rule), *rule));
    EXPECT_EQ(RuleOfFields(FieldsOfRule(*rule), c.start), rule) << c.rule;
  }
  EXPECT_EQ(MonthlyByTexts(fri),
            (std::array<std::string, 4>{"29日", "第5金曜日", "最終金曜日", "末日"}));
}

}  // namespace
}  // namespace moriva
