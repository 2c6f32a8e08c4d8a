// The model's day index against a plain reading of every line: random schedules of items,
// rule lines, series and lines of no use, changed by random edits, must give the same days,
// names, agenda, faulty lines, reminders and search hits either way.
#include <gtest/gtest.h>

#include <random>

#include "calendar/SeriesLine.h"
#include "schedule/Agenda.h"
#include "schedule/ReminderSchedule.h"
#include "schedule/ScheduleModel.h"
#include "schedule/ScheduleSearch.h"

using namespace moriva;

namespace {

constexpr JuliusDay kFirst = 2460676;  // 2025-01-01
constexpr int kDays = 75;

class TRandomLines {
 public:
  explicit TRandomLines(unsigned seed) : rng_(seed) {}

  std::string Line() {
    int32_t y;
    uint8_t m, d;
    JuliusToDate(kFirst + Pick(kDays), y, m, d);
    const std::string ys = std::to_string(y), ms = std::to_string(m), ds = std::to_string(d);
    const std::string text = "\"" + Subject() + "- room- " + std::to_string(Pick(26)) + ":" +
                             std::to_string(Pick(60)) + ":0- " + (Pick(2) ? "TRUE" : "FALSE") +
                             "\"";
    switch (Pick(14)) {
      case 0:
        return ms + "," + ds + ",anniversary " + Subject();  // every year
      case 1:
        return ms + "," + std::to_string(1 + Pick(5)) + "," + std::to_string(1 + Pick(7)) +
               ",nth weekday";
      case 2:
        return ys + ",0," + ms + "," + ds + ",\"quoted \"\"name\"\"\"";
      case 3:
        return ys + "," + ys + ",x," + ds + ",,," + text;  // faulty
      case 4:
        return ys + "," + ys + ",0" + ms + "," + ds + ",,," + text;  // leading zero
      case 5:
        return ys + "," + ys + "," + ms + "," + ds + "," + std::to_string(1 + Pick(7)) + ",," +
               text;  // a weekday condition
      case 6:
        return ys + "," + ys + ",2,30,,," + text;  // no such day
      case 7:
        return Series();
      case 8:
        return "repeat;id=broken;every=1d,\"x- - 1:0:0- TRUE\"";  // faulty series
      case 9:
        return "just a note";
      default:
        return ys + "," + ys + "," + ms + "," + ds + ",,," + text;
    }
  }

  int Pick(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }

 private:
  std::string Subject() { return std::string(1, static_cast<char>('a' + Pick(4))) + "meet"; }

  std::string Series() {
    TSeries s;
    s.Id = "s" + std::to_string(Pick(1000000));
    s.Text = Subject() + "- - " + std::to_string(Pick(24)) + ":0:0- TRUE";
    s.Rule.Start = kFirst - 20 + Pick(60);
    s.Rule.Unit = TRepeatUnit::Week;
    s.Rule.Weekdays = WeekdayBit(static_cast<uint8_t>(1 + Pick(7)));
    if (Pick(2)) s.Rule.Count = static_cast<uint32_t>(1 + Pick(12));
    s.Rule.SkipHolidays = Pick(2) == 0;
    return WriteSeriesLine(s);
  }

  std::mt19937 rng_;
};

// One random change of the list, as the editor, undo and the imports make them.
void Edit(TLineList& lines, TRandomLines& random, bool nested = false) {
  const auto at = [&](bool end) {
    return static_cast<size_t>(random.Pick(static_cast<int>(lines.Count()) + (end ? 1 : 0)));
  };
  switch (lines.Empty() ? 0 : random.Pick(nested ? 4 : 6)) {
    case 0:
      lines.Add(random.Line());
      break;
    case 1:
      lines.Insert(at(true), random.Line());
      break;
    case 2:
      lines.Put(at(false), random.Line());
      break;
    case 3:
      lines.Delete(at(false));
      break;
    case 4: {  // several changes told at once
      lines.BeginUpdate();
      for (int k = random.Pick(12); k >= 0; --k) Edit(lines, random, true);
      lines.EndUpdate();
      break;
    }
    default: {  // a whole new version with a few lines changed (undo, an editor cancelled)
      std::vector<std::string> next = lines.Lines();
      next.erase(next.begin() + static_cast<std::ptrdiff_t>(at(false)));
      next.insert(next.begin() + static_cast<std::ptrdiff_t>(at(false)), random.Line());
      lines.Assign(std::move(next));
    }
  }
}

void ExpectSameAsPlainReading(const TScheduleModel& model) {
  TDayRules plain;
  const std::vector<std::string> faulty = plain.Build(model.HolidayLines(), model.Lines());
  EXPECT_EQ(model.FaultyDayLines(), faulty);
  const TDayRules& indexed = model.Rules();
  for (JuliusDay z = kFirst; z < kFirst + kDays; ++z) {
    int32_t y;
    uint8_t m, d;
    JuliusToDate(z, y, m, d);
    ASSERT_EQ(indexed.DayState(y, m, d), plain.DayState(y, m, d)) << z;
    ASSERT_EQ(indexed.DayNames(y, m, d), plain.DayNames(y, m, d)) << z;
  }
  const JuliusDay from = kFirst + 10, to = kFirst + 40;
  EXPECT_EQ(CollectAgenda(indexed, from, to), CollectAgenda(model.Lines(), from, to, plain));
  TReminderSchedule a, b;
  for (int64_t hour : {0, 15 * 24 + 9, 70 * 24}) {
    const TWallSeconds now = int64_t{kFirst} * 86400 + hour * 3600;
    EXPECT_EQ(a.NextDue(indexed, now), b.NextDue(model.Lines(), now, plain));
    EXPECT_EQ(a.TakeDue(indexed, now), b.TakeDue(model.Lines(), now, plain));
  }
  EXPECT_EQ(SearchSchedule(indexed, "meet", TSearchOrder::ByDate, 1000, kFirst + 30),
            SearchSchedule(model.Lines(), "meet", TSearchOrder::ByDate, 1000, kFirst + 30, plain));
}

TEST(DayIndexTest, AgreesWithReadingEveryLineThroughRandomEdits) {
  struct Case {
    unsigned seed;
    int lines;
    int edits;
  } cases[] = {{1, 0, 40}, {2, 30, 60}, {3, 200, 40}, {4, 600, 25}};
  for (const Case& c : cases) {
    SCOPED_TRACE("seed " + std::to_string(c.seed));
    TRandomLines random(c.seed);
    TScheduleModel model;
    std::vector<std::string> lines;
    for (int i = 0; i < c.lines; ++i) lines.push_back(random.Line());
    model.Lines().Assign(std::move(lines));
    ExpectSameAsPlainReading(model);
    for (int e = 0; e < c.edits && !HasFatalFailure(); ++e) {
      Edit(model.Lines(), random);
      ExpectSameAsPlainReading(model);
    }
  }
}

}  // namespace
