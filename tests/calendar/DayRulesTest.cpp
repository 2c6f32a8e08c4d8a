#include "calendar/DayRules.h"

#include <gtest/gtest.h>

#include <random>

#include "base/Cp932.h"
#include "base/IntText.h"
#include "calendar/HolidayLines.h"
#include "calendar/Julius.h"

namespace moriva {
namespace {

class DayRulesTest : public testing::Test {
 protected:
  void SetUp() override { EXPECT_TRUE(rules.Build(ClassicHolidayLines(), {}).empty()); }
  std::string Text(int32_t y, uint8_t m, uint8_t d) const {
    return Cp932ToUtf8(rules.DayText(y, m, d));
  }
  TDayRules rules;
};

TEST_F(DayRulesTest, TheFifteenLines) {
  ASSERT_EQ(ClassicHolidayLines().Count(), 15u);
  EXPECT_EQ(rules.HolidayItems().size(), 15u);
  EXPECT_EQ(ClassicHolidayLines()[0], Utf8ToCp932(",,1,1,,,元旦"));
  EXPECT_EQ(ClassicHolidayLines()[14], Utf8ToCp932(",,12,23,,,天皇誕生日"));
}

TEST_F(DayRulesTest, HolidaysOfTheProgramsList) {
  const TDayState holiday{dsHoliday}, none{};
  const struct {
    int32_t y;
    uint8_t m, d;
    TDayState state;
    const char* text;
  } cases[] = {
      {1999, 1, 15, holiday, "成人の日"},
      {2000, 1, 15, TDayState{dsSaturday}, ""},
      {2000, 1, 10, holiday, "成人の日"},
      {2001, 1, 8, holiday, "成人の日"},
      {1999, 10, 10, TDayState{dsSunday, dsHoliday}, "体育の日"},
      {2001, 10, 8, holiday, "体育の日"},
      {2001, 2, 11, TDayState{dsSunday, dsHoliday}, "建国の日"},
      {2001, 2, 12, TDayState{dsFurikae}, "振替休日"},
      {2001, 2, 13, none, ""},
      {1999, 3, 21, TDayState{dsSunday, dsHoliday}, "春分の日"},
      {1999, 3, 22, TDayState{dsFurikae}, "振替休日"},
      {2000, 3, 20, holiday, "春分の日"},
      {2001, 3, 20, holiday, "春分の日"},
      {2002, 3, 21, holiday, "春分の日"},
      {2000, 9, 23, TDayState{dsSaturday, dsHoliday}, "秋分の日"},
      {2001, 9, 23, TDayState{dsSunday, dsHoliday}, "秋分の日"},
      {2001, 9, 24, TDayState{dsFurikae}, "振替休日"},
      {2012, 9, 22, TDayState{dsSaturday, dsHoliday}, "秋分の日"},
      {2009, 5, 3, TDayState{dsSunday, dsHoliday}, "憲法記念日"},
      {2009, 5, 4, holiday, "国民の休日"},  // a Monday holiday: no substitute
      {2009, 5, 5, holiday, "こどもの日"},
      {2009, 5, 6, none, ""},  // nothing moves on to a later day
      {2026, 12, 7, none, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.y << "/" << int(c.m) << "/" << int(c.d));
    EXPECT_EQ(rules.DayState(c.y, c.m, c.d), c.state);
    EXPECT_EQ(Text(c.y, c.m, c.d), c.text);
  }
}

TEST_F(DayRulesTest, BuiltInRulesCanBeSwitchedOff) {
  rules.AutoEquinox = false;
  EXPECT_EQ(rules.DayState(2000, 3, 20), TDayState{});
  EXPECT_EQ(rules.DayText(2000, 3, 20), "");
  // Without the equinox the Sunday 23 September 2001 is no holiday, so no substitute either.
  EXPECT_EQ(rules.DayState(2001, 9, 24), TDayState{});

  rules.AutoEquinox = true;
  rules.AutoFurikae = false;
  EXPECT_EQ(rules.DayState(2001, 2, 12), TDayState{});
  EXPECT_EQ(rules.DayText(2001, 2, 12), "");
  for (JuliusDay z = DateToJulius(1990, 1, 1); z <= DateToJulius(2010, 12, 31); ++z) {
    int32_t y;
    uint8_t m, d;
    JuliusToDate(z, y, m, d);
    ASSERT_FALSE(rules.DayState(y, m, d).Has(dsFurikae)) << z;
  }
}

TEST(DayRules, NamesInListOrderSpecialDaysFirst) {
  TDayRules rules;
  TLineList holidays{Utf8ToCp932(",,5,3,,,憲法記念日"), "5,3,second", "2001,2,5,3,\"with blank\""};
  TLineList specials{"2001,2001,5,3,,,\"Dentist- - 9:30:0- TRUE\"", "5,3,\"a\"\"b,c\""};
  ASSERT_TRUE(rules.Build(holidays, specials).empty());
  EXPECT_EQ(rules.DayState(2001, 5, 3), (TDayState{dsHoliday, dsSpecialDay}));
  EXPECT_EQ(Cp932ToUtf8(rules.DayText(2001, 5, 3)),
            "\"Dentist- - 9:30:0- TRUE\",\"a\"\"b,c\",憲法記念日,second,\"with blank\"");
  EXPECT_EQ(rules.DayText(2000, 5, 3), Utf8ToCp932("\"a\"\"b,c\",憲法記念日,second"));

  // One empty name is an empty quoted field, not an empty text.
  ASSERT_TRUE(rules.Build({"7,10,\"\""}, {}).empty());
  EXPECT_EQ(rules.DayText(2001, 7, 10), "\"\"");
  EXPECT_EQ(rules.DayState(2001, 7, 10), TDayState{dsHoliday});
}

TEST(DayRules, SpecialDayAloneIsNoHoliday) {
  TDayRules rules;
  rules.Build(ClassicHolidayLines(), {"2001,2001,2,10,,,x"});
  EXPECT_EQ(rules.DayState(2001, 2, 10), (TDayState{dsSaturday, dsSpecialDay}));
  // A special day on the Sunday does not make the Monday a substitute holiday.
  rules.Build({}, {",,,,1,,every sunday"});
  EXPECT_FALSE(rules.DayState(2001, 2, 12).Has(dsFurikae));
}

// A faulty numeric field used to abort the rebuild and leave every later line unread.
TEST(DayRules, FaultyLineIsSkippedAndReported) {
  TDayRules rules;
  TLineList holidays = ClassicHolidayLines();
  holidays.Insert(3, "x,1,bad");
  TLineList specials{"2001,2001,5,1,,,first", "2001,2001,5,2x,,,second", "2001,2001,5,3,,,third"};
  std::vector<std::string> faulty;
  ASSERT_NO_THROW(faulty = rules.Build(holidays, specials));
  EXPECT_EQ(faulty, (std::vector<std::string>{"x,1,bad", "2001,2001,5,2x,,,second"}));
  EXPECT_EQ(rules.HolidayItems().size(), 15u);
  EXPECT_EQ(rules.SpecialDayItems().size(), 2u);
  EXPECT_TRUE(rules.DayState(2001, 11, 23).Has(dsHoliday));  // a line after the faulty one
  EXPECT_EQ(rules.DayText(2001, 5, 3), Utf8ToCp932("third,憲法記念日"));
  EXPECT_FALSE(rules.DayState(2001, 5, 2).Has(dsSpecialDay));
  EXPECT_EQ(NotAnIntegerMessage("2x"), "'2x' は整数ではありません");

  // Rebuilding with sound lines forgets the fault.
  EXPECT_TRUE(rules.Build(ClassicHolidayLines(), {}).empty());
  EXPECT_TRUE(rules.SpecialDayItems().empty());
}

TEST_F(DayRulesTest, GregorianGapRaises) {
  EXPECT_THROW(rules.DayState(1582, 10, 10), EJuliusError);
  EXPECT_THROW(rules.DayText(1582, 10, 10), EJuliusError);
  EXPECT_NO_THROW(rules.DayState(1582, 10, 15));
}

// The date index must give exactly what testing every item in turn gives: the same matches in
// the same order, for lists that mix single-day lines (also repeated ones) with every other
// kind of rule.
// A series marks the days it falls on and its text is among their names, in the order of the
// lines with the plain items; an unreadable one is reported like a faulty rule line; the days
// it skips follow the holiday switches when they change.
TEST_F(DayRulesTest, SeriesInTheDayStateAndText) {
  const TLineList lines{
      "2027,2027,1,5,,,\"A- - 9:0:0- FALSE\"",
      "repeat;id=s;start=20270105;every=1w;on=tu;until=20270131,\"S- - 10:0:0- FALSE\"",
      "2027,2027,1,5,,,\"B- - 11:0:0- FALSE\"",
      "repeat;id=h;start=20270319;every=1d;count=4;holidays=skip,\"H\"",
      "repeat;id=bad;start=20270105;every=1w,\"no weekday\"",
  };
  EXPECT_EQ(rules.Build(ClassicHolidayLines(), lines), std::vector<std::string>{lines[4]});
  EXPECT_EQ(rules.Series().Series().size(), 2u);
  EXPECT_EQ(Text(2027, 1, 5),
            "\"A- - 9:0:0- FALSE\",\"S- - 10:0:0- FALSE\",\"B- - 11:0:0- FALSE\"");
  EXPECT_EQ(Text(2027, 1, 12), "\"S- - 10:0:0- FALSE\"");
  EXPECT_EQ(rules.DayState(2027, 1, 12), TDayState{dsSpecialDay});
  EXPECT_EQ(rules.DayState(2027, 1, 13), TDayState{});
  EXPECT_EQ(rules.DayState(2027, 1, 4), TDayState{});  // before the start
  // 2027-03-21 is the vernal equinox, a Sunday; the 22nd its substitute.
  auto hDays = [&] {
    std::string days;
    for (uint8_t d = 19; d <= 26; ++d)
      if (rules.DayState(2027, 3, d).Has(dsSpecialDay)) days += std::to_string(d) + " ";
    return days;
  };
  EXPECT_EQ(hDays(), "19 20 23 24 ");
  rules.AutoEquinox = false;
  EXPECT_EQ(hDays(), "19 20 21 22 ");
  // Rebuilt after an edit of another line: what was worked out under other holidays goes.
  TLineList edited = lines;
  edited.Put(0, "2027,2027,1,6,,,\"A- - 9:0:0- FALSE\"");
  rules.AutoEquinox = true;
  rules.Build(ClassicHolidayLines(), edited);
  EXPECT_EQ(hDays(), "19 20 23 24 ");
  rules.Build(ClassicHolidayLines(), lines);
  EXPECT_EQ(hDays(), "19 20 23 24 ");
  EXPECT_TRUE(rules.IsHoliday(DateToJulius(2027, 2, 11)));
  EXPECT_TRUE(rules.IsHoliday(DateToJulius(2027, 3, 22)));
}

TEST(DayItemCollection, IndexAgreesWithAFullScan) {
  std::mt19937 rng(20011);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int round = 0; round < 4; ++round) {
    std::vector<TDayListItem> items;
    for (int i = 0; i < 400; ++i) {
      TDayListItem it;
      it.Name = std::to_string(i);
      const int kind = pick(0, 5);
      it.Month = static_cast<uint8_t>(pick(0, 2) ? pick(1, 3) : 0);
      it.Day = static_cast<uint8_t>(pick(0, 3) ? pick(1, 31) : 0);
      if (kind <= 2) {  // single day, often the same ones
        it.FromYear = it.ToYear = pick(2000, 2002);
        it.Month = static_cast<uint8_t>(pick(1, 3));
        it.Day = static_cast<uint8_t>(pick(1, 31));
        if (kind == 2) it.DayOfWeek = static_cast<uint8_t>(pick(1, 7));
      } else if (kind == 3) {
        it.FromYear = pick(0, 1) ? pick(1999, 2003) : kNoYear;
        it.ToYear = pick(0, 1) ? pick(1999, 2003) : kNoYear;
      } else if (kind == 4) {
        it.DayOfWeek = static_cast<uint8_t>(pick(1, 7));
        it.WeekNo = static_cast<uint8_t>(pick(0, 5));
        it.Day = 0;
      }
      items.push_back(it);
    }
    TDayItemCollection c;
    c.Assign(items);
    for (JuliusDay z = DateToJulius(1999, 12, 25); z <= DateToJulius(2002, 4, 5); ++z) {
      int32_t y;
      uint8_t m, d;
      JuliusToDate(z, y, m, d);
      std::vector<std::string> scanned, indexed;
      for (const TDayListItem& it : items)
        if (it.Match(y, m, d)) scanned.push_back(it.Name);
      c.ForEachMatch(y, m, d, [&](const TDayListItem& it) { indexed.push_back(it.Name); });
      ASSERT_EQ(indexed, scanned) << y << "/" << int(m) << "/" << int(d);
      ASSERT_EQ(c.AnyMatch(y, m, d), !scanned.empty());
    }
  }
}

}  // namespace
}  // namespace moriva
