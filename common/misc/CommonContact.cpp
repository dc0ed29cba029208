#include "misc/CommonContact.h"

#include <type_traits>
#include <utility>

namespace {

template <class T>
struct FieldWidth;
template <std::size_t N>
struct FieldWidth<FixedText<N>> : std::integral_constant<std::uint32_t, N> {};
template <>
struct FieldWidth<OleDate> : std::integral_constant<std::uint32_t, 8> {};
template <>
struct FieldWidth<std::uint32_t> : std::integral_constant<std::uint32_t, 4> {};

template <std::size_t N>
ContactFieldRef Ref(FixedText<N>& f) {
  ContactFieldRef r;
  r.text = RefOf(f);
  return r;
}
ContactFieldRef Ref(std::uint32_t& f) {
  ContactFieldRef r;
  r.number = &f;
  return r;
}
ContactFieldRef Ref(OleDate& f) {
  ContactFieldRef r;
  r.date = &f;
  return r;
}

#define QM_CONTACT_ROW(code, label, name, member, type, match, update)                         \
  ContactFieldRow{                                                                             \
      code,                                                                                    \
      label,                                                                                   \
      name,                                                                                    \
      type,                                                                                    \
      FieldWidth<std::remove_cvref_t<decltype(std::declval<CommonContact&>().member)>>::value, \
      ContactMatch::match,                                                                     \
      ContactUpdate::update,                                                                   \
      [](CommonContact& c) { return Ref(c.member); }},

constexpr std::uint32_t kMaxCode = 98;
constexpr std::uint8_t kNoRow = 0xFF;

}  // namespace

const std::array<ContactFieldRow, kContactFieldRows> kContactFieldTable = {
    {QM_CONTACT_FIELDS(QM_CONTACT_ROW)}};

#undef QM_CONTACT_ROW

namespace {

// Row index by code, so that access by code costs one load, as the switch it replaces did.
const std::array<std::uint8_t, kMaxCode + 1> kRowOfCode = [] {
  std::array<std::uint8_t, kMaxCode + 1> index{};
  index.fill(kNoRow);
  for (std::size_t i = 0; i < kContactFieldTable.size(); ++i)
    if (std::uint32_t code = kContactFieldTable[i].code; code != 0 && code <= kMaxCode)
      index[code] = static_cast<std::uint8_t>(i);
  return index;
}();

}  // namespace

const std::array<ContactFieldDescriptor, 90> kContactFields = [] {
  std::array<ContactFieldDescriptor, 90> d{};
  for (std::size_t i = 0; i < d.size(); ++i) {
    const ContactFieldRow& row = kContactFieldTable[i];
    d[i].code = row.code;
    for (std::size_t k = 0; k < 31 && row.label[k]; ++k) d[i].label[k] = row.label[k];
    d[i].valueType = row.valueType;
    d[i].size = row.size;
  }
  return d;
}();

const ContactFieldRow* FindContactRow(std::uint32_t code) {
  if (code > kMaxCode || kRowOfCode[code] == kNoRow) return nullptr;
  return &kContactFieldTable[kRowOfCode[code]];
}

const ContactFieldDescriptor* FindContactField(std::uint32_t code) {
  if (code > kMaxCode || kRowOfCode[code] == kNoRow || kRowOfCode[code] >= kContactFields.size())
    return nullptr;
  return &kContactFields[kRowOfCode[code]];
}

ContactFieldRef FieldByCode(CommonContact& c, std::uint32_t code) {
  const ContactFieldRow* row = FindContactRow(code);
  return row ? row->field(c) : ContactFieldRef{};
}

std::string_view ContactText(const CommonContact& c, std::uint32_t code) {
  // FieldByCode only hands out references; reading through them does not modify.
  ContactFieldRef r = FieldByCode(const_cast<CommonContact&>(c), code);
  return r.text.field ? r.text.view() : std::string_view();
}
