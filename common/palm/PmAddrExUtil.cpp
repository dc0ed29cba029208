#include "palm/PmAddrExUtil.h"

#define PM_ADDRESS_FIELDS(a)                                                                       \
  PM_FIELD(kPmInteger, 0, a.kind), PM_FIELD(kPmText, 256, a.street),                               \
      PM_FIELD(kPmText, 32, a.city), PM_FIELD(kPmText, 32, a.state), PM_FIELD(kPmText, 32, a.zip), \
      PM_FIELD(kPmText, 32, a.country)

std::span<const PmFieldSpec<PmAddrExRecord>> PmAddrExRecord::Fields() {
  using R = PmAddrExRecord;
  static const PmFieldSpec<R> kFields[] = {
      PM_HEAD2_FIELDS,
      PM_FIELD(kPmText, 32, lastName),
      PM_FIELD(kPmText, 32, firstName),
      PM_FIELD(kPmText, 32, title),
      PM_FIELD(kPmText, 256, company),
      PM_FIELD(kPmInteger, 0, primaryContact),
      PM_FIELD(kPmText, 2048, note),
      PM_FIELD(kPmText, 32, phone[0]),
      PM_FIELD(kPmText, 32, phone[1]),
      PM_FIELD(kPmText, 32, phone[2]),
      PM_FIELD(kPmText, 32, phone[3]),
      PM_FIELD(kPmText, 32, phone[4]),
      PM_FIELD(kPmText, 32, phone[5]),
      PM_FIELD(kPmText, 32, phone[6]),
      PM_FIELD(kPmInteger, 0, phoneLabel[0]),
      PM_FIELD(kPmInteger, 0, phoneLabel[1]),
      PM_FIELD(kPmInteger, 0, phoneLabel[2]),
      PM_FIELD(kPmInteger, 0, phoneLabel[3]),
      PM_FIELD(kPmInteger, 0, phoneLabel[4]),
      PM_FIELD(kPmInteger, 0, phoneLabel[5]),
      PM_FIELD(kPmInteger, 0, phoneLabel[6]),
      PM_FIELD(kPmText, 256, custom[0]),
      PM_FIELD(kPmText, 256, custom[1]),
      PM_FIELD(kPmText, 256, custom[2]),
      PM_FIELD(kPmText, 256, custom[3]),
      PM_FIELD(kPmText, 256, custom[4]),
      PM_FIELD(kPmText, 256, custom[5]),
      PM_FIELD(kPmText, 256, custom[6]),
      PM_FIELD(kPmText, 256, custom[7]),
      PM_FIELD(kPmText, 256, custom[8]),
      PM_ADDRESS_FIELDS(work),
      PM_ADDRESS_FIELDS(home),
      PM_ADDRESS_FIELDS(other),
      PM_FIELD(kPmText, 32, messaging[0]),
      PM_FIELD(kPmText, 32, messaging[1]),
      PM_FIELD(kPmInteger, 0, messagingKind[0]),
      PM_FIELD(kPmInteger, 0, messagingKind[1]),
      PM_FIELD(kPmText, 256, homePage),
      PM_FIELD(kPmReal, 0, birthday),
      PM_FIELD(kPmBoolean, 0, field66),
      PM_FIELD(kPmInteger, 0, field67),
      PM_FIELD(kPmInteger, 0, field68),
      PM_FIELD(kPmText, 32, text69[0]),
      PM_FIELD(kPmText, 32, text69[1]),
      PM_FIELD(kPmText, 32, text69[2]),
      PM_FIELD(kPmText, 32, text69[3]),
  };
  static_assert(sizeof kFields / sizeof kFields[0] == 73);
  return kFields;
}

PmAddrExUtil::PmAddrExUtil() : PmLoader(PmDatabase::kAddress, 2) {}

PmAddrExUtil::PmAddrExUtil(const std::string& path) : PmAddrExUtil() {
  MarkLoaded(Load(path));
}
