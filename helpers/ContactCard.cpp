#include "ContactCard.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>

#include "misc/CxDateTime.h"
#include "platform/AsciiCase.h"

namespace {

// "_$!<Spouse>!$_" and "Spouse" name the same label.
std::string_view BareLabel(std::string_view label) {
  label = VCardTrim(label);
  if (label.size() > 8 && label.substr(0, 4) == "_$!<" && label.substr(label.size() - 4) == ">!$_")
    return label.substr(4, label.size() - 8);
  return label;
}

struct Label {
  std::int32_t type;
  const char* label;
};

constexpr Label kRelationLabels[] = {
    {1, "_$!<Spouse>!$_"},    {2, "_$!<Child>!$_"},    {3, "_$!<Mother>!$_"},
    {4, "_$!<Father>!$_"},    {5, "_$!<Parent>!$_"},   {6, "_$!<Brother>!$_"},
    {7, "_$!<Sister>!$_"},    {8, "_$!<Friend>!$_"},   {9, "Relative"},
    {10, "Domestic Partner"}, {11, "_$!<Manager>!$_"}, {12, "_$!<Assistant>!$_"},
    {13, "Referred By"},      {14, "_$!<Partner>!$_"},
};
constexpr Label kWebLabels[] = {
    {kGWebHomePage, "_$!<HomePage>!$_"},
    {kGWebFtp, "FTP"},
    {kGWebBlog, "BLOG"},
    {kGWebProfile, "PROFILE"},
    {kGWebOther, "_$!<Other>!$_"},
};
constexpr Label kDateLabels[] = {
    {kGDateBirthday, "_$!<Birthday>!$_"},
    {kGDateAnniversary, "_$!<Anniversary>!$_"},
    {kGDateOther, "_$!<Other>!$_"},
};
constexpr const char* kImProperties[] = {"X-GTALK", "X-AIM", "X-YAHOO", "X-SKYPE",
                                         "X-QQ",    "X-MSN", "X-ICQ",   "X-JABBER"};

template <std::size_t N>
std::string LabelOf(const Label (&table)[N], std::int32_t type) {
  for (const Label& l : table)
    if (l.type == type) return l.label;
  // Codes the table does not know still come back as themselves.
  return "Type " + std::to_string(type);
}

template <std::size_t N>
std::int32_t TypeOfLabel(const Label (&table)[N], std::string_view label, std::int32_t fallback) {
  std::string_view bare = BareLabel(label);
  for (const Label& l : table)
    if (platform::EqualsNoCase(BareLabel(l.label), bare)) return l.type;
  std::int32_t n = 0;
  if (bare.size() > 5 && platform::EqualsNoCase(bare.substr(0, 5), "Type ") &&
      ParseInt32(bare.substr(5), n) && n > 0)
    return n;
  return fallback;
}

// Slot i is written when it has a type and a value.
template <std::size_t N, class T>
bool Filled(const std::array<std::int32_t, N>& types, const std::array<T, N>& values,
            std::size_t i) {
  return types[i] != 0 && !values[i].empty();
}

template <std::size_t N>
int FreeSlot(std::array<std::int32_t, N>& types) {
  return GoogleContact::FindSlot(types.data(), N, 0);
}

// Fills the next free slot; false when the family is full.
template <std::size_t N, class T>
bool PutSlot(std::array<std::int32_t, N>& types, std::array<T, N>& values, std::int32_t type,
             std::string_view value) {
  int s = FreeSlot(types);
  if (s < 0) return false;
  types[static_cast<std::size_t>(s)] = type;
  values[static_cast<std::size_t>(s)] = value;
  return true;
}

std::string Pref(bool primary) {
  return primary ? ";TYPE=PREF" : "";
}

std::int32_t PhoneTypeOf(const VCardProperty& p) {
  if (p.HasType("FAX")) return p.HasType("WORK") ? kGPhoneWorkFax : kGPhoneHomeFax;
  if (p.HasType("PAGER")) return kGPhonePager;
  if (p.HasType("CELL")) return kGPhoneMobile;
  if (p.HasType("HOME")) return kGPhoneHome;
  if (p.HasType("WORK")) return kGPhoneWork;
  return kGPhoneOther;
}

const char* PhoneTypes(std::int32_t type) {
  switch (type) {
    case kGPhoneHome:
      return ";TYPE=HOME";
    case kGPhoneWork:
      return ";TYPE=WORK";
    case kGPhoneMobile:
      return ";TYPE=CELL";
    case kGPhoneHomeFax:
      return ";TYPE=HOME;TYPE=FAX";
    case kGPhoneWorkFax:
      return ";TYPE=WORK;TYPE=FAX";
    case kGPhonePager:
      return ";TYPE=PAGER";
    default:
      return ";TYPE=OTHER";
  }
}

const char* HomeWorkOther(std::int32_t type) {
  return type == 1 ? ";TYPE=HOME" : type == 2 ? ";TYPE=WORK" : ";TYPE=OTHER";
}

// A line carrying only PREF (and the "which network" words) holds a primary value alone.
bool OnlyPref(const VCardProperty& p, std::initializer_list<const char*> ignored) {
  if (!p.HasType("PREF")) return false;
  for (const std::string& t : p.types) {
    if (t == "PREF") continue;
    bool skip = false;
    for (const char* i : ignored) skip = skip || t == i;
    if (!skip) return false;
  }
  return true;
}

bool IsImProperty(const std::string& name) {
  if (name == "IMPP" || name == "X-GOOGLE-TALK" || name == "X-SKYPE-USERNAME") return true;
  for (const char* im : kImProperties)
    if (name == im) return true;
  return false;
}

// Group names as the groups text lists them, separated by commas.
std::vector<std::string_view> GroupNames(std::string_view text) {
  std::vector<std::string_view> names;
  while (!text.empty()) {
    std::size_t comma = text.find(',');
    std::string_view name = VCardTrim(text.substr(0, comma));
    if (!name.empty()) names.push_back(name);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return names;
}

std::int32_t ImTypeOfScheme(std::string_view value, const VCardProperty& p,
                            std::string_view& address) {
  std::size_t colon = value.find(':');
  address = value;
  if (colon == std::string_view::npos) return 0;
  std::string_view scheme = value.substr(0, colon);
  address = value.substr(colon + 1);
  std::string service = p.Param("X-SERVICE-TYPE");
  if (platform::EqualsNoCase(scheme, "gtalk") ||
      (platform::EqualsNoCase(scheme, "xmpp") && platform::EqualsNoCase(service, "GoogleTalk")))
    return kGImGTalk;
  if (platform::EqualsNoCase(scheme, "aim")) return kGImAim;
  if (platform::EqualsNoCase(scheme, "ymsgr")) return kGImYahoo;
  if (platform::EqualsNoCase(scheme, "skype")) return kGImSkype;
  if (platform::EqualsNoCase(scheme, "qq")) return kGImQq;
  if (platform::EqualsNoCase(scheme, "msn") || platform::EqualsNoCase(scheme, "msnim"))
    return kGImMsn;
  if (platform::EqualsNoCase(scheme, "icq")) return kGImIcq;
  if (platform::EqualsNoCase(scheme, "xmpp")) return kGImJabber;
  address = value;
  return 0;
}

}  // namespace

std::string CardDate(OleDate date) {
  SYSTEMTIME st;
  if (!CxDateTime::OleDateToSystemTime(date, st)) return {};
  char buf[64];
  if (st.wHour || st.wMinute || st.wSecond)
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", st.wYear, st.wMonth, st.wDay,
                  st.wHour, st.wMinute, st.wSecond);
  else
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", st.wYear, st.wMonth, st.wDay);
  return buf;
}

namespace {

// Digits of "YYYY-MM-DD[THH:MM:SS[Z]]" or "YYYYMMDD[THHMMSS[Z]]"; false for anything else.
bool ParseStamp(std::string_view text, SYSTEMTIME& st, bool& utc) {
  text = VCardTrim(text);
  std::string digits;
  bool timePart = false;
  utc = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c >= '0' && c <= '9') {
      digits += c;
    } else if (c == 'T' && !timePart && digits.size() == 8) {
      timePart = true;
    } else if (c == 'Z' && i + 1 == text.size() && timePart) {
      utc = true;
    } else if (c != '-' && c != ':') {
      return false;
    }
    if (digits.size() > 14) return false;
  }
  if (digits.size() != 8 && !(timePart && digits.size() == 14)) return false;
  auto num = [&](std::size_t at, std::size_t n) {
    std::int32_t v = 0;
    ParseInt32(std::string_view(digits).substr(at, n), v);
    return static_cast<std::uint16_t>(v);
  };
  st = SYSTEMTIME();
  st.wYear = num(0, 4);
  st.wMonth = num(4, 2);
  st.wDay = num(6, 2);
  if (digits.size() == 14) {
    st.wHour = num(8, 2);
    st.wMinute = num(10, 2);
    st.wSecond = num(12, 2);
  }
  return true;
}

}  // namespace

bool ParseCardDate(std::string_view text, OleDate& date) {
  SYSTEMTIME st;
  bool utc = false;
  if (!ParseStamp(text, st, utc)) return false;
  return CxDateTime::SystemTimeToOleDate(st, date);
}

std::string UtcStamp(OleDate local) {
  std::time_t t = CxDateTime::OleDateToTimeT(local);
  std::tm tm{};
  if (t == -1 || !::gmtime_r(&t, &tm)) return {};
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d%02d%02dT%02d%02d%02dZ", tm.tm_year + 1900, tm.tm_mon + 1,
                tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
  return buf;
}

bool ParseUtcStamp(std::string_view text, OleDate& local) {
  SYSTEMTIME st;
  bool utc = false;
  if (!ParseStamp(text, st, utc)) return false;
  if (!utc) return CxDateTime::SystemTimeToOleDate(st, local);
  std::tm tm{};
  tm.tm_year = st.wYear - 1900;
  tm.tm_mon = st.wMonth - 1;
  tm.tm_mday = st.wDay;
  tm.tm_hour = st.wHour;
  tm.tm_min = st.wMinute;
  tm.tm_sec = st.wSecond;
  std::time_t t = ::timegm(&tm);
  if (t == -1) return false;
  local = CxDateTime::TimeTToOleDate(t);
  return true;
}

std::string DerivedDisplayName(const GoogleContact& c) {
  std::string name;
  for (const auto* part : {&c.FirstName, &c.MiddleName, &c.LastName}) {
    if (part->empty()) continue;
    if (!name.empty()) name += ' ';
    name += part->view();
  }
  if (name.empty()) name = c.CompanyName.view();
  if (name.empty()) name = c.PrimaryEmail.view();
  for (std::size_t i = 0; name.empty() && i < GoogleContact::kEmails; ++i) name = c.Email[i].view();
  return name;
}

std::string WriteContactCard(const GoogleContact& c, std::string_view uid) {
  VCardWriter w;
  w.Add("", "PRODID", "", "-//Quillmove//GAddrUtil//EN");
  if (!uid.empty()) w.Add("", "UID", "", VCardEscape(uid));
  // FN is required, and clients list a card by it: a contact without a display name gets the
  // one an address book would show, which reading takes back out again.
  w.Add("", "FN", "",
        VCardEscape(c.DisplayName.empty() ? DerivedDisplayName(c) : c.DisplayName.str()));
  w.Add("", "N", "",
        VCardEscape(c.LastName.view()) + ";" + VCardEscape(c.FirstName.view()) + ";" +
            VCardEscape(c.MiddleName.view()) + ";;");
  if (!c.NickName.empty()) w.Add("", "NICKNAME", "", VCardEscape(c.NickName.view()));
  if (!c.CompanyName.empty()) w.Add("", "ORG", "", VCardEscape(c.CompanyName.view()));
  if (!c.JobTitle.empty()) w.Add("", "TITLE", "", VCardEscape(c.JobTitle.view()));

  int item = 0;
  auto nextGroup = [&] { return "item" + std::to_string(++item); };

  bool primaryDone = c.PrimaryEmail.empty();
  for (std::size_t i = 0; i < GoogleContact::kEmails; ++i) {
    if (!Filled(c.EmailType, c.Email, i)) continue;
    bool pref = !primaryDone && c.Email[i] == c.PrimaryEmail.view();
    primaryDone = primaryDone || pref;
    w.Add("", "EMAIL", std::string(";TYPE=INTERNET") + HomeWorkOther(c.EmailType[i]) + Pref(pref),
          VCardEscape(c.Email[i].view()));
  }
  if (!primaryDone)
    w.Add("", "EMAIL", ";TYPE=INTERNET;TYPE=PREF", VCardEscape(c.PrimaryEmail.view()));

  primaryDone = c.PrimaryPhone.empty();
  for (std::size_t i = 0; i < GoogleContact::kPhones; ++i) {
    if (!Filled(c.PhoneType, c.Phone, i)) continue;
    bool pref = !primaryDone && c.Phone[i] == c.PrimaryPhone.view();
    primaryDone = primaryDone || pref;
    w.Add("", "TEL", std::string(PhoneTypes(c.PhoneType[i])) + Pref(pref),
          VCardEscape(c.Phone[i].view()));
  }
  if (!primaryDone) w.Add("", "TEL", ";TYPE=PREF", VCardEscape(c.PrimaryPhone.view()));

  for (std::size_t i = 0; i < GoogleContact::kAddresses; ++i) {
    if (c.AddressType[i] == 0) continue;
    std::string adr = VCardEscape(c.PoBox[i].view()) + ";" + VCardEscape(c.Neighborhood[i].view()) +
                      ";" + VCardEscape(c.Street[i].view()) + ";" + VCardEscape(c.City[i].view()) +
                      ";" + VCardEscape(c.State[i].view()) + ";" +
                      VCardEscape(c.PostalCode[i].view()) + ";" + VCardEscape(c.Country[i].view());
    bool formatted = !c.FormattedAddress[i].empty();
    if (adr == ";;;;;;" && !formatted) continue;
    std::string group = formatted ? nextGroup() : std::string();
    w.Add(group, "ADR", HomeWorkOther(c.AddressType[i]), adr);
    if (formatted)
      w.Add(group, "LABEL", HomeWorkOther(c.AddressType[i]),
            VCardEscape(c.FormattedAddress[i].view()));
  }

  primaryDone = c.PrimaryWebSite.empty();
  for (std::size_t i = 0; i < GoogleContact::kWebs; ++i) {
    if (!Filled(c.WebSiteType, c.WebSite, i)) continue;
    bool pref = !primaryDone && c.WebSite[i] == c.PrimaryWebSite.view();
    primaryDone = primaryDone || pref;
    std::string value = VCardEscape(c.WebSite[i].view());
    std::int32_t type = c.WebSiteType[i];
    if (type == kGWebHome || type == kGWebWork) {
      w.Add("", "URL", std::string(HomeWorkOther(type)) + Pref(pref), value);
    } else {
      std::string group = nextGroup();
      w.Add(group, "URL", Pref(pref), value);
      w.Add(group, "X-ABLabel", "", VCardEscape(LabelOf(kWebLabels, type)));
    }
  }
  if (!primaryDone) w.Add("", "URL", ";TYPE=PREF", VCardEscape(c.PrimaryWebSite.view()));

  primaryDone = c.PrimaryIm.empty();
  for (std::size_t i = 0; i < GoogleContact::kIms; ++i) {
    if (!Filled(c.ImType, c.Im, i)) continue;
    bool pref = !primaryDone && c.Im[i] == c.PrimaryIm.view();
    primaryDone = primaryDone || pref;
    std::int32_t type = c.ImType[i];
    if (type >= 1 && type <= 8)
      w.Add("", kImProperties[type - 1], Pref(pref), VCardEscape(c.Im[i].view()));
    else
      w.Add("", "IMPP", ";X-SERVICE-TYPE=" + std::to_string(type) + Pref(pref),
            VCardEscape(c.Im[i].view()));
  }
  // Service 0: no network, so that a value that looks like a URI is not taken for one.
  if (!primaryDone)
    w.Add("", "IMPP", ";X-SERVICE-TYPE=0;TYPE=PREF", VCardEscape(c.PrimaryIm.view()));

  bool birthday = false, anniversary = false;
  for (std::size_t i = 0; i < GoogleContact::kDates; ++i) {
    if (c.DateType[i] == 0 || !c.Date[i].IsSet()) continue;
    std::string value = CardDate(c.Date[i]);
    if (value.empty()) continue;
    if (c.DateType[i] == kGDateBirthday && !birthday) {
      birthday = true;
      w.Add("", "BDAY", "", value);
    } else if (c.DateType[i] == kGDateAnniversary && !anniversary) {
      anniversary = true;
      w.Add("", "X-ANNIVERSARY", "", value);
    } else {
      std::string group = nextGroup();
      w.Add(group, "X-ABDATE", "", value);
      w.Add(group, "X-ABLabel", "", VCardEscape(LabelOf(kDateLabels, c.DateType[i])));
    }
  }

  for (std::size_t i = 0; i < GoogleContact::kRelations; ++i) {
    if (!Filled(c.RelationType, c.Relation, i)) continue;
    std::string group = nextGroup();
    w.Add(group, "X-ABRELATEDNAMES", "", VCardEscape(c.Relation[i].view()));
    w.Add(group, "X-ABLabel", "", VCardEscape(LabelOf(kRelationLabels, c.RelationType[i])));
  }

  for (std::size_t i = 0; i < GoogleContact::kCustoms; ++i) {
    if (c.CustomLabel[i].empty() && c.CustomValue[i].empty()) continue;
    std::string group = nextGroup();
    // The slot number keeps custom field i in slot i even when an earlier slot is empty.
    w.Add(group, "X-CUSTOM", ";X-INDEX=" + std::to_string(i + 1),
          VCardEscape(c.CustomValue[i].view()));
    w.Add(group, "X-ABLabel", "", VCardEscape(c.CustomLabel[i].view()));
  }

  if (!c.Note.empty()) w.Add("", "NOTE", "", VCardEscape(c.Note.view()));
  if (!c.Groups.empty()) {
    std::string list;
    for (std::string_view name : GroupNames(c.Groups.view())) {
      if (!list.empty()) list += ',';
      list += VCardEscape(name);
    }
    if (!list.empty()) w.Add("", "CATEGORIES", "", list);
  }
  if (c.CreationTime.IsSet()) w.Add("", "X-CREATED", "", UtcStamp(c.CreationTime));
  if (c.LastModificationTime.IsSet()) w.Add("", "REV", "", UtcStamp(c.LastModificationTime));
  return w.Finish();
}

void ReadContactCard(const VCard& card, GoogleContact& c, std::string* uid) {
  std::map<std::string, std::string> labels;
  for (const VCardProperty& p : card.properties)
    if (p.name == "X-ABLABEL" && !p.group.empty()) labels[p.group] = VCardUnescape(p.value);
  auto labelOf = [&](const VCardProperty& p) -> const std::string* {
    auto it = p.group.empty() ? labels.end() : labels.find(p.group);
    return it == labels.end() ? nullptr : &it->second;
  };
  std::map<std::string, int> addressOfGroup;
  int lastAddress = -1;
  bool customTaken[GoogleContact::kCustoms] = {};
  std::string fn;

  for (const VCardProperty& p : card.properties) {
    const std::string& n = p.name;
    const std::string text = VCardUnescape(p.value);
    if (n == "UID") {
      if (uid) *uid = text;
    } else if (n == "FN") {
      fn = text;
    } else if (n == "N") {
      auto parts = VCardSplit(p.value, ';');
      if (parts.size() > 0) c.LastName = parts[0];
      if (parts.size() > 1) c.FirstName = parts[1];
      if (parts.size() > 2) c.MiddleName = parts[2];
    } else if (n == "NICKNAME") {
      c.NickName = VCardSplit(p.value, ',').front();
    } else if (n == "ORG") {
      c.CompanyName = VCardSplit(p.value, ';').front();
    } else if (n == "TITLE") {
      c.JobTitle = text;
    } else if (n == "EMAIL") {
      if (OnlyPref(p, {"INTERNET"})) {
        c.PrimaryEmail = text;
        continue;
      }
      std::int32_t type = p.HasType("HOME")   ? kGEmailHome
                          : p.HasType("WORK") ? kGEmailWork
                                              : kGEmailOther;
      PutSlot(c.EmailType, c.Email, type, text);
      if (p.HasType("PREF") && c.PrimaryEmail.empty()) c.PrimaryEmail = text;
    } else if (n == "TEL") {
      // vCard 4.0 writes numbers as "tel:" addresses; the number is what a person dials.
      const std::string number = platform::StartsWithNoCase(text, "tel:") ? text.substr(4) : text;
      if (OnlyPref(p, {"VOICE"})) {
        c.PrimaryPhone = number;
        continue;
      }
      PutSlot(c.PhoneType, c.Phone, PhoneTypeOf(p), number);
      if (p.HasType("PREF") && c.PrimaryPhone.empty()) c.PrimaryPhone = number;
    } else if (n == "ADR") {
      std::int32_t type = p.HasType("HOME")   ? kGAddrHome
                          : p.HasType("WORK") ? kGAddrWork
                                              : kGAddrOther;
      int s = FreeSlot(c.AddressType);
      if (s < 0) continue;
      auto i = static_cast<std::size_t>(s);
      auto parts = VCardSplit(p.value, ';');
      parts.resize(7);
      c.AddressType[i] = type;
      c.PoBox[i] = parts[0];
      c.Neighborhood[i] = parts[1];
      c.Street[i] = parts[2];
      c.City[i] = parts[3];
      c.State[i] = parts[4];
      c.PostalCode[i] = parts[5];
      c.Country[i] = parts[6];
      lastAddress = s;
      if (!p.group.empty()) addressOfGroup[p.group] = s;
    } else if (n == "LABEL") {
      int s = lastAddress;
      if (!p.group.empty()) {
        auto it = addressOfGroup.find(p.group);
        s = it == addressOfGroup.end() ? -1 : it->second;
      }
      if (s < 0) {
        s = FreeSlot(c.AddressType);
        if (s < 0) continue;
        c.AddressType[static_cast<std::size_t>(s)] = p.HasType("HOME")   ? kGAddrHome
                                                     : p.HasType("WORK") ? kGAddrWork
                                                                         : kGAddrOther;
      }
      c.FormattedAddress[static_cast<std::size_t>(s)] = text;
    } else if (n == "URL") {
      const std::string* label = labelOf(p);
      std::int32_t type = label               ? TypeOfLabel(kWebLabels, *label, kGWebOther)
                          : p.HasType("HOME") ? kGWebHome
                          : p.HasType("WORK") ? kGWebWork
                          : OnlyPref(p, {})   ? 0
                                              : kGWebOther;
      if (type) PutSlot(c.WebSiteType, c.WebSite, type, text);
      if (p.HasType("PREF") && c.PrimaryWebSite.empty()) c.PrimaryWebSite = text;
    } else if (IsImProperty(n)) {
      std::int32_t type = 0;
      std::string_view address = text;
      if (n == "IMPP") {
        if (p.Param("X-SERVICE-TYPE") != "0") type = ImTypeOfScheme(text, p, address);
        std::int32_t service = 0;
        if (!type && ParseInt32(VCardTrim(p.Param("X-SERVICE-TYPE")), service) && service > 0)
          type = service;
      } else if (n == "X-GOOGLE-TALK") {
        type = kGImGTalk;
      } else if (n == "X-SKYPE-USERNAME") {
        type = kGImSkype;
      } else {
        for (std::int32_t t = 1; t <= 8; ++t)
          if (n == kImProperties[t - 1]) type = t;
      }
      if (type > 0) PutSlot(c.ImType, c.Im, type, address);
      if (p.HasType("PREF") && c.PrimaryIm.empty()) c.PrimaryIm = address;
    } else if (n == "BDAY" || n == "X-ANNIVERSARY" || n == "ANNIVERSARY" ||
               n == "X-EVOLUTION-ANNIVERSARY" || n == "X-ABDATE") {
      OleDate date;
      if (!ParseCardDate(text, date)) continue;
      std::int32_t type = n == "BDAY" ? kGDateBirthday : kGDateAnniversary;
      if (n == "X-ABDATE") {
        const std::string* label = labelOf(p);
        type = label ? TypeOfLabel(kDateLabels, *label, kGDateOther) : kGDateOther;
      }
      int s = FreeSlot(c.DateType);
      if (s < 0) continue;
      c.DateType[static_cast<std::size_t>(s)] = type;
      c.Date[static_cast<std::size_t>(s)] = date;
    } else if (n == "X-ABRELATEDNAMES") {
      const std::string* label = labelOf(p);
      PutSlot(c.RelationType, c.Relation, label ? TypeOfLabel(kRelationLabels, *label, 9) : 9,
              text);
    } else if (n == "X-EVOLUTION-SPOUSE" || n == "X-KADDRESSBOOK-X-SPOUSENAME") {
      PutSlot(c.RelationType, c.Relation, kGRelSpouse, text);
    } else if (n == "X-EVOLUTION-MANAGER" || n == "X-KADDRESSBOOK-X-MANAGERSNAME") {
      PutSlot(c.RelationType, c.Relation, kGRelManager, text);
    } else if (n == "X-EVOLUTION-ASSISTANT" || n == "X-KADDRESSBOOK-X-ASSISTANTSNAME") {
      PutSlot(c.RelationType, c.Relation, kGRelAssistant, text);
    } else if (n == "X-CUSTOM") {
      std::int32_t given = 0;
      int index = ParseInt32(VCardTrim(p.Param("X-INDEX")), given) && given >= 1 &&
                          given <= static_cast<std::int32_t>(GoogleContact::kCustoms)
                      ? given - 1
                      : -1;
      if (index < 0 || customTaken[index]) {
        index = -1;
        for (std::size_t k = 0; k < GoogleContact::kCustoms && index < 0; ++k)
          if (!customTaken[k]) index = static_cast<int>(k);
      }
      if (index < 0) continue;
      auto i = static_cast<std::size_t>(index);
      customTaken[i] = true;
      c.CustomValue[i] = text;
      if (const std::string* label = labelOf(p)) c.CustomLabel[i] = *label;
    } else if (n == "NOTE") {
      c.Note = text;
    } else if (n == "CATEGORIES") {
      std::string groups;
      for (const std::string& g : VCardSplit(p.value, ',')) {
        std::string_view name = VCardTrim(g);
        if (name.empty()) continue;
        if (!groups.empty()) groups += ", ";
        groups += name;
      }
      c.Groups = groups;
    } else if (n == "X-CREATED") {
      ParseUtcStamp(text, c.CreationTime);
    } else if (n == "REV") {
      ParseUtcStamp(text, c.LastModificationTime);
    }
  }
  if (fn != DerivedDisplayName(c)) c.DisplayName = fn;
}
