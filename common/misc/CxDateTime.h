#pragma once

#include <ctime>
#include <string>

#include "misc/WinTypes.h"

// A local date-time held both as a SYSTEMTIME and as an OleDate.
class CxDateTime {
 public:
  CxDateTime();  // now, local time
  explicit CxDateTime(const SYSTEMTIME& st);
  explicit CxDateTime(OleDate date);

  const SYSTEMTIME& SystemTime() const { return st_; }
  OleDate Date() const { return date_; }
  // Whether the conversion between the two forms succeeded.
  bool IsValid() const { return valid_; }

  // "MM/DD/YYYY"; empty for a year above 2030 or at or below 1930.
  std::string DateText() const;
  // "HH:MM:SS".
  std::string TimeText() const;
  std::string DateTimeText() const;

  static std::string DateText(const SYSTEMTIME& st);
  static std::string TimeText(const SYSTEMTIME& st);

  // SystemTimeToVariantTime / VariantTimeToSystemTime: whole seconds, years 100 to 9999.
  static bool SystemTimeToOleDate(const SYSTEMTIME& st, OleDate& out);
  static bool OleDateToSystemTime(OleDate date, SYSTEMTIME& out);

  // The local broken-down time of an instant (milliseconds 0).
  static SYSTEMTIME FromTimeT(std::time_t t);
  // Seconds since 1970 (UTC) of the local calendar time an OleDate stands for; DST from TZ rules.
  // -1 when the date cannot be converted.
  static std::time_t OleDateToTimeT(OleDate date);
  static OleDate TimeTToOleDate(std::time_t t);

  // The date n days later at midnight.
  static OleDate AddDays(OleDate date, int n);
  // 0 for a month outside 1-12.
  static int DaysInMonth(int year, int month);
  static bool IsLeapYear(int year);

 private:
  SYSTEMTIME st_{};
  OleDate date_{};
  bool valid_ = false;
};
