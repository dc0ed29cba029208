#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <utility>

#include "TestUtil.h"
#include "demo/PmDemoInstall.h"
#include "json/RecordJson.h"
#include "palm/PmAddrInfo.h"
#include "palm/PmDateInfo.h"
#include "palm/PmDateUtil.h"
#include "palm/PmMemoInfo.h"
#include "palm/PmTestUtil.h"
#include "palm/PmTodoInfo.h"
#include "palm/PmUsers.h"
#include "platform/Registry.h"

namespace {

namespace fs = std::filesystem;

class PmDemoInstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QuietDebugLog();
    auto registry = std::make_shared<platform::MemoryRegistry>();
    registry->SetText(platform::RegRoot::kCurrentUser,
                      "Software\\U.S. Robotics\\Pilot Desktop\\Core", "DesktopPath", palm_);
    platform::SetRegistry(registry);
    ResetPalmUsers();
    std::string error;
    ASSERT_TRUE(WritePalmDemoInstallation(palm_, options_, install_, error)) << error;
    DiscoverPalmUsers();
  }
  void TearDown() override {
    platform::SetRegistry(nullptr);
    ResetPalmUsers();
  }

  // Loads every database of a user by user id as Palm Desktop `version` would, decoding from
  // the user's code page; checks the counts and returns the texts of every record as JSON.
  std::string LoadUser(const PmDemoUser& u, std::uint32_t version, PmDateInfo& dates) {
    PmAddrInfo contacts(version);
    PmTodoInfo todos(version);
    PmMemoInfo memos(version);
    contacts.SetCodePage(u.codePage);
    dates.SetCodePage(u.codePage);
    todos.SetCodePage(u.codePage);
    memos.SetCodePage(u.codePage);
    EXPECT_TRUE(contacts.LoadByUser(u.id) && dates.LoadByUser(u.id) && todos.LoadByUser(u.id) &&
                memos.LoadByUser(u.id));
    EXPECT_EQ(contacts.LoadedLayout(), u.layout);
    EXPECT_EQ(contacts.Manager().Count(), u.contacts);
    EXPECT_EQ(dates.Manager().Count(), u.events);
    EXPECT_EQ(todos.Manager().Count(), u.todos);
    EXPECT_EQ(memos.Manager().Count(), u.memos);
    // Dumping throws on text that is not UTF-8.
    std::string all;
    auto dump = [&all](auto& manager) {
      for (std::uint32_t i = 0; i < manager.Count(); ++i)
        all += ToJson(*manager.Peek(static_cast<std::int32_t>(i))).dump() + "\n";
    };
    dump(contacts.Manager());
    dump(dates.Manager());
    dump(todos.Manager());
    dump(memos.Manager());
    EXPECT_EQ(all.find("\xEF\xBF\xBD"), std::string::npos) << "a byte the code page lacks";
    return all;
  }

  TempDir dir_;
  std::string palm_ = dir_.file("Palm");
  PmDemoOptions options_;
  PmDemoInstallation install_;
};

// (RecurType, Instance) of every calendar record, plus what else the rules hold.
struct Shapes {
  std::set<std::pair<int, int>> kinds;
  std::set<int> hasEnd, reminderUnits;
  bool allDay = false;
};

Shapes ShapesOf(PmDateInfo& dates) {
  Shapes s;
  for (std::uint32_t i = 0; i < dates.Manager().Count(); ++i) {
    const CommonEvent& e = *dates.Manager().Peek(static_cast<std::int32_t>(i));
    const CommonRecurrence& r = e.Recurrence;
    s.kinds.insert({r.RecurType, r.RecurType == kRecurMonthlyNth ? r.Instance : 0});
    if (r.RecurType != kRecurNone) s.hasEnd.insert(r.HasEnd);
    if (e.ReminderSet) s.reminderUnits.insert(e.Reminders[0].Unit);
    s.allDay = s.allDay || e.AllDay;
  }
  return s;
}

TEST_F(PmDemoInstallTest, EveryUserLoadsByUserWithEveryRepeatKindAndItsScripts) {
  ASSERT_EQ(PalmUsers().size(), 2u);
  EXPECT_EQ(GetPalmDesktopVersion(), 40104u);
  const PmDemoUser& first = install_.users[0];
  const PmDemoUser& second = install_.users[1];
  EXPECT_EQ(first.contacts, options_.contacts);

  // The first user is in the layout the installed Palm Desktop 4.1.4 reads.
  PmDateInfo dates1;
  const std::string texts1 = LoadUser(first, GetPalmDesktopVersion(), dates1);
  // The second is still in the layout of Palm Desktop 4.1 and earlier, on a Japanese Windows.
  PmDateInfo dates2(40100);
  const std::string texts2 = LoadUser(second, 40100, dates2);

  for (const char* name : {"Müller", "Østergaard", "Dubœuf", "Žižek", "Núñez", "1.250 €"})
    EXPECT_NE(texts1.find(name), std::string::npos) << name;
  for (const char* name : {"山田", "陳", "Иванов", "ΠΑΠΑΔΟΠΟΥΛΟΣ", "ﾔﾏﾀﾞ運輸", "O'Brien"})
    EXPECT_NE(texts2.find(name), std::string::npos) << name;

  for (PmDateInfo* dates : {&dates1, &dates2}) {
    const Shapes s = ShapesOf(*dates);
    const std::set<std::pair<int, int>> every = {
        {kRecurNone, 0},       {kRecurDaily, 0},      {kRecurWeekly, 0},     {kRecurMonthly, 0},
        {kRecurMonthlyNth, 1}, {kRecurMonthlyNth, 2}, {kRecurMonthlyNth, 3}, {kRecurMonthlyNth, 4},
        {kRecurMonthlyNth, 5}, {kRecurYearlyNth, 0},  {kRecurYearly, 0}};
    EXPECT_EQ(s.kinds, every);
    EXPECT_EQ(s.hasEnd, (std::set<int>{0, 1}));
    EXPECT_EQ(s.reminderUnits, (std::set<int>{kUnitMinutes, kUnitHours, kUnitDays}));
    EXPECT_TRUE(s.allDay);
  }
  // Exceptions have no place in the common record; they are in the files all the same.
  std::size_t yearlyByWeekday = 0, exceptions = 0;
  for (const auto& r : dates1.Layout2Loader().Records()) {
    yearlyByWeekday += r.repeat.kind == PmRepeat::kYearlyByWeekday;
    exceptions += r.repeat.exceptions.size();
  }
  EXPECT_GT(yearlyByWeekday, 0u);
  EXPECT_GT(exceptions, 0u);
}

TEST_F(PmDemoInstallTest, SameSeedSameFilesAndOnlyItsOwnFolderIsReplaced) {
  TempDir other;
  PmDemoInstallation again;
  std::string error;
  const std::string copy = other.file("Palm");
  ASSERT_TRUE(WritePalmDemoInstallation(copy, options_, again, error)) << error;
  std::size_t files = 0;
  for (const auto& e : fs::recursive_directory_iterator(palm_)) {
    if (!e.is_regular_file()) continue;
    ++files;
    const std::string rel = fs::relative(e.path(), palm_).string();
    EXPECT_EQ(ReadFile(e.path().string()), ReadFile(copy + "/" + rel)) << rel;
  }
  EXPECT_EQ(files, 11u);  // Users.dat, Palm.exe, the marker and four files per user

  // A second run replaces its own installation; a folder of anything else stays as it was.
  options_.contacts = 5;
  EXPECT_TRUE(WritePalmDemoInstallation(palm_, options_, install_, error)) << error;
  WriteFile(other.file("mine.txt"), "keep");
  EXPECT_FALSE(WritePalmDemoInstallation(other.path(), options_, again, error));
  EXPECT_NE(error.find("not replaced"), std::string::npos) << error;
  EXPECT_EQ(ReadFile(other.file("mine.txt")), "keep");
  EXPECT_FALSE(fs::exists(other.path() + ".partial"));
}

TEST(PmVariedDatebook, LoadsEveryLiveScheduledRecord) {
  QuietDebugLog();
  TempDir dir;
  PmVariedDatebookCounts counts;
  std::string error;
  ASSERT_TRUE(WriteVariedDatebook(dir.file("datebook.dat"), 3000, 7, counts, error)) << error;
  EXPECT_EQ(counts.records, 3000u);
  EXPECT_GT(counts.repeating, counts.live / 2);
  EXPECT_LT(counts.live, counts.records);
  PmDateInfo dates(40100);
  ASSERT_TRUE(dates.LoadByFile(dir.file("datebook.dat")));
  EXPECT_EQ(dates.LoadedLayout(), kPmLayout1);
  EXPECT_EQ(dates.Manager().Count(), counts.live);
}

}  // namespace
