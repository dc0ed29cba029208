#include "misc/CxDateTime.h"

#include <cmath>
#include <cstdio>

namespace {

// Days from 1970-01-01 to a proleptic Gregorian date (H. Hinnant's algorithm).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& y, unsigned& m, unsigned& d) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long yy = static_cast<long long>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<int>(yy + (m <= 2));
}

constexpr long long kOleEpochDays = -25569;  // 1899-12-30 relative to 1970-01-01
constexpr double kMinOleDate = -657434.0;    // 0100-01-01
constexpr double kMaxOleDate = 2958466.0;    // 10000-01-01, exclusive

bool ToTm(const SYSTEMTIME& st, std::tm& tm) {
  tm = {};
  tm.tm_year = st.wYear - 1900;
  tm.tm_mon = st.wMonth - 1;
  tm.tm_mday = st.wDay;
  tm.tm_hour = st.wHour;
  tm.tm_min = st.wMinute;
  tm.tm_sec = st.wSecond;
  tm.tm_isdst = -1;
  return true;
}

}  // namespace

CxDateTime::CxDateTime() {
  st_ = FromTimeT(std::time(nullptr));
  valid_ = SystemTimeToOleDate(st_, date_);
}

CxDateTime::CxDateTime(const SYSTEMTIME& st) : st_(st) {
  valid_ = SystemTimeToOleDate(st_, date_);
}

CxDateTime::CxDateTime(OleDate date) : date_(date) {
  valid_ = OleDateToSystemTime(date_, st_);
}

std::string CxDateTime::DateText() const {
  return DateText(st_);
}
std::string CxDateTime::TimeText() const {
  return TimeText(st_);
}
std::string CxDateTime::DateTimeText() const {
  return DateText() + " " + TimeText();
}

std::string CxDateTime::DateText(const SYSTEMTIME& st) {
  if (st.wYear > 2030 || st.wYear <= 1930) return {};
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", st.wMonth, st.wDay, st.wYear);
  return buf;
}

std::string CxDateTime::TimeText(const SYSTEMTIME& st) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", st.wHour, st.wMinute, st.wSecond);
  return buf;
}

bool CxDateTime::IsLeapYear(int year) {
  return year % 400 == 0 || (year % 4 == 0 && year % 100 != 0);
}

int CxDateTime::DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  if (month == 2 && IsLeapYear(year)) return 29;
  return kDays[month - 1];
}

bool CxDateTime::SystemTimeToOleDate(const SYSTEMTIME& st, OleDate& out) {
  out = OleDate();
  if (st.wYear < 100 || st.wYear > 9999 || st.wMonth < 1 || st.wMonth > 12 || st.wDay < 1 ||
      st.wDay > DaysInMonth(st.wYear, st.wMonth) || st.wHour > 23 || st.wMinute > 59 ||
      st.wSecond > 59)
    return false;
  long long days = DaysFromCivil(st.wYear, st.wMonth, st.wDay) - kOleEpochDays;
  double frac = (st.wHour * 3600.0 + st.wMinute * 60.0 + st.wSecond) / 86400.0;
  // Before the epoch the fraction still counts forwards from midnight: -1.25 is 1899-12-29 06:00.
  out = OleDate(days >= 0 ? static_cast<double>(days) + frac : static_cast<double>(days) - frac);
  return true;
}

bool CxDateTime::OleDateToSystemTime(OleDate date, SYSTEMTIME& out) {
  out = SYSTEMTIME();
  double v = date.value;
  if (!(v >= kMinOleDate && v < kMaxOleDate)) return false;  // also rejects NaN
  double whole = std::trunc(v);
  auto day = static_cast<long long>(whole);
  auto secs = static_cast<long long>(std::llround(std::fabs(v - whole) * 86400.0));
  if (secs >= 86400) {
    secs -= 86400;
    ++day;
  }
  int y;
  unsigned m, d;
  CivilFromDays(day + kOleEpochDays, y, m, d);
  if (y < 100 || y > 9999) return false;
  out.wYear = static_cast<std::uint16_t>(y);
  out.wMonth = static_cast<std::uint16_t>(m);
  out.wDay = static_cast<std::uint16_t>(d);
  long long dow = (day + kOleEpochDays + 4) % 7;  // 1970-01-01 was a Thursday
  out.wDayOfWeek = static_cast<std::uint16_t>(dow < 0 ? dow + 7 : dow);
  out.wHour = static_cast<std::uint16_t>(secs / 3600);
  out.wMinute = static_cast<std::uint16_t>(secs / 60 % 60);
  out.wSecond = static_cast<std::uint16_t>(secs % 60);
  return true;
}

SYSTEMTIME CxDateTime::FromTimeT(std::time_t t) {
  std::tm tm{};
  SYSTEMTIME st{};
  if (!localtime_r(&t, &tm)) return st;
  st.wYear = static_cast<std::uint16_t>(tm.tm_year + 1900);
  st.wMonth = static_cast<std::uint16_t>(tm.tm_mon + 1);
  st.wDayOfWeek = static_cast<std::uint16_t>(tm.tm_wday);
  st.wDay = static_cast<std::uint16_t>(tm.tm_mday);
  st.wHour = static_cast<std::uint16_t>(tm.tm_hour);
  st.wMinute = static_cast<std::uint16_t>(tm.tm_min);
  st.wSecond = static_cast<std::uint16_t>(tm.tm_sec);
  return st;
}

std::time_t CxDateTime::OleDateToTimeT(OleDate date) {
  SYSTEMTIME st;
  if (!OleDateToSystemTime(date, st)) return -1;
  std::tm tm;
  ToTm(st, tm);
  return std::mktime(&tm);
}

OleDate CxDateTime::TimeTToOleDate(std::time_t t) {
  OleDate d;
  SystemTimeToOleDate(FromTimeT(t), d);
  return d;
}

OleDate CxDateTime::AddDays(OleDate date, int n) {
  return OleDate(std::trunc(date.value) + n);
}
