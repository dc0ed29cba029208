#include <gtest/gtest.h>

#include <cstdlib>

#include "GApiStandIn.h"
#include "HelpersTestUtil.h"
#include "google/GoogleContact.h"
#include "google/GoogleEvent.h"

namespace {

// The helper programs end to end on the Google back end: parameter file, helper run against
// the stand-in, data file.
class GApiHelperRunTest : public HelperProcessTest {
 protected:
  void SetUp() override {
    HelperProcessTest::SetUp();
    ASSERT_TRUE(standin_.Up()) << "python3 could not start the stand-in";
    std::string ini = std::string(std::getenv("XDG_DATA_HOME")) + "/korvane/VEGG/GHelper.ini";
    WriteFile(ini, ReadFile(ini) + "[Account ann@example.com]\nBackend=google\n" +
                       standin_.IniSection(tokens_.folder()));
  }

  template <class Record, class ReadFn>
  std::vector<Record> Load(const char* program, const char* stem, ReadFn read) {
    Run(program, stem, 1, "");
    std::vector<Record> out;
    EXPECT_TRUE(ReadData(stem, out, read)) << LastError(stem);
    EXPECT_EQ(LastError(stem), "");
    return out;
  }

  GApiStandIn standin_;
  TempDir tokens_;
};

TEST_F(GApiHelperRunTest, ContactsAddedAndUpdatedThroughTheHelper) {
  EXPECT_TRUE((Load<GoogleContact>("GAddrUtil", "GAddr", ReadGoogleContact)).empty());
  std::vector<GoogleContact> adds(3);
  for (std::size_t i = 0; i < adds.size(); ++i) {
    adds[i].ChangeState = 2;
    adds[i].Action = 1;
    adds[i].FirstName = "Ann" + std::to_string(i);
    adds[i].LastName = "Smith";
    adds[i].EmailType[0] = kGEmailWork;
    adds[i].Email[0] = "ann" + std::to_string(i) + "@acme.example";
    adds[i].Groups = "Customers";
  }
  WriteData("GAddr", adds, WriteGoogleContact);
  Run("GAddrUtil", "GAddr", 2, "");
  EXPECT_EQ(LastError("GAddr"), "");

  auto loaded = Load<GoogleContact>("GAddrUtil", "GAddr", ReadGoogleContact);
  ASSERT_EQ(loaded.size(), 3u);
  EXPECT_EQ(loaded[1].DisplayName.str(), "Ann1 Smith");
  EXPECT_EQ(loaded[1].Groups.str(), "Customers");
  EXPECT_EQ(loaded[1].PassThrough.str().rfind("file=people/c", 0), 0u);

  loaded[1].ChangeState = 2;
  loaded[1].Action = 2;
  loaded[1].JobTitle = "Buyer";
  WriteData("GAddr", loaded, WriteGoogleContact);
  Run("GAddrUtil", "GAddr", 2, "");
  EXPECT_EQ(LastError("GAddr"), "");
  auto again = Load<GoogleContact>("GAddrUtil", "GAddr", ReadGoogleContact);
  ASSERT_EQ(again.size(), 3u);
  EXPECT_EQ(again[1].JobTitle.str(), "Buyer");
  EXPECT_EQ(again[1].Email[0].str(), "ann1@acme.example");
  // The runs after the first signed in silently: one consent, one refresh token.
  EXPECT_EQ(standin_.Stats()["refresh_tokens"], 1);
}

TEST_F(GApiHelperRunTest, EventsAndTheCalendarDefinitionThroughTheHelper) {
  standin_.Control({{"time_zone", "Asia/Tokyo"}});
  EXPECT_TRUE((Load<GoogleEvent>("GDateUtil", "GDate", ReadGoogleEvent)).empty());
  CxFile f;
  ASSERT_TRUE(f.Open(Work() + "GCal.dat", "rb"));
  std::int32_t n = 0;
  GoogleCalendar cal;
  ASSERT_TRUE(f.ReadInt32(n) && n == 1 && ReadGoogleCalendar(f, cal));
  EXPECT_EQ(cal.TimeZoneId.str(), "Asia/Tokyo");

  std::vector<GoogleEvent> adds(1);
  adds[0].ChangeState = 2;
  adds[0].Action = 1;
  adds[0].Title = "Review";
  adds[0].Start = OleDate(46204.375);
  adds[0].End = OleDate(46204.4375);
  WriteData("GDate", adds, WriteGoogleEvent);
  Run("GDateUtil", "GDate", 2, "");
  EXPECT_EQ(LastError("GDate"), "");
  // The same submit again changes nothing: the import UID finds the event.
  Run("GDateUtil", "GDate", 2, "");
  auto loaded = Load<GoogleEvent>("GDateUtil", "GDate", ReadGoogleEvent);
  ASSERT_EQ(loaded.size(), 1u);
  EXPECT_EQ(loaded[0].Title.str(), "Review");
  EXPECT_DOUBLE_EQ(loaded[0].Start.value, 46204.375);
}

TEST_F(GApiHelperRunTest, AFailedSignInReachesTheErrorFile) {
  standin_.Control({{"consent_email", "bob@example.com"}});
  Run("GAddrUtil", "GAddr", 1, "");
  EXPECT_NE(LastError("GAddr").find("Permission was given for bob@example.com"), std::string::npos)
      << LastError("GAddr");
}

}  // namespace
