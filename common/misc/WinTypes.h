#pragma once

#include <cstdint>
#include <cstring>

// The Windows date-time value, with its members and meaning: local calendar time, day of week
// 0 = Sunday. Every member is 16 bits and there is no padding, so a value compares as 16 bytes.
struct SYSTEMTIME {
  std::uint16_t wYear = 0;
  std::uint16_t wMonth = 0;
  std::uint16_t wDayOfWeek = 0;
  std::uint16_t wDay = 0;
  std::uint16_t wHour = 0;
  std::uint16_t wMinute = 0;
  std::uint16_t wSecond = 0;
  std::uint16_t wMilliseconds = 0;

  friend bool operator==(const SYSTEMTIME&, const SYSTEMTIME&) = default;
};
static_assert(sizeof(SYSTEMTIME) == 16);

// An OLE Automation date: days since 1899-12-30, the fraction being the time of day; 0 = no date.
struct OleDate {
  double value = 0.0;

  OleDate() = default;
  constexpr explicit OleDate(double days) : value(days) {}

  bool IsSet() const { return value != 0.0; }
  // Dates are compared as their exact 8 bytes, as the stored values are.
  friend bool operator==(const OleDate& a, const OleDate& b) {
    return std::memcmp(&a.value, &b.value, sizeof a.value) == 0;
  }
};
static_assert(sizeof(OleDate) == 8);
