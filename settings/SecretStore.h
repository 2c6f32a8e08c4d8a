#pragma once
// Where the program keeps passwords: the desktop's keyring (the Secret Service), which only the
// logged-in user can open. Each password is found by three attributes: application "moriva",
// setting (the settings key, "password", "smtppassword" or "caldav.password") and folder (the
// absolute settings folder, so two copies of the program with folders of their own keep separate
// passwords).
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "base/Exception.h"

namespace moriva {

// A password is needed but the keyring that holds it does not answer.
class ESecretError : public Exception {
 public:
  using Exception::Exception;
};

struct TSecretKey {
  std::string Setting;           // the settings key
  std::filesystem::path Folder;  // the settings folder, absolute
};

class TSecretStore {
 public:
  virtual ~TSecretStore() = default;
  // The stored password ("" when there is none), nullopt when the store does not answer.
  virtual std::optional<std::string> Lookup(const TSecretKey& key) = 0;
  // Keeps `secret`; an empty one removes the entry. False when the store does not answer.
  virtual bool Store(const TSecretKey& key, std::string_view secret) = 0;
  // Whether the store answers now (a headless machine, or a locked keyring the user will not
  // open, has none).
  virtual bool Available() = 0;
};

// The desktop's Secret Service on the session bus, through libsecret. Passwords go in and come
// out as CP932 bytes; the keyring holds them as UTF-8 text, so other tools show them right.
TSecretStore& DesktopSecretStore();

}  // namespace moriva
