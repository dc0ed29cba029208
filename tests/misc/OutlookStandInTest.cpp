#include "platform/outlook/OutlookStandIn.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "TestUtil.h"
#include "misc/CxDebugUtil.h"
#include "misc/DispCmd.h"

namespace {

namespace ol = platform::outlook;
using Json = nlohmann::json;

// Wraps a reference the caller owns into a CDispCmd and gives the caller's reference back.
std::unique_ptr<CDispCmd> Adopt(IDispatch* object) {
  if (!object) return nullptr;
  auto cmd = std::make_unique<CDispCmd>(object);
  object->Release();
  return cmd;
}

std::unique_ptr<CDispCmd> GetObj(CDispCmd& on, const char16_t* name) {
  IDispatch* out = nullptr;
  if (on.GetObject(name, &out) != 0) return nullptr;
  return Adopt(out);
}

VARIANT Long(LONG n) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = n;
  return v;
}

// Calls a method whose arguments are given first to last; the object it returns, if any.
std::unique_ptr<CDispCmd> CallObj(CDispCmd& on, const char16_t* name, std::vector<VARIANT> args,
                                  HRESULT* hr = nullptr) {
  std::vector<VARIANT> reversed(args.rbegin(), args.rend());
  VARIANT result;
  VariantInit(&result);
  HRESULT r = on.CallMethod(name, reversed.data(), static_cast<UINT>(reversed.size()), &result);
  if (hr) *hr = r;
  if (FAILED(r) || result.vt != VT_DISPATCH) {
    VariantClear(&result);
    return nullptr;
  }
  return Adopt(result.pdispVal);
}

std::string Text(CDispCmd& on, const char16_t* name, HRESULT* hr = nullptr) {
  char buf[256] = "";
  HRESULT r = on.GetText(name, buf, sizeof buf);
  if (hr) *hr = r;
  return buf;
}

// One running stand-in, started as the connectors start it.
struct Session {
  HRESULT hr = E_FAIL;
  std::unique_ptr<CDispCmd> app, ns;

  Session() {
    CLSID clsid{};
    hr = CLSIDFromProgID(ol::kProgId, &clsid);
    if (FAILED(hr)) return;
    IUnknown* unknown = nullptr;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IUnknown,
                          reinterpret_cast<void**>(&unknown));
    if (FAILED(hr)) return;
    hr = OleRun(unknown);
    IDispatch* dispatch = nullptr;
    if (SUCCEEDED(hr))
      hr = unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
    unknown->Release();
    if (FAILED(hr)) return;
    app = Adopt(dispatch);
    VARIANT mapi;
    VariantInit(&mapi);
    mapi.vt = VT_BSTR;
    mapi.bstrVal = SysAllocString(u"MAPI");
    ns = CallObj(*app, u"GetNameSpace", {mapi}, &hr);
    SysFreeString(mapi.bstrVal);
  }
  std::unique_ptr<CDispCmd> Folder(LONG which) {
    return CallObj(*ns, u"GetDefaultFolder", {Long(which)});
  }
  std::unique_ptr<CDispCmd> Items(LONG which) {
    auto folder = Folder(which);
    return folder ? GetObj(*folder, u"Items") : nullptr;
  }
};

class StandIn : public ::testing::Test {
 protected:
  void SetUp() override {
    store_ = dir_.file("store.json");
    CxDebugUtil::Instance().SetFolder(dir_.folder());  // names unknown on purpose are logged
    ol::SetStoreFile(store_);
    ol::ClearTestControls();
    platform::ResetAutomationServers();
  }
  void TearDown() override {
    EXPECT_FALSE(ol::IsRunning());
    EXPECT_EQ(ol::LiveObjectCount(), 0) << "an automation object leaked";
    ol::ClearTestControls();
    ol::SetStoreFile("");
    CxDebugUtil::Instance().SetFolder("./");
  }
  Json Saved() const { return Json::parse(ReadFile(store_)); }

  TempDir dir_;
  std::string store_;
};

TEST_F(StandIn, StartsOnAMissingStoreAndKeepsWhatIsSaved) {
  {
    Session s;
    ASSERT_EQ(s.hr, S_OK);
    auto contacts = s.Folder(ol::olFolderContacts);
    ASSERT_TRUE(contacts);
    EXPECT_EQ(Text(*contacts, u"Name"), "Contacts");
    EXPECT_FALSE(Text(*contacts, u"StoreID").empty());
    auto items = GetObj(*contacts, u"Items");
    std::int32_t count = -1;
    EXPECT_EQ(items->GetLong(u"Count", &count), 0);
    EXPECT_EQ(count, 0);
    EXPECT_FALSE(CallObj(*items, u"GetFirst", {}));

    auto item = CallObj(*items, u"Add", {Long(ol::olContactItem)});
    ASSERT_TRUE(item);
    EXPECT_EQ(item->PutText(u"firstname", "\xC3\x85sa"), 0);  // any case
    EXPECT_EQ(item->PutDate(u"Birthday", 25689.0), 0);
    EXPECT_EQ(item->PutLong(u"Gender", 2), 0);
    EXPECT_EQ(item->PutLong(u"LastName", 5), DISP_E_TYPEMISMATCH);
    auto props = GetObj(*item, u"UserProperties");
    VARIANT name;
    VariantInit(&name);
    name.vt = VT_BSTR;
    name.bstrVal = SysAllocString(u"Shoe size");
    VARIANT no;
    VariantInit(&no);
    no.vt = VT_BOOL;
    no.boolVal = VARIANT_FALSE;
    auto prop = CallObj(*props, u"Add", {name, Long(ol::olText), no, Long(1)});
    SysFreeString(name.bstrVal);
    ASSERT_TRUE(prop);
    EXPECT_EQ(prop->PutText(u"Value", "42"), 0);
    EXPECT_EQ(item->CallMethod(u"Save", nullptr, 0, nullptr), S_OK);
    EXPECT_EQ(items->GetLong(u"Count", &count), 0);
    EXPECT_EQ(count, 1);
  }
  EXPECT_FALSE(ol::IsRunning());
  const Json saved = Saved();
  const Json& contact = saved["folders"]["contacts"]["items"][0];
  EXPECT_EQ(contact["properties"]["FirstName"], "\xC3\x85sa");
  EXPECT_EQ(contact["properties"]["Birthday"], "1970-05-01");
  EXPECT_EQ(contact["properties"]["Gender"], 2);
  EXPECT_EQ(contact["userProperties"][0],
            (Json{{"name", "Shoe size"}, {"type", 1}, {"value", "42"}}));

  Session again;
  ASSERT_EQ(again.hr, S_OK);
  auto items = again.Items(ol::olFolderContacts);
  auto item = CallObj(*items, u"GetFirst", {});
  ASSERT_TRUE(item);
  EXPECT_EQ(Text(*item, u"FirstName"), "\xC3\x85sa");
  EXPECT_EQ(Text(*item, u"EntryID"), contact["properties"]["EntryID"]);
  double created = 0;
  EXPECT_EQ(item->GetDate(u"CreationTime", &created), 0);
  EXPECT_GT(created, 40000.0);
  // UserProperties.Item with its index in a by-reference variant, as the connector passes it.
  auto props = GetObj(*item, u"UserProperties");
  VARIANT one = Long(1);
  VARIANT ref;
  VariantInit(&ref);
  ref.vt = VT_BYREF | VT_VARIANT;
  ref.pvarVal = &one;
  auto prop = CallObj(*props, u"Item", {ref});
  ASSERT_TRUE(prop);
  EXPECT_EQ(Text(*prop, u"Name"), "Shoe size");
  EXPECT_EQ(Text(*prop, u"Value"), "42");
  EXPECT_FALSE(CallObj(*items, u"GetNext", {}));
}

TEST_F(StandIn, ServesValuesAsStoredAndEmptyOnesAsTheirTypesEmptyValue) {
  WriteFile(store_, R"({
    "folders": {
      "contacts": {"name": "Kontakte", "items": [
        {"properties": {"FirstName": "Ann", "LastName": 42, "Birthday": "1970-05-01",
                        "Anniversary": {"date": "2001-02-03T04:05:06"}, "Gender": "male",
                        "Email1Address": "", "Spouse": null, "Custom": true}}]},
      "calendar": {"items": [
        {"properties": {"Subject": "Stand-up", "Start": "2024-03-14T09:30:00",
                        "End": "2024-03-14T10:15:00"},
         "recurrence": {"RecurrenceType": 5, "DayOfMonth": 14, "MonthOfYear": 3,
                        "PatternEndDate": "2030-03-14"}}]},
      "notes": {"items": [{"properties": {"Body": "Milk\r\nEggs", "Color": 3}}]}
    }})");
  Session s;
  ASSERT_EQ(s.hr, S_OK);
  auto contacts = s.Folder(ol::olFolderContacts);
  EXPECT_EQ(Text(*contacts, u"Name"), "Kontakte");
  auto items = GetObj(*contacts, u"Items");
  auto c = CallObj(*items, u"Item", {Long(1)});
  ASSERT_TRUE(c);
  HRESULT hr;
  EXPECT_EQ(Text(*c, u"FirstName"), "Ann");
  std::int32_t n = -1;
  char buf[8] = "keep";
  EXPECT_EQ(c->GetText(u"LastName", buf, sizeof buf), 1);  // a number, served as one
  EXPECT_STREQ(buf, "keep");
  EXPECT_EQ(c->GetLong(u"LastName", &n), 0);
  EXPECT_EQ(n, 42);
  EXPECT_EQ(c->GetLong(u"Gender", &n), 1);
  double d = 0;
  EXPECT_EQ(c->GetDate(u"Birthday", &d), 0);
  EXPECT_EQ(d, 25689.0);
  EXPECT_EQ(c->GetDate(u"Anniversary", &d), 0);
  SYSTEMTIME st;
  ASSERT_EQ(VariantTimeToSystemTime(d, &st), 1);
  EXPECT_EQ(st, (SYSTEMTIME{2001, 2, 6, 3, 4, 5, 6, 0}));
  EXPECT_EQ(Text(*c, u"Email1Address", &hr), "");
  EXPECT_EQ(hr, 0);
  EXPECT_EQ(Text(*c, u"Spouse", &hr), "");  // not set: a null BSTR
  EXPECT_EQ(hr, 0);
  EXPECT_EQ(c->GetDate(u"Anniversary", &d), 0);
  std::uint8_t b = 0;
  EXPECT_EQ(c->GetBool(u"Custom", &b), 0);  // a name outside Outlook's own, kept
  EXPECT_EQ(b, 1);
  EXPECT_EQ(Text(*c, u"NoSuchProperty", &hr), "");
  EXPECT_EQ(hr, DISP_E_UNKNOWNNAME);
  EXPECT_EQ(c->GetLong(u"Class", &n), 0);
  EXPECT_EQ(n, 40);
  EXPECT_FALSE(CallObj(*items, u"Item", {Long(2)}, &hr));
  EXPECT_EQ(hr, DISP_E_BADINDEX);

  auto appointment = CallObj(*s.Items(ol::olFolderCalendar), u"GetFirst", {});
  ASSERT_TRUE(appointment);
  EXPECT_EQ(appointment->GetLong(u"Duration", &n), 0);  // from start and end
  EXPECT_EQ(n, 45);
  EXPECT_EQ(appointment->GetBool(u"IsRecurring", &b), 0);
  EXPECT_EQ(b, 1);
  auto pattern = CallObj(*appointment, u"GetRecurrencePattern", {});
  ASSERT_TRUE(pattern);
  EXPECT_EQ(pattern->GetLong(u"RecurrenceType", &n), 0);
  EXPECT_EQ(n, ol::olRecursYearly);
  EXPECT_EQ(pattern->GetLong(u"Interval", &n), 0);  // not stored: 0
  EXPECT_EQ(n, 0);
  EXPECT_EQ(pattern->GetDate(u"PatternEndDate", &d), 0);
  ASSERT_EQ(VariantTimeToSystemTime(d, &st), 1);
  EXPECT_EQ(st, (SYSTEMTIME{2030, 3, 4, 14, 0, 0, 0, 0}));

  auto note = CallObj(*s.Items(ol::olFolderNotes), u"GetFirst", {});
  EXPECT_EQ(Text(*note, u"Subject"), "Milk");  // the body's first line
  auto tasks = s.Items(ol::olFolderTasks);
  EXPECT_FALSE(CallObj(*tasks, u"GetFirst", {}));
  EXPECT_FALSE(CallObj(*s.ns, u"GetDefaultFolder", {Long(6)}, &hr));
  EXPECT_EQ(hr, DISP_E_EXCEPTION);
}

// A store read, saved through one item and read again keeps every item, value type, user
// property, recurrence and unknown key; only the saved item's modification time moves.
TEST_F(StandIn, SaveWritesTheStoreBackAsItWasRead) {
  const Json original = Json::parse(R"({
    "storeId": "S1", "version": "15.0.4569.1506", "comment": "kept",
    "folders": {
      "contacts": {"name": "Contacts", "entryId": "F1", "items": [
        {"properties": {"EntryID": "C1", "FirstName": "Zoë", "LastName": 7,
                        "Birthday": "1899-12-29T06:00:00", "Anniversary": 45000.123456789,
                        "Gender": 1, "Spouse": {"date": "2020-01-01"}, "Odd": [1, 2]},
         "userProperties": [{"name": "N", "type": 3, "value": 1.5},
                            {"name": "D", "type": 5, "value": "2024-01-02T03:04:05"},
                            {"name": "Y", "type": 6, "value": true}],
         "tag": {"any": "thing"}},
        {"kind": "distlist", "properties": {"EntryID": "C2", "Subject": "Team"}}]},
      "calendar": {"name": "Calendar", "entryId": "F2", "items": [
        {"properties": {"EntryID": "A1", "Start": "2024-03-14T09:30:00", "Duration": 45,
                        "End": "2024-03-14T10:15:00", "AllDayEvent": false},
         "recurrence": {"RecurrenceType": 1, "Interval": 2, "DayOfWeekMask": 20,
                        "NoEndDate": true}}]},
      "tasks": {"name": "Tasks", "entryId": "F3", "items": []},
      "notes": {"name": "Notes", "entryId": "F4", "items": [
        {"properties": {"EntryID": "N1", "Body": "a\n\"b\"\t\\ \u0001\u001f\b\f\u007f", "Color": 2}}]},
      "inbox": {"items": [1, 2, 3]}
    },
    "test": {"unknownNames": ["Nothing"]}
  })");
  WriteFile(store_, original.dump());
  {
    Session s;
    ASSERT_EQ(s.hr, S_OK);
    EXPECT_EQ(Text(*s.app, u"Version"), "15.0.4569.1506");
    auto note = CallObj(*s.Items(ol::olFolderNotes), u"GetFirst", {});
    ASSERT_EQ(note->CallMethod(u"Save", nullptr, 0, nullptr), S_OK);
  }
  Json saved = Saved();
  Json& savedNote = saved["folders"]["notes"]["items"][0]["properties"];
  ASSERT_TRUE(savedNote.contains("LastModificationTime"));
  ASSERT_TRUE(savedNote.contains("CreationTime"));
  savedNote.erase("LastModificationTime");
  savedNote.erase("CreationTime");
  EXPECT_EQ(saved, original) << saved.dump(1);
}

struct Broken {
  const char* name;
  const char* document;
  bool starts;
  std::size_t items;     // served, when it starts
  std::size_t problems;  // reported, when it starts
};

// Stores that do not fit: the server either refuses to start with a reason or serves what fits
// and lists the rest; a Save then writes the skipped parts back unchanged.
TEST_F(StandIn, BrokenStoresNeverCrashAndLoseNothing) {
  const Broken cases[] = {
      {"empty file", "", false, 0, 0},
      {"not json", "{\"folders\": ", false, 0, 0},
      {"not an object", "[1, 2]", false, 0, 0},
      {"folders an array", R"({"folders": []})", false, 0, 0},
      {"folder a number", R"({"folders": {"contacts": 5}})", false, 0, 0},
      {"items an object", R"({"folders": {"contacts": {"items": {}}}})", false, 0, 0},
      {"folder name a number", R"({"folders": {"tasks": {"name": 1}}})", false, 0, 0},
      {"store id a number", R"({"storeId": 5})", false, 0, 0},
      {"test an array", R"({"test": []})", false, 0, 0},
      {"bad hr", R"({"test": {"failCalls": [{"name": "X", "hr": "zero"}]}})", false, 0, 0},
      {"bad serveAs", R"({"test": {"serveAs": {"X": "float"}}})", false, 0, 0},
      {"deep nesting", nullptr, false, 0, 0},
      {"a folder", ".", false, 0, 0},
      {"bad items",
       R"({"folders": {"contacts": {"items": [
          5, {"properties": []}, {"userProperties": {}}, {"recurrence": 3}, {"kind": 7},
          {"properties": {"FirstName": [1, 2], "LastName": {"a": 1}}},
          {"userProperties": [{"type": 1}, {"name": "", "type": 1}, {"name": "T", "type": "x"},
                              {"name": "Ok", "value": "v"}]},
          {"recurrence": null}]}}})",
       true, 3, 10},
  };
  std::string deep = R"({"x": )" + std::string(100000, '[') + std::string(100000, ']') + "}";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string document = c.document ? c.document : deep;
    if (document == ".") {
      ol::SetStoreFile(dir_.path());  // a folder, not a file
    } else {
      ol::SetStoreFile(store_);
      WriteFile(store_, document);
    }
    {
      Session s;
      const ol::StoreReport report = ol::LastStoreReport();
      if (!c.starts) {
        EXPECT_EQ(s.hr, CO_E_SERVER_EXEC_FAILURE);
        EXPECT_FALSE(report.started);
        EXPECT_NE(report.error.find(ol::StoreFile()), std::string::npos) << report.error;
        continue;
      }
      ASSERT_EQ(s.hr, S_OK) << report.error;
      EXPECT_TRUE(report.started);
      EXPECT_EQ(report.items, c.items);
      EXPECT_EQ(report.problems.size(), c.problems);
      EXPECT_EQ(report.problemCount, c.problems);
      for (const auto& p : report.problems)
        EXPECT_EQ(p.rfind("folders.contacts.items[", 0), 0u) << p;
      auto items = s.Items(ol::olFolderContacts);
      auto added = CallObj(*items, u"Add", {});
      ASSERT_TRUE(added);
      added->PutText(u"FirstName", "New");
      ASSERT_EQ(added->CallMethod(u"Save", nullptr, 0, nullptr), S_OK);
    }
    const Json before = Json::parse(document);
    const Json after = Saved();
    const Json& was = before["folders"]["contacts"]["items"];
    const Json& now = after["folders"]["contacts"]["items"];
    ASSERT_EQ(now.size(), was.size() + 1);
    for (std::size_t i : {0u, 1u, 2u, 3u, 4u}) EXPECT_EQ(now[i], was[i]) << i;
    EXPECT_EQ(now[6]["userProperties"][1], was[6]["userProperties"][0]);  // kept, moved last
    EXPECT_EQ(now[6]["userProperties"].size(), 4u);
    EXPECT_EQ(now.back()["properties"]["FirstName"], "New");
  }
}

TEST_F(StandIn, TestControlsOfTheDocumentAndOfTheApi) {
  WriteFile(store_, R"({
    "folders": {"contacts": {"items": [
      {"properties": {"FullName": "A", "FirstName": "Ann", "Gender": 1}},
      {"properties": {"FullName": "B"}}, {"properties": {"FullName": "C"}},
      {"properties": {"FullName": "D"}}]}},
    "test": {"englishOnlyNames": ["FullName"], "unknownNames": ["gender"],
             "failCalls": [{"name": "GetNext", "hr": "0x80004005", "after": 2}],
             "serveAs": {"FirstName": "int"}}})");
  Session s;
  ASSERT_EQ(s.hr, S_OK);
  auto items = s.Items(ol::olFolderContacts);
  std::vector<std::string> seen;
  HRESULT hr = S_OK;
  for (auto item = CallObj(*items, u"GetFirst", {}); item;
       item = CallObj(*items, u"GetNext", {}, &hr)) {
    seen.push_back(Text(*item, u"FullName"));  // found on the second look-up
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(hr, E_FAIL);

  auto first = CallObj(*items, u"GetFirst", {});
  const OLECHAR* name = u"FullName";
  DISPID id = 0;
  EXPECT_EQ(first->Dispatch()->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_SYSTEM_DEFAULT, &id),
            DISP_E_UNKNOWNNAME);
  std::int32_t n = -1;
  EXPECT_EQ(first->GetLong(u"Gender", &n), DISP_E_UNKNOWNNAME);
  char buf[8] = "keep";
  EXPECT_EQ(first->GetText(u"FirstName", buf, sizeof buf), 1);
  EXPECT_STREQ(buf, "keep");
  EXPECT_EQ(first->GetLong(u"FirstName", &n), 0);  // "Ann" as a number
  EXPECT_EQ(n, 0);

  ol::TestControls api;
  api.failCalls.push_back({"Save", MakeHResult(0x80030070), 0});
  api.serveAs.push_back({"FullName", ol::ValueKind::kDate});
  ol::SetTestControls(api);  // applies to the running server at once
  EXPECT_EQ(first->CallMethod(u"Save", nullptr, 0, nullptr), MakeHResult(0x80030070));
  double d = 1;
  EXPECT_EQ(first->GetDate(u"FullName", &d), 0);
  EXPECT_EQ(d, 0.0);
  EXPECT_EQ(first->GetLong(u"Gender", &n), DISP_E_UNKNOWNNAME);  // the document's still hold
}

TEST_F(StandIn, AppointmentsKeepStartEndAndDurationTogether) {
  Session s;
  ASSERT_EQ(s.hr, S_OK);
  auto items = s.Items(ol::olFolderCalendar);
  auto a = CallObj(*items, u"Add", {Long(ol::olAppointmentItem)});
  ASSERT_TRUE(a);
  SYSTEMTIME start{2024, 3, 4, 14, 22, 0, 0, 0};
  double startDate = 0, end = 0;
  ASSERT_EQ(SystemTimeToVariantTime(&start, &startDate), 1);
  EXPECT_EQ(a->PutLong(u"Duration", 180), 0);  // the order the connector writes in
  EXPECT_EQ(a->PutDate(u"Start", startDate), 0);
  EXPECT_EQ(a->GetDate(u"End", &end), 0);
  SYSTEMTIME st;
  ASSERT_EQ(VariantTimeToSystemTime(end, &st), 1);
  EXPECT_EQ(st, (SYSTEMTIME{2024, 3, 5, 15, 1, 0, 0, 0}));
  SYSTEMTIME later{2024, 3, 5, 15, 2, 30, 0, 0};
  ASSERT_EQ(SystemTimeToVariantTime(&later, &end), 1);
  EXPECT_EQ(a->PutDate(u"End", end), 0);
  std::int32_t n = 0;
  EXPECT_EQ(a->GetLong(u"Duration", &n), 0);
  EXPECT_EQ(n, 270);

  std::uint8_t b = 1;
  EXPECT_EQ(a->GetBool(u"IsRecurring", &b), 0);
  EXPECT_EQ(b, 0);
  auto pattern = CallObj(*a, u"GetRecurrencePattern", {});
  ASSERT_TRUE(pattern);
  EXPECT_EQ(pattern->PutLong(u"RecurrenceType", ol::olRecursMonthNth), 0);
  EXPECT_EQ(pattern->PutLong(u"Instance", 2), 0);
  EXPECT_EQ(pattern->PutDate(u"PatternEndDate", 46000.0), 0);
  EXPECT_EQ(pattern->GetBool(u"NoEndDate", &b), 0);
  EXPECT_EQ(b, 0);
  ASSERT_EQ(a->CallMethod(u"Save", nullptr, 0, nullptr), S_OK);
  const Json saved = Saved()["folders"]["calendar"]["items"][0];
  EXPECT_EQ(saved["recurrence"], (Json{{"RecurrenceType", 3},
                                       {"Interval", 1},
                                       {"Instance", 2},
                                       {"PatternEndDate", "2025-12-09"},
                                       {"NoEndDate", false}}));
  EXPECT_EQ(saved["properties"]["End"], "2024-03-15T02:30:00");
  EXPECT_EQ(a->CallMethod(u"ClearRecurrencePattern", nullptr, 0, nullptr), S_OK);
  EXPECT_EQ(a->GetBool(u"IsRecurring", &b), 0);
  EXPECT_EQ(b, 0);
  // Contacts do not recur.
  auto contact = CallObj(*s.Items(ol::olFolderContacts), u"Add", {});
  HRESULT hr;
  EXPECT_FALSE(CallObj(*contact, u"GetRecurrencePattern", {}, &hr));
  EXPECT_EQ(hr, DISP_E_UNKNOWNNAME);
}

TEST_F(StandIn, OneApplicationWhileReferencedAndEveryReferenceGivenBack) {
  Session first;
  ASSERT_EQ(first.hr, S_OK);
  IUnknown* active = nullptr;
  ASSERT_EQ(GetActiveObject(ol::kClsid, nullptr, &active), S_OK);
  EXPECT_EQ(static_cast<IUnknown*>(first.app->Dispatch()), active);
  active->Release();
  {
    Session second;  // the same application: the store is not read again
    EXPECT_EQ(second.app->Dispatch(), first.app->Dispatch());
    auto item = CallObj(*second.Items(ol::olFolderTasks), u"Add", {});
    auto props = GetObj(*item, u"UserProperties");
    EXPECT_GT(ol::LiveObjectCount(), 4);
  }
  first.ns.reset();
  EXPECT_EQ(ol::LiveObjectCount(), 1);
  EXPECT_TRUE(ol::IsRunning());
  first.app.reset();
  EXPECT_FALSE(ol::IsRunning());
  EXPECT_EQ(GetActiveObject(ol::kClsid, nullptr, &active), MK_E_UNAVAILABLE);
}

TEST_F(StandIn, FailedSaveIsReportedAndTheItemStaysServed) {
  ol::SetStoreFile(dir_.file("missing-folder/store.json"));
  Session s;
  ASSERT_EQ(s.hr, S_OK);
  auto items = s.Items(ol::olFolderNotes);
  auto note = CallObj(*items, u"Add", {});
  note->PutText(u"Body", "text");
  EXPECT_EQ(note->CallMethod(u"Save", nullptr, 0, nullptr), DISP_E_EXCEPTION);
  EXPECT_NE(ol::LastStoreReport().error.find("missing-folder"), std::string::npos);
  std::int32_t n = 0;
  EXPECT_EQ(items->GetLong(u"Count", &n), 0);
  EXPECT_EQ(n, 1);
}

TEST_F(StandIn, TheStoreFileComesFromItsOwnSettings) {
  const char* old = std::getenv("XDG_DATA_HOME");
  const std::string saved = old ? old : "";
  setenv("XDG_DATA_HOME", dir_.path().c_str(), 1);
  ol::SetStoreFile("");
  const std::string folder = dir_.path() + "/korvane/VEGG/";
  EXPECT_EQ(ol::DataFolder(), folder);
  EXPECT_EQ(ol::StoreFile(), folder + "outlook-store.json");
  dir_.Write("korvane/VEGG/OutlookStandIn.ini", "[store]\nfile = mine.json\n");
  EXPECT_EQ(ol::StoreFile(), folder + "mine.json");
  dir_.Write("korvane/VEGG/OutlookStandIn.ini", "[Store]\nFile=/elsewhere/s.json\n");
  EXPECT_EQ(ol::StoreFile(), "/elsewhere/s.json");
  ol::SetStoreFile("/given.json");
  EXPECT_EQ(ol::StoreFile(), "/given.json");
  if (old) {
    setenv("XDG_DATA_HOME", saved.c_str(), 1);
  } else {
    unsetenv("XDG_DATA_HOME");
  }
}

}  // namespace
