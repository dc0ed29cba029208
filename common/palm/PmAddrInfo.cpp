#include "palm/PmAddrInfo.h"

#include <algorithm>
#include <cinttypes>
#include <tuple>

#include "misc/CxDebugUtil.h"
#include "misc/Utf8.h"
#include "palm/PmUsers.h"
#include "platform/AsciiCase.h"

const PmSourceTexts PmAddrInfo::kTexts = {
    "Load Palm Desktop Contacts by file: %s",
    "Failed to load Palm Desktop Contacts data file: %s",
    "Check Palm Desktop Contacts file version, file: %s",
    "Contacts",
    "Failed to check Palm Desktop Contacts file type: (%s)",
};
const char* const PmAddrInfo::kUnplaced =
    "%zu Palm contacts could not be placed in memory and were skipped.";

namespace {

int g_selector = kPmLayoutNone;

constexpr const char* kPhoneLabels[] = {"Work Phone", "Home Phone", "Fax",   "Other Phone",
                                        "E-mail",     "Main Phone", "Pager", "Mobile Phone"};

using T = PmFieldEntry;
constexpr PmFieldEntry kTable1[] = {
    {1, "First Name", T::kText, 32}, {2, "Last Name", T::kText, 32},
    {3, "Company", T::kText, 256},   {4, "Job Title", T::kText, 32},
    {5, "Work Phone", T::kText, 32}, {6, "Home Phone", T::kText, 32},
    {7, "Fax", T::kText, 32},        {8, "Other Phone", T::kText, 32},
    {9, "E-mail", T::kText, 32},     {10, "Main Phone", T::kText, 32},
    {11, "Pager", T::kText, 32},     {12, "Mobile Phone", T::kText, 32},
    {13, "Street", T::kText, 256},   {14, "City", T::kText, 32},
    {15, "State", T::kText, 32},     {16, "Zip Code", T::kText, 32},
    {17, "Country", T::kText, 32},   {18, "Custom 1", T::kText, 64},
    {19, "Custom 2", T::kText, 64},  {20, "Custom 3", T::kText, 64},
    {21, "Custom 4", T::kText, 64},  {22, "Category", T::kText, 16},
    {23, "Note", T::kText, 8192},
};

constexpr PmFieldEntry kTable2[] = {
    {1, "First Name", T::kText, 32},
    {2, "Last Name", T::kText, 32},
    {3, "Company", T::kText, 256},
    {4, "Job Title", T::kText, 32},
    {5, "Work Phone", T::kText, 32},
    {6, "Home Phone", T::kText, 32},
    {7, "Fax", T::kText, 32},
    {8, "Other Phone", T::kText, 32},
    {9, "E-mail", T::kText, 32},
    {10, "Main Phone", T::kText, 32},
    {11, "Pager", T::kText, 32},
    {12, "Mobile Phone", T::kText, 32},
    {13, "Work Street", T::kText, 256},
    {14, "Work City", T::kText, 32},
    {15, "Work State", T::kText, 32},
    {16, "Work Zip", T::kText, 32},
    {17, "Work Country", T::kText, 32},
    {18, "Home Street", T::kText, 256},
    {19, "Home City", T::kText, 32},
    {20, "Home State", T::kText, 32},
    {21, "Home Zip", T::kText, 32},
    {22, "Home Country", T::kText, 32},
    {23, "Other Street", T::kText, 256},
    {24, "Other City", T::kText, 32},
    {25, "Other State", T::kText, 32},
    {26, "Other Zip", T::kText, 32},
    {27, "Other Country", T::kText, 32},
    {28, "IM AIM", T::kText, 32},
    {29, "IM MSN", T::kText, 32},
    {30, "IM Yahoo", T::kText, 32},
    {31, "IM AIM", T::kText, 32},
    {32, "IM IM", T::kText, 32},
    {33, "Home Page", T::kText, 256},
    {34, "Birthday", T::kRealDate, 8},
    {35, "Custom 1", T::kText, 256},
    {36, "Custom 2", T::kText, 256},
    {37, "Custom 3", T::kText, 256},
    {38, "Custom 4", T::kText, 256},
    {39, "Custom 5", T::kText, 256},
    {40, "Custom 6", T::kText, 256},
    {41, "Custom 7", T::kText, 256},
    {42, "Custom 8", T::kText, 256},
    {43, "Custom 9", T::kText, 256},
    {44, "Category", T::kText, 16},
    {45, "Note", T::kText, 2048},
};

// The slot carrying `label`; else the first empty slot, which takes the label (so that a later
// write lands there); else none.
template <std::size_t N>
std::string SlotByLabel(std::array<std::string, N>& text, std::array<std::int32_t, N>& labels,
                        std::int32_t label) {
  for (std::size_t i = 0; i < N; ++i)
    if (labels[i] == label) return text[i];
  for (std::size_t i = 0; i < N; ++i) {
    if (text[i].empty()) {
      labels[i] = label;
      return {};
    }
  }
  return {};
}

std::string AddressPart(const PmPostalAddress& a, int part) {
  const std::string* parts[] = {&a.street, &a.city, &a.state, &a.zip, &a.country};
  return *parts[part];
}

}  // namespace

PmAddrInfo::PmAddrInfo(std::uint32_t version)
    : PmSource(version), unread_(version == kPmVersionUnread) {
  g_selector = PmLayoutForVersion(version, PmOldVersions::kUnknown);
}

PmAddrInfo::PmAddrInfo() : PmAddrInfo(GetPalmDesktopVersion()) {}

int PmAddrInfo::LayoutSelector() {
  return g_selector;
}

bool PmAddrInfo::LoadByUser(std::int32_t userId) {
  CxFirstError cause;
  return FinishReport(LoadUser(userId), cause);
}

bool PmAddrInfo::LoadByFolder(const std::string& userFolder) {
  CxFirstError cause;
  return FinishReport(LoadFolder(userFolder), cause);
}

bool PmAddrInfo::LoadUser(std::int32_t userId) {
  Clear();
  QM_LOG_INFO("Load Palm Desktop Contacts by user: %d", userId);
  std::string folder;
  if (g_selector != kPmLayoutNone && !GetUserDataFolder(userId, folder)) {
    QM_LOG_ERROR("Failed to get Palm Desktop data path by user, User ID=%d", userId);
    QM_LOG_ERROR("Could not open Palm Desktop Contacts database by User: %d", userId);
    loaded_ = kPmLayoutFailed;
    return false;
  }
  if (!LoadFolder(folder)) {
    if (g_selector != kPmLayoutNone)
      QM_LOG_ERROR("Could not open Palm Desktop Contacts database by User: %d", userId);
    return false;
  }
  return true;
}

bool PmAddrInfo::LoadFolder(const std::string& userFolder) {
  Clear();
  if (g_selector == kPmLayoutNone) {
    QM_LOG_ERROR("Unknown Palm Desktop version");
    loaded_ = kPmLayoutFailed;
    return false;
  }
  // Without a version the folder's own files choose, and the field tables follow what was read.
  const int generation = unread_ ? GenerationInFolder(userFolder) : g_selector;
  if (generation == kPmLayoutNone || !LoadLayout(generation, userFolder, true)) {
    loaded_ = kPmLayoutFailed;
    return false;
  }
  g_selector = generation;
  loaded_ = generation;
  Build();
  return true;
}

bool PmAddrInfo::SetMappedField(std::size_t slot, std::int32_t fieldId) {
  if (slot >= kMapSlots) return false;
  map_[slot] = fieldId;
  return true;
}

void PmAddrInfo::StartBuild(int layout) {
  switch (layout) {
    case kPmLayout1:
      fieldCount_ = 24;
      break;
    case kPmLayout2:
      fieldCount_ = 43;
      break;
    case kPmLayout6x:
      fieldCount_ = 63;
      break;
    default:
      break;
  }
}

void PmAddrInfo::Finish(int, PmAddrItem& item, CommonContact& c) const {
  ApplyMap(item, c);
  c.SourceType = 1;
}

namespace {

// Calls `f` on each common field a phone of `label` may fill, first choice first, until `f`
// returns true. A repeated work, home, fax or e-mail label thus reaches the spare field of its
// kind instead of replacing the first number.
template <class F>
bool ForEachFieldOfLabel(CommonContact& c, std::int32_t label, F&& f) {
  switch (label) {
    case kPmPhoneWork:
      return f(c.WorkPhone) || f(c.WorkPhone2);
    case kPmPhoneHome:
      return f(c.HomePhone) || f(c.HomePhone2);
    case kPmPhoneFax:
      return f(c.WorkFax) || f(c.HomeFax);
    case kPmPhoneOther:
      return f(c.OtherPhone);
    case kPmPhoneEmail:
      return f(c.Email1) || f(c.Email2) || f(c.Email3);
    case kPmPhoneMain:
      return f(c.PrimaryPhone);
    case kPmPhonePager:
      return f(c.Pager);
    case kPmPhoneMobile:
      return f(c.MobilePhone);
    default:
      return false;  // unknown labels reach only the custom map
  }
}

// `put` fills the first free field of the label. A filled field is never overwritten: a phone
// that finds none stays in the Palm record, where the custom map can still reach it.
template <class PutText>
void PlacePhone(CommonContact& c, std::int32_t label, PutText put) {
  ForEachFieldOfLabel(c, label, [&](auto& field) {
    if (!field.empty()) return false;
    put(field);
    return true;
  });
}

// Compared as the field would hold it; addresses and numbers ignore ASCII case.
template <std::size_t N>
bool Holds(const FixedText<N>& field, std::string_view text) {
  const std::string_view kept = Utf8Prefix(text, N - 1);
  return platform::EqualsNoCase(kept, field.view());
}

// The label each unlabelled 6.x column files under, in column order ("Other Fax" to "Pager").
constexpr std::array<std::int32_t, 7> kMorePhoneLabels = {
    kPmPhoneFax,   kPmPhoneMobile, kPmPhoneEmail, kPmPhoneEmail,
    kPmPhoneEmail, kPmPhoneEmail,  kPmPhonePager};
static_assert(kMorePhoneLabels.size() == std::tuple_size_v<decltype(PmAddrEx2Record::morePhone)>);

}  // namespace

void PmAddrInfo::Convert(const PmAddrRecord& r, CommonContact& c) const {
  const PmCodePage& cp = codePage_;
  std::string scratch;  // one decoding buffer for every text of the record
  PmPutText(c.FirstName, r.firstName, 32, cp, scratch);
  PmPutText(c.LastName, r.lastName, 32, cp, scratch);
  PmPutText(c.Company, r.company, 256, cp, scratch);
  PmPutText(c.JobTitle, r.title, 32, cp, scratch);
  PmPutText(c.WorkAddress.Street, r.street, 256, cp, scratch);
  PmPutText(c.WorkAddress.City, r.city, 32, cp, scratch);
  PmPutText(c.WorkAddress.State, r.state, 32, cp, scratch);
  PmPutText(c.WorkAddress.PostalCode, r.zip, 32, cp, scratch);
  PmPutText(c.WorkAddress.Country, r.country, 32, cp, scratch);
  PmPutText(c.Note, r.note, 8192, cp, scratch);
  for (std::size_t i = 0; i < PmAddrRecord::kCustoms; ++i)
    PmPutText(c.Custom[i], r.custom[i], 64, cp, scratch);
  for (std::size_t i = 0; i < PmAddrRecord::kPhones; ++i) {
    if (r.phone[i].empty()) continue;
    PlacePhone(c, r.phoneLabel[i],
               [&](auto& field) { PmPutText(field, r.phone[i], 32, cp, scratch); });
  }
  PmPutText(c.Category, r.categoryName, 16, cp, scratch);
}

void PmAddrInfo::Convert(const PmAddrExRecord& r, CommonContact& c) const {
  const PmCodePage& cp = codePage_;
  std::string scratch;  // one decoding buffer for every text of the record
  PmPutText(c.FirstName, r.firstName, 32, cp, scratch);
  PmPutText(c.LastName, r.lastName, 32, cp, scratch);
  PmPutText(c.Company, r.company, 256, cp, scratch);
  PmPutText(c.JobTitle, r.title, 32, cp, scratch);
  const std::pair<CommonAddress*, const PmPostalAddress*> addresses[] = {
      {&c.WorkAddress, &r.work}, {&c.HomeAddress, &r.home}, {&c.OtherAddress, &r.other}};
  for (const auto& [to, from] : addresses) {
    PmPutText(to->Street, from->street, 256, cp, scratch);
    PmPutText(to->City, from->city, 32, cp, scratch);
    PmPutText(to->State, from->state, 32, cp, scratch);
    PmPutText(to->PostalCode, from->zip, 32, cp, scratch);
    PmPutText(to->Country, from->country, 32, cp, scratch);
  }
  PmPutText(c.Note, r.note, 2048, cp, scratch);
  for (std::size_t i = 0; i < PmAddrExRecord::kCustoms; ++i)
    PmPutText(c.Custom[i], r.custom[i], 256, cp, scratch);
  for (std::size_t i = 0; i < PmAddrExRecord::kPhones; ++i) {
    if (r.phone[i].empty()) continue;
    PlacePhone(c, r.phoneLabel[i],
               [&](auto& field) { PmPutText(field, r.phone[i], 32, cp, scratch); });
  }
  PmPutText(c.Category, r.categoryName, 16, cp, scratch);
}

void PmAddrInfo::Convert(const PmAddrEx2Record& r, CommonContact& c) const {
  PmPutText(c.FirstName, r.firstName);
  PmPutText(c.LastName, r.lastName);
  PmPutText(c.MiddleName, r.middleName);
  PmPutText(c.Prefix, r.prefix);
  PmPutText(c.Suffix, r.suffix);
  PmPutText(c.NickName, r.nickName);
  PmPutText(c.DisplayName, r.englishName);
  PmPutText(c.Note, r.note);
  PmPutText(c.Company, r.company);
  PmPutText(c.JobTitle, r.jobTitle);
  const std::pair<CommonAddress*, const PmAddrEx2Address*> addresses[] = {
      {&c.WorkAddress, &r.work}, {&c.HomeAddress, &r.home}, {&c.OtherAddress, &r.other}};
  for (const auto& [to, from] : addresses) {
    PmPutText(to->Street, from->street);
    PmPutText(to->City, from->city);
    PmPutText(to->State, from->state);
    PmPutText(to->PostalCode, from->zip);
    PmPutText(to->Country, from->country);
  }
  PmPutText(c.Im1, r.chat[0]);
  PmPutText(c.Im2, r.chat[1]);
  PmPutText(c.AssistantName, r.assistantName);
  PmPutText(c.AssistantPhone, r.assistantPhone);
  PmPutText(c.Category, r.categoryName);
  for (std::size_t i = 0; i < CommonContact::kCustomSlots; ++i) PmPutText(c.Custom[i], r.custom[i]);
  for (std::size_t i = 0; i < PmAddrEx2Record::kPhones; ++i) {
    if (r.phone[i].empty()) continue;
    PlacePhone(c, r.phoneLabel[i], [&](auto& field) { PmPutText(field, r.phone[i]); });
  }
  // These columns carry no label, so they come after the labelled slots and only fill what is
  // still free; an address a slot already gave is not repeated.
  for (std::size_t i = 0; i < kMorePhoneLabels.size(); ++i) {
    const FixedText<128>& text = r.morePhone[i];
    if (text.empty()) continue;
    bool present = false;
    ForEachFieldOfLabel(c, kMorePhoneLabels[i], [&](const auto& field) {
      present = present || Holds(field, text.view());
      return present;
    });
    if (!present) PlacePhone(c, kMorePhoneLabels[i], [&](auto& field) { PmPutText(field, text); });
  }
}

void PmAddrInfo::ApplyMap(PmAddrItem& item, CommonContact& c) const {
  for (std::size_t slot = 0; slot < kMapSlots; ++slot) {
    if (map_[slot] == 0) continue;
    const PmFieldEntry* entry = FieldEntryById(map_[slot]);
    if (!entry || entry->type != PmFieldEntry::kText) continue;
    c.MappedCustom[slot] = FieldText(item, map_[slot]);  // at most 63 bytes
  }
}

std::span<const PmFieldEntry> PmAddrInfo::Table() const {
  switch (g_selector) {
    case kPmLayout1:
      return kTable1;
    case kPmLayout2:
      return kTable2;
    case kPmLayout6x:
      return layout6_ ? layout6_->FieldTable() : std::span<const PmFieldEntry>();
    default:
      return {};
  }
}

std::size_t PmAddrInfo::FieldEntryCount() const {
  return Table().size();
}

const PmFieldEntry* PmAddrInfo::FieldEntryAt(std::size_t position) const {
  auto table = Table();
  return position < table.size() ? &table[position] : nullptr;
}

const PmFieldEntry* PmAddrInfo::FieldEntryById(std::int32_t id) const {
  for (const auto& e : Table())
    if (e.id == id) return &e;
  return nullptr;
}

const char* PmAddrInfo::PhoneLabelText(std::int32_t label) {
  return label >= 0 && label < 8 ? kPhoneLabels[label] : kPhoneLabels[0];
}

std::string PmAddrInfo::FieldText(PmAddrItem& item, std::int32_t id) const {
  if (item.layout == kPmLayout6x) return RawFieldText(item, id);
  return codePage_.Decode(RawFieldText(item, id));
}

std::string PmAddrInfo::RawFieldText(PmAddrItem& item, std::int32_t id) const {
  // A table entry reads the record of the item's own layout; the selector only picks the table.
  if (auto* r = item.Modify<PmAddrRecord>()) {
    if (id >= 5 && id <= 12) return SlotByLabel(r->phone, r->phoneLabel, id - 5);
    if (id >= 18 && id <= 21) return r->custom[static_cast<std::size_t>(id - 18)];
    switch (id) {
      case 1:
        return r->firstName;
      case 2:
        return r->lastName;
      case 3:
        return r->company;
      case 4:
        return r->title;
      case 13:
        return r->street;
      case 14:
        return r->city;
      case 15:
        return r->state;
      case 16:
        return r->zip;
      case 17:
        return r->country;
      case 22:
        return r->categoryName;
      case 23:
        return r->note;
      default:
        return {};
    }
  }
  if (auto* r = item.Modify<PmAddrExRecord>()) {
    if (id >= 5 && id <= 12) return SlotByLabel(r->phone, r->phoneLabel, id - 5);
    if (id >= 13 && id <= 27) {
      const PmPostalAddress* a[] = {&r->work, &r->home, &r->other};
      return AddressPart(*a[(id - 13) / 5], (id - 13) % 5);
    }
    if (id >= 28 && id <= 32) return SlotByLabel(r->messaging, r->messagingKind, id - 27);
    if (id >= 35 && id <= 43) return r->custom[static_cast<std::size_t>(id - 35)];
    switch (id) {
      case 1:
        return r->firstName;
      case 2:
        return r->lastName;
      case 3:
        return r->company;
      case 4:
        return r->title;
      case 33:
        return r->homePage;
      case 44:
        return r->categoryName;
      case 45:
        return r->note;
      default:
        return {};  // 34, the birthday, is not text
    }
  }
  if (auto* r = item.Modify<PmAddrEx2Record>())
    return layout6_ ? layout6_->FieldText(*r, id) : std::string();
  return {};
}
