#pragma once

#include <string>
#include <string_view>
#include <vector>

// One <response> of a WebDAV multistatus, with the properties a CardDAV/CalDAV client needs.
// Only properties of a 2xx propstat are taken; elements are matched by namespace and name, so
// any prefix the server chooses reads the same.
struct DavEntry {
  std::string href;                     // as the server wrote it
  int status = 0;                       // the response's own status (multiget: 404 for a lost href)
  std::vector<std::string> types;       // resourcetype children: collection, addressbook, calendar
  std::vector<std::string> components;  // supported-calendar-component-set: VEVENT, VTODO ...
  std::string etag;
  std::string displayName;
  std::string contentType;
  std::string data;  // address-data or calendar-data
  std::string principal;
  std::string addressbookHome;
  std::string calendarHome;

  bool Is(std::string_view type) const;
};

// Parses a 207 body. False with a reason when it is not a multistatus document. Never loads
// anything from the network nor expands external entities.
bool ParseMultistatus(std::string_view xml, std::vector<DavEntry>& out, std::string& error);

// Request bodies. Texts are escaped for XML.
std::string PropfindBody(const std::vector<std::string>& props);  // "D:getetag", "C:..." names
std::string MultigetBody(bool calendar, const std::vector<std::string>& hrefs);
std::string MkcolAddressbookBody(std::string_view displayName);
std::string MkcalendarBody(std::string_view displayName);
std::string XmlEscape(std::string_view text);
