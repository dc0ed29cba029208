#include "google/GoogleContact.h"

#include "google/GDataFields.h"

#include <atomic>
#include <type_traits>

#include "misc/CxDateTime.h"
#include "misc/CxDebugUtil.h"
#include "misc/RecordStatus.h"

namespace {

constexpr GoogleFieldCode Row(std::uint32_t code, const char* label, std::uint32_t size,
                              std::uint32_t type = kValueText) {
  GoogleFieldCode r{code, {}, type, size};
  for (int i = 0; i < 31 && label[i]; ++i) r.label[i] = label[i];
  return r;
}

std::array<std::atomic<std::uint32_t>, 10> g_customMap{};

// Where a code points: a fixed text, a slot of a family, or a date.
template <class R>
GoogleFieldValue Slot(const std::int32_t* types, std::size_t count, std::int32_t type,
                      const R& values) {
  int s = GoogleContact::FindSlot(types, count, type);
  if (s < 0) return {};
  const auto& v = values[static_cast<std::size_t>(s)];
  if constexpr (std::is_same_v<std::decay_t<decltype(v)>, OleDate>)
    return v;
  else
    return std::string(v.view());
}

// Writes a text into the slot of its type, making the slot when needed (also for empty text).
template <class A>
void Put(std::int32_t* types, A& values, std::int32_t type, std::string_view text) {
  int s = GoogleContact::TakeSlot(types, values.size(), type);
  if (s >= 0) values[static_cast<std::size_t>(s)] = text;
}

template <class A>
std::string_view Get(const std::int32_t* types, const A& values, std::int32_t type) {
  int s = GoogleContact::FindSlot(types, values.size(), type);
  return s < 0 ? std::string_view() : values[static_cast<std::size_t>(s)].view();
}

}  // namespace

int GoogleContact::FindSlot(const std::int32_t* types, std::size_t count, std::int32_t type) {
  for (std::size_t i = 0; i < count; ++i)
    if (types[i] == type) return static_cast<int>(i);
  return -1;
}

int GoogleContact::TakeSlot(std::int32_t* types, std::size_t count, std::int32_t type) {
  int s = FindSlot(types, count, type);
  if (s >= 0) return s;
  s = FindSlot(types, count, 0);
  if (s >= 0) types[s] = type;
  return s;
}

bool ReadGoogleContact(CxFile& file, GoogleContact& record) {
  return ReadFileRecord(file, record);
}

bool WriteGoogleContact(CxFile& file, const GoogleContact& record) {
  return WriteFileRecord(file, record);
}

const std::array<GoogleFieldCode, 91> kGoogleFieldCodes = {{
    Row(1, "First Name", 64),
    Row(2, "Middle Name", 64),
    Row(3, "Last Name", 64),
    Row(4, "Display Name", 64),
    Row(5, "Nick Name", 64),
    Row(6, "Company Name", 64),
    Row(7, "Job Title", 64),
    Row(8, "Email(Home)", 64),
    Row(9, "Email(Work)", 64),
    Row(10, "Email(Other)", 64),
    Row(11, "Email(Primary)", 64),
    Row(12, "Address(Home)", 256),
    Row(13, "Address(Work)", 256),
    Row(14, "Address(Other)", 256),
    Row(15, "City(Home)", 32),
    Row(16, "City(Work)", 32),
    Row(17, "City(Other)", 32),
    Row(18, "State(Home)", 16),
    Row(19, "State(Work)", 16),
    Row(20, "State(Other)", 16),
    Row(21, "Country(Home)", 16),
    Row(22, "Country(Work)", 16),
    Row(23, "Country(Other)", 16),
    Row(24, "Postal(Home)", 32),
    Row(25, "Postal(Work)", 32),
    Row(26, "Postal(Other)", 32),
    Row(27, "Street(Home)", 128),
    Row(28, "Street(Work)", 128),
    Row(29, "Street(Other)", 128),
    Row(30, "P.O.Box(Home)", 32),
    Row(31, "P.O.Box(Work)", 32),
    Row(32, "P.O.Box(Other)", 32),
    Row(33, "Neighborhood(Home)", 64),
    Row(34, "Neighborhood(Work)", 64),
    Row(35, "Neighborhood(Other)", 64),
    Row(36, "Phone(Home)", 32),
    Row(37, "Phone(Work)", 32),
    Row(38, "Phone(Mobile)", 32),
    Row(39, "Fax(Home)", 32),
    Row(40, "Fax(Work)", 32),
    Row(41, "Pager", 32),
    Row(42, "Phone(Other)", 32),
    Row(43, "Phone(Primary)", 32),
    Row(44, "Web Site(Home)", 256),
    Row(45, "Web Site(Work)", 256),
    Row(46, "Home Page", 256),
    Row(47, "FTP", 256),
    Row(48, "Blog", 256),
    Row(49, "Profile", 256),
    Row(50, "Web Site(Other)", 256),
    Row(51, "Web Site(Primary)", 256),
    Row(52, "IM(GTalk)", 64),
    Row(53, "IM(AIM)", 64),
    Row(54, "IM(Yahoo)", 64),
    Row(55, "IM(Skype)", 64),
    Row(56, "IM(QQ)", 64),
    Row(57, "IM(MSN)", 64),
    Row(58, "IM(ICQ)", 64),
    Row(59, "IM(Jabber)", 64),
    Row(60, "IM(Primary)", 64),
    Row(61, "Custom Label 1", 64),
    Row(62, "Custom Label 2", 64),
    Row(63, "Custom Label 3", 64),
    Row(64, "Custom Label 4", 64),
    Row(65, "Custom Label 5", 64),
    Row(66, "Custom Label 6", 64),
    Row(67, "Custom Label 7", 64),
    Row(68, "Custom Label 8", 64),
    Row(69, "Custom Label 9", 64),
    Row(70, "Custom Label 10", 64),
    Row(71, "Custom Field 1", 64),
    Row(72, "Custom Field 2", 64),
    Row(73, "Custom Field 3", 64),
    Row(74, "Custom Field 4", 64),
    Row(75, "Custom Field 5", 64),
    Row(76, "Custom Field 6", 64),
    Row(77, "Custom Field 7", 64),
    Row(78, "Custom Field 8", 64),
    Row(79, "Custom Field 9", 64),
    Row(80, "Custom Field 10", 64),
    Row(81, "Birthday", 8, kValueDate),
    Row(82, "Anniversary", 8, kValueDate),
    Row(83, "Date(Other)", 8, kValueDate),
    Row(84, "Spouse", 64),
    Row(85, "Mother", 64),
    Row(86, "Father", 64),
    Row(87, "Manager", 64),
    Row(88, "Assistant", 64),
    Row(90, "Note", 10240),
    Row(91, "Creation Time", 8, kValueDate),
    Row(92, "Last Modification Time", 8, kValueDate),
}};

const GoogleFieldCode* FindGoogleField(std::uint32_t code) {
  for (const auto& r : kGoogleFieldCodes)
    if (r.code == code) return &r;
  return nullptr;
}

GoogleFieldValue FieldByCode(const GoogleContact& g, std::uint32_t code) {
  auto text = [](const auto& f) -> GoogleFieldValue { return std::string(f.view()); };
  // Families addressed by a run of codes: home, work, other (types 1, 2, 3).
  auto address = [&](std::uint32_t first, const auto& values) {
    return Slot(g.AddressType.data(), g.AddressType.size(),
                static_cast<std::int32_t>(code - first + 1), values);
  };
  switch (code) {
    case 1:
      return text(g.FirstName);
    case 2:
      return text(g.MiddleName);
    case 3:
      return text(g.LastName);
    case 4:
      return text(g.DisplayName);
    case 5:
      return text(g.NickName);
    case 6:
      return text(g.CompanyName);
    case 7:
      return text(g.JobTitle);
    case 11:
      return text(g.PrimaryEmail);
    case 43:
      return text(g.PrimaryPhone);
    case 51:
      return text(g.PrimaryWebSite);
    case 60:
      return text(g.PrimaryIm);
    case 84:
      return Slot(g.RelationType.data(), g.RelationType.size(), kGRelSpouse, g.Relation);
    case 85:
      return Slot(g.RelationType.data(), g.RelationType.size(), kGRelMother, g.Relation);
    case 86:
      return Slot(g.RelationType.data(), g.RelationType.size(), kGRelFather, g.Relation);
    case 87:
      return Slot(g.RelationType.data(), g.RelationType.size(), kGRelManager, g.Relation);
    case 88:
      return Slot(g.RelationType.data(), g.RelationType.size(), kGRelAssistant, g.Relation);
    case 90:
      return text(g.Note);
    case 91:
      return g.CreationTime;
    case 92:
      return g.LastModificationTime;
    default:
      break;
  }
  auto type = [](std::uint32_t c, std::uint32_t first) {
    return static_cast<std::int32_t>(c - first + 1);
  };
  if (code >= 8 && code <= 10)
    return Slot(g.EmailType.data(), g.EmailType.size(), type(code, 8), g.Email);
  if (code >= 12 && code <= 14) return address(12, g.FormattedAddress);
  if (code >= 15 && code <= 17) return address(15, g.City);
  if (code >= 18 && code <= 20) return address(18, g.State);
  if (code >= 21 && code <= 23) return address(21, g.Country);
  if (code >= 24 && code <= 26) return address(24, g.PostalCode);
  if (code >= 27 && code <= 29) return address(27, g.Street);
  if (code >= 30 && code <= 32) return address(30, g.PoBox);
  if (code >= 33 && code <= 35) return address(33, g.Neighborhood);
  if (code >= 36 && code <= 42)
    return Slot(g.PhoneType.data(), g.PhoneType.size(), type(code, 36), g.Phone);
  if (code >= 44 && code <= 50)
    return Slot(g.WebSiteType.data(), g.WebSiteType.size(), type(code, 44), g.WebSite);
  if (code >= 52 && code <= 59) return Slot(g.ImType.data(), g.ImType.size(), type(code, 52), g.Im);
  if (code >= 61 && code <= 70) return text(g.CustomLabel[code - 61]);
  if (code >= 71 && code <= 80) return text(g.CustomValue[code - 71]);
  if (code >= 81 && code <= 83)
    return Slot(g.DateType.data(), g.DateType.size(), type(code, 81), g.Date);
  return {};
}

std::string FieldText(const GoogleContact& g, std::uint32_t code) {
  GoogleFieldValue v = FieldByCode(g, code);
  if (auto* s = std::get_if<std::string>(&v)) return *s;
  if (auto* d = std::get_if<OleDate>(&v)) {
    CxDateTime dt(*d);
    return (code == 91 || code == 92) ? dt.DateTimeText() : dt.DateText();
  }
  return {};
}

bool SetCustomField(int slot, std::uint32_t code) {
  if (slot < 0 || slot > 9) return false;
  g_customMap[static_cast<std::size_t>(slot)] = code;
  return true;
}

std::uint32_t CustomFieldCode(int slot) {
  return (slot < 0 || slot > 9) ? 0 : g_customMap[static_cast<std::size_t>(slot)].load();
}

void GoogleToCommon(const GoogleContact& g, CommonContact& c) {
  c = CommonContact();
  c.FirstName = g.FirstName.view();
  c.MiddleName = g.MiddleName.view();
  c.LastName = g.LastName.view();
  c.DisplayName = g.DisplayName.view();
  c.NickName = g.NickName.view();
  c.Company = g.CompanyName.view();
  c.JobTitle = g.JobTitle.view();
  c.Email1 = Get(g.EmailType.data(), g.Email, kGEmailWork);
  c.Email2 = Get(g.EmailType.data(), g.Email, kGEmailHome);
  c.Email3 = Get(g.EmailType.data(), g.Email, kGEmailOther);
  if (c.Email1.empty()) c.Email1 = g.PrimaryEmail.view();
  for (auto [type, block] :
       {std::pair{kGAddrWork, &c.WorkAddress}, std::pair{kGAddrHome, &c.HomeAddress},
        std::pair{kGAddrOther, &c.OtherAddress}}) {
    int s = GoogleContact::FindSlot(g.AddressType.data(), g.AddressType.size(), type);
    if (s < 0) continue;
    auto i = static_cast<std::size_t>(s);
    block->Street = g.Street[i].view();
    block->City = g.City[i].view();
    block->State = g.State[i].view();
    block->PostalCode = g.PostalCode[i].view();
    block->Country = g.Country[i].view();
    block->PoBox = g.PoBox[i].view();
    block->Neighborhood = g.Neighborhood[i].view();
  }
  const std::int32_t* pt = g.PhoneType.data();
  c.HomePhone = Get(pt, g.Phone, kGPhoneHome);
  c.WorkPhone = Get(pt, g.Phone, kGPhoneWork);
  c.MobilePhone = Get(pt, g.Phone, kGPhoneMobile);
  c.HomeFax = Get(pt, g.Phone, kGPhoneHomeFax);
  c.WorkFax = Get(pt, g.Phone, kGPhoneWorkFax);
  c.Pager = Get(pt, g.Phone, kGPhonePager);
  c.OtherPhone = Get(pt, g.Phone, kGPhoneOther);
  c.PrimaryPhone = g.PrimaryPhone.view();
  if (int s = GoogleContact::FindSlot(g.DateType.data(), g.DateType.size(), kGDateBirthday); s >= 0)
    c.Birthday = g.Date[static_cast<std::size_t>(s)];
  if (int s = GoogleContact::FindSlot(g.DateType.data(), g.DateType.size(), kGDateAnniversary);
      s >= 0)
    c.Anniversary = g.Date[static_cast<std::size_t>(s)];
  c.Im1 = Get(g.ImType.data(), g.Im, kGImGTalk);
  c.Im2 = Get(g.ImType.data(), g.Im, kGImMsn);
  c.SpouseName = Get(g.RelationType.data(), g.Relation, kGRelSpouse);
  c.ManagerName = Get(g.RelationType.data(), g.Relation, kGRelManager);
  c.AssistantName = Get(g.RelationType.data(), g.Relation, kGRelAssistant);
  for (std::size_t i = 0; i < GoogleContact::kCustoms; ++i) {
    c.Custom[i] = g.CustomValue[i].view();
    c.CustomLabel[i] = g.CustomLabel[i].view();
  }
  c.Note = g.Note.view();
  c.Category = g.Groups.view();
  for (int slot = 0; slot < 10; ++slot) {
    std::uint32_t code = CustomFieldCode(slot);
    const GoogleFieldCode* row = code ? FindGoogleField(code) : nullptr;
    if (!row || row->valueType != kValueText || row->size <= 1) continue;
    GoogleFieldValue v = FieldByCode(g, code);
    if (auto* s = std::get_if<std::string>(&v)) c.MappedCustom[static_cast<std::size_t>(slot)] = *s;
  }
  c.SourceType = kSourceGoogle;
}

void CommonToGoogle(const CommonContact& c, GoogleContact& g) {
  g.FirstName = c.FirstName.view();
  g.MiddleName = c.MiddleName.view();
  g.LastName = c.LastName.view();
  g.DisplayName = c.DisplayName.view();
  g.NickName = c.NickName.view();
  g.CompanyName = c.Company.view();
  g.JobTitle = c.JobTitle.view();
  Put(g.EmailType.data(), g.Email, kGEmailWork, c.Email1.view());
  Put(g.EmailType.data(), g.Email, kGEmailHome, c.Email2.view());
  Put(g.EmailType.data(), g.Email, kGEmailOther, c.Email3.view());
  g.PrimaryEmail = c.Email1.view();
  for (auto [type, block] :
       {std::pair{kGAddrWork, &c.WorkAddress}, std::pair{kGAddrHome, &c.HomeAddress},
        std::pair{kGAddrOther, &c.OtherAddress}}) {
    int s = GoogleContact::TakeSlot(g.AddressType.data(), g.AddressType.size(), type);
    if (s < 0) continue;
    auto i = static_cast<std::size_t>(s);
    g.Street[i] = block->Street.view();
    g.City[i] = block->City.view();
    g.State[i] = block->State.view();
    g.PostalCode[i] = block->PostalCode.view();
    g.Country[i] = block->Country.view();
    g.PoBox[i] = block->PoBox.view();
    g.Neighborhood[i] = block->Neighborhood.view();
  }
  std::int32_t* pt = g.PhoneType.data();
  Put(pt, g.Phone, kGPhoneHome, c.HomePhone.view());
  Put(pt, g.Phone, kGPhoneWork, c.WorkPhone.view());
  Put(pt, g.Phone, kGPhoneMobile, c.MobilePhone.view());
  Put(pt, g.Phone, kGPhoneHomeFax, c.HomeFax.view());
  Put(pt, g.Phone, kGPhoneWorkFax, c.WorkFax.view());
  Put(pt, g.Phone, kGPhonePager, c.Pager.view());
  Put(pt, g.Phone, kGPhoneOther, c.OtherPhone.view());
  g.PrimaryPhone = c.PrimaryPhone.view();
  if (g.PrimaryPhone.empty())
    for (const auto& phone : g.Phone)
      if (!phone.empty()) {
        g.PrimaryPhone = phone.view();
        break;
      }
  if (int s = GoogleContact::TakeSlot(g.DateType.data(), g.DateType.size(), kGDateBirthday); s >= 0)
    g.Date[static_cast<std::size_t>(s)] = c.Birthday;
  if (int s = GoogleContact::TakeSlot(g.DateType.data(), g.DateType.size(), kGDateAnniversary);
      s >= 0)
    g.Date[static_cast<std::size_t>(s)] = c.Anniversary;
  Put(g.ImType.data(), g.Im, kGImGTalk, c.Im1.view());
  Put(g.ImType.data(), g.Im, kGImMsn, c.Im2.view());
  Put(g.RelationType.data(), g.Relation, kGRelSpouse, c.SpouseName.view());
  Put(g.RelationType.data(), g.Relation, kGRelManager, c.ManagerName.view());
  Put(g.RelationType.data(), g.Relation, kGRelAssistant, c.AssistantName.view());
  for (std::size_t i = 0; i < GoogleContact::kCustoms; ++i) {
    g.CustomValue[i] = c.Custom[i].view();
    g.CustomLabel[i] = c.CustomLabel[i].view();
  }
  g.Note = c.Note.view();
  g.Groups = c.Category.view();
  for (std::size_t i = 0; i < GoogleContact::kCustoms; ++i)
    if (!c.MappedCustom[i].empty()) g.CustomValue[i] = c.MappedCustom[i].view();
}
