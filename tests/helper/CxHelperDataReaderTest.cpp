#include <gtest/gtest.h>

#include "google/HelperTestUtil.h"
#include "helper/CxHelperDataReader.h"

namespace {

using namespace std::chrono_literals;

void Configure(CxHelperDataReader& r, const HelperSandbox& box, const std::string& program) {
  r.SetHelperFolder(box.helperFolder());
  r.SetProgram(program);
  r.SetFolder(box.folder());
  r.SetParamFileName("GFakeParam.dat");
  r.SetDataFileName("GFake.dat");
}

TEST(CxHelperDataReader, RunsTheHelperBesideTheProgramWithOneArgument) {
  for (const char* installed : {"GFakeUtil", "GFakeUtil.exe"}) {
    SCOPED_TRACE(installed);
    HelperSandbox box(installed);
    CxHelperDataReader r;
    Configure(r, box, "GFakeUtil.exe");
    EXPECT_EQ(r.ResolveProgram(), box.helperFolder() + installed);
    EXPECT_EQ(r.Run(), HelperRunResult::kExited);
    auto runs = box.Trace();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].argc, 2);
    EXPECT_EQ(runs[0].arg, box.file("GFakeParam.dat"));
    // The helper starts in its own folder.
    EXPECT_EQ(runs[0].cwd + "/", box.helperFolder());
  }
}

TEST(CxHelperDataReader, PathsWithBlanksAndShellCharactersArriveIntact) {
  // Both the helper folder and the working folder would break a shell command line.
  HelperSandbox box("G Util", "it's \"my\" $(touch pwned); `x` & dir");
  std::string work = box.folder() + "work $HOME 'q' \"dq\" ; |&<>*?\\ dir/";
  std::filesystem::create_directories(work);
  WriteFile(work + "FakeHelper.ini", "[Fake]\nExitCode=3\n");
  CxHelperDataReader r;
  r.SetHelperFolder(box.helperFolder());
  r.SetProgram("G Util");
  r.SetFolder(work);
  r.SetParamFileName("P $(id).dat");
  EXPECT_EQ(r.Run(), HelperRunResult::kExited);  // an exit code means nothing
  std::string trace = ReadFile(work + "FakeHelperTrace.txt");
  EXPECT_NE(trace.find("argc=2 "), std::string::npos);
  EXPECT_NE(trace.find(" arg=" + work + "P $(id).dat\n"), std::string::npos) << trace;
  EXPECT_FALSE(std::filesystem::exists(box.helperFolder() + "pwned"));
}

TEST(CxHelperDataReader, MissingHelperAndCrash) {
  HelperSandbox box;
  CxHelperDataReader r;
  Configure(r, box, "GAddrUtil.exe");
  EXPECT_EQ(r.Run(), HelperRunResult::kStartFailed);
  Configure(r, box, "GFakeUtil");
  r.SetHelperCurrentFolder(box.folder() + "nowhere");
  EXPECT_EQ(r.Run(), HelperRunResult::kStartFailed);
  r.SetHelperCurrentFolder("");
  box.Switches("Crash=1\n");
  EXPECT_EQ(r.Run(), HelperRunResult::kSignalled);
}

TEST(CxHelperDataReader, TimedOutHelperIsLeftRunning) {
  HelperSandbox box;
  box.Switches("SleepMs=20000\nIgnoreStop=1\n");
  CxHelperDataReader r;
  Configure(r, box, "GFakeUtil");
  r.SetWaitLimit(150ms);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(r.Run(), HelperRunResult::kTimedOut);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  auto runs = box.Trace();
  ASSERT_EQ(runs.size(), 1u);
  // Neither ended nor collected, by this run or by the next.
  int status = 0;
  EXPECT_EQ(::waitpid(static_cast<pid_t>(runs[0].pid), &status, WNOHANG), 0);
  box.Switches("");
  EXPECT_EQ(r.Run(), HelperRunResult::kExited);
  EXPECT_EQ(::waitpid(static_cast<pid_t>(runs[0].pid), &status, WNOHANG), 0);
  KillAndCollect(runs[0].pid);
}

}  // namespace
