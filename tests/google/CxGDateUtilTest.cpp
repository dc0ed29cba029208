#include <gtest/gtest.h>

#include "GoogleDataFiles.h"
#include "HelperTestUtil.h"
#include "google/CxGDateUtil.h"
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

// A weekly event of another calendar, with the text the account gave it.
GoogleEvent Standup() {
  GoogleEvent e;
  e.RecordTag = 5;
  e.EventKey = "evt-1";
  e.Title = "Standup";
  e.Where = "Room 1";
  e.Start = At(2024, 1, 1, 8, 0);  // replaced by the text's DTSTART on load
  e.End = At(2024, 1, 1, 8, 15);
  e.CalendarRef = "team@group.example";
  e.RecurrenceText =
      "DTSTART;TZID=Europe/Paris:20240101T090000\r\nDTEND;TZID=Europe/Paris:20240101T091500\r\n"
      "RRULE:FREQ=WEEKLY;INTERVAL=2;BYDAY=MO,WE";
  return e;
}

GoogleEvent Lunch() {
  GoogleEvent e;
  e.RecordTag = 6;
  e.Title = "Lunch";
  e.Start = At(2024, 2, 2, 12, 0);
  e.End = At(2024, 2, 2, 13, 0);
  e.ReminderCount = 1;
  e.ReminderMethod[0] = 1;
  e.ReminderAmount[0] = 10;
  return e;
}

GoogleCalendar Calendar(const char* name, const char* zone) {
  GoogleCalendar c;
  c.Text1 = name;
  c.Text2 = "https://calendar.example/" + std::string(name);
  c.Text3 = "owner";
  c.TimeZoneId = zone;
  return c;
}

std::string EventsFile(const std::vector<GoogleEvent>& events) {
  return DataFileBytes(events,
                       [](CxFile& f, const GoogleEvent& e) { return WriteGoogleEvent(f, e); });
}
std::string CalendarsFile(const std::vector<GoogleCalendar>& cals) {
  return DataFileBytes(
      cals, [](CxFile& f, const GoogleCalendar& c) { return WriteGoogleCalendar(f, c); });
}

// The stand-in helper writes only the events file; the calendars it would write come from a
// file the test prepares.
class TestDateUtil : public CxGDateUtil {
 public:
  explicit TestDateUtil(const HelperSandbox& box) : box_(box) {
    SetFolder(box.folder());
    Runner().SetHelperFolder(box.helperFolder());
  }
  bool ReadCalendarsFile(std::string_view path) override {
    if (path.empty() && std::filesystem::exists(box_.file("cal.src")))
      std::filesystem::copy_file(box_.file("cal.src"), box_.file("GCal.dat"),
                                 std::filesystem::copy_options::overwrite_existing);
    return CxGDateUtil::ReadCalendarsFile(path);
  }

 private:
  const HelperSandbox& box_;
};

CommonEvent YearlyOnMarch14() {
  CommonEvent e;
  e.Subject = "Birthday";
  e.Start = {2024, 3, 0, 14, 10, 0, 0, 0};
  e.End = {2024, 3, 0, 14, 11, 0, 0, 0};
  e.Recurrence.RecurType = kRecurYearly;
  e.Recurrence.MonthOfYear = 3;
  e.Recurrence.DayOfMonth = 14;
  e.Recurrence.PatternEnd = {2010, 5, 0, 1, 0, 0, 0, 0};
  return e;
}

TEST(CxGDateUtil, LoadUpdateAddSubmitAndTheCalendarFile) {
  HelperSandbox box("GDateUtil");
  std::string calendars =
      CalendarsFile({Calendar("primary", "America/New_York"), Calendar("team", "Europe/Paris")});
  WriteFile(box.file("cal.src"), calendars);
  WriteFile(box.file("load.dat"), EventsFile({Standup(), Lunch()}));
  box.Switches("DataFrom=load.dat\nSaveSubmitted=sent.dat\nSaveParams=params.copy\n");
  TestDateUtil u(box);
  ASSERT_TRUE(u.Load());

  // 1006-1008 stand between the extra text and the error file.
  std::string params = ReadFile(box.file("params.copy"));
  auto extra = params.find(TextParam(1004, ""));
  auto own = params.find(TextParam(1006, "") + TextParam(1007, "") + TextParam(1008, "GCal.dat"));
  auto error = params.find(TextParam(1009, "GDateErr.dat"));
  ASSERT_NE(own, std::string::npos);
  EXPECT_LT(extra, own);
  EXPECT_LT(own, error);

  ASSERT_EQ(u.Records().Count(), 2u);
  const CommonEvent* standup = u.Records().Peek(0);
  EXPECT_EQ(standup->Recurrence.RecurType, kRecurWeekly);
  EXPECT_EQ(standup->Recurrence.Interval, 2);
  EXPECT_EQ(standup->Recurrence.DayOfWeekMask, 10);
  EXPECT_EQ(standup->Start.wHour, 9);  // from the text
  EXPECT_EQ(standup->NativeRecord.As<GoogleEvent>(), u.NativeAt(0));
  EXPECT_EQ(u.NativeAt(0)->ChangeState, 1);
  EXPECT_EQ(u.Records().Peek(1)->Reminders[0].Method, 1u);

  const GoogleCalendar* c = u.FirstCalendar();
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->TimeZoneId, "America/New_York");
  ASSERT_NE(c = u.NextCalendar(), nullptr);
  EXPECT_EQ(c->Text1, "team");
  EXPECT_EQ(u.NextCalendar(), nullptr);

  CommonEvent moved = *standup;
  moved.NativeRecord.reset();
  moved.Location = "Room 2";
  std::string loadedText(u.NativeAt(0)->RecurrenceText.view());
  EXPECT_TRUE(u.AddOrUpdate(&moved, false));
  CommonEvent fresh = YearlyOnMarch14();
  EXPECT_TRUE(u.AddOrUpdate(&fresh, false));
  EXPECT_FALSE(u.AddOrUpdate(&fresh, false));
  ASSERT_TRUE(u.Submit());

  auto sent = DataFileRecords<GoogleEvent>(box.file("sent.dat"), ReadGoogleEvent);
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[0].ChangeState, 2);
  EXPECT_EQ(sent[0].Action, 2);
  EXPECT_EQ(sent[0].Where, "Room 2");
  EXPECT_EQ(sent[0].EventKey, "evt-1");
  EXPECT_EQ(sent[0].RecurrenceText, loadedText);  // loaded events keep their text
  EXPECT_EQ(sent[1].ChangeState, 1);
  EXPECT_EQ(sent[1].Action, 0);
  EXPECT_EQ(sent[2].ChangeState, 2);
  EXPECT_EQ(sent[2].Action, 1);
  std::string text(sent[2].RecurrenceText.view());
  EXPECT_EQ(text.rfind("DTSTART;TZID=America/New_York:20240314T100000\r\n"
                       "DTEND;TZID=America/New_York:20240314T110000\r\n"
                       "RRULE:FREQ=YEARLY;BYMONTH=3;BYMONTHDAY=14;UNTIL=20100501T000000Z\r\n"
                       "BEGIN:VTIMEZONE\r\nTZID:America/New_York",
                       0),
            0u)
      << text;
  EXPECT_EQ(u.RecurrenceZone().id, "America/New_York");
  EXPECT_EQ(ReadFile(box.file("sent.dat")), EventsFile(sent));
  // The calendar list goes back as it came.
  EXPECT_EQ(ReadFile(box.file("GCal.dat")), calendars);

  u.Unload();
  EXPECT_FALSE(std::filesystem::exists(box.file("GCal.dat")));
  EXPECT_EQ(u.Records().Count(), 0u);
  EXPECT_EQ(u.FirstCalendar(), nullptr);
}

TEST(CxGDateUtil, WithoutACalendarANewRecurringEventGetsNoText) {
  HelperSandbox box("GDateUtil");
  TestDateUtil u(box);
  CommonEvent e = YearlyOnMarch14();
  ASSERT_NE(u.AddRecord(e, false), nullptr);
  EXPECT_EQ(u.NativeAt(0)->RecurType, kRecurYearly);
  EXPECT_TRUE(u.NativeAt(0)->RecurrenceText.empty());
  EXPECT_EQ(u.NativeAt(0)->ChangeState, 2);
  EXPECT_EQ(u.NativeAt(0)->Action, 1);
}

TEST(CxGDateUtil, DestructorDeletesTheCalendarFile) {
  HelperSandbox box("GDateUtil");
  WriteFile(box.file("GCal.dat"), CalendarsFile({Calendar("a", "UTC")}));
  {
    TestDateUtil u(box);
    ASSERT_TRUE(u.ReadCalendarsFile(""));
    EXPECT_EQ(u.CalendarCount(), 1u);
    // Written to another name and read back: the same bytes.
    ASSERT_TRUE(u.WriteCalendarsFile("copy.dat"));
    EXPECT_EQ(ReadFile(box.file("copy.dat")), ReadFile(box.file("GCal.dat")));
  }
  EXPECT_FALSE(std::filesystem::exists(box.file("GCal.dat")));
  EXPECT_TRUE(std::filesystem::exists(box.file("copy.dat")));
}

}  // namespace
