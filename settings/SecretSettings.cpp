#include "settings/SecretSettings.h"

#include "base/Exception.h"
#include "base/IntText.h"

namespace moriva {

namespace fs = std::filesystem;

namespace {

// Any small constant does; changing it would make every stored password unreadable.
constexpr int kPasswordOffset = 7;

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

std::string EncodePassword(std::string_view password) {
  std::string stored;
  stored.reserve(password.size() * 3);
  for (unsigned char byte : password) {
    const int code = (byte + kPasswordOffset) % 128;
    stored += static_cast<char>('0' + code / 100);
    stored += static_cast<char>('0' + code / 10 % 10);
    stored += static_cast<char>('0' + code % 10);
  }
  return stored;
}

std::string DecodePassword(std::string_view stored) {
  std::string password;
  password.reserve(stored.size() / 3);
  for (size_t i = 0; i + 3 <= stored.size(); i += 3) {
    const int32_t n = StrToInt(stored.substr(i, 3));
    const int code = ((n - kPasswordOffset) % 128 + 128) % 128;
    password += static_cast<char>(code);
  }
  return password;
}

}  // namespace moriva
