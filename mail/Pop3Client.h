#pragma once
// The POP3 client: logs in to a mailbox (APOP or USER/PASS), asks its size (STAT, LAST),
// lists unique ids (UIDL), fetches a message's header block (TOP n 0) or the whole message
// (RETR n) into a TMailMessage, and says goodbye (QUIT). It never deletes mail: there is no DELE.
//
// Replies are read line by line from a buffer, so a server may cut them anywhere; a reply is
// judged by its first line. Every wait is bounded by TimeOut. A server that refuses, hangs
// up, stops answering or sends more than MaxReplySize (or MaxReplyMemory) ends the operation
// through OnError (with ErrorFlag set and the connection closed); nothing is written to disk on the
// way. A failing socket call is reported through OnError with the socket as Sender and its error
// code, and then raised to the caller as ESocketError. A command on a closed connection
// fails the same way as one the server refused, with the text "Not connected.". A line of a
// multi-line reply longer than the line reader's limit (1 MiB; no real mail has one) is cut
// there and the rest of it dropped, so that such a mail cannot block the mailbox.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "base/LineList.h"
#include "mail/ClientSocket.h"
#include "mail/LineReader.h"
#include "mail/MailSecurity.h"
#include "mail/Pop3Reply.h"

namespace moriva {

class TMailMessage;

// The codes OnError reports for a failed operation.
inline constexpr int kPop3LoginError = 2001;  // APOP, USER or PASS refused (or no answer)
inline constexpr int kPop3FetchError = 2004;  // TOP, RETR or the UIDL listing
inline constexpr int kPop3StatError = 2006;   // STAT or UIDL n

// Where the dialogue stands. A login outlives its connection: LoggedIn stays true until the
// next Connect, so a closed connection remembers whether it had logged in.
enum class TPop3State {
  Disconnected,      // no connection, and no login since the last Connect
  Connected,         // connected, not logged in
  LoggedIn,          // connected and logged in
  ClosedAfterLogin,  // logged in, then the connection ended
};

class TPop3Client {
 public:
  using TNotifyEvent = std::function<void(TPop3Client& Sender)>;
  // Sender is the client itself, or the socket for a failure the socket reports.
  using TOnError = std::function<void(const void* Sender, int Error, const std::string& Msg)>;
  using TOnBeforeRetrieve = std::function<void(TPop3Client& Sender, uint16_t MsgIndex)>;
  using TOnCodeProgressEvent = std::function<void(TPop3Client& Sender, uint16_t Percent)>;
  using TSocketNotifyEvent = std::function<void(TPop3Client& Sender, TClientSocket& Socket)>;
  using TToFromSocketEvent = std::function<void(TPop3Client& Sender, const std::string& s)>;

  TPop3Client();
  TPop3Client(const TPop3Client&) = delete;
  TPop3Client& operator=(const TPop3Client&) = delete;

  bool APOP = false;                   // log in with APOP instead of USER/PASS
  std::string UserId;                  // mailbox user name
  std::string UserPasswd;              // mailbox password (plain)
  std::string Port = "110";            // a text that is not a port number (1-65535) means 110
  std::string Host;                    // a dotted IPv4 address or a host name to look up
  uint16_t RetrieveProgressStep = 10;  // percentage step between two progress events
  bool GetUIDLsOnRetrieve = false;     // after each fetch also ask the message's unique id
  uint32_t TimeOut = 60000;            // ms any single wait for the server may last
  // TLS from the first byte, or STLS right after the greeting (a server that refuses it ends
  // the connection with an error: the password never goes out in plain text then).
  TMailSecurity Security = TMailSecurity::msNone;
  std::string CaFile;  // a PEM file of extra trusted certificates; empty for none
  // Login sends the password (USER/PASS) or its digest (APOP, which an eavesdropper can
  // attack offline) only over an encrypted connection, unless the user chose a plain one.
  bool PlainLoginAllowed = false;
  // The most bytes of lines one multi-line reply may bring.
  size_t MaxReplySize = size_t{256} << 20;
  // The most memory the lines of one multi-line reply may take once held (HeldLineCost each):
  // a mail up to MaxReplySize in lines of ordinary length fits, while one of endless short
  // lines is refused long before it could exhaust the memory.
  size_t MaxReplyMemory = size_t{384} << 20;
  // Lets the window system process pending messages (nothing in the command line program).
  std::function<void()> ProcessMessages;

  TNotifyEvent OnConnect;     // the socket reports the connection made
  TNotifyEvent OnDisconnect;  // the socket reports the connection closed
  TOnError OnError;
  TOnBeforeRetrieve OnBeforeRetrieve;  // at the start of each fetch, with the number
  TNotifyEvent OnAfterRetrieve;        // after a fetch that succeeded
  // During a fetch, at most once per chunk received: when Percent has reached NextProgress,
  // which then moves one RetrieveProgressStep on; at the end 100 once unless an event of 100
  // or more was already given.
  TOnCodeProgressEvent OnRetrieveProgress;
  TSocketNotifyEvent OnLookup, OnConnecting;
  TToFromSocketEvent OnSendTextToSocket;       // each command, exactly as sent
  TToFromSocketEvent OnReceiveTextFromSocket;  // each chunk, exactly as received

  // Run-time state.
  bool Connected() const {
    return state_ == TPop3State::Connected || state_ == TPop3State::LoggedIn;
  }
  bool LoggedIn() const {
    return state_ == TPop3State::LoggedIn || state_ == TPop3State::ClosedAfterLogin;
  }
  // Set by Cancel, cleared by Connect only.
  bool Cancelled() const { return cancelled_; }
  // The outcome of the last reply read ("-ERR", or none at all); also set by a failed open
  // and by every reported error. Cleared by Connect.
  bool ErrorFlag() const { return error_flag_; }
  // The status word and the text of the last reply's first line. When no reply could be
  // read: "" and the reason ("サーバーが接続を切りました。", a time-out, ...).
  const std::string& ReplyStatus() const { return reply_status_; }
  const std::string& ReplyText() const { return reply_text_; }
  // The greeting's text after its status word, kept for the APOP digest.
  const std::string& Greeting() const { return greeting_; }
  // The last multi-line reply was given up at MaxReplySize or MaxReplyMemory (the failure
  // reported as usual). Such a mail will never come through: its owner may pass it over.
  bool ReplyTooLarge() const { return reply_too_large_; }
  // From GetStat, within 0-65535 (message numbers travel as 16-bit numbers).
  uint16_t MessageCount() const { return message_count_; }
  uint16_t NewMessageCount() const { return new_message_count_; }
  bool LastSupported() const { return last_supported_; }
  // Progress of the current fetch: bytes of the reply so far (status line included) * 100 /
  // the size LIST gave, so values above 100 occur.
  uint16_t Percent() const { return percent_; }
  uint16_t NextProgress() const { return next_progress_; }
  TClientSocket& Socket() { return socket_; }

  // Opens the connection (closing an open one first) and reads the greeting; clears
  // MessageCount, LoggedIn and Cancelled. ErrorFlag tells whether it failed: a connection
  // that cannot be opened or a "-ERR" greeting set ErrorFlag only; a greeting that does not
  // come is reported through OnError with code 0. No usable connection is left open then.
  void Connect();
  // APOP with the greeting's time stamp, or USER and PASS. True when the server accepted;
  // otherwise OnError 2001 (also for APOP with a greeting that holds no time stamp, and,
  // with nothing sent, over a connection not encrypted unless PlainLoginAllowed).
  // Throws Exception "Invalid Op. Not connected." without a connection.
  bool Login();
  // STAT into MessageCount (OnError 2006 when refused), then LAST into NewMessageCount and
  // LastSupported; a refused LAST is no error (it is optional, and many servers lack it).
  void GetStat();
  // The unique-id listing: the list's lines become the listing's lines ("n id") on success.
  // OnError 2004 when refused or broken off, or when an id is not IsUsableUniqueId; false then
  // and when cancelled.
  bool GetUIDLs(TLineList& list);
  // The unique id of one message; "" and OnError 2006 when refused or not IsUsableUniqueId.
  std::string GetUIDL(uint16_t number);
  // The header block (TOP n 0) or the whole message (RETR n) into `msg`, asked in one write
  // together with LIST n (the size for the progress), so no round trip waits for LIST: its RawMail
  // becomes the dot-unstuffed lines, parsed at once (Parse; RawMail is then cleared unless the
  // message's ClearRawMailAfterParse is off), and its Size the size LIST gave (100 when LIST
  // gave none).
  // OnError 2004 when refused or broken off; false then and when cancelled (no event; the
  // connection stays open for Quit). Throws Exception "Not connected." without a connection.
  // `next`, when not 0, is the message the caller will fetch next the same way: its commands
  // go out as soon as this message has arrived, so the server sends it while this one is
  // parsed. A different call next costs nothing but the unread reply, which is read and
  // dropped first.
  bool RetrieveHeader(uint16_t number, TMailMessage& msg, uint16_t next = 0);
  bool Retrieve(uint16_t number, TMailMessage& msg, uint16_t next = 0);
  // Asks the running operation to stop: a wait for the server ends at its next slice, a
  // multi-line reception at its next line. The operation then fails without OnError and
  // leaves the connection open, but the rest of the reply is left unread, so only Quit is of
  // use afterwards. Until the next Connect every further wait for the server ends at once.
  void Cancel() { cancelled_ = true; }
  // QUIT (the reply is not awaited) and close; nothing when not connected.
  void Quit();

  // The primitives of the dialogue. SendText sends the whole text; ReadReply reads the first
  // line of a reply into ReplyStatus and ReplyText and sets ErrorFlag from it. Both return
  // false on failure; after a failure to send or receive they do nothing until Connect.
  bool SendText(const std::string& text);
  bool ReadReply();
  // The error routine: sets ErrorFlag, closes the connection and fires OnError with `code`
  // and ReplyText.
  void ReportError(int code);

 private:
  // The TLS steps of Connect (Pop3ClientTls.cpp); both report their own failures.
  bool StartTls();
  bool Stls();
  bool Fetch(uint16_t number, TMailMessage& msg, const std::string& command, uint16_t next);
  // The commands of a fetch (LIST n and RETR n, or TOP n 0) in one write.
  bool SendFetch(uint16_t number, const std::string& command);
  // Reads and drops the replies of a fetch sent ahead that is not wanted after all.
  bool DropFetchAhead();
  // Sends several commands in one write (each still reported by OnSendTextToSocket).
  bool SendTexts(std::initializer_list<std::string> texts);
  // Ends a failed operation through ReportError, or quietly when Cancel ended it.
  void Fail(int code);
  // Reads a multi-line reply after its status line; false (and the reason in ReplyText when
  // not cancelled) when it did not end properly.
  bool ReceiveLines(std::vector<std::string>& lines, const std::function<void()>& perChunk);
  void IoFailed(const std::string& reason);
  // The connection opened or ended; whether the dialogue had logged in stays as it was.
  void MarkConnected();
  void MarkClosed();
  void UpdateProgress(uint64_t bytes, int64_t size);

  TClientSocket socket_;
  TCountingSource tap_{socket_};
  // Receives of up to 16 KiB: small ones cost a wait and a call per KiB of mail.
  TLineReader reader_{tap_, 16384};
  TPop3State state_ = TPop3State::Disconnected;
  bool cancelled_ = false;
  bool reading_ = false;          // waiting for the server: Cancel may end the wait
  bool reply_cancelled_ = false;  // the last reply was given up by Cancel
  bool reply_too_large_ = false;
  bool error_flag_ = false;
  bool io_failed_ = false;
  std::string reply_status_;
  std::string reply_text_;
  std::string greeting_;
  uint16_t message_count_ = 0;
  uint16_t new_message_count_ = 0;
  bool last_supported_ = false;
  uint16_t percent_ = 0;
  uint16_t next_progress_ = 0;
  uint16_t reported_ = 0;  // the last Percent OnRetrieveProgress was given in this fetch
  // A fetch whose commands went out ahead of its call (0: none); its replies are unread.
  uint16_t ahead_number_ = 0;
  std::string ahead_command_;
};

}  // namespace moriva
