// A whole SMTP delivery against a server whose every byte the fuzzer chooses: greeting, EHLO
// (its extension lines, HELO when refused), STARTTLS and AUTH when chosen, VRFY, then for
// each recipient group MAIL FROM, RCPT TO, DATA, the end of data and RSET,
// and QUIT; any reply may be multi-line. The bytes reach the client through its real socket
// and line reader, cut into pieces wherever the fuzzer likes. Whatever the server says, a
// failure must surface as the client's error (ErrorFlag and OnError, the connection closed)
// or one of its documented exceptions, the client must never wait for bytes that cannot
// come, and nothing the server says may reach the mail or the commands as a line break. No
// password goes out on a connection that is not encrypted unless plain AUTH was allowed, and
// nothing at all after a TLS handshake the server broke (it cannot complete one here).
#include <chrono>
#include <cstdint>
#include <string>

#include "fuzz/MailSession.h"
#include "mail/MailMessage.h"
#include "mail/SmtpClient.h"

using namespace moriva;
using namespace moriva::fuzz;

namespace {

// Fixed, so that every run composes the same mail.
TMailTime FixedTime() {
  return TMailTime(std::chrono::seconds(1796000000));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TSessionInput in = CarveSession(data, size);
  TLoopbackPeer& peer = TLoopbackPeer::Instance();
  peer.Start(in.Server, in.Cuts);
  const uint8_t flags = in.Choice[0];
  {
    TSmtpClient smtp;
    smtp.Host = "127.0.0.1";
    smtp.Port = std::to_string(peer.Port());
    smtp.TimeOut = 2000;
    smtp.SendProgressStep = static_cast<uint16_t>(in.Choice[1] % 40);
    if (flags & 16) smtp.Security = TMailSecurity::msStartTls;
    if (flags & 32) {
      smtp.AuthUser = "taro";
      smtp.AuthPassword = "secret";
    }
    smtp.PlainAuthAllowed = flags & 64;
    bool tlsFailed = false;
    int errors = 0;
    smtp.ProcessMessages = [&peer] { peer.Pump(); };
    smtp.OnError = [&](const void*, int, const std::string& msg) {
      ++errors;
      tlsFailed = tlsFailed || msg.find(" と TLS で接続できません") != std::string::npos;
      // No wait is long here; a time-out text the server sent itself may come back in the message.
      if (in.Server.find("時間内にありません") == std::string_view::npos)
        FUZZ_CHECK(msg.find("時間内にありません") == std::string::npos);
      FUZZ_CHECK(smtp.ErrorFlag());
      FUZZ_CHECK(!smtp.Connected());
    };
    smtp.OnSendTextToSocket = [&](TSmtpClient&, const std::string& s) {
      FUZZ_CHECK(!tlsFailed);
      if (s.rfind("AUTH", 0) == 0) FUZZ_CHECK(smtp.Socket().Encrypted() || smtp.PlainAuthAllowed);
      if (s != "\r\n.\r\n") CheckOneLine(s);  // the end of data is the one text of two lines
      FUZZ_CHECK(s != ".\r\n");               // a lone dot would end the mail early
    };
    smtp.OnSendProgress = [](TSmtpClient&, uint16_t percent) { FUZZ_CHECK(percent <= 100); };
    auto checkReply = [&] {
      CheckNoTimeOut(smtp.ReplyText(), in.Server);
      FUZZ_CHECK(smtp.ReplyCode().size() <= 3);
      FUZZ_CHECK(smtp.ReplyText().size() <= 64 || smtp.ReplyCode().empty());
    };

    smtp.Connect();
    checkReply();
    FUZZ_CHECK(smtp.Connected() != smtp.ErrorFlag());

    TMailMessage msg;
    msg.Clock = FixedTime;
    msg.ZoneBias = [](TMailTime) { return -540; };
    msg.From = "Taro <taro@example.jp>";
    msg.SendTo = flags & 1 ? "hanako@example.jp, jiro@example.jp" : "hanako@example.jp";
    if (flags & 2) msg.CC = "saburo@example.jp";
    if (flags & 4) msg.BCC = "shiro@example.jp";
    if (flags & 8) msg.UserName = "Taro";  // no VRFY then
    msg.Subject = "mrv";
    msg.Text.SetText(".\r\n..two dots\r\nlast line\r\n");
    const int before = errors;
    bool sent = false;
    if (Step([&] { sent = smtp.Send(msg); }, {"Not connected."})) {
      FUZZ_CHECK(sent);
      checkReply();
      FUZZ_CHECK(smtp.ErrorFlag() == (errors > before));
      if (smtp.ErrorFlag()) FUZZ_CHECK(!smtp.Connected());
      // The name the server told goes into the From line of the mail: one line still.
      for (const std::string& line : msg.RawMail.Lines())
        FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
    }

    Step([&] { smtp.Quit(); }, {});
    checkReply();
    FUZZ_CHECK(!smtp.Connected());
  }
  peer.Finish();
  return 0;
}
