#pragma once
// The SMTP client: delivers one message. The dialogue is greeting, EHLO (HELO when the server
// refuses it), on request STARTTLS and EHLO again, AUTH when a user is set, VRFY when the sender's
// name is unknown, and one transaction per recipient group (To, CC, BCC) of MAIL FROM, RCPT TO per
// address, DATA, the lines, the end dot and RSET; QUIT at the end. Protocol failures are reported
// through OnError and ErrorFlag, not by exceptions.
//
// Every wait for the server is bounded by TimeOut; a server that hangs up, stops answering
// or answers with garbage ends the step through OnError like a refused reply.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/LineList.h"
#include "mail/ClientSocket.h"
#include "mail/LineReader.h"
#include "mail/MailSecurity.h"

namespace moriva {

class TMailMessage;

class TSmtpClient {
 public:
  // Sender is the client itself, or the socket for a failure the socket reports.
  using TOnError = std::function<void(const void* Sender, int Error, const std::string& Msg)>;
  using TOnSendProgressEvent = std::function<void(TSmtpClient& Sender, uint16_t Percent)>;
  using TToFromSocketEvent = std::function<void(TSmtpClient& Sender, const std::string& s)>;
  using TNotifyEvent = std::function<void(TSmtpClient& Sender)>;
  using TSocketNotifyEvent = std::function<void(TSmtpClient& Sender, TClientSocket& Socket)>;

  TSmtpClient();
  TSmtpClient(const TSmtpClient&) = delete;
  TSmtpClient& operator=(const TSmtpClient&) = delete;

  std::string Port = "25";  // a text that is not a port number means 25
  std::string Host;         // a dotted IPv4 address or a host name
  uint16_t SendProgressStep = 10;
  uint32_t TimeOut = 60000;  // ms any single wait for the server may last
  TMailSecurity Security = TMailSecurity::msNone;
  std::string CaFile;  // a PEM file of extra trusted certificates; empty for none
  // With a user, AUTH PLAIN or LOGIN (the first the server offers) after the greeting. Never
  // over a connection that is not encrypted, unless PlainAuthAllowed says the user chose that.
  std::string AuthUser, AuthPassword;
  bool PlainAuthAllowed = false;

  std::function<void(TClientSocket& Sender)> OnConnect;  // the connection is open
  std::function<void(TClientSocket& Sender)> OnQuit;     // the connection was closed
  TOnError OnError;
  TNotifyEvent OnBeforeSend, OnAfterSend;
  TOnSendProgressEvent OnSendProgress;
  TSocketNotifyEvent OnLookup, OnConnecting;
  TToFromSocketEvent OnSendTextToSocket;       // every text sent
  TToFromSocketEvent OnReceiveTextFromSocket;  // the last line of every reply, with CR LF
  // Lets the window system process pending messages (nothing in the command line program).
  std::function<void()> ProcessMessages;

  bool Connected() const { return connected_; }
  // Set by a failed step; cleared only by Connect.
  bool ErrorFlag() const { return error_flag_; }
  // The first three characters of the last reply line, and the rest (at most 64 characters),
  // both trimmed. After a failure to read a reply at all: "" and the reason.
  const std::string& ReplyCode() const { return reply_code_; }
  const std::string& ReplyText() const { return reply_text_; }
  uint16_t Percent() const { return percent_; }
  TClientSocket& Socket() { return socket_; }

  // Opens the connection and greets the server; ErrorFlag tells whether it failed. A
  // connection that cannot be opened sets ErrorFlag only (no OnError).
  void Connect();
  // Sends the message to all its recipients. Throws Exception "Not connected.",
  // "\"From\" field not specified." or "\"SendTo\" field not specified." before sending
  // anything, and passes composition errors on. Returns true when it ran to its end, also
  // when a transaction failed (reported through OnError); after a failed transaction no
  // further group is tried.
  bool Send(TMailMessage& msg);
  // QUIT and close; does nothing when not connected.
  void Quit();

  // The primitives of the dialogue.
  bool SendText(const std::string& text);
  bool ReadReply();
  void ReportError();
  // One transaction: 1 when sent or when there are no addresses; -1 MAIL FROM, -2 RCPT TO,
  // -3 DATA, -4 the end of data, -5 RSET refused; -6 the lines could not be sent.
  int SendToGroup(const std::string& sender, const std::vector<std::string>& addresses,
                  const TLineList& lines);

 private:
  // Sets ErrorFlag (once) when the last reply's code is not `code`.
  bool Expect(const char* code);
  // Remembers why the connection can no longer be used; later steps do not wait.
  void IoFailed(const std::string& reason);
  bool FlushData(std::string& pending);
  // EHLO, STARTTLS and AUTH after the greeting; reports its own failures (SmtpClientGreeting.cpp).
  void Greet();
  bool Hello(const std::string& local);
  bool StartTls();
  bool Authenticate();
  // Ends the dialogue with one of our own texts (no reply code) through ReportError.
  void Refuse(const std::string& text);
  std::string ServerLabel() const;

  TClientSocket socket_;
  TLineReader reader_{socket_};
  bool connected_ = false;
  bool error_flag_ = false;
  bool io_failed_ = false;
  std::string reply_code_;
  std::string reply_text_;
  std::vector<std::string> reply_lines_;  // every line of the last reply, after the code
  TSmtpExtensions extensions_;
  uint16_t percent_ = 0;
};

// The address alone: comments in parentheses removed, trimmed, and of "name <addr>" only
// what lies between the first "<" and the first ">"; enclosed in "<" ">" when asked.
std::string PlainAddress(std::string_view text, bool brackets);
// The addresses of a comma-separated list: quoted display names removed, ASCII letters in
// lower case, each piece through PlainAddress without brackets. Empty pieces are dropped.
std::vector<std::string> AddressList(std::string_view text);

}  // namespace moriva
