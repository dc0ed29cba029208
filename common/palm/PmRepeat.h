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
// Numbers below 0x7FFF fit the 2-byte tag; larger ones follow the 0x7FFF tag in 4 bytes, with the
// high bit set for a class.
class PmRepeatReader {
 public:
  // Objects and classes share one numbering in the stream; it starts at 1.
  static constexpr std::uint16_t kNewClassTag = 0xFFFF;
  static constexpr std::uint16_t kClassRefFlag = 0x8000;
  static constexpr std::uint16_t kBigObjectTag = 0x7FFF;
  static constexpr std::uint32_t kBigClassFlag = 0x80000000;
  // The archive format's own limit on stream numbers.
  static constexpr std::uint32_t kMaxMapCount = 0x3FFFFFFE;
  // Longest class name is "CDateOfMonth"; a generous bound keeps corrupt lengths cheap.
  static constexpr std::uint16_t kMaxClassNameBytes = 64;
  // Palm Desktop keeps a handful of exceptions per event; bytes left bound the loop as well.
  static constexpr std::uint16_t kMaxExceptions = 4096;

  // Reads the field body (after its type code). False on malformed or truncated data.
  bool Read(PmByteSource& src, PmRepeat& out);
  void Reset() {
    classes_.clear();
    next_ = 1;
  }

  static const char* ClassName(std::int32_t kind);  // nullptr for kinds outside 1 to 6

 private:
  struct ClassEntry {
    std::uint32_t number;
    std::int32_t kind;
  };
  // Only classes need remembering (objects are never referred back to), in stream order.
  std::vector<ClassEntry> classes_;
  std::uint32_t next_ = 1;  // the number the next class or object takes
};

// Writes rules as the class library does: the first rule of a class names it, later ones refer
// back by number. One writer per file, as the numbering is per file.
class PmRepeatWriter {
 public:
  void Write(PmByteSink& sink, const PmRepeat& rule);
  void Reset() { *this = PmRepeatWriter{}; }

 private:
  std::uint32_t classNumber_[7] = {};  // by kind; 0 until the class is named
  std::uint32_t next_ = 1;
};

// Writes one rule with a full class name, which every reader accepts on its own.
void PmWriteRepeat(PmByteSink& sink, const PmRepeat& rule);
