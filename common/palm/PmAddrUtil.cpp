#include "palm/PmAddrUtil.h"

std::span<const PmFieldSpec<PmAddrRecord>> PmAddrRecord::Fields() {
  using R = PmAddrRecord;
  static const PmFieldSpec<R> kFields[] = {
      PM_HEAD1_FIELDS,
      PM_FIELD(kPmText, 32, lastName),
      PM_FIELD(kPmText, 32, firstName),
      PM_FIELD(kPmText, 32, title),
      PM_FIELD(kPmText, 256, company),
      PM_FIELD(kPmInteger, 0, phoneLabel[0]),
      PM_FIELD(kPmText, 32, phone[0]),
      PM_FIELD(kPmInteger, 0, phoneLabel[1]),
      PM_FIELD(kPmText, 32, phone[1]),
      PM_FIELD(kPmInteger, 0, phoneLabel[2]),
      PM_FIELD(kPmText, 32, phone[2]),
      PM_FIELD(kPmInteger, 0, phoneLabel[3]),
      PM_FIELD(kPmText, 32, phone[3]),
      PM_FIELD(kPmInteger, 0, phoneLabel[4]),
      PM_FIELD(kPmText, 32, phone[4]),
      PM_FIELD(kPmText, 256, street),
      PM_FIELD(kPmText, 32, city),
      PM_FIELD(kPmText, 32, state),
      PM_FIELD(kPmText, 32, zip),
      PM_FIELD(kPmText, 32, country),
      PM_FIELD(kPmText, 8192, note),
      PM_FIELD(kPmBoolean, 0, isPrivate),
      PM_CATEGORY_FIELD(categoryId),
      PM_FIELD(kPmText, 64, custom[0]),
      PM_FIELD(kPmText, 64, custom[1]),
      PM_FIELD(kPmText, 64, custom[2]),
      PM_FIELD(kPmText, 64, custom[3]),
      PM_FIELD(kPmInteger, 0, primaryContact),
  };
  static_assert(sizeof kFields / sizeof kFields[0] == 30);
  return kFields;
}

PmAddrUtil::PmAddrUtil() : PmLoader(PmDatabase::kAddress, 1) {}

PmAddrUtil::PmAddrUtil(const std::string& path) : PmAddrUtil() {
  MarkLoaded(Load(path));
}
