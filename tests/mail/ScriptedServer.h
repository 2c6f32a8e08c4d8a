#pragma once
// A scripted peer on 127.0.0.1 for protocol tests: it accepts one connection and plays its
// steps in order (send bytes, read one line from the client, pause, close, go silent), then
// records whatever the client still says until it hangs up. Header-only so that every test
// folder can use it.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace moriva::testing {

class TScriptedServer {
 public:
  TScriptedServer() : TScriptedServer(Listen(), true) {}
  // Plays its script on the next connection to `listenFd`, a listening socket it borrows and
  // leaves open, so that servers in turn (forked children's included) answer on one port.
  explicit TScriptedServer(int listenFd) : TScriptedServer(listenFd, false) {}
  ~TScriptedServer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (owns_listener_ && listen_fd_ >= 0) ::close(listen_fd_);
  }
  TScriptedServer(const TScriptedServer&) = delete;
  TScriptedServer& operator=(const TScriptedServer&) = delete;

  // A new listening socket on 127.0.0.1, on a free port.
  static int Listen() {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 4) != 0)
      throw std::runtime_error("scripted server: cannot listen");
    return fd;
  }
  static int PortOf(int listenFd) {
    sockaddr_in addr{};
    socklen_t len = sizeof addr;
    getsockname(listenFd, reinterpret_cast<sockaddr*>(&addr), &len);
    return ntohs(addr.sin_port);
  }

  int Port() const { return port_; }

  // One write of these bytes.
  TScriptedServer& Send(std::string bytes) { return Add({kSend, std::move(bytes), 0}); }
  // The bytes in two writes, cut before `at`, with a pause so they arrive apart.
  TScriptedServer& SendSplit(const std::string& bytes, size_t at, int pauseMs = 3) {
    Send(bytes.substr(0, at));
    Pause(pauseMs);
    return Send(bytes.substr(at));
  }
  // Waits for one line from the client (kept in Received()).
  TScriptedServer& Expect() { return Add({kExpect, {}, 0}); }
  // Waits for lines up to and including a line "." (the data of a mail).
  TScriptedServer& ExpectData() { return Add({kExpectData, {}, 0}); }
  // Waits for one line, then answers.
  TScriptedServer& Reply(std::string bytes) { return Expect().Send(std::move(bytes)); }
  TScriptedServer& Pause(int ms) { return Add({kPause, {}, ms}); }
  // Hangs up.
  TScriptedServer& Close() { return Add({kClose, {}, 0}); }
  // Keeps the connection open and says nothing more.
  TScriptedServer& Silent() { return Add({kSilent, {}, 0}); }

  void Start() {
    thread_ = std::thread([this] { Run(); });
  }
  // Waits until the client has hung up (or the script closed) and the thread is done.
  void Join() {
    if (thread_.joinable()) thread_.join();
  }
  std::vector<std::string> Received() {
    std::lock_guard lock(mutex_);
    return received_;
  }

 private:
  enum Kind { kSend, kExpect, kExpectData, kPause, kClose, kSilent };
  struct Step {
    Kind kind;
    std::string bytes;
    int ms;
  };
  TScriptedServer& Add(Step step) {
    steps_.push_back(std::move(step));
    return *this;
  }

  // Waits for readable data, giving up when told to stop or after 20 s.
  bool WaitReadable(int fd) {
    for (int i = 0; i < 400 && !stop_; ++i) {
      pollfd p{fd, POLLIN, 0};
      if (::poll(&p, 1, 50) > 0) return true;
    }
    return false;
  }

  // Reads one line; false when the client hung up or nothing came.
  bool ReadLine(int fd) {
    while (pending_.find('\n') == std::string::npos) {
      if (!WaitReadable(fd)) return false;
      char buf[4096];
      ssize_t n = ::recv(fd, buf, sizeof buf, 0);
      if (n <= 0) return false;
      pending_.append(buf, static_cast<size_t>(n));
    }
    size_t lf = pending_.find('\n');
    std::string line = pending_.substr(0, lf);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    pending_.erase(0, lf + 1);
    std::lock_guard lock(mutex_);
    received_.push_back(std::move(line));
    return true;
  }

  void Run() {
    int fd = -1;
    if (WaitReadable(listen_fd_)) fd = ::accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    bool open = true;
    for (const Step& step : steps_) {
      if (stop_ || !open) break;
      switch (step.kind) {
        case kSend:
          ::send(fd, step.bytes.data(), step.bytes.size(), MSG_NOSIGNAL);
          break;
        case kExpect:
          open = ReadLine(fd);
          break;
        case kExpectData:
          while ((open = ReadLine(fd)) && Received().back() != ".") {
          }
          break;
        case kPause:
          std::this_thread::sleep_for(std::chrono::milliseconds(step.ms));
          break;
        case kClose:
          open = false;
          break;
        case kSilent:
          break;
      }
    }
    // Record the rest of what the client says until it hangs up.
    while (open && ReadLine(fd)) {
    }
    ::close(fd);
  }

  TScriptedServer(int listenFd, bool owned)
      : listen_fd_(listenFd), owns_listener_(owned), port_(PortOf(listenFd)) {}

  int listen_fd_ = -1;
  bool owns_listener_ = true;
  int port_ = 0;
  std::vector<Step> steps_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::string> received_;
  std::string pending_;
};

}  // namespace moriva::testing
