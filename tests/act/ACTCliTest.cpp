#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "ACT/ACTRecords.h"
#include "TestUtil.h"
#include "misc/CxFile.h"

namespace {

// The demo ACT! database migrated into a fresh local account with `quillmove-cli migrate`, then
// a dry second run: everything is the same, nothing new or different.
TEST(ACTMigrate, DemoDatabaseEndToEndAndNothingLeftAfterwards) {
  TempDir home;
  const std::string data = home.file("korvane/VEGG");
  std::filesystem::create_directories(data);
  const std::string pad = home.file("demo.pad");
  std::filesystem::copy_file(QM_ACT_DEMO, pad);
  WriteFile(data + "/VEGG.ini",
            "[VEGG]\nSourceApp=1\nSyncAddr=1\nSyncDate=1\nSyncTask=0\nSyncNote=0\n"
            "ACTPadName=" +
                pad +
                "\nACTSaveUser=1\nACTUserName=Chris Demo\nACTSavePassword=1\n"
                "ACTPassword=YWN0LWRlbW8=\n"  // act-demo
                "GGSaveEmail=1\nGGEmail=demo@example.org\nGGSavePassword=1\n"
                "GGPassword=ZGVtby1wYXNzd29yZA==\n");  // demo-password
  const std::string cli = "XDG_DATA_HOME='" + home.path() + "' '" QM_BIN_DIR "/quillmove-cli' ";

  CommandRun first = RunCommand(cli + "migrate", home.file("err1.txt"));
  ASSERT_EQ(first.status, 0) << first.out << first.err;
  EXPECT_NE(first.out.find("Contacts: ACT! 6 records, Google 0 records; 6 new, 0 different"),
            std::string::npos)
      << first.out;
  EXPECT_NE(first.out.find("Calendar: ACT! 6 records, Google 0 records; 6 new, 0 different"),
            std::string::npos)
      << first.out;

  CommandRun second = RunCommand(cli + "migrate --dry-run", home.file("err2.txt"));
  ASSERT_EQ(second.status, 0) << second.out << second.err;
  EXPECT_NE(
      second.out.find("Contacts: ACT! 6 records, Google 6 records; 0 new, 0 different, 6 same"),
      std::string::npos)
      << second.out;
  EXPECT_NE(
      second.out.find("Calendar: ACT! 6 records, Google 6 records; 0 new, 0 different, 6 same"),
      std::string::npos)
      << second.out;
  // The source was only read.
  EXPECT_EQ(ReadFile(pad), ReadFile(QM_ACT_DEMO));
}

// `dump act` through the connector and the helper, its native form, and a helper data file read
// directly (whole, cut short, and not one at all).
TEST(ACTDump, DatabaseNativeAndDataFile) {
  TempDir home;
  const std::string cli = "XDG_DATA_HOME='" + home.path() + "' '" QM_BIN_DIR "/quillmove-cli' ";
  const std::string login =
      std::string(" --database '") + QM_ACT_DEMO + "' --user 'chris demo' --password act-demo";
  CommandRun common = RunCommand(cli + "dump act contacts" + login, home.file("e1.txt"));
  ASSERT_EQ(common.status, 0) << common.err;
  EXPECT_EQ(std::count(common.out.begin(), common.out.end(), '\n'), 6);
  EXPECT_NE(common.out.find("\"WorkPhone\":\"+44 113 496 0000x215\""), std::string::npos);

  CommandRun native = RunCommand(cli + "dump act tasks --native" + login, home.file("e2.txt"));
  ASSERT_EQ(native.status, 0) << native.err;
  EXPECT_EQ(std::count(native.out.begin(), native.out.end(), '\n'), 6);  // 3 + 2 + 1 note
  EXPECT_NE(native.out.find("\"Regarding\":\"Opportunity note\""), std::string::npos);

  CommandRun wrong =
      RunCommand(cli + "dump act notes --database '" QM_ACT_DEMO "' --user x", home.file("e3.txt"));
  EXPECT_EQ(wrong.status, 1);
  EXPECT_NE(wrong.err.find("Loading ACT! Notes Error: Invalid ACT! user name or password"),
            std::string::npos)
      << wrong.err;

  // A data file of two contacts, and the same file without its last byte.
  {
    CxFile f;
    ASSERT_TRUE(f.Open(home.file("ACTAddr.dat"), "wb"));
    f.WriteInt32(2);
    ACTContactRecord r;
    r.SetText(kACTFirstName, "Ann");
    WriteACTContact(f, r);
    r.SetText(kACTFirstName, "Bo");
    WriteACTContact(f, r);
    ASSERT_TRUE(f.Close());
  }
  CommandRun whole =
      RunCommand(cli + "dump act contacts --data-file '" + home.file("ACTAddr.dat") + "'",
                 home.file("e4.txt"));
  EXPECT_EQ(whole.status, 0) << whole.err;
  EXPECT_EQ(std::count(whole.out.begin(), whole.out.end(), '\n'), 2);
  std::string bytes = ReadFile(home.file("ACTAddr.dat"));
  WriteFile(home.file("cut.dat"), bytes.substr(0, bytes.size() - 1));
  CommandRun cut = RunCommand(cli + "dump act contacts --data-file '" + home.file("cut.dat") + "'",
                              home.file("e5.txt"));
  EXPECT_EQ(cut.status, 3) << cut.err;
  EXPECT_EQ(std::count(cut.out.begin(), cut.out.end(), '\n'), 1);
  EXPECT_NE(cut.err.find("ends after 1 of 2 records"), std::string::npos) << cut.err;
  CommandRun none = RunCommand(
      cli + "dump act contacts --data-file '" + home.file("none.dat") + "'", home.file("e6.txt"));
  EXPECT_EQ(none.status, 2);
}

}  // namespace
