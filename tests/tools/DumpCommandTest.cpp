#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "TestUtil.h"
#include "google/GoogleContact.h"
#include "google/GoogleTaskNote.h"
#include "misc/CxFile.h"

namespace {

namespace fs = std::filesystem;

using CliResult = CommandRun;

// Runs `program args` with the data folder under `home`; stdout and stderr captured.
CliResult Exec(const std::string& program, const std::string& args, const TempDir& home) {
  return RunCommand("XDG_DATA_HOME='" + home.path() + "' '" + program + "' " + args,
                    home.file("stderr.txt"));
}

std::string Cli() {
  return std::string(QM_BIN_DIR) + "/quillmove-cli";
}

template <class Record, class Writer>
void WriteDataFile(const std::string& path, const std::vector<Record>& records, Writer write) {
  CxFile f;
  ASSERT_TRUE(f.Open(path, "wb"));
  f.WriteInt32(static_cast<std::int32_t>(records.size()));
  for (const Record& r : records) write(f, r);
}

GoogleContact Contact(const char* first, const char* email) {
  GoogleContact g;
  g.FirstName = first;
  g.EmailType[0] = kGEmailWork;
  g.Email[0] = email;
  return g;
}

// quillmove-cli starts the helpers installed beside it: a copy of it in a folder of its own,
// with the stand-in helper installed as the contacts helper.
class InstalledCli {
 public:
  InstalledCli() {
    fs::copy_file(Cli(), dir_.file("quillmove-cli"));
    fs::create_symlink(std::string(QM_BIN_DIR) + "/fake_helper", dir_.file("GAddrUtil"));
  }
  std::string program() const { return dir_.file("quillmove-cli"); }

 private:
  TempDir dir_;
};

TEST(DumpCommand, GoogleContactsThroughTheHelper) {
  InstalledCli cli;
  TempDir home, work;
  WriteDataFile(work.file("load.dat"), std::vector{Contact("Ann", "ann@x"), Contact("Bob", "")},
                WriteGoogleContact);
  WriteFile(work.file("FakeHelper.ini"), "[Fake]\nDataFrom=load.dat\nSaveParams=params.copy\n");
  CliResult r = Exec(
      cli.program(),
      "dump google contacts --email ann@example.com --password pw --folder " + work.path(), home);
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<nlohmann::json> lines;
  std::istringstream in(r.out);
  for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0]["FirstName"], "Ann");
  EXPECT_EQ(lines[0]["Email1"], "ann@x");
  EXPECT_EQ(lines[0]["SourceType"], 8);
  EXPECT_EQ(lines[1]["FirstName"], "Bob");
  EXPECT_NE(ReadFile(work.file("params.copy")).find("ann@example.com"), std::string::npos);
}

TEST(DumpCommand, HelperErrorReachesTheFailureText) {
  InstalledCli cli;
  TempDir home, work;
  WriteFile(work.file("err.src"), "[Error]\nError.Count=1\nError.1=Invalid e-mail or password.\n");
  WriteFile(work.file("FakeHelper.ini"), "[Fake]\nErrorFileFrom=err.src\n");
  CliResult r =
      Exec(cli.program(),
           "dump google contacts --email a@b --password wrong --folder " + work.path(), home);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err.rfind("Loading Google Contacts Error: Invalid e-mail or password.\n", 0), 0u)
      << r.err;
}

TEST(DumpCommand, DataFileIsReadWithoutAHelper) {
  TempDir home, dir;
  GoogleTask t;
  t.Title = "Pay rent";
  t.Completed = 1;
  WriteDataFile(dir.file("tasks.dat"), std::vector{t}, WriteGoogleTask);
  CliResult r = Exec(Cli(), "dump google tasks --data-file " + dir.file("tasks.dat"), home);
  ASSERT_EQ(r.status, 0) << r.err;
  auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["Subject"], "Pay rent");
  EXPECT_EQ(j["Complete"], 1);
  // Nothing is written beside the file read.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(DumpCommand, MalformedDataFileGivesAClearErrorAndNoRecords) {
  TempDir home, dir;
  std::string good;
  {
    WriteDataFile(dir.file("good.dat"), std::vector{Contact("Ann", "a@x"), Contact("Bob", "b@x")},
                  WriteGoogleContact);
    good = ReadFile(dir.file("good.dat"));
  }
  // Each record kind starts with three int32 and a text, so all but the cut file are broken for
  // every kind; a cut contacts file may still hold whole records of a shorter kind.
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<const char*> types;
  } cases[] = {
      {"empty", "", {"contacts", "calendar", "tasks", "notes"}},
      {"cut", good.substr(0, good.size() - 3), {"contacts"}},
      {"huge count",
       std::string("\xff\xff\xff\x7f", 4) + good.substr(4),
       {"contacts", "calendar", "tasks", "notes"}},
      {"lying text length",
       good.substr(0, 16) + std::string("\xf0\xff\xff\x7f", 4),
       {"contacts", "calendar", "tasks", "notes"}},
  };
  for (const Case& c : cases) {
    WriteFile(dir.file("bad.dat"), c.bytes);
    for (const char* type : c.types) {
      CliResult r = Exec(
          Cli(), std::string("dump google ") + type + " --data-file " + dir.file("bad.dat"), home);
      EXPECT_EQ(r.status, 2) << c.name << " " << type;
      EXPECT_EQ(r.out, "") << c.name << " " << type;
      EXPECT_NE(r.err.find(dir.file("bad.dat") + " is not a readable Google"), std::string::npos)
          << r.err;
    }
  }
  CliResult missing = Exec(Cli(), "dump google notes --data-file " + dir.file("none.dat"), home);
  EXPECT_EQ(missing.status, 2);
}

}  // namespace
