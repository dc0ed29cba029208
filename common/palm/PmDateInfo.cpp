#include "palm/PmDateInfo.h"

#include "palm/PmUsers.h"

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
}
