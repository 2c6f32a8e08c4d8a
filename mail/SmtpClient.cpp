#include "mail/SmtpClient.h"

#include "base/IntText.h"
#include "mail/MailMessage.h"

namespace moriva {

namespace {

constexpr char kCrLf[] = "\r\n";
// A reply longer than this many lines is not a reply but a server that never stops.
constexpr int kMaxReplyLines = 1000;
constexpr size_t kKeptReplyLines = 100;
constexpr size_t kKeptReplyLineLength = 512;
// The message lines go out in blocks of about this size instead of one packet per line.
constexpr size_t kDataBlock = 32 * 1024;

}  // namespace

TSmtpClient::TSmtpClient() {
  socket_.OnConnect = [this](TClientSocket& s) {
    connected_ = true;
    if (OnConnect) OnConnect(s);
  };
  socket_.OnDisconnect = [this](TClientSocket& s) {
    connected_ = false;
    if (OnQuit) OnQuit(s);
  };
  socket_.OnLookup = [this](TClientSocket& s) {
    if (OnLookup) OnLookup(*this, s);
  };
  socket_.OnConnecting = [this](TClientSocket& s) {
    if (OnConnecting) OnConnecting(*this, s);
  };
  // A failing send or receive: the same report as a refused reply, but from the socket, with
  // the socket's code and text. The code stays set, so the socket raises its error afterwards.
  socket_.OnError = [this](TClientSocket& s, TErrorEvent event, int& code) {
    error_flag_ = true;
    io_failed_ = true;
    reply_code_.clear();
    reply_text_ = SocketErrorText(code, event == TErrorEvent::eeSend ? "send" : "recv");
    s.Close();
    if (OnError) OnError(&s, code, reply_text_);
  };
  socket_.ProcessMessages = [this] {
    if (ProcessMessages) ProcessMessages();
  };
}

void TSmtpClient::IoFailed(const std::string& reason) {
  io_failed_ = true;
  reply_code_.clear();
  reply_text_ = reason;
}

bool TSmtpClient::SendText(const std::string& text) {
  if (io_failed_) return false;
  socket_.TimeOut = TimeOut;
  TIoResult result = socket_.Send(text);
  if (result != TIoResult::ioOk) {
    IoFailed(LineFailureText(ToLineResult(result)));
    return false;
  }
  if (OnSendTextToSocket) OnSendTextToSocket(*this, text);
  return true;
}

bool TSmtpClient::ReadReply() {
  if (io_failed_) return false;
  socket_.TimeOut = TimeOut;
  std::string line;
  reply_lines_.clear();
  // Lines whose fourth character is "-" announce more lines; the last one carries the code.
  for (int count = 0;; ++count) {
    TLineResult result = reader_.ReadLine(line);
    if (result != TLineResult::lrLine) {
      IoFailed(LineFailureText(result));
      return false;
    }
    if (count == kMaxReplyLines) {
      IoFailed(std::string(kReplyTooLongText));
      return false;
    }
    reply_code_ = Trim(std::string_view(line).substr(0, 3));
    reply_text_ = line.size() > 3 ? Trim(std::string_view(line).substr(3, 64)) : std::string();
    // Kept for the EHLO extensions: a few short lines, however much a server sends.
    if (reply_lines_.size() < kKeptReplyLines)
      reply_lines_.push_back(line.size() > 4 ? line.substr(4, kKeptReplyLineLength) : "");
    if (line.size() < 4 || line[3] != '-') break;
  }
  if (OnReceiveTextFromSocket) OnReceiveTextFromSocket(*this, line + kCrLf);
  return true;
}

bool TSmtpClient::Expect(const char* code) {
  if (!error_flag_ && reply_code_ != code) error_flag_ = true;
  return !error_flag_;
}

void TSmtpClient::ReportError() {
  error_flag_ = true;
  socket_.Close();
  connected_ = false;
  // A code that is no number (nothing was read, or the server sent garbage) gives 0.
  if (OnError) OnError(this, TryStrToInt(reply_code_).value_or(0), reply_text_);
}

void TSmtpClient::Connect() {
  std::optional<int32_t> port = TryStrToInt(Trim(Port));
  socket_.Port = (port && *port > 0 && *port < 65536) ? *port : 25;
  if (IsDottedAddress(Host))
    socket_.SetAddress(Host);
  else
    socket_.SetHost(Host);
  error_flag_ = false;
  io_failed_ = false;
  reply_code_.clear();
  reply_text_.clear();
  socket_.TimeOut = TimeOut;
  try {
    if (!socket_.Connected()) reader_.Clear();
    socket_.Open();
  } catch (const ESocketError&) {
    error_flag_ = true;
    return;
  }
  if (Security == TMailSecurity::msTls && !StartTls()) return;
  ReadReply();
  if (!Expect("220")) {
    ReportError();
    return;
  }
  Greet();
}

bool TSmtpClient::Send(TMailMessage& msg) {
  if (!connected_) throw Exception("Not connected.");
  if (msg.From.empty()) throw Exception("\"From\" field not specified.");
  if (msg.SendTo.empty()) throw Exception("\"SendTo\" field not specified.");

  if (msg.UserName.empty()) {
    // Servers that know the sender tell the name as "250 Name <address>".
    SendText("VRFY " + msg.From + kCrLf);
    if (ReadReply() && reply_code_ == "250") {
      size_t lt = reply_text_.find('<');
      if (lt != std::string::npos && lt > 1) msg.UserName = reply_text_.substr(0, lt - 1);
    }
  }
  msg.Date = msg.MailDateNow();
  if (msg.RawMail.Empty()) msg.FillRawMail();
  if (OnBeforeSend) OnBeforeSend(*this);

  const std::string sender = PlainAddress(msg.From, false);
  const std::vector<std::string> groups[] = {AddressList(msg.SendTo), AddressList(msg.CC),
                                             AddressList(msg.BCC)};
  for (const auto& group : groups) {
    if (SendToGroup(sender, group, msg.RawMail) <= 0) {
      ReportError();
      break;  // the connection is closed now
    }
  }
  if (percent_ < 100 && OnSendProgress) OnSendProgress(*this, 100);
  if (OnAfterSend) OnAfterSend(*this);
  return true;
}

bool TSmtpClient::FlushData(std::string& pending) {
  if (pending.empty()) return true;
  if (io_failed_) return false;
  TIoResult result = socket_.Send(pending);
  pending.clear();
  if (result != TIoResult::ioOk && !io_failed_) IoFailed(LineFailureText(ToLineResult(result)));
  return result == TIoResult::ioOk;
}

int TSmtpClient::SendToGroup(const std::string& sender, const std::vector<std::string>& addresses,
                             const TLineList& lines) {
  if (addresses.empty()) return 1;
  SendText("MAIL FROM:<" + sender + ">" + kCrLf);
  ReadReply();
  if (!Expect("250")) return -1;
  for (const std::string& address : addresses) {
    SendText("RCPT TO:<" + address + ">" + kCrLf);
    ReadReply();
    if (!Expect("250")) return -2;
  }
  SendText(std::string("DATA") + kCrLf);
  ReadReply();
  if (!Expect("354")) return -3;

  socket_.TimeOut = TimeOut;
  uint32_t threshold = SendProgressStep;
  const size_t n = lines.Count();
  std::string pending;
  for (size_t i = 0; i < n; ++i) {
    std::string text = lines[i] + kCrLf;
    pending += text;
    if (pending.size() >= kDataBlock && !FlushData(pending)) {
      error_flag_ = true;
      return -6;
    }
    if (OnSendTextToSocket) OnSendTextToSocket(*this, text);
    percent_ = static_cast<uint16_t>(RoundedPercent(i + 1, n));
    if (percent_ >= threshold) {
      if (OnSendProgress) OnSendProgress(*this, percent_);
      threshold += SendProgressStep;
    }
    if (ProcessMessages) ProcessMessages();
  }
  if (!FlushData(pending)) {
    error_flag_ = true;
    return -6;
  }
  SendText(std::string(kCrLf) + "." + kCrLf);
  ReadReply();
  if (!Expect("250")) return -4;
  SendText(std::string("RSET") + kCrLf);
  ReadReply();
  if (!Expect("250")) return -5;
  if (OnSendProgress) OnSendProgress(*this, 100);
  return 1;
}

void TSmtpClient::Quit() {
  if (!connected_) return;
  SendText(std::string("QUIT") + kCrLf);
  ReadReply();
  if (!Expect("221")) ReportError();
  socket_.Close();
  connected_ = false;
}

std::string PlainAddress(std::string_view text, bool brackets) {
  std::string s(text);
  for (size_t open = s.find('('); open != std::string::npos; open = s.find('(')) {
    size_t close = s.find(')', open + 1);
    if (close == std::string::npos) break;
    s.erase(open, close - open + 1);
  }
  s = Trim(s);
  size_t lt = s.find('<'), gt = s.find('>');
  if (lt != std::string::npos && gt != std::string::npos) {
    // With ">" before "<" nothing lies between them.
    s = gt > lt ? s.substr(lt + 1, gt - lt - 1) : std::string();
  }
  return brackets ? "<" + s + ">" : s;
}

std::vector<std::string> AddressList(std::string_view text) {
  std::string s = Trim(text);
  std::vector<std::string> list;
  if (s.empty()) return list;
  for (size_t q = s.find('"'); q != std::string::npos; q = s.find('"', q)) {
    s.erase(q, 1);
    size_t end = s.find('"', q);
    if (end == std::string::npos) break;
    s.erase(q, end - q + 1);
  }
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  size_t start = 0;
  for (;;) {
    size_t comma = s.find(',', start);
    std::string address =
        PlainAddress(std::string_view(s).substr(
                         start, comma == std::string::npos ? std::string::npos : comma - start),
                     false);
    // "a@x, b@y," is two recipients; an empty RCPT TO would make the server refuse them all.
    if (!address.empty()) list.push_back(std::move(address));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return list;
}

}  // namespace moriva
