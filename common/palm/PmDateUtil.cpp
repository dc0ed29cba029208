#include "palm/PmDateUtil.h"

std::span<const PmFieldSpec<PmDateRecord>> PmDateRecord::Fields() {
  using R = PmDateRecord;
  static const PmFieldSpec<R> kFields[] = {
      PM_HEAD1_FIELDS,
      PM_FIELD(kPmDate, 0, start),
      PM_FIELD(kPmInteger, 0, end),
      PM_FIELD(kPmText, 512, description),
      PM_FIELD(kPmInteger, 0, duration),
      PM_FIELD(kPmText, 8192, note),
      PM_FIELD(kPmBoolean, 0, untimed),
      PM_FIELD(kPmBoolean, 0, isPrivate),
      PM_CATEGORY_FIELD(categoryId),
      PM_FIELD(kPmBoolean, 0, alarmSet),
      PM_FIELD(kPmInteger, 0, alarmAdvance),
      PM_FIELD(kPmInteger, 0, alarmUnit),
      PM_FIELD(kPmRepeatRule, 0, repeat),
  };
  static_assert(sizeof kFields / sizeof kFields[0] == 15);
  return kFields;
}

PmDateUtil::PmDateUtil() : PmLoader(PmDatabase::kDate, 1) {}

PmDateUtil::PmDateUtil(const std::string& path) : PmDateUtil() {
  MarkLoaded(Load(path));
}
