#pragma once
// A failed certificate check in the user's words, shared by every TLS road (mail and HTTP).
#include <openssl/types.h>

#include <string>

namespace moriva {

// A failed certificate check (an X509_V_ERR_* code) in the user's words, with the library's
// own name for it.
std::string CertificateReason(long verifyResult);

// The same, for a check of the certificate `peer` presented for `server` (a host name or an IP
// address). A check that gave no reason of its own (X509_V_OK, or X509_V_ERR_UNSPECIFIED, which
// is what a name checked outside the library's verification leaves) names the mismatch when the
// certificate is not for `server`, so that a certificate for another host is never reported as
// an unspecified error. `peer` may be null: then only the code counts.
std::string CertificateReason(long verifyResult, X509* peer, const std::string& server);

}  // namespace moriva
