// The four Palm sources: generation choice, file rules, and the conversions into common records,
// over files written with our own writer.
#include <gtest/gtest.h>

#include "misc/EventForm.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <tuple>
#include <type_traits>

#include "PmFixtures.h"
#include "PmTestUtil.h"
#include "PmVariedDatebook.h"
#include "TestUtil.h"
#include "json/RecordJson.h"
#include "palm/PmAddrInfo.h"
#include "palm/PmDateInfo.h"
#include "palm/PmMemoInfo.h"
#include "palm/PmTodoInfo.h"

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t kLayout1Version = 40101;
constexpr std::uint32_t kLayout2Version = 40102;
constexpr std::int32_t kForever = 1956528000;  // 2032-01-01, past the no-date limit
constexpr std::int32_t kBusiness = 1;          // category slot written below

template <class Loader>
std::string Write(const TempDir& dir, const std::string& name,
                  std::vector<typename Loader::Record> records) {
  Loader db;
  db.EnsureCategories().Add({kBusiness, 10, "Business", "", 0});
  for (auto& r : records) {
    if (r.categoryId == kBusiness) r.categoryName = "Business";
    db.Records().push_back(std::move(r));
  }
  std::string path = dir.file(name);
  EXPECT_TRUE(db.SaveAs(path));
  return path;
}

class PmSourcesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QuietDebugLog();
    setenv("TZ", "UTC", 1);
    tzset();
  }
  TempDir dir_;
};

// ---- generation choice

struct VersionCase {
  std::uint32_t version;
  int contacts;  // also memos
  int calendar;  // also to-dos
};

class PmVersionTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(PmVersionTest, PicksTheGeneration) {
  QuietDebugLog();
  const VersionCase& c = GetParam();
  EXPECT_EQ(PmLayoutForVersion(c.version, PmOldVersions::kUnknown), c.contacts);
  EXPECT_EQ(PmLayoutForVersion(c.version, PmOldVersions::kLayout1), c.calendar);
  PmAddrInfo contacts(c.version);
  EXPECT_EQ(PmAddrInfo::LayoutSelector(), c.contacts);
  EXPECT_EQ(PmDateInfo(c.version).Generation(), c.calendar);
  EXPECT_EQ(PmTodoInfo(c.version).Generation(), c.calendar);
  EXPECT_EQ(PmMemoInfo(c.version).Generation(), c.contacts);
}

INSTANTIATE_TEST_SUITE_P(Versions, PmVersionTest,
                         ::testing::Values(VersionCase{40102, 2, 2}, VersionCase{40101, 1, 1},
                                           VersionCase{30500, 1, 1}, VersionCase{30005, 0, 1},
                                           VersionCase{59999, 2, 2}, VersionCase{60000, 3, 3},
                                           VersionCase{0xFFFFFFFF, 3, 3}));

TEST_F(PmSourcesTest, UnknownVersionFailsLoadByUser) {
  PmAddrInfo info(30005);
  EXPECT_FALSE(info.LoadByFolder(dir_.file("")));
  EXPECT_EQ(info.LoadedLayout(), kPmLayoutFailed);
}

TEST_F(PmSourcesTest, NoSixXLoaderFailsCleanly) {
  PmAddrInfo::SetEx2Factory(nullptr);
  PmAddrInfo info(0xFFFFFFFF);
  EXPECT_FALSE(info.LoadByFolder(dir_.file("")));
  EXPECT_FALSE(info.LoadByFile(dir_.file("Address.mdb")));
  EXPECT_EQ(info.CheckFileType(dir_.file("Address.mdb")), kPmLayoutFailed);
}

// ---- contacts

PmAddrRecord Contact1() {
  PmAddrRecord r;
  r.recordId = 7;
  r.status = 0x01;  // modified: still live
  r.firstName = "Ren\xE9";
  r.lastName = "Dupont";
  r.title = "Chef";
  r.company = std::string(100, 'C');
  r.street = "1 Rue";
  r.city = "Lyon";
  r.state = "RH";
  r.zip = "69001";
  r.country = "France";
  r.note = "line 1\r\nline 2";
  r.custom = {"c1", "c2", "c3", "c4"};
  r.phoneLabel = {kPmPhoneHome, kPmPhonePager, kPmPhoneHome, kPmPhoneEmail, kPmPhoneMobile};
  r.phone = {"111", "222", "333", "ren\xE9@example.com", "555"};
  r.categoryId = kBusiness;
  return r;
}

TEST_F(PmSourcesTest, ContactLayout1Conversion) {
  auto path = Write<PmAddrUtil>(dir_, "address.dat", {Contact1()});
  PmAddrInfo info(kLayout1Version);
  ASSERT_TRUE(info.LoadByFile(path));
  EXPECT_EQ(info.LoadedLayout(), kPmLayout1);
  ASSERT_EQ(info.Manager().Count(), 1u);
  const CommonContact& c = *info.Manager().Peek(0);
  EXPECT_EQ(c.FirstName, "Ren\xC3\xA9");
  EXPECT_EQ(c.LastName, "Dupont");
  EXPECT_EQ(c.JobTitle, "Chef");
  EXPECT_EQ(c.Company, std::string(63, 'C'));
  EXPECT_EQ(c.WorkAddress.Street, "1 Rue");
  EXPECT_EQ(c.WorkAddress.City, "Lyon");
  EXPECT_EQ(c.WorkAddress.State, "RH");
  EXPECT_EQ(c.WorkAddress.PostalCode, "69001");
  EXPECT_EQ(c.WorkAddress.Country, "France");
  EXPECT_EQ(c.Note, "line 1\r\nline 2");
  EXPECT_EQ(c.Custom[0], "c1");
  EXPECT_EQ(c.Custom[3], "c4");
  EXPECT_EQ(c.Category, "Business");
  // Two "Home Phone"s: the later one takes the second home field.
  EXPECT_EQ(c.HomePhone, "111");
  EXPECT_EQ(c.HomePhone2, "333");
  EXPECT_EQ(c.Email1, "ren\xC3\xA9@example.com");
  EXPECT_EQ(c.MobilePhone, "555");
  EXPECT_EQ(c.Pager, "222");
  EXPECT_TRUE(c.WorkPhone.empty());
  EXPECT_EQ(c.SourceType, 1u);
  EXPECT_EQ(c.Status, 1u);
  const PmAddrItem* item = c.NativeRecord.As<PmAddrItem>();
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->layout, kPmLayout1);
  EXPECT_EQ(item->entry, &c);
  ASSERT_NE(item->Get<PmAddrRecord>(), nullptr);
  EXPECT_EQ(item->Get<PmAddrRecord>()->recordId, 7);
  EXPECT_EQ(info.First(), item);
}

TEST_F(PmSourcesTest, ContactLayout2Conversion) {
  PmAddrExRecord r;
  r.firstName = "Ann";
  r.lastName = "Lee";
  r.company = "Acme";
  r.title = "CTO";
  r.note = "n";
  r.work = {0, "W st", "W city", "W st8", "W zip", "W c"};
  r.home = {0, "H st", "H city", "H st8", "H zip", "H c"};
  r.other = {0, "O st", "O city", "O st8", "O zip", "O c"};
  for (std::size_t i = 0; i < PmAddrExRecord::kCustoms; ++i) r.custom[i] = "k" + std::to_string(i);
  r.phoneLabel = {0, 1, 2, 3, 4, 5, 7};
  r.phone = {"w", "h", "f", "o", "e@x", "m", "mob"};
  auto path = Write<PmAddrExUtil>(dir_, "address.dat", {r});
  PmAddrInfo info(kLayout2Version);
  ASSERT_TRUE(info.LoadByFile(path));
  EXPECT_EQ(info.LoadedLayout(), kPmLayout2);
  const CommonContact& c = *info.Manager().Peek(0);
  EXPECT_EQ(c.FirstName, "Ann");
  EXPECT_EQ(c.Company, "Acme");
  EXPECT_EQ(c.JobTitle, "CTO");
  EXPECT_EQ(c.WorkAddress.Street, "W st");
  EXPECT_EQ(c.HomeAddress.City, "H city");
  EXPECT_EQ(c.OtherAddress.Country, "O c");
  EXPECT_EQ(c.OtherAddress.PostalCode, "O zip");
  EXPECT_EQ(c.Custom[8], "k8");
  EXPECT_EQ(c.WorkPhone, "w");
  EXPECT_EQ(c.HomePhone, "h");
  EXPECT_EQ(c.WorkFax, "f");
  EXPECT_EQ(c.OtherPhone, "o");
  EXPECT_EQ(c.Email1, "e@x");
  EXPECT_EQ(c.PrimaryPhone, "m");
  EXPECT_EQ(c.MobilePhone, "mob");
}

using Fields = PhoneFieldMap;

struct PhoneCase {
  const char* name;
  std::vector<std::pair<std::int32_t, std::string>> phones;  // label and Windows-1252 text
  Fields want;
};

void PrintTo(const PhoneCase& c, std::ostream* os) {
  *os << c.name;
}

const std::string k22Nines(22, '9');

std::vector<PhoneCase> PhoneCases() {
  return {
      {"TwoEmails",
       {{kPmPhoneEmail, "a@x"}, {kPmPhoneEmail, "b@x"}},
       {{"Email1", "a@x"}, {"Email2", "b@x"}}},
      {"ThreeEmailsAmongPhones",
       {{kPmPhoneEmail, "a@x"},
        {kPmPhoneWork, "w"},
        {kPmPhoneEmail, "b@x"},
        {kPmPhoneEmail, "c@x"}},
       {{"Email1", "a@x"}, {"Email2", "b@x"}, {"Email3", "c@x"}, {"WorkPhone", "w"}}},
      {"FourthEmailOverwritesNone",
       {{kPmPhoneEmail, "a@x"},
        {kPmPhoneEmail, "b@x"},
        {kPmPhoneEmail, "c@x"},
        {kPmPhoneEmail, "d@x"}},
       {{"Email1", "a@x"}, {"Email2", "b@x"}, {"Email3", "c@x"}}},
      {"RepeatedLabelsTakeTheSecondFields",
       {{kPmPhoneWork, "w1"},
        {kPmPhoneHome, "h1"},
        {kPmPhoneFax, "f1"},
        {kPmPhoneWork, "w2"},
        {kPmPhoneHome, "h2"},
        {kPmPhoneFax, "f2"}},
       {{"WorkPhone", "w1"},
        {"WorkPhone2", "w2"},
        {"HomePhone", "h1"},
        {"HomePhone2", "h2"},
        {"WorkFax", "f1"},
        {"HomeFax", "f2"}}},
      {"FullFieldsKeepTheFirstPhones",
       {{kPmPhoneWork, "w1"},
        {kPmPhoneWork, "w2"},
        {kPmPhoneWork, "w3"},
        {kPmPhoneMobile, "m1"},
        {kPmPhoneMobile, "m2"},
        {kPmPhoneOther, "o1"},
        {kPmPhoneOther, "o2"}},
       {{"WorkPhone", "w1"}, {"WorkPhone2", "w2"}, {"MobilePhone", "m1"}, {"OtherPhone", "o1"}}},
      {"PagerHasItsField",
       {{kPmPhonePager, "p1"}, {kPmPhonePager, "p2"}, {kPmPhoneMain, "m"}},
       {{"Pager", "p1"}, {"PrimaryPhone", "m"}}},
      {"EmptyPhonesTakeNoField",
       {{kPmPhoneWork, ""}, {kPmPhoneWork, "w"}, {kPmPhoneEmail, ""}},
       {{"WorkPhone", "w"}}},
      {"UnknownLabelsReachNoField", {{8, "a"}, {99, "b"}, {-1, "c"}}, {}},
      // The second field cuts as the first does: before an é that would end at byte 24.
      {"SecondFieldCutAtAWholeCharacter",
       {{kPmPhoneWork, "1"}, {kPmPhoneWork, k22Nines + "\xE9"}},
       {{"WorkPhone", "1"}, {"WorkPhone2", k22Nines}}},
  };
}

class PmPhoneLayoutTest : public PmSourcesTest, public ::testing::WithParamInterface<PhoneCase> {};

// Both 4.x layouts place phones alike; layout 1 has room for five.
TEST_P(PmPhoneLayoutTest, NoPhoneOverwritesAnother) {
  const auto& phones = GetParam().phones;
  PmAddrExRecord two;
  for (std::size_t i = 0; i < phones.size(); ++i)
    std::tie(two.phoneLabel[i], two.phone[i]) = phones[i];
  PmAddrInfo info2(kLayout2Version);
  ASSERT_TRUE(info2.LoadByFile(Write<PmAddrExUtil>(dir_, "address2.dat", {two})));
  EXPECT_EQ(PhoneFields(*info2.Manager().Peek(0)), GetParam().want) << "layout 2";

  if (phones.size() > PmAddrRecord::kPhones) return;
  PmAddrRecord one;
  for (std::size_t i = 0; i < phones.size(); ++i)
    std::tie(one.phoneLabel[i], one.phone[i]) = phones[i];
  PmAddrInfo info1(kLayout1Version);
  ASSERT_TRUE(info1.LoadByFile(Write<PmAddrUtil>(dir_, "address1.dat", {one})));
  EXPECT_EQ(PhoneFields(*info1.Manager().Peek(0)), GetParam().want) << "layout 1";
}

INSTANTIATE_TEST_SUITE_P(Cases, PmPhoneLayoutTest, ::testing::ValuesIn(PhoneCases()),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(PmSourcesTest, DeletedAndArchivedContactsAreSkipped) {
  std::vector<PmAddrRecord> recs(4);
  const std::int32_t statuses[] = {0x04, 0x80, 0x01, 0x84};
  for (std::size_t i = 0; i < recs.size(); ++i) {
    recs[i].status = statuses[i];
    recs[i].lastName = "n" + std::to_string(i);
  }
  auto path = Write<PmAddrUtil>(dir_, "address.dat", recs);
  PmAddrInfo info(kLayout1Version);
  ASSERT_TRUE(info.LoadByFile(path));
  ASSERT_EQ(info.Manager().Count(), 1u);
  EXPECT_EQ(info.Manager().Peek(0)->LastName, "n2");
  EXPECT_EQ(info.Layout1Loader().RecordCount(), 4u);  // the loader keeps them all
}

TEST_F(PmSourcesTest, MappedCustomFields) {
  PmAddrRecord r = Contact1();
  r.phoneLabel = {kPmPhoneHome, kPmPhoneWork, kPmPhoneFax, kPmPhoneOther, kPmPhoneMain};
  r.phone = {"111", "", "333", "", "555"};
  auto path = Write<PmAddrUtil>(dir_, "address.dat", {r});
  PmAddrInfo info(kLayout1Version);
  EXPECT_TRUE(info.SetMappedField(0, 11));  // Pager: the record has none
  EXPECT_TRUE(info.SetMappedField(1, 6));   // Home Phone
  EXPECT_TRUE(info.SetMappedField(9, 22));  // Category
  EXPECT_FALSE(info.SetMappedField(10, 1));
  ASSERT_TRUE(info.LoadByFile(path));
  const CommonContact& c = *info.Manager().Peek(0);
  EXPECT_TRUE(c.MappedCustom[0].empty());
  EXPECT_EQ(c.MappedCustom[1], "111");
  EXPECT_EQ(c.MappedCustom[9], "Business");
  // The first empty phone slot now carries the pager label, in the item only.
  const auto& kept = *c.NativeRecord.As<PmAddrItem>()->Get<PmAddrRecord>();
  EXPECT_EQ(kept.phoneLabel[1], kPmPhonePager);
  EXPECT_EQ(info.Layout1Loader().Records()[0].phoneLabel[1], kPmPhoneWork);
  EXPECT_EQ(info.FieldEntryCount(), 23u);
  EXPECT_STREQ(info.FieldEntryById(11)->label, "Pager");
}

TEST_F(PmSourcesTest, MappedBirthdayIsNotText) {
  PmAddrExRecord r;
  r.lastName = "Lee";
  r.birthday = 12345.5;
  r.homePage = "http://x";
  auto path = Write<PmAddrExUtil>(dir_, "address.dat", {r});
  PmAddrInfo info(kLayout2Version);
  info.SetMappedField(0, 34);
  info.SetMappedField(1, 33);
  ASSERT_TRUE(info.LoadByFile(path));
  const CommonContact& c = *info.Manager().Peek(0);
  EXPECT_TRUE(c.MappedCustom[0].empty());
  EXPECT_EQ(c.MappedCustom[1], "http://x");
  EXPECT_EQ(info.FieldEntryCount(), 45u);
  EXPECT_EQ(info.FieldEntryById(34)->type, PmFieldEntry::kRealDate);
}

TEST_F(PmSourcesTest, UpperCaseDatInLayout1LoadsAfterLayout2Fails) {
  PmAddrRecord r = Contact1();
  auto path = Write<PmAddrUtil>(dir_, "ADDRESS.DAT", {r});
  PmAddrInfo info(kLayout2Version);
  ASSERT_TRUE(info.LoadByFile(path));
  EXPECT_EQ(info.LoadedLayout(), kPmLayout1);
  EXPECT_EQ(info.CheckFileType(path), kPmLayout1);
  auto path2 = Write<PmAddrExUtil>(dir_, "a2.Dat", {PmAddrExRecord{}});
  EXPECT_EQ(info.CheckFileType(path2), kPmLayout2);
}

TEST_F(PmSourcesTest, OtherExtensionsAndEmptyPathsFail) {
  auto path = Write<PmAddrUtil>(dir_, "address.bak", {Contact1()});
  PmAddrInfo info(kLayout1Version);
  EXPECT_FALSE(info.LoadByFile(path));
  EXPECT_EQ(info.LoadedLayout(), kPmLayoutFailed);
  EXPECT_EQ(info.CheckFileType(path), kPmLayoutFailed);
  EXPECT_FALSE(info.LoadByFile(""));
  EXPECT_FALSE(info.LoadByFile(dir_.file("missing.dat")));
  EXPECT_EQ(info.Manager().Count(), 0u);
}

// ---- calendar

PmDateRecord Event1() {
  PmDateRecord r;
  r.start = 1262347200;  // 2010-01-01 12:00 UTC
  r.end = 1262350800;
  r.description = "Meeting \x80";
  r.note = "Agenda";
  r.alarmSet = 1;
  r.alarmAdvance = 2;
  r.alarmUnit = 1;
  return r;
}

// A folder copied from an old PC has no palm.exe: each database's own files choose its
// generation, whatever the others are.
TEST_F(PmSourcesTest, CopiedFolderWithoutVersionReadsEachDatabaseByItsFiles) {
  fs::create_directories(dir_.file("address"));
  fs::create_directories(dir_.file("DateBook"));
  fs::create_directories(dir_.file("todo"));
  Write<PmAddrUtil>(dir_, "address/address.dat", {Contact1()});
  PmDateExRecord event;
  event.description = "Copied";
  Write<PmDateExUtil>(dir_, "DateBook/DATEBOOK.DAT", {event});
  std::ofstream(dir_.file("todo/Todolist.mdb")) << "x";

  PmAddrInfo contacts(kPmVersionUnread);
  ASSERT_TRUE(contacts.LoadByFolder(dir_.file("")));
  EXPECT_EQ(contacts.LoadedLayout(), kPmLayout1);
  EXPECT_EQ(PmAddrInfo::LayoutSelector(), kPmLayout1) << "the field map follows what was read";
  EXPECT_EQ(contacts.Manager().Count(), 1u);

  PmDateInfo calendar(kPmVersionUnread);
  ASSERT_TRUE(calendar.LoadByFolder(dir_.file("")));
  EXPECT_EQ(calendar.LoadedLayout(), kPmLayout2);
  EXPECT_EQ(calendar.Manager().Count(), 1u);

  // Only the 6.x database is there; this program has no 6.x loader plugged in.
  PmTodoInfo::SetEx2Factory(nullptr);
  PmTodoInfo tasks(kPmVersionUnread);
  CxFirstError cause;
  EXPECT_FALSE(tasks.LoadByFolder(dir_.file("")));
  EXPECT_NE(cause.Text().find("6.x"), std::string::npos) << cause.Text();

  // Nothing at all: the reason names what is missing.
  PmMemoInfo::SetEx2Factory(nullptr);
  PmMemoInfo memos(kPmVersionUnread);
  EXPECT_FALSE(memos.LoadByFolder(dir_.file("")));
  EXPECT_FALSE(memos.Report().reason.empty());
}

// The version word picks the layout: no error is logged for the other one, and a damaged file
// fails with its own layout's reason.
TEST_F(PmSourcesTest, DatLayoutComesFromTheVersionWord) {
  auto path = Write<PmDateUtil>(dir_, "datebook.dat", {Event1()});
  {
    CxFirstError cause;
    PmDateInfo info(kLayout2Version);
    ASSERT_TRUE(info.LoadByFile(path));
    EXPECT_EQ(info.LoadedLayout(), kPmLayout1);
    EXPECT_EQ(cause.Text(), "");
  }
  auto bytes = ReadFileBytes(path);
  bytes.resize(bytes.size() / 4);  // inside the schema or category block
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  PmDateInfo info(kLayout2Version);
  EXPECT_FALSE(info.LoadByFile(path));
  EXPECT_FALSE(info.Report().reason.empty());
  EXPECT_EQ(info.Report().reason.find("version"), std::string::npos) << info.Report().reason;
}

// Converting while reading, without Palm records behind the common ones, gives the same
// common records as converting after the load.
TEST_F(PmSourcesTest, ConvertingWhileReadingGivesTheSameRecords) {
  PmDateUtil db;
  PmVariedDatebook(7).Fill(db, 600);
  const std::string path = dir_.file("varied.dat");
  ASSERT_TRUE(db.SaveAs(path));
  auto dump = [&](bool keep) {
    PmDateInfo info(kLayout2Version);
    info.SetKeepNative(keep);
    EXPECT_TRUE(info.LoadByFile(path));
    EXPECT_EQ(info.ItemCount() > 0, keep);
    std::string out;
    for (std::uint32_t i = 0; i < info.Manager().Count(); ++i)
      out += ToJson(*info.Manager().Peek(static_cast<std::int32_t>(i))).dump() + "\n";
    return out;
  };
  const std::string kept = dump(true);
  EXPECT_GT(kept.size(), 1000u);
  EXPECT_EQ(dump(false), kept);
}

TEST_F(PmSourcesTest, EventLayout1Conversion) {
  PmDateRecord untimed = Event1();
  untimed.untimed = 1;
  untimed.alarmSet = 0;
  PmDateRecord unscheduled = Event1();
  unscheduled.start = -1;
  PmDateRecord deleted = Event1();
  deleted.status = 0x04;
  auto path = Write<PmDateUtil>(dir_, "datebook.dat", {Event1(), untimed, unscheduled, deleted});
  PmDateInfo info(kLayout1Version);
  ASSERT_TRUE(info.LoadByFile(path));
  EXPECT_EQ(info.LoadedLayout(), kPmLayout1);
  ASSERT_EQ(info.Manager().Count(), 2u);
  const CommonEvent& e = *info.Manager().Peek(0);
  EXPECT_EQ(e.Subject, "Meeting \xE2\x82\xAC");
  EXPECT_EQ(e.Description, "Agenda");
  EXPECT_TRUE(e.Location.empty());
  EXPECT_EQ(e.AllDay, 0u);
  EXPECT_EQ(e.Start.wYear, 2010);
  EXPECT_EQ(e.Start.wMonth, 1);
  EXPECT_EQ(e.Start.wDay, 1);
  EXPECT_EQ(e.Start.wDayOfWeek, 5);
  EXPECT_EQ(e.Start.wHour, 12);
  EXPECT_EQ(e.End.wHour, 13);
  EXPECT_EQ(e.ReminderSet, 1u);
  EXPECT_EQ(e.ReminderCount, 1u);
  EXPECT_EQ(e.Reminders[0].Amount, 2);
  EXPECT_EQ(e.Reminders[0].Unit, kUnitHours);
  EXPECT_EQ(e.SourceType, 1u);
  const CommonEvent& u = *info.Manager().Peek(1);
  EXPECT_EQ(u.AllDay, 1u);
  // An untimed event is its whole day, whatever end it stores.
  EXPECT_EQ(u.Start.wHour, 0);
  EXPECT_EQ(u.End.wDay, u.Start.wDay + 1);
  EXPECT_EQ(u.ReminderSet, 0u);
  EXPECT_EQ(u.ReminderCount, 0u);
}

TEST_F(PmSourcesTest, EventLayout2Conversion) {
  PmDateExRecord r;
  r.start = 1262347200;
  r.end = 1262350800;
  r.description = "Lunch";
  r.note = "n";
  r.location = "Caf\xE9";
  r.alarmSet = 1;
  r.alarmAdvance = 10;
  r.alarmUnit = 7;  // unknown units read as minutes
  auto path = Write<PmDateExUtil>(dir_, "datebook.dat", {r});
  PmDateInfo info(kLayout1Version);
  ASSERT_TRUE(info.LoadByFile(path));
  EXPECT_EQ(info.LoadedLayout(), kPmLayout2);
  const CommonEvent& e = *info.Manager().Peek(0);
  EXPECT_EQ(e.Subject, "Lunch");
  EXPECT_EQ(e.Location, "Caf\xC3\xA9");
  EXPECT_EQ(e.Reminders[0].Amount, 10);
  EXPECT_EQ(e.Reminders[0].Unit, kUnitMinutes);
}

struct RepeatCase {
  const char* name;
  PmRepeat rule;
  CommonRecurrence want;  // pattern dates aside
};

PmRepeat Rule(std::int32_t kind, std::int32_t interval, std::int32_t end) {
  PmRepeat r;
  r.kind = kind;
  r.interval = interval;
  r.endDate = end;
  return r;
}

CommonRecurrence Want(std::int32_t type, std::int16_t hasEnd, std::int32_t interval,
                      std::int32_t mask, std::int32_t dayOfMonth, std::int32_t month,
                      std::int32_t instance) {
  CommonRecurrence c;
  c.RecurType = type;
  c.HasEnd = hasEnd;
  c.Interval = interval;
  c.DayOfWeekMask = mask;
  c.DayOfMonth = dayOfMonth;
  c.MonthOfYear = month;
  c.Instance = instance;
  return c;
}

std::vector<RepeatCase> RepeatCases() {
  constexpr std::int32_t k2019 = 1561939200;  // 2019-07-01
  constexpr std::int32_t k2025 = 1751328000;  // 2025-07-01
  std::vector<RepeatCase> cases;
  PmRepeat daily = Rule(PmRepeat::kDaily, 3, kForever);
  daily.dayIndex = 4;
  cases.push_back({"Daily", daily, Want(kRecurDaily, 0, 3, 4, 0, 0, 0)});
  PmRepeat weekly = Rule(PmRepeat::kWeekly, 2, k2019);
  weekly.dayMask = kMaskMonday | kMaskWednesday;
  weekly.exceptions = {1262347200};
  cases.push_back({"WeeklyEndsIn2019", weekly, Want(kRecurWeekly, 1, 2, 0x0A, 0, 0, 1)});
  PmRepeat byWeekday = Rule(PmRepeat::kMonthlyByWeekday, 1, kForever);
  byWeekday.dayIndex = 2;
  byWeekday.weekIndex = 3;
  // Third week's Tuesday: a one-day mask and the instance counted from 1.
  cases.push_back({"MonthlyByWeekday", byWeekday, Want(kRecurMonthlyNth, 0, 1, 0x04, 0, 0, 4)});
  PmRepeat lastSaturday = Rule(PmRepeat::kMonthlyByWeekday, 2, kForever);
  lastSaturday.dayIndex = 6;
  lastSaturday.weekIndex = 4;
  cases.push_back(
      {"MonthlyOnTheLastSaturday", lastSaturday, Want(kRecurMonthlyNth, 0, 2, 0x40, 0, 0, 5)});
  PmRepeat badWeekday = Rule(PmRepeat::kMonthlyByWeekday, 1, kForever);
  badWeekday.dayIndex = 7;
  badWeekday.weekIndex = -1;
  cases.push_back(
      {"MonthlyByWeekdayOutOfRange", badWeekday, Want(kRecurMonthlyNth, 0, 1, 0, 0, 0, 0)});
  PmRepeat byDate = Rule(PmRepeat::kMonthlyByDate, 6, k2025);
  byDate.dayNumber = 10;
  cases.push_back({"MonthlyByDateEndsIn2025", byDate, Want(kRecurMonthly, 1, 6, 0, 10, 0, 0)});
  PmRepeat yearly = Rule(PmRepeat::kYearlyByDate, 1, kForever);
  yearly.monthIndex = 11;
  yearly.dayNumber = 24;
  cases.push_back({"YearlyOn24December", yearly, Want(kRecurYearly, 0, 1, 0, 24, 12, 0)});
  PmRepeat yearlyByWeekday = Rule(PmRepeat::kYearlyByWeekday, 1, kForever);
  yearlyByWeekday.dayIndex = 1;
  // Nothing beyond the kind is stored: the start (Friday 1 January) says which day.
  cases.push_back({"YearlyByWeekdayFromTheStart", yearlyByWeekday,
                   Want(kRecurYearlyNth, 0, 1, kMaskFriday, 0, 1, 1)});
  return cases;
}

class PmRepeatConversionTest : public ::testing::TestWithParam<RepeatCase> {};

TEST_P(PmRepeatConversionTest, FillsTheRecurrence) {
  QuietDebugLog();
  setenv("TZ", "UTC", 1);
  tzset();
  TempDir dir;
  PmDateExRecord r;
  r.start = 1262347200;
  r.end = 1262350800;
  r.repeat = GetParam().rule;
  auto path = Write<PmDateExUtil>(dir, "datebook.dat", {r});
  PmDateInfo info(kLayout2Version);
  ASSERT_TRUE(info.LoadByFile(path));
  const CommonRecurrence& got = info.Manager().Peek(0)->Recurrence;
  // The Palm fields in the form the comparison sees (only the fields of the pattern's type).
  CommonEvent form;
  form.Start = info.Manager().Peek(0)->Start;
  form.Recurrence = GetParam().want;
  PmLocalClock clock;
  form.Recurrence.PatternEnd = clock.ToSystemTime(GetParam().rule.endDate);
  NormaliseEvent(form);
  const CommonRecurrence& want = form.Recurrence;
  EXPECT_TRUE(got.SamePattern(want))
      << "type " << got.RecurType << " interval " << got.Interval << " mask " << got.DayOfWeekMask
      << " day " << got.DayOfMonth << " month " << got.MonthOfYear << " instance " << got.Instance;
  EXPECT_EQ(got.HasEnd, want.HasEnd);
  EXPECT_EQ(got.PatternStart, want.PatternStart);
  EXPECT_EQ(got.PatternEnd, want.PatternEnd);
}

INSTANTIATE_TEST_SUITE_P(Kinds, PmRepeatConversionTest, ::testing::ValuesIn(RepeatCases()),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(PmSourcesTest, LocalClockAgreesWithLocaltimeAcrossDst) {
  setenv("TZ", "Europe/Berlin", 1);
  tzset();
  PmLocalClock clock;
  // Every 7 minutes across a year holding both changes, and the no-date value.
  for (std::int64_t v = 1616800000; v < 1648000000; v += 7 * 60 * 13) {
    auto value = static_cast<std::int32_t>(v);
    std::time_t t = value;
    struct tm parts {};
    ASSERT_TRUE(localtime_r(&t, &parts));
    SYSTEMTIME st = clock.ToSystemTime(value);
    ASSERT_EQ(st.wYear, parts.tm_year + 1900) << v;
    ASSERT_EQ(st.wMonth, parts.tm_mon + 1) << v;
    ASSERT_EQ(st.wDay, parts.tm_mday) << v;
    ASSERT_EQ(st.wHour, parts.tm_hour) << v;
    ASSERT_EQ(st.wMinute, parts.tm_min) << v;
    ASSERT_EQ(st.wDayOfWeek, parts.tm_wday) << v;
  }
  EXPECT_EQ(clock.ToSystemTime(-1).wYear, 1970);
  EXPECT_EQ(clock.ToSystemTime(1956499199).wYear, 2031);
  setenv("TZ", "UTC", 1);
  tzset();
}

// ---- tasks and memos

TEST_F(PmSourcesTest, TaskPrioritiesAndPrivacy) {
  std::vector<PmTodoRecord> v1(4);
  const std::int32_t priorities[] = {1, 3, 5, 9};
  for (std::size_t i = 0; i < v1.size(); ++i) {
    v1[i].priority = priorities[i];
    v1[i].description = "t" + std::to_string(i);
    v1[i].dueDate = 1262347200;
  }
  v1[3].status = 0x80;
  auto path1 = Write<PmTodoUtil>(dir_, "todo.dat", v1);
  PmTodoInfo info(kLayout1Version);
  ASSERT_TRUE(info.LoadByFile(path1));
  ASSERT_EQ(info.Manager().Count(), 3u);
  EXPECT_EQ(info.Manager().Peek(0)->Importance, 1);
  EXPECT_EQ(info.Manager().Peek(1)->Importance, 0);
  EXPECT_EQ(info.Manager().Peek(2)->Importance, 2);
  EXPECT_EQ(info.Manager().Peek(0)->DueDate, 1262347200);
  EXPECT_EQ(info.Manager().Peek(0)->SourceType, 1u);

  PmTodoExRecord r;
  r.description = "secret";
  r.isPrivate = 1;
  r.alarmSet = 1;
  r.completed = 1;
  r.repeat = Rule(PmRepeat::kDaily, 2, kForever);
  auto path2 = Write<PmTodoExUtil>(dir_, "todo2.dat", {r});
  ASSERT_TRUE(info.LoadByFile(path2));
  const CommonTask& t = *info.Manager().Peek(0);
  EXPECT_EQ(t.Private, 1);
  EXPECT_EQ(t.Sensitivity, 2);
  EXPECT_EQ(t.Complete, 1);
  EXPECT_TRUE(t.HasReminder());
  EXPECT_EQ(t.Recurrence.RecurType, kRecurDaily);
  EXPECT_EQ(t.SourceType, 2u);
}

TEST_F(PmSourcesTest, MemoTitleIsTheFirstLine) {
  std::vector<PmMemoRecord> memos(3);
  memos[0].text = "Shopping\r\nmilk\r\neggs";
  memos[0].isPrivate = 1;
  memos[1].text = "Unix\nline";
  memos[2].text = std::string(300, 'a');
  auto path = Write<PmMemoUtil>(dir_, "memopad.dat", memos);
  PmMemoInfo info(kLayout1Version);
  ASSERT_TRUE(info.LoadByFile(path));
  ASSERT_EQ(info.Manager().Count(), 3u);
  const CommonNote& n = *info.Manager().Peek(0);
  EXPECT_EQ(n.Title, "Shopping");
  EXPECT_EQ(n.Body, "Shopping\r\nmilk\r\neggs");
  EXPECT_EQ(n.Reserved, 1u);
  EXPECT_EQ(n.SourceType, 1u);
  EXPECT_EQ(info.Manager().Peek(1)->Title, "Unix");
  EXPECT_EQ(info.Manager().Peek(2)->Title, std::string(255, 'a'));
}

TEST_F(PmSourcesTest, MemoUnknownVersionFailsByUser) {
  PmMemoInfo info(30005);
  EXPECT_FALSE(info.LoadByUser(1));
  EXPECT_EQ(info.LoadedLayout(), kPmLayoutFailed);
}

}  // namespace

namespace {

// Every common record borrows the item of its own Palm record, through a reload too: the items
// sit in one block that must not move while records point into it (ASan sees a stale pointer).
template <class Info, class Loader>
void ExpectItemsPairWithRecords(const TempDir& dir, const std::string& name) {
  Loader db;
  FillSample(db, 300);
  for (std::size_t i = 0; i < db.Records().size(); i += 7) db.Records()[i].status = 0x80;
  std::size_t live = 0;
  for (const auto& r : db.Records()) live += PmIsLive(r.status) ? 1 : 0;
  const std::string path = dir.file(name);
  ASSERT_TRUE(db.SaveAs(path));
  Info info(kLayout2Version);
  for (int load = 0; load < 2; ++load) {
    ASSERT_TRUE(info.LoadByFile(path));
    ASSERT_EQ(info.ItemCount(), live);
    ASSERT_EQ(info.Manager().Count(), live);
    std::int32_t i = 0;
    for (auto* item = info.First(); item; item = info.Next(), ++i) {
      using Item = std::remove_pointer_t<decltype(item)>;
      const auto& record = *info.Manager().Peek(i);
      EXPECT_EQ(record.NativeRecord.template As<Item>(), item);
      EXPECT_EQ(item->entry, &record);
      const auto* palm = item->template Get<typename Loader::Record>();
      ASSERT_NE(palm, nullptr);
      EXPECT_EQ(palm, item->loaderRecord);  // read, not copied
      EXPECT_TRUE(PmIsLive(palm->status));
    }
    EXPECT_EQ(static_cast<std::size_t>(i), live);
  }
}

}  // namespace

TEST_F(PmSourcesTest, EveryRecordBorrowsItsOwnItem) {
  ExpectItemsPairWithRecords<PmAddrInfo, PmAddrExUtil>(dir_, "address.dat");
  ExpectItemsPairWithRecords<PmDateInfo, PmDateExUtil>(dir_, "datebook.dat");
  ExpectItemsPairWithRecords<PmTodoInfo, PmTodoExUtil>(dir_, "todo.dat");
  ExpectItemsPairWithRecords<PmMemoInfo, PmMemoExUtil>(dir_, "memopad.dat");
}

namespace {

std::vector<std::string> Days(const ExceptionDayList& list) {
  std::vector<std::string> out;
  for (EventDay d : list)
    out.push_back(std::to_string(d.Year) + "-" + std::to_string(d.Month) + "-" +
                  std::to_string(d.Day));
  return out;
}

TEST_F(PmSourcesTest, DeletedOccurrencesBecomeDaysOfTheEvent) {
  constexpr std::int32_t kJan4 = 1262563200, kJan11 = 1263168000;  // 2010, local midnight
  PmDateExRecord weekly;
  weekly.start = 1262595600;  // Monday 2010-01-04 09:00
  weekly.end = weekly.start + 3600;
  weekly.repeat = Rule(PmRepeat::kWeekly, 1, kForever);
  weekly.repeat.dayMask = kMaskMonday;
  weekly.repeat.exceptions = {kJan11, kJan4, kJan11};  // as stored: any order, repeats
  PmDateExRecord single = weekly;
  single.repeat = PmRepeat{};
  single.repeat.exceptions = {kJan4};  // no rule: nothing to except from
  PmDateInfo info(kLayout2Version);
  ASSERT_TRUE(info.LoadByFile(Write<PmDateExUtil>(dir_, "datebook.dat", {weekly, single})));
  ASSERT_EQ(info.Manager().Count(), 2u);
  EXPECT_EQ(Days(info.Manager().Peek(0)->ExceptionDates),
            (std::vector<std::string>{"2010-1-4", "2010-1-11"}));
  EXPECT_TRUE(info.Manager().Peek(1)->ExceptionDates.empty());
}

// A count of exception dates beyond what the rest of the file holds must not be read: layout 1
// keeps the records before the damaged one and says where it stopped.
TEST_F(PmSourcesTest, ExceptionCountLargerThanTheRecordStopsThere) {
  constexpr std::int32_t kMark = 0x3EED3EED;
  std::vector<PmDateRecord> records(3);
  for (std::size_t i = 0; i < records.size(); ++i) {
    records[i].start = 1262595600 + static_cast<std::int32_t>(i) * 86400;
    records[i].end = records[i].start + 3600;
    records[i].description = "event " + std::to_string(i);
    records[i].repeat = Rule(PmRepeat::kDaily, 1, kForever);
  }
  records[1].repeat.exceptions = {kMark};
  std::string path = Write<PmDateUtil>(dir_, "datebook.dat", records);
  std::vector<char> bytes;
  {
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  const char mark[] = {'\xED', '\x3E', '\xED', '\x3E'};
  auto at = std::search(bytes.begin(), bytes.end(), mark, mark + 4);
  ASSERT_NE(at, bytes.end());
  ASSERT_EQ(at[-2], 1);
  at[-2] = '\xFF';  // 32,767 dates: far more than the record, and the file, hold
  at[-1] = '\x7F';
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  PmDateInfo info(kLayout1Version);
  ASSERT_TRUE(info.LoadByFile(path));
  ASSERT_EQ(info.Manager().Count(), 1u);
  EXPECT_EQ(info.Manager().Peek(0)->Subject.view(), "event 0");
  EXPECT_TRUE(info.Manager().Peek(0)->ExceptionDates.empty());
  EXPECT_FALSE(info.Report().complete);
  EXPECT_NE(info.Report().stoppedAt.find("record 2 of 3"), std::string::npos)
      << info.Report().stoppedAt;
}

}  // namespace
