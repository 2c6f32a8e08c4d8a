// The exported iCalendar file read back by an independent reader: Python's icalendar package.
#include <gtest/gtest.h>

#include <sstream>

#include "base/Cp932.h"
#include "base/FileIO.h"
#include "formats/ICalendarExport.h"
#include "formats/ICalendarImport.h"
#include "tests/oracle/OracleTool.h"

using namespace moriva;
using moriva::oracle::RunPython;
using moriva::oracle::TempDir;

namespace {

// One line per event: UID, DTSTART with its UTC offset, SUMMARY, LOCATION, the alarms'
// action, trigger and description, RRULE.
constexpr const char* kReader = R"(
import sys, icalendar
cal = icalendar.Calendar.from_ical(open(sys.argv[1], 'rb').read())
assert str(cal['VERSION']) == '2.0' and str(cal['CALSCALE']) == 'GREGORIAN'
for ev in cal.walk('VEVENT'):
    start = ev.decoded('DTSTART')
    alarms = ['%s %s %s' % (a['ACTION'], a.decoded('TRIGGER'), a['DESCRIPTION'])
              for a in ev.walk('VALARM')]
    rule = ev['RRULE'].to_ical().decode() if 'RRULE' in ev else '-'
    print('|'.join([str(ev['UID']), start.isoformat(), str(ev['SUMMARY']),
                    str(ev.get('LOCATION', '-')), ','.join(alarms) or '-', rule]))
)";

}  // namespace

TEST(ICalendarOracleTest, PythonReadsTheSameEvents) {
  const std::string longSubject = "とても長い件名" + std::string(40, 'x') + "で折り返される";
  const TLineList list{
      Utf8ToCp932("2026,2026,12,24,,,\"会議- 会議室 A, B- 18:5:0- TRUE\""),
      Utf8ToCp932("2026,2026,12,24,,,\"会議- 会議室 A, B- 18:5:0- TRUE\""),
      Utf8ToCp932("2026,2026,7,1,,,\"" + longSubject + "- - 9:30:0- FALSE\""),
      Utf8ToCp932("1,2,2,成人の日"),
      "2026,2026,3,1,,,Day",
  };
  TempDir dir;
  const std::string ics =
      dir.Write("out.ics", BuildICalendar(list, TICalZone("Europe/Berlin"), 1796000000).Text);
  std::istringstream out(RunPython(dir, kReader, ics));
  std::vector<std::string> events;
  for (std::string line; std::getline(out, line);) events.push_back(line);
  const std::vector<std::string> expected = {
      ScheduleLineUid(list[0], 0) +
          "|2026-12-24T18:05:00+01:00|会議|会議室 A, B|DISPLAY 0:00:00 会議|-",
      ScheduleLineUid(list[0], 1) +
          "|2026-12-24T18:05:00+01:00|会議|会議室 A, B|DISPLAY 0:00:00 会議|-",
      ScheduleLineUid(list[2], 0) + "|2026-07-01T09:30:00+02:00|" + longSubject + "|-|-|-",
      ScheduleLineUid(list[3], 0) + "|1970-01-12|成人の日|-|-|FREQ=YEARLY;BYDAY=2MO;BYMONTH=1",
      ScheduleLineUid(list[4], 0) + "|2026-03-01|Day|-|-|-",
  };
  EXPECT_EQ(events, expected);
}

// Series: Python reads each event's RRULE and EXDATEs and writes the calendar out again in its
// own words; importing what it wrote gives the same series lines.
TEST(ICalendarOracleTest, PythonKeepsASeriesRuleAndItsTakenOutDays) {
  constexpr const char* kRules = R"(
import sys, icalendar
cal = icalendar.Calendar.from_ical(open(sys.argv[1], 'rb').read())
for ev in cal.walk('VEVENT'):
    ex = ev.get('EXDATE', [])
    ex = ex if isinstance(ex, list) else [ex]
    days = sorted(d.dt.strftime('%Y%m%d') for e in ex for d in e.dts)
    print('%s|%s|%s' % (ev['UID'], ev['RRULE'].to_ical().decode(), ','.join(days)))
open(sys.argv[1] + '.py.ics', 'wb').write(cal.to_ical())
)";
  const TLineList list{
      Utf8ToCp932("repeat;id=a1;start=20261208;every=1w;on=tu;count=10;except=20261222+20270105,"
                  "\"会議- 会議室- 10:0:0- TRUE\""),
      Utf8ToCp932("repeat;id=a2;start=20270129;every=1m;on=fr;week=last;until=20271231,"
                  "\"月末会- - 17:0:0- FALSE\""),
      Utf8ToCp932("repeat;id=a3;start=20270104;every=2w;on=mo+fr,\"朝会- - 9:0:0- FALSE\""),
      Utf8ToCp932("repeat;id=a4;start=20270125;every=1m;day=25,\"家賃- - 0:0:0- FALSE\""),
  };
  TempDir dir;
  const TICalZone zone("Asia/Tokyo");
  const std::string ics = dir.Write("series.ics", BuildICalendar(list, zone, 1796000000).Text);
  std::istringstream out(RunPython(dir, kRules, ics));
  std::vector<std::string> rules;
  for (std::string line; std::getline(out, line);) rules.push_back(line);
  EXPECT_EQ(rules, (std::vector<std::string>{
                       "a1|FREQ=WEEKLY;COUNT=10;BYDAY=TU|20261222,20270105",
                       "a2|FREQ=MONTHLY;UNTIL=20271231T145959Z;BYDAY=-1FR|",
                       "a3|FREQ=WEEKLY;INTERVAL=2;BYDAY=MO,FR|",
                       "a4|FREQ=MONTHLY;BYMONTHDAY=25|",
                   }));
  TLineList back;
  MergeICalendar(ReadFileBytes(ics + ".py.ics"), back, zone, DefaultICalWindow(2461000));
  EXPECT_EQ(back.Lines(), list.Lines());
}
