#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "palm/PmField.h"
#include "palm/PmLoader.h"

// Status bits of a record; Palm Desktop skips deleted and archived records.
constexpr std::int32_t kPmStatusDeleted = 0x04;
constexpr std::int32_t kPmStatusArchived = 0x80;
inline bool PmIsLive(std::int32_t status) {
  return (status & (kPmStatusDeleted | kPmStatusArchived)) == 0;
}

// Fields 0 to 2 of every layout-1 record.
struct PmHead1 : PmRecordBase {
  std::int32_t recordId = 0;
  std::int32_t status = 0;
  std::int32_t position = 0;

  friend bool operator==(const PmHead1&, const PmHead1&) = default;
};

// Fields 0 to 12 of every layout-2 record.
struct PmHead2 : PmRecordBase {
  std::int32_t recordId = 0;
  std::int32_t field1 = 0;  // 0x1000 plus the record's index in Palm Desktop's files
  std::int32_t status = 0;
  std::int32_t field3 = 0;  // the record's first field number in the block
  std::int32_t position = 0;
  std::int32_t categoryId = 0;
  std::int32_t isPrivate = 0;
  std::array<PmOpaque, 4> opaque;
  std::string text11;
  std::string text12;

  friend bool operator==(const PmHead2&, const PmHead2&) = default;
};

// Table entries for the layout-2 head; expands inside a field table whose record type is R.
#define PM_HEAD2_FIELDS                                                       \
  PM_FIELD(kPmInteger, 0, recordId), PM_FIELD(kPmInteger, 0, field1),         \
      PM_FIELD(kPmInteger, 0, status), PM_FIELD(kPmInteger, 0, field3),       \
      PM_FIELD(kPmInteger, 0, position), PM_CATEGORY_FIELD(categoryId),       \
      PM_FIELD(kPmBoolean, 0, isPrivate), PM_FIELD(kPmOpaque0, 0, opaque[0]), \
      PM_FIELD(kPmOpaque1, 0, opaque[1]), PM_FIELD(kPmOpaque2, 0, opaque[2]), \
      PM_FIELD(kPmOpaque3, 0, opaque[3]), PM_FIELD(kPmText, 32, text11),      \
      PM_FIELD(kPmText, 32, text12)

#define PM_HEAD1_FIELDS                                               \
  PM_FIELD(kPmInteger, 0, recordId), PM_FIELD(kPmInteger, 0, status), \
      PM_FIELD(kPmInteger, 0, position)
