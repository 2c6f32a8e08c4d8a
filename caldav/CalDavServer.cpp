#include "caldav/CalDavServer.h"

#include <cctype>
#include <unordered_map>
#include <utility>

#include "base/Cp932.h"
#include "base/PercentCoding.h"

namespace moriva {
namespace {

// What reading a reply costs beyond its text (see ParseCharged).
constexpr size_t kReadCopies = 4;
constexpr size_t kNodeBytes = 256;

bool IsSuccess(long status) {
  return status >= 200 && status <= 299;
}

bool StartsWithNoCase(std::string_view s, std::string_view lowerPrefix) {
  if (s.size() < lowerPrefix.size()) return false;
  for (size_t i = 0; i < lowerPrefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(s[i])) != lowerPrefix[i]) return false;
  return true;
}

// The settings' URL (CP932) as the wire wants it: UTF-8, with the bytes a URL cannot hold
// as they are written as escapes, so a calendar named in Japanese is found.
std::string WireUrl(std::string_view cp932) {
  return PercentEncodeNonAscii(Cp932ToUtf8(cp932));
}

// The sync stops at a reply naming resources outside the collection rather than leaving them
// out: a listing missing them would take their events for deleted and remove them here, and
// the server that wrote it needs mending before anything is sent to it again.
void RefuseForeignHrefs(const std::string& collectionUrl, const std::vector<TDavEntry>& entries) {
  size_t foreign = 0;
  for (const TDavEntry& e : entries)
    if (!ResolveHref(collectionUrl, e.Href)) ++foreign;
  if (foreign > 0) throw ECalDavError(ForeignHrefText(foreign));
}

}  // namespace

std::string ForeignHrefText(size_t count) {
  return "CalDAV サーバーが，このカレンダーの外 (別のサーバーか別のフォルダー) を指す予定を " +
         std::to_string(count) +
         " 件示しました。予定とパスワードをそこへ送らないよう，同期を中止しました。";
}

bool IsHttpUrl(std::string_view url) {
  return StartsWithNoCase(url, "https://") || StartsWithNoCase(url, "http://");
}

void ThrowCalDavStatus(long status, const std::string& what) {
  switch (status) {
    case 401:
      throw ECalDavError(
          "CalDAV サーバーにログインできませんでした。ユーザIDとパスワードを確かめてください。");
    case 403:
      throw ECalDavError("CalDAV のカレンダーを使う権限がありません。");
    case 404:
      throw ECalDavError("CalDAV のカレンダーが見つかりません。URL を確かめてください。");
    default:
      throw ECalDavError("CalDAV サーバーがエラーを返しました (" + what + " " +
                         std::to_string(status) + ")");
  }
}

TCalDavServer::TCalDavServer(THttpClient& http, std::string collectionUrl)
    : http_(http), url_(WireUrl(collectionUrl)) {
  if (!IsHttpUrl(url_)) throw ECalDavError(std::string(kCalDavUrlSchemeText));
  if (!url_.ends_with('/')) url_ += '/';
  path_ = UrlPath(url_);
}

THttpResponse TCalDavServer::Send(const std::string& method, const std::string& href,
                                  std::vector<std::string> headers, std::string body) {
  THttpRequest r;
  r.Method = method;
  // Whatever an href says, the request goes to the configured server and stays inside the
  // collection: the password travels with it.
  if (href.empty()) {
    r.Url = url_;
  } else if (std::optional<std::string> url = ResolveHref(url_, href)) {
    r.Url = std::move(*url);
  } else {
    throw ECalDavError(ForeignHrefText(1));
  }
  r.Headers = std::move(headers);
  r.Body = std::move(body);
  // The transfer itself stops where reading the reply could no longer fit the sync's bound.
  r.MaxReplyBytes = (kMaxCalDavSyncBytes - held_) / kReadCopies;
  try {
    return http_.Send(r);
  } catch (const EHttpError& e) {
    if (e.TooLarge) throw ECalDavError(std::string(kCalDavTooLargeText));
    throw;
  }
}

void TCalDavServer::CheckRoom(size_t bytes) const {
  if (bytes > kMaxCalDavSyncBytes - held_) throw ECalDavError(std::string(kCalDavTooLargeText));
}

void TCalDavServer::Charge(size_t bytes) {
  CheckRoom(bytes);
  held_ += bytes;
}

// The text is held by the reply, by the parser's tree and by the copies taken out of it, at
// worst all at once; every element, attribute or entity reference is a node of the tree. What
// is kept of each entry stays charged: its href in the listing, the keys it is looked up by and
// the list of hrefs to fetch, its ETag and calendar data.
TDavMultiStatus TCalDavServer::ParseCharged(const std::string& body) {
  size_t marks = 0;
  for (char c : body) marks += c == '<' || c == '=' || c == '&';
  CheckRoom(body.size() * kReadCopies + marks * kNodeBytes);
  TDavMultiStatus ms = ParseMultiStatus(body);
  RefuseForeignHrefs(url_, ms.Entries);
  for (const TDavEntry& e : ms.Entries)
    Charge(e.Href.size() * 4 + e.ETag.size() + e.CalendarData.size() + kNodeBytes);
  return ms;
}

TCalDavListing TCalDavServer::FromMultiStatus(const std::string& body, bool whole) {
  TDavMultiStatus ms = ParseCharged(body);
  TCalDavListing out;
  out.Whole = whole;
  out.Token = std::move(ms.SyncToken);
  const std::string self = HrefKey(path_);
  for (TDavEntry& e : ms.Entries) {
    const std::string key = HrefKey(e.Href);
    const bool isSelf = key == self || key + '/' == self;
    // Only a server that reports the collection's type is taken at its word.
    if (isSelf && e.IsCollection && !e.IsCalendar && IsSuccess(e.Status))
      throw ECalDavError(std::string(kCalDavNotCalendarText));
    if (isSelf) {
      out.Truncated = out.Truncated || e.Status == 507;
      continue;
    }
    if (e.IsCollection) continue;
    if (e.Status == 404) {
      if (!whole) out.Removed.push_back(std::move(e.Href));
    } else if (IsSuccess(e.Status)) {
      out.Members.push_back(std::move(e));
    }
  }
  return out;
}

void TCalDavServer::CheckIsCalendar() {
  THttpResponse r =
      Send("PROPFIND", "", {"Content-Type: application/xml; charset=utf-8", "Depth: 0"},
           PropfindEtagsBody());
  if (r.Status == 401 || r.Status == 404) ThrowCalDavStatus(r.Status, "PROPFIND");
  // Any other answer leaves the question to the listing.
  if (r.Status == 207) FromMultiStatus(r.Body, true);
}

// A server may hand out a long listing in parts: the collection's own entry then says 507 and
// the token leads on from what was given. Every part is read before the sync goes on, or a whole
// listing cut short would take the resources not yet listed for deleted ones and the local lines
// equal to them for new ones. A later part's word on a resource is the one that holds.
TCalDavListing TCalDavServer::WithTheRest(TCalDavListing first,
                                          const std::vector<std::string>& headers) {
  if (!first.Truncated) return first;
  const bool whole = first.Whole;
  std::vector<std::string> order;
  std::unordered_map<std::string, std::pair<TDavEntry, bool>> latest;  // by key: entry, removed
  auto note = [&](TDavEntry e, bool removed) {
    std::string key = HrefKey(e.Href);
    auto [it, fresh] = latest.try_emplace(key);
    if (fresh) order.push_back(std::move(key));
    it->second = {std::move(e), removed};
  };
  TCalDavListing part = std::move(first);
  for (size_t parts = 1;; ++parts) {
    for (TDavEntry& e : part.Members) note(std::move(e), false);
    for (std::string& href : part.Removed) {
      TDavEntry e;
      e.Href = std::move(href);
      note(std::move(e), true);
    }
    if (!part.Truncated) break;
    if (parts == kMaxListingParts) throw ECalDavError(std::string(kCalDavEndlessListingText));
    const std::string token = std::move(part.Token);
    THttpResponse r = Send("REPORT", "", headers, SyncCollectionBody(token));
    if (r.Status != 207) ThrowCalDavStatus(r.Status, "REPORT");
    part = FromMultiStatus(r.Body, false);
    // A server that does not lead on would be asked for ever.
    if (part.Truncated && (part.Token.empty() || part.Token == token))
      ThrowCalDavStatus(507, "REPORT");
  }
  TCalDavListing out;
  out.Whole = whole;
  out.Token = std::move(part.Token);
  for (const std::string& key : order) {
    auto& [entry, removed] = latest.at(key);
    if (!removed)
      out.Members.push_back(std::move(entry));
    else if (!out.Whole)
      out.Removed.push_back(std::move(entry.Href));
  }
  return out;
}

TCalDavListing TCalDavServer::List(const std::string& token, bool& usePropfind) {
  const std::vector<std::string> xml = {"Content-Type: application/xml; charset=utf-8"};
  if (!usePropfind) {
    std::vector<std::string> headers = xml;
    headers.push_back("Depth: 0");
    bool whole = token.empty();
    THttpResponse r = Send("REPORT", "", headers, SyncCollectionBody(token));
    // A token the server no longer knows (its history was cut, the collection was made anew)
    // means listing everything again.
    if (!token.empty() && (r.Status == 403 || r.Status == 409 || r.Status == 400 ||
                           r.Status == 412 || r.Status == 507)) {
      whole = true;
      r = Send("REPORT", "", headers, SyncCollectionBody(""));
    }
    if (r.Status == 207) {
      TCalDavListing listing = FromMultiStatus(r.Body, whole);
      if (!listing.Whole || !listing.Token.empty()) {
        // A first listing asks once what the URL names (the report does not say; a Depth 1
        // PROPFIND does, so the servers listed that way need no extra question).
        if (token.empty()) CheckIsCalendar();
        return WithTheRest(std::move(listing), headers);
      }
    } else if (r.Status == 401 || r.Status == 404 || (r.Status >= 500 && r.Status != 501)) {
      ThrowCalDavStatus(r.Status, "REPORT");
    }
  }
  std::vector<std::string> headers = xml;
  headers.push_back("Depth: 1");
  THttpResponse r = Send("PROPFIND", "", headers, PropfindEtagsBody());
  if (r.Status != 207) ThrowCalDavStatus(r.Status, "PROPFIND");
  usePropfind = true;
  TCalDavListing listing = FromMultiStatus(r.Body, true);
  listing.Token.clear();
  return listing;
}

std::vector<TDavEntry> TCalDavServer::Fetch(const std::vector<std::string>& hrefs) {
  std::vector<TDavEntry> out;
  for (size_t from = 0; from < hrefs.size(); from += kMultigetBatch) {
    const std::vector<std::string> batch(
        hrefs.begin() + from, hrefs.begin() + std::min(hrefs.size(), from + kMultigetBatch));
    THttpResponse r =
        Send("REPORT", "", {"Content-Type: application/xml; charset=utf-8", "Depth: 1"},
             CalendarMultigetBody(batch));
    if (r.Status != 207) ThrowCalDavStatus(r.Status, "REPORT");
    for (TDavEntry& e : ParseCharged(r.Body).Entries) out.push_back(std::move(e));
  }
  return out;
}

std::optional<std::string> TCalDavServer::Create(const std::string& href,
                                                 const std::string& icalendar) {
  THttpResponse r = Send(
      "PUT", href, {"Content-Type: text/calendar; charset=utf-8", "If-None-Match: *"}, icalendar);
  if (r.Status == 412) return std::nullopt;
  if (!IsSuccess(r.Status)) ThrowCalDavStatus(r.Status, "PUT");
  return r.ETag;
}

std::optional<std::string> TCalDavServer::Update(const std::string& href, const std::string& etag,
                                                 const std::string& icalendar) {
  THttpResponse r = Send(
      "PUT", href, {"Content-Type: text/calendar; charset=utf-8", "If-Match: " + etag}, icalendar);
  if (r.Status == 412) return std::nullopt;
  if (!IsSuccess(r.Status)) ThrowCalDavStatus(r.Status, "PUT");
  return r.ETag;
}

bool TCalDavServer::Remove(const std::string& href, const std::string& etag) {
  std::vector<std::string> headers;
  if (!etag.empty()) headers.push_back("If-Match: " + etag);
  THttpResponse r = Send("DELETE", href, headers);
  if (r.Status == 412) return false;
  if (r.Status == 404 || IsSuccess(r.Status)) return true;
  ThrowCalDavStatus(r.Status, "DELETE");
}

}  // namespace moriva
