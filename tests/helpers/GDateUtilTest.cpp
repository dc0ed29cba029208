#include <gtest/gtest.h>

#include <ctime>

#include "HelpersTestUtil.h"
#include "ICalCard.h"
#include "google/GoogleEvent.h"
#include "google/GoogleTaskNote.h"
#include "misc/CommonEvent.h"
#include "misc/CxDateTime.h"

namespace {

OleDate At(int y, int m, int d, int h = 0, int mi = 0) {
  SYSTEMTIME st;
  st.wYear = static_cast<std::uint16_t>(y);
  st.wMonth = static_cast<std::uint16_t>(m);
  st.wDay = static_cast<std::uint16_t>(d);
  st.wHour = static_cast<std::uint16_t>(h);
  st.wMinute = static_cast<std::uint16_t>(mi);
  OleDate out;
  CxDateTime::SystemTimeToOleDate(st, out);
  return out;
}

// The machine's zone for these tests, for this process and the helpers it starts.
class ZoneFixture : public HelperProcessTest {
 protected:
  void SetUp() override {
    HelperProcessTest::SetUp();
    tz_ = std::make_unique<ScopedEnv>("TZ", "America/New_York");
    ::tzset();
  }
  void TearDown() override {
    tz_.reset();
    ::tzset();
  }

 private:
  std::unique_ptr<ScopedEnv> tz_;
};

struct PatternCase {
  const char* name;
  std::int32_t type, interval, mask, dayOfMonth, monthOfYear, instance;
  bool hasEnd;
  std::vector<std::string> ruleParts;  // each must appear in the RRULE line
};

GoogleEvent Recurring(const PatternCase& p) {
  GoogleEvent e;
  e.ChangeState = 2;
  e.Action = 1;
  e.Title = std::string("Event ") + p.name;
  e.Where = "Room 1, floor 2";
  e.Start = At(2026, 3, 10, 9, 30);
  e.End = At(2026, 3, 10, 10, 45);
  e.Visibility = 2;
  e.EventStatus = 1;
  e.ReminderCount = 2;
  e.ReminderMethod = {1, 0, 0};
  e.ReminderAmount = {15, 2, 0};
  e.ReminderUnit = {0, 2, 0};
  e.Description = "Agenda:\n1. things; 2. more, things";
  e.Category = "Work";
  e.RecurType = p.type;
  e.Interval = p.interval;
  e.DayOfWeekMask = p.mask;
  e.DayOfMonth = p.dayOfMonth;
  e.MonthOfYear = p.monthOfYear;
  e.Instance = p.instance;
  e.HasEnd = p.hasEnd ? 1 : 0;
  e.PatternStart = At(2026, 3, 10);
  if (p.hasEnd) e.PatternEnd = At(2030, 6, 30);
  return e;
}

class GDateUtilTest : public ZoneFixture, public ::testing::WithParamInterface<PatternCase> {};

const PatternCase kCases[] = {
    {"daily",
     kRecurDaily,
     2,
     0,
     0,
     0,
     0,
     true,
     {"FREQ=DAILY", "INTERVAL=2", "UNTIL=20300630T133000Z"}},
    {"weekly",
     kRecurWeekly,
     2,
     kMaskMonday | kMaskWednesday,
     0,
     0,
     0,
     false,
     {"FREQ=WEEKLY", "INTERVAL=2", "BYDAY=MO,WE"}},
    {"monthly_nth",
     kRecurMonthlyNth,
     1,
     kMaskTuesday,
     0,
     0,
     2,
     true,
     {"FREQ=MONTHLY", "BYDAY=2TU", "UNTIL="}},
    {"monthly_last", kRecurMonthlyNth, 1, kMaskFriday, 0, 0, 5, false, {"BYDAY=-1FR"}},
    {"monthly_nth_weekday",
     kRecurMonthlyNth,
     1,
     62,
     0,
     0,
     3,
     false,
     {"BYDAY=MO,TU,WE,TH,FR", "BYSETPOS=3"}},
    {"monthly",
     kRecurMonthly,
     3,
     0,
     15,
     0,
     0,
     false,
     {"FREQ=MONTHLY", "INTERVAL=3", "BYMONTHDAY=15"}},
    {"yearly_nth",
     kRecurYearlyNth,
     1,
     kMaskSunday,
     0,
     3,
     1,
     true,
     {"FREQ=YEARLY", "BYMONTH=3", "BYDAY=1SU"}},
    {"yearly", kRecurYearly, 1, 0, 14, 3, 0, false, {"FREQ=YEARLY", "BYMONTH=3", "BYMONTHDAY=14"}},
};

TEST_P(GDateUtilTest, GoesOutAsRfc5545AndComesBackAsThePattern) {
  const PatternCase& p = GetParam();
  GoogleEvent sent = Recurring(p);
  // The connector's text, with two deleted occurrences (Tuesdays, as the start).
  GoogleCalendar cal;
  cal.TimeZoneId = "America/New_York";
  GRecurrenceZone rz;
  BuildRecurrenceText(sent, {cal}, "", rz);
  ExceptionDayList deleted;
  deleted.Assign({{2026, 4, 14}, {2026, 3, 17}});
  SetExceptionDates(sent, deleted);
  WriteData("GDate", std::vector<GoogleEvent>{sent}, WriteGoogleEvent);
  Run("GDateUtil", "GDate", 2);
  ASSERT_EQ(LastError("GDate"), "");

  std::vector<std::string> files = FilesIn(AccountFolder("calendar"));
  ASSERT_EQ(files.size(), 1u);
  std::string ics = ReadFile(AccountFolder("calendar") + files[0]);
  EXPECT_NE(ics.find("DTSTART;TZID=America/New_York:20260310T093000"), std::string::npos) << ics;
  EXPECT_NE(ics.find("BEGIN:VTIMEZONE"), std::string::npos);
  EXPECT_NE(ics.find("TZID:America/New_York"), std::string::npos);
  std::size_t rrule = ics.find("RRULE:", ics.find("BEGIN:VEVENT"));
  ASSERT_NE(rrule, std::string::npos) << ics;
  std::string line = ics.substr(rrule, ics.find("\r\n", rrule) - rrule);
  for (const std::string& part : p.ruleParts) EXPECT_NE(line.find(part), std::string::npos) << line;
  // The connector's own dialect never reaches the account.
  EXPECT_EQ(line.find("BYWEEKNO"), std::string::npos) << line;
  if (p.hasEnd) {
    EXPECT_NE(line.find("Z"), std::string::npos) << line;
  }
  EXPECT_NE(ics.find("CLASS:PRIVATE"), std::string::npos);
  EXPECT_NE(ics.find("STATUS:TENTATIVE"), std::string::npos);
  EXPECT_NE(ics.find("TRIGGER:-PT15M"), std::string::npos);
  EXPECT_NE(ics.find("TRIGGER:-P2D"), std::string::npos);
  EXPECT_NE(ics.find("\r\nEXDATE;TZID=America/New_York:20260317T093000\r\n"), std::string::npos)
      << ics;
  EXPECT_NE(ics.find("\r\nEXDATE;TZID=America/New_York:20260414T093000\r\n"), std::string::npos);

  Run("GDateUtil", "GDate", 1);
  std::vector<GoogleEvent> loaded;
  ASSERT_TRUE(ReadData("GDate", loaded, ReadGoogleEvent));
  ASSERT_EQ(loaded.size(), 1u);
  GoogleEvent back = loaded[0];
  // The connector reads its text over the fields the helper wrote.
  ParseRecurrenceText(back);
  EXPECT_EQ(back.RecurType, sent.RecurType);
  EXPECT_EQ(back.Interval, sent.Interval);
  EXPECT_EQ(back.DayOfWeekMask, sent.DayOfWeekMask);
  EXPECT_EQ(back.DayOfMonth, sent.DayOfMonth);
  EXPECT_EQ(back.MonthOfYear, sent.MonthOfYear);
  EXPECT_EQ(back.Instance, sent.Instance);
  EXPECT_EQ(back.HasEnd, sent.HasEnd);
  EXPECT_EQ(back.PatternEnd, sent.PatternEnd);
  EXPECT_EQ(back.PatternStart, sent.PatternStart);
  EXPECT_EQ(ExceptionDatesOf(back.RecurrenceText.view()), deleted);
  EXPECT_EQ(back.Start, sent.Start);
  EXPECT_EQ(back.End, sent.End);
  EXPECT_EQ(back.Title, sent.Title);
  EXPECT_EQ(back.Where, sent.Where);
  EXPECT_EQ(back.Description, sent.Description);
  EXPECT_EQ(back.Category, sent.Category);
  EXPECT_EQ(back.Visibility, 2);
  EXPECT_EQ(back.EventStatus, 1);
  EXPECT_EQ(back.ReminderCount, 2);
  EXPECT_EQ(back.ReminderMethod, sent.ReminderMethod);
  EXPECT_EQ(back.ReminderAmount, sent.ReminderAmount);
  EXPECT_EQ(back.ReminderUnit, sent.ReminderUnit);
  EXPECT_NE(back.EventLink.view().find("file=" + files[0]), std::string::npos);

  std::vector<GoogleCalendar> cals;
  ASSERT_TRUE(ReadData("GCal", cals, ReadGoogleCalendar));
  ASSERT_EQ(cals.size(), 1u);
  EXPECT_EQ(cals[0].TimeZoneId, "America/New_York");
}

INSTANTIATE_TEST_SUITE_P(Patterns, GDateUtilTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<PatternCase>& c) {
                           return std::string(c.param.name);
                         });

TEST_F(ZoneFixture, RecurrenceTextAloneIsTranslated) {
  // A record carrying only the connector's text form: BYWEEKNO for the instance.
  GoogleEvent e;
  e.Start = At(2026, 3, 10, 9, 30);
  e.End = At(2026, 3, 10, 10, 0);
  e.RecurrenceText =
      "DTSTART;TZID=America/New_York:20260310T093000\r\n"
      "DTEND;TZID=America/New_York:20260310T100000\r\n"
      "RRULE:FREQ=MONTHLY;INTERVAL=1;BYWEEKNO=2;BYDAY=TU";
  e.Action = 1;
  std::string rule = StandardRule(e, ICalOptions{"America/New_York", {}});
  EXPECT_NE(rule.find("BYDAY=2TU"), std::string::npos) << rule;
  EXPECT_EQ(rule.find("BYWEEKNO"), std::string::npos) << rule;
  // On an update the loaded text is stale: without a pattern the event no longer recurs.
  e.Action = 2;
  EXPECT_EQ(StandardRule(e, ICalOptions{"America/New_York", {}}), "");
}

TEST_F(ZoneFixture, ForeignEventWithCountGetsAnEndDate) {
  GoogleEvent e;
  ICalOptions o{"America/New_York", "ann@example.com"};
  ASSERT_TRUE(
      ReadEventICal("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:x\r\n"
                    "DTSTART:20260105T140000Z\r\nDURATION:PT1H\r\n"
                    "RRULE:FREQ=WEEKLY;COUNT=3;BYDAY=MO\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n",
                    e, o));
  EXPECT_EQ(e.RecurType, kRecurWeekly);
  EXPECT_EQ(e.HasEnd, 1);
  EXPECT_EQ(e.PatternEnd, At(2026, 1, 19));
  EXPECT_EQ(e.Start, At(2026, 1, 5, 9, 0));
  EXPECT_EQ(e.End, At(2026, 1, 5, 10, 0));

  // A server may put a moved occurrence before its series.
  GoogleEvent series;
  ASSERT_TRUE(
      ReadEventICal("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:x\r\nSUMMARY:moved\r\n"
                    "RECURRENCE-ID:20260112T140000Z\r\nDTSTART:20260113T140000Z\r\nEND:VEVENT\r\n"
                    "BEGIN:VEVENT\r\nUID:x\r\nSUMMARY:series\r\nDTSTART:20260105T140000Z\r\n"
                    "RRULE:FREQ=WEEKLY;COUNT=3\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n",
                    series, o));
  EXPECT_EQ(series.Title, "series");
  EXPECT_EQ(series.RecurType, kRecurWeekly);
}

TEST_F(ZoneFixture, DeletedOccurrencesOfAllDayAndForeignEvents) {
  GoogleEvent day;
  day.AllDay = 1;
  day.Start = At(2026, 5, 4);
  day.End = At(2026, 5, 5);
  day.RecurType = kRecurYearly;
  day.RecurrenceText = "DTSTART:20260504T000000\r\nRRULE:FREQ=YEARLY";
  ExceptionDayList deleted;
  deleted.Assign({{2027, 5, 4}});
  SetExceptionDates(day, deleted);
  ICalOptions o{"America/New_York", {}};
  std::string ics = WriteEventICal(day, "u", o);
  EXPECT_NE(ics.find("\r\nEXDATE;VALUE=DATE:20270504\r\n"), std::string::npos) << ics;
  GoogleEvent back;
  ASSERT_TRUE(ReadEventICal(ics, back, o));
  EXPECT_EQ(ExceptionDatesOf(back.RecurrenceText.view()), deleted);

  // Another program's form: several values in UTC on one line; each is a local day here.
  GoogleEvent foreign;
  ASSERT_TRUE(
      ReadEventICal("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:x\r\n"
                    "DTSTART:20260105T030000Z\r\nRRULE:FREQ=WEEKLY\r\n"
                    "EXDATE:20260113T030000Z,20260120T030000Z\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n",
                    foreign, o));
  ExceptionDayList want;
  want.Assign({{2026, 1, 12}, {2026, 1, 19}});
  EXPECT_EQ(ExceptionDatesOf(foreign.RecurrenceText.view()), want) << foreign.RecurrenceText;
}

TEST(ICalReaderTest, MalformedInputNeverBreaksTheReader) {
  const std::string hostile[] = {
      "",
      "BEGIN:VCALENDAR",
      "BEGIN:VEVENT\r\nDTSTART:garbage\r\nEND:VEVENT",
      "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART;TZID=Nowhere/Land:20260101T000000\r\n"
      "RRULE:FREQ=YEARLY;BYMONTH=13;BYDAY=99XX;COUNT=999999\r\nEND:VEVENT\r\nEND:VCALENDAR",
      "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nDUE:2026\r\nPRIORITY:-5\r\nEND:VTODO\r\nEND:VCALENDAR",
  };
  for (const std::string& h : hostile) {
    for (std::size_t n = 0; n <= h.size(); ++n) {
      GoogleEvent e;
      GoogleTask t;
      GoogleNote note;
      ReadEventICal(h.substr(0, n), e, ICalOptions{"UTC", {}});
      ReadTaskICal(h.substr(0, n), t);
      ReadNoteICal(h.substr(0, n), note);
    }
  }
}

// Texts of many-byte characters filling each field to its width come back unchanged.
TEST_F(ZoneFixture, TextsAtEveryWidthComeBackUnchanged) {
  const std::string pool[] = {"\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "a"};
  std::size_t k = 0;
  auto text = [&](std::size_t bytes) {
    std::string t;
    while (t.size() < bytes) t += pool[k++ % 4];
    return t;
  };
  GoogleEvent e;
  e.ChangeState = 2;
  e.Action = 1;
  e.Start = At(2024, 5, 1, 9);
  e.End = At(2024, 5, 1, 10);
  e.Title = text(e.Title.kMaxBytes + 1);
  e.Where = text(e.Where.kMaxBytes + 2);
  e.Description = text(e.Description.kMaxBytes + 3);
  e.Category = text(e.Category.kMaxBytes);
  WriteData("GDate", std::vector<GoogleEvent>{e}, WriteGoogleEvent);
  Run("GDateUtil", "GDate", 2);
  EXPECT_EQ(LastError("GDate"), "");
  Run("GDateUtil", "GDate", 1);
  std::vector<GoogleEvent> events;
  ASSERT_TRUE(ReadData("GDate", events, ReadGoogleEvent));
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].Title, e.Title);
  EXPECT_EQ(events[0].Where, e.Where);
  EXPECT_EQ(events[0].Description, e.Description);
  EXPECT_EQ(events[0].Category, e.Category);
}

TEST_F(ZoneFixture, TasksAndNotesTravelThroughTheirHelpers) {
  GoogleTask t;
  t.ChangeState = 2;
  t.Action = 1;
  t.Title = "File taxes";
  t.DueDate = At(2026, 4, 15);
  t.Priority = 1;
  t.Completed = 1;
  t.Notes = "Forms, receipts; all of them";
  WriteData("GTask", std::vector<GoogleTask>{t}, WriteGoogleTask);
  Run("GTaskUtil", "GTask", 2);
  Run("GTaskUtil", "GTask", 1);
  std::vector<GoogleTask> tasks;
  ASSERT_TRUE(ReadData("GTask", tasks, ReadGoogleTask));
  ASSERT_EQ(tasks.size(), 1u);
  EXPECT_EQ(tasks[0].Title, t.Title);
  EXPECT_EQ(tasks[0].DueDate, t.DueDate);
  EXPECT_EQ(tasks[0].Priority, 1);
  EXPECT_EQ(tasks[0].Completed, 1);
  EXPECT_EQ(tasks[0].Notes, t.Notes);
  // An update finds its file again through the load's index.
  tasks[0].ChangeState = 2;
  tasks[0].Action = 2;
  tasks[0].Completed = 0;
  WriteData("GTask", tasks, WriteGoogleTask);
  Run("GTaskUtil", "GTask", 2);
  EXPECT_EQ(FilesIn(AccountFolder("tasks")).size(), 1u);
  EXPECT_NE(
      ReadFile(AccountFolder("tasks") + FilesIn(AccountFolder("tasks"))[0]).find("NEEDS-ACTION"),
      std::string::npos);

  GoogleNote n;
  n.ChangeState = 2;
  n.Action = 1;
  n.Title = "Ideas";
  n.Body = std::string("Line 1\nLine 2, with; marks\n") + std::string(200, 'z');
  WriteData("GNote", std::vector<GoogleNote>{n}, WriteGoogleNote);
  Run("GNoteUtil", "GNote", 2);
  Run("GNoteUtil", "GNote", 1);
  std::vector<GoogleNote> notes;
  ASSERT_TRUE(ReadData("GNote", notes, ReadGoogleNote));
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(notes[0].Title, n.Title);
  EXPECT_EQ(notes[0].Body, n.Body);
  EXPECT_NE(
      ReadFile(AccountFolder("notes") + FilesIn(AccountFolder("notes"))[0]).find("BEGIN:VJOURNAL"),
      std::string::npos);
}

}  // namespace
