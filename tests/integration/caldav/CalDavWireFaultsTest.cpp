// Syncs against a server that misbehaves on purpose (tools/caldav-wire-faults.py): each ends soon
// with the reason in the user's words, changes nothing here, stays within a bounded memory and
// sends no request, credentials or not, anywhere but into the calendar's own collection.
#include <gmock/gmock.h>
#include <sys/resource.h>

#include <chrono>
#include <fstream>
#include <sstream>

#include "tests/integration/caldav/CalDavPeer.h"

namespace moriva::caldavtest {
namespace {

using ::testing::HasSubstr;
using Clock = std::chrono::steady_clock;

TEST(CalDavWireFaultsTest, EverySyncEndsSoonSaysWhyAndSendsNothingElsewhere) {
  const testing::TServerState server = testing::LoadServerState(MORIVA_CALDAV_WIRE_STATE);
  const std::string port = server.Values.at("PORT"), url = server.Values.at("URL");
  const std::string tls = "https://127.0.0.1:" + server.Values.at("TLS_PORT");
  const std::string ca = std::string(MORIVA_TLS_DIR) + "/ca.pem";
  struct Case {
    const char* name;
    std::string url;
    std::function<void(THttpClient&, Clock::time_point)> set;
    const char* message;
    double seconds;  // the most a sync may take
  };
  const Case cases[] = {
      {"a reply trickling for longer than a request may take", url + "/slow/",
       [](THttpClient& h, Clock::time_point) { h.RequestTimeOut = 2; },
       "の応答が 2 秒たっても終わらないので", 4},
      {"a sync running longer than a sync may take", url + "/slow/",
       [](THttpClient& h, Clock::time_point) { h.RunTimeOut = 3; },
       "通信が 3 秒たっても終わらないので", 5},
      {"a cancel while the reply trickles", url + "/slow/",
       [](THttpClient& h, Clock::time_point start) {
         h.CancelRequested = [start] { return Clock::now() - start > std::chrono::seconds(1); };
       },
       "中止しました", 2},
      {"entities that expand to gigabytes", url + "/laughs/", {}, "XML として読めません", 5},
      {"a listing naming resources elsewhere",
       url + "/foreign/",
       {},
       "このカレンダーの外 (別のサーバーか別のフォルダー) を指す予定を 5 件",
       5},
      {"a certificate for another host name",
       tls + "/cal/",
       {},
       "証明書がこのサーバーのものではありません",
       5},
  };
  oracle::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TCalDavSyncInput in =
        SyncInput({c.url, "user01", "secret01", c.url.starts_with("https") ? ca : ""},
                  dir.Path() / "caldav.ini");
    // Twice: a second run, with the schedule emptied, would delete what the first took in.
    for (TLineList list : {TLineList{Item(2026, 12, 1, "Mine")}, TLineList{}}) {
      const TLineList before = list;
      THttpClient http;
      const Clock::time_point start = Clock::now();
      if (c.set) c.set(http, start);
      try {
        SyncCalDav(http, in, list);
        ADD_FAILURE() << "no error";
      } catch (const std::exception& e) {
        EXPECT_THAT(e.what(), HasSubstr(c.message));
      }
      EXPECT_LE(std::chrono::duration<double>(Clock::now() - start).count(), c.seconds);
      EXPECT_EQ(list, before);
      EXPECT_FALSE(std::filesystem::exists(in.StateFile));
    }
    std::filesystem::remove(in.StateFile);
  }

  // Every request the server saw came to its calendar port, named it by the configured host and
  // asked for a path inside one of the collections above.
  std::ifstream requests(server.Values.at("REQUESTS"));
  std::string line;
  size_t seen = 0;
  while (std::getline(requests, line)) {
    SCOPED_TRACE(line);
    std::istringstream fields(line);
    std::string at, method, host, path;
    fields >> at >> method >> host >> path;
    EXPECT_EQ(at, port);
    EXPECT_EQ(host, "127.0.0.1:" + port);
    EXPECT_THAT(path,
                ::testing::AnyOf(::testing::StartsWith("/slow/"), ::testing::StartsWith("/laughs/"),
                                 ::testing::StartsWith("/foreign/")));
    EXPECT_EQ(path.find(".."), std::string::npos);
    EXPECT_EQ(path.find("%2E"), std::string::npos);
    ++seen;
  }
  EXPECT_GT(seen, 0u);

  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  EXPECT_LE(usage.ru_maxrss, 512 * 1024) << "peak resident KiB";
}

}  // namespace
}  // namespace moriva::caldavtest
