#pragma once

#include <cstdint>
#include <string>
#include <vector>

class PmByteSource;
class PmByteSink;

// A date-book or to-do repeat rule as stored in a type-8 field.
struct PmRepeat {
  enum Kind : std::int32_t {
    kNone = 0,
    kDaily = 1,
    kWeekly = 2,
    kMonthlyByWeekday = 3,
    kMonthlyByDate = 4,
    kYearlyByDate = 5,
    kYearlyByWeekday = 6,
  };

  std::vector<std::int32_t> exceptions;  // Palm time values of skipped occurrences
  std::int32_t kind = kNone;
  std::int32_t interval = 0;
  std::int32_t endDate = 0;  // a Palm time value; see PmTime::IsNoDate
  std::int32_t firstDayOfWeek = 0;
  std::int32_t dayIndex = 0;
  std::uint8_t dayMask = 0;  // bit 0 Sunday .. bit 6 Saturday
  std::int32_t weekIndex = 0;
  std::int32_t dayNumber = 0;
  std::int32_t monthIndex = 0;  // 0 to 11

  friend bool operator==(const PmRepeat&, const PmRepeat&) = default;
};

// The repeat field is a serialised object of a class library that names each class once per file
// and refers back to it by number afterwards, so decoding needs the classes seen so far.
class PmRepeatReader {
 public:
  // Objects and classes share one numbering in the stream; it starts at 1.
  static constexpr std::uint16_t kNewClassTag = 0xFFFF;
  static constexpr std::uint16_t kClassRefFlag = 0x8000;
  // A file holds a few thousand repeating records at most; the back-reference space is 15 bits.
  static constexpr std::size_t kMaxMapEntries = 0x7FFE;
  // Longest class name is "CDateOfMonth"; a generous bound keeps corrupt lengths cheap.
  static constexpr std::uint16_t kMaxClassNameBytes = 64;
  // Palm Desktop keeps a handful of exceptions per event; bytes left bound the loop as well.
  static constexpr std::uint16_t kMaxExceptions = 4096;

  // Reads the field body (after its type code). False on malformed or truncated data.
  bool Read(PmByteSource& src, PmRepeat& out);
  void Reset() { map_.clear(); }

  static const char* ClassName(std::int32_t kind);  // nullptr for kinds outside 1 to 6

 private:
  // One entry per stream number: the repeat kind of a class, or 0 for an object.
  std::vector<std::int32_t> map_;
};

// Writes the field body with a full class name for every rule, which every reader accepts.
void PmWriteRepeat(PmByteSink& sink, const PmRepeat& rule);
