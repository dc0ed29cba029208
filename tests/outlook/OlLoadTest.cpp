// The Outlook connectors over the stand-in Outlook and a store of our own making: loads with
// names known only in English and values of unexpected types, user properties, writing back
// without blanking, the shared connection's lifetime, reminders by the installed version.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "PeFixture.h"
#include "TestUtil.h"
#include "misc/CxDebugUtil.h"
#include "outlook/OlConnectors.h"
#include "platform/Registry.h"
#include "platform/outlook/OutlookStandIn.h"

namespace {

using ojson = nlohmann::ordered_json;
namespace ol = platform::outlook;

ojson Contact(const std::string& first, const std::string& last, const std::string& email) {
  return {{"kind", "contact"},
          {"properties",
           {{"FirstName", first},
            {"LastName", last},
            {"Email1Address", email},
            {"JobTitle", "Engineer"},
            {"BusinessTelephoneNumber", "+44 20 7946 0000"},
            {"PagerNumber", "+44 20 7946 0999"},
            {"Body", "first line\r\nsecond line"},
            {"Birthday", "1970-01-02"}}}};
}

class OutlookStore : public ::testing::Test {
 protected:
  void SetUp() override {
    CxDebugUtil::Instance().SetFolder(dir_.folder());
    ol::SetStoreFile(dir_.file("store.json"));
    ol::ClearTestControls();
    platform::SetRegistry(std::make_shared<platform::MemoryRegistry>());
  }
  void TearDown() override {
    ol::ClearTestControls();
    ol::SetStoreFile("");
    platform::SetRegistry(nullptr);
    EXPECT_EQ(OlBaseUtil::UseCount(), 0);
    EXPECT_FALSE(ol::IsRunning());
  }

  void WriteStore(const ojson& contacts, const ojson& calendar = ojson::array()) {
    ojson doc{{"folders",
               {{"contacts", {{"name", "Contacts"}, {"items", contacts}}},
                {"calendar", {{"name", "Calendar"}, {"items", calendar}}}}}};
    WriteFile(dir_.file("store.json"), doc.dump());
  }
  // An OUTLOOK.EXE of that major version, found through App Paths.
  void InstallOutlook(std::uint16_t major) {
    dir_.Write("Office/OUTLOOK.EXE", PeFileContent(major, 0, 1, 0));
    auto reg = std::make_shared<platform::MemoryRegistry>();
    reg->SetText(platform::RegRoot::kLocalMachine,
                 "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\OUTLOOK.EXE", "Path",
                 dir_.file("Office/"));
    platform::SetRegistry(reg);
  }
  std::string Log() const { return ReadFile(dir_.file("appdebug.log")); }

  TempDir dir_;
};

TEST_F(OutlookStore, EnglishOnlyNamesAndUnexpectedTypes) {
  ojson items = ojson::array();
  for (int i = 0; i < 3; ++i)
    items.push_back(Contact("Ada", "Lovelace " + std::to_string(i), "ada@example.org"));
  items[1]["properties"]["CompanyName"] = 42;            // a number where text belongs
  items[1]["properties"]["Anniversary"] = "not a date";  // kept as text, read as a date
  items[2] = "no item at all";
  WriteStore(items);
  ol::TestControls controls;
  controls.englishOnlyNames = {"FirstName"};
  controls.unknownNames = {"Spouse"};
  controls.serveAs = {{"JobTitle", ol::ValueKind::kInt}, {"Birthday", ol::ValueKind::kText}};
  ol::SetTestControls(controls);

  OutlookContactsConnector c("Outlook Contacts");
  ASSERT_TRUE(c.Load()) << c.Report().reason;
  ASSERT_EQ(c.Records().Count(), 2u);  // the entry that is no item is skipped by the store
  for (std::int32_t i = 0; i < 2; ++i) {
    const CommonContact& r = *c.Records().Peek(i);
    EXPECT_EQ(r.FirstName, "Ada");  // found under 0x0409
    EXPECT_EQ(r.JobTitle, "");      // served as a number
    EXPECT_FALSE(r.Birthday.IsSet());
    EXPECT_EQ(r.WorkPhone, "+44 20 7946 0000");
    EXPECT_EQ(r.Note, "first line\r\nsecond line");
  }
  EXPECT_EQ(c.Records().Peek(1)->Company, "");
  EXPECT_FALSE(c.Records().Peek(1)->Anniversary.IsSet());
  EXPECT_NE(Log().find("Name=Spouse"), std::string::npos);
  // The item the store could not serve makes the load partial, and says where.
  EXPECT_FALSE(c.Report().complete);
  EXPECT_NE(c.Report().stoppedAt.find("folders.contacts.items[2]"), std::string::npos)
      << c.Report().stoppedAt;
}

TEST_F(OutlookStore, MalformedStoreFailsWithItsReason) {
  WriteFile(dir_.file("store.json"), "{\"folders\": [");
  OutlookContactsConnector c("Outlook Contacts");
  EXPECT_FALSE(c.Load());
  EXPECT_NE(c.Report().reason.find("CoCreateInstance"), std::string::npos) << c.Report().reason;
  EXPECT_NE(c.Report().reason.find("store.json"), std::string::npos) << c.Report().reason;
  EXPECT_EQ(c.Records().Count(), 0u);
  EXPECT_EQ(OlBaseUtil::UseCount(), 0);  // a failed start leaves the connection
  EXPECT_FALSE(OlBaseUtil::Started());
  // Mended, the same connector loads.
  WriteStore(ojson::array({Contact("A", "B", "a@b.c")}));
  EXPECT_TRUE(c.Load()) << c.Report().reason;
  EXPECT_EQ(c.Records().Count(), 1u);
}

TEST_F(OutlookStore, ItemsMissingEndTheLoadWithItsMessage) {
  WriteStore(ojson::array({Contact("A", "B", "a@b.c")}));
  ol::TestControls controls;
  controls.failCalls = {{"Items", static_cast<HRESULT>(0x80004005), 0}};
  ol::SetTestControls(controls);
  OutlookContactsConnector c("Outlook Contacts");
  EXPECT_FALSE(c.Load());
  EXPECT_NE(c.Report().reason.find("\"Items\" property of the Contact folder. hr=0x80004005"),
            std::string::npos)
      << c.Report().reason;
}

TEST_F(OutlookStore, UserPropertiesAndTheFieldMap) {
  ojson item = Contact("Ada", "Lovelace", "ada@example.org");
  ojson props = ojson::array();
  for (int i = 1; i <= 12; ++i)
    props.push_back(
        {{"name", "Field " + std::to_string(i)}, {"type", 1}, {"value", "v" + std::to_string(i)}});
  props[3] = {{"name", "Visits"}, {"type", 3}, {"value", 7}};
  item["userProperties"] = props;
  WriteStore(ojson::array({item}));

  OutlookContactsConnector c("Outlook Contacts");
  ASSERT_TRUE(SetOlCustomField(0, 15));  // Business Phone
  ASSERT_TRUE(SetOlCustomField(1, 5));   // Birthday: a date, not mapped
  ASSERT_TRUE(SetOlCustomField(2, 72));  // Pager: loaded into the Outlook record only
  ASSERT_TRUE(c.Load());
  const CommonContact& r = *c.Records().Peek(0);
  EXPECT_EQ(r.CustomLabel[0], "Field 1");
  EXPECT_EQ(r.Custom[0], "v1");
  EXPECT_EQ(r.CustomLabel[3], "Visits");
  EXPECT_EQ(r.Custom[3], "");  // a number is not text
  EXPECT_EQ(r.CustomLabel[9], "Field 10");
  EXPECT_EQ(r.Custom[9], "v10");  // the first ten only
  EXPECT_EQ(r.MappedCustom[0], "+44 20 7946 0000");
  EXPECT_EQ(r.MappedCustom[1], "");
  EXPECT_EQ(r.MappedCustom[2], "+44 20 7946 0999");
  for (int i = 0; i < 10; ++i) SetOlCustomField(i, 0);
}

TEST_F(OutlookStore, WritesBackWithoutBlanking) {
  ojson item = Contact("Ada", "Lovelace", "ada@example.org");
  item["userProperties"] = ojson::array({{{"name", "Team"}, {"type", 1}, {"value", "blue"}}});
  WriteStore(ojson::array({item, Contact("Grace", "Hopper", "grace@example.org")}));
  {
    OutlookContactsConnector c("Outlook Contacts");
    ASSERT_TRUE(c.Load());
    // A changed phone, an empty first name and note, a changed and a new user property.
    CommonContact changed = *c.Records().Peek(0);
    changed.WorkPhone = "+44 20 7946 1111";
    changed.FirstName = "";
    changed.Note = "";
    changed.Custom[0] = "red";
    changed.CustomLabel[1] = "Floor";
    changed.Custom[1] = "3rd";
    EXPECT_TRUE(c.Connector().UpdateRecord(&changed, 0));
    // Matched again: identical is skipped, new is added.
    EXPECT_FALSE(c.Stage(*c.Records().Peek(1)));
    CommonContact fresh;
    fresh.FirstName = "Katherine";
    fresh.LastName = "Johnson";
    fresh.Email1 = "kj@example.org";
    fresh.HomeAddress.PoBox = "PO 7";
    EXPECT_TRUE(c.Stage(fresh));
    EXPECT_EQ(c.Records().Count(), 3u);
  }
  OutlookContactsConnector again("Outlook Contacts");
  ASSERT_TRUE(again.Load());
  ASSERT_EQ(again.Records().Count(), 3u);
  const CommonContact& ada = *again.Records().Peek(0);
  EXPECT_EQ(ada.FirstName, "Ada");
  EXPECT_EQ(ada.Note, "first line\r\nsecond line");
  EXPECT_EQ(ada.WorkPhone, "+44 20 7946 1111");
  EXPECT_EQ(ada.JobTitle, "Engineer");
  EXPECT_EQ(ada.Birthday, again.Records().Peek(1)->Birthday);
  EXPECT_EQ(ada.CustomLabel[0], "Team");
  EXPECT_EQ(ada.Custom[0], "red");
  EXPECT_EQ(ada.CustomLabel[1], "Floor");
  EXPECT_EQ(ada.Custom[1], "3rd");
  const auto* native = ada.NativeRecord.As<OlContactRecord>();
  ASSERT_NE(native, nullptr);
  EXPECT_EQ(native->View(kOcPagerNumber), "+44 20 7946 0999");
  const CommonContact& kj = *again.Records().Peek(2);
  EXPECT_EQ(kj.FirstName, "Katherine");
  EXPECT_EQ(kj.NativeRecord.As<OlContactRecord>()->View(kOcHomeAddressPostOfficeBox), "PO 7");
}

TEST_F(OutlookStore, UpdateLandsOnTheLoadedItemWhenThePositionHoldsAnother) {
  WriteStore(
      ojson::array({Contact("Ada", "Lovelace", "a@x.org"), Contact("Grace", "Hopper", "g@x.org")}));
  OutlookContactsConnector c("Outlook Contacts");
  ASSERT_TRUE(c.Load());
  CommonContact grace = *c.Records().Peek(1);
  grace.JobTitle = "Rear Admiral";
  // As when the folder's order changed since the load: position 0 holds Ada now.
  EXPECT_TRUE(c.Connector().UpdateRecord(&grace, 0));
  c.Reset();
  ASSERT_TRUE(c.Load());
  EXPECT_EQ(c.Records().Peek(0)->JobTitle, "Engineer");
  EXPECT_EQ(c.Records().Peek(1)->JobTitle, "Rear Admiral");
}

TEST_F(OutlookStore, TextsCutAtFieldWidthsOnWholeCharacters) {
  ojson item = Contact("", "Lovelace", "ada@example.org");
  std::string euros;
  for (int i = 0; i < 1000; ++i) euros += "€";
  item["properties"]["FirstName"] = euros;  // 63 bytes in Outlook's record, 31 in the common one
  item["properties"]["Body"] = euros;
  WriteStore(ojson::array({item}));
  OutlookContactsConnector c("Outlook Contacts");
  ASSERT_TRUE(c.Load());
  const CommonContact& r = *c.Records().Peek(0);
  EXPECT_EQ(r.FirstName.size(), 30u);
  EXPECT_EQ(r.NativeRecord.As<OlContactRecord>()->View(kOcFirstName).size(), 63u);
  EXPECT_EQ(r.Note.size(), 2046u);
  EXPECT_TRUE(r.Note.view() == std::string_view(euros).substr(0, 2046));
}

TEST_F(OutlookStore, SharedConnectionLifetime) {
  WriteStore(ojson::array({Contact("A", "B", "a@b.c")}));
  for (bool contactsFirst : {true, false}) {
    auto contacts = std::make_unique<OutlookContactsConnector>("Outlook Contacts");
    EXPECT_EQ(OlBaseUtil::UseCount(), 1);
    EXPECT_TRUE(OlBaseUtil::Started());
    auto calendar = std::make_unique<OutlookCalendarConnector>("Outlook Calendar");
    EXPECT_EQ(OlBaseUtil::UseCount(), 2);
    ASSERT_TRUE(contacts->Load());
    ASSERT_TRUE(calendar->Load());
    if (contactsFirst)
      contacts.reset();
    else
      calendar.reset();
    EXPECT_EQ(OlBaseUtil::UseCount(), 1);
    EXPECT_TRUE(OlBaseUtil::Started());
    EXPECT_TRUE(ol::IsRunning());
    // The one left still reads.
    EXPECT_TRUE(contacts ? contacts->Load() : calendar->Load());
    contacts.reset();
    calendar.reset();
    EXPECT_EQ(OlBaseUtil::UseCount(), 0);
    EXPECT_FALSE(OlBaseUtil::Started());
    EXPECT_FALSE(ol::IsRunning());
    EXPECT_EQ(ol::LiveObjectCount(), 0);
  }
}

TEST_F(OutlookStore, RemindersByInstalledVersion) {
  ojson appt{{"kind", "appointment"},
             {"properties",
              {{"Subject", "Dentist"},
               {"Start", "2012-05-01T10:00:00"},
               {"End", "2012-05-01T11:00:00"},
               {"ReminderSet", true},
               {"ReminderMinutesBeforeStart", 120},
               {"ReminderTime", "2012-05-01T09:45:00"}}}};
  WriteStore(ojson::array(), ojson::array({appt}));
  struct Case {
    std::uint16_t major;
    int cls;
    std::int32_t unit, amount;
  } cases[] = {{11, 3, kUnitMinutes, 15}, {12, 4, kUnitHours, 2}, {0, 0, kUnitMinutes, 15}};
  for (const Case& k : cases) {
    if (k.major)
      InstallOutlook(k.major);
    else
      platform::SetRegistry(std::make_shared<platform::MemoryRegistry>());
    OutlookCalendarConnector c("Outlook Calendar");
    ASSERT_TRUE(c.Load());
    EXPECT_EQ(OlBaseUtil::VersionClass(), k.cls);
    const CommonEvent& e = *c.Records().Peek(0);
    EXPECT_EQ(e.Reminders[0].Unit, k.unit) << k.major;
    EXPECT_EQ(e.Reminders[0].Amount, k.amount) << k.major;
    EXPECT_EQ(e.DurationMinutes, 60);
  }
}

TEST_F(OutlookStore, CalendarWrittenBackWithItsPattern) {
  WriteStore(ojson::array(), ojson::array());
  {
    OutlookCalendarConnector c("Outlook Calendar");
    ASSERT_TRUE(c.Load());
    CommonEvent e;
    e.Subject = "Birthday 🎂";
    e.Start = SYSTEMTIME{2012, 3, 3, 14, 9, 0, 0, 0};
    e.End = SYSTEMTIME{2012, 3, 3, 14, 10, 30, 0, 0};
    e.Recurrence.RecurType = kRecurYearly;
    e.Recurrence.Interval = 1;
    e.Recurrence.DayOfMonth = 14;
    e.Recurrence.MonthOfYear = 3;
    e.ReminderSet = 1;
    e.ReminderCount = 1;
    e.Reminders[0] = {0, 2, kUnitDays};
    EXPECT_TRUE(c.Stage(e));
  }
  InstallOutlook(12);
  OutlookCalendarConnector again("Outlook Calendar");
  ASSERT_TRUE(again.Load());
  ASSERT_EQ(again.Records().Count(), 1u);
  const CommonEvent& e = *again.Records().Peek(0);
  EXPECT_EQ(e.Subject, "Birthday 🎂");
  EXPECT_EQ(e.Recurrence.RecurType, kRecurYearly);
  EXPECT_EQ(e.Recurrence.DayOfMonth, 14);
  EXPECT_EQ(e.Recurrence.MonthOfYear, 3);
  EXPECT_EQ(e.DurationMinutes, 90);
  EXPECT_EQ(e.End.wMinute, 30);
}

// Tasks and notes go through the same submit as contacts: an identical record is skipped, a
// changed one rewrites the item it was loaded from, a new one becomes an item of its own kind.
TEST_F(OutlookStore, TasksAndNotesUpdatedAndAddedAsTheirKinds) {
  ojson task{{"kind", "task"}, {"properties", {{"Subject", "File taxes"}, {"Role", "Owner"}}}};
  ojson note{{"kind", "note"}, {"properties", {{"Body", "Shopping\r\nmilk"}, {"Color", 3}}}};
  WriteFile(dir_.file("store.json"), ojson{{"folders",
                                            {{"tasks", {{"name", "Tasks"}, {"items", {task}}}},
                                             {"notes", {{"name", "Notes"}, {"items", {note}}}}}}}
                                         .dump());
  {
    OutlookTasksConnector tasks("Outlook Tasks");
    OutlookNotesConnector notes("Outlook Notes");
    ASSERT_TRUE(tasks.Load());
    ASSERT_TRUE(notes.Load());
    CommonTask t = *tasks.Records().Peek(0);
    EXPECT_FALSE(tasks.Stage(t));
    t.Importance = 1;
    t.Note = "Forms A and B";
    EXPECT_TRUE(tasks.Stage(t));
    CommonTask newTask;
    newTask.Subject = "Renew passport";
    EXPECT_TRUE(tasks.Stage(newTask));
    CommonNote n = *notes.Records().Peek(0);
    n.Body = "Shopping\r\nmilk, eggs";
    EXPECT_TRUE(notes.Stage(n));
    CommonNote newNote;
    newNote.Body = "Call Ada";
    EXPECT_TRUE(notes.Stage(newNote));
  }
  OutlookTasksConnector tasks("Outlook Tasks");
  OutlookNotesConnector notes("Outlook Notes");
  ASSERT_TRUE(tasks.Load());
  ASSERT_TRUE(notes.Load());
  ASSERT_EQ(tasks.Records().Count(), 2u);
  EXPECT_EQ(tasks.Records().Peek(0)->Note, "Forms A and B");
  EXPECT_EQ(tasks.Records().Peek(0)->NativeRecord.As<OlTaskRecord>()->Role.view(), "Owner");
  EXPECT_EQ(tasks.Records().Peek(1)->Subject, "Renew passport");
  ASSERT_EQ(notes.Records().Count(), 2u);
  EXPECT_EQ(notes.Records().Peek(0)->Body, "Shopping\r\nmilk, eggs");
  EXPECT_EQ(notes.Records().Peek(0)->Color, 3u);
  EXPECT_EQ(notes.Records().Peek(1)->Title, "Call Ada");
  const ojson store = ojson::parse(ReadFile(dir_.file("store.json")));
  // An item of another kind than its folder's would name it.
  EXPECT_EQ(store["folders"]["tasks"]["items"][1].value("kind", "task"), "task");
  EXPECT_EQ(store["folders"]["notes"]["items"][1].value("kind", "note"), "note");
}

}  // namespace
