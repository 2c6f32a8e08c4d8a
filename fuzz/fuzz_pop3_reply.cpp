// A whole POP3 session against a server whose every byte the fuzzer chooses: greeting, STLS
// when chosen (its handshake cannot succeed here, and nothing may follow it), login
// by USER/PASS or APOP, STAT and LAST, the UIDL listing, UIDL n, TOP, RETR (each after its
// LIST) and QUIT. The bytes reach the client through its real socket and line reader, cut
// into pieces wherever the fuzzer likes. Whatever the server says, a failure must surface as
// the client's error (ErrorFlag and OnError, the connection closed) or one of its documented
// exceptions, and the client must never wait for bytes that cannot come.
#include <cstdint>
#include <string>
#include <vector>

#include "base/LineList.h"
#include "fuzz/MailSession.h"
#include "mail/MailMessage.h"
#include "mail/MimeParser.h"
#include "mail/Pop3Client.h"

using namespace moriva;
using namespace moriva::fuzz;

namespace {

struct TRun {
  explicit TRun(std::string_view serverBytes) : server(serverBytes) {}
  std::string_view server;
  TPop3Client pop;
  int errors = 0;
  std::string received;
  std::vector<uint16_t> progress;
  int cancelAt = 0;  // cancel at this progress event (0: never)
  int progressEvents = 0;

  void CheckErrorState() {
    FUZZ_CHECK(pop.ErrorFlag());
    FUZZ_CHECK(!pop.Connected());
  }
  // An operation that failed without being cancelled told its owner, and left nothing open.
  void CheckFailure(bool ok, int errorsBefore) {
    CheckNoTimeOut(pop.ReplyText(), server);
    if (ok || pop.Cancelled()) return;
    FUZZ_CHECK(errors > errorsBefore);
    CheckErrorState();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TSessionInput in = CarveSession(data, size);
  TLoopbackPeer& peer = TLoopbackPeer::Instance();
  peer.Start(in.Server, in.Cuts);
  const uint8_t flags = in.Choice[0];
  const uint16_t number = in.Choice[2] % 8 + 1;
  {
    TRun run(in.Server);
    TPop3Client& pop = run.pop;
    pop.Host = "127.0.0.1";
    pop.Port = std::to_string(peer.Port());
    pop.TimeOut = 2000;
    pop.UserId = "taro";
    pop.UserPasswd = "secret";
    pop.APOP = flags & 1;
    pop.PlainLoginAllowed = !(flags & 8);
    pop.GetUIDLsOnRetrieve = flags & 2;
    pop.RetrieveProgressStep = static_cast<uint16_t>(flags >> 4);
    pop.MaxReplySize = flags & 4 ? 64 : size_t{256} << 20;
    run.cancelAt = in.Choice[1];
    if (in.Choice[2] & 0x80) pop.Security = TMailSecurity::msStartTls;
    pop.ProcessMessages = [&peer] { peer.Pump(); };
    pop.OnError = [&run](const void*, int, const std::string&) {
      ++run.errors;
      run.CheckErrorState();
    };
    pop.OnReceiveTextFromSocket = [&run](TPop3Client&, const std::string& s) { run.received += s; };
    pop.OnSendTextToSocket = [&pop](TPop3Client&, const std::string& s) {
      CheckOneLine(s);
      // With STLS chosen the password never goes out unencrypted.
      if (pop.Security != TMailSecurity::msNone)
        FUZZ_CHECK(s == "STLS\r\n" || pop.Socket().Encrypted());
      // Nor without an encryption unless a plain login was chosen.
      if (s.starts_with("USER") || s.starts_with("PASS") || s.starts_with("APOP"))
        FUZZ_CHECK(pop.PlainLoginAllowed || pop.Socket().Encrypted());
    };
    pop.OnBeforeRetrieve = [&run](TPop3Client&, uint16_t) { run.progress.clear(); };
    pop.OnRetrieveProgress = [&run](TPop3Client& p, uint16_t percent) {
      // Within one fetch the bytes only grow, and so does the percentage.
      FUZZ_CHECK(run.progress.empty() || percent >= run.progress.back());
      run.progress.push_back(percent);
      if (++run.progressEvents == run.cancelAt) p.Cancel();
    };

    const std::initializer_list<std::string_view> notConnected = {"Invalid Op. Not connected.",
                                                                  "Not connected."};
    pop.Connect();
    CheckNoTimeOut(pop.ReplyText(), in.Server);
    if (in.Server.find("時間内にありません") == std::string_view::npos)
      FUZZ_CHECK(pop.ReplyText().find("時間内にありません") == std::string::npos);
    if (pop.Security != TMailSecurity::msNone) FUZZ_CHECK(!pop.Connected());
    if (pop.ErrorFlag()) FUZZ_CHECK(!pop.Connected());
    if (!pop.ErrorFlag()) FUZZ_CHECK(pop.Connected());

    bool ok = false;
    int before = run.errors;
    if (Step([&] { ok = pop.Login(); }, notConnected)) {
      run.CheckFailure(ok, before);
      FUZZ_CHECK(ok == pop.LoggedIn());
      if (ok) FUZZ_CHECK(!pop.ErrorFlag());
    }

    Step([&] { pop.GetStat(); }, notConnected);
    CheckNoTimeOut(pop.ReplyText(), in.Server);

    TLineList uidls;
    before = run.errors;
    if (Step([&] { ok = pop.GetUIDLs(uidls); }, notConnected)) {
      run.CheckFailure(ok, before);
      if (ok) FUZZ_CHECK(!pop.ErrorFlag());
      size_t bytes = 0;
      for (const std::string& line : uidls.Lines()) bytes += line.size();
      FUZZ_CHECK(bytes <= in.Server.size());
    }

    Step([&] { (void)pop.GetUIDL(number); }, notConnected);
    CheckNoTimeOut(pop.ReplyText(), in.Server);

    for (bool whole : {false, true}) {
      TMailMessage msg;
      msg.ClearRawMailAfterParse = flags & 8;
      before = run.errors;
      bool fetched = false;
      auto fetch = [&] {
        fetched = whole ? pop.Retrieve(number, msg) : pop.RetrieveHeader(number, msg);
      };
      if (!Step(fetch, notConnected)) continue;
      run.CheckFailure(fetched, before);
      if (!fetched) continue;
      if (!pop.GetUIDLsOnRetrieve) FUZZ_CHECK(!pop.ErrorFlag());
      FUZZ_CHECK(!run.progress.empty() && run.progress.back() >= 100);
      if (msg.ClearRawMailAfterParse) FUZZ_CHECK(msg.RawMail.Empty());
      size_t bytes = 0;
      for (const std::string& line : msg.Headers.Lines()) bytes += line.size();
      FUZZ_CHECK(bytes <= in.Server.size());
    }

    Step([&] { pop.Quit(); }, {});
    FUZZ_CHECK(!pop.Connected());
    // The client saw the server's bytes as sent, in order, nothing added or lost.
    FUZZ_CHECK(in.Server.compare(0, run.received.size(), run.received) == 0);
  }
  peer.Finish();
  return 0;
}
