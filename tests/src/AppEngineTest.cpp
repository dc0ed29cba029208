// The engine's drivers over the real Palm sources, our Google helpers (a local account) and the
// stand-in helper, without a window.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "google/HelperTestUtil.h"
#include "misc/CxDebugUtil.h"
#include "palm/PmAddrExUtil.h"
#include "palm/PmDateExUtil.h"
#include "palm/PmFixtures.h"
#include "src/AppCommon.h"
#include "src/AppSettings.h"
#include "src/ConnectorTable.h"
#include "src/EngineHost.h"

namespace {

namespace fs = std::filesystem;

// Everything the engine showed, one line per call.
class TraceHost : public EngineHost {
 public:
  void OpenWaitWindow(const std::string& t) override { calls.push_back("open " + t); }
  void SetWaitText(const std::string& t) override { calls.push_back("text " + t); }
  void WatchStatusFile(const std::string& p) override {
    if (!p.empty()) calls.push_back("watch " + fs::path(p).filename().string());
  }
  void CloseWaitWindow() override { calls.push_back("close"); }
  void ShowMessage(const std::string& caption, const std::string& text, Icon) override {
    messages.push_back(caption + ": " + text);
  }
  void ShowErrorReport(const std::string& what) override { reports.push_back(what); }
  void Warn(const std::string& text) override { warnings.push_back(text); }

  bool Watched(const std::string& file) const {
    for (const auto& c : calls)
      if (c == "watch " + file) return true;
    return false;
  }

  std::vector<std::string> calls, messages, reports, warnings;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    auto end = text.find("\r\n", at);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

// A data folder under a private XDG_DATA_HOME (where our helpers keep the local account), a
// Palm address book and date book, and settings that move them to Google.
class EngineTest : public ::testing::Test {
 protected:
  EngineTest() : xdg_("XDG_DATA_HOME", home_.path()), folder_(home_.path() + "/korvane/VEGG/") {
    fs::create_directories(folder_);
    PmAddrExUtil addr;
    FillSample(addr, kContacts);
    for (auto& r : addr.Records()) r.status = 0;  // live, not deleted or archived
    EXPECT_TRUE(addr.SaveAs(home_.file("address.dat")));
    PmDateExUtil date;
    FillSample(date, kEvents);
    for (auto& r : date.Records()) r.status = 0;
    EXPECT_TRUE(date.SaveAs(home_.file("datebook.dat")));
    s_.SourceApp = kAppPalmDesktop;
    s_.SyncAddr = true;
    s_.UsePDAddrFile = true;
    s_.PDAddrFileName = home_.file("address.dat").c_str();
    s_.UsePDDateFile = true;
    s_.PDDateFileName = home_.file("datebook.dat").c_str();
    s_.GGEmail = "person@example.com";
    s_.GGPassword = "secret";
    s_.PDCodePage = 1252;
  }

  std::unique_ptr<AppEngine> Engine(const std::string& helpers = QM_BIN_DIR "/") {
    auto e = std::make_unique<AppEngine>(s_, host_, folder_);
    e->SetHelperFolder(helpers);
    e->SetRepaintPause(0);
    return e;
  }

  static void TickAll(AppEngine& e) {
    e.SelectedContacts().RemoveAll(false);
    for (auto* c = e.Contacts(kAppPalmDesktop)->First(); c; c = e.Contacts(kAppPalmDesktop)->Next())
      e.SelectedContacts().Append(c);
  }

  std::string Log() const { return ReadFile(folder_ + "MILog.txt"); }

  static constexpr int kContacts = 6;
  static constexpr int kEvents = 5;
  TempDir home_;
  ScopedEnv xdg_;
  std::string folder_;
  AppSettings s_;
  TraceHost host_;
};

TEST_F(EngineTest, ContactsOnlyLeaveTheCalendarConnectorsUnmade) {
  auto e = Engine();
  ASSERT_TRUE(e->LoadBothSides(kAppPalmDesktop, kAppGoogle)) << host_.messages[0];
  EXPECT_EQ(host_.calls,
            (std::vector<std::string>{"open Loading information from Google account ...",
                                      "text Loading Google Contacts ...", "watch GAddrStatus.dat",
                                      "close", "open Loading information from Palm Desktop ...",
                                      "text Loading Palm Desktop Contacts ...", "close"}));
  EXPECT_EQ(e->Table().At(ConnectorTable::SlotOf(kAppPalmDesktop, kTypeCalendar)), nullptr);
  EXPECT_EQ(e->Table().At(ConnectorTable::SlotOf(kAppGoogle, kTypeCalendar)), nullptr);
  ASSERT_EQ(e->Contacts(kAppPalmDesktop)->Count(), static_cast<std::uint32_t>(kContacts));
  EXPECT_EQ(e->Contacts(kAppGoogle)->Count(), 0u);
  for (auto* c = e->Contacts(kAppPalmDesktop)->First(); c; c = e->Contacts(kAppPalmDesktop)->Next())
    EXPECT_EQ(c->Status, kStatusNew);
}

// Submit everything, then go over the options page again: the same connectors reload, and the
// source's statuses now refer to the account that holds what was sent.
TEST_F(EngineTest, SecondPassReloadsTheSameConnectorsWithFreshStatuses) {
  s_.SyncDate = true;
  auto e = Engine();
  ASSERT_TRUE(e->LoadBothSides(kAppPalmDesktop, kAppGoogle));
  TickAll(*e);
  for (auto* ev = e->Calendar(kAppPalmDesktop)->First(); ev;
       ev = e->Calendar(kAppPalmDesktop)->Next())
    e->SelectedEvents().Append(ev);
  ASSERT_TRUE(e->SubmitChanges(kAppGoogle)) << host_.messages[0];
  EXPECT_TRUE(host_.Watched("GAddrStatus.dat"));
  EXPECT_TRUE(host_.Watched("GDateStatus.dat"));
  auto log = Lines(Log());
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.front(), "Start migrating information to Google account ...");
  EXPECT_EQ(log.back(), "Migrating information to Google account completed successfully.");

  CxConnector* palm = e->Table().At(0);
  CxConnector* google = e->Table().At(8);
  ASSERT_TRUE(e->LoadBothSides(kAppPalmDesktop, kAppGoogle));
  EXPECT_EQ(e->Table().At(0), palm);
  EXPECT_EQ(e->Table().At(8), google);
  ASSERT_EQ(e->Contacts(kAppGoogle)->Count(), static_cast<std::uint32_t>(kContacts));
  EXPECT_EQ(e->Calendar(kAppGoogle)->Count(), e->Calendar(kAppPalmDesktop)->Count());
  for (auto* c = e->Contacts(kAppPalmDesktop)->First(); c;
       c = e->Contacts(kAppPalmDesktop)->Next()) {
    // Every one found its counterpart; whether each compares the same after the round trip is
    // the conversions' business, not the engine's.
    EXPECT_NE(c->Status, kStatusNew) << c->DisplayName;
    EXPECT_NE(c->MatchedRecord, nullptr);
  }
}

TEST_F(EngineTest, FailedGoogleLoadNeverReadsTheSource) {
  HelperSandbox sandbox("GAddrUtil");
  folder_ = sandbox.folder();
  sandbox.Switches("Errors=2\n");
  auto e = Engine(sandbox.helperFolder());
  EXPECT_FALSE(e->LoadBothSides(kAppPalmDesktop, kAppGoogle));
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0], "Error: Loading Google Contacts Error: Fake error 2");
  EXPECT_EQ(host_.calls.back(), "close");
  EXPECT_EQ(e->Table().At(0), nullptr);
  EXPECT_NE(ReadFile(CxDebugUtil::Instance().FilePath())
                .find("Loading Google Contacts Error: Fake error 2"),
            std::string::npos);
}

// Every offered entry is logged before the helper runs, so the log ends with them and the failure.
TEST_F(EngineTest, FailedSubmitEndsTheLogWithTheFailure) {
  auto e = Engine();
  ASSERT_TRUE(e->LoadBothSides(kAppPalmDesktop, kAppGoogle));
  TickAll(*e);
  WriteFile(folder_ + "GHelperTest.ini", "[Test]\nErrors=1\n");
  EXPECT_FALSE(e->SubmitChanges(kAppGoogle));
  const std::string failure = "Failed to submit Contact changes to Google, Error=Test error 1";
  ASSERT_EQ(host_.messages, std::vector<std::string>{"Error: " + failure});
  auto log = Lines(Log());
  ASSERT_EQ(log.size(), 1u + kContacts * 8 + 1);
  EXPECT_EQ(log.front(), "Start migrating information to Google account ...");
  EXPECT_EQ(log[1], "Migrating Contact item:");
  EXPECT_EQ(log[log.size() - 2], "");  // each entry closes with an empty line
  EXPECT_EQ(log.back(), failure);
}

TEST_F(EngineTest, EmptySelectionsRunNoHelper) {
  s_.SyncDate = true;
  auto e = Engine();
  ASSERT_TRUE(e->LoadBothSides(kAppPalmDesktop, kAppGoogle));
  host_.calls.clear();
  ASSERT_TRUE(e->SubmitChanges(kAppGoogle));
  EXPECT_EQ(host_.calls, (std::vector<std::string>{
                             "open Migrating information to Google account ...", "close"}));
  EXPECT_EQ(Log(),
            "Start migrating information to Google account ...\r\n"
            "Migrating information to Google account completed successfully.\r\n");
}

class ThrowingTarget : public CxTarget<CommAddrMgr> {
 public:
  void Reset() override {}
  bool Load() override { return true; }
  const CxLoadReport& Report() const override { return report_; }
  CommAddrMgr& Records() override { return records_; }
  bool Stage(const CommonContact&) override { throw std::runtime_error("staging broke"); }
  bool Submit(std::string&) override { return true; }

 private:
  CxLoadReport report_;
  CommAddrMgr records_;
};

TEST_F(EngineTest, ExceptionInTheDriverReachesTheGuard) {
  auto e = Engine();
  e->Table().Put(8, std::make_unique<ThrowingTarget>());
  CommonContact c;
  c.DisplayName = "Ada";
  e->SelectedContacts().Append(&c);
  EXPECT_FALSE(e->SubmitChanges(kAppGoogle));
  EXPECT_EQ(host_.reports, std::vector<std::string>{"staging broke"});
  EXPECT_EQ(host_.calls.back(), "close");
  auto log = Lines(Log());
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[1], "Migrating Contact item:");
  EXPECT_EQ(log[2], "\tDisplay Name: Ada");
  e->SelectedContacts().RemoveAll(false);
}

// A source that kept only part of its file.
class PartialSource : public CxSource<CommAddrMgr> {
 public:
  void Reset() override { records_.Clear(); }
  bool Load() override {
    CommonContact c;
    c.FirstName = "Kept";
    records_.Add(&c);
    report_.records = 31150;
    report_.StopAt("record 31,151 at byte 1,234,567 is cut short");
    return true;
  }
  const CxLoadReport& Report() const override { return report_; }
  CommAddrMgr& Records() override { return records_; }

 private:
  CxLoadReport report_;
  CommAddrMgr records_;
};

TEST_F(EngineTest, PartialLoadIsToldEverywhere) {
  auto e = Engine();
  e->Table().Put(0, std::make_unique<PartialSource>());
  ASSERT_TRUE(e->LoadBothSides(kAppPalmDesktop, kAppGoogle));
  const std::string warning =
      "Palm Desktop Contacts: 31,150 records read; the rest of the file could not be read "
      "(record 31,151 at byte 1,234,567 is cut short).";
  EXPECT_EQ(host_.warnings, std::vector<std::string>{warning});
  EXPECT_EQ(e->LoadWarnings(), std::vector<std::string>{warning});
  EXPECT_EQ(e->Contacts(kAppPalmDesktop)->First()->Status, kStatusNew);
  EXPECT_NE(ReadFile(CxDebugUtil::Instance().FilePath()).find(warning), std::string::npos);
  ASSERT_TRUE(e->SubmitChanges(kAppGoogle));
  auto log = Lines(Log());
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[1], warning);
}

TEST_F(EngineTest, BusyDataFolderIsTold) {
  // Another program's hold: a lock of its own on the same file.
  int other = ::open((folder_ + "quillmove.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  ASSERT_GE(other, 0);
  ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
  auto e = Engine();
  EXPECT_FALSE(e->LoadBothSides(kAppPalmDesktop, kAppGoogle));
  EXPECT_FALSE(e->SubmitChanges(kAppGoogle));
  ASSERT_EQ(host_.messages.size(), 2u);
  EXPECT_NE(host_.messages[0].find("Another Quillmove program is using the data folder"),
            std::string::npos);
  EXPECT_EQ(e->Table().At(8), nullptr);
  EXPECT_FALSE(fs::exists(folder_ + "MILog.txt"));
  ::close(other);
  EXPECT_TRUE(e->LoadBothSides(kAppPalmDesktop, kAppGoogle));
}

// Sources without a connector in this program fail with their own message and touch nothing.
TEST_F(EngineTest, SourceWithoutConnectorFailsWithItsOwnMessage) {
  auto e = Engine();
  EXPECT_FALSE(e->LoadBothSides(kAppSugarCRM, kAppGoogle));
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0],
            "Error: Loading SugarCRM Contacts Error: "
            "This version of Quillmove cannot work with SugarCRM yet.");
  EXPECT_EQ(e->Table().At(ConnectorTable::SlotOf(kAppSugarCRM, kTypeContacts)), nullptr);
  EXPECT_FALSE(e->SubmitChanges(kAppACT));
  EXPECT_FALSE(fs::exists(folder_ + "MILog.txt"));
}

}  // namespace
