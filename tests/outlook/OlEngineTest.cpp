// Outlook in the engine: as a source through LoadBothSides, and as a target, where each ticked
// record is written at once and the migration log has Outlook's lines.
#include <gtest/gtest.h>

#include <string>

#include <nlohmann/json.hpp>

#include "TestUtil.h"
#include "misc/CxDebugUtil.h"
#include "outlook/OlAddrUtil.h"
#include "platform/outlook/OutlookStandIn.h"
#include "src/AppCommon.h"
#include "src/AppSettings.h"
#include "src/ConsoleHost.h"

namespace {

namespace ol = platform::outlook;

TEST(OutlookEngine, TargetWritesEachTickedRecordAndLogsIt) {
  TempDir dir;
  CxDebugUtil::Instance().SetFolder(dir.folder());
  ol::SetStoreFile(dir.file("store.json"));  // missing: an empty Outlook
  {
    AppSettings settings;
    settings.SyncAddr = true;
    settings.SyncDate = true;
    settings.OLCustom = true;
    settings.OLCustomID[0] = 72;  // Pager
    std::FILE* quiet = std::fopen("/dev/null", "w");
    ConsoleHost host(quiet);
    AppEngine engine(settings, host, dir.folder());
    engine.SetRepaintPause(0);
    // The field map makes the contacts connector; the calendar one is never made.
    ASSERT_TRUE(engine.ApplyCustomFieldMap(kAppOutlook));
    EXPECT_EQ(OlCustomField(0), 72);
    CommonContact a, b;
    a.FirstName = "Ada";
    a.Email1 = "ada@example.org";
    b.FirstName = "Grace";
    CommonEvent e;
    e.Subject = "Nowhere to go";
    engine.SelectedContacts().Append(&a);
    engine.SelectedContacts().Append(&b);
    engine.SelectedContacts().Append(&a);  // the same again: matched, skipped
    engine.SelectedEvents().Append(&e);
    EXPECT_TRUE(engine.SubmitChanges(kAppOutlook));
    ASSERT_NE(engine.Contacts(kAppOutlook), nullptr);
    EXPECT_EQ(engine.Contacts(kAppOutlook)->Count(), 2u);
    engine.SelectedContacts().RemoveAll(false);
    engine.SelectedEvents().RemoveAll(false);
    std::fclose(quiet);
    const std::string log = ReadFile(engine.MigrationLogPath());
    EXPECT_EQ(log.rfind("Start migrating information to Outlook ...", 0), 0u) << log;
    EXPECT_NE(log.find("Migrating information to Outlook completed successfully."),
              std::string::npos);
    EXPECT_NE(log.find("Nowhere to go"), std::string::npos);
  }
  EXPECT_EQ(OlBaseUtil::UseCount(), 0);
  const auto store = nlohmann::json::parse(ReadFile(dir.file("store.json")));
  EXPECT_EQ(store["folders"]["contacts"]["items"].size(), 2u);
  ol::SetStoreFile("");
}

}  // namespace
