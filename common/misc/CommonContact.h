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

// The field a code names. Exactly one of the members is set; all are null for an unknown code.
struct ContactFieldRef {
  TextFieldRef text;
  std::uint32_t* number = nullptr;
  OleDate* date = nullptr;
};

// How matching compares a field, and what UpdateAt does with it.
enum class ContactMatch : std::uint8_t { Ignore, LineBreak, Bytes };
enum class ContactUpdate : std::uint8_t {
  Stay,  // left as stored
  Keep,  // text overwritten only by a non-empty incoming one
  Copy,  // value copied as it is
};

// The contact's one field table: code (0: none), label, name (as the JSON form spells it), member,
// value type, comparison, update. The coded rows stand in descriptor order (record order, the
// nine custom labels last); the uncoded rows that UpdateAt touches follow. The descriptors, the
// access by code, the comparison and UpdateAt all come from here.
#define QM_CONTACT_FIELDS(X)                                                                       \
  X(1, "First Name", "FirstName", FirstName, kValueText, LineBreak, Keep)                          \
  X(3, "Last Name", "LastName", LastName, kValueText, LineBreak, Keep)                             \
  X(2, "Middle Name", "MiddleName", MiddleName, kValueText, LineBreak, Keep)                       \
  X(4, "Prefix", "Prefix", Prefix, kValueText, LineBreak, Keep)                                    \
  X(5, "Suffix", "Suffix", Suffix, kValueText, LineBreak, Keep)                                    \
  X(6, "Nick Name", "NickName", NickName, kValueText, LineBreak, Keep)                             \
  X(7, "Display Name", "DisplayName", DisplayName, kValueText, LineBreak, Keep)                    \
  X(8, "Gender", "Gender", Gender, kValueInteger, Ignore, Copy)                                    \
  X(9, "(Work) Street", "WorkAddress.Street", WorkAddress.Street, kValueText, LineBreak, Keep)     \
  X(10, "(Work) City", "WorkAddress.City", WorkAddress.City, kValueText, LineBreak, Keep)          \
  X(11, "(Work) State", "WorkAddress.State", WorkAddress.State, kValueText, LineBreak, Keep)       \
  X(12, "(Work) Postal", "WorkAddress.PostalCode", WorkAddress.PostalCode, kValueText, LineBreak,  \
    Keep)                                                                                          \
  X(13, "(Work) Country", "WorkAddress.Country", WorkAddress.Country, kValueText, LineBreak, Keep) \
  X(16, "(Home) Street", "HomeAddress.Street", HomeAddress.Street, kValueText, LineBreak, Keep)    \
  X(17, "(Home) City", "HomeAddress.City", HomeAddress.City, kValueText, LineBreak, Keep)          \
  X(18, "(Home) State", "HomeAddress.State", HomeAddress.State, kValueText, LineBreak, Keep)       \
  X(19, "(Home) Postal", "HomeAddress.PostalCode", HomeAddress.PostalCode, kValueText, LineBreak,  \
    Keep)                                                                                          \
  X(20, "(Home) Country", "HomeAddress.Country", HomeAddress.Country, kValueText, LineBreak, Keep) \
  X(23, "(Other) Street", "OtherAddress.Street", OtherAddress.Street, kValueText, LineBreak, Keep) \
  X(24, "(Other) City", "OtherAddress.City", OtherAddress.City, kValueText, LineBreak, Keep)       \
  X(25, "(Other) State", "OtherAddress.State", OtherAddress.State, kValueText, LineBreak, Keep)    \
  X(26, "(Other) Postal", "OtherAddress.PostalCode", OtherAddress.PostalCode, kValueText,          \
    LineBreak, Keep)                                                                               \
  X(27, "(Other) Country", "OtherAddress.Country", OtherAddress.Country, kValueText, LineBreak,    \
    Keep)                                                                                          \
  X(28, "Home Phone", "HomePhone", HomePhone, kValueText, LineBreak, Keep)                         \
  X(29, "Work Phone", "WorkPhone", WorkPhone, kValueText, LineBreak, Keep)                         \
  X(30, "Mobile Phone", "MobilePhone", MobilePhone, kValueText, LineBreak, Keep)                   \
  X(32, "Primary Phone", "PrimaryPhone", PrimaryPhone, kValueText, LineBreak, Keep)                \
  X(31, "Other Phone", "OtherPhone", OtherPhone, kValueText, LineBreak, Keep)                      \
  X(33, "Callback Phone", "CallbackPhone", CallbackPhone, kValueText, LineBreak, Keep)             \
  X(35, "Radio Phone", "RadioPhone", RadioPhone, kValueText, LineBreak, Keep)                      \
  X(34, "Car Phone", "CarPhone", CarPhone, kValueText, LineBreak, Keep)                            \
  X(36, "Work Phone 2", "WorkPhone2", WorkPhone2, kValueText, LineBreak, Keep)                     \
  X(37, "Home Phone 2", "HomePhone2", HomePhone2, kValueText, LineBreak, Keep)                     \
  X(38, "Work Fax", "WorkFax", WorkFax, kValueText, LineBreak, Keep)                               \
  X(39, "Home Fax", "HomeFax", HomeFax, kValueText, LineBreak, Keep)                               \
  X(40, "Pager", "Pager", Pager, kValueText, LineBreak, Keep)                                      \
  X(41, "Email", "Email1", Email1, kValueText, LineBreak, Keep)                                    \
  X(42, "Email 2", "Email2", Email2, kValueText, LineBreak, Keep)                                  \
  X(43, "Email 3", "Email3", Email3, kValueText, LineBreak, Keep)                                  \
  X(45, "Work Home Page", "WorkHomePage", WorkHomePage, kValueText, LineBreak, Keep)               \
  X(44, "Personal Home Page", "PersonalHomePage", PersonalHomePage, kValueText, LineBreak, Keep)   \
  X(47, "FTP Site", "FtpSite", FtpSite, kValueText, LineBreak, Keep)                               \
  X(48, "Note", "Note", Note, kValueText, LineBreak, Keep)                                         \
  X(49, "Custom 1", "Custom1", Custom[0], kValueText, LineBreak, Keep)                             \
  X(50, "Custom 2", "Custom2", Custom[1], kValueText, LineBreak, Keep)                             \
  X(51, "Custom 3", "Custom3", Custom[2], kValueText, LineBreak, Keep)                             \
  X(52, "Custom 4", "Custom4", Custom[3], kValueText, LineBreak, Keep)                             \
  X(53, "Custom 5", "Custom5", Custom[4], kValueText, LineBreak, Keep)                             \
  X(54, "Custom 6", "Custom6", Custom[5], kValueText, LineBreak, Keep)                             \
  X(55, "Custom 7", "Custom7", Custom[6], kValueText, LineBreak, Keep)                             \
  X(56, "Custom 8", "Custom8", Custom[7], kValueText, LineBreak, Keep)                             \
  X(57, "Custom 9", "Custom9", Custom[8], kValueText, LineBreak, Keep)                             \
  X(69, "Company", "Company", Company, kValueText, LineBreak, Keep)                                \
  X(71, "Title", "JobTitle", JobTitle, kValueText, LineBreak, Keep)                                \
  X(70, "Department", "Department", Department, kValueText, LineBreak, Keep)                       \
  X(72, "IM 1", "Im1", Im1, kValueText, LineBreak, Keep)                                           \
  X(73, "IM 2", "Im2", Im2, kValueText, LineBreak, Keep)                                           \
  X(74, "Manager Name", "ManagerName", ManagerName, kValueText, LineBreak, Keep)                   \
  X(75, "Assistant Name", "AssistantName", AssistantName, kValueText, LineBreak, Keep)             \
  X(76, "Assistant Phone", "AssistantPhone", AssistantPhone, kValueText, LineBreak, Keep)          \
  X(77, "Spouse Name", "SpouseName", SpouseName, kValueText, LineBreak, Keep)                      \
  X(78, "Children's Names", "ChildrenNames", ChildrenNames, kValueText, Ignore, Keep)              \
  X(80, "Profession", "Profession", Profession, kValueText, Ignore, Keep)                          \
  X(81, "Hobby", "Hobby", Hobby, kValueText, Ignore, Keep)                                         \
  X(82, "Account", "Account", Account, kValueText, LineBreak, Keep)                                \
  X(84, "Birthday", "Birthday", Birthday, kValueDate, Bytes, Copy)                                 \
  X(83, "Anniversary", "Anniversary", Anniversary, kValueDate, Bytes, Copy)                        \
  X(85, "Keyword", "Keyword", Keyword, kValueText, LineBreak, Keep)                                \
  X(86, "Language", "Language", Language, kValueText, LineBreak, Keep)                             \
  X(87, "Location", "Location", Location, kValueText, LineBreak, Keep)                             \
  X(88, "MHS Common Name", "MhsCommonName", MhsCommonName, kValueText, Ignore, Keep)               \
  X(89, "Customer ID", "CustomerId", CustomerId, kValueText, Ignore, Keep)                         \
  X(90, "Government ID", "GovernmentId", GovernmentId, kValueText, Ignore, Keep)                   \
  X(91, "Organization ID", "OrganizationId", OrganizationId, kValueText, Ignore, Keep)             \
  X(92, "Category", "Category", Category, kValueText, Ignore, Keep)                                \
  X(93, "Creation Time", "CreationTime", CreationTime, kValueDate, Ignore, Stay)                   \
  X(94, "Last Modification Time", "LastModificationTime", LastModificationTime, kValueDate,        \
    Ignore, Stay)                                                                                  \
  X(95, "Source Type", "SourceType", SourceType, kValueUnsigned, Ignore, Stay)                     \
  X(96, "Status", "Status", Status, kValueUnsigned, Ignore, Stay)                                  \
  X(97, "ID", "ItemId", ItemId, kValueText, Ignore, Stay)                                          \
  X(98, "Private", "Private", Private, kValueUnsigned, Ignore, Copy)                               \
  X(59, "Custom Label 1", "CustomLabel1", CustomLabel[0], kValueText, LineBreak, Keep)             \
  X(60, "Custom Label 2", "CustomLabel2", CustomLabel[1], kValueText, LineBreak, Keep)             \
  X(61, "Custom Label 3", "CustomLabel3", CustomLabel[2], kValueText, LineBreak, Keep)             \
  X(62, "Custom Label 4", "CustomLabel4", CustomLabel[3], kValueText, LineBreak, Keep)             \
  X(63, "Custom Label 5", "CustomLabel5", CustomLabel[4], kValueText, LineBreak, Keep)             \
  X(64, "Custom Label 6", "CustomLabel6", CustomLabel[5], kValueText, LineBreak, Keep)             \
  X(65, "Custom Label 7", "CustomLabel7", CustomLabel[6], kValueText, LineBreak, Keep)             \
  X(66, "Custom Label 8", "CustomLabel8", CustomLabel[7], kValueText, LineBreak, Keep)             \
  X(67, "Custom Label 9", "CustomLabel9", CustomLabel[8], kValueText, LineBreak, Keep)             \
  X(0, "", "Custom10", Custom[9], kValueText, Ignore, Keep)                                        \
  X(0, "", "MappedCustom1", MappedCustom[0], kValueText, Ignore, Keep)                             \
  X(0, "", "MappedCustom2", MappedCustom[1], kValueText, Ignore, Keep)                             \
  X(0, "", "MappedCustom3", MappedCustom[2], kValueText, Ignore, Keep)                             \
  X(0, "", "MappedCustom4", MappedCustom[3], kValueText, Ignore, Keep)                             \
  X(0, "", "MappedCustom5", MappedCustom[4], kValueText, Ignore, Keep)                             \
  X(0, "", "MappedCustom6", MappedCustom[5], kValueText, Ignore, Keep)                             \
  X(0, "", "MappedCustom7", MappedCustom[6], kValueText, Ignore, Keep)                             \
  X(0, "", "MappedCustom8", MappedCustom[7], kValueText, Ignore, Keep)                             \
  X(0, "", "MappedCustom9", MappedCustom[8], kValueText, Ignore, Keep)                             \
  X(0, "", "MappedCustom10", MappedCustom[9], kValueText, Ignore, Keep)

struct ContactFieldRow {
  std::uint32_t code;
  const char* label;
  const char* name;
  std::uint32_t valueType;
  std::uint32_t size;
  ContactMatch match;
  ContactUpdate update;
  ContactFieldRef (*field)(CommonContact&);
};

inline constexpr std::size_t kContactFieldRows = 101;
extern const std::array<ContactFieldRow, kContactFieldRows> kContactFieldTable;
// The row of a code, or null for code 0 and unassigned ones.
const ContactFieldRow* FindContactRow(std::uint32_t code);

// The 90 rows, in record order with the nine custom labels last.
extern const std::array<ContactFieldDescriptor, 90> kContactFields;

// Descriptor of a code, or null for an unassigned one.
const ContactFieldDescriptor* FindContactField(std::uint32_t code);

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
