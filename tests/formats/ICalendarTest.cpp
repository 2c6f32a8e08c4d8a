// iCalendar export and import: what each kind of line becomes, files as other programs write
// them, what is refused or skipped, and the round trip that must add nothing.
#include <gtest/gtest.h>

#include "base/Cp932.h"
#include "formats/ICalendarExport.h"
#include "formats/ICalendarImport.h"

using namespace moriva;
using Lines = std::vector<std::string>;

namespace {

constexpr time_t kStamp = 1796000000;  // 2026-11-30T...Z
const JuliusDay kToday = DateToJulius(2026, 12, 7);

// The unfolded content lines of a VEVENT's text that start with `name`.
std::string Prop(const std::string& ics, size_t event, const std::string& name) {
  size_t p = 0;
  for (size_t i = 0; i <= event; ++i) p = ics.find("BEGIN:VEVENT", p + 1);
  const size_t end = ics.find("END:VEVENT", p);
  p = ics.find("\r\n" + name, p);
  if (p == std::string::npos || p > end) return "";
  return ics.substr(p + 2, ics.find("\r\n", p + 2) - p - 2);
}

TLineList Import(const std::string& body, const char* tz = "Asia/Tokyo",
                 TICalMergeResult* result = nullptr, TLineList list = {}) {
  const TICalZone zone(tz);
  TICalMergeResult r =
      MergeICalendar("BEGIN:VCALENDAR\r\nVERSION:2.0\r\n" + body + "END:VCALENDAR\r\n", list, zone,
                     DefaultICalWindow(kToday));
  if (result) *result = r;
  for (std::string& l : const_cast<std::vector<std::string>&>(list.Lines())) l = Cp932ToUtf8(l);
  return list;
}

std::string Event(const std::string& props) {
  return "BEGIN:VEVENT\r\nUID:x\r\n" + props + "END:VEVENT\r\n";
}

}  // namespace

TEST(ICalendarExportTest, EachKindOfLine) {
  struct Case {
    const char* line;
    const char* dtstart;  // "" = left out
    const char* rrule;
  } cases[] = {
      {"2026,2026,12,24,,,\"Party- Hall- 18:0:0- TRUE\"",
       "DTSTART;TZID=Europe/Berlin:20261224T180000", ""},
      {"2003,2003,05,01,,,\"Dentist- - 10:00- ON\"", "DTSTART;TZID=Europe/Berlin:20030501T100000",
       ""},
      {"2026,2026,12,9,,,\"No time- - - FALSE\"", "DTSTART;VALUE=DATE:20261209", ""},
      {"12,25,Xmas", "DTSTART;VALUE=DATE:19701225", "RRULE:FREQ=YEARLY;BYMONTHDAY=25;BYMONTH=12"},
      {"1,2,2,ComingOfAge", "DTSTART;VALUE=DATE:19700112", "RRULE:FREQ=YEARLY;BYDAY=2MO;BYMONTH=1"},
      {"2000,2,3,5,From2000", "DTSTART;VALUE=DATE:20000305",
       "RRULE:FREQ=YEARLY;BYMONTHDAY=5;BYMONTH=3"},
      {"2030,1,3,5,UpTo2030", "DTSTART;VALUE=DATE:19700305",
       "RRULE:FREQ=YEARLY;UNTIL=20301231;BYMONTHDAY=5;BYMONTH=3"},
      {"2020,2022,11,,3,2,Range", "DTSTART;VALUE=DATE:20201110",
       "RRULE:FREQ=YEARLY;UNTIL=20221231;BYDAY=2TU;BYMONTH=11"},
      {",,,,1,,Sundays", "DTSTART;VALUE=DATE:19700104", "RRULE:FREQ=WEEKLY;BYDAY=SU"},
      {"2026,2026,3,1,,,OneDay", "DTSTART;VALUE=DATE:20260301", ""},
      {"2020,2010,1,1,,,Wraps", "", ""},
      {",,1,13,6,,Friday13th", "", ""},
      {"1500,1500,1,1,,,\"Julian- - 9:0:0- FALSE\"", "", ""},
      {"not a rule", "", ""},
  };
  const TICalZone zone("Europe/Berlin");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const TICalExport out = BuildICalendar(TLineList{Utf8ToCp932(c.line)}, zone, kStamp);
    EXPECT_EQ(out.Events + out.LeftOut, 1u);
    EXPECT_EQ(Prop(out.Text, 0, "DTSTART"), c.dtstart);
    EXPECT_EQ(Prop(out.Text, 0, "RRULE"), c.rrule);
  }
}

TEST(ICalendarExportTest, DocumentUidsAlarmsAndPlaces) {
  const TLineList list{"2026,2026,12,24,,,\"Party- Hall- 18:0:0- TRUE\"",
                       "2026,2026,12,24,,,\"Party- Hall- 18:0:0- TRUE\"", "",
                       Utf8ToCp932("2026,2026,12,9,,,\"会議- - 9:30:0- FALSE\"")};
  const TICalExport out = BuildICalendar(list, TICalZone("Asia/Tokyo"), kStamp);
  EXPECT_EQ(out.Text, BuildICalendar(list, TICalZone("Asia/Tokyo"), kStamp).Text);
  EXPECT_EQ(out.Text.rfind("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Moriva//Moriva ", 0), 0u);
  EXPECT_NE(out.Text.find("CALSCALE:GREGORIAN\r\nBEGIN:VTIMEZONE\r\nTZID:Asia/Tokyo\r\n"),
            std::string::npos);
  EXPECT_EQ(out.Events, 3u);
  EXPECT_EQ(out.LeftOut, 0u);  // the empty line is nothing to leave out
  EXPECT_NE(Prop(out.Text, 0, "UID"), Prop(out.Text, 1, "UID"));
  EXPECT_EQ(Prop(out.Text, 0, "UID"), "UID:" + ScheduleLineUid(list[0], 0));
  EXPECT_EQ(Prop(out.Text, 0, "DTSTAMP"), "DTSTAMP:20261130T005320Z");
  EXPECT_EQ(Prop(out.Text, 0, "LOCATION"), "LOCATION:Hall");
  EXPECT_EQ(Prop(out.Text, 0, "TRIGGER"), "TRIGGER:PT0S");
  EXPECT_EQ(Prop(out.Text, 0, "DESCRIPTION"), "DESCRIPTION:Party");
  EXPECT_EQ(Prop(out.Text, 2, "SUMMARY"), "SUMMARY:会議");
  EXPECT_EQ(Prop(out.Text, 2, "LOCATION"), "");
  EXPECT_EQ(Prop(out.Text, 2, "BEGIN:VALARM"), "");
}

TEST(ICalendarImportTest, FilesAsOtherProgramsWriteThem) {
  const std::string berlin =
      "BEGIN:VTIMEZONE\r\nTZID:W. Europe\r\nBEGIN:STANDARD\r\nDTSTART:19701025T030000\r\n"
      "RRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=10\r\nTZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\n"
      "END:STANDARD\r\nBEGIN:DAYLIGHT\r\nDTSTART:19700329T020000\r\n"
      "RRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=3\r\nTZOFFSETFROM:+0100\r\nTZOFFSETTO:+0200\r\n"
      "END:DAYLIGHT\r\nEND:VTIMEZONE\r\n";
  struct Case {
    std::string body;
    Lines lines;
  } cases[] = {
      {Event("DTSTART:20261208T013000Z\r\nSUMMARY:UTC\r\nLOCATION:Room 1\r\n"),
       {"2026,2026,12,8,,,\"UTC- Room 1- 10:30:0- FALSE\""}},
      {berlin + Event("DTSTART;TZID=W. Europe:20260701T090000\r\nSUMMARY:Summer\r\n"),
       {"2026,2026,7,1,,,\"Summer- - 16:0:0- FALSE\""}},
      {Event("DTSTART;TZID=America/New_York:20261208T090000\r\nSUMMARY:No VTIMEZONE\r\n"),
       {"2026,2026,12,8,,,\"No VTIMEZONE- - 23:0:0- FALSE\""}},
      {Event("DTSTART;TZID=/mozilla.org/20050126_1/Europe/Berlin:20261208T090000\r\n"
             "SUMMARY:Prefixed\r\n"),
       {"2026,2026,12,8,,,\"Prefixed- - 17:0:0- FALSE\""}},
      {Event("DTSTART;TZID=Nowhere:20261208T090000\r\nSUMMARY:Floating\r\n"
             "BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER:-PT10M\r\nEND:VALARM\r\n"),
       {"2026,2026,12,8,,,\"Floating- - 9:0:0- TRUE\""}},
      {Event("DTSTART;VALUE=DATE:20261231\r\nDTEND;VALUE=DATE:20270101\r\nSUMMARY:All day\r\n"),
       {"2026,2026,12,31,,,\"All day- - 0:0:0- FALSE\""}},
      {Event("DTSTART:20261208T090000\r\nSUMMARY:A long summary folded by the other pro\r\n"
             " gram\r\nLOCATION:Caf\xC3\xA9 \xF0\x9F\x98\x80 \xE6\x9D\xB1\xE4\xBA\xAC\r\n"),
       {"2026,2026,12,8,,,\"A long summary folded by the other program- Café 😀 東京- 9:0:0- "
        "FALSE\""}},
      {Event("DTSTART:20261208T090000\r\nSUMMARY:Say \"hi\" - now\\nplease\r\n"),
       {"2026,2026,12,8,,,\"Say ”hi” － now please- - 9:0:0- FALSE\""}},
      {berlin +
           Event("DTSTART;TZID=W. Europe:20261207T100000\r\nRRULE:FREQ=WEEKLY;COUNT=5\r\n"
                 "EXDATE;TZID=W. Europe:20261214T100000\r\nSUMMARY:Weekly\r\n") +
           "BEGIN:VEVENT\r\nUID:x\r\nRECURRENCE-ID;TZID=W. Europe:20261221T100000\r\n"
           "DTSTART;TZID=W. Europe:20261222T150000\r\nSUMMARY:Moved\r\nEND:VEVENT\r\n",
       {"2026,2026,12,7,,,\"Weekly- - 18:0:0- FALSE\"",
        "2026,2026,12,28,,,\"Weekly- - 18:0:0- FALSE\"",
        "2027,2027,1,4,,,\"Weekly- - 18:0:0- FALSE\"",
        "2026,2026,12,22,,,\"Moved- - 23:0:0- FALSE\""}},
      {Event("DTSTART;VALUE=DATE:20000229\r\nRRULE:FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=29\r\n"
             "SUMMARY:Leap\r\n"),
       {"repeat;id=x;start=20000229;every=1y,\"Leap- - 0:0:0- FALSE\""}},
      {Event("DTSTART;VALUE=DATE:20000101\r\nRRULE:FREQ=YEARLY\r\nEXDATE;VALUE=DATE:20270101\r\n"
             "SUMMARY:New year\r\n"),
       {"repeat;id=x;start=20000101;every=1y;except=20270101,\"New year- - 0:0:0- FALSE\""}},
      {Event("DTSTART:20261208T090000\r\nSTATUS:CANCELLED\r\nSUMMARY:Off\r\n"), {}},
      // Phones write the fields the user left blank as empty properties.
      {Event("DTSTART:20261208T090000\r\nSUMMARY:Blank notes\r\nDESCRIPTION:\r\nLOCATION:\r\n"),
       {"2026,2026,12,8,,,\"Blank notes- - 9:0:0- FALSE\""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    TICalMergeResult r;
    EXPECT_EQ(Import(c.body, "Asia/Tokyo", &r).Lines(), c.lines);
    EXPECT_EQ(r.Skipped, 0u);
  }
}

TEST(ICalendarImportTest, RefusedFilesNameTheLineAndChangeNothing) {
  const struct {
    std::string text;
    size_t line;
  } cases[] = {
      {"", 1},
      {"hello world\r\n", 1},
      {"\r\nBEGIN:VEVENT\r\nDTSTART:20260101T000000Z\r\nEND:VEVENT\r\n", 2},
      {"BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nDTSTART:20260101T000000Z\r\n", 4},
      {"BEGIN:VCALENDAR\r\nVERSION:2.0\r\nSUMMARY:folded\r\n  twice\r\ngarbage\r\n"
       "END:VCALENDAR\r\n",
       5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    TLineList list{"kept"};
    try {
      MergeICalendar(c.text, list, TICalZone("UTC"), DefaultICalWindow(kToday));
      ADD_FAILURE() << "not refused";
    } catch (const EICalendarError& e) {
      EXPECT_EQ(e.Line, c.line) << e.what();
    }
    EXPECT_EQ(list, TLineList{"kept"});
  }
}

TEST(ICalendarImportTest, BrokenEventsAreSkippedAndRulesStayBounded) {
  TICalMergeResult r;
  const TLineList list = Import(
      Event("DTSTART:hello\r\nSUMMARY:Bad date\r\n") + Event("SUMMARY:No start\r\n") +
          Event("DTSTART:20261208T090000\r\nRRULE:FREQ=BOGUS\r\nSUMMARY:Bad rule\r\n") +
          Event("DTSTART:20261208T090000\r\ngarbage inside\r\nSUMMARY:Bad line\r\n") +
          Event("DTSTART:20261207T000000Z\r\nRRULE:FREQ=SECONDLY\r\nSUMMARY:S\r\n") +
          Event("DTSTART;VALUE=DATE:20260101\r\nRRULE:FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=30\r\n"
                "SUMMARY:Never\r\n") +
          Event("DTSTART:20261208T090000\r\nX-UNKNOWN:ok\r\nFOO:bar\r\nSUMMARY:Fine\r\n"),
      "UTC", &r);
  // libical refuses a rule that can never happen (30 February) as it refuses a damaged one.
  EXPECT_EQ(r.Skipped, 5u);
  // A rule of every second is cut after kMaxRecurrenceSteps seconds; same minutes are one line.
  EXPECT_EQ(r.Added, kMaxRecurrenceSteps / 60 + 1 + 1);
  EXPECT_EQ(list.Lines().back(), "2026,2026,12,8,,,\"Fine- - 9:0:0- FALSE\"");
}

TEST(ICalendarImportTest, ExportThenImportAddsNothingAndAnotherZoneConverts) {
  const TLineList schedule{"2026,2026,12,24,,,\"Party- Hall- 18:0:0- TRUE\"",
                           "2003,2003,05,01,,,\"Dentist- - 10:00- ON\"",
                           Utf8ToCp932("12,25,クリスマス"),
                           "2026,2026,12,9,,,\"No time- - - FALSE\"", "1,2,2,ComingOfAge"};
  const std::string ics = BuildICalendar(schedule, TICalZone("Asia/Tokyo"), kStamp).Text;
  for (int round = 0; round < 2; ++round) {
    TLineList list = schedule;
    const TICalMergeResult r =
        MergeICalendar(ics, list, TICalZone("Asia/Tokyo"), DefaultICalWindow(kToday));
    EXPECT_EQ(r, (TICalMergeResult{0, 5, 0, 0}));
    EXPECT_EQ(list, schedule);
  }
  // Elsewhere the times move with the zone and the lines are made anew; rules stay as lines.
  TLineList empty;
  const TICalZone utc("UTC");
  MergeICalendar(ics, empty, utc, DefaultICalWindow(kToday));
  EXPECT_EQ(empty.Lines(), (Lines{"2026,2026,12,24,,,\"Party- Hall- 9:0:0- TRUE\"",
                                  "2003,2003,5,1,,,\"Dentist- - 1:0:0- FALSE\"", schedule[2],
                                  schedule[3], schedule[4]}));
}

// Characters code page 932 lacks come in, are held as pairs and go out again as they came.
TEST(ICalendarImportTest, CharactersBeyondShiftJisGoOutAsTheyCameIn) {
  const std::string summary = "🎂 誕生日 𠮷野 é ♡ \U000E0067\uE3AC\uE000";
  TLineList list;
  MergeICalendar("BEGIN:VCALENDAR\r\nVERSION:2.0\r\n" +
                     Event("DTSTART:20261208T090000\r\nSUMMARY:" + summary + "\r\nLOCATION:🏠\r\n") +
                     "END:VCALENDAR\r\n",
                 list, TICalZone("Asia/Tokyo"), DefaultICalWindow(kToday));
  ASSERT_EQ(list.Count(), 1u);
  EXPECT_EQ(Cp932ToUtf8(list[0]), "2026,2026,12,8,,,\"" + summary + "- 🏠- 9:0:0- FALSE\"");
  const std::string ics = BuildICalendar(list, TICalZone("Asia/Tokyo"), kStamp).Text;
  EXPECT_EQ(Prop(ics, 0, "SUMMARY"), "SUMMARY:" + summary);
  EXPECT_EQ(Prop(ics, 0, "LOCATION"), "LOCATION:🏠");
}

TEST(ICalendarImportTest, WindowBoundsBothEnds) {
  const TICalWindow w = DefaultICalWindow(DateToJulius(2028, 2, 29));
  EXPECT_EQ(w.From, DateToJulius(2027, 2, 28));
  EXPECT_EQ(w.To, DateToJulius(2030, 2, 28));
  TLineList list;
  MergeICalendar(
      "BEGIN:VCALENDAR\r\n" +
          Event("DTSTART;VALUE=DATE:20260101\r\nRRULE:FREQ=DAILY;BYMONTH=3\r\nSUMMARY:D\r\n") +
          "END:VCALENDAR\r\n",
      list, TICalZone("UTC"), {DateToJulius(2026, 3, 1), DateToJulius(2026, 3, 3)});
  EXPECT_EQ(list.Lines(),
            (Lines{"2026,2026,3,1,,,\"D- - 0:0:0- FALSE\"", "2026,2026,3,2,,,\"D- - 0:0:0- FALSE\"",
                   "2026,2026,3,3,,,\"D- - 0:0:0- FALSE\""}));
}
