#include "palm/PmDateInfo.h"

#include "misc/CxDebugUtil.h"
#include "misc/EventForm.h"
#include "palm/PmUsers.h"

namespace {

// What the conversions into the common record leave to the end: the parts of a Palm event that
// only the whole record explains, then the form the comparison sees.
void FinishEvent(CommonEvent& e, bool untimed, const PmRepeat& rule, PmLocalClock& clock) {
  // An untimed event keeps "no time" in its end; it is a one-day event.
  if (untimed) e.End = e.Start;
  // "Yearly by weekday" stores nothing beyond its kind: the start's weekday, week and month say
  // which day it is (a fifth weekday is always the month's last).
  if (rule.kind == PmRepeat::kYearlyByWeekday) {
    e.Recurrence.RecurType = kRecurYearlyNth;
    e.Recurrence.Interval = rule.interval;
    e.Recurrence.DayOfWeekMask = 1 << (e.Start.wDayOfWeek % 7);
    e.Recurrence.Instance = (e.Start.wDay - 1) / 7 + 1;
    e.Recurrence.MonthOfYear = e.Start.wMonth;
  }
  if (std::size_t cut = PmExceptionDaysFrom(rule, clock, e.ExceptionDates))
    QM_LOG_INFO("Palm calendar event \"%s\" has %zu deleted occurrences; the latest %zu are kept.",
                e.Subject.c_str(), cut + e.ExceptionDates.size(), e.ExceptionDates.size());
  NormaliseEvent(e);
}

}  // namespace

const PmSourceTexts PmDateInfo::kTexts = {
    "Load Palm Desktop Calendar by file: %s",
    "Failed to load Palm Desktop Calendar data file: %s",
    "Check Palm Desktop Calendar file version, file: %s",
    "Calendar",
    "Failed to check Palm Desktop Calendar file type: (%s)",
};
const PmUserTexts PmDateInfo::kUserTexts = {
    "Load Palm Desktop Calendar by user: %d",
    "Failed to get user database path by user ID.",
    "Failed to open Palm Desktop Calendar database by User: %d",
};
const char* const PmDateInfo::kUnplaced =
    "%zu Palm calendar records could not be placed in memory and were skipped.";

PmDateInfo::PmDateInfo(std::uint32_t version)
    : PmGenerationSource(version, PmOldVersions::kLayout1) {}

PmDateInfo::PmDateInfo() : PmDateInfo(GetPalmDesktopVersion()) {}

void PmDateInfo::Convert(const PmDateRecord& r, CommonEvent& e) {
  PmPutText(e.Subject, r.description, 512, codePage_, scratch_);
  PmPutText(e.Description, r.note, 8192, codePage_, scratch_);
  e.AllDay = r.untimed ? 1 : 0;
  e.Start = clock_.ToSystemTime(r.start);
  e.End = clock_.ToSystemTime(r.end);
  PmSetAlarm(e, r.alarmSet != 0, r.alarmAdvance, r.alarmUnit);
  e.Recurrence = PmRecurrenceFrom(r.repeat, clock_);
  FinishEvent(e, r.untimed != 0, r.repeat, clock_);
}

void PmDateInfo::Convert(const PmDateExRecord& r, CommonEvent& e) {
  PmPutText(e.Subject, r.description, 256, codePage_, scratch_);
  PmPutText(e.Description, r.note, 8192, codePage_, scratch_);
  PmPutText(e.Location, r.location, 256, codePage_, scratch_);
  e.AllDay = r.untimed ? 1 : 0;
  e.Start = clock_.ToSystemTime(r.start);
  e.End = clock_.ToSystemTime(r.end);
  PmSetAlarm(e, r.alarmSet != 0, r.alarmAdvance, r.alarmUnit);
  e.Recurrence = PmRecurrenceFrom(r.repeat, clock_);
  FinishEvent(e, r.untimed != 0, r.repeat, clock_);
}

void PmDateInfo::Convert(const PmDateEx2Record& r, CommonEvent& e) {
  PmPutText(e.Subject, r.summary);
  PmPutText(e.Description, r.note);
  PmPutText(e.Location, r.location);
  e.AllDay = r.untimed ? 1 : 0;
  e.Start = clock_.ToSystemTime(r.startTime);
  e.End = clock_.ToSystemTime(r.endTime);
  PmSetAlarm(e, r.alarm, r.alarmAdvance, r.alarmUnit);
  e.Recurrence = PmRecurrenceFrom(r.repeat, clock_);
  FinishEvent(e, r.untimed != 0, r.repeat, clock_);
}
