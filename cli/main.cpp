// moriva-cli: the calendar engine and the other core parts without windows, for scripts.
// Exit codes: 0 done, 1 bad data or an unreadable file, 2 bad usage; every message of a command
// begins with "moriva-cli COMMAND: ".
#include <sys/resource.h>

#include <algorithm>
#include <iostream>
#include <new>

#include "Version.h"
#include "cli/CliCommand.h"

namespace moriva {
namespace {

// One line per command; the function lives in cli/<Name>Command.cpp.
constexpr TCliCommand kCommands[] = {
    {"days",
     "FROM TO [--schedule FILE.mrv] [--no-equinox] [--no-furikae] [--holidays current|classic]",
     "every day FROM..TO (YYYY-MM-DD): number, weekday, state, old calendar, rokuyo, names",
     DaysCommand},
    {"holidays", "YEAR [--holidays current|classic]",
     "the holidays of a year with their names (current: today's law; classic: the old rules)",
     HolidaysCommand},
    {"koyomi", "YEAR",
     "the 24 solar terms and the seasonal days (節分, 彼岸, 土用, ...) of a year (1900..2100)",
     KoyomiCommand},
    {"era", "DATE",
     "a date YYYY-MM-DD as its era date (令和元年5月1日), an era date (令和9年1月10日, R9.1.10) "
     "as YYYY-MM-DD",
     EraCommand},
    {"calendar", "[YYYY-MM] [--rokuyo] [--holidays current|classic]",
     "a month as a grid (default: this month)", CalendarCommand},
    {"agenda", "FILE.mrv [FROM [TO]] [--today YYYY-MM-DD] [--holidays current|classic]",
     "the schedule items per day, FROM (default today) to TO; repeating items on each of their "
     "days (without TO, for 365 days)",
     AgendaCommand},
    {"add", "FILE.mrv TEXT [--today YYYY-MM-DD] [--holidays current|classic]",
     "add the item or repeating item a line such as '明日15時 歯医者 @駅前' or '毎週火曜 10時 "
     "定例' "
     "describes, and print it as agenda does",
     AddCommand},
    {"csv-export", "FILE.mrv OUT.csv [--today YYYY-MM-DD] [--holidays current|classic]",
     "the handset's SCHEDULE.CSV: the items from today on, repeating items for 365 days",
     CsvExportCommand},
    {"csv-import", "FILE.mrv IN.csv", "merge a handset CSV file into the schedule file",
     CsvImportCommand},
    {"ics-export", "FILE.mrv OUT.ics [--tz ZONE] [--today YYYY-MM-DD] [--holidays current|classic]",
     "the schedule as an iCalendar file, for other calendar programs; a repeating item is one "
     "event with its rule",
     IcsExportCommand},
    {"ics-import", "FILE.mrv IN.ics [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--tz ZONE]",
     "merge an iCalendar file; a rule a repeating item can hold becomes one, other repeating "
     "events become items from --from to --to",
     IcsImportCommand},
    {"xml-export", "FILE.mrv OUT.xml", "the schedule as an XML file (Shift_JIS)", XmlExportCommand},
    {"config", "KEY [VALUE] [--dir DIR]",
     "print or set one mail setting (section email of hs110.ini), or caldav.url, caldav.user, "
     "caldav.password, caldav.cafile (section caldav)",
     ConfigCommand},
    {"send", "FILE.mrv [--dir DIR] [--today YYYY-MM-DD] [--holidays current|classic]",
     "mail the items from today on to the handset as SCHEDULE.CSV (repeating items for 365 days)",
     SendCommand},
    {"receive", "FILE.mrv [--dir DIR]",
     "fetch the handset's new schedule mails and merge every CSV file received", ReceiveCommand},
    {"caldav-sync",
     "FILE.mrv [--dir DIR] [--tz ZONE] [--today YYYY-MM-DD] [--holidays current|classic] "
     "[--allow-mass-delete]",
     "two-way sync of the schedule file with the CalDAV calendar of the settings",
     CalDavSyncCommand},
};

void WriteUsage(std::ostream& out) {
  out << "Usage: moriva-cli COMMAND [ARGUMENTS]\n"
         "       moriva-cli --help | --version | COMMAND --help\n\nCommands:\n";
  for (const TCliCommand& c : kCommands)
    out << "  " << c.name << ' ' << c.usage << "\n      " << c.summary << '\n';
  const TProgramFolders folders = CliProgramFolders();
  out << "\nFiles (unless --dir DIR names one folder for all):\n  settings (hs110.ini): "
      << folders.Config.string()
      << "\n  data (uidl.ini, caldav.ini, outgoing, incoming): " << folders.Data.string() << '\n';
}

const TCliCommand* FindCommand(std::string_view name) {
  for (const TCliCommand& c : kCommands)
    if (c.name == name) return &c;
  return nullptr;
}

#if defined(__SANITIZE_ADDRESS__)
#define MORIVA_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MORIVA_ADDRESS_SANITIZER 1
#endif
#endif

// Whatever a file or a server sends, one command must not take the machine's memory: past this
// it fails like any other command (std::bad_alloc, exit 1) instead of driving the desktop into
// swap. Each reader has its own, smaller bounds; this is the last line. A sanitizer's shadow
// memory counts as data, so those builds keep the limit they were given.
constexpr rlim_t kCommandMemoryBound = rlim_t{1} << 30;

void BoundCommandMemory() {
#ifndef MORIVA_ADDRESS_SANITIZER
  rlimit limit{};
  if (getrlimit(RLIMIT_DATA, &limit) != 0) return;
  if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur <= kCommandMemoryBound) return;
  limit.rlim_cur = kCommandMemoryBound;
  setrlimit(RLIMIT_DATA, &limit);
#endif
}

int Run(int argc, char** argv) {
  std::vector<std::string> all(argv + 1, argv + argc);
  // "--dir DIR" may also stand before the command name; it belongs to the command.
  if (all.size() > 2 && all[0] == "--dir")
    std::rotate(all.begin(), all.begin() + 2, all.begin() + 3);
  else if (all.size() > 1 && all[0].rfind("--dir=", 0) == 0)
    std::rotate(all.begin(), all.begin() + 1, all.begin() + 2);
  if (all.empty()) {
    WriteUsage(std::cerr);
    return 2;
  }
  if (all[0] == "--help" || all[0] == "-h" || all[0] == "help") {
    WriteUsage(std::cout);
    return 0;
  }
  if (all[0] == "--version") {
    std::cout << "moriva-cli " << MORIVA_VERSION_TEXT << '\n';
    return 0;
  }
  const TCliCommand* command = FindCommand(all[0]);
  if (!command) {
    std::cerr << "moriva-cli: unknown command '" << all[0] << "' (see moriva-cli --help)\n";
    return 2;
  }
  TCliArgs args(std::vector<std::string>(all.begin() + 1, all.end()));
  if (args.Flag("help")) {
    std::cout << "Usage: moriva-cli " << command->name << ' ' << command->usage << "\n  "
              << command->summary << '\n';
    return 0;
  }
  BoundCommandMemory();
  try {
    const int code = command->run(args, std::cout, std::cerr);
    std::cout.flush();
    return code;
  } catch (const std::bad_alloc&) {
    std::cout.flush();
    std::cerr << "moriva-cli " << command->name << ": メモリが足りません。処理を中止しました。\n";
    return 1;
  } catch (const EUsageError& e) {
    std::cerr << "moriva-cli " << command->name << ": " << e.what() << "\nUsage: moriva-cli "
              << command->name << ' ' << command->usage << '\n';
    return 2;
  } catch (const std::exception& e) {
    std::cout.flush();
    std::cerr << "moriva-cli " << command->name << ": " << e.what() << '\n';
    return 1;
  }
}

}  // namespace
}  // namespace moriva

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  return moriva::Run(argc, argv);
}
