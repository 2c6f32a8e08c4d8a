// The receive road against a private Dovecot POP3 server (127.0.0.1, started for the run by
// tools/dovecot-pop3.sh): 500 mails in the mailbox, 10 of them schedule mails with a CSV
// attachment. The first receive examines every mail (header fetch of all 500, full fetch of the
// 10, attachments saved); the second finds every id in "uidl.ini" and fetches nothing, so it
// should cost a small fraction of the first.
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>

#include "base/Dialogs.h"
#include "base/FileIO.h"
#include "bench/BenchServer.h"
#include "handset/MailServerAddress.h"
#include "handset/ReceiveFromHandset.h"
#include "handset/SendToHandset.h"
#include "mail/MailMessage.h"
#include "mail/Pop3Client.h"
#include "settings/MailSettings.h"

namespace {

namespace fs = std::filesystem;
using namespace moriva;

constexpr int kMails = 500;
constexpr int kScheduleMails = 10;

// Answers nothing and shows nothing: the road must not ask during a receive.
class TSilentDialogs : public THeadlessDialogs {
 public:
  void ShowMessage(std::string_view text, std::string_view, TMsgIcon) override {
    std::fprintf(stderr, "message: %.*s\n", static_cast<int>(text.size()), text.data());
  }
};

struct TServer {
  fs::path state =
      fs::temp_directory_path() / ("moriva-receive-bench-" + std::to_string(getpid()) + ".state");
  fs::path exeDir =
      fs::temp_directory_path() / ("moriva-receive-bench-" + std::to_string(getpid()) + ".dir");
  int port = 0;

  void Start() {
    const auto values = bench::StartServer("dovecot-pop3.sh", state);
    port = std::stoi(values.at("PORT"));
    const fs::path maildir = fs::path(values.at("DIR")) / "mail" / "user01" / "Maildir";
    struct stat owner {};
    ::stat(maildir.c_str(), &owner);
    for (int i = 0; i < kMails; ++i) {
      // Every 50th mail is a schedule mail; the others are ordinary mail of a few KB.
      const bool schedule = i % (kMails / kScheduleMails) == 0;
      TMailMessage msg;
      msg.From = "someone@example.jp";
      msg.SendTo = "hanako@example.jp";
      msg.Subject = schedule ? "mrv" : "news " + std::to_string(i);
      for (int l = 0; l < 40; ++l)
        msg.Text.Add("line " + std::to_string(l) + " of mail " + std::to_string(i));
      if (schedule) {
        std::string csv = "subject,place,date,time,alarm\r\n";
        for (int r = 0; r < 50; ++r)
          csv += "item" + std::to_string(i * 100 + r) + ",room,2027/1/" +
                 std::to_string(1 + r % 28) + ",9:30:0,TRUE\r\n";
        msg.AttachedFiles.Add("SCHEDULE.CSV").SetBody(std::move(csv));
      }
      msg.FillRawMail();
      char name[64];
      std::snprintf(name, sizeof name, "%d.M%dP1.bench:2,S", 1700000000 + i, i);
      const fs::path file = maildir / "cur" / name;
      std::ofstream out(file, std::ios::binary);
      for (std::string line : msg.RawMail) {
        if (line.size() > 1 && line[0] == '.') line.erase(0, 1);
        out << line << '\n';
      }
      out.close();
      (void)::chown(file.c_str(), owner.st_uid, owner.st_gid);
    }
    fs::create_directories(exeDir);
    TMailSettings settings;
    settings.POP = "127.0.0.1:" + std::to_string(port);
    settings.UserId = "user01";
    settings.Password = "secret01";
    settings.PopSecurity = "none";
    WriteMailSettings(exeDir / "hs110.ini", settings);
  }

  void Stop() {
    bench::StopServer("dovecot-pop3.sh", state);
    std::error_code ec;
    fs::remove_all(exeDir, ec);
  }

  // One receive as the window runs it; returns the number of schedule mails fetched.
  int Receive() {
    TSilentDialogs dialogs;
    TTransferContext context(dialogs, exeDir);
    TPop3Client pop;
    std::vector<fs::path> files;
    TReceiveResult result = ReceiveFromPhone(pop, context, files);
    if (result.Outcome != TReceiveOutcome::Done) throw std::runtime_error("receive failed");
    return result.Count;
  }
};

TServer server;

// Each iteration starts from an empty "uidl.ini": every mail is new.
void BM_ReceiveFirstRun(benchmark::State& state) {
  int count = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::error_code ec;
    fs::remove(server.exeDir / "uidl.ini", ec);
    fs::remove_all(server.exeDir / "incoming", ec);
    state.ResumeTiming();
    count = server.Receive();
  }
  if (count != kScheduleMails) state.SkipWithError("not every schedule mail was fetched");
  state.counters["fetched"] = count;
}

// Each iteration finds every id in "uidl.ini" already: nothing is fetched.
void BM_ReceiveSecondRun(benchmark::State& state) {
  server.Receive();  // makes every id known
  int count = -1;
  for (auto _ : state) count = server.Receive();
  if (count != 0) state.SkipWithError("a known mail was fetched again");
  state.counters["fetched"] = count;
}

BENCHMARK(BM_ReceiveFirstRun)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReceiveSecondRun)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  server.Start();
  try {
    benchmark::RunSpecifiedBenchmarks();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
  }
  benchmark::Shutdown();
  server.Stop();
  return 0;
}
