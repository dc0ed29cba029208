#include "palm/PmDateEx2Util.h"

#include "palm/PmRepeatText.h"

std::span<const PmEx2Column<PmDateEx2Record>> PmDateEx2Record::Columns() {
  using R = PmDateEx2Record;
  static const PmEx2Column<R> kColumns[] = {
      PM_EX2_HEAD_COLUMNS,
      PM_EX2_COLUMN("Note", note),
      PM_EX2_COLUMN("Start Time", startTime),
      PM_EX2_COLUMN("End Time", endTime),
      PM_EX2_COLUMN("Untimed", untimed),
      PM_EX2_COLUMN("Time Zone", timeZone),
      PM_EX2_COLUMN("Location", location),
      PM_EX2_COLUMN("Summary", summary),
      PM_EX2_COLUMN("Alarm", alarm),
      PM_EX2_COLUMN("Alarm Advance", alarmAdvance),
      PM_EX2_COLUMN("Alarm Unit", alarmUnit),
      PM_EX2_COLUMN("Repeated Event", repeatText),
  };
  static_assert(std::size(kColumns) == 16);
  return kColumns;
}

void PmDateEx2Util::PostProcess(PmDateEx2Record& rec) {
  PmEx2Loader::PostProcess(rec);
  rec.repeatReadable = PmRepeatText::Parse(rec.repeatText.view(), rec.startTime, rec.repeat);
}
