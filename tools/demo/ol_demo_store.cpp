// Writes a sample store of the stand-in Outlook:
//   ol_demo_store FILE [--contacts N] [--events N] [--tasks N] [--notes N] [--seed N]
//                 [--program FOLDER]
// --program also writes an OUTLOOK.EXE of version 12 into FOLDER, for the registry's App Paths.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "demo/OlDemoStore.h"

namespace {

bool ParseNumber(const std::string& text, unsigned long long max, unsigned long long& out) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return false;
  errno = 0;
  char* end = nullptr;
  out = std::strtoull(text.c_str(), &end, 10);
  return errno == 0 && *end == 0 && out <= max;
}

}  // namespace

int main(int argc, char** argv) {
  constexpr unsigned long long kMaxItems = 1000000;
  std::vector<std::string> args(argv + 1, argv + argc);
  OlDemoOptions o;
  std::string file, program;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.rfind("--", 0) != 0) {
      if (!file.empty()) {
        std::fprintf(stderr, "ol_demo_store: one store file only\n");
        return 2;
      }
      file = a;
      continue;
    }
    if (a == "--program" && i + 1 < args.size()) {
      program = args[++i];
      continue;
    }
    unsigned long long n = 0;
    const unsigned long long max = a == "--seed" ? 0xFFFFFFFFull : kMaxItems;
    if (i + 1 >= args.size() || !ParseNumber(args[i + 1], max, n)) {
      std::fprintf(stderr, "ol_demo_store: %s needs a number up to %llu\n", a.c_str(), max);
      return 2;
    }
    ++i;
    if (a == "--contacts")
      o.contacts = static_cast<std::size_t>(n);
    else if (a == "--events")
      o.events = static_cast<std::size_t>(n);
    else if (a == "--tasks")
      o.tasks = static_cast<std::size_t>(n);
    else if (a == "--notes")
      o.notes = static_cast<std::size_t>(n);
    else if (a == "--seed")
      o.seed = static_cast<std::uint32_t>(n);
    else {
      std::fprintf(stderr, "ol_demo_store: unknown option %s\n", a.c_str());
      return 2;
    }
  }
  if (file.empty()) {
    std::fprintf(stderr,
                 "usage: ol_demo_store FILE [--contacts N] [--events N] [--tasks N] [--notes N] "
                 "[--seed N] [--program FOLDER]\n");
    return 2;
  }
  std::string error;
  if (!WriteOutlookDemoStore(file, o, error)) {
    std::fprintf(stderr, "ol_demo_store: %s\n", error.c_str());
    return 1;
  }
  if (!program.empty() && !WriteOutlookProgram(program, error)) {
    std::fprintf(stderr, "ol_demo_store: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s: %zu contacts, %zu appointments, %zu tasks, %zu notes\n", file.c_str(),
              o.contacts, o.events, o.tasks, o.notes);
  return 0;
}
