#include "palm/PmAddrEx2Util.h"

#include <string>

namespace {

constexpr std::int32_t kText = PmAddrEx2Field::kText;
constexpr std::int32_t kDate = PmAddrEx2Field::kIntegerDate;

constexpr PmAddrEx2Field kFieldTable[] = {
    {1, "First Name", kText, 64},      {2, "Middle Name", kText, 64},
    {3, "Last Name", kText, 64},       {4, "English Name", kText, 128},
    {5, "Prefix", kText, 32},          {6, "Suffix", kText, 32},
    {7, "Nick Name", kText, 64},       {8, "Company", kText, 128},
    {9, "Job Title", kText, 128},      {10, "Profession", kText, 128},
    {11, "Assistant Name", kText, 64}, {12, "Assistant Phone", kText, 64},
    {13, "Work Phone", kText, 128},    {14, "Home Phone", kText, 128},
    {15, "Fax", kText, 128},           {16, "Other Phone", kText, 128},
    {17, "E-mail", kText, 128},        {18, "Main Phone", kText, 128},
    {19, "Pager", kText, 128},         {20, "Mobile Phone", kText, 128},
    {21, "Work Street", kText, 256},   {22, "Work City", kText, 32},
    {23, "Work State", kText, 32},     {24, "Work Zip", kText, 32},
    {25, "Work Country", kText, 32},   {26, "Home Street", kText, 256},
    {27, "Home City", kText, 32},      {28, "Home State", kText, 32},
    {29, "Home Zip", kText, 32},       {30, "Home Country", kText, 32},
    {31, "Other Street", kText, 256},  {32, "Other City", kText, 32},
    {33, "Other State", kText, 32},    {34, "Other Zip", kText, 32},
    {35, "Other Country", kText, 32},  {36, "IM AIM", kText, 128},
    {37, "IM MSN", kText, 128},        {38, "IM Yahoo", kText, 128},
    {39, "IM AOL", kText, 128},        {40, "IM IM", kText, 128},
    {41, "Home Page", kText, 256},     {42, "Anniversary", kDate, 4},
    {43, "Birthday", kDate, 4},        {44, "Custom 1", kText, 256},
    {45, "Custom 2", kText, 256},      {46, "Custom 3", kText, 256},
    {47, "Custom 4", kText, 256},      {48, "Custom 5", kText, 256},
    {49, "Custom 6", kText, 256},      {50, "Custom 7", kText, 256},
    {51, "Custom 8", kText, 256},      {52, "Custom 9", kText, 256},
    {53, "Category", kText, 32},       {54, "Note", kText, 2048},
};
static_assert(std::size(kFieldTable) == 54);

// The slot carrying `label`, else the first empty slot, which then takes the label.
template <class Texts, class Labels>
std::string ByLabel(Texts& texts, Labels& labels, std::int32_t label) {
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (labels[i] == label) return texts[i].str();
  }
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (texts[i].empty()) {
      labels[i] = label;
      break;
    }
  }
  return {};
}

// With no slot of a label, the unlabelled column of that kind answers: the fax, mobile, e-mail
// and pager columns, which the contact conversion places the same way.
std::string ColumnOfLabel(const PmAddrEx2Record& rec, std::int32_t label) {
  // "Other Fax", "Other Mobile", "Work E-mail", "E-mail 1" to "E-mail 3", "Pager".
  const auto& more = rec.morePhone;
  auto first = [&](std::size_t from, std::size_t to) {
    for (std::size_t i = from; i <= to; ++i)
      if (!more[i].empty()) return more[i].str();
    return std::string();
  };
  switch (label) {
    case 2:
      return first(0, 0);
    case 4:
      return first(2, 5);
    case 6:
      return first(6, 6);
    case 7:
      return first(1, 1);
    default:
      return {};
  }
}

std::string AddressPart(const PmAddrEx2Address& a, std::int32_t part) {
  switch (part) {
    case 0:
      return a.street.str();
    case 1:
      return a.city.str();
    case 2:
      return a.state.str();
    case 3:
      return a.zip.str();
    default:
      return a.country.str();
  }
}

}  // namespace

#define PM_EX2_ADDRESS(kind, a)                                                 \
  PM_EX2_COLUMN(kind " Street", a.street), PM_EX2_COLUMN(kind " City", a.city), \
      PM_EX2_COLUMN(kind " State", a.state), PM_EX2_COLUMN(kind " Zip", a.zip), \
      PM_EX2_COLUMN(kind " Country", a.country)

std::span<const PmEx2Column<PmAddrEx2Record>> PmAddrEx2Record::Columns() {
  using R = PmAddrEx2Record;
  static const PmEx2Column<R> kColumns[] = {
      PM_EX2_HEAD_COLUMNS,
      PM_EX2_COLUMN("Note", note),
      PM_EX2_COLUMN("Prefix", prefix),
      PM_EX2_COLUMN("First Name", firstName),
      PM_EX2_COLUMN("Middle Name", middleName),
      PM_EX2_COLUMN("Last Name", lastName),
      PM_EX2_COLUMN("Suffix", suffix),
      PM_EX2_COLUMN("NickName", nickName),
      PM_EX2_COLUMN("Anniversary", anniversary),
      PM_EX2_COLUMN("Birthday", birthday),
      PM_EX2_COLUMN("Profession", profession),
      PM_EX2_COLUMN("Company", company),
      PM_EX2_COLUMN("Job Title", jobTitle),
      PM_EX2_COLUMN("Assistant Name", assistantName),
      PM_EX2_COLUMN("Assistant Phone", assistantPhone),
      PM_EX2_ADDRESS("Work", work),
      PM_EX2_ADDRESS("Home", home),
      PM_EX2_ADDRESS("Other", other),
      PM_EX2_COLUMN("Work Phone", phone[0]),
      PM_EX2_COLUMN("Work Fax", phone[1]),
      PM_EX2_COLUMN("Work Mobile", phone[2]),
      PM_EX2_COLUMN("Home Phone", phone[3]),
      PM_EX2_COLUMN("Home Fax", phone[4]),
      PM_EX2_COLUMN("Home Mobile", phone[5]),
      PM_EX2_COLUMN("Other Phone", phone[6]),
      PM_EX2_COLUMN("Other Fax", morePhone[0]),
      PM_EX2_COLUMN("Other Mobile", morePhone[1]),
      PM_EX2_COLUMN("Work E-mail", morePhone[2]),
      PM_EX2_COLUMN("E-mail 1", morePhone[3]),
      PM_EX2_COLUMN("E-mail 2", morePhone[4]),
      PM_EX2_COLUMN("E-mail 3", morePhone[5]),
      PM_EX2_COLUMN("Pager", morePhone[6]),
      PM_EX2_COLUMN("Custom 1", custom[0]),
      PM_EX2_COLUMN("Custom 2", custom[1]),
      PM_EX2_COLUMN("Custom 3", custom[2]),
      PM_EX2_COLUMN("Custom 4", custom[3]),
      PM_EX2_COLUMN("Primary Contact", primaryContact),
      PM_EX2_COLUMN("Phone Label1", phoneLabel[0]),
      PM_EX2_COLUMN("Phone Label2", phoneLabel[1]),
      PM_EX2_COLUMN("Phone Label3", phoneLabel[2]),
      PM_EX2_COLUMN("Phone Label4", phoneLabel[3]),
      PM_EX2_COLUMN("Phone Label5", phoneLabel[4]),
      PM_EX2_COLUMN("Phone Label6", phoneLabel[5]),
      PM_EX2_COLUMN("Phone Label7", phoneLabel[6]),
      PM_EX2_COLUMN("First Yomi", firstYomi),
      PM_EX2_COLUMN("Last Yomi", lastYomi),
      PM_EX2_COLUMN("Company Yomi", companyYomi),
      PM_EX2_COLUMN("Chat1", chat[0]),
      PM_EX2_COLUMN("Chat2", chat[1]),
      PM_EX2_COLUMN("Chat1 LabelID", chatLabel[0]),
      PM_EX2_COLUMN("Chat2 LabelID", chatLabel[1]),
      PM_EX2_COLUMN("Website", website),
      PM_EX2_COLUMN("Custom 5", custom[4]),
      PM_EX2_COLUMN("Custom 6", custom[5]),
      PM_EX2_COLUMN("Custom 7", custom[6]),
      PM_EX2_COLUMN("Custom 8", custom[7]),
      PM_EX2_COLUMN("Custom 9", custom[8]),
      PM_EX2_COLUMN("Custom 10", custom[9]),
      PM_EX2_COLUMN("Custom 11", custom[10]),
      PM_EX2_COLUMN("Custom 12", custom[11]),
      PM_EX2_COLUMN("Custom 13", custom[12]),
      PM_EX2_COLUMN("Custom 14", custom[13]),
      PM_EX2_COLUMN("Birthday AlarmSet", birthdayAlarmSet),
      PM_EX2_COLUMN("Birthday AlarmAdv", birthdayAlarmAdvance),
      PM_EX2_COLUMN("Avatar", avatar),
      PM_EX2_COLUMN("Addr Label1", addressLabel[0]),
      PM_EX2_COLUMN("Addr Label2", addressLabel[1]),
      PM_EX2_COLUMN("Addr Label3", addressLabel[2]),
      PM_EX2_COLUMN("Anniversary AlarmSet", anniversaryAlarmSet),
      PM_EX2_COLUMN("Anniversary AlarmAdv", anniversaryAlarmAdvance),
      PM_EX2_COLUMN("English Name", englishName),
      PM_EX2_COLUMN("Picture URL", pictureUrl),
      PM_EX2_COLUMN("Picture Filename", pictureFilename),
      PM_EX2_COLUMN("Picture MIME type", pictureMimeType),
      PM_EX2_COLUMN("Picture Sync counter", pictureSyncCounter),
      PM_EX2_COLUMN("Ringtone URL", ringtoneUrl),
      PM_EX2_COLUMN("Ringtone Filename", ringtoneFilename),
      PM_EX2_COLUMN("Ringtone MIME type", ringtoneMimeType),
      PM_EX2_COLUMN("Ringtone Sync counter", ringtoneSyncCounter),
  };
  static_assert(std::size(kColumns) == 95);
  return kColumns;
}

void PmAddrEx2Util::PostProcess(PmAddrEx2Record& rec) {
  PmEx2Loader::PostProcess(rec);
  for (std::size_t i = 0; i < PmAddrEx2Record::kPhones; ++i) {
    if (rec.phone[i].empty()) continue;
    std::int32_t label = rec.phoneLabel[i];
    auto slot = label >= 0 && static_cast<std::size_t>(label) < PmAddrEx2Record::kLabels
                    ? static_cast<std::size_t>(label)
                    : 0;
    rec.phoneByLabel[slot] = rec.phone[i];
  }
}

std::span<const PmAddrEx2Field> PmAddrEx2Util::FieldTable() {
  return kFieldTable;
}

const PmAddrEx2Field* PmAddrEx2Util::FieldById(std::int32_t id) {
  if (id < 1 || id > static_cast<std::int32_t>(std::size(kFieldTable))) return nullptr;
  return &kFieldTable[id - 1];
}

std::string PmAddrEx2Util::FieldText(PmAddrEx2Record& rec, std::int32_t id) {
  switch (id) {
    case 1:
      return rec.firstName.str();
    case 2:
      return rec.middleName.str();
    case 3:
      return rec.lastName.str();
    case 4:
      return rec.englishName.str();
    case 5:
      return rec.prefix.str();
    case 6:
      return rec.suffix.str();
    case 7:
      return rec.nickName.str();
    case 8:
      return rec.company.str();
    case 9:
      return rec.jobTitle.str();
    case 10:
      return rec.profession.str();
    case 11:
      return rec.assistantName.str();
    case 12:
      return rec.assistantPhone.str();
    case 41:
      return rec.website.str();
    case 53:
      return rec.categoryName.str();
    case 54:
      return rec.note.str();
    default:
      break;
  }
  if (id >= 13 && id <= 20) {
    std::string text = ByLabel(rec.phone, rec.phoneLabel, id - 13);
    return text.empty() ? ColumnOfLabel(rec, id - 13) : text;
  }
  if (id >= 21 && id <= 25) return AddressPart(rec.work, id - 21);
  if (id >= 26 && id <= 30) return AddressPart(rec.home, id - 26);
  if (id >= 31 && id <= 35) return AddressPart(rec.other, id - 31);
  if (id >= 36 && id <= 40) return ByLabel(rec.chat, rec.chatLabel, id - 35);
  if (id >= 44 && id <= 52) return rec.custom[static_cast<std::size_t>(id - 44)].str();
  return {};  // integer entries and unknown IDs
}
