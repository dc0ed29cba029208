#include "palm/PmDateExUtil.h"

std::span<const PmFieldSpec<PmDateExRecord>> PmDateExRecord::Fields() {
  using R = PmDateExRecord;
  static const PmFieldSpec<R> kFields[] = {
      PM_HEAD2_FIELDS,
      PM_FIELD(kPmDate, 0, start),
      PM_FIELD(kPmDate, 0, end),
      PM_FIELD(kPmText, 256, description),
      PM_FIELD(kPmInteger, 0, field16),
      PM_FIELD(kPmText, 8192, note),
      PM_FIELD(kPmBoolean, 0, untimed),
      PM_FIELD(kPmBoolean, 0, alarmSet),
      PM_FIELD(kPmInteger, 0, alarmAdvance),
      PM_FIELD(kPmInteger, 0, alarmUnit),
      PM_FIELD(kPmRepeatRule, 0, repeat),
      PM_FIELD(kPmText, 256, location),
      PM_FIELD(kPmInteger, 0, field24),
      PM_FIELD(kPmText, 32, text25),
      PM_FIELD(kPmText, 32, text26),
  };
  static_assert(sizeof kFields / sizeof kFields[0] == 27);
  return kFields;
}

PmDateExUtil::PmDateExUtil() : PmLoader(PmDatabase::kDate, 2) {}

PmDateExUtil::PmDateExUtil(const std::string& path) : PmDateExUtil() {
  MarkLoaded(Load(path));
}
