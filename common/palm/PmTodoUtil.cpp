#include "palm/PmTodoUtil.h"

std::span<const PmFieldSpec<PmTodoRecord>> PmTodoRecord::Fields() {
  using R = PmTodoRecord;
  static const PmFieldSpec<R> kFields[] = {
      PM_HEAD1_FIELDS,
      PM_FIELD(kPmText, 8192, description),
      PM_FIELD(kPmDate, 0, dueDate),
      PM_FIELD(kPmBoolean, 0, completed),
      PM_FIELD(kPmInteger, 0, priority),
      PM_FIELD(kPmBoolean, 0, isPrivate),
      PM_CATEGORY_FIELD(categoryId),
      PM_FIELD(kPmText, 8192, note),
  };
  static_assert(sizeof kFields / sizeof kFields[0] == 10);
  return kFields;
}

PmTodoUtil::PmTodoUtil() : PmLoader(PmDatabase::kTodo, 1) {}

PmTodoUtil::PmTodoUtil(const std::string& path) : PmTodoUtil() {
  MarkLoaded(Load(path));
}
