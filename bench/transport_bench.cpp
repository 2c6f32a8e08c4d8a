// Mail transport against a real server: 200 mails of about 100 KB fetched from a private
// Dovecot POP3 server (127.0.0.1, started for the run by tools/dovecot-pop3.sh) with
// TPop3Client::Retrieve, which also parses each mail and decodes its attachment, and the same
// mails fetched by one curl process over one connection (curl pop3://.../[1-200]); then the
// same over TLS from the first byte (a second Dovecot with TLS required, POP3S listener).
#include <benchmark/benchmark.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <stdexcept>
#include <string>

#include "bench/BenchServer.h"
#include "mail/MailMessage.h"
#include "mail/Pop3Client.h"

namespace {

namespace fs = std::filesystem;
using namespace moriva;

constexpr int kMails = 200;

// The private server of this run and its mailbox user01 holding the mails.
struct TServer {
  fs::path state =
      fs::temp_directory_path() / ("moriva-transport-bench-" + std::to_string(getpid()) + ".state");
  fs::path certs;    // with TLS: the certificates' folder
  int port = 0;      // POP3S with TLS, POP3 without
  size_t bytes = 0;  // of all mails on the server

  void Start() {
    const auto values = bench::StartServer("dovecot-pop3.sh", state, certs);
    port = std::stoi(values.at(certs.empty() ? "PORT" : "TLSPORT"));
    fs::path maildir = fs::path(values.at("DIR")) / "mail" / "user01" / "Maildir" / "cur";
    std::mt19937 gen(11);
    for (int i = 0; i < kMails; ++i) {
      // About 100 KB on the wire: 73 KB of binary data in base64 with its headers and text.
      TMailMessage msg;
      msg.From = "phone@example.jp";
      msg.SendTo = "hanako@example.jp";
      msg.Subject = "mrv";
      msg.Text.Add("schedule " + std::to_string(i));
      std::string data(73 * 1024, '\0');
      for (char& c : data) c = static_cast<char>(gen() & 0xFF);
      msg.AttachedFiles.Add("SCHEDULE.CSV").SetBody(std::move(data));
      msg.FillRawMail();
      // In cur/ with the seen flag: the server then need not move 200 files at login.
      char name[64];
      std::snprintf(name, sizeof name, "%d.M%dP1.bench:2,S", 1700000000 + i, i);
      std::ofstream out(maildir / name, std::ios::binary);
      for (std::string line : msg.RawMail) {
        if (line.size() > 1 && line[0] == '.') line.erase(0, 1);
        out << line << '\n';
        bytes += line.size() + 2;
      }
    }
  }
  void Stop() { bench::StopServer("dovecot-pop3.sh", state); }
};

TServer server, tlsServer;

void Retrieve200(benchmark::State& state, const TServer& server) {
  for (auto _ : state) {
    TPop3Client pop;
    pop.Host = "127.0.0.1";
    pop.Port = std::to_string(server.port);
    if (!server.certs.empty()) {
      pop.Security = TMailSecurity::msTls;
      pop.CaFile = (server.certs / "ca.pem").string();
    }
    pop.PlainLoginAllowed = server.certs.empty();
    pop.UserId = "user01";
    pop.UserPasswd = "secret01";
    pop.Connect();
    if (pop.ErrorFlag() || !pop.Login()) {
      state.SkipWithError("login failed");
      return;
    }
    for (int n = 1; n <= kMails; ++n) {
      TMailMessage msg;
      const uint16_t next = n < kMails ? static_cast<uint16_t>(n + 1) : 0;
      if (!pop.Retrieve(static_cast<uint16_t>(n), msg, next) || msg.AttachedFiles.Count() != 1) {
        state.SkipWithError("fetch failed");
        return;
      }
    }
    pop.Quit();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * server.bytes));
}

void CurlRetrieve200(benchmark::State& state, const TServer& server) {
  const std::string cmd =
      (server.certs.empty()
           ? "curl -s -S 'pop3://"
           : "curl -s -S --cacert '" + (server.certs / "ca.pem").string() + "' 'pop3s://") +
      "user01:secret01@127.0.0.1:" + std::to_string(server.port) + "/[1-" + std::to_string(kMails) +
      "]' > /dev/null";
  for (auto _ : state) {
    int rc = std::system(cmd.c_str());
    if (rc == -1 || !WIFEXITED(rc) || WEXITSTATUS(rc) != 0) {
      state.SkipWithError("curl failed");
      return;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * server.bytes));
}

void BM_Pop3Retrieve200(benchmark::State& state) {
  Retrieve200(state, server);
}
void BM_CurlPop3Retrieve200(benchmark::State& state) {
  CurlRetrieve200(state, server);
}
void BM_Pop3sRetrieve200(benchmark::State& state) {
  Retrieve200(state, tlsServer);
}
void BM_CurlPop3sRetrieve200(benchmark::State& state) {
  CurlRetrieve200(state, tlsServer);
}

BENCHMARK(BM_Pop3Retrieve200)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CurlPop3Retrieve200)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Pop3sRetrieve200)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CurlPop3sRetrieve200)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  server.Start();
  tlsServer.state += ".tls";
  tlsServer.certs =
      fs::temp_directory_path() / ("moriva-transport-bench-" + std::to_string(getpid()) + ".certs");
  bench::MakeTlsCertificates(tlsServer.certs);
  tlsServer.Start();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  server.Stop();
  tlsServer.Stop();
  fs::remove_all(tlsServer.certs);
  return 0;
}
