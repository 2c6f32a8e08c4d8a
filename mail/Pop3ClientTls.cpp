// The POP3 client's TLS: implicit TLS before the greeting, or STLS right after it.
#include "mail/Pop3Client.h"

namespace moriva {

bool TPop3Client::StartTls() {
  try {
    socket_.StartTls(CaFile);
    return true;
  } catch (const ETlsError& e) {
    IoFailed(e.what());
    MarkClosed();
    // A cancel during the handshake ends quietly, as every other cancelled wait does.
    if (cancelled_) return false;
    ReportError(0);
    return false;
  }
}

bool TPop3Client::Stls() {
  SendText("STLS\r\n");
  if (!ReadReply()) {
    if (reply_cancelled_) {
      socket_.Close();
      MarkClosed();
    } else {
      if (!io_failed_)
        reply_text_ = "サーバー " + Host + ":" + std::to_string(socket_.Port) +
                      " は STLS に対応していません (" + reply_text_ + ")";
      ReportError(0);
    }
    error_flag_ = true;
    return false;
  }
  // Whatever came with the plain answer is not to be trusted inside the encrypted session.
  reader_.Clear();
  return StartTls();
}

}  // namespace moriva
