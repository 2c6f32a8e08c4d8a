// Series as iCalendar events: every rule kind goes out as one event and comes back as the same
// line; rules from other programs become a series only when one can say all of them.
#include <gtest/gtest.h>

#include <set>

#include "base/Cp932.h"
#include "formats/ICalendarExport.h"
#include "formats/ICalendarImport.h"

using namespace moriva;
using Lines = std::vector<std::string>;

namespace {

constexpr time_t kStamp = 1796000000;
const JuliusDay kToday = DateToJulius(2026, 12, 7);

// Two Tuesdays off.
class TFewHolidays : public THolidayTest {
 public:
  bool IsHoliday(JuliusDay z) const override {
    return z == DateToJulius(2026, 12, 29) || z == DateToJulius(2027, 1, 5);
  }
};

// Every content line of the first event that starts with `name`, unfolded lines only.
Lines Props(const std::string& ics, const std::string& name) {
  Lines out;
  const size_t end = ics.find("END:VEVENT");
  for (size_t p = ics.find("BEGIN:VEVENT"); (p = ics.find("\r\n" + name, p)) < end; p += 2)
    out.push_back(ics.substr(p + 2, ics.find("\r\n", p + 2) - p - 2));
  return out;
}

Lines Import(const std::string& ics, const char* tz = "Asia/Tokyo") {
  TLineList list;
  MergeICalendar(ics, list, TICalZone(tz), DefaultICalWindow(kToday));
  Lines out;
  for (const std::string& l : list) out.push_back(Cp932ToUtf8(l));
  return out;
}

std::string Calendar(const std::string& event) {
  return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:s1\r\nSUMMARY:S\r\n" + event +
         "END:VEVENT\r\nEND:VCALENDAR\r\n";
}

TEST(ICalendarSeriesTest, EveryRuleKindGoesOutAsOneEventAndComesBackTheSame) {
  struct Case {
    const char* line;
    const char* rrule;
    Lines exdates;
  } cases[] = {
      {"repeat;id=a1;start=20261208;every=1w;on=tu;count=10;except=20261222,"
       "\"会議- 会議室- 10:0:0- TRUE\"",
       "RRULE:FREQ=WEEKLY;COUNT=10;BYDAY=TU",
       {"EXDATE;TZID=Asia/Tokyo:20261222T100000"}},
      {"repeat;id=a2;start=20270104;every=2w;on=mo+we+fr,\"朝会- - 9:0:0- FALSE\"",
       "RRULE:FREQ=WEEKLY;INTERVAL=2;BYDAY=MO,WE,FR",
       {}},
      {"repeat;id=a3;start=20270125;every=1m;day=25;until=20271231,\"家賃- - 0:0:0- FALSE\"",
       "RRULE:FREQ=MONTHLY;UNTIL=20271231T145959Z;BYMONTHDAY=25",
       {}},
      {"repeat;id=a4;start=20270108;every=1m;on=fr;week=2,\"定例- - 15:0:0- FALSE\"",
       "RRULE:FREQ=MONTHLY;BYDAY=2FR",
       {}},
      {"repeat;id=a5;start=20270129;every=1m;on=fr;week=last,\"月末会- - 17:0:0- FALSE\"",
       "RRULE:FREQ=MONTHLY;BYDAY=-1FR",
       {}},
      {"repeat;id=a7;start=20270228;every=1m;day=last,\"支払い- - 0:0:0- FALSE\"",
       "RRULE:FREQ=MONTHLY;BYMONTHDAY=-1",
       {}},
      {"repeat;id=a6;start=20280229;every=1y,\"誕生日- - 0:0:0- FALSE\"", "RRULE:FREQ=YEARLY", {}},
      // A start on no day of the rule goes out as the rule's first day.
      {"repeat;id=a9;start=20261201;every=1w;on=fr,\"金曜- - 9:0:0- FALSE\"",
       "RRULE:FREQ=WEEKLY;BYDAY=FR",
       {}},
      {"repeat;id=a7;start=20270101;every=3d;until=20270131,\"水やり- - 8:0:0- FALSE\"",
       "RRULE:FREQ=DAILY;UNTIL=20270131T145959Z;INTERVAL=3",
       {}},
      // Holidays skipped: the count becomes the last day (and X-MORIVA-COUNT), the holidays
      // marked EXDATEs.
      {"repeat;id=a8;start=20261208;every=1w;on=tu;count=5;holidays=skip;except=20261215,"
       "\"会議- - 10:0:0- FALSE\"",
       "RRULE:FREQ=WEEKLY;UNTIL=20270119T145959Z;BYDAY=TU",
       {"EXDATE;TZID=Asia/Tokyo:20261215T100000",
        "EXDATE;TZID=Asia/Tokyo;X-MORIVA-HOLIDAY=TRUE:20261229T100000",
        "EXDATE;TZID=Asia/Tokyo;X-MORIVA-HOLIDAY=TRUE:20270105T100000"}},
  };
  const TFewHolidays holidays;
  const TICalZone zone("Asia/Tokyo");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const TICalExport out = BuildICalendar(TLineList{Utf8ToCp932(c.line)}, zone, kStamp,
                                           ExportHolidays(holidays, kToday));
    ASSERT_EQ(out.Events, 1u);
    EXPECT_EQ(Props(out.Text, "RRULE"), Lines{c.rrule});
    EXPECT_EQ(Props(out.Text, "EXDATE"), c.exdates);
    const std::string id = std::string(c.line).substr(10, 2);
    EXPECT_EQ(Props(out.Text, "UID"), Lines{"UID:" + id});
    std::string back = c.line;
    if (id == "a9") back.replace(back.find("20261201"), 8, "20261204");
    EXPECT_EQ(Import(out.Text), Lines{back});
  }
}

TEST(ICalendarSeriesTest, OtherProgramsRulesBecomeASeriesOnlyWhenOneCanSayThem) {
  struct Case {
    std::string event;
    Lines lines;  // the series line and items, or {"expanded"}
  } cases[] = {
      {"DTSTART:20261201T090000\r\nRRULE:FREQ=WEEKLY;BYDAY=TU,TH;UNTIL=20261209T235959Z\r\n",
       {"repeat;id=s1;start=20261201;every=1w;on=tu+th;until=20261209,\"S- - 9:0:0- FALSE\""}},
      {"DTSTART;TZID=Asia/Tokyo:20261201T090000\r\nRRULE:FREQ=MONTHLY;COUNT=3\r\n",
       {"repeat;id=s1;start=20261201;every=1m;day=1;count=3,\"S- - 9:0:0- FALSE\""}},
      // An override takes its day out and stands as an item of its own.
      {"DTSTART;VALUE=DATE:20261207\r\nRRULE:FREQ=DAILY;COUNT=4\r\nEND:VEVENT\r\n"
       "BEGIN:VEVENT\r\nUID:s1\r\nSUMMARY:Moved\r\nRECURRENCE-ID;VALUE=DATE:20261208\r\n"
       "DTSTART:20261208T150000\r\n",
       {"repeat;id=s1;start=20261207;every=1d;count=4;except=20261208,\"S- - 0:0:0- FALSE\"",
        "2026,2026,12,8,,,\"Moved- - 15:0:0- FALSE\""}},
      // What a series cannot say is expanded as before.
      {"DTSTART:20261201T090000\r\nRRULE:FREQ=MONTHLY;BYDAY=TU;BYSETPOS=-1;COUNT=2\r\n",
       {"expanded"}},
      {"DTSTART:20261201T090000\r\nRRULE:FREQ=WEEKLY;COUNT=2\r\nRDATE:20261203T090000\r\n",
       {"expanded"}},
      {"DTSTART;TZID=America/New_York:20261201T090000\r\nRRULE:FREQ=WEEKLY;COUNT=2\r\n",
       {"expanded"}},
      // A start that is no day of its rule.
      {"DTSTART:20261201T090000\r\nRRULE:FREQ=WEEKLY;BYDAY=FR;COUNT=2\r\n", {"expanded"}},
      {"DTSTART:20261201T090000\r\nRRULE:FREQ=WEEKLY;INTERVAL=2;WKST=SU;BYDAY=TU;COUNT=2\r\n",
       {"expanded"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.event);
    Lines got = Import(Calendar(c.event));
    if (c.lines[0] == "expanded" && got.size() > 1 && !got[0].starts_with("repeat;"))
      got = {"expanded"};
    EXPECT_EQ(got, c.lines);
  }
}

TEST(ICalendarSeriesTest, ASeriesAlreadyThereIsNotAddedAgain) {
  TLineList list{"repeat;id=s1;start=20261201;every=1d,\"Old- - 9:0:0- FALSE\""};
  const TICalMergeResult r =
      MergeICalendar(Calendar("DTSTART:20261201T090000\r\nRRULE:FREQ=DAILY\r\n"), list,
                     TICalZone("UTC"), DefaultICalWindow(kToday));
  EXPECT_EQ(r.Added, 0u);
  EXPECT_EQ(r.Duplicates, 1u);
  EXPECT_EQ(list.Count(), 1u);
}

// An event with no UID gets an identity from what it says: read twice, it is the same series.
TEST(ICalendarSeriesTest, ASeriesWithoutUidIsFoundAgainOnASecondImport) {
  const std::string ics =
      "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nSUMMARY:S\r\n"
      "DTSTART:20261201T090000\r\nRRULE:FREQ=WEEKLY;COUNT=5\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
  TLineList list;
  for (size_t added : {1u, 0u}) {
    const TICalMergeResult r =
        MergeICalendar(ics, list, TICalZone("UTC"), DefaultICalWindow(kToday));
    EXPECT_EQ(r.Added, added);
  }
  EXPECT_EQ(list.Count(), 1u);
}

}  // namespace
