#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "misc/CommonContact.h"
#include "misc/FixedText.h"
#include "misc/WinTypes.h"
#include "outlook/OlItemRef.h"

// What a property of a contact item is read and written as.
enum class OlKind : std::uint8_t { kText, kDate, kLong };

// Whether a row is a property of the item: read on load and sent on write. Rows that are not
// (the folder's store id and name, the suffix) live in the record only.
enum OlAccess : std::uint8_t {
  kOlNone = 0,
  kOlRead = 1,
  kOlSend = 2,
  kOlReadSend = 3,
};

// The six rows of one of the four addresses, in record order; its P.O. box travels as `box`
// says, the other five as `dir`.
#define QM_OL_ADDRESS_ROWS(X, where, dir, box, common)                                           \
  X(where##AddressCity, #where "AddressCity", kText, 24, kOlReadSend, dir, common.City)          \
  X(where##AddressCountry, #where "AddressCountry", kText, 24, kOlReadSend, dir, common.Country) \
  X(where##AddressPostalCode, #where "AddressPostalCode", kText, 12, kOlReadSend, dir,           \
    common.PostalCode)                                                                           \
  X(where##AddressPostOfficeBox, #where "AddressPostOfficeBox", kText, 12, kOlReadSend, box,     \
    common.PoBox)                                                                                \
  X(where##AddressState, #where "AddressState", kText, 24, kOlReadSend, dir, common.State)       \
  X(where##AddressStreet, #where "AddressStreet", kText, 128, kOlReadSend, dir, common.Street)

// The three rows of one of the three e-mail entries: only the address travels.
#define QM_OL_EMAIL_ROWS(X, n)                                                           \
  X(Email##n##Address, "Email" #n "Address", kText, 64, kOlReadSend, Both, Email##n)     \
  X(Email##n##AddressType, "Email" #n "AddressType", kText, 16, kOlReadSend, None, none) \
  X(Email##n##DisplayName, "Email" #n "DisplayName", kText, 64, kOlReadSend, None, none)

// Every row of the Outlook contact record, in record order: field, property name, kind, width,
// access, and the common field it loads into and is written from (none, load only, write only,
// both). Ids and labels of the contact field table are in OlAddrUtil.
#define QM_OL_CONTACT_FIELDS(X)                                                                   \
  X(EntryID, "EntryID", kText, 1024, kOlRead, None, none)                                         \
  X(StoreID, "StoreID", kText, 1024, kOlNone, None, none)                                         \
  X(Account, "Account", kText, 32, kOlReadSend, Both, Account)                                    \
  X(Anniversary, "Anniversary", kDate, 8, kOlReadSend, Both, Anniversary)                         \
  X(AssistantName, "AssistantName", kText, 64, kOlReadSend, Both, AssistantName)                  \
  X(AssistantTelephoneNumber, "AssistantTelephoneNumber", kText, 24, kOlReadSend, Both,           \
    AssistantPhone)                                                                               \
  X(Birthday, "Birthday", kDate, 8, kOlReadSend, Both, Birthday)                                  \
  X(Business2TelephoneNumber, "Business2TelephoneNumber", kText, 24, kOlReadSend, None, none)     \
  QM_OL_ADDRESS_ROWS(X, Business, Both, Write, WorkAddress)                                       \
  X(BusinessFaxNumber, "BusinessFaxNumber", kText, 24, kOlReadSend, Both, WorkFax)                \
  X(BusinessHomePage, "BusinessHomePage", kText, 256, kOlReadSend, Both, WorkHomePage)            \
  X(BusinessTelephoneNumber, "BusinessTelephoneNumber", kText, 24, kOlReadSend, Both, WorkPhone)  \
  X(CallbackTelephoneNumber, "CallbackTelephoneNumber", kText, 24, kOlReadSend, Both,             \
    CallbackPhone)                                                                                \
  X(CarTelephoneNumber, "CarTelephoneNumber", kText, 24, kOlReadSend, Both, CarPhone)             \
  X(CompanyMainTelephoneNumber, "CompanyMainTelephoneNumber", kText, 24, kOlReadSend, None, none) \
  X(CompanyName, "CompanyName", kText, 64, kOlReadSend, Both, Company)                            \
  X(ComputerNetworkName, "ComputerNetworkName", kText, 32, kOlReadSend, None, none)               \
  X(CustomerID, "CustomerID", kText, 24, kOlReadSend, Both, CustomerId)                           \
  X(Department, "Department", kText, 32, kOlReadSend, Both, Department)                           \
  QM_OL_EMAIL_ROWS(X, 1)                                                                          \
  QM_OL_EMAIL_ROWS(X, 2)                                                                          \
  QM_OL_EMAIL_ROWS(X, 3)                                                                          \
  X(FirstName, "FirstName", kText, 64, kOlReadSend, Both, FirstName)                              \
  X(FTPSite, "FTPSite", kText, 256, kOlReadSend, Both, FtpSite)                                   \
  X(FullName, "FullName", kText, 64, kOlReadSend, Both, DisplayName)                              \
  X(Gender, "Gender", kLong, 4, kOlReadSend, None, none)                                          \
  X(Hobby, "Hobby", kText, 128, kOlReadSend, Both, Hobby)                                         \
  X(Home2TelephoneNumber, "Home2TelephoneNumber", kText, 24, kOlReadSend, None, none)             \
  QM_OL_ADDRESS_ROWS(X, Home, Both, Write, HomeAddress)                                           \
  X(HomeFaxNumber, "HomeFaxNumber", kText, 24, kOlReadSend, Both, HomeFax)                        \
  X(HomeTelephoneNumber, "HomeTelephoneNumber", kText, 24, kOlReadSend, Both, HomePhone)          \
  X(IMAddress, "IMAddress", kText, 32, kOlReadSend, Both, Im1)                                    \
  X(Initials, "Initials", kText, 8, kOlReadSend, Both, Prefix)                                    \
  X(ISDNNumber, "ISDNNumber", kText, 24, kOlReadSend, None, none)                                 \
  X(JobTitle, "JobTitle", kText, 32, kOlReadSend, Both, JobTitle)                                 \
  X(Language, "Language", kText, 8, kOlReadSend, Both, Language)                                  \
  X(LastName, "LastName", kText, 64, kOlReadSend, Both, LastName)                                 \
  QM_OL_ADDRESS_ROWS(X, Mailing, None, None, none)                                                \
  X(ManagerName, "ManagerName", kText, 64, kOlReadSend, Both, ManagerName)                        \
  X(MiddleName, "MiddleName", kText, 64, kOlReadSend, Both, MiddleName)                           \
  X(MobileTelephoneNumber, "MobileTelephoneNumber", kText, 24, kOlReadSend, Both, MobilePhone)    \
  X(NickName, "NickName", kText, 64, kOlReadSend, Both, NickName)                                 \
  QM_OL_ADDRESS_ROWS(X, Other, Both, Write, OtherAddress)                                         \
  X(OtherTelephoneNumber, "OtherTelephoneNumber", kText, 24, kOlReadSend, Both, OtherPhone)       \
  X(PagerNumber, "PagerNumber", kText, 24, kOlReadSend, None, none)                               \
  X(PersonalHomePage, "PersonalHomePage", kText, 256, kOlReadSend, Both, PersonalHomePage)        \
  X(PrimaryTelephoneNumber, "PrimaryTelephoneNumber", kText, 24, kOlReadSend, Both, PrimaryPhone) \
  X(Profession, "Profession", kText, 32, kOlReadSend, Both, Profession)                           \
  X(RadioTelephoneNumber, "RadioTelephoneNumber", kText, 24, kOlReadSend, Both, RadioPhone)       \
  X(Spouse, "Spouse", kText, 64, kOlReadSend, Both, SpouseName)                                   \
  X(Suffix, "Suffix", kText, 8, kOlNone, Both, Suffix)                                            \
  X(WebPage, "WebPage", kText, 256, kOlReadSend, None, none)                                      \
  X(Body, "Body", kText, 2048, kOlReadSend, Both, Note)                                           \
  X(FolderName, "FolderName", kText, 32, kOlNone, None, none)                                     \
  X(Categories, "Categories", kText, 256, kOlReadSend, Both, Category)                            \
  X(CreationTime, "CreationTime", kDate, 8, kOlRead, Load, CreationTime)                          \
  X(LastModificationTime, "LastModificationTime", kDate, 8, kOlRead, Load, LastModificationTime)

enum OlContactField : std::uint8_t {
#define QM_OL_ENUM(field, name, kind, width, access, dir, common) kOc##field,
  QM_OL_CONTACT_FIELDS(QM_OL_ENUM)
#undef QM_OL_ENUM
      kOcCount
};

// Which way a row travels between the Outlook record and the common contact.
enum class OlDirection : std::uint8_t { kNone, kLoad, kWrite, kBoth };

struct OlContactRow {
  OlContactField field;
  const char* property;
  OlKind kind;
  std::uint16_t width;  // texts keep width - 1 bytes
  OlAccess access;
  OlDirection direction;
  // The common field, for rows that travel; null otherwise.
  ContactFieldRef (*common)(CommonContact&);
};

extern const std::array<OlContactRow, kOcCount> kOlContactRows;

// The Outlook contact record: one text per text row, the dates and the gender, the user
// properties, and the item it was read from. Empty texts cost a pointer each.
struct OlContactRecord {
  static constexpr std::size_t kUserProps = 10;

  std::array<TextStorage, kOcCount> text;  // by OlContactField; unused for the date and long rows
  OleDate Anniversary, Birthday, CreationTime, LastModificationTime;
  std::int32_t Gender = 0;
  std::array<FixedText<64>, kUserProps> UserPropName;
  std::array<FixedText<64>, kUserProps> UserPropValue;
  OlItemRef Item;

  OleDate* Date(OlContactField f);
  const OleDate* Date(OlContactField f) const {
    return const_cast<OlContactRecord*>(this)->Date(f);
  }
  TextFieldRef Text(OlContactField f) { return {&text[f], kOlContactRows[f].width}; }
  std::string_view View(OlContactField f) const { return text[f].view(); }
};
