#include "settings/CalDavSettings.h"

#include "base/Exception.h"
#include "base/IniFile.h"
#include "settings/MailSettings.h"
#include "settings/SecretSettings.h"

namespace moriva {
namespace {

TCalDavSettings ReadAll(const TIniFile& ini, std::string* passwordError) {
  TCalDavSettings s;
  s.Url = ini.ReadString(kCalDavSection, "url", "");
  s.User = ini.ReadString(kCalDavSection, "user", "");
  s.CaFile = ini.ReadString(kCalDavSection, "cafile", "");
  try {
    s.Password = ReadSecretSetting(ini, kCalDavSection, "password");
  } catch (const Exception& e) {
    if (!passwordError) throw;
    *passwordError = e.what();
  }
  return s;
}

}  // namespace

TCalDavSettings ReadCalDavSettings(const std::filesystem::path& settingsFile) {
  return ReadAll(TIniFile(settingsFile), nullptr);
}

TCalDavSettings ReadCalDavSettings(const std::filesystem::path& settingsFile,
                                   std::string& passwordError) {
  passwordError.clear();
  return ReadAll(TIniFile(settingsFile), &passwordError);
}

void WriteCalDavSettings(const std::filesystem::path& settingsFile, const TCalDavSettings& s) {
  // A refused value leaves the file alone: nothing is written before all are checked.
  for (const auto& [key, value] : {std::pair{"url", &s.Url},
                                   {"user", &s.User},
                                   {"password", &s.Password},
                                   {"cafile", &s.CaFile}})
    CheckSettingValue(key, *value);
  TIniFile ini(settingsFile);
  ini.WriteString(kCalDavSection, "url", s.Url);
  ini.WriteString(kCalDavSection, "user", s.User);
  WriteSecretSetting(ini, kCalDavSection, "password", s.Password);
  ini.WriteString(kCalDavSection, "cafile", s.CaFile);
  ini.Save();
}

}  // namespace moriva
