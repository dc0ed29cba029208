#include <gtest/gtest.h>

#include "TestUtil.h"
#include "google/GoogleEvent.h"
#include "google/GoogleTaskNote.h"
#include "misc/CxDateTime.h"

namespace {

OleDate At(int y, int mo, int d, int h = 0, int mi = 0) {
  SYSTEMTIME st;
  st.wYear = static_cast<std::uint16_t>(y);
  st.wMonth = static_cast<std::uint16_t>(mo);
  st.wDay = static_cast<std::uint16_t>(d);
  st.wHour = static_cast<std::uint16_t>(h);
  st.wMinute = static_cast<std::uint16_t>(mi);
  OleDate o;
  CxDateTime::SystemTimeToOleDate(st, o);
  return o;
}

std::vector<GoogleCalendar> Calendars(const char* tz) {
  GoogleCalendar c;
  c.TimeZoneId = tz;
  return {c};
}

GoogleEvent Recurring(std::int32_t type) {
  GoogleEvent e;
  e.Start = At(2010, 3, 14, 9, 30);
  e.End = At(2010, 3, 14, 10, 0);
  e.RecurType = type;
  return e;
}

std::string RuleOf(const GoogleEvent& e) {
  std::string_view t = e.RecurrenceText.view();
  auto at = t.find("RRULE:");
  if (at == std::string_view::npos) return "";
  auto end = t.find("\r\n", at);
  return std::string(t.substr(at + 6, end == std::string_view::npos ? end : end - at - 6));
}

TEST(RecurrenceText, RulesByType) {
  struct Case {
    std::int32_t type, interval, mask, dayOfMonth, month, instance;
    OleDate end;
    std::string rule;
  } cases[] = {
      {kRecurDaily, 0, 0, 0, 0, 0, {}, "FREQ=DAILY"},
      {kRecurWeekly,
       2,
       kMaskMonday | kMaskWednesday,
       0,
       0,
       0,
       {},
       "FREQ=WEEKLY;INTERVAL=2;BYDAY=MO,WE"},
      {kRecurMonthlyNth,
       1,
       kMaskTuesday,
       0,
       0,
       2,
       {},
       "FREQ=MONTHLY;INTERVAL=1;BYWEEKNO=2;BYDAY=TU"},
      {kRecurMonthly, 0, 0, 31, 0, 0, {}, "FREQ=MONTHLY;BYMONTHDAY=31"},
      {kRecurYearlyNth, 0, kMaskSunday, 0, 3, 1, {}, "FREQ=YEARLY"},
      {kRecurYearly, 0, 0, 14, 3, 0, {}, "FREQ=YEARLY;BYMONTH=3;BYMONTHDAY=14"},
      {kRecurYearly, 1, 0, 14, 3, 0, {}, "FREQ=YEARLY;INTERVAL=1;BYMONTH=3;BYMONTHDAY=14"},
      {kRecurDaily, 0, 0, 0, 0, 0, At(2010, 6, 1, 8), "FREQ=DAILY;UNTIL=20100601T080000Z"},
      {kRecurDaily, 0, 0, 0, 0, 0, At(2025, 6, 1), "FREQ=DAILY"},
      {kRecurDaily, 0, 0, 0, 0, 0, At(2001, 12, 31), "FREQ=DAILY"},
      {kRecurWeekly, 0, 127, 0, 0, 0, {}, "FREQ=WEEKLY;BYDAY=SU,MO,TU,WE,TH,FR,SA"},
      {9, 1, 0, 0, 0, 0, {}, ""},
  };
  for (const Case& c : cases) {
    GoogleEvent e = Recurring(c.type);
    e.Interval = c.interval;
    e.DayOfWeekMask = c.mask;
    e.DayOfMonth = c.dayOfMonth;
    e.MonthOfYear = c.month;
    e.Instance = c.instance;
    e.PatternEnd = c.end;
    GRecurrenceZone zone;
    BuildRecurrenceText(e, Calendars("Europe/Berlin"), "", zone);
    EXPECT_EQ(RuleOf(e), c.rule) << c.type;
  }
}

TEST(RecurrenceText, WholeTextWithZone) {
  GoogleEvent e = Recurring(kRecurDaily);
  GRecurrenceZone zone;
  BuildRecurrenceText(e, Calendars("america/new_york"), "", zone);
  std::string t(e.RecurrenceText.view());
  EXPECT_EQ(t.substr(0, 98),
            "DTSTART;TZID=america/new_york:20100314T093000\r\nDTEND;TZID=america/"
            "new_york:20100314T100000\r\nRRULE:");
  EXPECT_NE(t.find("\r\nBEGIN:VTIMEZONE\r\nTZID:America/New_York"), std::string::npos);
  EXPECT_TRUE(zone.chosen);
  // The zone is chosen once: a later calendar list does not change it.
  GoogleEvent other = Recurring(kRecurDaily);
  BuildRecurrenceText(other, Calendars("Asia/Tokyo"), "", zone);
  EXPECT_NE(std::string(other.RecurrenceText.view()).find("America/New_York"), std::string::npos);
}

TEST(RecurrenceText, KeptOrNotBuilt) {
  GRecurrenceZone zone;
  GoogleEvent loaded = Recurring(kRecurDaily);
  loaded.CalendarRef = "https://calendar/ann";
  loaded.RecurrenceText = "RRULE:FREQ=DAILY;COUNT=3";
  BuildRecurrenceText(loaded, Calendars("UTC"), "", zone);
  EXPECT_EQ(loaded.RecurrenceText, "RRULE:FREQ=DAILY;COUNT=3");
  GoogleEvent fresh = Recurring(kRecurDaily);
  BuildRecurrenceText(fresh, {}, "", zone);
  EXPECT_TRUE(fresh.RecurrenceText.empty());  // no calendar definition: nothing
  GoogleEvent single = Recurring(kRecurNone);
  single.RecurrenceText = "kept";
  BuildRecurrenceText(single, Calendars("UTC"), "", zone);
  EXPECT_EQ(single.RecurrenceText, "kept");
}

TEST(RecurrenceText, ParseTable) {
  struct Case {
    const char* text;
    std::int32_t type, interval, mask, dayOfMonth, month, instance;
  } cases[] = {
      {"", kRecurNone, 0, 0, 0, 0, 0},
      {"DTSTART:20100314T093000", kRecurNone, 0, 0, 0, 0, 0},
      {"RRULE:FREQ=WEEKLY;INTERVAL=2;BYDAY=MO,WE", kRecurWeekly, 2, 10, 0, 0, 0},
      {"RRULE:FREQ=DAILY;INTERVAL=3", kRecurDaily, 3, 0, 0, 0, 0},
      {"RRULE:FREQ=MONTHLY;BYMONTHDAY=31", kRecurMonthly, 0, 0, 31, 0, 0},
      {"RRULE:FREQ=MONTHLY;BYWEEKNO=2;BYDAY=TU", kRecurMonthlyNth, 0, 4, 0, 0, 2},
      {"RRULE:FREQ=MONTHLY;INTERVAL=1", 7, 1, 0, 0, 0, 0},  // type left as read
      {"RRULE:FREQ=YEARLY;BYMONTH=3;BYMONTHDAY=14", kRecurYearly, 0, 0, 14, 3, 0},
      {"RRULE:FREQ=YEARLY;INTERVAL=1", kRecurYearlyNth, 1, 0, 0, 0, 0},
      // The key is found in the appended zone's daylight rule.
      {"RRULE:FREQ=YEARLY;INTERVAL=1\r\nBEGIN:VTIMEZONE\r\nRRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=2SU",
       kRecurYearly, 1, 0, 0, 3, 0},
      {"RRULE:FREQ=DAILY", 7, 0, 0, 0, 0, 0},  // no ';' after the frequency: left as read
      {"RRULE:FREQ=HOURLY;INTERVAL=2", 7, 0, 0, 0, 0, 0},
      {"RRULE:FREQ=DAILY;INTERVAL=1234567890", kRecurDaily, 0, 0, 0, 0, 0},  // ten digits: ignored
      {"RRULE:FREQ=WEEKLY;BYDAY=MO,XX,FR;UNTIL=x", kRecurWeekly, 0, 34, 0, 0, 0},
      {"RRULE:FREQ=WEEKLY;BYDAY=", kRecurWeekly, 0, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    GoogleEvent e;
    e.RecurType = 7;  // a value to see "left as read"
    e.RecurrenceText = c.text;
    ParseRecurrenceText(e);
    EXPECT_EQ(e.RecurType, c.type) << c.text;
    EXPECT_EQ(e.Interval, c.interval) << c.text;
    EXPECT_EQ(e.DayOfWeekMask, c.mask) << c.text;
    EXPECT_EQ(e.DayOfMonth, c.dayOfMonth) << c.text;
    EXPECT_EQ(e.MonthOfYear, c.month) << c.text;
    EXPECT_EQ(e.Instance, c.instance) << c.text;
  }
}

TEST(RecurrenceText, ParseDates) {
  GoogleEvent e;
  e.Start = At(2001, 1, 1);
  e.End = At(2001, 1, 1);
  e.RecurrenceText = "DTSTART;TZID=Europe/Berlin:20100314T093000\r\nDTEND;VALUE=DATE:20100315\r\n";
  ParseRecurrenceText(e);
  EXPECT_EQ(e.Start, At(2010, 3, 14, 9, 30));
  EXPECT_EQ(e.End, At(2001, 1, 1));              // only a date: left as read
  e.RecurrenceText = "DTSTART:20101314T000000";  // month 13: no date
  ParseRecurrenceText(e);
  EXPECT_EQ(e.Start, At(2010, 3, 14, 9, 30));
  e.RecurrenceText = "DTSTART:20100401T";
  ParseRecurrenceText(e);
  EXPECT_EQ(e.Start, At(2010, 4, 1));
}

TEST(RecurrenceText, BuildThenParseGivesThePatternBack) {
  for (std::int32_t type :
       {kRecurDaily, kRecurWeekly, kRecurMonthlyNth, kRecurMonthly, kRecurYearly}) {
    GoogleEvent e = Recurring(type);
    e.Interval = 2;
    e.DayOfWeekMask = kMaskFriday;
    e.Instance = type == kRecurMonthlyNth ? 3 : 0;
    e.DayOfMonth = type == kRecurMonthly || type == kRecurYearly ? 9 : 0;
    e.MonthOfYear = type == kRecurYearly ? 11 : 0;
    if (type != kRecurWeekly && type != kRecurMonthlyNth) e.DayOfWeekMask = 0;
    GRecurrenceZone zone;
    BuildRecurrenceText(e, Calendars("Asia/Tokyo"), "", zone);
    GoogleEvent back;
    back.RecurrenceText = e.RecurrenceText;
    ParseRecurrenceText(back);
    EXPECT_EQ(back.RecurType, e.RecurType);
    EXPECT_EQ(back.Interval, e.Interval);
    EXPECT_EQ(back.DayOfWeekMask, e.DayOfWeekMask);
    EXPECT_EQ(back.DayOfMonth, e.DayOfMonth);
    EXPECT_EQ(back.MonthOfYear, e.MonthOfYear);
    EXPECT_EQ(back.Instance, e.Instance);
    EXPECT_EQ(back.Start, e.Start);
    EXPECT_EQ(back.End, e.End);
  }
}

TEST(GoogleEventConvert, RoundTripThroughCommon) {
  GoogleEvent g = Recurring(kRecurWeekly);
  g.Title = "Review";
  g.Where = "Room 1";
  g.Visibility = 2;
  g.EventStatus = 7;
  g.ReminderCount = 5;
  g.ReminderMethod = {1, 0, 1};
  g.ReminderAmount = {10, 2, 1};
  g.ReminderUnit = {0, 1, 9};
  g.Interval = 1;
  g.DayOfWeekMask = kMaskMonday;
  g.PatternEnd = At(2012, 1, 1);
  g.HasEnd = 5;
  g.Description = "agenda";
  g.Category = "Work";
  CommonEvent c;
  GoogleToCommon(g, c);
  EXPECT_EQ(c.Subject, "Review");
  EXPECT_EQ(c.Start.wHour, 9);
  EXPECT_EQ(c.Visibility, 2u);
  EXPECT_EQ(c.EventStatus, 0u);
  EXPECT_EQ(c.ReminderCount, 3u);
  EXPECT_EQ(c.Reminders[1].Method, 2);
  EXPECT_EQ(c.Reminders[1].Unit, kUnitHours);
  EXPECT_EQ(c.Reminders[2].Unit, kUnitMinutes);  // unknown unit
  EXPECT_EQ(c.Recurrence.HasEnd, 1);
  EXPECT_EQ(c.Recurrence.PatternEnd.wYear, 2012);
  GoogleEvent back;
  CommonToGoogle(c, back);
  EXPECT_EQ(back.Start, g.Start);
  EXPECT_EQ(back.End, g.End);
  EXPECT_EQ(back.PatternEnd, g.PatternEnd);
  EXPECT_EQ(back.ReminderMethod, (std::array<std::int32_t, 3>{1, 0, 1}));
  EXPECT_EQ(back.ReminderUnit, (std::array<std::int32_t, 3>{0, 1, 0}));
  EXPECT_EQ(back.DayOfWeekMask, kMaskMonday);
  EXPECT_EQ(back.Title, "Review");
  EXPECT_EQ(back.Category, "Work");
}

TEST(GoogleEventFile, RoundTripAndTruncation) {
  TempDir dir;
  GoogleEvent g = Recurring(kRecurDaily);
  g.EventKey = "k1";
  g.RecurrenceText = "RRULE:FREQ=DAILY";
  g.FurtherTimes = {OleDate(1.5), OleDate(2.5)};
  CxFile f;
  ASSERT_TRUE(f.Open(dir.file("e"), "wb"));
  ASSERT_TRUE(WriteGoogleEvent(f, g));
  f.Close();
  std::string bytes = ReadFile(dir.file("e"));
  ASSERT_TRUE(f.Open(dir.file("e"), "rb"));
  GoogleEvent back;
  ASSERT_TRUE(ReadGoogleEvent(f, back));
  f.Close();
  EXPECT_EQ(back.FurtherTimes[1], OleDate(2.5));
  EXPECT_EQ(back.RecurrenceText, "RRULE:FREQ=DAILY");
  for (std::size_t n = 0; n < bytes.size(); n += 5) {
    WriteFile(dir.file("t"), bytes.substr(0, n));
    ASSERT_TRUE(f.Open(dir.file("t"), "rb"));
    EXPECT_FALSE(ReadGoogleEvent(f, back)) << n;
    f.Close();
  }
}

TEST(GoogleTaskNote, Conversions) {
  GoogleTask t;
  t.Title = "Call";
  t.Priority = 3;
  t.Completed = 9;
  t.DueDate = At(2012, 5, 1, 12);
  CommonTask ct;
  GoogleToCommon(t, ct);
  EXPECT_EQ(ct.Subject, "Call");
  EXPECT_EQ(ct.Importance, 3);
  EXPECT_EQ(ct.Complete, 1);
  EXPECT_EQ(ct.DueDate, 1335873600);  // TZ=UTC in the tests
  GoogleNote n;
  n.Title = std::string(255, 't');
  n.Body = "body";
  CommonNote cn;
  GoogleToCommon(n, cn);
  EXPECT_EQ(cn.Title.size(), 254u);
  EXPECT_EQ(cn.Body, "body");
}

}  // namespace

namespace {

ExceptionDayList DaysOf(std::vector<EventDay> days) {
  ExceptionDayList list;
  list.Assign(std::move(days));
  return list;
}

TEST(ExceptionDates, TravelInTheRecurrenceTextAndComeBack) {
  CommonEvent c;
  GoogleToCommon(Recurring(kRecurWeekly), c);
  c.ExceptionDates = DaysOf({{2010, 3, 28}, {2010, 3, 21}});
  GoogleEvent g;
  CommonToGoogle(c, g);
  GRecurrenceZone zone;
  BuildRecurrenceText(g, Calendars("Europe/Berlin"), "", zone);
  SetExceptionDates(g, c.ExceptionDates);
  std::string t(g.RecurrenceText.view());
  // Same zone and time of day as DTSTART, before the rule so the rule's reader never sees it.
  EXPECT_NE(t.find("\r\nEXDATE;TZID=Europe/Berlin:20100321T093000,20100328T093000\r\nRRULE:"),
            std::string::npos)
      << t;
  GoogleEvent loaded = g;
  loaded.RecurType = kRecurNone;
  loaded.DayOfWeekMask = 0;
  ParseRecurrenceText(loaded);
  EXPECT_EQ(loaded.RecurType, kRecurWeekly);
  EXPECT_EQ(loaded.DayOfWeekMask, g.DayOfWeekMask);
  CommonEvent back;
  GoogleToCommon(loaded, back);
  EXPECT_EQ(back.ExceptionDates, c.ExceptionDates);

  // An update keeps the loaded text but says the source's days, once.
  loaded.CalendarRef = "https://calendar/ann";
  c.ExceptionDates = DaysOf({{2010, 4, 4}});
  CommonToGoogle(c, loaded);
  BuildRecurrenceText(loaded, Calendars("UTC"), "", zone);
  SetExceptionDates(loaded, c.ExceptionDates);
  EXPECT_EQ(ExceptionDatesOf(loaded.RecurrenceText.view()), c.ExceptionDates);
  t = loaded.RecurrenceText.view();
  EXPECT_EQ(t.find("EXDATE"), t.rfind("EXDATE")) << t;
  SetExceptionDates(loaded, {});
  EXPECT_EQ(std::string(loaded.RecurrenceText.view()).find("EXDATE"), std::string::npos);

  // A text of someone else's with several lines and values, and one that does not recur.
  EXPECT_EQ(ExceptionDatesOf("DTSTART;VALUE=DATE:20100314\r\nRRULE:FREQ=DAILY\r\n"
                             "EXDATE;VALUE=DATE:20100316,20100315\nEXDATE:20100317T093000Z,bad"),
            DaysOf({{2010, 3, 15}, {2010, 3, 16}, {2010, 3, 17}}));
  GoogleEvent single;
  single.RecurrenceText = "DTSTART:20100314T093000";
  SetExceptionDates(single, c.ExceptionDates);
  EXPECT_EQ(single.RecurrenceText, "DTSTART:20100314T093000");
}

}  // namespace
