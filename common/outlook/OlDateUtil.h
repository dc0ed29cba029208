#pragma once

#include <cstdint>

#include "misc/CommDateMgr.h"
#include "misc/CommonEvent.h"
#include "outlook/OlEventRecord.h"
#include "outlook/OlFolderUtil.h"

// Outlook's RecurrenceType and the common RecurType, with the pattern fields each carries.
struct OlRecurrenceRow {
  std::int32_t outlook;
  std::int32_t common;
  bool interval, dayOfWeekMask, dayOfMonth, instance, monthOfYear;
};
// Both ways; null for a value without a row.
const OlRecurrenceRow* OlRecurrenceByOutlook(std::int32_t recurrenceType);
const OlRecurrenceRow* OlRecurrenceByCommon(std::int32_t recurType);

// The pattern fields of an appointment or a task.
struct OlPattern {
  std::int32_t RecurrenceType = -1;
  std::int32_t Interval = 0, DayOfWeekMask = 0, DayOfMonth = 0, Instance = 0, MonthOfYear = 0;
  OleDate PatternEndDate;

  template <class Record>
  static OlPattern Of(const Record& r) {
    return {r.RecurrenceType, r.Interval,    r.DayOfWeekMask, r.DayOfMonth,
            r.Instance,       r.MonthOfYear, r.PatternEndDate};
  }
  template <class Record>
  void To(Record& r) const {
    r.RecurrenceType = RecurrenceType;
    r.Interval = Interval;
    r.DayOfWeekMask = DayOfWeekMask;
    r.DayOfMonth = DayOfMonth;
    r.Instance = Instance;
    r.MonthOfYear = MonthOfYear;
    r.PatternEndDate = PatternEndDate;
  }
};

// Outlook's pattern into a common recurrence (RecurType 0 for none or an unknown type), and
// back (RecurrenceType -1 for none; the fields the type does not carry stay as they were).
void OlPatternToCommon(const OlPattern& p, CommonRecurrence& out);
void CommonToOlPattern(const CommonRecurrence& in, OlPattern& p);

// GetRecurrencePattern and its fields: read (false when there is no pattern object) and
// written (nothing for RecurrenceType -1; each number only above 0, the end only above 1.0).
bool OlReadPattern(CDispCmd& item, OlPattern& p);
void OlWritePattern(CDispCmd& item, const OlPattern& p);

// IsRecurring, then the pattern of a recurring item (its fields stay 0 when the pattern cannot
// be had); RecurrenceType -1 for any other.
template <class Record>
void OlReadRecurrence(CDispCmd& item, Record& r) {
  OlGetBool(item, "IsRecurring", r.IsRecurring);
  if (!r.IsRecurring) {
    r.RecurrenceType = -1;
    return;
  }
  OlPattern p;
  p.RecurrenceType = 0;
  OlReadPattern(item, p);
  p.To(r);
}

// Reminder minutes of an appointment as the version class keeps them.
std::int32_t OlReminderMinutes(const OlEventRecord& r, int versionClass);
// Minutes of a common reminder; 15 for a unit it does not know.
std::int32_t CommonReminderMinutes(const CommonReminder& reminder);

// The conversions; `versionClass` picks the reminder properties.
void OlEventToCommon(const OlEventRecord& r, int versionClass, CommonEvent& e);
void CommonToOlEvent(const CommonEvent& e, int versionClass, OlEventRecord& r);

// The Outlook calendar connector: the default Calendar folder, one appointment per series.
// Reads, writes and conversions follow the installed version's reminder properties.
class OlDateUtil : public OlFolderUtil<OlDateUtil, OlEventRecord, CommonEvent, CommDateMgr> {
 public:
  explicit OlDateUtil(const char* name = nullptr);

  static void ReadItem(CDispCmd& item, int versionClass, OlEventRecord& r);
  static void WriteItem(CDispCmd& item, int versionClass, const OlEventRecord& r);
  static void ReadItem(CDispCmd& item, OlEventRecord& r) { ReadItem(item, VersionClass(), r); }
  static void WriteItem(CDispCmd& item, const OlEventRecord& r) {
    WriteItem(item, VersionClass(), r);
  }
  static void ToCommon(const OlEventRecord& r, CommonEvent& e) {
    OlEventToCommon(r, VersionClass(), e);
  }
  static void ToOutlook(const CommonEvent& e, OlEventRecord& r) {
    CommonToOlEvent(e, VersionClass(), r);
  }
};
