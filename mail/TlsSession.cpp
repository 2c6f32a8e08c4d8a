#include "mail/TlsSession.h"

#include <arpa/inet.h>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace moriva {

namespace {

// The socket is reached through a BIO of our own so that a peer that has gone away gives an
// error instead of SIGPIPE (the library's socket BIO writes with write(), not MSG_NOSIGNAL).
int BioFd(BIO* bio) {
  return static_cast<int>(reinterpret_cast<intptr_t>(BIO_get_data(bio)));
}

bool WouldBlock() {
  return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
}

int BioWrite(BIO* bio, const char* data, int size) {
  BIO_clear_retry_flags(bio);
  ssize_t n = ::send(BioFd(bio), data, static_cast<size_t>(size), MSG_NOSIGNAL);
  if (n < 0 && WouldBlock()) BIO_set_retry_write(bio);
  return static_cast<int>(n);
}

int BioRead(BIO* bio, char* buffer, int size) {
  BIO_clear_retry_flags(bio);
  ssize_t n = ::recv(BioFd(bio), buffer, static_cast<size_t>(size), 0);
  if (n < 0 && WouldBlock()) BIO_set_retry_read(bio);
  return static_cast<int>(n);
}

long BioCtrl(BIO*, int command, long, void*) {
  return command == BIO_CTRL_FLUSH ? 1 : 0;
}

int BioCreate(BIO* bio) {
  BIO_set_init(bio, 1);
  return 1;
}

const BIO_METHOD* SocketMethod() {
  static BIO_METHOD* method = [] {
    BIO_METHOD* m = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "moriva socket");
    BIO_meth_set_write(m, BioWrite);
    BIO_meth_set_read(m, BioRead);
    BIO_meth_set_ctrl(m, BioCtrl);
    BIO_meth_set_create(m, BioCreate);
    return m;
  }();
  return method;
}

bool IsIpAddress(const std::string& server) {
  unsigned char bytes[16];
  return inet_pton(AF_INET, server.c_str(), bytes) == 1 ||
         inet_pton(AF_INET6, server.c_str(), bytes) == 1;
}

// What decides a context's trusted certificates: the extra PEM file as it is now (a file
// rewritten in place gets a new context) and where the library looks for the system's store.
std::string TrustKey(const std::string& caFile) {
  std::string key = caFile;
  struct stat st {};
  if (!caFile.empty() && ::stat(caFile.c_str(), &st) == 0)
    key += '|' + std::to_string(st.st_ino) + '|' + std::to_string(st.st_size) + '|' +
           std::to_string(st.st_mtim.tv_sec) + '.' + std::to_string(st.st_mtim.tv_nsec);
  for (const char* name : {"SSL_CERT_FILE", "SSL_CERT_DIR"}) {
    const char* value = std::getenv(name);
    key += '|' + std::string(value ? value : "");
  }
  return key;
}

SSL_CTX* NewContext(const std::string& caFile) {
  SSL_CTX* ctx = SSL_CTX_new(TLS_client_method());
  if (!ctx) throw ETlsError("TLS を初期化できません");
  SSL_CTX_set_min_proto_version(ctx, TLS1_2_VERSION);
  SSL_CTX_set_verify(ctx, SSL_VERIFY_PEER, nullptr);
  SSL_CTX_set_default_verify_paths(ctx);
  if (!caFile.empty() && SSL_CTX_load_verify_locations(ctx, caFile.c_str(), nullptr) != 1) {
    ERR_clear_error();
    SSL_CTX_free(ctx);
    throw ETlsError("証明書ファイル " + caFile + " を読めません");
  }
  return ctx;
}

// Reading the system's trust store takes tens of milliseconds of processor time (it parses
// every certificate of the bundle), more than decrypting megabytes of mail: the context is
// made once and kept for later connections with the same trust. The caller gets its own
// reference.
SSL_CTX* SharedContext(const std::string& caFile) {
  struct TCache {
    std::mutex lock;
    std::string key;
    SSL_CTX* ctx = nullptr;
  };
  static TCache* cache = new TCache;  // never freed: a session may outlive static destruction
  const std::string key = TrustKey(caFile);
  std::lock_guard<std::mutex> hold(cache->lock);
  if (!cache->ctx || cache->key != key) {
    SSL_CTX* fresh = NewContext(caFile);
    if (cache->ctx) SSL_CTX_free(cache->ctx);
    cache->ctx = fresh;
    cache->key = key;
  }
  SSL_CTX_up_ref(cache->ctx);
  return cache->ctx;
}

}  // namespace

TTlsSession::TTlsSession(int fd, const std::string& server, const std::string& caFile)
    : server_(server) {
  ctx_ = SharedContext(caFile);
  ssl_ = SSL_new(ctx_);
  if (IsIpAddress(server)) {
    X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl_), server.c_str());
  } else {
    SSL_set1_host(ssl_, server.c_str());
    SSL_set_tlsext_host_name(ssl_, server.c_str());
  }
  BIO* bio = BIO_new(SocketMethod());
  BIO_set_data(bio, reinterpret_cast<void*>(static_cast<intptr_t>(fd)));
  SSL_set_bio(ssl_, bio, bio);
  SSL_set_mode(ssl_, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
  // Whole receives instead of a header read and a body read per record: half the calls.
  SSL_set_read_ahead(ssl_, 1);
  SSL_set_connect_state(ssl_);
}

TTlsSession::~TTlsSession() {
  SSL_free(ssl_);
  SSL_CTX_free(ctx_);
}

TTlsStep TTlsSession::Judge(int rc) {
  const int error = SSL_get_error(ssl_, rc);
  const unsigned long queued = ERR_peek_last_error();
  const int saved_errno = errno;
  ERR_clear_error();
  switch (error) {
    case SSL_ERROR_WANT_READ:
      return TTlsStep::tsWantRead;
    case SSL_ERROR_WANT_WRITE:
      return TTlsStep::tsWantWrite;
    case SSL_ERROR_ZERO_RETURN:
      return TTlsStep::tsClosed;
    default:
      break;
  }
  const bool eof = (error == SSL_ERROR_SYSCALL && (saved_errno == 0 || queued == 0)) ||
                   ERR_GET_REASON(queued) == SSL_R_UNEXPECTED_EOF_WHILE_READING;
  if (eof && handshaken_) return TTlsStep::tsClosed;
  if (eof) {
    reason_ = "サーバーがハンドシェイクの途中で接続を切りました";
  } else if (long verify = SSL_get_verify_result(ssl_); !handshaken_ && verify != X509_V_OK) {
    reason_ = CertificateReason(verify, SSL_get0_peer_certificate(ssl_), server_);
  } else if (error == SSL_ERROR_SYSCALL) {
    reason_ = std::strerror(saved_errno);
  } else {
    const char* text = ERR_reason_error_string(queued);
    reason_ = text ? text : "TLS protocol error";
  }
  return TTlsStep::tsFailed;
}

TTlsStep TTlsSession::Handshake() {
  ERR_clear_error();
  errno = 0;
  const int rc = SSL_do_handshake(ssl_);
  if (rc == 1) {
    handshaken_ = true;
    return TTlsStep::tsDone;
  }
  return Judge(rc);
}

TTlsStep TTlsSession::Read(char* buffer, size_t capacity, size_t& count) {
  count = 0;
  ERR_clear_error();
  errno = 0;
  if (SSL_read_ex(ssl_, buffer, capacity, &count) == 1) return TTlsStep::tsDone;
  return Judge(0);
}

TTlsStep TTlsSession::Write(const char* data, size_t size, size_t& count) {
  count = 0;
  ERR_clear_error();
  errno = 0;
  if (SSL_write_ex(ssl_, data, size, &count) == 1) return TTlsStep::tsDone;
  return Judge(0);
}

void TTlsSession::Shutdown() {
  if (!handshaken_) return;
  ERR_clear_error();
  SSL_shutdown(ssl_);
  ERR_clear_error();
}

}  // namespace moriva
