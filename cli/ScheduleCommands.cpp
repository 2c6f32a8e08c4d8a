// moriva-cli agenda, add, csv-export and csv-import: the schedule file without the window.
#include <algorithm>
#include <ostream>

#include "base/Cp932.h"
#include "base/FileIO.h"
#include "base/FileLock.h"
#include "base/LineList.h"
#include "calendar/HolidayLines.h"
#include "calendar/Julius.h"
#include "cli/CliCommand.h"
#include "cli/CliDates.h"
#include "formats/CsvMerge.h"
#include "formats/PhoneCsv.h"
#include "schedule/Agenda.h"
#include "schedule/QuickAdd.h"
#include "schedule/ScheduleFile.h"
#include "schedule/ScheduleSeries.h"

namespace moriva {
namespace {

constexpr const char* kWeekdayNames[] = {"日", "月", "火", "水", "木", "金", "土"};

// --today YYYY-MM-DD stands in for the clock, so that scripts and tests get stable output.
JuliusDay TodayArg(TCliArgs& args) {
  std::optional<std::string> today = args.Option("today");
  return today ? ParseDateArg(*today) : TodayJulius();
}

std::string Plural(size_t n, const char* word) {
  return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

// The items by day, a day's heading before its first item.
void PrintAgenda(const std::vector<TAgendaItem>& items, JuliusDay from, std::ostream& out) {
  JuliusDay shown = from - 1;
  for (const TAgendaItem& item : items) {
    if (item.Day != shown) {
      int32_t y;
      uint8_t m, d;
      JuliusToDate(item.Day, y, m, d);
      out << (shown >= from ? "\n" : "") << FormatDate(y, m, d) << " ("
          << kWeekdayNames[JuliusDayOfWeek(item.Day) - 1] << ")\n";
      shown = item.Day;
    }
    std::string time = Cp932ToUtf8(AgendaTimeText(item.Parts.Time));
    out << "  " << std::string(time.size() < 5 ? 5 - time.size() : 0, ' ') << time << "  "
        << Cp932ToUtf8(item.Parts.Subject);
    if (!item.Parts.Place.empty()) out << "  @ " << Cp932ToUtf8(item.Parts.Place);
    if (item.Repeating) out << "  [repeating]";
    if (item.Parts.Alarm()) out << "  [alarm]";
    out << '\n';
  }
}

}  // namespace

int AgendaCommand(TCliArgs& args, std::ostream& out, std::ostream&) {
  const JuliusDay today = TodayArg(args);
  const TDayRules holidays = HolidayRulesOption(args);
  const std::vector<std::string> pos = args.Positional(1, 3);
  const JuliusDay from = pos.size() > 1 ? ParseDateArg(pos[1]) : today;
  std::optional<JuliusDay> to;
  if (pos.size() > 2) to = ParseDateArg(pos[2]);
  if (to && from > *to) throw EUsageError("FROM lies after TO");

  // The file's lines are read in place: a list of them would cost more than the agenda.
  PrintAgenda(CollectAgendaOfText(ReadScheduleText(pos[0]), from, to, holidays), from, out);
  return 0;
}

int AddCommand(TCliArgs& args, std::ostream& out, std::ostream&) {
  const JuliusDay today = TodayArg(args);
  const TDayRules holidays = HolidayRulesOption(args);
  const std::vector<std::string> pos = args.Positional(2, 2);
  // Read before the file is touched: a text that makes nothing leaves it as it was.
  const TQuickAddReading reading = ReadQuickAdd(Utf8ToCp932(pos[1]), today);
  if (!reading.Item)
    throw Exception(reading.Reason.empty() ? "the text names no item" : reading.Reason);
  const TQuickItem& item = *reading.Item;
  const std::string line =
      item.Rule ? WriteSeriesLine(TSeries{NewSeriesId(), *item.Rule, QuickItemText(item)})
                : QuickItemLine(item);
  TLineList list;
  const TFileLock lock(pos[0], kScheduleWriterWait);
  LoadScheduleFile(pos[0], list);
  list.Add(line);
  SaveScheduleFile(pos[0], list);
  // What was added, as agenda shows it: a series by its first day.
  TLineList added;
  added.Add(line);
  std::vector<TAgendaItem> items = CollectAgenda(added, item.Day, std::nullopt, holidays);
  items.resize(std::min<size_t>(items.size(), 1));
  PrintAgenda(items, item.Day, out);
  return 0;
}

int CsvExportCommand(TCliArgs& args, std::ostream& out, std::ostream&) {
  const JuliusDay today = TodayArg(args);
  const TDayRules holidays = HolidayRulesOption(args);
  const std::vector<std::string> pos = args.Positional(2, 2);
  TLineList list;
  LoadScheduleFile(pos[0], list);
  TPhoneCsvCounts counts;
  TLineList csv = BuildPhoneCsv(list, today, &counts, holidays);
  SavePhoneCsv(pos[1], csv);
  out << "wrote " << Plural(csv.Count() - 1, "row") << " to " << pos[1];
  const size_t leftOut = counts.LeftOut;
  if (leftOut == 1) out << " (1 line that is not a schedule item left out)";
  if (leftOut > 1) out << " (" << leftOut << " lines that are not schedule items left out)";
  out << '\n';
  if (counts.Series > 0)
    out << Plural(counts.SeriesRows, "row") << " from " << Plural(counts.Series, "repeating item")
        << " (the " << kPhoneSeriesDays << " days from today)\n";
  if (counts.Replaced > 0)
    out << Plural(counts.Replaced, "character") << " the handset cannot show written as 〓\n";
  return 0;
}

int CsvImportCommand(TCliArgs& args, std::ostream& out, std::ostream&) {
  const std::vector<std::string> pos = args.Positional(2, 2);
  TLineList list;
  // Held until the command ends, so no other writer saves over what this one writes.
  const TFileLock lock(pos[0], kScheduleWriterWait);
  LoadScheduleFile(pos[0], list);
  const TMergeResult r = MergeCsvFile(pos[1], list);
  // An unchanged schedule is not written again.
  if (r.Added > 0) SaveScheduleFile(pos[0], list);
  out << kCsvImportDoneText << '\n'
      << "added " << r.Added << ", already present " << r.Duplicates << ", skipped " << r.Skipped
      << '\n';
  return 0;
}

}  // namespace moriva
