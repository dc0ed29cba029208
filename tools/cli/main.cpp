#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/Commands.h"

namespace {

void Usage() {
  std::fprintf(
      stderr,
      "usage: quillmove-cli COMMAND ...\n"
      "  compare contacts|calendar|tasks|notes SOURCE.jsonl TARGET.jsonl [--linear] [--time]\n"
      "  settings\n"
      "  generate contacts|calendar|tasks|notes COUNT [--seed N] [--pool N] [--keys N]\n"
      "  dump google contacts|calendar|tasks|notes --email E --password P [--folder DIR]\n"
      "  dump google contacts|calendar|tasks|notes --data-file FILE\n"
      "  dump palm contacts|calendar|tasks|notes (--file F | --user ID) [--native]\n"
      "  migrate [--dry-run] [--all] [--report FILE]\n"
      "  account set EMAIL [--backend local|dav|google] [--url URL] [--user NAME] [--ca-file F]\n"
      "  account show EMAIL | account list\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    Usage();
    return 2;
  }
  std::string command = argv[1];
  std::vector<std::string> args(argv + 2, argv + argc);
  try {
    if (command == "compare") return CompareCommand(args);
    if (command == "settings") return SettingsCommand(args);
    if (command == "generate") return GenerateCommand(args);
    if (command == "dump") return DumpCommand(args);
    if (command == "migrate") return MigrateCommand(args);
    if (command == "account") return AccountCommand(args);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quillmove-cli: %s\n", e.what());
    return 1;
  }
  Usage();
  return 2;
}
