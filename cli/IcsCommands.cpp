// moriva-cli ics-export and ics-import: the schedule file to and from iCalendar files.
#include <ctime>
#include <ostream>
#include <utility>

#include "base/FileLock.h"
#include "base/LineList.h"
#include "cli/CliCommand.h"
#include "cli/CliDates.h"
#include "cli/Interrupt.h"
#include "formats/ICalendarExport.h"
#include "formats/ICalendarImport.h"
#include "schedule/ScheduleFile.h"

namespace moriva {
namespace {

// --tz NAME stands in for the machine's zone, so that scripts and tests get stable output.
std::string ZoneArg(TCliArgs& args) {
  std::optional<std::string> tz = args.Option("tz");
  return tz ? *tz : LocalTimeZoneName();
}

}  // namespace

int IcsExportCommand(TCliArgs& args, std::ostream& out, std::ostream&) {
  const TICalZone zone(ZoneArg(args));
  const TDayRules holidays = HolidayRulesOption(args);
  std::optional<std::string> today = args.Option("today");
  const std::vector<std::string> pos = args.Positional(2, 2);
  TLineList list;
  LoadScheduleFile(pos[0], list);
  const TICalExportCounts ics =
      ExportICalendar(pos[1], list, zone, std::time(nullptr),
                      ExportHolidays(holidays, today ? ParseDateArg(*today) : TodayJulius()));
  out << "wrote " << ics.Events << (ics.Events == 1 ? " event" : " events") << " to " << pos[1];
  if (ics.LeftOut > 0)
    out << " (" << ics.LeftOut << (ics.LeftOut == 1 ? " line" : " lines")
        << " iCalendar cannot express left out)";
  out << '\n';
  return 0;
}

int IcsImportCommand(TCliArgs& args, std::ostream& out, std::ostream&) {
  const TICalZone zone(ZoneArg(args));
  std::optional<std::string> today = args.Option("today");
  TICalWindow window = DefaultICalWindow(today ? ParseDateArg(*today) : TodayJulius());
  if (std::optional<std::string> from = args.Option("from")) window.From = ParseDateArg(*from);
  if (std::optional<std::string> to = args.Option("to")) window.To = ParseDateArg(*to);
  if (window.From > window.To) throw EUsageError("--from lies after --to");
  const std::vector<std::string> pos = args.Positional(2, 2);
  TLineList list;
  // Held until the command ends, so no other writer saves over what this one writes.
  const TFileLock lock(pos[0], kScheduleWriterWait);
  LoadScheduleFile(pos[0], list);
  TInterruptScope interrupt;
  TICalBudget budget;
  budget.CancelRequested = [] { return g_interrupted != 0; };
  const TICalMergeResult r = MergeICalendarFile(pos[1], list, zone, window, std::move(budget));
  // An unchanged schedule is not written again.
  if (r.Added > 0) SaveScheduleFile(pos[0], list);
  out << kICalImportDoneText << '\n'
      << "added " << r.Added << ", already present " << r.Duplicates << ", skipped " << r.Skipped
      << ", made safe " << r.MadeSafe;
  if (r.LeftOut > 0) out << ", left out " << r.LeftOut << " beyond " << kMaxImportLines << " lines";
  if (r.RulesCut) out << ", repeating rules cut short";
  out << '\n';
  return 0;
}

}  // namespace moriva
