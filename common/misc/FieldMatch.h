#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

// How one field takes part in matching and comparison.
enum class MatchKind : std::uint8_t {
  kIgnore,     // always equal
  kFold,       // same length, equal after folding ASCII letters
  kLineBreak,  // equal after folding, skipping CR and LF (see LineBreakEqual)
  kBytes,      // equal bytes (numbers, dates, date-times, recurrence patterns)
};

// One field of a record, as matching sees it.
struct MatchValue {
  MatchKind kind = MatchKind::kIgnore;
  std::string_view text;
  unsigned char bytes[32] = {};
  std::size_t size = 0;

  static MatchValue Ignore() { return {}; }
  static MatchValue Fold(std::string_view t) {
    MatchValue v;
    v.kind = MatchKind::kFold;
    v.text = t;
    return v;
  }
  static MatchValue LineBreak(std::string_view t) {
    MatchValue v;
    v.kind = MatchKind::kLineBreak;
    v.text = t;
    return v;
  }
  template <class T>
  static MatchValue Bytes(const T& value) {
    static_assert(sizeof(T) <= sizeof(MatchValue::bytes));
    MatchValue v;
    v.kind = MatchKind::kBytes;
    std::memcpy(v.bytes, &value, sizeof(T));
    v.size = sizeof(T);
    return v;
  }
};

// The line-break tolerant comparison, walked as the reference does: skip CR and LF in each text,
// compare the next characters folded to upper case; equal only if both texts run out together.
bool LineBreakEqual(std::string_view a, std::string_view b);
bool FoldEqual(std::string_view a, std::string_view b);
bool MatchEqual(const MatchValue& a, const MatchValue& b);

// A 64-bit hash that gives equal values (by MatchEqual) equal hashes.
class MatchHasher {
 public:
  void Add(const MatchValue& v);
  std::uint64_t Value() const { return h_; }

 private:
  void Byte(unsigned char c) {
    h_ ^= c;
    h_ *= 0x100000001b3ULL;
  }
  std::uint64_t h_ = 0xcbf29ce484222325ULL;
};
