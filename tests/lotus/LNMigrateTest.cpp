// A whole migration from the demo Notes databases into a local account, as
// tools/demo/notes/demo.sh runs it, and the dry second run after it.
#include <gtest/gtest.h>

#include <string>

#include "TestUtil.h"

namespace {

CommandRun Cli(const TempDir& work, const std::string& args) {
  const std::string env = std::string(QM_SOURCE_DIR) + "/tools/demo/notes/notes-demo-env.sh";
  return RunCommand("bash -c 'set -e; work=\"" + work.path() + "\"; . \"" + env + "\"; \"" +
                        QM_BIN_DIR + "/quillmove-cli\" " + args + "'",
                    work.file("stderr.txt"));
}

TEST(LotusNotesMigration, EverythingArrivesAndTheSecondRunFindsNothingNew) {
  TempDir work;
  CommandRun first = Cli(work, "migrate");
  ASSERT_EQ(first.status, 0) << first.out << first.err;
  EXPECT_NE(first.out.find("Contacts: Lotus Notes 5 records, Google 0 records; 5 new, 0 different, "
                           "0 same; 5 submitted"),
            std::string::npos)
      << first.out;
  EXPECT_NE(first.out.find("Calendar: Lotus Notes 6 records, Google 0 records; 6 new, 0 different, "
                           "0 same; 6 submitted"),
            std::string::npos)
      << first.out;

  CommandRun second = Cli(work, "migrate --dry-run");
  ASSERT_EQ(second.status, 0) << second.out << second.err;
  EXPECT_NE(second.out.find("Lotus Notes 5 records, Google 5 records; 0 new, 0 different, 5 same"),
            std::string::npos)
      << second.out;
  EXPECT_NE(second.out.find("Lotus Notes 6 records, Google 6 records; 0 new, 0 different, 6 same"),
            std::string::npos)
      << second.out;
}

}  // namespace
