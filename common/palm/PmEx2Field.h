#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <variant>

#include "misc/FixedText.h"
#include "palm/PmDataAccessor.h"

// Where one column of a Palm Desktop 6.x row goes: an integer, a boolean or a text field.
using PmEx2Target = std::variant<std::int32_t*, bool*, TextFieldRef>;

inline PmEx2Target PmEx2TargetOf(std::int32_t& field) {
  return &field;
}
inline PmEx2Target PmEx2TargetOf(bool& field) {
  return &field;
}
template <std::size_t N>
PmEx2Target PmEx2TargetOf(FixedText<N>& field) {
  return RefOf(field);
}

// One entry of a 6.x record's column table: the column's name and the record field it feeds.
template <class Rec>
struct PmEx2Column {
  std::string_view name;
  PmEx2Target (*target)(Rec&);
};

// Table entries; R names the record type in the table being defined.
#define PM_EX2_COLUMN(name, member)                                     \
  PmEx2Column<R> {                                                      \
    (name), [](R& r) -> PmEx2Target { return PmEx2TargetOf(r.member); } \
  }

// An integer from a 16- or 32-bit integer value or a decimal text.
bool PmEx2Integer(const PmValue& value, std::int32_t& out);

// Stores `value` into `target` when its kind fits: integers take integers and decimal texts,
// booleans take booleans, texts take texts (cut to the field). Anything else leaves the field
// as it is and gives false, unless the value is empty (a null), which is no fault.
bool PmEx2Store(const PmValue& value, const PmEx2Target& target);

// Every record of a 6.x table starts with these five columns.
struct PmEx2Head {
  std::int32_t recordId = 0;
  std::int32_t status = 0;
  std::int32_t placement = 0;
  bool isPrivate = false;
  std::int32_t categoryId = 0;
  FixedText<32> categoryName;  // looked up after loading
};

#define PM_EX2_HEAD_COLUMNS                                                       \
  PM_EX2_COLUMN("Record ID", recordId), PM_EX2_COLUMN("Status", status),          \
      PM_EX2_COLUMN("Placement", placement), PM_EX2_COLUMN("Private", isPrivate), \
      PM_EX2_COLUMN("Category", categoryId)
