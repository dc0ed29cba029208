#include <chrono>
#include <cstdio>
#include <unordered_map>

#include "cli/Commands.h"
#include "cli/JsonLines.h"
#include "misc/CommAddrMgr.h"
#include "misc/CommDateMgr.h"
#include "misc/CommNoteMgr.h"
#include "misc/CommTaskMgr.h"

namespace {

template <class Manager>
int Compare(const std::string& sourcePath, const std::string& targetPath, bool linear,
            bool timing) {
  using Record = typename Manager::Record;
  std::string error;
  std::vector<Record> records;
  Manager source, target;
  for (auto [path, manager] : {std::pair{&sourcePath, &source}, std::pair{&targetPath, &target}}) {
    if (!ReadJsonLines(*path, records, error)) {
      std::fprintf(stderr, "quillmove-cli: %s\n", error.c_str());
      return 2;
    }
    for (const Record& r : records)
      if (!manager->Add(&r)) {
        std::fprintf(stderr, "quillmove-cli: out of memory\n");
        return 1;
      }
  }
  records.clear();
  records.shrink_to_fit();

  auto begin = std::chrono::steady_clock::now();
  bool ok = linear ? source.MarkAgainstLinear(&target) : source.MarkAgainst(&target);
  auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  if (!ok) return 1;
  if (timing)
    std::fprintf(stderr, "matched %u against %u records in %.6f s (%s)\n", source.Count(),
                 target.Count(), seconds, linear ? "linear" : "indexed");

  std::unordered_map<const Record*, std::int32_t> positions;
  positions.reserve(target.Count());
  for (std::uint32_t i = 0; i < target.Count(); ++i)
    positions.emplace(target.Peek(static_cast<std::int32_t>(i)), static_cast<std::int32_t>(i));
  LineWriter out;
  char line[64];
  for (std::uint32_t i = 0; i < source.Count(); ++i) {
    const Record* r = source.Peek(static_cast<std::int32_t>(i));
    std::int32_t match = r->MatchedRecord ? positions.at(r->MatchedRecord) : -1;
    std::snprintf(line, sizeof line, "{\"Status\":%u,\"Match\":%d}", r->Status, match);
    out.Line(line);
  }
  return 0;
}

}  // namespace

int CompareCommand(const std::vector<std::string>& args) {
  std::vector<std::string> positional;
  bool linear = false, timing = false;
  for (const std::string& a : args) {
    if (a == "--linear")
      linear = true;
    else if (a == "--time")
      timing = true;
    else if (a.rfind("--", 0) == 0) {
      std::fprintf(stderr, "quillmove-cli compare: unknown option %s\n", a.c_str());
      return 2;
    } else
      positional.push_back(a);
  }
  if (positional.size() != 3) {
    std::fprintf(stderr,
                 "usage: quillmove-cli compare contacts|calendar|tasks|notes SOURCE.jsonl "
                 "TARGET.jsonl [--linear] [--time]\n");
    return 2;
  }
  const std::string& type = positional[0];
  if (type == "contacts") return Compare<CommAddrMgr>(positional[1], positional[2], linear, timing);
  if (type == "calendar") return Compare<CommDateMgr>(positional[1], positional[2], linear, timing);
  if (type == "tasks") return Compare<CommTaskMgr>(positional[1], positional[2], linear, timing);
  if (type == "notes") return Compare<CommNoteMgr>(positional[1], positional[2], linear, timing);
  std::fprintf(stderr, "quillmove-cli compare: unknown record type %s\n", type.c_str());
  return 2;
}
