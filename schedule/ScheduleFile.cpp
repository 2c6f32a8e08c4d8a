#include "schedule/ScheduleFile.h"

#include "base/Cp932.h"
#include "base/IniFile.h"

namespace fs = std::filesystem;

namespace moriva {

void LoadScheduleFile(const fs::path& path, TLineList& list) {
  // The whole file is read before the list is touched, so a failed read changes nothing and
  // the calendar re-reads the list once.
  list.LoadFromFile(path);
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

fs::path SettingsFilePath(const fs::path& exeDir) {
  return exeDir / kSettingsFileName;
}

fs::path ReadRememberedScheduleFile(const fs::path& settingsFile) {
  return fs::path(
      Cp932ToUtf8(ReadProfileString(kScheduleFileSection, kScheduleFileKey, "", settingsFile)));
}

void RememberScheduleFile(const fs::path& settingsFile, const fs::path& scheFileName) {
  WriteProfileString(kScheduleFileSection, kScheduleFileKey, Utf8ToCp932(scheFileName.string()),
                     settingsFile);
}

std::optional<TStartupFile> StartupScheduleFile(const std::optional<std::string>& firstArgument,
                                                const fs::path& settingsFile) {
  if (firstArgument) return TStartupFile{fs::path(*firstArgument), false};
  fs::path remembered = ReadRememberedScheduleFile(settingsFile);
  if (remembered.empty()) return std::nullopt;
  return TStartupFile{remembered, true};
}

}  // namespace moriva
