#pragma once
// moriva-cli commands. Each command lives in its own cli/<Name>Command.cpp and is listed by
// one line in the table in main.cpp. Output is UTF-8 on `out`; errors are thrown:
// EUsageError for bad usage (exit code 2), any other moriva::Exception for bad data (exit 1).
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Exception.h"
#include "base/ProgramFolders.h"

namespace moriva {

// The command line was not understood; the text says what is wrong.
class EUsageError : public Exception {
 public:
  using Exception::Exception;
};

// The arguments after the command name: options are taken out by name, in any order among
// the positional arguments. A lone "-" or a negative date such as "-0001-01-01" is positional.
class TCliArgs {
 public:
  explicit TCliArgs(std::vector<std::string> args) : args_(std::move(args)) {}

  // Removes `--name` and reports whether it was there.
  bool Flag(std::string_view name);
  // Removes `--name VALUE` (or `--name=VALUE`) and returns the value.
  std::optional<std::string> Option(std::string_view name);
  // The remaining arguments; throws EUsageError for a leftover option or a count outside
  // min..max.
  std::vector<std::string> Positional(size_t min, size_t max);

 private:
  std::vector<std::string> args_;
};

struct TCliCommand {
  std::string_view name;
  std::string_view usage;    // the argument synopsis after the name
  std::string_view summary;  // one line for --help
  int (*run)(TCliArgs& args, std::ostream& out, std::ostream& err);
};

// The folders of this copy of the program, when no --dir names another.
TProgramFolders CliProgramFolders();

int DaysCommand(TCliArgs& args, std::ostream& out, std::ostream& err);
int HolidaysCommand(TCliArgs& args, std::ostream& out, std::ostream& err);
int KoyomiCommand(TCliArgs& args, std::ostream& out, std::ostream& err);
int CalendarCommand(TCliArgs& args, std::ostream& out, std::ostream& err);
int AgendaCommand(TCliArgs& args, std::ostream& out, std::ostream& err);
int AddCommand(TCliArgs& args, std::ostream& out, std::ostream& err);
int CsvExportCommand(TCliArgs& args, std::ostream& out, std::ostream& err);
int CsvImportCommand(TCliArgs& args, std::ostream& out, std::ostream& err);
int IcsExportCommand(TCliArgs& args, std::ostream& out, std::ostream& err);
int IcsImportCommand(TCliArgs& args, std::ostream& out, std::ostream& err);
int XmlExportCommand(TCliArgs& args, std::ostream& out, std::ostream& err);
int ConfigCommand(TCliArgs& args, std::ostream& out, std::ostream& err);
int SendCommand(TCliArgs& args, std::ostream& out, std::ostream& err);
int ReceiveCommand(TCliArgs& args, std::ostream& out, std::ostream& err);
int CalDavSyncCommand(TCliArgs& args, std::ostream& out, std::ostream& err);
int EraCommand(TCliArgs& args, std::ostream& out, std::ostream& err);

}  // namespace moriva
