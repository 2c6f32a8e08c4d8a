#pragma once
// A failed certificate check in the user's words, shared by every TLS road (mail and HTTP).
#include <string>

namespace moriva {

// A failed certificate check (an X509_V_ERR_* code) in the user's words, with the library's
// own name for it.
std::string CertificateReason(long verifyResult);

}  // namespace moriva
