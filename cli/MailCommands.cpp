// moriva-cli config, send, receive and caldav-sync: the transfer set-up, both roads to the
// handset and the calendar server sync, for scripts and cron. The settings, "uidl.ini",
// "caldav.ini", "outgoing" and "incoming" are those of the program's folders (see
// moriva-cli --help), or of DIR with --dir.
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <iostream>
#include <ostream>
#include <string>

#include "base/Cp932.h"
#include "base/FileLock.h"
#include "base/IniFile.h"
#include "caldav/CalDavServer.h"
#include "caldav/CalDavState.h"
#include "caldav/CalDavSync.h"
#include "calendar/Julius.h"
#include "cli/CliCommand.h"
#include "cli/CliDates.h"
#include "cli/Interrupt.h"
#include "formats/CsvMerge.h"
#include "handset/MailServerAddress.h"
#include "handset/ReceiveFromHandset.h"
#include "handset/SendToHandset.h"
#include "schedule/ScheduleFile.h"
#include "settings/CalDavSettings.h"
#include "settings/MailSettings.h"
#include "settings/SecretSettings.h"

namespace moriva {
namespace {

namespace fs = std::filesystem;

// Boxes become lines: results on `out`, failures on `err` after "moriva-cli COMMAND: ". No
// question is ever asked here.
class TCliDialogs : public THeadlessDialogs {
 public:
  TCliDialogs(std::string_view command, std::ostream& out, std::ostream& err)
      : command_(command), out_(out), err_(err) {}

  void ShowMessage(std::string_view text, std::string_view, TMsgIcon icon) override {
    if (icon == TMsgIcon::Error || icon == TMsgIcon::Warning)
      err_ << "moriva-cli " << command_ << ": " << Lines(text) << '\n';
    else
      out_ << Lines(text) << '\n';
  }

  static std::string Lines(std::string_view text) {
    std::string s;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
      s += text[i] == '\r' ? '\n' : text[i];
    }
    return s;
  }

 private:
  std::string_view command_;
  std::ostream& out_;
  std::ostream& err_;
};

// Status texts (panel 2: progress and the subjects of the mails examined), one per line.
class TCliStatus : public TStatusSink {
 public:
  explicit TCliStatus(std::ostream& out) : out_(out) {}
  void SetPanelText(int panel, std::string_view text) override {
    if (panel == kStatusPanel && !text.empty()) out_ << text << '\n';
  }

 private:
  std::ostream& out_;
};

// Both folders are DIR with --dir, which must exist already; otherwise those of the program,
// made on first use.
struct TFoldersArg {
  TProgramFolders Folders;
  bool Given = false;
};

TFoldersArg FoldersArg(TCliArgs& args) {
  if (std::optional<std::string> dir = args.Option("dir")) {
    // A mistyped folder would otherwise read as empty settings ("EMail受信の設定を…").
    std::error_code ec;
    if (!fs::is_directory(*dir, ec)) throw EUsageError("--dir " + *dir + ": no such folder");
    return {fs::path(*dir), true};
  }
  return {CliProgramFolders(), false};
}

constexpr std::string_view kMailKeys[] = {
    "hs110email", "smtp",         "sender", "sendermail",   "pop",
    "userid",     "password",     "apop",   "nouidl",       "prestr",
    "smtpuser",   "smtppassword", "cafile", "smtpsecurity", "popsecurity"};

// The calendar server's keys are written "caldav.url" and so on: the section's own names
// ("password", "cafile") are taken by the mail keys.
constexpr std::string_view kCalDavPrefix = "caldav.";

bool IsBooleanKey(std::string_view key) {
  return key == "apop" || key == "nouidl";
}

// One line of standard input, without its line end. On a terminal the prompt goes to stderr
// and what is typed is not shown.
std::string ReadSecretLine(std::string_view key, std::ostream& err) {
  const bool terminal = isatty(STDIN_FILENO);
  termios saved{};
  const bool quiet = terminal && tcgetattr(STDIN_FILENO, &saved) == 0;
  if (terminal) err << key << ": " << std::flush;
  if (quiet) {
    termios silent = saved;
    silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    silent.c_lflag |= ECHONL;
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent);
  }
  std::string line;
  std::getline(std::cin, line);
  if (quiet) tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace

TProgramFolders CliProgramFolders() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  const fs::path dir = ec ? fs::current_path() : exe.parent_path();
  return ChooseProgramFolders(dir, IsInstalledProgramFolder(dir), SystemEnvironment());
}

int ConfigCommand(TCliArgs& args, std::ostream& out, std::ostream& err) {
  const TFoldersArg folders = FoldersArg(args);
  const fs::path settings = SettingsFilePath(folders.Folders.Config);
  const std::vector<std::string> pos = args.Positional(1, 2);
  std::string_view section = kMailSection;
  std::string key = pos[0];
  bool known = false;
  for (std::string_view k : kMailKeys) known = known || k == key;
  if (key.starts_with(kCalDavPrefix)) {
    key.erase(0, kCalDavPrefix.size());
    section = kCalDavSection;
    for (std::string_view k : kCalDavKeys) known = known || k == key;
  }
  if (!known) throw EUsageError("unknown key " + pos[0]);
  const bool secret = section == kCalDavSection ? key == "password" : IsScrambledMailKey(key);

  if (pos.size() == 1) {
    const TIniFile ini(settings);
    const std::string value =
        ini.ReadString(section, key, key == "prestr" ? kDefaultSubjectWord : "");
    if (secret)
      out << Cp932ToUtf8(ReadSecretSetting(ini, section, key)) << '\n';
    else if (IsBooleanKey(key))
      out << (value == "true" ? "true" : "false") << '\n';
    else
      out << Cp932ToUtf8(value) << '\n';
    return 0;
  }
  if (secret && pos[1] != "-")
    err << "moriva-cli config: warning: a password on the command line can be seen by other "
           "users and stays in the shell's history; give - to type it instead\n";
  const std::string value = secret && pos[1] == "-" ? ReadSecretLine(key, err) : pos[1];
  CheckSettingValue(key, Utf8ToCp932(value));
  if (IsBooleanKey(key) && value != "true" && value != "false")
    throw EUsageError(key + " takes true or false");
  if (key == "smtpsecurity" && !ParseMailSecurity(value, false))
    throw EUsageError("smtpsecurity takes none, starttls or tls");
  if (key == "popsecurity" && !ParseMailSecurity(value, true))
    throw EUsageError("popsecurity takes none, stls or tls");
  // As in the settings window: a URL without its scheme would leave the password's way to a guess.
  if (section == kCalDavSection && key == "url" && !value.empty() && !IsHttpUrl(value))
    throw EUsageError("caldav.url takes a URL starting with https:// or http://");
  if (!folders.Given) MakeProgramFolder(folders.Folders.Config);
  TIniFile ini(settings);
  if (secret)
    WriteSecretSetting(ini, section, key, Utf8ToCp932(value));
  else
    ini.WriteString(section, key, Utf8ToCp932(value));
  // Any write is the moment an old scrambled password moves into the keyring.
  MoveSecretsToStore(ini, kMailSection, {"password", "smtppassword"});
  MoveSecretsToStore(ini, kCalDavSection, {"password"});
  ini.Save();
  return 0;
}

int SendCommand(TCliArgs& args, std::ostream& out, std::ostream& err) {
  const TProgramFolders folders = FoldersArg(args).Folders;
  std::optional<std::string> todayArg = args.Option("today");
  const JuliusDay today = todayArg ? ParseDateArg(*todayArg) : TodayJulius();
  const TDayRules holidays = HolidayRulesOption(args);
  const std::vector<std::string> pos = args.Positional(1, 1);
  TLineList list;
  LoadScheduleFile(pos[0], list);

  TCliDialogs dialogs("send", out, err);
  TSmtpClient smtp;
  smtp.OnError = ErrorBoxHandler(dialogs);
  THandsetContext context(dialogs, folders);
  const auto result = SendScheduleToPhone(smtp, context, list, today, false, holidays);
  return result == TSendResult::Sent ? 0 : 1;
}

int ReceiveCommand(TCliArgs& args, std::ostream& out, std::ostream& err) {
  const TProgramFolders folders = FoldersArg(args).Folders;
  const std::vector<std::string> pos = args.Positional(1, 1);
  TLineList list;
  // Held until the command ends, so no other writer saves over what this one writes.
  const TFileLock lock(pos[0], kScheduleWriterWait);
  LoadScheduleFile(pos[0], list);

  TCliDialogs dialogs("receive", out, err);
  TCliStatus status(out);
  TPop3Client pop;
  pop.OnError = ErrorBoxHandler(dialogs);
  TInterruptScope interrupt;
  TTransferContext context(dialogs, folders);
  context.Status = &status;
  context.CancelRequested = [] { return g_interrupted != 0; };
  // The schedule is saved before the mails are recorded as received: a save that fails (or a
  // process that dies) leaves them to be fetched and merged again. An unchanged schedule is
  // not written again.
  const TReceiveAndMerge r = ReceiveIntoSchedule(pop, context, list, [&](const TMergeResult& m) {
    if (m.Added > 0) SaveScheduleFile(pos[0], list);
  });
  if (r.Merged) dialogs.ShowMessage(MergeCompletionMessage(*r.Merged), {}, TMsgIcon::None);
  out << ReceivedCountText(r.Received.Count) << '\n';
  return r.Received.Outcome == TReceiveOutcome::Done ? 0 : 1;
}

int CalDavSyncCommand(TCliArgs& args, std::ostream& out, std::ostream& err) {
  const TFoldersArg folders = FoldersArg(args);
  const bool allowMassDelete = args.Flag("allow-mass-delete");
  std::optional<std::string> tz = args.Option("tz");
  std::optional<std::string> today = args.Option("today");
  const TDayRules holidays = HolidayRulesOption(args);
  const std::vector<std::string> pos = args.Positional(1, 1);
  const TICalZone zone(tz ? *tz : LocalTimeZoneName());
  TLineList list;
  // Held until the command ends, so no other writer saves over what this one writes.
  const TFileLock lock(pos[0], kScheduleWriterWait);
  LoadScheduleFile(pos[0], list);

  TCliStatus status(out);
  TInterruptScope interrupt;
  TCalDavSyncInput in;
  in.Settings = ReadCalDavSettings(SettingsFilePath(folders.Folders.Config));
  in.StateFile = folders.Folders.Data / kCalDavStateFileName;
  in.ScheduleFile = CalDavScheduleKey(pos[0]);
  in.Zone = &zone;
  in.Window = DefaultICalWindow(today ? ParseDateArg(*today) : TodayJulius());
  in.Holidays = &holidays;
  in.Stamp = std::time(nullptr);
  in.Status = &status;
  in.SaveSchedule = [&](const TLineList& l) { SaveScheduleFile(pos[0], l); };
  in.AllowMassDeletion = [&](const TCalDavMassDeletion& d) {
    if (!allowMassDelete)
      err << "moriva-cli caldav-sync: " << CalDavMassDeletionText(d)
          << " --allow-mass-delete を付ければ削除して同期します。\n";
    return allowMassDelete;
  };
  if (!folders.Given) MakeProgramFolder(folders.Folders.Data);
  THttpClient http;
  http.CancelRequested = [] { return g_interrupted != 0; };
  const TCalDavSyncResult r = SyncCalDav(http, in, list);
  out << TCliDialogs::Lines(CalDavDoneMessage(r)) << '\n';
  return 0;
}

}  // namespace moriva
