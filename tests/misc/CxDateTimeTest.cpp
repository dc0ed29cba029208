#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>

#include "misc/CxDateTime.h"

namespace {

SYSTEMTIME St(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
  SYSTEMTIME st;
  st.wYear = static_cast<std::uint16_t>(y);
  st.wMonth = static_cast<std::uint16_t>(mo);
  st.wDay = static_cast<std::uint16_t>(d);
  st.wHour = static_cast<std::uint16_t>(h);
  st.wMinute = static_cast<std::uint16_t>(mi);
  st.wSecond = static_cast<std::uint16_t>(s);
  return st;
}

class ScopedTz {
 public:
  explicit ScopedTz(const char* tz) {
    const char* old = std::getenv("TZ");
    had_ = old != nullptr;
    if (had_) old_ = old;
    setenv("TZ", tz, 1);
    tzset();
  }
  ~ScopedTz() {
    if (had_)
      setenv("TZ", old_.c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

 private:
  bool had_ = false;
  std::string old_;
};

TEST(CxDateTime, OleDateKnownValues) {
  struct {
    SYSTEMTIME st;
    double ole;
  } cases[] = {
      {St(1899, 12, 30), 0.0},       {St(1900, 1, 1), 2.0},           {St(1899, 12, 29, 6), -1.25},
      {St(2000, 1, 1, 12), 36526.5}, {St(1970, 1, 1), 25569.0},       {St(9999, 12, 31), 2958465.0},
      {St(100, 1, 1), -657434.0},    {St(2012, 2, 29, 18), 40968.75},
  };
  for (const auto& c : cases) {
    OleDate d;
    ASSERT_TRUE(CxDateTime::SystemTimeToOleDate(c.st, d)) << c.ole;
    EXPECT_DOUBLE_EQ(d.value, c.ole);
    SYSTEMTIME back;
    ASSERT_TRUE(CxDateTime::OleDateToSystemTime(OleDate(c.ole), back));
    SYSTEMTIME expect = c.st;
    expect.wDayOfWeek = back.wDayOfWeek;
    EXPECT_EQ(back, expect) << c.ole;
  }
  SYSTEMTIME st;
  ASSERT_TRUE(CxDateTime::OleDateToSystemTime(OleDate(36526.0), st));
  EXPECT_EQ(st.wDayOfWeek, 6);  // 2000-01-01 was a Saturday
}

TEST(CxDateTime, RejectsInvalidValues) {
  OleDate d;
  for (SYSTEMTIME bad : {St(2011, 2, 29), St(2012, 13, 1), St(2012, 1, 0), St(99, 1, 1),
                         St(2012, 1, 1, 24), St(2012, 1, 1, 0, 60)})
    EXPECT_FALSE(CxDateTime::SystemTimeToOleDate(bad, d));
  SYSTEMTIME st;
  for (double bad : {2958466.0, -657435.0, std::nan("")})
    EXPECT_FALSE(CxDateTime::OleDateToSystemTime(OleDate(bad), st));
  EXPECT_FALSE(CxDateTime(St(2011, 2, 29)).IsValid());
}

TEST(CxDateTime, RoundsToTheNearestSecond) {
  SYSTEMTIME st;
  ASSERT_TRUE(CxDateTime::OleDateToSystemTime(OleDate(1.0 - 0.4 / 86400), st));
  EXPECT_EQ(st, CxDateTime(OleDate(1.0)).SystemTime());
}

TEST(CxDateTime, Texts) {
  EXPECT_EQ(CxDateTime::DateText(St(2030, 12, 31)), "12/31/2030");
  EXPECT_EQ(CxDateTime::DateText(St(2031, 1, 1)), "");
  EXPECT_EQ(CxDateTime::DateText(St(1930, 6, 1)), "");
  EXPECT_EQ(CxDateTime::DateText(St(1931, 1, 2)), "01/02/1931");
  EXPECT_EQ(CxDateTime(St(2009, 3, 14, 16, 5, 9)).DateTimeText(), "03/14/2009 16:05:09");
}

TEST(CxDateTime, DaysInMonth) {
  EXPECT_EQ(CxDateTime::DaysInMonth(2000, 2), 29);
  EXPECT_EQ(CxDateTime::DaysInMonth(1900, 2), 28);
  EXPECT_EQ(CxDateTime::DaysInMonth(2012, 2), 29);
  EXPECT_EQ(CxDateTime::DaysInMonth(2013, 4), 30);
  EXPECT_EQ(CxDateTime::DaysInMonth(2013, 0), 0);
  EXPECT_EQ(CxDateTime::DaysInMonth(2013, 13), 0);
}

TEST(CxDateTime, AddDaysDropsTheTime) {
  EXPECT_DOUBLE_EQ(CxDateTime::AddDays(OleDate(40000.75), 2).value, 40002.0);
  EXPECT_DOUBLE_EQ(CxDateTime::AddDays(OleDate(40000.75), -1).value, 39999.0);
}

TEST(CxDateTime, LocalTimeFollowsTzAcrossDaylightSaving) {
  ScopedTz tz("Europe/Berlin");
  // 2012-03-25 01:30 local is before the change (CET, +1), 03:30 after it (CEST, +2).
  OleDate before, after;
  ASSERT_TRUE(CxDateTime::SystemTimeToOleDate(St(2012, 3, 25, 1, 30), before));
  ASSERT_TRUE(CxDateTime::SystemTimeToOleDate(St(2012, 3, 25, 3, 30), after));
  EXPECT_EQ(CxDateTime::OleDateToTimeT(before), 1332635400);  // 00:30 UTC
  EXPECT_EQ(CxDateTime::OleDateToTimeT(after), 1332639000);   // 01:30 UTC
  EXPECT_EQ(CxDateTime::TimeTToOleDate(1332639000), after);
  SYSTEMTIME st = CxDateTime::FromTimeT(1332639000);
  EXPECT_EQ(st.wHour, 3);
  EXPECT_EQ(st.wDayOfWeek, 0);
}

}  // namespace
