#include "mail/ClientSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>

namespace moriva {

namespace {

// Short enough for a live window, long enough not to busy the processor.
constexpr int kSliceMs = 50;

// A decimal number 0..255: digits only, at least one, leading zeros allowed.
bool IsByteNumber(std::string_view part) {
  if (part.empty()) return false;
  int value = 0;
  for (char c : part) {
    if (c < '0' || c > '9') return false;
    value = std::min(value * 10 + (c - '0'), 1000);
  }
  return value <= 255;
}

void SetNonBlocking(int fd) {
  int flags = fcntl(fd, F_GETFL, 0);
  fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

}  // namespace

std::string SocketErrorText(int code, const std::string& api) {
  std::string message = (code == ETIMEDOUT) ? "Connection timed out" : std::strerror(code);
  return "Windows ソケットエラー： " + message + " (" + std::to_string(code) + ") [API '" + api +
         "']";
}

ESocketError::ESocketError(int code, const std::string& api)
    : Exception(SocketErrorText(code, api)), code_(code) {}

bool IsDottedAddress(std::string_view text) {
  for (int i = 0; i < 3; ++i) {
    size_t dot = text.find('.');
    if (dot == std::string_view::npos || !IsByteNumber(text.substr(0, dot))) return false;
    text.remove_prefix(dot + 1);
  }
  return IsByteNumber(text);
}

TClientSocket::~TClientSocket() {
  if (fd_ >= 0) ::close(fd_);
}

void TClientSocket::SetHost(std::string host) {
  host_ = std::move(host);
  address_.clear();
}

void TClientSocket::SetAddress(std::string address) {
  // The resolver reads a part with a leading zero as octal ("010" as 8, "09" not at all);
  // every part of a dotted address is decimal here, so it is handed on without the zeros.
  if (IsDottedAddress(address)) {
    std::string decimal;
    for (size_t start = 0; start <= address.size();) {
      size_t dot = std::min(address.find('.', start), address.size());
      size_t first = address.find_first_not_of('0', start);
      decimal += first < dot ? address.substr(first, dot - first) : "0";
      if (dot < address.size()) decimal += '.';
      start = dot + 1;
    }
    address = std::move(decimal);
  }
  address_ = std::move(address);
  host_.clear();
}

void TClientSocket::Open() {
  if (fd_ >= 0) return;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  std::string service = std::to_string(Port);
  if (!host_.empty()) {
    if (OnLookup) OnLookup(*this);
    found = LookUp(host_, service, hints);
  } else {
    hints.ai_flags = AI_NUMERICHOST;
    if (getaddrinfo(address_.c_str(), service.c_str(), &hints, &found) != 0)
      throw ESocketError(EINVAL, "connect");
  }
  std::unique_ptr<addrinfo, void (*)(addrinfo*)> guard(found, freeaddrinfo);

  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) throw ESocketError(errno, "socket");
  SetNonBlocking(fd);
  int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  fd_ = fd;
  if (OnConnecting) OnConnecting(*this);
  int code = 0;
  if (::connect(fd, found->ai_addr, found->ai_addrlen) != 0) {
    code = errno;
    if (code == EINPROGRESS) {
      TIoResult waited = Wait(POLLOUT);
      code = 0;
      if (waited == TIoResult::ioTimedOut) {
        code = ETIMEDOUT;
      } else if (waited == TIoResult::ioCancelled) {
        code = ECANCELED;
      } else {
        socklen_t len = sizeof code;
        getsockopt(fd, SOL_SOCKET, SO_ERROR, &code, &len);
      }
    }
  }
  if (code != 0) {
    ::close(fd);
    fd_ = -1;
    throw ESocketError(code, "connect");
  }
  if (OnConnect) OnConnect(*this);
}

addrinfo* TClientSocket::LookUp(const std::string& host, const std::string& service,
                                const addrinfo& hints) {
  // The resolver works in a thread of its own and writes into the request until it is done,
  // so the request lives on the heap and is given up, not freed, if it cannot be cancelled.
  struct Request {
    std::string host, service;
    addrinfo hints;
    gaicb cb{};
  };
  auto* request = new Request{host, service, hints};
  request->cb.ar_name = request->host.c_str();
  request->cb.ar_service = request->service.c_str();
  request->cb.ar_request = &request->hints;
  gaicb* list[] = {&request->cb};
  if (getaddrinfo_a(GAI_NOWAIT, list, 1, nullptr) != 0) {
    delete request;
    throw ESocketError(EAGAIN, "gethostbyname");
  }
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(TimeOut);
  int code = 0;
  for (;;) {
    int rc = gai_error(&request->cb);
    if (rc != EAI_INPROGRESS) {
      if (rc == 0) {
        addrinfo* result = request->cb.ar_result;
        delete request;
        return result;
      }
      code = (rc == EAI_SYSTEM) ? errno : EHOSTUNREACH;
      break;
    }
    if (ProcessMessages) ProcessMessages();
    if (IsCancelled && IsCancelled()) {
      code = ECANCELED;
      break;
    }
    if (Clock::now() >= deadline) {
      code = ETIMEDOUT;
      break;
    }
    const timespec slice{0, kSliceMs * 1000000L};
    gai_suspend(list, 1, &slice);
  }
  int cancelled = gai_cancel(&request->cb);
  if (cancelled == EAI_ALLDONE && request->cb.ar_result) freeaddrinfo(request->cb.ar_result);
  if (cancelled != EAI_NOTCANCELED) delete request;
  throw ESocketError(code, "gethostbyname");
}

void TClientSocket::Close() {
  if (fd_ < 0) return;
  if (tls_) tls_->Shutdown();
  tls_.reset();
  ::close(fd_);
  fd_ = -1;
  if (OnDisconnect) OnDisconnect(*this);
}

void TClientSocket::StartTls(const std::string& caFile) {
  if (fd_ < 0 || tls_) return;
  const std::string server = host_.empty() ? address_ : host_;
  std::string reason;
  try {
    auto session = std::make_unique<TTlsSession>(fd_, server, caFile);
    for (;;) {
      const TTlsStep step = session->Handshake();
      if (step == TTlsStep::tsDone) {
        tls_ = std::move(session);
        return;
      }
      if (step == TTlsStep::tsFailed || step == TTlsStep::tsClosed) {
        reason = session->FailureReason();
        break;
      }
      const TIoResult waited = TlsWait(step);
      if (waited == TIoResult::ioOk) continue;
      reason = waited == TIoResult::ioTimedOut ? "サーバーの応答が時間内にありません"
               : waited == TIoResult::ioCancelled ? "キャンセルされました"
                                                  : "接続が切れました";
      break;
    }
  } catch (const ETlsError& e) {
    reason = e.what();
  }
  Close();
  throw ETlsError("サーバー " + server + ":" + std::to_string(Port) +
                  " と TLS で接続できません: " + reason);
}

TIoResult TClientSocket::TlsWait(TTlsStep step) {
  return Wait(step == TTlsStep::tsWantWrite ? POLLOUT : POLLIN);
}

TIoResult TClientSocket::Wait(short events) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(TimeOut);
  for (;;) {
    if (ProcessMessages) ProcessMessages();
    if (fd_ < 0) return TIoResult::ioClosed;  // the callback may have closed us
    if (IsCancelled && IsCancelled()) return TIoResult::ioCancelled;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    pollfd p{fd_, events, 0};
    int slice = static_cast<int>(std::clamp<long long>(left.count(), 0, kSliceMs));
    int rc = ::poll(&p, 1, slice);
    // Errors and hang-ups count as ready: the following call tells what happened.
    if (rc > 0 || (rc < 0 && errno != EINTR)) return TIoResult::ioOk;
    if (left.count() <= 0) return TIoResult::ioTimedOut;
  }
}

void TClientSocket::Fail(TErrorEvent event, int code, const char* api) {
  if (OnError) OnError(*this, event, code);
  Close();
  if (code != 0) throw ESocketError(code, api);
}

TIoResult TClientSocket::SendOnce(const char* data, size_t count, size_t& sent) {
  sent = 0;
  while (tls_) {
    const TTlsStep step = tls_->Write(data, count, sent);
    if (step == TTlsStep::tsDone) return TIoResult::ioOk;
    if (step == TTlsStep::tsClosed) return TIoResult::ioClosed;
    if (step == TTlsStep::tsFailed) {
      Fail(TErrorEvent::eeSend, EPROTO, "send");
      return TIoResult::ioClosed;
    }
    if (TIoResult waited = TlsWait(step); waited != TIoResult::ioOk) return waited;
  }
  for (;;) {
    if (fd_ < 0) return TIoResult::ioClosed;
    TIoResult waited = Wait(POLLOUT);
    if (waited != TIoResult::ioOk) return waited;
    ssize_t n = ::send(fd_, data, count, MSG_NOSIGNAL);
    if (n >= 0) {
      sent = static_cast<size_t>(n);
      return TIoResult::ioOk;
    }
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) continue;
    Fail(TErrorEvent::eeSend, errno, "send");
    return TIoResult::ioClosed;
  }
}

int TClientSocket::SendBuf(const void* data, int count) {
  if (fd_ < 0 || count <= 0) return 0;
  size_t sent = 0;
  SendOnce(static_cast<const char*>(data), static_cast<size_t>(count), sent);
  return static_cast<int>(sent);
}

TIoResult TClientSocket::Send(std::string_view data) {
  if (fd_ < 0) return TIoResult::ioClosed;
  while (!data.empty()) {
    size_t sent = 0;
    TIoResult result = SendOnce(data.data(), data.size(), sent);
    if (result != TIoResult::ioOk) return result;
    data.remove_prefix(sent);
  }
  return TIoResult::ioOk;
}

TIoResult TClientSocket::Receive(char* buffer, size_t capacity, size_t& received) {
  received = 0;
  // Bytes the TLS layer already holds are handed out before the socket is asked.
  while (tls_) {
    const TTlsStep step = tls_->Read(buffer, capacity, received);
    if (step == TTlsStep::tsDone) return TIoResult::ioOk;
    if (step == TTlsStep::tsClosed) return TIoResult::ioClosed;
    if (step == TTlsStep::tsFailed) {
      Fail(TErrorEvent::eeReceive, EPROTO, "recv");
      return TIoResult::ioClosed;
    }
    if (TIoResult waited = TlsWait(step); waited != TIoResult::ioOk) return waited;
  }
  for (;;) {
    if (fd_ < 0) return TIoResult::ioClosed;
    TIoResult waited = Wait(POLLIN);
    if (waited != TIoResult::ioOk) return waited;
    ssize_t n = ::recv(fd_, buffer, capacity, 0);
    if (n > 0) {
      received = static_cast<size_t>(n);
      return TIoResult::ioOk;
    }
    if (n == 0) return TIoResult::ioClosed;
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) continue;
    Fail(TErrorEvent::eeReceive, errno, "recv");
    return TIoResult::ioClosed;
  }
}

int TClientSocket::ReceiveBuf(void* buffer, int count) {
  if (fd_ < 0 || count <= 0) return 0;
  size_t received = 0;
  Receive(static_cast<char*>(buffer), static_cast<size_t>(count), received);
  return static_cast<int>(received);
}

std::string TClientSocket::LocalHost() const {
  if (fd_ < 0) return {};
  char name[257] = {};
  if (gethostname(name, 256) != 0) return {};
  return name;
}

}  // namespace moriva
