#include "dav/DavBackend.h"

#include <cstdlib>

#include "platform/AsciiCase.h"

namespace {

std::string Origin(const std::string& url) {
  std::size_t scheme = url.find("://");
  std::size_t path = scheme == std::string::npos ? std::string::npos : url.find('/', scheme + 3);
  return path == std::string::npos ? url : url.substr(0, path);
}

std::string WithSlash(std::string url) {
  if (url.empty() || url.back() != '/') url += '/';
  return url;
}

bool Supports(const DavEntry& e, const std::string& component) {
  // A calendar that names no components takes them all.
  if (e.components.empty()) return true;
  for (const std::string& c : e.components)
    if (platform::EqualsNoCase(c, component)) return true;
  return false;
}

}  // namespace

std::string FindUid(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    if (!platform::StartsWithNoCase(line, "UID") || line.size() < 4 ||
        (line[3] != ':' && line[3] != ';'))
      continue;
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    std::string uid(line.substr(colon + 1));
    // Folded continuation lines begin with a blank.
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) {
      end = text.find('\n', at);
      if (end == std::string_view::npos) end = text.size();
      if (!uid.empty() && uid.back() == '\r') uid.pop_back();
      uid += text.substr(at + 1, end - at - 1);
      at = end + 1;
    }
    while (!uid.empty() && (uid.back() == '\r' || uid.back() == ' ')) uid.pop_back();
    return uid;
  }
  return {};
}

bool HoldsComponent(std::string_view text, const char* component) {
  if (!component || !*component) return true;
  std::string begin = std::string("BEGIN:") + component;
  for (std::size_t at = 0; (at = text.find("BEGIN:", at)) != std::string_view::npos; ++at)
    if (platform::StartsWithNoCase(text.substr(at), begin)) {
      std::size_t after = at + begin.size();
      if (after == text.size() || text[after] == '\r' || text[after] == '\n') return true;
    }
  return false;
}

std::string RecordLabel(const GoogleContact& r) {
  std::string name = r.DisplayName.empty() ? DerivedDisplayName(r) : r.DisplayName.str();
  return "contact \"" + name + "\"";
}
std::string RecordLabel(const GoogleEvent& r) {
  return "event \"" + r.Title.str() + "\"";
}
std::string RecordLabel(const GoogleTask& r) {
  return "task \"" + r.Title.str() + "\"";
}
std::string RecordLabel(const GoogleNote& r) {
  return "note \"" + r.Title.str() + "\"";
}

DavAccountBackend::DavAccountBackend(const AccountSettings& settings, DavTuning tuning)
    : settings_(settings), tuning_(tuning) {
  // Connections=n (1 to 16) fixes the number for a server known better than a sample shows.
  int connections = std::atoi(settings_.Value("Connections").c_str());
  putWindow_ = connections >= 1 && connections <= 16
                   ? DavWindow::Fixed(static_cast<std::size_t>(connections))
                   : DavWindow::Found(tuning_.putParallel);
}

std::string DavAccountBackend::Failure(const DavReply& reply) {
  if (reply.untrusted)
    return "the server's certificate is not trusted (" + reply.error +
           "); a server with a certificate of its own is trusted with quillmove-cli account set "
           "EMAIL --ca-file FILE.";
  if (reply.status == 0) return "the server cannot be reached: " + reply.error;
  if (reply.status == 401) return "the server refused the login (401).";
  if (reply.status == 403) return "the server does not allow it (403).";
  if (reply.status == 404) return "the server has no such address (404).";
  if (reply.status == 507) return "the server has no room left (507).";
  return "the server answered " + std::to_string(reply.status) + ".";
}

bool DavAccountBackend::Open(const std::string& email, const std::string& password,
                             std::string& error) {
  email_ = email;
  if (password.empty()) {
    error = LocalAccount::kBadLogin;
    return false;
  }
  DavConnection c;
  c.user = settings_.Value("User").empty() ? email : settings_.Value("User");
  c.password = password;
  c.caFile = settings_.Value("CaFile");
  c.plainHttp = platform::StartsWithNoCase(settings_.Value("Url"), "http://");
  http_ = std::make_unique<DavHttp>(std::move(c));
  // One request proves the login and the address before any kind is asked for.
  std::vector<DavEntry> entries;
  std::string finalUrl;
  const std::string url = settings_.Value("Url");
  DavReply reply = http_->Send(
      {"PROPFIND", url, PropfindBody({"D:current-user-principal"}), kXml, {"Depth: 0"}});
  if (reply.status == 401) {
    error = LocalAccount::kBadLogin;
    return false;
  }
  if (reply.status == 0) {
    error = "The server " + url +
            (reply.untrusted ? ": " + Failure(reply) : " cannot be reached: " + reply.error);
    return false;
  }
  return true;
}

bool DavAccountBackend::Propfind(const std::string& url, int depth,
                                 const std::vector<std::string>& props,
                                 std::vector<DavEntry>& entries, std::string& finalUrl,
                                 std::string& error) {
  DavReply reply = http_->Send(
      {"PROPFIND", url, PropfindBody(props), kXml, {"Depth: " + std::to_string(depth)}});
  finalUrl = reply.url.empty() ? url : reply.url;
  if (reply.status != 207) {
    error = Failure(reply);
    return false;
  }
  return ParseMultistatus(reply.body, entries, error);
}

// Finds the home of the address books or calendars (RFC 6764): the address given, then the
// server's well-known address; each may be the collection itself, a home, or lead to the
// principal whose home set names it.
bool DavAccountBackend::Home(bool calendar, std::string& home, std::string& collection,
                             std::string& error) {
  const std::string url = settings_.Value("Url");
  const std::string wellKnown =
      Origin(url) + (calendar ? "/.well-known/caldav" : "/.well-known/carddav");
  const std::string homeProp = calendar ? "C:calendar-home-set" : "A:addressbook-home-set";
  const char* type = calendar ? "calendar" : "addressbook";
  std::vector<std::string> candidates{url, wellKnown};
  if (url == Origin(url) || url == Origin(url) + "/") std::swap(candidates[0], candidates[1]);
  std::string lastError;
  for (const std::string& candidate : candidates) {
    std::vector<DavEntry> entries;
    std::string at;
    if (!Propfind(candidate, 0, {"D:current-user-principal", "D:resourcetype", homeProp}, entries,
                  at, lastError)) {
      if (lastError.find("(401)") != std::string::npos) break;
      continue;
    }
    if (entries.empty()) continue;
    const DavEntry& e = entries.front();
    if (e.Is(type)) {
      collection = WithSlash(at);
      return true;
    }
    std::string homeHref = calendar ? e.calendarHome : e.addressbookHome;
    if (homeHref.empty() && !e.principal.empty()) {
      std::vector<DavEntry> p;
      std::string principalUrl = ResolveUrl(at, e.principal), pat;
      if (Propfind(principalUrl, 0, {homeProp}, p, pat, lastError) && !p.empty()) {
        homeHref = calendar ? p.front().calendarHome : p.front().addressbookHome;
        at = pat;
      }
    }
    if (!homeHref.empty()) {
      home = WithSlash(ResolveUrl(at, homeHref));
      return true;
    }
  }
  error = "The server " + url + " offers no " + (calendar ? "calendars" : "address books") +
          (lastError.empty() ? std::string(".") : ": " + lastError);
  return false;
}

bool DavAccountBackend::CollectionFor(const std::string& component, std::string& url,
                                      std::string& error) {
  if (auto it = collections_.find(component); it != collections_.end()) {
    url = it->second;
    return true;
  }
  const bool calendar = !component.empty();
  std::string home, direct;
  if (!Home(calendar, home, direct, error)) return false;
  if (!direct.empty()) {
    url = collections_[component] = direct;
    return true;
  }
  std::vector<DavEntry> entries;
  std::string at;
  if (!Propfind(home, 1, {"D:resourcetype", "D:displayname", "C:supported-calendar-component-set"},
                entries, at, error)) {
    error = "The " + std::string(calendar ? "calendars" : "address books") +
            " cannot be listed: " + error;
    return false;
  }
  std::vector<std::string> found;
  for (const DavEntry& e : entries) {
    if (calendar ? (e.Is("calendar") && Supports(e, component)) : e.Is("addressbook"))
      found.push_back(WithSlash(ResolveUrl(at, e.href)));
  }
  if (!found.empty()) {
    // The first by address: the same one every run.
    std::sort(found.begin(), found.end());
    url = collections_[component] = found.front();
    QM_LOG_INFO("Using %s", url.c_str());
    return true;
  }
  // None yet (a fresh account on some servers): make one; never touch the others.
  std::string name = calendar ? "calendar/" : "contacts/";
  for (int attempt = 0; attempt < 2; ++attempt) {
    std::string target = WithSlash(home) + name;
    DavReply made =
        http_->Send({calendar ? "MKCALENDAR" : "MKCOL",
                     target,
                     calendar ? MkcalendarBody("Calendar") : MkcolAddressbookBody("Contacts"),
                     kXml,
                     {}});
    if (made.status == 201) {
      QM_LOG_INFO("Made %s", target.c_str());
      url = collections_[component] = target;
      return true;
    }
    if (made.status != 405 && made.status != 409) {
      error = std::string("No ") + (calendar ? "calendar" : "address book") +
              " could be made on the server: " + Failure(made);
      return false;
    }
    name = NewIdentifier() + "/";  // the name is taken by something else
  }
  error = std::string("No ") + (calendar ? "calendar" : "address book") +
          " could be made on the server.";
  return false;
}

std::unique_ptr<RecordBackend<GoogleContact>> DavAccountBackend::Contacts(BackendHost& host) {
  return std::make_unique<DavRecordBackend<ContactKind>>(host, *this, "");
}

std::unique_ptr<RecordBackend<GoogleEvent>> DavAccountBackend::Events(BackendHost& host) {
  EventKind::Prepare(MachineTimeZone(), email_);
  return std::make_unique<DavRecordBackend<EventKind>>(host, *this, "VEVENT");
}

std::unique_ptr<RecordBackend<GoogleTask>> DavAccountBackend::Tasks(BackendHost& host) {
  return std::make_unique<DavRecordBackend<TaskKind>>(host, *this, "VTODO");
}

std::unique_ptr<RecordBackend<GoogleNote>> DavAccountBackend::Notes(BackendHost& host) {
  return std::make_unique<DavRecordBackend<NoteKind>>(host, *this, "VJOURNAL");
}

bool DavAccountBackend::Calendar(GoogleCalendar& calendar, std::string& error) {
  std::string url;
  if (!CollectionFor("VEVENT", url, error)) return false;
  calendar.Text1 = email_;
  calendar.Text2 = email_;
  calendar.Text3 = url;
  calendar.TimeZoneId = MachineTimeZone();
  return true;
}

namespace {

// The properties our vCard and iCalendar writers never write, so an update keeps the server's.
constexpr const char* kForeignCardProperties[] = {"PHOTO",
                                                  "LOGO",
                                                  "SOUND",
                                                  "KEY",
                                                  "GEO",
                                                  "TZ",
                                                  "ROLE",
                                                  "GENDER",
                                                  "KIND",
                                                  "MEMBER",
                                                  "RELATED",
                                                  "CLASS",
                                                  "X-SOCIALPROFILE",
                                                  "X-PHONETIC-FIRST-NAME",
                                                  "X-PHONETIC-MIDDLE-NAME",
                                                  "X-PHONETIC-LAST-NAME",
                                                  "X-PHONETIC-ORG",
                                                  "X-MAIDENNAME"};
// EXDATE is ours: the source says which occurrences are deleted, and keeping the server's as
// well would double them or bring back days the source no longer skips.
constexpr const char* kForeignCalendarProperties[] = {
    "ATTENDEE", "ORGANIZER", "ATTACH",  "CONFERENCE", "URL",     "COLOR", "IMAGE",
    "GEO",      "RESOURCES", "CONTACT", "RELATED-TO", "COMMENT", "RDATE"};

// A text's logical lines: each physical line with its folded continuations, line ends kept.
std::vector<std::string_view> LogicalLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = at;
    do {
      std::size_t nl = text.find('\n', end);
      end = nl == std::string_view::npos ? text.size() : nl + 1;
    } while (end < text.size() && (text[end] == ' ' || text[end] == '\t'));
    lines.push_back(text.substr(at, end - at));
    at = end;
  }
  return lines;
}

// "NAME" of "NAME;PARAM=x:value"; empty for a grouped name ("item1.X-ABLabel").
std::string_view PropertyName(std::string_view line) {
  std::string_view name = line.substr(0, line.find_first_of(";:\r\n"));
  return name.find('.') == std::string_view::npos ? name : std::string_view();
}

bool IsLine(std::string_view line, const std::string& what) {
  std::string_view bare = line.substr(0, line.find_first_of("\r\n"));
  return platform::EqualsNoCase(bare, what);
}

std::string WithCrLf(std::string_view line) {
  std::string out;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '\n' && (i == 0 || line[i - 1] != '\r')) out += '\r';
    out += line[i];
  }
  if (out.empty() || out.back() != '\n') out += "\r\n";
  return out;
}

}  // namespace

std::string KeepForeignParts(std::string ours, std::string_view theirs,
                             const std::string& component) {
  const bool card = component == "VCARD";
  std::string kept, exceptions;
  int depth = -1;  // -1 before the component, 0 inside it, more inside its children
  for (std::string_view line : LogicalLines(theirs)) {
    if (depth < 0) {
      if (IsLine(line, "BEGIN:" + component)) depth = 0;
      continue;
    }
    if (depth == 0 && IsLine(line, "END:" + component)) break;
    std::string_view name = PropertyName(line);
    if (platform::StartsWithNoCase(line, "BEGIN:"))
      ++depth;
    else if (platform::StartsWithNoCase(line, "END:"))
      --depth;
    else if (depth == 0) {
      for (const char* keep : card ? std::span<const char* const>(kForeignCardProperties)
                                   : std::span<const char* const>(kForeignCalendarProperties))
        if (platform::EqualsNoCase(name, keep)) kept += WithCrLf(line);
    }
  }
  if (!card) {
    // Exceptions stand beside the master, each its own component at the top of the calendar.
    std::string block;
    int blockDepth = 0;
    bool blockIsException = false;
    int level = 0;
    for (std::string_view line : LogicalLines(theirs)) {
      if (platform::StartsWithNoCase(line, "BEGIN:")) {
        ++level;
        if (level == 2 && IsLine(line, "BEGIN:" + component)) {
          block.clear();
          blockIsException = false;
          blockDepth = 1;
        }
      }
      if (blockDepth > 0) {
        block += WithCrLf(line);
        if (level == 2 && platform::StartsWithNoCase(line, "RECURRENCE-ID"))
          blockIsException = true;
      }
      if (platform::StartsWithNoCase(line, "END:")) {
        if (level == 2 && blockDepth > 0) {
          if (blockIsException) exceptions += block;
          blockDepth = 0;
        }
        --level;
      }
    }
  }
  if (!kept.empty()) {
    std::size_t begin = ours.find("BEGIN:" + component);
    std::size_t end = begin == std::string::npos ? begin : ours.find("END:" + component, begin);
    if (end != std::string::npos) ours.insert(end, kept);
  }
  if (!exceptions.empty()) {
    std::size_t end = ours.rfind("END:VCALENDAR");
    if (end != std::string::npos) ours.insert(end, exceptions);
  }
  return ours;
}
