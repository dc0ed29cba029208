#include <cstdio>

#include <nlohmann/json.hpp>

#include "BackendSettings.h"
#include "cli/Commands.h"
#include "platform/AsciiCase.h"

namespace {

constexpr const char* kUsage =
    "usage: quillmove-cli account set EMAIL [--backend local|dav|google] [--url URL]\n"
    "                                     [--user NAME] [--ca-file FILE]\n"
    "       quillmove-cli account show EMAIL\n"
    "       quillmove-cli account list\n";

int Usage() {
  std::fprintf(stderr, "%s", kUsage);
  return 2;
}

// One account as a JSON line; the values of secret keys never leave the file.
void Print(const AccountSettings& s) {
  nlohmann::ordered_json j{{"email", s.email}, {"backend", s.backend}, {"default", !s.chosen}};
  if (s.chosen) j["file"] = s.file;
  nlohmann::ordered_json values = nlohmann::ordered_json::object();
  for (const auto& [k, v] : s.values)
    values[k] = HelperSettings::IsSecretKey(k) ? std::string("(hidden)") : v;
  j["settings"] = values;
  std::printf("%s\n", j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
}

int Set(const std::vector<std::string>& args) {
  if (args.size() < 2 || args.size() % 2 != 0) return Usage();
  AccountSettings s = HelperSettings::ForAccount(args[1]);
  s.email = args[1];
  for (std::size_t i = 2; i + 1 < args.size(); i += 2) {
    const std::string& option = args[i];
    const std::string& value = args[i + 1];
    if (option == "--backend") {
      s.backend = platform::FoldAscii(value);
    } else if (option == "--url") {
      s.Set("Url", value);
    } else if (option == "--user") {
      s.Set("User", value);
    } else if (option == "--ca-file") {
      s.Set("CaFile", value);
    } else {
      std::fprintf(stderr, "quillmove-cli: unknown option %s\n", option.c_str());
      return Usage();
    }
  }
  std::string error;
  if (!HelperSettings::Store(s, error)) {
    std::fprintf(stderr, "quillmove-cli: %s\n", error.c_str());
    return 1;
  }
  Print(HelperSettings::ForAccount(s.email));
  return 0;
}

}  // namespace

// Edits and shows the back end of each account in the helpers' settings file.
int AccountCommand(const std::vector<std::string>& args) {
  if (args.empty()) return Usage();
  if (args[0] == "set") return Set(args);
  if (args[0] == "show" && args.size() == 2) {
    Print(HelperSettings::ForAccount(args[1]));
    return 0;
  }
  if (args[0] == "list" && args.size() == 1) {
    for (const AccountSettings& s : HelperSettings::All()) Print(s);
    return 0;
  }
  return Usage();
}
