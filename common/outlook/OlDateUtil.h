#pragma once

#include <cstdint>
#include <memory>

#include "misc/CommDateMgr.h"
#include "misc/CommonEvent.h"
#include "outlook/OlBaseUtil.h"
#include "outlook/OlEventRecord.h"

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

// Reminder minutes of an appointment as the version class keeps them.
std::int32_t OlReminderMinutes(const OlEventRecord& r, int versionClass);
// Minutes of a common reminder; 15 for a unit it does not know.
std::int32_t CommonReminderMinutes(const CommonReminder& reminder);

// The conversions; `versionClass` picks the reminder properties.
void OlEventToCommon(const OlEventRecord& r, int versionClass, CommonEvent& e);
void CommonToOlEvent(const CommonEvent& e, int versionClass, OlEventRecord& r);

// The Outlook calendar connector: the default Calendar folder, one appointment per series.
class OlDateUtil : public OlBaseUtil {
 public:
  explicit OlDateUtil(const char* name = nullptr);
  ~OlDateUtil() override;

  bool Load() override;
  void Clear() override;
  void Init() override;
  void Uninit() override;
  bool Open() override;
  void Close() override;

  bool SubmitRecord(const CommonEvent* record);
  bool AddRecord(CommonEvent* record);
  bool UpdateRecord(CommonEvent* record, std::int32_t position);

  CommDateMgr* Manager() { return m_pDataMgr.get(); }
  bool Opened() const { return opened_; }

  static void ReadItem(CDispCmd& item, int versionClass, OlEventRecord& r);
  static void WriteItem(CDispCmd& item, int versionClass, const OlEventRecord& r);

 private:
  std::unique_ptr<CDispCmd> m_pDateRootFolder;
  std::unique_ptr<CommDateMgr> m_pDataMgr;
  bool opened_ = false;
};
