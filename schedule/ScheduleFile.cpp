#include "schedule/ScheduleFile.h"

#include <fstream>

#include "base/Charset.h"
#include "base/Cp932.h"
#include "base/FileIO.h"
#include "base/IniFile.h"

namespace fs = std::filesystem;

namespace moriva {

namespace {

// Only a byte-order mark tells that someone converted the file: this program writes none, and
// the text of an unmarked file is never guessed at.
bool HasByteOrderMark(std::string_view b) {
  return b.starts_with("\xEF\xBB\xBF") || b.starts_with("\xFF\xFE") || b.starts_with("\xFE\xFF");
}

bool FileHasByteOrderMark(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  char head[3] = {};
  in.read(head, sizeof head);
  return HasByteOrderMark(std::string_view(head, static_cast<size_t>(in.gcount())));
}

}  // namespace

void LoadScheduleFile(const fs::path& path, TLineList& list) {
  // A failed read changes nothing and the calendar re-reads the list once (one notice). A
  // file of the program's own is read by the list itself, block by block into an empty one.
  if (FileHasByteOrderMark(path))
    list.SetText(ForeignTextToCp932(ReadFileBytes(path)));
  else
    list.LoadFromFile(path);
}

std::string ReadScheduleText(const fs::path& path) {
  std::string bytes = ReadFileBytes(path);
  return HasByteOrderMark(bytes) ? ForeignTextToCp932(std::move(bytes)) : bytes;
}

void SaveScheduleFile(const fs::path& path, const TLineList& list) {
  list.SaveToFile(path);
}

std::string TitleAfterLoad(const fs::path& path) {
  return std::string(kUntitledTitle) + " 【" + path.filename().string() + "】";
}

std::string TitleAfterSave(const fs::path& path) {
  return std::string(kUntitledTitle) + "【" + path.filename().string() + "】";
}

fs::path WithDefaultExtension(const fs::path& chosen, std::string_view extension) {
  if (chosen.filename().has_extension()) return chosen;
  fs::path out = chosen;
  out += extension;
  return out;
}

std::optional<fs::path> ConfirmSaveName(TDialogs& dialogs, const fs::path& chosen,
                                        std::string_view extension) {
  fs::path name = WithDefaultExtension(chosen, extension);
  std::error_code ec;
  if (name == chosen || !fs::exists(name, ec)) return name;
  std::string question(kOverwriteQuestion);
  question.replace(question.find("%s"), 2, name.filename().string());
  if (!dialogs.AskYesNo(question, "確認", TMsgIcon::Warning, TMsgDefault::No)) return std::nullopt;
  return name;
}

fs::path SettingsFilePath(const fs::path& exeDir) {
  return exeDir / kSettingsFileName;
}

fs::path ReadRememberedScheduleFile(const fs::path& settingsFile) {
  const std::string cp932 =
      ReadProfileString(kScheduleFileSection, kScheduleFileKey, "", settingsFile);
  const std::string exact =
      ReadProfileString(kScheduleFileSection, kScheduleFileUtf8Key, "", settingsFile);
  if (!exact.empty() && Utf8ToCp932(exact) == cp932) return fs::path(exact);
  return fs::path(Cp932ToUtf8(cp932));
}

void RememberScheduleFile(const fs::path& settingsFile, const fs::path& scheFileName) {
  const std::string native = scheFileName.string();
  const std::string cp932 = Utf8ToCp932(native);
  WriteProfileString(kScheduleFileSection, kScheduleFileKey, cp932, settingsFile);
  // Written only where needed, and emptied when no longer needed, so that the usual file
  // keeps its one key.
  const bool lossy = Cp932ToUtf8(cp932) != native;
  if (lossy ||
      !ReadProfileString(kScheduleFileSection, kScheduleFileUtf8Key, "", settingsFile).empty())
    WriteProfileString(kScheduleFileSection, kScheduleFileUtf8Key, lossy ? native : "",
                       settingsFile);
}

std::optional<TStartupFile> StartupScheduleFile(const std::optional<std::string>& firstArgument,
                                                const fs::path& settingsFile) {
  if (firstArgument) {
    // Remembered on closing, so it must not depend on the folder the program was started in.
    fs::path given(*firstArgument);
    std::error_code ec;
    fs::path absolute = given.empty() ? given : fs::absolute(given, ec);
    return TStartupFile{ec ? given : absolute.lexically_normal(), false};
  }
  fs::path remembered = ReadRememberedScheduleFile(settingsFile);
  if (remembered.empty()) return std::nullopt;
  return TStartupFile{remembered, true};
}

}  // namespace moriva
