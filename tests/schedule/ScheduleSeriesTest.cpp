// Series in the schedule: the changes of one series through the model, each one undo step, and
// the files that hold series and rule lines kept byte for byte.
#include "schedule/ScheduleSeries.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "base/Cp932.h"
#include "base/FileIO.h"
#include "schedule/ScheduleDocument.h"
#include "schedule/ScheduleFile.h"
#include "tests/support/FakeDialogs.h"

namespace fs = std::filesystem;

namespace moriva {
namespace {

using Lines = std::vector<std::string>;

class ScheduleSeriesTest : public testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_);
    model_.MakeSeriesId = [this] { return "id" + std::to_string(++ids_); };
  }
  void TearDown() override { fs::remove_all(dir_); }
  Lines Now() const { return model_.Lines().Lines(); }
  static JuliusDay Day(int y, int m, int d) {
    return DateToJulius(y, static_cast<uint8_t>(m), static_cast<uint8_t>(d));
  }

  fs::path dir_ = fs::temp_directory_path() / ("moriva_series_" + std::to_string(getpid()));
  TScheduleModel model_;
  TFakeDialogs dialogs_;
  TScheduleDocument doc_{model_, dialogs_, dir_};
  int ids_ = 0;
};

// The window's scenario: 毎週火曜 10:00 会議, 祝日を除く, ten times from 2026-12-08; 12-22 taken
// out; 2027-01-12 changed only on that day; the series changed from 2027-02-02 on. Each step is
// one undo step, and undoing them brings back each earlier state exactly.
TEST_F(ScheduleSeriesTest, EachChangeIsOneUndoStep) {
  model_.Lines().Add(Utf8ToCp932("2026,2026,12,1,,,\"歯医者- - 9:0:0- FALSE\""));
  doc_.ListEdited("start");
  TSeries meeting;
  meeting.Rule.Start = Day(2026, 12, 8);
  meeting.Rule.Weekdays = WeekdayBit(3);
  meeting.Rule.Count = 10;
  meeting.Rule.SkipHolidays = true;
  meeting.Text = Utf8ToCp932("会議- 会議室- 10:0:0- TRUE");
  const std::string head = "repeat;id=id1;start=20261208;every=1w;on=tu;count=10;holidays=skip";
  const std::string text = Utf8ToCp932(",\"会議- 会議室- 10:0:0- TRUE\"");
  const std::string changedText = Utf8ToCp932(",\"会議- 大会議室- 10:0:0- TRUE\"");
  const std::string dentist = Utf8ToCp932("2026,2026,12,1,,,\"歯医者- - 9:0:0- FALSE\"");
  const std::string moved = Utf8ToCp932("2027,2027,1,12,,,\"会議- 別室- 11:0:0- TRUE\"");

  const struct {
    const char* label;
    std::function<bool()> change;
    Lines after;
  } steps[] = {
      {"make", [&] { return model_.AddSeries(meeting) == "id1"; }, {dentist, head + text}},
      {"この日だけ (delete)",
       [&] { return model_.TakeOutDay("id1", Day(2026, 12, 22)); },
       {dentist, head + ";except=20261222" + text}},
      {"not an occurrence",
       [&] { return !model_.TakeOutDay("id1", Day(2026, 12, 23)); },
       {dentist, head + ";except=20261222" + text}},
      {"a rule that is none",
       [&] {
         TSeries s = model_.FindSeries("id1")->Series;
         s.Rule.Weekdays = 0;
         return !model_.ChangeSeries("id1", s) && model_.AddSeries(s).empty();
       },
       {dentist, head + ";except=20261222" + text}},
      {"この日だけ (change)",
       [&] { return model_.TakeOutDay("id1", Day(2027, 1, 12), moved); },
       {dentist, head + ";except=20261222+20270112" + text, moved}},
      {"この日以降 (change)",
       [&] {
         std::optional<TSeries> rest =
             SeriesFrom(model_.FindSeries("id1")->Series, Day(2027, 2, 2), model_.Rules());
         rest->Text = Utf8ToCp932("会議- 大会議室- 10:0:0- TRUE");
         return model_.EndSeriesFrom("id1", Day(2027, 2, 2), rest) == "id2";
       },
       {dentist,
        "repeat;id=id1;start=20261208;every=1w;on=tu;until=20270201;holidays=skip;"
        "except=20261222+20270112" +
            text,
        "repeat;id=id2;start=20270202;every=1w;on=tu;count=2;holidays=skip" + changedText, moved}},
      {"すべて",
       [&] {
         TSeries s = model_.FindSeries("id2")->Series;
         s.Rule.Weekdays = WeekdayBit(4);
         s.Rule.Start = Day(2027, 2, 3);
         return model_.ChangeSeries("id2", s);
       },
       {dentist,
        "repeat;id=id1;start=20261208;every=1w;on=tu;until=20270201;holidays=skip;"
        "except=20261222+20270112" +
            text,
        "repeat;id=id2;start=20270203;every=1w;on=we;count=2;holidays=skip" + changedText, moved}},
      {"この日以降 (delete, from the first day: nothing left)",
       [&] { return model_.EndSeriesFrom("id2", Day(2027, 2, 3)).empty(); },
       {dentist,
        "repeat;id=id1;start=20261208;every=1w;on=tu;until=20270201;holidays=skip;"
        "except=20261222+20270112" +
            text,
        moved}},
      {"削除", [&] { return model_.DeleteSeries("id1"); }, {dentist, moved}},
  };
  std::vector<Lines> states{Now()};
  for (const auto& step : steps) {
    SCOPED_TRACE(step.label);
    ASSERT_TRUE(step.change());
    EXPECT_EQ(Now(), step.after);
    if (Now() == states.back()) continue;  // no change, no step
    doc_.ListEdited(step.label);
    states.push_back(Now());
  }
  for (size_t i = states.size() - 1; i-- > 0;) {
    doc_.Undo();
    EXPECT_EQ(Now(), states[i]) << "undo to state " << i;
  }
}

// An old file and a file with series open and save byte for byte.
TEST_F(ScheduleSeriesTest, FilesKeepTheirBytes) {
  const char* const files[] = {
      // rule lines of every form, items, a line of no form, a blank line
      "1,1,元旦\r\n5,2,1,母\r\n2000,2,1,15,成人\r\n2000,2,10,2,2,体育\r\n"
      ",,12,,1,,毎週日曜\r\n2026,2026,12,8,,,\"会議- - 9:30:0- TRUE\"\r\nfree text\r\n\r\n"
      "2026,2026,12,9,,,\"a- - 9:0:0- FALSE\"\r\n",
      // series as written, in another order by hand, and one that cannot be read
      "2026,2026,12,8,,,\"会議- - 9:30:0- TRUE\"\r\n"
      "repeat;id=x;start=20261208;every=1w;on=tu;count=10;holidays=skip;except=20261222,"
      "\"会議- 会議室- 10:0:0- TRUE\"\r\n"
      "  repeat;every=1d;start=20270101;id=%41,\"hand-written order\"\r\n"
      "repeat;id=x;start=20261208;every=1w,\"unreadable: kept\"\r\n",
  };
  for (const char* utf8 : files) {
    const fs::path path = dir_ / "s.mrv";
    WriteFileAtomically(path, Utf8ToCp932(utf8));
    ASSERT_TRUE(doc_.LoadScheduleFrom(path));
    ASSERT_TRUE(doc_.SaveScheduleTo(path));
    EXPECT_EQ(ReadFileBytes(path), Utf8ToCp932(utf8));
  }
}

}  // namespace
}  // namespace moriva
