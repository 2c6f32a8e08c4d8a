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
  for (std::string_view bad : {"", "<html>login</html>", "<d:multistatus xmlns:d=\"DAV:\">",
                               "<multistatus/>", "<a:multistatus xmlns:a=\"other:\"/>"}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(ParseMultiStatus(bad), EWebDavError);
  }
  // A reply is data: an entity naming a local file is never read.
  const TDavMultiStatus ms = ParseMultiStatus(
      "<!DOCTYPE d [<!ENTITY e SYSTEM \"file:///etc/passwd\">]>"
      "<d:multistatus xmlns:d=\"DAV:\"><d:sync-token>&e;</d:sync-token></d:multistatus>");
  EXPECT_EQ(ms.SyncToken.find("root"), std::string::npos);
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
