#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "misc/WinTypes.h"

// A Palm Desktop date: seconds since 1970-01-01 00:00 UTC, shown in the process's local time.
class PmTime {
 public:
  // Palm Desktop stores "no date" and "repeat for ever" as 2031-12-31 23:59:59 in the writing
  // PC's own time zone, so the raw value moves with that zone; everything above this is no date.
  static constexpr std::int32_t kNoDateAbove = 1956499198;
  static bool IsNoDate(std::int32_t value) { return value > kNoDateAbove; }

  explicit PmTime(std::int32_t value = 0);  // 0 takes the current time
  // Calendar parts in local time; month 1 to 12.
  PmTime(int year, int month, int day, int hour, int minute, int second);

  std::int32_t Value() const { return value_; }
  int Year() const;
  int Day() const;
  bool DateText(char* buffer, std::size_t capacity) const;  // "MM/DD/YYYY"
  std::string DateText() const;
  std::string TimeText() const;     // "HH:MM:SS"
  std::string DisplayText() const;  // "N/A" for no date
  SYSTEMTIME ToSystemTime() const;

 private:
  bool Local(struct tm& out) const;
  std::int32_t value_;
};
