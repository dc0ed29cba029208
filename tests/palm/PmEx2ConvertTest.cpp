// The Palm sources over 6.x databases, end to end: rows of a fake database through the 6.x
// loaders and the sources into common records.
#include <gtest/gtest.h>

#include "misc/EventForm.h"

#include <array>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "PmTestUtil.h"
#include "TestUtil.h"
#include "palm/PmAddrInfo.h"
#include "palm/PmDateInfo.h"
#include "palm/PmFakeAccessor.h"
#include "palm/PmMemoInfo.h"
#include "palm/PmRepeatText.h"
#include "palm/PmTodoInfo.h"

namespace {

[[maybe_unused]] const bool kQuietLog = (QuietPalm6Log(), true);

using V = std::map<std::string, PmValue>;
template <class Loader>
using Port = PmFakeEx2Port<Loader>;

constexpr std::uint32_t kVersion6 = 60000;
constexpr std::uint32_t kVersion412 = 40102;
// 2009-06-15 12:00 UTC, a Monday (the third Monday of June).
constexpr std::int32_t kJune15 = 1245067200;
// 2010-01-01 12:00 UTC, a Friday.
constexpr std::int32_t kJan1 = 1262347200;

SYSTEMTIME At(int year, int month, int day, int hour, int minute = 0, int dayOfWeek = -1) {
  SYSTEMTIME t;
  t.wYear = static_cast<std::uint16_t>(year);
  t.wMonth = static_cast<std::uint16_t>(month);
  t.wDay = static_cast<std::uint16_t>(day);
  t.wHour = static_cast<std::uint16_t>(hour);
  t.wMinute = static_cast<std::uint16_t>(minute);
  if (dayOfWeek >= 0) t.wDayOfWeek = static_cast<std::uint16_t>(dayOfWeek);
  return t;
}

// Date and time without the weekday and seconds, for readable comparisons.
std::string Text(const SYSTEMTIME& t) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04u-%02u-%02u %02u:%02u", t.wYear, t.wMonth, t.wDay,
                t.wHour, t.wMinute);
  return buffer;
}

std::string Recurrence(const CommonRecurrence& r) {
  return "type " + std::to_string(r.RecurType) + " interval " + std::to_string(r.Interval) +
         " mask " + std::to_string(r.DayOfWeekMask) + " day " + std::to_string(r.DayOfMonth) +
         " month " + std::to_string(r.MonthOfYear) + " instance " + std::to_string(r.Instance) +
         " hasEnd " + std::to_string(r.HasEnd);
}

PmRow Category(std::int32_t id, std::string name) {
  return {id, std::move(name), std::int32_t{0}, std::int32_t{0}};
}

class PmEx2ConvertTest : public testing::Test {
 protected:
  void SetUp() override {
    tzset();
    PmAddrInfo::SetEx2Factory(&Port<PmAddrEx2Util>::Make);
    PmDateInfo::SetEx2Factory(&Port<PmDateEx2Util>::Make);
    PmTodoInfo::SetEx2Factory(&Port<PmTodoEx2Util>::Make);
    PmMemoInfo::SetEx2Factory(&Port<PmMemoEx2Util>::Make);
    WriteFile(file_, "");
  }
  void TearDown() override {
    Port<PmAddrEx2Util>::Rows().clear();
    Port<PmDateEx2Util>::Rows().clear();
    Port<PmTodoEx2Util>::Rows().clear();
    Port<PmMemoEx2Util>::Rows().clear();
    PmAddrInfo::SetEx2Factory(nullptr);
    PmDateInfo::SetEx2Factory(nullptr);
    PmTodoInfo::SetEx2Factory(nullptr);
    PmMemoInfo::SetEx2Factory(nullptr);
  }
  // The zone for the rest of the test; the fixture puts UTC back.
  static void Zone(const char* tz) {
    setenv("TZ", tz, 1);
    tzset();
  }

  template <class Loader>
  static void Main(std::vector<PmRow> rows, std::vector<PmRow> categories = {}) {
    Port<Loader>::Rows()["Main"] = std::move(rows);
    Port<Loader>::Rows()["Category"] = std::move(categories);
  }

  // One event from one row, in the zone in force.
  CommonEvent LoadEvent(const V& values) {
    Main<PmDateEx2Util>({RowOf<PmDateEx2Record>(values)});
    PmDateInfo info(kVersion6);
    EXPECT_TRUE(info.LoadByFile(file_));
    EXPECT_EQ(info.Manager().Count(), 1u);
    if (info.Manager().Count() != 1) return {};
    CommonEvent e = *info.Manager().Peek(0);
    e.NativeRecord = {};
    return e;
  }

  ScopedEnv tz_{"TZ", "UTC"};
  TempDir dir_;
  std::string file_ = dir_.file("Palm.MDB");
};

// ---- contacts ----------------------------------------------------------------------------------

struct ContactField {
  std::string column;
  std::string value;
  std::function<const TextStorage&(const CommonContact&)> field;
  std::string expected;  // the value cut to the common field
};

std::vector<ContactField> ContactFields() {
  using C = CommonContact;
  const std::string nick = std::string(30, 'n') + "\xC3\xA9";  // the é would end at byte 32
  std::vector<ContactField> f = {
      {"First Name", "Ada", [](const C& c) -> const TextStorage& { return c.FirstName; }, "Ada"},
      {"Last Name", "Lovelace", [](const C& c) -> const TextStorage& { return c.LastName; },
       "Lovelace"},
      {"Middle Name", "King", [](const C& c) -> const TextStorage& { return c.MiddleName; },
       "King"},
      {"Prefix", "Lady", [](const C& c) -> const TextStorage& { return c.Prefix; }, "Lady"},
      {"Suffix", "Cts", [](const C& c) -> const TextStorage& { return c.Suffix; }, "Cts"},
      {"NickName", nick, [](const C& c) -> const TextStorage& { return c.NickName; },
       std::string(30, 'n')},
      {"English Name", "Ada L.", [](const C& c) -> const TextStorage& { return c.DisplayName; },
       "Ada L."},
      {"Note", "line 1\r\nline 2", [](const C& c) -> const TextStorage& { return c.Note; },
       "line 1\r\nline 2"},
      {"Company", std::string(100, 'c'), [](const C& c) -> const TextStorage& { return c.Company; },
       std::string(63, 'c')},
      {"Job Title", std::string(40, 'j'),
       [](const C& c) -> const TextStorage& { return c.JobTitle; }, std::string(31, 'j')},
      {"Chat1", "ada@aim", [](const C& c) -> const TextStorage& { return c.Im1; }, "ada@aim"},
      {"Chat2", "ada@msn", [](const C& c) -> const TextStorage& { return c.Im2; }, "ada@msn"},
      {"Assistant Name", "Babbage",
       [](const C& c) -> const TextStorage& { return c.AssistantName; }, "Babbage"},
      {"Assistant Phone", std::string(30, '5'),
       [](const C& c) -> const TextStorage& { return c.AssistantPhone; }, std::string(23, '5')},
      {"Work Street", "1 Work St",
       [](const C& c) -> const TextStorage& { return c.WorkAddress.Street; }, "1 Work St"},
      {"Work City", "London", [](const C& c) -> const TextStorage& { return c.WorkAddress.City; },
       "London"},
      {"Work State", "LDN", [](const C& c) -> const TextStorage& { return c.WorkAddress.State; },
       "LDN"},
      {"Work Zip", std::string(20, '1'),
       [](const C& c) -> const TextStorage& { return c.WorkAddress.PostalCode; },
       std::string(15, '1')},
      {"Work Country", "UK", [](const C& c) -> const TextStorage& { return c.WorkAddress.Country; },
       "UK"},
      {"Home Street", "2 Home St",
       [](const C& c) -> const TextStorage& { return c.HomeAddress.Street; }, "2 Home St"},
      {"Home City", "Bath", [](const C& c) -> const TextStorage& { return c.HomeAddress.City; },
       "Bath"},
      {"Home State", "SOM", [](const C& c) -> const TextStorage& { return c.HomeAddress.State; },
       "SOM"},
      {"Home Zip", "BA1", [](const C& c) -> const TextStorage& { return c.HomeAddress.PostalCode; },
       "BA1"},
      {"Home Country", "England",
       [](const C& c) -> const TextStorage& { return c.HomeAddress.Country; }, "England"},
      {"Other Street", "3 Other St",
       [](const C& c) -> const TextStorage& { return c.OtherAddress.Street; }, "3 Other St"},
      {"Other City", "Paris", [](const C& c) -> const TextStorage& { return c.OtherAddress.City; },
       "Paris"},
      {"Other State", "IDF", [](const C& c) -> const TextStorage& { return c.OtherAddress.State; },
       "IDF"},
      {"Other Zip", "75001",
       [](const C& c) -> const TextStorage& { return c.OtherAddress.PostalCode; }, "75001"},
      {"Other Country", "France",
       [](const C& c) -> const TextStorage& { return c.OtherAddress.Country; }, "France"},
  };
  // Custom 1 to 10 have slots; "Custom 11" to "Custom 14" have none.
  for (std::size_t i = 0; i < CommonContact::kCustomSlots; ++i) {
    const std::string n = std::to_string(i + 1);
    f.push_back({"Custom " + n, "custom " + n,
                 [i](const C& c) -> const TextStorage& { return c.Custom[i]; }, "custom " + n});
  }
  return f;
}

TEST_F(PmEx2ConvertTest, ContactColumnsReachTheirCommonFields) {
  const auto fields = ContactFields();
  V values;
  for (const auto& f : fields) values[f.column] = f.value;
  values["Custom 11"] = std::string("eleven");
  values["Profession"] = std::string("Mathematician");
  values["Category"] = 3;
  values["Status"] = 0x01;  // modified, still live
  values["Record ID"] = 41;
  Main<PmAddrEx2Util>({RowOf<PmAddrEx2Record>(values)}, {Category(3, "Business")});

  PmAddrInfo info(kVersion6);
  ASSERT_TRUE(info.LoadByFile(file_));
  EXPECT_EQ(info.LoadedLayout(), kPmLayout6x);
  ASSERT_EQ(info.Manager().Count(), 1u);
  const CommonContact& c = *info.Manager().Peek(0);
  for (const auto& f : fields) EXPECT_EQ(f.field(c).view(), f.expected) << f.column;
  EXPECT_EQ(c.Category, "Business");
  EXPECT_TRUE(c.Profession.empty());
  EXPECT_EQ(c.SourceType, 1u);
  EXPECT_EQ(c.Status, 1u);
  const PmAddrItem* item = c.NativeRecord.As<PmAddrItem>();
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->layout, kPmLayout6x);
  EXPECT_EQ(item->entry, &c);
  const PmAddrEx2Record* kept = item->Get<PmAddrEx2Record>();
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(kept->recordId, 41);
  EXPECT_EQ(kept->custom[10], "eleven");
}

using Fields = PhoneFieldMap;

struct PhoneCase {
  const char* name;
  std::vector<std::pair<std::int32_t, std::string>> slots;  // label and text, slot 1 onwards
  Fields columns;  // the unlabelled columns, "Other Fax" to "Pager"
  Fields want;
};

void PrintTo(const PhoneCase& c, std::ostream* os) {
  *os << c.name;
}

class PmEx2PhoneTest : public PmEx2ConvertTest, public testing::WithParamInterface<PhoneCase> {};

TEST_P(PmEx2PhoneTest, PhonesGoByLabel) {
  static const char* const kColumns[] = {"Work Phone", "Work Fax",    "Work Mobile", "Home Phone",
                                         "Home Fax",   "Home Mobile", "Other Phone"};
  V values;
  const auto& slots = GetParam().slots;
  for (std::size_t i = 0; i < slots.size(); ++i) {
    values["Phone Label" + std::to_string(i + 1)] = slots[i].first;
    values[kColumns[i]] = slots[i].second;
  }
  for (const auto& [column, text] : GetParam().columns) values[column] = text;
  Main<PmAddrEx2Util>({RowOf<PmAddrEx2Record>(values)});
  PmAddrInfo info(kVersion6);
  ASSERT_TRUE(info.LoadByFile(file_));
  EXPECT_EQ(PhoneFields(*info.Manager().Peek(0)), GetParam().want);
}

const std::string k70(70, 'a');
const std::string k62(62, 'a');

INSTANTIATE_TEST_SUITE_P(
    Cases, PmEx2PhoneTest,
    testing::Values(
        PhoneCase{"EveryLabelInItsField",
                  {{0, "w"}, {1, "h"}, {2, "f"}, {3, "o"}, {4, "e@x"}, {5, "m"}, {7, "mob"}},
                  {},
                  {{"WorkPhone", "w"},
                   {"HomePhone", "h"},
                   {"WorkFax", "f"},
                   {"OtherPhone", "o"},
                   {"Email1", "e@x"},
                   {"PrimaryPhone", "m"},
                   {"MobilePhone", "mob"}}},
        PhoneCase{"LabelsNeedNotFollowTheColumnNames",
                  {{7, "mob"}, {4, "e@x"}, {0, "w"}},
                  {},
                  {{"WorkPhone", "w"}, {"Email1", "e@x"}, {"MobilePhone", "mob"}}},
        PhoneCase{"LaterSlotOfALabelTakesTheSecondField",
                  {{1, "first"}, {0, "w"}, {1, "second"}},
                  {},
                  {{"WorkPhone", "w"}, {"HomePhone", "first"}, {"HomePhone2", "second"}}},
        PhoneCase{
            "EmptySlotOverwritesNothing", {{1, "home"}, {1, ""}}, {}, {{"HomePhone", "home"}}},
        // The loader's by-label area files unknown labels as work; the common record does not.
        PhoneCase{"PagerHasItsFieldUnknownLabelsNone",
                  {{6, "pager"}, {99, "odd"}, {-1, "negative"}},
                  {},
                  {{"Pager", "pager"}}},
        PhoneCase{"LongNumbersAreCut",
                  {{0, std::string(40, '9')}},
                  {},
                  {{"WorkPhone", std::string(23, '9')}}},
        PhoneCase{"ThreeLabelledEmails",
                  {{4, "a@x"}, {4, "b@x"}, {4, "c@x"}, {4, "d@x"}},
                  {},
                  {{"Email1", "a@x"}, {"Email2", "b@x"}, {"Email3", "c@x"}}},
        PhoneCase{"FullFieldsKeepTheFirstSlots",
                  {{0, "w1"}, {0, "w2"}, {0, "w3"}, {2, "f1"}, {2, "f2"}, {2, "f3"}, {5, "m1"}},
                  {},
                  {{"WorkPhone", "w1"},
                   {"WorkPhone2", "w2"},
                   {"WorkFax", "f1"},
                   {"HomeFax", "f2"},
                   {"PrimaryPhone", "m1"}}},
        PhoneCase{
            "EmailColumnsInColumnOrder",
            {},
            {{"Work E-mail", "w@x"}, {"E-mail 1", "a@x"}, {"E-mail 2", "b@x"}, {"E-mail 3", "c@x"}},
            {{"Email1", "w@x"}, {"Email2", "a@x"}, {"Email3", "b@x"}}},
        PhoneCase{"EmailColumnsAfterALabelledEmail",
                  {{0, "w"}, {4, "l@x"}},
                  {{"E-mail 1", "a@x"}, {"E-mail 3", "c@x"}},
                  {{"WorkPhone", "w"}, {"Email1", "l@x"}, {"Email2", "a@x"}, {"Email3", "c@x"}}},
        PhoneCase{
            "EmailColumnsSkipAddressesAlreadyThere",
            {{4, "a@x"}},
            {{"Work E-mail", "A@X"}, {"E-mail 1", "b@x"}, {"E-mail 2", "a@x"}, {"E-mail 3", "b@x"}},
            {{"Email1", "a@x"}, {"Email2", "b@x"}}},
        // Compared as stored: the column repeats the slot's address, both cut to 63 bytes.
        PhoneCase{"LongAddressIsCutAndStillADuplicate",
                  {{4, k70}},
                  {{"E-mail 1", k70}, {"E-mail 2", k62 + "\xC3\xA9@x"}},
                  {{"Email1", std::string(63, 'a')}, {"Email2", k62}}},
        PhoneCase{"PagerMobileAndFaxColumns",
                  {{2, "f1"}},
                  {{"Pager", "p"}, {"Other Mobile", "m"}, {"Other Fax", "f2"}},
                  {{"WorkFax", "f1"}, {"HomeFax", "f2"}, {"Pager", "p"}, {"MobilePhone", "m"}}},
        PhoneCase{
            "ColumnsOverwriteNoSlot",
            {{6, "sp"}, {7, "sm"}, {2, "f1"}, {2, "f2"}, {4, "a@x"}, {4, "b@x"}, {4, "c@x"}},
            {{"Pager", "p"}, {"Other Mobile", "m"}, {"Other Fax", "f3"}, {"Work E-mail", "d@x"}},
            {{"Pager", "sp"},
             {"MobilePhone", "sm"},
             {"WorkFax", "f1"},
             {"HomeFax", "f2"},
             {"Email1", "a@x"},
             {"Email2", "b@x"},
             {"Email3", "c@x"}}},
        PhoneCase{"FaxColumnRepeatingTheSlotIsSkipped",
                  {{2, "f1"}},
                  {{"Other Fax", "f1"}},
                  {{"WorkFax", "f1"}}}),
    [](const testing::TestParamInfo<PhoneCase>& p) { return std::string(p.param.name); });

TEST_F(PmEx2ConvertTest, DeletedAndArchivedContactsAreNotConverted) {
  std::vector<PmRow> rows;
  const std::int32_t statuses[] = {0x04, 0x80, 0x01, 0x84, 0x00, 0x40};
  for (std::size_t i = 0; i < std::size(statuses); ++i) {
    rows.push_back(RowOf<PmAddrEx2Record>(
        {{"Status", statuses[i]}, {"Last Name", "n" + std::to_string(i)}, {"Category", 9}}));
  }
  Main<PmAddrEx2Util>(std::move(rows), {Category(3, "Business")});
  PmAddrInfo info(kVersion6);
  ASSERT_TRUE(info.LoadByFile(file_));
  ASSERT_EQ(info.Manager().Count(), 3u);
  EXPECT_EQ(info.Manager().Peek(0)->LastName, "n2");
  EXPECT_EQ(info.Manager().Peek(1)->LastName, "n4");
  EXPECT_EQ(info.Manager().Peek(2)->LastName, "n5");
  EXPECT_EQ(info.Manager().Peek(2)->Status, 0x40u);
  EXPECT_TRUE(info.Manager().Peek(0)->Category.empty());  // category 9 is not in the table
  EXPECT_EQ(info.ItemCount(), 3u);
}

TEST_F(PmEx2ConvertTest, ContactsLoadByUserFolderAndFileTypeIsChecked) {
  std::filesystem::create_directories(dir_.file("address"));
  WriteFile(dir_.file("address/Address.mdb"), "");
  Main<PmAddrEx2Util>({RowOf<PmAddrEx2Record>({{"Last Name", std::string("Byron")}})});
  // An unreadable version reads as the newest Palm Desktop.
  PmAddrInfo info(0xFFFFFFFF);
  ASSERT_TRUE(info.LoadByFolder(dir_.folder()));
  EXPECT_EQ(info.LoadedLayout(), kPmLayout6x);
  EXPECT_EQ(info.Manager().Peek(0)->LastName, "Byron");
  EXPECT_EQ(info.CheckFileType(file_), kPmLayout6x);
  // A reload replaces the records rather than adding to them.
  ASSERT_TRUE(info.LoadByFile(file_));
  EXPECT_EQ(info.Manager().Count(), 1u);
}

TEST_F(PmEx2ConvertTest, MappedCustomFieldsReadTheSixXTable) {
  Main<PmAddrEx2Util>({RowOf<PmAddrEx2Record>({
      {"Work Phone", std::string("111")},
      {"Phone Label1", 1},  // home
      {"Profession", std::string(100, 'p')},
      {"Website", std::string("http://ada.example")},
      {"Birthday", 1234},
      {"Custom 9", std::string("nine")},
  })});
  PmAddrInfo info(kVersion6);
  ASSERT_TRUE(info.SetMappedField(0, 14));  // Home Phone
  ASSERT_TRUE(info.SetMappedField(1, 19));  // Pager: the record has none
  ASSERT_TRUE(info.SetMappedField(2, 10));  // Profession
  ASSERT_TRUE(info.SetMappedField(3, 41));  // Home Page
  ASSERT_TRUE(info.SetMappedField(4, 43));  // Birthday: not a text entry
  ASSERT_TRUE(info.SetMappedField(9, 52));  // Custom 9
  ASSERT_TRUE(info.LoadByFile(file_));
  EXPECT_EQ(info.FieldEntryCount(), 54u);
  const CommonContact& c = *info.Manager().Peek(0);
  EXPECT_EQ(c.MappedCustom[0], "111");
  EXPECT_TRUE(c.MappedCustom[1].empty());
  EXPECT_EQ(c.MappedCustom[2], std::string(63, 'p'));
  EXPECT_EQ(c.MappedCustom[3], "http://ada.example");
  EXPECT_TRUE(c.MappedCustom[4].empty());
  EXPECT_EQ(c.MappedCustom[9], "nine");
  // The pager lookup labelled the first empty slot in the item's copy only.
  const auto* kept = c.NativeRecord.As<PmAddrItem>()->Get<PmAddrEx2Record>();
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(kept->phoneLabel[1], 6);
  EXPECT_TRUE(c.Pager.empty());
}

// A label no slot carries reads the unlabelled column of its kind, as the conversion places it.
TEST_F(PmEx2ConvertTest, MappedPhoneEntriesFallBackToTheirColumns) {
  Main<PmAddrEx2Util>({RowOf<PmAddrEx2Record>({
      {"Work Phone", std::string("111")},
      {"Phone Label1", 0},
      {"Work Fax", std::string("e@slot")},
      {"Phone Label2", 4},  // an e-mail slot wins over the e-mail columns
      {"Pager", std::string("555")},
      {"Other Mobile", std::string("777")},
      {"E-mail 2", std::string("b@x")},
  })});
  PmAddrInfo info(kVersion6);
  ASSERT_TRUE(info.SetMappedField(0, 19));  // Pager
  ASSERT_TRUE(info.SetMappedField(1, 20));  // Mobile
  ASSERT_TRUE(info.SetMappedField(2, 17));  // E-mail
  ASSERT_TRUE(info.SetMappedField(3, 15));  // Fax: no slot, no column
  ASSERT_TRUE(info.LoadByFile(file_));
  const CommonContact& c = *info.Manager().Peek(0);
  EXPECT_EQ(c.MappedCustom[0], "555");
  EXPECT_EQ(c.MappedCustom[1], "777");
  EXPECT_EQ(c.MappedCustom[2], "e@slot");
  EXPECT_TRUE(c.MappedCustom[3].empty());
}

// ---- calendar ----------------------------------------------------------------------------------

TEST_F(PmEx2ConvertTest, EventTextsFlagsAndAlarm) {
  CommonEvent e = LoadEvent({
      {"Summary", std::string(254, 's') + "\xC3\xA9"},  // the é would end past byte 255
      {"Note", std::string("Agenda\r\n1. budget")},
      {"Location", std::string("Caf\xC3\xA9")},
      {"Start Time", kJan1},
      {"End Time", kJan1 + 5400},
      {"Untimed", true},
      {"Alarm", true},
      {"Alarm Advance", 2},
      {"Alarm Unit", 1},
      {"Status", 0x01},
      {"Private", true},
  });
  EXPECT_EQ(e.Subject, std::string(254, 's'));
  EXPECT_EQ(e.Description, "Agenda\r\n1. budget");
  EXPECT_EQ(e.Location, "Caf\xC3\xA9");
  EXPECT_EQ(e.AllDay, 1u);
  // An untimed event is its whole day.
  EXPECT_EQ(e.Start, At(2010, 1, 1, 0, 0, 5));
  EXPECT_EQ(e.End, At(2010, 1, 2, 0, 0, 6));
  EXPECT_EQ(e.ReminderSet, 1u);
  EXPECT_EQ(e.ReminderCount, 1u);
  EXPECT_EQ(e.Reminders[0].Amount, 2);
  EXPECT_EQ(e.Reminders[0].Unit, kUnitHours);
  EXPECT_EQ(e.Recurrence.RecurType, kRecurNone);
  EXPECT_EQ(e.SourceType, 1u);
  EXPECT_EQ(e.Status, 1u);
}

struct AlarmCase {
  bool set;
  std::int32_t advance;
  std::int32_t unit;
  std::uint32_t count;  // ReminderSet and ReminderCount
  std::int32_t amount;
  std::int32_t commonUnit;
};

TEST_F(PmEx2ConvertTest, AlarmUnits) {
  const AlarmCase cases[] = {
      {true, 10, 0, 1, 10, kUnitMinutes}, {true, 2, 1, 1, 2, kUnitHours},
      {true, 3, 2, 1, 3, kUnitDays},      {true, 5, 7, 1, 5, kUnitMinutes},
      {true, 5, -1, 1, 5, kUnitMinutes},  {false, 15, 1, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.set << " " << c.advance << " " << c.unit);
    CommonEvent e =
        LoadEvent({{"Alarm", c.set}, {"Alarm Advance", c.advance}, {"Alarm Unit", c.unit}});
    EXPECT_EQ(e.ReminderSet, c.count);
    EXPECT_EQ(e.ReminderCount, c.count);
    EXPECT_EQ(e.Reminders[0].Amount, c.amount);
    EXPECT_EQ(e.Reminders[0].Unit, c.commonUnit);
  }
}

struct ZoneCase {
  const char* tz;
  std::int32_t value;
  const char* local;  // as Text() writes it
};

TEST_F(PmEx2ConvertTest, TimesAreLocalWallTime) {
  const ZoneCase cases[] = {
      {"UTC", kJune15, "2009-06-15 12:00"},
      {"Europe/Berlin", kJune15, "2009-06-15 14:00"},           // summer time
      {"Europe/Berlin", kJan1, "2010-01-01 13:00"},             // winter time
      {"America/New_York", kJune15, "2009-06-15 08:00"},        // daylight time
      {"America/New_York", kJan1 - 36000, "2009-12-31 21:00"},  // the day before in New York
      {"Asia/Kolkata", kJan1, "2010-01-01 17:30"},              // a half-hour zone
      // Half an hour after the spring change in Berlin (2010-03-28 01:00 UTC).
      {"Europe/Berlin", 1269739800, "2010-03-28 03:30"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tz);
    Zone(c.tz);
    CommonEvent e = LoadEvent({{"Start Time", c.value}, {"End Time", c.value + 3600}});
    EXPECT_EQ(Text(e.Start), c.local);
    EXPECT_EQ(e.End.wHour, (e.Start.wHour + 1) % 24);
  }
}

struct RepeatCase {
  const char* name;
  const char* text;
  std::int32_t start;
  std::int32_t type;
  std::int32_t interval;
  std::int32_t mask;
  std::int32_t dayOfMonth;
  std::int32_t month;
  std::int32_t instance;
  std::int16_t hasEnd;  // checked for repeating events only
  const char* end;      // PatternEnd as Text() writes it; nullptr: not checked
};

void PrintTo(const RepeatCase& c, std::ostream* os) {
  *os << c.name;
}

class PmEx2RepeatTest : public PmEx2ConvertTest, public testing::WithParamInterface<RepeatCase> {};

// In New York, so that an end date read as UTC, or a day taken from the UTC start, shows.
TEST_P(PmEx2RepeatTest, RepeatTextBecomesTheRecurrence) {
  const RepeatCase& c = GetParam();
  Zone("America/New_York");
  CommonEvent e = LoadEvent({{"Start Time", c.start},
                             {"End Time", c.start + 3600},
                             {"Repeated Event", std::string(c.text)}});
  const CommonRecurrence& r = e.Recurrence;
  // The Palm fields in the form the comparison sees (only the fields of the pattern's type).
  CommonEvent form;
  form.Start = e.Start;
  CommonRecurrence& w = form.Recurrence;
  w.RecurType = c.type;
  w.Interval = c.interval;
  w.DayOfWeekMask = c.mask;
  w.DayOfMonth = c.dayOfMonth;
  w.MonthOfYear = c.month;
  w.Instance = c.instance;
  w.HasEnd = c.hasEnd;
  w.PatternEnd = r.PatternEnd;
  NormaliseEvent(form);
  EXPECT_EQ(r.RecurType, w.RecurType) << Recurrence(r);
  EXPECT_EQ(r.Interval, w.Interval) << Recurrence(r);
  EXPECT_EQ(r.DayOfWeekMask, w.DayOfWeekMask) << Recurrence(r);
  EXPECT_EQ(r.DayOfMonth, w.DayOfMonth) << Recurrence(r);
  EXPECT_EQ(r.MonthOfYear, w.MonthOfYear) << Recurrence(r);
  EXPECT_EQ(r.Instance, w.Instance) << Recurrence(r);
  if (c.type != kRecurNone) {
    EXPECT_EQ(r.HasEnd, c.hasEnd) << Recurrence(r);
  }
  // Without an end the pattern keeps no end date.
  if (c.end && c.type != kRecurNone && c.hasEnd) {
    EXPECT_EQ(Text(r.PatternEnd), c.end);
  }
  EXPECT_EQ(r.PatternStart, w.PatternStart);
}

// 2009-12-24 23:30 in New York is already the 25th in UTC.
constexpr std::int32_t kDec24Late = 1261715400;

INSTANTIATE_TEST_SUITE_P(
    Cases, PmEx2RepeatTest,
    testing::Values(
        // name, text, start, type, interval, mask, day, month, instance, hasEnd, end
        RepeatCase{"DailyForEver", "D2 #0", kJune15, kRecurDaily, 2, 0, 0, 0, 0, 0, nullptr},
        RepeatCase{"WeeklyEndsAtLocalMidnight", "W1 MO WE FR 20091231T000000Z", kJune15,
                   kRecurWeekly, 1, 0x2A, 0, 0, 1, 1, "2009-12-31 00:00"},
        RepeatCase{"WeeklyEveryTwoWeeks", "W2 MO WE #0", kJune15, kRecurWeekly, 2,
                   kMaskMonday | kMaskWednesday, 0, 0, 1, 0, nullptr},
        RepeatCase{"WeeklyWithoutDaysTakesTheLocalStartDay", "W1 #0", kDec24Late, kRecurWeekly, 1,
                   kMaskThursday, 0, 0, 1, 0, nullptr},
        RepeatCase{"MonthlyByDate", "MD1 15 #0", kJune15, kRecurMonthly, 1, 0, 15, 0, 0, 0,
                   nullptr},
        RepeatCase{"MonthlyByDateFromTheLocalStart", "MD6 20190701", kDec24Late, kRecurMonthly, 6,
                   0, 24, 0, 0, 1, "2019-07-01 00:00"},
        RepeatCase{"YearlyOnTheStartDay", "YM1 6 #0", kJune15, kRecurYearly, 1, 0, 15, 6, 0, 0,
                   nullptr},
        RepeatCase{"YearlyOnChristmasEve", "YM1 12 #0", kDec24Late, kRecurYearly, 1, 0, 24, 12, 0,
                   0, nullptr},
        RepeatCase{"EndIn2019HasAnEnd", "D1 20190630T000000Z", kJune15, kRecurDaily, 1, 0, 0, 0, 0,
                   1, "2019-06-30 00:00"},
        RepeatCase{"EndAfter2020StillHasAnEnd", "D1 20250101T000000Z", kJune15, kRecurDaily, 1, 0,
                   0, 0, 0, 1, "2025-01-01 00:00"},
        RepeatCase{"ForEverIs2031", "W1 SU #0", kJune15, kRecurWeekly, 1, kMaskSunday, 0, 0, 1, 0,
                   "2031-12-31 10:59"},
        RepeatCase{"UnknownKindIsNoRepeat", "X1 #0", kJune15, kRecurNone, 0, 0, 0, 0, 0, 1,
                   nullptr},
        RepeatCase{"DayOfYearIsNoRepeat", "YD1 100 #0", kJune15, kRecurNone, 0, 0, 0, 0, 0, 1,
                   nullptr},
        RepeatCase{"BadIntervalIsNoRepeat", "W0 MO #0", kJune15, kRecurNone, 0, 0, 0, 0, 0, 1,
                   nullptr},
        RepeatCase{"NoTextIsNoRepeat", "", kJune15, kRecurNone, 0, 0, 0, 0, 0, 1, nullptr}),
    [](const testing::TestParamInfo<RepeatCase>& p) { return std::string(p.param.name); });

// A 6.x repeat text and the layout-2 rule that says the same.
struct SameRuleCase {
  const char* name;
  const char* text;
  std::int32_t start;
  PmRepeat rule;  // end date: no end unless set
};

void PrintTo(const SameRuleCase& c, std::ostream* os) {
  *os << c.name;
}

PmRepeat Rule(std::int32_t kind, std::int32_t interval, std::int32_t dayIndex = 0,
              std::int32_t weekIndex = 0, std::uint8_t dayMask = 0, std::int32_t dayNumber = 0,
              std::int32_t monthIndex = 0) {
  PmRepeat r;
  r.kind = kind;
  r.interval = interval;
  r.endDate = PmRepeatText::kNoEnd;
  r.dayIndex = dayIndex;
  r.weekIndex = weekIndex;
  r.dayMask = dayMask;
  r.dayNumber = dayNumber;
  r.monthIndex = monthIndex;
  return r;
}

PmRepeat Ending(PmRepeat r, std::int32_t end) {
  r.endDate = end;
  return r;
}

class PmEx2SameRuleTest : public PmEx2ConvertTest,
                          public testing::WithParamInterface<SameRuleCase> {};

// A date book moved from Palm Desktop 4 to 6 must not change its events in Google: the 6.x text
// and the layout-2 rule of the same repeat give the same recurrence.
TEST_P(PmEx2SameRuleTest, SixXAgreesWithLayout2) {
  const SameRuleCase& c = GetParam();
  Zone("Europe/Berlin");
  CommonEvent six = LoadEvent({{"Start Time", c.start},
                               {"End Time", c.start + 3600},
                               {"Repeated Event", std::string(c.text)}});

  PmDateExUtil db;
  PmDateExRecord r;
  r.start = c.start;
  r.end = c.start + 3600;
  r.repeat = c.rule;
  db.Records().push_back(r);
  const std::string dat = dir_.file("datebook.dat");
  ASSERT_TRUE(db.SaveAs(dat));
  PmDateInfo info(kVersion412);
  ASSERT_TRUE(info.LoadByFile(dat));
  ASSERT_EQ(info.LoadedLayout(), kPmLayout2);
  const CommonRecurrence& four = info.Manager().Peek(0)->Recurrence;

  EXPECT_TRUE(six.Recurrence.SamePattern(four))
      << "6.x: " << Recurrence(six.Recurrence) << "\n4.x: " << Recurrence(four);
  EXPECT_EQ(six.Recurrence.HasEnd, four.HasEnd);
  EXPECT_EQ(Text(six.Recurrence.PatternEnd), Text(four.PatternEnd));
  EXPECT_NE(six.Recurrence.RecurType, kRecurNone);
}

// 2009-06-01 12:00 UTC, a Monday; 2009-06-29 12:00 UTC, the last Monday of June.
constexpr std::int32_t kJune1 = 1243857600;
constexpr std::int32_t kJune29 = 1246276800;
// 2009-12-31 00:00 in Berlin.
constexpr std::int32_t kDec31Berlin = 1262214000;

INSTANTIATE_TEST_SUITE_P(
    Cases, PmEx2SameRuleTest,
    testing::Values(SameRuleCase{"Daily", "D3 #0", kJune15, Rule(PmRepeat::kDaily, 3)},
                    SameRuleCase{"Weekly", "W2 MO WE 20091231T000000Z", kJune15,
                                 Ending(Rule(PmRepeat::kWeekly, 2, 1, 0, 0x0A), kDec31Berlin)},
                    SameRuleCase{"MonthlySecondTuesday", "MP1 2+ TU #0", kJune15,
                                 Rule(PmRepeat::kMonthlyByWeekday, 1, 2, 1)},
                    SameRuleCase{"MonthlyFirstSunday", "MP2 1+ SU #0", kJune15,
                                 Rule(PmRepeat::kMonthlyByWeekday, 2, 0, 0)},
                    SameRuleCase{"MonthlyFourthSaturday", "MP1 4+ SA #0", kJune15,
                                 Rule(PmRepeat::kMonthlyByWeekday, 1, 6, 3)},
                    SameRuleCase{"MonthlyLastFriday", "MP1 1- FR #0", kJune15,
                                 Rule(PmRepeat::kMonthlyByWeekday, 1, 5, 4)},
                    SameRuleCase{"MonthlyFifthIsLast", "MP3 5+ WE 20091231T000000Z", kJune15,
                                 Ending(Rule(PmRepeat::kMonthlyByWeekday, 3, 3, 4), kDec31Berlin)},
                    SameRuleCase{"MonthlyWeekdayFromAFirstMondayStart", "MP1 #0", kJune1,
                                 Rule(PmRepeat::kMonthlyByWeekday, 1, 1, 0)},
                    SameRuleCase{"MonthlyWeekdayFromAThirdMondayStart", "MP1 #0", kJune15,
                                 Rule(PmRepeat::kMonthlyByWeekday, 1, 1, 2)},
                    SameRuleCase{"MonthlyWeekdayFromALastMondayStart", "MP1 #0", kJune29,
                                 Rule(PmRepeat::kMonthlyByWeekday, 1, 1, 4)},
                    SameRuleCase{"MonthlyByDate", "MD2 10 #0", kJune15,
                                 Rule(PmRepeat::kMonthlyByDate, 2, 0, 0, 0, 10)},
                    SameRuleCase{"Yearly", "YM1 6 #0", kJune15,
                                 Rule(PmRepeat::kYearlyByDate, 1, 0, 0, 0, 15, 5)}),
    [](const testing::TestParamInfo<SameRuleCase>& p) { return std::string(p.param.name); });

// The common rule holds the one weekday a layout-2 rule can; the item keeps every named day.
TEST_F(PmEx2ConvertTest, MonthlyByWeekdayOfTwoDaysKeepsBothInTheItem) {
  const CommonRecurrence one =
      LoadEvent({{"Start Time", kJune15}, {"Repeated Event", std::string("MP1 2+ TU #0")}})
          .Recurrence;
  Main<PmDateEx2Util>({RowOf<PmDateEx2Record>(
      {{"Start Time", kJune15}, {"Repeated Event", std::string("MP1 2+ TU TH #0")}})});
  PmDateInfo info(kVersion6);
  ASSERT_TRUE(info.LoadByFile(file_));
  const CommonEvent& e = *info.Manager().Peek(0);
  const auto* kept = e.NativeRecord.As<PmDateItem>()->Get<PmDateEx2Record>();
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(kept->repeat.dayMask, kMaskTuesday | kMaskThursday);
  EXPECT_EQ(e.Recurrence.RecurType, kRecurMonthlyNth);
  EXPECT_TRUE(e.Recurrence.SamePattern(one)) << Recurrence(e.Recurrence) << "\n" << Recurrence(one);
}

TEST_F(PmEx2ConvertTest, DeletedEventsAndByUserFolder) {
  std::filesystem::create_directories(dir_.file("DateBook"));
  WriteFile(dir_.file("DateBook/datebook.MDB"), "");
  Main<PmDateEx2Util>({
      RowOf<PmDateEx2Record>({{"Status", 0x04}, {"Summary", std::string("gone")}}),
      RowOf<PmDateEx2Record>({{"Status", 0x80}, {"Summary", std::string("archived")}}),
      RowOf<PmDateEx2Record>({{"Summary", std::string("kept")}}),
  });
  PmDateInfo info(0xFFFFFFFF);
  ASSERT_TRUE(info.LoadByFolder(dir_.folder()));
  EXPECT_EQ(info.LoadedLayout(), kPmLayout6x);
  ASSERT_EQ(info.Manager().Count(), 1u);
  EXPECT_EQ(info.Manager().Peek(0)->Subject, "kept");
  EXPECT_EQ(info.CheckFileType(file_), kPmLayout6x);
}

// ---- tasks -------------------------------------------------------------------------------------

TEST_F(PmEx2ConvertTest, TaskPriorities) {
  const std::pair<std::int32_t, std::int32_t> cases[] = {{1, 1}, {2, 0}, {3, 0}, {4, 0},
                                                         {5, 2}, {0, 0}, {9, 0}, {-1, 0}};
  std::vector<PmRow> rows;
  for (const auto& [priority, importance] : cases)
    rows.push_back(RowOf<PmTodoEx2Record>({{"Priority", priority}}));
  Main<PmTodoEx2Util>(std::move(rows));
  PmTodoInfo info(kVersion6);
  ASSERT_TRUE(info.LoadByFile(file_));
  ASSERT_EQ(info.Manager().Count(), std::size(cases));
  for (std::size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(info.Manager().Peek(i)->Importance, cases[i].second) << cases[i].first;
}

TEST_F(PmEx2ConvertTest, TaskFields) {
  Zone("America/New_York");
  Main<PmTodoEx2Util>(
      {
          RowOf<PmTodoEx2Record>({
              {"Description", std::string(300, 'd')},
              {"Note", std::string("call first")},
              {"Completed", true},
              {"Due Date", kJan1},
              {"Private", true},
              {"Alarm Set", true},
              {"Category", 2},
              {"Status", 0x01},
              {"Repeat Info", std::string("W1 MO WE #0")},
          }),
          RowOf<PmTodoEx2Record>({
              {"Description", std::string("plain")},
              {"Due Date", PmRepeatText::kNoEnd},
              {"Repeat Info", std::string("YM1 6 #0")},
          }),
          RowOf<PmTodoEx2Record>({{"Status", 0x84}}),
          // A weekly rule without days repeats on the repeat start's local weekday (Thursday
          // in New York, Friday in UTC).
          RowOf<PmTodoEx2Record>({{"Due Date", kJan1},
                                  {"Repeat Start Date", kDec24Late},
                                  {"Repeat Info", std::string("W1 20101231")}}),
      },
      {Category(2, "Errands")});
  PmTodoInfo info(kVersion6);
  ASSERT_TRUE(info.LoadByFile(file_));
  EXPECT_EQ(info.LoadedLayout(), kPmLayout6x);
  ASSERT_EQ(info.Manager().Count(), 3u);

  const CommonTask& t = *info.Manager().Peek(0);
  EXPECT_EQ(t.Subject, std::string(255, 'd'));
  EXPECT_EQ(t.Note, "call first");
  EXPECT_EQ(t.Complete, 1);
  EXPECT_EQ(t.DueDate, kJan1);  // the Palm value as stored
  EXPECT_EQ(t.Private, 1);
  EXPECT_EQ(t.Sensitivity, 2);
  EXPECT_EQ(t.ReminderSet, 1);
  EXPECT_EQ(t.ReminderSet2, 1);
  EXPECT_EQ(t.SourceType, 16u);
  EXPECT_EQ(t.Status, 1u);
  EXPECT_EQ(t.Recurrence.RecurType, kRecurWeekly);
  EXPECT_EQ(t.Recurrence.DayOfWeekMask, kMaskMonday | kMaskWednesday);
  EXPECT_EQ(t.Recurrence.HasEnd, 0);

  const CommonTask& plain = *info.Manager().Peek(1);
  EXPECT_EQ(plain.Complete, 0);
  EXPECT_EQ(plain.Private, 0);
  EXPECT_EQ(plain.Sensitivity, 0);
  EXPECT_EQ(plain.ReminderSet, 0);
  EXPECT_EQ(plain.DueDate, PmRepeatText::kNoEnd);
  EXPECT_EQ(plain.Recurrence.RecurType, kRecurNone);  // tasks take no yearly rule
  EXPECT_TRUE(plain.Note.empty());

  const CommonTask& weekly = *info.Manager().Peek(2);
  EXPECT_EQ(weekly.Recurrence.RecurType, kRecurWeekly);
  EXPECT_EQ(weekly.Recurrence.DayOfWeekMask, kMaskThursday);
  EXPECT_EQ(weekly.Recurrence.HasEnd, 1);
  EXPECT_EQ(Text(weekly.Recurrence.PatternEnd), "2010-12-31 00:00");
}

// ---- memos -------------------------------------------------------------------------------------

struct MemoCase {
  const char* name;
  std::string text;
  std::string title;
  std::size_t bodyBytes;
};

TEST_F(PmEx2ConvertTest, MemoTitleIsTheFirstLine) {
  const std::string longLine = std::string(254, 'a') + "\xC3\xA9 and more";
  const MemoCase cases[] = {
      {"CrLf", "Shopping\r\nmilk\r\neggs", "Shopping", 20},
      {"Lf", "Unix\nline", "Unix", 9},
      {"Cr", "Mac\rline", "Mac", 8},
      {"OneLine", "Just this", "Just this", 9},
      {"StartsWithABreak", "\r\nbody", "", 6},
      {"LongFirstLineCutAtAWholeCharacter", longLine, std::string(254, 'a'), longLine.size()},
      {"LongMemo", std::string(30000, 'm'), std::string(255, 'm'), 20479},
  };
  std::vector<PmRow> rows;
  for (const auto& c : cases) rows.push_back(RowOf<PmMemoEx2Record>({{"Note", c.text}}));
  rows.push_back(RowOf<PmMemoEx2Record>({{"Note", std::string("private")}, {"Private", true}}));
  rows.push_back(RowOf<PmMemoEx2Record>({{"Note", std::string("deleted")}, {"Status", 0x04}}));
  rows.push_back(RowOf<PmMemoEx2Record>({}));
  Main<PmMemoEx2Util>(std::move(rows));
  PmMemoInfo info(kVersion6);
  ASSERT_TRUE(info.LoadByFile(file_));
  EXPECT_EQ(info.LoadedLayout(), kPmLayout6x);
  ASSERT_EQ(info.Manager().Count(), std::size(cases) + 2);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const CommonNote& n = *info.Manager().Peek(i);
    EXPECT_EQ(n.Title, cases[i].title) << cases[i].name;
    EXPECT_EQ(n.Body.size(), cases[i].bodyBytes) << cases[i].name;
    EXPECT_TRUE(std::string_view(cases[i].text).starts_with(n.Body.view())) << cases[i].name;
    EXPECT_EQ(n.Reserved, 0u) << cases[i].name;
    EXPECT_EQ(n.SourceType, 1u) << cases[i].name;
  }
  const CommonNote& secret = *info.Manager().Peek(std::size(cases));
  EXPECT_EQ(secret.Title, "private");
  EXPECT_EQ(secret.Reserved, 1u);
  const CommonNote& empty = *info.Manager().Peek(std::size(cases) + 1);
  EXPECT_TRUE(empty.Title.empty());
  EXPECT_TRUE(empty.Body.empty());
}

TEST_F(PmEx2ConvertTest, WithoutASixXLoaderTheSourcesFailCleanly) {
  PmAddrInfo::SetEx2Factory(nullptr);
  PmDateInfo::SetEx2Factory(nullptr);
  PmTodoInfo::SetEx2Factory(nullptr);
  PmMemoInfo::SetEx2Factory(nullptr);
  PmAddrInfo contacts(kVersion6);
  PmDateInfo calendar(kVersion6);
  PmTodoInfo tasks(kVersion6);
  PmMemoInfo memos(kVersion6);
  EXPECT_FALSE(contacts.LoadByFile(file_));
  EXPECT_FALSE(calendar.LoadByFile(file_));
  EXPECT_FALSE(tasks.LoadByFile(file_));
  EXPECT_FALSE(memos.LoadByFile(file_));
  EXPECT_EQ(memos.LoadedLayout(), kPmLayoutFailed);
  EXPECT_EQ(calendar.CheckFileType(file_), kPmLayoutFailed);
}

}  // namespace
