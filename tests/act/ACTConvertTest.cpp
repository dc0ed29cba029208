#include <gtest/gtest.h>

#include <string>

#include "ACT/ACTConvert.h"
#include "ACT/ACTRecords.h"
#include "TestUtil.h"
#include "misc/CxDateTime.h"
#include "misc/RecordStatus.h"

namespace {

struct PhoneCase {
  const char* phone;
  const char* extension;
  const char* common;
};

TEST(ACTConvert, PhonesJoinWithTheirExtensions) {
  const PhoneCase cases[] = {
      {"555-1234", "12", "555-1234x12"},
      {"555-1234", "", "555-1234"},
      {"", "12", ""},  // an extension without a phone is no phone
      {"", "", ""},
  };
  for (const PhoneCase& c : cases) EXPECT_EQ(JoinACTPhone(c.phone, c.extension), c.common);
}

TEST(ACTConvert, PhonesSplitAtTheFirstX) {
  const PhoneCase cases[] = {
      {"555-1234", "12", "555-1234x12"},
      {"555-1234", "", "555-1234"},
      {"555", "12x3", "555x12x3"},
      {"", "9", "x9"},
  };
  for (const PhoneCase& c : cases) {
    ACTPhoneParts p = SplitACTPhone(c.common);
    EXPECT_EQ(p.phone, c.phone) << c.common;
    EXPECT_EQ(p.extension, c.extension) << c.common;
  }
}

TEST(ACTConvert, StreetLinesJoinAndSplit) {
  EXPECT_EQ(JoinACTStreet("Unit 4", "", "12 Mill Lane"), "Unit 4\r\n12 Mill Lane");
  EXPECT_EQ(JoinACTStreet("", "", "Only"), "Only");
  EXPECT_EQ(JoinACTStreet("", "", ""), "");

  struct SplitCase {
    const char* street;
    std::array<const char*, 3> lines;
  };
  const SplitCase cases[] = {
      {"One", {"One", "", ""}},
      {"One\r\nTwo", {"One", "Two", ""}},
      {"One\r\n\r\nThree", {"One", "", "Three"}},
      {"One\r\nTwo\r\nThree", {"One", "Two", "Three"}},
      // A fourth line is kept on the third, not dropped.
      {"One\r\nTwo\r\nThree\r\nFour", {"One", "Two", "Three, Four"}},
      {"One\nTwo", {"One\nTwo", "", ""}},  // a bare LF is no line break here
  };
  for (const SplitCase& c : cases) {
    auto lines = SplitACTStreet(c.street);
    for (std::size_t i = 0; i < 3; ++i)
      EXPECT_EQ(lines[i], c.lines[i]) << c.street << " line " << i;
  }
}

TEST(ACTConvert, PrioritiesBothWays) {
  struct Row {
    std::int32_t act, common;
    const char* word;
  };
  const Row load[] = {
      {0, 1, "High"}, {1, 0, "Normal"}, {2, 2, "Low"}, {3, 0, "Normal"}, {-1, 0, "Normal"}};
  for (const Row& r : load) {
    EXPECT_EQ(ACTPriorityToCommon(r.act), r.common) << r.act;
    EXPECT_STREQ(ACTImportanceWord(r.act), r.word) << r.act;
  }
  const std::pair<std::int32_t, std::int32_t> write[] = {{1, 0}, {2, 2}, {0, 1}, {7, 1}};
  for (auto [common, act] : write) EXPECT_EQ(CommonPriorityToACT(common), act) << common;
}

// Each row of the write table, and what loading the written record gives back.
TEST(ACTConvert, RecurrenceTableBothWays) {
  struct Row {
    std::int32_t type;
    std::int32_t value, form, instance, month, kind;
  };
  const Row rows[] = {
      {kRecurNone, 0, 0, 0, 0, 0},     {kRecurDaily, 1, 3, 0, 0, 1},
      {kRecurWeekly, 42, 2, 0, 0, 2},  {kRecurMonthlyNth, 42, 2, 3, 0, 3},
      {kRecurMonthly, 17, 1, 0, 0, 3}, {kRecurYearlyNth, 42, 3, 3, 5, 4},
      {kRecurYearly, 17, 1, 0, 5, 4},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE("RecurType " + std::to_string(row.type));
    CommonEvent e;
    CommonRecurrence& r = e.Recurrence;
    r.RecurType = row.type;
    r.Interval = row.type == kRecurNone ? 0 : 2;
    r.DayOfWeekMask = 42;
    r.DayOfMonth = 17;
    r.Instance = 3;
    r.MonthOfYear = 5;
    ACTEventRecord a;
    CommonToACT(e, a);
    EXPECT_EQ(a.PatternValue, row.value);
    EXPECT_EQ(a.PatternForm, row.form);
    EXPECT_EQ(a.Instance, row.instance);
    EXPECT_EQ(a.Month, row.month);
    EXPECT_EQ(a.RecurKind, row.kind);
    EXPECT_EQ(a.Interval, row.type == kRecurNone ? 0 : 2);

    CommonEvent back;
    ACTToCommon(a, back);
    EXPECT_EQ(back.Recurrence.RecurType, row.type);
    EXPECT_EQ(back.Recurrence.Interval, a.Interval);
    const bool byDay =
        row.type == kRecurWeekly || row.type == kRecurMonthlyNth || row.type == kRecurYearlyNth;
    EXPECT_EQ(back.Recurrence.DayOfWeekMask, byDay ? 42 : 0);
    EXPECT_EQ(back.Recurrence.DayOfMonth,
              row.type == kRecurMonthly || row.type == kRecurYearly ? 17 : 0);
  }
}

TEST(ACTConvert, RecurrenceOnLoad) {
  ACTEventRecord a;
  a.RecurKind = 3;
  a.PatternForm = 2;
  a.PatternValue = 4;
  a.Instance = 2;
  a.Interval = 1;
  a.PatternEnd = OleDate(1.0);  // not above 1.0: no end
  CommonEvent c;
  ACTToCommon(a, c);
  EXPECT_EQ(c.Recurrence.RecurType, kRecurMonthlyNth);
  EXPECT_EQ(c.Recurrence.Instance, 2);
  EXPECT_EQ(c.Recurrence.HasEnd, 0);

  a.PatternEnd = OleDate(40000.0);
  a.RecurKind = 9;  // a kind we do not know is a single event, and a single event has no end
  a.EventKind = 7;
  ACTToCommon(a, c);
  EXPECT_EQ(c.Recurrence.RecurType, kRecurNone);
  EXPECT_EQ(c.Recurrence.HasEnd, 0);
  EXPECT_EQ(c.EventType, 0u);

  a.RecurKind = 1;
  ACTToCommon(a, c);
  EXPECT_EQ(c.Recurrence.HasEnd, 1);
  OleDate end;
  ASSERT_TRUE(CxDateTime::SystemTimeToOleDate(c.Recurrence.PatternEnd, end));
  EXPECT_EQ(end.value, 40000.0);
}

ACTContactRecord LoadedContact() {
  ACTContactRecord a;
  a.SetText(kACTBusinessPhone, "555-1234");
  a.SetText(kACTBusinessPhoneExtension, "12");
  a.SetText(kACTPagerExtension, "7");
  a.SetText(kACTHomeAddress1, "Flat 2");
  a.SetText(kACTHomeAddress1 + 2, "1 High Street");
  a.SetText(6, "Dr.");                   // Name Prefix: ACT! only
  a.SetText(86, "second@mail.example");  // Secondary E-mail: ACT! only
  a.SetFlag(kACTIsPrivate, true);
  a.SetText(kACTUserDefined1 + 2, "three");
  a.SetText(kACTCompany, "Acme");
  return a;
}

TEST(ACTConvert, ContactLoadJoinsAndUpdateKeepsWhatIsACTsOwn) {
  ACTContactRecord a = LoadedContact();
  CommonContact c;
  ACTToCommon(a, c);
  EXPECT_EQ(c.WorkPhone, "555-1234x12");
  EXPECT_EQ(c.Pager, "");
  EXPECT_EQ(c.HomeAddress.Street, "Flat 2\r\n1 High Street");
  EXPECT_EQ(c.Custom[2], "three");
  EXPECT_EQ(c.SourceType, kSourceACT);

  c.MobilePhone = "0770x";
  c.HomeAddress.Street = "";
  c.MappedCustom[2] = "mapped";
  c.WorkPhone = "555-9999";
  CommonToACT(c, a);
  EXPECT_EQ(a.Text(kACTBusinessPhone), "555-9999");
  EXPECT_EQ(a.Text(kACTBusinessPhoneExtension), "");
  EXPECT_EQ(a.Text(kACTMobilePhone), "0770");
  EXPECT_EQ(a.Text(kACTPagerExtension), "7");  // an empty common phone leaves both alone
  EXPECT_EQ(a.Text(kACTHomeAddress1 + 2), "1 High Street");  // so does an empty street
  EXPECT_EQ(a.Text(kACTUserDefined1 + 2), "mapped");
  EXPECT_EQ(a.Text(6), "Dr.");
  EXPECT_EQ(a.Text(86), "second@mail.example");
  EXPECT_TRUE(a.Flag(kACTIsPrivate));
}

TEST(ACTConvert, TextsAreCutOnWholeCharactersBothWays) {
  // 31 bytes fit in "Full Name" (32); a two-byte letter that would end at byte 32 goes whole.
  const std::string thirty(30, 'a');
  ACTContactRecord a;
  a.SetText(kACTFullName, thirty + "\xC3\xA9");
  EXPECT_EQ(a.Text(kACTFullName), thirty);
  a.SetText(kACTFullName, thirty + "b\xC3\xA9");
  EXPECT_EQ(a.Text(kACTFullName), thirty + "b");

  // "Business Postal" holds 15 bytes; the common postal code 15 as well.
  CommonContact c;
  c.WorkAddress.PostalCode = std::string(14, '1') + "\xE2\x82\xAC";
  EXPECT_EQ(c.WorkAddress.PostalCode, std::string(14, '1'));
  // A joined phone longer than the common phone is cut, not wrapped.
  a.SetText(kACTHomePhone, std::string(21, '5'));
  a.SetText(kACTHomePhoneExtension, "\xC3\xA9\xC3\xA9");
  ACTToCommon(a, c);
  EXPECT_EQ(c.HomePhone, std::string(21, '5') + "x");  // 24 bytes: the é would be split
}

TEST(ACTConvert, CustomMapTakesTextFieldsOnly) {
  ASSERT_TRUE(SetACTCustomField(0, 86));            // Secondary E-mail, text
  ASSERT_TRUE(SetACTCustomField(1, kACTBirthday));  // a date fills nothing
  ASSERT_TRUE(SetACTCustomField(2, 999));           // unknown fills nothing
  EXPECT_FALSE(SetACTCustomField(10, 86));
  EXPECT_FALSE(SetACTCustomField(-1, 86));
  ACTContactRecord a = LoadedContact();
  a.SetDate(kACTBirthday, OleDate(30000.0));
  CommonContact c;
  ACTToCommon(a, c);
  EXPECT_EQ(c.MappedCustom[0], "second@mail.example");
  EXPECT_EQ(c.MappedCustom[1], "");
  EXPECT_EQ(c.MappedCustom[2], "");
  for (int i = 0; i < 10; ++i) SetACTCustomField(i, 0);
  EXPECT_STREQ(ACTFieldLabel(89), "Secondary Is Private");
  EXPECT_STREQ(ACTFieldLabel(90), "N/A");
  EXPECT_STREQ(ACTFieldLabel(0), "N/A");
}

TEST(ACTConvert, TasksDueDatesAndNotesBothWays) {
  ACTTaskRecord t;
  ASSERT_TRUE(CxDateTime::SystemTimeToOleDate(SYSTEMTIME{2009, 4, 0, 10, 0, 0, 0, 0}, t.DueDate));
  t.Priority = 0;
  t.Flag = true;
  t.Complete = true;
  t.Reserved = {1, 2, 3, 4, 5, 6};
  CommonTask c;
  ACTToCommon(t, c);
  EXPECT_EQ(c.DueDate, 1239321600);  // TZ=UTC
  EXPECT_EQ(c.Importance, 1);
  EXPECT_EQ(c.Private, 1);
  ACTTaskRecord back = t;
  CommonToACT(c, back);
  EXPECT_EQ(back.DueDate, t.DueDate);
  EXPECT_EQ(back.Priority, 0);
  EXPECT_EQ(back.Reserved, (std::array<std::int32_t, 6>{}));
  c.DueDate = 0;
  CommonToACT(c, back);
  EXPECT_FALSE(back.DueDate.IsSet());

  ACTNoteRecord n;
  n.Body = std::string(9000, 'n');  // the native body holds 8,191 bytes
  EXPECT_EQ(n.Body.size(), 8191u);
  n.Times = {OleDate(1.5), OleDate(2.5)};
  CommonNote cn;
  ACTToCommon(n, cn);
  EXPECT_EQ(cn.Body.size(), 8191u);
  EXPECT_EQ(cn.LastModificationTime, OleDate(2.5));
}

// Every field goes through the data file and comes back; a long text is skipped past, so the
// fields after it stay in step.
TEST(ACTRecords, DataFileRoundTripStaysInStep) {
  TempDir dir;
  ACTContactRecord a = LoadedContact();
  a.ChangeMark = kACTChanged;
  a.Action = 2;
  a.SetDate(kACTEditDate, OleDate(39845.5));
  ACTEventRecord e;
  e.Subject = "Review";
  e.PatternEnd = OleDate(40000.0);
  e.AllDay = true;
  {
    CxFile f;
    ASSERT_TRUE(f.Open(dir.file("x.dat"), "wb"));
    ASSERT_TRUE(WriteACTContact(f, a));
    ASSERT_TRUE(WriteACTEvent(f, e));
    ASSERT_TRUE(f.Close());
  }
  CxFile f;
  ASSERT_TRUE(f.Open(dir.file("x.dat"), "rb"));
  ACTContactRecord a2;
  ACTEventRecord e2;
  ASSERT_TRUE(ReadACTContact(f, a2));
  ASSERT_TRUE(ReadACTEvent(f, e2));
  EXPECT_EQ(a2.Action, 2);
  for (const ACTContactField& fld : kACTContactFields) {
    EXPECT_EQ(a2.Text(fld.id), a.Text(fld.id)) << fld.label;
    EXPECT_EQ(a2.Flag(fld.id), a.Flag(fld.id)) << fld.label;
    EXPECT_EQ(a2.Date(fld.id), a.Date(fld.id)) << fld.label;
  }
  EXPECT_EQ(e2.Subject, "Review");
  EXPECT_EQ(e2.PatternEnd, OleDate(40000.0));
  EXPECT_TRUE(e2.AllDay);
  ACTNoteRecord more;
  EXPECT_FALSE(ReadACTNote(f, more));  // the file ends
}

}  // namespace
