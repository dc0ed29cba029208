// Writes the demo Palm Desktop installation, or a varied date book for load tests:
//   pm_demo_install FOLDER [--contacts N] [--events N] [--todos N] [--memos N] [--seed N]
//   pm_demo_install --varied-datebook N FILE [--seed N]
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "demo/PmDemoInstall.h"

namespace {

void Usage() {
  std::fprintf(stderr,
               "usage: pm_demo_install FOLDER [--contacts N] [--events N] [--todos N] "
               "[--memos N] [--seed N]\n"
               "       pm_demo_install --varied-datebook N FILE [--seed N]\n");
}

// A whole decimal number up to `max`; records are counted in the millions at most.
bool ParseCount(const std::string& text, unsigned long long max, unsigned long long& out) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return false;
  errno = 0;
  char* end = nullptr;
  out = std::strtoull(text.c_str(), &end, 10);
  return errno == 0 && *end == 0 && out <= max;
}

}  // namespace

int main(int argc, char** argv) {
  constexpr unsigned long long kMaxRecords = 10000000;
  std::vector<std::string> args(argv + 1, argv + argc);
  PmDemoOptions options;
  std::string folder;
  unsigned long long varied = 0;
  bool variedMode = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto number = [&](unsigned long long max, unsigned long long& out) {
      if (i + 1 >= args.size() || !ParseCount(args[i + 1], max, out)) {
        std::fprintf(stderr, "pm_demo_install: %s needs a number up to %llu\n", a.c_str(), max);
        return false;
      }
      ++i;
      return true;
    };
    unsigned long long n = 0;
    if (a == "--contacts" || a == "--events" || a == "--todos" || a == "--memos") {
      if (!number(kMaxRecords, n)) return 2;
      (a == "--contacts" ? options.contacts
       : a == "--events" ? options.events
       : a == "--todos"  ? options.todos
                         : options.memos) = static_cast<std::size_t>(n);
    } else if (a == "--seed") {
      if (!number(0xFFFFFFFFull, n)) return 2;
      options.seed = static_cast<std::uint32_t>(n);
    } else if (a == "--varied-datebook") {
      if (!number(kMaxRecords, varied)) return 2;
      variedMode = true;
    } else if (!a.empty() && a[0] == '-') {
      Usage();
      return 2;
    } else if (folder.empty()) {
      folder = a;
    } else {
      Usage();
      return 2;
    }
  }
  if (folder.empty()) {
    Usage();
    return 2;
  }
  std::string error;
  if (variedMode) {
    PmVariedDatebookCounts counts;
    if (!WriteVariedDatebook(folder, static_cast<std::size_t>(varied), options.seed, counts,
                             error)) {
      std::fprintf(stderr, "pm_demo_install: %s\n", error.c_str());
      return 1;
    }
    std::printf("%s: %zu records, %zu live and scheduled, %zu of them repeating\n", folder.c_str(),
                counts.records, counts.live, counts.repeating);
    return 0;
  }
  PmDemoInstallation install;
  if (!WritePalmDemoInstallation(folder, options, install, error)) {
    std::fprintf(stderr, "pm_demo_install: %s\n", error.c_str());
    return 1;
  }
  std::printf("Palm Desktop %u.%u.%u.%u installation in %s\n", install.version[0],
              install.version[1], install.version[2], install.version[3], folder.c_str());
  for (const PmDemoUser& u : install.users) {
    std::printf(
        "  user %d \"%s\" in %s/: layout %d, code page %u: %zu contacts, %zu events, %zu to-dos, "
        "%zu memos (and %zu deleted, archived or unscheduled records)\n",
        u.id, u.name.c_str(), u.folder.c_str(), u.layout, u.codePage, u.contacts, u.events, u.todos,
        u.memos, u.hidden);
  }
  return 0;
}
