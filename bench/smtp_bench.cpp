// Mail transport against a real server: one composed mail with a 5 MB attachment delivered to
// a private aiosmtpd SMTP server (127.0.0.1, started for the run by tools/aiosmtpd-smtpd.sh)
// by TSmtpClient (Connect, Send, Quit), and the very same message bytes by curl smtp://.
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
  int port = 0;
  fs::path message;  // the composed mail as curl uploads it
  TLineList lines;   // the same as TSmtpClient sends it

  void Start() {
    const auto values = bench::StartServer("aiosmtpd-smtpd.sh", state);
    port = std::stoi(values.at("PORT"));

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
  ~TServer() { bench::StopServer("aiosmtpd-smtpd.sh", state); }
};

TServer& Server() {
  static TServer server;
  static bool started = (server.Start(), true);
  (void)started;
  return server;
}

void BM_SmtpSend5MB(benchmark::State& state) {
  TServer& server = Server();
  for (auto _ : state) {
    TSmtpClient smtp;
    smtp.Host = "127.0.0.1";
    smtp.Port = std::to_string(server.port);
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

void BM_CurlSmtpSend5MB(benchmark::State& state) {
  TServer& server = Server();
  std::string cmd = "curl -s -S 'smtp://127.0.0.1:" + std::to_string(server.port) +
                    "' --mail-from hanako@example.jp --mail-rcpt phone@example.jp -T '" +
                    server.message.string() + "'";
  for (auto _ : state)
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("curl failed");
  state.SetBytesProcessed(state.iterations() * fs::file_size(server.message));
}

BENCHMARK(BM_SmtpSend5MB)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CurlSmtpSend5MB)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
