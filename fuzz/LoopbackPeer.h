#pragma once
// The server side of one mail session for the protocol fuzz targets, played in the client's
// own thread. The client talks to it over a real TCP connection on 127.0.0.1, through its
// real socket and line reader; the peer does its part from the client's ProcessMessages
// callback, which the socket calls before every wait. On the first call it accepts the
// connection, and on every call it writes the next piece of the scripted reply bytes; after
// the last piece it closes its sending side. So every wait of the client finds either bytes
// or the end of the stream: a session never waits for a time-out, and the pieces arrive as
// separate receives wherever the fuzzer cut them. No thread and no sleeping, so one session
// costs a few system calls and runs the same way every time.
//
// What the client sends is never read: the commands of a session fit in the socket buffer.
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace moriva::fuzz {

class TLoopbackPeer {
 public:
  // The listening socket lives as long as the process: one per target, reused by every run.
  static TLoopbackPeer& Instance() {
    static TLoopbackPeer peer;
    return peer;
  }

  int Port() const { return port_; }

  // Prepares one session: `bytes` cut before each offset in `cuts` (ascending, may repeat).
  void Start(std::string bytes, std::vector<size_t> cuts) {
    Finish();
    bytes_ = std::move(bytes);
    cuts_ = std::move(cuts);
    cuts_.push_back(bytes_.size());
    pos_ = next_ = 0;
  }

  // The client's ProcessMessages.
  void Pump() {
    if (fd_ < 0) {
      fd_ = ::accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
      if (fd_ < 0) return;  // the client has not connected yet
      // Small pieces must go at once, not wait for the client's delayed acknowledgement.
      int one = 1;
      ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    }
    if (shut_) return;
    while (next_ < cuts_.size() && cuts_[next_] <= pos_) ++next_;
    size_t end = next_ < cuts_.size() ? cuts_[next_] : bytes_.size();
    if (end > bytes_.size()) end = bytes_.size();
    while (pos_ < end) {
      ssize_t n = ::send(fd_, bytes_.data() + pos_, end - pos_, MSG_NOSIGNAL);
      if (n > 0) {
        pos_ += static_cast<size_t>(n);
        continue;
      }
      if (n < 0 && errno == EAGAIN) return;  // full: the rest goes once the client has read
      pos_ = bytes_.size();                  // the client hung up: what is left would never be read
    }
    if (pos_ == bytes_.size()) {
      ::shutdown(fd_, SHUT_WR);
      shut_ = true;
    }
  }

  const std::string& Bytes() const { return bytes_; }

  // Ends the session: closes the connection and drops any connection never accepted.
  void Finish() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    shut_ = false;
    for (int stray; (stray = ::accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;)
      ::close(stray);
  }

 private:
  TLoopbackPeer() {
    listen_fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (listen_fd_ < 0 || ::bind(listen_fd_, reinterpret_cast<sockaddr*>(&addr), len) != 0 ||
        ::listen(listen_fd_, 16) != 0 ||
        ::getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
      std::perror("loopback peer");
      std::abort();
    }
    port_ = ntohs(addr.sin_port);
  }

  int listen_fd_ = -1;
  int port_ = 0;
  int fd_ = -1;
  bool shut_ = false;
  std::string bytes_;
  std::vector<size_t> cuts_;
  size_t pos_ = 0;
  size_t next_ = 0;
};

}  // namespace moriva::fuzz
