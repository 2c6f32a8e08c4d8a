#include "schedule/ScheduleSearch.h"

#include <gtest/gtest.h>

#include "base/Cp932.h"

namespace moriva {
namespace {

TLineList Schedule() {
  TLineList list;
  for (const char* line : {
           R"(2026,2026,12,7,,,"Ｍｅｅｔｉｎｇ- 会議室A- 9:30:0- TRUE")",    // 0
           R"(2025,2025,1,5,,,"ﾐｰﾃｨﾝｸﾞ- 本社- 14:0:0- FALSE")",              // 1
           R"(,,5,5,,,"meeting day")",                                       // 2: no item
           R"(2026,2026,12,7,,,"昼食- ミーティングルーム- 12:0:0- FALSE")",  // 3
           R"(2026,2026,12,7,,,"meeting- - 8:0:0- FALSE")",                  // 4
           R"(2024,2024,03,01,,,"MEETING- - 10:0:0- FALSE")",                // 5
           R"(2026,2026,12,9,,,"ヂ- - 9:0:0- FALSE")",                       // 6
       }) {
    list.Add(Utf8ToCp932(line));
  }
  return list;
}

TEST(ScheduleSearchTest, FindsSubjectAndPlaceInEitherOrder) {
  const TLineList list = Schedule();
  const struct {
    const char* query;
    TSearchOrder order;
    size_t limit;
    std::vector<size_t> lines;
  } cases[] = {
      {"meeting", TSearchOrder::Newest, 99, {5, 4, 0}},
      {"meeting", TSearchOrder::ByDate, 99, {5, 4, 0}},  // 2024; then 8:00 before 9:30
      {"　ＭＥＥＴＩＮＧ ", TSearchOrder::Newest, 99, {5, 4, 0}},
      {"ミーティング", TSearchOrder::Newest, 99, {3, 1}},
      {"ﾐｰﾃｨﾝｸﾞ", TSearchOrder::ByDate, 99, {1, 3}},
      {"ｍｅｅｔ", TSearchOrder::ByDate, 2, {5, 4}},  // the first screenful
      {"meeting", TSearchOrder::Newest, 1, {5}},
      {"a", TSearchOrder::Newest, 99, {0}},  // not the trail byte of ヂ
      // Only subject and place are searched, and only items.
      {"TRUE", TSearchOrder::Newest, 99, {}},
      {"2026", TSearchOrder::Newest, 99, {}},
      {"9:30", TSearchOrder::Newest, 99, {}},
      {"day", TSearchOrder::Newest, 99, {}},
      {"  ", TSearchOrder::Newest, 99, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.query) + (c.order == TSearchOrder::ByDate ? " by date" : ""));
    std::vector<size_t> found;
    for (const TAgendaItem& hit : SearchSchedule(list, Utf8ToCp932(c.query), c.order, c.limit)) {
      found.push_back(hit.Index);
    }
    EXPECT_EQ(found, c.lines);
  }
}

}  // namespace
}  // namespace moriva
