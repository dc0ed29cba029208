// The helper programs and quillmove-cli with an account on the dav back end, against a Radicale
// server of the test's own: parameter file -> helper -> server -> data file.
#include <gtest/gtest.h>

#include <filesystem>

#include "HelpersTestUtil.h"
#include "LocalAccount.h"
#include "RadicaleServer.h"
#include "demo/PmDemoInstall.h"
#include "google/GoogleContact.h"
#include "google/GoogleEvent.h"

namespace {

class DavHelperTest : public HelperProcessTest {
 protected:
  void SetUp() override {
    HelperProcessTest::SetUp();
    std::string why;
    if (!server_.Start(why)) {
      if (server_.Absent()) GTEST_SKIP() << why;
      FAIL() << why;
    }
    std::string ini = Data() + "GHelper.ini";
    WriteFile(ini, ReadFile(ini) + "\n[Account ann@example.com]\nBackend=dav\nUrl=" +
                       server_.Url() + "\nUser=ann\n");
  }
  std::string Data() const { return std::string(std::getenv("XDG_DATA_HOME")) + "/korvane/VEGG/"; }

  std::vector<GoogleContact> LoadContacts() {
    Run("GAddrUtil", "GAddr", 1);
    std::vector<GoogleContact> out;
    EXPECT_TRUE(ReadData("GAddr", out, ReadGoogleContact)) << LastError("GAddr");
    std::sort(out.begin(), out.end(), [](const GoogleContact& a, const GoogleContact& b) {
      return a.FirstName.view() < b.FirstName.view();
    });
    return out;
  }
  void Submit(const std::vector<GoogleContact>& records) {
    WriteData("GAddr", records, WriteGoogleContact);
    Run("GAddrUtil", "GAddr", 2);
  }
  std::vector<std::string> Errors(const std::string& stem) const {
    CxIniUtil ini(Work(), stem + "Err.dat");
    std::vector<std::string> out;
    int n = ini.ReadInt("Error", "Error.Count", 0);
    for (int i = 1; i <= n; ++i)
      out.push_back(ini.ReadText("Error", "Error." + std::to_string(i), ""));
    return out;
  }

  RadicaleServer server_;
};

GoogleContact NewContact(const std::string& first) {
  GoogleContact c;
  c.ChangeState = 2;
  c.Action = 1;
  c.FirstName = first;
  c.LastName = "Smith";
  c.EmailType[0] = kGEmailHome;
  c.Email[0] = first + "@home.example";
  return c;
}

GoogleContact Changed(GoogleContact c, const std::string& title) {
  c.ChangeState = 2;
  c.Action = 2;
  c.JobTitle = title;
  return c;
}

TEST_F(DavHelperTest, ContactsTravelThroughTheHelperToTheServerAndBack) {
  Submit({NewContact("Ann"), NewContact("Bob")});
  EXPECT_EQ(LastError("GAddr"), "");
  auto loaded = LoadContacts();
  ASSERT_EQ(loaded.size(), 2u);
  EXPECT_EQ(loaded[0].Email[0], "Ann@home.example");
  EXPECT_EQ(loaded[0].PassThrough.view().rfind("file=/ann/contacts/", 0), 0u)
      << loaded[0].PassThrough.str();
  EXPECT_EQ(ReadFile(Work() + "GAddrStatus.dat"), "Loading contact 2 of 2\r\n");

  Submit({Changed(loaded[0], "Chief"), loaded[1]});  // the second one is unchanged
  EXPECT_EQ(LastError("GAddr"), "");
  auto again = LoadContacts();
  ASSERT_EQ(again.size(), 2u);
  EXPECT_EQ(again[0].JobTitle, "Chief");
  EXPECT_EQ(again[1].JobTitle, "");

  std::filesystem::remove(Work() + "GAddr.dat");
  Run("GAddrUtil", "GAddr", 1, "not the password");
  EXPECT_EQ(LastError("GAddr"), LocalAccount::kBadLogin);
  EXPECT_FALSE(std::filesystem::exists(Work() + "GAddr.dat"));
}

TEST_F(DavHelperTest, ARecordChangedOnTheServerIsReportedAndTheOthersGoThrough) {
  Submit({NewContact("Ann"), NewContact("Bob")});
  auto loaded = LoadContacts();
  ASSERT_EQ(loaded.size(), 2u);
  Submit({Changed(loaded[0], "First edit")});
  ASSERT_EQ(LastError("GAddr"), "");
  // A second submit from the same, now stale, load.
  Submit({Changed(loaded[0], "Stale edit"), Changed(loaded[1], "Fine")});
  auto errors = Errors("GAddr");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("\"Ann Smith\" was changed on the server"), std::string::npos)
      << errors[0];
  auto again = LoadContacts();
  ASSERT_EQ(again.size(), 2u);
  EXPECT_EQ(again[0].JobTitle, "First edit");
  EXPECT_EQ(again[1].JobTitle, "Fine");
}

TEST_F(DavHelperTest, TheCalendarHelperNamesTheServersCalendar) {
  GoogleEvent e;
  e.ChangeState = 2;
  e.Action = 1;
  e.Title = "Dentist";
  e.Start = OleDate(46100.375);
  e.End = OleDate(46100.4);
  WriteData("GDate", std::vector<GoogleEvent>{e}, WriteGoogleEvent);
  Run("GDateUtil", "GDate", 2);
  ASSERT_EQ(LastError("GDate"), "");
  Run("GDateUtil", "GDate", 1);
  std::vector<GoogleEvent> events;
  ASSERT_TRUE(ReadData("GDate", events, ReadGoogleEvent)) << LastError("GDate");
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].Title, "Dentist");
  std::vector<GoogleCalendar> cals;
  ASSERT_TRUE(ReadData("GCal", cals, ReadGoogleCalendar));
  ASSERT_EQ(cals.size(), 1u);
  EXPECT_EQ(cals[0].Text3.str(), server_.Url() + "ann/calendar/");
  EXPECT_EQ(cals[0].Text3.view().find("secret"), std::string::npos);
}

// The whole program: a small Palm Desktop address book and date book into the server, then a
// second run that finds everything the same.
TEST_F(DavHelperTest, MigrateMovesAPalmDesktopUserIntoTheServer) {
  TempDir palm;
  PmDemoOptions options;
  options.contacts = 25;
  options.events = 12;
  PmDemoInstallation inst;
  std::string error;
  ASSERT_TRUE(WritePalmDemoInstallation(palm.file("Palm"), options, inst, error)) << error;
  const PmDemoUser& user = inst.users.front();
  TempDir config;
  std::filesystem::create_directories(config.file("quillmove"));
  WriteFile(
      config.file("quillmove/registry.reg"),
      "[HKEY_CURRENT_USER\\Software\\U.S. Robotics\\Pilot Desktop\\Core]\n\"DesktopPath\"=\"" +
          palm.file("Palm") + "\"\n");
  WriteFile(Data() + "VEGG.ini",
            "[VEGG]\nSourceApp=5\nSyncAddr=1\nSyncDate=1\nSyncTask=0\nSyncNote=0\nPDUserID=" +
                std::to_string(user.id) +
                "\nPDCodePage=1252\nGGSaveEmail=1\nGGEmail=ann@example.com\nGGSavePassword=1\n"
                "GGPassword=c2VjcmV0\n");  // "secret"
  const std::string cli = "XDG_CONFIG_HOME=" + config.path() + " WINEPREFIX=" + config.path() +
                          "/wine " QM_BIN_DIR "/quillmove-cli migrate";
  std::string out = Work() + "out.txt";
  ASSERT_EQ(std::system((cli + " >" + out + " 2>&1").c_str()), 0) << ReadFile(out);
  std::string first = ReadFile(out);
  EXPECT_NE(first.find(std::to_string(user.contacts) + " new"), std::string::npos) << first;
  std::size_t cards = 0, events = 0;
  // The records, not the server's caches beside them.
  for (auto it = std::filesystem::recursive_directory_iterator(server_.UserFolder("ann"));
       it != std::filesystem::recursive_directory_iterator(); ++it) {
    if (it->path().filename().string().rfind(".Radicale", 0) == 0) {
      it.disable_recursion_pending();
      continue;
    }
    cards += it->path().extension() == ".vcf";
    events += it->path().extension() == ".ics";
  }
  EXPECT_EQ(cards, user.contacts);
  EXPECT_EQ(events, user.events);

  ASSERT_EQ(std::system((cli + " --dry-run >" + out + " 2>&1").c_str()), 0) << ReadFile(out);
  std::string second = ReadFile(out);
  EXPECT_NE(second.find("0 new, 0 different"), std::string::npos) << second;
}

}  // namespace
