#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <type_traits>

#include "TestUtil.h"
#include "palm/PmAddrEx2Util.h"
#include "palm/PmDateEx2Util.h"
#include "palm/PmFakeAccessor.h"
#include "palm/PmMemoEx2Util.h"
#include "palm/PmRepeatText.h"
#include "palm/PmTodoEx2Util.h"

namespace {

// Errors reach the debug log; keep it out of the working folder.
[[maybe_unused]] const bool kQuietLog = (QuietPalm6Log(), true);

using V = std::map<std::string, PmValue>;

PmRow Category(std::int32_t id, std::string name) {
  return {id, std::move(name), std::int32_t{0}, std::int32_t{0}};
}

// A loader reading from a fake accessor; the loader still wants an existing file.
template <class Loader>
class Ex2Fixture {
 public:
  Ex2Fixture() {
    QuietPalm6Log();
    WriteFile(file(), "");
    auto fake = std::make_unique<PmFakeAccessor>();
    fake_ = fake.get();
    loader.SetAccessor(std::move(fake));
  }
  std::string file() const { return dir_.file("db.mdb"); }
  PmFakeAccessor& fake() { return *fake_; }
  bool Load() { return loader.LoadByFile(file()); }

  Loader loader;

 private:
  TempDir dir_;
  PmFakeAccessor* fake_ = nullptr;
};

// A copied table line that feeds one field from two columns would silently lose one of them.
template <class Rec>
void ExpectDistinctTargets() {
  Rec rec{};
  std::set<const void*> seen;
  std::set<std::string_view> names;
  for (const auto& c : Rec::Columns()) {
    const void* where = std::visit(
        [](const auto& t) -> const void* {
          if constexpr (std::is_same_v<std::decay_t<decltype(t)>, TextFieldRef>) {
            return t.field;
          } else {
            return t;
          }
        },
        c.target(rec));
    EXPECT_TRUE(seen.insert(where).second) << c.name;
    EXPECT_TRUE(names.insert(c.name).second) << c.name;
  }
}

TEST(PmEx2Tables, EveryColumnFeedsAFieldOfItsOwn) {
  ExpectDistinctTargets<PmAddrEx2Record>();
  ExpectDistinctTargets<PmDateEx2Record>();
  ExpectDistinctTargets<PmTodoEx2Record>();
  ExpectDistinctTargets<PmMemoEx2Record>();
}

// ---- contacts ----------------------------------------------------------------------------------

TEST(PmAddrEx2, QueriesEveryColumnInTableOrder) {
  Ex2Fixture<PmAddrEx2Util> f;
  f.fake().tables["Main"] = {RowOf<PmAddrEx2Record>({})};
  ASSERT_TRUE(f.Load());
  const std::string& sql = f.fake().LastSelect();
  EXPECT_TRUE(
      sql.starts_with("SELECT [Record ID], [Status], [Placement], [Private], [Category], "
                      "[Note], [Prefix], [First Name]"))
      << sql;
  EXPECT_NE(sql.find("[Other Phone], [Other Fax], [Other Mobile], [Work E-mail]"),
            std::string::npos);
  EXPECT_NE(sql.find("[Website], [Custom 5]"), std::string::npos);
  EXPECT_TRUE(sql.ends_with("[Ringtone MIME type], [Ringtone Sync counter] FROM Main ")) << sql;
}

TEST(PmAddrEx2, StoresEachColumnInItsField) {
  Ex2Fixture<PmAddrEx2Util> f;
  f.fake().tables["Category"] = {Category(3, "Business")};
  f.fake().tables["Main"] = {RowOf<PmAddrEx2Record>({
      {"Record ID", 41},
      {"Status", 1},
      {"Private", true},
      {"Category", 3},
      {"First Name", std::string("Ada")},
      {"Last Name", std::string("Lovelace")},
      {"Work City", std::string("London")},
      {"Other Country", std::string("UK")},
      {"Custom 4", std::string("c4")},
      {"Custom 5", std::string("c5")},
      {"Custom 14", std::string("c14")},
      {"Chat2", std::string("ada@im")},
      {"Chat2 LabelID", 3},
      {"E-mail 2", std::string("ada@example.org")},
      {"Birthday", 1234},
      {"Anniversary AlarmSet", true},
      {"Ringtone Sync counter", std::string("7")},
  })};
  ASSERT_TRUE(f.Load());
  ASSERT_EQ(f.loader.Records().size(), 1u);
  const PmAddrEx2Record& r = f.loader.Records()[0];
  EXPECT_EQ(r.recordId, 41);
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.isPrivate);
  EXPECT_EQ(r.categoryName, "Business");
  EXPECT_EQ(r.firstName, "Ada");
  EXPECT_EQ(r.lastName, "Lovelace");
  EXPECT_EQ(r.work.city, "London");
  EXPECT_EQ(r.other.country, "UK");
  EXPECT_EQ(r.custom[3], "c4");
  EXPECT_EQ(r.custom[4], "c5");
  EXPECT_EQ(r.custom[13], "c14");
  EXPECT_EQ(r.chat[1], "ada@im");
  EXPECT_EQ(r.chatLabel[1], 3);
  EXPECT_EQ(r.morePhone[4], "ada@example.org");
  EXPECT_EQ(r.birthday, 1234);
  EXPECT_TRUE(r.anniversaryAlarmSet);
  EXPECT_EQ(r.ringtoneSyncCounter, "7");
}

TEST(PmAddrEx2, TextsAreCutToTheFieldAtAWholeCharacter) {
  Ex2Fixture<PmAddrEx2Util> f;
  std::string accents;
  for (int i = 0; i < 20; ++i) accents += "\xC3\xA9";  // 40 bytes of é
  f.fake().tables["Main"] = {RowOf<PmAddrEx2Record>({
      {"Company", std::string(100, 'c')},
      {"Job Title", std::string(1 << 20, 'j')},
      {"Prefix", accents},
  })};
  ASSERT_TRUE(f.Load());
  const PmAddrEx2Record& r = f.loader.Records()[0];
  EXPECT_EQ(r.company.size(), 100u);  // the common record cuts it to its own width later
  EXPECT_EQ(r.jobTitle.size(), 127u);
  EXPECT_EQ(r.prefix.size(), 30u);  // 31 bytes would split the sixteenth é
}

TEST(PmAddrEx2, PhonesAreFiledByLabel) {
  Ex2Fixture<PmAddrEx2Util> f;
  f.fake().tables["Main"] = {RowOf<PmAddrEx2Record>({
      {"Work Phone", std::string("111")},
      {"Phone Label1", 1},
      {"Work Fax", std::string("222")},
      {"Phone Label2", 1},  // a second home phone wins
      {"Work Mobile", std::string("")},
      {"Phone Label3", 1},  // an empty slot overwrites nothing
      {"Home Phone", std::string("333")},
      {"Phone Label4", 99},  // unknown labels read as work
      {"Home Fax", std::string("444")},
      {"Phone Label5", 6},
      {"Other Phone", std::string("555")},
      {"Phone Label7", 7},
  })};
  ASSERT_TRUE(f.Load());
  const PmAddrEx2Record& r = f.loader.Records()[0];
  EXPECT_EQ(r.phoneByLabel[1], "222");
  EXPECT_EQ(r.phoneByLabel[0], "333");
  EXPECT_EQ(r.phoneByLabel[6], "444");
  EXPECT_EQ(r.phoneByLabel[7], "555");
  EXPECT_TRUE(r.phoneByLabel[2].empty());
}

TEST(PmAddrEx2, ValuesOfTheWrongKindLeaveFieldsEmpty) {
  Ex2Fixture<PmAddrEx2Util> f;
  f.fake().tables["Main"] = {RowOf<PmAddrEx2Record>({
      {"Record ID", std::string("17")},  // decimal text into an integer
      {"Status", std::string("12abc")},
      {"Placement", true},
      {"Private", 1},  // booleans take booleans only
      {"Category", std::string("")},
      {"First Name", 5},
      {"Last Name", true},
      {"Birthday", std::string("99999999999")},  // beyond 32 bits
  })};
  ASSERT_TRUE(f.Load());
  const PmAddrEx2Record& r = f.loader.Records()[0];
  EXPECT_EQ(r.recordId, 17);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.placement, 0);
  EXPECT_FALSE(r.isPrivate);
  EXPECT_EQ(r.categoryId, 0);
  EXPECT_TRUE(r.firstName.empty());
  EXPECT_TRUE(r.lastName.empty());
  EXPECT_EQ(r.birthday, 0);
}

TEST(PmAddrEx2, RowsOfAnotherWidthAreKeptEmptyAndTheWalkGoesOn) {
  Ex2Fixture<PmAddrEx2Util> f;
  f.fake().tables["Category"] = {Category(0, "Unfiled")};
  PmRow full = RowOf<PmAddrEx2Record>({{"Record ID", 2}, {"Last Name", std::string("B")}});
  PmRow longer = full;
  longer.push_back(std::string("extra"));
  f.fake().tables["Main"] = {
      PmRow{},
      PmRow{std::int32_t{1}, std::string("short")},
      longer,
      full,
  };
  ASSERT_TRUE(f.Load());
  ASSERT_EQ(f.loader.Records().size(), 4u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(f.loader.Records()[static_cast<std::size_t>(i)].recordId, 0);
    EXPECT_TRUE(f.loader.Records()[static_cast<std::size_t>(i)].lastName.empty());
    // Post-processing still ran: category 0 is found.
    EXPECT_EQ(f.loader.Records()[static_cast<std::size_t>(i)].categoryName, "Unfiled");
  }
  EXPECT_EQ(f.loader.Records()[3].recordId, 2);
  EXPECT_EQ(f.loader.Records()[3].lastName, "B");
}

TEST(PmAddrEx2, UnknownCategoryLeavesTheNameEmptyAndLongNamesAreCut) {
  Ex2Fixture<PmAddrEx2Util> f;
  f.fake().tables["Category"] = {Category(1, std::string(40, 'k')), Category(1, "second")};
  f.fake().tables["Main"] = {RowOf<PmAddrEx2Record>({{"Category", 1}}),
                             RowOf<PmAddrEx2Record>({{"Category", 9}})};
  ASSERT_TRUE(f.Load());
  EXPECT_EQ(f.loader.Records()[0].categoryName, std::string(31, 'k'));  // the first ID wins
  EXPECT_TRUE(f.loader.Records()[1].categoryName.empty());
}

TEST(PmAddrEx2, EmptyTableIsASuccessfulLoad) {
  Ex2Fixture<PmAddrEx2Util> f;
  EXPECT_TRUE(f.Load());
  EXPECT_TRUE(f.loader.Opened());
  EXPECT_TRUE(f.loader.Records().empty());
}

TEST(PmAddrEx2, MissingFileOrFailedOpenFailsTheLoad) {
  Ex2Fixture<PmAddrEx2Util> f;
  EXPECT_FALSE(f.loader.LoadByFile(""));
  EXPECT_FALSE(f.loader.LoadByFile(f.file() + ".missing"));
  EXPECT_EQ(f.fake().opens, 0);
  f.fake().openSucceeds = false;
  f.fake().tables["Main"] = {RowOf<PmAddrEx2Record>({})};
  EXPECT_FALSE(f.Load());
  EXPECT_FALSE(f.loader.Opened());
  EXPECT_TRUE(f.loader.Records().empty());
}

TEST(PmAddrEx2, ReloadReplacesTheRecords) {
  Ex2Fixture<PmAddrEx2Util> f;
  f.fake().tables["Main"] = {RowOf<PmAddrEx2Record>({}), RowOf<PmAddrEx2Record>({})};
  ASSERT_TRUE(f.Load());
  ASSERT_TRUE(f.Load());
  EXPECT_EQ(f.loader.Records().size(), 2u);
}

TEST(PmAddrEx2, UserFileIsFoundWhateverTheCaseOfItsName) {
  QuietPalm6Log();
  TempDir dir;
  std::filesystem::create_directories(dir.file("ADDRESS"));
  WriteFile(dir.file("ADDRESS/address.MDB"), "");
  PmAddrEx2Util loader;
  EXPECT_EQ(loader.UserFile(dir.folder()), dir.file("ADDRESS/address.MDB"));
  PmMemoEx2Util memos;
  EXPECT_EQ(memos.UserFile(dir.folder()), dir.file("MemoPad/MemoPad.mdb"));  // none: as named
}

TEST(PmAddrEx2, FieldTableReadsByLabelAndLabelsAnEmptySlot) {
  PmAddrEx2Record r;
  r.phone[0] = "111";
  r.phoneLabel[0] = 1;  // home
  r.phone[1] = "222";
  r.phoneLabel[1] = 0;  // work
  r.chat[1] = "ada";
  r.chatLabel[1] = 2;
  r.home.zip = "N1";
  r.custom[8] = "nine";
  r.birthday = 77;
  EXPECT_EQ(PmAddrEx2Util::FieldText(r, 14), "111");
  EXPECT_EQ(PmAddrEx2Util::FieldText(r, 13), "222");
  EXPECT_EQ(PmAddrEx2Util::FieldText(r, 37), "ada");
  EXPECT_EQ(PmAddrEx2Util::FieldText(r, 29), "N1");
  EXPECT_EQ(PmAddrEx2Util::FieldText(r, 52), "nine");
  // No pager: the first empty slot becomes the pager and reads empty.
  EXPECT_EQ(PmAddrEx2Util::FieldText(r, 19), "");
  EXPECT_EQ(r.phoneLabel[2], 6);
  EXPECT_EQ(PmAddrEx2Util::FieldText(r, 43), "");  // an integer entry has no text
  EXPECT_EQ(PmAddrEx2Util::FieldText(r, 0), "");
  EXPECT_EQ(PmAddrEx2Util::FieldText(r, 55), "");
  EXPECT_EQ(PmAddrEx2Util::FieldById(43)->type, PmAddrEx2Field::kIntegerDate);
  EXPECT_EQ(PmAddrEx2Util::FieldById(55), nullptr);
}

// ---- calendar, tasks, memos --------------------------------------------------------------------

TEST(PmDateEx2, StoresTimesAndParsesTheRepeatText) {
  ScopedEnv tz("TZ", "UTC");
  tzset();
  Ex2Fixture<PmDateEx2Util> f;
  const std::int32_t june15 = 1245067200;  // 2009-06-15 12:00 UTC
  f.fake().tables["Main"] = {
      RowOf<PmDateEx2Record>({
          {"Start Time", june15},
          {"End Time", june15 + 3600},
          {"Untimed", true},
          {"Summary", std::string("Birthday")},
          {"Alarm", true},
          {"Alarm Advance", 2},
          {"Alarm Unit", 1},
          {"Repeated Event", std::string("YM1 6 #0")},
      }),
      RowOf<PmDateEx2Record>({{"Repeated Event", std::string("Q9 nonsense")}}),
  };
  ASSERT_TRUE(f.Load());
  const PmDateEx2Record& r = f.loader.Records()[0];
  EXPECT_EQ(r.startTime, june15);
  EXPECT_EQ(r.endTime, june15 + 3600);
  EXPECT_TRUE(r.untimed);
  EXPECT_EQ(r.summary, "Birthday");
  EXPECT_TRUE(r.alarm);
  EXPECT_EQ(r.alarmAdvance, 2);
  EXPECT_EQ(r.alarmUnit, 1);
  EXPECT_EQ(r.repeat.kind, PmRepeat::kYearlyByDate);
  EXPECT_EQ(r.repeat.monthIndex, 5);
  EXPECT_EQ(r.repeat.dayNumber, 15);
  EXPECT_TRUE(r.repeatReadable);
  EXPECT_EQ(f.loader.Records()[1].repeat.kind, PmRepeat::kNone);
  EXPECT_FALSE(f.loader.Records()[1].repeatReadable);
}

TEST(PmTodoEx2, YearlyTextGivesNoRepeatAndOthersParse) {
  Ex2Fixture<PmTodoEx2Util> f;
  f.fake().tables["Main"] = {
      RowOf<PmTodoEx2Record>({{"Description", std::string("Taxes")},
                              {"Due Date", 1000},
                              {"Completed", true},
                              {"Priority", 1},
                              {"Repeat Info", std::string("YM1 4 #0")}}),
      RowOf<PmTodoEx2Record>({{"Repeat Info", std::string("D3 #0")}}),
  };
  ASSERT_TRUE(f.Load());
  const PmTodoEx2Record& r = f.loader.Records()[0];
  EXPECT_EQ(r.description, "Taxes");
  EXPECT_EQ(r.dueDate, 1000);
  EXPECT_TRUE(r.completed);
  EXPECT_EQ(r.priority, 1);
  EXPECT_EQ(r.repeat.kind, PmRepeat::kNone);
  EXPECT_TRUE(r.repeatReadable);
  EXPECT_EQ(f.loader.Records()[1].repeat.kind, PmRepeat::kDaily);
  EXPECT_EQ(f.loader.Records()[1].repeat.interval, 3);
}

TEST(PmMemoEx2, KeepsLongMemosWhole) {
  Ex2Fixture<PmMemoEx2Util> f;
  std::string memo = "Shopping\r\n" + std::string(19000, 'm');
  f.fake().tables["Category"] = {Category(2, "Personal")};
  f.fake().tables["Main"] = {
      RowOf<PmMemoEx2Record>({{"Note", memo}, {"Category", 2}, {"Private", true}})};
  ASSERT_TRUE(f.Load());
  const PmMemoEx2Record& r = f.loader.Records()[0];
  EXPECT_EQ(r.text, memo);
  EXPECT_EQ(r.categoryName, "Personal");
  EXPECT_TRUE(r.isPrivate);
}

// ---- information -------------------------------------------------------------------------------

TEST(PmInfoEx2, ReadsKnownNamesAndSkipsOddRows) {
  PmFakeAccessor fake;
  fake.tables["Information"] = {
      {std::string("Version"), std::string("6")},
      {std::string("Minor"), std::string("2.1")},
      {std::string("CodePage"), std::string("1252")},
      {std::string("FreeRecID"), std::string("abc")},
      {std::string("PreSahara"), std::int32_t{1}},  // not a text: skipped
      {std::string("TableString")},                 // short row
      {std::string("TableString"), std::string(2000, 't')},
      {std::string("Unknown"), std::string("9")},
  };
  PmInfoEx2 info;
  ASSERT_TRUE(info.Load(fake));
  EXPECT_EQ(info.version, 6);
  EXPECT_EQ(info.minorVersion, 2);
  EXPECT_EQ(info.codePage, 1252);
  EXPECT_EQ(info.nextFreeRecordId, 0);
  EXPECT_EQ(info.preSahara, 0);
  EXPECT_EQ(info.tableString.size(), 1023u);
}

}  // namespace
