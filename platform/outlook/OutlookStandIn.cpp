#include "platform/outlook/OutlookStandIn.h"

#include <mutex>

#include "platform/PlatformPaths.h"

namespace platform::outlook {
namespace {

struct Settings {
  std::mutex lock;
  std::string storeFile;
  TestControls controls;
  StoreReport report;
};

Settings& State() {
  static Settings settings;
  return settings;
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
  std::lock_guard<std::mutex> guard(State().lock);
  if (!State().storeFile.empty()) return State().storeFile;
  return DataFolder() + "outlook-store.json";
}

void SetTestControls(const TestControls& controls) {
  std::lock_guard<std::mutex> guard(State().lock);
  State().controls = controls;
}

void ClearTestControls() {
  SetTestControls(TestControls{});
}

StoreReport LastStoreReport() {
  std::lock_guard<std::mutex> guard(State().lock);
  return State().report;
}

bool IsRunning() {
  return false;
}

AutomationServer ServerEntry() {
  AutomationServer server;
  server.clsid = kClsid;
  server.create = [](REFIID, void** object) {
    *object = nullptr;
    return CO_E_SERVER_EXEC_FAILURE;
  };
  return server;
}

void RegisterServer() {
  RegisterAutomationServer(kProgId, ServerEntry());
}

}  // namespace platform::outlook
