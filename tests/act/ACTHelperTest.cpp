#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include <nlohmann/json.hpp>

#include "ACT/CxACTAddrUtil.h"
#include "ACT/CxACTDateUtil.h"
#include "ACT/CxACTNoteUtil.h"
#include "ACT/CxACTTaskUtil.h"
#include "TestUtil.h"
#include "misc/CxDebugUtil.h"
#include "misc/CxIniUtil.h"

namespace {

using namespace std::chrono_literals;
using nlohmann::json;

const char* kDocument = R"({
  "users": [{"name": "Chris", "password": "pw"}],
  "kept": {"by": "nobody"},
  "contacts": [
    {"Record ID": "C1", "First Name": "Alice", "Last Name": "Archer", "Full Name": "Alice Archer",
     "Name Prefix": "Dr.", "Business Phone": "555-1234", "Business Phone Extension": "12",
     "Business E-mail": "alice@archer.example", "Is Private": true, "Our own key": 7},
    {"First Name": "Bob", "Full Name": "Bob", "Birthday": "1970-05-01"}
  ],
  "activities": [
    {"Id": "A1", "Subject": "Weekly", "Start": "2009-04-07 09:00:00", "End": "2009-04-07 09:30:00",
     "RecurKind": 2, "Interval": 1, "PatternValue": 42, "PatternForm": 2}
  ],
  "todos": [{"Id": "T1", "Subject": "Call", "Priority": 2}],
  "opportunities": [{"Id": "O1", "Subject": "Big order", "Priority": 0,
                     "notes": [{"Id": "ON1", "Body": "Wants blue."}]}],
  "notes": [{"Id": "N1", "Body": "Met at the fair."}]
})";

class ACTHelperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(Database(), kDocument);
    // The connectors' log lines stay with the test, whatever folder it runs in.
    CxDebugUtil::Instance().SetFolder(Work());
  }

  std::string Database() const { return dir_.file("demo.pad"); }
  std::string Work() const { return dir_.folder(); }
  json Document() const { return json::parse(ReadFile(Database())); }
  void Switches(const std::string& lines) {
    WriteFile(dir_.file("ACTHelperTest.ini"), "[Test]\n" + lines);
  }

  template <class Util>
  void Configure(Util& u, const std::string& password = "pw") {
    u.SetFolder(Work());
    u.SetLogFolder(Work());
    u.SetDatabase(Database());
    u.SetUser("chris");
    u.SetPassword(password);
    u.Runner().SetHelperFolder(QM_BIN_DIR);
    u.Runner().SetWaitLimit(60s);
  }

  TempDir dir_;
};

// The to-do connector's parameter file: every key as text, in the order 1000-1009, 1012-1015.
TEST_F(ACTHelperTest, ParameterKeysInTheirOrder) {
  struct Params : CxACTTaskUtil {
    void Write(const std::string& path) {
      CxHelperParamParser p;
      FillParams(p);
      ASSERT_TRUE(p.Write(path));
    }
  } u;
  Configure(u);
  u.SetDebugLevel(2);
  u.SetIncludeOpportunities(true);
  u.Write(Work() + "params.dat");
  auto text = [](std::int32_t key, const std::string& value) {
    std::string b;
    for (std::int32_t v : {key, std::int32_t{8}, static_cast<std::int32_t>(value.size())})
      for (int i = 0; i < 4; ++i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
    return b + value;
  };
  const std::string count("\x0E\0\0\0", 4);
  EXPECT_EQ(ReadFile(Work() + "params.dat"),
            count + text(1000, Database()) + text(1001, "chris") + text(1002, "pw") +
                text(1003, "ACTTask.dat") + text(1004, Work()) + text(1005, "1") +
                text(1006, "ACTTaskErr.dat") + text(1007, "ACTTaskStatus.dat") + text(1008, "1") +
                text(1009, "0") + text(1012, Work()) + text(1013, "appdebug.log") +
                text(1014, "2") + text(1015, "0"));
}

TEST_F(ACTHelperTest, LoadsEveryDataTypeFromTheDocument) {
  {
    CxACTAddrUtil u;
    Configure(u);
    ASSERT_TRUE(u.Load()) << u.Report().reason;
    ASSERT_EQ(u.Records().Count(), 2u);
    const CommonContact* alice = u.Records().Peek(0);
    EXPECT_EQ(alice->WorkPhone, "555-1234x12");
    EXPECT_EQ(alice->Email1, "alice@archer.example");
    EXPECT_EQ(alice->NativeRecord.As<ACTContactRecord>()->Text(6), "Dr.");
    // Unloading keeps the status and error files; the connector's end takes them.
    WriteFile(Work() + "ACTAddrErr.dat", "");
    u.Unload();
    EXPECT_EQ(u.Records().Count(), 0u);
    EXPECT_TRUE(std::filesystem::exists(Work() + "ACTAddrStatus.dat"));
    EXPECT_TRUE(std::filesystem::exists(Work() + "ACTAddrErr.dat"));
  }
  EXPECT_FALSE(std::filesystem::exists(Work() + "ACTAddrStatus.dat"));
  EXPECT_FALSE(std::filesystem::exists(Work() + "ACTAddrErr.dat"));

  CxACTDateUtil d;
  Configure(d);
  ASSERT_TRUE(d.Load()) << d.Report().reason;
  ASSERT_EQ(d.Records().Count(), 1u);
  EXPECT_EQ(d.Records().Peek(0)->Recurrence.RecurType, kRecurWeekly);
  EXPECT_EQ(d.Records().Peek(0)->Recurrence.DayOfWeekMask, 42);

  // Opportunities and their notes come only when asked for (keys 1008, 1009).
  const struct {
    bool opp, notes;
    std::uint32_t count;
  } cases[] = {{false, false, 1}, {true, false, 2}, {true, true, 3}, {false, true, 1}};
  for (const auto& c : cases) {
    CxACTTaskUtil t;
    Configure(t);
    t.SetIncludeOpportunities(c.opp);
    t.SetIncludeOpportunityNotes(c.notes);
    ASSERT_TRUE(t.Load()) << t.Report().reason;
    EXPECT_EQ(t.Records().Count(), c.count) << c.opp << c.notes;
  }

  CxACTNoteUtil n;
  Configure(n);
  ASSERT_TRUE(n.Load()) << n.Report().reason;
  ASSERT_EQ(n.Records().Count(), 1u);
  EXPECT_EQ(n.Records().Peek(0)->Body, "Met at the fair.");
}

TEST_F(ACTHelperTest, WrongPasswordOrDatabaseSaysWhy) {
  CxACTAddrUtil u;
  Configure(u, "wrong");
  EXPECT_FALSE(u.Load());
  EXPECT_NE(u.Report().reason.find("Invalid ACT! user name or password"), std::string::npos)
      << u.Report().reason;

  Configure(u);
  u.SetDatabase(Work() + "missing.pad");
  EXPECT_FALSE(u.Load());
  EXPECT_NE(u.Report().reason.find("missing.pad cannot be opened"), std::string::npos);

  WriteFile(Database(), "{\"contacts\": {}}");
  u.SetDatabase(Database());
  EXPECT_FALSE(u.Load());
  EXPECT_NE(u.Report().reason.find("\"contacts\" is not a list"), std::string::npos);
}

TEST_F(ACTHelperTest, ErrorFileAndMissingDataFile) {
  CxACTAddrUtil u;
  Configure(u);
  Switches("Errors=3\n");
  EXPECT_FALSE(u.Load());
  EXPECT_EQ(u.ErrorText(), "Test error 3");
  EXPECT_EQ(u.Report().reason, "Test error 3");

  // A helper that dies leaves no data file; an earlier run's is never read in its place.
  Switches("");
  ASSERT_TRUE(u.Load());
  Switches("Crash=1\n");
  EXPECT_FALSE(u.Load());
  EXPECT_FALSE(u.Report().reason.empty());
  EXPECT_EQ(u.Records().Count(), 0u);
}

TEST_F(ACTHelperTest, TimeOutThenStopWhenTheConnectorGoes) {
  Switches("SleepMs=20000\n");
  {
    CxACTAddrUtil u;
    Configure(u);
    u.Runner().SetWaitLimit(200ms);
    EXPECT_FALSE(u.Load());
  }
  CxIniUtil ini(Work(), "ACTAddr.ini");
  EXPECT_EQ(ini.ReadInt("Status", "Stop", 0), 1);
  auto until = std::chrono::steady_clock::now() + 10s;
  while (ini.ReadInt("Status", "Running", 1) != 0 && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(20ms);
  EXPECT_EQ(ini.ReadInt("Status", "Running", 1), 0) << "the helper did not stop";
}

// Load, change one record and add one, submit, and load again through a new connector.
TEST_F(ACTHelperTest, LoadSubmitReloadRoundTrip) {
  {
    CxACTAddrUtil u;
    Configure(u);
    ASSERT_TRUE(u.Load()) << u.Report().reason;
    CommonContact alice = *u.Records().Peek(0);
    alice.WorkPhone = "555-9999x7";
    alice.HomeAddress.Street = "Flat 2\r\n\r\n1 High St\r\nLeeds";
    EXPECT_TRUE(u.Stage(alice));
    CommonContact carol;
    carol.FirstName = "Carol";
    carol.DisplayName = "Carol Cole";
    carol.Email1 = "carol@cole.example";
    carol.MobilePhone = "0770";
    EXPECT_TRUE(u.Stage(carol));
    EXPECT_FALSE(u.Stage(*u.Records().Peek(1)));  // unchanged: nothing to do
    std::string reason;
    ASSERT_TRUE(u.Submit(reason)) << reason;
  }
  json doc = Document();
  EXPECT_EQ(doc["kept"]["by"], "nobody");
  ASSERT_EQ(doc["contacts"].size(), 3u);
  EXPECT_EQ(doc["contacts"][0]["Our own key"], 7);
  EXPECT_FALSE(doc["contacts"][1].contains("Record ID"));  // no id made up for Bob
  EXPECT_FALSE(doc["contacts"][2]["Record ID"].get<std::string>().empty());
  EXPECT_FALSE(doc["contacts"][2]["Create Date"].get<std::string>().empty());

  CxACTAddrUtil again;
  Configure(again);
  ASSERT_TRUE(again.Load()) << again.Report().reason;
  ASSERT_EQ(again.Records().Count(), 3u);
  const ACTContactRecord* alice = again.NativeAt(0);
  EXPECT_EQ(alice->Text(kACTBusinessPhone), "555-9999");
  EXPECT_EQ(alice->Text(kACTBusinessPhoneExtension), "7");
  EXPECT_EQ(alice->Text(kACTHomeAddress1 + 1), "");
  EXPECT_EQ(alice->Text(kACTHomeAddress1 + 2), "1 High St, Leeds");
  EXPECT_EQ(alice->Text(6), "Dr.");
  EXPECT_TRUE(alice->Flag(kACTIsPrivate));
  EXPECT_TRUE(alice->Date(kACTEditDate).IsSet());
  EXPECT_EQ(again.Records().Peek(2)->Email1, "carol@cole.example");
  EXPECT_EQ(again.Records().Peek(2)->MobilePhone, "0770");
  EXPECT_EQ(again.Records().Peek(1)->FirstName, "Bob");

  // An update of a record someone removed meanwhile is reported, not added.
  json gone = Document();
  gone["contacts"].erase(0);
  WriteFile(Database(), gone.dump());
  CommonContact changed = *again.Records().Peek(0);
  changed.JobTitle = "Boss";
  EXPECT_TRUE(again.Stage(changed));
  std::string reason;
  EXPECT_FALSE(again.Submit(reason));
  EXPECT_NE(reason.find("is no longer in the ACT! database"), std::string::npos) << reason;
  EXPECT_EQ(Document()["contacts"].size(), 2u);
}

TEST_F(ACTHelperTest, OpportunityNotesGoBackToTheirOpportunity) {
  CxACTTaskUtil t;
  Configure(t);
  t.SetIncludeOpportunities(true);
  t.SetIncludeOpportunityNotes(true);
  ASSERT_TRUE(t.Load()) << t.Report().reason;
  ASSERT_EQ(t.Records().Count(), 3u);
  CommonTask note = *t.Records().Peek(2);
  EXPECT_EQ(note.Subject, "Note on Big order");
  note.Note = "Wants blue and green.";
  CommonTask opp = *t.Records().Peek(1);
  EXPECT_EQ(opp.Importance, 1);
  opp.Importance = 2;
  // The task comparison looks at subject and importance only: the note's text goes by position.
  EXPECT_TRUE(t.UpdateRecord(note, 2, false));
  EXPECT_TRUE(t.Stage(opp));
  std::string reason;
  ASSERT_TRUE(t.Submit(reason)) << reason;
  json doc = Document();
  EXPECT_EQ(doc["todos"].size(), 1u);
  EXPECT_EQ(doc["opportunities"][0]["Priority"], 2);
  EXPECT_FALSE(doc["opportunities"][0].contains("Regarding"));
  EXPECT_EQ(doc["opportunities"][0]["notes"][0]["Body"], "Wants blue and green.");
}

}  // namespace
