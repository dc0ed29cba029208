#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "misc/CommonContact.h"
#include "misc/CxFile.h"
#include "misc/FixedText.h"
#include "misc/WinTypes.h"

// Slot type codes of the Google contact's typed slots (0 = free slot).
enum GoogleEmailType : std::int32_t { kGEmailHome = 1, kGEmailWork = 2, kGEmailOther = 3 };
enum GoogleAddressType : std::int32_t { kGAddrHome = 1, kGAddrWork = 2, kGAddrOther = 3 };
enum GooglePhoneType : std::int32_t {
  kGPhoneHome = 1,
  kGPhoneWork = 2,
  kGPhoneMobile = 3,
  kGPhoneHomeFax = 4,
  kGPhoneWorkFax = 5,
  kGPhonePager = 6,
  kGPhoneOther = 7,
};
enum GoogleWebType : std::int32_t {
  kGWebHome = 1,
  kGWebWork = 2,
  kGWebHomePage = 3,
  kGWebFtp = 4,
  kGWebBlog = 5,
  kGWebProfile = 6,
  kGWebOther = 7,
};
enum GoogleImType : std::int32_t {
  kGImGTalk = 1,
  kGImAim = 2,
  kGImYahoo = 3,
  kGImSkype = 4,
  kGImQq = 5,
  kGImMsn = 6,
  kGImIcq = 7,
  kGImJabber = 8,
};
enum GoogleDateType : std::int32_t { kGDateBirthday = 1, kGDateAnniversary = 2, kGDateOther = 3 };
enum GoogleRelationType : std::int32_t {
  kGRelSpouse = 1,
  kGRelMother = 3,
  kGRelFather = 4,
  kGRelManager = 11,
  kGRelAssistant = 12,
};

enum GoogleChangeState : std::int32_t { kGChanged = 2 };
enum GoogleAction : std::int32_t { kGActionAdd = 1, kGActionUpdate = 2 };

// A contact of the Google account as the helper exchanges it: fixed fields and small arrays of
// typed slots, in the order of the data file.
class GoogleContact {
 public:
  static constexpr std::size_t kEmails = 5, kAddresses = 5, kPhones = 10, kWebs = 10, kIms = 10,
                               kCustoms = 10, kDates = 5, kRelations = 20;

  std::int32_t RecordTag = 0;
  std::int32_t ChangeState = 0;
  std::int32_t Action = 0;
  FixedText<64> FirstName, MiddleName, LastName, DisplayName, NickName, CompanyName, JobTitle;
  std::array<std::int32_t, kEmails> EmailType{};
  std::array<FixedText<64>, kEmails> Email;
  FixedText<64> PrimaryEmail;
  std::array<std::int32_t, kAddresses> AddressType{};  // one type per slot, shared by its parts
  std::array<FixedText<256>, kAddresses> FormattedAddress;
  std::array<FixedText<32>, kAddresses> City;
  std::array<FixedText<16>, kAddresses> State;
  std::array<FixedText<16>, kAddresses> Country;
  std::array<FixedText<32>, kAddresses> PostalCode;
  std::array<FixedText<128>, kAddresses> Street;
  std::array<FixedText<32>, kAddresses> PoBox;
  std::array<FixedText<64>, kAddresses> Neighborhood;
  std::array<std::int32_t, kPhones> PhoneType{};
  std::array<FixedText<32>, kPhones> Phone;
  FixedText<32> PrimaryPhone;
  std::array<std::int32_t, kWebs> WebSiteType{};
  std::array<FixedText<256>, kWebs> WebSite;
  FixedText<256> PrimaryWebSite;
  std::array<std::int32_t, kIms> ImType{};
  std::array<FixedText<64>, kIms> Im;
  FixedText<64> PrimaryIm;
  std::array<FixedText<64>, kCustoms> CustomLabel;
  std::array<FixedText<64>, kCustoms> CustomValue;
  std::array<std::int32_t, kDates> DateType{};
  std::array<OleDate, kDates> Date{};
  std::array<std::int32_t, kRelations> RelationType{};
  std::array<FixedText<64>, kRelations> Relation;
  FixedText<4096> PassThrough;  // the helper's own; never shown or converted
  FixedText<10240> Note;
  FixedText<256> Groups;
  OleDate CreationTime;
  OleDate LastModificationTime;

  template <class R, class V>
  static void VisitFileFields(R& r, V&& v) {
    v(r.RecordTag);
    v(r.ChangeState);
    v(r.Action);
    v(r.FirstName);
    v(r.MiddleName);
    v(r.LastName);
    v(r.DisplayName);
    v(r.NickName);
    v(r.CompanyName);
    v(r.JobTitle);
    v(r.EmailType);
    v(r.Email);
    v(r.PrimaryEmail);
    v(r.AddressType);
    v(r.FormattedAddress);
    v(r.City);
    v(r.State);
    v(r.Country);
    v(r.PostalCode);
    v(r.Street);
    v(r.PoBox);
    v(r.Neighborhood);
    v(r.PhoneType);
    v(r.Phone);
    v(r.PrimaryPhone);
    v(r.WebSiteType);
    v(r.WebSite);
    v(r.PrimaryWebSite);
    v(r.ImType);
    v(r.Im);
    v(r.PrimaryIm);
    v(r.CustomLabel);
    v(r.CustomValue);
    v(r.DateType);
    v(r.Date);
    v(r.RelationType);
    v(r.Relation);
    v(r.PassThrough);
    v(r.Note);
    v(r.Groups);
    v(r.CreationTime);
    v(r.LastModificationTime);
  }

  // Slot access: the first slot of the type, or none.
  static int FindSlot(const std::int32_t* types, std::size_t count, std::int32_t type);
  // The first slot of the type, else the first free slot (typed on the way); -1 when full.
  static int TakeSlot(std::int32_t* types, std::size_t count, std::int32_t type);
};

// One record of the data file, field by field. False when the file ends early or a length lies.
bool ReadGoogleContact(CxFile& file, GoogleContact& record);
bool WriteGoogleContact(CxFile& file, const GoogleContact& record);

// The Google contact field codes (91 rows; code 89 is unassigned).
struct GoogleFieldCode {
  std::uint32_t code;
  char label[32];
  std::uint32_t valueType;  // kValueText or kValueDate
  std::uint32_t size;
};
extern const std::array<GoogleFieldCode, 91> kGoogleFieldCodes;
const GoogleFieldCode* FindGoogleField(std::uint32_t code);

// The value a code addresses (no slot is made): text, date, or nothing.
using GoogleFieldValue = std::variant<std::monostate, std::string, OleDate>;
GoogleFieldValue FieldByCode(const GoogleContact& record, std::uint32_t code);
// The same as display text: dates as "MM/DD/YYYY", the two times with their time; "" for none.
std::string FieldText(const GoogleContact& record, std::uint32_t code);

// The Google field whose value fills mapped custom slot i+1 on load (0 = none). Process-wide.
bool SetCustomField(int slot, std::uint32_t code);
std::uint32_t CustomFieldCode(int slot);

// The two conversions. GoogleToCommon starts from an empty contact; CommonToGoogle writes into
// `google` (the loaded native record on an update, so slots it does not write survive).
void GoogleToCommon(const GoogleContact& google, CommonContact& common);
void CommonToGoogle(const CommonContact& common, GoogleContact& google);
