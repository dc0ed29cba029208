#include "platform/outlook/OutlookStandIn.h"

#include <memory>
#include <mutex>

#include "platform/IniDocument.h"
#include "platform/PlatformPaths.h"
#include "platform/outlook/OlObjects.h"
#include "platform/outlook/OlStore.h"

namespace platform::outlook {
namespace {

struct Settings {
  std::mutex lock;
  std::mutex startLock;  // one start at a time
  std::string storeFile;
  TestControls controls;
  StoreReport report;
};

Settings& State() {
  static Settings settings;
  return settings;
}

HRESULT Create(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  std::lock_guard<std::mutex> start(State().startLock);
  IDispatch* app = LiveApplication();
  if (!app) {
    auto store = std::make_shared<Store>();
    const bool loaded = store->Load(StoreFile());
    {
      std::lock_guard<std::mutex> guard(State().lock);
      State().report = store->report;
      if (loaded) store->RebuildControls(State().controls);
    }
    if (!loaded) return CO_E_SERVER_EXEC_FAILURE;
    app = NewApplication(std::move(store));
  }
  HRESULT hr = app->QueryInterface(riid, object);
  app->Release();
  return hr;
}

HRESULT Active(IUnknown** object) {
  IDispatch* app = LiveApplication();
  if (!app) return MK_E_UNAVAILABLE;
  *object = app;
  return S_OK;
}

}  // namespace

void SetStoreFile(const std::string& path) {
  std::lock_guard<std::mutex> guard(State().lock);
  State().storeFile = path;
}

std::string DataFolder() {
  std::string base = DataHome();
  return base.empty() ? std::string() : base + "/korvane/VEGG/";
}

std::string StoreFile() {
  {
    std::lock_guard<std::mutex> guard(State().lock);
    if (!State().storeFile.empty()) return State().storeFile;
  }
  const std::string folder = DataFolder();
  IniDocument ini;
  if (ini.Load(folder + "OutlookStandIn.ini")) {
    if (auto file = ini.Get("Store", "File"); file && !file->empty()) {
      return file->front() == '/' ? *file : folder + *file;
    }
  }
  return folder + "outlook-store.json";
}

void SetTestControls(const TestControls& controls) {
  std::shared_ptr<Store> live = LiveStore();
  std::lock_guard<std::mutex> guard(State().lock);
  State().controls = controls;
  if (live) live->RebuildControls(controls);
}

void ClearTestControls() {
  SetTestControls(TestControls{});
}

StoreReport LastStoreReport() {
  if (std::shared_ptr<Store> live = LiveStore()) return live->report;
  std::lock_guard<std::mutex> guard(State().lock);
  return State().report;
}

bool IsRunning() {
  return LiveStore() != nullptr;
}

long LiveObjectCount() {
  return LiveObjects();
}

AutomationServer ServerEntry() {
  AutomationServer server;
  server.clsid = kClsid;
  server.create = Create;
  server.active = Active;
  return server;
}

void RegisterServer() {
  RegisterAutomationServer(kProgId, ServerEntry());
}

}  // namespace platform::outlook
