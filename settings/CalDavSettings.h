#pragma once
// The calendar server settings in the "caldav" section of the settings file: the collection's
// URL, the user, the password (kept like the mail passwords: in the keyring when one answers,
// else scrambled in the file) and an optional PEM file of extra trusted certificates. Read
// afresh at every sync, like the mail settings.
// Values are CP932 bytes as the file holds them.
#include <filesystem>
#include <string>
#include <string_view>

namespace moriva {

inline constexpr std::string_view kCalDavSection = "caldav";
// The keys of the section, in the order they are written.
inline constexpr std::string_view kCalDavKeys[] = {"url", "user", "password", "cafile"};

struct TCalDavSettings {
  std::string Url;       // "url": the calendar collection, http:// or https://
  std::string User;      // "user"
  std::string Password;  // "password", held here in plain form
  std::string CaFile;    // "cafile"

  bool operator==(const TCalDavSettings&) const = default;
};

// A missing file or key reads as empty. A stored password that cannot be read throws
// (EConvertError, ESecretError); the second form reads it as empty and puts the error's text into
// `passwordError` instead, so that a settings window can still open.
TCalDavSettings ReadCalDavSettings(const std::filesystem::path& settingsFile);
TCalDavSettings ReadCalDavSettings(const std::filesystem::path& settingsFile,
                                   std::string& passwordError);

// Writes the four keys in one atomic write (the password through the keyring road); other
// keys and sections are kept. EFileError
// "%s に書き込めません" leaves the file as it was.
void WriteCalDavSettings(const std::filesystem::path& settingsFile, const TCalDavSettings& s);

}  // namespace moriva
