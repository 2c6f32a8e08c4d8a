#include "calendar/SeriesLine.h"

#include <gtest/gtest.h>

#include "base/Cp932.h"
#include "calendar/DayListItem.h"

namespace moriva {
namespace {

// Lines as the program writes them read back and write again to the same bytes; an older
// reader takes none of them for a rule.
TEST(SeriesLine, WrittenLinesReadBackUnchanged) {
  const char* const lines[] = {
      "repeat;id=6f1c2a3e-5b7d-4c9a-8e21-0d4f6a7b8c9d;start=20261208;every=1w;on=tu;count=10;"
      "holidays=skip;except=20261222+20270112,\"会議- 会議室- 10:0:0- TRUE\"",
      "repeat;id=a;start=20270104;every=2w;on=mo+we+fr,\"朝会- - 9:0:0- FALSE\"",
      "repeat;id=a;start=20270125;every=1m;day=25;until=20271231,\"家賃- - 0:0:0- FALSE\"",
      "repeat;id=a;start=20270129;every=1m;on=fr;week=last,\"月末, 会- - 17:0:0- FALSE\"",
      "repeat;id=a;start=20270131;every=1m;day=last;count=12,\"給料日- - 0:0:0- FALSE\"",
      "repeat;id=a;start=20280229;every=999y,\"\"",
      "repeat;id=a%25b%3Bc%2Cd%22e%20f@x.org;start=15830101;every=3d,\"say \"\"hi\"\"- - 8:0:0- "
      "FALSE\"",
  };
  for (const char* utf8 : lines) {
    SCOPED_TRACE(utf8);
    const std::string line = Utf8ToCp932(utf8);
    TSeries s;
    ASSERT_EQ(ParseSeriesLine(line, s), TSeriesLineKind::Series);
    EXPECT_EQ(WriteSeriesLine(s), line);
    TDayListItem item;
    EXPECT_EQ(ParseDayListLine(line, item), TDayLineKind::NoRule);
  }
  TSeries s;
  ASSERT_EQ(ParseSeriesLine(Utf8ToCp932(std::end(lines)[-1]), s), TSeriesLineKind::Series);
  EXPECT_EQ(s.Id, "a%b;c,d\"e f@x.org");
  EXPECT_EQ(s.Text, "say \"hi\"- - 8:0:0- FALSE");
}

TEST(SeriesLine, WhatIsNoSeries) {
  const struct {
    const char* line;
    TSeriesLineKind kind;
  } cases[] = {
      {"2026,2026,12,8,,,\"a- - 9:0:0- TRUE\"", TSeriesLineKind::NotSeries},
      {",,1,1,,,元旦", TSeriesLineKind::NotSeries},
      {"\"repeat;id=a;start=20270101;every=1d\",\"t\"", TSeriesLineKind::NotSeries},
      {"  repeat;id=a;start=20270101;every=1d,\"t\"", TSeriesLineKind::Series},
      {"repeat;id=a;start=20270101;every=1d", TSeriesLineKind::Faulty},        // one field
      {"repeat;id=a;start=20270101;every=1d,t,u", TSeriesLineKind::Faulty},    // three
      {"repeat;start=20270101;every=1d,\"t\"", TSeriesLineKind::Faulty},       // no id
      {"repeat;id=;start=20270101;every=1d,\"t\"", TSeriesLineKind::Faulty},   // empty id
      {"repeat;id=a;every=1d,\"t\"", TSeriesLineKind::Faulty},                 // no start
      {"repeat;id=a;start=20270230;every=1d,\"t\"", TSeriesLineKind::Faulty},  // no date
      {"repeat;id=a;start=15821231;every=1d,\"t\"", TSeriesLineKind::Faulty},  // too early
      {"repeat;id=a;start=20270101;every=0d,\"t\"", TSeriesLineKind::Faulty},
      {"repeat;id=a;start=20270101;every=1000d,\"t\"", TSeriesLineKind::Faulty},
      {"repeat;id=a;start=20270101;every=1x,\"t\"", TSeriesLineKind::Faulty},
      {"repeat;id=a;start=20270101;every=1w,\"t\"", TSeriesLineKind::Faulty},  // no weekday
      {"repeat;id=a;start=20270101;every=1w;on=mo+mo,\"t\"", TSeriesLineKind::Faulty},
      {"repeat;id=a;start=20270101;every=1w;on=Mo,\"t\"", TSeriesLineKind::Faulty},
      {"repeat;id=a;start=20270101;every=1m,\"t\"", TSeriesLineKind::Faulty},  // no day
      {"repeat;id=a;start=20270101;every=1m;on=mo+tu;week=1,\"t\"", TSeriesLineKind::Faulty},
      {"repeat;id=a;start=20270101;every=1m;on=mo;week=6,\"t\"", TSeriesLineKind::Faulty},
      {"repeat;id=a;start=20270101;every=1m;day=32,\"t\"", TSeriesLineKind::Faulty},
      {"repeat;id=a;start=20270101;every=1m;day=3;on=mo;week=1,\"t\"", TSeriesLineKind::Faulty},
      {"repeat;id=a;start=20270101;every=1y;day=3,\"t\"", TSeriesLineKind::Faulty},
      {"repeat;id=a;start=20270101;every=1d;count=3;until=20270201,\"t\"", TSeriesLineKind::Faulty},
      {"repeat;id=a;start=20270101;every=1d;count=0,\"t\"", TSeriesLineKind::Faulty},
      {"repeat;id=a;start=20270101;every=1d;count=10000,\"t\"", TSeriesLineKind::Faulty},
      {"repeat;id=a;start=20270101;every=1d;holidays=keep,\"t\"", TSeriesLineKind::Faulty},
      {"repeat;id=a;start=20270101;every=1d;colour=red,\"t\"", TSeriesLineKind::Faulty},
      {"repeat;id=a;start=20270101;start=20270102;every=1d,\"t\"", TSeriesLineKind::Faulty},
      {"repeat;id=a;start=20270101;every=1d;except=2027010,\"t\"", TSeriesLineKind::Faulty},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    TSeries s;
    EXPECT_EQ(ParseSeriesLine(Utf8ToCp932(c.line), s), c.kind);
  }
}

}  // namespace
}  // namespace moriva
