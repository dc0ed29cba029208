#include <cstdio>

#include <nlohmann/json.hpp>

#include "cli/Commands.h"
#include "misc/CxDebugUtil.h"
#include "src/AppSettings.h"

// Loads the settings as a start of the program would, prints them, and saves them as its exit
// would.
int SettingsCommand(const std::vector<std::string>& args) {
  if (!args.empty()) {
    std::fprintf(stderr, "usage: quillmove-cli settings\n");
    return 2;
  }
  std::string folder;
  if (GetAppDataFolder(folder)) CxDebugUtil::Instance().SetFolder(folder);
  SettingsLoadResult loaded = LoadAppSettings();
  AppSettings& s = TheAppSettings();
  CxDebugUtil::Instance().SetEnabled(s.EnableDebug);
  CxDebugUtil::Instance().SetLevel(s.LogLevel);
  ReportSettingsLoad(loaded);
  if (!loaded.read) {
    // The defaults stand in for settings we could not read: printing or saving them would
    // pass them off as the person's own.
    std::fprintf(stderr, "quillmove-cli: %s\n", loaded.error.c_str());
    return 1;
  }
  nlohmann::ordered_json j = nlohmann::ordered_json::object();
  for (const SettingKey& key : AppSettingKeys()) {
    switch (key.kind) {
      case SettingKey::kInt:
        j[key.name] = key.intField(s);
        break;
      case SettingKey::kBool:
        j[key.name] = key.boolField(s);
        break;
      case SettingKey::kText:
      case SettingKey::kEncoded:
        j[key.name] = std::string(key.textField(s).view());
        break;
    }
  }
  std::printf("%s\n", j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
  std::string error;
  if (!SaveAppSettings(&error)) {
    std::fprintf(stderr, "quillmove-cli: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
