#pragma once
// Schedule files (.mrv): the schedule's lines as CP932 text, every line followed by CR LF;
// characters CP932 cannot spell are written as pairs of user-defined characters
// (docs/CHARACTERS.md). Reading splits at CR, LF or CR LF, a NUL ends the content, and text
// after the last line end is a last line. A file that begins with a byte-order mark (someone
// converted it) is read as UTF-8 or UTF-16 and saved back as CP932. Lines that are not schedule
// items load and save unchanged.
// Also here: what the main window shows and remembers about the current file.
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "base/Dialogs.h"
#include "base/LineList.h"

namespace moriva {

// The file dialogs' filter for schedule files and the name proposed for an untitled schedule.
inline constexpr std::string_view kScheduleFileFilter = "Moriva(*.mrv)|*.mrv|全て(*.*)|*.*";
inline constexpr std::string_view kDefaultScheduleFileName = "sample.mrv";
inline constexpr std::string_view kScheduleFileExtension = ".mrv";

// The questions of the file actions (UTF-8), both in a box titled "確認": before 新規 (Yes and
// No, exclamation icon) and, when the schedule was modified, before closing (Yes, No and
// Cancel, no icon).
inline constexpr std::string_view kConfirmCaption = "確認";
inline constexpr std::string_view kNewScheduleQuestion =
    "予定ファイルを新規作成します。よろしいですか？";
inline constexpr std::string_view kSaveOnCloseQuestion = "データを保存しますか？";

// How long a command that writes a schedule file waits for another writer of it (a sync, an
// import, the window's save) before it refuses; see TFileLock.
inline constexpr std::chrono::seconds kScheduleWriterWait{10};

// Replaces `list` by the file's lines, with one change notice. A file that cannot be read
// throws EFileError "ファイル %s は開けません" and leaves the list untouched.
void LoadScheduleFile(const std::filesystem::path& path, TLineList& list);

// The file's text as the list would hold it, for readers that take the lines in place.
// EFileError as LoadScheduleFile.
std::string ReadScheduleText(const std::filesystem::path& path);

// Writes the list atomically. EFileError "ファイル %s を作成できません" on failure, the old
// file then being left as it was.
void SaveScheduleFile(const std::filesystem::path& path, const TLineList& list);

// Window titles (UTF-8): "Moriva" for an untitled schedule; "Moriva 【name】" after a load and
// "Moriva【name】" (no blank) after a save, the name being the file name without its folder.
inline constexpr std::string_view kUntitledTitle = "Moriva";
std::string TitleAfterLoad(const std::filesystem::path& path);
std::string TitleAfterSave(const std::filesystem::path& path);

// The save dialogs' rule: a chosen name without an extension gets `extension` (".mrv",
// ".csv", ".xml"); a name that has any extension is used unchanged.
std::filesystem::path WithDefaultExtension(const std::filesystem::path& chosen,
                                           std::string_view extension);

// The name a save dialog's choice will really be written to: `chosen` with `extension` added
// when it has none. The dialog asked about `chosen` only, so when the extension was added and
// that file exists the user is asked before it is replaced; No gives nullopt (nothing saved).
std::optional<std::filesystem::path> ConfirmSaveName(TDialogs& dialogs,
                                                     const std::filesystem::path& chosen,
                                                     std::string_view extension);
// The question (UTF-8; %s is the file name without folder), in a box titled "確認".
inline constexpr std::string_view kOverwriteQuestion = "%s は既に存在します。\r\n上書きしますか？";

// The settings file in the program's folder, and where it remembers the last schedule file.
inline constexpr std::string_view kSettingsFileName = "hs110.ini";
inline constexpr std::string_view kScheduleFileSection = "global";
inline constexpr std::string_view kScheduleFileKey = "mrvfile";
// A path that code page 932 cannot spell is kept here as well, byte for byte as the file
// system names it, beside its lossy CP932 form under kScheduleFileKey.
inline constexpr std::string_view kScheduleFileUtf8Key = "mrvfileutf8";
std::filesystem::path SettingsFilePath(const std::filesystem::path& exeDir);

// The remembered schedule file ("global"/"mrvfile"); empty when there is none. The settings
// file holds CP932; paths are converted at this edge. The exact path under
// kScheduleFileUtf8Key wins, but only while "mrvfile" still holds its CP932 form: a file
// remembered since by a program that knows only "mrvfile" is not overridden.
std::filesystem::path ReadRememberedScheduleFile(const std::filesystem::path& settingsFile);
// Writes the path (empty for an untitled schedule), and its exact form when CP932 cannot
// hold it. EFileError "%s に書き込めません".
void RememberScheduleFile(const std::filesystem::path& settingsFile,
                          const std::filesystem::path& scheFileName);

// The file to open at start: the first command-line argument when there is one (the settings
// file is then not read), made absolute so that it opens again from any folder; else the
// remembered file; nullopt when there is neither.
struct TStartupFile {
  std::filesystem::path Path;
  bool FromSettings = false;
};
std::optional<TStartupFile> StartupScheduleFile(const std::optional<std::string>& firstArgument,
                                                const std::filesystem::path& settingsFile);

}  // namespace moriva
