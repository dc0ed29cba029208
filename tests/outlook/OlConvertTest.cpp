// The Outlook conversions without Outlook: reminders by version class, recurrence both ways, the
// custom field map, task fields, and texts cut at the Outlook fields' widths.
#include <gtest/gtest.h>

#include <string>

#include "misc/CxDateTime.h"
#include "outlook/OlAddrUtil.h"
#include "outlook/OlDateUtil.h"
#include "outlook/OlTaskUtil.h"

namespace {

OleDate At(int y, int mo, int d, int h = 0, int mi = 0) {
  SYSTEMTIME st{};
  st.wYear = static_cast<std::uint16_t>(y);
  st.wMonth = static_cast<std::uint16_t>(mo);
  st.wDay = static_cast<std::uint16_t>(d);
  st.wHour = static_cast<std::uint16_t>(h);
  st.wMinute = static_cast<std::uint16_t>(mi);
  OleDate out;
  EXPECT_TRUE(CxDateTime::SystemTimeToOleDate(st, out));
  return out;
}

TEST(OlVersion, ClassOfVersionText) {
  struct Case {
    const char* text;
    int cls;
  } cases[] = {{"", 0},
               {"x.1", 0},
               {"8.5.1", 1},
               {"9.0.0.2711", 1},
               {"10.0.2627.1", 2},
               {"11.0.5510", 3},
               {"12.0.6425.1000", 4},
               {"13.0", 6},
               {"14.0.4760", 5},
               {"15.0.4420", 6},
               {"16", 6}};
  for (const Case& c : cases) EXPECT_EQ(OlVersionClassOf(c.text), c.cls) << c.text;
}

struct ReminderCase {
  int versionClass;
  std::uint8_t set;
  std::int32_t minutesBefore;  // ReminderMinutesBeforeStart
  double reminderBackMinutes;  // ReminderTime as minutes before the start; <0: none
  std::uint32_t count;
  std::int32_t unit, amount;
};

TEST(OlReminder, LoadByVersionClass) {
  const ReminderCase cases[] = {
      {4, 1, 15, -1, 1, kUnitMinutes, 15},
      {4, 1, 2 * 1440, -1, 1, kUnitDays, 2},
      {4, 1, 90, -1, 1, kUnitHours, 1},  // 90 minutes arrive as one hour
      {4, 1, 1439, -1, 1, kUnitHours, 23},
      {4, 0, 15, -1, 0, 0, 0},  // newer classes read the minutes only when set
      {6, 1, 0, -1, 0, 0, 0},
      {5, 1, 60, 30, 1, kUnitHours, 1},    // ReminderTime is not read above class 3
      {3, 1, 0, 30, 1, kUnitMinutes, 30},  // 29.99999999 minutes apart as dates
      {3, 1, 0, 15, 1, kUnitMinutes, 15},
      {3, 0, 0, 2880, 1, kUnitDays, 2},  // older classes look at the time alone
      {0, 1, 45, -1, 0, 0, 0},
  };
  for (const ReminderCase& c : cases) {
    OlEventRecord r;
    r.Start = At(2012, 5, 1, 10, 0);
    r.End = At(2012, 5, 1, 11, 0);
    r.ReminderSet = c.set;
    r.ReminderMinutesBeforeStart = c.minutesBefore;
    if (c.reminderBackMinutes >= 0)
      r.ReminderTime =
          CxDateTime::TimeTToOleDate(CxDateTime::OleDateToTimeT(r.Start) -
                                     static_cast<std::time_t>(c.reminderBackMinutes * 60));
    CommonEvent e;
    OlEventToCommon(r, c.versionClass, e);
    SCOPED_TRACE(testing::Message() << "class " << c.versionClass << " minutes " << c.minutesBefore
                                    << " back " << c.reminderBackMinutes);
    EXPECT_EQ(e.ReminderCount, c.count);
    EXPECT_EQ(e.Reminders[0].Unit, c.unit);
    EXPECT_EQ(e.Reminders[0].Amount, c.amount);
  }
}

TEST(OlReminder, WriteByVersionClass) {
  struct Case {
    int versionClass;
    std::int32_t unit, amount;
    std::int32_t minutes;  // ReminderMinutesBeforeStart
    OleDate reminderTime;  // only below class 4
  } cases[] = {
      {4, kUnitMinutes, 15, 15, OleDate()},
      {4, kUnitHours, 2, 120, OleDate()},
      {4, kUnitDays, 1, 1440, OleDate()},
      {4, kUnitWeeks, 1, 10080, OleDate()},
      {4, 9, 3, 15, OleDate()},
      {3, kUnitDays, 2, 2880, At(2012, 4, 29)},
      {3, kUnitMinutes, 30, 30, At(2012, 5, 1, 9, 30)},
      {3, kUnitMinutes, 0, 0, At(2012, 5, 1, 9, 55)},  // no amount: five minutes
      {3, kUnitHours, 12, 720, At(2012, 5, 1, 0, 0)},  // stops at the start of the day
  };
  for (const Case& c : cases) {
    CommonEvent e;
    CxDateTime::OleDateToSystemTime(At(2012, 5, 1, 10, 0), e.Start);
    CxDateTime::OleDateToSystemTime(At(2012, 5, 1, 11, 0), e.End);
    e.ReminderSet = 1;
    e.ReminderCount = 1;
    e.Reminders[0].Unit = c.unit;
    e.Reminders[0].Amount = c.amount;
    OlEventRecord r;
    CommonToOlEvent(e, c.versionClass, r);
    SCOPED_TRACE(testing::Message() << "class " << c.versionClass << " unit " << c.unit);
    EXPECT_EQ(r.ReminderMinutesBeforeStart, c.minutes);
    EXPECT_NEAR(r.ReminderTime.value, c.reminderTime.value, 1e-6);
    EXPECT_EQ(r.Duration, 60);
  }
}

TEST(OlEvent, DurationsFromWholeDates) {
  CommonEvent e;
  CxDateTime::OleDateToSystemTime(At(2012, 5, 1, 22, 0), e.Start);
  CxDateTime::OleDateToSystemTime(At(2012, 5, 2, 1, 0), e.End);
  OlEventRecord r;
  CommonToOlEvent(e, 4, r);
  EXPECT_EQ(r.Duration, 180);  // past midnight, not -1260
  EXPECT_EQ(r.ReminderSet, 0);
  EXPECT_EQ(r.ReminderMinutesBeforeStart, 0);
  EXPECT_FALSE(r.ReminderTime.IsSet());

  e.AllDay = 1;
  CxDateTime::OleDateToSystemTime(At(2012, 5, 1), e.Start);
  CxDateTime::OleDateToSystemTime(At(2012, 5, 1), e.End);
  CommonToOlEvent(e, 4, r);
  EXPECT_EQ(r.Duration, 1440);
  CxDateTime::OleDateToSystemTime(At(2012, 5, 4), e.End);
  CommonToOlEvent(e, 4, r);
  EXPECT_EQ(r.Duration, 3 * 1440);

  OlEventRecord in;
  in.Start = At(2012, 5, 1, 22, 0);
  in.End = At(2012, 5, 2, 1, 0);
  CommonEvent out;
  OlEventToCommon(in, 4, out);
  EXPECT_EQ(out.DurationMinutes, 180);
}

TEST(OlRecurrence, BothWays) {
  struct Case {
    OlPattern outlook;  // as read
    CommonRecurrence common;
    OlPattern written;  // from the common one into an empty record
  };
  auto P = [](std::int32_t type, std::int32_t interval, std::int32_t dow, std::int32_t dom,
              std::int32_t inst, std::int32_t month) {
    OlPattern p;
    p.RecurrenceType = type;
    p.Interval = interval;
    p.DayOfWeekMask = dow;
    p.DayOfMonth = dom;
    p.Instance = inst;
    p.MonthOfYear = month;
    return p;
  };
  auto C = [](std::int32_t type, std::int32_t interval, std::int32_t dow, std::int32_t dom,
              std::int32_t inst, std::int32_t month) {
    CommonRecurrence c;
    c.RecurType = type;
    c.Interval = interval;
    c.DayOfWeekMask = dow;
    c.DayOfMonth = dom;
    c.Instance = inst;
    c.MonthOfYear = month;
    return c;
  };
  const Case cases[] = {
      {P(0, 2, 0, 9, 9, 9), C(kRecurDaily, 2, 0, 0, 0, 0), P(0, 2, 0, 0, 0, 0)},
      {P(1, 1, 42, 9, 9, 9), C(kRecurWeekly, 1, 42, 0, 0, 0), P(1, 1, 42, 0, 0, 0)},
      {P(2, 3, 9, 15, 9, 9), C(kRecurMonthly, 3, 0, 15, 0, 0), P(2, 3, 0, 15, 0, 0)},
      {P(3, 1, 4, 9, 2, 9), C(kRecurMonthlyNth, 1, 4, 0, 2, 0), P(3, 1, 4, 0, 2, 0)},
      // Yearly on 14 March: the interval is always one, and is not written back.
      {P(5, 12, 9, 14, 9, 3), C(kRecurYearly, 1, 0, 14, 0, 3), P(5, 0, 0, 14, 0, 3)},
      {P(6, 1, 2, 9, 5, 11), C(kRecurYearlyNth, 1, 2, 0, 5, 11), P(6, 1, 2, 0, 5, 11)},
      {P(4, 1, 1, 1, 1, 1), C(kRecurNone, 0, 0, 0, 0, 0), P(-1, 0, 0, 0, 0, 0)},
      {P(-1, 1, 1, 1, 1, 1), C(kRecurNone, 0, 0, 0, 0, 0), P(-1, 0, 0, 0, 0, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "RecurrenceType " << c.outlook.RecurrenceType);
    CommonRecurrence got;
    OlPatternToCommon(c.outlook, got);
    EXPECT_TRUE(got.SamePattern(c.common)) << got.RecurType << " " << got.Interval;
    EXPECT_EQ(got.HasEnd, 0);
    OlPattern back;
    back.RecurrenceType = 0;
    CommonToOlPattern(c.common, back);
    EXPECT_EQ(back.RecurrenceType, c.written.RecurrenceType);
    EXPECT_EQ(back.Interval, c.written.Interval);
    EXPECT_EQ(back.DayOfWeekMask, c.written.DayOfWeekMask);
    EXPECT_EQ(back.DayOfMonth, c.written.DayOfMonth);
    EXPECT_EQ(back.Instance, c.written.Instance);
    EXPECT_EQ(back.MonthOfYear, c.written.MonthOfYear);
  }
}

TEST(OlRecurrence, PatternEnd) {
  OlPattern p;
  p.RecurrenceType = 1;
  p.Interval = 1;
  CommonRecurrence c;
  for (double end : {0.0, 1.0}) {
    p.PatternEndDate = OleDate(end);
    OlPatternToCommon(p, c);
    EXPECT_EQ(c.HasEnd, 0) << end;
  }
  p.PatternEndDate = At(2013, 1, 31);
  OlPatternToCommon(p, c);
  EXPECT_EQ(c.HasEnd, 1);
  EXPECT_EQ(c.PatternEnd.wYear, 2013);
  EXPECT_EQ(c.PatternEnd.wDay, 31);
  OlPattern back;
  CommonToOlPattern(c, back);
  EXPECT_DOUBLE_EQ(back.PatternEndDate.value, At(2013, 1, 31).value);
}

TEST(OlContactTable, SeventyFiveEntries) {
  EXPECT_EQ(kOlContactFieldTable.size(), 75u);
  for (std::int32_t id : {0, 24, 27, 30, 79}) EXPECT_EQ(FindOlContactField(id), nullptr) << id;
  for (std::size_t i = 1; i < kOlContactFieldTable.size(); ++i)
    EXPECT_LT(kOlContactFieldTable[i - 1].id, kOlContactFieldTable[i].id);
  EXPECT_EQ(FindOlContactField(64)->field, FindOlContactField(14)->field);
  EXPECT_EQ(FindOlContactField(75)->size, 64);
}

TEST(OlContactMap, MappedCustomFields) {
  OlContactRecord r;
  r.Text(kOcBusiness2TelephoneNumber).Assign("+1 555 0100");
  r.Text(kOcBusinessHomePage).Assign("https://example.org/");
  r.Text(kOcComputerNetworkName).Assign("PC-7");
  r.Birthday = At(1970, 1, 2);
  r.Gender = 2;
  // Slot: Business Phone 2, Birthday (a date), Home Page (same field as 14), unknown 24, Gender,
  // Computer Name; slot 9 stays empty.
  const std::int32_t map[] = {6, 5, 64, 24, 34, 20, 0, 0, 0, 0};
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(SetOlCustomField(i, map[i]));
  EXPECT_FALSE(SetOlCustomField(10, 6));
  EXPECT_FALSE(SetOlCustomField(-1, 6));
  CommonContact c;
  OlContactToCommon(r, c);
  EXPECT_EQ(c.MappedCustom[0], "+1 555 0100");
  EXPECT_EQ(c.MappedCustom[1], "");
  EXPECT_EQ(c.MappedCustom[2], "https://example.org/");
  EXPECT_EQ(c.MappedCustom[3], "");
  EXPECT_EQ(c.MappedCustom[4], "");
  EXPECT_EQ(c.MappedCustom[5], "PC-7");
  EXPECT_EQ(c.WorkHomePage, "https://example.org/");
  EXPECT_EQ(c.Birthday, At(1970, 1, 2));
  EXPECT_EQ(c.SourceType, 3u);
  for (int i = 0; i < 10; ++i) SetOlCustomField(i, 0);
}

TEST(OlContact, WritesCommonFieldsAndUserProperties) {
  CommonContact c;
  c.FirstName = "Ada";
  c.Prefix = "Dr.";
  c.Suffix = "III";
  c.WorkAddress.PoBox = "PO 12";
  c.Note = "note";
  c.CustomLabel[0] = "Shoe size";
  c.Custom[0] = "44";
  c.CustomLabel[1] = "Team";
  c.Custom[1] = "blue";
  c.MappedCustom[1] = "red";  // a mapped value wins over the custom one
  OlContactRecord r;
  r.Text(kOcPagerNumber).Assign("kept");  // a field the common record does not carry
  CommonToOlContact(c, r);
  EXPECT_EQ(r.View(kOcFirstName), "Ada");
  EXPECT_EQ(r.View(kOcInitials), "Dr.");
  EXPECT_EQ(r.View(kOcSuffix), "III");
  EXPECT_EQ(r.View(kOcBusinessAddressPostOfficeBox), "PO 12");
  EXPECT_EQ(r.View(kOcBody), "note");
  EXPECT_EQ(r.View(kOcPagerNumber), "kept");
  EXPECT_EQ(r.UserPropName[0], "Shoe size");
  EXPECT_EQ(r.UserPropValue[0], "44");
  EXPECT_EQ(r.UserPropValue[1], "red");
  // The P.O. box is written but not loaded back.
  CommonContact back;
  OlContactToCommon(r, back);
  EXPECT_EQ(back.WorkAddress.PoBox, "");
  EXPECT_EQ(back.Prefix, "Dr.");
}

TEST(OlContact, TextsCutAtOutlookWidthsOnWholeCharacters) {
  CommonContact c;
  c.FirstName = "Ünal";
  c.Language = "日本語";   // 9 bytes into Language's 7
  c.Prefix = "Prof. Dr.";  // 9 bytes into Initials' 7
  std::string body;
  while (body.size() < 3000) body += "€";
  c.Note = body;
  OlContactRecord r;
  CommonToOlContact(c, r);
  EXPECT_EQ(r.View(kOcLanguage), "日本");
  EXPECT_EQ(r.View(kOcInitials), "Prof. D");
  EXPECT_EQ(r.View(kOcBody).size(), 2046u);  // 2,047 would end inside a "€"
  EXPECT_TRUE(r.View(kOcBody) == std::string_view(body).substr(0, 2046));
}

TEST(OlTask, BothWays) {
  OlTaskRecord r;
  r.Subject = "File taxes";
  r.Importance = 2;
  r.Sensitivity = 9;  // out of range: normal
  r.Status = 2;
  r.ReminderSet = 1;
  r.DueDate = At(2035, 4, 15);
  r.Mileage = "123456789012345678901234567890123456";
  r.Role = "owner";
  CommonTask t;
  OlTaskToCommon(r, t);
  EXPECT_EQ(t.Importance, 1);
  EXPECT_EQ(t.Sensitivity, 0);
  EXPECT_EQ(t.Private, 0);
  EXPECT_EQ(t.TaskStatus, 2);
  EXPECT_EQ(t.ReminderSet, 1);
  EXPECT_EQ(t.ReminderSet2, 1);
  EXPECT_EQ(t.Reserved.size(), 31u);
  EXPECT_NE(t.DueDate, 0);  // 2035 fits the common record's seconds

  OlTaskRecord back;
  CommonToOlTask(t, back);
  EXPECT_EQ(back.Importance, 2);
  EXPECT_NEAR(back.DueDate.value, r.DueDate.value, 1e-6);  // a due date after 2020 is kept
  EXPECT_EQ(back.RecurrenceType, -1);

  t.Private = 1;
  t.Sensitivity = 0;
  CommonToOlTask(t, back);
  EXPECT_EQ(back.Sensitivity, 2);

  // Outlook's "no date" (4501-01-01) does not fit the common record: no date.
  r.DueDate = At(4501, 1, 1);
  OlTaskToCommon(r, t);
  EXPECT_EQ(t.DueDate, 0);
}

}  // namespace
