#include <cstdio>
#include <cstdlib>

#include "cli/Commands.h"
#include "cli/JsonLines.h"
#include "json/RecordGen.h"

namespace {

template <class Record>
void Print(const std::vector<Record>& records) {
  LineWriter out;
  for (const Record& r : records) out.Line(ToJson(r).dump());
}

bool ParseNumber(const std::string& text, unsigned long long& value) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
  value = std::strtoull(text.c_str(), nullptr, 10);
  return true;
}

}  // namespace

// Seeded near-duplicate record sets for benchmarks and tests.
int GenerateCommand(const std::vector<std::string>& args) {
  unsigned long long count = 0, seed = 1, pool = 1, keys = 0;
  bool ok = args.size() >= 2 && ParseNumber(args[1], count);
  for (std::size_t i = 2; ok && i + 1 < args.size(); i += 2) {
    if (args[i] == "--seed")
      ok = ParseNumber(args[i + 1], seed);
    else if (args[i] == "--pool")
      ok = ParseNumber(args[i + 1], pool);
    else if (args[i] == "--keys")
      ok = ParseNumber(args[i + 1], keys);
    else
      ok = false;
  }
  if (!ok || args.size() % 2 != 0) {
    std::fprintf(stderr,
                 "usage: quillmove-cli generate contacts|calendar|tasks|notes COUNT [--seed N] "
                 "[--pool N] [--keys N]\n");
    return 2;
  }
  RecordGenOptions o{static_cast<std::uint32_t>(seed), static_cast<std::uint32_t>(pool),
                     static_cast<std::size_t>(keys)};
  const std::string& type = args[0];
  if (type == "contacts")
    Print(GenerateContacts(count, o));
  else if (type == "calendar")
    Print(GenerateEvents(count, o));
  else if (type == "tasks")
    Print(GenerateTasks(count, o));
  else if (type == "notes")
    Print(GenerateNotes(count, o));
  else {
    std::fprintf(stderr, "quillmove-cli generate: unknown record type %s\n", type.c_str());
    return 2;
  }
  return 0;
}
