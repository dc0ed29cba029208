#include "outlook/OlContactRecord.h"

namespace {

template <std::size_t N>
ContactFieldRef Ref(FixedText<N>& f) {
  ContactFieldRef r;
  r.text = RefOf(f);
  return r;
}
ContactFieldRef Ref(OleDate& f) {
  ContactFieldRef r;
  r.date = &f;
  return r;
}

#define QM_OL_COMMON_None(member) nullptr
#define QM_OL_COMMON_Load(member) [](CommonContact& c) { return Ref(c.member); }
#define QM_OL_COMMON_Write(member) [](CommonContact& c) { return Ref(c.member); }
#define QM_OL_COMMON_Both(member) [](CommonContact& c) { return Ref(c.member); }
#define QM_OL_DIR_None OlDirection::kNone
#define QM_OL_DIR_Load OlDirection::kLoad
#define QM_OL_DIR_Write OlDirection::kWrite
#define QM_OL_DIR_Both OlDirection::kBoth

#define QM_OL_ROW(field, name, kind, width, access, dir, common) \
  OlContactRow{                                                  \
      kOc##field, name, OlKind::kind, width, access, QM_OL_DIR_##dir, QM_OL_COMMON_##dir(common)},

}  // namespace

const std::array<OlContactRow, kOcCount> kOlContactRows = {{QM_OL_CONTACT_FIELDS(QM_OL_ROW)}};

OleDate* OlContactRecord::Date(OlContactField f) {
  switch (f) {
    case kOcAnniversary:
      return &Anniversary;
    case kOcBirthday:
      return &Birthday;
    case kOcCreationTime:
      return &CreationTime;
    case kOcLastModificationTime:
      return &LastModificationTime;
    default:
      return nullptr;
  }
}
