#include "caldav/WebDavXml.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdlib>
#include <memory>

#include "base/PercentCoding.h"

namespace moriva {
namespace {

constexpr const char* kDav = "DAV:";
constexpr const char* kCalDav = "urn:ietf:params:xml:ns:caldav";

struct TXmlDocFree {
  void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};

bool Is(const xmlNode* n, const char* ns, const char* name) {
  return n && n->type == XML_ELEMENT_NODE && n->ns && n->ns->href &&
         xmlStrEqual(n->ns->href, BAD_CAST ns) && xmlStrEqual(n->name, BAD_CAST name);
}

const xmlNode* Child(const xmlNode* parent, const char* ns, const char* name) {
  for (const xmlNode* c = parent ? parent->children : nullptr; c; c = c->next)
    if (Is(c, ns, name)) return c;
  return nullptr;
}

std::string Text(const xmlNode* n) {
  if (!n) return {};
  xmlChar* s = xmlNodeGetContent(n);
  std::string out = s ? reinterpret_cast<const char*>(s) : "";
  xmlFree(s);
  return out;
}

std::string Trimmed(std::string s) {
  const char* blanks = " \t\r\n";
  const size_t first = s.find_first_not_of(blanks);
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

// "HTTP/1.1 404 Not Found" → 404; 0 when unreadable.
int StatusCode(const std::string& line) {
  const size_t sp = line.find(' ');
  if (sp == std::string::npos) return 0;
  return std::atoi(line.c_str() + sp + 1);
}

void ReadResponse(const xmlNode* response, TDavEntry& e) {
  e.Href = Trimmed(Text(Child(response, kDav, "href")));
  bool haveStatus = false;
  if (const xmlNode* status = Child(response, kDav, "status")) {
    e.Status = StatusCode(Trimmed(Text(status)));
    haveStatus = true;
  }
  for (const xmlNode* ps = response->children; ps; ps = ps->next) {
    if (!Is(ps, kDav, "propstat")) continue;
    const int code = StatusCode(Trimmed(Text(Child(ps, kDav, "status"))));
    if (code != 0 && (code < 200 || code > 299)) continue;  // properties the server lacks
    if (!haveStatus) e.Status = code ? code : 200;
    const xmlNode* prop = Child(ps, kDav, "prop");
    if (const xmlNode* etag = Child(prop, kDav, "getetag")) e.ETag = Trimmed(Text(etag));
    if (const xmlNode* data = Child(prop, kCalDav, "calendar-data")) e.CalendarData = Text(data);
    if (const xmlNode* type = Child(prop, kDav, "resourcetype")) {
      e.IsCollection = Child(type, kDav, "collection") != nullptr;
      e.IsCalendar = Child(type, kCalDav, "calendar") != nullptr;
    }
  }
}

void AppendEscaped(std::string& out, std::string_view s) {
  for (char c : s) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
}

constexpr std::string_view kXmlHead = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";

}  // namespace

TDavMultiStatus ParseMultiStatus(std::string_view xml) {
  if (xml.size() > static_cast<size_t>(INT32_MAX))
    throw EWebDavError("サーバーの応答を XML として読めません");
  // No network, no entities from outside, no DTD: the reply is data, never instructions.
  std::unique_ptr<xmlDoc, TXmlDocFree> doc(
      xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "reply.xml", nullptr,
                    XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_HUGE));
  if (!doc) throw EWebDavError("サーバーの応答を XML として読めません");
  const xmlNode* root = xmlDocGetRootElement(doc.get());
  if (!Is(root, kDav, "multistatus"))
    throw EWebDavError("サーバーの応答が multistatus ではありません");
  TDavMultiStatus out;
  for (const xmlNode* n = root->children; n; n = n->next) {
    if (Is(n, kDav, "response")) {
      TDavEntry e;
      ReadResponse(n, e);
      if (!e.Href.empty()) out.Entries.push_back(std::move(e));
    } else if (Is(n, kDav, "sync-token")) {
      out.SyncToken = Trimmed(Text(n));
    }
  }
  return out;
}

std::string SyncCollectionBody(std::string_view token) {
  std::string s(kXmlHead);
  s += "<d:sync-collection xmlns:d=\"DAV:\"><d:sync-token>";
  AppendEscaped(s, token);
  s += "</d:sync-token><d:sync-level>1</d:sync-level><d:prop><d:getetag/></d:prop>"
       "</d:sync-collection>";
  return s;
}

std::string PropfindEtagsBody() {
  return std::string(kXmlHead) +
         "<d:propfind xmlns:d=\"DAV:\"><d:prop><d:getetag/><d:resourcetype/></d:prop>"
         "</d:propfind>";
}

std::string CalendarMultigetBody(const std::vector<std::string>& hrefs) {
  std::string s(kXmlHead);
  s += "<c:calendar-multiget xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\">"
       "<d:prop><d:getetag/><c:calendar-data/></d:prop>";
  for (const std::string& h : hrefs) {
    s += "<d:href>";
    AppendEscaped(s, h);
    s += "</d:href>";
  }
  s += "</c:calendar-multiget>";
  return s;
}

std::string HrefKey(std::string_view href) {
  std::string path = UrlOrigin(href).empty() ? std::string(href) : UrlPath(href);
  return PercentDecode(path);
}

std::string UrlOrigin(std::string_view url) {
  const size_t scheme = url.find("://");
  if (scheme == std::string_view::npos || url.find('/') < scheme) return {};
  const size_t slash = url.find('/', scheme + 3);
  return std::string(url.substr(0, slash));
}

std::string UrlPath(std::string_view url) {
  const std::string origin = UrlOrigin(url);
  std::string_view rest = url.substr(origin.size());
  rest = rest.substr(0, rest.find_first_of("?#"));
  return rest.empty() ? "/" : std::string(rest);
}

}  // namespace moriva
