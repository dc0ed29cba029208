// The demo Outlook store migrated with `quillmove-cli migrate` into a fresh local account, then a
// dry second run that finds nothing left to do; and `dump outlook` on the same store.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

#include "TestUtil.h"

namespace {

const std::string kBin = QM_BIN_DIR;

class OutlookMigrate : public ::testing::Test {
 protected:
  void SetUp() override {
    data_ = dir_.file("data/korvane/VEGG/");
    std::filesystem::create_directories(data_);
    std::filesystem::create_directories(dir_.file("config/quillmove"));
    std::filesystem::create_directories(dir_.file("wine"));
    env_ = "XDG_DATA_HOME='" + dir_.file("data") + "' XDG_CONFIG_HOME='" + dir_.file("config") +
           "' WINEPREFIX='" + dir_.file("wine") + "' ";
    const CommandRun made =
        RunCommand(kBin + "/ol_demo_store '" + data_ + "outlook-store.json' --program '" +
                   dir_.file("Office") + "'");
    ASSERT_EQ(made.status, 0);
    WriteFile(dir_.file("config/quillmove/registry.reg"),
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App "
              "Paths\\OUTLOOK.EXE]\n\"Path\"=\"" +
                  dir_.file("Office/") + "\"\n");
    // "demo-password" in base64.
    WriteFile(data_ + "VEGG.ini",
              "[VEGG]\nSourceApp=3\nSyncAddr=1\nSyncDate=1\nGGSaveEmail=1\n"
              "GGEmail=demo@example.org\nGGSavePassword=1\nGGPassword=ZGVtby1wYXNzd29yZA==\n");
  }
  CommandRun Cli(const std::string& args) {
    return RunCommand(env_ + kBin + "/quillmove-cli " + args, dir_.file("err.txt"));
  }

  TempDir dir_;
  std::string data_, env_;
};

TEST_F(OutlookMigrate, DemoStoreEndToEndThenNothingLeft) {
  CommandRun first = Cli("migrate");
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_NE(first.out.find("Contacts: Outlook 200 records, Google 0 records; 200 new"),
            std::string::npos)
      << first.out;
  EXPECT_NE(first.out.find("Calendar: Outlook 160 records, Google 0 records; 160 new"),
            std::string::npos)
      << first.out;
  CommandRun second = Cli("migrate --dry-run");
  ASSERT_EQ(second.status, 0) << second.err;
  EXPECT_NE(second.out.find("0 new, 0 different, 200 same"), std::string::npos) << second.out;
  EXPECT_NE(second.out.find("0 new, 0 different, 160 same"), std::string::npos) << second.out;
}

TEST_F(OutlookMigrate, DumpEveryTypeOfTheDemoStore) {
  struct Case {
    const char* type;
    std::size_t lines;
  } cases[] = {{"contacts", 200}, {"calendar", 160}, {"tasks", 30}, {"notes", 20}};
  for (const Case& c : cases) {
    for (const char* native : {"", " --native"}) {
      CommandRun run = Cli(std::string("dump outlook ") + c.type + native);
      ASSERT_EQ(run.status, 0) << c.type << native << ": " << run.err;
      std::size_t lines = 0;
      for (std::size_t at = 0; (at = run.out.find('\n', at)) != std::string::npos; ++at) ++lines;
      EXPECT_EQ(lines, c.lines) << c.type << native;
      const auto first = nlohmann::json::parse(run.out.substr(0, run.out.find('\n')));
      EXPECT_TRUE(first.is_object());
      if (*native && std::string(c.type) == "contacts") {
        EXPECT_EQ(first["UserProperties"].size(), 4u);  // the first demo contact has four
      }
    }
  }
  CommandRun bad = Cli("dump outlook contacts --store '" + dir_.file("missing.json") + "'");
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(Cli("dump outlook contacts --bogus").status, 2);
  EXPECT_EQ(Cli("dump outlook journal").status, 2);
}

}  // namespace
