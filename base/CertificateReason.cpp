#include "base/CertificateReason.h"

#include <arpa/inet.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

namespace moriva {

std::string CertificateReason(long result) {
  std::string what;
  switch (result) {
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
      what = "証明書がこのサーバーのものではありません";
      break;
    case X509_V_ERR_CERT_HAS_EXPIRED:
      what = "証明書の有効期限が切れています";
      break;
    case X509_V_ERR_CERT_NOT_YET_VALID:
      what = "証明書はまだ有効ではありません";
      break;
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
      what = "証明書の発行者が信頼されていません";
      break;
    default:
      what = "証明書を検証できません";
  }
  return what + " (" + X509_verify_cert_error_string(result) + ")";
}

std::string CertificateReason(long result, X509* peer, const std::string& server) {
  if ((result == X509_V_OK || result == X509_V_ERR_UNSPECIFIED) && peer && !server.empty()) {
    unsigned char address[16];
    const bool ip = inet_pton(AF_INET, server.c_str(), address) == 1 ||
                    inet_pton(AF_INET6, server.c_str(), address) == 1;
    // 0 is "does not match"; a negative answer (malformed input) is no finding either way.
    const int match = ip ? X509_check_ip_asc(peer, server.c_str(), 0)
                         : X509_check_host(peer, server.data(), server.size(), 0, nullptr);
    if (match == 0)
      return CertificateReason(ip ? X509_V_ERR_IP_ADDRESS_MISMATCH : X509_V_ERR_HOSTNAME_MISMATCH);
  }
  return CertificateReason(result);
}

}  // namespace moriva
