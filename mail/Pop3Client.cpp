#include "mail/Pop3Client.h"

#include <algorithm>

#include "base/Exception.h"
#include "base/IntText.h"
#include "mail/MailMessage.h"
#include "mail/MimeParser.h"

namespace moriva {

namespace {

constexpr char kCrLf[] = "\r\n";
constexpr char kBadUniqueIdText[] =
    "サーバーが不正な UIDL を返しました (制御文字を含むか長すぎます)。";

// A size for a message: whole MiB when it is a multiple of one, else bytes.
std::string SizeText(size_t bytes) {
  constexpr size_t kMiB = size_t{1} << 20;
  if (bytes % kMiB == 0) return std::to_string(bytes / kMiB) + " MiB";
  return std::to_string(bytes) + " バイト";
}

uint16_t Clamp16(int64_t value) {
  return static_cast<uint16_t>(std::clamp<int64_t>(value, 0, UINT16_MAX));
}

}  // namespace

TPop3Client::TPop3Client() {
  socket_.OnConnect = [this](TClientSocket&) {
    MarkConnected();
    if (OnConnect) OnConnect(*this);
  };
  socket_.OnDisconnect = [this](TClientSocket&) {
    MarkClosed();
    ahead_number_ = 0;
    if (OnDisconnect) OnDisconnect(*this);
  };
  socket_.OnLookup = [this](TClientSocket& s) {
    if (OnLookup) OnLookup(*this, s);
  };
  socket_.OnConnecting = [this](TClientSocket& s) {
    if (OnConnecting) OnConnecting(*this, s);
  };
  // A failing send or receive: reported like a refusal, but from the socket, with its code
  // and text. The code stays set, so the socket raises its error to the operation afterwards.
  socket_.OnError = [this](TClientSocket& s, TErrorEvent event, int& code) {
    IoFailed(SocketErrorText(code, event == TErrorEvent::eeSend ? "send" : "recv"));
    s.Close();
    MarkClosed();
    if (OnError) OnError(&s, code, reply_text_);
  };
  socket_.ProcessMessages = [this] {
    if (ProcessMessages) ProcessMessages();
  };
  // Only waits for the server give way to Cancel; QUIT after a cancel must still go out.
  socket_.IsCancelled = [this] { return reading_ && cancelled_; };
  tap_.OnChunk = [this](std::string_view chunk) {
    if (OnReceiveTextFromSocket) OnReceiveTextFromSocket(*this, std::string(chunk));
  };
}

void TPop3Client::MarkConnected() {
  if (state_ == TPop3State::Disconnected)
    state_ = TPop3State::Connected;
  else if (state_ == TPop3State::ClosedAfterLogin)
    state_ = TPop3State::LoggedIn;
}

void TPop3Client::MarkClosed() {
  if (state_ == TPop3State::Connected)
    state_ = TPop3State::Disconnected;
  else if (state_ == TPop3State::LoggedIn)
    state_ = TPop3State::ClosedAfterLogin;
}

void TPop3Client::IoFailed(const std::string& reason) {
  io_failed_ = true;
  error_flag_ = true;
  reply_status_.clear();
  reply_text_ = reason;
}

bool TPop3Client::SendText(const std::string& text) {
  return SendTexts({text});
}

bool TPop3Client::SendTexts(std::initializer_list<std::string> texts) {
  if (io_failed_) return false;
  if (!socket_.Connected()) {
    IoFailed("Not connected.");
    return false;
  }
  if (!DropFetchAhead()) return false;
  if (ProcessMessages) ProcessMessages();
  socket_.TimeOut = TimeOut;
  std::string all;
  for (const std::string& text : texts) all += text;
  TIoResult result = socket_.Send(all);
  if (result != TIoResult::ioOk) {
    if (!io_failed_) IoFailed(LineFailureText(ToLineResult(result)));
    return false;
  }
  if (OnSendTextToSocket)
    for (const std::string& text : texts) OnSendTextToSocket(*this, text);
  return true;
}

bool TPop3Client::ReadReply() {
  reply_cancelled_ = false;
  if (io_failed_) return false;
  socket_.TimeOut = TimeOut;
  std::string line;
  reading_ = true;
  TLineResult result = reader_.ReadLine(line);
  reading_ = false;
  if (result == TLineResult::lrCancelled) {
    // The reply is still to come; the connection is good for QUIT and nothing else.
    reply_cancelled_ = true;
    error_flag_ = true;
    reply_status_.clear();
    reply_text_ = LineFailureText(result);
    return false;
  }
  if (result != TLineResult::lrLine) {
    if (!io_failed_) IoFailed(LineFailureText(result));
    return false;
  }
  TPop3Status status = ParsePop3Status(line);
  reply_status_ = std::move(status.Status);
  reply_text_ = std::move(status.Text);
  error_flag_ = status.Error;
  return !error_flag_;
}

void TPop3Client::Fail(int code) {
  if (!reply_cancelled_) ReportError(code);
}

void TPop3Client::ReportError(int code) {
  error_flag_ = true;
  socket_.Close();
  MarkClosed();
  if (OnError) OnError(this, code, reply_text_);
}

void TPop3Client::Connect() {
  message_count_ = 0;
  // The login of the last dialogue is forgotten; the connection itself is closed below.
  state_ = Connected() ? TPop3State::Connected : TPop3State::Disconnected;
  cancelled_ = false;
  std::optional<int32_t> port = TryStrToInt(Port);
  socket_.Port = (port && *port > 0 && *port < 65536) ? *port : 110;
  if (IsDottedAddress(Host))
    socket_.SetAddress(Host);
  else
    socket_.SetHost(Host);
  // A second Connect starts a new dialogue; the old connection would only give stale lines.
  socket_.Close();
  reader_.Clear();
  ahead_number_ = 0;
  error_flag_ = false;
  io_failed_ = false;
  reply_too_large_ = false;
  reply_status_.clear();
  reply_text_.clear();
  greeting_.clear();
  socket_.TimeOut = TimeOut;
  try {
    socket_.Open();
  } catch (const ESocketError&) {
    error_flag_ = true;
    return;
  }
  if (!Connected()) return;
  if (Security == TMailSecurity::msTls && !StartTls()) return;
  bool read = ReadReply();
  greeting_ = reply_text_;
  if (io_failed_) {
    ReportError(0);
  } else if (!read) {
    // A refusing server leaves nothing to talk to.
    socket_.Close();
    MarkClosed();
  } else if (Security == TMailSecurity::msStartTls) {
    Stls();
  }
}

bool TPop3Client::Login() {
  if (!Connected()) throw Exception("Invalid Op. Not connected.");
  if (!socket_.Encrypted() && !PlainLoginAllowed) {
    reply_status_.clear();
    reply_text_ = "暗号化されていない接続ではサーバー " + Host + ":" +
                  std::to_string(socket_.Port) +
                  " にパスワードを送りません。受信の暗号化 (popsecurity) を選んでください";
    ReportError(kPop3LoginError);
    return false;
  }
  if (APOP) {
    std::string stamp = ApopTimeStamp(greeting_);
    if (stamp.empty() || !IsApopTimeStamp(stamp)) {
      reply_status_.clear();
      reply_text_ = stamp.empty()
                        ? "APOP is not possible: the server's greeting holds no time stamp."
                        : "APOP is not possible: the server's time stamp is not of the form "
                          "<...@...>.";
      ReportError(kPop3LoginError);
      return false;
    }
    SendText("APOP " + UserId + " " + ApopDigest(stamp, UserPasswd) + kCrLf);
    ReadReply();
  } else {
    SendText("USER " + UserId + kCrLf);
    if (ReadReply()) {
      SendText("PASS " + UserPasswd + kCrLf);
      ReadReply();
    }
  }
  if (error_flag_) {
    Fail(kPop3LoginError);
    return false;
  }
  // A callback may have closed the connection meanwhile: the login still counts until the
  // next Connect, as it does after any other close.
  state_ = Connected() ? TPop3State::LoggedIn : TPop3State::ClosedAfterLogin;
  return true;
}

void TPop3Client::GetStat() {
  SendText(std::string("STAT") + kCrLf);
  if (!ReadReply()) {
    Fail(kPop3StatError);
    return;
  }
  message_count_ = Clamp16(Pop3Number(reply_text_, 1, 0));
  new_message_count_ = 0;
  last_supported_ = true;
  SendText(std::string("LAST") + kCrLf);
  if (ReadReply()) {
    new_message_count_ = Clamp16(int64_t{message_count_} - Pop3Number(reply_text_, 1, 0));
  } else {
    last_supported_ = false;
    if (io_failed_) ReportError(kPop3StatError);
  }
}

std::string TPop3Client::GetUIDL(uint16_t number) {
  SendText("UIDL " + std::to_string(number) + kCrLf);
  if (!ReadReply()) {
    Fail(kPop3StatError);
    return {};
  }
  const size_t blank = reply_text_.find(' ');
  std::string id = blank == std::string::npos ? reply_text_ : reply_text_.substr(blank + 1);
  if (IsUsableUniqueId(id)) return id;
  reply_text_ = kBadUniqueIdText;
  ReportError(kPop3StatError);
  return {};
}

bool TPop3Client::ReceiveLines(std::vector<std::string>& lines,
                               const std::function<void()>& perChunk) {
  uint64_t seen = tap_.Chunks();
  auto turn = [&] {
    if (perChunk && tap_.Chunks() != seen) {
      seen = tap_.Chunks();
      perChunk();
    }
    return !cancelled_;
  };
  reading_ = true;
  socket_.TimeOut = TimeOut;
  // A mail line over the reader's limit is cut rather than failing the reply: otherwise one
  // hostile mail would stop every later receive at the same place.
  reader_.CutLongLines = true;
  reader_.MaxCutLineLength = MaxReplySize;
  TReplyBudget budget{.MaxBytes = MaxReplySize, .MaxMemory = MaxReplyMemory};
  TLineResult result = ReceiveMultiLine(reader_, lines, budget, turn);
  reader_.CutLongLines = false;
  reading_ = false;
  reply_too_large_ = false;
  if (result == TLineResult::lrLine) return true;
  reply_cancelled_ = result == TLineResult::lrCancelled;
  // Over either budget: the reader's own line limit is not reached here (long lines are cut).
  reply_too_large_ = result == TLineResult::lrTooLong;
  if (!reply_cancelled_ && !io_failed_) {
    if (budget.OverMemory)
      IoFailed("メールが大きすぎます (受信に " + SizeText(MaxReplyMemory) +
               " を超えるメモリが要ります)。");
    else
      IoFailed(result == TLineResult::lrTooLong ? std::string(kReplyTooLongText)
                                                : LineFailureText(result));
  }
  return false;
}

void TPop3Client::UpdateProgress(uint64_t bytes, int64_t size) {
  // A size of 0 (or less) cannot scale anything; the closing 100 still comes.
  if (size <= 0) return;
  percent_ = static_cast<uint16_t>(
      std::min<uint64_t>(RoundedPercent(bytes, static_cast<uint64_t>(size)), UINT16_MAX));
  if (percent_ >= next_progress_) {
    if (OnRetrieveProgress) OnRetrieveProgress(*this, percent_);
    reported_ = percent_;
    next_progress_ = Clamp16(int64_t{next_progress_} + RetrieveProgressStep);
  }
}

bool TPop3Client::SendFetch(uint16_t number, const std::string& command) {
  const std::string n = std::to_string(number);
  // LIST and the fetch go out together: the fetch does not depend on the size, and waiting
  // for the LIST reply first would cost one round trip per mail.
  return SendTexts(
      {"LIST " + n + kCrLf, command + " " + n + (command == "TOP" ? " 0" : "") + kCrLf});
}

bool TPop3Client::DropFetchAhead() {
  if (ahead_number_ == 0) return true;
  ahead_number_ = 0;
  ReadReply();  // LIST
  if (io_failed_ || reply_cancelled_) return false;
  if (!ReadReply()) return !io_failed_ && !reply_cancelled_;  // a refusal brings no lines
  std::vector<std::string> lines;
  return ReceiveLines(lines, nullptr);
}

bool TPop3Client::Fetch(uint16_t number, TMailMessage& msg, const std::string& command,
                        uint16_t next) {
  if (!Connected()) throw Exception("Not connected.");
  reply_too_large_ = false;
  if (OnBeforeRetrieve) OnBeforeRetrieve(*this, number);
  if (ahead_number_ == number && ahead_command_ == command)
    ahead_number_ = 0;  // already asked for
  else
    SendFetch(number, command);
  ReadReply();  // a refused LIST only leaves the size unknown
  if (io_failed_ || reply_cancelled_) {
    Fail(kPop3FetchError);
    return false;
  }
  const int64_t size = Pop3Number(reply_text_, 2, 100);
  // Everything received from here on belongs to the reply (a server does not speak unasked).
  const uint64_t start = tap_.Bytes() - reader_.Buffered();
  if (!ReadReply()) {
    Fail(kPop3FetchError);
    return false;
  }
  next_progress_ = RetrieveProgressStep;
  percent_ = 0;
  reported_ = 0;
  std::vector<std::string> lines;
  auto progress = [&] { UpdateProgress(tap_.Bytes() - start, size); };
  if (!ReceiveLines(lines, progress)) {
    Fail(kPop3FetchError);
    return false;
  }
  // The last step may have moved NextProgress past 100 before the reply was complete: the
  // owner is still told that the fetch is done.
  if (reported_ < 100 && OnRetrieveProgress) OnRetrieveProgress(*this, 100);
  // The unique id is asked before the next fetch goes out: replies come in order.
  std::string uidl;
  if (GetUIDLsOnRetrieve) uidl = GetUIDL(number);
  if (next != 0 && Connected() && !io_failed_ && SendFetch(next, command)) {
    ahead_number_ = next;
    ahead_command_ = command;
  }
  // The lines become the message's raw lines and are parsed at once (without a copy).
  msg.RawMail.Assign(std::move(lines));
  Parse(msg);
  msg.Size = size;
  if (GetUIDLsOnRetrieve) msg.UIDL = std::move(uidl);
  if (OnAfterRetrieve) OnAfterRetrieve(*this);
  return true;
}

bool TPop3Client::RetrieveHeader(uint16_t number, TMailMessage& msg, uint16_t next) {
  return Fetch(number, msg, "TOP", next);
}

bool TPop3Client::Retrieve(uint16_t number, TMailMessage& msg, uint16_t next) {
  return Fetch(number, msg, "RETR", next);
}

bool TPop3Client::GetUIDLs(TLineList& list) {
  SendText(std::string("UIDL") + kCrLf);
  if (!ReadReply()) {
    Fail(kPop3FetchError);
    return false;
  }
  std::vector<std::string> lines;
  if (!ReceiveLines(lines, nullptr)) {
    Fail(kPop3FetchError);
    return false;
  }
  for (const std::string& line : lines) {
    const size_t blank = line.find(' ');
    if (!IsUsableUniqueId(blank == std::string::npos ? line : line.substr(blank + 1))) {
      reply_status_.clear();
      reply_text_ = kBadUniqueIdText;
      ReportError(kPop3FetchError);
      return false;
    }
  }
  list.Assign(std::move(lines));
  return true;
}

void TPop3Client::Quit() {
  if (!Connected()) return;
  ahead_number_ = 0;  // the connection closes: a reply still coming does not matter
  SendText(std::string("QUIT") + kCrLf);
  socket_.Close();
  MarkClosed();
  if (ProcessMessages) ProcessMessages();
}

}  // namespace moriva
