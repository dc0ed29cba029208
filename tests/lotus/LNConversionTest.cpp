// The Notes conversions both ways, and the data-file layout.
#include <gtest/gtest.h>

#include <string>

#include "TestUtil.h"
#include "lotus/LNRecords.h"
#include "misc/CxDateTime.h"

namespace {

OleDate At(int y, int mo, int d, int h = 0, int mi = 0) {
  SYSTEMTIME st{};
  st.wYear = static_cast<std::uint16_t>(y);
  st.wMonth = static_cast<std::uint16_t>(mo);
  st.wDay = static_cast<std::uint16_t>(d);
  st.wHour = static_cast<std::uint16_t>(h);
  st.wMinute = static_cast<std::uint16_t>(mi);
  OleDate o;
  EXPECT_TRUE(CxDateTime::SystemTimeToOleDate(st, o));
  return o;
}

struct UnitCase {
  const char* name;
  const char* flag;
  const char* unit;
  const char* adjust;
  std::int32_t type, mask, dayOfMonth, monthOfYear;
};

class RepeatUnitLoad : public ::testing::TestWithParam<UnitCase> {};

TEST_P(RepeatUnitLoad, TypeAndDaysFromTheUnitAndAdjustment) {
  const UnitCase& c = GetParam();
  LNEventRecord n;
  n.RepeatFlag = c.flag;
  n.RepeatUnit = c.unit;
  n.RepeatAdjust = c.adjust;
  n.RepeatInterval = "3";
  n.Dates[LNEventRecord::kStart] = At(2026, 3, 14, 9, 30);
  n.Dates[LNEventRecord::kEnd] = At(2026, 3, 14, 10);
  CommonEvent e;
  LNToCommon(n, e);
  EXPECT_EQ(e.Recurrence.RecurType, c.type);
  EXPECT_EQ(e.Recurrence.DayOfWeekMask, c.mask);
  EXPECT_EQ(e.Recurrence.DayOfMonth, c.dayOfMonth);
  EXPECT_EQ(e.Recurrence.MonthOfYear, c.monthOfYear);
  EXPECT_EQ(e.Recurrence.Interval, c.type == kRecurNone && c.flag[0] != '1' ? 0 : 3);
  EXPECT_EQ(e.Start.wHour, 9);
  EXPECT_EQ(e.Start.wMinute, 30);
  EXPECT_EQ(e.SourceType, 9u);
}

INSTANTIATE_TEST_SUITE_P(
    Units, RepeatUnitLoad,
    ::testing::Values(UnitCase{"Daily", "1", "D", "", kRecurDaily, 0, 0, 0},
                      UnitCase{"WeeklyMask", "1", "W", "42", kRecurWeekly, 42, 0, 0},
                      UnitCase{"MonthlyByDate", "1", "MD", "15", kRecurMonthly, 0, 15, 0},
                      UnitCase{"MonthlyByPosition", "1", "MP", "20", kRecurMonthlyNth, 20, 0, 0},
                      // Yearly comes from the start date, whatever the adjustment says.
                      UnitCase{"YearlyFromStart", "1", "Y", "99", kRecurYearly, 0, 14, 3},
                      UnitCase{"UnknownUnit", "1", "X", "5", kRecurNone, 0, 0, 0},
                      UnitCase{"FlagWithTrailer", "1x", "W", "2", kRecurWeekly, 2, 0, 0},
                      // Without the flag the unit texts mean nothing.
                      UnitCase{"NoFlag", "", "W", "42", kRecurNone, 0, 0, 0},
                      UnitCase{"FlagZero", "0", "D", "", kRecurNone, 0, 0, 0}),
    [](const ::testing::TestParamInfo<UnitCase>& i) { return std::string(i.param.name); });

struct UnitWrite {
  const char* name;
  std::int32_t type;
  const char* unit;
  const char* span;
};

class RepeatUnitWrite : public ::testing::TestWithParam<UnitWrite> {};

TEST_P(RepeatUnitWrite, UnitTextsAdjustmentEmptiedStartDateWithoutTime) {
  const UnitWrite& c = GetParam();
  LNEventRecord n;  // as loaded: an adjustment and a repeat kind of its own
  n.RepeatAdjust = "42";
  n.RepeatReserved = "r";
  n.RepeatKind = 0;
  CommonEvent e;
  e.Start = CxDateTime(At(2026, 1, 6, 9, 15)).SystemTime();
  e.End = CxDateTime(At(2026, 1, 6, 9, 30)).SystemTime();
  e.Recurrence.RecurType = c.type;
  e.Recurrence.Interval = 12;
  e.Recurrence.HasEnd = 1;
  e.Recurrence.PatternEnd = CxDateTime(At(2026, 6, 30)).SystemTime();
  CommonToLN(e, n);
  EXPECT_EQ(n.RepeatFlag, "1");
  EXPECT_EQ(n.RepeatUnit, c.unit);
  EXPECT_EQ(n.RepeatSpanUnit, c.span);
  EXPECT_EQ(n.RepeatSpanUnit2, c.span);
  EXPECT_EQ(n.RepeatInterval, "12");
  EXPECT_EQ(n.RepeatAdjust, "");
  EXPECT_EQ(n.RepeatReserved, "");
  EXPECT_EQ(n.RepeatKind, 5);
  EXPECT_EQ(n.RepeatStart, At(2026, 1, 6));
  EXPECT_EQ(n.RepeatStart2, At(2026, 1, 6));
  EXPECT_EQ(n.RepeatEnd, At(2026, 6, 30));
  EXPECT_EQ(n.Dates[LNEventRecord::kStart], At(2026, 1, 6, 9, 15));
}

INSTANTIATE_TEST_SUITE_P(Types, RepeatUnitWrite,
                         ::testing::Values(UnitWrite{"Daily", kRecurDaily, "D", "D"},
                                           UnitWrite{"Weekly", kRecurWeekly, "W", "W"},
                                           UnitWrite{"MonthlyNth", kRecurMonthlyNth, "MP", "M"},
                                           UnitWrite{"Monthly", kRecurMonthly, "MD", "M"},
                                           UnitWrite{"YearlyNth", kRecurYearlyNth, "Y", "Y"},
                                           UnitWrite{"Yearly", kRecurYearly, "Y", "Y"}),
                         [](const ::testing::TestParamInfo<UnitWrite>& i) {
                           return std::string(i.param.name);
                         });

TEST(LNEvent, NoPatternEmptiesOnlyTheFlagAndAKindOfItsOwnStays) {
  LNEventRecord n;
  n.RepeatFlag = "1";
  n.RepeatUnit = "W";
  n.RepeatAdjust = "42";
  n.RepeatKind = 3;
  CommonEvent e;
  CommonToLN(e, n);
  EXPECT_EQ(n.RepeatFlag, "");
  EXPECT_EQ(n.RepeatUnit, "W");
  EXPECT_EQ(n.RepeatAdjust, "42");

  e.Recurrence.RecurType = kRecurDaily;
  CommonToLN(e, n);
  EXPECT_EQ(n.RepeatKind, 3);
  EXPECT_EQ(n.RepeatEnd, OleDate());  // no end date: the loaded one stays (none)
}

TEST(LNEvent, RepeatEndAboveZeroIsThePatternsEnd) {
  LNEventRecord n;
  n.RepeatFlag = "1";
  n.RepeatUnit = "D";
  n.Dates[LNEventRecord::kStart] = At(2026, 1, 7, 17);
  n.RepeatEnd = At(2026, 2, 28);
  CommonEvent e;
  LNToCommon(n, e);
  EXPECT_EQ(e.Recurrence.HasEnd, 1);
  EXPECT_EQ(e.Recurrence.PatternEnd.wMonth, 2);
  EXPECT_EQ(e.Recurrence.PatternEnd.wDay, 28);
  n.RepeatEnd = OleDate(-1.5);
  LNToCommon(n, e);
  EXPECT_EQ(e.Recurrence.HasEnd, 0);
}

TEST(LNTask, CompletionDateAgainstNow) {
  const OleDate now = At(2026, 5, 1, 12);
  struct {
    OleDate completed;
    std::uint8_t complete;
  } cases[] = {
      {OleDate(), 0},      {At(2026, 5, 1, 11, 59), 1}, {now, 1}, {At(2026, 5, 1, 12, 1), 0},
      {At(2099, 1, 1), 0}, {OleDate(-3.0), 0}};
  for (const auto& c : cases) {
    LNTaskRecord n;
    n.CompletedDate = c.completed;
    CommonTask t;
    LNToCommon(n, t, now);
    EXPECT_EQ(t.Complete, c.complete) << c.completed.value;
  }
}

TEST(LNTask, PrioritiesBothWaysAndTheirWords) {
  struct {
    std::int32_t notes, importance;
    const char* word;
  } load[] = {{0, 1, "High"}, {1, 0, "Normal"}, {2, 2, "Low"}, {3, 0, "Normal"}, {-1, 0, "Normal"}};
  for (const auto& c : load) {
    LNTaskRecord n;
    n.Priority = c.notes;
    CommonTask t;
    LNToCommon(n, t, OleDate());
    EXPECT_EQ(t.Importance, c.importance) << c.notes;
    EXPECT_STREQ(LNPriorityWord(c.notes), c.word);
  }
  struct {
    std::int32_t importance, notes;
  } write[] = {{1, 0}, {0, 1}, {2, 2}, {7, 1}, {-1, 1}};
  for (const auto& c : write) {
    CommonTask t;
    t.Importance = c.importance;
    LNTaskRecord n;
    CommonToLN(t, n);
    EXPECT_EQ(n.Priority, c.notes) << c.importance;
  }
}

TEST(LNTask, DueDateBothWaysAndZeroStaysZero) {
  LNTaskRecord n;
  n.DueDate = At(2026, 1, 15, 8);
  CommonTask t;
  LNToCommon(n, t, OleDate());
  ASSERT_NE(t.DueDate, 0);
  LNTaskRecord back;
  back.DueDate = At(2000, 1, 1);
  CommonToLN(t, back);
  EXPECT_EQ(back.DueDate, n.DueDate);
  t.DueDate = 0;
  CommonToLN(t, back);
  EXPECT_FALSE(back.DueDate.IsSet());
}

TEST(LNContact, FieldsArriveAndAnUpdateKeepsWhatHasNoCounterpart) {
  LNContactRecord n;
  n.HomePhone = "+1 555 0101";
  n.BusinessEmail2 = "second@example.org";
  n.PersonalEmail2 = "home2@example.org";
  n.AssistantPhone = "third@example.org";
  n.BirthDate = At(1980, 3, 14);
  CommonContact c;
  LNToCommon(n, c);
  EXPECT_EQ(c.HomePhone, "+1 555 0101");
  EXPECT_EQ(c.Email3, "third@example.org");
  EXPECT_EQ(c.Birthday, At(1980, 3, 14));
  c.LastName = "Lee";
  CommonToLN(c, n);
  EXPECT_EQ(n.HomePhone, "+1 555 0101");
  EXPECT_EQ(n.LastName, "Lee");
  EXPECT_EQ(n.BusinessEmail2, "second@example.org");
  EXPECT_EQ(n.PersonalEmail2, "home2@example.org");
}

TEST(LNContact, WidthsCutOnWholeCharacters) {
  // "ä" is two bytes: an odd limit falls inside one.
  std::string wide;
  for (int i = 0; i < 200; ++i) wide += "ä";
  LNContactRecord n;
  n.DisplayName = wide;  // 255 bytes kept of 400: 127 characters
  EXPECT_EQ(n.DisplayName.size(), 254u);
  n.UserValue[0] = wide;
  CommonContact c;
  LNToCommon(n, c);
  EXPECT_EQ(c.DisplayName.size(), 30u);  // common width 32: 31 bytes, cut back to 30
  EXPECT_EQ(c.Custom[0].size(), 62u);    // 63 bytes, cut back to 62
  c.Note = wide + wide + wide + wide + wide + wide + wide + wide + wide + wide + wide;
  c.Custom[1] = "x";
  c.MappedCustom[1] = "mapped";
  CommonToLN(c, n);
  EXPECT_EQ(n.Note.size(), 4094u);  // Notes width 4096: 4,095 bytes, cut back to 4,094
  EXPECT_EQ(n.UserValue[1], "mapped");
}

TEST(LNContact, CustomMapResolvesTextFieldsOnly) {
  LNContactRecord n;
  n.FirstName = "Ann";
  n.Note = "note";
  n.BirthDate = At(1980, 3, 14);
  n.UserValue[0] = "u1";
  ASSERT_TRUE(SetLNCustomField(0, 2));    // First Name
  ASSERT_TRUE(SetLNCustomField(1, 53));   // Birth Date: a date
  ASSERT_TRUE(SetLNCustomField(2, 46));   // Custom Field 2: no single field
  ASSERT_TRUE(SetLNCustomField(3, 51));   // Note
  ASSERT_TRUE(SetLNCustomField(4, 999));  // outside the table
  EXPECT_FALSE(SetLNCustomField(10, 2));
  EXPECT_FALSE(SetLNCustomField(-1, 2));
  CommonContact c;
  LNToCommon(n, c);
  for (int i = 0; i < 10; ++i) SetLNCustomField(i, 0);
  EXPECT_EQ(c.MappedCustom[0], "Ann");
  EXPECT_EQ(c.MappedCustom[1], "");
  EXPECT_EQ(c.MappedCustom[2], "");
  EXPECT_EQ(c.MappedCustom[3], "note");
  EXPECT_EQ(c.MappedCustom[4], "");
  EXPECT_STREQ(LNFieldLabel(3), "Middle Name / Initial");
  EXPECT_STREQ(LNFieldLabel(55), "N/A");
  EXPECT_EQ(kLNFieldCodes[52].type, kLNFieldDate);
}

TEST(LNDataFile, RecordsStayInStepAndATruncatedRecordFails) {
  TempDir dir;
  const std::string path = dir.file("LNTask.dat");
  LNTaskRecord a;
  a.Subject = "first";
  a.Body = std::string(9000, 'b');  // cut to 8,191 in memory
  a.Priority = 2;
  a.Flag = true;
  a.CompletedDate = At(2026, 1, 20);
  a.Extra = "end";
  {
    CxFile f;
    ASSERT_TRUE(f.Open(path, "wb"));
    ASSERT_TRUE(WriteLNRecord(f, a));
    ASSERT_TRUE(WriteLNRecord(f, a));
    ASSERT_TRUE(f.Close());
  }
  std::string bytes = ReadFile(path);
  CxFile f;
  ASSERT_TRUE(f.Open(path, "rb"));
  LNTaskRecord b;
  ASSERT_TRUE(ReadLNRecord(f, b));
  EXPECT_EQ(b.Body.size(), 8191u);
  EXPECT_EQ(b.Priority, 2);
  EXPECT_TRUE(b.Flag);
  EXPECT_EQ(b.Extra, "end");
  ASSERT_TRUE(ReadLNRecord(f, b));
  EXPECT_EQ(b.CompletedDate, a.CompletedDate);

  WriteFile(path, bytes.substr(0, bytes.size() / 2 + 3));
  CxFile g;
  ASSERT_TRUE(g.Open(path, "rb"));
  ASSERT_TRUE(ReadLNRecord(g, b));
  EXPECT_FALSE(ReadLNRecord(g, b));
}

}  // namespace
