// A whole migration from the demo Notes databases into a local account, as
// tools/demo/notes/demo.sh runs it, and the dry second run after it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "TestUtil.h"

namespace {

CommandRun Cli(const TempDir& work, const std::string& args) {
  const std::string env = std::string(QM_SOURCE_DIR) + "/tools/demo/notes/notes-demo-env.sh";
  const std::string script = work.file("run.sh");
  WriteFile(script, "set -e\nwork='" + work.path() + "'\n. '" + env + "'\n'" + QM_BIN_DIR +
                        "/quillmove-cli' " + args + "\n");
  return RunCommand("bash '" + script + "'", work.file("stderr.txt"));
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

namespace {

TEST(LotusNotesDump, ThroughTheHelperFromADataFileAndWithBadArguments) {
  TempDir work;
  const std::string common =
      "--id-file \"$notes_data/demo.id\" --password demo-notes --folder \"$work/dump\"";
  CommandRun tasks = Cli(work, "dump notes tasks --database \"$notes_data/mail.json\" " + common);
  ASSERT_EQ(tasks.status, 0) << tasks.err;
  // Three to-dos: high, done on a date long past, done on a date still to come.
  EXPECT_EQ(std::count(tasks.out.begin(), tasks.out.end(), '\n'), 3) << tasks.out;
  EXPECT_NE(tasks.out.find("\"Importance\":1"), std::string::npos) << tasks.out;

  CommandRun native =
      Cli(work, "dump notes calendar --database 'Mail01!!mail\\demo.nsf' --native " + common);
  ASSERT_EQ(native.status, 0) << native.err;
  EXPECT_NE(native.out.find("\"Repeat Adjust\":\"42\""), std::string::npos) << native.out;

  CommandRun wrong = Cli(work,
                         "dump notes contacts --database \"$notes_data/names.json\" "
                         "--id-file \"$notes_data/demo.id\" --password nope");
  EXPECT_EQ(wrong.status, 1);
  EXPECT_NE(wrong.err.find("Wrong password for the Notes user ID file"), std::string::npos)
      << wrong.err;

  WriteFile(work.file("broken.dat"), std::string("\x02\0\0\0\0\0", 6));
  CommandRun broken = Cli(work, "dump notes notes --data-file \"$work/broken.dat\"");
  EXPECT_EQ(broken.status, 2);
  EXPECT_NE(broken.err.find("ends after 0 of 2 records"), std::string::npos) << broken.err;

  EXPECT_EQ(Cli(work, "dump notes contacts --email x").status, 2);
  EXPECT_EQ(Cli(work, "dump notes journal --database x").status, 2);
}

}  // namespace
