#pragma once
// The mail settings in the "email" section of the settings file: the accounts used to reach
// the handset (sending by SMTP, receiving by POP3) and the subject word of the handset's mails.
// Every user reads them afresh from the file; nothing is kept between uses, so a change takes
// effect at the next send or receive.
//
// Values are CP932 bytes as the file holds them. Booleans are stored as "true" / "false" and
// read as on exactly when the value is "true" (so "TRUE" and an absent key are off).
#include <filesystem>
#include <string>
#include <string_view>

#include "settings/SecretSettings.h"

namespace moriva {

// The subject word used when the file names none.
inline constexpr std::string_view kDefaultSubjectWord = "mrv";

struct TMailSettings {
  std::string HandsetEMail;  // "hs110email": the handset's mail address
  std::string SMTP;          // "smtp": SMTP server
  std::string Sender;        // "sender": sender's name
  std::string SenderMail;    // "sendermail": sender's mail address
  std::string POP;           // "pop": POP3 server
  std::string UserId;        // "userid": POP3 user
  std::string Password;      // "password", held here in plain form (see SecretSettings.h)
  bool APOP = false;         // "apop": log in with APOP
  bool NoUIDL = false;       // "nouidl": do not keep the list of examined mails
  // How the connections are protected: "smtpsecurity" none / starttls / tls and "popsecurity"
  // none / stls / tls, as the file holds them ("" when the key is missing, which means none:
  // files from before TLS connect as they always did; but only an explicit "none" lets a
  // password go out unencrypted, so such a receive asks for the key instead of logging in).
  std::string SmtpSecurity;
  std::string PopSecurity;
  std::string SmtpUser;      // "smtpuser": SMTP AUTH user; empty for no AUTH
  std::string SmtpPassword;  // "smtppassword", held in plain form (see SecretSettings.h)
  std::string CaFile;        // "cafile": PEM file of extra trusted certificates; empty for none
  // "prestr": a mail from the handset carries this subject (compared in lower case). Only ever
  // put there by hand; WriteMailSettings leaves it as it is.
  std::string SubjectWord{kDefaultSubjectWord};
};

// Reads the settings from `settingsFile` (a missing file or key reads as empty, "prestr" as
// "mrv"); the passwords through ReadSecretSetting. A stored password that cannot be decoded
// throws EConvertError "'%s' は整数ではありません", one in a keyring that does not answer
// ESecretError.
TMailSettings ReadMailSettings(const std::filesystem::path& settingsFile);

// As above, but a password that cannot be decoded is read as empty and the error's text is put
// into `passwordError` (left empty otherwise), so the settings window can still open and let
// the user type the password again.
TMailSettings ReadMailSettings(const std::filesystem::path& settingsFile,
                               std::string& passwordError);

// Writes the nine keys from "hs110email" to "nouidl" in that order, the password through
// WriteSecretSetting (into the keyring, or scrambled into the file) and
// the booleans as "true" / "false", then the TLS keys ("smtpsecurity", "popsecurity",
// "smtpuser", "smtppassword" as the password, "cafile"), each only when it has a value or the file
// already holds it, in one atomic write of the file: a failure (EFileError "%s に書き込めません")
// leaves the whole file as it was. Other keys and sections, "prestr" among them, are kept.
void WriteMailSettings(const std::filesystem::path& settingsFile, const TMailSettings& settings);

// True for the password keys ("password", "smtppassword").
bool IsScrambledMailKey(std::string_view key);

// The longest value the settings file gives back whole (it is read into 2048 characters), and
// the longest password whose scrambled form (three digits a byte) still does.
inline constexpr size_t kMaxSettingLength = 2047;
inline constexpr size_t kMaxPasswordLength = kMaxSettingLength / 3;
// Refuses a value of `key` that the file would not give back as it was written: one holding
// CR, LF or NUL (a line of the file ends there), or one over the bound (kMaxPasswordLength for
// a password key, any key named "password" included). Throws EConvertError
// "設定 %s の値に改行や NUL は使えません" or "設定 %s の値が長すぎます (%d バイトまで)".
void CheckSettingValue(std::string_view key, std::string_view value);

}  // namespace moriva
