// The SMTP client's greeting: EHLO (HELO for servers that refuse it), STARTTLS and EHLO again
// when asked, and AUTH when a user is set.
#include "mail/EncodedWord.h"
#include "mail/SmtpClient.h"

namespace moriva {

namespace {
constexpr char kCrLf[] = "\r\n";
}  // namespace

std::string TSmtpClient::ServerLabel() const {
  return Host + ":" + std::to_string(socket_.Port);
}

void TSmtpClient::Refuse(const std::string& text) {
  reply_code_.clear();
  reply_text_ = text;
  ReportError();
}

bool TSmtpClient::StartTls() {
  try {
    socket_.StartTls(CaFile);
    return true;
  } catch (const ETlsError& e) {
    io_failed_ = true;
    Refuse(e.what());
    return false;
  }
}

bool TSmtpClient::Hello(const std::string& local) {
  extensions_ = {};
  SendText("EHLO " + local + kCrLf);
  if (!ReadReply()) return false;
  if (reply_code_ == "250") {
    // The first line is the server's greeting; each further line names one extension.
    for (size_t i = 1; i < reply_lines_.size(); ++i) extensions_.AddLine(reply_lines_[i]);
    return true;
  }
  SendText("HELO " + local + kCrLf);
  ReadReply();
  return reply_code_ == "250";
}

bool TSmtpClient::Authenticate() {
  const std::string mechanism = ChooseAuthMechanism(extensions_);
  if (mechanism.empty()) {
    Refuse("サーバー " + ServerLabel() + " は AUTH PLAIN / LOGIN に対応していません");
    return false;
  }
  bool ok = true;
  if (mechanism == "PLAIN") {
    SendText("AUTH PLAIN " + AuthPlainResponse(AuthUser, AuthPassword) + kCrLf);
  } else {
    SendText(std::string("AUTH LOGIN") + kCrLf);
    ReadReply();
    ok = Expect("334");
    if (ok) SendText(Base64EncodeText(AuthUser) + kCrLf);
    if (ok) ReadReply();
    ok = ok && Expect("334");
    if (ok) SendText(Base64EncodeText(AuthPassword) + kCrLf);
  }
  if (ok) ReadReply();
  if (ok && Expect("235")) return true;
  ReportError();
  return false;
}

void TSmtpClient::Greet() {
  std::string local = socket_.LocalHost();
  if (IsDottedAddress(local)) local = "[" + local + "]";
  if (!Hello(local)) {
    error_flag_ = true;
    ReportError();
    return;
  }
  if (Security == TMailSecurity::msStartTls) {
    if (!extensions_.StartTls) {
      Refuse("サーバー " + ServerLabel() + " は STARTTLS に対応していません");
      return;
    }
    SendText(std::string("STARTTLS") + kCrLf);
    ReadReply();
    if (!Expect("220")) {
      ReportError();
      return;
    }
    // Whatever came with the plain answer is not to be trusted inside the encrypted session.
    reader_.Clear();
    if (!StartTls()) return;
    if (!Hello(local)) {
      error_flag_ = true;
      ReportError();
      return;
    }
  }
  if (AuthUser.empty()) return;
  if (!socket_.Encrypted() && !PlainAuthAllowed) {
    Refuse("暗号化されていない接続ではサーバー " + ServerLabel() +
           " にパスワードを送りません。送信の暗号化を選んでください");
    return;
  }
  Authenticate();
}

}  // namespace moriva
