#include "misc/CommonContact.h"

namespace {

constexpr ContactFieldDescriptor T(std::uint32_t code, const char* label, std::uint32_t size) {
  ContactFieldDescriptor d{code, {}, kValueText, size};
  for (int i = 0; i < 31 && label[i]; ++i) d.label[i] = label[i];
  return d;
}
constexpr ContactFieldDescriptor V(std::uint32_t code, const char* label, std::uint32_t type,
                                   std::uint32_t size) {
  ContactFieldDescriptor d = T(code, label, size);
  d.valueType = type;
  return d;
}

}  // namespace

const std::array<ContactFieldDescriptor, 90> kContactFields = {{
    T(1, "First Name", 32),
    T(3, "Last Name", 32),
    T(2, "Middle Name", 32),
    T(4, "Prefix", 32),
    T(5, "Suffix", 32),
    T(6, "Nick Name", 32),
    T(7, "Display Name", 32),
    V(8, "Gender", kValueInteger, 4),
    T(9, "(Work) Street", 256),
    T(10, "(Work) City", 32),
    T(11, "(Work) State", 32),
    T(12, "(Work) Postal", 16),
    T(13, "(Work) Country", 32),
    T(16, "(Home) Street", 256),
    T(17, "(Home) City", 32),
    T(18, "(Home) State", 32),
    T(19, "(Home) Postal", 16),
    T(20, "(Home) Country", 32),
    T(23, "(Other) Street", 256),
    T(24, "(Other) City", 32),
    T(25, "(Other) State", 32),
    T(26, "(Other) Postal", 16),
    T(27, "(Other) Country", 32),
    T(28, "Home Phone", 24),
    T(29, "Work Phone", 24),
    T(30, "Mobile Phone", 24),
    T(32, "Primary Phone", 24),
    T(31, "Other Phone", 24),
    T(33, "Callback Phone", 24),
    T(35, "Radio Phone", 24),
    T(34, "Car Phone", 24),
    T(36, "Work Phone 2", 24),
    T(37, "Home Phone 2", 24),
    T(38, "Work Fax", 24),
    T(39, "Home Fax", 24),
    T(40, "Pager", 24),
    T(41, "Email", 64),
    T(42, "Email 2", 64),
    T(43, "Email 3", 64),
    T(45, "Work Home Page", 256),
    T(44, "Personal Home Page", 256),
    T(47, "FTP Site", 256),
    T(48, "Note", 8192),
    T(49, "Custom 1", 64),
    T(50, "Custom 2", 64),
    T(51, "Custom 3", 64),
    T(52, "Custom 4", 64),
    T(53, "Custom 5", 64),
    T(54, "Custom 6", 64),
    T(55, "Custom 7", 64),
    T(56, "Custom 8", 64),
    T(57, "Custom 9", 64),
    T(69, "Company", 64),
    T(71, "Title", 32),
    T(70, "Department", 32),
    T(72, "IM 1", 32),
    T(73, "IM 2", 32),
    T(74, "Manager Name", 32),
    T(75, "Assistant Name", 32),
    T(76, "Assistant Phone", 24),
    T(77, "Spouse Name", 32),
    T(78, "Children's Names", 32),
    T(80, "Profession", 64),
    T(81, "Hobby", 64),
    T(82, "Account", 32),
    V(84, "Birthday", kValueDate, 8),
    V(83, "Anniversary", kValueDate, 8),
    T(85, "Keyword", 64),
    T(86, "Language", 64),
    T(87, "Location", 64),
    T(88, "MHS Common Name", 32),
    T(89, "Customer ID", 32),
    T(90, "Government ID", 32),
    T(91, "Organization ID", 32),
    T(92, "Category", 256),
    V(93, "Creation Time", kValueDate, 8),
    V(94, "Last Modification Time", kValueDate, 8),
    V(95, "Source Type", kValueUnsigned, 4),
    V(96, "Status", kValueUnsigned, 4),
    T(97, "ID", 64),
    V(98, "Private", kValueUnsigned, 4),
    T(59, "Custom Label 1", 64),
    T(60, "Custom Label 2", 64),
    T(61, "Custom Label 3", 64),
    T(62, "Custom Label 4", 64),
    T(63, "Custom Label 5", 64),
    T(64, "Custom Label 6", 64),
    T(65, "Custom Label 7", 64),
    T(66, "Custom Label 8", 64),
    T(67, "Custom Label 9", 64),
}};

const ContactFieldDescriptor* FindContactField(std::uint32_t code) {
  for (const auto& d : kContactFields)
    if (d.code == code) return &d;
  return nullptr;
}

namespace {

TextFieldRef AddressText(CommonAddress& a, std::uint32_t offset) {
  switch (offset) {
    case 0:
      return RefOf(a.Street);
    case 1:
      return RefOf(a.City);
    case 2:
      return RefOf(a.State);
    case 3:
      return RefOf(a.PostalCode);
    case 4:
      return RefOf(a.Country);
    default:
      return {};
  }
}

}  // namespace

ContactFieldRef FieldByCode(CommonContact& c, std::uint32_t code) {
  ContactFieldRef r;
  if (code >= kFieldWorkStreet && code <= kFieldWorkCountry) {
    r.text = AddressText(c.WorkAddress, code - kFieldWorkStreet);
    return r;
  }
  if (code >= kFieldHomeStreet && code <= kFieldHomeCountry) {
    r.text = AddressText(c.HomeAddress, code - kFieldHomeStreet);
    return r;
  }
  if (code >= kFieldOtherStreet && code <= kFieldOtherCountry) {
    r.text = AddressText(c.OtherAddress, code - kFieldOtherStreet);
    return r;
  }
  if (code >= kFieldCustom1 && code <= kFieldCustom9) {
    r.text = RefOf(c.Custom[code - kFieldCustom1]);
    return r;
  }
  if (code >= kFieldCustomLabel1 && code <= kFieldCustomLabel9) {
    r.text = RefOf(c.CustomLabel[code - kFieldCustomLabel1]);
    return r;
  }
  switch (code) {
    case kFieldFirstName:
      r.text = RefOf(c.FirstName);
      break;
    case kFieldMiddleName:
      r.text = RefOf(c.MiddleName);
      break;
    case kFieldLastName:
      r.text = RefOf(c.LastName);
      break;
    case kFieldPrefix:
      r.text = RefOf(c.Prefix);
      break;
    case kFieldSuffix:
      r.text = RefOf(c.Suffix);
      break;
    case kFieldNickName:
      r.text = RefOf(c.NickName);
      break;
    case kFieldDisplayName:
      r.text = RefOf(c.DisplayName);
      break;
    case kFieldGender:
      r.number = &c.Gender;
      break;
    case kFieldHomePhone:
      r.text = RefOf(c.HomePhone);
      break;
    case kFieldWorkPhone:
      r.text = RefOf(c.WorkPhone);
      break;
    case kFieldMobilePhone:
      r.text = RefOf(c.MobilePhone);
      break;
    case kFieldOtherPhone:
      r.text = RefOf(c.OtherPhone);
      break;
    case kFieldPrimaryPhone:
      r.text = RefOf(c.PrimaryPhone);
      break;
    case kFieldCallbackPhone:
      r.text = RefOf(c.CallbackPhone);
      break;
    case kFieldCarPhone:
      r.text = RefOf(c.CarPhone);
      break;
    case kFieldRadioPhone:
      r.text = RefOf(c.RadioPhone);
      break;
    case kFieldWorkPhone2:
      r.text = RefOf(c.WorkPhone2);
      break;
    case kFieldHomePhone2:
      r.text = RefOf(c.HomePhone2);
      break;
    case kFieldWorkFax:
      r.text = RefOf(c.WorkFax);
      break;
    case kFieldHomeFax:
      r.text = RefOf(c.HomeFax);
      break;
    case kFieldPager:
      r.text = RefOf(c.Pager);
      break;
    case kFieldEmail1:
      r.text = RefOf(c.Email1);
      break;
    case kFieldEmail2:
      r.text = RefOf(c.Email2);
      break;
    case kFieldEmail3:
      r.text = RefOf(c.Email3);
      break;
    case kFieldPersonalHomePage:
      r.text = RefOf(c.PersonalHomePage);
      break;
    case kFieldWorkHomePage:
      r.text = RefOf(c.WorkHomePage);
      break;
    case kFieldFtpSite:
      r.text = RefOf(c.FtpSite);
      break;
    case kFieldNote:
      r.text = RefOf(c.Note);
      break;
    case kFieldCompany:
      r.text = RefOf(c.Company);
      break;
    case kFieldDepartment:
      r.text = RefOf(c.Department);
      break;
    case kFieldJobTitle:
      r.text = RefOf(c.JobTitle);
      break;
    case kFieldIm1:
      r.text = RefOf(c.Im1);
      break;
    case kFieldIm2:
      r.text = RefOf(c.Im2);
      break;
    case kFieldManagerName:
      r.text = RefOf(c.ManagerName);
      break;
    case kFieldAssistantName:
      r.text = RefOf(c.AssistantName);
      break;
    case kFieldAssistantPhone:
      r.text = RefOf(c.AssistantPhone);
      break;
    case kFieldSpouseName:
      r.text = RefOf(c.SpouseName);
      break;
    case kFieldChildrenNames:
      r.text = RefOf(c.ChildrenNames);
      break;
    case kFieldProfession:
      r.text = RefOf(c.Profession);
      break;
    case kFieldHobby:
      r.text = RefOf(c.Hobby);
      break;
    case kFieldAccount:
      r.text = RefOf(c.Account);
      break;
    case kFieldAnniversary:
      r.date = &c.Anniversary;
      break;
    case kFieldBirthday:
      r.date = &c.Birthday;
      break;
    case kFieldKeyword:
      r.text = RefOf(c.Keyword);
      break;
    case kFieldLanguage:
      r.text = RefOf(c.Language);
      break;
    case kFieldLocation:
      r.text = RefOf(c.Location);
      break;
    case kFieldMhsCommonName:
      r.text = RefOf(c.MhsCommonName);
      break;
    case kFieldCustomerId:
      r.text = RefOf(c.CustomerId);
      break;
    case kFieldGovernmentId:
      r.text = RefOf(c.GovernmentId);
      break;
    case kFieldOrganizationId:
      r.text = RefOf(c.OrganizationId);
      break;
    case kFieldCategory:
      r.text = RefOf(c.Category);
      break;
    case kFieldCreationTime:
      r.date = &c.CreationTime;
      break;
    case kFieldLastModificationTime:
      r.date = &c.LastModificationTime;
      break;
    case kFieldSourceType:
      r.number = &c.SourceType;
      break;
    case kFieldStatus:
      r.number = &c.Status;
      break;
    case kFieldItemId:
      r.text = RefOf(c.ItemId);
      break;
    case kFieldPrivate:
      r.number = &c.Private;
      break;
    default:
      break;
  }
  return r;
}

std::string_view ContactText(const CommonContact& c, std::uint32_t code) {
  // FieldByCode only hands out references; reading through them does not modify.
  ContactFieldRef r = FieldByCode(const_cast<CommonContact&>(c), code);
  return r.text.field ? r.text.view() : std::string_view();
}
