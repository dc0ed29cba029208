#include "palm/PmTodoExUtil.h"

std::span<const PmFieldSpec<PmTodoExRecord>> PmTodoExRecord::Fields() {
  using R = PmTodoExRecord;
  static const PmFieldSpec<R> kFields[] = {
      PM_HEAD2_FIELDS,
      PM_FIELD(kPmText, 256, description),
      PM_FIELD(kPmDate, 0, dueDate),
      PM_FIELD(kPmBoolean, 0, completed),
      PM_FIELD(kPmInteger, 0, priority),
      PM_FIELD(kPmText, 8192, note),
      PM_FIELD(kPmBoolean, 0, repeatAfterCompletion),
      PM_FIELD(kPmDate, 0, completionDate),
      PM_FIELD(kPmBoolean, 0, alarmSet),
      PM_FIELD(kPmDate, 0, alarmTime),
      PM_FIELD(kPmInteger, 0, alarmDaysInAdvance),
      PM_FIELD(kPmDate, 0, date23),
      PM_FIELD(kPmRepeatRule, 0, repeat),
  };
  static_assert(sizeof kFields / sizeof kFields[0] == 25);
  return kFields;
}

PmTodoExUtil::PmTodoExUtil() : PmLoader(PmDatabase::kTodo, 2) {}

PmTodoExUtil::PmTodoExUtil(const std::string& path) : PmTodoExUtil() {
  MarkLoaded(Load(path));
}
