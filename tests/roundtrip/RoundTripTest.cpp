// A second migration changes nothing: Palm Desktop files into a fresh local account through the
// engine and our real helpers, then the second load marks every record the same. Run by ctest
// under several TZ values.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "json/RecordJson.h"
#include "misc/CommonEvent.h"
#include "palm/PmAddrExUtil.h"
#include "palm/PmAddrUtil.h"
#include "palm/PmDateExUtil.h"
#include "palm/PmDateUtil.h"
#include "palm/PmFixtures.h"
#include "palm/PmTime.h"
#include "roundtrip/RoundTripUtil.h"

namespace {

namespace fs = std::filesystem;

// Palm time of a local date and time.
std::int32_t At(int y, int mo, int d, int h = 0, int mi = 0) {
  return PmTime(y, mo, d, h, mi, 0).Value();
}

// Records a person keeps: names in several scripts, every phone label, long states and
// countries, notes with CR LF and trailing breaks, texts at their limits.
void PeopleBook(PmAddrExUtil& db) {
  db.EnsureCategories().Add({1, 10, "Business", "", 0});
  for (int i = 0; i < 9; ++i) db.Header().labels.push_back({"Custom " + std::to_string(i), 0});
  const char* names[][2] = {{"Zo\xEB", "M\xFCller"},
                            {"Fran\xE7ois", "\xC9lise"},
                            {"Ana",
                             "Pe\xF1"
                             "a"},
                            {"", "Company only"},
                            {"Solo", ""},
                            {"Long", "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"},
                            {"Trailing", "Breaks"},
                            {"Case", "MIXED"}};
  int n = 0;
  for (auto& name : names) {
    PmAddrExRecord r{};
    r.recordId = ++n;
    r.firstName = name[0];
    r.lastName = name[1];
    r.company = n % 2 ? std::string(80, 'C') : "Acme";
    r.title = "Engineer";
    for (std::size_t p = 0; p < PmAddrExRecord::kPhones; ++p) {
      r.phoneLabel[p] = static_cast<std::int32_t>((p + static_cast<std::size_t>(n)) % 8);
      r.phone[p] = "+49 30 " + std::to_string(1000 + n * 10 + static_cast<int>(p));
    }
    // Label 4 is an e-mail address, one of the keys.
    for (std::size_t p = 0; p < PmAddrExRecord::kPhones; ++p)
      if (r.phoneLabel[p] == 4) r.phone[p] = "person" + std::to_string(n) + "@example.com";
    r.work = {0,
              "1 Main Street\r\nBuilding " + std::to_string(n),
              "Springfield",
              "North Rhine-Westphalia",
              "12345",
              "United States of America"};
    r.home = {0, std::string(200, 'S'), "Berlin", "BE", "10115", "Germany"};
    r.note = n == 7 ? "ends with a break\r\n" : "Met at the fair.\r\nCall back in spring.";
    for (std::size_t c = 0; c < PmAddrExRecord::kCustoms; ++c)
      r.custom[c] = c % 2 ? "" : "value " + std::to_string(c);
    r.categoryName = "Business";
    db.Records().push_back(std::move(r));
  }
}

// Every repeat kind, all-day and timed events, alarms in every unit, times across the changes
// of daylight saving time of both hemispheres' zones.
void Diary(PmDateExUtil& db) {
  db.EnsureCategories().Add({1, 10, "Business", "", 0});
  int n = 0;
  auto add = [&](std::int32_t start, std::int32_t end, bool untimed, PmRepeat rule) {
    PmDateExRecord r{};
    r.recordId = ++n;
    r.start = start;
    r.end = end;
    r.untimed = untimed ? 1 : 0;
    r.description = "Event " + std::to_string(n) + (n % 3 ? "" : "\r\nsecond line");
    r.location = n % 2 ? "Room " + std::to_string(n) : "";
    r.note = n % 4 ? "Agenda\r\n" : "";
    r.alarmSet = n % 2;
    r.alarmAdvance = n % 5;
    r.alarmUnit = n % 4;
    r.repeat = rule;
    r.categoryName = "Business";
    db.Records().push_back(std::move(r));
  };
  const std::int32_t forever = 1956528000;
  PmRepeat none;
  // Both sides of the spring and autumn changes in Europe and North America.
  for (int day : {8, 9, 10, 24, 25, 26, 27, 28, 29, 30, 31})
    for (int month : {3, 10, 11})
      add(At(2019, month, day, 1, 30), At(2019, month, day, 3, 15), false, none);
  // Years whose rules differ from today's: before 2007 in North America, before 1980 in Germany.
  for (int y : {1979, 1998, 2006})
    for (int month : {3, 4, 10}) add(At(y, month, 20, 10), At(y, month, 20, 11), false, none);
  add(At(2011, 7, 1), At(2011, 7, 1), true, none);
  add(At(2011, 7, 2, 23, 0), At(2011, 7, 3, 1, 0), false, none);  // across midnight
  // Deleted occurrences on some: kept as days, whatever the zone.
  PmRepeat daily{{At(2012, 1, 5)}, PmRepeat::kDaily, 3, At(2012, 3, 1), 1, 4};
  add(At(2012, 1, 2, 9), At(2012, 1, 2, 10), false, daily);
  PmRepeat weekly{{At(2012, 1, 4), At(2012, 3, 26)},
                  PmRepeat::kWeekly,
                  2,
                  forever,
                  1,
                  0,
                  0x2A};  // Mon, Wed, Fri
  add(At(2012, 1, 2, 9), At(2012, 1, 2, 10), false, weekly);
  PmRepeat nth{{}, PmRepeat::kMonthlyByWeekday, 1, At(2014, 1, 1), 1, 2, 0, 1};  // 2nd Tue
  add(At(2012, 1, 10, 9), At(2012, 1, 10, 10), false, nth);
  PmRepeat last{{}, PmRepeat::kMonthlyByWeekday, 2, forever, 1, 5, 0, 4};  // last Friday
  add(At(2012, 1, 27, 9), At(2012, 1, 27, 10), true, last);
  PmRepeat date{{}, PmRepeat::kMonthlyByDate, 1, forever, 1, 0, 0, 0, 15};
  add(At(2012, 1, 15, 9), At(2012, 1, 15, 10), false, date);
  PmRepeat yearly{{At(2013, 12, 24)}, PmRepeat::kYearlyByDate, 1, forever, 1, 0, 0, 0, 24, 11};
  add(At(2012, 12, 24), At(2012, 12, 24), true, yearly);
  PmRepeat byDay{{}, PmRepeat::kYearlyByWeekday, 1, forever, 1};
  add(At(2012, 11, 22, 12), At(2012, 11, 22, 13), false, byDay);  // 4th Thursday of November
}

struct DataSet {
  const char* name;
  // Writes the files into the folder; an empty path leaves that type off.
  void (*write)(const std::string& folder, std::string& addr, std::string& date);
  int withDeletedDays = -1;  // events with deleted occurrences, when known
};

// Account events whose file names deleted occurrences.
int FilesWithExdate(const std::string& calendar) {
  int n = 0;
  for (const auto& f : fs::directory_iterator(calendar))
    if (ReadFile(f.path().string()).find("\nEXDATE") != std::string::npos) ++n;
  return n;
}

void PrintTo(const DataSet& set, std::ostream* os) {
  *os << set.name;
}

template <class Loader>
void Live(Loader& db) {
  for (auto& r : db.Records()) r.status = 0;
}

const DataSet kSets[] = {
    {"Fixtures41",
     [](const std::string& f, std::string& addr, std::string& date) {
       PmAddrExUtil a;
       FillSample(a, 12);
       Live(a);
       PmDateExUtil d;
       FillSample(d, 14);
       Live(d);
       addr = f + "address.dat";
       date = f + "datebook.dat";
       ASSERT_TRUE(a.SaveAs(addr) && d.SaveAs(date));
     }},
    {"FixturesLayout1",
     [](const std::string& f, std::string& addr, std::string& date) {
       PmAddrUtil a;
       FillSample(a, 12);
       Live(a);
       PmDateUtil d;
       FillSample(d, 14);
       Live(d);
       addr = f + "address.dat";
       date = f + "datebook.dat";
       ASSERT_TRUE(a.SaveAs(addr) && d.SaveAs(date));
     }},
    {"PeopleAndDiary",
     [](const std::string& f, std::string& addr, std::string& date) {
       PmAddrExUtil a;
       PeopleBook(a);
       PmDateExUtil d;
       Diary(d);
       addr = f + "address.dat";
       date = f + "datebook.dat";
       ASSERT_TRUE(a.SaveAs(addr) && d.SaveAs(date));
     },
     3},
    {"SharedDateBook",
     [](const std::string&, std::string&, std::string& date) {
       date = std::string(QM_SHARED_DIR) + "/palm-samples/generated/pilot-datebook-windat.dat";
     },
     6},
    {"SharedArchive",
     [](const std::string& f, std::string&, std::string& date) {
       // An archive is a layout-1 date book; the source takes it by a .dat name.
       std::string from =
           std::string(QM_SHARED_DIR) + "/palm-samples/generated/hebcal-datebook-v1.dba";
       if (!fs::exists(from)) return;
       date = f + "archive.dat";
       fs::copy_file(from, date);
     }},
};

class SecondRun : public ::testing::TestWithParam<DataSet> {};

TEST_P(SecondRun, FindsEveryRecordTheSame) {
  RoundTrip trip;
  std::string addr, date;
  GetParam().write(trip.Home().file(""), addr, date);
  if (addr.empty() && (date.empty() || !fs::exists(date)))
    GTEST_SKIP() << "shared samples not found under " << QM_SHARED_DIR;
  ASSERT_TRUE(trip.Migrate(addr, date)) << trip.Messages();
  RoundTripCounts first = trip.Counts();
  ASSERT_GT(first.contacts + first.events, 0u);
  EXPECT_EQ(first.contactsSame + first.eventsSame, 0u);  // a fresh account
  if (GetParam().withDeletedDays >= 0) {
    EXPECT_EQ(FilesWithExdate(trip.AccountFolder() + "calendar"), GetParam().withDeletedDays);
  }

  ASSERT_TRUE(trip.Migrate(addr, date)) << trip.Messages();
  RoundTripCounts second = trip.Counts();
  EXPECT_EQ(second.contacts, first.contacts);
  EXPECT_EQ(second.events, first.events);
  EXPECT_EQ(second.contactsSame, second.contacts) << trip.Differences();
  EXPECT_EQ(second.eventsSame, second.events) << trip.Differences();
  EXPECT_EQ(second.submitted, 0u);
  // Beyond what the comparison looks at: the pattern, reminders and all-day form came back too.
  EXPECT_EQ(trip.EventsWithOtherDetails(), "");
}

INSTANTIATE_TEST_SUITE_P(Palm, SecondRun, ::testing::ValuesIn(kSets),
                         [](const auto& set) { return std::string(set.param.name); });

}  // namespace
