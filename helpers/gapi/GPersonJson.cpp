#include "gapi/GPersonJson.h"

#include <set>

#include "VCard.h"
#include "misc/CxDateTime.h"
#include "misc/Utf8.h"
#include "platform/AsciiCase.h"

namespace {

using json = nlohmann::json;

struct TypeName {
  std::int32_t code;
  const char* name;
};

constexpr TypeName kHomeWorkOther[] = {{1, "home"}, {2, "work"}, {3, "other"}};
constexpr TypeName kPhoneTypes[] = {{kGPhoneHome, "home"},       {kGPhoneWork, "work"},
                                    {kGPhoneMobile, "mobile"},   {kGPhoneHomeFax, "homeFax"},
                                    {kGPhoneWorkFax, "workFax"}, {kGPhonePager, "pager"},
                                    {kGPhoneOther, "other"}};
constexpr TypeName kWebTypes[] = {
    {kGWebHome, "home"}, {kGWebWork, "work"},       {kGWebHomePage, "homePage"}, {kGWebFtp, "ftp"},
    {kGWebBlog, "blog"}, {kGWebProfile, "profile"}, {kGWebOther, "other"}};
constexpr TypeName kImProtocols[] = {
    {kGImGTalk, "googleTalk"}, {kGImAim, "aim"},      {kGImYahoo, "yahoo"},
    {kGImSkype, "skype"},      {kGImQq, "qq"},        {kGImMsn, "msn"},
    {kGImIcq, "icq"},          {kGImJabber, "jabber"}};
constexpr TypeName kRelationTypes[] = {{1, "spouse"},           {2, "child"},    {3, "mother"},
                                       {4, "father"},           {5, "parent"},   {6, "brother"},
                                       {7, "sister"},           {8, "friend"},   {9, "relative"},
                                       {10, "domesticPartner"}, {11, "manager"}, {12, "assistant"},
                                       {13, "referredBy"},      {14, "partner"}};
constexpr TypeName kEventTypes[] = {{kGDateAnniversary, "anniversary"}, {kGDateOther, "other"}};

template <std::size_t N>
std::string NameOf(const TypeName (&table)[N], std::int32_t code) {
  for (const TypeName& t : table)
    if (t.code == code) return t.name;
  // Codes the table does not know travel as a custom label and come back as themselves.
  return "Type " + std::to_string(code);
}

template <std::size_t N>
std::int32_t CodeOf(const TypeName (&table)[N], const std::string& name, std::int32_t fallback) {
  for (const TypeName& t : table)
    if (platform::EqualsNoCase(name, t.name)) return t.code;
  std::int32_t n = 0;
  if (name.size() > 5 && platform::EqualsNoCase(name.substr(0, 5), "Type ") &&
      ParseInt32(name.substr(5), n) && n > 0)
    return n;
  return fallback;
}

std::string Str(const json& j, const char* key) {
  if (!j.is_object()) return {};
  auto it = j.find(key);
  return it != j.end() && it->is_string() ? it->get<std::string>() : std::string();
}

bool IsPrimary(const json& entry) {
  auto m = entry.find("metadata");
  return m != entry.end() && m->is_object() && m->value("primary", false) == true;
}

const json& ListOf(const json& person, const char* key) {
  static const json kEmpty = json::array();
  auto it = person.find(key);
  return it != person.end() && it->is_array() ? *it : kEmpty;
}

json DateJson(OleDate d) {
  SYSTEMTIME st;
  if (!CxDateTime::OleDateToSystemTime(d, st)) return nullptr;
  return {{"year", st.wYear}, {"month", st.wMonth}, {"day", st.wDay}};
}

// A date without a year (a birthday kept as day and month) has no OleDate: it is left out.
bool DateOf(const json& entry, OleDate& out) {
  auto it = entry.find("date");
  if (it == entry.end() || !it->is_object()) return false;
  int y = it->value("year", 0), m = it->value("month", 0), d = it->value("day", 0);
  if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > 31) return false;
  SYSTEMTIME st;
  st.wYear = static_cast<std::uint16_t>(y);
  st.wMonth = static_cast<std::uint16_t>(m);
  st.wDay = static_cast<std::uint16_t>(d);
  return CxDateTime::SystemTimeToOleDate(st, out);
}

// Typed values of one family with its primary: entries in slot order, the primary marked;
// a primary no slot holds goes last, alone.
template <std::size_t N, class T, class Make>
json TypedList(const std::array<std::int32_t, N>& types, const std::array<T, N>& values,
               std::string_view primary, Make make) {
  json list = json::array();
  bool primaryDone = primary.empty();
  for (std::size_t i = 0; i < N; ++i) {
    if (types[i] == 0 || values[i].empty()) continue;
    json e = make(types[i], values[i].str());
    if (!primaryDone && values[i].view() == primary) {
      e["metadata"] = {{"primary", true}};
      primaryDone = true;
    }
    list.push_back(std::move(e));
  }
  if (!primaryDone) {
    json e = make(0, std::string(primary));
    e.erase("type");
    e.erase("protocol");
    e["metadata"] = {{"primary", true}};
    list.push_back(std::move(e));
  }
  return list;
}

template <std::size_t N, class T>
void PutSlot(std::array<std::int32_t, N>& types, std::array<T, N>& values, std::int32_t type,
             const std::string& value) {
  int s = GoogleContact::FindSlot(types.data(), N, 0);
  if (s < 0) return;
  types[static_cast<std::size_t>(s)] = type;
  values[static_cast<std::size_t>(s)] = value;
}

// Reads one typed family; `typeKey` names the entry's type ("type", or "protocol").
template <std::size_t N, class T, std::size_t M, class P>
void ReadTyped(const json& list, const char* valueKey, const char* typeKey,
               const TypeName (&table)[M], std::int32_t fallback,
               std::array<std::int32_t, N>& types, std::array<T, N>& values, P& primary) {
  for (const json& e : list) {
    std::string value = Str(e, valueKey);
    if (value.empty()) continue;
    std::string type = Str(e, typeKey);
    if (IsPrimary(e) && primary.empty()) primary = value;
    // An entry without a type that is the primary one is the primary value alone.
    if (type.empty() && IsPrimary(e)) continue;
    PutSlot(types, values, CodeOf(table, type, fallback), value);
  }
}

// What identifies an entry of a list, to tell whether ours already has the server's.
std::string EntryKey(const std::string& field, const json& e) {
  if (field == "imClients") return platform::FoldAscii(Str(e, "username"));
  if (field == "relations") return Str(e, "person");
  if (field == "userDefined") return Str(e, "key") + "\n" + Str(e, "value");
  if (field == "events" || field == "birthdays") return e.value("date", json()).dump();
  if (field == "memberships") {
    auto m = e.find("contactGroupMembership");
    return m != e.end() ? Str(*m, "contactGroupResourceName") : e.dump();
  }
  if (field == "addresses") {
    std::string f = Str(e, "formattedValue");
    return f.empty() ? Str(e, "streetAddress") + "\n" + Str(e, "city") + "\n" + Str(e, "postalCode")
                     : f;
  }
  if (field == "emailAddresses") return platform::FoldAscii(Str(e, "value"));
  return Str(e, "value");
}

// Lists whose first entry is the value (the rest are the server's own).
bool SingleValued(const std::string& field) {
  return field == "names" || field == "nicknames" || field == "organizations" ||
         field == "biographies" || field == "birthdays";
}

}  // namespace

std::vector<std::string> GroupNamesOf(std::string_view text) {
  std::vector<std::string> names;
  while (!text.empty()) {
    std::size_t comma = text.find(',');
    std::string_view name = text.substr(0, comma);
    while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    if (!name.empty()) names.emplace_back(name);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return names;
}

json PersonOfContact(const GoogleContact& c, const GPersonGroups& groups) {
  json p = json::object();
  json name = json::object();
  if (!c.FirstName.empty()) name["givenName"] = c.FirstName.str();
  if (!c.MiddleName.empty()) name["middleName"] = c.MiddleName.str();
  if (!c.LastName.empty()) name["familyName"] = c.LastName.str();
  // The display name is the server's to compose from the parts; alone it is the whole name.
  if (name.empty() && !c.DisplayName.empty()) name["unstructuredName"] = c.DisplayName.str();
  if (!name.empty()) p["names"] = json::array({name});
  if (!c.NickName.empty()) p["nicknames"] = json::array({{{"value", c.NickName.str()}}});
  json org = json::object();
  if (!c.CompanyName.empty()) org["name"] = c.CompanyName.str();
  if (!c.JobTitle.empty()) org["title"] = c.JobTitle.str();
  if (!org.empty()) p["organizations"] = json::array({org});

  auto typed = [](const auto& table, const char* typeKey, const char* valueKey) {
    return [&table, typeKey, valueKey](std::int32_t type, const std::string& value) {
      return json{{valueKey, value}, {typeKey, NameOf(table, type)}};
    };
  };
  json emails = TypedList(c.EmailType, c.Email, c.PrimaryEmail.view(),
                          typed(kHomeWorkOther, "type", "value"));
  if (!emails.empty()) p["emailAddresses"] = std::move(emails);
  json phones =
      TypedList(c.PhoneType, c.Phone, c.PrimaryPhone.view(), typed(kPhoneTypes, "type", "value"));
  if (!phones.empty()) p["phoneNumbers"] = std::move(phones);
  json urls = TypedList(c.WebSiteType, c.WebSite, c.PrimaryWebSite.view(),
                        typed(kWebTypes, "type", "value"));
  if (!urls.empty()) p["urls"] = std::move(urls);
  json ims =
      TypedList(c.ImType, c.Im, c.PrimaryIm.view(), typed(kImProtocols, "protocol", "username"));
  if (!ims.empty()) p["imClients"] = std::move(ims);

  json addresses = json::array();
  for (std::size_t i = 0; i < GoogleContact::kAddresses; ++i) {
    if (c.AddressType[i] == 0) continue;
    json a = json::object();
    auto put = [&](const char* key, const auto& field) {
      if (!field.empty()) a[key] = field.str();
    };
    put("formattedValue", c.FormattedAddress[i]);
    put("poBox", c.PoBox[i]);
    put("extendedAddress", c.Neighborhood[i]);
    put("streetAddress", c.Street[i]);
    put("city", c.City[i]);
    put("region", c.State[i]);
    put("postalCode", c.PostalCode[i]);
    put("country", c.Country[i]);
    if (a.empty()) continue;
    a["type"] = NameOf(kHomeWorkOther, c.AddressType[i]);
    addresses.push_back(std::move(a));
  }
  if (!addresses.empty()) p["addresses"] = std::move(addresses);

  json birthdays = json::array(), events = json::array();
  for (std::size_t i = 0; i < GoogleContact::kDates; ++i) {
    if (c.DateType[i] == 0 || !c.Date[i].IsSet()) continue;
    json date = DateJson(c.Date[i]);
    if (date.is_null()) continue;
    if (c.DateType[i] == kGDateBirthday && birthdays.empty())
      birthdays.push_back({{"date", date}});
    else
      events.push_back({{"date", date}, {"type", NameOf(kEventTypes, c.DateType[i])}});
  }
  if (!birthdays.empty()) p["birthdays"] = std::move(birthdays);
  if (!events.empty()) p["events"] = std::move(events);

  json relations = json::array();
  for (std::size_t i = 0; i < GoogleContact::kRelations; ++i)
    if (c.RelationType[i] != 0 && !c.Relation[i].empty())
      relations.push_back(
          {{"person", c.Relation[i].str()}, {"type", NameOf(kRelationTypes, c.RelationType[i])}});
  if (!relations.empty()) p["relations"] = std::move(relations);

  json custom = json::array();
  for (std::size_t i = 0; i < GoogleContact::kCustoms; ++i)
    if (!c.CustomLabel[i].empty() || !c.CustomValue[i].empty())
      custom.push_back({{"key", c.CustomLabel[i].str()}, {"value", c.CustomValue[i].str()}});
  if (!custom.empty()) p["userDefined"] = std::move(custom);

  if (!c.Note.empty())
    p["biographies"] = json::array({{{"value", c.Note.str()}, {"contentType", "TEXT_PLAIN"}}});

  json memberships = json::array();
  for (const std::string& g : GroupNamesOf(c.Groups.view())) {
    auto it = groups.resourceOf.find(g);
    if (it != groups.resourceOf.end())
      memberships.push_back(
          {{"contactGroupMembership", {{"contactGroupResourceName", it->second}}}});
  }
  if (!memberships.empty()) p["memberships"] = std::move(memberships);
  return p;
}

void ContactOfPerson(const json& p, GoogleContact& c, const GPersonGroups& groups) {
  if (!p.is_object()) return;
  if (const json& names = ListOf(p, "names"); !names.empty()) {
    const json& n = names.front();
    c.FirstName = Str(n, "givenName");
    c.MiddleName = Str(n, "middleName");
    c.LastName = Str(n, "familyName");
    c.DisplayName = Str(n, "displayName");
    if (c.DisplayName.empty()) c.DisplayName = Str(n, "unstructuredName");
  }
  if (const json& nicks = ListOf(p, "nicknames"); !nicks.empty())
    c.NickName = Str(nicks.front(), "value");
  if (const json& orgs = ListOf(p, "organizations"); !orgs.empty()) {
    c.CompanyName = Str(orgs.front(), "name");
    c.JobTitle = Str(orgs.front(), "title");
  }
  ReadTyped(ListOf(p, "emailAddresses"), "value", "type", kHomeWorkOther, kGEmailOther, c.EmailType,
            c.Email, c.PrimaryEmail);
  ReadTyped(ListOf(p, "phoneNumbers"), "value", "type", kPhoneTypes, kGPhoneOther, c.PhoneType,
            c.Phone, c.PrimaryPhone);
  ReadTyped(ListOf(p, "urls"), "value", "type", kWebTypes, kGWebOther, c.WebSiteType, c.WebSite,
            c.PrimaryWebSite);
  ReadTyped(ListOf(p, "imClients"), "username", "protocol", kImProtocols, kGImJabber, c.ImType,
            c.Im, c.PrimaryIm);
  for (const json& a : ListOf(p, "addresses")) {
    int s = GoogleContact::FindSlot(c.AddressType.data(), GoogleContact::kAddresses, 0);
    if (s < 0) break;
    auto i = static_cast<std::size_t>(s);
    c.AddressType[i] = CodeOf(kHomeWorkOther, Str(a, "type"), kGAddrOther);
    c.FormattedAddress[i] = Str(a, "formattedValue");
    c.PoBox[i] = Str(a, "poBox");
    c.Neighborhood[i] = Str(a, "extendedAddress");
    c.Street[i] = Str(a, "streetAddress");
    c.City[i] = Str(a, "city");
    c.State[i] = Str(a, "region");
    c.PostalCode[i] = Str(a, "postalCode");
    c.Country[i] = Str(a, "country");
  }
  auto putDate = [&](std::int32_t type, const json& e) {
    OleDate d;
    if (!DateOf(e, d)) return;
    int s = GoogleContact::FindSlot(c.DateType.data(), GoogleContact::kDates, 0);
    if (s < 0) return;
    c.DateType[static_cast<std::size_t>(s)] = type;
    c.Date[static_cast<std::size_t>(s)] = d;
  };
  if (const json& b = ListOf(p, "birthdays"); !b.empty()) putDate(kGDateBirthday, b.front());
  for (const json& e : ListOf(p, "events"))
    putDate(CodeOf(kEventTypes, Str(e, "type"), kGDateOther), e);
  for (const json& r : ListOf(p, "relations"))
    if (!Str(r, "person").empty())
      PutSlot(c.RelationType, c.Relation, CodeOf(kRelationTypes, Str(r, "type"), 9),
              Str(r, "person"));
  std::size_t custom = 0;
  for (const json& u : ListOf(p, "userDefined")) {
    if (custom == GoogleContact::kCustoms) break;
    c.CustomLabel[custom] = Str(u, "key");
    c.CustomValue[custom] = Str(u, "value");
    ++custom;
  }
  if (const json& b = ListOf(p, "biographies"); !b.empty()) c.Note = Str(b.front(), "value");
  std::string names;
  for (const json& m : ListOf(p, "memberships")) {
    auto g = m.find("contactGroupMembership");
    if (g == m.end()) continue;
    auto it = groups.nameOf.find(Str(*g, "contactGroupResourceName"));
    if (it == groups.nameOf.end()) continue;  // system groups ("myContacts") are no category
    if (!names.empty()) names += ", ";
    names += it->second;
  }
  c.Groups = names;
  // The account's last change: the contact source's update time.
  const json metadata = p.value("metadata", json::object());
  for (const json& s : ListOf(metadata, "sources")) {
    std::string when = Str(s, "updateTime");
    if (Str(s, "type") != "CONTACT" || when.size() < 19) continue;
    std::tm tm{};
    if (!::strptime(when.substr(0, 19).c_str(), "%Y-%m-%dT%H:%M:%S", &tm)) continue;
    std::time_t t = ::timegm(&tm);
    if (t != -1) c.LastModificationTime = CxDateTime::TimeTToOleDate(t);
    break;
  }
}

json MergePerson(const json& current, const json& ours, std::string& fields) {
  json merged = current.is_object() ? current : json::object();
  fields.clear();
  for (auto it = ours.begin(); it != ours.end(); ++it) {
    const std::string& field = it.key();
    if (!it->is_array() || it->empty()) continue;
    if (!fields.empty()) fields += ',';
    fields += field;
    const json& server = ListOf(merged, field.c_str());
    json out = json::array();
    if (SingleValued(field)) {
      // Our value over the server's first entry, whose other keys (metadata, ...) stay.
      json first = server.empty() ? json::object() : server.front();
      for (auto kv = it->front().begin(); kv != it->front().end(); ++kv)
        first[kv.key()] = kv.value();
      if (field == "names" && first.contains("unstructuredName") &&
          it->front().contains("givenName"))
        first.erase("unstructuredName");
      out.push_back(std::move(first));
      for (std::size_t i = 1; i < server.size(); ++i) out.push_back(server[i]);
    } else {
      std::set<std::string> seen;
      for (const json& e : *it) {
        json entry = e;
        // Our entry over the server's entry of the same value keeps the server's own keys.
        for (const json& s : server)
          if (EntryKey(field, s) == EntryKey(field, e) && s.is_object()) {
            entry = s;
            for (auto kv = e.begin(); kv != e.end(); ++kv) entry[kv.key()] = kv.value();
            break;
          }
        seen.insert(EntryKey(field, e));
        out.push_back(std::move(entry));
      }
      // Nothing of the account is lost: the server's other entries stay behind ours.
      for (const json& s : server)
        if (!seen.count(EntryKey(field, s))) out.push_back(s);
    }
    merged[field] = std::move(out);
  }
  return merged;
}
