#pragma once
// The requests a calendar sync makes of one calendar collection, with the server's answers
// turned into what the sync needs and its refusals into errors in the user's words.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Exception.h"
#include "caldav/HttpClient.h"
#include "caldav/WebDavXml.h"

namespace moriva {

// The server refused what the sync asked (wrong password, no such collection, a server error).
class ECalDavError : public Exception {
 public:
  using Exception::Exception;
};

struct TCalDavListing {
  bool Whole = false;                // Members holds every resource of the collection
  std::vector<TDavEntry> Members;    // every resource, or those changed since the token
  std::vector<std::string> Removed;  // hrefs removed since the token (not for a whole one)
  std::string Token;                 // the token to list from next time; empty for none
  bool Truncated = false;            // one part of a longer listing; Token leads on to the rest
};

// Only these URLs name a calendar: anything else would leave it to guessing whether the
// password may travel unencrypted.
inline constexpr std::string_view kCalDavUrlSchemeText =
    "CalDAV の URL は https:// (暗号化しないサーバーは http://) で始めてください。";
bool IsHttpUrl(std::string_view url);

// The URL names a collection that holds no calendar (the user's home, the server's root):
// events put there would never reach a phone.
inline constexpr std::string_view kCalDavNotCalendarText =
    "この URL は CalDAV のカレンダーではありません。"
    "設定の CalDAV ページでカレンダーの URL を指定してください。";

// A listing the server hands out in parts ends within this many: far more than any calendar
// needs, and a server that leads on for ever is refused (kCalDavEndlessListingText).
inline constexpr size_t kMaxListingParts = 1000;
inline constexpr std::string_view kCalDavEndlessListingText =
    "CalDAV サーバーの一覧が終わりません。同期を中止しました。";

// What one sync may hold of the server's replies, the listing's parts and the fetched events
// together. Each reply is charged before it is read for what reading it costs at its peak (its
// text several times over as the parser and the copies hold it, and a node per mark-up mark),
// and afterwards for what is kept of it; a reply that would pass the bound ends the sync
// (kCalDavTooLargeText) before anything changed. A first sync of some 50 000 events fits.
inline constexpr size_t kMaxCalDavSyncBytes = 256u << 20;
inline constexpr std::string_view kCalDavTooLargeText =
    "CalDAV サーバーの応答が合計で大きすぎます。同期を中止しました。";

// Hrefs per calendar-multiget: large enough that a first sync of thousands of events takes a
// few requests, small enough for any server's request limits.
inline constexpr size_t kMultigetBatch = 500;

// Every request goes to the collection's own server (scheme, host and port) and stays inside
// the collection, whatever href the server listed or the state kept (see ResolveHref): an href
// elsewhere is refused with ECalDavError ForeignHrefText before anything is sent, and a
// listing or fetch whose reply names one is refused the same way.
class TCalDavServer {
 public:
  // `collectionUrl` as the settings hold it (CP932). ECalDavError kCalDavUrlSchemeText for a
  // URL that is not http:// or https://.
  TCalDavServer(THttpClient& http, std::string collectionUrl);

  // The collection's resources: a sync-collection report from `token` ("" for all of them);
  // when the token is no longer valid, the whole collection again; when the server has no
  // sync report (or `usePropfind` says so already), a Depth 1 PROPFIND, and `usePropfind` is
  // set. A listing the server hands out in parts is read to its end. The collection itself
  // and sub-collections are left out. A collection that says it is no calendar is refused
  // (ECalDavError kCalDavNotCalendarText): on a first listing through the report it is asked,
  // the PROPFIND tells it anyway.
  TCalDavListing List(const std::string& token, bool& usePropfind);

  // The ETags and calendar data of the resources, in batches of kMultigetBatch.
  std::vector<TDavEntry> Fetch(const std::vector<std::string>& hrefs);

  // PUT of a new resource (If-None-Match: *): its ETag ("" when the server gives none), or
  // nothing when a resource of that href exists already.
  std::optional<std::string> Create(const std::string& href, const std::string& icalendar);

  // PUT over a resource as it was at `etag` (If-Match; not empty), keeping its href: the new
  // ETag ("" when the server gives none), or nothing when it changed or went away since.
  std::optional<std::string> Update(const std::string& href, const std::string& etag,
                                    const std::string& icalendar);

  // DELETE with If-Match: true when the resource is gone (also when it was gone already),
  // false when it changed on the server since `etag`.
  bool Remove(const std::string& href, const std::string& etag);

  // The path of the collection, ending in "/".
  const std::string& CollectionPath() const { return path_; }

  // Charges `bytes` to the sync's bound (kMaxCalDavSyncBytes) for what the caller builds out
  // of the replies; ECalDavError kCalDavTooLargeText past it.
  void Charge(size_t bytes);
  // The same error when reading something of `bytes` at its peak would not fit now.
  void CheckRoom(size_t bytes) const;

 private:
  THttpResponse Send(const std::string& method, const std::string& href,
                     std::vector<std::string> headers, std::string body = {});
  TDavMultiStatus ParseCharged(const std::string& body);
  TCalDavListing FromMultiStatus(const std::string& body, bool whole);
  TCalDavListing WithTheRest(TCalDavListing first, const std::vector<std::string>& headers);
  void CheckIsCalendar();

  THttpClient& http_;
  std::string url_;
  std::string path_;
  size_t held_ = 0;  // charged to kMaxCalDavSyncBytes so far
};

// Why a sync stopped at `count` hrefs naming resources outside the collection (another
// server, or a path that leads out of it): no request is ever sent to one.
std::string ForeignHrefText(size_t count);

// The error for an HTTP status the sync cannot go on after (`what`: the request's method).
[[noreturn]] void ThrowCalDavStatus(long status, const std::string& what);

}  // namespace moriva
