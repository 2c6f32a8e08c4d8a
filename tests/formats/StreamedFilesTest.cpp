// The files written and read a piece at a time say what the whole-document roads say: the XML
// stream what the document tree writes, the iCalendar export what libical writes for each
// line's event, the import what the whole parsed document gives.
#include <gtest/gtest.h>

#include <map>

#include "base/Cp932.h"
#include "calendar/DayRules.h"
#include "calendar/HolidayLines.h"
#include "formats/ICalendarExport.h"
#include "formats/ICalendarImport.h"
#include "xml/XmlExport.h"

using namespace moriva;

namespace {

constexpr time_t kStamp = 1796000000;

TLineList Schedule(std::initializer_list<const char*> utf8) {
  TLineList list;
  for (const char* line : utf8) list.Add(Utf8ToCp932(line));
  return list;
}

// The export as it was made before: one libical component per line, serialised.
std::string ExportOfEachLine(const TLineList& list, const TICalZone& zone,
                             const TICalHolidays& holidays) {
  std::string text = ICalendarHead(zone);
  std::map<std::string, size_t> seen;
  for (const std::string& line : list) {
    if (line.empty()) continue;
    TICalComponent ev =
        ScheduleLineToVEvent(line, ScheduleLineUid(line, seen[line]++), zone, kStamp, holidays);
    if (ev) text += ICalString(ev.get());
  }
  return text + std::string(kICalendarTail);
}

// An END line outside every component makes the import read the document whole, as it always
// did; libical passes over the line.
TLineList ImportWhole(std::string ics, const TICalZone& zone, TICalMergeResult& r) {
  TLineList list;
  r = MergeICalendar(ics + "END:VCALENDAR\r\n", list, zone, DefaultICalWindow(2461382));
  return list;
}

TEST(StreamedFiles, SayWhatTheWholeDocumentSays) {
  const std::string longText(120, 'x');
  const std::string folded = "2026,2026,12,9,,,\"" + std::string(40, 'a') + " 長い件名の予定 " +
                             longText + "- 会議室; 3F, 東棟- 10:0:0- TRUE\"";
  struct Case {
    const char* name;
    TLineList schedule;
    std::string ics;  // more to import beside the export of the schedule
  } cases[] = {
      {"empty", {}, ""},
      {"items",
       Schedule({"2002,2002,7,15,,,\"会議- 会議室- 9:30:0- TRUE\"",
                 "2002,2002,7,15,,,\"R&D; a,b\\\\c <x>- - 13:0:0- FALSE\"",
                 "2002,2002,7,15,,,\"会議- 会議室- 9:30:0- TRUE\"", folded.c_str(),
                 "2026,2026,12,31,,,\"終日- - 時刻なし- FALSE\"",
                 "2026,2026,2,30,,,\"no day- - 1:0:0- FALSE\"", "", "not a line",
                 "1500,1500,1,1,,,\"昔- - 1:0:0- FALSE\""}),
       ""},
      {"rules and series",
       Schedule(
           {",,5,3,,,\"憲法記念日\"", "2000,2010,1,0,2,2,\"成人の日\"",
            "repeat;id=a1;start=20261208;every=1w;on=tu;count=10;holidays=skip;"
            "except=20261222,\"定例- 会議室- 10:0:0- TRUE\"",
            "repeat;id=a2;start=20270125;every=1m;day=25;until=20271231,\"家賃- - 0:0:0- FALSE\"",
            "repeat;id=bad;every=1w,\"壊れた- - 0:0:0- FALSE\"",
            "2026,2026,12,8,,,\"普通- 本社- 8:0:0- FALSE\""}),
       ""},
      {"overrides, zones after events, several calendars",
       {},
       "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n"
       "BEGIN:VEVENT\r\nUID:r1\r\nDTSTART;TZID=Custom/Zone:20261201T090000\r\n"
       "RRULE:FREQ=DAILY;COUNT=5\r\nSUMMARY:朝会\r\nEND:VEVENT\r\n"
       "BEGIN:VEVENT\r\nUID:r1\r\nRECURRENCE-ID;TZID=Custom/Zone:20261203T090000\r\n"
       "DTSTART;TZID=Custom/Zone:20261203T110000\r\nSUMMARY:朝会 (移動)\r\nEND:VEVENT\r\n"
       "BEGIN:VEVENT\r\nUID:r2\r\nDTSTART:20261210T010000Z\r\nRRULE:FREQ=WEEKLY;BYDAY=TH,FR\r\n"
       "EXDATE:20261217T010000Z\r\nSUMMARY:週報\r\nEND:VEVENT\r\n"
       "BEGIN:VEVENT\r\nUID:r2\r\nRECURRENCE-\r\n "
       "ID:20261211T010000Z\r\nDTSTART:20261212T010000Z\r\n"
       "SUMMARY:週報 (土)\r\nEND:VEVENT\r\n"
       "BEGIN:VEVENT\r\nUID:c\r\nDTSTART:20261215T010000Z\r\nSTATUS:CANCELLED\r\nEND:VEVENT\r\n"
       "BEGIN:VEVENT\r\nUID:b\r\nSUMMARY:no start\r\nEND:VEVENT\r\n"
       "BEG\r\n IN:VEVENT\r\nUID:f\r\nDTSTART;VALUE=DATE:20261224\r\nSUMMARY:折り返し\r\n"
       "BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER:PT0S\r\nEND:VALARM\r\nEND:VEVENT\r\n"
       "BEGIN:VTIMEZONE\r\nTZID:Custom/Zone\r\nBEGIN:STANDARD\r\nDTSTART:19700101T000000\r\n"
       "TZOFFSETFROM:+0500\r\nTZOFFSETTO:+0500\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n"
       "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:n\r\nDTSTART:20261220T000000Z\r\nSUMMARY:入れ子\r\n"
       "END:VEVENT\r\nEND:VCALENDAR\r\n"
       "END:VCALENDAR\r\n"
       "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:s\r\nDTSTART:20261221T000000Z\r\nSUMMARY:二つ目\r\n"
       "END:VEVENT\r\nEND:VCALENDAR\r\n"},
  };
  const TICalZone zone("Asia/Tokyo");
  TDayRules holidays;
  BuildDayRules(holidays, THolidaySet::Current, TLineList());
  const TICalHolidays exportHolidays = ExportHolidays(holidays, 2461382);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string xml;
    WriteScheduleXml(c.schedule, [&](std::string_view bytes) { xml += bytes; });
    EXPECT_EQ(xml, BuildScheduleXml(c.schedule)->SaveToBytes(0));

    const std::string ics = BuildICalendar(c.schedule, zone, kStamp, exportHolidays).Text;
    EXPECT_EQ(ics, ExportOfEachLine(c.schedule, zone, exportHolidays));

    for (const std::string& doc : {ics, c.ics}) {
      if (doc.empty()) continue;
      TLineList streamed;
      const TICalMergeResult r = MergeICalendar(doc, streamed, zone, DefaultICalWindow(2461382));
      TICalMergeResult whole;
      EXPECT_EQ(streamed.Lines(), ImportWhole(doc, zone, whole).Lines());
      EXPECT_EQ(r, whole);
    }
  }
}

}  // namespace
