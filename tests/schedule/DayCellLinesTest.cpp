#include "schedule/DayCellLines.h"

#include <gtest/gtest.h>

#include "base/CommaText.h"
#include "base/Cp932.h"

using namespace moriva;

namespace {

// The day text the calendar gives: item texts in list order, then a holiday's name.
const std::string kDay = JoinCommaText({
    Utf8ToCp932("夕食- 駅前- 19:0:0- FALSE"),
    Utf8ToCp932("朝会- - 9:30:0- TRUE"),
    Utf8ToCp932("休み- - - FALSE"),  // all day: no time
    Utf8ToCp932("電話- - 9:30:0- FALSE"),
    Utf8ToCp932("敬老の日"),
});

}  // namespace

TEST(DayCellLines, SubjectsInTheDaysOrderThenHowManyMore) {
  struct Case {
    std::string dayText;
    int room;
    std::vector<const char*> lines;
  } cases[] = {
      {kDay, 9, {"休み", "朝会", "電話", "夕食"}},  // untimed first, equal times in list order
      {kDay, 4, {"休み", "朝会", "電話", "夕食"}},
      {kDay, 3, {"休み", "朝会", "+2"}},
      {kDay, 1, {"+4"}},
      {kDay, 0, {}},
      {Utf8ToCp932("敬老の日"), 3, {}},  // a holiday is no item
      {JoinCommaText({"b- - 10:0:0- FALSE", "a- - 9:55:0- FALSE"}), 2, {"a", "b"}},
      {"", 2, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Cp932ToUtf8(c.dayText) + " / " + std::to_string(c.room));
    std::vector<std::string> expected;
    for (const char* line : c.lines) expected.push_back(Utf8ToCp932(line));
    EXPECT_EQ(DayCellLines(c.dayText, c.room), expected);
  }
}
