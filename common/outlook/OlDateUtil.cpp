#include "outlook/OlDateUtil.h"

#include <array>
#include <cmath>

#include "misc/CxDateTime.h"
#include "misc/CxDebugUtil.h"
#include "misc/RecordStatus.h"
#include "misc/Utf8.h"

namespace {

constexpr std::int32_t kMinutesPerDay = 1440;
constexpr std::int32_t kMinutesPerWeek = 7 * kMinutesPerDay;
// Stands for a reminder whose unit says nothing.
constexpr std::int32_t kDefaultReminderMinutes = 15;
constexpr std::size_t kDescriptionBytes = 8191;

//                                   outlook, common, interval, dow, dom, instance, month
constexpr std::array<OlRecurrenceRow, 6> kRecurrence = {{
    {0, kRecurDaily, true, true, false, false, false},      // olRecursDaily
    {1, kRecurWeekly, true, true, false, false, false},     // olRecursWeekly
    {2, kRecurMonthly, true, false, true, false, false},    // olRecursMonthly
    {3, kRecurMonthlyNth, true, true, false, true, false},  // olRecursMonthNth
    {5, kRecurYearly, false, false, true, false, true},     // olRecursYearly: interval 1
    {6, kRecurYearlyNth, true, true, false, true, true},    // olRecursYearNth
}};

SYSTEMTIME ToSystemTime(OleDate d) {
  SYSTEMTIME st{};
  if (d.IsSet()) CxDateTime::OleDateToSystemTime(d, st);
  return st;
}

OleDate ToOleDate(const SYSTEMTIME& st) {
  OleDate d;
  if (st.wYear != 0) CxDateTime::SystemTimeToOleDate(st, d);
  return d;
}

// Minutes from start to end over the whole date and time. An end at or before the start
// gives 0 (a day for an all-day event), never a negative length.
std::int32_t Minutes(OleDate start, OleDate end) {
  const double m = std::round((end.value - start.value) * kMinutesPerDay);
  if (m <= 0 || m > 1e9) return 0;
  return static_cast<std::int32_t>(m);
}

// An update is written from an empty record, as an add is.
const OlFolderKind kCalendar = {
    .folderId = 9,   // olFolderCalendar
    .itemClass = 1,  // olAppointmentItem
    .load = {.nameFailed = "Failed to get the name of the folder. hr=0x%x",
             .nameGot = "Got the name of the Calendar folder: %s",
             .storeFailed = "Failed to get the StoreID of the Calendar folder. hr=0x%x",
             .storeGot = "Got the StoreID of the Calendar folder: %s",
             .itemsFailed = "Failed to get Calendar Items property."},
    .updateItemsFailed = "Failed to get the \"Items\" property of the Calendar folder.",
    .itemFailed = "Failed to get the Calendar event item by index: %d. hr=0x%x",
    .addItemsFailed = "Failed to get the \"Items\" property of the Calendar folder. hr=0x%x",
    .addFailed = "Failed to call \"Add\" method. hr=0x%x",
    .opened = "Get Outlook Calendar root folder successfully.",
    .updatesLoaded = false,
};

unsigned Code(OlResult hr) {
  return static_cast<unsigned>(hr);
}

}  // namespace

void OlWritePattern(CDispCmd& item, const OlPattern& p) {
  if (p.RecurrenceType < 0) return;
  OlResult hr = 0;
  auto pattern = OlCallObject(item, "GetRecurrencePattern", {}, &hr);
  if (!pattern) {
    QM_LOG_ERROR("Failed to get the recurrence pattern of the item. hr=0x%x", Code(hr));
    return;
  }
  OlPutLong(*pattern, "RecurrenceType", p.RecurrenceType);
  if (p.Interval > 0) OlPutLong(*pattern, "Interval", p.Interval);
  if (p.DayOfWeekMask > 0) OlPutLong(*pattern, "DayOfWeekMask", p.DayOfWeekMask);
  if (p.DayOfMonth > 0) OlPutLong(*pattern, "DayOfMonth", p.DayOfMonth);
  if (p.Instance > 0) OlPutLong(*pattern, "Instance", p.Instance);
  if (p.MonthOfYear > 0) OlPutLong(*pattern, "MonthOfYear", p.MonthOfYear);
  if (p.PatternEndDate.value > 1.0) OlPutDate(*pattern, "PatternEndDate", p.PatternEndDate);
}

bool OlReadPattern(CDispCmd& item, OlPattern& p) {
  OlResult hr = 0;
  auto pattern = OlCallObject(item, "GetRecurrencePattern", {}, &hr);
  if (!pattern) return false;
  OlGetLong(*pattern, "RecurrenceType", p.RecurrenceType);
  OlGetLong(*pattern, "Interval", p.Interval);
  OlGetLong(*pattern, "DayOfWeekMask", p.DayOfWeekMask);
  OlGetLong(*pattern, "DayOfMonth", p.DayOfMonth);
  OlGetLong(*pattern, "Instance", p.Instance);
  OlGetLong(*pattern, "MonthOfYear", p.MonthOfYear);
  OlGetDate(*pattern, "PatternEndDate", p.PatternEndDate);
  return true;
}

const OlRecurrenceRow* OlRecurrenceByOutlook(std::int32_t recurrenceType) {
  for (const auto& row : kRecurrence)
    if (row.outlook == recurrenceType) return &row;
  return nullptr;
}

const OlRecurrenceRow* OlRecurrenceByCommon(std::int32_t recurType) {
  for (const auto& row : kRecurrence)
    if (row.common == recurType) return &row;
  return nullptr;
}

void OlPatternToCommon(const OlPattern& r, CommonRecurrence& out) {
  out = CommonRecurrence{};
  const OlRecurrenceRow* row =
      r.RecurrenceType < 0 ? nullptr : OlRecurrenceByOutlook(r.RecurrenceType);
  if (!row) return;
  out.RecurType = row->common;
  out.Interval = row->interval ? r.Interval : 1;
  if (row->dayOfWeekMask) out.DayOfWeekMask = r.DayOfWeekMask;
  if (row->dayOfMonth) out.DayOfMonth = r.DayOfMonth;
  if (row->instance) out.Instance = r.Instance;
  if (row->monthOfYear) out.MonthOfYear = r.MonthOfYear;
  if (r.PatternEndDate.value > 1.0) {
    out.HasEnd = 1;
    out.PatternEnd = ToSystemTime(r.PatternEndDate);
  }
}

void CommonToOlPattern(const CommonRecurrence& in, OlPattern& r) {
  const OlRecurrenceRow* row =
      in.RecurType == kRecurNone ? nullptr : OlRecurrenceByCommon(in.RecurType);
  if (!row) {
    r.RecurrenceType = -1;
    return;
  }
  r.RecurrenceType = row->outlook;
  if (row->interval) r.Interval = in.Interval;
  if (row->dayOfWeekMask) r.DayOfWeekMask = in.DayOfWeekMask;
  if (row->dayOfMonth) r.DayOfMonth = in.DayOfMonth;
  if (row->instance) r.Instance = in.Instance;
  if (row->monthOfYear) r.MonthOfYear = in.MonthOfYear;
  if (in.HasEnd) r.PatternEndDate = ToOleDate(in.PatternEnd);
}

std::int32_t OlReminderMinutes(const OlEventRecord& r, int versionClass) {
  if (versionClass <= kOlVersion11) {
    if (r.ReminderTime.value <= 0) return 0;
    // Rounded: the difference of two dates is never exact, and truncating it made a
    // 15-minute reminder one of 14.
    const double m = std::round((r.Start.value - r.ReminderTime.value) * 60 * 24);
    return std::fabs(m) < 1e9 ? static_cast<std::int32_t>(m) : 0;
  }
  return r.ReminderSet ? r.ReminderMinutesBeforeStart : 0;
}

std::int32_t CommonReminderMinutes(const CommonReminder& reminder) {
  switch (reminder.Unit) {
    case kUnitMinutes:
      return reminder.Amount;
    case kUnitHours:
      return reminder.Amount * 60;
    case kUnitDays:
      return reminder.Amount * kMinutesPerDay;
    case kUnitWeeks:
      return reminder.Amount * kMinutesPerWeek;
    default:
      return kDefaultReminderMinutes;
  }
}

void OlEventToCommon(const OlEventRecord& r, int versionClass, CommonEvent& e) {
  e.Subject = r.Subject.view();
  e.Description.Assign(Utf8Prefix(r.Body.view(), kDescriptionBytes));
  e.Location = r.Location.view();
  e.Categories = r.Categories.view();
  e.Start = ToSystemTime(r.Start);
  e.End = ToSystemTime(r.End);
  e.ReminderSet = r.ReminderSet ? 1 : 0;
  const std::int32_t minutes = OlReminderMinutes(r, versionClass);
  if (minutes > 0) {
    e.ReminderCount = 1;
    CommonReminder& first = e.Reminders[0];
    if (minutes <= 59) {
      first.Unit = kUnitMinutes;
      first.Amount = minutes;
    } else if (minutes > kMinutesPerDay - 1) {
      first.Unit = kUnitDays;
      first.Amount = minutes / kMinutesPerDay;
    } else {
      first.Unit = kUnitHours;
      first.Amount = minutes / 60;
    }
  }
  e.DurationMinutes = Minutes(r.Start, r.End);
  e.AllDay = r.AllDayEvent ? 1 : 0;
  OlPatternToCommon(OlPattern::Of(r), e.Recurrence);
  e.CreationTime = r.CreationTime;
  e.LastModificationTime = r.LastModificationTime;
  e.SourceType = kSourceOutlook;
}

void CommonToOlEvent(const CommonEvent& e, int versionClass, OlEventRecord& r) {
  r.Subject = e.Subject.view();
  r.Body = e.Description.view();
  r.Categories = e.Categories.view();
  r.Location = e.Location.view();
  r.Start = ToOleDate(e.Start);
  r.End = ToOleDate(e.End);
  r.AllDayEvent = e.AllDay ? 1 : 0;
  r.ReminderSet = e.ReminderSet ? 1 : 0;
  r.ReminderMinutesBeforeStart = 0;
  r.ReminderTime = OleDate();
  if (e.ReminderSet && e.ReminderCount > 0) {
    const CommonReminder& first = e.Reminders[0];
    const std::int32_t minutes = CommonReminderMinutes(first);
    r.ReminderMinutesBeforeStart = minutes;
    if (versionClass <= kOlVersion11 && r.Start.IsSet()) {
      const double day = std::floor(r.Start.value);
      double at;
      if (first.Unit == kUnitDays && first.Amount != 0) {
        at = day - first.Amount;  // that many days before, at 00:00
      } else {
        const bool known = first.Unit >= kUnitMinutes && first.Unit <= kUnitDays;
        const std::int32_t back = first.Amount == 0 || !known ? 5 : minutes;
        // Back within the same day only: the old reminder time keeps the start's date.
        at = std::max(day, r.Start.value - static_cast<double>(back) / kMinutesPerDay);
      }
      r.ReminderTime = OleDate(at);
    }
  }
  // From the whole dates, so an event past midnight keeps its length.
  r.Duration = Minutes(r.Start, r.End);
  if (r.AllDayEvent && r.Duration < kMinutesPerDay) r.Duration = kMinutesPerDay;
  OlPattern p = OlPattern::Of(r);
  CommonToOlPattern(e.Recurrence, p);
  p.To(r);
}

OlDateUtil::OlDateUtil(const char* /*name*/) : OlFolderUtil(kCalendar) {}

void OlDateUtil::ReadItem(CDispCmd& item, int versionClass, OlEventRecord& r) {
  OlGetText(item, "EntryID", RefOf(r.EntryID));
  OlGetBool(item, "AllDayEvent", r.AllDayEvent);
  OlGetLong(item, "Duration", r.Duration);
  OlGetDate(item, "End", r.End);
  OlGetDate(item, "Start", r.Start);
  OlGetBool(item, "ReminderSet", r.ReminderSet);
  if (versionClass > kOlVersion11)
    OlGetLong(item, "ReminderMinutesBeforeStart", r.ReminderMinutesBeforeStart);
  else
    OlGetDate(item, "ReminderTime", r.ReminderTime);
  OlGetText(item, "Subject", RefOf(r.Subject));
  OlGetText(item, "Body", RefOf(r.Body));
  OlGetText(item, "Location", RefOf(r.Location));
  OlGetText(item, "Categories", RefOf(r.Categories));
  OlReadRecurrence(item, r);
  OlGetDate(item, "CreationTime", r.CreationTime);
  OlGetDate(item, "LastModificationTime", r.LastModificationTime);
  r.Item = OlItemRef(OlDispatchOf(item));
}

void OlDateUtil::WriteItem(CDispCmd& item, int versionClass, const OlEventRecord& r) {
  OlPutBool(item, "AllDayEvent", r.AllDayEvent != 0);
  OlPutLong(item, "Duration", r.Duration);
  OlPutDate(item, "Start", r.Start);
  OlPutBool(item, "ReminderSet", r.ReminderSet != 0);
  if (versionClass > kOlVersion11)
    OlPutLong(item, "ReminderMinutesBeforeStart", r.ReminderMinutesBeforeStart);
  else
    OlPutDate(item, "ReminderTime", r.ReminderTime);
  OlPutText(item, "Subject", r.Subject.view());
  OlPutText(item, "Body", r.Body.view());
  OlPutText(item, "Location", r.Location.view());
  OlPutText(item, "Categories", r.Categories.view());
  OlWritePattern(item, OlPattern::Of(r));
  OlCall(item, "Save");
}
