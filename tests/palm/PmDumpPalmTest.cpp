// `quillmove-cli dump palm` on the shared Palm samples: golden JSON lines for the small files,
// and on the large date book, every line as the JSON library itself would write the record.
// Nothing is masked: the outputs depend only on the file and TZ (pinned to UTC by the runner).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "PmTestUtil.h"
#include "TestUtil.h"
#include "json/RecordJson.h"

namespace fs = std::filesystem;

namespace {

using CliRun = CommandRun;

CliRun Cli(const std::string& args) {
  // Each process its own error file: ctest may run these tests side by side.
  const std::string errFile =
      (fs::temp_directory_path() / ("qm-dump-palm-" + std::to_string(getpid()) + ".err")).string();
  CliRun r = RunCommand("TZ=UTC " + std::string(QM_BIN_DIR) + "/quillmove-cli " + args, errFile);
  fs::remove(errFile);
  return r;
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

fs::path Golden(const std::string& name) {
  return fs::path(QM_TEST_DATA_DIR) / "palm" / "golden" / name;
}

class PmDumpPalmTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(PalmSamples()))
      GTEST_SKIP() << "Palm sample folder not found at " << PalmSamples()
                   << "; the dump golden tests need ../shared/palm-samples";
  }
};

TEST_F(PmDumpPalmTest, ToDoSamplesMatchTheirGoldenFiles) {
  int compared = 0;
  for (const auto& entry : fs::directory_iterator(PalmSamples() / "Android-ToDo")) {
    const std::string stem = entry.path().stem().string();
    for (const char* mode : {"", " --native"}) {
      CliRun r = Cli("dump palm tasks --file '" + entry.path().string() + "'" + mode);
      const std::string name = stem + (*mode ? ".native.jsonl" : ".jsonl");
      ASSERT_TRUE(fs::exists(Golden(name))) << name;
      if (r.status != 0) {
        // A file no loader accepts has an empty golden file and fails with the wizard's text.
        EXPECT_EQ(ReadText(Golden(name)), "") << name;
        EXPECT_EQ(r.err, "Failed to load Palm Desktop Tasks information.\n");
        continue;
      }
      EXPECT_EQ(r.out, ReadText(Golden(name))) << name;
      ++compared;
    }
  }
  EXPECT_GE(compared, 30);
}

TEST_F(PmDumpPalmTest, LargeDateBookLinesAreTheLibrarysJson) {
  CliRun r = Cli("dump palm calendar --file '" +
                 (PalmSamples() / "generated" / "pilot-datebook-windat.dat").string() + "'");
  ASSERT_EQ(r.status, 0) << r.err;
  std::istringstream lines(r.out);
  std::string line;
  int count = 0;
  while (std::getline(lines, line)) {
    CommonEvent e;
    std::string error;
    ASSERT_TRUE(FromJson(nlohmann::json::parse(line), e, error)) << error;
    ASSERT_EQ(ToJson(e).dump(), line) << "line " << count + 1;
    ++count;
  }
  EXPECT_EQ(count, 5758);
}

TEST_F(PmDumpPalmTest, ArchiveExtensionIsRefused) {
  // The extension decides: ".dba" is neither a live database nor a 6.x one.
  CliRun r = Cli("dump palm calendar --file '" +
                 (PalmSamples() / "generated" / "hebcal-datebook-v1.dba").string() + "'");
  EXPECT_NE(r.status, 0);
  EXPECT_EQ(r.err.rfind("Failed to load Palm Desktop Calendar information.\n", 0), 0u) << r.err;
  EXPECT_NE(r.err.find("only .dat and .mdb files"), std::string::npos) << r.err;
  EXPECT_TRUE(r.out.empty());
}

TEST(PmDumpPalmArgs, BadArgumentsFail) {
  EXPECT_EQ(Cli("dump palm contacts").status, 2);
  EXPECT_EQ(Cli("dump palm contacts --file a.dat --user 1").status, 2);
  EXPECT_EQ(Cli("dump palm widgets --file a.dat").status, 2);
  CliRun r = Cli("dump palm contacts --file /nonexistent/address.dat");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "Failed to load Palm Desktop Contacts information.\n"
            "Failed to open file: /nonexistent/address.dat: No such file or directory\n");
}

}  // namespace
