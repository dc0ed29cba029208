#include "palm/PmTodoEx2Util.h"

#include "palm/PmRepeatText.h"

std::span<const PmEx2Column<PmTodoEx2Record>> PmTodoEx2Record::Columns() {
  using R = PmTodoEx2Record;
  static const PmEx2Column<R> kColumns[] = {
      PM_EX2_HEAD_COLUMNS,
      PM_EX2_COLUMN("Note", note),
      PM_EX2_COLUMN("Description", description),
      PM_EX2_COLUMN("Due Date", dueDate),
      PM_EX2_COLUMN("Completed", completed),
      PM_EX2_COLUMN("Priority", priority),
      PM_EX2_COLUMN("Repeat On Complete Date", repeatOnCompleteDate),
      PM_EX2_COLUMN("Complete Date", completeDate),
      PM_EX2_COLUMN("Alarm Set", alarmSet),
      PM_EX2_COLUMN("Alarm Time", alarmTime),
      PM_EX2_COLUMN("Alarm Advance", alarmAdvance),
      PM_EX2_COLUMN("Repeat Start Date", repeatStartDate),
      PM_EX2_COLUMN("Repeat Info", repeatInfo),
  };
  static_assert(std::size(kColumns) == 17);
  return kColumns;
}

void PmTodoEx2Util::PostProcess(PmTodoEx2Record& rec) {
  PmEx2Loader::PostProcess(rec);
  // The weekday of a weekly rule that names none comes from where the repeat starts.
  std::int32_t start = rec.repeatStartDate != 0 ? rec.repeatStartDate : rec.dueDate;
  rec.repeatReadable = PmRepeatText::Parse(rec.repeatInfo.view(), start, rec.repeat, false);
}
