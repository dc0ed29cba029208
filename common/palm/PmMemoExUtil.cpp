#include "palm/PmMemoExUtil.h"

std::span<const PmFieldSpec<PmMemoExRecord>> PmMemoExRecord::Fields() {
  using R = PmMemoExRecord;
  static const PmFieldSpec<R> kFields[] = {
      PM_HEAD2_FIELDS,
      PM_FIELD(kPmText, 8192, text),
  };
  static_assert(sizeof kFields / sizeof kFields[0] == 14);
  return kFields;
}

PmMemoExUtil::PmMemoExUtil() : PmLoader(PmDatabase::kMemo, 2) {}

PmMemoExUtil::PmMemoExUtil(const std::string& path) : PmMemoExUtil() {
  MarkLoaded(Load(path));
}
