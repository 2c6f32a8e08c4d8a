#pragma once
// One TLS client session over an already connected, non-blocking TCP socket. It never waits:
// every step says whether it is done or what the socket must become ready for, and the client
// socket does the waiting in its usual live, bounded slices.
//
// The server's certificate must chain to the system's trust store or to the certificates of
// an optional PEM file, and must name the server: a DNS name is checked against the
// certificate's names, a dotted address against its IP addresses. TLS 1.2 is the oldest
// version spoken.
#include <cstddef>
#include <string>

#include "base/CertificateReason.h"
#include "base/Exception.h"

typedef struct ssl_st SSL;
typedef struct ssl_ctx_st SSL_CTX;

namespace moriva {

// A TLS connection that could not be made or went wrong; the text names the server and why.
class ETlsError : public Exception {
 public:
  using Exception::Exception;
};

// How one step of a session went.
enum class TTlsStep {
  tsDone,       // the handshake is complete, or bytes moved
  tsWantRead,   // call again when the socket can be read
  tsWantWrite,  // call again when the socket can be written
  tsClosed,     // the peer ended the session (close_notify or end of stream)
  tsFailed,     // a TLS error; FailureReason says which
};

class TTlsSession {
 public:
  // `server` is the name or address the user gave; `caFile` an optional PEM file of extra
  // trusted certificates. Throws ETlsError when the file cannot be read.
  TTlsSession(int fd, const std::string& server, const std::string& caFile);
  ~TTlsSession();
  TTlsSession(const TTlsSession&) = delete;
  TTlsSession& operator=(const TTlsSession&) = delete;

  TTlsStep Handshake();
  // At most `capacity` bytes; `count` holds how many moved on tsDone.
  TTlsStep Read(char* buffer, size_t capacity, size_t& count);
  TTlsStep Write(const char* data, size_t size, size_t& count);
  // Sends close_notify if the socket takes it at once; never waits for the answer.
  void Shutdown();

  // Why the last step failed, in words for the user (certificate problems by name).
  std::string FailureReason() const { return reason_; }

 private:
  TTlsStep Judge(int rc);

  SSL_CTX* ctx_ = nullptr;
  SSL* ssl_ = nullptr;
  std::string reason_;
  std::string server_;  // the name (or address) the certificate must be for
  bool handshaken_ = false;
};

}  // namespace moriva
