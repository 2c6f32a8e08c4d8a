#pragma once
// The TCP client socket the mail clients talk through. It is used from the one window thread
// in blocking fashion, but no call ever blocks for long: every wait (connecting, sending,
// receiving) is a poll in short slices that runs the injected ProcessMessages callback, looks
// at the cancel callback and gives up after TimeOut milliseconds without progress.
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "base/Exception.h"
#include "mail/ByteSource.h"
#include "mail/TlsSession.h"

struct addrinfo;

namespace moriva {

// A failed socket call. The text names the system's message, the error code and the call:
// "Windows ソケットエラー： <message> (<code>) [API 'recv']".
class ESocketError : public Exception {
 public:
  ESocketError(int code, const std::string& api);
  int ErrorCode() const { return code_; }

 private:
  int code_;
};

// The text of a socket error (see ESocketError).
std::string SocketErrorText(int code, const std::string& api);

// True for four decimal numbers 0..255 joined by dots ("10.0.0.1", "192.168.001.010").
bool IsDottedAddress(std::string_view text);

// The operation a socket error notification is about.
enum class TErrorEvent {
  eeGeneral,
  eeSend,
  eeReceive,
  eeConnect,
  eeDisconnect,
  eeAccept,
  eeLookup
};

class TClientSocket : public TByteSource {
 public:
  using TNotifyEvent = std::function<void(TClientSocket& sender)>;
  // The handler may set `errorCode` to 0 to swallow the error instead of having it raised.
  using TErrorNotify =
      std::function<void(TClientSocket& sender, TErrorEvent event, int& errorCode)>;

  TClientSocket() = default;
  ~TClientSocket() override;
  TClientSocket(const TClientSocket&) = delete;
  TClientSocket& operator=(const TClientSocket&) = delete;

  int Port = 0;
  // A host name is looked up on Open, an address is used as it is; setting one clears the other.
  const std::string& Host() const { return host_; }
  const std::string& Address() const { return address_; }
  void SetHost(std::string host);
  // A dotted address is kept with every part decimal, leading zeros dropped ("127.000.000.010"
  // is 127.0.0.10, never the octal reading).
  void SetAddress(std::string address);

  // Milliseconds a single wait may last (connecting, sending, receiving).
  unsigned TimeOut = 60000;
  // Called between two wait slices and before every send and receive.
  std::function<void()> ProcessMessages;
  // Asked between two wait slices; true ends the wait with ioCancelled.
  std::function<bool()> IsCancelled;

  TNotifyEvent OnLookup, OnConnecting, OnConnect, OnDisconnect;
  TErrorNotify OnError;

  bool Connected() const { return fd_ >= 0; }

  // Looks the host up and connects, each bounded by TimeOut, and gives the connect notification.
  // Throws ESocketError on any failure. Does nothing when already open.
  void Open();
  // Closes and gives the disconnect notification; does nothing when not open.
  void Close();

  // Puts TLS over the open connection (at once for implicit TLS, or after the server agreed
  // to STARTTLS/STLS): every later send and receive is encrypted. The handshake waits like
  // every other call. On failure nothing more is sent: the connection is closed and ETlsError
  // says why, naming the server. Nothing happens when not connected or already encrypted.
  void StartTls(const std::string& caFile);
  bool Encrypted() const { return tls_ != nullptr; }

  // One send: at most `count` bytes, returns how many went out; 0 when not connected, timed
  // out or cancelled. A socket failure is notified, closes the socket and throws ESocketError
  // unless the handler cleared the code.
  int SendBuf(const void* data, int count);
  // One receive of at most `count` bytes; 0 when not connected, when the peer closed, timed
  // out or cancelled. Failures as SendBuf.
  int ReceiveBuf(void* buffer, int count);

  // The same with the reason a wait ended. Send moves every byte or reports why not.
  TIoResult Send(std::string_view data);
  TIoResult Receive(char* buffer, size_t capacity, size_t& received) override;

  // The local machine's host name, empty when there is no socket or the query fails.
  std::string LocalHost() const;

 private:
  // Looks a host name up, bounded and live like every other wait; throws ESocketError.
  addrinfo* LookUp(const std::string& host, const std::string& service, const addrinfo& hints);
  TIoResult Wait(short events);
  TIoResult SendOnce(const char* data, size_t count, size_t& sent);
  // The wait a TLS step asks for; ioOk when the step is to be tried again.
  TIoResult TlsWait(TTlsStep step);
  // Notifies, closes and throws (unless swallowed).
  void Fail(TErrorEvent event, int code, const char* api);

  std::string host_;
  std::string address_;
  int fd_ = -1;
  std::unique_ptr<TTlsSession> tls_;
};

}  // namespace moriva
