#include "base/SecretSettings.h"

#include "base/MailSettings.h"

namespace moriva {

namespace fs = std::filesystem;

namespace {

// A value that cannot stand for a key the file holds.
constexpr std::string_view kAbsent = "\x01";

bool HasKey(const TIniFile& ini, std::string_view section, std::string_view key) {
  return ini.ReadString(section, key, kAbsent) != kAbsent;
}

}  // namespace

TSecretKey SecretKeyFor(const fs::path& settingsFile, std::string_view section,
                        std::string_view key) {
  std::error_code ec;
  fs::path folder = fs::absolute(settingsFile, ec).lexically_normal().parent_path();
  if (ec) folder = settingsFile.parent_path();
  std::string setting(key);
  if (section != kMailSection) setting = std::string(section) + "." + setting;
  return {std::move(setting), folder};
}

std::string ReadSecretSetting(const TIniFile& ini, std::string_view section, std::string_view key,
                              TSecretStore& store) {
  const std::string stored = ini.ReadString(section, key, "");
  if (!stored.empty() || ini.ReadString(section, kSecretsKey, "") != kSecretsInKeyring)
    return DecodePassword(stored);
  if (std::optional<std::string> found = store.Lookup(SecretKeyFor(ini.Path(), section, key)))
    return *found;
  throw ESecretError("パスワードを保存したキーリングに接続できません");
}

bool WriteSecretSetting(TIniFile& ini, std::string_view section, std::string_view key,
                        std::string_view password, TSecretStore& store, bool addKey) {
  const bool inKeyring = store.Store(SecretKeyFor(ini.Path(), section, key), password);
  const std::string stored = inKeyring ? std::string() : EncodePassword(password);
  if (addKey || !stored.empty() || HasKey(ini, section, key)) ini.WriteString(section, key, stored);
  if (inKeyring) ini.WriteString(section, kSecretsKey, kSecretsInKeyring);
  return inKeyring;
}

void MoveSecretsToStore(TIniFile& ini, std::string_view section,
                        std::initializer_list<std::string_view> keys, TSecretStore& store) {
  for (std::string_view key : keys) {
    const std::string stored = ini.ReadString(section, key, "");
    if (stored.empty()) continue;
    std::string password;
    try {
      password = DecodePassword(stored);
    } catch (const EConvertError&) {
      continue;  // the user sees the error where the password is read
    }
    if (!WriteSecretSetting(ini, section, key, password, store)) return;  // no keyring now
  }
}

}  // namespace moriva
