#include "lotus/LNRecords.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <ctime>
#include <string>
#include <type_traits>

#include "misc/CxDateTime.h"
#include "misc/CxIniUtil.h"
#include "misc/RecordStatus.h"

namespace {

constexpr LNFieldCode Row(std::uint32_t id, const char* label, std::uint32_t size,
                          std::uint32_t type = kLNFieldText) {
  LNFieldCode r{id, {}, type, size};
  for (int i = 0; i < 31 && label[i]; ++i) r.label[i] = label[i];
  return r;
}

std::array<std::atomic<std::uint32_t>, 10> g_customMap{};

// Every text field with a common counterpart, the same pairs both ways.
template <class Native, class Common, class F>
void ContactPairs(Native& n, Common& c, F&& f) {
  f(n.FirstName, c.FirstName);
  f(n.MiddleName, c.MiddleName);
  f(n.LastName, c.LastName);
  f(n.Suffix, c.Suffix);
  f(n.DisplayName, c.DisplayName);
  f(n.CompanyName, c.Company);
  f(n.Department, c.Department);
  f(n.JobTitle, c.JobTitle);
  f(n.Location, c.Location);
  f(n.AssistantName, c.AssistantName);
  f(n.ManagerName, c.ManagerName);
  f(n.BusinessEmail, c.Email1);
  f(n.PersonalEmail, c.Email2);
  f(n.AssistantPhone, c.Email3);
  f(n.BusinessStreet, c.WorkAddress.Street);
  f(n.BusinessCity, c.WorkAddress.City);
  f(n.BusinessState, c.WorkAddress.State);
  f(n.BusinessCountry, c.WorkAddress.Country);
  f(n.BusinessPostal, c.WorkAddress.PostalCode);
  f(n.HomeStreet, c.HomeAddress.Street);
  f(n.HomeCity, c.HomeAddress.City);
  f(n.HomeState, c.HomeAddress.State);
  f(n.HomeCountry, c.HomeAddress.Country);
  f(n.HomePostal, c.HomeAddress.PostalCode);
  f(n.OtherStreet, c.OtherAddress.Street);
  f(n.OtherCity, c.OtherAddress.City);
  f(n.OtherState, c.OtherAddress.State);
  f(n.OtherCountry, c.OtherAddress.Country);
  f(n.OtherPostal, c.OtherAddress.PostalCode);
  f(n.PrimaryPhone, c.PrimaryPhone);
  f(n.BusinessPhone, c.WorkPhone);
  f(n.HomePhone, c.HomePhone);
  f(n.MobilePhone, c.MobilePhone);
  f(n.BusinessFax, c.WorkFax);
  f(n.HomeFax, c.HomeFax);
  f(n.Pager, c.Pager);
  f(n.InstantMessenger, c.Im1);
  f(n.WebSite, c.WorkHomePage);
  f(n.BlogSite, c.PersonalHomePage);
  f(n.SpouseName, c.SpouseName);
  f(n.ChildrenNames, c.ChildrenNames);
  f(n.Note, c.Note);
  f(n.Category, c.Category);
}

// The leading decimal number of a Notes text ("42", " 3x" -> 3); 0 for none.
std::int32_t Number(const TextStorage& text) {
  return CxIniUtil::ParseLeadingInt(text.view());
}

SYSTEMTIME ToSystemTime(OleDate d) {
  SYSTEMTIME st{};
  if (!CxDateTime::OleDateToSystemTime(d, st)) st = SYSTEMTIME{};
  return st;
}

OleDate ToOleDate(const SYSTEMTIME& st) {
  OleDate d;
  if (!CxDateTime::SystemTimeToOleDate(st, d)) d = OleDate();
  return d;
}

}  // namespace

const std::array<LNFieldCode, 54> kLNFieldCodes = {{
    Row(1, "ID", 64),
    Row(2, "First Name", 64),
    Row(3, "Middle Name / Initial", 64),
    Row(4, "Last Name", 64),
    Row(5, "Suffix", 64),
    Row(6, "Display Name", 256),
    Row(7, "Company Name", 64),
    Row(8, "Department", 64),
    Row(9, "Job Title", 64),
    Row(10, "Location", 256),
    Row(11, "Assistant Name", 64),
    Row(12, "Manager Name", 64),
    Row(13, "Business Email", 128),
    Row(14, "Personal Email", 128),
    Row(15, "Assistant Phone", 128),
    Row(16, "Business Email 2", 128),
    Row(17, "Personal Email 2", 128),
    Row(18, "Business Street", 256),
    Row(19, "Business City", 32),
    Row(20, "Business State", 32),
    Row(21, "Business Country", 32),
    Row(22, "Business Postal", 32),
    Row(23, "Home Street", 256),
    Row(24, "Home City", 32),
    Row(25, "Home State", 32),
    Row(26, "Home Country", 32),
    Row(27, "Home Postal", 32),
    Row(28, "Other Street", 256),
    Row(29, "Other City", 32),
    Row(30, "Other State", 32),
    Row(31, "Other Country", 32),
    Row(32, "Other Postal", 32),
    Row(33, "Primary Phone", 32),
    Row(34, "Business Phone", 32),
    Row(35, "Home Phone", 32),
    Row(36, "Mobile Phone", 32),
    Row(37, "Business Fax", 32),
    Row(38, "Home Fax", 32),
    Row(39, "Pager", 32),
    Row(40, "Instant Messenger", 64),
    Row(41, "Web Site", 256),
    Row(42, "Blog Site", 256),
    Row(43, "Spouse Name", 64),
    Row(44, "Children's Names", 256),
    Row(45, "Custom Field 1", 256),
    Row(46, "Custom Field 2", 256),
    Row(47, "Custom Field 3", 256),
    Row(48, "Custom Label 1", 64),
    Row(49, "Custom Label 2", 64),
    Row(50, "Custom Label 3", 64),
    Row(51, "Note", 4096),
    Row(52, "Category", 256),
    Row(53, "Birth Date", 8, kLNFieldDate),
    Row(54, "Anniversary", 8, kLNFieldDate),
}};

const LNFieldCode* FindLNField(std::uint32_t id) {
  if (id < 1 || id > kLNFieldCodes.size()) return nullptr;
  return &kLNFieldCodes[id - 1];
}

const char* LNFieldLabel(std::uint32_t id) {
  const LNFieldCode* f = FindLNField(id);
  return f ? f->label : "N/A";
}

const TextStorage* LNTextField(const LNContactRecord& record, std::uint32_t id) {
  const LNFieldCode* code = FindLNField(id);
  // The custom rows name no single field of the record.
  if (!code || code->type != kLNFieldText || (id >= 45 && id <= 50)) return nullptr;
  const TextStorage* found = nullptr;
  LNContactRecord::VisitFields(record, [&](const char* name, const auto& field) {
    if constexpr (std::is_base_of_v<TextStorage, std::decay_t<decltype(field)>>) {
      if (!found && std::strcmp(name, code->label) == 0) found = &field;
    }
  });
  return found;
}

bool SetLNCustomField(int slot, std::uint32_t id) {
  if (slot < 0 || slot > 9) return false;
  g_customMap[static_cast<std::size_t>(slot)] = id;
  return true;
}

std::uint32_t LNCustomField(int slot) {
  return (slot < 0 || slot > 9) ? 0 : g_customMap[static_cast<std::size_t>(slot)].load();
}

void LNToCommon(const LNContactRecord& n, CommonContact& c) {
  c = CommonContact();
  ContactPairs(n, c, [](const auto& from, auto& to) { to = from.view(); });
  c.Birthday = n.BirthDate;
  c.Anniversary = n.Anniversary;
  for (std::size_t i = 0; i < LNContactRecord::kUserFields; ++i) {
    c.Custom[i] = n.UserValue[i].view();
    c.CustomLabel[i] = n.UserLabel[i].view();
  }
  for (int slot = 0; slot < 10; ++slot)
    if (const TextStorage* field = LNTextField(n, LNCustomField(slot)))
      c.MappedCustom[static_cast<std::size_t>(slot)] = field->view();
  c.SourceType = kSourceLotusNotes;
}

void CommonToLN(const CommonContact& c, LNContactRecord& n) {
  ContactPairs(n, c, [](auto& to, const auto& from) { to = from.view(); });
  n.BirthDate = c.Birthday;
  n.Anniversary = c.Anniversary;
  for (std::size_t i = 0; i < LNContactRecord::kUserFields; ++i) {
    n.UserValue[i] = c.Custom[i].view();
    n.UserLabel[i] = c.CustomLabel[i].view();
    if (!c.MappedCustom[i].empty()) n.UserValue[i] = c.MappedCustom[i].view();
  }
}

void LNToCommon(const LNEventRecord& n, CommonEvent& c) {
  c = CommonEvent();
  c.Subject = n.Subject.view();
  c.Location = n.Location.view();
  c.Description = n.Body.view();
  c.Start = ToSystemTime(n.Dates[LNEventRecord::kStart]);
  c.End = ToSystemTime(n.Dates[LNEventRecord::kEnd]);
  CommonRecurrence& r = c.Recurrence;
  if (n.RepeatFlag.view().substr(0, 1) == "1") {
    const std::string_view unit = n.RepeatUnit.view();
    if (unit == "D") {
      r.RecurType = kRecurDaily;
    } else if (unit == "W") {
      r.RecurType = kRecurWeekly;
      r.DayOfWeekMask = Number(n.RepeatAdjust);
    } else if (unit == "MD") {
      r.RecurType = kRecurMonthly;
      r.DayOfMonth = Number(n.RepeatAdjust);
    } else if (unit == "MP") {
      r.RecurType = kRecurMonthlyNth;
      r.DayOfWeekMask = Number(n.RepeatAdjust);
    } else if (unit == "Y") {
      // Notes' adjustment of a yearly entry is not its date: the start is.
      r.RecurType = kRecurYearly;
      r.MonthOfYear = c.Start.wMonth;
      r.DayOfMonth = c.Start.wDay;
    }
    r.Interval = Number(n.RepeatInterval);
    if (n.RepeatEnd.value > 0) {
      r.HasEnd = 1;
      r.PatternEnd = ToSystemTime(n.RepeatEnd);
    }
  }
  c.Private = n.Flag ? 1 : 0;
  c.SourceType = kSourceLotusNotes;
}

void CommonToLN(const CommonEvent& c, LNEventRecord& n) {
  n.Subject = c.Subject.view();
  n.Location = c.Location.view();
  n.Body = c.Description.view();
  n.Dates[LNEventRecord::kStart] = ToOleDate(c.Start);
  n.Dates[LNEventRecord::kEnd] = ToOleDate(c.End);
  n.Flag = c.Private != 0;
  const CommonRecurrence& r = c.Recurrence;
  if (r.RecurType == kRecurNone) {
    n.RepeatFlag = "";
    return;
  }
  const char* unit = nullptr;
  const char* span = nullptr;
  switch (r.RecurType) {
    case kRecurDaily:
      unit = span = "D";
      break;
    case kRecurWeekly:
      unit = span = "W";
      break;
    case kRecurMonthlyNth:
      unit = "MP";
      span = "M";
      break;
    case kRecurMonthly:
      unit = "MD";
      span = "M";
      break;
    default:  // both yearly kinds
      unit = span = "Y";
      break;
  }
  n.RepeatFlag = "1";
  n.RepeatUnit = unit;
  n.RepeatSpanUnit = span;
  n.RepeatSpanUnit2 = span;
  n.RepeatInterval = std::to_string(r.Interval);
  n.RepeatAdjust = "";
  n.RepeatReserved = "";
  if (n.RepeatKind == 0) n.RepeatKind = 5;
  const OleDate day(std::trunc(n.Dates[LNEventRecord::kStart].value));
  n.RepeatStart = day;
  n.RepeatStart2 = day;
  if (r.HasEnd) n.RepeatEnd = ToOleDate(r.PatternEnd);
}

std::int32_t LNPriorityToImportance(std::int32_t priority) {
  switch (priority) {
    case 0:
      return 1;
    case 2:
      return 2;
    default:
      return 0;
  }
}

std::int32_t ImportanceToLNPriority(std::int32_t importance) {
  switch (importance) {
    case 1:
      return 0;
    case 2:
      return 2;
    default:
      return 1;
  }
}

const char* LNPriorityWord(std::int32_t priority) {
  switch (LNPriorityToImportance(priority)) {
    case 1:
      return "High";
    case 2:
      return "Low";
    default:
      return "Normal";
  }
}

void LNToCommon(const LNTaskRecord& n, CommonTask& c, OleDate now) {
  c = CommonTask();
  c.Subject = n.Subject.view();
  c.Note = n.Body.view();
  c.Importance = LNPriorityToImportance(n.Priority);
  if (n.DueDate.IsSet()) {
    std::time_t t = CxDateTime::OleDateToTimeT(n.DueDate);
    // Seconds are 32-bit here; a date they cannot hold is no date.
    if (t > 0 && t <= 0x7FFFFFFF) c.DueDate = static_cast<std::int32_t>(t);
  }
  c.Private = n.Flag ? 1 : 0;
  if (n.CompletedDate.value > 0) c.Complete = n.CompletedDate.value <= now.value ? 1 : 0;
  c.SourceType = kSourceLotusNotes;
}

void CommonToLN(const CommonTask& c, LNTaskRecord& n) {
  n.Subject = c.Subject.view();
  n.Body = c.Note.view();
  n.Priority = ImportanceToLNPriority(c.Importance);
  n.DueDate = c.DueDate != 0 ? CxDateTime::TimeTToOleDate(c.DueDate) : OleDate();
  n.Flag = c.Private != 0;
}

void LNToCommon(const LNNoteRecord& n, CommonNote& c) {
  c = CommonNote();
  c.Title = n.Title.view();
  c.Body = n.Body.view();
  c.SourceType = kSourceLotusNotes;
}

void CommonToLN(const CommonNote& c, LNNoteRecord& n) {
  n.Title = c.Title.view();
  n.Body = c.Body.view();
}
