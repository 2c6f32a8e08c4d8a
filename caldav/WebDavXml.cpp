#include "caldav/WebDavXml.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <optional>

#include "base/PercentCoding.h"

namespace moriva {
namespace {

constexpr const char* kDav = "DAV:";
constexpr const char* kCalDav = "urn:ietf:params:xml:ns:caldav";

struct TXmlDocFree {
  void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};
struct TXmlParserFree {
  void operator()(xmlParserCtxt* c) const { xmlFreeParserCtxt(c); }
};

// A document type is where entities are declared, and entities that name each other expand
// without bound (a reply of a few hundred bytes can ask for gigabytes). No calendar server
// sends one, so the parse stops at the first and the reply counts as unreadable.
void StopAtDocumentType(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
  auto* parser = static_cast<xmlParserCtxt*>(context);
  *static_cast<bool*>(parser->_private) = true;
  xmlStopParser(parser);
}

bool Is(const xmlNode* n, const char* ns, const char* name) {
  return n && n->type == XML_ELEMENT_NODE && n->ns && n->ns->href &&
         xmlStrEqual(n->ns->href, BAD_CAST ns) && xmlStrEqual(n->name, BAD_CAST name);
}

const xmlNode* Child(const xmlNode* parent, const char* ns, const char* name) {
  for (const xmlNode* c = parent ? parent->children : nullptr; c; c = c->next)
    if (Is(c, ns, name)) return c;
  return nullptr;
}

// The text and CDATA of an element and its children. Entity references are never followed:
// a reply has none to follow (see StopAtDocumentType), and this way none can be expanded.
void AppendText(const xmlNode* n, std::string& out) {
  for (const xmlNode* c = n->children; c; c = c->next) {
    if ((c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE) && c->content)
      out += reinterpret_cast<const char*>(c->content);
    else if (c->type == XML_ELEMENT_NODE)
      AppendText(c, out);
  }
}

std::string Text(const xmlNode* n) {
  std::string out;
  if (n) AppendText(n, out);
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

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// The scheme a reference starts with ("http" of "http://h/"); empty for a path, also for one
// holding a ':' after its first '/'.
std::string_view SchemeOf(std::string_view ref) {
  if (ref.empty() || !std::isalpha(static_cast<unsigned char>(ref[0]))) return {};
  for (size_t i = 1; i < ref.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(ref[i]);
    if (c == ':') return ref.substr(0, i);
    if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return {};
  }
  return {};
}

// The authority after "//" at the start of `rest` (which it leaves behind), without the "//";
// empty when `rest` does not start with one.
std::string_view TakeAuthority(std::string_view& rest) {
  if (!rest.starts_with("//")) return {};
  const size_t end = std::min(rest.find_first_of("/?", 2), rest.size());
  const std::string_view authority = rest.substr(2, end - 2);
  rest.remove_prefix(end);
  return authority;
}

// The server a request reaches: scheme, host and port, in lower case and with the scheme's
// port filled in, so that "HTTPS://Host/" and "https://host:443/" are one server. A user name
// in the authority chooses no other server and is left out.
std::string ServerOf(std::string_view scheme, std::string_view authority) {
  authority.remove_prefix(authority.rfind('@') + 1);  // npos + 1 == 0
  std::string_view host = authority, port;
  const size_t colon = authority.rfind(':'), bracket = authority.rfind(']');
  if (colon != std::string_view::npos && (bracket == std::string_view::npos || colon > bracket)) {
    host = authority.substr(0, colon);
    port = authority.substr(colon + 1);
  }
  const std::string s = Lower(scheme);
  return s + "://" + Lower(host) + ":" +
         (port.empty() ? std::string(s == "https" ? "443" : "80") : std::string(port));
}

// 1 for a "." segment, 2 for "..", 0 for any other; dots written %2E count as dots, since
// servers decode them before they resolve the path.
int DotSegment(std::string_view segment) {
  std::string plain;
  for (size_t i = 0; i < segment.size(); ++i) {
    if (segment[i] == '%' && i + 2 < segment.size() && segment[i + 1] == '2' &&
        (segment[i + 2] == 'e' || segment[i + 2] == 'E')) {
      plain += '.';
      i += 2;
    } else {
      plain += segment[i];
    }
  }
  return plain == "." ? 1 : plain == ".." ? 2 : 0;
}

// The path (starting with '/') with its "." and ".." segments resolved as a server resolves
// them; ".." at the root stays at the root.
std::string WithoutDotSegments(std::string_view path) {
  std::vector<std::string_view> kept;
  bool last = false;
  while (!last) {
    path.remove_prefix(1);  // the '/' before the segment
    const size_t slash = path.find('/');
    last = slash == std::string_view::npos;
    const std::string_view segment = path.substr(0, last ? path.size() : slash);
    path.remove_prefix(segment.size());
    const int dots = DotSegment(segment);
    if (dots == 2 && !kept.empty()) kept.pop_back();
    if (dots == 0)
      kept.push_back(segment);
    else if (last)
      kept.push_back({});  // "/a/.." names the folder "/"
  }
  std::string out;
  for (std::string_view segment : kept) (out += '/') += segment;
  return out.empty() ? "/" : out;
}

constexpr std::string_view kXmlHead = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";

}  // namespace

TDavMultiStatus ParseMultiStatus(std::string_view xml) {
  if (xml.size() > static_cast<size_t>(INT32_MAX))
    throw EWebDavError("サーバーの応答を XML として読めません");
  // No network, no document type, no entities: the reply is data, never instructions. The
  // parser's own bounds (on names and nesting) stay on: no calendar reply comes near them.
  std::unique_ptr<xmlParserCtxt, TXmlParserFree> parser(xmlNewParserCtxt());
  if (!parser || !parser->sax) throw EWebDavError("サーバーの応答を XML として読めません");
  bool documentType = false;
  parser->_private = &documentType;
  parser->sax->internalSubset = StopAtDocumentType;
  parser->sax->externalSubset = StopAtDocumentType;
  std::unique_ptr<xmlDoc, TXmlDocFree> doc(
      xmlCtxtReadMemory(parser.get(), xml.data(), static_cast<int>(xml.size()), "reply.xml",
                        nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
  if (!doc || documentType) throw EWebDavError("サーバーの応答を XML として読めません");
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
  if (path.starts_with('/')) path = WithoutDotSegments(path);
  return PercentDecode(path);
}

std::optional<std::string> ResolveHref(std::string_view collection, std::string_view href) {
  href = href.substr(0, href.find('#'));
  const std::string_view scheme = SchemeOf(collection);
  std::string_view own = collection.substr(scheme.size() + 1);
  const std::string server = ServerOf(scheme, TakeAuthority(own));
  const std::string base = UrlPath(collection);

  std::string_view rest = href;  // the path and query
  bool hasAuthority = false;
  if (const std::string_view hrefScheme = SchemeOf(href); !hrefScheme.empty()) {
    rest.remove_prefix(hrefScheme.size() + 1);
    if (!rest.starts_with("//") || ServerOf(hrefScheme, TakeAuthority(rest)) != server)
      return std::nullopt;
    hasAuthority = true;
  } else if (rest.starts_with("//")) {
    if (ServerOf(scheme, TakeAuthority(rest)) != server) return std::nullopt;
    hasAuthority = true;
  }
  const std::string_view pathPart = rest.substr(0, rest.find('?'));
  const std::string_view query = rest.substr(pathPart.size());
  std::string path = pathPart.starts_with('/') ? std::string(pathPart)
                     : hasAuthority            ? "/" + std::string(pathPart)
                                               : base + std::string(pathPart);
  path = WithoutDotSegments(path);

  // Inside the collection (or the collection itself, written without its last '/') however
  // the server reads escapes: as they stand, or decoded before it resolves the path (a "%2F"
  // may then make new segments).
  const std::string inside = PercentDecode(base);
  auto within = [&](const std::string& p) { return p.starts_with(inside) || p + '/' == inside; };
  const std::string decoded = PercentDecode(path);
  if (!within(decoded) || !within(WithoutDotSegments(decoded))) return std::nullopt;
  return UrlOrigin(collection) + path + std::string(query);
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
