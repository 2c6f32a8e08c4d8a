// Mail transport against a real server: one composed mail with a 5 MB attachment delivered to
// a private aiosmtpd SMTP server (127.0.0.1, started for the run by tools/aiosmtpd-smtpd.sh)
// by TSmtpClient (Connect, Send, Quit), and the very same message bytes by curl smtp://; then
// both again with STARTTLS and AUTH (aiosmtpd's TLS peers, certificates of a private CA).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <stdexcept>
#include <string>

#include "bench/BenchServer.h"
#include "mail/MailMessage.h"
#include "mail/SmtpClient.h"

namespace {

namespace fs = std::filesystem;
using namespace moriva;

struct TServer {
  fs::path state =
      fs::temp_directory_path() / ("moriva-smtp-bench-" + std::to_string(getpid()) + ".state");
  fs::path tlsState = state.string() + ".tls";
  fs::path certs = state.string() + ".certs";
  int port = 0;
  int tlsPort = 0;   // STARTTLS, AUTH sender01 / smtpsecret01
  fs::path message;  // the composed mail as curl uploads it
  TLineList lines;   // the same as TSmtpClient sends it

  void Start() {
    const auto values = bench::StartServer("aiosmtpd-smtpd.sh", state);
    port = std::stoi(values.at("PORT"));
    bench::MakeTlsCertificates(certs);
    tlsPort = std::stoi(bench::StartServer("aiosmtpd-smtpd.sh", tlsState, certs).at("PORT"));

    TMailMessage msg;
    msg.From = "hanako@example.jp";
    msg.SendTo = "phone@example.jp";
    msg.Subject = "mrv";
    msg.Text.Add("schedule");
    std::string data(5 << 20, '\0');
    std::mt19937 gen(5);
    for (char& c : data) c = static_cast<char>(gen() & 0xFF);
    msg.AttachedFiles.Add("SCHEDULE.CSV").SetBody(std::move(data));
    msg.FillRawMail();
    lines = msg.RawMail;
    message = fs::path(values.at("DIR")) / "message.eml";
    std::ofstream out(message, std::ios::binary);
    out << lines.Text();
  }
  ~TServer() {
    bench::StopServer("aiosmtpd-smtpd.sh", state);
    bench::StopServer("aiosmtpd-smtpd.sh", tlsState);
    fs::remove_all(certs);
  }
};

TServer& Server() {
  static TServer server;
  static bool started = (server.Start(), true);
  (void)started;
  return server;
}

void Send5MB(benchmark::State& state, bool tls) {
  TServer& server = Server();
  for (auto _ : state) {
    TSmtpClient smtp;
    smtp.Host = "127.0.0.1";
    smtp.Port = std::to_string(tls ? server.tlsPort : server.port);
    if (tls) {
      smtp.Security = TMailSecurity::msStartTls;
      smtp.CaFile = (server.certs / "ca.pem").string();
      smtp.AuthUser = "sender01";
      smtp.AuthPassword = "smtpsecret01";
    }
    bool failed = false;
    smtp.OnError = [&](const void*, int, const std::string&) { failed = true; };
    TMailMessage msg;
    msg.From = "hanako@example.jp";
    msg.SendTo = "phone@example.jp";
    msg.UserName = "Hanako";
    msg.RawMail = server.lines;  // composed already: sent as it is
    smtp.Connect();
    if (!smtp.ErrorFlag()) smtp.Send(msg);
    smtp.Quit();
    if (failed || smtp.ErrorFlag()) state.SkipWithError("send failed");
  }
  state.SetBytesProcessed(state.iterations() * fs::file_size(server.message));
}

void CurlSend5MB(benchmark::State& state, bool tls) {
  TServer& server = Server();
  const std::string options = tls ? "--ssl-reqd --cacert '" + (server.certs / "ca.pem").string() +
                                        "' --user sender01:smtpsecret01 "
                                  : "";
  std::string cmd = "curl -s -S " + options +
                    "'smtp://127.0.0.1:" + std::to_string(tls ? server.tlsPort : server.port) +
                    "' --mail-from hanako@example.jp --mail-rcpt phone@example.jp -T '" +
                    server.message.string() + "'";
  for (auto _ : state)
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("curl failed");
  state.SetBytesProcessed(state.iterations() * fs::file_size(server.message));
}

void BM_SmtpSend5MB(benchmark::State& state) {
  Send5MB(state, false);
}
void BM_CurlSmtpSend5MB(benchmark::State& state) {
  CurlSend5MB(state, false);
}
void BM_SmtpStartTlsSend5MB(benchmark::State& state) {
  Send5MB(state, true);
}
void BM_CurlSmtpStartTlsSend5MB(benchmark::State& state) {
  CurlSend5MB(state, true);
}

BENCHMARK(BM_SmtpSend5MB)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CurlSmtpSend5MB)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SmtpStartTlsSend5MB)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CurlSmtpStartTlsSend5MB)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
