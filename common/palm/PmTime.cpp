#include "palm/PmTime.h"

#include <cstdio>
#include <ctime>

PmTime::PmTime(std::int32_t value) : value_(value) {
  if (value_ == 0) value_ = static_cast<std::int32_t>(std::time(nullptr));
}

PmTime::PmTime(int year, int month, int day, int hour, int minute, int second) : value_(0) {
  struct tm parts {};
  parts.tm_year = year - 1900;
  parts.tm_mon = month - 1;
  parts.tm_mday = day;
  parts.tm_hour = hour;
  parts.tm_min = minute;
  parts.tm_sec = second;
  parts.tm_isdst = -1;  // let the platform decide daylight saving
  std::time_t t = std::mktime(&parts);
  if (t != static_cast<std::time_t>(-1) && t >= INT32_MIN && t <= INT32_MAX) {
    value_ = static_cast<std::int32_t>(t);
  }
}

bool PmTime::Local(struct tm& out) const {
  std::time_t t = value_;
  return localtime_r(&t, &out) != nullptr;
}

int PmTime::Year() const {
  struct tm parts {};
  return Local(parts) ? parts.tm_year + 1900 : 0;
}

int PmTime::Day() const {
  struct tm parts {};
  return Local(parts) ? parts.tm_mday : 0;
}

bool PmTime::DateText(char* buffer, std::size_t capacity) const {
  struct tm parts {};
  if (!buffer || !Local(parts)) return false;
  int n = std::snprintf(buffer, capacity, "%02d/%02d/%04d", parts.tm_mon + 1, parts.tm_mday,
                        parts.tm_year + 1900);
  return n >= 0 && static_cast<std::size_t>(n) < capacity;
}

std::string PmTime::DateText() const {
  char buffer[32];
  return DateText(buffer, sizeof buffer) ? buffer : "";
}

std::string PmTime::TimeText() const {
  struct tm parts {};
  if (!Local(parts)) return "";
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", parts.tm_hour, parts.tm_min, parts.tm_sec);
  return buffer;
}

std::string PmTime::DisplayText() const {
  if (IsNoDate(value_)) return "N/A";
  return DateText() + " " + TimeText();
}

SYSTEMTIME PmTime::ToSystemTime() const {
  SYSTEMTIME st;
  struct tm parts {};
  if (!Local(parts)) return st;
  st.wYear = static_cast<std::uint16_t>(parts.tm_year + 1900);
  st.wMonth = static_cast<std::uint16_t>(parts.tm_mon + 1);
  st.wDayOfWeek = static_cast<std::uint16_t>(parts.tm_wday);
  st.wDay = static_cast<std::uint16_t>(parts.tm_mday);
  st.wHour = static_cast<std::uint16_t>(parts.tm_hour);
  st.wMinute = static_cast<std::uint16_t>(parts.tm_min);
  st.wSecond = static_cast<std::uint16_t>(parts.tm_sec);
  return st;
}
