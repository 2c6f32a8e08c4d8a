#include "calendar/Recurrence.h"

#include <gtest/gtest.h>

#include <random>

#include "calendar/HolidayLines.h"
#include "calendar/SeriesLine.h"

namespace moriva {
namespace {

JuliusDay Day(int ymd) {
  return DateToJulius(ymd / 10000, static_cast<uint8_t>(ymd / 100 % 100),
                      static_cast<uint8_t>(ymd % 100));
}

int Ymd(JuliusDay z) {
  int32_t y;
  uint8_t m, d;
  JuliusToDate(z, y, m, d);
  return y * 10000 + m * 100 + d;
}

TRecurrence Rule(const std::string& fields) {
  TSeries s;
  EXPECT_EQ(ParseSeriesLine("repeat;id=x;" + fields + ",\"t\"", s), TSeriesLineKind::Series)
      << fields;
  return s.Rule;
}

// One table per kind of rule: the occurrences in a range, as the calendar must show them.
TEST(Recurrence, OccurrencesOfEachKind) {
  const struct {
    const char* rule;
    int from, to;
    std::vector<int> days;
  } cases[] = {
      // weekly, several weekdays, every other week (weeks begin on Monday)
      {"start=20270104;every=2w;on=mo+we+fr",
       20270101,
       20270131,
       {20270104, 20270106, 20270108, 20270118, 20270120, 20270122}},
      {"start=20270103;every=2w;on=su+mo",
       20270101,
       20270131,
       {20270103, 20270111, 20270117, 20270125, 20270131}},
      // a start that is no day of the rule is no occurrence
      {"start=20261210;every=1w;on=tu", 20261201, 20261222, {20261215, 20261222}},
      // the nth and the last weekday; a month without a fifth one has none
      {"start=20270101;every=1m;on=fr;week=2",
       20270101,
       20270430,
       {20270108, 20270212, 20270312, 20270409}},
      {"start=20270101;every=1m;on=fr;week=last",
       20270101,
       20270430,
       {20270129, 20270226, 20270326, 20270430}},
      // the last day, whatever the month's length
      {"start=20271231;every=1m;day=last",
       20271201,
       20280430,
       {20271231, 20280131, 20280229, 20280331, 20280430}},
      {"start=20270101;every=1m;on=mo;week=5",
       20270101,
       20271231,
       {20270329, 20270531, 20270830, 20271129}},
      // day 31 only in the months that have one; every other month
      {"start=20270131;every=1m;day=31",
       20270101,
       20271231,
       {20270131, 20270331, 20270531, 20270731, 20270831, 20271031, 20271231}},
      {"start=20270115;every=2m;day=15", 20270101, 20270630, {20270115, 20270315, 20270515}},
      // 29 February in leap years only; every other year
      {"start=20280229;every=1y", 20270101, 20401231, {20280229, 20320229, 20360229, 20400229}},
      {"start=20260704;every=2y", 20260101, 20311231, {20260704, 20280704, 20300704}},
      {"start=20270101;every=3d", 20261201, 20270112, {20270101, 20270104, 20270107, 20270110}},
      {"start=20270101;every=1w;on=we;until=20270120",
       20270101,
       20271231,
       {20270106, 20270113, 20270120}},
      {"start=20270104;every=1w;on=mo;count=3", 20270101, 20271231, {20270104, 20270111, 20270118}},
      // 祝日を除く: 2027-01-11 is 成人の日; a skipped holiday does not count
      {"start=20270104;every=1w;on=mo;count=4;holidays=skip",
       20270101,
       20271231,
       {20270104, 20270118, 20270125, 20270201}},
      // a taken-out day is not shown but counts
      {"start=20261208;every=1w;on=tu;count=4;except=20261215",
       20261201,
       20271231,
       {20261208, 20261222, 20261229}},
      // a range in the middle of a long series: no walk from its start
      {"start=15830101;every=1d", 99991229, 99991231, {99991229, 99991230, 99991231}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rule);
    const TRecurrence rule = Rule(c.rule);
    const TOccurrences o(rule, CurrentLawHolidays());
    std::vector<int> got;
    o.ForEach(Day(c.from), Day(c.to), [&](JuliusDay z) { got.push_back(Ymd(z)); });
    EXPECT_EQ(got, c.days);
  }
}

// The definition, day by day: the oracle for the arithmetic on random rules.
std::vector<JuliusDay> WalkedOccurrences(const TRecurrence& r, const THolidayTest& holidays,
                                         JuliusDay to) {
  int32_t y0;
  uint8_t m0, d0;
  JuliusToDate(r.Start, y0, m0, d0);
  std::vector<JuliusDay> out;
  uint32_t candidates = 0;
  for (JuliusDay z = r.Start; z <= to && (!r.Until || z <= *r.Until); ++z) {
    int32_t y;
    uint8_t m, d;
    JuliusToDate(z, y, m, d);
    const uint8_t w = JuliusDayOfWeek(z);
    bool rule = false;
    switch (r.Unit) {
      case TRepeatUnit::Day:
        rule = (z - r.Start) % r.Interval == 0;
        break;
      case TRepeatUnit::Week: {
        // Monday of the week of z, and of the start
        const JuliusDay monday = z - (w + 5) % 7;
        const JuliusDay startMonday = r.Start - (JuliusDayOfWeek(r.Start) + 5) % 7;
        rule = (r.Weekdays & WeekdayBit(w)) && (monday - startMonday) / 7 % r.Interval == 0;
        break;
      }
      case TRepeatUnit::Month: {
        const bool month = ((y - y0) * 12 + m - m0) % r.Interval == 0;
        const bool day = r.MonthDay ? d == r.MonthDay
                                    : (r.Weekdays & WeekdayBit(w)) &&
                                          (r.WeekNo == kLastWeek ? d + 7 > DaysInMonth(y, m)
                                                                 : (d - 1) / 7 + 1 == r.WeekNo);
        rule = month && day;
        break;
      }
      case TRepeatUnit::Year:
        rule = (y - y0) % r.Interval == 0 && m == m0 && d == d0;
        break;
    }
    if (!rule || (r.SkipHolidays && holidays.IsHoliday(z))) continue;
    if (r.Count && candidates == *r.Count) break;
    ++candidates;
    if (!std::binary_search(r.Exceptions.begin(), r.Exceptions.end(), z)) out.push_back(z);
  }
  return out;
}

TEST(Recurrence, ArithmeticAgreesWithTheDayByDayDefinition) {
  std::mt19937 rng(7);
  const JuliusDay base = Day(20240101);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  for (int i = 0; i < 400; ++i) {
    TRecurrence r;
    r.Start = base + pick(800);
    r.Unit = static_cast<TRepeatUnit>(pick(4));
    r.Interval = static_cast<uint16_t>(1 + pick(i % 3 == 0 ? 13 : 3));
    if (r.Unit == TRepeatUnit::Week) r.Weekdays = static_cast<uint8_t>(1 + pick(127));
    if (r.Unit == TRepeatUnit::Month) {
      if (pick(2)) {
        r.MonthDay = static_cast<uint8_t>(pick(3) ? 1 + pick(31) : 29 + pick(3));
      } else {
        r.Weekdays = WeekdayBit(static_cast<uint8_t>(1 + pick(7)));
        r.WeekNo = static_cast<int8_t>(pick(6) == 0 ? kLastWeek : 1 + pick(5));
      }
    }
    if (r.Unit == TRepeatUnit::Year && pick(4) == 0) r.Start = Day(20240229 + pick(2) * 40000);
    if (pick(3) == 0) r.Count = static_cast<uint32_t>(1 + pick(40));
    if (!r.Count && pick(3) == 0) r.Until = r.Start + pick(1500);
    r.SkipHolidays = pick(2);
    for (int e = pick(4); e > 0; --e) r.Exceptions.push_back(r.Start + pick(400));
    std::sort(r.Exceptions.begin(), r.Exceptions.end());
    r.Exceptions.erase(std::unique(r.Exceptions.begin(), r.Exceptions.end()), r.Exceptions.end());
    ASSERT_TRUE(IsValidRecurrence(r));

    const JuliusDay to = base + 3000;
    const std::vector<JuliusDay> expected = WalkedOccurrences(r, CurrentLawHolidays(), to);
    const TOccurrences o(r, CurrentLawHolidays());
    std::vector<JuliusDay> got;
    o.ForEach(base, to, [&](JuliusDay z) { got.push_back(z); });
    SCOPED_TRACE(testing::Message() << "case " << i);
    ASSERT_EQ(got, expected);
    // A window in the middle, the single-day test and the last occurrence agree as well.
    const JuliusDay mid = r.Start + pick(900);
    const auto firstFromMid = std::lower_bound(expected.begin(), expected.end(), mid);
    const std::optional<JuliusDay> next = o.Next(mid, to);
    EXPECT_EQ(next.has_value(), firstFromMid != expected.end());
    if (next && firstFromMid != expected.end()) EXPECT_EQ(*next, *firstFromMid);
    EXPECT_EQ(o.Occurs(mid), std::binary_search(expected.begin(), expected.end(), mid));
    if ((r.Count || r.Until) && o.End() <= to && !expected.empty())
      EXPECT_EQ(o.Last(), expected.back());
  }
}

}  // namespace
}  // namespace moriva
