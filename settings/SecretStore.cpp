#include "settings/SecretStore.h"

#include <libsecret/secret.h>

#include "base/Cp932.h"

namespace moriva {
namespace {

constexpr const char* kApplication = "moriva";

const SecretSchema* Schema() {
  // Items are found by their attributes alone, so other tools can look them up by the same
  // three without knowing the schema's name.
  static const SecretSchema schema = [] {
    SecretSchema s{};
    s.name = "org.example.moriva.Password";
    s.flags = SECRET_SCHEMA_DONT_MATCH_NAME;
    s.attributes[0] = {"application", SECRET_SCHEMA_ATTRIBUTE_STRING};
    s.attributes[1] = {"setting", SECRET_SCHEMA_ATTRIBUTE_STRING};
    s.attributes[2] = {"folder", SECRET_SCHEMA_ATTRIBUTE_STRING};
    return s;
  }();
  return &schema;
}

// Frees a GError on every way out; `ok()` says whether a call left none.
class TGError {
 public:
  ~TGError() {
    if (error_) g_error_free(error_);
  }
  GError** out() { return &error_; }
  bool ok() const { return error_ == nullptr; }

 private:
  GError* error_ = nullptr;
};

class TDesktopSecretStore : public TSecretStore {
 public:
  std::optional<std::string> Lookup(const TSecretKey& key) override {
    TGError error;
    const std::string folder = key.Folder.string();
    gchar* found = secret_password_lookup_sync(Schema(), nullptr, error.out(), "application",
                                               kApplication, "setting", key.Setting.c_str(),
                                               "folder", folder.c_str(), nullptr);
    if (!error.ok()) return std::nullopt;
    if (!found) return std::string();
    std::string secret = Utf8ToCp932(found);
    secret_password_free(found);
    return secret;
  }

  bool Store(const TSecretKey& key, std::string_view secret) override {
    TGError error;
    const std::string folder = key.Folder.string();
    if (secret.empty()) {
      secret_password_clear_sync(Schema(), nullptr, error.out(), "application", kApplication,
                                 "setting", key.Setting.c_str(), "folder", folder.c_str(), nullptr);
      return error.ok();
    }
    const std::string label = "Moriva " + key.Setting + " (" + folder + ")";
    const std::string text = Cp932ToUtf8(secret);
    secret_password_store_sync(Schema(), SECRET_COLLECTION_DEFAULT, label.c_str(), text.c_str(),
                               nullptr, error.out(), "application", kApplication, "setting",
                               key.Setting.c_str(), "folder", folder.c_str(), nullptr);
    return error.ok();
  }

  bool Available() override {
    // A search for nothing answers only when the service is there (and the keyring open).
    return Lookup({"", {}}).has_value();
  }
};

}  // namespace

TSecretStore& DesktopSecretStore() {
  static TDesktopSecretStore store;
  return store;
}

}  // namespace moriva
