#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "palm/PmRepeat.h"

// Type codes of the fields in a record block.
enum PmFieldType : std::uint16_t {
  kPmInteger = 1,
  kPmDate = 3,
  kPmText = 5,
  kPmBoolean = 6,
  kPmRepeatRule = 8,
  kPmOpaque0 = 64,
  kPmOpaque1 = 65,
  kPmOpaque2 = 66,
  kPmOpaque3 = 67,
  kPmReal = 68,
};

inline bool PmIsIntegerType(std::uint32_t code) {
  return code == kPmInteger || code == kPmDate || code == kPmBoolean;
}
inline bool PmIsOpaqueType(std::uint32_t code) {
  return code >= kPmOpaque0 && code <= kPmOpaque3;
}

// A field whose meaning nobody has worked out; kept so that the record can be written back.
struct PmOpaque {
  std::int32_t size = 0;  // 0: nothing follows; 1 to 3: two integers and counted bytes; else bytes
  std::int32_t first = 0;
  std::int32_t second = 0;
  std::vector<std::uint8_t> bytes;

  friend bool operator==(const PmOpaque&, const PmOpaque&) = default;
};

// A field beyond the ones a loader knows, kept whole with its type code.
struct PmAnyField {
  std::uint32_t code = kPmInteger;
  std::int32_t integer = 0;
  std::string text;
  PmOpaque opaque;
  double real = 0.0;
  PmRepeat repeat;

  friend bool operator==(const PmAnyField&, const PmAnyField&) = default;
};

// Where a decoded field goes. Integers, dates and booleans keep their raw 32-bit value.
using PmFieldRef = std::variant<std::int32_t*, std::string*, PmOpaque*, double*, PmRepeat*>;

enum class PmFieldRole : std::uint8_t { kPlain, kCategory };

// One entry of a loader's fixed field table: the standard type, the text capacity that the
// conversions cut to (including the terminator), and the record member.
template <class Rec>
struct PmFieldSpec {
  std::uint16_t type;
  std::uint16_t capacity;
  PmFieldRef (*ref)(Rec&);
  PmFieldRole role = PmFieldRole::kPlain;
};

// Text of at most capacity-1 bytes, as the fixed-size Palm record fields hold it.
inline std::string PmClip(const std::string& text, std::size_t capacity) {
  return capacity == 0 || text.size() < capacity ? text : text.substr(0, capacity - 1);
}
