#pragma once
// The WebDAV and CalDAV XML a calendar sync speaks: the three request bodies it sends and the
// multistatus replies it reads (parsed by libxml2, elements matched by namespace and name, so
// any prefix the server chooses works; a reply with a document type is refused, so no entity
// is ever declared, expanded or fetched).
//
// Hrefs are kept as the server wrote them; HrefKey gives the form two hrefs are compared in
// (path only, percent escapes decoded), since one server may write the same resource as an
// absolute URL in one reply and as a path in another.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Exception.h"

namespace moriva {

// A reply that is not a readable multistatus document.
class EWebDavError : public Exception {
 public:
  using Exception::Exception;
};

// One <response> of a multistatus.
struct TDavEntry {
  std::string Href;
  // The response's own status (e.g. 404 for a member a sync report lists as removed), else
  // that of the propstat holding the properties; 200 when neither says.
  int Status = 200;
  std::string ETag;           // getetag, quotes included; empty when not given
  std::string CalendarData;   // calendar-data (UTF-8); empty when not asked or not given
  bool IsCollection = false;  // resourcetype names a collection
  bool IsCalendar = false;    // resourcetype names a calendar collection
};

struct TDavMultiStatus {
  std::vector<TDavEntry> Entries;
  std::string SyncToken;  // the multistatus's sync-token; empty when none
};

// Throws EWebDavError when the text is not XML or its root is not DAV: multistatus.
TDavMultiStatus ParseMultiStatus(std::string_view xml);

// The request bodies: a sync-collection report from `token` ("" for the whole collection)
// asking for ETags; a Depth 1 PROPFIND for ETags and resource types; a calendar-multiget of
// the hrefs asking for ETags and calendar data.
std::string SyncCollectionBody(std::string_view token);
std::string PropfindEtagsBody();
std::string CalendarMultigetBody(const std::vector<std::string>& hrefs);

// The comparable form of an href (see above); "." and ".." segments are resolved.
std::string HrefKey(std::string_view href);

// "scheme://authority" of a URL ("" when it has none), and the URL's path ("/" when empty).
std::string UrlOrigin(std::string_view url);
std::string UrlPath(std::string_view url);

// The URL a request about `href` goes to, for the collection at `collectionUrl` (absolute,
// ending in '/'): the collection's own scheme and authority, as configured, with the href's
// path and query; its "." and ".." segments resolved (%2E counts as a dot). An href may be a
// path, relative to the collection or from the root, or an absolute URL of the same server
// (scheme, host and port; letter case and a written default port aside). Nothing for an href
// of another server, or one whose path leads outside the collection, as written or with its
// escapes decoded: the credentials and the user's events never go there.
std::optional<std::string> ResolveHref(std::string_view collectionUrl, std::string_view href);

}  // namespace moriva
