#include "ACT/ACTConvert.h"

#include <ctime>

#include "misc/CxDateTime.h"
#include "misc/RecordStatus.h"
#include "misc/Utf8.h"

namespace {

std::array<std::uint32_t, CommonContact::kCustomSlots> customMap{};

struct PhoneRow {
  std::uint32_t phone;
  std::uint32_t extension;
  FixedText<24> CommonContact::*field;
};
constexpr std::array<PhoneRow, 5> kPhones = {{
    {kACTBusinessPhone, kACTBusinessPhoneExtension, &CommonContact::WorkPhone},
    {kACTHomePhone, kACTHomePhoneExtension, &CommonContact::HomePhone},
    {kACTMobilePhone, kACTMobilePhoneExtension, &CommonContact::MobilePhone},
    {kACTPager, kACTPagerExtension, &CommonContact::Pager},
    {kACTFax, kACTFaxExtension, &CommonContact::WorkFax},
}};

struct AddressRow {
  std::uint32_t country, state, city, line1, postal;
  CommonAddress CommonContact::*address;
};
constexpr std::array<AddressRow, 3> kAddresses = {{
    {kACTBusinessCountry, kACTBusinessState, kACTBusinessCity, kACTBusinessAddress1,
     kACTBusinessPostal, &CommonContact::WorkAddress},
    {kACTHomeCountry, kACTHomeState, kACTHomeCity, kACTHomeAddress1, kACTHomePostal,
     &CommonContact::HomeAddress},
    {kACTSecondaryCountry, kACTSecondaryState, kACTSecondaryCity, kACTSecondaryAddress1,
     kACTSecondaryPostal, &CommonContact::OtherAddress},
}};

// The plain text fields that travel both ways: ACT! id and the common field.
template <class Field>
struct TextRow {
  std::uint32_t id;
  Field CommonContact::*field;
};
constexpr std::array<TextRow<FixedText<32>>, 8> kText32 = {{
    {kACTFirstName, &CommonContact::FirstName},
    {kACTMiddleName, &CommonContact::MiddleName},
    {kACTLastName, &CommonContact::LastName},
    {kACTFullName, &CommonContact::DisplayName},
    {kACTSalutation, &CommonContact::NameExtra},
    {kACTDepartment, &CommonContact::Department},
    {kACTTitle, &CommonContact::JobTitle},
    {kACTSpouseName, &CommonContact::SpouseName},
}};
constexpr std::array<TextRow<FixedText<64>>, 3> kText64 = {{
    {kACTCompany, &CommonContact::Company},
    {kACTBusinessEmail, &CommonContact::Email1},
    {kACTPersonalEmail, &CommonContact::Email2},
}};

template <std::size_t N>
void CopyTo(FixedText<N>& field, std::string_view text) {
  field = text;  // cut to the field's width at a whole character
}

void ToSystemTime(OleDate date, SYSTEMTIME& out) {
  out = SYSTEMTIME();
  if (date.IsSet() && !CxDateTime::OleDateToSystemTime(date, out)) out = SYSTEMTIME();
}

OleDate ToOleDate(const SYSTEMTIME& st) {
  OleDate d;
  if (st.wYear != 0 && !CxDateTime::SystemTimeToOleDate(st, d)) d = OleDate();
  return d;
}

}  // namespace

std::string JoinACTPhone(std::string_view phone, std::string_view extension) {
  if (phone.empty()) return {};
  if (extension.empty()) return std::string(phone);
  return std::string(phone) + "x" + std::string(extension);
}

ACTPhoneParts SplitACTPhone(std::string_view common) {
  auto x = common.find('x');
  if (x == std::string_view::npos) return {std::string(common), {}};
  return {std::string(common.substr(0, x)), std::string(common.substr(x + 1))};
}

std::string JoinACTStreet(std::string_view line1, std::string_view line2, std::string_view line3) {
  std::string out;
  for (std::string_view line : {line1, line2, line3}) {
    if (line.empty()) continue;
    if (!out.empty()) out += "\r\n";
    out += line;
  }
  return out;
}

std::array<std::string, 3> SplitACTStreet(std::string_view street) {
  std::array<std::string, 3> lines;
  for (std::size_t i = 0; i < 2; ++i) {
    auto at = street.find("\r\n");
    if (at == std::string_view::npos) {
      lines[i] = std::string(street);
      return lines;
    }
    lines[i] = std::string(street.substr(0, at));
    street.remove_prefix(at + 2);
  }
  std::string rest;
  for (auto at = street.find("\r\n"); at != std::string_view::npos; at = street.find("\r\n")) {
    rest += std::string(street.substr(0, at)) + ", ";
    street.remove_prefix(at + 2);
  }
  lines[2] = rest + std::string(street);
  return lines;
}

std::int32_t ACTPriorityToCommon(std::int32_t priority) {
  switch (priority) {
    case 0:
      return 1;
    case 2:
      return 2;
    default:
      return 0;
  }
}

std::int32_t CommonPriorityToACT(std::int32_t importance) {
  switch (importance) {
    case 1:
      return 0;
    case 2:
      return 2;
    default:
      return 1;
  }
}

const char* ACTImportanceWord(std::int32_t priority) {
  switch (ACTPriorityToCommon(priority)) {
    case 1:
      return "High";
    case 2:
      return "Low";
    default:
      return "Normal";
  }
}

bool SetACTCustomField(int slot, std::uint32_t id) {
  if (slot < 0 || slot >= static_cast<int>(customMap.size())) return false;
  customMap[static_cast<std::size_t>(slot)] = id;
  return true;
}

std::uint32_t ACTCustomField(int slot) {
  if (slot < 0 || slot >= static_cast<int>(customMap.size())) return 0;
  return customMap[static_cast<std::size_t>(slot)];
}

void ACTToCommon(const ACTContactRecord& a, CommonContact& c) {
  CopyTo(c.Category, a.Text(kACTCategory));
  for (const auto& row : kText32) CopyTo(c.*row.field, a.Text(row.id));
  for (const auto& row : kText64) CopyTo(c.*row.field, a.Text(row.id));
  CopyTo(c.WorkHomePage, a.Text(kACTWebsite));
  CopyTo(c.Im1, a.Text(kACTInstantMessenger));
  for (const AddressRow& row : kAddresses) {
    CommonAddress& addr = c.*row.address;
    CopyTo(addr.Country, a.Text(row.country));
    CopyTo(addr.State, a.Text(row.state));
    CopyTo(addr.City, a.Text(row.city));
    CopyTo(addr.PostalCode, a.Text(row.postal));
    CopyTo(addr.Street,
           JoinACTStreet(a.Text(row.line1), a.Text(row.line1 + 1), a.Text(row.line1 + 2)));
  }
  for (const PhoneRow& row : kPhones)
    CopyTo(c.*row.field, JoinACTPhone(a.Text(row.phone), a.Text(row.extension)));
  for (std::uint32_t i = 0; i < CommonContact::kCustomSlots; ++i)
    CopyTo(c.Custom[i], a.Text(kACTUserDefined1 + i));
  c.Birthday = a.Date(kACTBirthday);
  c.CreationTime = a.Date(kACTCreateDate);
  c.LastModificationTime = a.Date(kACTEditDate);
  for (std::size_t i = 0; i < CommonContact::kCustomSlots; ++i) {
    const ACTContactField* f = FindACTField(customMap[i]);
    if (f && f->type == kACTFieldText) CopyTo(c.MappedCustom[i], a.Text(f->id));
  }
  c.SourceType = kSourceACT;
}

void CommonToACT(const CommonContact& c, ACTContactRecord& a) {
  a.SetText(kACTCategory, c.Category.view());
  for (const auto& row : kText32) a.SetText(row.id, (c.*row.field).view());
  for (const auto& row : kText64) a.SetText(row.id, (c.*row.field).view());
  a.SetText(kACTWebsite, c.WorkHomePage.view());
  a.SetText(kACTInstantMessenger, c.Im1.view());
  for (const AddressRow& row : kAddresses) {
    const CommonAddress& addr = c.*row.address;
    a.SetText(row.country, addr.Country.view());
    a.SetText(row.state, addr.State.view());
    a.SetText(row.city, addr.City.view());
    a.SetText(row.postal, addr.PostalCode.view());
    if (addr.Street.empty()) continue;
    auto lines = SplitACTStreet(addr.Street.view());
    for (std::uint32_t i = 0; i < 3; ++i) a.SetText(row.line1 + i, lines[i]);
  }
  for (const PhoneRow& row : kPhones) {
    const auto& phone = c.*row.field;
    if (phone.empty()) continue;
    ACTPhoneParts parts = SplitACTPhone(phone.view());
    a.SetText(row.phone, parts.phone);
    a.SetText(row.extension, parts.extension);
  }
  for (std::uint32_t i = 0; i < CommonContact::kCustomSlots; ++i) {
    const auto& mapped = c.MappedCustom[i];
    a.SetText(kACTUserDefined1 + i, mapped.empty() ? c.Custom[i].view() : mapped.view());
  }
  a.SetDate(kACTBirthday, c.Birthday);
}

void ACTToCommon(const ACTEventRecord& a, CommonEvent& c) {
  c.Subject = a.Subject.view();
  c.Location = a.Location.view();
  c.Description = a.Body.view();
  ToSystemTime(a.Start, c.Start);
  ToSystemTime(a.End, c.End);
  c.EventType = a.EventKind >= 0 && a.EventKind <= 3 ? static_cast<std::uint32_t>(a.EventKind) : 0;
  c.Private = a.Flag ? 1 : 0;
  c.AllDay = a.AllDay ? 1 : 0;

  CommonRecurrence& r = c.Recurrence;
  r = CommonRecurrence();
  const bool byDate = a.PatternForm == 1;
  switch (a.RecurKind) {
    case 1:
      r.RecurType = kRecurDaily;
      r.Interval = a.Interval;
      break;
    case 2:
      r.RecurType = kRecurWeekly;
      r.Interval = a.Interval;
      r.DayOfWeekMask = a.PatternValue;
      break;
    case 3:
    case 4:
      r.RecurType = a.RecurKind == 3 ? (byDate ? kRecurMonthly : kRecurMonthlyNth)
                                     : (byDate ? kRecurYearly : kRecurYearlyNth);
      r.Interval = a.Interval;
      if (byDate) {
        r.DayOfMonth = a.PatternValue;
      } else {
        r.Instance = a.Instance;
        r.DayOfWeekMask = a.PatternValue;
      }
      if (a.RecurKind == 4) r.MonthOfYear = a.Month;
      break;
    default:  // 0, and kinds we do not know: a single event
      break;
  }
  if (r.RecurType != kRecurNone && a.PatternEnd.value > 1.0) {
    r.HasEnd = 1;
    ToSystemTime(a.PatternEnd, r.PatternEnd);
  }
  c.SourceType = kSourceACT;
}

void CommonToACT(const CommonEvent& c, ACTEventRecord& a) {
  a.Subject = c.Subject.view();
  a.Location = c.Location.view();
  a.Body = c.Description.view();
  a.Start = ToOleDate(c.Start);
  a.End = ToOleDate(c.End);
  a.EventKind = c.EventType <= 3 ? static_cast<std::int32_t>(c.EventType) : 0;
  a.Flag = c.Private != 0;
  a.AllDay = c.AllDay != 0;

  const CommonRecurrence& r = c.Recurrence;
  struct Row {
    std::int32_t value, form, instance, month, kind;
  };
  Row row{0, 0, 0, 0, 0};
  switch (r.RecurType) {
    case kRecurDaily:
      row = {1, 3, 0, 0, 1};
      break;
    case kRecurWeekly:
      row = {r.DayOfWeekMask, 2, 0, 0, 2};
      break;
    case kRecurMonthlyNth:
      row = {r.DayOfWeekMask, 2, r.Instance, 0, 3};
      break;
    case kRecurMonthly:
      row = {r.DayOfMonth, 1, 0, 0, 3};
      break;
    case kRecurYearlyNth:
      row = {r.DayOfWeekMask, 3, r.Instance, r.MonthOfYear, 4};
      break;
    case kRecurYearly:
      row = {r.DayOfMonth, 1, 0, r.MonthOfYear, 4};
      break;
    default:
      break;
  }
  a.PatternValue = row.value;
  a.PatternForm = row.form;
  a.Instance = row.instance;
  a.Month = row.month;
  a.RecurKind = row.kind;
  a.Interval = row.kind == 0 ? 0 : r.Interval;
  a.PatternEnd = row.kind != 0 && r.HasEnd ? ToOleDate(r.PatternEnd) : OleDate();
}

void ACTToCommon(const ACTTaskRecord& a, CommonTask& c) {
  c.Subject = a.Subject.view();
  c.Note = a.Body.view();
  c.Importance = ACTPriorityToCommon(a.Priority);
  c.Private = a.Flag ? 1 : 0;
  c.Complete = a.Complete ? 1 : 0;
  if (a.DueDate.IsSet()) {
    std::time_t t = CxDateTime::OleDateToTimeT(a.DueDate);
    // Seconds are 32-bit here; a date they cannot hold is no date.
    if (t > 0 && t <= 0x7FFFFFFF) c.DueDate = static_cast<std::int32_t>(t);
  }
  c.SourceType = kSourceACT;
}

void CommonToACT(const CommonTask& c, ACTTaskRecord& a) {
  a.Subject = c.Subject.view();
  a.Body = c.Note.view();
  a.Priority = CommonPriorityToACT(c.Importance);
  a.Flag = c.Private != 0;
  a.Complete = c.Complete != 0;
  a.DueDate = c.DueDate != 0 ? CxDateTime::TimeTToOleDate(c.DueDate) : OleDate();
  a.Reserved = {};
}

void ACTToCommon(const ACTNoteRecord& a, CommonNote& c) {
  c.Body = a.Body.view();
  c.CreationTime = a.Times[0];
  c.LastModificationTime = a.Times[1];
  c.SourceType = kSourceACT;
}

void CommonToACT(const CommonNote& c, ACTNoteRecord& a) {
  a.Body = c.Body.view();
  a.Times = {c.CreationTime, c.LastModificationTime};
}
