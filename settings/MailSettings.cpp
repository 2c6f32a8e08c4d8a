#include "settings/MailSettings.h"

#include <string>
#include <utility>

#include "base/Exception.h"
#include "base/IniFile.h"
#include "settings/SecretSettings.h"

namespace moriva {
namespace {

constexpr std::string_view kTrue = "true";
constexpr std::string_view kFalse = "false";

std::string Read(const TIniFile& ini, std::string_view key) {
  return ini.ReadString(kMailSection, key, "");
}

TMailSettings ReadAll(const TIniFile& ini, std::string& passwordError, bool throwOnPassword) {
  TMailSettings s;
  s.HandsetEMail = Read(ini, "hs110email");
  s.SMTP = Read(ini, "smtp");
  s.Sender = Read(ini, "sender");
  s.SenderMail = Read(ini, "sendermail");
  s.POP = Read(ini, "pop");
  s.UserId = Read(ini, "userid");
  passwordError.clear();
  try {
    s.Password = ReadSecretSetting(ini, kMailSection, "password");
  } catch (const Exception& e) {
    if (throwOnPassword) throw;
    passwordError = e.what();
  }
  s.SmtpSecurity = Read(ini, "smtpsecurity");
  s.PopSecurity = Read(ini, "popsecurity");
  s.SmtpUser = Read(ini, "smtpuser");
  s.CaFile = Read(ini, "cafile");
  try {
    s.SmtpPassword = ReadSecretSetting(ini, kMailSection, "smtppassword");
  } catch (const Exception& e) {
    if (throwOnPassword) throw;
    if (passwordError.empty()) passwordError = e.what();
  }
  s.APOP = Read(ini, "apop") == kTrue;
  s.NoUIDL = Read(ini, "nouidl") == kTrue;
  s.SubjectWord = ini.ReadString(kMailSection, "prestr", kDefaultSubjectWord);
  return s;
}

}  // namespace

TMailSettings ReadMailSettings(const std::filesystem::path& settingsFile) {
  std::string unused;
  return ReadAll(TIniFile(settingsFile), unused, true);
}

TMailSettings ReadMailSettings(const std::filesystem::path& settingsFile,
                               std::string& passwordError) {
  return ReadAll(TIniFile(settingsFile), passwordError, false);
}

void CheckSettingValue(std::string_view key, std::string_view value) {
  if (value.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
    throw EConvertError("設定 " + std::string(key) + " の値に改行や NUL は使えません");
  const size_t bound =
      IsScrambledMailKey(key) || key.ends_with("password") ? kMaxPasswordLength : kMaxSettingLength;
  if (value.size() > bound)
    throw EConvertError("設定 " + std::string(key) + " の値が長すぎます (" + std::to_string(bound) +
                        " バイトまで)");
}

void WriteMailSettings(const std::filesystem::path& settingsFile, const TMailSettings& s) {
  // Everything is checked before anything is written: a refused value leaves the file alone.
  const std::pair<std::string_view, const std::string*> values[] = {
      {"hs110email", &s.HandsetEMail},
      {"smtp", &s.SMTP},
      {"sender", &s.Sender},
      {"sendermail", &s.SenderMail},
      {"pop", &s.POP},
      {"userid", &s.UserId},
      {"password", &s.Password},
      {"smtpsecurity", &s.SmtpSecurity},
      {"popsecurity", &s.PopSecurity},
      {"smtpuser", &s.SmtpUser},
      {"smtppassword", &s.SmtpPassword},
      {"cafile", &s.CaFile}};
  for (const auto& [key, value] : values) CheckSettingValue(key, *value);
  TIniFile ini(settingsFile);
  ini.WriteString(kMailSection, "hs110email", s.HandsetEMail);
  ini.WriteString(kMailSection, "smtp", s.SMTP);
  ini.WriteString(kMailSection, "sender", s.Sender);
  ini.WriteString(kMailSection, "sendermail", s.SenderMail);
  ini.WriteString(kMailSection, "pop", s.POP);
  ini.WriteString(kMailSection, "userid", s.UserId);
  WriteSecretSetting(ini, kMailSection, "password", s.Password);
  ini.WriteString(kMailSection, "apop", s.APOP ? kTrue : kFalse);
  ini.WriteString(kMailSection, "nouidl", s.NoUIDL ? kTrue : kFalse);
  // Keys a file never had are not added empty: a missing security key has a meaning of its own.
  const auto optional = [&ini](std::string_view key, std::string_view value) {
    if (!value.empty() || ini.ReadString(kMailSection, key, "\x01") != "\x01")
      ini.WriteString(kMailSection, key, value);
  };
  optional("smtpsecurity", s.SmtpSecurity);
  optional("popsecurity", s.PopSecurity);
  optional("smtpuser", s.SmtpUser);
  WriteSecretSetting(ini, kMailSection, "smtppassword", s.SmtpPassword, DesktopSecretStore(),
                     false);
  optional("cafile", s.CaFile);
  ini.Save();
}

bool IsScrambledMailKey(std::string_view key) {
  return key == "password" || key == "smtppassword";
}

}  // namespace moriva
