#include "outlook/OlAddrUtil.h"

#include <algorithm>

#include "misc/CxDebugUtil.h"
#include "misc/RecordStatus.h"

namespace {

constexpr std::int32_t kUserPropText = 1;  // olText

const OlFolderKind kContacts = {
    .folderId = 10,  // olFolderContacts
    .itemClass = 2,  // olContactItem
    .load = {.nameFailed = "Failed to get the name of the Contact folder. hr=0x%x",
             .nameGot = "Got the name of the Contacts folder: %s",
             .storeFailed = "Failed to get the StoreID of the Contact folder. hr=0x%x",
             .storeGot = "Got the StoreID of the Contact folder: %s",
             .itemsFailed = "Failed to get the \"Items\" property of the Contact folder. hr=0x%x"},
    .updateItemsFailed = "Failed to get the \"Items\" property of the Contact folder. hr=0x%x",
    .itemFailed = "Failed to get the Contact item by index: %d. hr=0x%x",
    .addItemsFailed = "Failed to get the \"Items\" property of the Contact folder. hr=0x%x",
    .addFailed = "Failed to call the \"Add\" method. hr=0x%x",
    .opened = nullptr,
    .updatesLoaded = true,
};

#define QM_OL_ENTRY(id, label, field)                                   \
  OlContactFieldEntry {                                                 \
    id, label, kValueText, kOlContactRows[kOc##field].width, kOc##field \
  }

// By id. The widths are the fields', except "Suffix", whose entry has always said 64.
const std::array<OlContactFieldEntry, kOlContactFieldEntries> MakeTable() {
  std::array<OlContactFieldEntry, kOlContactFieldEntries> t = {{
      QM_OL_ENTRY(1, "Account", Account),
      {2, "Anniversary", kValueDate, 8, kOcAnniversary},
      QM_OL_ENTRY(3, "Assistant Name", AssistantName),
      QM_OL_ENTRY(4, "Assistant Phone", AssistantTelephoneNumber),
      {5, "Birthday", kValueDate, 8, kOcBirthday},
      QM_OL_ENTRY(6, "Business Phone 2", Business2TelephoneNumber),
      QM_OL_ENTRY(7, "Business City", BusinessAddressCity),
      QM_OL_ENTRY(8, "Business Country", BusinessAddressCountry),
      QM_OL_ENTRY(9, "Business Postal", BusinessAddressPostalCode),
      QM_OL_ENTRY(10, "Business P/O Box", BusinessAddressPostOfficeBox),
      QM_OL_ENTRY(11, "Business State", BusinessAddressState),
      QM_OL_ENTRY(12, "Business Street", BusinessAddressStreet),
      QM_OL_ENTRY(13, "Business Fax", BusinessFaxNumber),
      QM_OL_ENTRY(14, "Business Home Page", BusinessHomePage),
      QM_OL_ENTRY(15, "Business Phone", BusinessTelephoneNumber),
      QM_OL_ENTRY(16, "Callback Phone", CallbackTelephoneNumber),
      QM_OL_ENTRY(17, "Car Phone", CarTelephoneNumber),
      QM_OL_ENTRY(18, "Company Phone", CompanyMainTelephoneNumber),
      QM_OL_ENTRY(19, "Company Name", CompanyName),
      QM_OL_ENTRY(20, "Computer Name", ComputerNetworkName),
      QM_OL_ENTRY(21, "Customer ID", CustomerID),
      QM_OL_ENTRY(22, "Department", Department),
      QM_OL_ENTRY(23, "Email 1", Email1Address),
      QM_OL_ENTRY(25, "Email 1 Display Name", Email1DisplayName),
      QM_OL_ENTRY(26, "Email 2", Email2Address),
      QM_OL_ENTRY(28, "Email 2 Display Name", Email2DisplayName),
      QM_OL_ENTRY(29, "Email 3", Email3Address),
      QM_OL_ENTRY(31, "Email 3 Display Name", Email3DisplayName),
      QM_OL_ENTRY(32, "First Name", FirstName),
      QM_OL_ENTRY(33, "FTP Site", FTPSite),
      {34, "Gender", kValueInteger, 4, kOcGender},
      QM_OL_ENTRY(35, "Hobbies", Hobby),
      QM_OL_ENTRY(36, "Home Phone 2", Home2TelephoneNumber),
      QM_OL_ENTRY(37, "Home City", HomeAddressCity),
      QM_OL_ENTRY(38, "Home Country", HomeAddressCountry),
      QM_OL_ENTRY(39, "Home Postal", HomeAddressPostalCode),
      QM_OL_ENTRY(40, "Home P/O Box", HomeAddressPostOfficeBox),
      QM_OL_ENTRY(41, "Home State", HomeAddressState),
      QM_OL_ENTRY(42, "Home Street", HomeAddressStreet),
      QM_OL_ENTRY(43, "Home Fax", HomeFaxNumber),
      QM_OL_ENTRY(44, "Home Phone", HomeTelephoneNumber),
      QM_OL_ENTRY(45, "ISDN Number", ISDNNumber),
      QM_OL_ENTRY(46, "Job Title", JobTitle),
      QM_OL_ENTRY(47, "Last Name", LastName),
      QM_OL_ENTRY(48, "Mail City", MailingAddressCity),
      QM_OL_ENTRY(49, "Mail Country", MailingAddressCountry),
      QM_OL_ENTRY(50, "Mail Postal", MailingAddressPostalCode),
      QM_OL_ENTRY(51, "Mail P/O Box", MailingAddressPostOfficeBox),
      QM_OL_ENTRY(52, "Mail State", MailingAddressState),
      QM_OL_ENTRY(53, "Mail Street", MailingAddressStreet),
      QM_OL_ENTRY(54, "Manager Name", ManagerName),
      QM_OL_ENTRY(55, "Middle Name", MiddleName),
      QM_OL_ENTRY(56, "Mobile Phone", MobileTelephoneNumber),
      QM_OL_ENTRY(57, "Nick Name", NickName),
      QM_OL_ENTRY(58, "Other City", OtherAddressCity),
      QM_OL_ENTRY(59, "Other Country", OtherAddressCountry),
      QM_OL_ENTRY(60, "Other Postal", OtherAddressPostalCode),
      QM_OL_ENTRY(61, "Other P/O Box", OtherAddressPostOfficeBox),
      QM_OL_ENTRY(62, "Other State", OtherAddressState),
      QM_OL_ENTRY(63, "Other Street", OtherAddressStreet),
      QM_OL_ENTRY(64, "Home Page", BusinessHomePage),
      QM_OL_ENTRY(65, "Phone Number", PrimaryTelephoneNumber),
      QM_OL_ENTRY(66, "Profession", Profession),
      QM_OL_ENTRY(67, "Web", WebPage),
      QM_OL_ENTRY(68, "Notes", Body),
      QM_OL_ENTRY(69, "Folder Name", FolderName),
      QM_OL_ENTRY(70, "Other Phone", OtherTelephoneNumber),
      QM_OL_ENTRY(71, "Radio Phone", RadioTelephoneNumber),
      QM_OL_ENTRY(72, "Pager", PagerNumber),
      QM_OL_ENTRY(73, "Full Name", FullName),
      QM_OL_ENTRY(74, "Spouse Name", Spouse),
      {75, "Suffix", kValueText, 64, kOcSuffix},
      QM_OL_ENTRY(76, "Language", Language),
      QM_OL_ENTRY(77, "IM Address", IMAddress),
      QM_OL_ENTRY(78, "Category", Categories),
  }};
  return t;
}

#undef QM_OL_ENTRY

std::array<std::int32_t, 10>& CustomMap() {
  static std::array<std::int32_t, 10> map{};
  return map;
}

unsigned Code(OlResult hr) {
  return static_cast<unsigned>(hr);
}

}  // namespace

const std::array<OlContactFieldEntry, kOlContactFieldEntries> kOlContactFieldTable = MakeTable();

const OlContactFieldEntry* FindOlContactField(std::int32_t id) {
  auto it = std::lower_bound(kOlContactFieldTable.begin(), kOlContactFieldTable.end(), id,
                             [](const OlContactFieldEntry& e, std::int32_t v) { return e.id < v; });
  return it != kOlContactFieldTable.end() && it->id == id ? &*it : nullptr;
}

bool SetOlCustomField(int slot, std::int32_t id) {
  if (slot < 0 || slot > 9) return false;
  CustomMap()[static_cast<std::size_t>(slot)] = id;
  return true;
}

std::int32_t OlCustomField(int slot) {
  return slot < 0 || slot > 9 ? 0 : CustomMap()[static_cast<std::size_t>(slot)];
}

void OlContactToCommon(const OlContactRecord& r, CommonContact& c) {
  for (const OlContactRow& row : kOlContactRows) {
    if (row.direction != OlDirection::kLoad && row.direction != OlDirection::kBoth) continue;
    ContactFieldRef to = row.common(c);
    if (to.text.field)
      to.text.Assign(r.View(row.field));
    else if (to.date)
      *to.date = *r.Date(row.field);
  }
  for (std::size_t n = 0; n < OlContactRecord::kUserProps; ++n) {
    c.CustomLabel[n] = r.UserPropName[n].view();
    c.Custom[n] = r.UserPropValue[n].view();
  }
  for (std::size_t n = 0; n < CommonContact::kCustomSlots; ++n) {
    const std::int32_t id = CustomMap()[n];
    if (id == 0) continue;
    const OlContactFieldEntry* e = FindOlContactField(id);
    if (e && e->type == kValueText) c.MappedCustom[n] = r.View(e->field);
  }
  c.SourceType = kSourceOutlook;
}

void CommonToOlContact(const CommonContact& c, OlContactRecord& r) {
  auto& from = const_cast<CommonContact&>(c);  // read only, through the field references
  for (const OlContactRow& row : kOlContactRows) {
    if (row.direction != OlDirection::kWrite && row.direction != OlDirection::kBoth) continue;
    ContactFieldRef f = row.common(from);
    if (f.text.field)
      r.Text(row.field).Assign(f.text.view());
    else if (f.date)
      *r.Date(row.field) = *f.date;
  }
  for (std::size_t n = 0; n < OlContactRecord::kUserProps; ++n) {
    r.UserPropName[n] = c.CustomLabel[n].view();
    r.UserPropValue[n] = c.MappedCustom[n].empty() ? c.Custom[n].view() : c.MappedCustom[n].view();
  }
}

OlAddrUtil::OlAddrUtil(const char* /*name*/) : OlFolderUtil(kContacts) {
  CustomMap().fill(0);
}

void OlAddrUtil::Init() {
  OlFolderUtil::Init();
  CustomMap().fill(0);
}

void OlAddrUtil::ReadItem(CDispCmd& item, OlContactRecord& r) {
  for (const OlContactRow& row : kOlContactRows) {
    if (!(row.access & kOlRead)) continue;
    switch (row.kind) {
      case OlKind::kText:
        OlGetText(item, row.property, r.Text(row.field));
        break;
      case OlKind::kDate:
        OlGetDate(item, row.property, *r.Date(row.field));
        break;
      case OlKind::kLong:
        OlGetLong(item, row.property, r.Gender);
        break;
    }
  }
  r.Item = OlItemRef(OlDispatchOf(item));
  ReadUserProperties(item, r);
}

void OlAddrUtil::ReadUserProperties(CDispCmd& item, OlContactRecord& r) {
  OlResult hr = 0;
  auto props = OlGetObject(item, "UserProperties", &hr);
  if (!props) {
    QM_LOG_ERROR("Failed to get the \"UserProperties\" of contact item, hr=0x%x.", Code(hr));
    return;
  }
  std::int32_t count = 0;
  hr = OlGetLong(*props, "Count", count);
  if (hr != 0) {
    QM_LOG_ERROR("Failed to get the \"Count\" property of UserProperties collection, hr=0x%x",
                 Code(hr));
    return;
  }
  for (std::int32_t n = 0; n < count && n < static_cast<std::int32_t>(OlContactRecord::kUserProps);
       ++n) {
    auto prop = OlCallObject(*props, "Item", {OlArg::LongByRef(n + 1)}, &hr);
    if (!prop) {
      QM_LOG_ERROR("One user defined property is not loaded correctly, hr=0x%x", Code(hr));
      return;
    }
    const auto slot = static_cast<std::size_t>(n);
    hr = OlGetText(*prop, "Name", RefOf(r.UserPropName[slot]));
    if (hr < 0) QM_LOG_ERROR("Failed to get the name of user defined property. hr=0x%x", Code(hr));
    OlGetText(*prop, "Value", RefOf(r.UserPropValue[slot]));
  }
}

void OlAddrUtil::WriteItem(CDispCmd& item, const OlContactRecord& r) {
  for (const OlContactRow& row : kOlContactRows) {
    if (!(row.access & kOlSend)) continue;
    switch (row.kind) {
      case OlKind::kText:
        OlPutText(item, row.property, r.View(row.field));
        break;
      case OlKind::kDate:
        OlPutDate(item, row.property, *r.Date(row.field));
        break;
      case OlKind::kLong:
        OlPutLong(item, row.property, r.Gender);
        break;
    }
  }
  WriteUserProperties(item, r);
  OlCall(item, "Save");
}

void OlAddrUtil::WriteUserProperties(CDispCmd& item, const OlContactRecord& r) {
  bool any = false;
  for (std::size_t n = 0; n < OlContactRecord::kUserProps; ++n)
    any = any || !r.UserPropName[n].empty() || !r.UserPropValue[n].empty();
  if (!any) return;
  OlResult hr = 0;
  auto props = OlGetObject(item, "UserProperties", &hr);
  if (!props) {
    QM_LOG_ERROR("Failed to get the \"UserProperties\" of contact item, hr=0x%x.", Code(hr));
    return;
  }
  for (std::size_t n = 0; n < OlContactRecord::kUserProps; ++n) {
    if (r.UserPropName[n].empty() && r.UserPropValue[n].empty()) continue;
    const std::string_view name = r.UserPropName[n].view();
    auto prop = OlCallObject(*props, "Find", {OlArg::Text(name)}, &hr);
    if (!prop)
      prop = OlCallObject(
          *props, "Add",
          {OlArg::Text(name), OlArg::Long(kUserPropText), OlArg::Bool(false), OlArg::Long(1)}, &hr);
    if (!prop) {
      QM_LOG_ERROR("Failed to add the user property. hr=0x%x", Code(hr));
      continue;
    }
    hr = OlPutText(*prop, "Value", r.UserPropValue[n].view());
    if (hr < 0) QM_LOG_ERROR("Failed to set the value of user property. hr=0x%x", Code(hr));
  }
}
