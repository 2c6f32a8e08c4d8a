// The schedule's one owner: an editor session puts back what it began with, whoever watches is
// told once per change, and a watcher may outlive the model.
#include "schedule/ScheduleModel.h"

#include <gtest/gtest.h>

#include <memory>

using namespace moriva;

namespace {

const std::string kKept = "2026,2026,12,7,,,\"Meeting- Room- 9:30:0- TRUE\"";
const std::string kTyped = "2026,2026,12,8,,,\"Lunch- - 12:0:0- FALSE\"";

TEST(ScheduleModelTest, AnEditSessionKeepsItsFirstStateUntilItEnds) {
  struct Case {
    const char* name;
    void (*finish)(TScheduleModel&);
    TLineList want;
  } cases[] = {
      {"cancel puts the kept lines back", [](TScheduleModel& m) { m.CancelEdit(); }, {kKept}},
      {"end keeps the typed lines", [](TScheduleModel& m) { m.EndEdit(); }, {kKept, kTyped}},
      {"a second begin keeps the first state",
       [](TScheduleModel& m) {
         m.BeginEdit();
         m.Lines().Delete(0);
         m.CancelEdit();
       },
       {kKept}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TScheduleModel model;
    model.Lines().Add(kKept);
    int commits = 0;
    TScheduleWatch watch = model.WatchCommits([&] { ++commits; });
    model.BeginEdit();
    model.Lines().Add(kTyped);
    // Half-typed items are not yet the committed schedule (reminders read this).
    EXPECT_EQ(model.Committed(), TLineList{kKept});
    c.finish(model);
    EXPECT_FALSE(model.Editing());
    EXPECT_EQ(model.Lines(), c.want);
    EXPECT_EQ(model.Committed(), c.want);
    EXPECT_EQ(commits, 0) << "a session commits nothing by itself";
    // The rules follow the restored lines, not the typed ones.
    EXPECT_EQ(model.Rules().DayState(2026, 12, 8).Has(dsSpecialDay), c.want.Count() == 2);
  }
}

TEST(ScheduleModelTest, RuleWatchersAreToldOncePerChangeAndFaultyLinesOnce) {
  TScheduleModel model;
  int rebuilds = 0, reports = 0;
  model.OnDayListError = [&](const std::vector<std::string>&) { ++reports; };
  TScheduleWatch watch = model.WatchRules([&] { ++rebuilds; });

  model.Lines().BeginUpdate();
  model.Lines().Add(kKept);
  model.Lines().Add(kTyped);
  model.Lines().EndUpdate();
  EXPECT_EQ(rebuilds, 1);
  EXPECT_TRUE(model.Rules().DayState(2026, 12, 7).Has(dsSpecialDay));

  model.Lines().Add("2026,x,12,9,,,\"Broken\"");
  model.Lines().Add(kKept);  // the same faulty line again: not a second report
  EXPECT_EQ(rebuilds, 3);
  EXPECT_EQ(reports, 1);
  EXPECT_EQ(model.FaultyDayLines().size(), 1u);

  model.SetHolidays(TLineList{}, THolidaySwitches{});
  EXPECT_EQ(rebuilds, 4);
}

TEST(ScheduleModelTest, AWatcherStopsWhenDroppedAndMayOutliveTheModel) {
  auto model = std::make_unique<TScheduleModel>();
  int first = 0, second = 0;
  TScheduleWatch kept = model->WatchCommits([&] { ++first; });
  {
    TScheduleWatch dropped = model->WatchCommits([&] { ++second; });
    model->Commit();
  }
  model->Commit();
  EXPECT_EQ(first, 2);
  EXPECT_EQ(second, 1);
  TScheduleWatch moved = std::move(kept);
  model.reset();  // the watch is released after the model is gone: nothing happens
}

}  // namespace
