#include "palm/PmMemoUtil.h"

std::span<const PmFieldSpec<PmMemoRecord>> PmMemoRecord::Fields() {
  using R = PmMemoRecord;
  static const PmFieldSpec<R> kFields[] = {
      PM_HEAD1_FIELDS,
      PM_FIELD(kPmText, 8192, text),
      PM_FIELD(kPmBoolean, 0, isPrivate),
      PM_CATEGORY_FIELD(categoryId),
  };
  static_assert(sizeof kFields / sizeof kFields[0] == 6);
  return kFields;
}

PmMemoUtil::PmMemoUtil() : PmLoader(PmDatabase::kMemo, 1) {}

PmMemoUtil::PmMemoUtil(const std::string& path) : PmMemoUtil() {
  MarkLoaded(Load(path));
}
