#include "schedule/ScheduleEditor.h"

#include <gtest/gtest.h>

#include "base/Cp932.h"
#include "schedule/ScheduleLine.h"
#include "schedule/ScheduleModel.h"
#include "tests/support/FakeDialogs.h"

using namespace moriva;

namespace {

// A list with the day 2026/3/4 spread among other days and a yearly line that is no item.
TLineList MixedList() {
  return TLineList{
      "2026,2026,3,14,,,\"other- day- 9:0:0- FALSE\"",
      "2026,2026,3,4,,,\"first- room- 9:30:0- FALSE\"",
      ",,3,4,,,\"yearly\"",
      "2026,2026,3,4,,,\"second- - 0:00:0- TRUE\"",
      "2026,2026,3,4,,,\"third- x- 0:5:0- FALSE\"",
  };
}

TItemFields MakeFields(std::string subject, std::string place, int hour, int minute, bool alarm) {
  return TItemFields{std::move(subject), std::move(place), hour, minute, alarm, false, {}};
}

class ScheduleEditorTest : public ::testing::Test {
 protected:
  TFakeDialogs dialogs;
};

}  // namespace

TEST_F(ScheduleEditorTest, EmptyDayWritesOneLineAndSelectsIt) {
  TLineList list{"2026,2026,3,5,,,\"next- day- 9:0:0- FALSE\""};
  TScheduleEditor ed(list, 2026, 3, 4, dialogs);
  ed.Fields.Subject = "junk";
  ed.Open();
  EXPECT_TRUE(ed.Nodes().empty());
  EXPECT_EQ(ed.Selected(), -1);
  EXPECT_EQ(ed.EditIndex(), -1);
  EXPECT_EQ(ed.Fields, TItemFields{});

  ed.Fields = MakeFields(Utf8ToCp932("会議"), Utf8ToCp932("本社"), 3, 6, true);
  EXPECT_EQ(ed.Write(), TWriteOutcome::Added);
  ASSERT_EQ(list.Count(), 2u);
  EXPECT_EQ(list[1], Utf8ToCp932("2026,2026,3,4,,,\"会議- 本社- 9:30:0- TRUE\""));
  ASSERT_EQ(ed.Nodes().size(), 1u);
  EXPECT_EQ(ed.Nodes()[0], (TItemNode{1, Utf8ToCp932("09:30 会議 @本社"), true}));
  EXPECT_EQ(ed.Selected(), 0);
  EXPECT_EQ(ed.EditIndex(), 1);
  EXPECT_TRUE(dialogs.Calls.empty());
}

TEST_F(ScheduleEditorTest, OpeningShowsTheFirstItemAndRewritesItUnchanged) {
  TLineList list = MixedList();
  TScheduleEditor ed(list, 2026, 3, 4, dialogs);
  ed.Open();
  ASSERT_EQ(ed.Nodes().size(), 3u);
  EXPECT_EQ(ed.Nodes()[0], (TItemNode{1, "09:30 first @room", false}));
  EXPECT_EQ(ed.Nodes()[1], (TItemNode{3, "00:00 second", true}));
  EXPECT_EQ(ed.Nodes()[2].Index, 4u);
  EXPECT_EQ(ed.Selected(), 0);
  EXPECT_EQ(ed.EditIndex(), 1);
  EXPECT_EQ(ed.Fields, MakeFields("first", "room", 3, 6, false));
  const unsigned generation = ed.TreeGeneration();
  EXPECT_EQ(ed.Write(), TWriteOutcome::Replaced);
  EXPECT_EQ(list, MixedList());
  EXPECT_EQ(ed.TreeGeneration(), generation);  // the node was updated, not rebuilt
}

TEST_F(ScheduleEditorTest, MidnightAndFullHoursSelectTheFirstEntries) {
  TLineList list = MixedList();
  TScheduleEditor ed(list, 2026, 3, 4, dialogs);
  ed.Open();
  ed.Select(1);  // stored as 0:00:0
  EXPECT_EQ(ed.Fields, MakeFields("second", "", 0, 0, true));
  EXPECT_EQ(ed.Write(), TWriteOutcome::Replaced);
  EXPECT_EQ(list[3], "2026,2026,3,4,,,\"second- - 0:0:0- TRUE\"");
  EXPECT_EQ(ed.Nodes()[1].Text, "00:00 second");
}

TEST_F(ScheduleEditorTest, TimesThatDoNotReadKeepOrEmptyTheChoices) {
  TLineList list{
      "2026,2026,3,4,,,\"a- - 9:30:0- FALSE\"",
      "2026,2026,3,4,,,\"b- - 9:30- FALSE\"",    // two pieces: choices stay
      "2026,2026,3,4,,,\"c- - 25:7:0- FALSE\"",  // no such entries: choices empty
      "2026,2026,3,4,,,\"just a text\"",         // not an item
  };
  TScheduleEditor ed(list, 2026, 3, 4, dialogs);
  ed.Open();
  ed.Select(1);
  EXPECT_EQ(ed.Fields, MakeFields("b", "", 3, 6, false));
  EXPECT_EQ(ed.EditIndex(), 1);
  ed.Select(2);
  EXPECT_EQ(ed.Fields, MakeFields("c", "", kNoChoice, kNoChoice, false));
  EXPECT_EQ(ed.Write(), TWriteOutcome::Replaced);
  EXPECT_EQ(list[2], "2026,2026,3,4,,,\"c- - ::0- FALSE\"");

  // The line that is no item is listed with its whole text and shown so in the fields;
  // writing them untouched is ignored, so the line survives an OK as it was stored.
  EXPECT_EQ(ed.Nodes()[3].Text, "just a text");
  ed.Fields.Alarm = true;
  ed.Select(3);
  EXPECT_EQ(ed.Fields, MakeFields("just a text", "", 0, 0, false));
  EXPECT_EQ(ed.EditIndex(), 3);
  EXPECT_FALSE(ed.WillWrite());
  EXPECT_EQ(ed.Write(), TWriteOutcome::Ignored);
  EXPECT_EQ(list[3], "2026,2026,3,4,,,\"just a text\"");
}

TEST_F(ScheduleEditorTest, WhatTheFieldsDoNotEditIsKept) {
  struct Case {
    const char* stored;  // the item text
    const char* place;   // typed over the shown place, or nullptr for an untouched write
    const char* written;
  } cases[] = {
      {"a- b- 9:0:0- TRUE- おまけ", nullptr, "a- b- 9:0:0- TRUE- おまけ"},
      {"a- b- 9:0:0- TRUE- おまけ", "c", "a- c- 9:0:0- TRUE- おまけ"},
      {"a- b- 9:0:0- TRUE- x- y", "c", "a- c- 9:0:0- TRUE- x- y"},
      {"a- b- 9:0:0- TRUE- ", "c", "a- c- 9:0:0- TRUE- "},
      {"a- b- 9:0:0- TRUE", "c", "a- c- 9:0:0- TRUE"},
      {"one- two", nullptr, "one- two"},       // no item: left as stored
      {"memo", "c", "memo- c- 0:0:0- FALSE"},  // no item, edited: written as one
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.stored) + " / " + (c.place ? c.place : "-"));
    const std::string prefix = "2026,2026,3,4,,,\"";
    TLineList list{Utf8ToCp932(prefix + c.stored + "\"")};
    TScheduleEditor ed(list, 2026, 3, 4, dialogs);
    ed.Open();
    EXPECT_FALSE(ed.Dirty());
    if (c.place) ed.Fields.Place = c.place;
    EXPECT_EQ(ed.Dirty(), c.place != nullptr);
    // Typed text is written before another item is shown; OK writes whatever the fields hold.
    EXPECT_NE(c.place ? ed.WriteTyped() : ed.Write(), TWriteOutcome::Refused);
    EXPECT_EQ(list[0], Utf8ToCp932(prefix + c.written + "\""));
    EXPECT_FALSE(ed.Dirty());
    // The tree and the fields tell the same story.
    const std::string place = ed.Fields.Place.empty() ? "" : " @" + ed.Fields.Place;
    EXPECT_NE(ed.Nodes()[0].Text.find(ed.Fields.Subject + place), std::string::npos);
  }
}

TEST_F(ScheduleEditorTest, EmptySubjectAndUnreadableTextsWriteNothing) {
  struct Case {
    std::string subject, place;
    TWriteOutcome outcome;
  } cases[] = {
      {"", "somewhere", TWriteOutcome::Ignored},  {"say \"hi\"", "", TWriteOutcome::Refused},
      {"a- b", "", TWriteOutcome::Refused},       {"ok", "room- 3", TWriteOutcome::Refused},
      {"two\nlines", "", TWriteOutcome::Refused},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.subject + "|" + c.place);
    for (bool add : {false, true}) {
      TLineList list = MixedList();
      TFakeDialogs fake;
      TScheduleEditor ed(list, 2026, 3, 4, fake);
      ed.Open();
      ed.Select(1);
      const TItemFields typed = MakeFields(c.subject, c.place, 5, 5, true);
      ed.Fields = typed;
      EXPECT_EQ(add ? ed.Add() : ed.Write(), c.outcome);
      EXPECT_EQ(list, MixedList());
      if (c.outcome == TWriteOutcome::Refused) {
        EXPECT_EQ(fake.MessageTexts(),
                  std::vector<std::string>{std::string(kUnwritableTextMessage)});
        EXPECT_EQ(fake.Calls.at(0).Caption, "警告");
        EXPECT_EQ(ed.Fields, typed);  // nothing the user typed is lost
        EXPECT_EQ(ed.EditIndex(), 3);
      } else {
        EXPECT_TRUE(fake.Calls.empty());
        EXPECT_EQ(ed.EditIndex(), add ? -1 : 3);
      }
    }
  }
}

TEST_F(ScheduleEditorTest, DeletingAsksAndRebuildsTheIndexes) {
  TLineList list = MixedList();
  TScheduleEditor ed(list, 2026, 3, 4, dialogs);
  ed.Open();
  ed.Select(1);
  dialogs.AnswerNo();
  EXPECT_EQ(ed.Delete(), TDeleteOutcome::Declined);
  EXPECT_EQ(list, MixedList());
  ASSERT_EQ(dialogs.Calls.size(), 1u);
  EXPECT_EQ(dialogs.Calls[0].Text, "この予定を削除します。よろしいですか？");
  EXPECT_EQ(dialogs.Calls[0].Caption, "警告");
  EXPECT_EQ(dialogs.Calls[0].Icon, TMsgIcon::Warning);

  dialogs.AnswerYes();
  EXPECT_EQ(ed.Delete(), TDeleteOutcome::Deleted);
  EXPECT_EQ(list.Count(), 4u);
  EXPECT_EQ(list[2], ",,3,4,,,\"yearly\"");
  ASSERT_EQ(ed.Nodes().size(), 2u);
  EXPECT_EQ(ed.Nodes()[1].Index, 3u);  // "third" moved up by one
  EXPECT_EQ(ed.Selected(), -1);
  EXPECT_EQ(ed.EditIndex(), -1);
  EXPECT_EQ(ed.Fields, TItemFields{});

  // With nothing selected there is nothing to ask about.
  EXPECT_EQ(ed.Delete(), TDeleteOutcome::NothingSelected);
  EXPECT_EQ(dialogs.Calls.size(), 2u);
  // The next write adds a new item rather than overwriting one.
  ed.Fields.Subject = "again";
  EXPECT_EQ(ed.Write(), TWriteOutcome::Added);
  EXPECT_EQ(list.Count(), 5u);
}

TEST_F(ScheduleEditorTest, StaleIndexesNeitherShowNorOverwrite) {
  TLineList list = MixedList();
  TScheduleEditor ed(list, 2026, 3, 4, dialogs);
  ed.Open();
  ed.Select(2);  // index 4
  list.Delete(4);
  list.Delete(3);
  ed.Fields.Subject = "kept";
  ed.ShowSelected();  // the node's index names no line any more: the fields stay
  EXPECT_EQ(ed.Fields.Subject, "kept");
  EXPECT_EQ(ed.Write(), TWriteOutcome::Added);
  EXPECT_EQ(list.Count(), 4u);
  EXPECT_EQ(list[3], "2026,2026,3,4,,,\"kept- x- 0:5:0- FALSE\"");
}

TEST_F(ScheduleEditorTest, DeletingAnOccurrenceTakesWhatTheAnswerNames) {
  const std::string item = ",\"meeting- - 10:0:0- FALSE\"";
  const std::string weekly = "repeat;id=s1;start=20260225;every=1w;on=we";
  struct Case {
    std::optional<TMsgAnswer> answer;  // nothing: the box closed with Escape
    TDeleteOutcome outcome;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {TMsgAnswer::Yes, TDeleteOutcome::Deleted, {weekly + ";except=20260304" + item}},
      {TMsgAnswer::No, TDeleteOutcome::Deleted, {weekly + ";until=20260303" + item}},
      {TMsgAnswer::Cancel, TDeleteOutcome::Deleted, {}},
      {std::nullopt, TDeleteOutcome::Declined, {weekly + item}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines.size());
    dialogs.Reset();
    TScheduleModel model;
    model.Lines().Add(weekly + item);
    TScheduleEditor ed(model.Lines(), 2026, 3, 4, dialogs);
    ed.UseModel(model);
    ed.Open();
    ASSERT_EQ(ed.Nodes().size(), 1u);
    ASSERT_TRUE(ed.Nodes()[0].Repeating);
    dialogs.ThreeWayAnswers.push_back(c.answer);
    EXPECT_EQ(ed.Delete(), c.outcome);
    EXPECT_EQ(std::vector<std::string>(model.Lines().begin(), model.Lines().end()), c.lines);
    // The least destructive choice first and under Enter.
    const auto asked = dialogs.CallsOf(TFakeDialogs::Kind::AskThreeWay);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].Buttons, (std::vector<std::string>{"この日だけ", "この日以降", "すべて"}));
    EXPECT_EQ(asked[0].DefaultButton, TMsgAnswer::Yes);
  }
}
