// The WebDAV replies a calendar sync reads and the state it keeps between runs.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "caldav/CalDavServer.h"
#include "caldav/CalDavState.h"
#include "caldav/CalDavSync.h"
#include "caldav/WebDavXml.h"

namespace moriva {
namespace {

using ::testing::HasSubstr;

// A sync report as servers write it: another prefix, a removed member, a propstat for a
// property the server lacks, calendar data with an escaped character, an absolute href.
constexpr std::string_view kSyncReply = R"(<?xml version="1.0" encoding="utf-8"?>
<x:multistatus xmlns:x="DAV:" xmlns:cal="urn:ietf:params:xml:ns:caldav">
 <x:response><x:href>/cal/a%20b.ics</x:href>
  <x:propstat><x:prop><x:getetag>"e1"</x:getetag><cal:calendar-data>BEGIN:VCALENDAR&#13;
X:&lt;y&gt;</cal:calendar-data></x:prop><x:status>HTTP/1.1 200 OK</x:status></x:propstat>
  <x:propstat><x:prop><x:displayname/></x:prop><x:status>HTTP/1.1 404 Not Found</x:status></x:propstat>
 </x:response>
 <x:response><x:href>https://host:8443/cal/gone.ics</x:href><x:status>HTTP/1.1 404 Not Found</x:status></x:response>
 <x:response><x:href>/cal/</x:href><x:propstat><x:prop><x:resourcetype><x:collection/></x:resourcetype></x:prop>
  <x:status>HTTP/1.1 200 OK</x:status></x:propstat></x:response>
 <x:sync-token> http://example/sync/7 </x:sync-token>
</x:multistatus>)";

TEST(WebDavXmlTest, MultiStatusReadsEntriesTokenAndStatuses) {
  const TDavMultiStatus ms = ParseMultiStatus(kSyncReply);
  EXPECT_EQ(ms.SyncToken, "http://example/sync/7");
  ASSERT_EQ(ms.Entries.size(), 3u);
  EXPECT_EQ(ms.Entries[0].Href, "/cal/a%20b.ics");
  EXPECT_EQ(ms.Entries[0].Status, 200);
  EXPECT_EQ(ms.Entries[0].ETag, "\"e1\"");
  EXPECT_EQ(ms.Entries[0].CalendarData, "BEGIN:VCALENDAR\r\nX:<y>");
  EXPECT_EQ(ms.Entries[1].Status, 404);
  EXPECT_TRUE(ms.Entries[2].IsCollection);
  EXPECT_EQ(HrefKey(ms.Entries[1].Href), "/cal/gone.ics");
  EXPECT_EQ(HrefKey(ms.Entries[0].Href), "/cal/a b.ics");
}

TEST(WebDavXmlTest, RepliesThatAreNoMultiStatusAreRefused) {
  // A reply is data: a document type, with entities naming a local file or each other (a
  // hundred thousand letters here, billions from a reply as short), is refused unread.
  const std::string laughs =
      "<!DOCTYPE d [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
      "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY e \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
      "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">]>"
      "<d:multistatus xmlns:d=\"DAV:\"><d:sync-token>&f;</d:sync-token></d:multistatus>";
  for (std::string_view bad :
       {std::string_view(""), std::string_view("<html>login</html>"),
        std::string_view("<d:multistatus xmlns:d=\"DAV:\">"), std::string_view("<multistatus/>"),
        std::string_view("<a:multistatus xmlns:a=\"other:\"/>"), std::string_view(laughs),
        std::string_view("<!DOCTYPE d [<!ENTITY e SYSTEM \"file:///etc/passwd\">]>"
                         "<d:multistatus xmlns:d=\"DAV:\"><d:sync-token>&e;</d:sync-token>"
                         "</d:multistatus>"),
        std::string_view("<!DOCTYPE d SYSTEM \"http://127.0.0.1:9/d.dtd\">"
                         "<d:multistatus xmlns:d=\"DAV:\"/>")}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(ParseMultiStatus(bad), EWebDavError);
  }
}

TEST(WebDavXmlTest, RequestBodiesEscapeWhatTheyQuote) {
  EXPECT_THAT(SyncCollectionBody("t&<1>"),
              HasSubstr("<d:sync-token>t&amp;&lt;1&gt;</d:sync-token>"));
  const std::string get = CalendarMultigetBody({"/c/1.ics", "/c/a&b.ics"});
  EXPECT_THAT(get, HasSubstr("<d:href>/c/1.ics</d:href><d:href>/c/a&amp;b.ics</d:href>"));
}

TEST(WebDavXmlTest, UrlParts) {
  struct {
    const char* url;
    const char* origin;
    const char* path;
  } const cases[] = {
      {"https://h:8443/cal/x/", "https://h:8443", "/cal/x/"},
      {"http://h", "http://h", "/"},
      {"http://h/a?q=1#f", "http://h", "/a"},
      {"/only/path", "", "/only/path"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    EXPECT_EQ(UrlOrigin(c.url), c.origin);
    EXPECT_EQ(UrlPath(c.url), c.path);
  }
  EXPECT_EQ(HrefKey("/a%2"), "/a%2");  // a cut escape stays as it is
}

// Where a request about an href goes, for the collection https://h/cal/x/ (nothing: refused).
TEST(WebDavXmlTest, HrefsResolveInsideTheCollectionOnItsOwnServer) {
  const std::string cal = "https://u@h/cal/x/";
  struct {
    const char* href;
    const char* url;
  } const cases[] = {
      {"/cal/x/a.ics", "https://u@h/cal/x/a.ics"},
      {"a.ics", "https://u@h/cal/x/a.ics"},
      {"/cal/x/a.ics?v=1#f", "https://u@h/cal/x/a.ics?v=1"},
      {"HTTPS://H:443/cal/x/a.ics", "https://u@h/cal/x/a.ics"},
      {"//h/cal/x/a.ics", "https://u@h/cal/x/a.ics"},
      {"/cal/x/sub/../a.ics", "https://u@h/cal/x/a.ics"},
      {"/cal/x/./%2e/b/%2E%2e/a.ics", "https://u@h/cal/x/a.ics"},
      {"/cal/x", "https://u@h/cal/x"},
      {"/cal/x/a%2F..%2Fb.ics", "https://u@h/cal/x/a%2F..%2Fb.ics"},
      {"/cal/%78/a.ics", "https://u@h/cal/%78/a.ics"},
      // Another server: host, port, scheme, a name in front of the host.
      {"https://evil/cal/x/a.ics", nullptr},
      {"https://h:8443/cal/x/a.ics", nullptr},
      {"http://h/cal/x/a.ics", nullptr},
      {"https://h@evil/cal/x/a.ics", nullptr},
      {"//evil/cal/x/a.ics", nullptr},
      {"file:///cal/x/a.ics", nullptr},
      {"https:/cal/x/a.ics", nullptr},
      // Out of the collection, as written or once decoded.
      {"/cal/y/a.ics", nullptr},
      {"/cal/xy/a.ics", nullptr},
      {"/cal/x/../y/a.ics", nullptr},
      {"../y/a.ics", nullptr},
      {"/cal/x/%2E%2E/y/a.ics", nullptr},
      {"/cal/x/a/..%2F..%2F..%2Fy.ics", nullptr},
      {"/", nullptr},
  };
  THttpClient http;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.href);
    const std::optional<std::string> url = ResolveHref(cal, c.href);
    EXPECT_EQ(url.value_or("refused"), c.url ? c.url : "refused");
    // The server's requests never go where an href is refused: nothing is sent at all.
    if (!c.url) {
      TCalDavServer server(http, cal);
      EXPECT_THROW(server.Remove(c.href, "\"e\""), ECalDavError);
      EXPECT_THROW(server.Update(c.href, "\"e\"", "BEGIN:VCALENDAR"), ECalDavError);
    }
  }
  EXPECT_EQ(http.RequestCount(), 0u);
  EXPECT_EQ(HrefKey("/cal/x/./a/../b.ics"), "/cal/x/b.ics");
}

TEST(CalDavStateTest, RoundTripKeepsEveryByteOfTheLines) {
  TCalDavState s;
  s.Url = "https://h/cal/";
  s.ScheduleFile = "/home/u/予定.mrv";
  s.SyncToken = "tok=1";
  s.UsePropfind = true;
  // Lines that look like the file's own syntax, quotes, CP932 bytes whose trail byte is '['.
  s.Resources.push_back({"/cal/1.ics",
                         "\"e=1\"",
                         "u1",
                         {"2026,2026,1,1,,,\"a=b- - 10:0:0- FALSE\"", "[resource]x", "\x83\x5b"}});
  s.Resources.push_back({"/cal/2.ics", "", "", {}});
  EXPECT_EQ(ParseCalDavState(CalDavStateText(s)), s);
  EXPECT_EQ(ParseCalDavState(""), TCalDavState{});
}

// A value that would end its line early is never written, and a file holding a value the
// writer refuses reads as no state (a forged entry must not make the next sync delete).
TEST(CalDavStateTest, ValuesThatCouldForgeEntriesAreNeitherWrittenNorRead) {
  const std::string longest(kMaxCalDavStateValue, 'x');
  for (const std::string& bad : {std::string("a\r\n[resource]"), std::string("a\nb"),
                                 std::string("a\rb"), std::string("a\0b", 3), longest + "x"}) {
    SCOPED_TRACE(bad.size());
    for (int field = 0; field < 4; ++field) {
      TCalDavState s{"https://h/cal/", "s.mrv", "t", false, {{"/cal/1.ics", "e", "u", {"l"}}}};
      std::string& target = field == 0   ? s.SyncToken
                            : field == 1 ? s.Resources[0].Href
                            : field == 2 ? s.Resources[0].ETag
                                         : s.Resources[0].Uid;
      target = bad;
      EXPECT_THROW(CalDavStateText(s), ECalDavError);
    }
    if (bad.size() > kMaxCalDavStateValue) continue;  // a line is bounded where it is made
    TCalDavState s{"https://h/cal/", "s.mrv", "", false, {{"/cal/1.ics", "e", "u", {bad}}}};
    EXPECT_THROW(CalDavStateText(s), ECalDavError);
  }
  const std::string good = "[caldav]\r\nurl=https://h/cal/\r\n[resource]\r\nhref=/cal/1.ics\r\n";
  EXPECT_EQ(ParseCalDavState(good + "etag=" + longest + "\r\n").Resources.size(), 1u);
  EXPECT_EQ(ParseCalDavState(good + "etag=" + longest + "x\r\n"), TCalDavState{});
  EXPECT_EQ(ParseCalDavState(good + std::string("uid=a\0b\r\n", 9)), TCalDavState{});
}

TEST(CalDavSyncTest, AMassDeletionIsMoreThanHalfAndMoreThanTen) {
  struct {
    TCalDavMassDeletion d;
    bool mass;
  } const cases[] = {
      {{11, 21, 0, 0}, true}, {{11, 22, 0, 0}, false}, {{10, 10, 0, 0}, false},
      {{0, 5, 11, 21}, true}, {{0, 5, 11, 22}, false}, {{0, 0, 10, 10}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(CalDavMassDeletionText(c.d));
    EXPECT_EQ(IsMassDeletion(c.d), c.mass);
  }
}

}  // namespace
}  // namespace moriva
