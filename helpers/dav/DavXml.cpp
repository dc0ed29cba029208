#include "DavXml.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

constexpr const char* kDav = "DAV:";
constexpr const char* kCardDav = "urn:ietf:params:xml:ns:carddav";
constexpr const char* kCalDav = "urn:ietf:params:xml:ns:caldav";

// A multiget of a few hundred cards is a few megabytes; far beyond is not a reply to us. (The
// parser keeps its own limits on single texts and entity expansion: no XML_PARSE_HUGE.)
constexpr std::size_t kMaxXmlBytes = 256u << 20;

bool IsElement(const xmlNode* n, const char* ns, const char* name) {
  return n && n->type == XML_ELEMENT_NODE && n->ns && n->ns->href &&
         std::strcmp(reinterpret_cast<const char*>(n->ns->href), ns) == 0 &&
         std::strcmp(reinterpret_cast<const char*>(n->name), name) == 0;
}

std::string Text(const xmlNode* n) {
  std::string out;
  for (const xmlNode* c = n->children; c; c = c->next) {
    if (c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE) {
      if (c->content) out += reinterpret_cast<const char*>(c->content);
    } else if (c->type == XML_ELEMENT_NODE) {
      out += Text(c);
    }
  }
  return out;
}

std::string Trimmed(std::string s) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.back())) s.pop_back();
  std::size_t start = 0;
  while (start < s.size() && blank(s[start])) ++start;
  return s.substr(start);
}

// The href inside a property such as current-user-principal.
std::string InnerHref(const xmlNode* n) {
  for (const xmlNode* c = n->children; c; c = c->next)
    if (IsElement(c, kDav, "href")) return Trimmed(Text(c));
  return {};
}

// "HTTP/1.1 200 OK" -> 200; 0 when unreadable.
int StatusCode(const std::string& line) {
  std::size_t sp = line.find(' ');
  if (sp == std::string::npos) return 0;
  int code = 0;
  for (std::size_t i = sp + 1; i < line.size() && i < sp + 4; ++i) {
    if (line[i] < '0' || line[i] > '9') return 0;
    code = code * 10 + (line[i] - '0');
  }
  return code;
}

void ReadProp(const xmlNode* prop, DavEntry& e) {
  for (const xmlNode* p = prop->children; p; p = p->next) {
    if (p->type != XML_ELEMENT_NODE) continue;
    if (IsElement(p, kDav, "resourcetype")) {
      for (const xmlNode* t = p->children; t; t = t->next)
        if (t->type == XML_ELEMENT_NODE) e.types.push_back(reinterpret_cast<const char*>(t->name));
    } else if (IsElement(p, kDav, "getetag")) {
      e.etag = Trimmed(Text(p));
    } else if (IsElement(p, kDav, "displayname")) {
      e.displayName = Trimmed(Text(p));
    } else if (IsElement(p, kDav, "getcontenttype")) {
      e.contentType = Trimmed(Text(p));
    } else if (IsElement(p, kDav, "current-user-principal")) {
      e.principal = InnerHref(p);
    } else if (IsElement(p, kCardDav, "addressbook-home-set")) {
      e.addressbookHome = InnerHref(p);
    } else if (IsElement(p, kCalDav, "calendar-home-set")) {
      e.calendarHome = InnerHref(p);
    } else if (IsElement(p, kCardDav, "address-data") || IsElement(p, kCalDav, "calendar-data")) {
      e.data = Text(p);
    } else if (IsElement(p, kCalDav, "supported-calendar-component-set")) {
      for (const xmlNode* c = p->children; c; c = c->next) {
        if (!IsElement(c, kCalDav, "comp")) continue;
        if (xmlChar* name = xmlGetProp(c, reinterpret_cast<const xmlChar*>("name"))) {
          e.components.push_back(reinterpret_cast<const char*>(name));
          xmlFree(name);
        }
      }
    }
  }
}

struct DocFree {
  void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};

}  // namespace

bool DavEntry::Is(std::string_view type) const {
  return std::find(types.begin(), types.end(), type) != types.end();
}

bool ParseMultistatus(std::string_view xml, std::vector<DavEntry>& out, std::string& error) {
  if (xml.size() > kMaxXmlBytes || xml.size() > static_cast<std::size_t>(INT32_MAX)) {
    error = "the server's answer is too large (" + std::to_string(xml.size()) + " bytes)";
    return false;
  }
  // No network, no entity expansion, no DTD loading: a reply is data, never instructions.
  std::unique_ptr<xmlDoc, DocFree> doc(
      xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "reply.xml", nullptr,
                    XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
  const xmlNode* root = doc ? xmlDocGetRootElement(doc.get()) : nullptr;
  if (!IsElement(root, kDav, "multistatus")) {
    error = doc ? "the server's answer is not a WebDAV multistatus"
                : "the server's answer is not well-formed XML";
    return false;
  }
  for (const xmlNode* r = root->children; r; r = r->next) {
    if (!IsElement(r, kDav, "response")) continue;
    DavEntry e;
    for (const xmlNode* c = r->children; c; c = c->next) {
      if (IsElement(c, kDav, "href") && e.href.empty()) {
        e.href = Trimmed(Text(c));
      } else if (IsElement(c, kDav, "status")) {
        e.status = StatusCode(Trimmed(Text(c)));
      } else if (IsElement(c, kDav, "propstat")) {
        const xmlNode* prop = nullptr;
        int status = 0;
        for (const xmlNode* p = c->children; p; p = p->next) {
          if (IsElement(p, kDav, "prop")) prop = p;
          if (IsElement(p, kDav, "status")) status = StatusCode(Trimmed(Text(p)));
        }
        if (prop && status >= 200 && status < 300) {
          ReadProp(prop, e);
          if (!e.status) e.status = status;
        }
      }
    }
    if (!e.href.empty()) out.push_back(std::move(e));
  }
  return true;
}

std::string XmlEscape(std::string_view text) {
  std::string out;
  for (char c : text) {
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
  return out;
}

namespace {

constexpr const char* kNamespaces =
    " xmlns:D=\"DAV:\" xmlns:A=\"urn:ietf:params:xml:ns:carddav\""
    " xmlns:C=\"urn:ietf:params:xml:ns:caldav\"";

}  // namespace

std::string PropfindBody(const std::vector<std::string>& props) {
  std::string body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<D:propfind";
  body += kNamespaces;
  body += "><D:prop>";
  for (const std::string& p : props) body += "<" + p + "/>";
  return body + "</D:prop></D:propfind>";
}

std::string MultigetBody(bool calendar, const std::vector<std::string>& hrefs) {
  std::string body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
  body += calendar ? "<C:calendar-multiget" : "<A:addressbook-multiget";
  body += kNamespaces;
  body += "><D:prop><D:getetag/>";
  body += calendar ? "<C:calendar-data/>" : "<A:address-data/>";
  body += "</D:prop>";
  for (const std::string& h : hrefs) body += "<D:href>" + XmlEscape(h) + "</D:href>";
  return body + (calendar ? "</C:calendar-multiget>" : "</A:addressbook-multiget>");
}

std::string MkcolAddressbookBody(std::string_view displayName) {
  return std::string("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<D:mkcol") + kNamespaces +
         "><D:set><D:prop><D:resourcetype><D:collection/><A:addressbook/></D:resourcetype>"
         "<D:displayname>" +
         XmlEscape(displayName) + "</D:displayname></D:prop></D:set></D:mkcol>";
}

std::string MkcalendarBody(std::string_view displayName) {
  return std::string("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<C:mkcalendar") + kNamespaces +
         "><D:set><D:prop><D:displayname>" + XmlEscape(displayName) +
         "</D:displayname></D:prop></D:set></C:mkcalendar>";
}
