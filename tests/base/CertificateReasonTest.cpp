// A failed certificate check in words: a certificate for another host is named as such even
// when the check that found it left no reason of its own (a name checked outside the library).
#include <gtest/gtest.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <memory>
#include <string>

#include "base/CertificateReason.h"

namespace moriva {
namespace {

// A certificate for mail.example.invalid and 192.0.2.1 only; its names are all that is looked
// at, so it needs no key or signature.
std::unique_ptr<X509, void (*)(X509*)> CertificateForAnotherHost() {
  std::unique_ptr<X509, void (*)(X509*)> cert(X509_new(), X509_free);
  X509_EXTENSION* names = X509V3_EXT_conf_nid(nullptr, nullptr, NID_subject_alt_name,
                                              "DNS:mail.example.invalid,IP:192.0.2.1");
  X509_add_ext(cert.get(), names, -1);
  X509_EXTENSION_free(names);
  return cert;
}

TEST(CertificateReasonTest, AnotherHostIsNamedWhateverCodeTheCheckLeft) {
  const auto cert = CertificateForAnotherHost();
  const std::string mismatch = "証明書がこのサーバーのものではありません";
  const std::string unknown = "証明書を検証できません";
  const struct {
    long code;
    bool withCert;
    const char* server;
    std::string expectedStart;
  } cases[] = {
      {X509_V_ERR_UNSPECIFIED, true, "localhost", mismatch + " (hostname mismatch)"},
      {X509_V_OK, true, "127.0.0.1", mismatch + " (IP address mismatch)"},
      {X509_V_ERR_HOSTNAME_MISMATCH, true, "localhost", mismatch},
      // The certificate is for the server: some other fault, still unspecified.
      {X509_V_ERR_UNSPECIFIED, true, "MAIL.example.invalid", unknown},
      {X509_V_ERR_UNSPECIFIED, true, "192.0.2.1", unknown},
      {X509_V_ERR_UNSPECIFIED, false, "localhost", unknown},
      // A reason of the library's own is kept.
      {X509_V_ERR_CERT_HAS_EXPIRED, true, "localhost", "証明書の有効期限が切れています"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.code) + " " + c.server);
    const std::string text = CertificateReason(c.code, c.withCert ? cert.get() : nullptr, c.server);
    EXPECT_EQ(text.substr(0, c.expectedStart.size()), c.expectedStart) << text;
  }
}

}  // namespace
}  // namespace moriva
