// The listing roads a server without the sync report, or one that no longer knows the sync's
// token, makes the sync take: Moriva syncs through tools/caldav-proxy.py, which answers the
// sync-collection report as such a server would and counts the requests; the phone talks to
// Radicale directly.
#include <gmock/gmock.h>

#include "base/FileIO.h"

#include "tests/integration/caldav/CalDavPeer.h"

namespace moriva::caldavtest {
namespace {

using ::testing::HasSubstr;
using ::testing::UnorderedElementsAre;

class CalDavProxyTest : public CalDavTest {
 protected:
  void SetUp() override {
    CalDavTest::SetUp();
    Proxy("refuse", "none");
  }
  void TearDown() override { Proxy("refuse", "none"); }

  std::string Proxy(const std::string& command, const std::string& arg = "") {
    return oracle::RunTool(std::string(MORIVA_CALDAV_PROXY_TOOL) + " " + command + " " +
                           MORIVA_CALDAV_PROXY_STATE + " " + oracle::ShellQuote(arg));
  }
  // The requests that reached the proxy since the last call, "METHOD[:REPORT] N" per line.
  std::string Counts() { return Proxy("counts"); }

  // A sync of the test's collection through the proxy.
  TCalDavSyncResult ProxySync(TLineList& list) {
    const std::string direct = settings_.Url;
    settings_.Url = testing::LoadServerState(MORIVA_CALDAV_PROXY_STATE).Values.at("URL") +
                    direct.substr(server_.Values.at("URL").size());
    try {
      TCalDavSyncResult r = Sync(list);
      settings_.Url = direct;
      return r;
    } catch (...) {
      settings_.Url = direct;
      throw;
    }
  }
  // Radicale forgets every sync token it gave for the collection, as its clean-up does.
  void CutTokenHistory() {
    const std::string path = settings_.Url.substr(server_.Values.at("URL").size());
    std::filesystem::remove_all(server_.Values.at("DIR") + "/collections/collection-root" + path +
                                ".Radicale.cache/sync-token");
  }
  std::string Listing() {
    return ParseCalDavState(ReadFileBytes(StateFile())).UsePropfind ? "propfind" : "sync";
  }
};

TEST_F(CalDavProxyTest, AServerWithoutTheSyncReportIsListedWithPropfind) {
  // What servers without the report answer: the precondition of a report it does not offer,
  // and bare refusals.
  for (const char* refusal : {"403", "400", "405", "501"}) {
    SCOPED_TRACE(refusal);
    Open(false, std::string("-") + refusal);
    Proxy("refuse", refusal);
    Counts();
    Phone("add p1 20261210T120000 Lunch");
    Phone("add p2 20261212 Dentist");
    TLineList list{Item(2026, 12, 5, "Mine")};
    TCalDavSyncResult r = ProxySync(list);
    EXPECT_EQ(r.Received, 2u);
    EXPECT_EQ(r.Sent, 1u);
    EXPECT_EQ(Counts(),
              "PROPFIND 1\nPUT 1\nREPORT:calendar-multiget 1\nREPORT:sync-collection 1\n");
    EXPECT_EQ(Listing(), "propfind");
    EXPECT_EQ(ProxySync(list), TCalDavSyncResult{});
    EXPECT_EQ(Counts(), "PROPFIND 1\n");

    Phone("change p1 Supper 20261211T190000");
    Phone("delete p2");
    Phone("add p3 20261214T070000 Gym");
    list.Delete(0);
    list.Add(Item(2026, 12, 6, "Desk"));
    r = ProxySync(list);
    EXPECT_EQ(r.Received, 2u);
    EXPECT_EQ(r.Removed, 2u);
    EXPECT_EQ(r.Sent, 1u);
    EXPECT_EQ(Counts(), "DELETE 1\nPROPFIND 1\nPUT 1\nREPORT:calendar-multiget 1\n");
    EXPECT_THAT(list.Lines(),
                UnorderedElementsAre(Item(2026, 12, 11, "Supper", 19), Item(2026, 12, 14, "Gym", 7),
                                     Item(2026, 12, 6, "Desk")));
    EXPECT_EQ(PhoneEvents(),
              (std::vector<std::string>{"20261206T100000|Desk", "20261211T190000|Supper",
                                        "20261214T070000|Gym"}));
    EXPECT_EQ(ProxySync(list), TCalDavSyncResult{});
    EXPECT_EQ(Counts(), "PROPFIND 1\n");
  }
}

TEST_F(CalDavProxyTest, AStaleSyncTokenListsTheWholeCollectionAgain) {
  struct Case {
    const char* name;
    bool cutHistory;      // the server's token history deleted (as its clean-up does)
    const char* refusal;  // how the proxy answers the next sync report
    const char* listing;  // what caldav.ini remembers afterwards
    const char* quiet;    // the requests of a no-change sync afterwards
  };
  const Case cases[] = {
      {"history cut on the server", true, "none", "sync", "REPORT:sync-collection 1\n"},
      {"token refused with 409", false, "stale-409", "sync", "REPORT:sync-collection 1\n"},
      {"the report withdrawn", false, "403", "propfind", "PROPFIND 1\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Open(false, "-" + std::to_string(&c - cases));
    TLineList list{Item(2026, 12, 1, "A"), Item(2026, 12, 2, "B"), Item(2026, 12, 3, "C")};
    ProxySync(list);
    ASSERT_THAT(ReadFileBytes(StateFile()), HasSubstr("token=http"));
    Phone("add p1 20261210T120000 Phone");
    Phone("change " + PhoneUid("B") + " B-phone");
    Phone("delete " + PhoneUid("C"));
    list.Delete(0);
    list.Add(Item(2026, 12, 4, "D"));

    if (c.cutHistory) CutTokenHistory();
    Proxy("refuse", c.refusal);
    Counts();
    ProxySync(list);
    EXPECT_THAT(Counts(), HasSubstr("REPORT:sync-collection 2\n"));  // refused, then whole
    EXPECT_THAT(list.Lines(),
                UnorderedElementsAre(Item(2026, 12, 2, "B-phone"), Item(2026, 12, 4, "D"),
                                     Item(2026, 12, 10, "Phone", 12)));
    EXPECT_EQ(PhoneEvents(),
              (std::vector<std::string>{"20261202T100000|B-phone", "20261204T100000|D",
                                        "20261210T120000|Phone"}));
    EXPECT_EQ(Listing(), c.listing);
    EXPECT_EQ(ProxySync(list), TCalDavSyncResult{});
    EXPECT_EQ(Counts(), c.quiet);
    Proxy("refuse", "none");
  }
}

TEST_F(CalDavProxyTest, AListingTheServerHandsOutInPartsIsReadToTheEnd) {
  // The phone's events are here already: a first listing that stopped at its first part would
  // send the rest up again as new events.
  TLineList list{Item(2026, 12, 5, "Mine")};
  for (int d = 10; d < 15; ++d) {
    const std::string n = std::to_string(d);
    Phone("add p" + n + " 202612" + n + "T120000 E" + n);
    list.Add(Item(2026, 12, d, "E" + n, 12));
  }
  std::vector<std::string> lines = list.Lines();
  Proxy("refuse", "page-2");
  Counts();
  TCalDavSyncResult r = ProxySync(list);
  EXPECT_EQ(r.Sent, 1u);
  EXPECT_FALSE(r.Changed);
  EXPECT_THAT(Counts(), HasSubstr("REPORT:sync-collection 3\n"));
  EXPECT_EQ(PhoneEvents().size(), 6u);

  // The whole listing again, in parts too: the resources of its later parts are not gone.
  CutTokenHistory();
  Phone("add p15 20261215T120000 E15");
  lines.push_back(Item(2026, 12, 15, "E15", 12));
  r = ProxySync(list);
  EXPECT_EQ(r.Received, 1u);
  EXPECT_EQ(r.Removed, 0u);
  EXPECT_EQ(list.Lines(), lines);
  EXPECT_EQ(ProxySync(list), TCalDavSyncResult{});
}

}  // namespace
}  // namespace moriva::caldavtest
