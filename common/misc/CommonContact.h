#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "misc/FixedText.h"
#include "misc/NativeAttachment.h"
#include "misc/WinTypes.h"

struct CommonAddress {
  FixedText<256> Street;
  FixedText<32> City;
  FixedText<32> State;
  FixedText<16> PostalCode;
  FixedText<32> Country;
  FixedText<16> PoBox;
  FixedText<32> Neighborhood;

  template <class Self, class V>
  static void VisitFields(Self& a, V&& v) {
    v("Street", a.Street);
    v("City", a.City);
    v("State", a.State);
    v("PostalCode", a.PostalCode);
    v("Country", a.Country);
    v("PoBox", a.PoBox);
    v("Neighborhood", a.Neighborhood);
  }
};

// The source-neutral contact. `Custom`, `MappedCustom` and `CustomLabel` hold the slots
// Custom1..Custom10 (and so on) at indexes 0..9.
class CommonContact {
 public:
  static constexpr std::size_t kCustomSlots = 10;

  FixedText<32> FirstName;
  FixedText<32> LastName;
  FixedText<32> MiddleName;
  FixedText<32> Prefix;
  FixedText<32> Suffix;
  FixedText<32> NickName;
  FixedText<32> DisplayName;
  FixedText<32> NameExtra;
  std::uint32_t Gender = 0;
  CommonAddress WorkAddress;
  CommonAddress HomeAddress;
  CommonAddress OtherAddress;
  FixedText<24> HomePhone;
  FixedText<24> WorkPhone;
  FixedText<24> MobilePhone;
  FixedText<24> PrimaryPhone;
  FixedText<24> OtherPhone;
  FixedText<24> CallbackPhone;
  FixedText<24> RadioPhone;
  FixedText<24> CarPhone;
  FixedText<24> WorkPhone2;
  FixedText<24> HomePhone2;
  FixedText<24> WorkFax;
  FixedText<24> HomeFax;
  FixedText<24> Pager;
  FixedText<64> Email1;
  FixedText<64> Email2;
  FixedText<64> Email3;
  FixedText<256> WorkHomePage;
  FixedText<256> PersonalHomePage;
  FixedText<256> FtpSite;
  FixedText<8192> Note;
  std::array<FixedText<64>, kCustomSlots> Custom;
  std::array<FixedText<64>, kCustomSlots> MappedCustom;
  std::array<FixedText<64>, kCustomSlots> CustomLabel;
  FixedText<64> Company;
  FixedText<32> JobTitle;
  FixedText<32> Department;
  FixedText<32> Im1;
  FixedText<32> Im2;
  FixedText<32> ManagerName;
  FixedText<32> AssistantName;
  FixedText<24> AssistantPhone;
  FixedText<32> SpouseName;
  FixedText<32> ChildrenNames;
  FixedText<64> Profession;
  FixedText<64> Hobby;
  FixedText<32> Account;
  OleDate Birthday;
  OleDate Anniversary;
  FixedText<64> Keyword;
  FixedText<64> Language;
  FixedText<64> Location;
  FixedText<32> MhsCommonName;
  FixedText<32> CustomerId;
  FixedText<32> GovernmentId;
  FixedText<32> OrganizationId;
  FixedText<256> Category;
  OleDate CreationTime;
  OleDate LastModificationTime;
  std::uint32_t SourceType = 0;
  std::uint32_t Status = 0;
  FixedText<64> ItemId;
  std::uint32_t Private = 0;
  NativeAttachment NativeRecord;
  const CommonContact* MatchedRecord = nullptr;  // the other side's record; not owned

  // Calls v(name, field) for every data field in record order (not the attachments).
  template <class Self, class V>
  static void VisitFields(Self& c, V&& v);
};

// Field codes of the contact record; the vocabulary of the comparison lists and the custom map.
enum FieldCode : std::uint32_t {
  kFieldFirstName = 1,
  kFieldMiddleName = 2,
  kFieldLastName = 3,
  kFieldPrefix = 4,
  kFieldSuffix = 5,
  kFieldNickName = 6,
  kFieldDisplayName = 7,
  kFieldGender = 8,
  kFieldWorkStreet = 9,
  kFieldWorkCity = 10,
  kFieldWorkState = 11,
  kFieldWorkPostal = 12,
  kFieldWorkCountry = 13,
  kFieldHomeStreet = 16,
  kFieldHomeCity = 17,
  kFieldHomeState = 18,
  kFieldHomePostal = 19,
  kFieldHomeCountry = 20,
  kFieldOtherStreet = 23,
  kFieldOtherCity = 24,
  kFieldOtherState = 25,
  kFieldOtherPostal = 26,
  kFieldOtherCountry = 27,
  kFieldHomePhone = 28,
  kFieldWorkPhone = 29,
  kFieldMobilePhone = 30,
  kFieldOtherPhone = 31,
  kFieldPrimaryPhone = 32,
  kFieldCallbackPhone = 33,
  kFieldCarPhone = 34,
  kFieldRadioPhone = 35,
  kFieldWorkPhone2 = 36,
  kFieldHomePhone2 = 37,
  kFieldWorkFax = 38,
  kFieldHomeFax = 39,
  kFieldPager = 40,
  kFieldEmail1 = 41,
  kFieldEmail2 = 42,
  kFieldEmail3 = 43,
  kFieldPersonalHomePage = 44,
  kFieldWorkHomePage = 45,
  kFieldFtpSite = 47,
  kFieldNote = 48,
  kFieldCustom1 = 49,
  kFieldCustom9 = 57,
  kFieldCustomLabel1 = 59,
  kFieldCustomLabel9 = 67,
  kFieldCompany = 69,
  kFieldDepartment = 70,
  kFieldJobTitle = 71,
  kFieldIm1 = 72,
  kFieldIm2 = 73,
  kFieldManagerName = 74,
  kFieldAssistantName = 75,
  kFieldAssistantPhone = 76,
  kFieldSpouseName = 77,
  kFieldChildrenNames = 78,
  kFieldProfession = 80,
  kFieldHobby = 81,
  kFieldAccount = 82,
  kFieldAnniversary = 83,
  kFieldBirthday = 84,
  kFieldKeyword = 85,
  kFieldLanguage = 86,
  kFieldLocation = 87,
  kFieldMhsCommonName = 88,
  kFieldCustomerId = 89,
  kFieldGovernmentId = 90,
  kFieldOrganizationId = 91,
  kFieldCategory = 92,
  kFieldCreationTime = 93,
  kFieldLastModificationTime = 94,
  kFieldSourceType = 95,
  kFieldStatus = 96,
  kFieldItemId = 97,
  kFieldPrivate = 98,
};

enum FieldValueType : std::uint32_t {
  kValueText = 1,
  kValueInteger = 4,
  kValueUnsigned = 5,
  kValueDate = 6,
};

struct ContactFieldDescriptor {
  std::uint32_t code;
  char label[32];
  std::uint32_t valueType;
  std::uint32_t size;
};

// The 90 rows, in record order with the nine custom labels last.
extern const std::array<ContactFieldDescriptor, 90> kContactFields;

// Descriptor of a code, or null for an unassigned one.
const ContactFieldDescriptor* FindContactField(std::uint32_t code);

// The field a code names. Exactly one of the members is set; all are null for an unknown code.
struct ContactFieldRef {
  TextFieldRef text;
  std::uint32_t* number = nullptr;
  OleDate* date = nullptr;
};
ContactFieldRef FieldByCode(CommonContact& c, std::uint32_t code);

// Text of the field a code names ("" for non-text or unknown codes).
std::string_view ContactText(const CommonContact& c, std::uint32_t code);

template <class Self, class V>
void CommonContact::VisitFields(Self& c, V&& v) {
  static constexpr std::array<std::string_view, kCustomSlots> kCustom = {
      "Custom1", "Custom2", "Custom3", "Custom4", "Custom5",
      "Custom6", "Custom7", "Custom8", "Custom9", "Custom10"};
  static constexpr std::array<std::string_view, kCustomSlots> kMapped = {
      "MappedCustom1", "MappedCustom2", "MappedCustom3", "MappedCustom4", "MappedCustom5",
      "MappedCustom6", "MappedCustom7", "MappedCustom8", "MappedCustom9", "MappedCustom10"};
  static constexpr std::array<std::string_view, kCustomSlots> kLabel = {
      "CustomLabel1", "CustomLabel2", "CustomLabel3", "CustomLabel4", "CustomLabel5",
      "CustomLabel6", "CustomLabel7", "CustomLabel8", "CustomLabel9", "CustomLabel10"};
  v("FirstName", c.FirstName);
  v("LastName", c.LastName);
  v("MiddleName", c.MiddleName);
  v("Prefix", c.Prefix);
  v("Suffix", c.Suffix);
  v("NickName", c.NickName);
  v("DisplayName", c.DisplayName);
  v("NameExtra", c.NameExtra);
  v("Gender", c.Gender);
  v("WorkAddress", c.WorkAddress);
  v("HomeAddress", c.HomeAddress);
  v("OtherAddress", c.OtherAddress);
  v("HomePhone", c.HomePhone);
  v("WorkPhone", c.WorkPhone);
  v("MobilePhone", c.MobilePhone);
  v("PrimaryPhone", c.PrimaryPhone);
  v("OtherPhone", c.OtherPhone);
  v("CallbackPhone", c.CallbackPhone);
  v("RadioPhone", c.RadioPhone);
  v("CarPhone", c.CarPhone);
  v("WorkPhone2", c.WorkPhone2);
  v("HomePhone2", c.HomePhone2);
  v("WorkFax", c.WorkFax);
  v("HomeFax", c.HomeFax);
  v("Pager", c.Pager);
  v("Email1", c.Email1);
  v("Email2", c.Email2);
  v("Email3", c.Email3);
  v("WorkHomePage", c.WorkHomePage);
  v("PersonalHomePage", c.PersonalHomePage);
  v("FtpSite", c.FtpSite);
  v("Note", c.Note);
  for (std::size_t i = 0; i < kCustomSlots; ++i) v(kCustom[i], c.Custom[i]);
  for (std::size_t i = 0; i < kCustomSlots; ++i) v(kMapped[i], c.MappedCustom[i]);
  for (std::size_t i = 0; i < kCustomSlots; ++i) v(kLabel[i], c.CustomLabel[i]);
  v("Company", c.Company);
  v("JobTitle", c.JobTitle);
  v("Department", c.Department);
  v("Im1", c.Im1);
  v("Im2", c.Im2);
  v("ManagerName", c.ManagerName);
  v("AssistantName", c.AssistantName);
  v("AssistantPhone", c.AssistantPhone);
  v("SpouseName", c.SpouseName);
  v("ChildrenNames", c.ChildrenNames);
  v("Profession", c.Profession);
  v("Hobby", c.Hobby);
  v("Account", c.Account);
  v("Birthday", c.Birthday);
  v("Anniversary", c.Anniversary);
  v("Keyword", c.Keyword);
  v("Language", c.Language);
  v("Location", c.Location);
  v("MhsCommonName", c.MhsCommonName);
  v("CustomerId", c.CustomerId);
  v("GovernmentId", c.GovernmentId);
  v("OrganizationId", c.OrganizationId);
  v("Category", c.Category);
  v("CreationTime", c.CreationTime);
  v("LastModificationTime", c.LastModificationTime);
  v("SourceType", c.SourceType);
  v("Status", c.Status);
  v("ItemId", c.ItemId);
  v("Private", c.Private);
}
