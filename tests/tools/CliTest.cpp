#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>

#include "TestUtil.h"
#include "json/RecordGen.h"
#include "json/RecordJson.h"

namespace {

using CliRun = CommandRun;

// Runs the CLI with stdout captured; stderr goes to a file the caller may read.
CliRun Cli(const std::string& args, const std::string& stderrFile = {}) {
  return RunCommand(std::string(QM_BIN_DIR) + "/quillmove-cli " + args, stderrFile);
}

template <class R>
void WriteRecords(const std::string& path, const std::vector<R>& records) {
  std::string text;
  for (const R& r : records) text += ToJson(r).dump() + "\n";
  WriteFile(path, text);
}

TEST(Cli, CompareIndexedEqualsLinearForEveryType) {
  TempDir dir;
  WriteRecords(dir.file("sc"), GenerateContacts(1500, {1, 3, 300}));
  WriteRecords(dir.file("tc"), GenerateContacts(1500, {2, 3, 300}));
  WriteRecords(dir.file("se"), GenerateEvents(800, {3, 3, 200}));
  WriteRecords(dir.file("te"), GenerateEvents(800, {4, 3, 200}));
  WriteRecords(dir.file("sn"), GenerateNotes(500, {5, 3, 100}));
  WriteRecords(dir.file("tn"), GenerateNotes(500, {6, 3, 100}));
  WriteRecords(dir.file("st"), GenerateTasks(500, {7, 3, 100}));
  WriteRecords(dir.file("tt"), GenerateTasks(500, {8, 3, 100}));
  for (auto [type, s, t] : {std::tuple{"contacts", "sc", "tc"}, std::tuple{"calendar", "se", "te"},
                            std::tuple{"notes", "sn", "tn"}, std::tuple{"tasks", "st", "tt"}}) {
    std::string args = std::string("compare ") + type + " " + dir.file(s) + " " + dir.file(t);
    CliRun indexed = Cli(args);
    CliRun linear = Cli(args + " --linear");
    ASSERT_EQ(indexed.status, 0) << type;
    EXPECT_EQ(indexed.out, linear.out) << type;
    EXPECT_NE(indexed.out.find("{\"Status\":0,\"Match\":"), std::string::npos) << type;
    EXPECT_NE(indexed.out.find("{\"Status\":1,\"Match\":-1}"), std::string::npos) << type;
    EXPECT_NE(indexed.out.find("{\"Status\":2,\"Match\":"), std::string::npos) << type;
  }
}

TEST(Cli, CompareGolden) {
  std::string data = std::string(QM_TEST_DATA_DIR) + "/cli/";
  CliRun r =
      Cli("compare contacts " + data + "source-contacts.jsonl " + data + "target-contacts.jsonl");
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.out, ReadFile(data + "compare-contacts.expected"));
}

TEST(Cli, MalformedLineIsNamedAndNothingPrinted) {
  TempDir dir;
  WriteFile(dir.file("good"), "{\"FirstName\":\"a\"}\n\n");
  WriteFile(dir.file("bad"), "{\"FirstName\":\"a\"}\n{\"FirstName\":\"b\",}\n");
  WriteFile(dir.file("unknown"), "{\"FirstName\":\"a\"}\n{\"Fax\":\"b\"}\n");
  struct {
    std::string args;
    std::string message;
  } cases[] = {
      {"compare contacts " + dir.file("bad") + " " + dir.file("good"),
       dir.file("bad") + ":2: not valid JSON"},
      {"compare contacts " + dir.file("good") + " " + dir.file("unknown"),
       dir.file("unknown") + ":2: unknown key \"Fax\""},
      {"compare contacts " + dir.file("good") + " " + dir.file("missing"), "cannot open"},
      {"compare people " + dir.file("good") + " " + dir.file("good"), "unknown record type"},
      {"compare contacts " + dir.file("good"), "usage"},
  };
  for (const auto& c : cases) {
    CliRun r = Cli(c.args, dir.file("err"));
    EXPECT_EQ(r.status, 2) << c.args;
    EXPECT_EQ(r.out, "") << c.args;
    EXPECT_NE(ReadFile(dir.file("err")).find(c.message), std::string::npos)
        << ReadFile(dir.file("err"));
  }
}

TEST(Cli, SettingsPrintsAndSavesBack) {
  TempDir dir;
  ScopedEnv env("XDG_DATA_HOME", dir.path());
  std::string ini = dir.path() + "/korvane/VEGG/VEGG.ini";
  std::filesystem::create_directories(dir.path() + "/korvane/VEGG");
  WriteFile(ini, "[VEGG]\nGGEmail=ann@x\nGGSavePassword=1\nGGPassword=c2VjcmV0\nSourceApp=5\n");
  CliRun r = Cli("settings");
  ASSERT_EQ(r.status, 0);
  auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["GGEmail"], "ann@x");
  EXPECT_EQ(j["GGPassword"], "secret");
  EXPECT_EQ(j["SourceApp"], 5);
  EXPECT_EQ(j["SyncAddr"], true);
  EXPECT_EQ(j.size(), 138u);  // every key of the file, DNHostName included
  std::string saved = ReadFile(ini);
  EXPECT_NE(saved.find("GGPassword=c2VjcmV0"), std::string::npos);
  EXPECT_NE(saved.find("OLCustomLabel9=Custom 9"), std::string::npos);
}

TEST(Cli, SettingsRefusesAFileItCannotRead) {
  TempDir dir;
  ScopedEnv env("XDG_DATA_HOME", dir.path());
  std::string folder = dir.path() + "/korvane/VEGG/";
  std::filesystem::create_directories(folder);
  ASSERT_EQ(::mkfifo((folder + "VEGG.ini").c_str(), 0600), 0);
  // A read that blocks on the FIFO is ended by the time limit and fails the test.
  CliRun r = RunCommand("timeout 20 " + std::string(QM_BIN_DIR) + "/quillmove-cli settings",
                        dir.file("err"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("not a regular file"), std::string::npos) << r.err;
  EXPECT_TRUE(std::filesystem::is_fifo(folder + "VEGG.ini"));
  EXPECT_NE(ReadFile(folder + "appdebug.log").find("not a regular file"), std::string::npos);
}

}  // namespace
