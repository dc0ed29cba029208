// The Notes connectors over the stand-in Notes helpers, run as real processes.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include <nlohmann/json.hpp>

#include "LocalAccount.h"
#include "TestUtil.h"
#include "lotus/CxLNAddrUtil.h"
#include "lotus/CxLNDateUtil.h"
#include "misc/CxDebugUtil.h"
#include "platform/IniDocument.h"
#include "platform/Registry.h"

namespace {

using nlohmann::json;

class NotesHelperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Errors are always logged: into the test's own folder, never the current one.
    CxDebugUtil::Instance().SetFolder(work_.folder());
    reg_ = std::make_shared<platform::MemoryRegistry>();
    reg_->SetText(platform::RegRoot::kLocalMachine, "SOFTWARE\\Lotus\\Notes", "Path",
                  notes_.path());
    platform::SetRegistry(reg_);
    // Only the Notes program folder knows the server database: a helper started anywhere else
    // cannot find it.
    WriteFile(notes_.file("NotesHelper.ini"), "[Databases]\nSrv!!names.nsf=" + Db() + "\n");
    WriteFile(data_.file("jdoe.id"), "id");
    WriteFile(data_.file("other.id"), "id");
    json doc = {{"kind", "addressbook"},
                {"idFile", "JDOE.ID"},
                {"passwordHash", LocalAccount::HashPassword("secret")},
                {"contacts",
                 {{{"ID", "C1"},
                   {"First Name", "Ann"},
                   {"Last Name", "Lee"},
                   {"Home Phone", "555 0101"},
                   {"Business Email 2", "ann2@example.org"},
                   {"X-Kept", "the database's own"}},
                  {{"ID", "C2"}, {"First Name", "Bo"}, {"Display Name", "Bo"}}}}};
    WriteFile(Db(), doc.dump());
  }
  void TearDown() override { platform::SetRegistry(nullptr); }

  std::string Db() const { return data_.file("names.json"); }
  void Configure(CxLNBaseUtil& u, const std::string& password = "secret") {
    u.SetFolder(work_.folder());
    u.SetLogFolder(work_.folder());
    u.SetDatabase("Srv!!names.nsf");
    u.SetIdFile(data_.file("jdoe.id"));
    u.SetPassword(password);
    u.Runner().SetHelperFolder(QM_BIN_DIR);
  }
  void Switches(const std::string& lines) {
    WriteFile(work_.file("NotesHelperTest.ini"), "[Test]\n" + lines);
  }

  TempDir work_, notes_, data_;
  std::shared_ptr<platform::MemoryRegistry> reg_;
};

TEST_F(NotesHelperTest, LoadSubmitReloadAddsUpdatesAndKeepsWhatTheProgramDoesNotKnow) {
  CommonContact added;
  {
    CxLNAddrUtil u;
    Configure(u);
    ASSERT_TRUE(u.Load()) << u.Report().reason;
    ASSERT_EQ(u.Records().Count(), 2u);
    CommonContact first = *u.Records().Peek(0);
    EXPECT_EQ(first.HomePhone, "555 0101");
    EXPECT_EQ(first.SourceType, 9u);
    first.LastName = "Lee-Park";
    ASSERT_TRUE(u.UpdateRecord(first, 0, false));
    added.FirstName = "Cy";
    added.DisplayName = "Cy Neu";
    added.Email1 = "cy@example.org";
    ASSERT_NE(u.AddRecord(added, false), nullptr);
    std::string reason;
    ASSERT_TRUE(u.Submit(reason)) << reason;
    EXPECT_FALSE(u.Changed());
  }
  CxLNAddrUtil again;
  Configure(again);
  ASSERT_TRUE(again.Load()) << again.Report().reason;
  ASSERT_EQ(again.Records().Count(), 3u);
  EXPECT_EQ(again.Records().Peek(0)->LastName, "Lee-Park");
  EXPECT_EQ(again.NativeAt(0)->BusinessEmail2, "ann2@example.org");
  EXPECT_EQ(again.Records().Peek(1)->FirstName, "Bo");
  EXPECT_EQ(again.Records().Peek(2)->Email1, "cy@example.org");
  EXPECT_EQ(again.NativeAt(2)->Id.size(), 32u);
  json doc = json::parse(ReadFile(Db()));
  EXPECT_EQ(doc["contacts"][0]["X-Kept"], "the database's own");
  EXPECT_EQ(doc["idFile"], "JDOE.ID");
}

TEST_F(NotesHelperTest, TheUserIdFileAndPasswordAreChecked) {
  struct {
    std::string idFile, password, says;
  } cases[] = {
      {data_.file("other.id"), "secret", "has no access to the database Srv!!names.nsf"},
      {data_.file("missing/jdoe.id"), "secret", "cannot be opened"},
      {"", "secret", "No Notes user ID file was given"},
      {data_.file("jdoe.id"), "wrong", "Wrong password for the Notes user ID file"},
      {data_.file("jdoe.id"), "", "Wrong password"},
  };
  for (const auto& c : cases) {
    CxLNAddrUtil u;
    Configure(u, c.password);
    u.SetIdFile(c.idFile);
    EXPECT_FALSE(u.Load()) << c.idFile;
    EXPECT_NE(u.Report().reason.find(c.says), std::string::npos) << u.Report().reason;
    EXPECT_EQ(u.Records().Count(), 0u);
  }
}

TEST_F(NotesHelperTest, ADatabaseOfAnotherKindOrWithoutAFileIsNamed) {
  CxLNDateUtil d;
  Configure(d);
  EXPECT_FALSE(d.Load());
  EXPECT_NE(d.Report().reason.find("is not a mail database"), std::string::npos)
      << d.Report().reason;
  d.SetDatabase("Other!!mail.nsf");
  EXPECT_FALSE(d.Load());
  EXPECT_NE(d.Report().reason.find("on server Other has no local file"), std::string::npos)
      << d.Report().reason;
}

TEST_F(NotesHelperTest, HelperErrorsFailTheLoadAndStayInTheErrorFileUntilTheConnectorGoes) {
  Switches("Errors=3\n");
  const std::string errorFile = work_.file("LNAddrErr.dat");
  {
    CxLNAddrUtil u;
    Configure(u);
    EXPECT_FALSE(u.Load());
    EXPECT_EQ(u.Report().reason, "Test error 3");
    u.Reset();
    EXPECT_TRUE(std::filesystem::exists(errorFile));
  }
  EXPECT_FALSE(std::filesystem::exists(errorFile));
}

TEST_F(NotesHelperTest, ACrashOrAMissingHelperLeavesNoDataAndSaysWhy) {
  Switches("Crash=1\n");
  CxLNAddrUtil u;
  Configure(u);
  EXPECT_FALSE(u.Load());
  EXPECT_NE(u.Report().reason.find("ended abnormally"), std::string::npos) << u.Report().reason;

  Switches("");
  TempDir empty;
  u.Runner().SetHelperFolder(empty.path());
  EXPECT_FALSE(u.Load());
  EXPECT_NE(u.Report().reason.find("could not be started"), std::string::npos) << u.Report().reason;
}

TEST_F(NotesHelperTest, ANotesFolderThatIsNotThereIsNamedBeforeAnythingRuns) {
  reg_->SetText(platform::RegRoot::kLocalMachine, "SOFTWARE\\Lotus\\Notes", "Path",
                notes_.file("gone"));
  CxLNAddrUtil u;
  Configure(u);
  EXPECT_FALSE(u.Load());
  EXPECT_NE(u.Report().reason.find("does not exist"), std::string::npos) << u.Report().reason;
  EXPECT_FALSE(std::filesystem::exists(work_.file("LNAddr.ini")));  // no helper ran
}

TEST_F(NotesHelperTest, ATimedOutHelperIsAskedToStopWhenTheConnectorGoes) {
  Switches("SleepMs=30000\n");
  const std::string ini = work_.file("LNAddr.ini");
  {
    CxLNAddrUtil u;
    Configure(u);
    u.Runner().SetWaitLimit(std::chrono::milliseconds(300));
    EXPECT_FALSE(u.Load());
    platform::IniDocument doc;
    ASSERT_TRUE(doc.Load(ini));
    EXPECT_EQ(doc.Get("Status", "Running").value_or(""), "1");
  }
  // The helper sees "Stop" and ends its run well before its 30 seconds.
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  std::string running = "1";
  while (running == "1" && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    platform::IniDocument doc;
    doc.Load(ini);
    running = doc.Get("Status", "Running").value_or("");
  }
  platform::IniDocument doc;
  doc.Load(ini);
  EXPECT_EQ(doc.Get("Status", "Stop").value_or(""), "1");
  EXPECT_EQ(running, "0");
}

}  // namespace
