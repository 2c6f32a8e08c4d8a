#pragma once
// Passwords among the settings, read and written through one road whoever needs them (the
// settings window, moriva-cli, send, receive and sync). Where a keyring answers, a password
// lives there and its key in the settings file is left empty, with "secrets=keyring" in the
// same section to say where it went. Where none answers (a headless machine, a locked keyring
// the user will not open), the password stays in the file in its scrambled form, and the
// file, holding it, is the owner's alone. A scrambled password from before the keyring is
// still read, and moves into the keyring at the next write when one answers.
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>

#include "base/IniFile.h"
#include "settings/SecretStore.h"

namespace moriva {

// The mail settings' section; its passwords are the ones named in the keyring without a section.
inline constexpr std::string_view kMailSection = "email";
inline constexpr std::string_view kSecretsKey = "secrets";
inline constexpr std::string_view kSecretsInKeyring = "keyring";

// What finds the password under [section] `key` of this settings file in the store: the
// folder, made absolute, and the key's name, outside [email] with its section before it
// ("caldav.password", as moriva-cli config names it), so that no two passwords of one folder
// share an entry.
TSecretKey SecretKeyFor(const std::filesystem::path& settingsFile, std::string_view section,
                        std::string_view key);

// The password under [section] `key` of `ini`. A value in the file is read as the scrambled
// form (EConvertError "'%s' は整数ではありません" when it is not one); an empty value in a
// section marked "secrets=keyring" is looked up in `store`, and ESecretError
// "パスワードを保存したキーリングに接続できません" is thrown when it does not answer.
std::string ReadSecretSetting(const TIniFile& ini, std::string_view section, std::string_view key,
                              TSecretStore& store = DesktopSecretStore());

// Puts `password` where it belongs (in memory; the caller saves `ini`): into `store` when it
// answers, the file's value emptied and the section marked; otherwise scrambled into the file.
// With `addKey` false, a key the file lacks is not added to it when its value would be empty.
// Returns true when the password went to the keyring.
bool WriteSecretSetting(TIniFile& ini, std::string_view section, std::string_view key,
                        std::string_view password, TSecretStore& store = DesktopSecretStore(),
                        bool addKey = true);

// Moves the scrambled passwords among `keys` of [section] into `store` when it answers; a
// value that cannot be unscrambled is left as it is. Asks the store nothing when the file holds
// no password.
void MoveSecretsToStore(TIniFile& ini, std::string_view section,
                        std::initializer_list<std::string_view> keys,
                        TSecretStore& store = DesktopSecretStore());

// The stored form of a password: three decimal digits per byte, the byte's code plus a fixed
// offset modulo 128. This only hides the password from a casual look at the file. Bytes of 128
// and above lose their top bit, so passwords are limited to 7-bit characters.
std::string EncodePassword(std::string_view password);

// The password back from its stored form. The text is read in groups of three characters from
// the start; one or two characters left over at the end are ignored. A group that is not a
// decimal number throws EConvertError "'%s' は整数ではありません" (%s the group).
std::string DecodePassword(std::string_view stored);

}  // namespace moriva
