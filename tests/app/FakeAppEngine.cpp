// A link-time stand-in for the engine: canned records, switches to fail or to take its time,
// and a record of what it was asked.
#include <chrono>
#include <stdexcept>
#include <thread>
#include <type_traits>

#include "FakeEngine.h"
#include "src/ConnectorTable.h"

namespace {

// What a same or different record was matched with; the review only asks whether there is one.
template <class T>
const T* Counterpart() {
  static const T counterpart;
  return &counterpart;
}

template <class T>
T Named(const char* text, std::uint32_t status) {
  T r;
  r.Status = status;
  r.MatchedRecord = status == kStatusNew ? nullptr : Counterpart<T>();
  if constexpr (std::is_same_v<T, CommonContact>) {
    r.DisplayName = text;
    r.FirstName = text;
    r.Email1 = std::string(text) + "@example.org";
    r.Company = "Korvane";
  } else if constexpr (std::is_same_v<T, CommonEvent>) {
    r.Subject = text;
    r.Start.wYear = 2009;
    r.Start.wMonth = 3;
    r.Start.wDay = 14;
    r.Start.wHour = 9;
    r.End = r.Start;
    r.End.wHour = 10;
  } else if constexpr (std::is_same_v<T, CommonTask>) {
    r.Subject = text;
    r.Importance = 1;
  } else {
    r.Title = text;
    r.Body = text;
  }
  return r;
}

template <class Mgr, class Rec>
void Load(std::unique_ptr<Mgr>& slot, const std::vector<Rec>& records) {
  if (!slot) slot = std::make_unique<Mgr>();
  slot->Clear();
  for (const Rec& r : records) slot->Add(&r);
}

bool ValidApp(int app) {
  return app >= 1 && app <= 8;
}

}  // namespace

FakeEngineState& FakeEngine() {
  static FakeEngineState state;
  return state;
}

void ResetFakeEngine() {
  FakeEngineState& f = FakeEngine();
  f.contacts = {Named<CommonContact>("Ann", 0), Named<CommonContact>("Bob", 2),
                Named<CommonContact>("Cid", 1), Named<CommonContact>("Dee", 1),
                Named<CommonContact>("Eve", 0)};
  f.events = {Named<CommonEvent>("Dentist", 1), Named<CommonEvent>("Review", 0),
              Named<CommonEvent>("Trip", 2)};
  f.tasks = {Named<CommonTask>("Taxes", 1)};
  f.notes = {Named<CommonNote>("Ideas", 0)};
  f.failLoad = false;
  f.loadMillis = 0;
  f.failSubmit = false;
  f.throwSubmit = false;
  f.warning.clear();
  f.loads.clear();
  f.reloads.clear();
  f.targetLoads = 0;
  f.submits = 0;
  f.fieldMaps = 0;
  f.submittedContacts = f.submittedEvents = 0;
  f.selContacts.RemoveAll(false);
  f.selEvents.RemoveAll(false);
  f.selTasks.RemoveAll(false);
  f.selNotes.RemoveAll(false);
  for (auto& m : f.addr) m.reset();
  for (auto& m : f.date) m.reset();
  for (auto& m : f.task) m.reset();
  for (auto& m : f.note) m.reset();
}

void FakeManyContacts(int count) {
  FakeEngineState& f = FakeEngine();
  f.contacts.clear();
  f.contacts.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    std::string name = "Contact " + std::to_string((i * 7919) % count);
    f.contacts.push_back(Named<CommonContact>(name.c_str(), static_cast<std::uint32_t>(i % 3)));
  }
}

AppEngine::AppEngine(AppSettings& settings, EngineHost& host, std::string dataFolder)
    : settings_(settings), host_(host), dataFolder_(dataFolder) {
  FakeEngineState& f = FakeEngine();
  f.settings = &settings;
  f.host = &host;
  f.dataFolder = std::move(dataFolder);
}

AppEngine::~AppEngine() {
  FakeEngineState& f = FakeEngine();
  for (auto& m : f.addr) m.reset();
  for (auto& m : f.date) m.reset();
  for (auto& m : f.task) m.reset();
  for (auto& m : f.note) m.reset();
  f.host = nullptr;
  f.settings = nullptr;
}

namespace {

// The source side of a load: the wait window for loadMillis, then the canned records.
bool LoadSource(int sourceApp) {
  FakeEngineState& f = FakeEngine();
  EngineHost& host = *f.host;
  host.OpenWaitWindow("Loading information from Google account ...");
  using Clock = std::chrono::steady_clock;
  const auto end = Clock::now() + std::chrono::milliseconds(f.loadMillis);
  int second = 0;
  while (Clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    auto left = std::chrono::duration_cast<std::chrono::seconds>(end - Clock::now()).count();
    if (left != second) {
      second = static_cast<int>(left);
      host.SetWaitText("Loading records ... " + std::to_string(second));
    }
  }
  if (f.failLoad) {
    host.CloseWaitWindow();
    host.ShowMessage("Error", f.failText, EngineHost::Icon::kError);
    return false;
  }
  const AppSettings& s = *f.settings;
  if (s.SyncAddr) Load(f.addr[static_cast<std::size_t>(sourceApp)], f.contacts);
  if (s.SyncDate) Load(f.date[static_cast<std::size_t>(sourceApp)], f.events);
  if (s.SyncTask) Load(f.task[static_cast<std::size_t>(sourceApp)], f.tasks);
  if (s.SyncNote) Load(f.note[static_cast<std::size_t>(sourceApp)], f.notes);
  host.CloseWaitWindow();
  if (!f.warning.empty()) host.Warn(f.warning);
  return true;
}

}  // namespace

bool AppEngine::LoadBothSides(int sourceApp, int targetApp) {
  FakeEngineState& f = FakeEngine();
  f.loads.emplace_back(sourceApp, targetApp);
  if (sourceApp == targetApp) return true;
  ++f.targetLoads;
  Load(f.addr[kAppGoogle], std::vector<CommonContact>{});
  Load(f.date[kAppGoogle], std::vector<CommonEvent>{});
  return LoadSource(sourceApp);
}

bool AppEngine::ReloadSource(int sourceApp, int targetApp) {
  FakeEngineState& f = FakeEngine();
  f.reloads.emplace_back(sourceApp, targetApp);
  if (sourceApp == targetApp) return true;
  return LoadSource(sourceApp);
}

bool AppEngine::SubmitChanges(int) {
  FakeEngineState& f = FakeEngine();
  ++f.submits;
  if (f.throwSubmit) {
    f.host->ShowErrorReport("Test exception while submitting.");
    return false;
  }
  if (f.failSubmit) {
    f.host->ShowMessage("Error", "Cannot submit to the test account.", EngineHost::Icon::kError);
    return false;
  }
  f.submittedContacts = f.selContacts.Count();
  f.submittedEvents = f.selEvents.Count();
  return true;
}

bool AppEngine::ApplyCustomFieldMap(int) {
  ++FakeEngine().fieldMaps;
  return true;
}

CommAddrMgr* AppEngine::Contacts(int app) {
  return ValidApp(app) ? FakeEngine().addr[static_cast<std::size_t>(app)].get() : nullptr;
}
CommDateMgr* AppEngine::Calendar(int app) {
  return ValidApp(app) ? FakeEngine().date[static_cast<std::size_t>(app)].get() : nullptr;
}
CommTaskMgr* AppEngine::Tasks(int app) {
  return ValidApp(app) ? FakeEngine().task[static_cast<std::size_t>(app)].get() : nullptr;
}
CommNoteMgr* AppEngine::Notes(int app) {
  return ValidApp(app) ? FakeEngine().note[static_cast<std::size_t>(app)].get() : nullptr;
}

CxList<CommonContact>& AppEngine::SelectedContacts() {
  return FakeEngine().selContacts;
}
CxList<CommonEvent>& AppEngine::SelectedEvents() {
  return FakeEngine().selEvents;
}
CxList<CommonTask>& AppEngine::SelectedTasks() {
  return FakeEngine().selTasks;
}
CxList<CommonNote>& AppEngine::SelectedNotes() {
  return FakeEngine().selNotes;
}

const std::string& AppEngine::DataFolder() const {
  return FakeEngine().dataFolder;
}
std::string AppEngine::MigrationLogPath() const {
  return FakeEngine().dataFolder + "MILog.txt";
}

ConnectorTable& AppEngine::Table() {
  throw std::logic_error("no connector table in the stand-in");
}
