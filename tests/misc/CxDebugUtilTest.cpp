#include <gtest/gtest.h>

#include <regex>
#include <thread>
#include <vector>

#include "TestUtil.h"
#include "misc/CxDebugUtil.h"

namespace {

class DebugLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    log_.SetFolder(dir_.folder());
    log_.SetFileName("appdebug.log");
  }
  void TearDown() override {
    log_.SetEnabled(false);
    log_.SetLevel(0);
    log_.SetFolder("./");
  }
  std::string Log() { return ReadFile(dir_.file("appdebug.log")); }

  TempDir dir_;
  CxDebugUtil& log_ = CxDebugUtil::Instance();
};

TEST_F(DebugLogTest, LevelsAndSwitch) {
  struct {
    bool enabled;
    int level;
    int message;
    bool written;
  } cases[] = {{false, 3, 0, true}, {false, 3, 2, false}, {true, 1, 2, false},
               {true, 3, 2, true},  {true, 9, 2, true},   {true, -4, 0, true}};
  for (const auto& c : cases) {
    std::filesystem::remove(dir_.file("appdebug.log"));
    log_.SetEnabled(c.enabled);
    log_.SetLevel(c.level);
    log_.Report(c.message, "x.cpp", 1, "m");
    EXPECT_EQ(!Log().empty(), c.written) << c.enabled << c.level << c.message;
  }
  log_.SetLevel(9);
  EXPECT_EQ(log_.Level(), 3);
}

TEST_F(DebugLogTest, LineFormat) {
  std::string line = CxDebugUtil::FormatLine(2, "C:\\src\\CxGContact", 370, 0xa4c,
                                             "Start loading Google Contacts.");
  std::regex form(
      R"(\[\d{4}/\d\d/\d\d \d\d:\d\d:\d\d\]\[CxGContact          \(370 \)\]\[00a4c\]\[   \] - Start loading Google Contacts\.)");
  EXPECT_TRUE(std::regex_match(line, form)) << line;
  EXPECT_NE(CxDebugUtil::FormatLine(0, nullptr, 12345, 1, "x")
                .find("[<null>              (12345)][00001][!!!]"),
            std::string::npos);
  std::string longName(30, 'n');
  EXPECT_NE(
      CxDebugUtil::FormatLine(0, longName.c_str(), 1, 1, "x").find("[" + longName + "(1   )]"),
      std::string::npos);
  QM_LOG_ERROR("value %d", 7);
  std::string written = Log();
  EXPECT_NE(written.find("[CxDebugUtilTest.cpp"), std::string::npos);
  EXPECT_EQ(written.substr(written.size() - 12), " - value 7\r\n");
}

TEST_F(DebugLogTest, RotatesAboveTenMebibytes) {
  std::string path = dir_.file("appdebug.log");
  WriteFile(path, std::string(10485760, 'a'));
  log_.Report(0, "x", 1, "appended");
  EXPECT_GT(std::filesystem::file_size(path), 10485760u);
  EXPECT_FALSE(std::filesystem::exists(path + ".old.log"));
  log_.Report(0, "x", 1, "restarted");
  EXPECT_TRUE(std::filesystem::exists(path + ".old.log"));
  std::string fresh = Log();
  EXPECT_EQ(std::count(fresh.begin(), fresh.end(), '\n'), 1);
  EXPECT_NE(fresh.find("restarted"), std::string::npos);
}

TEST_F(DebugLogTest, LinesFromThreadsNeverInterleave) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 200; ++i) log_.Report(0, "t.cpp", i, "%s", std::string(300, 'z').c_str());
    });
  for (auto& th : threads) th.join();
  std::istringstream in(Log());
  std::string line;
  int lines = 0;
  while (std::getline(in, line)) {
    ++lines;
    EXPECT_EQ(line.substr(line.size() - 301), std::string(300, 'z') + "\r");
  }
  EXPECT_EQ(lines, 800);
}

}  // namespace
